#include "TestNames.h"
#include "skin/windows/ComponentRow.h"
#include "skin/windows/PanelComponent.h"
#include "skin/windows/PathComponent.h"
#include "skin/windows/TabbedComponentEx.h"

#include <gtest/gtest.h>

namespace
{
struct RowCase
{
    int orientation, alignment;
    juce::Rectangle<int> expectedRow, expectedFirst, expectedSecond;
};

class ComponentRowLayout : public ::testing::TestWithParam<RowCase>
{
};

TEST_P (ComponentRowLayout, PlacesChildrenAlongAndAcross)
{
    const auto& c = GetParam();
    ComponentRow row;
    row.setTopLeftPosition (3, 4);
    row.setSpacing (6);
    row.setOrientation (c.orientation);
    row.setAlignment (c.alignment);
    juce::Component first, second;
    first.setSize (40, 20);
    second.setSize (10, 30);
    row.addAndMakeVisible (first);
    row.addAndMakeVisible (second);
    EXPECT_EQ (row.getBounds(), c.expectedRow);
    EXPECT_EQ (first.getBounds(), c.expectedFirst);
    EXPECT_EQ (second.getBounds(), c.expectedSecond);
}

INSTANTIATE_TEST_SUITE_P (Table, ComponentRowLayout,
                          ::testing::Values (RowCase{0, 0, {3, 4, 56, 30}, {0, 0, 40, 20}, {46, 0, 10, 30}},
                                             RowCase{0, 1, {3, 4, 56, 30}, {0, 5, 40, 20}, {46, 0, 10, 30}},
                                             RowCase{0, 2, {3, 4, 56, 30}, {0, 10, 40, 20}, {46, 0, 10, 30}},
                                             RowCase{1, 0, {3, 4, 40, 56}, {0, 0, 40, 20}, {0, 26, 10, 30}},
                                             RowCase{1, 2, {3, 4, 40, 56}, {0, 0, 40, 20}, {30, 26, 10, 30}}),
                          [] (const auto& each)
                          {
                              return testName (
                                  (each.param.orientation == 0 ? "across " : "down ") +
                                  juce::String (each.param.alignment == 0   ? "aligned at the start"
                                                : each.param.alignment == 1 ? "centred"
                                                                            : "aligned at the end"));
                          });

TEST (ComponentRow, FollowsChildSizesAndIsEmptyWithoutChildren)
{
    ComponentRow row;
    row.setSpacing (6);
    row.updateLayout();
    EXPECT_EQ (row.getWidth(), 0);

    juce::Component child;
    child.setSize (20, 10);
    row.addAndMakeVisible (child);
    EXPECT_EQ (row.getWidth(), 20);
    child.setSize (50, 10);
    EXPECT_EQ (row.getWidth(), 50);
}

TEST (PanelComponent, FitsItsContentUnderTheTitle)
{
    PanelComponent panel;
    juce::Component content;
    content.setSize (200, 40);
    panel.setContentComponent (&content, true);
    const int fontHeight = juce::roundToInt (panel.getFont().getHeight());
    EXPECT_EQ (panel.getWidth(), 216);
    EXPECT_EQ (panel.getHeight(), fontHeight + 56);
    EXPECT_EQ (content.getPosition(), juce::Point<int> (8, fontHeight + 8));
    EXPECT_EQ (panel.getContentBounds(), juce::Rectangle<int> (8, fontHeight + 8, 200, 40));

    content.setSize (300, 10); // follows the content while resize-to-fit
    EXPECT_EQ (panel.getWidth(), 316);

    juce::Component other;
    panel.setContentComponent (&other, false);
    EXPECT_EQ (content.getParentComponent(), nullptr);
    panel.fitToContent (500, -1);
    EXPECT_EQ (panel.getBounds().getWidth(), 500);
    EXPECT_EQ (panel.getHeight(), fontHeight + 16);
}

class PathCounter : public PathComponent::Listener
{
public:
    void pathChanged (PathComponent*) override { ++calls; }
    int calls = 0;
};

struct PathCase
{
    const char* path;
    bool notify;
    bool changes;
    int calls;
};

class PathComponentSetPath : public ::testing::TestWithParam<PathCase>
{
};

TEST_P (PathComponentSetPath, StoresAnotherPathAndNotifiesWhenAsked)
{
    const auto& c = GetParam();
    PathComponent field;
    PathCounter counter;
    field.addListener (&counter);
    field.addListener (&counter);
    field.setPath ("/home/User/Maps", false);
    field.setPath (c.path, c.notify);
    EXPECT_EQ (field.getPath() == juce::String (c.path), c.changes);
    EXPECT_EQ (counter.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P (Table, PathComponentSetPath,
                          ::testing::Values (PathCase{"/home/User/Maps", true, true, 0},
                                             PathCase{"/home/User/Other", true, true, 1},
                                             PathCase{"/home/User/Other", false, true, 0}),
                          [] (const auto& each) {
                              return testName (juce::String (each.param.path) +
                                               (each.param.notify ? " notifying" : " quietly"));
                          });

TEST (PathComponent, CutsALongPathAndFollowsEnablement)
{
    juce::Component parent;
    PathComponent field;
    parent.addAndMakeVisible (field);
    field.setBounds (0, 0, 200, 20);
    EXPECT_LT (field.getBoxArea().getRight() + 6, field.getBrowseButton().getX() + 1);
    EXPECT_EQ (field.getBrowseButton().getRight(), 200);
    EXPECT_FALSE (field.getBrowseButton().getWantsKeyboardFocus());

    field.setPath ("/short", false);
    EXPECT_FALSE (field.isPathCut());
    field.setPath (juce::String::repeatedString ("/a-rather-long-folder", 20), false);
    EXPECT_TRUE (field.isPathCut());

    parent.setEnabled (false);
    field.enablementChanged();
    EXPECT_FALSE (field.getBrowseButton().isEnabled());
}

class TabCounter : public TabbedComponentEx::Listener
{
public:
    void tabChanged (TabbedComponentEx* t) override { seen.add (t->getCurrentTabIndex()); }
    juce::Array<int> seen;
};

TEST (TabbedComponentEx, TellsListenersAndGivesPagesItsLookAndFeel)
{
    juce::LookAndFeel_V3 own;
    TabbedComponentEx tabs;
    tabs.setLookAndFeel (&own);
    juce::Component a, b;
    tabs.addTab ("A", juce::Colours::grey, &a, false);
    tabs.addTab ("B", juce::Colours::grey, &b, false);
    TabCounter counter;
    tabs.addListener (&counter);
    tabs.addListener (nullptr);
    tabs.setCurrentTabIndex (1);
    EXPECT_EQ (counter.seen, juce::Array<int> ({1}));
    EXPECT_EQ (&b.getLookAndFeel(), &own);
    tabs.setLookAndFeel (nullptr);
    b.setLookAndFeel (nullptr);
}

TEST (TabbedComponentEx, OutlinesThePageAreaBelowTheTabs)
{
    TabbedComponentEx tabs;
    tabs.setSize (300, 200);
    const auto box = tabs.getOutline().getBounds();
    EXPECT_FLOAT_EQ (box.getY(), (float) tabs.getTabBarDepth() - 0.5f);
    EXPECT_FLOAT_EQ (box.getRight(), 299.5f);
    EXPECT_FLOAT_EQ (box.getBottom(), 199.5f);
}
} // namespace
