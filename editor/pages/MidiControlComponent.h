#pragma once

#include "editor/AlertWindow.h"
#include "editor/pages/FileType.h"
#include "framework/MidiControl.h"
#include "skin/widgets/DefaultResourceCheckBox.h"
#include "skin/widgets/ToolbarDrawableButton.h"
#include "skin/windows/ComponentRow.h"
#include "skin/windows/FileChooserPolicy.h"

#include <functional>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>
#include <vector>

class StatusBar;

/** The "Midi Control" page: the controller assignments of the MIDI control map as a table of columns, with
    "Midi Learn", "Delete Assign", "Clear All", "Load Map", "Save Map" and the "Default map" box.

    It follows the map through MidiControl::Listener, so an assignment made by learning anywhere shows at
    once; selecting a row while learning makes that assignment the one the next controller moves. The map
    outlives the page. Message thread only. */
class MidiControlComponent : public juce::Component,
                             public juce::Button::Listener,
                             public DefaultResourceCheckBox::Listener,
                             public MidiControl::Listener,
                             public Zeb::AlertWindow::Caller,
                             public FileType
{
public:
    /** Where everything of the table lies for a list of a given size: the one piece of arithmetic that the
        list, its mouse handling and the tests share. */
    struct Geometry
    {
        int rowsPerColumn = 1;
        int numColumns = 1;
        int columnWidth = 0;
        int numberColumnWidth = 0;
        int nameColumnWidth = 0;
        int tableHeight = 0;
        juce::Rectangle<int> tableArea;
        juce::Rectangle<int> content; // the table area less its outline; its width covers every column
        juce::Rectangle<int> scrollBar;

        /** The list of width x height with a scroll bar of that thickness under the table. A list too low
            for one row still gets one row per column (never a division by zero or a negative range). */
        static Geometry compute (int width, int height, int scrollBarThickness, int headerHeight,
                                 int rowHeight, int numRows, int visibleColumns, int numberColumnWidth);

        /** The row index a click at that point means (column-major; it may lie beyond the last row), or -1
            for a point outside the table or on its header. scrollOffset is 0 or negative. */
        int rowAt (juce::Point<int> point, int scrollOffset, int headerHeight, int rowHeight) const;

        /** The scroll offset (0 or negative) that brings the row's column into the visible columns. */
        int scrollOffsetToShow (int row, int scrollOffset, int visibleColumns) const;
    };

    class ListComponent;

    /** extension: "." + file prefix + "ccmap"; wildcard: the choosers' pattern. */
    MidiControlComponent (MidiControl& map, const juce::String& extension, const juce::String& wildcard);
    ~MidiControlComponent() override;

    void setMapFileWildcard (const juce::String& wildcard) override;
    /** Where a map that could not be loaded or saved is reported; null (the default) reports nowhere. */
    void setStatusBar (StatusBar* bar) noexcept { statusBar = bar; }

    /** The folder the map choosers open in, and what keeps the folder of a file chosen there: the
        processor's recently used folder, shared with its other choosers. Unset, they open in the chooser's
        own start folder and remember nothing. */
    struct RecentFolder
    {
        std::function<juce::File()> get;
        std::function<void (const juce::File&)> set;
    };
    void setRecentFolder (RecentFolder folder) { recentFolder = std::move (folder); }

    void updateDeleteButton();

    ListComponent& getList() noexcept { return *list; }
    juce::TextButton& getMidiLearnButton() noexcept { return midiLearnButton; }
    DefaultResourceCheckBox& getDefaultMapBox() noexcept { return defaultMapBox; }
    juce::Button& getDeleteButton() noexcept { return deleteButton; }
    juce::Button& getClearButton() noexcept { return clearButton; }
    juce::Button& getLoadButton() noexcept { return loadButton; }
    juce::Button& getSaveButton() noexcept { return saveButton; }
    /** The clear-all question while one was asked; null before. */
    Zeb::AlertWindow* getAlert() const noexcept { return alert.get(); }
    FileChooserPolicy& getChooser() noexcept { return chooser; }

    void buttonClicked (juce::Button*) override;
    void alertWindowClosed (Zeb::AlertWindow*, int result) override;
    void defaultResourceChanged (DefaultResourceCheckBox*) override;
    void midiControlMapChanged (MidiControl*) override;
    void midiLearnStateChanged (MidiControl*) override;

    void lookAndFeelChanged() override;
    void resized() override;
    void childBoundsChanged (juce::Component*) override;

private:
    MidiControl& map;
    juce::TextButton midiLearnButton{"Midi Learn"};
    DefaultResourceCheckBox defaultMapBox;
    std::unique_ptr<ListComponent> list;
    ComponentRow buttonRow;
    ToolbarDrawableButton deleteButton, clearButton, loadButton, saveButton;
    std::unique_ptr<Zeb::AlertWindow> alert;
    FileChooserPolicy chooser{*this};
    StatusBar* statusBar = nullptr;
    RecentFolder recentFolder;

    /** A chooser's request in the recent folder. */
    FileChooserPolicy::Request mapRequest (const juce::String& title) const;
    /** Remembers the folder of a chosen file. */
    void rememberFolderOf (const juce::File& chosen);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiControlComponent)
};

/** The table of assignments: controller number and parameter name, column-major, scrolled sideways. */
class MidiControlComponent::ListComponent : public juce::Component, public juce::ScrollBar::Listener
{
public:
    struct Row
    {
        int controller = 0;
        juce::String parameterName;
    };

    ListComponent (MidiControlComponent& owner, MidiControl& map);
    ~ListComponent() override;

    /** Reads the map's slots again; the selection goes. */
    void rebuildRows();
    void updateColumns();

    /** -1 selects nothing; an index beyond the rows selects nothing that can be deleted or learned. */
    void selectRow (int row);
    /** Selects the row of that controller; nothing changes when no row has it. */
    void selectController (int controller);

    void setVisibleColumns (int columns);

    int getSelectedRow() const noexcept { return selectedRow; }
    bool isValidRow (int row) const noexcept { return row >= 0 && row < (int) rows.size(); }
    const std::vector<Row>& getRows() const noexcept { return rows; }
    const Geometry& getGeometry() const noexcept { return geometry; }
    int getScrollOffset() const noexcept { return scrollOffset; }
    juce::ScrollBar& getScrollBar() noexcept { return scrollBar; }

    void lookAndFeelChanged() override;
    void resized() override;
    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void scrollBarMoved (juce::ScrollBar*, double newRangeStart) override;

private:
    MidiControlComponent& owner;
    MidiControl& map;
    juce::ScrollBar scrollBar{false};
    int visibleColumns = 1;
    std::vector<Row> rows;
    int selectedRow = -1;
    int scrollOffset = 0;
    int headerHeight = 19;
    int rowHeight = 20;
    int scrollBarThickness = 0;
    Geometry geometry;
    juce::Font headerFont{13.0f, juce::Font::bold};
    juce::Font rowFont{13.0f};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ListComponent)
};
