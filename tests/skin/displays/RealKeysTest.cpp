#include "RealInput.h"
#include "XvfbDisplay.h"
#include "skin/SkinTestSupport.h"
#include "skin/displays/GFXDisplay.h"
#include "vst/XWindowManagerAtoms.h"

using namespace SkinTest;

namespace
{
using RealKeys = SourceTest;

TEST_F (RealKeys, ATextDisplayHearsTypedTextOnceOnReturnOrAClickElsewhereAndNeverOnEscape)
{
    KELVANOR_REQUIRE_XVFB();
    ASSERT_TRUE (XWindowManagerAtoms::ensureExist());

    embed ({{"font.png", makeStrip (2 * ('Z' - ' ' + 1), 6, 8)}});
    juce::Component window ("window");
    window.setBounds (40, 40, 200, 60);
    GFXDisplay display ("d");
    load (display, "<Display name='AB'><gfx resource='font.png' fontHeight='8' firstASCII=' '/>"
                   "<pos left='10' top='10'/><size width='60' height='12'/></Display>");
    window.addAndMakeVisible (display);
    EditLog log;
    display.addListener (&log);

    window.addToDesktop (0);
    window.setVisible (true);
    ASSERT_TRUE (runMessageLoopUntil ([&window] { return RealInput::isViewable (window); }));
    RealInput input (window);
    std::cout << "input through " << (input.usesXTest() ? "XTest" : "the window's peer") << std::endl;

    const auto startEdit = [&]
    {
        display.mouseDown (mouseAt (display, {3.0f, 3.0f}));
        return runMessageLoopUntil ([&display] { return display.hasKeyboardFocus (false); }, 3000) &&
               display.isEditing();
    };
    const auto typeAndWait = [&] (char character, const juce::String& expected)
    {
        input.typeCharacter (character);
        return runMessageLoopUntil ([&] { return display.getText() == expected; }, 3000);
    };

    // Return commits once.
    ASSERT_TRUE (startEdit());
    ASSERT_TRUE (typeAndWait ('1', "AB1"));
    ASSERT_TRUE (typeAndWait ('2', "AB12"));
    input.typeKey (juce::KeyPress::returnKey);
    ASSERT_TRUE (runMessageLoopUntil ([&display] { return !display.isEditing(); }, 3000));
    EXPECT_EQ (log.texts, juce::StringArray ("AB12"));
    EXPECT_FALSE (display.hasKeyboardFocus (false));

    // Escape tells nobody and brings the text back.
    ASSERT_TRUE (startEdit());
    ASSERT_TRUE (typeAndWait ('3', "AB123"));
    input.typeKey (juce::KeyPress::escapeKey);
    ASSERT_TRUE (runMessageLoopUntil ([&display] { return !display.isEditing(); }, 3000));
    EXPECT_EQ (display.getText(), "AB12");
    EXPECT_EQ (log.texts.size(), 1);

    // A real click elsewhere in the window commits, as Return does.
    ASSERT_TRUE (startEdit());
    ASSERT_TRUE (typeAndWait ('9', "AB129"));
    input.clickAt (window.localPointToGlobal (juce::Point<int> (150, 40)));
    ASSERT_TRUE (runMessageLoopUntil ([&display] { return !display.isEditing(); }, 3000));
    EXPECT_EQ (log.texts, juce::StringArray ("AB12", "AB129"));

    // Keys after the edit reach nothing.
    input.typeCharacter ('4');
    pumpMessages();
    EXPECT_EQ (display.getText(), "AB129");

    window.removeFromDesktop();
}
} // namespace
