#pragma once

#include "skin/controls/FilmStripSlider.h"

/** A MIDI channel selector dragged vertically: its value v stands for channel floor (16 v + 0.5), 0 being
    all channels. Its strip holds the disabled picture in frame 0 and then one frame per position, from all
    channels to channel 16; without an image it writes "ALL" or the channel number. Message thread only. */
class GFXMidiChannelDisplay : public FilmStripSlider
{
public:
    /** Range 0..1 without interval, value 0. */
    explicit GFXMidiChannelDisplay (const juce::String& name);

    /** The disabled picture while disabled. */
    int getShownFrame() const override;

    /** 0 for all channels, else 1 to 16. */
    int getChannel() const noexcept;

protected:
    /** A frame and the channel's text in black (light grey when disabled). */
    void paintStandBy (juce::Graphics& g) override;
    juce::String getUnconnectedValueText() const override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GFXMidiChannelDisplay)
};
