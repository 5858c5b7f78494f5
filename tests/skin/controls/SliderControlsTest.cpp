#include "ControlTestFixture.h"
#include "skin/controls/ControlFrames.h"
#include "skin/controls/GFXAnimation.h"
#include "skin/controls/GFXKnob.h"
#include "skin/controls/GFXMidiChannelDisplay.h"
#include "skin/controls/GFXSwitch.h"

#include <cmath>

namespace
{
using namespace SkinTest;
using Mods = juce::ModifierKeys;

struct FrameCase
{
    const char* tag;
    int frames;
    double value; // the slider's own
    bool enabled;
    int expected;
    bool parentDisabled = false; // disabled through the panel holding it, not by itself
};
class SliderFrames : public ControlTest, public ::testing::WithParamInterface<FrameCase>
{
};

TEST_P (SliderFrames, WholeFrameOfTheValueIsShown)
{
    const auto& c = GetParam();
    auto* slider = build<juce::Slider> (element (c.tag, {}, c.frames));
    ASSERT_NE (slider, nullptr) << c.tag;
    ASSERT_EQ (slider->getBounds(), juce::Rectangle<int> (4, 6, 12, 10)) << c.tag;
    slider->setValue (c.value, juce::dontSendNotification);
    (c.parentDisabled ? (juce::Component&) *panel : *slider).setEnabled (c.enabled);
    EXPECT_EQ (dynamic_cast<FilmStripSlider&> (*slider).getShownFrame(), c.expected)
        << c.tag << " at " << c.value;

    // Centre, first and last row: no row of a neighbouring frame bleeds in, and nothing is drawn see-through.
    for (const auto point : {juce::Point<int> (6, 5), {0, 0}, {11, 9}})
    {
        const auto pixel = pixelAt (*slider, point);
        EXPECT_EQ (pixel.getAlpha(), 255) << c.tag << " at " << c.value;
        EXPECT_EQ (frameOfColour (pixel), c.expected) << c.tag << " at " << c.value;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Table, SliderFrames, ::testing::Values (
    FrameCase{"Knob", 61, 0.0, true, 0}, FrameCase{"Knob", 61, 0.5, true, 30}, FrameCase{"Knob", 61, 1.0, true, 60},
    FrameCase{"Knob", 61, 0.5, false, 0}, FrameCase{"Knob", 65, 1.0, false, 0}, FrameCase{"Knob", 5, 0.125, true, 1}, FrameCase{"Knob", 5, 0.1249, true, 0},
    FrameCase{"Knob", 5, 0.8749, true, 3}, FrameCase{"Knob", 5, 0.875, true, 4},
    FrameCase{"PitchBender", 3, -1.0, true, 0}, FrameCase{"PitchBender", 3, -0.51, true, 0},
    FrameCase{"PitchBender", 3, -0.5, true, 1}, FrameCase{"PitchBender", 3, 1.0, true, 2},
    FrameCase{"PitchBender", 65, 1.0, false, 0}, FrameCase{"ModWheel", 4, 1.0, true, 3},
    FrameCase{"ModWheel", 4, 1.0, false, 0}, FrameCase{"Knob", 61, 0.5, false, 0, true},
    FrameCase{"PitchBender", 65, 1.0, false, 0, true}, FrameCase{"ModWheel", 4, 1.0, false, 0, true},
    FrameCase{"Switch", 3, 0.5, true, 1}, FrameCase{"Switch", 3, 0.245, true, 0}, FrameCase{"Switch", 3, 1.0, true, 2},
    FrameCase{"Switch", 3, 1.0, false, 0}, FrameCase{"MidiChannelDisplay", 18, 0.0, true, 1},
    FrameCase{"MidiChannelDisplay", 18, 1.0 / 16.0, true, 2}, FrameCase{"MidiChannelDisplay", 18, 1.0, true, 17},
    FrameCase{"MidiChannelDisplay", 18, 1.0, false, 0}),
    [] (const auto& each)
    {
        const auto& c = each.param;
        return testName (juce::String (c.tag) + " of " + juce::String (c.frames) + " at " + juce::String (c.value) +
                         (c.enabled ? "" : c.parentDisabled ? " in a disabled panel" : " disabled"));
    });
// clang-format on

TEST_F (ControlTest, FrameCountsOfZeroOrBelowShowTheWholeImageAsOneFrame)
{
    for (const juce::String tag : {"Knob", "Switch", "MidiChannelDisplay", "Animation"})
        for (const char* count : {"0", "-3"})
        {
            auto& built =
                buildPanel ("<" + tag + "><gfx resource='s3.png' framesNum='" + count + "'/></" + tag + ">");
            auto& component = *built.getControlComponent (0);
            if (auto* slider = dynamic_cast<juce::Slider*> (&component))
                slider->setValue (slider->getMaximum(), juce::dontSendNotification);
            EXPECT_EQ (component.getHeight(), 30) << tag << " framesNum " << count;
            EXPECT_EQ (frameOfColour (pixelAt (component, {0, 0})), 0) << tag << " framesNum " << count;
            EXPECT_EQ (frameOfColour (pixelAt (component, {11, 29})), 2) << tag << " framesNum " << count;
        }
}

//==============================================================================
struct DragCase
{
    const char* tag;
    const char* param;
    int mods;
    std::vector<int> offsetsY;
    float expected; // the parameter's normalised value afterwards; NaN: above where it started
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
    drag (*slider, slider->getLocalBounds().getCentre().toFloat(), c.offsetsY, Mods (c.mods));
    pumpMessages(); // the spring-back of the wheels is asynchronous
    p.removeListener (&counter);

    EXPECT_EQ (counter.begins, 1) << c.tag;
    EXPECT_EQ (counter.ends, 1) << c.tag;
    if (std::isnan (c.expected))
        EXPECT_GT (p.getValueNormalised(), start) << c.tag;
    else
        EXPECT_NEAR (p.getValueNormalised(), c.expected, 1.0e-4) << c.tag;

    // The editor hears one start first, one end, and value changes only besides.
    ASSERT_FALSE (log.lines.empty());
    EXPECT_EQ (log.lines.front(), "started c");
    EXPECT_EQ (std::count (log.lines.begin(), log.lines.end(), "ended c"), 1);
    EXPECT_EQ (std::count (log.lines.begin(), log.lines.end(), "value c") + 2, (long) log.lines.size());
}

// Resonance starts at 0.5, Cutoff at 0.25, Bend in the middle; a full drag is 250 pixels.
// clang-format off
INSTANTIATE_TEST_SUITE_P (Table, SliderDrags, ::testing::Values (
    DragCase{"Knob", "Cutoff", 0, {-10, -30, -50}, 0.45f}, DragCase{"Knob", "Cutoff", 0, {40, 100}, 0.0f},
    DragCase{"Knob", "Cutoff", 0, {-400}, 1.0f}, DragCase{"Knob", "Cutoff", Mods::shiftModifier, {-50}, 0.45f},
    DragCase{"Knob", "Cutoff", Mods::ctrlModifier, {-20, -50}, NAN}, DragCase{"Switch", "Resonance", 0, {-25}, 0.6f},
    DragCase{"MidiChannelDisplay", "Cutoff", 0, {-50}, 0.45f}, DragCase{"PitchBender", "Bend", 0, {-60, -125}, 0.5f},
    DragCase{"ModWheel", "Cutoff", 0, {-60, -100}, 0.0f}),
    [] (const auto& each)
    {
        const auto& c = each.param;
        juce::String name (c.tag);
        name << (c.mods == Mods::shiftModifier ? " shift" : c.mods == Mods::ctrlModifier ? " ctrl" : "") << " by";
        for (const int dy : c.offsetsY)
            name << " " << dy;
        return testName (name);
    });
// clang-format on

TEST_F (ControlTest, ControlsFollowTheirParameterWithoutWritingItBack)
{
    const struct
    {
        const char* tag;
        const char* param;
        float normalised;
        int frame; // of a 5-frame strip
    } cases[] = {{"Knob", "Cutoff", 0.75f, 3},
                 {"Switch", "Resonance", 1.0f, 4},
                 {"PitchBender", "Bend", 0.75f, 3},
                 {"ModWheel", "Cutoff", 1.0f, 4},
                 {"MidiChannelDisplay", "Cutoff", 0.0f, 1},
                 {"Animation", "Cutoff", 0.5f, 2}};
    for (const auto& c : cases)
    {
        auto& component = *buildPanel (element (c.tag, c.param, 5)).getControlComponent (0);
        auto& p = plugin.parameter (c.param);
        GestureCounter counter;
        p.addListener (&counter);
        hostSets (p, c.normalised);
        p.handleUpdateNowIfNeeded();
        p.removeListener (&counter);
        EXPECT_EQ (counter.changes, 1) << c.tag << ": only the host's own change";
        EXPECT_TRUE (log.lines.empty()) << c.tag;
        EXPECT_EQ (shownFrame (component), c.frame) << c.tag;
    }
}

TEST_F (ControlTest, SwitchStyleSetsTheDragDirectionAndChannelSelectorNamesItsChannel)
{
    const std::pair<const char*, juce::Slider::SliderStyle> styles[] = {
        {"", juce::Slider::RotaryVerticalDrag},
        {"style='Horizontal'", juce::Slider::LinearHorizontal},
        {"style='vertical'", juce::Slider::LinearVertical},
        {"style='diagonal'", juce::Slider::RotaryVerticalDrag}};
    for (const auto& [attributes, expected] : styles)
    {
        auto* control = build<GFXSwitch> (element ("Switch", {}, 3, attributes));
        EXPECT_EQ (control->getSliderStyle(), expected) << attributes;
        control->setValue (0.3333, juce::dontSendNotification);
        EXPECT_NEAR (control->getValue(), 0.335, 1.0e-9) << "steps of 0.005";
    }

    auto* display = build<GFXMidiChannelDisplay> (element ("MidiChannelDisplay", "Cutoff", 18));
    const std::pair<float, const char*> channels[] = {
        {0.0f, "ALL"}, {0.03f, "ALL"}, {0.0625f, "1"}, {1.0f, "16"}};
    for (const auto& [normalised, text] : channels)
    {
        hostSets (plugin.parameter ("Cutoff"), normalised);
        EXPECT_EQ (ControlFrames::channelText (display->getChannel()), text) << normalised;
    }
}

//==============================================================================
TEST_F (ControlTest, StandByPicturesWithoutAnImage)
{
    const std::pair<const char*, juce::Colour> frames[] = {{"Knob", juce::Colour::greyLevel (0.7f)},
                                                           {"Switch", juce::Colour::greyLevel (0.7f)},
                                                           {"ModWheel", juce::Colour::greyLevel (0.7f)},
                                                           {"MidiChannelDisplay", juce::Colours::black}};
    for (const auto& [tag, corner] : frames)
        for (const juce::String param : {"", "Cutoff"})
        {
            auto& built = buildPanel (
                element (tag, param, 0)
                    .replace ("<gfx resource='s0.png' framesNum='0'/>", "<size width='60' height='60'/>"));
            auto& component = *built.getControlComponent (0);
            ASSERT_EQ (component.getWidth(), 60) << tag;
            EXPECT_EQ (pixelAt (component, {0, 0}), corner) << tag << " " << param;
        }

    // The animation's dot grows with its frame; a one-frame light still lights up.
    const struct
    {
        int framesNum, frame;
        bool dot;
    } lights[] = {{1, 0, false}, {1, 1, true}, {0, 1, true}, {5, 0, false}, {5, 2, true}};
    for (const auto& c : lights)
    {
        GFXAnimation light ("light");
        light.setImage ({}, c.framesNum);
        light.setSize (30, 30);
        light.setFrame (c.frame);
        EXPECT_EQ (pixelAt (light, {15, 15}), c.dot ? juce::Colours::black : juce::Colour::greyLevel (0.9f))
            << c.frame << " of " << c.framesNum;
    }
}

TEST_F (ControlTest, AnimationShowsAFrameForAMomentAndBlankWhileBlinking)
{
    plugin.parameter ("Cutoff").setValueNormalised (0.0f, false);
    auto* light = build<GFXAnimation> (element ("Animation", "Cutoff", 5, "states='3' style='x'"));
    EXPECT_EQ (shownFrame (*light), 0);
    light->showFrameFor (1, 175);
    EXPECT_EQ (shownFrame (*light), 1);
    light->timerCallback();
    EXPECT_EQ (shownFrame (*light), 0);

    hostSets (plugin.parameter ("Cutoff"), 1.0f);
    light->setBlinking (true);
    const int expected[] = {4, 0, 4, 0};
    for (const int frame : expected)
    {
        EXPECT_EQ (shownFrame (*light), frame);
        light->blinkTick();
    }
    light->setBlinking (false);
    EXPECT_EQ (shownFrame (*light), 4);
    light->setFrame (9);
    EXPECT_EQ (shownFrame (*light), 4) << "a frame beyond the strip stays on it";
}
} // namespace
