#pragma once

#include "skin/controls/FilmStripSlider.h"

/** A multi-position film-strip switch: its value (0..1 in steps of 0.005) picks the frame, and its skin
    "style" sets how it is dragged. Message thread only. */
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
        keeps the style), which sets the drag direction. */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    int getShownFrame() const override;
    int getStyle() const noexcept { return style; }

protected:
    /** The value as a plain decimal number of up to 6 significant digits. */
    juce::String getUnconnectedValueText() const override;

private:
    int style = rotary;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GFXSwitch)
};
