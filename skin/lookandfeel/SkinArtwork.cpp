#include "skin/lookandfeel/SkinArtwork.h"

#include "framework/XmlHelpers.h"

#include <cstring>

namespace
{
// Every symbol lives in a 32 x 32 box with a 4-pixel quiet margin, drawn in black strokes of 3 pixels or
// filled shapes, so that it stays legible when scaled down to the 17 pixels of a small tile.
#define KELVANOR_SYMBOL(body)                                                                                \
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" viewBox=\"0 0 32 32\">" body       \
    "</svg>"
#define KELVANOR_STROKE                                                                                      \
    " fill=\"none\" stroke=\"#000000\" stroke-width=\"3\" stroke-linecap=\"round\" "                         \
    "stroke-linejoin=\"round\""

const char* const symbolDocuments[SkinArtwork::numIconDocuments] = {
    // 0 close: a cross.
    KELVANOR_SYMBOL ("<path d=\"M9 9L23 23M23 9L9 23\"" KELVANOR_STROKE "/>"),
    // 1 copy: two sheets, the front one over the back one.
    KELVANOR_SYMBOL ("<path d=\"M6 22V5H19\"" KELVANOR_STROKE "/>"
                     "<rect x=\"11\" y=\"10\" width=\"14\" height=\"17\" rx=\"1.5\"" KELVANOR_STROKE "/>"),
    // 2 cut: scissors, blades crossing above two finger rings.
    KELVANOR_SYMBOL ("<path d=\"M12.5 19.5L22 5M19.5 19.5L10 5\"" KELVANOR_STROKE "/>"
                     "<circle cx=\"10\" cy=\"23\" r=\"4\"" KELVANOR_STROKE "/>"
                     "<circle cx=\"22\" cy=\"23\" r=\"4\"" KELVANOR_STROKE "/>"),
    // 3 paste: a clipboard with its clip.
    KELVANOR_SYMBOL ("<rect x=\"7\" y=\"7\" width=\"18\" height=\"21\" rx=\"2\"" KELVANOR_STROKE "/>"
                     "<rect x=\"11.5\" y=\"4\" width=\"9\" height=\"6\" rx=\"1.5\" fill=\"#000000\"/>"
                     "<path d=\"M11 16H21M11 21H18\"" KELVANOR_STROKE "/>"),
    // 4 clear: a sheet with a cross.
    KELVANOR_SYMBOL ("<path d=\"M8 4H19L25 10V28H8Z\"" KELVANOR_STROKE "/>"
                     "<path d=\"M12.5 14.5L20.5 22.5M20.5 14.5L12.5 22.5\"" KELVANOR_STROKE "/>"),
    // 5 to 8: arrows with a shaft and a triangular head: down, up, left, right.
    KELVANOR_SYMBOL ("<path d=\"M13 5H19V16H25L16 27L7 16H13Z\" fill=\"#000000\"/>"),
    KELVANOR_SYMBOL ("<path d=\"M13 27H19V16H25L16 5L7 16H13Z\" fill=\"#000000\"/>"),
    KELVANOR_SYMBOL ("<path d=\"M27 13V19H16V25L5 16L16 7V13Z\" fill=\"#000000\"/>"),
    KELVANOR_SYMBOL ("<path d=\"M5 13V19H16V25L27 16L16 7V13Z\" fill=\"#000000\"/>"),
    // 9 to 12: plain arrow heads: right, left, a left chevron, up.
    KELVANOR_SYMBOL ("<path d=\"M11 7L24 16L11 25Z\" fill=\"#000000\"/>"),
    KELVANOR_SYMBOL ("<path d=\"M21 7L8 16L21 25Z\" fill=\"#000000\"/>"),
    KELVANOR_SYMBOL ("<path d=\"M20 7L11 16L20 25\"" KELVANOR_STROKE "/>"),
    KELVANOR_SYMBOL ("<path d=\"M7 21L16 9L25 21Z\" fill=\"#000000\"/>"),
    // 13 add, 14 remove.
    KELVANOR_SYMBOL ("<path d=\"M16 7V25M7 16H25\" fill=\"none\" stroke=\"#000000\" stroke-width=\"4\" "
                     "stroke-linecap=\"round\"/>"),
    KELVANOR_SYMBOL ("<path d=\"M7 16H25\" fill=\"none\" stroke=\"#000000\" stroke-width=\"4\" "
                     "stroke-linecap=\"round\"/>"),
    // 15 open folder: the back of the folder and its front flap swung down.
    KELVANOR_SYMBOL ("<path d=\"M5 25V8H12L15 11H25V15\"" KELVANOR_STROKE "/>"
                     "<path d=\"M4 26L9.5 15H29L23.5 26Z\" fill=\"#000000\"/>"),
    // 16 delete: a bin with a lid and a handle.
    KELVANOR_SYMBOL ("<path d=\"M6 9H26M13 9V5.5H19V9\"" KELVANOR_STROKE "/>"
                     "<path d=\"M9 9L11 27H21L23 9M14 14V22M18 14V22\"" KELVANOR_STROKE "/>"),
    // 17: no drawing.
    nullptr,
    // 18 reload: two arrows circling the centre.
    KELVANOR_SYMBOL ("<path d=\"M25.4 12.6A10 10 0 0 0 7.5 11\"" KELVANOR_STROKE "/>"
                     "<path d=\"M3 9.5L11.5 9.5L6.5 17Z\" fill=\"#000000\"/>"
                     "<path d=\"M6.6 19.4A10 10 0 0 0 24.5 21\"" KELVANOR_STROKE "/>"
                     "<path d=\"M29 22.5L20.5 22.5L25.5 15Z\" fill=\"#000000\"/>"),
    // 19 settings: a gear with eight teeth and a hole.
    KELVANOR_SYMBOL ("<path d=\"M24 16H29M16 8V3M8 16H3M16 24V29M21.7 10.3L25.2 6.8M10.3 10.3L6.8 6.8"
                     "M10.3 21.7L6.8 25.2M21.7 21.7L25.2 25.2\" fill=\"none\" stroke=\"#000000\" "
                     "stroke-width=\"4.5\"/>"
                     "<path fill-rule=\"evenodd\" fill=\"#000000\" d=\"M16 6.5A9.5 9.5 0 1 1 15.99 6.5Z"
                     "M16 12.5A3.5 3.5 0 1 0 16.01 12.5Z\"/>"),
    // 20 open: a closed folder.
    KELVANOR_SYMBOL ("<path d=\"M4 7H12L15 10H28V26H4Z\" fill=\"#000000\"/>"),
    // 21 save: a disk with a shutter and a label cut out.
    KELVANOR_SYMBOL ("<path fill-rule=\"evenodd\" fill=\"#000000\" d=\"M5 5H23L27 9V27H5Z"
                     "M10 5H21V12H10Z M9 17H23V27H9Z\"/>"),
    // 22 document: a sheet with a folded corner and lines of text.
    KELVANOR_SYMBOL ("<path d=\"M8 4H19L25 10V28H8Z M19 4V10H25\"" KELVANOR_STROKE "/>"
                     "<path d=\"M12 16H21M12 21H21\"" KELVANOR_STROKE "/>"),
    // 23 search: a magnifying glass.
    KELVANOR_SYMBOL ("<circle cx=\"13.5\" cy=\"13.5\" r=\"7.5\"" KELVANOR_STROKE "/>"
                     "<path d=\"M19 19L27 27\" fill=\"none\" stroke=\"#000000\" stroke-width=\"4.5\" "
                     "stroke-linecap=\"round\"/>"),
    // 24 record: a filled disc.
    KELVANOR_SYMBOL ("<circle cx=\"16\" cy=\"16\" r=\"9\" fill=\"#000000\"/>"),
    // 25 speaker: a cone and a sound wave.
    KELVANOR_SYMBOL ("<path d=\"M5 12H10L17 6V26L10 20H5Z\" fill=\"#000000\"/>"
                     "<path d=\"M21.5 11.5A6.5 6.5 0 0 1 21.5 20.5\"" KELVANOR_STROKE "/>"),
    // 26 tag: a label with a hole.
    KELVANOR_SYMBOL ("<path fill-rule=\"evenodd\" fill=\"#000000\" d=\"M5 5H15L28 18L18 28L5 15Z"
                     "M10.5 8A2.5 2.5 0 1 0 10.51 8Z\"/>"),
    // 27 user: a head over shoulders.
    KELVANOR_SYMBOL ("<circle cx=\"16\" cy=\"10.5\" r=\"5.5\" fill=\"#000000\"/>"
                     "<path d=\"M6 28C6 21 10 18 16 18C22 18 26 21 26 28Z\" fill=\"#000000\"/>"),
    // 28 information: an "i" in a ring.
    KELVANOR_SYMBOL ("<circle cx=\"16\" cy=\"16\" r=\"12\"" KELVANOR_STROKE "/>"
                     "<circle cx=\"16\" cy=\"10\" r=\"2\" fill=\"#000000\"/>"
                     "<rect x=\"14.5\" y=\"14\" width=\"3\" height=\"10\" fill=\"#000000\"/>"),
};

const char* const tickDocument =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\" viewBox=\"0 0 16 16\">"
    "<path d=\"M3 8.5L6.5 12L13 4\" fill=\"none\" stroke=\"#000000\" stroke-width=\"2.4\" "
    "stroke-linecap=\"round\" stroke-linejoin=\"round\"/></svg>";

#undef KELVANOR_SYMBOL
#undef KELVANOR_STROKE

// Hash codes under which the drawn images sit in juce::ImageCache: a fixed prefix, the kind, the number.
constexpr juce::int64 hashPrefix = 0x4B4C5600000000LL;

juce::int64 hashFor (int kind, int number)
{
    return hashPrefix + kind * 0x10000 + number;
}

template <typename Draw>
juce::Image cachedImage (juce::int64 hash, int width, int height, Draw&& draw)
{
    auto image = juce::ImageCache::getFromHashCode (hash);
    if (image.isValid())
        return image;

    image = juce::Image (juce::Image::ARGB, width, height, true);
    {
        juce::Graphics g (image);
        draw (g);
    }
    juce::ImageCache::addImageToCache (image, hash);
    return image;
}

std::unique_ptr<juce::Drawable> parseSvg (const char* text)
{
    if (text == nullptr)
        return {};
    const auto xml = XmlHelpers::parse (text, std::strlen (text));
    if (xml == nullptr)
        return {};
    return juce::Drawable::createFromSVG (*xml);
}

// The pill every text-button slice is cut from: the three slices side by side.
void drawPill (juce::Graphics& g, int width, int height, juce::Colour fill, juce::Colour outline)
{
    const auto area = juce::Rectangle<float> (0.0f, 0.0f, (float) width, (float) height).reduced (2.0f, 4.0f);
    const auto corner = area.getHeight() / 2.0f;
    g.setColour (fill);
    g.fillRoundedRectangle (area, corner);
    g.setColour (outline);
    g.drawRoundedRectangle (area.reduced (0.5f), corner - 0.5f, 1.0f);
}

struct TextButtonSet
{
    int height, leftWidth, middleWidth, rightWidth;
};

constexpr TextButtonSet smallSet{28, 15, 31, 15};
constexpr TextButtonSet largeSet{32, 15, 44, 14};
} // namespace

const char* SkinArtwork::getIconDocument (int index)
{
    if (index < 0 || index >= numIconDocuments)
        return nullptr;
    return symbolDocuments[index];
}

const char* SkinArtwork::getTickDocument()
{
    return tickDocument;
}

bool SkinArtwork::hasIconImage (int icon)
{
    return (icon >= 0 && icon <= 8) || (icon >= 13 && icon <= 16) || (icon >= 18 && icon <= 21);
}

std::unique_ptr<juce::Drawable> SkinArtwork::createSymbol (int index, juce::Colour colour)
{
    auto drawable = parseSvg (getIconDocument (index));
    if (drawable != nullptr && colour != juce::Colours::black)
        drawable->replaceColour (juce::Colours::black, colour);
    return drawable;
}

juce::Image SkinArtwork::getIconImage (int icon, bool large, bool pressed)
{
    if (!hasIconImage (icon))
        return {};

    const int size = large ? largeIconSize : smallIconSize;
    const int kind = 1 + (large ? 1 : 0) + (pressed ? 2 : 0);
    return cachedImage (hashFor (kind, icon), size, size,
                        [&] (juce::Graphics& g)
                        {
                            const auto tile = juce::Rectangle<float> (0.0f, 0.0f, (float) size, (float) size);
                            const float corner = large ? 7.0f : 5.0f;
                            g.setColour (juce::Colour (pressed ? tilePressedColour : tileColour));
                            g.fillRoundedRectangle (tile.reduced (1.0f), corner);
                            g.setColour (juce::Colour (tileOutlineColour));
                            g.drawRoundedRectangle (tile.reduced (1.5f), corner, 1.0f);

                            // The symbol's 32-unit box maps onto whole pixels (17 or 27), so its
                            // straight edges land on the pixel grid.
                            const float inset = large ? 8.0f : 5.0f;
                            if (auto symbol = createSymbol (icon, juce::Colour (symbolColour)))
                                symbol->drawWithin (g, tile.reduced (inset),
                                                    juce::RectanglePlacement::centred, 1.0f);
                        });
}

juce::Image SkinArtwork::getTextButtonImage (bool large, int part)
{
    if (part < 0 || part >= numTextButtonParts)
        return {};

    const auto& set = large ? largeSet : smallSet;
    const int totalWidth = set.leftWidth + set.middleWidth + set.rightWidth;
    const int column = part == highlight ? 1 : part % 3;
    const int x = column == 0 ? 0 : column == 1 ? set.leftWidth : set.leftWidth + set.middleWidth;
    const int width = column == 0 ? set.leftWidth : column == 1 ? set.middleWidth : set.rightWidth;

    return cachedImage (hashFor (5 + (large ? 1 : 0), part), width, set.height,
                        [&] (juce::Graphics& g)
                        {
                            g.setOrigin (-x, 0);
                            if (part == highlight)
                            {
                                // A soft band over the upper half of the pill.
                                g.setColour (juce::Colours::white.withAlpha (0.45f));
                                g.fillRect (0, 5, totalWidth, set.height / 2 - 5);
                                return;
                            }
                            const bool pressed = part >= pressedLeft;
                            drawPill (g, totalWidth, set.height,
                                      juce::Colour (pressed ? tilePressedColour : 0xFFE0E0E0),
                                      juce::Colour (pressed ? 0xFF5B5B5B : 0xFFA0A0A0));
                        });
}

juce::Image SkinArtwork::getCheckBoxImage (bool on)
{
    return cachedImage (hashFor (7, on ? 1 : 0), 15, 14,
                        [&] (juce::Graphics& g)
                        {
                            g.setColour (juce::Colour (0xFFF0F0F0));
                            g.fillRoundedRectangle (1.0f, 1.0f, 13.0f, 12.0f, 3.0f);
                            g.setColour (juce::Colour (0xFF5B5B5B));
                            g.drawRoundedRectangle (1.5f, 1.5f, 12.0f, 11.0f, 3.0f, 1.0f);

                            juce::Path tick;
                            tick.startNewSubPath (4.0f, 7.0f);
                            tick.lineTo (6.5f, 9.5f);
                            tick.lineTo (11.0f, 4.0f);
                            g.setColour (on ? juce::Colours::black : juce::Colour (0xFFC5C5C5));
                            g.strokePath (tick, juce::PathStrokeType (2.0f, juce::PathStrokeType::curved,
                                                                      juce::PathStrokeType::rounded));
                        });
}

juce::Image SkinArtwork::getRadioButtonImage (bool on)
{
    return cachedImage (hashFor (8, on ? 1 : 0), 15, 14,
                        [&] (juce::Graphics& g)
                        {
                            g.setColour (juce::Colour (0xFFF0F0F0));
                            g.fillEllipse (1.5f, 1.0f, 12.0f, 12.0f);
                            g.setColour (juce::Colour (0xFF5B5B5B));
                            g.drawEllipse (2.0f, 1.5f, 11.0f, 11.0f, 1.0f);
                            if (on)
                            {
                                g.setColour (juce::Colours::black);
                                g.fillEllipse (4.75f, 4.25f, 5.5f, 5.5f);
                            }
                        });
}
