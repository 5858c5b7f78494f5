#include "editor/pages/MidiControlComponent.h"

#include "editor/StatusBar.h"
#include "framework/BasePlugin.h"
#include "framework/Parameter.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/lookandfeel/SkinArtwork.h"

namespace
{
const juce::Colour headerColour{0xFF6E6E6E};
const juce::Colour headerNumberColour{0xFF5B5B5B};
const juce::Colour numberColumnColour{0xFFBFBFBF};
const juce::Colour rowsColour{0xFFE3E3E3};

int ceilDiv (int a, int b)
{
    return b > 0 ? (a + b - 1) / b : a;
}
} // namespace

//==============================================================================
MidiControlComponent::Geometry MidiControlComponent::Geometry::compute (int width, int height,
                                                                        int scrollBarThickness,
                                                                        int headerHeight, int rowHeight,
                                                                        int numRows, int visibleColumns,
                                                                        int numberColumnWidth)
{
    Geometry g;
    visibleColumns = juce::jmax (1, visibleColumns);
    rowHeight = juce::jmax (1, rowHeight);

    // A list lower than one row would make the column count a division by zero and the scroll range
    // negative: it shows one row per column instead, cut off by the outline.
    g.rowsPerColumn = juce::jmax (1, (height - scrollBarThickness - headerHeight - 6) / rowHeight);
    g.tableHeight = g.rowsPerColumn * rowHeight + headerHeight + 2;
    g.tableArea = {0, (height - scrollBarThickness - g.tableHeight - 4) / 2, width, g.tableHeight};
    g.scrollBar = {0, g.tableArea.getBottom() + 4, width, scrollBarThickness};

    g.content = g.tableArea.reduced (1);
    g.numColumns = juce::jmax (visibleColumns, ceilDiv (juce::jmax (0, numRows), g.rowsPerColumn));
    g.columnWidth = g.content.getWidth() / visibleColumns + 1;
    g.numberColumnWidth = numberColumnWidth;
    g.nameColumnWidth = g.columnWidth - numberColumnWidth;
    g.content.setWidth (juce::jmax (g.content.getWidth(), g.numColumns * g.columnWidth));
    return g;
}

int MidiControlComponent::Geometry::rowAt (juce::Point<int> p, int scrollOffset, int headerHeight,
                                           int rowHeight) const
{
    if (!tableArea.contains (p) || p.y < tableArea.getY() + headerHeight || columnWidth <= 0 ||
        rowHeight <= 0)
        return -1;

    const int column =
        juce::jlimit (0, numColumns - 1, (p.x - scrollOffset - tableArea.getX()) / columnWidth);
    const int row = juce::jlimit (0, rowsPerColumn - 1, (p.y - tableArea.getY() - headerHeight) / rowHeight);
    return rowsPerColumn * column + row;
}

int MidiControlComponent::Geometry::scrollOffsetToShow (int row, int scrollOffset, int visibleColumns) const
{
    if (row < 0)
        return scrollOffset;

    const int column = row / rowsPerColumn;
    const int start = column * columnWidth;
    const int end = start + columnWidth;
    const int visibleStart = -scrollOffset;
    const int visibleEnd = visibleStart + juce::jmax (1, visibleColumns) * columnWidth;

    if (end > visibleEnd)
        return -(end - (visibleEnd - visibleStart));
    if (start < visibleStart)
        return -start;
    return scrollOffset;
}

//==============================================================================
MidiControlComponent::MidiControlComponent (MidiControl& m, const juce::String& extension,
                                            const juce::String& wildcard)
    : map (m)
    , deleteButton ("Delete Assign", SkinArtwork::clearIcon)
    , clearButton ("Clear All", SkinArtwork::deleteIcon)
    , loadButton ("Load Map", SkinArtwork::openIcon)
    , saveButton ("Save Map", SkinArtwork::saveIcon)
{
    setMapFileExtension (extension);
    setMapFileWildcard (wildcard);

    midiLearnButton.setClickingTogglesState (true);
    midiLearnButton.setWantsKeyboardFocus (false);
    midiLearnButton.addListener (this);
    addAndMakeVisible (midiLearnButton);

    defaultMapBox.getCheckBox().setButtonText ("Default map");
    defaultMapBox.getPathComponent().setChooserTitle ("Default Midi Control map");
    defaultMapBox.addListener (this);
    addAndMakeVisible (defaultMapBox);

    map.addListener (this);

    // The box shows whether the map is used at start-up, which the settings keep apart from the file: a
    // file remembered while the choice is off must not tick it.
    const auto file = map.getDefaultMapFile();
    defaultMapBox.getCheckBox().setToggleState (map.isDefaultMapInUse() && file != juce::File(),
                                                juce::dontSendNotification);
    defaultMapBox.getPathComponent().setPath (file.getFullPathName(), false);
    defaultMapBox.updatePathEnablement();

    list = std::make_unique<ListComponent> (*this, map);
    list->setVisibleColumns (3);
    addAndMakeVisible (*list);

    buttonRow.setOrientation (ComponentRow::vertical);
    buttonRow.setAlignment (ComponentRow::alignEnd);
    const std::pair<ToolbarDrawableButton*, const char*> buttons[] = {
        {&deleteButton, "Delete selected assignation"},
        {&clearButton, "Clear all map"},
        {&loadButton, "Open map"},
        {&saveButton, "Save current map"}};
    for (const auto& [button, tooltip] : buttons)
    {
        button->setSize (24, 24);
        button->setTooltip (tooltip);
        button->addListener (this);
        buttonRow.addAndMakeVisible (button);
    }
    addAndMakeVisible (buttonRow);

    lookAndFeelChanged();
    midiLearnStateChanged (&map);
    midiControlMapChanged (&map);
}

MidiControlComponent::~MidiControlComponent()
{
    chooser.cancel();
    map.removeListener (this);
    for (auto* b : {&deleteButton, &clearButton, &loadButton, &saveButton})
        b->removeListener (this);
    midiLearnButton.removeListener (this);
    defaultMapBox.removeListener (this);
    alert.reset();
    list.reset();
}

void MidiControlComponent::setMapFileWildcard (const juce::String& wildcard)
{
    FileType::setMapFileWildcard (wildcard);
    defaultMapBox.getPathComponent().setFilePatterns (wildcard);
}

void MidiControlComponent::updateDeleteButton()
{
    deleteButton.setEnabled (list != nullptr && list->isValidRow (list->getSelectedRow()));
}

void MidiControlComponent::buttonClicked (juce::Button* b)
{
    if (b == &deleteButton)
    {
        const int row = list->getSelectedRow();
        if (list->isValidRow (row))
            map.removeAssignment (list->getRows()[(size_t) row].controller);
    }
    else if (b == &clearButton)
    {
        alert.reset (Zeb::AlertWindow::createYesNoBox (
            map.getName(), "Do you really want to clear all assignations?", this));
        addAndMakeVisible (*alert);
        alert->show();
    }
    else if (b == &loadButton)
    {
        auto request = mapRequest ("Open Midi Control file");
        request.patterns = getMapFileWildcard();
        chooser.launch (request,
                        [this] (const juce::File& file)
                        {
                            rememberFolderOf (file);
                            if (!map.loadFromFile (file))
                                showLoadFailed (statusBar, file, "the MIDI control map");
                        });
    }
    else if (b == &saveButton)
    {
        auto request = mapRequest ("Save Midi Control file as");
        request.patterns = BasePlugin::makeFileWildcard (getMapFileExtension());
        request.saving = true;
        request.savedExtension = getMapFileExtension();
        request.extensionRule = FileChooserPolicy::ExtensionRule::replaced;
        chooser.launch (request,
                        [this] (const juce::File& file)
                        {
                            rememberFolderOf (file);
                            if (!map.saveToFile (file))
                                showSaveFailed (statusBar, file, "the MIDI control map");
                        });
    }
    else if (b == &midiLearnButton)
    {
        map.setLearnMode (midiLearnButton.getToggleState());
    }
}

FileChooserPolicy::Request MidiControlComponent::mapRequest (const juce::String& title) const
{
    FileChooserPolicy::Request request;
    request.title = title;
    if (recentFolder.get != nullptr)
        request.initialLocation = recentFolder.get();
    return request;
}

void MidiControlComponent::rememberFolderOf (const juce::File& chosen)
{
    if (recentFolder.set != nullptr)
        recentFolder.set (chosen.getParentDirectory());
}

void MidiControlComponent::alertWindowClosed (Zeb::AlertWindow* closed, int result)
{
    if (closed == alert.get() && result == Zeb::AlertWindow::yesResult)
        map.clearAll (true);
}

void MidiControlComponent::defaultResourceChanged (DefaultResourceCheckBox* box)
{
    if (box != &defaultMapBox)
        return;
    map.setDefaultMapInUse (defaultMapBox.getCheckBox().getToggleState());
    const auto path = defaultMapBox.getPathComponent().getPath();
    map.setDefaultMapFile (juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File());
}

void MidiControlComponent::midiControlMapChanged (MidiControl*)
{
    list->rebuildRows();
    clearButton.setEnabled (map.getNumAssignments() != 0);
    updateDeleteButton();
}

void MidiControlComponent::midiLearnStateChanged (MidiControl*)
{
    bool learning = false;
    int learned = -1;
    bool hasParameter = false;
    {
        const juce::ScopedLock sl (map.getLock());
        learning = map.isLearnMode();
        learned = map.getLearnedController();
        hasParameter = map.getLearnParameter() != nullptr;
    }

    midiLearnButton.setToggleState (learning, juce::dontSendNotification);
    if (learned != -1 && hasParameter)
        list->selectController (learned);
    else
        list->selectRow (-1);
}

void MidiControlComponent::lookAndFeelChanged()
{
    midiLearnButton.changeWidthToFitText (20);
    defaultMapBox.getCheckBox().changeWidthToFitText (20);
    resized();
}

void MidiControlComponent::resized()
{
    auto area = getLocalBounds();
    if (midiLearnButton.isVisible())
    {
        midiLearnButton.setTopLeftPosition (0, 0);
        area.removeFromTop (midiLearnButton.getHeight() + 4);
    }

    defaultMapBox.setBounds (area.removeFromBottom (20));
    area.removeFromBottom (6);

    buttonRow.updateSize();
    const int rowWidth = buttonRow.getWidth();
    area.removeFromRight (rowWidth + 6);
    if (list != nullptr)
        list->setBounds (area);
    buttonRow.setTopLeftPosition (area.getRight() + 6, area.getY());
}

void MidiControlComponent::childBoundsChanged (juce::Component* child)
{
    if (child == &defaultMapBox)
        resized();
}

//==============================================================================
MidiControlComponent::ListComponent::ListComponent (MidiControlComponent& o, MidiControl& m)
    : owner (o)
    , map (m)
{
    scrollBarThickness = getLookAndFeel().getDefaultScrollbarWidth();
    scrollBar.setAutoHide (false);
    scrollBar.addListener (this);
    addAndMakeVisible (scrollBar);
}

MidiControlComponent::ListComponent::~ListComponent()
{
    scrollBar.removeListener (this);
}

void MidiControlComponent::ListComponent::setVisibleColumns (int columns)
{
    visibleColumns = juce::jmax (1, columns);
    updateColumns();
}

void MidiControlComponent::ListComponent::rebuildRows()
{
    rows.clear();
    selectedRow = -1;
    for (int cc = 0; cc < MidiControl::numControllers; ++cc)
    {
        juce::String name;
        bool assigned = false;
        {
            const juce::ScopedLock sl (map.getLock());
            if (auto* p = map.getParameterOfController (cc))
            {
                name = p->getName();
                assigned = true;
            }
        }
        if (assigned)
            rows.push_back ({cc, name});
    }
    updateColumns();
}

void MidiControlComponent::ListComponent::updateColumns()
{
    const int numberWidth = (int) std::ceil (juce::jmax (rowFont.getStringWidthFloat ("127"),
                                                         headerFont.getStringWidthFloat ("CC"))) +
                            8;
    geometry = Geometry::compute (getWidth(), getHeight(), scrollBarThickness, headerHeight, rowHeight,
                                  (int) rows.size(), visibleColumns, numberWidth);
    scrollBar.setBounds (geometry.scrollBar);

    const double total = (double) geometry.numColumns * geometry.columnWidth;
    const double visible = (double) visibleColumns * geometry.columnWidth;
    scrollBar.setRangeLimits (0.0, total, juce::dontSendNotification);
    scrollBar.setCurrentRange (-scrollOffset, visible, juce::dontSendNotification);
    scrollBar.setSingleStepSize (geometry.columnWidth / 12.0);
    scrollBar.setEnabled (geometry.numColumns > visibleColumns);
    // The range may have shrunk under the old offset.
    scrollOffset = -juce::roundToInt (scrollBar.getCurrentRangeStart());
    repaint();
}

void MidiControlComponent::ListComponent::selectRow (int row)
{
    if (row == selectedRow)
        return;

    selectedRow = row;
    if (row >= 0)
    {
        const int wanted = geometry.scrollOffsetToShow (row, scrollOffset, visibleColumns);
        if (wanted != scrollOffset)
            scrollBar.setCurrentRangeStart (-wanted, juce::sendNotificationSync);
    }
    repaint();
    owner.updateDeleteButton();

    // Selecting an assignment while learning makes it the learn pair (the map checks, under its lock, that
    // learning is on and the slot still holds a parameter).
    if (isValidRow (row))
        map.selectAssignmentForLearn (rows[(size_t) row].controller);
}

void MidiControlComponent::ListComponent::selectController (int controller)
{
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].controller == controller)
        {
            selectRow ((int) i);
            return;
        }
}

void MidiControlComponent::ListComponent::lookAndFeelChanged()
{
    if (dynamic_cast<DefaultLookAndFeel*> (&getLookAndFeel()) != nullptr)
    {
        headerFont = juce::Font ("Tahoma", 13.0f, juce::Font::bold);
        rowFont = juce::Font ("Tahoma", 13.0f, juce::Font::plain);
        headerHeight = 19;
        rowHeight = 20;
        scrollBarThickness = getLookAndFeel().getDefaultScrollbarWidth();
    }
    resized();
}

void MidiControlComponent::ListComponent::resized()
{
    updateColumns();
}

void MidiControlComponent::ListComponent::paint (juce::Graphics& g)
{
    const auto& area = geometry.tableArea;
    if (area.isEmpty())
        return;

    juce::Path outline;
    outline.addRoundedRectangle (area.toFloat().reduced (0.5f), 5.0f);
    g.setColour (headerColour);
    g.strokePath (outline, juce::PathStrokeType (1.0f));

    juce::Graphics::ScopedSaveState save (g);
    g.reduceClipRegion (outline);

    const auto& content = geometry.content;
    g.setColour (rowsColour);
    g.fillRect (area);
    g.setColour (headerColour);
    g.fillRect (area.getX(), area.getY(), area.getWidth(), headerHeight);

    const int top = area.getY() + headerHeight;
    for (int c = 0; c < geometry.numColumns; ++c)
    {
        const int x = content.getX() + c * geometry.columnWidth + scrollOffset;
        if (x + geometry.columnWidth < area.getX() || x > area.getRight())
            continue;

        g.setColour (headerNumberColour);
        g.fillRect (x, area.getY(), geometry.numberColumnWidth, headerHeight);
        g.setColour (numberColumnColour);
        g.fillRect (x, top, geometry.numberColumnWidth, area.getBottom() - top);

        g.setColour (juce::Colours::white);
        g.setFont (headerFont);
        g.drawText ("CC", x, area.getY(), geometry.numberColumnWidth, headerHeight,
                    juce::Justification::centred, false);
        g.drawText ("Parameter", x + geometry.numberColumnWidth + 5, area.getY(),
                    geometry.nameColumnWidth - 10, headerHeight, juce::Justification::centredLeft, true);
    }

    g.setColour (headerColour);
    for (int r = 0; r < geometry.rowsPerColumn; ++r)
        g.fillRect (area.getX(), top + (r + 1) * rowHeight - 1, area.getWidth(), 1);

    g.setFont (rowFont);
    for (int k = 0; k < (int) rows.size(); ++k)
    {
        const int c = k / geometry.rowsPerColumn;
        const int r = k % geometry.rowsPerColumn;
        const int x = content.getX() + c * geometry.columnWidth + scrollOffset;
        const int y = top + r * rowHeight;
        const bool selected = k == selectedRow;
        if (selected)
        {
            g.setColour (headerNumberColour.withAlpha (0.5f));
            g.fillRect (x, y, geometry.columnWidth, rowHeight - 1);
        }
        g.setColour (selected ? juce::Colours::white : juce::Colours::black);
        g.drawText (juce::String (rows[(size_t) k].controller), x + 5, y, geometry.numberColumnWidth - 10,
                    rowHeight, juce::Justification::centred, false);
        g.drawText (rows[(size_t) k].parameterName, x + geometry.numberColumnWidth + 5, y,
                    geometry.nameColumnWidth - 10, rowHeight, juce::Justification::centredLeft, true);
    }
}

void MidiControlComponent::ListComponent::mouseDown (const juce::MouseEvent& e)
{
    const int row = geometry.rowAt (e.getPosition(), scrollOffset, headerHeight, rowHeight);
    if (row >= 0)
        selectRow (row);
}

void MidiControlComponent::ListComponent::scrollBarMoved (juce::ScrollBar*, double newRangeStart)
{
    const int offset = -juce::roundToInt (newRangeStart);
    if (offset != scrollOffset)
    {
        scrollOffset = offset;
        repaint();
    }
}
