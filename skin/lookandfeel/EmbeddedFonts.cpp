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
    static const juce::Typeface::Ptr face = loadFace ("tahomabd.ttf");
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
