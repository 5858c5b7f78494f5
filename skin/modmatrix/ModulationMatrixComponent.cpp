#include "skin/modmatrix/ModulationMatrixComponent.h"

#include "framework/XmlHelpers.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"

namespace
{
const juce::Colour panelGrey (0xFFC5C5C5);
}

//==============================================================================
ModulationMatrixComponent::Row::Row (ModulationMatrixComponent& o)
    : matrixComponent (o)
{
    sourceBox.addListener (this);
    destinationBox.addListener (this);
    amountSlider.addListener (this);
    amountText.setEditOnClick (false);
    amountText.setEditOnDoubleClick (false);
    amountText.setInterceptsMouseClicks (false, false);
    amountText.setJustification (juce::Justification (34));
    // Seven characters ("+0.2500") in 51 pixels: no indent, and a point smaller than the boxes.
    amountText.setIndent (1);
    amountText.setFont (juce::Font ("Tahoma", 12.0f, juce::Font::plain));
    for (auto* c :
         std::initializer_list<juce::Component*>{&sourceBox, &destinationBox, &amountSlider, &amountText})
        addAndMakeVisible (c);
    setEntry ({});
}

ModulationMatrixComponent::Row::~Row()
{
    amountSlider.removeListener (this);
    destinationBox.removeListener (this);
    sourceBox.removeListener (this);
}

void ModulationMatrixComponent::Row::setEntry (const ModulationEntry& e)
{
    sourceBox.setSelectedId (e.source);
    sourceBox.updateText();
    destinationBox.setSelectedId (e.destination);
    destinationBox.updateText();
    amountSlider.setValue (e.amount, juce::dontSendNotification);
    amountText.setText (ModulationMatrixComponent::formatAmount (amountSlider.getValue()));
}

ModulationEntry ModulationMatrixComponent::Row::getEntry() const
{
    return {sourceBox.getSelectedId(), destinationBox.getSelectedId(),
            (float) juce::jlimit (-1.0, 1.0, amountSlider.getValue())};
}

void ModulationMatrixComponent::Row::setSelected (bool s)
{
    if (s == selected)
        return;
    selected = s;
    repaint();
}

void ModulationMatrixComponent::Row::setIndex (int i)
{
    if (i == index)
        return;
    index = i;
    repaint();
}

void ModulationMatrixComponent::Row::comboBoxExChanged (ComboBoxEx*)
{
    matrixComponent.rowChanged (*this, false);
}

void ModulationMatrixComponent::Row::sliderValueChanged (juce::Slider*)
{
    matrixComponent.rowChanged (*this, true);
}

void ModulationMatrixComponent::Row::resized()
{
    sourceBox.setBounds (4, 8, 150, 20);
    destinationBox.setBounds (sourceBox.getRight() + 4, 8, 150, 20);
    amountText.setBounds (getWidth() - 55, 8, 51, 20);
    const int right = destinationBox.getRight();
    amountSlider.setBounds (right + 5, 2, juce::jmax (0, getWidth() - 51 - right - 12), 30);
}

void ModulationMatrixComponent::Row::paint (juce::Graphics& g)
{
    g.fillAll (selected ? juce::Colour (0xFFD09B59)
                        : (index % 2 == 0 ? panelGrey : juce::Colour (0xFFA3A3A3)));
    if (getWidth() > 0)
        g.drawHorizontalLine (getHeight() - 1, 0.0f, (float) getWidth());
}

void ModulationMatrixComponent::Row::mouseDown (const juce::MouseEvent&)
{
    matrixComponent.selectRow (index);
}

//==============================================================================
void ModulationMatrixComponent::Table::ViewportComponent::paint (juce::Graphics& g)
{
    g.fillAll (panelGrey);
}

void ModulationMatrixComponent::Table::ViewportComponent::resized()
{
    for (auto* child : getChildren())
        child->setSize (getWidth(), child->getHeight());
}

void ModulationMatrixComponent::Table::Shape::paint (juce::Graphics& g)
{
    DefaultLookAndFeel::fillShadedPanel (g, getLocalBounds(), panelGrey);
}

void ModulationMatrixComponent::Table::Header::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xFF5B5B5B));
    g.setFont (juce::Font ("Tahoma", 13.0f, juce::Font::bold));
    g.setColour (juce::Colours::white);
    g.drawText ("Source", 5, 0, 150, 20, juce::Justification::centred, false);
    g.drawText ("Destination", 160, 0, 150, 20, juce::Justification::centred, false);
    g.drawText ("Amount", 318, 0, 633, 20, juce::Justification::centred, false);
}

ModulationMatrixComponent::Table::Table()
{
    viewport.setWantsKeyboardFocus (false);
    viewport.setViewedComponent (&content, false);
    addAndMakeVisible (shape);
    addAndMakeVisible (header);
    addAndMakeVisible (viewport);
}

ModulationMatrixComponent::Table::~Table()
{
    viewport.setViewedComponent (nullptr, false);
}

void ModulationMatrixComponent::Table::resized()
{
    shape.setBounds (getLocalBounds());
    header.setBounds (0, 0, getWidth(), headerHeight);
    viewport.setBounds (getLocalBounds().reduced (1).withTrimmedTop (headerHeight));
    const int scrollBar = viewport.isVerticalScrollBarShown() ? viewport.getScrollBarThickness() + 2 : 0;
    content.setBounds (content.getX(), content.getY(), viewport.getWidth() - scrollBar, content.getHeight());
}

//==============================================================================
ModulationMatrixComponent::ModulationMatrixComponent (const juce::String& name)
    : juce::Component (name)
{
    sourceMenu.setTitle ("controllerChoiceMenu");
    const auto& names = ModulationMatrixModel::getSourceNames();
    for (int i = 0; i < names.size(); ++i)
        sourceMenu.addItem (i, names[i]);

    buttonRow.setOrientation (ComponentRow::horizontal);
    for (auto* b : {&addButton, &deleteButton, &upButton, &downButton})
    {
        b->setSize (24, 24);
        b->addListener (this);
        buttonRow.addAndMakeVisible (b);
    }
    addAndMakeVisible (buttonRow);
    addAndMakeVisible (table);
    setSize (400, 200);
}

ModulationMatrixComponent::~ModulationMatrixComponent()
{
    detach();
    for (auto* b : {&addButton, &deleteButton, &upButton, &downButton})
        b->removeListener (this);
    rows.clear();
}

void ModulationMatrixComponent::detach()
{
    if (matrix == nullptr)
        return;
    matrix->entriesChanged.removeChangeListener (this);
    matrix->valuesChanged.removeChangeListener (this);
    matrix->removeListener (this);
    matrix = nullptr;
}

void ModulationMatrixComponent::setMatrix (ModulationMatrixModel* m)
{
    if (m == matrix)
        return;
    detach();
    matrix = m;
    if (matrix != nullptr)
    {
        matrix->entriesChanged.addChangeListener (this);
        matrix->valuesChanged.addChangeListener (this);
        matrix->addListener (this);
    }
    rebuildRows();
}

PopupMenuEx& ModulationMatrixComponent::getDestinationMenu (int source)
{
    return destinationMenus[ModulationMatrixModel::isValidSource (source) ? source : 9];
}

void ModulationMatrixComponent::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    GUIController::loadFromXml (element, skinSource);
    if (!XmlHelpers::tagIs (element, "ModulationMatrix"))
        return;
    int w = 400, h = 200, x = getX(), y = getY();
    if (auto* size = XmlHelpers::findChild (element, "size"))
    {
        w = size->getIntAttribute ("width", w);
        h = size->getIntAttribute ("height", h);
    }
    if (auto* pos = XmlHelpers::findChild (element, "pos"))
    {
        x = pos->getIntAttribute ("left", x);
        y = pos->getIntAttribute ("top", y);
    }
    setBounds (x, y, w, h);
    repaint();
}

juce::String ModulationMatrixComponent::formatAmount (double amount)
{
    const auto digits = juce::String (amount, 4);
    return amount > 0.0 ? "+" + digits : digits;
}

void ModulationMatrixComponent::giveMenus (Row& row)
{
    row.getSourceBox().getOwnMenu() = sourceMenu;
    row.getDestinationBox().getOwnMenu() = getDestinationMenu (row.getSourceBox().getSelectedId());
    row.getSourceBox().updateText();
    row.getDestinationBox().updateText();
}

bool ModulationMatrixComponent::rowsMatchMatrix() const
{
    if (matrix == nullptr)
        return true;
    const auto entries = matrix->getEntries();
    if (entries.size() != rows.size())
        return false;
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i]->getEntry() != entries[i])
            return false;
    return true;
}

void ModulationMatrixComponent::rebuildRows()
{
    rows.clear();
    if (matrix != nullptr)
    {
        for (const auto& e : matrix->getEntries())
        {
            auto* row = rows.add (new Row (*this));
            row->setEntry (e);
            table.content.addAndMakeVisible (row);
        }
    }
    layoutRows();
    if (selectedRow != -1)
        selectedRow = -1;
    for (auto* row : rows)
    {
        giveMenus (*row);
        row->setEntry (row->getEntry());
    }
    updateSelectionMarks();
    refreshSourceLevels();
}

void ModulationMatrixComponent::refreshSourceLevels()
{
    if (matrix == nullptr)
        return;
    for (auto* row : rows)
    {
        const int source = row->getSourceBox().getSelectedId();
        if (ModulationMatrixModel::isValidSource (source))
            row->getSlider().setSourceLevel (juce::jlimit (-1.0f, 1.0f, matrix->getSourceValue (source)));
    }
}

void ModulationMatrixComponent::layoutRows()
{
    auto& content = table.content;
    content.setSize (content.getWidth(), juce::jmax (rowHeight * rows.size(), table.getHeight() - 21));
    for (int i = 0; i < rows.size(); ++i)
    {
        rows[i]->setBounds (0, rowHeight * i, content.getWidth(), rowHeight);
        rows[i]->setIndex (i);
    }
}

void ModulationMatrixComponent::updateSelectionMarks()
{
    for (auto* row : rows)
        row->setSelected (row->getIndex() == selectedRow);
}

void ModulationMatrixComponent::selectRow (int row)
{
    selectedRow = juce::isPositiveAndBelow (row, rows.size()) ? row : -1;
    updateSelectionMarks();
}

void ModulationMatrixComponent::rowChanged (Row& row, bool amountOnly)
{
    const int index = rows.indexOf (&row);
    if (index < 0)
        return;
    if (matrix != nullptr)
        matrix->setEntry (index, row.getEntry());
    if (!amountOnly)
        giveMenus (row);
    row.getAmountText().setText (formatAmount (row.getSlider().getValue()));
    refreshSourceLevels();
}

void ModulationMatrixComponent::modulationEntryChanged (ModulationMatrixModel*, int index)
{
    // Changed in place: only that row follows, so its slider and the selection stay.
    if (auto* row = rows[index])
    {
        const auto entry = matrix->getEntry (index);
        if (row->getEntry() != entry)
        {
            const bool routeChanged = row->getEntry().source != entry.source;
            row->setEntry (entry);
            if (routeChanged)
                giveMenus (*row);
        }
    }
}

void ModulationMatrixComponent::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (matrix == nullptr)
        return;
    if (source == &matrix->entriesChanged)
    {
        // Our own additions and removals already show: rebuilding then would only lose the selection.
        if (!rowsMatchMatrix())
            rebuildRows();
        else
            refreshSourceLevels();
    }
    else if (source == &matrix->valuesChanged)
    {
        refreshSourceLevels();
    }
}

void ModulationMatrixComponent::buttonClicked (juce::Button* b)
{
    buttonPressed (b, juce::ModifierKeys::currentModifiers.isCtrlDown());
}

void ModulationMatrixComponent::buttonPressed (juce::Button* b, bool ctrlDown)
{
    if (b == &addButton)
    {
        auto* row = rows.add (new Row (*this));
        table.content.addAndMakeVisible (row);
        if (matrix != nullptr)
            matrix->addEntry();
        giveMenus (*row);
        layoutRows();
        updateSelectionMarks();
        return;
    }

    if (matrix == nullptr && (b == &deleteButton || ctrlDown))
        return; // without a matrix there is nothing to delete or move

    if (b == &deleteButton)
    {
        if (!juce::isPositiveAndBelow (selectedRow, rows.size()))
            return;
        matrix->removeEntry (selectedRow);
        rows.remove (selectedRow);
        layoutRows();
        selectedRow = juce::jmin (selectedRow, rows.size() - 1);
        updateSelectionMarks();
        return;
    }

    const bool up = b == &upButton;
    if (!up && b != &downButton)
        return;

    if (ctrlDown)
    {
        const int to = up ? selectedRow - 1 : selectedRow + 1;
        const bool canMove = up ? (selectedRow > 0 && selectedRow < rows.size())
                                : (selectedRow >= 0 && selectedRow < rows.size() - 1);
        if (!canMove)
            return;
        matrix->moveEntry (selectedRow, to);
        rows.move (selectedRow, to);
        layoutRows();
        selectedRow = to;
        table.repaint();
    }
    else if (up && selectedRow > 0)
    {
        --selectedRow;
    }
    else if (!up && selectedRow < rows.size() - 1)
    {
        ++selectedRow;
    }
    updateSelectionMarks();
}

void ModulationMatrixComponent::resized()
{
    buttonRow.setTopLeftPosition (5, 4);
    const int top = buttonRow.getBottom() + 3;
    table.setBounds (8, top, getWidth() - 16, getHeight() - top - 8);
    layoutRows();
}

void ModulationMatrixComponent::paint (juce::Graphics& g)
{
    g.setColour (panelGrey);
    DefaultLookAndFeel::fillRoundedRectangle (g, getLocalBounds().reduced (1), 8.0f);
    g.setColour (juce::Colours::black);
    DefaultLookAndFeel::drawRoundedRectangle (g, getLocalBounds(), 8.0f, 3.0f);
}

void ModulationMatrixComponent::mouseDown (const juce::MouseEvent&)
{
    selectRow (-1);
}
