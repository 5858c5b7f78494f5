#include "skin/controller/FilmStrip.h"

#include <cmath>

namespace FilmStrip
{
int frameOfProportion (int framesNum, float proportion) noexcept
{
    if (!(proportion > 0.0f)) // NaN included
        proportion = 0.0f;
    else if (proportion > 1.0f)
        proportion = 1.0f;

    const float frames = (float) (safeCount (framesNum) - 1);
    return clampFrame ((int) std::floor (frames * proportion + 0.5f), framesNum);
}

int knobFrame (int framesNum, float value, float minimum, float maximum) noexcept
{
    const float range = maximum - minimum;
    if (!(range > 0.0f))
        return 0;
    return frameOfProportion (framesNum, (value - minimum) / range);
}

int channelFrame (int framesNum, float value) noexcept
{
    if (framesNum < 2)
        return 0;
    return clampFrame (1 + frameOfProportion (framesNum - 1, value), framesNum);
}

juce::Rectangle<int> sourceArea (int frame, int framesNum, int frameWidth, int frameHeight) noexcept
{
    return {0, clampFrame (frame, framesNum) * juce::jmax (0, frameHeight), juce::jmax (0, frameWidth),
            juce::jmax (0, frameHeight)};
}

void drawFrame (juce::Graphics& g, const juce::Image& image, int frame, int framesNum,
                juce::Rectangle<int> destination)
{
    if (!image.isValid() || destination.isEmpty())
        return;

    const auto source =
        sourceArea (frame, framesNum, image.getWidth(), frameHeightOf (image.getHeight(), framesNum));
    if (source.isEmpty())
        return;

    g.drawImage (image, destination.getX(), destination.getY(), destination.getWidth(),
                 destination.getHeight(), source.getX(), source.getY(), source.getWidth(),
                 source.getHeight());
}
} // namespace FilmStrip
