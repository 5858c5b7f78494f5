#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

namespace
{
// Values at the ends of each range, at switching points, and where the unit changes.
TEST (KelvanorTexts, ShowTheValuesAsTheHostSeesThem)
{
    struct TextCase
    {
        int id;
        float value; // normalised
        const char* expected;
    };
    // clang-format off
    const TextCase cases[] = {
        {0, 1.0f, "24.0 halftones"}, {0, 0.5f, "0.0 halftones"}, {0, 0.0f, "-24.0 halftones"},
        {0, 0.25f, "-12.0 halftones"}, {0, 0.53125f, "1.50 halftones"}, {0, 0.46875f, "-1.50 halftones"},
        {0, 0.5f + 0.0625f / 48.0f * 16.0f, "0.99 halftones"}, {1, 0.0f, "1 ms"}, {1, 1.0f, "1700 ms"},
        {1, 0.5f, "47 ms"}, {2, 0.0f, "0.0"}, {2, 1.0f, "100.0"}, {3, 0.5f, "50.0"}, {5, 0.25f, "25.0"},
        {9, 1.0f, "100.0"}, {10, 0.0f, "0.0"}, {4, 1.0f, "36.0 ms"}, {4, 0.0f, "0.0 ms"}, {6, 0.0f, "0.0 ms"},
        {6, 0.9f, "598.7 ms"}, {6, 0.95f, "1.12 s"}, {6, 1.0f, "5.30 s"}, {7, 0.0f, "200.0 ms"},
        {7, 0.7f, "865.5 ms"}, {7, 1.0f, "2.31 s"}, {8, 0.5f, "514.0 ms"}, {11, 0.0f, "0%"},
        {11, 0.5f, "50%"}, {11, 0.54f, "54%"}, {11, 0.999f, "99%"}, {11, 1.0f, "100%"}, {16, 0.0f, "0%"},
        {17, 0.3f, "30%"}, {12, 0.0f, "0.0dB"},
        {12, 1.0f, "32.0dB"}, {13, 0.0f, "-1.00"}, {13, 0.5f, "0.00"}, {14, 1.0f, "1.00"}, {15, 1.0f, "0.0dB"},
        {15, 0.0f, "-60.0dB"}, {15, 0.5f, "-18.0dB"}, {18, 0.0f, "Square"}, {18, 0.5f, "Square"},
        {18, 0.51f, "Sawtooth"}, {19, 0.0f, "Free"}, {19, 1.0f, "Linked"}, {19, 0.5f, "Free"},
        {20, 0.5f, "Free"}, {20, 0.75f, "Linked"}, {21, 0.0f, "Off"}, {21, 1.0f, "On"}, {21, 0.5f, "Off"},
        {22, 0.0f, "Post"}, {22, 0.5f, "Post"}, {22, 1.0f, "Pre"}, {23, 0.0f, "-inf."}, {23, 1.0f, "+12.0dB"},
        {23, 0.5f, "0.0dB"}, {23, 0.1f, "-28.0dB"}, {24, 0.0f, "Custom"}, {24, 3.0f / 7.0f, "7th"},
        {24, 1.0f, "Dim"}, {25, 0.0f, "Off"}, {25, 0.25f, "Random"}, {25, 1.0f, "Up-Down"},
        {26, 0.505f, "51%"}, {26, 1.0f, "100%"}, {27, 0.0f, "Off"}, {30, 0.5f, "On"}, {31, 0.0f, "1"},
        {31, 0.2f, "1.5"}, {31, 1.0f, "6"}, {32, 0.0f, "1"}, {32, 1.0f, "6"}, {33, 1.0f, "127"},
        {34, 0.5f, "64"}, {35, 0.0f, "0"}, {79, 0.0f, "Custom"}, {36, 1.0f, ""}, {38, 1.0f, ""},
        {85, 0.5f, ""}};
    // clang-format on

    KelvanorHarness h;
    for (const auto& c : cases)
    {
        h.set (c.id, c.value);
        EXPECT_EQ (h.processor->getParameterTextById (c.id), juce::String (c.expected))
            << "id " << c.id << " at " << c.value;
    }
}

TEST (KelvanorMidiKeyNames, NameTheSelectedPatternsInHostModeOnly)
{
    KelvanorHarness h;
    auto& processor = *h.processor;
    processor.setPatternName (5, "Acid Five");

    EXPECT_EQ (processor.getMidiKeyName (17), "") << "no names outside host mode";

    processor.setHostMode (true);
    EXPECT_EQ (processor.getMidiKeyName (17), "Acid Five");
    EXPECT_EQ (processor.getMidiKeyName (12), processor.getPatternName (0));
    EXPECT_EQ (processor.getMidiKeyName (107), processor.getPatternName (95));
    EXPECT_EQ (processor.getMidiKeyName (11), "---");
    EXPECT_EQ (processor.getMidiKeyName (108), "---");

    processor.setInternalSequencer (false);
    EXPECT_EQ (processor.getMidiKeyName (17), "");
}

TEST (KelvanorSynthesisSettings, AccentLevelTuningAndStepLengthKeepToTheirChoices)
{
    KelvanorHarness h;
    auto& processor = *h.processor;
    auto& parameters = processor.getParameterManager();

    processor.setAccentVelocityLevel (Kelvanor::highAccentLevel);
    EXPECT_EQ (processor.getAccentVelocityLevel(), 2);
    EXPECT_FLOAT_EQ (parameters.getParameterNormalised (Kelvanor::accentVelocityLevelId), 1.0f);

    // Unknown levels would make every step silent and every note accented.
    processor.setAccentVelocityLevel (7);
    processor.setAccentVelocityLevel (-1);
    EXPECT_EQ (processor.getAccentVelocityLevel(), 2);
    EXPECT_FLOAT_EQ (parameters.getParameterNormalised (Kelvanor::accentVelocityLevelId), 1.0f);

    // The same level again still shows it.
    parameters.setParameterNormalised (Kelvanor::accentVelocityLevelId, 0.0f);
    processor.setAccentVelocityLevel (Kelvanor::highAccentLevel);
    EXPECT_FLOAT_EQ (parameters.getParameterNormalised (Kelvanor::accentVelocityLevelId), 1.0f);

    processor.setOscillatorTuning (Kelvanor::batteryLowTuning);
    processor.setOscillatorTuning (3);
    EXPECT_EQ (processor.getOscillatorTuning(), 2);
    EXPECT_FLOAT_EQ (parameters.getParameterNormalised (Kelvanor::oscillatorTuningTypeId), 1.0f);

    h.set (Kelvanor::stepLengthId, 0.0f);
    EXPECT_DOUBLE_EQ (h.processor->getStepLengthValue(), 0.04);
    h.set (Kelvanor::stepLengthId, 1.0f);
    EXPECT_DOUBLE_EQ (h.processor->getStepLengthValue(), 0.96);
}
} // namespace
