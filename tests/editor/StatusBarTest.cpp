#include "editor/StatusBar.h"
#include "TestNames.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
enum class Op
{
    show,
    temporary,
    clear,
    expire
};

struct Step
{
    Op op;
    const char* text;
    int priority;
    const char* expectedText;
    int expectedPriority;
    bool expectedTemporary;
};

struct StatusCase
{
    const char* what;
    std::vector<Step> steps;
};

class StatusBarPriorities : public ::testing::TestWithParam<StatusCase>
{
};

TEST_P (StatusBarPriorities, FollowTheRules)
{
    StatusBar bar;
    int stepIndex = 0;
    for (const auto& s : GetParam().steps)
    {
        switch (s.op)
        {
            case Op::show: bar.showText (s.text, s.priority); break;
            case Op::temporary: bar.showTemporaryText (s.text, s.priority); break;
            case Op::clear: bar.clearText (s.priority); break;
            case Op::expire: bar.expire(); break;
        }
        EXPECT_EQ (bar.getText(), juce::String (s.expectedText)) << GetParam().what << ", step " << stepIndex;
        EXPECT_EQ (bar.getPriority(), s.expectedPriority) << GetParam().what << ", step " << stepIndex;
        EXPECT_EQ (bar.isTemporary(), s.expectedTemporary) << GetParam().what << ", step " << stepIndex;
        ++stepIndex;
    }
}

INSTANTIATE_TEST_SUITE_P (
    Table, StatusBarPriorities,
    ::testing::Values (
        StatusCase{"a higher priority replaces, a lower one is dropped",
                   {{Op::temporary, "knob", 6, "knob", 6, true},
                    {Op::temporary, "midi", 5, "knob", 6, true},
                    {Op::show, "learn", 7, "learn", 7, false},
                    {Op::temporary, "knob 2", 6, "learn", 7, false}}},
        StatusCase{"equal priority replaces",
                   {{Op::show, "a", 4, "a", 4, false}, {Op::temporary, "b", 4, "b", 4, true}}},
        StatusCase{"a temporary text expires, a lasting one does not",
                   {{Op::show, "lasting", 0, "lasting", 0, false},
                    {Op::expire, "", 0, "", 0, false},
                    {Op::temporary, "short", 6, "short", 6, true},
                    {Op::expire, "", 0, "", 0, false}}},
        StatusCase{"clearing needs at least the shown priority, -1 clears all",
                   {{Op::show, "learn", 7, "learn", 7, false},
                    {Op::clear, "", 6, "learn", 7, false},
                    {Op::clear, "", 7, "", 0, false},
                    {Op::show, "learn", 7, "learn", 7, false},
                    {Op::clear, "", -1, "", 0, false}}},
        StatusCase{"showing the same text again changes nothing, not even a lasting one into a temporary",
                   {{Op::show, "same", 4, "same", 4, false}, {Op::temporary, "same", 6, "same", 4, false}}},
        StatusCase{"a lasting text stops the time-out of a temporary one",
                   {{Op::temporary, "short", 4, "short", 4, true}, {Op::show, "long", 4, "long", 4, false}}},
        StatusCase{"an empty bar with priority 0 takes priority 0",
                   {{Op::clear, "", -1, "", 0, false},
                    {Op::show, "Loading skin...", 0, "Loading skin...", 0, false}}}),
    NameFromWhat());

TEST (StatusBar, TakesFontAndHeightFromTheLookAndFeel)
{
    DefaultLookAndFeel lf;
    StatusBar bar;
    bar.setBounds (10, 20, 300, 40);
    bar.setLookAndFeel (&lf);
    EXPECT_EQ (bar.getBounds(), juce::Rectangle<int> (10, 20, 300, lf.getStatusBarHeight()));
    EXPECT_GT (bar.getFont().getStringWidthFloat ("Realtime processing"), 0.0f);

    // Text is drawn in the text colour over the background.
    bar.showText ("WWWWWWWW", 1);
    const auto image = bar.createComponentSnapshot (bar.getLocalBounds(), false);
    const auto background = lf.findColour (LookAndFeelColourIds::statusBarBackground);
    EXPECT_EQ (image.getPixelAt (2, 2), background);
    int textPixels = 0;
    for (int x = 5; x < 80; ++x)
        for (int y = 0; y < image.getHeight(); ++y)
            textPixels += image.getPixelAt (x, y) != background ? 1 : 0;
    EXPECT_GT (textPixels, 20);
    bar.setLookAndFeel (nullptr);
}
} // namespace
