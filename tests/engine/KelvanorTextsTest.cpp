#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

namespace
{
struct TextCase
{
    int id;
    float value; // normalised
    const char* expected;
};

void PrintTo (const TextCase& c, std::ostream* os)
{
    *os << "id " << c.id << " at " << c.value << " -> \"" << c.expected << "\"";
}

/** One processor for the whole table: building it loads banks and patterns. */
class KelvanorTexts : public ::testing::TestWithParam<TextCase>
{
protected:
    static void SetUpTestSuite() { harness = std::make_unique<KelvanorHarness>(); }
    static void TearDownTestSuite() { harness.reset(); }

    static std::unique_ptr<KelvanorHarness> harness;
};

std::unique_ptr<KelvanorHarness> KelvanorTexts::harness;

TEST_P (KelvanorTexts, ShowsTheValueAsTheHostSeesIt)
{
    const auto& c = GetParam();
    auto& processor = *harness->processor;
    processor.getParameterManager().setParameterNormalised (c.id, c.value);

    EXPECT_EQ (processor.getParameterTextById (c.id), juce::String (c.expected));
}

// Values at the ends of each range, at switching points, and where the unit changes.
INSTANTIATE_TEST_SUITE_P (
    Table, KelvanorTexts,
    ::testing::Values (
        TextCase{0, 1.0f, "24.0 halftones"}, TextCase{0, 0.5f, "0.0 halftones"},
        TextCase{0, 0.0f, "-24.0 halftones"}, TextCase{0, 0.25f, "-12.0 halftones"},
        TextCase{0, 0.53125f, "1.50 halftones"}, TextCase{0, 0.46875f, "-1.50 halftones"},
        TextCase{0, 0.5f + 0.0625f / 48.0f * 16.0f, "0.99 halftones"}, // 0.999..: truncated, not rounded
        TextCase{1, 0.0f, "1 ms"}, TextCase{1, 1.0f, "1700 ms"}, TextCase{1, 0.5f, "47 ms"},
        TextCase{2, 0.0f, "0.0"}, TextCase{2, 1.0f, "100.0"}, TextCase{3, 0.5f, "50.0"},
        TextCase{5, 0.25f, "25.0"}, TextCase{9, 1.0f, "100.0"}, TextCase{10, 0.0f, "0.0"},
        TextCase{4, 1.0f, "36.0 ms"}, TextCase{4, 0.0f, "0.0 ms"}, TextCase{6, 0.0f, "0.0 ms"},
        TextCase{6, 0.9f, "598.7 ms"}, TextCase{6, 0.95f, "1.12 s"}, TextCase{6, 1.0f, "5.30 s"},
        TextCase{7, 0.0f, "200.0 ms"}, TextCase{7, 0.7f, "865.5 ms"}, TextCase{7, 1.0f, "2.31 s"},
        TextCase{8, 0.5f, "514.0 ms"}, TextCase{11, 0.5f, "50%"}, TextCase{11, 0.999f, "99%"},
        TextCase{11, 1.0f, "100%"}, TextCase{16, 0.0f, "0%"}, TextCase{17, 0.3f, "30%"},
        TextCase{12, 0.0f, "0.0dB"}, TextCase{12, 1.0f, "32.0dB"}, TextCase{13, 0.0f, "-1.00"},
        TextCase{13, 0.5f, "0.00"}, TextCase{14, 1.0f, "1.00"}, TextCase{15, 1.0f, "0.0dB"},
        TextCase{15, 0.0f, "-60.0dB"}, TextCase{15, 0.5f, "-18.0dB"}, TextCase{18, 0.0f, "Square"},
        TextCase{18, 0.5f, "Square"}, TextCase{18, 0.51f, "Sawtooth"}, TextCase{19, 0.0f, "Free"},
        TextCase{19, 1.0f, "Linked"}, TextCase{20, 0.5f, "Free"}, TextCase{20, 0.75f, "Linked"},
        TextCase{21, 0.0f, "Off"}, TextCase{21, 1.0f, "On"}, TextCase{22, 0.0f, "Post"},
        TextCase{22, 0.5f, "Post"}, TextCase{22, 1.0f, "Pre"}, TextCase{23, 0.0f, "-inf."},
        TextCase{23, 1.0f, "+12.0dB"}, TextCase{23, 0.5f, "0.0dB"}, TextCase{23, 0.1f, "-28.0dB"},
        TextCase{24, 0.0f, "Custom"}, TextCase{24, 3.0f / 7.0f, "7th"}, TextCase{24, 1.0f, "Dim"},
        TextCase{25, 0.0f, "Off"}, TextCase{25, 0.25f, "Random"}, TextCase{25, 1.0f, "Up-Down"},
        TextCase{26, 0.505f, "51%"}, TextCase{26, 1.0f, "100%"}, TextCase{27, 0.0f, "Off"},
        TextCase{30, 0.5f, "On"}, TextCase{31, 0.0f, "1"}, TextCase{31, 0.2f, "1.5"}, TextCase{31, 1.0f, "6"},
        TextCase{32, 0.0f, "1"}, TextCase{32, 1.0f, "6"}, TextCase{33, 1.0f, "127"}, TextCase{34, 0.5f, "64"},
        TextCase{35, 0.0f, "0"}, TextCase{79, 0.0f, "Custom"}, TextCase{36, 1.0f, ""}, TextCase{38, 1.0f, ""},
        TextCase{85, 0.5f, ""}));

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

TEST (KelvanorSynthesisSettings, AccentLevelSetsThresholdAndStepVelocities)
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
}

TEST (KelvanorSynthesisSettings, StepLengthAndThresholdsFollowTheirParameters)
{
    KelvanorHarness h;
    auto& processor = *h.processor;
    auto& parameters = processor.getParameterManager();

    parameters.setParameterNormalised (Kelvanor::stepLengthId, 0.0f);
    EXPECT_DOUBLE_EQ (processor.getStepLengthValue(), 0.04);
    parameters.setParameterNormalised (Kelvanor::stepLengthId, 1.0f);
    EXPECT_DOUBLE_EQ (processor.getStepLengthValue(), 0.96);

    parameters.setParameterNormalised (Kelvanor::gateThresholdId, 0.25f);
    parameters.setParameterNormalised (Kelvanor::accentThresholdId, 0.75f);
    parameters.setParameterNormalised (Kelvanor::slideThresholdId, 0.0f);
    EXPECT_DOUBLE_EQ (processor.getGateThreshold(), 0.25);
    EXPECT_DOUBLE_EQ (processor.getAccentThreshold(), 0.75);
    EXPECT_DOUBLE_EQ (processor.getSlideThreshold(), 0.0);
}
} // namespace
