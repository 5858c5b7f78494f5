// The preset browser's group column as a user clicks through it: closing and opening the preset list, and
// closing and opening the browser, never leaves a group name out of sight.

#include "KelvanorEditorInHostWindow.h"
#include "KelvanorEditorLayout.h"

namespace
{
/** Letters in an area: pixels far from the brightness of the row behind them, sampled further right. */
bool hasInk (const juce::Image& window, juce::Rectangle<int> area, juce::Point<int> background)
{
    const float behind = window.getPixelAt (background.x, background.y).getBrightness();
    int ink = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            ink += std::abs (window.getPixelAt (x, y).getBrightness() - behind) > 0.25f;
    return ink >= 6;
}

class PresetGroupsEndToEnd : public KelvanorEditorInHostWindow
{
protected:
    PresetBrowserLayout browser() { return PresetBrowserLayout (session->getEditorRect()); }

    /** Waits until the group column shows the picture, but for anti-aliasing. */
    bool waitUntilGroupsShow (const juce::Image& picture)
    {
        return waitUntilShows (browser().groupColumn(), picture, antiAliased);
    }

    /** A click on the empty space clears the group selection and closes the preset list; then the group is
        chosen again. */
    void reopenGroup (int row, const juce::Image& groups)
    {
        click (browser().belowTheGroups());
        ASSERT_TRUE (waitUntilChanges (browser().groupColumn(), groups, antiAliased))
            << "the click changed nothing";
        click (browser().groupRow (row));
    }
};

TEST_F (PresetGroupsEndToEnd, EveryGroupNameStaysInItsColumnWhileListsAndTheBrowserCloseAndOpen)
{
    const auto panel = captureOf (browser().area());
    press ("PresetBrowseButton");
    ASSERT_TRUE (waitUntilChanges (browser().area(), panel, antiAliased)) << "the browser did not open";

    // The column as it first shows "_Distorted" and its presets: every name begins where it belongs.
    const auto opened = settledCaptureOf (browser().groupColumn(), antiAliased);
    ASSERT_TRUE (opened.isValid()) << "the group column did not settle";
    click (browser().groupRow (1));
    ASSERT_TRUE (waitUntilChanges (browser().groupColumn(), opened, antiAliased)) << "no group was chosen";
    const auto distorted = settledCaptureOf (browser().groupColumn(), antiAliased);
    ASSERT_TRUE (distorted.isValid()) << "the group column did not settle";
    const auto picture = window->capture();
    for (int r = 0; r < PresetBrowserLayout::numGroups; ++r)
        ASSERT_TRUE (
            hasInk (picture, browser().groupNameStart (r), browser().groupRow (r).translated (150, 0)))
            << r;

    reopenGroup (1, distorted);
    EXPECT_TRUE (waitUntilGroupsShow (distorted)) << "after the preset list closed and opened again";
    reopenGroup (0, distorted);
    reopenGroup (1, distorted);
    EXPECT_TRUE (waitUntilGroupsShow (distorted)) << "after another group and back";

    click (browser().belowTheGroups());
    click (browser().closeButton());
    ASSERT_TRUE (waitUntilShows (browser().area(), panel, antiAliased)) << "the browser did not close";
    press ("PresetBrowseButton");
    click (browser().groupRow (1));
    EXPECT_TRUE (waitUntilGroupsShow (distorted)) << "after the browser closed and opened again";
}
} // namespace
