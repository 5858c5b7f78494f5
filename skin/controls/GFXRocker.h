#pragma once

#include "skin/controller/BaseGFXController.h"
#include "skin/controls/ControlFrames.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A two-way rocker: a press on its "more" half (the upper half of a vertical rocker, the right half of a
    horizontal one) or its "less" half fires that half's event, plain or with Ctrl, once, and holds the
    half down until release. Its strip has 3 frames: less held, rest, more held. Message thread only. */
class GFXRocker : public BaseGFXController, public juce::Component
{
public:
    enum Type
    {
        vertical = 0,
        horizontal = 1
    };

    explicit GFXRocker (const juce::String& name);

    /** The common element; for a "Rocker" element also "type" ("vertical"/"horizontal") and the skin's
        bounds. */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** Keeps the events of "onLessClick", "onMoreClick", "onLessClickWithCtrl", "onMoreClickWithCtrl". */
    void addAction (const juce::String& type, int eventId, const juce::String& eventName) override;

    void updateSize() override { applyFrameSize (*this); }
    void updatePosition() override { applyPosition (*this); }

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;

    int getType() const noexcept { return type; }
    /** The frame shown: 0 less held, 1 at rest, 2 more held. */
    int getPosition() const noexcept { return position; }
    const ControlFrames::RockerEvents& getEvents() const noexcept { return events; }

private:
    int type = vertical;
    ControlFrames::RockerEvents events;
    int position = ControlFrames::rockerRest;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GFXRocker)
};
