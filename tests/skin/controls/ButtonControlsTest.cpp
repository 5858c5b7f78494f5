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
using Lines = std::vector<std::string>;

const int left = juce::ModifierKeys::leftButtonModifier;
const int right = juce::ModifierKeys::rightButtonModifier;
const int ctrl = juce::ModifierKeys::ctrlModifier;
const int shift = juce::ModifierKeys::shiftModifier;

/** Actions of the kinds, on the processor's built-in 1000 "Options" and 1001 "About" and the fixture's
    7001 "Test press" and 7002 "Test release". */
juce::String actions (std::initializer_list<std::pair<const char*, const char*>> typeAndEvent)
{
    juce::String xml = "<actions>";
    for (const auto& [type, event] : typeAndEvent)
        xml << "<action type='" << type << "' event='" << event << "'/>";
    return xml + "</actions>";
}

const auto optionsAndAbout = actions ({{"onClick", "Options"}, {"onClickWithCtrl", "About"}});
const auto allFour = actions ({{"onClick", "Options"},
                               {"onClickWithCtrl", "About"},
                               {"onClickWithShift", "Test press"},
                               {"onRightClick", "Test release"}});
const auto rightOnly = actions ({{"onRightClick", "Test release"}, {"onClickWithShift", "No such event"}});
const auto ctrlOnly = actions ({{"onClickWithCtrl", "About"}});
const auto wrongCase = actions ({{"onClick", "options"}, {"onclick", "About"}});

struct ClickCase
{
    const char* tag;
    const char* actionsName;
    const juce::String& actionsXml;
    int mods;
    Lines expected;
};
class ButtonClicks : public ControlTest, public ::testing::WithParamInterface<ClickCase>
{
};

TEST_P (ButtonClicks, EachClickKindFiresItsEvent)
{
    const auto& c = GetParam();
    click (*buildPanel (element (c.tag, {}, 2, {}, c.actionsXml)).getControlComponent (0), Mods (c.mods));
    EXPECT_EQ (log.lines, c.expected) << c.tag << " " << c.actionsXml << " mods " << c.mods;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Table, ButtonClicks, ::testing::Values (
    ClickCase{"Button", "OptionsAndAbout", optionsAndAbout, left, {"action 1000 c"}},
    ClickCase{"Button", "OptionsAndAbout", optionsAndAbout, left | ctrl, {"action 1001 c"}},
    ClickCase{"Button", "OptionsAndAbout", optionsAndAbout, right, {"action 1000 c"}},
    ClickCase{"Button", "OptionsAndAbout", optionsAndAbout, left | shift, {"action 1000 c"}},
    ClickCase{"Button", "CtrlOnly", ctrlOnly, left, {}},
    ClickCase{"Button", "CtrlOnly", ctrlOnly, right | ctrl, {"action 1001 c"}},
    ClickCase{"Button", "AllFour", allFour, right, {"action 7002 c"}},
    ClickCase{"Button", "WrongCase", wrongCase, left, {}},
    ClickCase{"MultiStateButton", "AllFour", allFour, left, {"action 1000 c"}},
    ClickCase{"MultiStateButton", "AllFour", allFour, left | ctrl | shift, {"action 1001 c"}},
    ClickCase{"MultiStateButton", "AllFour", allFour, right | shift, {"action 7001 c"}},
    ClickCase{"MultiStateButton", "AllFour", allFour, right, {"action 7002 c"}},
    ClickCase{"MultiStateButton", "OptionsAndAbout", optionsAndAbout, right | shift, {"action 1000 c"}},
    ClickCase{"MultiStateButton", "RightOnly", rightOnly, left | ctrl, {}},
    ClickCase{"MultiStateButton", "RightOnly", rightOnly, right | ctrl, {"action 7002 c"}}),
    [] (const auto& each)
    {
        const auto& c = each.param;
        return testName (juce::String (c.tag) + " " + c.actionsName + (c.mods & left ? " left" : " right") +
                         (c.mods & ctrl ? " ctrl" : "") + (c.mods & shift ? " shift" : ""));
    });
// clang-format on

TEST_F (ControlTest, ButtonPressedFrameSizeAndTooltip)
{
    auto* button = build<GFXButton> (element ("Button", {}, 2, "clickEvent='onRelease'", optionsAndAbout));
    EXPECT_EQ (button->getBounds(), juce::Rectangle<int> (4, 6, 12, 10));
    EXPECT_EQ (shownFrame (*button), 0);
    press (*button, {5, 5});
    EXPECT_EQ (shownFrame (*button), 1);
    EXPECT_TRUE (log.lines.empty()) << "acts on release";
    release (*button, {5, 5});
    EXPECT_EQ (log.lines, Lines{"action 1000 c"});

    button->mouseEnter (mouseAt (*button, {5, 5}));
    EXPECT_EQ (button->getTooltip(), "Options");
    button->modifierKeysChanged (Mods (ctrl));
    EXPECT_EQ (button->getTooltip(), "About");
    build<GFXButton> (element ("Button", {}, 2, {}, actions ({{"onClick", "Test press"}})))
        ->modifierKeysChanged (Mods (ctrl));
    EXPECT_EQ (dynamic_cast<GFXButton*> (panel->getControl (0))->getTooltip(), "Test press");

    const GFXButton unnamed (juce::String{}), named ("Play");
    EXPECT_EQ (unnamed.getBounds(), juce::Rectangle<int> (0, 0, 18, 18));
    EXPECT_GT (named.getWidth(), 18);
}

TEST_F (ControlTest, ConnectedButtonHoldsItsParameterTrueExactlyWhilePressed)
{
    auto& power = plugin.parameter ("Power");
    for (const juce::String moment : {"onRelease", "onPress", "sometimes"})
    {
        auto* button =
            build<GFXButton> (element ("Button", "Power", 2, "clickEvent='" + moment + "'", optionsAndAbout));
        GestureCounter counter;
        power.addListener (&counter);
        press (*button, {5, 5});
        EXPECT_TRUE (power.getValueBool()) << moment;
        EXPECT_EQ (log.lines, (Lines{"value c", "action 1000 c"})) << moment;
        release (*button, {5, 5});
        EXPECT_FALSE (power.getValueBool()) << moment;
        EXPECT_EQ (counter.changes, 2) << moment;
        power.removeListener (&counter);
    }
}

//==============================================================================
TEST_F (ControlTest, ToggleButtonWritesItsStateAndFollowsItsParameterWithoutEcho)
{
    const struct
    {
        const char* attributes;
        int strip, offPressed, on, onPressed;
    } cases[] = {{"", 2, 0, 1, 1}, {"style='3D'", 4, 1, 2, 3}, {"style='3D' framesNum='7'", 4, 1, 2, 3}};
    auto& power = plugin.parameter ("Power");
    for (const auto& c : cases)
    {
        power.setValueBool (false, false);
        auto* toggle = build<GFXToggleButton> (
            element ("ToggleButton", "Power", c.strip, c.attributes)
                .replace ("framesNum='" + juce::String (c.strip) + "'", "framesNum='7'"));
        ASSERT_EQ (toggle->getHeight(), 10) << c.attributes << ": frame height from the style's count";
        // Each press is drawn before its release, as on a screen.
        const std::pair<int, int> pressedThenReleased[] = {{c.offPressed, c.on}, {c.onPressed, 0}};
        for (const auto& [pressed, released] : pressedThenReleased)
        {
            press (*toggle, {5, 5});
            EXPECT_EQ (shownFrame (*toggle), pressed) << c.attributes;
            release (*toggle, {5, 5});
            EXPECT_EQ (shownFrame (*toggle), released) << c.attributes;
            EXPECT_EQ (power.getValueBool(), released != 0) << c.attributes;
        }
        EXPECT_EQ (log.lines, (Lines{"value c", "value c"})) << c.attributes;

        GestureCounter counter;
        power.addListener (&counter);
        hostSets (power, 1.0f);
        power.removeListener (&counter);
        EXPECT_EQ (counter.changes, 1) << c.attributes << ": no echo";
        EXPECT_EQ (shownFrame (*toggle), c.on) << c.attributes;
        toggle->setBlinking (true);
        toggle->blinkTick();
        EXPECT_EQ (shownFrame (*toggle), 0) << c.attributes << ": on phase of blinking";
        toggle->setBlinking (false);
        toggle->setEnabled (false);
        EXPECT_EQ (shownFrame (*toggle), 0) << c.attributes << ": disabled";
    }
}

TEST_F (ControlTest, MultiStateButtonShowsItsStateAndFiresWithoutChangingIt)
{
    auto* button = build<GFXMultiStateButton> (element (
        "MultiStateButton", "Cutoff", 6, "states='3' style='3D'", actions ({{"onClick", "Options"}})));
    auto& cutoff = plugin.parameter ("Cutoff");
    const struct
    {
        float normalised;
        bool inverted, pressed, blinkOn;
        int expected;
    } cases[] = {
        {0.5f, false, false, false, 2},  {0.5f, false, true, false, 3}, {1.0f, false, false, false, 4},
        {0.24f, false, false, false, 0}, {0.0f, true, false, false, 4}, {0.0f, true, true, false, 5},
        {1.0f, true, false, false, 0},   {1.0f, false, false, true, 0}, {1.0f, false, true, true, 1}};
    for (const auto& c : cases)
    {
        hostSets (cutoff, c.normalised);
        button->setInverted (c.inverted);
        button->setBlinking (c.blinkOn);
        if (c.blinkOn)
            button->blinkTick();
        if (c.pressed)
            press (*button, {5, 5});
        EXPECT_EQ (shownFrame (*button), c.expected) << c.normalised << " inverted " << c.inverted
                                                     << " pressed " << c.pressed << " blinking " << c.blinkOn;
        if (c.pressed)
            release (*button, {5, 5});
    }
    hostSets (cutoff, 0.5f);
    log.lines.clear();
    click (*button);
    EXPECT_EQ (log.lines, Lines{"action 1000 c"});
    EXPECT_EQ (button->getState(), 1);
    EXPECT_FLOAT_EQ (cutoff.getValueNormalised(), 0.5f);

    const std::tuple<const char*, int, int> counts[] = {{"", 2, 2},
                                                        {"states='1'", 2, 2},
                                                        {"states='-4'", 2, 2},
                                                        {"states='5' style='3D'", 5, 10},
                                                        {"style='4D'", 2, 2}};
    for (const auto& [attributes, states, frames] : counts)
    {
        auto* built = build<GFXMultiStateButton> (element ("MultiStateButton", {}, 2, attributes));
        EXPECT_EQ (built->getStatesNum(), states) << attributes;
        EXPECT_EQ (built->getFramesNum(), frames) << attributes;
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
        int mods, frame;
        const char* fired;
    } cases[] = {{"", {6, 2}, left, 2, "action 1001 c"},
                 {"", {6, 8}, left, 0, "action 1000 c"},
                 {"type='vertical'", {6, 2}, left | ctrl, 2, "action 7002 c"},
                 {"type='vertical'", {6, 8}, left | ctrl, 0, "action 7001 c"},
                 {"type='horizontal'", {10, 2}, left, 2, "action 1001 c"},
                 {"type='horizontal'", {2, 8}, right | ctrl, 0, "action 7001 c"},
                 {"type='Horizontal'", {10, 8}, left, 0, "action 1000 c"}};
    for (const auto& c : cases)
    {
        auto* rocker = build<GFXRocker> (element ("Rocker", {}, 3, c.attributes, rockerActions));
        EXPECT_EQ (shownFrame (*rocker), 1) << c.attributes;
        press (*rocker, c.at, Mods (c.mods));
        EXPECT_EQ (shownFrame (*rocker), c.frame) << c.attributes << " at " << c.at.toString();
        rocker->mouseDrag (mouseAt (*rocker, c.at.translated (40, 40), Mods (c.mods)));
        EXPECT_EQ (shownFrame (*rocker), c.frame) << c.attributes << " dragged off";
        release (*rocker, c.at, Mods (c.mods));
        EXPECT_EQ (shownFrame (*rocker), 1) << c.attributes;
        EXPECT_EQ (log.lines, Lines{c.fired}) << c.attributes << " at " << c.at.toString();
    }
    click (*build<GFXRocker> (
        element ("Rocker", {}, 3, "", actions ({{"onMoreClick", "About"}})))); // lower half
    EXPECT_TRUE (log.lines.empty());
}

TEST_F (ControlTest, TagsInAnyCaseBuildTheirClassAndReadTheirOwnAttributes)
{
    EXPECT_EQ (build<GFXToggleButton> ("<togglebutton style='3D'/>")->getFramesNum(), 4);
    EXPECT_EQ (build<GFXMultiStateButton> ("<multistatebutton states='3'/>")->getStatesNum(), 3);
    EXPECT_EQ (build<GFXRocker> ("<ROCKER type='horizontal'/>")->getType(), 1);
    EXPECT_EQ (build<GFXSwitch> ("<switch style='vertical'/>")->getSliderStyle(),
               juce::Slider::LinearVertical);
    EXPECT_EQ (build<GFXKnob> ("<switch/>"), nullptr) << "a switch is no knob";
    EXPECT_EQ (build<PitchBender> ("<modwheel/>"), nullptr) << "a wheel is no bender";
    EXPECT_NE (build<ModWheel> ("<MODWHEEL/>"), nullptr);
    EXPECT_NE (build<PitchBender> ("<pitchBender/>"), nullptr);
    EXPECT_NE (build<GFXMidiChannelDisplay> ("<midichanneldisplay/>"), nullptr);
    EXPECT_NE (build<GFXAnimation> ("<animation/>"), nullptr);
    EXPECT_NE (build<GFXButton> ("<button/>"), nullptr);
    EXPECT_NE (build<GFXKnob> ("<KNOB/>"), nullptr);
}
} // namespace
