#pragma once

#include "skin/controls/ControlFrames.h"
#include "skin/controls/FilmStripButton.h"

/** A push button that fires events: one for a plain click, one for a Ctrl-click, one for a right click
    (which falls back to the plain click's event). Connected to a parameter it also holds the parameter true
    exactly while it is held down, and then acts on the press. It can repeat its click while held. Its
    tooltip names the event a click would fire.

    Frame 0 at rest, frame 1 while pressed. Message thread only. */
class GFXButton : public FilmStripButton
{
public:
    /** Sized for its name as a text button until the skin sets the real size. */
    explicit GFXButton (const juce::String& name);

    /** The common element; for a "Button" element also "clickEvent" ("onPress"/"onRelease"; a connected
        button always acts on the press), "autorepeat" ("yes"/"no") and the skin's bounds. */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** Keeps the events of "onClick", "onClickWithCtrl" and "onRightClick"; other kinds are ignored. */
    void addAction (const juce::String& type, int eventId, const juce::String& eventName) override;

    const ControlFrames::ClickEvents& getEvents() const noexcept { return events; }

    /** Both set the tooltip: the Ctrl event's name while Ctrl is held and that event is set, else the
        plain click's. */
    void mouseEnter (const juce::MouseEvent& e) override;
    void modifierKeysChanged (const juce::ModifierKeys& modifiers) override;

protected:
    void clicked (const juce::ModifierKeys& modifiers) override;
    void buttonStateChanged() override;
    void paintButton (juce::Graphics& g, bool over, bool down) override;

private:
    void updateTooltip (const juce::ModifierKeys& modifiers);

    ControlFrames::ClickEvents events; // the shift-click kind is not used by this button
    juce::String clickEventName, ctrlClickEventName, rightClickEventName;
    bool lastPressed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GFXButton)
};
