// The preset browser's group column as a user clicks through it: closing and opening the preset list, and
// closing and opening the browser, never leaves a group name out of sight.

#include "KelvanorEditorInHostWindow.h"

namespace
{
/** Where the group column lies in the browser (639 x 350, centred over the panel less its 16-pixel status
    bar): frame 3 and margin 6, the toolbar 24 and its gap 5; below the title bar 31 and the margin 6. */
struct GroupColumn
{
    static constexpr int browserWidth = 639, browserHeight = 350, rowHeight = 20, numGroups = 4;
    static constexpr int x = 3 + 6 + 24 + 5, y = 31 + 6, width = 241;
    // The list's inset 4 and the row icon's 19 before each name.
    static constexpr int listInset = 4, nameX = x + listInset + 19;

    explicit GroupColumn (juce::Rectangle<int> editor)
        : origin (editor.getWidth() / 2 - browserWidth / 2, (editor.getHeight() - 16) / 2 - browserHeight / 2)
    {
    }

    juce::Rectangle<int> browser() const { return {origin.x, origin.y, browserWidth, browserHeight}; }
    juce::Rectangle<int> area() const { return {origin.x + x, origin.y + y, width, 200}; }
    juce::Point<int> row (int r) const
    {
        return origin.translated (x + 60, y + listInset + r * rowHeight + rowHeight / 2);
    }
    juce::Point<int> emptySpace() const { return row (numGroups + 3); }
    juce::Point<int> closeButton() const { return origin.translated (browserWidth - 16, 15); }
    /** The start of row r's name, where its first letters are printed. */
    juce::Rectangle<int> nameStart (int r) const
    {
        return {origin.x + nameX, origin.y + y + listInset + r * rowHeight + 4, 24, rowHeight - 8};
    }

    juce::Point<int> origin;
};

bool samePicture (const juce::Image& a, const juce::Image& b)
{
    if (!a.isValid() || a.getBounds() != b.getBounds())
        return false;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;
    return true;
}

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
            if (std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen()) +
                    std::abs (p.getBlue() - q.getBlue()) >
                48)
                ++differing;
        }
    return differing <= 8;
}

/** Letters in an area: pixels far from the brightness of the row behind them (sampled at its right end). */
bool hasInk (const juce::Image& window, juce::Rectangle<int> area, juce::Point<int> background)
{
    const float behind = window.getPixelAt (background.x, background.y).getBrightness();
    int ink = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (std::abs (window.getPixelAt (x, y).getBrightness() - behind) > 0.25f)
                ++ink;
    return ink >= 6;
}

class PresetGroupsEndToEnd : public KelvanorEditorInHostWindow
{
protected:
    void click (juce::Point<int> where)
    {
        ASSERT_TRUE (window->click (where));
        session->idle (0.1);
    }

    juce::Image groups() { return window->capture().getClippedImage (column().area()); }
    GroupColumn column() { return GroupColumn (session->getEditorRect()); }

    /** The group column once two captures in a row agree. */
    juce::Image settledGroups()
    {
        auto settled = groups();
        EXPECT_TRUE (idleUntil (
            [&]
            {
                const auto now = groups();
                const bool same = samePicture (now, settled);
                settled = now;
                return same;
            }));
        return settled;
    }

    bool groupsShow (const juce::Image& picture)
    {
        return idleUntil ([&] { return looksLike (groups(), picture); });
    }

    /** An empty-space click clears the group selection (the column changes) and closes the preset list;
        then the group is chosen again. */
    void reopenGroup (int row, const juce::Image& shown)
    {
        click (column().emptySpace());
        ASSERT_TRUE (idleUntil ([&] { return !samePicture (groups(), shown); })) << "the click did nothing";
        click (column().row (row));
    }
};

TEST_F (PresetGroupsEndToEnd, EveryGroupNameStaysInItsColumnWhileListsAndTheBrowserCloseAndOpen)
{
    const auto panel = window->capture().getClippedImage (column().browser());
    const auto browse = skinControlNamed ("PresetBrowseButton");
    ASSERT_FALSE (browse.isEmpty());
    click (browse.getCentre());
    ASSERT_TRUE (idleUntil (
        [&] { return !samePicture (window->capture().getClippedImage (column().browser()), panel); }))
        << "the browser did not open";

    // The column as it first shows "_Distorted" and its presets: every name starts where it belongs.
    const auto opened = settledGroups();
    click (column().row (1));
    ASSERT_TRUE (idleUntil ([&] { return !samePicture (groups(), opened); })) << "no group was chosen";
    const auto distorted = settledGroups();
    const auto shown = window->capture();
    for (int r = 0; r < GroupColumn::numGroups; ++r)
        ASSERT_TRUE (hasInk (shown, column().nameStart (r), column().row (r).translated (150, 0))) << r;

    reopenGroup (1, distorted);
    EXPECT_TRUE (groupsShow (distorted)) << "after the preset list closed and opened again";

    reopenGroup (0, distorted);
    reopenGroup (1, distorted);
    EXPECT_TRUE (groupsShow (distorted)) << "after a second group and back";

    click (column().emptySpace());
    click (column().closeButton());
    ASSERT_TRUE (idleUntil (
        [&] { return samePicture (window->capture().getClippedImage (column().browser()), panel); }))
        << "the browser did not close";
    click (browse.getCentre());
    click (column().row (1));
    EXPECT_TRUE (groupsShow (distorted)) << "after the browser closed and opened again";
}
} // namespace
