#include <cstdlib>
#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// Xlib ends the process with exit() when the display it talks to goes away, from inside whatever JUCE
// call was talking to it; a test process must then end as asked, without freeing JUCE's shut-down list
// twice on the way out.
namespace
{
TEST (ProcessExit, ExitFromInsideATestEndsTheProcessCleanly)
{
    GTEST_FLAG_SET (death_test_style, "threadsafe");
    const struct
    {
        const char* what;
        int code;
        void (*touchJuce)();
    } cases[] = {
        {"after the desktop was made", 0, [] { juce::Desktop::getInstance(); }},
        {"after a component was shown", 3,
         []
         {
             juce::Component component;
             component.setVisible (true);
         }},
        {"with nothing of the desktop made", 5, [] {}},
    };
    for (const auto& c : cases)
    {
        EXPECT_EXIT (
            {
                c.touchJuce();
                std::exit (c.code);
            },
            ::testing::ExitedWithCode (c.code), "")
            << c.what;
    }
}
} // namespace
