#pragma once

#include "skin/controller/GUIController.h"
#include "skin/displays/TextInput.h"
#include "skin/modmatrix/ModulationMatrixModel.h"
#include "skin/modmatrix/ModulationSlider.h"
#include "skin/widgets/ComboBoxEx.h"
#include "skin/widgets/PopupMenuEx.h"
#include "skin/widgets/ToolbarDrawableButton.h"
#include "skin/windows/ComponentRow.h"

/** The skin control "ModulationMatrix": an editable table of modulation routes (source, destination,
    amount) with buttons to add, delete and move rows, showing live how far each source moves.

    It edits a ModulationMatrixModel its owner supplies; without one, added rows live only here and the
    other buttons do nothing. Adding and removing rebuild the rows; an entry changed elsewhere updates its
    row in place, so a slider being dragged and the selection survive. Message thread only.
*/
class ModulationMatrixComponent : public GUIController,
                                  public juce::Component,
                                  public juce::Button::Listener,
                                  public juce::ChangeListener,
                                  private ModulationMatrixModel::Listener
{
public:
    static constexpr int rowHeight = 37;
    static constexpr int headerHeight = 19;

    class Row : public juce::Component, public ComboBoxEx::Listener, public juce::Slider::Listener
    {
    public:
        explicit Row (ModulationMatrixComponent& owner);
        ~Row() override;

        /** Shows the entry without telling anybody. */
        void setEntry (const ModulationEntry&);
        /** The entry the row shows, the amount clamped to -1..+1. */
        ModulationEntry getEntry() const;

        void setSelected (bool);
        bool isSelected() const noexcept { return selected; }
        void setIndex (int);
        int getIndex() const noexcept { return index; }

        ComboBoxEx& getSourceBox() { return sourceBox; }
        ComboBoxEx& getDestinationBox() { return destinationBox; }
        ModulationSlider& getSlider() { return amountSlider; }
        TextInput& getAmountText() { return amountText; }

        void comboBoxExChanged (ComboBoxEx*) override;
        void sliderValueChanged (juce::Slider*) override;
        void resized() override;
        void paint (juce::Graphics&) override;
        void mouseDown (const juce::MouseEvent&) override;

    private:
        ModulationMatrixComponent& matrixComponent;
        bool selected = false;
        int index = -1;
        ComboBoxEx sourceBox, destinationBox;
        ModulationSlider amountSlider;
        TextInput amountText{"amountText"};
    };

    class Table : public juce::Component
    {
    public:
        class ViewportComponent : public juce::Component
        {
        public:
            void paint (juce::Graphics&) override;
            void resized() override;
        };
        class Shape : public juce::Component
        {
        public:
            Shape() { setInterceptsMouseClicks (false, false); }
            void paint (juce::Graphics&) override;
        };
        class Header : public juce::Component
        {
        public:
            void paint (juce::Graphics&) override;
        };

        Table();
        ~Table() override;
        void resized() override;

        juce::Viewport viewport;
        ViewportComponent content;
        Shape shape;
        Header header;
    };

    explicit ModulationMatrixComponent (const juce::String& name);
    ~ModulationMatrixComponent() override;

    /** Not owned; null leaves the editor without a matrix. Rebuilds the rows from the model. */
    void setMatrix (ModulationMatrixModel*);
    ModulationMatrixModel* getMatrix() const noexcept { return matrix; }

    void loadFromXml (const juce::XmlElement&, SkinSource&) override;

    /** The amount as the row shows it: "+0.2500", "0.0000", "-1.0000". */
    static juce::String formatAmount (double amount);

    int getNumRows() const noexcept { return rows.size(); }
    Row* getRow (int i) const noexcept { return rows[i]; }
    int getSelectedRow() const noexcept { return selectedRow; }
    void selectRow (int row);

    juce::Button& getAddButton() { return addButton; }
    juce::Button& getDeleteButton() { return deleteButton; }
    juce::Button& getUpButton() { return upButton; }
    juce::Button& getDownButton() { return downButton; }
    Table& getTable() { return table; }
    PopupMenuEx& getSourceMenu() { return sourceMenu; }
    /** Source 0 to 8, any other value the tenth menu. The owner fills them. */
    PopupMenuEx& getDestinationMenu (int source);

    /** The buttons' work; moves hold Ctrl to move the row instead of the selection. */
    void buttonPressed (juce::Button*, bool ctrlDown);

    void buttonClicked (juce::Button*) override;
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void resized() override;
    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    friend class Row;
    void modulationEntryChanged (ModulationMatrixModel*, int index) override;
    void rowChanged (Row&, bool amountOnly);
    void rebuildRows();
    bool rowsMatchMatrix() const;
    void giveMenus (Row&);
    void layoutRows();
    void updateSelectionMarks();
    void refreshSourceLevels();
    void detach();

    ModulationMatrixModel* matrix = nullptr;
    int selectedRow = -1;
    ComponentRow buttonRow;
    ToolbarDrawableButton addButton{"Add Row", 13}, deleteButton{"Delete Row", 14}, upButton{"Move Up", 6},
        downButton{"Move Down", 5};
    juce::OwnedArray<Row> rows;
    Table table;
    PopupMenuEx sourceMenu;
    PopupMenuEx destinationMenus[10];

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModulationMatrixComponent)
};
