#include "editor/pages/GUISettingsComponent.h"

#include "skin/source/SkinSource.h"

#include <algorithm>

//==============================================================================
juce::Rectangle<int> GUISettingsComponent::getFirstDisplayArea()
{
    // Without an X server (a headless test, a host scanning plug-ins) JUCE knows no display at all.
    const auto& displays = juce::Desktop::getInstance().getDisplays().displays;
    if (displays.isEmpty() || displays.getReference (0).totalArea.isEmpty())
        return {0, 0, fallbackScreenWidth, fallbackScreenHeight};
    return displays.getReference (0).totalArea;
}

GUISettingsComponent::SkinPreview::SkinPreview (juce::Rectangle<int> area)
    : screenArea (area)
{
    setSize (screenArea.getWidth() / 10 + 6, screenArea.getHeight() / 10 + 26);
}

void GUISettingsComponent::SkinPreview::setImage (const juce::Image& image)
{
    if (image == thumbnail)
        return;
    thumbnail = image;
    repaint();
}

juce::String GUISettingsComponent::SkinPreview::getResolutionText() const
{
    return "Screen resolution: " + juce::String (screenArea.getWidth()) + " x " +
           juce::String (screenArea.getHeight());
}

void GUISettingsComponent::SkinPreview::paint (juce::Graphics& g)
{
    auto area = getLocalBounds();
    const auto textLine = area.removeFromBottom (20);

    g.setColour (juce::Colours::black);
    g.fillRect (area);
    g.setColour (juce::Colour (0xFF808080));
    g.drawRect (area, 3);

    if (thumbnail.isValid())
    {
        const auto inner = area.reduced (3);
        g.drawImageAt (thumbnail, inner.getX() + (inner.getWidth() - thumbnail.getWidth()) / 2,
                       inner.getY() + (inner.getHeight() - thumbnail.getHeight()) / 2);
    }

    g.setColour (juce::Colours::black);
    g.setFont (juce::Font ("Tahoma", 13.0f, juce::Font::plain));
    g.drawText (getResolutionText(), textLine, juce::Justification::centred, false);
}

//==============================================================================
GUISettingsComponent::GUISettingsComponent (BasePlugin& plugin, const juce::String& defaultSkinName,
                                            const juce::String& currentSkinName)
    : defaultPreview (getFirstDisplayArea())
    , currentPreview (defaultPreview.getScreenArea())
{
    readSkins (plugin);

    for (int i = 0; i < (int) entries.size(); ++i)
        menu.addItem (i, itemText (entries[(size_t) i]));

    const std::tuple<PanelComponent*, ComponentRow*, ComboBoxButton*, SkinPreview*> parts[] = {
        {&defaultPanel, &defaultRow, &defaultChooser, &defaultPreview},
        {&currentPanel, &currentRow, &currentChooser, &currentPreview}};
    for (const auto& [panel, row, chooser, preview] : parts)
    {
        chooser->getOwnMenu() = menu;
        chooser->updateButtonText();
        chooser->setSize (300, 18);
        chooser->addListener (this);
        row->setOrientation (ComponentRow::vertical);
        row->setSpacing (6);
        row->addAndMakeVisible (chooser);
        row->addAndMakeVisible (preview);
        panel->setContentComponent (row, true);
        addAndMakeVisible (panel);
    }

    setDefaultSkinName (defaultSkinName, false);
    setCurrentSkinName (currentSkinName, false);
}

GUISettingsComponent::~GUISettingsComponent()
{
    defaultChooser.removeListener (this);
    currentChooser.removeListener (this);
    // The panels do not own their rows, which go before them.
    defaultPanel.setContentComponent (nullptr, false);
    currentPanel.setContentComponent (nullptr, false);
}

void GUISettingsComponent::readSkins (BasePlugin& plugin)
{
    const auto folder = SkinSource::getSkinsDirectory (plugin);
    if (folder.getFullPathName().isEmpty() || !folder.isDirectory())
        return;

    auto files = folder.findChildFiles (juce::File::findFiles, false,
                                        "*" + juce::String (SkinSource::skinFileExtension));
    // The folder's order differs between file systems; names in order make equal widths list the same.
    files.sort();
    for (const auto& file : files)
    {
        const auto name = file.getFileNameWithoutExtension();
        SkinSource source (plugin, name);
        const auto background = source.getImageFromSkinFile ("Background.png");
        entries.push_back ({name, background.isValid() ? background.getBounds() : juce::Rectangle<int>(),
                            source.getImageFromSkinFile ("Thumbnail.png")});
    }
    std::stable_sort (entries.begin(), entries.end(),
                      [] (const SkinEntry& a, const SkinEntry& b)
                      { return a.background.getWidth() < b.background.getWidth(); });
}

juce::String GUISettingsComponent::itemText (const SkinEntry& entry)
{
    return entry.name + " - " + juce::String (entry.background.getWidth()) + " x " +
           juce::String (entry.background.getHeight());
}

void GUISettingsComponent::addListener (Listener* l)
{
    listeners.add (l);
}

void GUISettingsComponent::removeListener (Listener* l)
{
    listeners.remove (l);
}

juce::String GUISettingsComponent::nameOfEntry (int index) const
{
    return juce::isPositiveAndBelow (index, (int) entries.size()) ? entries[(size_t) index].name
                                                                  : juce::String();
}

juce::String GUISettingsComponent::getDefaultSkinName() const
{
    return nameOfEntry (defaultChooser.getSelectedId());
}

juce::String GUISettingsComponent::getCurrentSkinName() const
{
    return nameOfEntry (currentChooser.getSelectedId());
}

int GUISettingsComponent::findSkin (const juce::String& name) const
{
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].name.equalsIgnoreCase (name))
            return (int) i;
    return -1;
}

void GUISettingsComponent::setDefaultSkinName (const juce::String& name, bool notify)
{
    const int index = findSkin (name);
    if (index < 0)
        return;
    defaultChooser.setSelectedId (index, false);
    defaultPreview.setImage (entries[(size_t) index].thumbnail);
    if (notify)
        listeners.call ([this] (Listener& l) { l.defaultSkinChanged (this); });
    defaultSkinSelected();
}

void GUISettingsComponent::setCurrentSkinName (const juce::String& name, bool notify)
{
    const int index = findSkin (name);
    if (index < 0)
        return;
    currentChooser.setSelectedId (index, false);
    currentPreview.setImage (entries[(size_t) index].thumbnail);
    if (notify)
        listeners.call ([this] (Listener& l) { l.currentSkinChanged (this); });
    currentSkinSelected();
}

void GUISettingsComponent::comboBoxButtonChanged (ComboBoxButton* chooser)
{
    if (chooser == &currentChooser)
        setCurrentSkinName (nameOfEntry (chooser->getSelectedId()), true);
    else if (chooser == &defaultChooser)
        setDefaultSkinName (nameOfEntry (chooser->getSelectedId()), true);
}

void GUISettingsComponent::resized()
{
    const int halfWidth = getWidth() / 2 - 3;
    defaultPanel.fitToContent (halfWidth, -1);
    defaultPanel.setTopLeftPosition (0, 0);
    currentPanel.fitToContent (halfWidth, -1);
    currentPanel.setTopLeftPosition (getWidth() / 2 + 3, 0);
}
