#pragma once

#include "skin/controls/ControlFrames.h"
#include "skin/controls/FilmStripButton.h"

/** A button that shows one of several states and fires events: plain, Ctrl-, Shift- and right clicks each
    may have their own. It never changes its state or a parameter itself: the event's handler changes the
    parameter, whose value comes back as the state. Its strip has one frame per state ("2D") or two, rest
    and pressed ("3D"). "inverted" swaps the pictures of state 0 and the others; in the on phase of blinking
    it shows its first frame. Message thread only. */
class GFXMultiStateButton : public FilmStripButton
{
public:
    explicit GFXMultiStateButton (const juce::String& name);

    /** Links, actions, "pos" and "size"; for a "MultiStateButton" element also "style", "states" (2 or
        more), the "gfx" image, "clickEvent" and "radioGroupId". */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** Keeps the events of "onClick", "onClickWithCtrl", "onClickWithShift" and "onRightClick". */
    void addAction (const juce::String& type, int eventId, const juce::String& eventName) override;

    /** state = floor ((statesNum - 1) n + 0.5) for the normalised value n clamped to 0..1. */
    void updateFromParameter (Parameter* source) override;

    void blinkStateChanged() override { repaint(); }

    /** For the editors that drive the state themselves; repaints when it changed. */
    void setState (int newState);
    int getState() const noexcept { return state; }
    int getStatesNum() const noexcept { return statesNum; }
    int getStyle() const noexcept { return style; }

    void setInverted (bool shouldBeInverted);
    bool isInverted() const noexcept { return inverted; }

    const ControlFrames::ClickEvents& getEvents() const noexcept { return events; }

    /** The frame drawn for the pointer over and pressed or not. */
    int getShownFrame (bool overAndDown) const;

protected:
    void clicked (const juce::ModifierKeys& modifiers) override;
    void paintButton (juce::Graphics& g, bool over, bool down) override;

private:
    int style = 0;
    int state = 0;
    int statesNum = 2;
    ControlFrames::ClickEvents events;
    bool inverted = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GFXMultiStateButton)
};
