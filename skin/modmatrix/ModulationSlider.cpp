#include "skin/modmatrix/ModulationSlider.h"

ModulationSlider::ModulationSlider()
    : juce::Slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox)
{
    setLookAndFeel (&lookAndFeel);
    setRange (-1.0, 1.0, 0.0001);
    setValue (0.0, juce::sendNotificationAsync);
}

ModulationSlider::~ModulationSlider()
{
    setLookAndFeel (nullptr);
}

void ModulationSlider::setSourceLevel (float level)
{
    level = juce::jlimit (-1.0f, 1.0f, level);
    if (level == sourceLevel)
        return;
    sourceLevel = level;
    repaint();
}

float ModulationSlider::modulationBarEnd (double amount, float level, float trackWidth, int width)
{
    return ((float) amount * level * trackWidth + (float) width) / 2.0f;
}

void ModulationSlider::resized()
{
    juce::Slider::resized();
    const char* labels[] = {"-1.0", "-0.5", "-0", "0.0", "+0", "+0.5", "+1.0"};
    for (int i = 0; i < 7; ++i)
        labelWidths[i] = juce::roundToInt (font.getStringWidthFloat (labels[i]));
    trackY = (float) getHeight() / 2.0f;
    trackWidth = (float) getWidth() - thumbWidth;
    trackX = thumbWidth / 2.0f;
    trackScale = getWidth() > 0 ? trackWidth / (float) getWidth() : 0.0f;
}

void ModulationSlider::OwnLookAndFeel::drawLinearSliderBackground (juce::Graphics& g, int, int, int width,
                                                                   int, float, float, float,
                                                                   const juce::Slider::SliderStyle,
                                                                   juce::Slider&)
{
    auto& s = slider;
    const float w = (float) width;

    g.setColour (juce::Colour (0xFFA90000));
    const float barEnd = modulationBarEnd (s.getValue(), s.sourceLevel, s.trackWidth, width);
    g.drawLine (w / 2.0f, s.trackY + 10.0f, barEnd, s.trackY + 10.0f, 4.0f);

    g.setColour (juce::Colours::black);
    g.fillRect (std::floor (s.trackX) - 2.0f, s.trackY + 12.0f, std::ceil (w - s.trackX - 3.0f), 3.0f);

    for (int i = 1; i < 20; ++i)
    {
        if (i % 5 == 0)
            continue;
        const float x = s.trackX + (float) i * s.trackScale * w / 20.0f;
        g.drawLine (x, s.trackY + 7.0f, x, s.trackY + 14.0f, 1.0f);
    }

    const float majorTop = s.trackY - 1.0f;
    g.fillRect (s.trackX - 2.0f, majorTop, 3.0f, 15.0f);
    g.fillRect (w / 2.0f - 1.0f, majorTop, 3.0f, 15.0f);
    g.fillRect (s.trackX + s.trackWidth, majorTop, 3.0f, 15.0f);
    g.fillRect (s.trackX + 0.25f * s.trackWidth, majorTop, 2.0f, 15.0f);
    g.fillRect (s.trackX + 0.75f * s.trackWidth - 1.0f, majorTop, 2.0f, 15.0f);

    // Each label sits on its tick with its decimal point (or its middle for 0.0) over the tick.
    g.setFont (s.font);
    const float labelY = s.trackY - 15.0f;
    auto label = [&g, labelY] (const char* text, float x) {
        g.drawText (text, juce::Rectangle<float> (x, labelY, 40.0f, 13.0f), juce::Justification::left, false);
    };
    label ("-1.0", s.thumbWidth / 2.0f);
    label ("-0.5", s.trackX + 0.25f * s.trackWidth - (float) s.labelWidths[2]);
    label ("0.0", w / 2.0f - (float) s.labelWidths[3] / 2.0f);
    label ("+0.5", s.trackX + 0.75f * s.trackWidth - (float) s.labelWidths[4]);
    label ("+1.0", s.trackX + s.trackWidth + 2.0f - (float) s.labelWidths[6]);
}

void ModulationSlider::OwnLookAndFeel::drawLinearSliderThumb (juce::Graphics& g, int, int y, int, int height,
                                                              float sliderPos, float, float,
                                                              const juce::Slider::SliderStyle, juce::Slider&)
{
    const float tw = slider.thumbWidth;
    juce::Path pointer;
    pointer.addTriangle (1.0f, 0.5f, tw - 1.0f, 0.5f, tw / 2.0f, 13.0f);
    pointer.applyTransform (
        juce::AffineTransform::translation (sliderPos + 0.5f - tw / 2.0f, (float) y + (float) height / 2.0f));
    g.setColour (juce::Colours::white);
    g.fillPath (pointer);
    g.setColour (juce::Colours::black);
    g.strokePath (pointer, juce::PathStrokeType (1.0f));
}

int ModulationSlider::OwnLookAndFeel::getSliderThumbRadius (juce::Slider&)
{
    return (int) (slider.thumbWidth * 0.5f);
}
