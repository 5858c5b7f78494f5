#include "tools/GalleryScenes.h"

#include <gtest/gtest.h>

namespace
{
// The reference pictures live beside the tests; they change only through
// "kelvanor_gallery --update-golden tests/golden", never from a test.
juce::File goldenFolder()
{
    return juce::File (KELVANOR_SOURCE_DIR).getChildFile ("tests/golden");
}

struct Difference
{
    int worst = 0;
    juce::Point<int> at;
};

Difference compare (const juce::Image& a, const juce::Image& b)
{
    Difference d;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt (x, y), q = b.getPixelAt (x, y);
            const int diff =
                juce::jmax (std::abs (p.getRed() - q.getRed()), std::abs (p.getGreen() - q.getGreen()),
                            std::abs (p.getBlue() - q.getBlue()), std::abs (p.getAlpha() - q.getAlpha()));
            if (diff > d.worst)
                d = {diff, {x, y}};
        }
    return d;
}

// Small differences come from anti-aliasing; a moved or recoloured shape differs by far more.
constexpr int tolerance = 12;

class GoldenImage : public ::testing::TestWithParam<juce::String>
{
};

TEST_P (GoldenImage, MatchesTheReferencePicture)
{
    const auto name = GetParam();
    const auto scenes = skinGalleryScenes();
    const auto scene =
        std::find_if (scenes.begin(), scenes.end(), [&] (const GalleryScene& s) { return s.name == name; });
    ASSERT_NE (scene, scenes.end()) << name;
    ASSERT_TRUE (scene->reference) << name << " has text and cannot be a reference";

    const auto file = goldenFolder().getChildFile (name + ".png");
    const auto expected = juce::ImageFileFormat::loadFrom (file);
    ASSERT_TRUE (expected.isValid()) << "missing " << file.getFullPathName()
                                     << "; make it with kelvanor_gallery --update-golden tests/golden";

    const auto actual = scene->render();
    ASSERT_EQ (actual.getWidth(), expected.getWidth()) << name;
    ASSERT_EQ (actual.getHeight(), expected.getHeight()) << name;
    const auto d = compare (actual, expected);
    EXPECT_LE (d.worst, tolerance) << name << ": worst pixel differs by " << d.worst << " at "
                                   << d.at.toString();
}

INSTANTIATE_TEST_SUITE_P (Scenes, GoldenImage,
                          ::testing::Values ("icons-small", "icons-large", "symbols", "text-button-images",
                                             "toggle-images", "check-boxes", "combo-box-empty"),
                          [] (const auto& each)
                          { return each.param.replaceCharacter ('-', '_').toStdString(); });

TEST (GoldenImageComparison, CatchesAMovedShape)
{
    // The comparison itself must fail a real regression: one icon drawn two pixels off.
    juce::Image a (juce::Image::ARGB, 40, 40, true), b (juce::Image::ARGB, 40, 40, true);
    {
        juce::Graphics ga (a), gb (b);
        ga.drawImageAt (SkinArtwork::getIconImage (0, false, false), 5, 5);
        gb.drawImageAt (SkinArtwork::getIconImage (0, false, false), 7, 5);
    }
    EXPECT_GT (compare (a, b).worst, tolerance);
    EXPECT_EQ (compare (a, a).worst, 0);
}
} // namespace
