#include "skin/displays/DisplayArithmetic.h"

#include "framework/NoteNames.h"
#include "framework/NumberText.h"
#include "skin/controller/FilmStrip.h"

#include <cmath>

namespace DisplayArithmetic
{
namespace
{
double powerOfTen (int exponent)
{
    return std::pow (10.0, (double) exponent);
}
} // namespace

NumericLayout makeNumericLayout (int digitsNum, double firstDigitOrder)
{
    NumericLayout layout;
    layout.digitsNum = juce::jlimit (1, maxNumericDigits, digitsNum);

    // Place values must be exact powers of ten: a skin's 50 or 0.3 would give digits of no meaning.
    const double exponent = firstDigitOrder > 0.0 ? std::log10 (firstDigitOrder) : 0.0;
    const bool powerOfTenOrder = firstDigitOrder > 0.0 && std::isfinite (exponent) &&
                                 std::abs (exponent - std::round (exponent)) < 1.0e-9 &&
                                 std::abs (exponent) <= 300.0;
    layout.firstExponent = powerOfTenOrder ? (int) std::round (exponent) : layout.digitsNum - 1;
    layout.firstDigitOrder = powerOfTen (layout.firstExponent);
    layout.scale = powerOfTen (layout.digitsNum - layout.firstExponent - 1);
    layout.firstPlace = powerOfTen (layout.digitsNum - 1);
    layout.unitsDigitsNum = juce::jmax (layout.digitsNum - layout.firstExponent, 0);
    return layout;
}

std::vector<NumericDigit> numericDigits (const NumericLayout& layout, double value, int digitsCount)
{
    const int count = juce::jlimit (0, layout.digitsNum, digitsCount);
    std::vector<NumericDigit> digits ((size_t) count);

    // Whole units of the rightmost digit; a value the row cannot hold saturates to all nines.
    double units = std::floor (layout.scale * std::abs (value) + 0.5);
    const double limit = 10.0 * layout.firstPlace - 1.0;
    if (!(units >= 0.0))
        units = 0.0;
    else if (units > limit)
        units = limit;

    const int onesIndex = count - layout.unitsDigitsNum;
    bool shown = false;
    for (int i = 0; i < count; ++i)
    {
        // Each place is its own exact power: repeated multiplication by 0.1 drifts below whole digits.
        const double place = powerOfTen (layout.digitsNum - 1 - i);
        const int digit = juce::jlimit (0, 9, (int) std::trunc (units / place));
        shown = shown || digit != 0 || i == onesIndex;
        digits[(size_t) i] = {digit, !shown};
        units -= digit * place;
    }
    return digits;
}

double numericDragStep (const NumericLayout& layout, bool continuous, int x, int width)
{
    int k = 1;
    if (!continuous)
    {
        k = width > 0 ? (int) std::trunc ((double) x / (double) width * layout.digitsNum) : 0;
        k = juce::jlimit (0, layout.digitsNum - 1, k);
    }
    return layout.firstDigitOrder / powerOfTen (k);
}

int dragSteps (float deltaY, int pixelsPerStep) noexcept
{
    const int pixels = juce::roundToInt (juce::jlimit (-1.0e8f, 1.0e8f, deltaY));
    return -(pixels / FilmStrip::safeCount (pixelsPerStep));
}

//==============================================================================
std::array<int, 4> patternNumberFrames (int mode, int number, int slotMax, bool enabled)
{
    if (!enabled)
        return {0, 0, 0, 0};

    switch (mode)
    {
        case (int) PatternMode::note:
        {
            if (number < 0 || number > 127)
                return {11, 0, 0, 0};
            const int octave = number / 12;
            return {11, 11 + getNoteLetterIndex (number), isNaturalNote (number) ? 12 : 11,
                    octave <= 9 ? octave + 1 : 0};
        }

        case (int) PatternMode::numeric:
            if (number < 0 || number > 99)
                return {0, 0, 0, 0};
            return {0, number / 10 + 1, number % 10 + 1, 0};

        case (int) PatternMode::bankAndSlot:
        {
            if (number < 1)
                return {0, 0, 0, 0};
            const int slots = clampSlotMax (slotMax);
            const int bank = (number - 1) / slots;
            const int slot = (number - 1) % slots + 1;
            // The first strip holds the bank digits 1 to 9; its frame after them is the note-mode mark.
            return {bank <= 8 ? bank + 2 : 0, 18, slot / 10 + 1, slot % 10 + 1};
        }

        default: return {0, 0, 0, 0};
    }
}

//==============================================================================
NoteFrames noteFrames (int note, bool blank) noexcept
{
    if (blank)
        return {};

    const int n = juce::jlimit (0, 127, note);
    return {getNoteLetterIndex (n) + 1, isNaturalNote (n) ? 2 : 1, n / 12 + 1};
}

int noteAfterDrag (int startNote, float deltaY) noexcept
{
    return juce::jlimit (0, 127, startNote + dragSteps (deltaY, 20));
}

juce::Point<int> layOutNoteParts (std::array<juce::Rectangle<int>, 3>& parts) noexcept
{
    int x = 0, height = 0;
    for (auto& part : parts)
    {
        part.setPosition (x, 0);
        x += juce::jmax (0, part.getWidth());
        height = juce::jmax (height, part.getHeight());
    }
    return {x, height};
}

//==============================================================================
BitmapFont makeBitmapFont (int imageWidth, int imageHeight, int fontHeight, int firstASCII)
{
    BitmapFont font;
    font.glyphWidth = FilmStrip::safeCount (imageWidth);
    font.fontHeight = fontHeight;
    font.firstASCII = firstASCII;
    if (fontHeight < 1)
        font.glyphCount = 1;
    else
        font.glyphCount =
            FilmStrip::safeCount ((int) (juce::jmax (0, imageHeight) / (2 * (juce::int64) fontHeight)));
    font.lastASCII = firstASCII + font.glyphCount - 1;
    return font;
}

int glyphIndex (const BitmapFont& font, juce::juce_wchar character) noexcept
{
    const auto c = (juce::int64) character;
    if (c < font.firstASCII)
        return 0;
    return (int) (juce::jmin (c, (juce::int64) font.lastASCII) - font.firstASCII);
}

juce::Rectangle<int> glyphSource (const BitmapFont& font, int glyph, bool highlighted) noexcept
{
    const int row = (highlighted ? font.glyphCount : 0) + juce::jlimit (0, font.glyphCount - 1, glyph);
    return {0, row * juce::jmax (0, font.fontHeight), font.glyphWidth, juce::jmax (0, font.fontHeight)};
}

int cellCount (int width, int glyphWidth) noexcept
{
    return juce::jmax (0, width) / FilmStrip::safeCount (glyphWidth);
}

int firstShownCharacter (int scrollOffset, bool centred, int cells, int textLength) noexcept
{
    if (centred && textLength < cells)
        return scrollOffset - (cells - textLength) / 2;
    return scrollOffset;
}

int adjustScroll (int scrollOffset, int caretPos, int cells, int textLength) noexcept
{
    if (scrollOffset + cells - 1 < caretPos + 1)
        scrollOffset = caretPos + 1 - cells + (caretPos < textLength ? 1 : 0);
    if (scrollOffset >= caretPos)
        scrollOffset = caretPos - 1;
    return juce::jmax (0, scrollOffset);
}

juce::String floatDisplayText (double value, int cells)
{
    auto text = NumberText::formatGeneral (value, 6);
    if (cells >= 1 && text.length() >= cells && text[cells - 1] == '.')
        text = " " + text;
    return text;
}

//==============================================================================
int keyFrame (int note, int leftNeighbours, int rightNeighbours, int framesNum,
              const std::array<bool, 128>& held)
{
    if (note < 0 || note > 127)
        return 0;

    const auto isHeld = [&held] (int n) { return n >= 0 && n <= 127 && held[(size_t) n]; };
    const int left = juce::jlimit (0, maxKeyNeighbours, leftNeighbours);
    const int right = juce::jlimit (0, maxKeyNeighbours, rightNeighbours);

    int bits = 0;
    for (int n = note + right; n > note; --n)
        bits = 2 * bits + (isHeld (n) ? 1 : 0);
    for (int n = note - 1; n >= note - left; --n)
        bits = 2 * bits + (isHeld (n) ? 1 : 0);

    const int frames = FilmStrip::safeCount (framesNum);
    return FilmStrip::clampFrame (bits + (isHeld (note) ? frames / 2 : 0), frames);
}

bool keyDependsOn (int note, int leftNeighbours, int rightNeighbours, int changed) noexcept
{
    return changed >= note - juce::jlimit (0, maxKeyNeighbours, leftNeighbours) &&
           changed <= note + juce::jlimit (0, maxKeyNeighbours, rightNeighbours);
}

juce::Rectangle<float> defaultKeyBounds (int note, int lowest, int highest, float width, float height)
{
    lowest = juce::jlimit (0, 127, lowest);
    highest = juce::jlimit (0, 127, highest);
    if (note < lowest || note > highest)
        return {};

    int whiteKeys = 0, whitesBelow = 0;
    for (int n = lowest; n <= highest; ++n)
        if (!isBlackKey (n))
        {
            ++whiteKeys;
            if (n < note)
                ++whitesBelow;
        }

    const float whiteWidth = width / (float) juce::jmax (1, whiteKeys);
    if (!isBlackKey (note))
        return {(float) whitesBelow * whiteWidth, 0.0f, whiteWidth, height};

    const float blackWidth = whiteWidth * 3.0f / 5.0f;
    return {(float) whitesBelow * whiteWidth - 0.5f * blackWidth, 0.0f, blackWidth, height * 3.0f / 5.0f};
}
} // namespace DisplayArithmetic
