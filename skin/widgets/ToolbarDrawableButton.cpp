#include "skin/widgets/ToolbarDrawableButton.h"

#include "skin/lookandfeel/DefaultLookAndFeel.h"

ToolbarDrawableButton::ToolbarDrawableButton (const juce::String& name, int icon)
    : juce::DrawableButton (name, juce::DrawableButton::ImageFitted)
{
    setEdgeIndent (1);
    setTooltip (name);
    setWantsKeyboardFocus (false);
    if (auto drawable = DefaultLookAndFeel::getIcon (icon))
        setImages (drawable.get());
}

void ToolbarDrawableButton::updateFromParameter (Parameter* p)
{
    if (p != nullptr)
        setToggleState (p->getValueBool(), juce::dontSendNotification);
}

void ToolbarDrawableButton::paintButton (juce::Graphics& g, bool over, bool down)
{
    if (!getClickingTogglesState() && !over && !down)
        return;
    const auto colourId =
        getToggleState() ? juce::TextButton::buttonOnColourId : juce::TextButton::buttonColourId;
    getLookAndFeel().drawButtonBackground (g, *this, findColour (colourId), over, down);
}

void ToolbarDrawableButton::buttonStateChanged()
{
    juce::DrawableButton::buttonStateChanged();
    if (parameter != nullptr)
        parameter->setValueBool (getToggleState(), true);
}

void ToolbarDrawableButton::lookAndFeelChanged()
{
    juce::DrawableButton::lookAndFeelChanged();
    if (auto* showing = getCurrentImage())
        showing->replaceColour (juce::Colours::black, findColour (juce::DrawableButton::textColourId));
}
