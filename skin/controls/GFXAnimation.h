#pragma once

#include "skin/controller/BaseGFXController.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A passive film strip: it shows the frame its parameter's value picks, or a frame an editor shows for a
    moment (the MIDI activity light). While it blinks, the on phase shows frame 0. Without an image it
    draws a small square with a dot that grows with the frame.

    Its timer runs only while a frame is shown for a moment. Message thread only. */
class GFXAnimation : public BaseGFXController, public juce::Component, private juce::Timer
{
public:
    explicit GFXAnimation (const juce::String& name);

    /** The common element (its "states" and "style" are ignored); the frame returns to 0. */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** frame = floor ((framesNum - 1) n + 0.5) for the normalised value n clamped to 0..1. */
    void updateFromParameter (Parameter* source) override;

    void updateSize() override { applyFrameSize (*this); }
    void updatePosition() override { applyPosition (*this); }

    void paint (juce::Graphics& g) override;
    void blinkStateChanged() override { repaint(); }

    /** Shows the frame now; repaints when it changed. */
    void setFrame (int newFrame);
    int getFrame() const noexcept { return frame; }

    /** Shows the frame for the given time, then returns to frame 0. */
    void showFrameFor (int newFrame, int milliseconds);

    /** The frame drawn now, kept inside the strip. */
    int getShownFrame() const noexcept;

    /** The end of a frame shown for a moment. Tests call it directly. */
    void timerCallback() override;

private:
    int frame = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GFXAnimation)
};
