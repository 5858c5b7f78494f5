#pragma once

#include "skin/controls/FilmStripButton.h"

/** An on/off button bound to a boolean parameter: a click toggles it and writes the new state; the
    parameter's changes come back without being written again. Its strip has 2 frames ("2D": off, on) or 4
    ("3D": off, off pressed, on, on pressed), whatever the skin's "framesNum" says. While disabled or in the
    on phase of blinking it shows frame 0. Message thread only. */
class GFXToggleButton : public FilmStripButton
{
public:
    enum Style
    {
        flat = 0,  // "2D"
        raised = 1 // "3D"
    };

    explicit GFXToggleButton (const juce::String& name);

    /** Links, actions, "pos" and "size"; for a "ToggleButton" element also "style", the "gfx" image,
        "clickEvent" and "radioGroupId". */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** The toggle state becomes the parameter's boolean; nothing is written back. */
    void updateFromParameter (Parameter* source) override;

    void blinkStateChanged() override { repaint(); }

    int getStyle() const noexcept { return style; }

    /** The frame drawn for the pointer over and pressed or not. */
    int getShownFrame (bool overAndDown) const;

protected:
    void clicked() override;
    void paintButton (juce::Graphics& g, bool over, bool down) override;

private:
    bool isLit() const;

    int style = flat;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GFXToggleButton)
};
