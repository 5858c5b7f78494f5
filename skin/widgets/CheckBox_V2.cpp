#include "skin/widgets/CheckBox_V2.h"

#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/lookandfeel/SkinArtwork.h"

#include <cstring>

CheckBox_V2::CheckBox_V2()
    : juce::TextButton (juce::String())
{
    setClickingTogglesState (true);
    setWantsKeyboardFocus (false);

    const char* document = SkinArtwork::getTickDocument();
    tick = DefaultLookAndFeel::createDrawableFromSVG (document, std::strlen (document));
    if (tick != nullptr)
    {
        tick->setInterceptsMouseClicks (false, false);
        tick->setMouseClickGrabsKeyboardFocus (false);
        addAndMakeVisible (*tick);
    }
    refreshTick();
}

CheckBox_V2::~CheckBox_V2() = default;

void CheckBox_V2::changeWidthToFitText (int height)
{
    const int h = height < 0 ? getHeight() : height;
    const auto font = getLookAndFeel().getTextButtonFont (*this, h);
    setBounds (getX(), getY(),
               juce::roundToInt (font.getStringWidthFloat (getButtonText())) + (int) (1.2 * h), h);
}

void CheckBox_V2::updateFromParameter (Parameter* p)
{
    if (p != nullptr)
        setToggleState (p->getValueBool(), juce::dontSendNotification);
}

juce::Rectangle<int> CheckBox_V2::getBoxArea() const
{
    return getLocalBounds().withWidth (getHeight()).reduced (2);
}

void CheckBox_V2::resized()
{
    if (tick == nullptr)
        return;
    const int s = juce::jmax (getHeight() - 6, 0);
    tick->setTransformToFit (juce::Rectangle<float> (3.0f, 3.0f, (float) s, (float) s),
                             juce::RectanglePlacement::centred);
}

void CheckBox_V2::paintButton (juce::Graphics& g, bool over, bool down)
{
    const auto box = getBoxArea();
    if (!box.isEmpty())
    {
        juce::Path outline;
        outline.addRoundedRectangle ((float) box.getX() + 0.5f, (float) box.getY() + 0.5f,
                                     (float) box.getWidth() - 1.0f, (float) box.getHeight() - 1.0f, 4.0f);
        DefaultLookAndFeel::drawButtonShape (
            g, outline, DefaultLookAndFeel::getToggleBaseColour (*this, over, down), (float) box.getHeight());
    }

    const auto font = getLookAndFeel().getTextButtonFont (*this, getHeight());
    g.setFont (font);
    g.setColour (findColour (juce::Label::textColourId).withMultipliedAlpha (isEnabled() ? 1.0f : 0.5f));
    g.drawText (getButtonText(), getLocalBounds().withTrimmedLeft ((int) (1.2 * getHeight())),
                juce::Justification::centredLeft, false);
}

void CheckBox_V2::buttonStateChanged()
{
    if (parameter != nullptr)
        parameter->setValueBool (getToggleState(), true);
    refreshTick();
}

void CheckBox_V2::enablementChanged()
{
    juce::TextButton::enablementChanged();
    refreshTick();
}

void CheckBox_V2::refreshTick()
{
    if (tick == nullptr)
        return;
    tick->setAlpha (isEnabled() ? 1.0f : 0.5f);
    tick->setVisible (getToggleState());
}
