#include "TestNames.h"
#include "WindowsTestSupport.h"

#include <gtest/gtest.h>

namespace
{
struct PlaceCase
{
    const char* what;
    int mode;
    juce::Point<int> wanted;
    int width, height;
    juce::Rectangle<int> area;
    juce::Point<int> expected;
};

class ModalPlacement : public ::testing::TestWithParam<PlaceCase>
{
};

TEST_P (ModalPlacement, KeepsTheWindowReachable)
{
    const auto& c = GetParam();
    EXPECT_EQ (ModalComponent::placeWithin (c.mode, c.wanted, c.width, c.height, c.area), c.expected)
        << c.what;
}

INSTANTIATE_TEST_SUITE_P (
    Table, ModalPlacement,
    ::testing::Values (
        PlaceCase{"centred, integer halves", 0, {}, 101, 51, {0, 0, 400, 300}, {150, 125}},
        PlaceCase{"centred, larger than the area", 0, {}, 800, 600, {0, 0, 400, 300}, {0, 0}},
        PlaceCase{"stored, inside", 1, {20, 30}, 100, 100, {0, 0, 400, 300}, {20, 30}},
        PlaceCase{"stored, past the right and bottom", 1, {350, 250}, 100, 100, {0, 0, 400, 300}, {300, 200}},
        PlaceCase{"stored, negative", 1, {-40, -5}, 100, 100, {0, 0, 400, 300}, {0, 0}},
        PlaceCase{"stored, larger than the area", 1, {50, 50}, 500, 400, {0, 0, 400, 300}, {0, 0}},
        PlaceCase{"stored, area with an offset", 1, {0, 0}, 10, 10, {5, 7, 100, 100}, {5, 7}}),
    NameFromWhat());

class ModalWindowFixture : public ::testing::Test
{
protected:
    TestDesktop editor{400, 300};
    juce::Component panel;

    void SetUp() override
    {
        panel.setBounds (editor.getLocalBounds());
        editor.addAndMakeVisible (panel);
    }
};

TEST_F (ModalWindowFixture, ShowCentresInTheModalAreaAndCoversTheEditor)
{
    editor.modalArea = {0, 0, 400, 280}; // a status bar below
    SizedWindow window (100, 60, true);
    editor.addChildComponent (window);
    window.show();

    ASSERT_TRUE (window.isInCoveringWindow());
    EXPECT_EQ (window.getCoveringWindow().getParentComponent(), &editor);
    EXPECT_EQ (window.getCoveringWindow().getBounds(), editor.getLocalBounds());
    EXPECT_TRUE (window.getCoveringWindow().isVisible());
    EXPECT_TRUE (window.isShowing());
    EXPECT_EQ (window.getPosition(), juce::Point<int> (150, 110));
}

TEST_F (ModalWindowFixture, ShowingAgainKeepsThePosition)
{
    SizedWindow window (100, 60);
    editor.addChildComponent (window);
    window.show();
    window.setTopLeftPosition (12, 34);
    window.show();
    EXPECT_EQ (window.getPosition(), juce::Point<int> (12, 34));
}

TEST_F (ModalWindowFixture, ClicksAroundTheWindowLandOnTheCoveringWindow)
{
    for (bool dims : {false, true})
    {
        SizedWindow window (100, 60, dims);
        editor.addChildComponent (window);
        window.show();
        EXPECT_EQ (editor.getComponentAt (5, 5), &window.getCoveringWindow()) << "dims " << dims;
        EXPECT_EQ (editor.getComponentAt (200, 150), &window);

        // Only a dimming window veils the panel.
        const auto image = window.getCoveringWindow().createComponentSnapshot ({0, 0, 4, 4}, false);
        EXPECT_EQ (image.getPixelAt (1, 1).getAlpha() > 0, dims);
        window.hideWindow();
    }
}

TEST_F (ModalWindowFixture, HideLeavesTheWindowAttachedAndTheNextShowCentresAgain)
{
    SizedWindow window (100, 60);
    editor.addChildComponent (window);
    window.show();
    window.setTopLeftPosition (0, 0);
    window.hideWindow();
    EXPECT_FALSE (window.isVisible());
    EXPECT_FALSE (window.getCoveringWindow().isVisible());
    EXPECT_TRUE (window.isInCoveringWindow());
    window.show();
    EXPECT_EQ (window.getPosition(), juce::Point<int> (150, 120));
}

TEST_F (ModalWindowFixture, ShowAtConvertsAndClampsToTheEditor)
{
    SizedWindow window (100, 100);
    editor.addChildComponent (window);
    panel.setBounds (50, 40, 300, 200);
    window.showAt (ModalComponent::atStoredPosition, {10, 20}, &panel);
    EXPECT_EQ (window.getPosition(), juce::Point<int> (60, 60));
    EXPECT_EQ (window.getPositioningMode(), 1);

    window.showAt (ModalComponent::atStoredPosition, {390, 290}, nullptr);
    EXPECT_EQ (window.getPosition(), juce::Point<int> (300, 200));
}

TEST_F (ModalWindowFixture, AWindowLargerThanTheEditorStartsAtItsTopLeft)
{
    SizedWindow window (800, 600);
    editor.addChildComponent (window);
    window.show();
    EXPECT_EQ (window.getPosition(), juce::Point<int> (0, 0));

    // The editor growing re-centres it through the covering window.
    editor.setSize (1000, 800);
    EXPECT_EQ (window.getPosition(), juce::Point<int> (100, 100));
}

TEST (ModalComponent, WithoutADesktopOnlyShowsInPlace)
{
    juce::Component plain;
    plain.setSize (300, 300);
    SizedWindow window (50, 50);
    window.setTopLeftPosition (7, 8);
    plain.addChildComponent (window);
    window.show();
    EXPECT_TRUE (window.isVisible());
    EXPECT_EQ (window.getParentComponent(), &plain);
    EXPECT_EQ (window.getPosition(), juce::Point<int> (7, 8));
}

TEST (ModalComponent, GivenAnotherParentItsCoveringWindowLeavesTheEditor)
{
    TestDesktop editor (200, 200);
    juce::Component elsewhere;
    SizedWindow window (50, 50);
    editor.addChildComponent (window);
    window.show();
    ASSERT_EQ (window.getCoveringWindow().getParentComponent(), &editor);
    elsewhere.addChildComponent (window);
    EXPECT_EQ (window.getCoveringWindow().getParentComponent(), nullptr);
    EXPECT_EQ (editor.getIndexOfChildComponent (&window.getCoveringWindow()), -1);
}

TEST (ModalComponent, DestroyedWhileShownLeavesNothingInTheEditor)
{
    TestDesktop editor (200, 200);
    {
        SizedWindow window (50, 50);
        editor.addChildComponent (window);
        window.show();
        EXPECT_EQ (editor.getNumChildComponents(), 1);
    }
    EXPECT_EQ (editor.getNumChildComponents(), 0);
}
} // namespace
