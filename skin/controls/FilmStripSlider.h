#pragma once

#include "skin/controller/BaseGFXController.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** What the slider-based film-strip controls (knobs, switches, the MIDI channel selector) share: the skin
    element places them, their parameter's normalised value sets the slider without writing anything back,
    a drag is bracketed by exactly one gesture begin and end, and every user change is written into the
    parameter with notification. Each kind says which frame its value shows and how it looks without an
    image.

    Message thread only. */
class FilmStripSlider : public BaseGFXController, public juce::Slider
{
public:
    /** Reads the skin element, then takes the skin's place and the frame size. */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** The slider shows the parameter's normalised value; nothing is written back. */
    void updateFromParameter (Parameter* source) override;

    void updateSize() override { applyFrameSize (*this); }
    void updatePosition() override { applyPosition (*this); }

    /** The shown frame of the strip, or the stand-by picture without an image. */
    void paint (juce::Graphics& g) override;

    void startedDragging() override;
    void stoppedDragging() override;

    /** Writes the slider value as the parameter's normalised value, then tells the listeners. Unconnected,
        nothing. */
    void valueChanged() override;

    /** The frame shown now; each kind says what it shows while it or a parent is disabled. */
    virtual int getShownFrame() const = 0;

protected:
    explicit FilmStripSlider (const juce::String& name);

    /** Without an image: a frame in light grey, the slider as the look and feel draws it, the value text
        at the top and the parameter's name at the bottom. */
    virtual void paintStandBy (juce::Graphics& g);

    /** The value text of the stand-by picture when no parameter is connected. */
    virtual juce::String getUnconnectedValueText() const = 0;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FilmStripSlider)
};
