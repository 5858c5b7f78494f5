#include "skin/controls/FilmStripSlider.h"

FilmStripSlider::FilmStripSlider (const juce::String& name)
    : juce::Slider (name)
{
    setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
}

void FilmStripSlider::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    BaseGFXController::loadFromXml (element, skinSource);
    placeAtSkinBounds (*this);
}

void FilmStripSlider::updateFromParameter (Parameter* source)
{
    if (source != nullptr)
        setValue (source->getValueNormalised(), juce::dontSendNotification);
}

void FilmStripSlider::paint (juce::Graphics& g)
{
    if (hasImage())
        drawFrame (g, getShownFrame(), getLocalBounds());
    else
        paintStandBy (g);
}

void FilmStripSlider::paintStandBy (juce::Graphics& g)
{
    const auto bounds = getLocalBounds();
    g.setColour (juce::Colour::greyLevel (0.7f));
    g.drawRect (bounds, 1);

    juce::Slider::paint (g);

    auto* connected = getParameter();
    g.setColour (juce::Colours::black);
    g.setFont (13.0f);
    g.drawFittedText (connected != nullptr ? connected->getValueText() : getUnconnectedValueText(), bounds,
                      juce::Justification::centredTop, 2, 0.7f);
    if (connected != nullptr)
        g.drawFittedText (connected->getName(), bounds, juce::Justification::centredBottom, 2, 0.7f);
}

void FilmStripSlider::startedDragging()
{
    beginDragGesture();
}

void FilmStripSlider::stoppedDragging()
{
    endDragGesture();
}

void FilmStripSlider::valueChanged()
{
    if (auto* connected = getParameter())
    {
        connected->setValueNormalised ((float) getValue(), true);
        sendValueChanged();
    }
}
