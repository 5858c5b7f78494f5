#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The amount slider of a modulation route: a scale from -1 to +1 with ticks and labels, a pointer
    thumb, and a red bar showing how far the route's source moves its destination right now. */
class ModulationSlider : public juce::Slider
{
public:
    ModulationSlider();
    ~ModulationSlider() override;

    /** The source's current value, -1 to +1. */
    void setSourceLevel (float level);
    float getSourceLevel() const noexcept { return sourceLevel; }

    /** The x of the modulation bar's far end for a slider of that width. */
    static float modulationBarEnd (double amount, float level, float trackWidth, int width);

    void resized() override;

private:
    class OwnLookAndFeel : public juce::LookAndFeel_V2
    {
    public:
        explicit OwnLookAndFeel (ModulationSlider& s)
            : slider (s)
        {
        }
        void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height,
                                         float sliderPos, float minSliderPos, float maxSliderPos,
                                         const juce::Slider::SliderStyle, juce::Slider&) override;
        void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                                    float minSliderPos, float maxSliderPos, const juce::Slider::SliderStyle,
                                    juce::Slider&) override;
        int getSliderThumbRadius (juce::Slider&) override;

    private:
        ModulationSlider& slider;
    };

    float sourceLevel = 0.0f;
    float thumbWidth = 16.0f;
    OwnLookAndFeel lookAndFeel{*this};
    juce::Font font{"Tahoma", 13.0f, juce::Font::plain};
    int labelWidths[7] = {};
    float trackY = 0, trackWidth = 0, trackX = 0, trackScale = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModulationSlider)
};
