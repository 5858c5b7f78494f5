#include "skin/controller/FilmStrip.h"
#include "TestNames.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace
{
struct FrameCase
{
    const char* what;
    int (*frameOf) (int framesNum, float value);
    int framesNum;
    float value;
    int expected;
};

int knob01 (int n, float v)
{
    return FilmStrip::knobFrame (n, v, 0.0f, 1.0f);
}
int bender (int n, float v)
{
    return FilmStrip::knobFrame (n, v, -1.0f, 1.0f);
}
int emptyRange (int n, float v)
{
    return FilmStrip::knobFrame (n, v, 0.5f, 0.5f);
}
int switchOf (int n, float v)
{
    return FilmStrip::switchFrame (n, v);
}
int channelOf (int n, float v)
{
    return FilmStrip::channelFrame (n, v);
}
int animationOf (int n, float v)
{
    return FilmStrip::animationFrame (n, v);
}

const float nan = std::numeric_limits<float>::quiet_NaN();

class FrameOfValue : public ::testing::TestWithParam<FrameCase>
{
};

TEST_P (FrameOfValue, RoundsToTheNearestFrameWithinTheStrip)
{
    const auto& c = GetParam();
    EXPECT_EQ (c.frameOf (c.framesNum, c.value), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P (
    ControlKinds, FrameOfValue,
    ::testing::Values (
        FrameCase{"knob 61 at 0", knob01, 61, 0.0f, 0}, FrameCase{"knob 61 at 0.5", knob01, 61, 0.5f, 30},
        FrameCase{"knob 61 at 1", knob01, 61, 1.0f, 60},
        FrameCase{"knob rounds half up", knob01, 3, 0.25f, 1},
        FrameCase{"knob just below half a frame", knob01, 3, 0.24f, 0},
        FrameCase{"knob above its range", knob01, 10, 1.5f, 9},
        FrameCase{"knob below its range", knob01, 10, -0.5f, 0}, FrameCase{"knob NaN", knob01, 10, nan, 0},
        FrameCase{"bender at rest", bender, 65, 0.0f, 32}, FrameCase{"bender down", bender, 65, -1.0f, 0},
        FrameCase{"bender up", bender, 65, 1.0f, 64},
        FrameCase{"knob of an empty range", emptyRange, 10, 0.5f, 0},
        FrameCase{"switch 3 at 0.5", switchOf, 3, 0.5f, 1}, FrameCase{"switch 3 at 1", switchOf, 3, 1.0f, 2},
        FrameCase{"switch 2 at 0.495", switchOf, 2, 0.495f, 0},
        FrameCase{"channel all", channelOf, 18, 0.0f, 1}, FrameCase{"channel 16", channelOf, 18, 1.0f, 17},
        FrameCase{"channel 8", channelOf, 18, 8.0f / 16.0f, 9},
        FrameCase{"channel strip of one frame", channelOf, 1, 1.0f, 0},
        FrameCase{"animation 2 at 1", animationOf, 2, 1.0f, 1},
        FrameCase{"animation of one frame", animationOf, 1, 1.0f, 0},
        FrameCase{"zero frames count as one", knob01, 0, 1.0f, 0},
        FrameCase{"negative frames count as one", switchOf, -4, 1.0f, 0},
        FrameCase{"negative frames on a channel strip", channelOf, -3, 1.0f, 0}),
    NameFromWhat());

TEST (FilmStripArithmetic, FrameHeightsAndSourceRowsStayInsideTheStrip)
{
    struct Case
    {
        int imageHeight, framesNum, expectedHeight;
    };
    for (const auto& c : {Case{200, 4, 50}, Case{201, 4, 50}, Case{200, 0, 200}, Case{200, -2, 200},
                          Case{3, 4, 0}, Case{-5, 2, 0}})
        EXPECT_EQ (FilmStrip::frameHeightOf (c.imageHeight, c.framesNum), c.expectedHeight)
            << c.imageHeight << " / " << c.framesNum;

    struct AreaCase
    {
        int frame, framesNum;
        juce::Rectangle<int> expected;
    };
    for (const auto& c :
         {AreaCase{0, 4, {0, 0, 40, 50}}, AreaCase{3, 4, {0, 150, 40, 50}}, AreaCase{4, 4, {0, 150, 40, 50}},
          AreaCase{-1, 4, {0, 0, 40, 50}}, AreaCase{7, 0, {0, 0, 40, 50}}})
        EXPECT_EQ (FilmStrip::sourceArea (c.frame, c.framesNum, 40, 50), c.expected)
            << "frame " << c.frame << " of " << c.framesNum;
}
} // namespace
