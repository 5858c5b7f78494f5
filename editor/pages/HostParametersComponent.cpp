#include "editor/pages/HostParametersComponent.h"

#include "editor/StatusBar.h"
#include "framework/BasePlugin.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/lookandfeel/SkinArtwork.h"

namespace
{
const juce::Colour panelColour{0xFFC5C5C5};
const juce::Colour headerColour{0xFF6E6E6E};
const juce::Colour headerNumberColour{0xFF5B5B5B};
const juce::Colour numberColumnColour{0xFFBFBFBF};
const juce::Colour rowsColour{0xFFE3E3E3};
} // namespace

//==============================================================================
void HostParametersComponent::Shape::paint (juce::Graphics& g)
{
    g.setColour (panelColour);
    DefaultLookAndFeel::fillRoundedRectangle (g, getLocalBounds(), 6.0f);
}

//==============================================================================
HostParametersComponent::HostParametersComponent (BasePlugin& p)
    : processor (p)
    , clearButton ("Clear all", SkinArtwork::clearIcon)
    , loadButton ("Load map", SkinArtwork::openIcon)
    , saveButton ("Save map", SkinArtwork::saveIcon)
{
    // The editor of the plain start-up order sets the same pair again.
    setMapFileExtension (processor.getHostParametersMapFileExtension());

    list = std::make_unique<ListComponent> (processor);
    addAndMakeVisible (shape);
    viewport.setViewedComponent (list.get(), false);
    viewport.setScrollBarsShown (false, true);
    addAndMakeVisible (viewport);
    list->setRowsPerColumn (10);

    buttonRow.setOrientation (ComponentRow::vertical);
    buttonRow.setAlignment (ComponentRow::alignEnd);
    buttonRow.setSpacing (0);
    for (auto* b : {&clearButton, &loadButton, &saveButton})
    {
        b->setSize (24, 24);
        b->setTooltip (b->getName());
        b->addListener (this);
        buttonRow.addAndMakeVisible (b);
    }
    addAndMakeVisible (buttonRow);

    defaultMapBox.getCheckBox().setButtonText ("Default map");
    defaultMapBox.getCheckBox().changeWidthToFitText (20);
    defaultMapBox.getPathComponent().setChooserTitle ("Default Host Parameters Map file");
    defaultMapBox.getPathComponent().setFilePatterns (getMapFileWildcard());

    // Both values are shown without notification: a notice from the tick would store the still empty path
    // field as the processor's default map file, wiping the path the user settings gave it.
    defaultMapBox.getPathComponent().setPath (processor.getHostMapFile(), false);
    defaultMapBox.getCheckBox().setToggleState (processor.isHostMapDefault(), juce::dontSendNotification);
    defaultMapBox.updatePathEnablement();
    defaultMapBox.addListener (this);
    addAndMakeVisible (defaultMapBox);

    resized();
}

HostParametersComponent::~HostParametersComponent()
{
    chooser.cancel();
    for (auto* b : {&clearButton, &loadButton, &saveButton})
        b->removeListener (this);
    defaultMapBox.removeListener (this);
    alert.reset();
    viewport.setViewedComponent (nullptr, false);
    list.reset();
}

void HostParametersComponent::setMapFileWildcard (const juce::String& wildcard)
{
    FileType::setMapFileWildcard (wildcard);
    defaultMapBox.getPathComponent().setFilePatterns (wildcard);
}

void HostParametersComponent::buttonClicked (juce::Button* b)
{
    if (b == &loadButton)
    {
        FileChooserPolicy::Request request;
        request.title = "Load Host Parameters Map file";
        request.patterns = getMapFileWildcard();
        chooser.launch (request, [this] (const juce::File& file) { processor.loadHostParametersMap (file); });
    }
    else if (b == &saveButton)
    {
        FileChooserPolicy::Request request;
        request.title = "Save Host Parameters Map file as";
        request.patterns = BasePlugin::makeFileWildcard (getMapFileExtension());
        request.saving = true;
        request.savedExtension = getMapFileExtension();
        request.extensionRule = FileChooserPolicy::ExtensionRule::replaced;
        chooser.launch (request,
                        [this] (const juce::File& file)
                        {
                            if (!processor.saveHostParametersMap (file))
                                showSaveFailed (statusBar, file, "the host parameters map");
                        });
    }
    else if (b == &clearButton)
    {
        alert.reset (Zeb::AlertWindow::createYesNoBox (
            processor.getProductName(), "Do you really want to clear all assignations?", this));
        addAndMakeVisible (*alert);
        alert->show();
    }
}

void HostParametersComponent::alertWindowClosed (Zeb::AlertWindow* closed, int result)
{
    if (closed == alert.get() && result == Zeb::AlertWindow::yesResult)
        processor.clearHostParameters();
}

void HostParametersComponent::defaultResourceChanged (DefaultResourceCheckBox* box)
{
    if (box != &defaultMapBox)
        return;
    processor.setHostMapDefault (defaultMapBox.getCheckBox().getToggleState());
    processor.setHostMapFile (defaultMapBox.getPathComponent().getPath());
}

void HostParametersComponent::resized()
{
    buttonRow.updateSize();
    buttonRow.setTopLeftPosition (getWidth() - buttonRow.getWidth(), 0);
    const int remaining = getWidth() - buttonRow.getWidth() - 5;
    const int thickness = viewport.getScrollBarThickness();

    shape.setBounds (0, 0, juce::jmax (0, remaining),
                     list->getRowHeight() * list->getRowsPerColumn() + list->getHeaderHeight() + thickness +
                         2);

    const int listWidth = juce::jmax (remaining - 2, 0);
    list->setListWidth (listWidth);
    viewport.setBounds (1, 1, listWidth, juce::jmax (list->getHeight() + thickness, 0));

    defaultMapBox.setBounds (0, viewport.getBottom() + 9, getWidth(), 20);
}

void HostParametersComponent::childBoundsChanged (juce::Component* child)
{
    if (child == &buttonRow || child == &defaultMapBox)
        resized();
}

//==============================================================================
HostParametersComponent::ListComponent::ListComponent (BasePlugin& p)
    : processor (p)
{
    const juce::Font bold ("Tahoma", 13.0f, juce::Font::bold);
    numberColumnWidth =
        (int) std::ceil (juce::jmax (bold.getStringWidthFloat ("999"), bold.getStringWidthFloat ("No."))) + 8;

    processor.getHostParametersChangedBroadcaster().addChangeListener (this);
    numSlots = juce::jlimit (0, BasePlugin::maxHostParameters, processor.getNumHostParameters());
    fillMenu();

    for (int k = 0; k < numSlots; ++k)
    {
        auto* chooser = choosers.add (new ComboBoxButton());
        chooser->setName ("HPComboBox" + juce::String (k + 1));
        chooser->setSharedMenu (&menu);
        chooser->addListener (this);
        addAndMakeVisible (chooser);
    }
    changeListenerCallback (nullptr);
    updateLayout();
}

HostParametersComponent::ListComponent::~ListComponent()
{
    processor.getHostParametersChangedBroadcaster().removeChangeListener (this);
    for (int i = choosers.size(); --i >= 0;)
    {
        choosers[i]->removeListener (this);
        choosers[i]->setSharedMenu (nullptr);
        choosers.remove (i);
    }
}

void HostParametersComponent::ListComponent::fillMenu()
{
    // Only automatable parameters can be bound to a slot; "---" frees it.
    menu.clear();
    menu.addItem (-1, "---");
    auto& manager = processor.getParameterManager();
    for (int i = 0; i < manager.getNumParameters(); ++i)
        if (auto* parameter = manager.getParameterAtIndex (i);
            parameter != nullptr && parameter->isAutomatable())
            menu.addItem (parameter->getId(), parameter->getName());
}

void HostParametersComponent::ListComponent::setRowsPerColumn (int rows)
{
    rowsPerColumn = juce::jmax (1, rows);
    updateLayout();
}

void HostParametersComponent::ListComponent::setVisibleColumns (int columns)
{
    visibleColumns = juce::jmax (1, columns);
    updateLayout();
}

void HostParametersComponent::ListComponent::setListWidth (int width)
{
    width = juce::jmax (0, width);
    if (width != listWidth)
    {
        listWidth = width;
        updateLayout();
    }
}

void HostParametersComponent::ListComponent::updateLayout()
{
    columnWidth = (float) listWidth / (float) visibleColumns;
    listTop = headerHeight;
    numColumns = juce::jmax (1, (numSlots + rowsPerColumn - 1) / rowsPerColumn);

    for (int k = 0; k < numSlots; ++k)
    {
        const int c = k / rowsPerColumn;
        const int r = k % rowsPerColumn;
        choosers[k]->setBounds (numberColumnWidth + (int) ((float) c * columnWidth) + 6,
                                rowHeight * r + listTop + 1,
                                juce::jmax (0, (int) columnWidth - numberColumnWidth - 12), rowHeight - 2);
    }

    setSize ((int) std::floor ((float) numColumns * columnWidth), rowHeight * rowsPerColumn + headerHeight);
    repaint();
}

void HostParametersComponent::ListComponent::comboBoxButtonChanged (ComboBoxButton* chooser)
{
    const int slot = choosers.indexOf (chooser);
    if (slot < 0)
        return;
    processor.assignHostParameter (slot,
                                   processor.getParameterManager().getParameter (chooser->getSelectedId()));
}

void HostParametersComponent::ListComponent::changeListenerCallback (juce::ChangeBroadcaster*)
{
    for (int k = 0; k < numSlots; ++k)
    {
        const auto* parameter = processor.getHostParameter (k);
        const int id = parameter != nullptr ? parameter->getId() : -1;
        if (choosers[k]->getSelectedId() != id)
            choosers[k]->setSelectedId (id, false);
    }
}

void HostParametersComponent::ListComponent::paint (juce::Graphics& g)
{
    g.setColour (headerColour);
    g.fillRect (0, 0, getWidth(), headerHeight);
    g.setColour (rowsColour);
    g.fillRect (0, headerHeight, getWidth(), getHeight() - headerHeight);

    const juce::Font bold ("Tahoma", 13.0f, juce::Font::bold);
    const juce::Font plain ("Tahoma", 13.0f, juce::Font::plain);
    const int colWidth = (int) columnWidth;

    for (int c = 0; c < numColumns; ++c)
    {
        const int x = (int) ((float) c * columnWidth);
        g.setColour (headerNumberColour);
        g.fillRect (x, 0, numberColumnWidth, headerHeight);
        g.setColour (numberColumnColour);
        g.fillRect (x, headerHeight, numberColumnWidth, getHeight() - headerHeight);

        g.setColour (juce::Colours::white);
        g.setFont (bold);
        g.drawText ("No.", x, 0, numberColumnWidth, headerHeight, juce::Justification::centred, false);
        g.drawText ("Parameter", x + numberColumnWidth + 5, 0, colWidth - numberColumnWidth - 10,
                    headerHeight, juce::Justification::centredLeft, true);
    }

    // The last column's rows past the last slot show neither a number nor a number column.
    if (numColumns * rowsPerColumn > numSlots && numSlots > 0)
    {
        const int x = (int) ((float) (numColumns - 1) * columnWidth);
        const int y = (numSlots % rowsPerColumn) * rowHeight + listTop + 1;
        g.setColour (rowsColour);
        g.fillRect (x, y, colWidth, getHeight() - y);
    }

    g.setColour (juce::Colours::black);
    g.setFont (plain);
    for (int k = 0; k < numSlots; ++k)
    {
        const int x = (int) ((float) (k / rowsPerColumn) * columnWidth);
        const int r = k % rowsPerColumn;
        g.drawText (juce::String (k + 1), x + 4, r * rowHeight + listTop, numberColumnWidth - 8, rowHeight,
                    juce::Justification::centred, false);
    }
}
