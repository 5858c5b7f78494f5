#include "skin/controls/GFXMidiChannelDisplay.h"

#include "skin/controls/ControlFrames.h"

GFXMidiChannelDisplay::GFXMidiChannelDisplay (const juce::String& name)
    : FilmStripSlider (name)
{
    setSliderStyle (juce::Slider::RotaryVerticalDrag);
    setRange (0.0, 1.0, 0.0);
    setValue (0.0, juce::dontSendNotification);
}

int GFXMidiChannelDisplay::getShownFrame() const
{
    return isEnabled() ? FilmStrip::channelFrame (framesNum, (float) getValue()) : 0;
}

int GFXMidiChannelDisplay::getChannel() const noexcept
{
    return ControlFrames::midiChannelOfValue (getValue());
}

juce::String GFXMidiChannelDisplay::getUnconnectedValueText() const
{
    return ControlFrames::channelText (getChannel());
}

void GFXMidiChannelDisplay::paintStandBy (juce::Graphics& g)
{
    const auto bounds = getLocalBounds();
    g.setColour (isEnabled() ? juce::Colours::black : juce::Colour::greyLevel (0.7f));
    g.drawRect (bounds, 1);

    const float height = juce::jlimit (0.1f, 10000.0f, 0.75f * (float) getHeight());
    g.setFont (juce::Font ("Tahoma", "Regular", height));
    g.drawFittedText (getUnconnectedValueText(), bounds.reduced (3, 0), juce::Justification::centred, 1,
                      0.7f);
}
