#include "WindowsTestSupport.h"

#include "TestNames.h"
#include "TestSupport.h"
#include "skin/windows/WindowComponent.h"

#include <gtest/gtest.h>

namespace
{
struct ContentSizeCase
{
    bool border, titleBar;
    int width, height;
    int expectedWidth, expectedHeight;
};

class WindowContentSize : public ::testing::TestWithParam<ContentSizeCase>
{
};

TEST_P (WindowContentSize, AddsFrameTitleAndMarginsWithAMinimum)
{
    const auto& c = GetParam();
    WindowComponent window;
    window.setHasBorder (c.border);
    window.setHasTitleBar (c.titleBar);
    window.setContentSize (c.width, c.height);
    EXPECT_EQ (window.getWidth(), c.expectedWidth);
    EXPECT_EQ (window.getHeight(), c.expectedHeight);
}

// Margins: 6 top, 6 left, 9 bottom, 6 right; border 3; title bar 31.
INSTANTIATE_TEST_SUITE_P (Table, WindowContentSize,
                          ::testing::Values (ContentSizeCase{true, true, 0, 0, 250, 120},
                                             ContentSizeCase{true, true, 300, 200, 318, 252},
                                             ContentSizeCase{true, false, 300, 200, 318, 218},
                                             ContentSizeCase{false, true, 300, 200, 312, 246},
                                             ContentSizeCase{false, false, 300, 200, 312, 215},
                                             ContentSizeCase{true, true, 200, 50, 250, 120}),
                          [] (const auto& each)
                          {
                              const auto& c = each.param;
                              return testName (juce::String (c.width) + " by " + juce::String (c.height) +
                                               (c.border ? " border" : "") +
                                               (c.titleBar ? " title bar" : ""));
                          });

TEST (WindowComponent, LaysOutTitleBarCloseButtonAndContent)
{
    WindowComponent window;
    window.setSize (400, 300);
    EXPECT_EQ (window.getContentArea(), juce::Rectangle<int> (9, 37, 382, 251));
    EXPECT_EQ (window.getTitleBarArea(), juce::Rectangle<int> (0, 0, 400, 31));
    // The default icon takes a title-bar square at the left; the close button one at the right.
    EXPECT_EQ (window.getTitleTextArea(), juce::Rectangle<int> (31, 0, 338, 31));
    EXPECT_EQ (window.getCloseButton().getBounds(), juce::Rectangle<int> (374, 5, 20, 20));
    EXPECT_TRUE (window.getCloseButton().isVisible());

    window.setHasTitleBar (false);
    EXPECT_FALSE (window.getCloseButton().isVisible());
    EXPECT_EQ (window.getContentArea(), juce::Rectangle<int> (9, 9, 382, 279));
}

TEST (WindowComponent, OnlyACompositeDrawableBecomesTheIcon)
{
    WindowComponent window;
    window.setSize (300, 200);
    ASSERT_NE (dynamic_cast<juce::DrawableComposite*> (window.getIcon()), nullptr);

    window.setIcon (new juce::DrawablePath());
    EXPECT_EQ (window.getIcon(), nullptr);
    EXPECT_EQ (window.getTitleTextArea().getX(), 6); // twice the border instead of the icon square

    window.setIcon (WindowComponent::createDefaultIcon().release());
    EXPECT_NE (window.getIcon(), nullptr);
    EXPECT_EQ (window.getIcon()->getParentComponent(), &window);
}

TEST (WindowComponent, CloseButtonHidesTheWindowAndItsVeil)
{
    TestDesktop editor (600, 400);
    WindowComponent window;
    window.setContentSize (100, 100);
    editor.addChildComponent (window);
    window.show();
    ASSERT_TRUE (window.isShowing());
    window.getCloseButton().triggerClick();
    pumpMessages(); // triggerClick posts the click
    EXPECT_FALSE (window.isVisible());
    EXPECT_FALSE (window.getCoveringWindow().isVisible());
    EXPECT_TRUE (window.isInCoveringWindow());
}
} // namespace
