#include "editor/KelvanorEditor.h"

#include <cmath>

namespace
{
constexpr int groupGap = 3; // between the current and the default group of a row
constexpr int rowGap = 10;

const juce::StringArray accentLevels{"Low (32)", "Medium (64)", "High (96)"};
const juce::StringArray tunings{"Accurate", "Vintage", "Battery low"};
} // namespace

KelvanorEditor::SynthesisSettingsComponent::SynthesisSettingsComponent (Kelvanor& p)
    : currentAccent (std::make_unique<RadioButtons_V2> ("Current accent velocity level", accentLevels))
    , defaultAccent (std::make_unique<RadioButtons_V2> ("Default accent velocity level", accentLevels))
    , currentTuning (std::make_unique<RadioButtons_V2> ("Current oscillator tuning", tunings))
    , defaultTuning (std::make_unique<RadioButtons_V2> ("Default oscillator tuning", tunings))
    , processor (p)
{
    for (auto* group : {currentAccent.get(), defaultAccent.get(), currentTuning.get(), defaultTuning.get()})
    {
        group->addListener (this);
        addAndMakeVisible (*group);
    }

    auto& manager = processor.getParameterManager();
    manager.addAsyncListener (Kelvanor::accentVelocityLevelId, this);
    manager.addAsyncListener (Kelvanor::oscillatorTuningTypeId, this);

    currentAccent->setSelectedIndex (
        choiceOf (manager.getParameterNormalised (Kelvanor::accentVelocityLevelId)), false);
    currentTuning->setSelectedIndex (
        choiceOf (manager.getParameterNormalised (Kelvanor::oscillatorTuningTypeId)), false);
    defaultAccent->setSelectedIndex (processor.getDefaultAccentVelocityLevel(), false);
    defaultTuning->setSelectedIndex (processor.getDefaultOscillatorTuning(), false);

    resized();
}

KelvanorEditor::SynthesisSettingsComponent::~SynthesisSettingsComponent()
{
    auto& manager = processor.getParameterManager();
    manager.removeAsyncListener (Kelvanor::accentVelocityLevelId, this);
    manager.removeAsyncListener (Kelvanor::oscillatorTuningTypeId, this);
    for (auto* group : {currentAccent.get(), defaultAccent.get(), currentTuning.get(), defaultTuning.get()})
        group->removeListener (this);
}

int KelvanorEditor::SynthesisSettingsComponent::choiceOf (float normalised) noexcept
{
    return (int) std::floor (normalised * 2.0f + 0.5f);
}

void KelvanorEditor::SynthesisSettingsComponent::radioButtonsChanged (RadioButtons_V2* group)
{
    const int index = group->getSelectedIndex();
    if (group == currentAccent.get())
        processor.setAccentVelocityLevel (index);
    else if (group == currentTuning.get())
        processor.setOscillatorTuning (index);
    else if (group == defaultAccent.get())
        processor.setDefaultAccentVelocityLevel (index);
    else if (group == defaultTuning.get())
        processor.setDefaultOscillatorTuning (index);
}

void KelvanorEditor::SynthesisSettingsComponent::parameterChanged (Parameter* parameter)
{
    if (parameter->getId() == Kelvanor::accentVelocityLevelId)
        currentAccent->setSelectedIndex (choiceOf (parameter->getValueNormalised()), false);
    else if (parameter->getId() == Kelvanor::oscillatorTuningTypeId)
        currentTuning->setSelectedIndex (choiceOf (parameter->getValueNormalised()), false);
}

void KelvanorEditor::SynthesisSettingsComponent::resized()
{
    int top = 0;
    for (auto [current, fallback] : {std::pair{currentAccent.get(), defaultAccent.get()},
                                     std::pair{currentTuning.get(), defaultTuning.get()}})
    {
        current->setButtonWidth (-1);
        fallback->setButtonWidth (-1);
        current->setTopLeftPosition (0, top);
        fallback->setTopLeftPosition (current->getRight() + groupGap, top);
        top = juce::jmax (current->getBottom(), fallback->getBottom()) + rowGap;
    }
}

void KelvanorEditor::SynthesisSettingsComponent::lookAndFeelChanged()
{
    resized();
}
