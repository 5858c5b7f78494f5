#include "skin/controls/GFXAnimation.h"

#include "skin/controls/ControlFrames.h"

GFXAnimation::GFXAnimation (const juce::String& name)
    : juce::Component (name)
{
}

void GFXAnimation::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    BaseGFXController::loadFromXml (element, skinSource);
    frame = 0;
    repaint();
}

void GFXAnimation::updateFromParameter (Parameter* source)
{
    if (source != nullptr)
        setFrame (FilmStrip::animationFrame (framesNum, source->getValueNormalised()));
}

void GFXAnimation::setFrame (int newFrame)
{
    if (newFrame != frame)
    {
        frame = newFrame;
        repaint();
    }
}

void GFXAnimation::showFrameFor (int newFrame, int milliseconds)
{
    setFrame (newFrame);
    startTimer (juce::jmax (1, milliseconds));
}

void GFXAnimation::timerCallback()
{
    stopTimer();
    setFrame (0);
}

int GFXAnimation::getShownFrame() const noexcept
{
    return ControlFrames::animationShownFrame (frame, framesNum, isBlinking(), getBlinkState());
}

void GFXAnimation::paint (juce::Graphics& g)
{
    if (hasImage())
    {
        drawFrame (g, getShownFrame(), getLocalBounds());
        return;
    }

    const int side = 16;
    const juce::Rectangle<int> square (juce::jmax (0, (getWidth() - side) / 2),
                                       juce::jmax (0, (getHeight() - side) / 2), side, side);
    g.setColour (juce::Colour::greyLevel (0.9f));
    g.fillRect (square);
    g.setColour (juce::Colours::black);
    g.drawRect (square, 1);

    // The raw frame, not the one clamped into a strip: a one-frame light without an image still lights up.
    const float diameter = ControlFrames::animationDotDiameter (isInBlinkOnPhase() ? 0 : frame, framesNum);
    if (diameter > 0.0f)
        g.fillEllipse (juce::Rectangle<float> (diameter, diameter).withCentre (square.toFloat().getCentre()));
}
