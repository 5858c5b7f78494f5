#include "skin/controls/GFXMultiStateButton.h"

#include "framework/XmlHelpers.h"

GFXMultiStateButton::GFXMultiStateButton (const juce::String& name)
    : FilmStripButton (name)
{
    framesNum = ControlFrames::multiStateFramesNum (style, statesNum);
}

void GFXMultiStateButton::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    GUIController::loadFromXml (element, skinSource);
    readPositionAndSize (element);

    if (XmlHelpers::tagIs (element, "MultiStateButton"))
    {
        style = ControlFrames::buttonStyleOfWord (element.getStringAttribute ("style", "2D"), style);
        const int states = element.getIntAttribute ("states");
        if (states >= 2)
            statesNum = states;
        readImage (element, skinSource, ControlFrames::multiStateFramesNum (style, statesNum));
        applyClickMoment (element.getStringAttribute ("clickEvent", "onRelease"));
        setRadioGroupId (element.getIntAttribute ("radioGroupId"));
    }
    repaint();
}

void GFXMultiStateButton::addAction (const juce::String& type, int eventId, const juce::String&)
{
    if (type == "onClick")
        events.click = eventId;
    else if (type == "onClickWithCtrl")
        events.ctrlClick = eventId;
    else if (type == "onClickWithShift")
        events.shiftClick = eventId;
    else if (type == "onRightClick")
        events.rightClick = eventId;
}

void GFXMultiStateButton::updateFromParameter (Parameter* source)
{
    if (source != nullptr)
        setState (ControlFrames::multiStateOfValue (source->getValueNormalised(), statesNum));
}

void GFXMultiStateButton::setState (int newState)
{
    if (newState != state)
    {
        state = newState;
        repaint();
    }
}

void GFXMultiStateButton::setInverted (bool shouldBeInverted)
{
    if (shouldBeInverted != inverted)
    {
        inverted = shouldBeInverted;
        repaint();
    }
}

void GFXMultiStateButton::clicked (const juce::ModifierKeys& modifiers)
{
    const int eventId = ControlFrames::multiStateClickEvent (
        events, modifiers.isCtrlDown(), modifiers.isShiftDown(), modifiers.isRightButtonDown());
    if (eventId != -1)
        sendActionTriggered (eventId);
}

int GFXMultiStateButton::getShownFrame (bool overAndDown) const
{
    return ControlFrames::multiStateFrame (style, state, statesNum, inverted, overAndDown,
                                           isInBlinkOnPhase());
}

void GFXMultiStateButton::paintButton (juce::Graphics& g, bool over, bool down)
{
    const bool pressed = over && down;
    if (hasImage())
    {
        drawFrame (g, getShownFrame (pressed), getLocalBounds());
        return;
    }

    const int side = 16;
    const juce::Rectangle<int> square ((getWidth() - side) / 2, (getHeight() - side) / 2, side, side);
    g.setColour (juce::Colour::greyLevel (pressed ? 0.4f : 0.9f));
    g.fillRect (square);
    g.setColour (juce::Colours::black);
    g.drawRect (square, 1);

    const float diameter = ControlFrames::multiStateDotDiameter (state, statesNum);
    g.fillEllipse (juce::Rectangle<float> (diameter, diameter).withCentre (square.toFloat().getCentre()));
}
