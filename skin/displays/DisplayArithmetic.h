#pragma once

#include <array>
#include <juce_graphics/juce_graphics.h>
#include <vector>

/** The arithmetic of the digit, note, text and keyboard displays: which digit or frame each part shows,
    how a drag turns into a value, how a bitmap font is laid out, where a key lies. The displays and their
    tests call the same functions. Pure functions; any thread.

    Counts and sizes read from a skin may be 0, negative or absurd in a careless or hostile skin: every
    function here keeps them to what the display can hold, and every frame it returns lies within its
    strip. */
namespace DisplayArithmetic
{
//==============================================================================
// Numeric display

/** The most digits a numeric display shows: beyond this a double no longer holds every unit exactly. */
constexpr int maxNumericDigits = 15;

/** The place values of a row of digits, derived once from the skin's "digitsNum" and "firstDigitOrder". */
struct NumericLayout
{
    int digitsNum = 1;            // 1..maxNumericDigits
    double firstDigitOrder = 1.0; // place value of the leftmost digit, a power of ten
    int firstExponent = 0;        // log10 (firstDigitOrder)
    double scale = 1.0;           // value x scale = whole units of the rightmost digit
    double firstPlace = 1.0;      // place value of the leftmost digit in those units
    int unitsDigitsNum = 1;       // digits from the ones digit to the right end (0 when there is none)
};

/** A firstDigitOrder that is not above 0 or not a power of ten becomes 10^(digitsNum - 1); a digit count
    below 1 is 1. */
NumericLayout makeNumericLayout (int digitsNum, double firstDigitOrder);

struct NumericDigit
{
    int digit = 0; // 0..9
    bool hidden = false;

    bool operator== (const NumericDigit&) const = default;
};

/** The digits of |value| for a row of digitsCount digits (the display may hold fewer than digitsNum when
    its skin gives fewer images). Leading zeros left of the ones digit are hidden. A value wider than the
    row shows all nines, never a digit past 9. */
std::vector<NumericDigit> numericDigits (const NumericLayout& layout, double value, int digitsCount);

/** The frame of a digit strip (0 blank, d + 1 the digit d). */
inline int numericDigitFrame (const NumericDigit& digit, bool blank) noexcept
{
    return (blank || digit.hidden) ? 0 : juce::jlimit (0, 9, digit.digit) + 1;
}

/** The change of value per drag step: the place value of the digit under the pointer (x over the whole
    width), or one tenth of the leftmost digit's place for a continuous display. */
double numericDragStep (const NumericLayout& layout, bool continuous, int x, int width);

/** Whole steps of a vertical drag: one per 10 pixels, upwards positive, rounded towards zero. */
int dragSteps (float deltaY, int pixelsPerStep) noexcept;

//==============================================================================
// Pattern-number display

enum class PatternMode
{
    note = 0,
    numeric = 1,
    bankAndSlot = 2
};

/** Frames of the four digit strips. */
constexpr std::array<int, 4> patternDigitFramesNum{12, 19, 13, 11};

/** Slots per bank are kept within 4 to 16. */
inline int clampSlotMax (int slotMax) noexcept
{
    return juce::jlimit (4, 16, slotMax);
}

/** Below the minimum gives the minimum, else at most the maximum. */
inline int clampToRange (int number, int minimum, int maximum) noexcept
{
    return number < minimum ? minimum : juce::jmin (number, maximum);
}

/** The frames of the four digits for a pattern number. A disabled display is blank. Parts that one digit
    cannot show stay blank instead of showing a wrong sign: octave 10 (notes 120 to 127), numbers outside
    0..99 in numeric mode, banks above 9 and anything below the first pattern. */
std::array<int, 4> patternNumberFrames (int mode, int number, int slotMax, bool enabled);

//==============================================================================
// Note display

struct NoteFrames
{
    int letter = 0;     // 0 blank, 1..7 "C".."B"
    int accidental = 0; // 0 blank, 1 sharp, 2 natural
    int octave = 0;     // 0 blank, octave + 1

    bool operator== (const NoteFrames&) const = default;
};

/** The frames of the three parts for a note (kept within 0..127); all blank when blank is set. */
NoteFrames noteFrames (int note, bool blank) noexcept;

/** The note after a drag of deltaY pixels from startNote: one note per 20 pixels upwards, within 0..127. */
int noteAfterDrag (int startNote, float deltaY) noexcept;

/** Places the three parts (letter, accidental, octave) side by side from x 0 at y 0 and gives the display's
    size: as wide as the three together, as high as the highest. */
juce::Point<int> layOutNoteParts (std::array<juce::Rectangle<int>, 3>& parts) noexcept;

//==============================================================================
// Bitmap font of the text displays

struct BitmapFont
{
    int glyphWidth = 8;
    int fontHeight = 0;
    int firstASCII = 32;
    int lastASCII = 32;
    int glyphCount = 1;
};

/** The glyph column of an image: one glyph per fontHeight rows, every glyph twice (plain, then
    highlighted). A font height below 1 gives one glyph; an image shorter than two glyphs still gives
    one. */
BitmapFont makeBitmapFont (int imageWidth, int imageHeight, int fontHeight, int firstASCII);

/** The glyph drawn for a character: glyph 0 below firstASCII, the last glyph above lastASCII. */
int glyphIndex (const BitmapFont& font, juce::juce_wchar character) noexcept;

/** The rows of the image holding that glyph, plain or highlighted. */
juce::Rectangle<int> glyphSource (const BitmapFont& font, int glyph, bool highlighted) noexcept;

/** Whole glyph cells in a width (a glyph width below 1 counts as 1). */
int cellCount (int width, int glyphWidth) noexcept;

/** The index of the text's character drawn in the first cell. */
int firstShownCharacter (int scrollOffset, bool centred, int cells, int textLength) noexcept;

/** The scroll offset that keeps the caret in view after it moved. */
int adjustScroll (int scrollOffset, int caretPos, int cells, int textLength) noexcept;

/** A number as a text display shows it: 6 significant digits, and a space in front when its dot would
    otherwise land in the last cell (a lone dot at the end reads as a different number). */
juce::String floatDisplayText (double value, int cells);

//==============================================================================
// Keyboard

inline bool isBlackKey (int note) noexcept
{
    const int pitch = ((note % 12) + 12) % 12;
    return pitch == 1 || pitch == 3 || pitch == 6 || pitch == 8 || pitch == 10;
}

/** Neighbours taking part in a key's frame are kept within 0..12 on each side. */
constexpr int maxKeyNeighbours = 12;

/** The frame of an imaged key: the held states of its neighbours as bits (right neighbours from the
    farthest, then left neighbours from the nearest), plus half the strip when the key itself is held.
    Notes outside 0..127 count as up; the frame stays within the strip. */
int keyFrame (int note, int leftNeighbours, int rightNeighbours, int framesNum,
              const std::array<bool, 128>& held);

/** True when a change of note changed affects the frame of the key at note. */
bool keyDependsOn (int note, int leftNeighbours, int rightNeighbours, int changed) noexcept;

/** The place of a key without image: the white keys of lowest..highest share the width equally, a black
    key straddles the boundary above the white key below it, 0.6 as wide and 0.6 as high. Empty for notes
    outside the range. */
juce::Rectangle<float> defaultKeyBounds (int note, int lowest, int highest, float width, float height);
} // namespace DisplayArithmetic
