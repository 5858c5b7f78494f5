#pragma once

#include "editor/AlertWindow.h"
#include "editor/pages/FileType.h"
#include "skin/widgets/ComboBoxButton.h"
#include "skin/widgets/DefaultResourceCheckBox.h"
#include "skin/widgets/PopupMenuEx.h"
#include "skin/widgets/ToolbarDrawableButton.h"
#include "skin/windows/ComponentRow.h"
#include "skin/windows/FileChooserPolicy.h"

#include <juce_gui_basics/juce_gui_basics.h>

class BasePlugin;
class StatusBar;

/** The "Parameters" page: which parameter sits in each host automation slot, one chooser per slot in
    columns, with "Clear all", "Load map", "Save map" and the "Default map" box. Every change goes straight
    to the processor, which outlives the page; the page keeps no copy of the map. Message thread only. */
class HostParametersComponent : public juce::Component,
                                public juce::Button::Listener,
                                public Zeb::AlertWindow::Caller,
                                public DefaultResourceCheckBox::Listener,
                                public FileType
{
public:
    class ListComponent;

    /** A rounded grey panel behind the list. */
    class Shape : public juce::Component
    {
    public:
        void paint (juce::Graphics&) override;
    };

    explicit HostParametersComponent (BasePlugin& processor);
    ~HostParametersComponent() override;

    void setMapFileWildcard (const juce::String& wildcard) override;
    /** Where a map that could not be saved is reported; null (the default) reports nowhere. */
    void setStatusBar (StatusBar* bar) noexcept { statusBar = bar; }

    ListComponent& getList() noexcept { return *list; }
    juce::Viewport& getViewport() noexcept { return viewport; }
    DefaultResourceCheckBox& getDefaultMapBox() noexcept { return defaultMapBox; }
    juce::Button& getClearButton() noexcept { return clearButton; }
    juce::Button& getLoadButton() noexcept { return loadButton; }
    juce::Button& getSaveButton() noexcept { return saveButton; }
    Zeb::AlertWindow* getAlert() const noexcept { return alert.get(); }
    FileChooserPolicy& getChooser() noexcept { return chooser; }

    void buttonClicked (juce::Button*) override;
    void alertWindowClosed (Zeb::AlertWindow*, int result) override;
    void defaultResourceChanged (DefaultResourceCheckBox*) override;

    void resized() override;
    void childBoundsChanged (juce::Component*) override;

private:
    BasePlugin& processor;
    juce::Viewport viewport;
    std::unique_ptr<ListComponent> list;
    Shape shape;
    ComponentRow buttonRow;
    ToolbarDrawableButton clearButton, loadButton, saveButton;
    DefaultResourceCheckBox defaultMapBox;
    std::unique_ptr<Zeb::AlertWindow> alert;
    FileChooserPolicy chooser{*this};
    StatusBar* statusBar = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HostParametersComponent)
};

/** One chooser per host slot, column-major, with the slot numbers in a column of their own. The choosers
    share one menu: "---" (id -1) for a free slot, then every automatable parameter (id = parameter id). */
class HostParametersComponent::ListComponent : public juce::Component,
                                               public ComboBoxButton::Listener,
                                               public juce::ChangeListener
{
public:
    explicit ListComponent (BasePlugin& processor);
    ~ListComponent() override;

    /** Places the choosers and sizes the list. */
    void updateLayout();

    void setRowsPerColumn (int rows);
    void setVisibleColumns (int columns);
    void setListWidth (int width);

    int getNumSlots() const noexcept { return numSlots; }
    int getRowsPerColumn() const noexcept { return rowsPerColumn; }
    int getNumColumns() const noexcept { return numColumns; }
    int getRowHeight() const noexcept { return rowHeight; }
    int getHeaderHeight() const noexcept { return headerHeight; }
    float getColumnWidth() const noexcept { return columnWidth; }
    int getListWidth() const noexcept { return listWidth; }
    ComboBoxButton* getChooser (int slot) const noexcept { return choosers[slot]; }
    PopupMenuEx& getMenu() noexcept { return menu; }

    /** The user chose a parameter for a slot. */
    void comboBoxButtonChanged (ComboBoxButton*) override;
    /** The processor's slot table changed. */
    void changeListenerCallback (juce::ChangeBroadcaster*) override;

    void paint (juce::Graphics&) override;

private:
    void fillMenu();

    BasePlugin& processor;
    juce::OwnedArray<ComboBoxButton> choosers;
    int numSlots = 0;
    int visibleColumns = 3;
    int numColumns = 1;
    int rowsPerColumn = 20;
    int headerHeight = 20;
    int rowHeight = 22;
    float columnWidth = 0.0f;
    int numberColumnWidth = 0;
    int listWidth = 0;
    int listTop = 20;
    PopupMenuEx menu;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ListComponent)
};
