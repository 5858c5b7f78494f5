#pragma once

#include "skin/controls/FilmStripSlider.h"

/** A rotary film-strip knob: dragged vertically, it shows the frame of its value's place in its range and
    writes the value into its parameter (normalised); disabled, it shows frame 0. Without an image it draws
    the stand-by picture with its value and its parameter's name.

    Message thread only. */
class GFXKnob : public FilmStripSlider
{
public:
    /** Range 0..1 without interval, value 0, vertical drag, no text box. */
    explicit GFXKnob (const juce::String& name);

    /** Frame 0 while disabled. */
    int getShownFrame() const override;

protected:
    /** The classic "%f" of the value: six decimals. */
    juce::String getUnconnectedValueText() const override;

    /** Back to the rest value 0 once a drag has ended; the change reaches the parameter through
        valueChanged. */
    void springBack();

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GFXKnob)
};

/** A pitch wheel: a knob whose slider runs -1..1 while its parameter runs 0..1, and that springs back to
    the centre when let go. */
class PitchBender : public GFXKnob
{
public:
    /** Range -1..1 without interval, value 0. */
    explicit PitchBender (const juce::String& name);

    /** The slider shows 2 n - 1 for the parameter's normalised n. */
    void updateFromParameter (Parameter* source) override;
    /** Writes (v + 1) / 2. */
    void valueChanged() override;
    /** The gesture ends, then the bender returns to 0 (its parameter to 0.5). */
    void stoppedDragging() override;
};

/** A modulation wheel: a knob that returns to 0 when let go. */
class ModWheel : public GFXKnob
{
public:
    explicit ModWheel (const juce::String& name);

    /** The gesture ends, then the wheel returns to 0. */
    void stoppedDragging() override;
};
