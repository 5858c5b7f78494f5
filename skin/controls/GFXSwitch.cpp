#include "skin/controls/GFXSwitch.h"

#include "framework/NumberText.h"
#include "skin/controls/ControlFrames.h"

namespace
{
constexpr double stepOfManyPositions = 0.005;

juce::Slider::SliderStyle sliderStyleOf (int style)
{
    switch (style)
    {
        case GFXSwitch::vertical: return juce::Slider::LinearVertical;
        case GFXSwitch::horizontal: return juce::Slider::LinearHorizontal;
        default: return juce::Slider::RotaryVerticalDrag;
    }
}
} // namespace

GFXSwitch::GFXSwitch (const juce::String& name)
    : FilmStripSlider (name)
{
    setSliderStyle (sliderStyleOf (style));
    setRange (0.0, 1.0, stepOfManyPositions);
    setValue (0.0, juce::dontSendNotification);
}

void GFXSwitch::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    FilmStripSlider::loadFromXml (element, skinSource);
    style = ControlFrames::switchStyleOfWord (element.getStringAttribute ("style"), style);
    setSliderStyle (sliderStyleOf (style));
    // A step of 1 keeps every road into the slider (keys, wheel, accessibility) at the two positions.
    setRange (0.0, 1.0, isTwoPosition() ? 1.0 : stepOfManyPositions);
    repaint();
}

void GFXSwitch::updateFromParameter (Parameter* source)
{
    if (source != nullptr && isTwoPosition())
        setValue (ControlFrames::twoPositionOfValue (source->getValueNormalised()),
                  juce::dontSendNotification);
    else
        FilmStripSlider::updateFromParameter (source);
}

int GFXSwitch::getShownFrame() const
{
    return isEnabled() ? ControlFrames::switchFrame (framesNum, (float) getValue()) : 0;
}

void GFXSwitch::mouseDown (const juce::MouseEvent& e)
{
    if (!isTwoPosition())
        return FilmStripSlider::mouseDown (e);
    if (!isEnabled())
        return;

    beginDragGesture();
    setValue (1 - ControlFrames::twoPositionOfValue ((float) getValue()), juce::sendNotificationSync);
}

void GFXSwitch::mouseDrag (const juce::MouseEvent& e)
{
    if (!isTwoPosition())
        FilmStripSlider::mouseDrag (e);
}

void GFXSwitch::mouseUp (const juce::MouseEvent& e)
{
    if (!isTwoPosition())
        return FilmStripSlider::mouseUp (e);
    endDragGesture();
}

juce::String GFXSwitch::getUnconnectedValueText() const
{
    return NumberText::formatGeneral (getValue(), 6);
}
