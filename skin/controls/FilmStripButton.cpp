#include "skin/controls/FilmStripButton.h"

#include "framework/XmlHelpers.h"
#include "skin/source/SkinSource.h"

FilmStripButton::FilmStripButton (const juce::String& name)
    : juce::Button (name)
{
    setWantsKeyboardFocus (false);
}

void FilmStripButton::applyClickMoment (const juce::String& word)
{
    if (word == "onPress")
        setTriggeredOnMouseDown (true);
    else if (word == "onRelease")
        setTriggeredOnMouseDown (false);
}

void FilmStripButton::readPositionAndSize (const juce::XmlElement& element)
{
    if (const auto* pos = XmlHelpers::findChild (element, "pos"))
    {
        const int newLeft = pos->getIntAttribute ("left");
        const int newTop = pos->getIntAttribute ("top");
        if (newLeft != left || newTop != top)
        {
            left = newLeft;
            top = newTop;
            updatePosition();
        }
    }

    if (const auto* size = XmlHelpers::findChild (element, "size"); size != nullptr && !hasImage())
    {
        const int newWidth = juce::jmax (0, size->getIntAttribute ("width"));
        const int newHeight = juce::jmax (0, size->getIntAttribute ("height"));
        if (newWidth != frameWidth || newHeight != frameHeight)
        {
            frameWidth = newWidth;
            frameHeight = newHeight;
            updateSize();
        }
    }
}

void FilmStripButton::readImage (const juce::XmlElement& element, SkinSource& skinSource, int frames)
{
    juce::Image found;
    if (const auto* gfx = XmlHelpers::findChild (element, "gfx"))
        found = skinSource.getImage (gfx->getStringAttribute ("resource"));
    setImage (found, frames);
}
