#include "skin/controller/BaseGFXController.h"

#include "framework/XmlHelpers.h"
#include "skin/source/SkinSource.h"

#include <juce_gui_basics/juce_gui_basics.h>

void BaseGFXController::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    GUIController::loadFromXml (element, skinSource);

    framesNum = 1;

    if (const auto* gfx = XmlHelpers::findChild (element, "gfx"))
    {
        framesNum = FilmStrip::safeCount (gfx->getIntAttribute ("framesNum", 1));
        const auto found = skinSource.getImage (gfx->getStringAttribute ("resource"));
        if (found.isValid())
            setImage (found, framesNum);
    }

    if (const auto* size = XmlHelpers::findChild (element, "size"); size != nullptr && !image.isValid())
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
}

void BaseGFXController::setImage (const juce::Image& newImage, int newFramesNum)
{
    framesNum = FilmStrip::safeCount (newFramesNum);
    if (!newImage.isValid())
        return;

    image = newImage;
    const int newWidth = image.getWidth();
    const int newHeight = FilmStrip::frameHeightOf (image.getHeight(), framesNum);
    if (newWidth != frameWidth || newHeight != frameHeight)
    {
        frameWidth = newWidth;
        frameHeight = newHeight;
        updateSize();
    }
}

void BaseGFXController::drawFrame (juce::Graphics& g, int frame, juce::Rectangle<int> destination) const
{
    FilmStrip::drawFrame (g, image, frame, framesNum, destination);
}

void BaseGFXController::applyFrameSize (juce::Component& component) const
{
    component.setBounds (component.getX(), component.getY(), frameWidth, frameHeight);
}

void BaseGFXController::applyPosition (juce::Component& component) const
{
    component.setBounds (left, top, component.getWidth(), component.getHeight());
}

void BaseGFXController::placeAtSkinBounds (juce::Component& component) const
{
    component.setBounds (left, top, component.getWidth(), component.getHeight());
    component.setBounds (left, top, frameWidth, frameHeight);
    component.repaint();
}
