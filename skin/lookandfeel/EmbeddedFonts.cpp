#include "skin/lookandfeel/EmbeddedFonts.h"

#include "framework/ResourceLoader.h"

namespace
{
juce::Typeface::Ptr loadFace (const char* resourceName)
{
    // The bytes stay in the library's constant table; FreeType reads a copy JUCE keeps with the face.
    const auto data = getResourceData (resourceName);
    if (data == nullptr)
        return {};
    return juce::Typeface::createSystemTypefaceFor (data->getData(), data->getSize());
}

bool isBoldStyle (const juce::Font& font)
{
    return font.isBold() || font.getTypefaceStyle().containsIgnoreCase ("bold");
}

bool hasGlyphs (const juce::Typeface::Ptr& face)
{
    return face != nullptr && face->getStringWidth ("M") > 0.0f;
}

/** The height of a character's outline in units of the font height; 0 when the face has none. */
float outlineHeight (juce::Typeface& face, juce::juce_wchar character)
{
    juce::Array<int> glyphs;
    juce::Array<float> offsets;
    face.getGlyphPositions (juce::String::charToString (character), glyphs, offsets);
    juce::Path outline;
    if (glyphs.isEmpty() || !face.getOutlineForGlyph (glyphs.getFirst(), outline))
        return 0.0f;
    return outline.getBounds().getHeight();
}

/** Another family's face shown as one of ours: it answers to our family name and draws its outlines scaled
    so that its capitals are as tall as the regular face's, on the regular face's baseline. Faces size their
    outlines against different line heights, so without this the bold text of a 13-pixel font would be
    a sixth smaller than the regular text beside it. */
class ScaledFace : public juce::Typeface
{
public:
    ScaledFace (const juce::String& styleName, juce::Typeface::Ptr outlines, juce::Typeface& model)
        : juce::Typeface (EmbeddedFonts::familyName, styleName)
        , face (std::move (outlines))
        , ascent (model.getAscent())
        , descent (model.getDescent())
    {
        const float own = outlineHeight (*face, 'H'), wanted = outlineHeight (model, 'H');
        if (own > 0.0f && wanted > 0.0f)
            scale = wanted / own;
    }

    float getAscent() const override { return ascent; }
    float getDescent() const override { return descent; }
    float getHeightToPointsFactor() const override { return face->getHeightToPointsFactor(); }
    float getStringWidth (const juce::String& text) override { return face->getStringWidth (text) * scale; }

    void getGlyphPositions (const juce::String& text, juce::Array<int>& glyphs,
                            juce::Array<float>& xOffsets) override
    {
        face->getGlyphPositions (text, glyphs, xOffsets);
        for (auto& x : xOffsets)
            x *= scale;
    }

    bool getOutlineForGlyph (int glyphNumber, juce::Path& path) override
    {
        if (!face->getOutlineForGlyph (glyphNumber, path))
            return false;
        // About the glyph's origin, which lies on the baseline.
        path.applyTransform (juce::AffineTransform::scale (scale));
        return true;
    }

private:
    juce::Typeface::Ptr face;
    float ascent, descent; // of the line, in units of the font height
    float scale = 1.0f;    // outline units of this face to those of the model
};

/** JUCE's default look, changed only in how fonts find their faces. It becomes the process's default look
    and feel, which is what every font asks; components of the editor draw through DefaultLookAndFeel. */
class FontResolvingLookAndFeel : public juce::LookAndFeel_V4, private juce::DeletedAtShutdown
{
public:
    FontResolvingLookAndFeel()
    {
        setDefaultSansSerifTypeface (EmbeddedFonts::getRegular());
        instance = this;
    }

    ~FontResolvingLookAndFeel() override { instance = nullptr; }

    juce::Typeface::Ptr getTypefaceForFont (const juce::Font& font) override
    {
        return EmbeddedFonts::resolve (font);
    }

    static inline FontResolvingLookAndFeel* instance = nullptr;
};
} // namespace

juce::Typeface::Ptr EmbeddedFonts::getRegular()
{
    static const juce::Typeface::Ptr face = loadFace ("tahoma.ttf");
    return face;
}

juce::Typeface::Ptr EmbeddedFonts::getBold()
{
    static const juce::Typeface::Ptr face = []() -> juce::Typeface::Ptr
    {
        auto outlines = loadFace ("DejaVuSansCondensed-Bold.ttf");
        auto regular = getRegular();
        if (outlines == nullptr || regular == nullptr)
            return outlines;
        return new ScaledFace ("Bold", outlines, *regular);
    }();
    return face;
}

juce::Font EmbeddedFonts::makeFont (float height, int styleFlags)
{
    // A font made from the typeface itself measures right even before install() has run.
    juce::Font font ((styleFlags & juce::Font::bold) != 0 ? getBold() : getRegular());
    font.setHeight (height);
    if ((styleFlags & juce::Font::italic) != 0)
        font.setItalic (true);
    if ((styleFlags & juce::Font::underlined) != 0)
        font.setUnderline (true);
    return font;
}

juce::Typeface::Ptr EmbeddedFonts::resolve (const juce::Font& font)
{
    const auto name = font.getTypefaceName();
    const auto embedded = isBoldStyle (font) ? getBold() : getRegular();

    if (name.equalsIgnoreCase (familyName) || name == juce::Font::getDefaultSansSerifFontName() ||
        name.isEmpty())
        return embedded;

    auto face = juce::Font::getDefaultTypefaceForFont (font);
    return hasGlyphs (face) ? face : embedded;
}

void EmbeddedFonts::install()
{
    JUCE_ASSERT_MESSAGE_MANAGER_IS_LOCKED

    auto& desktop = juce::Desktop::getInstance();
    if (FontResolvingLookAndFeel::instance != nullptr &&
        &desktop.getDefaultLookAndFeel() == FontResolvingLookAndFeel::instance)
        return;

    // Deleted with JUCE's other shut-down objects, before the desktop that refers to it.
    if (FontResolvingLookAndFeel::instance == nullptr)
        new FontResolvingLookAndFeel();

    desktop.setDefaultLookAndFeel (FontResolvingLookAndFeel::instance);
    // Faces looked up before now (and found missing) must be looked up again.
    juce::Typeface::clearTypefaceCache();
}
