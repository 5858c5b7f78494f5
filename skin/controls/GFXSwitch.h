#pragma once

#include "skin/controls/FilmStripSlider.h"

/** A multi-position film-strip switch: its value (0..1 in steps of 0.005) picks the frame, and its skin
    "style" sets how it is dragged.

    A switch whose strip holds exactly two frames is a two-position switch: it stands at 0 or 1 and nowhere
    between, its upper position shows only while its parameter is above the middle (the reading of every
    two-state parameter of the synthesis, so a host's 0.5 shows the lower position), and a click anywhere
    on it flips it, bracketed by one gesture. Message thread only. */
class GFXSwitch : public FilmStripSlider
{
public:
    enum Style
    {
        vertical = 0,
        horizontal = 1,
        rotary = 2
    };

    /** Rotary, range 0..1 with interval 0.005, value 0. */
    explicit GFXSwitch (const juce::String& name);

    /** The slider's element, then "style" ("Rotary", "Horizontal", "Vertical" in any case; another word
        keeps the style), which sets the drag direction. A strip of two frames makes the switch a
        two-position one. */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** A two-position switch takes the position its parameter's value stands for; any other switch the
        value itself. Nothing is written back. */
    void updateFromParameter (Parameter* source) override;

    /** Frame 0 while disabled. */
    int getShownFrame() const override;
    int getStyle() const noexcept { return style; }
    bool isTwoPosition() const noexcept { return framesNum == 2; }

    /** A two-position switch flips on the press and ignores the drag; other switches are dragged. */
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;

protected:
    /** The value as a plain decimal number of up to 6 significant digits. */
    juce::String getUnconnectedValueText() const override;

private:
    int style = rotary;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GFXSwitch)
};
