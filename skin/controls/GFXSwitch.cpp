#include "skin/controls/GFXSwitch.h"

#include "framework/NumberText.h"
#include "skin/controls/ControlFrames.h"

namespace
{
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
    setRange (0.0, 1.0, 0.005);
    setValue (0.0, juce::dontSendNotification);
}

void GFXSwitch::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    FilmStripSlider::loadFromXml (element, skinSource);
    style = ControlFrames::switchStyleOfWord (element.getStringAttribute ("style"), style);
    setSliderStyle (sliderStyleOf (style));
    repaint();
}

int GFXSwitch::getShownFrame() const
{
    return isEnabled() ? FilmStrip::switchFrame (framesNum, (float) getValue()) : 0;
}

juce::String GFXSwitch::getUnconnectedValueText() const
{
    return NumberText::formatGeneral (getValue(), 6);
}
