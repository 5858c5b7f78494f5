#include "skin/windows/PathComponent.h"

#include "skin/windows/LookAndFeelColour.h"

PathComponent::PathComponent()
{
    browseButton.setWantsKeyboardFocus (false);
    browseButton.addListener (this);
    addAndMakeVisible (browseButton);
    lookAndFeelChanged();
}

PathComponent::~PathComponent()
{
    browseButton.removeListener (this);
}

void PathComponent::setPath (const juce::String& newPath, bool notify)
{
    // Two names that differ only in letter case are two files where the file system tells them apart.
    const bool same =
        juce::File::areFileNamesCaseSensitive() ? newPath == path : newPath.equalsIgnoreCase (path);
    if (same)
        return;
    path = newPath;
    measure();
    repaint();
    if (!notify)
        return;
    listeners.call ([this] (Listener& l) { l.pathChanged (this); });
}

void PathComponent::addListener (Listener* l)
{
    listeners.add (l);
}

void PathComponent::removeListener (Listener* l)
{
    listeners.remove (l);
}

void PathComponent::measure()
{
    pathWidth = juce::roundToInt (std::ceil (font.getStringWidthFloat (path)));
    markerWidth = juce::roundToInt (std::ceil (font.getStringWidthFloat (marker)));
}

bool PathComponent::isPathCut() const
{
    return pathWidth > textArea.getWidth() - 8;
}

void PathComponent::buttonClicked (juce::Button* b)
{
    if (b != &browseButton)
        return;
    FileChooserPolicy::Request request;
    request.title = chooserTitle;
    request.initialLocation =
        juce::File::isAbsolutePath (initialLocation) ? juce::File (initialLocation) : juce::File();
    request.patterns = filePatterns;
    chooser.launch (request,
                    [this] (const juce::File& f)
                    {
                        if (f.existsAsFile())
                            setPath (f.getFullPathName(), true);
                    });
}

void PathComponent::resized()
{
    const int h = getHeight();
    const int buttonWidth = browseButton.getBestWidthForHeight (h);
    browseButton.setBounds (getWidth() - buttonWidth, 0, buttonWidth, h);
    boxArea = {0, 0, juce::jmax (0, getWidth() - buttonWidth - spacing), h};
    textArea = boxArea.reduced (4, 0);
}

void PathComponent::paint (juce::Graphics& g)
{
    const bool enabled =
        isEnabled() && (getParentComponent() == nullptr || getParentComponent()->isEnabled());
    const float alpha = enabled ? 1.0f : 0.5f;

    const auto outline = lookAndFeelColour (*this, 0x0F002202, juce::Colours::white);
    if (!outline.isTransparent())
    {
        const auto box = boxArea.toFloat().reduced (0.5f);
        g.setColour (
            lookAndFeelColour (*this, 0x0F002200, juce::Colour (0xFFE3E3E3)).withMultipliedAlpha (alpha));
        g.fillRoundedRectangle (box, 4.0f);
        g.setColour (outline.withMultipliedAlpha (alpha));
        g.drawRoundedRectangle (box, 4.0f, 1.0f);
    }

    const auto textColour =
        lookAndFeelColour (*this, 0x0F002201, juce::Colours::black).withMultipliedAlpha (alpha);
    g.setFont (font);
    g.setColour (textColour);
    if (!isPathCut())
    {
        g.drawText (path, textArea, juce::Justification::centredLeft, false);
        return;
    }
    g.drawText (path, textArea.withTrimmedRight (markerWidth), juce::Justification::centredLeft, false);
    g.setColour (textColour.withMultipliedAlpha (0.5f));
    g.drawText (marker, textArea, juce::Justification::centredRight, false);
}

void PathComponent::enablementChanged()
{
    browseButton.setEnabled (isEnabled() &&
                             (getParentComponent() == nullptr || getParentComponent()->isEnabled()));
    repaint();
}

void PathComponent::lookAndFeelChanged()
{
    // The look and feel's text font is the one it gives labels.
    juce::Label probe;
    font = getLookAndFeel().getLabelFont (probe);
    measure();
    repaint();
    resized();
}
