#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "TestNames.h"
#include "skin/lookandfeel/EmbeddedFonts.h"
#include "skin/lookandfeel/SkinArtwork.h"
#include "skin/widgets/TextButtonEx.h"

#include <gtest/gtest.h>

namespace
{
class LookAndFeelTest : public ::testing::Test
{
protected:
    DefaultLookAndFeel lf;
};

//==============================================================================
// Fonts: every text the editor draws must measure above 0, whatever fonts the machine has.

struct FontCase
{
    const char* what;
    std::function<juce::Font (DefaultLookAndFeel&)> make;
};

class TextWidth : public LookAndFeelTest, public ::testing::WithParamInterface<FontCase>
{
};

TEST_P (TextWidth, MeasuresAboveZero)
{
    const auto font = GetParam().make (lf);
    EXPECT_GT (font.getStringWidthFloat ("Kelvanor 123"), 20.0f) << GetParam().what;
    EXPECT_GT (font.getHeight(), 0.0f) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P (
    Fonts, TextWidth,
    ::testing::Values (
        FontCase{"default font", [] (DefaultLookAndFeel& l) { return l.getDefaultFont(); }},
        FontCase{"bold font", [] (DefaultLookAndFeel& l) { return l.getBoldFont(); }},
        FontCase{"window title", [] (DefaultLookAndFeel& l) { return l.getWindowTitleFont(); }},
        FontCase{"status bar", [] (DefaultLookAndFeel& l) { return l.getStatusBarFont(); }},
        FontCase{"default font made italic",
                 [] (DefaultLookAndFeel& l) { return l.getDefaultFont().italicised(); }},
        FontCase{"bold font made plain",
                 [] (DefaultLookAndFeel& l) { return l.getBoldFont().withStyle (0); }},
        FontCase{"Tahoma by name", [] (DefaultLookAndFeel&) { return juce::Font ("Tahoma", 13.0f, 0); }},
        FontCase{"Tahoma Bold by name",
                 [] (DefaultLookAndFeel&) { return juce::Font ("Tahoma", 13.0f, juce::Font::bold); }},
        FontCase{"default sans-serif", [] (DefaultLookAndFeel&) { return juce::Font (13.0f); }},
        FontCase{"a face no machine has",
                 [] (DefaultLookAndFeel&) { return juce::Font ("No Such Face Anywhere", 13.0f, 0); }}),
    NameFromWhat());

TEST_F (LookAndFeelTest, FontsAreTheEmbeddedFaceAtThirteenPixels)
{
    const auto regular = lf.getDefaultFont();
    const auto bold = lf.getBoldFont();
    EXPECT_EQ (regular.getTypefaceName(), "Tahoma");
    EXPECT_EQ (bold.getTypefaceName(), "Tahoma");
    EXPECT_FLOAT_EQ (regular.getHeight(), 13.0f);
    EXPECT_FLOAT_EQ (lf.getWindowTitleFont().getHeight(), 15.0f);
    EXPECT_EQ (bold.getTypefaceStyle(), "Bold");
    // Wider than regular, but not so much that a layout made for the bold widths overflows.
    EXPECT_GT (bold.getStringWidthFloat ("Options"), regular.getStringWidthFloat ("Options"));
    EXPECT_LT (bold.getStringWidthFloat ("Options"), 1.25f * regular.getStringWidthFloat ("Options"));
    // A font derived from the bold one finds the embedded faces again by their name.
    EXPECT_EQ (bold.withStyle (juce::Font::plain).getTypefacePtr().get(), EmbeddedFonts::getRegular().get());
    EXPECT_EQ (bold.withHeight (20.0f).getTypefacePtr().get(), EmbeddedFonts::getBold().get());
    // The name a layout asks for resolves to the embedded face itself, not to a look-alike of the machine.
    EXPECT_EQ (lf.getTypefaceForFont (juce::Font ("tahoma", 13.0f, 0)).get(),
               EmbeddedFonts::getRegular().get());
    EXPECT_EQ (lf.getTypefaceForFont (juce::Font ("Tahoma", 13.0f, juce::Font::bold)).get(),
               EmbeddedFonts::getBold().get());
}

//==============================================================================
struct ColourCase
{
    int id;
    juce::uint32 argb;
};

class ColourTable : public LookAndFeelTest, public ::testing::WithParamInterface<ColourCase>
{
};

TEST_P (ColourTable, HoldsTheColour)
{
    EXPECT_EQ (lf.findColour (GetParam().id).getARGB(), GetParam().argb) << std::hex << GetParam().id;
}

INSTANTIATE_TEST_SUITE_P (Colours, ColourTable,
                          ::testing::Values (ColourCase{LookAndFeelColourIds::accentLight, 0xFFFFA35F},
                                             ColourCase{juce::TextButton::buttonOnColourId, 0xFFFF8D3A},
                                             ColourCase{juce::TextButton::buttonColourId, 0xFFF0F0F0},
                                             ColourCase{LookAndFeelColourIds::windowBackground, 0xFFC5C5C5},
                                             ColourCase{LookAndFeelColourIds::aboutBackground, 0xFF000000},
                                             ColourCase{LookAndFeelColourIds::aboutLink, 0xFFFFFF00},
                                             ColourCase{LookAndFeelColourIds::browserHighlight, 0xFFADADAD},
                                             ColourCase{LookAndFeelColourIds::panelOutline, 0xFF7C7C7C},
                                             ColourCase{LookAndFeelColourIds::tabOutline, 0xFF5B5B5B},
                                             ColourCase{LookAndFeelColourIds::statusBarBackground,
                                                        0xFF444444},
                                             ColourCase{LookAndFeelColourIds::statusBarText, 0xFFFFFFFF},
                                             ColourCase{juce::ScrollBar::thumbColourId, 0xFF6E6E6E},
                                             ColourCase{0x1005003, 0xFFFFA35F}),
                          [] (const auto& each)
                          { return "Id" + juce::String::toHexString (each.param.id).toStdString(); });

//==============================================================================
// Icon buttons: which numbers give a button, and at which size.

struct IconCase
{
    int icon;
    int size;
    int expectedSide; // 0: no button
};

class IconButtons : public LookAndFeelTest, public ::testing::WithParamInterface<IconCase>
{
};

TEST_P (IconButtons, GiveTilesOnlyForIconsWithPictures)
{
    const auto& c = GetParam();
    std::unique_ptr<juce::ImageButton> button (lf.createIconButton ("b", c.icon, c.size));
    if (c.expectedSide == 0)
    {
        EXPECT_EQ (button, nullptr);
        juce::ImageButton unchanged ("u");
        unchanged.setSize (5, 6);
        lf.setIconButtonImages (unchanged, c.icon, c.size);
        EXPECT_EQ (unchanged.getWidth(), 5);
        EXPECT_FALSE (unchanged.getNormalImage().isValid());
        return;
    }
    ASSERT_NE (button, nullptr);
    EXPECT_EQ (button->getWidth(), c.expectedSide);
    EXPECT_EQ (button->getHeight(), c.expectedSide);
    EXPECT_TRUE (button->getNormalImage().isValid());
    ASSERT_TRUE (button->getDownImage().isValid());
    // The pressed tile is darker than the normal one (no separate mouse-over picture).
    EXPECT_LT (button->getDownImage().getPixelAt (c.expectedSide / 2, 3).getBrightness(),
               button->getNormalImage().getPixelAt (c.expectedSide / 2, 3).getBrightness());
}

INSTANTIATE_TEST_SUITE_P (Icons, IconButtons,
                          ::testing::Values (IconCase{0, 1, 27}, IconCase{0, 2, 43}, IconCase{8, 0, 27},
                                             IconCase{13, 3, 27}, IconCase{21, 2, 43}, IconCase{18, 1, 27},
                                             IconCase{9, 1, 0}, IconCase{12, 2, 0}, IconCase{17, 1, 0},
                                             IconCase{22, 1, 0}, IconCase{-1, 1, 0}),
                          [] (const auto& each) {
                              return testName ("icon " + juce::String (each.param.icon) + " size " +
                                               juce::String (each.param.size));
                          });

TEST_F (LookAndFeelTest, TileShowsItsSymbol)
{
    const auto normal = SkinArtwork::getIconImage (SkinArtwork::saveIcon, false, false);
    // The tile's centre row crosses the symbol: dark pixels.
    int dark = 0;
    for (int x = 0; x < normal.getWidth(); ++x)
        dark += normal.getPixelAt (x, 13).getBrightness() < 0.3f ? 1 : 0;
    EXPECT_GT (dark, 3);
}

TEST_F (LookAndFeelTest, SymbolDrawingsExistForEveryNumberButSeventeen)
{
    for (int i = -2; i <= 30; ++i)
    {
        const bool expected = i >= 0 && i <= 28 && i != 17;
        auto drawable = DefaultLookAndFeel::getIcon (i);
        EXPECT_EQ (drawable != nullptr, expected) << i;
        if (drawable != nullptr)
        {
            const auto area = drawable->getDrawableBounds();
            EXPECT_FALSE (area.isEmpty()) << i;
            EXPECT_TRUE (juce::Rectangle<float> (0, 0, 32, 32).contains (area)) << i;
        }
    }
}

TEST_F (LookAndFeelTest, SvgParsingNeedsAnSvgRoot)
{
    const auto parse = [] (const char* text)
    { return DefaultLookAndFeel::createDrawableFromSVG (text, text == nullptr ? 0 : std::strlen (text)); };
    EXPECT_NE (parse ("<SVG viewBox=\"0 0 4 4\"><rect width=\"2\" height=\"2\"/></SVG>"), nullptr);
    EXPECT_EQ (parse ("<html><rect width=\"2\" height=\"2\"/></html>"), nullptr);
    EXPECT_EQ (parse ("not xml at all <"), nullptr);
    EXPECT_EQ (parse (""), nullptr);
    EXPECT_EQ (parse (nullptr), nullptr);
}

//==============================================================================
struct TextButtonSizeCase
{
    int size;
    int expectedHeight; // 20: the button kept its construction size
};

class TextButtonImages : public LookAndFeelTest, public ::testing::WithParamInterface<TextButtonSizeCase>
{
};

TEST_P (TextButtonImages, SizeSelectsTheImageSet)
{
    TextButtonEx button ("");
    EXPECT_EQ (button.getWidth(), 20);
    lf.setTextButtonImages (button, GetParam().size);
    EXPECT_EQ (button.getHeight(), GetParam().expectedHeight);
    const int caps = GetParam().expectedHeight == 32 ? 29 : GetParam().expectedHeight == 28 ? 30 : 20;
    EXPECT_EQ (button.getWidth(), caps);
}

INSTANTIATE_TEST_SUITE_P (Sizes, TextButtonImages,
                          ::testing::Values (TextButtonSizeCase{0, 28}, TextButtonSizeCase{1, 28},
                                             TextButtonSizeCase{2, 32}, TextButtonSizeCase{3, 20},
                                             TextButtonSizeCase{-1, 20}),
                          [] (const auto& each)
                          { return testName ("size " + juce::String (each.param.size)); });

TEST_F (LookAndFeelTest, CreatedTextButtonsUseTheSmallSetUnlessLarge)
{
    std::unique_ptr<TextButtonEx> small (lf.createTextButton ("OK", 3));
    std::unique_ptr<TextButtonEx> large (lf.createTextButton ("OK", 2));
    EXPECT_EQ (small->getHeight(), 28);
    EXPECT_EQ (large->getHeight(), 32);
}

TEST_F (LookAndFeelTest, CheckAndRadioImagesAreFifteenByFourteenAndShowTheirState)
{
    const std::pair<juce::Image, juce::Image> pairs[] = {
        {lf.getCheckBoxOffImage(), lf.getCheckBoxOnImage()},
        {lf.getRadioButtonOffImage(), lf.getRadioButtonOnImage()},
    };
    for (const auto& [off, on] : pairs)
    {
        EXPECT_EQ (off.getWidth(), 15);
        EXPECT_EQ (off.getHeight(), 14);
        EXPECT_EQ (on.getWidth(), 15);
        EXPECT_EQ (on.getHeight(), 14);
        // The on state is darker at the middle: a black tick or dot.
        EXPECT_LT (on.getPixelAt (7, 7).getBrightness(), off.getPixelAt (7, 7).getBrightness());
    }
}

//==============================================================================
struct ArrowCase
{
    int direction;
    juce::Rectangle<float> bounds;
};

class ArrowPaths : public LookAndFeelTest, public ::testing::WithParamInterface<ArrowCase>
{
};

TEST_P (ArrowPaths, TurnAboutTheBoxCentre)
{
    const auto b = lf.getArrowPath (GetParam().direction).getBounds();
    const auto& e = GetParam().bounds;
    EXPECT_NEAR (b.getX(), e.getX(), 0.01f);
    EXPECT_NEAR (b.getY(), e.getY(), 0.01f);
    EXPECT_NEAR (b.getWidth(), e.getWidth(), 0.01f);
    EXPECT_NEAR (b.getHeight(), e.getHeight(), 0.01f);
}

// The up arrow spans x 1.75..11.25 and y 1.6..11; each quarter turn about (6.5, 6.5) moves that box.
INSTANTIATE_TEST_SUITE_P (
    Directions, ArrowPaths,
    ::testing::Values (ArrowCase{0, {1.75f, 1.6f, 9.5f, 9.4f}}, ArrowCase{1, {2.0f, 1.75f, 9.4f, 9.5f}},
                       ArrowCase{2, {1.75f, 2.0f, 9.5f, 9.4f}}, ArrowCase{3, {1.6f, 1.75f, 9.4f, 9.5f}}),
    [] (const auto& each)
    { return juce::StringArray ("Up", "Right", "Down", "Left")[each.param.direction].toStdString(); });

//==============================================================================
TEST_F (LookAndFeelTest, ScrollBarButtonUnderTheMouseWhileDisabledStaysFaint)
{
    juce::ScrollBar bar (true);
    bar.setLookAndFeel (&lf);
    bar.setEnabled (false);
    juce::Image image (juce::Image::ARGB, 13, 13, true);
    {
        juce::Graphics g (image);
        lf.drawScrollbarButton (g, bar, 13, 13, 0, true, true, false);
    }
    const auto centre = image.getPixelAt (6, 6);
    EXPECT_NEAR (centre.getFloatAlpha(), 0.5f, 0.02f);
    // The thumb grey, not black (premultiplied storage may round a channel by one).
    EXPECT_NEAR (centre.getRed(), 0x6E, 2);
    EXPECT_NEAR (centre.getBlue(), 0x6E, 2);
    bar.setLookAndFeel (nullptr);
}

TEST_F (LookAndFeelTest, RoundedOutlineStaysInsideItsArea)
{
    juce::Image image (juce::Image::ARGB, 20, 20, true);
    {
        juce::Graphics g (image);
        g.setColour (juce::Colours::black);
        DefaultLookAndFeel::drawRoundedRectangle (g, {2, 2, 16, 16}, 4.0f, 2.0f);
    }
    for (int i = 0; i < 20; ++i)
    {
        EXPECT_EQ (image.getPixelAt (i, 1).getAlpha(), 0) << i;
        EXPECT_EQ (image.getPixelAt (1, i).getAlpha(), 0) << i;
        EXPECT_EQ (image.getPixelAt (i, 18).getAlpha(), 0) << i;
    }
    EXPECT_GT (image.getPixelAt (10, 2).getAlpha(), 200);
    EXPECT_GT (image.getPixelAt (10, 17).getAlpha(), 200);
}
} // namespace
