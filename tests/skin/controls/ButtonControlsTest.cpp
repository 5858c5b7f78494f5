#include "ControlTestFixture.h"
#include "skin/controls/GFXAnimation.h"
#include "skin/controls/GFXButton.h"
#include "skin/controls/GFXKnob.h"
#include "skin/controls/GFXMidiChannelDisplay.h"
#include "skin/controls/GFXMultiStateButton.h"
#include "skin/controls/GFXRocker.h"
#include "skin/controls/GFXSwitch.h"
#include "skin/controls/GFXToggleButton.h"

namespace
{
using namespace SkinTest;
using Mods = juce::ModifierKeys;

const int left = Mods::leftButtonModifier;
const int right = Mods::rightButtonModifier;
const int ctrl = Mods::ctrlModifier;
const int shift = Mods::shiftModifier;

// Built-in events of every processor: 1000 "Options", 1001 "About"; the fixture's 7001 "Test press",
// 7002 "Test release".
juce::String actions (std::initializer_list<std::pair<const char*, const char*>> typeAndEvent)
{
    juce::String xml = "<actions>";
    for (const auto& [type, event] : typeAndEvent)
        xml << "<action type='" << type << "' event='" << event << "'/>";
    return xml + "</actions>";
}

struct ClickCase
{
    const char* tag;
    int frames;
    const char* attributes;
    juce::String actionsXml;
    int mods;
    std::vector<std::string> expected;
};

class ButtonClicks : public ControlTest, public ::testing::WithParamInterface<ClickCase>
{
};

TEST_P (ButtonClicks, EachClickKindFiresItsEvent)
{
    const auto& c = GetParam();
    auto& built = buildPanel (element (c.tag, {}, c.frames, c.attributes, c.actionsXml));
    auto* button = built.getControlComponent (0);
    ASSERT_NE (button, nullptr) << c.tag;
    click (*button, Mods (c.mods));
    EXPECT_EQ (log.lines, c.expected) << c.tag << " " << c.actionsXml << " mods " << c.mods;
}

const auto optionsAndAbout = actions ({{"onClick", "Options"}, {"onClickWithCtrl", "About"}});
const auto allFour = actions ({{"onClick", "Options"},
                               {"onClickWithCtrl", "About"},
                               {"onClickWithShift", "Test press"},
                               {"onRightClick", "Test release"}});
const auto rightOnly = actions ({{"onRightClick", "Test release"}, {"onClickWithShift", "No such event"}});

INSTANTIATE_TEST_SUITE_P (
    Table, ButtonClicks,
    ::testing::Values (
        ClickCase{"Button", 2, "", optionsAndAbout, left, {"action 1000 c"}},
        ClickCase{"Button", 2, "", optionsAndAbout, left | ctrl, {"action 1001 c"}},
        ClickCase{"Button", 2, "", optionsAndAbout, right, {"action 1000 c"}},
        ClickCase{"Button", 2, "", optionsAndAbout, left | shift, {"action 1000 c"}},
        ClickCase{"Button", 2, "clickEvent='onPress'", optionsAndAbout, left, {"action 1000 c"}},
        ClickCase{"Button", 2, "", actions ({{"onClickWithCtrl", "About"}}), left, {}},
        ClickCase{"Button", 2, "", actions ({{"onClickWithCtrl", "About"}}), right | ctrl, {"action 1001 c"}},
        ClickCase{"Button", 2, "", allFour, right, {"action 7002 c"}},
        ClickCase{"Button", 2, "", allFour, left | shift, {"action 1000 c"}},
        ClickCase{"Button", 2, "", actions ({{"onClick", "options"}, {"onclick", "About"}}), left, {}},
        ClickCase{"MultiStateButton", 2, "", allFour, left, {"action 1000 c"}},
        ClickCase{"MultiStateButton", 2, "", allFour, left | ctrl | shift, {"action 1001 c"}},
        ClickCase{"MultiStateButton", 2, "", allFour, left | shift, {"action 7001 c"}},
        ClickCase{"MultiStateButton", 2, "", allFour, right | shift, {"action 7001 c"}},
        ClickCase{"MultiStateButton", 2, "", allFour, right, {"action 7002 c"}},
        ClickCase{"MultiStateButton", 2, "", optionsAndAbout, right | shift, {"action 1000 c"}},
        ClickCase{"MultiStateButton", 2, "", rightOnly, left | ctrl, {}},
        ClickCase{"MultiStateButton", 2, "", rightOnly, right | ctrl, {"action 7002 c"}}));

TEST_F (ControlTest, ButtonShowsItsPressedFrameAndSizesItselfForItsName)
{
    auto* button = build<GFXButton> (element ("Button", {}, 2, "clickEvent='onRelease'", optionsAndAbout));
    ASSERT_NE (button, nullptr);
    EXPECT_EQ (button->getBounds(), juce::Rectangle<int> (4, 6, 12, 10));
    EXPECT_EQ (shownFrame (*button), 0);
    press (*button, {5, 5}, Mods (left));
    EXPECT_EQ (shownFrame (*button), 1);
    EXPECT_TRUE (log.lines.empty()) << "acts on release";
    release (*button, {5, 5}, Mods (left));
    EXPECT_EQ (log.lines, std::vector<std::string>{"action 1000 c"});

    GFXButton unnamed ({});
    EXPECT_EQ (unnamed.getBounds(), juce::Rectangle<int> (0, 0, 18, 18));
    GFXButton named ("Play");
    EXPECT_EQ (named.getHeight(), 18);
    EXPECT_GT (named.getWidth(), 18);
}

TEST_F (ControlTest, ConnectedButtonHoldsItsParameterTrueExactlyWhilePressed)
{
    for (const char* moment : {"onRelease", "onPress", "sometimes"})
    {
        auto* button = build<GFXButton> (
            element ("Button", "Power", 2, "clickEvent='" + juce::String (moment) + "'", optionsAndAbout));
        ASSERT_NE (button, nullptr);
        auto& power = plugin.parameter ("Power");
        GestureCounter counter;
        power.addListener (&counter);
        log.lines.clear();

        press (*button, {5, 5}, Mods (left));
        EXPECT_TRUE (power.getValueBool()) << moment;
        EXPECT_EQ (log.lines, (std::vector<std::string>{"value c", "action 1000 c"})) << moment;
        release (*button, {5, 5}, Mods (left));
        EXPECT_FALSE (power.getValueBool()) << moment;
        EXPECT_EQ (counter.changes, 2) << moment;
        power.removeListener (&counter);
    }
}

TEST_F (ControlTest, ButtonTooltipNamesTheCtrlEventWhileCtrlIsHeld)
{
    auto* button = build<GFXButton> (element ("Button", {}, 2, "", optionsAndAbout));
    ASSERT_NE (button, nullptr);
    button->mouseEnter (mouseAt (*button, {5, 5}));
    EXPECT_EQ (button->getTooltip(), "Options");
    button->modifierKeysChanged (Mods (ctrl));
    EXPECT_EQ (button->getTooltip(), "About");
    button->modifierKeysChanged (Mods());
    EXPECT_EQ (button->getTooltip(), "Options");

    auto* plain = build<GFXButton> (element ("Button", {}, 2, "", actions ({{"onClick", "Test press"}})));
    plain->modifierKeysChanged (Mods (ctrl));
    EXPECT_EQ (plain->getTooltip(), "Test press");
}

//==============================================================================
TEST_F (ControlTest, ToggleButtonWritesItsStateAndFollowsItsParameterWithoutEcho)
{
    const struct
    {
        const char* attributes;
        int stripFrames;
        int offFrame, offPressedFrame, onFrame, onPressedFrame;
    } cases[] = {{"", 2, 0, 0, 1, 1},
                 {"style='3D'", 4, 0, 1, 2, 3},
                 {"style='2D' framesNum='7'", 2, 0, 0, 1, 1},
                 {"style='3D' framesNum='7'", 4, 0, 1, 2, 3}};
    for (const auto& c : cases)
    {
        auto* toggle =
            build<GFXToggleButton> ("<ToggleButton name='c' " + juce::String (c.attributes) +
                                    "><links><link as='connectedTo' param='Power'/></links><gfx resource='s" +
                                    juce::String (c.stripFrames) + ".png' framesNum='7'/></ToggleButton>");
        ASSERT_NE (toggle, nullptr) << c.attributes;
        ASSERT_EQ (toggle->getHeight(), 10) << c.attributes << ": frame height from the style's count";
        auto& power = plugin.parameter ("Power");
        power.setValueBool (false, false);
        toggle->updateFromParameter (&power);
        EXPECT_EQ (shownFrame (*toggle), c.offFrame) << c.attributes;

        // Each press is drawn before its release, as on a screen.
        log.lines.clear();
        press (*toggle, {5, 5}, Mods (left));
        EXPECT_EQ (shownFrame (*toggle), c.offPressedFrame) << c.attributes;
        release (*toggle, {5, 5}, Mods (left));
        EXPECT_TRUE (power.getValueBool()) << c.attributes;
        EXPECT_EQ (log.lines, std::vector<std::string>{"value c"}) << c.attributes;
        EXPECT_EQ (shownFrame (*toggle), c.onFrame) << c.attributes;
        press (*toggle, {5, 5}, Mods (left));
        EXPECT_EQ (shownFrame (*toggle), c.onPressedFrame) << c.attributes;
        release (*toggle, {5, 5}, Mods (left));
        EXPECT_FALSE (power.getValueBool()) << c.attributes;
        EXPECT_EQ (shownFrame (*toggle), c.offFrame) << c.attributes;

        // The host switches it on: shown, not written back.
        log.lines.clear();
        GestureCounter counter;
        power.addListener (&counter);
        hostSets (power, 1.0f);
        power.removeListener (&counter);
        EXPECT_EQ (counter.changes, 1) << c.attributes;
        EXPECT_TRUE (log.lines.empty()) << c.attributes;
        EXPECT_EQ (shownFrame (*toggle), c.onFrame) << c.attributes;

        // Disabled or in the on phase of blinking: frame 0.
        toggle->setBlinking (true);
        toggle->blinkTick();
        EXPECT_EQ (shownFrame (*toggle), 0) << c.attributes;
        toggle->setBlinking (false);
        EXPECT_EQ (shownFrame (*toggle), c.onFrame) << c.attributes;
        toggle->setEnabled (false);
        EXPECT_EQ (shownFrame (*toggle), 0) << c.attributes;
    }
}

TEST_F (ControlTest, MultiStateButtonShowsItsStateAndFiresWithoutChangingIt)
{
    auto* button = build<GFXMultiStateButton> (element (
        "MultiStateButton", "Cutoff", 6, "states='3' style='3D'", actions ({{"onClick", "Options"}})));
    ASSERT_NE (button, nullptr);
    EXPECT_EQ (button->getFramesNum(), 6);
    auto& cutoff = plugin.parameter ("Cutoff");

    const struct
    {
        float normalised;
        bool inverted, pressed, blinkOn;
        int expected;
    } cases[] = {{0.5f, false, false, false, 2}, {0.5f, false, true, false, 3},
                 {1.0f, false, false, false, 4}, {0.0f, false, false, false, 0},
                 {0.0f, true, false, false, 4},  {0.0f, true, true, false, 5},
                 {1.0f, true, false, false, 0},  {1.0f, false, false, true, 0},
                 {1.0f, false, true, true, 1},   {0.24f, false, false, false, 0}};
    for (const auto& c : cases)
    {
        hostSets (cutoff, c.normalised);
        button->setInverted (c.inverted);
        if (c.blinkOn)
        {
            button->setBlinking (true);
            button->blinkTick();
        }
        if (c.pressed)
            press (*button, {5, 5}, Mods (left));
        EXPECT_EQ (shownFrame (*button), c.expected)
            << c.normalised << (c.inverted ? " inverted" : "") << (c.pressed ? " pressed" : "")
            << (c.blinkOn ? " blinking" : "");
        if (c.pressed)
            release (*button, {5, 5}, Mods (left));
        button->setBlinking (false);
    }

    hostSets (cutoff, 0.5f);
    log.lines.clear();
    click (*button);
    EXPECT_EQ (log.lines, std::vector<std::string>{"action 1000 c"});
    EXPECT_EQ (button->getState(), 1);
    EXPECT_FLOAT_EQ (cutoff.getValueNormalised(), 0.5f);
}

TEST_F (ControlTest, MultiStateButtonKeepsTwoStatesUnlessTheSkinSaysMore)
{
    const struct
    {
        const char* attributes;
        int states, frames;
    } cases[] = {{"", 2, 2},
                 {"states='1'", 2, 2},
                 {"states='-4'", 2, 2},
                 {"states='5'", 5, 5},
                 {"states='5' style='3D'", 5, 10},
                 {"states='2' style='4D'", 2, 2}};
    for (const auto& c : cases)
    {
        auto* button = build<GFXMultiStateButton> (element ("MultiStateButton", {}, 2, c.attributes));
        ASSERT_NE (button, nullptr);
        EXPECT_EQ (button->getStatesNum(), c.states) << c.attributes;
        EXPECT_EQ (button->getFramesNum(), c.frames) << c.attributes;
    }
}

//==============================================================================
TEST_F (ControlTest, RockerFiresTheHalfPressedOnceAndHoldsItsFrameUntilRelease)
{
    const auto rockerActions = actions ({{"onLessClick", "Options"},
                                         {"onMoreClick", "About"},
                                         {"onLessClickWithCtrl", "Test press"},
                                         {"onMoreClickWithCtrl", "Test release"}});
    const struct
    {
        const char* attributes;
        juce::Point<float> at; // in a 12 x 10 rocker
        int mods;
        int frame;
        const char* fired;
    } cases[] = {
        {"", {6, 2}, left, 2, "action 1001 c"},
        {"", {6, 8}, left, 0, "action 1000 c"},
        {"type='vertical'", {6, 2}, left | ctrl, 2, "action 7002 c"},
        {"type='vertical'", {6, 8}, left | ctrl, 0, "action 7001 c"},
        {"type='horizontal'", {10, 2}, left, 2, "action 1001 c"},
        {"type='horizontal'", {2, 8}, left, 0, "action 1000 c"},
        {"type='horizontal'", {2, 8}, right | ctrl, 0, "action 7001 c"},
        {"type='Horizontal'", {10, 8}, left, 0, "action 1000 c"},
    };
    for (const auto& c : cases)
    {
        auto* rocker = build<GFXRocker> (element ("Rocker", {}, 3, c.attributes, rockerActions));
        ASSERT_NE (rocker, nullptr);
        log.lines.clear();
        EXPECT_EQ (shownFrame (*rocker), 1) << c.attributes;
        press (*rocker, c.at, Mods (c.mods));
        EXPECT_EQ (shownFrame (*rocker), c.frame) << c.attributes << " at " << c.at.toString();
        rocker->mouseDrag (mouseAt (*rocker, c.at.translated (40, 40), Mods (c.mods)));
        EXPECT_EQ (shownFrame (*rocker), c.frame) << c.attributes << " dragged off";
        release (*rocker, c.at, Mods (c.mods));
        EXPECT_EQ (shownFrame (*rocker), 1) << c.attributes;
        EXPECT_EQ (log.lines, std::vector<std::string>{c.fired}) << c.attributes << " at " << c.at.toString();
    }

    auto* silent = build<GFXRocker> (element ("Rocker", {}, 3, "", actions ({{"onMoreClick", "About"}})));
    log.lines.clear();
    press (*silent, {6, 8}, Mods (left));
    release (*silent, {6, 8}, Mods (left));
    EXPECT_TRUE (log.lines.empty());
}

//==============================================================================
TEST_F (ControlTest, EveryTagOfTheseControlsBuildsItsClassInAnyCase)
{
    auto& built = buildPanel ("<knob name='a'/><SWITCH name='b'/><animation name='c'/><button name='d'/>"
                              "<togglebutton name='e'/><MultiStateButton name='f'/><rocker name='g'/>"
                              "<pitchbender name='h'/><MODWHEEL name='i'/><midichanneldisplay name='j'/>"
                              "<Knobby name='x'/><knob name='k'><pos left='3' top='2'/></knob>");
    ASSERT_EQ (built.getNumControls(), 11);
    const auto is = [&built] (int index, auto* typed)
    {
        using Type = std::remove_pointer_t<decltype (typed)>;
        return dynamic_cast<Type*> (built.getControl (index)) != nullptr;
    };
    EXPECT_TRUE (is (0, (GFXKnob*) nullptr));
    EXPECT_TRUE (is (1, (GFXSwitch*) nullptr));
    EXPECT_FALSE (is (1, (GFXKnob*) nullptr)) << "a switch is no knob";
    EXPECT_TRUE (is (2, (GFXAnimation*) nullptr));
    EXPECT_TRUE (is (3, (GFXButton*) nullptr));
    EXPECT_TRUE (is (4, (GFXToggleButton*) nullptr));
    EXPECT_TRUE (is (5, (GFXMultiStateButton*) nullptr));
    EXPECT_TRUE (is (6, (GFXRocker*) nullptr));
    EXPECT_TRUE (is (7, (PitchBender*) nullptr));
    EXPECT_TRUE (is (8, (ModWheel*) nullptr));
    EXPECT_FALSE (is (8, (PitchBender*) nullptr));
    EXPECT_TRUE (is (9, (GFXMidiChannelDisplay*) nullptr));
    EXPECT_EQ (built.getControlComponent (10)->getName(), "k");
    EXPECT_EQ (built.getControlComponent (10)->getPosition(), juce::Point<int> (3, 2));
}
} // namespace
