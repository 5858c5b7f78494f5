#include "RealInput.h"
#include "XvfbDisplay.h"
#include "skin/SkinTestSupport.h"
#include "skin/displays/GFXDisplay.h"
#include "vst/XWindowManagerAtoms.h"

using namespace SkinTest;

namespace
{
/** A top-level window that keeps the keys no component inside it took. */
struct KeyCatchingWindow : public juce::Component
{
    bool keyPressed (const juce::KeyPress& key) override
    {
        unclaimed.add (key);
        return true;
    }

    juce::Array<juce::KeyPress> unclaimed;
};

bool waitFor (const std::function<bool()>& condition)
{
    return XvfbDisplay::runMessageLoopUntil (condition);
}

/** A text display in a window on the private X server, with input the server delivers. */
class RealKeys : public SourceTest
{
protected:
    void SetUp() override
    {
        KELVANOR_REQUIRE_XVFB();
        ASSERT_TRUE (XWindowManagerAtoms::ensureExist());

        embed ({{"font.png", makeStrip (2 * ('Z' - ' ' + 1), 6, 8)}});
        window.setBounds (40, 40, 200, 60);
        load (display, "<Display name='AB'><gfx resource='font.png' fontHeight='8' firstASCII=' '/>"
                       "<pos left='10' top='10'/><size width='60' height='12'/></Display>");
        window.addAndMakeVisible (display);
        display.addListener (&log);

        window.addToDesktop (0);
        window.setVisible (true);
        input = std::make_unique<RealInput> (window);
        ASSERT_TRUE (waitFor ([this] { return input->isViewable(); }));
        std::cout << "input through " << (input->usesXTest() ? "XTest" : "the window's peer") << std::endl;
    }

    void TearDown() override
    {
        input.reset();
        window.removeFromDesktop();
        SourceTest::TearDown();
    }

    // Keys go where the X input focus is: typing starts once the server has moved it to the window.
    bool startEdit()
    {
        display.mouseDown (mouseAt (display, {3.0f, 3.0f}));
        return waitFor (
            [this] {
                return display.hasKeyboardFocus (false) && display.isEditing() && input->holdsKeyboardFocus();
            });
    }

    bool typeAndWait (char character, const juce::String& expected)
    {
        input->typeCharacter (character);
        return waitFor ([&] { return display.getText() == expected; });
    }

    bool editEnded()
    {
        return waitFor ([this] { return !display.isEditing(); });
    }

    KeyCatchingWindow window;
    EditLog log;
    GFXDisplay display{"d"};
    std::unique_ptr<RealInput> input;
};

TEST_F (RealKeys, ATextDisplayHearsTypedTextOnceOnReturnOrAClickElsewhereAndNeverOnEscape)
{
    // Return commits once.
    ASSERT_TRUE (startEdit());
    ASSERT_TRUE (typeAndWait ('1', "AB1"));
    ASSERT_TRUE (typeAndWait ('2', "AB12"));
    input->typeKey (juce::KeyPress::returnKey);
    ASSERT_TRUE (editEnded());
    EXPECT_EQ (log.texts, juce::StringArray ("AB12"));
    EXPECT_FALSE (display.hasKeyboardFocus (false));

    // Escape tells nobody and brings the text back.
    ASSERT_TRUE (startEdit());
    ASSERT_TRUE (typeAndWait ('3', "AB123"));
    input->typeKey (juce::KeyPress::escapeKey);
    ASSERT_TRUE (editEnded());
    EXPECT_EQ (display.getText(), "AB12");
    EXPECT_EQ (log.texts.size(), 1);

    // A real click elsewhere in the window commits, as Return does.
    ASSERT_TRUE (startEdit());
    ASSERT_TRUE (typeAndWait ('9', "AB129"));
    input->clickAt (window.localPointToGlobal (juce::Point<int> (150, 40)));
    ASSERT_TRUE (editEnded());
    EXPECT_EQ (log.texts, juce::StringArray ("AB12", "AB129"));

    // Keys after the edit pass the display by: the window itself hears them.
    window.unclaimed.clear();
    input->typeCharacter ('4');
    ASSERT_TRUE (waitFor ([this] { return window.unclaimed.contains (juce::KeyPress ('4')); }));
    EXPECT_EQ (display.getText(), "AB129");
    EXPECT_EQ (log.texts.size(), 2);
}

// A condition that asks the server something through JUCE's connection (here whether the window has the
// focus) makes Xlib read the events that have arrived, where JUCE's loop no longer sees them: the wait
// still hands them to JUCE.
TEST_F (RealKeys, TypedKeysArriveWhileTheWaitAsksTheServerThroughJucesConnection)
{
    if (!input->usesXTest())
        GTEST_SKIP() << "no XTest: keys are not X events";

    ASSERT_TRUE (startEdit());
    auto* peer = window.getPeer();
    input->typeCharacter ('5');
    EXPECT_TRUE (waitFor ([&] { return peer->isFocused() && display.getText() == "AB5"; }));
}
} // namespace
