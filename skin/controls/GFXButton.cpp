#include "skin/controls/GFXButton.h"

#include "framework/XmlHelpers.h"

namespace
{
const float textHeight = 12.0f;
}

GFXButton::GFXButton (const juce::String& name)
    : FilmStripButton (name)
{
    const int width = name.isEmpty() ? 18 : juce::Font (textHeight).getStringWidth (name) + 8;
    setSize (width, 18);
}

void GFXButton::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    BaseGFXController::loadFromXml (element, skinSource);

    // The builder takes tags in any case, so the button's own attributes do too.
    if (!XmlHelpers::tagIs (element, "Button"))
        return;

    // A connected button holds its parameter true while pressed, which only works when it acts on the press.
    applyClickMoment (isConnected() ? juce::String ("onPress")
                                    : element.getStringAttribute ("clickEvent", "onRelease"));

    const auto repeat = element.getStringAttribute ("autorepeat", "no");
    if (repeat == "yes")
        setRepeatSpeed (1000, 100);
    else if (repeat == "no")
        setRepeatSpeed (-1, -1);

    placeAtSkinBounds (*this);
}

void GFXButton::addAction (const juce::String& type, int eventId, const juce::String& eventName)
{
    if (type == "onClick")
    {
        events.click = eventId;
        clickEventName = eventName;
    }
    else if (type == "onClickWithCtrl")
    {
        events.ctrlClick = eventId;
        ctrlClickEventName = eventName;
    }
    else if (type == "onRightClick")
    {
        events.rightClick = eventId;
        rightClickEventName = eventName;
    }
}

void GFXButton::clicked (const juce::ModifierKeys& modifiers)
{
    const int eventId =
        ControlFrames::buttonClickEvent (events, modifiers.isCtrlDown(), modifiers.isRightButtonDown());
    if (eventId != -1)
        sendActionTriggered (eventId);
}

void GFXButton::buttonStateChanged()
{
    auto* connected = getParameter();
    if (connected == nullptr)
        return;

    const bool pressed = getState() == juce::Button::buttonDown;
    if (pressed != lastPressed)
    {
        lastPressed = pressed;
        connected->setValueBool (pressed, true);
        sendValueChanged();
    }
}

void GFXButton::mouseEnter (const juce::MouseEvent& e)
{
    FilmStripButton::mouseEnter (e);
    updateTooltip (e.mods);
}

void GFXButton::modifierKeysChanged (const juce::ModifierKeys& modifiers)
{
    FilmStripButton::modifierKeysChanged (modifiers);
    updateTooltip (modifiers);
}

void GFXButton::updateTooltip (const juce::ModifierKeys& modifiers)
{
    setTooltip (modifiers.isCtrlDown() && events.ctrlClick != -1 ? ctrlClickEventName : clickEventName);
}

void GFXButton::paintButton (juce::Graphics& g, bool over, bool down)
{
    const bool pressed = over && down;
    if (hasImage())
    {
        drawFrame (g, pressed ? 1 : 0, getLocalBounds());
        return;
    }

    const auto bounds = getLocalBounds();
    g.fillAll (juce::Colour::greyLevel (pressed ? 0.4f : 0.9f));
    g.setColour (juce::Colours::black);
    g.drawRect (bounds, 1);

    if (getButtonText().isNotEmpty())
    {
        g.setColour (isEnabled() ? juce::Colours::black : juce::Colour (0xff808080));
        g.setFont (textHeight);
        g.drawText (getButtonText(), bounds, juce::Justification::centred, true);
    }
}
