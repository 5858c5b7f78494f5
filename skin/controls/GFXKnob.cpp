#include "skin/controls/GFXKnob.h"

#include "skin/controls/ControlFrames.h"

GFXKnob::GFXKnob (const juce::String& name)
    : FilmStripSlider (name)
{
    setSliderStyle (juce::Slider::RotaryVerticalDrag);
    setRange (0.0, 1.0, 0.0);
    setValue (0.0, juce::dontSendNotification);
}

int GFXKnob::getShownFrame() const
{
    if (!isEnabled())
        return 0;
    return FilmStrip::knobFrame (framesNum, (float) getValue(), (float) getMinimum(), (float) getMaximum());
}

juce::String GFXKnob::getUnconnectedValueText() const
{
    // juce::String's number formatting ignores the locale a host may have set.
    return juce::String (getValue(), 6);
}

void GFXKnob::springBack()
{
    setValue (0.0, juce::sendNotificationAsync);
}

//==============================================================================
PitchBender::PitchBender (const juce::String& name)
    : GFXKnob (name)
{
    setRange (-1.0, 1.0, 0.0);
    setValue (0.0, juce::dontSendNotification);
}

void PitchBender::updateFromParameter (Parameter* source)
{
    if (source != nullptr)
        setValue (ControlFrames::benderValueOfNormalised (source->getValueNormalised()),
                  juce::dontSendNotification);
}

void PitchBender::valueChanged()
{
    if (auto* connected = getParameter())
    {
        connected->setValueNormalised (ControlFrames::normalisedOfBenderValue (getValue()), true);
        sendValueChanged();
    }
}

void PitchBender::stoppedDragging()
{
    GFXKnob::stoppedDragging();
    springBack();
}

//==============================================================================
ModWheel::ModWheel (const juce::String& name)
    : GFXKnob (name)
{
}

void ModWheel::stoppedDragging()
{
    GFXKnob::stoppedDragging();
    springBack();
}
