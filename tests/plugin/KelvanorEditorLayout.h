#pragma once

#include <juce_graphics/juce_graphics.h>

/** Where the editor's windows lie over it, for clicks at their parts: each is centred over the panel, the
    16-pixel status bar below it left out. */
inline juce::Point<int> originOfWindowOverPanel (juce::Rectangle<int> editor, int width, int height)
{
    constexpr int statusBarHeight = 16;
    return {editor.getWidth() / 2 - width / 2, (editor.getHeight() - statusBarHeight) / 2 - height / 2};
}

/** The preset browser, 639 x 350: in a frame of 3 and a margin of 6, a toolbar 24 wide and a gap of 5, then
    the group column (241 wide) and the list of the chosen group's presets, both below the title bar (31)
    and the margin; each list is inset 4, its rows 20 high. */
struct PresetBrowserLayout
{
    static constexpr int width = 639, height = 350, rowHeight = 20, numGroups = 4;
    static constexpr int groupColumnX = 3 + 6 + 24 + 5, groupColumnWidth = 241, listsY = 31 + 6,
                         listInset = 4;
    static constexpr int presetListX = groupColumnX + groupColumnWidth;

    explicit PresetBrowserLayout (juce::Rectangle<int> editor)
        : origin (originOfWindowOverPanel (editor, width, height))
    {
    }

    juce::Rectangle<int> area() const { return {origin.x, origin.y, width, height}; }
    /** The title bar's close button, 20 x 20 at its right end. */
    juce::Point<int> closeButton() const { return origin.translated (width - 16, 15); }

    juce::Rectangle<int> groupColumn() const
    {
        return {origin.x + groupColumnX, origin.y + listsY, groupColumnWidth, 200};
    }
    juce::Point<int> groupRow (int row) const { return origin.translated (groupColumnX + 60, rowY (row)); }
    /** Below the last group: a click there chooses none. */
    juce::Point<int> belowTheGroups() const { return groupRow (numGroups + 3); }
    /** Where the name of a group's row begins, after its 19-pixel icon. */
    juce::Rectangle<int> groupNameStart (int row) const
    {
        return {origin.x + groupColumnX + listInset + 19, origin.y + rowY (row) - rowHeight / 2 + 4, 24,
                rowHeight - 8};
    }

    juce::Point<int> presetRow (int row) const
    {
        return origin.translated (presetListX + listInset + 60, rowY (row));
    }

    /** "Save" of a single preset, in the row of file buttons at the bottom right: "Preset", Load, Save,
        "Bank", Load, Save, 6 apart, 6 in from the content's right edge. Buttons are as wide as their text in
        the panel's face plus their height (20), labels their text plus 20. */
    juce::Point<int> presetSaveButton() const
    {
        const auto font = panelFont();
        const int save = font.getStringWidth ("Save") + 20, load = font.getStringWidth ("Load") + 20,
                  bank = font.getStringWidth ("Bank") + 20;
        // Content: x 9, 621 wide; its bottom at 338, where the 20-pixel row ends.
        const int rowRight = 9 + 621 - 6;
        return origin.translated (rowRight - save - 6 - load - 6 - bank - 6 - save / 2, 338 - 10);
    }

    juce::Point<int> origin;

private:
    /** The middle of a row of either list, from the browser's top. */
    static int rowY (int row) { return listsY + listInset + row * rowHeight + rowHeight / 2; }

    static juce::Font panelFont()
    {
        static const auto typeface = []
        {
            juce::MemoryBlock data;
            juce::File (KELVANOR_RESOURCES_DIR).getChildFile ("tahoma.ttf").loadFileAsData (data);
            return juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());
        }();
        return juce::Font (typeface).withHeight (13.0f);
    }
};
