#include "skin/browser/ColumnBrowser.h"

#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/windows/LookAndFeelColour.h"

namespace
{
constexpr int stripWidth = 7;
const juce::Colour dropColour (0xFFFF0000);

juce::Colour browserColour (const juce::Component& c, int id, juce::uint32 fallback)
{
    return lookAndFeelColour (c, id, juce::Colour (fallback));
}
} // namespace

//==============================================================================
ColumnBrowser::Column::Column (ColumnBrowser& owner)
    : browser (owner)
{
}
ColumnBrowser::Column::~Column() = default;

void ColumnBrowser::Column::setActive (bool shouldBeActive)
{
    active = shouldBeActive;
}

bool ColumnBrowser::Column::hasRightStrip()
{
    return next != nullptr || isResizable();
}

juce::Rectangle<int> ColumnBrowser::Column::getPanelArea()
{
    auto area = getLocalBounds();
    if (hasRightStrip())
        area.removeFromRight (stripWidth);
    return area;
}

void ColumnBrowser::Column::paint (juce::Graphics& g)
{
    const auto panel = getPanelArea().reduced (1).toFloat();
    g.setColour (browserColour (*this, LookAndFeelColourIds::browserColumn, 0xFFE3E3E3));
    g.fillRoundedRectangle (panel, 6.0f);
    g.setColour (browserColour (*this, LookAndFeelColourIds::browserSelection, 0xFFFFFFFF));
    g.drawRoundedRectangle (panel.reduced (0.5f), 6.0f, 1.0f);

    if (isResizable())
    {
        g.setColour (browserColour (*this, LookAndFeelColourIds::browserHighlight, 0xFFADADAD));
        const int top = getHeight() / 2 - 6;
        for (int x : {getWidth() - 6, getWidth() - 4, getWidth() - 2})
            g.fillRect (x, top, 1, 13);
    }
}

void ColumnBrowser::Column::mouseDown (const juce::MouseEvent& e)
{
    if (isResizable() && e.x >= getWidth() - stripWidth)
    {
        resizing = true;
        resizeStartWidth = getWidth();
    }
}

void ColumnBrowser::Column::mouseDrag (const juce::MouseEvent& e)
{
    if (!resizing)
        return;
    setSize (juce::jmax (getMinimumWidth(), resizeStartWidth + e.getDistanceFromDragStartX()), getHeight());
    browser.layoutColumns();
}

void ColumnBrowser::Column::mouseUp (const juce::MouseEvent&)
{
    resizing = false;
}

//==============================================================================
ColumnBrowser::ListColumn::ItemComponent::ItemComponent (ListColumn& owner)
    : column (owner)
{
    setInterceptsMouseClicks (false, true); // the list takes the clicks; the field only while renaming
    text.setFont (juce::Font ("Tahoma", 13.0f, juce::Font::plain));
    text.setEditOnClick (false);
    text.setEditOnDoubleClick (false);
    text.setInterceptsMouseClicks (false, true);
    text.setColour (juce::TextEditor::textColourId, juce::Colours::black);
    text.setColour (juce::TextEditor::highlightColourId, juce::Colours::white);
    text.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::black);
    text.setColour (juce::CaretComponent::caretColourId, juce::Colour (0xFFFF4500).withAlpha (0.75f));
    text.setColour (juce::TextEditor::backgroundColourId, juce::Colours::transparentBlack);
    text.setColour (juce::TextEditor::outlineColourId, juce::Colours::transparentBlack);
    addAndMakeVisible (text);
}

ColumnBrowser::ListColumn::ItemComponent::~ItemComponent()
{
    if (auto* editor = text.getEditor())
        editor->removeModalListener (this);
}

void ColumnBrowser::ListColumn::ItemComponent::update (int newRow, bool isSelected)
{
    row = newRow;
    selected = isSelected;
    text.setText (column.getItemText (row));
    icon = column.getItemIcon (row, false);
    selectedIcon = column.getItemIcon (row, true);
    subItems = column.hasSubItems (row);
    text.setColour (juce::TextEditor::textColourId, selected ? juce::Colours::white : juce::Colours::black);
    text.setFont (juce::Font ("Tahoma", 13.0f, subItems ? juce::Font::bold : juce::Font::plain));
    resized();
    repaint();
}

void ColumnBrowser::ListColumn::ItemComponent::startRenaming()
{
    text.setColour (juce::TextEditor::textColourId, juce::Colours::black);
    text.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::black);
    text.showEditor();
    if (auto* editor = text.getEditor())
        editor->addModalListener (this);
}

void ColumnBrowser::ListColumn::ItemComponent::modalTextCommitted (ModalTextEditor* editor)
{
    column.setItemText (row, editor->getText());
}

void ColumnBrowser::ListColumn::ItemComponent::modalEditingFinished (ModalTextEditor*)
{
    // The field took the typed text after the column saw it: show what the column kept, which differs
    // when it refused or changed the name.
    update (row, selected);
}

void ColumnBrowser::ListColumn::ItemComponent::resized()
{
    auto area = getLocalBounds().reduced (0, 1).withTrimmedLeft (19);
    int right = subItems ? 15 : 0;
    if (column.getList().getVerticalScrollBar().isVisible())
        right += 3;
    text.setBounds (area.withTrimmedRight (right));
}

void ColumnBrowser::ListColumn::ItemComponent::paint (juce::Graphics& g)
{
    if (selected)
    {
        g.setColour (browserColour (*this, LookAndFeelColourIds::browserHighlight, 0xFFADADAD));
        g.fillRoundedRectangle (getLocalBounds().toFloat(), 4.0f);
    }

    const auto& picture = selected ? selectedIcon : icon;
    if (picture.isValid())
        g.drawImageAt (picture, 2, (getHeight() - picture.getHeight()) / 2);

    if (subItems)
    {
        juce::Path arrow;
        arrow.addTriangle (0.0f, 0.5f, 7.0f, 3.5f, 0.0f, 6.5f);
        g.setColour (selected ? juce::Colours::white : juce::Colours::black);
        g.fillPath (arrow, juce::AffineTransform::translation ((float) getWidth() - 11.0f,
                                                               (float) getHeight() / 2.0f - 3.5f));
    }

    if (column.getDropRow() != row)
        return;
    g.setColour (dropColour.withAlpha (0.75f));
    switch (column.getDropMode())
    {
        case dropBeforeMode: g.fillRect (0, 0, getWidth(), 2); break;
        case dropAfterMode: g.fillRect (0, getHeight() - 2, getWidth(), 2); break;
        case dropOntoMode:
            g.drawRoundedRectangle (getLocalBounds().toFloat().reduced (1.0f), 4.0f, 2.0f);
            break;
        default: break;
    }
}

//==============================================================================
ColumnBrowser::ListColumn::List::List (ListColumn& owner)
    : juce::ListBox ("List", nullptr)
    , column (owner)
{
    setModel (this);
    setMultipleSelectionEnabled (true);
    setRowHeight (20);
    getViewport()->setSingleStepSizes (20, 20);
    setColour (juce::ListBox::backgroundColourId, juce::Colours::transparentBlack);
}

ColumnBrowser::ListColumn::List::~List()
{
    setModel (nullptr);
}

int ColumnBrowser::ListColumn::List::getNumRows()
{
    return column.getNumItems();
}

juce::Component* ColumnBrowser::ListColumn::List::refreshComponentForRow (int row, bool rowSelected,
                                                                          juce::Component* existing)
{
    if (!juce::isPositiveAndBelow (row, column.getNumItems()))
    {
        delete existing;
        return nullptr;
    }
    auto* item = dynamic_cast<ItemComponent*> (existing);
    if (item == nullptr)
    {
        delete existing;
        item = new ItemComponent (column);
    }
    item->update (row, rowSelected);
    return item;
}

void ColumnBrowser::ListColumn::List::listBoxItemClicked (int row, const juce::MouseEvent&)
{
    // An active column reacts through selectedRowsChanged.
    if (!column.isActive())
        column.selectItem (row);
}

void ColumnBrowser::ListColumn::List::listBoxItemDoubleClicked (int row, const juce::MouseEvent&)
{
    if (getNumSelectedRows() == 1 && isRowSelected (row))
        column.startRenaming (row);
}

void ColumnBrowser::ListColumn::List::backgroundClicked (const juce::MouseEvent&)
{
    auto& browser = column.getBrowser();
    browser.openColumn (&column);
    browser.scrollToColumn (&column);
    deselectAllRows();
    column.backgroundClicked();
    // Reported like any change of the columns: what follows the selection hears that it is gone.
    browser.updateColumns();
}

void ColumnBrowser::ListColumn::List::selectedRowsChanged (int lastRow)
{
    if (!quiet && lastRow >= 0)
        column.selectItem (lastRow);
}

void ColumnBrowser::ListColumn::List::selectRowQuietly (int row)
{
    const juce::ScopedValueSetter<bool> guard (quiet, true);
    selectRow (row);
}

bool ColumnBrowser::ListColumn::List::keyPressed (const juce::KeyPress& key)
{
    if (key.isKeyCode (juce::KeyPress::leftKey) || key.isKeyCode (juce::KeyPress::rightKey))
    {
        // May close this column (the one before re-opens its row): nothing may follow this call.
        column.moveToNeighbour (key.isKeyCode (juce::KeyPress::rightKey));
        return true;
    }
    return juce::ListBox::keyPressed (key);
}

bool ColumnBrowser::ListColumn::List::keyStateChanged (bool isKeyDown)
{
    if (isKeyDown && (juce::KeyPress::isKeyCurrentlyDown (juce::KeyPress::leftKey) ||
                      juce::KeyPress::isKeyCurrentlyDown (juce::KeyPress::rightKey)))
        return true;
    return juce::ListBox::keyStateChanged (isKeyDown);
}

//==============================================================================
/** Starts drags of the list's rows itself, so that they stay inside the editor. */
class ColumnBrowser::ListColumn::DragStarter : public juce::MouseListener
{
public:
    explicit DragStarter (ListColumn& c)
        : column (c)
    {
    }

    void mouseDown (const juce::MouseEvent&) override { started = false; }
    void mouseUp (const juce::MouseEvent&) override { started = false; }

    void mouseDrag (const juce::MouseEvent& e) override
    {
        auto& list = column.getList();
        if (started || !e.mouseWasDraggedSinceMouseDown() || !list.isEnabled())
            return;
        const int row =
            list.getRowContainingPosition (e.getEventRelativeTo (&list).x, e.getEventRelativeTo (&list).y);
        juce::SparseSet<int> rows;
        if (list.isRowSelected (row))
            rows = list.getSelectedRows();
        else if (row >= 0)
            rows.addRange ({row, row + 1});
        if (rows.isEmpty())
            return;
        const auto description = column.describeDrag (rows);
        if (description.isVoid())
            return;
        started = true;
        auto& browser = column.getBrowser();
        list.startDragAndDrop (e, rows, description, false);
        if (!browser.isDragAndDropActive())
            browser.dragFinished();
    }

private:
    ListColumn& column;
    bool started = false;
};

//==============================================================================
ColumnBrowser::ListColumn::ListColumn (ColumnBrowser& owner)
    : Column (owner)
    , list (std::make_unique<List> (*this))
    , dragStarter (std::make_unique<DragStarter> (*this))
{
    list->addMouseListener (dragStarter.get(), true);
    addAndMakeVisible (*list);
}

ColumnBrowser::ListColumn::~ListColumn()
{
    stopTimer();
    list->removeMouseListener (dragStarter.get());
    if (getBrowser().getDragSourceColumn() == this)
        getBrowser().setDragSourceColumn (nullptr);
}

juce::SparseSet<int> ColumnBrowser::ListColumn::getSelectedRows() const
{
    return list->getSelectedRows();
}

ColumnBrowser::ListColumn::ItemComponent* ColumnBrowser::ListColumn::getItemComponent (int row) const
{
    return dynamic_cast<ItemComponent*> (list->getComponentForRowNumber (row));
}

void ColumnBrowser::ListColumn::selectItem (int row)
{
    if (!juce::isPositiveAndBelow (row, getNumItems()))
        return;
    auto& owner = getBrowser();
    owner.openColumn (createColumnForItem (row));
    owner.scrollToColumn (this);
    owner.scrollToColumn (owner.getColumn (owner.getNumColumns() - 1));
    owner.setActiveColumn (this);
    itemSelected (row);
}

void ColumnBrowser::ListColumn::startRenaming (int row)
{
    if (auto* item = getItemComponent (row))
        if (canRenameItem (row))
            item->startRenaming();
}

void ColumnBrowser::ListColumn::moveToNeighbour (bool right)
{
    if (right)
    {
        if (auto* nextColumn = dynamic_cast<ListColumn*> (getNextColumn()))
            if (nextColumn->getNumItems() > 0)
            {
                nextColumn->getList().selectRowQuietly (0);
                nextColumn->selectItem (0);
            }
        return;
    }
    if (auto* previousColumn = dynamic_cast<ListColumn*> (getPreviousColumn()))
    {
        const int row = previousColumn->getList().getSelectedRow (0);
        if (row >= 0)
            previousColumn->selectItem (row); // may delete this column
    }
}

juce::var ColumnBrowser::ListColumn::describeDrag (const juce::SparseSet<int>& rows)
{
    if (!canDragItems (rows))
        return {};
    getBrowser().setDragSourceColumn (this);
    draggedRows = rows;
    return juce::String (dragDescription);
}

void ColumnBrowser::ListColumn::setActive (bool shouldBeActive)
{
    Column::setActive (shouldBeActive);
    if (shouldBeActive && list->isShowing())
        list->grabKeyboardFocus();
}

void ColumnBrowser::ListColumn::updateContent()
{
    list->updateContent();
    list->repaint();
}

void ColumnBrowser::ListColumn::resized()
{
    const int width = getWidth() - 8 - (hasRightStrip() ? 15 : 0);
    list->setBounds (4, 4, juce::jmax (0, width), juce::jmax (0, getHeight() - 8));
}

void ColumnBrowser::ListColumn::paint (juce::Graphics& g)
{
    Column::paint (g);
}

void ColumnBrowser::ListColumn::paintOverChildren (juce::Graphics& g)
{
    if (dropMode != dropAtEndMode)
        return;
    g.setColour (dropColour);
    g.drawRoundedRectangle (getPanelArea().toFloat().reduced (1.5f), 4.0f, 1.0f);
}

ColumnBrowser::ListColumn* ColumnBrowser::ListColumn::sourceColumnOf (const SourceDetails& details)
{
    if (auto* sourceList = dynamic_cast<List*> (details.sourceComponent.get()))
        return &sourceList->getColumn();
    return nullptr;
}

bool ColumnBrowser::ListColumn::isInterestedInDragSource (const SourceDetails& details)
{
    auto* source = sourceColumnOf (details);
    return source != nullptr && details.description.toString() == dragDescription &&
           &source->getBrowser() == &getBrowser();
}

void ColumnBrowser::ListColumn::itemDragEnter (const SourceDetails& details)
{
    updateDropTarget (details);
}

void ColumnBrowser::ListColumn::itemDragMove (const SourceDetails& details)
{
    updateDropTarget (details);
}

void ColumnBrowser::ListColumn::updateDropTarget (const SourceDetails& details)
{
    auto* source = sourceColumnOf (details);
    int mode = noDrop, row = -1;
    const auto inList = list->getLocalPoint (this, details.localPosition);
    const int rowHeight = list->getRowHeight();

    if (list->getLocalBounds().contains (inList) && rowHeight > 0)
    {
        const int y = inList.y + list->getViewport()->getViewPositionY();
        row = y / rowHeight;
        if (row >= getNumItems())
            row = -1;
        const int offset = y - juce::jmax (0, row) * rowHeight;

        if (row < 0)
        {
            mode = canDropAtEnd (source) ? dropAtEndMode : noDrop;
        }
        else if (canDropOnto (source, row))
        {
            if (offset < 5 && canDropBefore (source, row))
                mode = dropBeforeMode;
            else if (offset >= rowHeight - 5 && canDropAfter (source, row))
                mode = dropAfterMode;
            else
                mode = dropOntoMode;
        }
        else if (offset < rowHeight / 2 && canDropBefore (source, row))
            mode = dropBeforeMode;
        else if (canDropAfter (source, row))
            mode = dropAfterMode;
        else if (canDropAtEnd (source))
            mode = dropAtEndMode;

        list->getViewport()->autoScroll (inList.x, inList.y, rowHeight / 2, rowHeight);
        const auto inBrowser = getBrowser().getLocalPoint (this, details.localPosition);
        getBrowser().autoScroll (inBrowser.x, inBrowser.y, 200, 10);
    }

    if (mode == noDrop || mode == dropAtEndMode)
        row = -1;
    if (mode == dropMode && row == dropRow)
        return;
    dropMode = mode;
    dropRow = row;
    if (mode == dropOntoMode)
    {
        hoverRow = row;
        startTimer (500);
    }
    else
    {
        stopTimer();
    }
    list->repaint();
    repaint();
}

void ColumnBrowser::ListColumn::timerCallback()
{
    stopTimer();
    if (dropMode != dropOntoMode || hoverRow != dropRow ||
        !juce::isPositiveAndBelow (hoverRow, getNumItems()))
        return;
    list->selectRowQuietly (hoverRow);
    list->scrollToEnsureRowIsOnscreen (hoverRow);
    selectItem (hoverRow);
}

void ColumnBrowser::ListColumn::itemDragExit (const SourceDetails&)
{
    stopTimer();
    dropMode = noDrop;
    dropRow = -1;
    list->repaint();
    repaint();
}

void ColumnBrowser::ListColumn::itemDropped (const SourceDetails& details)
{
    auto* source = sourceColumnOf (details);
    auto& owner = getBrowser();
    const int mode = dropMode, row = dropRow;
    stopTimer();
    dropMode = noDrop;
    dropRow = -1;
    list->repaint();
    repaint();

    // The drop's work may close this column: nothing of it is touched afterwards.
    switch (mode)
    {
        case dropAtEndMode: dropAtEnd (source); break;
        case dropOntoMode: dropOnto (source, row); break;
        case dropBeforeMode: dropBefore (source, row); break;
        case dropAfterMode: dropAfter (source, row); break;
        default: break;
    }
    owner.dragFinished();
    owner.updateColumns();
}

//==============================================================================
void ColumnBrowser::ViewportComponent::resized()
{
    for (auto* child : getChildren())
        child->setSize (child->getWidth(), getHeight());
}

ColumnBrowser::ColumnBrowser()
    : content (std::make_unique<ViewportComponent>())
{
    setViewedComponent (content.get(), false);
    setWantsKeyboardFocus (false);
    setScrollBarsShown (false, true);
    getHorizontalScrollBar().setAutoHide (false);
    setColour (juce::TextEditor::highlightColourId, juce::Colour (0xFFD3D3D3));
    lookAndFeelChanged();
}

ColumnBrowser::~ColumnBrowser()
{
    closedColumn.reset();
    dragSource = nullptr;
    setViewedComponent (nullptr, false);
    content.reset();
    columns.clear(); // last first
}

void ColumnBrowser::updateLayout()
{
    layoutColumns();
}

void ColumnBrowser::removeLastColumn()
{
    auto* last = columns.getLast();
    content->removeChildComponent (last);
    if (last == dragSource)
    {
        // The rows being dragged live in this column: keep it, hidden, until the drop is done.
        columns.removeObject (last, false);
        last->setVisible (false);
        closedColumn.reset (last);
        return;
    }
    columns.removeLast();
}

void ColumnBrowser::openColumn (Column* c)
{
    if (c == nullptr)
        return;

    int removedWidth = -1;
    while (!columns.isEmpty() && columns.getLast() != c && !c->acceptsPrevious (columns.getLast()))
    {
        removedWidth = columns.getLast()->getWidth();
        removeLastColumn();
    }

    // Only a column that takes the place of the closed ones inherits their width: one already shown (a
    // column re-opened to close those after it) keeps its own, or it would grow with every such click.
    const bool replacing = !columns.contains (c);
    if (replacing)
        insertColumn (c, -1);

    int i = columns.size() - 1;
    for (auto* column = columns[i]; column != nullptr;)
    {
        if (i > 0 && column->isPreviousColumn (columns[i - 1]))
            break;
        auto* previous = column->createPreviousColumn();
        if (previous == nullptr)
            break;
        insertColumn (previous, i);
        column = previous;
    }

    if (replacing && removedWidth >= 0)
        c->setSize (juce::jmax (c->getMinimumWidth(), removedWidth), c->getHeight());

    linkColumns();
    layoutColumns();
    updateColumns();
}

void ColumnBrowser::insertColumn (Column* c, int index)
{
    c->setLookAndFeel (&getLookAndFeel());
    c->setSize (c->getDefaultWidth(), content->getHeight());
    content->addAndMakeVisible (c);
    columns.insert (index, c);
}

void ColumnBrowser::updateColumns()
{
    for (auto* c : columns)
        c->updateContent();
    columnsUpdated();
}

void ColumnBrowser::scrollToColumn (Column* c)
{
    if (c == nullptr || !columns.contains (c))
        return;
    const int viewX = getViewPositionX();
    const int viewWidth = getMaximumVisibleWidth();
    // A column wider than the view shows its left part, where its items' names begin.
    if (c->getX() < viewX)
        setViewPosition (c->getX(), 0);
    else if (c->getRight() > viewX + viewWidth)
        setViewPosition (juce::jmin (c->getX(), c->getRight() - viewWidth), 0);
}

void ColumnBrowser::setActiveColumn (Column* active)
{
    for (auto* c : columns)
        if (c != active)
            c->setActive (false);
    if (active != nullptr)
        active->setActive (true);
}

void ColumnBrowser::linkColumns()
{
    for (int i = 0; i < columns.size(); ++i)
    {
        auto* c = columns.getUnchecked (i);
        auto* previous = columns[i - 1];
        auto* next = columns[i + 1];
        if (c->previous == previous && c->next == next)
            continue;
        c->previous = previous;
        c->next = next;
        c->resized();
        c->repaint();
    }
}

void ColumnBrowser::layoutColumns()
{
    const int height = getHeight() - (getHorizontalScrollBar().isVisible() ? getScrollBarThickness() + 3 : 0);
    int x = 0;
    for (auto* c : columns)
    {
        c->setBounds (x, 0, c->getWidth(), juce::jmax (0, height));
        x += c->getWidth();
    }
    totalWidth = x;
    const int viewWidth = getWidth();
    // Closing columns while scrolled keeps the view where it is, room to spare on the right, as long as
    // the scroll bar offers a way back; without one the view falls back onto the columns.
    const int keptView = getHorizontalScrollBar().isVisible()
                             ? juce::jmax (0, getViewPositionX() - totalWidth + viewWidth)
                             : 0;
    content->setSize (juce::jmax (viewWidth, totalWidth + keptView), juce::jmax (0, height));
    repaint();
}

void ColumnBrowser::resized()
{
    juce::Viewport::resized();
    layoutColumns();
}

void ColumnBrowser::visibleAreaChanged (const juce::Rectangle<int>&)
{
    repaint();
}

void ColumnBrowser::paint (juce::Graphics& g)
{
    g.fillAll (browserColour (*this, LookAndFeelColourIds::browserBackground, 0xFFC5C5C5));
    const int viewX = getViewPositionX();
    const int viewRight = viewX + getMaximumVisibleWidth();
    if (totalWidth >= viewRight)
        return;
    // The empty room right of the last column looks like one more, empty column.
    const auto area =
        juce::Rectangle<int> (totalWidth - viewX, 0, viewRight - totalWidth, content->getHeight())
            .reduced (1)
            .toFloat();
    g.setColour (browserColour (*this, LookAndFeelColourIds::browserColumn, 0xFFE3E3E3));
    g.fillRoundedRectangle (area, 6.0f);
    g.setColour (browserColour (*this, LookAndFeelColourIds::browserSelection, 0xFFFFFFFF));
    g.drawRoundedRectangle (area.reduced (0.5f), 6.0f, 1.0f);
}

void ColumnBrowser::lookAndFeelChanged()
{
    setScrollBarThickness (getLookAndFeel().getDefaultScrollbarWidth());
    for (auto* c : columns)
        c->setLookAndFeel (&getLookAndFeel());
}

void ColumnBrowser::dragFinished()
{
    closedColumn.reset();
    dragSource = nullptr;
}

void ColumnBrowser::dragOperationEnded (const juce::DragAndDropTarget::SourceDetails&)
{
    // JUCE reports the end when the drag image goes, which may be after a new drag began.
    if (!isDragAndDropActive())
        dragFinished();
}
