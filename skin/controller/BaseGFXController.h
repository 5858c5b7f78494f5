#pragma once

#include "skin/controller/FilmStrip.h"
#include "skin/controller/GUIController.h"

#include <juce_graphics/juce_graphics.h>

namespace juce
{
class Component;
}

/** What the film-strip controls share: the image (a strip of framesNum frames stacked vertically), the
    frame size and the position read from the skin.

    A control deriving from this also derives from a JUCE component class, which follows this base; it
    overrides updateSize and updatePosition (the helpers below do the usual work) and draws with
    drawFrame. The image is shared with every other control and instance that uses it: never draw into it.
    Message thread only. */
class BaseGFXController : public GUIController
{
public:
    BaseGFXController() = default;

    /** GUIController's links and actions, then "gfx" ("resource", "framesNum": a count below 1 counts as
        1), "size" (only without an image) and "pos"; updateSize and updatePosition when their values
        changed. */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** A component control sets its bounds to (its x, its y, frameWidth, frameHeight). */
    virtual void updateSize() {}
    /** A component control sets its bounds to (left, top, its width, its height). */
    virtual void updatePosition() {}

    /** Takes the image and its frame count and recomputes the frame size (a null image keeps the size). */
    void setImage (const juce::Image& newImage, int newFramesNum);

    const juce::Image& getImage() const noexcept { return image; }
    bool hasImage() const noexcept { return image.isValid(); }
    int getFramesNum() const noexcept { return framesNum; }
    int getFrameWidth() const noexcept { return frameWidth; }
    int getFrameHeight() const noexcept { return frameHeight; }
    int getLeft() const noexcept { return left; }
    int getTop() const noexcept { return top; }

protected:
    /** Draws the frame (clamped into the strip) over the destination; nothing without an image. */
    void drawFrame (juce::Graphics& g, int frame, juce::Rectangle<int> destination) const;

    /** The usual updateSize of a component control. */
    void applyFrameSize (juce::Component& component) const;
    /** The usual updatePosition of a component control. */
    void applyPosition (juce::Component& component) const;
    /** What the controls do after reading their element: the bounds become (left, top) at the current size,
        then the frame size at that place; repaint. */
    void placeAtSkinBounds (juce::Component& component) const;

    juce::Image image; // shared, read only
    int framesNum = 1;
    int frameWidth = 0;
    int frameHeight = 0;
    int left = 0;
    int top = 0;
};
