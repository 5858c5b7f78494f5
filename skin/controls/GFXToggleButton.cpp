#include "skin/controls/GFXToggleButton.h"

#include "framework/XmlHelpers.h"
#include "skin/controls/ControlFrames.h"

GFXToggleButton::GFXToggleButton (const juce::String& name)
    : FilmStripButton (name)
{
    setClickingTogglesState (true);
    framesNum = ControlFrames::toggleFramesNum (style);
}

void GFXToggleButton::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    GUIController::loadFromXml (element, skinSource);
    readPositionAndSize (element);

    if (XmlHelpers::tagIs (element, "ToggleButton"))
    {
        style = ControlFrames::buttonStyleOfWord (element.getStringAttribute ("style", "2D"), style);
        readImage (element, skinSource, ControlFrames::toggleFramesNum (style));
        applyClickMoment (element.getStringAttribute ("clickEvent", "onRelease"));
        setRadioGroupId (element.getIntAttribute ("radioGroupId"));
    }
    repaint();
}

void GFXToggleButton::updateFromParameter (Parameter* source)
{
    if (source != nullptr)
        setToggleState (source->getValueBool(), juce::dontSendNotification);
}

void GFXToggleButton::clicked()
{
    if (auto* connected = getParameter())
    {
        connected->setValueBool (getToggleState(), true);
        sendValueChanged();
    }
}

bool GFXToggleButton::isLit() const
{
    return isEnabled() && !isInBlinkOnPhase() && getToggleState();
}

int GFXToggleButton::getShownFrame (bool overAndDown) const
{
    return ControlFrames::toggleFrame (framesNum, getToggleState(), overAndDown, isEnabled(),
                                       isInBlinkOnPhase());
}

void GFXToggleButton::paintButton (juce::Graphics& g, bool over, bool down)
{
    if (hasImage())
    {
        drawFrame (g, getShownFrame (over && down), getLocalBounds());
        return;
    }

    const auto bounds = getLocalBounds();
    g.setColour (juce::Colour::greyLevel (0.7f));
    g.drawRect (bounds, 1);

    g.setColour (juce::Colours::black);
    g.setFont (13.0f);
    g.drawFittedText (getToggleState() ? "On" : "Off", bounds, juce::Justification::centredTop, 2, 0.7f);
    if (auto* connected = getParameter())
        g.drawFittedText (connected->getName(), bounds, juce::Justification::centredBottom, 2, 0.7f);

    const float side = 0.75f * (float) juce::jmin (getHeight() - 32, getWidth());
    if (side <= 0.0f)
        return;

    const auto square = juce::Rectangle<float> (side, side).withCentre (bounds.toFloat().getCentre());
    if (isLit())
        g.fillRect (square);
    else
        g.drawRect (square, 1.0f);
}
