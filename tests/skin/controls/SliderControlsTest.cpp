#include "ControlTestFixture.h"
#include "skin/controls/GFXAnimation.h"
#include "skin/controls/GFXKnob.h"
#include "skin/controls/GFXMidiChannelDisplay.h"
#include "skin/controls/GFXSwitch.h"

#include <cmath>

namespace
{
using namespace SkinTest;

struct FrameCase
{
    const char* tag;
    int frames;
    double value; // the slider's own value
    bool enabled;
    int expected;
};

class SliderFrames : public ControlTest, public ::testing::WithParamInterface<FrameCase>
{
};

TEST_P (SliderFrames, CentrePixelNamesTheFrameOfTheValue)
{
    const auto& c = GetParam();
    auto* slider = build<juce::Slider> (element (c.tag, {}, c.frames));
    ASSERT_NE (slider, nullptr) << c.tag;
    ASSERT_EQ (slider->getBounds(), juce::Rectangle<int> (4, 6, 12, 10)) << c.tag;

    slider->setValue (c.value, juce::dontSendNotification);
    slider->setEnabled (c.enabled);
    EXPECT_EQ (shownFrame (*slider), c.expected)
        << c.tag << " at " << c.value << (c.enabled ? "" : " disabled");
    // The frame's first and last rows: no row of a neighbour bleeds in.
    EXPECT_EQ (frameOfColour (pixelAt (*slider, {0, 0})), c.expected) << c.tag << " at " << c.value;
    EXPECT_EQ (frameOfColour (pixelAt (*slider, {11, 9})), c.expected) << c.tag << " at " << c.value;
}

INSTANTIATE_TEST_SUITE_P (
    Table, SliderFrames,
    ::testing::Values (FrameCase{"Knob", 61, 0.0, true, 0}, FrameCase{"Knob", 61, 0.5, true, 30},
                       FrameCase{"Knob", 61, 1.0, true, 60}, FrameCase{"Knob", 61, 0.5, false, 0},
                       FrameCase{"Knob", 5, 0.125, true, 1}, FrameCase{"Knob", 5, 0.1249, true, 0},
                       FrameCase{"Knob", 5, 0.8749, true, 3}, FrameCase{"Knob", 5, 0.875, true, 4},
                       FrameCase{"PitchBender", 3, -1.0, true, 0}, FrameCase{"PitchBender", 3, 0.0, true, 1},
                       FrameCase{"PitchBender", 3, 1.0, true, 2}, FrameCase{"PitchBender", 3, -0.51, true, 0},
                       FrameCase{"PitchBender", 3, -0.5, true, 1}, FrameCase{"PitchBender", 3, 1.0, false, 0},
                       FrameCase{"ModWheel", 4, 1.0, true, 3}, FrameCase{"ModWheel", 4, 0.0, true, 0},
                       FrameCase{"Switch", 3, 0.5, true, 1}, FrameCase{"Switch", 3, 0.245, true, 0},
                       FrameCase{"Switch", 3, 0.25, true, 1}, FrameCase{"Switch", 3, 1.0, true, 2},
                       FrameCase{"Switch", 3, 1.0, false, 0},
                       FrameCase{"MidiChannelDisplay", 18, 0.0, true, 1},
                       FrameCase{"MidiChannelDisplay", 18, 1.0 / 16.0, true, 2},
                       FrameCase{"MidiChannelDisplay", 18, 1.0, true, 17},
                       FrameCase{"MidiChannelDisplay", 18, 1.0, false, 0}));

TEST_F (ControlTest, AParentDisabledShowsFrameZero)
{
    auto& built = buildPanel (element ("Knob", {}, 5));
    auto* knob = dynamic_cast<juce::Slider*> (built.getControlComponent (0));
    ASSERT_NE (knob, nullptr);
    knob->setValue (1.0, juce::dontSendNotification);
    EXPECT_EQ (shownFrame (*knob), 4);
    built.setEnabled (false);
    EXPECT_EQ (shownFrame (*knob), 0);
}

TEST_F (ControlTest, FrameCountsOfZeroOrBelowShowTheWholeImageAsOneFrame)
{
    for (const char* tag : {"Knob", "Switch", "MidiChannelDisplay", "Animation", "PitchBender"})
        for (const char* count : {"0", "-3"})
        {
            auto& built =
                buildPanel ("<" + juce::String (tag) + " name='c'><gfx resource='s3.png' framesNum='" +
                            count + "'/></" + tag + ">");
            auto* component = built.getControlComponent (0);
            ASSERT_NE (component, nullptr) << tag;
            EXPECT_EQ (component->getHeight(), 30) << tag << " framesNum " << count;
            if (auto* slider = dynamic_cast<juce::Slider*> (component))
                slider->setValue (slider->getMaximum(), juce::dontSendNotification);
            // The whole 3-colour image drawn once: its top row and its bottom row.
            EXPECT_EQ (frameOfColour (pixelAt (*component, {0, 0})), 0) << tag << " framesNum " << count;
            EXPECT_EQ (frameOfColour (pixelAt (*component, {11, 29})), 2) << tag << " framesNum " << count;
        }
}

//==============================================================================
struct DragCase
{
    const char* tag;
    const char* param;
    juce::ModifierKeys::Flags mods;
    std::vector<int> offsetsY;
    float expected; // the parameter's normalised value after the drag; NaN: above its start
};

class SliderDrags : public ControlTest, public ::testing::WithParamInterface<DragCase>
{
};

TEST_P (SliderDrags, OneGesturePerDragAndTheValueWritten)
{
    const auto& c = GetParam();
    auto* slider = build<juce::Slider> (element (c.tag, c.param, 5, {}, "<size width='40' height='40'/>"));
    ASSERT_NE (slider, nullptr);
    auto& p = plugin.parameter (c.param);
    const float start = p.getValueNormalised();
    GestureCounter counter;
    p.addListener (&counter);

    drag (*slider, c.offsetsY, juce::ModifierKeys (c.mods));
    pumpMessages(); // a spring-back after release is delivered asynchronously
    p.handleUpdateNowIfNeeded();
    p.removeListener (&counter);

    EXPECT_EQ (counter.begins, 1) << c.tag;
    EXPECT_EQ (counter.ends, 1) << c.tag;
    EXPECT_GT (counter.changes, 0) << c.tag;
    if (std::isnan (c.expected))
        EXPECT_GT (p.getValueNormalised(), start) << c.tag;
    else
        EXPECT_NEAR (p.getValueNormalised(), c.expected, 1.0e-4) << c.tag;

    // The editor hears one start first, one end, and only value changes besides.
    ASSERT_FALSE (log.lines.empty());
    EXPECT_EQ (log.lines.front(), "started c");
    int started = 0, ended = 0;
    for (const auto& line : log.lines)
    {
        started += line == "started c";
        ended += line == "ended c";
        EXPECT_TRUE (line == "started c" || line == "ended c" || line == "value c") << line;
    }
    EXPECT_EQ (started, 1) << c.tag;
    EXPECT_EQ (ended, 1) << c.tag;
}

const auto noMods = juce::ModifierKeys::noModifiers;

// Resonance starts at 0.5, Cutoff at 0.25, Bend at the middle (0.5); a full drag is 250 pixels.
INSTANTIATE_TEST_SUITE_P (
    Table, SliderDrags,
    ::testing::Values (DragCase{"Knob", "Cutoff", noMods, {-10, -30, -50}, 0.45f},
                       DragCase{"Knob", "Cutoff", noMods, {40, 100}, 0.0f},
                       DragCase{"Knob", "Cutoff", noMods, {-400}, 1.0f},
                       DragCase{"Knob", "Cutoff", juce::ModifierKeys::shiftModifier, {-50}, 0.45f},
                       DragCase{"Knob", "Cutoff", juce::ModifierKeys::ctrlModifier, {-20, -50}, NAN},
                       DragCase{"Switch", "Resonance", noMods, {-25}, 0.6f},
                       DragCase{"MidiChannelDisplay", "Cutoff", noMods, {-50}, 0.45f},
                       DragCase{"PitchBender", "Bend", noMods, {-60, -125}, 0.5f},
                       DragCase{"ModWheel", "Cutoff", noMods, {-60, -100}, 0.0f}));

TEST_F (ControlTest, PitchBenderShowsTheMiddleOfItsParameterAndSpringsBack)
{
    auto* bender = build<PitchBender> (element ("PitchBender", "Bend", 3));
    ASSERT_NE (bender, nullptr);
    auto& p = plugin.parameter ("Bend");
    hostSets (p, 0.75f);
    EXPECT_DOUBLE_EQ (bender->getValue(), 0.5);

    drag (*bender, {-50});
    EXPECT_DOUBLE_EQ (bender->getValue(), 0.0);
    pumpMessages();
    EXPECT_FLOAT_EQ (p.getValueNormalised(), 0.5f);
    EXPECT_EQ (shownFrame (*bender), 1);
}

TEST_F (ControlTest, SlidersFollowTheirParameterWithoutWritingItBack)
{
    const struct
    {
        const char* tag;
        const char* param;
        float normalised;
        int frame; // of a 5-frame strip
    } cases[] = {{"Knob", "Cutoff", 0.75f, 3},
                 {"Switch", "Resonance", 1.0f, 4},
                 {"PitchBender", "Bend", 0.0f, 0},
                 {"ModWheel", "Cutoff", 1.0f, 4},
                 {"MidiChannelDisplay", "Cutoff", 0.0f, 1},
                 {"Animation", "Cutoff", 0.5f, 2}};
    for (const auto& c : cases)
    {
        auto& built = buildPanel (element (c.tag, c.param, 5));
        auto* component = built.getControlComponent (0);
        auto& p = plugin.parameter (c.param);
        GestureCounter counter;
        p.addListener (&counter);
        hostSets (p, c.normalised);
        p.handleUpdateNowIfNeeded();
        p.removeListener (&counter);

        EXPECT_EQ (counter.changes, 1) << c.tag << ": only the host's own change";
        EXPECT_TRUE (log.lines.empty()) << c.tag << ": " << (log.lines.empty() ? "" : log.lines.front());
        EXPECT_FLOAT_EQ (p.getValueNormalised(), c.normalised) << c.tag;
        EXPECT_EQ (shownFrame (*component), c.frame) << c.tag;
    }
}

TEST_F (ControlTest, SwitchMovesInStepsAndItsStyleSetsTheDragDirection)
{
    const struct
    {
        const char* attributes;
        juce::Slider::SliderStyle expected;
    } cases[] = {{"", juce::Slider::RotaryVerticalDrag},
                 {"style='Horizontal'", juce::Slider::LinearHorizontal},
                 {"style='vertical'", juce::Slider::LinearVertical},
                 {"style='ROTARY'", juce::Slider::RotaryVerticalDrag},
                 {"style='diagonal'", juce::Slider::RotaryVerticalDrag}};
    for (const auto& c : cases)
    {
        auto* control = build<GFXSwitch> (element ("Switch", {}, 3, c.attributes));
        ASSERT_NE (control, nullptr) << c.attributes;
        EXPECT_EQ (control->getSliderStyle(), c.expected) << c.attributes;
        control->setValue (0.3333, juce::dontSendNotification);
        EXPECT_NEAR (control->getValue(), 0.335, 1.0e-9);
    }
}

TEST_F (ControlTest, ChannelSelectorNamesItsChannel)
{
    auto* display = build<GFXMidiChannelDisplay> (element ("MidiChannelDisplay", "Cutoff", 18));
    ASSERT_NE (display, nullptr);
    const struct
    {
        float normalised;
        int channel;
    } cases[] = {{0.0f, 0}, {1.0f / 16.0f, 1}, {0.5f, 8}, {1.0f, 16}};
    for (const auto& c : cases)
    {
        hostSets (plugin.parameter ("Cutoff"), c.normalised);
        EXPECT_EQ (display->getChannel(), c.channel) << c.normalised;
    }
}

//==============================================================================
TEST_F (ControlTest, StandByPicturesDrawTheirFrameWithoutAnImage)
{
    const struct
    {
        const char* tag;
        juce::Colour corner;
    } cases[] = {{"Knob", juce::Colour::greyLevel (0.7f)},
                 {"Switch", juce::Colour::greyLevel (0.7f)},
                 {"PitchBender", juce::Colour::greyLevel (0.7f)},
                 {"MidiChannelDisplay", juce::Colours::black}};
    for (const auto& c : cases)
        for (const char* param : {"", "Cutoff"})
        {
            auto& built =
                buildPanel ("<" + juce::String (c.tag) + " name='c'>" +
                            (juce::String (param).isEmpty() ? juce::String()
                                                            : "<links><link as='connectedTo' param='" +
                                                                  juce::String (param) + "'/></links>") +
                            "<size width='60' height='60'/></" + c.tag + ">");
            auto* component = built.getControlComponent (0);
            ASSERT_EQ (component->getBounds(), juce::Rectangle<int> (0, 0, 60, 60)) << c.tag;
            EXPECT_EQ (pixelAt (*component, {0, 0}), c.corner) << c.tag << " " << param;
        }
}

TEST_F (ControlTest, AnimationStandByDotGrowsWithItsFrameEvenWithOneFrame)
{
    const struct
    {
        int framesNum, frame;
        bool dot;
    } cases[] = {{1, 0, false}, {1, 1, true}, {0, 1, true}, {5, 0, false}, {5, 4, true}, {5, 2, true}};
    for (const auto& c : cases)
    {
        GFXAnimation light ("light");
        light.setImage ({}, c.framesNum);
        light.setSize (30, 30);
        light.setFrame (c.frame);
        const auto centre = pixelAt (light, {15, 15});
        EXPECT_EQ (centre, c.dot ? juce::Colours::black : juce::Colour::greyLevel (0.9f))
            << c.frame << " of " << c.framesNum;
    }
}

TEST_F (ControlTest, AnimationShowsAFrameForAMomentAndBlankWhileBlinking)
{
    plugin.parameter ("Cutoff").setValueNormalised (0.0f, false);
    auto* light = build<GFXAnimation> (element ("Animation", "Cutoff", 5, "states='3' style='x'"));
    ASSERT_NE (light, nullptr);
    EXPECT_EQ (light->getBounds(), juce::Rectangle<int> (4, 6, 12, 10));
    EXPECT_EQ (shownFrame (*light), 0);

    light->showFrameFor (1, 175);
    EXPECT_EQ (shownFrame (*light), 1);
    light->timerCallback();
    EXPECT_EQ (shownFrame (*light), 0);

    hostSets (plugin.parameter ("Cutoff"), 1.0f);
    EXPECT_EQ (shownFrame (*light), 4);
    light->setBlinking (true);
    EXPECT_EQ (shownFrame (*light), 4);
    light->blinkTick();
    EXPECT_EQ (shownFrame (*light), 0);
    light->blinkTick();
    EXPECT_EQ (shownFrame (*light), 4);
    light->blinkTick();
    light->setBlinking (false);
    EXPECT_EQ (shownFrame (*light), 4);

    // A frame beyond the strip stays on the strip's last row.
    light->setFrame (9);
    EXPECT_EQ (shownFrame (*light), 4);
}
} // namespace
