#include "skin/SkinTestSupport.h"
#include "skin/widgets/RadioButtons_V2.h"
#include "skin/windows/WindowsTestSupport.h"

namespace
{
class Recorder : public RadioButtons_V2::Listener
{
public:
    void radioButtonsChanged (RadioButtons_V2* g) override { seen.push_back (g->getSelectedIndex()); }
    std::vector<int> seen;
};

class RadioGroup : public ::testing::Test
{
protected:
    RadioGroup()
    {
        host.addAndMakeVisible (group);
        group.setButtonWidth (-1);
        group.addListener (&recorder);
    }

    std::vector<bool> states() const
    {
        std::vector<bool> s;
        for (int i = 0; i < group.getNumButtons(); ++i)
            s.push_back (group.getButton (i)->getToggleState());
        return s;
    }

    StyledDesktop host;
    RadioButtons_V2 group{"Quality", {"Low", "Medium", "High"}};
    Recorder recorder;
};

struct SelectCase
{
    int index;
    int expectedSelected;
    std::vector<bool> expectedStates;
};

class RadioSelection : public RadioGroup, public ::testing::WithParamInterface<SelectCase>
{
};

TEST_P (RadioSelection, SelectsExactlyOneOrNone)
{
    const auto& c = GetParam();
    group.setSelectedIndex (1, false);
    group.setSelectedIndex (c.index, true);
    EXPECT_EQ (group.getSelectedIndex(), c.expectedSelected);
    EXPECT_EQ (states(), c.expectedStates);
    EXPECT_EQ (recorder.seen, std::vector<int>{c.expectedSelected}) << "a notifying change is told once";
}

INSTANTIATE_TEST_SUITE_P (
    Indexes, RadioSelection,
    ::testing::Values (SelectCase{0, 0, {true, false, false}}, SelectCase{2, 2, {false, false, true}},
                       SelectCase{3, -1, {false, false, false}}, SelectCase{-1, -1, {false, false, false}},
                       SelectCase{100, -1, {false, false, false}}),
    [] (const auto& each) { return testName ("index " + juce::String (each.param.index)); });

TEST_F (RadioGroup, ClickSelectsAndClickingTheSelectedButtonSelectsItAgain)
{
    for (int round = 0; round < 2; ++round)
    {
        SkinTest::click (*group.getButton (2));
        EXPECT_EQ (states(), (std::vector<bool>{false, false, true})) << "round " << round;
    }
    EXPECT_EQ (recorder.seen, (std::vector<int>{2, 2}));
}

TEST (RadioParameter, ValueOutOfRangeShowsNoSelectionAndTellsNobody)
{
    IntParameter quality (7, "Quality", -1, 10, 5); // outlives the group bound to it
    RadioButtons_V2 group ("Quality", {"Low", "Medium", "High"});
    Recorder recorder;
    group.addListener (&recorder);
    group.setSelectedIndex (1, false);

    group.attachToParameter (&quality);
    EXPECT_EQ (group.getSelectedIndex(), -1);
    for (int i = 0; i < group.getNumButtons(); ++i)
        EXPECT_FALSE (group.getButton (i)->getToggleState()) << i;

    quality.setValueInt (2, true);
    pumpMessages();
    EXPECT_EQ (group.getSelectedIndex(), 2);
    EXPECT_TRUE (recorder.seen.empty());

    group.setSelectedIndex (7, true); // none, and the parameter hears -1
    EXPECT_EQ (quality.getValueInt(), -1);
    EXPECT_EQ (recorder.seen, std::vector<int>{-1});
}

TEST_F (RadioGroup, ButtonsSpanTheContentWidth)
{
    group.setSize (240, group.getHeight());
    const int contentWidth = group.getPanel().getContentBounds().getWidth();
    for (int i = 0; i < group.getNumButtons(); ++i)
        EXPECT_EQ (group.getButton (i)->getWidth(), contentWidth) << i;
    // The buttons sit in the content area, below the title, not over it.
    const auto first =
        group.getPanel().getLocalArea (group.getButton (0), group.getButton (0)->getLocalBounds());
    EXPECT_EQ (first.getTopLeft(), group.getPanel().getContentBounds().getTopLeft());
}

//==============================================================================
struct PathCase
{
    int index;
    bool pathEnabled;
};

class DefaultResourcesGroup : public ::testing::TestWithParam<PathCase>
{
};

TEST_P (DefaultResourcesGroup, PathFieldOnlyForTheLastChoice)
{
    StyledDesktop host;
    DefaultResourcesRadioButtons group ("Skin", {"Built in", "Factory", "User file"});
    host.addAndMakeVisible (group);
    group.setButtonWidth (-1);
    group.setSize (400, group.getHeight());
    EXPECT_FALSE (group.getPathComponent().isEnabled());

    group.setSelectedIndex (GetParam().index, false);
    EXPECT_EQ (group.getPathComponent().isEnabled(), GetParam().pathEnabled);
}

INSTANTIATE_TEST_SUITE_P (Choices, DefaultResourcesGroup,
                          ::testing::Values (PathCase{0, false}, PathCase{1, false}, PathCase{2, true},
                                             PathCase{3, false}, PathCase{-1, false}),
                          [] (const auto& each)
                          { return testName ("choice " + juce::String (each.param.index)); });

TEST (DefaultResourcesLayout, PathSitsBesideTheLastButtonAndAPathChangeIsTold)
{
    StyledDesktop host;
    DefaultResourcesRadioButtons group ("Skin", {"Built in", "User file"});
    host.addAndMakeVisible (group);
    group.setButtonWidth (-1);
    group.setSize (400, group.getHeight());
    Recorder recorder;
    group.addListener (&recorder);

    auto& last = *group.getButton (1);
    const auto content = group.getPanel().getContentBounds();
    const auto lastInGroup = last.getBounds() + content.getPosition();
    const auto path = group.getPathComponent().getBounds();
    EXPECT_EQ (path.getX(), lastInGroup.getRight() + 6);
    EXPECT_EQ (path.getY(), lastInGroup.getY());
    EXPECT_EQ (path.getRight(), content.getRight());
    EXPECT_EQ (path.getHeight(), 20);

    group.setSelectedIndex (1, false);
    group.getPathComponent().setPath ("/tmp/mine.file", true);
    EXPECT_EQ (recorder.seen, std::vector<int>{1});
}
} // namespace
