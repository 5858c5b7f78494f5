#pragma once

#include <juce_graphics/juce_graphics.h>

/** The arithmetic of the popup menu's level windows, in one place so that painting, hit-testing and
    placing agree (and tests can check them without a window).

    A level window shows its items in 16-pixel rows starting 4 pixels below its top. A level taller than
    the area it opens in is cut to that height and scrolls; while there is more above or below, an
    8-pixel strip at that edge shows an arrow and scrolls when hovered, and it hides the row under it. */
struct MenuLayout
{
    static constexpr int rowHeight = 16;
    static constexpr int inset = 4;       // above the first row and below the last
    static constexpr int scrollStrip = 8; // height of each scroll arrow strip
    static constexpr int textExtra = 36;  // window width beyond the widest text

    /** Placements of a level window next to its target area. */
    enum Placement
    {
        toTheRight = 2,
        below = 16
    };

    /** The height all rows need: 16 per item + 8. */
    static int contentHeight (int numItems) { return rowHeight * juce::jmax (0, numItems) + 2 * inset; }

    /** The largest scroll offset of a window of that height. */
    static int maxScroll (int numItems, int windowHeight)
    {
        return juce::jmax (0, contentHeight (numItems) - windowHeight);
    }

    /** The highlight rectangle of a row, in window coordinates, with the given scroll offset. */
    static juce::Rectangle<int> rowBounds (int row, int windowWidth, int scroll)
    {
        return {inset, inset + rowHeight * row - scroll, windowWidth - 2 * inset, rowHeight};
    }

    /** True when the window shows the strip at its top (more rows above) or bottom (more rows below). */
    static bool showsTopStrip (int scroll) { return scroll > 0; }
    static bool showsBottomStrip (int numItems, int windowHeight, int scroll)
    {
        return scroll < maxScroll (numItems, windowHeight);
    }

    /** The row a point of the window hits, or -1: the rows exactly as painted (the highlight rectangles),
        minus the scroll strips that cover them. */
    static int rowAt (juce::Point<int> p, int numItems, int windowWidth, int windowHeight, int scroll)
    {
        if (p.x < inset || p.x >= windowWidth - inset || p.y < 0 || p.y >= windowHeight)
            return -1;
        if (showsTopStrip (scroll) && p.y < scrollStrip)
            return -1;
        if (showsBottomStrip (numItems, windowHeight, scroll) && p.y >= windowHeight - scrollStrip)
            return -1;

        const int offset = p.y + scroll - inset;
        if (offset < 0)
            return -1;
        const int row = offset / rowHeight;
        return row < numItems ? row : -1;
    }

    /** Where a level window of the given natural size goes inside the menu's area (0, 0, areaWidth,
        areaHeight), next to the target area: to its right (or, when that does not fit, to its left) for
        placement 2, below it for placement 16, at the top-left corner otherwise. A window that would leave
        the area at the bottom moves up so that its bottom lies 24 pixels below the target's top. The
        result always lies inside the area: never at a negative position, and cut to the area's height
        when taller (that level then scrolls). */
    static juce::Rectangle<int> placeWindow (juce::Rectangle<int> target, int placement, int width,
                                             int height, int areaWidth, int areaHeight)
    {
        int x = 0, y = 0;
        if (placement == toTheRight)
        {
            x = target.getRight();
            if (x + width > areaWidth)
                x = target.getX() - width;
            y = target.getY();
        }
        else if (placement == below)
        {
            x = juce::jmax (target.getX(), 0);
            if (x + width > areaWidth)
                x = areaWidth - width;
            y = target.getBottom();
        }

        if (y + height > areaHeight)
            y = y + 24 - height;

        const int h = juce::jmin (height, juce::jmax (areaHeight, 0));
        x = juce::jlimit (0, juce::jmax (0, areaWidth - width), x);
        y = juce::jlimit (0, juce::jmax (0, areaHeight - h), y);
        return {x, y, width, h};
    }
};
