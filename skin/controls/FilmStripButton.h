#pragma once

#include "skin/controller/BaseGFXController.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** What the film-strip buttons share: no keyboard focus, bounds from the skin, and the skin words that
    choose the moment a click acts. Message thread only. */
class FilmStripButton : public BaseGFXController, public juce::Button
{
public:
    void updateSize() override { applyFrameSize (*this); }
    void updatePosition() override { applyPosition (*this); }

protected:
    explicit FilmStripButton (const juce::String& name);

    /** "onPress" acts on mouse down, "onRelease" on mouse up; another word changes nothing. */
    void applyClickMoment (const juce::String& word);

    /** The "pos" element, then the "size" element (only without an image), as every control reads them;
        for the buttons that read their "gfx" themselves. */
    void readPositionAndSize (const juce::XmlElement& element);

    /** The "gfx" image with the given frame count: the skin's own "framesNum" is not used. */
    void readImage (const juce::XmlElement& element, SkinSource& skinSource, int frames);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FilmStripButton)
};
