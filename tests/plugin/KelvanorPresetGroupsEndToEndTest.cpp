// The preset browser's group column as a user clicks through it: closing and opening the preset list, and
// closing and opening the browser, never leaves a group name out of sight.

#include "KelvanorEditorInHostWindow.h"

namespace
{
/** Where the group column lies in the browser (639 x 350, centred over the panel less its 16-pixel status
    bar): frame 3, margin 6, toolbar 24 and its gap 5; below the title bar 31 and the margin 6. Its list
    is inset 4 and each row's name follows a 19-pixel icon. */
struct GroupColumn
{
    static constexpr int browserWidth = 639, browserHeight = 350, rowHeight = 20, numGroups = 4;
    static constexpr int x = 3 + 6 + 24 + 5, y = 31 + 6, listInset = 4, nameX = x + listInset + 19;

    explicit GroupColumn (juce::Rectangle<int> editor)
        : origin (editor.getWidth() / 2 - browserWidth / 2, (editor.getHeight() - 16) / 2 - browserHeight / 2)
    {
    }

    juce::Rectangle<int> browser() const { return {origin.x, origin.y, browserWidth, browserHeight}; }
    juce::Rectangle<int> area() const { return {origin.x + x, origin.y + y, 241, 200}; }
    juce::Point<int> row (int r) const
    {
        return origin.translated (x + 60, y + listInset + r * rowHeight + rowHeight / 2);
    }
    juce::Point<int> emptySpace() const { return row (numGroups + 3); }
    juce::Point<int> closeButton() const { return origin.translated (browserWidth - 16, 15); }
    /** Where row r's name begins. */
    juce::Rectangle<int> nameStart (int r) const
    {
        return {origin.x + nameX, origin.y + y + listInset + r * rowHeight + 4, 24, rowHeight - 8};
    }

    juce::Point<int> origin;
};

/** The same picture but for a few pixels of anti-aliasing, which depends on how a repaint was split. */
bool looksLike (const juce::Image& a, const juce::Image& b)
{
    if (!a.isValid() || a.getBounds() != b.getBounds())
        return false;
    int differing = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt (x, y), q = b.getPixelAt (x, y);
            differing += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen()) +
                             std::abs (p.getBlue() - q.getBlue()) >
                         48;
        }
    return differing <= 8;
}

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
    GroupColumn column() { return GroupColumn (session->getEditorRect()); }
    juce::Image shown (juce::Rectangle<int> area) { return window->capture().getClippedImage (area); }

    void click (juce::Point<int> where)
    {
        ASSERT_TRUE (window->click (where));
        session->idle (0.1);
    }

    /** Waits until the area shows the picture, or (changed) anything else. */
    bool waitFor (juce::Rectangle<int> area, const juce::Image& picture, bool changed = false)
    {
        return idleUntil ([&] { return looksLike (shown (area), picture) != changed; });
    }

    /** The group column once two captures in a row agree. */
    juce::Image settledGroups()
    {
        auto settled = shown (column().area());
        EXPECT_TRUE (idleUntil (
            [&]
            {
                const auto before = std::exchange (settled, shown (column().area()));
                return looksLike (before, settled);
            }));
        return settled;
    }

    /** A click on the empty space clears the group selection and closes the preset list; then the group is
        chosen again. */
    void reopenGroup (int row, const juce::Image& groups)
    {
        click (column().emptySpace());
        ASSERT_TRUE (waitFor (column().area(), groups, true)) << "the click changed nothing";
        click (column().row (row));
    }
};

TEST_F (PresetGroupsEndToEnd, EveryGroupNameStaysInItsColumnWhileListsAndTheBrowserCloseAndOpen)
{
    const auto panel = shown (column().browser());
    const auto browse = skinControlNamed ("PresetBrowseButton").getCentre();
    click (browse);
    ASSERT_TRUE (waitFor (column().browser(), panel, true)) << "the browser did not open";

    // The column as it first shows "_Distorted" and its presets: every name begins where it belongs.
    const auto opened = settledGroups();
    click (column().row (1));
    ASSERT_TRUE (waitFor (column().area(), opened, true)) << "no group was chosen";
    const auto distorted = settledGroups();
    const auto picture = window->capture();
    for (int r = 0; r < GroupColumn::numGroups; ++r)
        ASSERT_TRUE (hasInk (picture, column().nameStart (r), column().row (r).translated (150, 0))) << r;

    reopenGroup (1, distorted);
    EXPECT_TRUE (waitFor (column().area(), distorted)) << "after the preset list closed and opened again";
    reopenGroup (0, distorted);
    reopenGroup (1, distorted);
    EXPECT_TRUE (waitFor (column().area(), distorted)) << "after another group and back";

    click (column().emptySpace());
    click (column().closeButton());
    ASSERT_TRUE (waitFor (column().browser(), panel)) << "the browser did not close";
    click (browse);
    click (column().row (1));
    EXPECT_TRUE (waitFor (column().area(), distorted)) << "after the browser closed and opened again";
}
} // namespace
