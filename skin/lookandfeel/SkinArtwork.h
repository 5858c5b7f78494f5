#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The look and feel's pictures, all drawn from source at first use: the symbol documents (SVG text with a
    32 x 32 view box, symbols in black so that a button can recolour them), the icon tiles made from those
    symbols, the pill-shaped text-button slices, and the check-box and radio-button images.

    The same input always gives the same pixels. Images go through juce::ImageCache under fixed hash codes,
    so a picture is drawn once while anything uses it. Message thread (the images are built from Drawables).
*/
class SkinArtwork
{
public:
    /** Icon numbers shared by the symbol documents and the icon tiles. */
    enum Icon
    {
        closeIcon = 0,
        copyIcon = 1,
        cutIcon = 2,
        pasteIcon = 3,
        clearIcon = 4,
        arrowDownIcon = 5,
        arrowUpIcon = 6,
        arrowLeftIcon = 7,
        arrowRightIcon = 8,
        triangleRightIcon = 9,
        triangleLeftIcon = 10,
        chevronLeftIcon = 11,
        triangleUpIcon = 12,
        addIcon = 13,
        removeIcon = 14,
        openFolderIcon = 15,
        deleteIcon = 16,
        reloadIcon = 18,
        settingsIcon = 19,
        openIcon = 20,
        saveIcon = 21,
        documentIcon = 22,
        searchIcon = 23,
        recordIcon = 24,
        speakerIcon = 25,
        tagIcon = 26,
        userIcon = 27,
        informationIcon = 28,
        numIconDocuments = 29
    };

    /** The SVG text of a symbol, or null for 17 and any number outside 0 to 28. */
    static const char* getIconDocument (int index);

    /** The check mark of the program's check boxes (16 x 16 view box, black). */
    static const char* getTickDocument();

    /** True for the icons that have tiles: 0 to 8, 13 to 16 and 18 to 21. */
    static bool hasIconImage (int icon);

    /** The tile of an icon: 27 x 27, or 43 x 43 when large; the pressed tile is darker. A null image for an
        icon without a tile. */
    static juce::Image getIconImage (int icon, bool large, bool pressed);

    static constexpr int smallIconSize = 27;
    static constexpr int largeIconSize = 43;

    /** The slices of the pill-shaped text button, in the order TextButtonEx takes them. */
    enum TextButtonPart
    {
        normalLeft = 0,
        normalMiddle,
        normalRight,
        pressedLeft,
        pressedMiddle,
        pressedRight,
        highlight,
        numTextButtonParts
    };

    /** Small set: 28 high, caps 15 wide, middle and highlight 31. Large set: 32 high, left caps 15, right
        caps 14, middle and highlight 44. A null image for a part outside the table. */
    static juce::Image getTextButtonImage (bool large, int part);

    /** 15 x 14: an empty box with a faint tick (off) or a black tick (on). */
    static juce::Image getCheckBoxImage (bool on);

    /** 15 x 14: an empty round button (off) or one with a black dot (on). */
    static juce::Image getRadioButtonImage (bool on);

    /** The colours the tiles and buttons are drawn in, taken from the look and feel's grey table. */
    static constexpr juce::uint32 tileColour = 0xFFE3E3E3;
    static constexpr juce::uint32 tilePressedColour = 0xFFADADAD;
    static constexpr juce::uint32 tileOutlineColour = 0xFF7C7C7C;
    static constexpr juce::uint32 symbolColour = 0xFF2B2B2B;

    /** A symbol document turned into a drawable with black replaced by the colour; null when none. */
    static std::unique_ptr<juce::Drawable> createSymbol (int index, juce::Colour colour);
};
