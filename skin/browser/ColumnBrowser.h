#pragma once

#include "skin/displays/TextInput.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A horizontally scrolling strip of columns: each column a list whose selected item may open a further
    column to its right, so a hierarchy shows column by column. Columns can be resized, the arrow keys move
    between them, items are renamed in place and dragged within and between columns.

    A subclass supplies the columns and their data; the browser owns every column from openColumn on.
    Drags stay inside the editor (the drag image is a child of the browser, never a desktop window).
    Message thread only.
*/
class ColumnBrowser : public juce::Viewport, public juce::DragAndDropContainer
{
public:
    /** The drag description of rows dragged from a list column. */
    static constexpr const char* dragDescription = "ListColumn";

    class ListColumn;

    /** One column; the browser lays them out left to right. */
    class Column : public juce::Component
    {
    public:
        explicit Column (ColumnBrowser& owner);
        ~Column() override;

        /** True when this column may stay to the right of the given one. */
        virtual bool acceptsPrevious (Column* column) = 0;
        /** True when the given column is the one this column belongs after. */
        virtual bool isPreviousColumn (Column* column) = 0;
        /** The column that must stand before this one, or null. */
        virtual Column* createPreviousColumn() { return nullptr; }
        virtual bool isResizable() { return true; }
        virtual int getDefaultWidth() { return 200; }
        virtual int getMinimumWidth() { return 100; }
        virtual void updateContent() {}
        virtual void setActive (bool shouldBeActive);

        bool isActive() const noexcept { return active; }
        Column* getPreviousColumn() const noexcept { return previous; }
        Column* getNextColumn() const noexcept { return next; }
        ColumnBrowser& getBrowser() const noexcept { return browser; }

        /** True when the column keeps the 7-pixel strip at its right edge (resize grip). */
        bool hasRightStrip();
        /** The rounded panel of the column, the strip excluded. */
        juce::Rectangle<int> getPanelArea();

        void paint (juce::Graphics&) override;
        void mouseDown (const juce::MouseEvent&) override;
        void mouseDrag (const juce::MouseEvent&) override;
        void mouseUp (const juce::MouseEvent&) override;

    private:
        friend class ColumnBrowser;
        bool active = false;
        bool resizing = false;
        int resizeStartWidth = 0;
        Column* previous = nullptr;
        Column* next = nullptr;
        ColumnBrowser& browser;
    };

    /** A column showing a list of items. */
    class ListColumn : public Column, public juce::DragAndDropTarget, private juce::Timer
    {
    public:
        enum DropMode
        {
            noDrop = 0,
            dropAtEndMode = 1,
            dropOntoMode = 2,
            dropBeforeMode = 3,
            dropAfterMode = 4
        };

        class List;

        /** The component of one row: icon, text (renamed in place), sub-item arrow, drop feedback. */
        class ItemComponent : public juce::Component, private ModalTextEditor::ModalListener
        {
        public:
            explicit ItemComponent (ListColumn& owner);
            ~ItemComponent() override;

            void update (int row, bool selected);
            void startRenaming();

            TextInput& getTextInput() { return text; }
            int getRow() const noexcept { return row; }
            bool hasSubItems() const noexcept { return subItems; }

            void resized() override;
            void paint (juce::Graphics&) override;

        private:
            void modalTextCommitted (ModalTextEditor*) override;
            void modalEditingFinished (ModalTextEditor*) override;

            ListColumn& column;
            juce::Image icon, selectedIcon;
            TextInput text{"ItemText"};
            bool subItems = false;
            bool selected = false;
            int row = -1;
        };

        class List : public juce::ListBox, public juce::ListBoxModel
        {
        public:
            explicit List (ListColumn& owner);
            ~List() override;

            int getNumRows() override;
            void paintListBoxItem (int, juce::Graphics&, int, int, bool) override {}
            juce::Component* refreshComponentForRow (int row, bool selected,
                                                     juce::Component* existing) override;
            void listBoxItemClicked (int row, const juce::MouseEvent&) override;
            void listBoxItemDoubleClicked (int row, const juce::MouseEvent&) override;
            void backgroundClicked (const juce::MouseEvent&) override;
            void selectedRowsChanged (int lastRowSelected) override;
            /** Rows are dragged by the column itself (inside the editor only); JUCE's rows never start one.
             */
            juce::var getDragSourceDescription (const juce::SparseSet<int>&) override { return {}; }

            bool keyPressed (const juce::KeyPress&) override;
            bool keyStateChanged (bool isKeyDown) override;

            ListColumn& getColumn() noexcept { return column; }
            /** Selects a row without the selection callback (the caller does the selection's work). */
            void selectRowQuietly (int row);

        private:
            ListColumn& column;
            bool quiet = false;
        };

        explicit ListColumn (ColumnBrowser& owner);
        ~ListColumn() override;

        // The data, supplied by a subclass.
        virtual int getNumItems() { return 0; }
        virtual juce::String getItemText (int) { return {}; }
        virtual juce::Image getItemIcon (int, bool) { return {}; }
        virtual bool hasSubItems (int) { return false; }
        virtual bool canDragItems (const juce::SparseSet<int>&) { return true; }
        virtual bool canRenameItem (int) { return true; }
        /** The column to open when the row is selected; null keeps the columns as they are. */
        virtual Column* createColumnForItem (int) { return nullptr; }
        virtual void itemSelected (int) {}
        virtual void setItemText (int, const juce::String&) {}
        virtual void backgroundClicked() {}
        virtual bool canDropAtEnd (ListColumn*) { return true; }
        virtual bool canDropOnto (ListColumn*, int) { return true; }
        virtual bool canDropBefore (ListColumn*, int) { return true; }
        virtual bool canDropAfter (ListColumn*, int) { return true; }
        virtual void dropAtEnd (ListColumn*) {}
        virtual void dropOnto (ListColumn*, int) {}
        virtual void dropBefore (ListColumn*, int) {}
        virtual void dropAfter (ListColumn*, int) {}

        void selectItem (int row);
        void startRenaming (int row);
        juce::SparseSet<int> getSelectedRows() const;
        /** The rows of the drag that started from this column. */
        const juce::SparseSet<int>& getDraggedRows() const noexcept { return draggedRows; }

        /** What getDragSourceDescription answers: "ListColumn" (recording the drag) or void. */
        juce::var describeDrag (const juce::SparseSet<int>& rows);

        void updateDropTarget (const juce::DragAndDropTarget::SourceDetails&);
        int getDropRow() const noexcept { return dropRow; }
        int getDropMode() const noexcept { return dropMode; }
        int getHoverRow() const noexcept { return hoverRow; }
        bool isHoverTimerRunning() const { return isTimerRunning(); }
        /** The hover timer's work, callable by tests. */
        void openHoveredRow() { timerCallback(); }

        List& getList() noexcept { return *list; }
        ItemComponent* getItemComponent (int row) const;

        void setActive (bool) override;
        void updateContent() override;
        void resized() override;
        void paint (juce::Graphics&) override;
        void paintOverChildren (juce::Graphics&) override;

        bool isInterestedInDragSource (const SourceDetails&) override;
        void itemDragEnter (const SourceDetails&) override;
        void itemDragMove (const SourceDetails&) override;
        void itemDragExit (const SourceDetails&) override;
        void itemDropped (const SourceDetails&) override;

        /** Left or Right in this column's list: the column before (its selected row again) or after (its
            first row). */
        void moveToNeighbour (bool right);

    private:
        class DragStarter;
        void timerCallback() override;
        static ListColumn* sourceColumnOf (const SourceDetails&);

        juce::SparseSet<int> draggedRows;
        std::unique_ptr<List> list;
        std::unique_ptr<DragStarter> dragStarter;
        int dropRow = -1;
        int dropMode = noDrop;
        int hoverRow = -1;
    };

    /** Holds the columns side by side. */
    class ViewportComponent : public juce::Component
    {
    public:
        void resized() override;
    };

    ColumnBrowser();
    ~ColumnBrowser() override;

    virtual void updateLayout();
    virtual void layoutHook() {}
    virtual Column* createRootColumn() = 0;
    virtual void columnsUpdated() {}

    /** Takes ownership. Closes the columns the new one does not follow, adds it, fills in the columns it
        needs before it, then lays out and updates all. Null does nothing. */
    void openColumn (Column*);
    void insertColumn (Column*, int index);
    void updateColumns();
    void scrollToColumn (Column*);
    void setActiveColumn (Column*);
    void layoutColumns();
    void linkColumns();

    int getNumColumns() const noexcept { return columns.size(); }
    Column* getColumn (int index) const noexcept { return columns[index]; }
    int indexOfColumn (const Column* c) const { return columns.indexOf (const_cast<Column*> (c)); }
    ViewportComponent& getContent() noexcept { return *content; }
    int getTotalWidth() const noexcept { return totalWidth; }

    /** The column a running drag started from, and the one kept hidden while that drag runs after it
        was closed. */
    Column* getDragSourceColumn() const noexcept { return dragSource; }
    Column* getClosedColumn() const noexcept { return closedColumn.get(); }
    void setDragSourceColumn (Column* c) noexcept { dragSource = c; }
    /** The end of a drag: the closed column goes. */
    void dragFinished();

    void resized() override;
    void paint (juce::Graphics&) override;
    void lookAndFeelChanged() override;
    void visibleAreaChanged (const juce::Rectangle<int>&) override;
    void dragOperationEnded (const juce::DragAndDropTarget::SourceDetails&) override;

private:
    void removeLastColumn();

    juce::OwnedArray<Column> columns;
    std::unique_ptr<ViewportComponent> content;
    std::unique_ptr<Column> closedColumn;
    Column* dragSource = nullptr;
    int totalWidth = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ColumnBrowser)
};
