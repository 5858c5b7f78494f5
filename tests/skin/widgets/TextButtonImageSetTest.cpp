// A text button keeps the image set it was given when a parent's look and feel takes it over: the set
// decides its height, so losing it shrinks a large button the moment it is shown.

#include "TestNames.h"
#include "skin/widgets/TextButtonEx.h"
#include "skin/windows/WindowsTestSupport.h"

#include <gtest/gtest.h>

namespace
{
struct ImageSetCase
{
    const char* what;
    int size;
    bool created;       // by createTextButton; else a plain button given the set by setTextButtonImages
    int expectedHeight; // 32: the large set, 28: the small one
};

class TextButtonImageSet : public ::testing::TestWithParam<ImageSetCase>
{
protected:
    StyledDesktop host;
};

TEST_P (TextButtonImageSet, SurvivesBeingAddedToAParent)
{
    const auto& c = GetParam();
    std::unique_ptr<TextButtonEx> button (c.created ? host.lf.createTextButton ("Open preset", c.size)
                                                    : new TextButtonEx ("Open preset"));
    if (!c.created)
        host.lf.setTextButtonImages (*button, c.size);
    ASSERT_EQ (button->getHeight(), c.expectedHeight);
    const auto width = button->getWidth();

    host.addAndMakeVisible (*button);
    EXPECT_EQ (button->getHeight(), c.expectedHeight);
    EXPECT_EQ (button->getWidth(), width);

    button->sendLookAndFeelChange();
    EXPECT_EQ (button->getHeight(), c.expectedHeight);
}

INSTANTIATE_TEST_SUITE_P (Sets, TextButtonImageSet,
                          ::testing::Values (ImageSetCase{"created large", 2, true, 32},
                                             ImageSetCase{"created small", 1, true, 28},
                                             ImageSetCase{"created at an unknown size", 3, true, 28},
                                             ImageSetCase{"given the large set", 2, false, 32},
                                             ImageSetCase{"given the small set", 0, false, 28}),
                          [] (const auto& named) { return testName (named.param.what); });
} // namespace
