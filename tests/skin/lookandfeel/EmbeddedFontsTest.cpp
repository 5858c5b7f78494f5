#include "skin/lookandfeel/EmbeddedFonts.h"
#include "TestNames.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
// Every way the editor reaches a bold font, beside the regular font it stands out from.
struct BoldCase
{
    const char* what;
    std::function<juce::Font (DefaultLookAndFeel&)> bold, regular;
};

void PrintTo (const BoldCase& c, std::ostream* os)
{
    *os << c.what;
}

class BoldText : public ::testing::TestWithParam<BoldCase>
{
protected:
    /** The coverage of the text drawn in black, in pixels (anti-aliased edges count in part). */
    static double ink (const juce::Font& font, const juce::String& text)
    {
        const int width = (int) std::ceil (font.getStringWidthFloat (text)) + 8;
        const int height = (int) std::ceil (font.getHeight()) + 8;
        juce::Image image (juce::Image::ARGB, width, height, true);
        {
            juce::Graphics g (image);
            g.setColour (juce::Colours::black);
            g.setFont (font);
            g.drawText (text, 0, 0, width, height, juce::Justification::centred, false);
        }
        double sum = 0.0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                sum += image.getPixelAt (x, y).getFloatAlpha();
        return sum;
    }

    /** The outline of a capital, in pixels from the baseline. */
    static juce::Rectangle<float> capital (const juce::Font& font)
    {
        juce::GlyphArrangement glyphs;
        glyphs.addLineOfText (font, "H", 0.0f, 0.0f);
        juce::Path outline;
        glyphs.createPath (outline);
        return outline.getBounds();
    }

    DefaultLookAndFeel lf;
};

TEST_P (BoldText, InksMoreThanRegularAtTheSameSize)
{
    const auto bold = GetParam().bold (lf), regular = GetParam().regular (lf);
    for (const juce::String text : {"Options", "Load map", "MIDI Learn 0123456789"})
    {
        const double boldInk = ink (bold, text), regularInk = ink (regular, text);
        ASSERT_GT (regularInk, 50.0) << text;
        EXPECT_GE (boldInk, 1.15 * regularInk) << text << ": " << boldInk << " against " << regularInk;
    }
    // Heavier, not smaller: the capitals stand as tall on the same baseline.
    const auto boldH = capital (bold), regularH = capital (regular);
    EXPECT_NEAR (boldH.getY(), regularH.getY(), 0.1f);
    EXPECT_NEAR (boldH.getBottom(), regularH.getBottom(), 0.1f);
    EXPECT_NEAR (bold.getAscent(), regular.getAscent(), 0.01f);
}

INSTANTIATE_TEST_SUITE_P (
    Fonts, BoldText,
    ::testing::Values (
        BoldCase{"bold font", [] (DefaultLookAndFeel& l) { return l.getBoldFont(); },
                 [] (DefaultLookAndFeel& l) { return l.getDefaultFont(); }},
        BoldCase{"window title", [] (DefaultLookAndFeel& l) { return l.getWindowTitleFont(); },
                 [] (DefaultLookAndFeel& l) { return l.getDefaultFont().withHeight (15.0f); }},
        BoldCase{"tab text", [] (DefaultLookAndFeel& l) { return l.getTabTextFont(); },
                 [] (DefaultLookAndFeel& l) { return l.getDefaultFont(); }},
        BoldCase{"default font made bold",
                 [] (DefaultLookAndFeel& l) { return l.getDefaultFont().boldened(); },
                 [] (DefaultLookAndFeel& l) { return l.getDefaultFont(); }},
        BoldCase{"Tahoma Bold by name",
                 [] (DefaultLookAndFeel&) { return juce::Font ("Tahoma", 13.0f, juce::Font::bold); },
                 [] (DefaultLookAndFeel&) { return juce::Font ("Tahoma", 13.0f, juce::Font::plain); }},
        BoldCase{"bold at 80 pixels",
                 [] (DefaultLookAndFeel&) { return EmbeddedFonts::makeFont (80.0f, juce::Font::bold); },
                 [] (DefaultLookAndFeel&) { return EmbeddedFonts::makeFont (80.0f, juce::Font::plain); }}),
    NameFromWhat());
} // namespace
