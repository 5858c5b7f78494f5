#include "editor/KelvanorEditor.h"

#include "editor/OptionsWindow.h"
#include "skin/controls/GFXKnob.h"
#include "skin/controls/GFXMultiStateButton.h"
#include "skin/controls/GFXSwitch.h"
#include "skin/displays/NumericDisplay.h"

namespace
{
constexpr int boxHeight = 20;

void setControlVisible (juce::Component* control, bool visible)
{
    if (control != nullptr)
        control->setVisible (visible);
}

void setControlEnabled (juce::Component* control, bool enabled)
{
    if (control != nullptr)
        control->setEnabled (enabled);
}

juce::String twoDigits (int number)
{
    return juce::String (number).paddedLeft ('0', 2);
}

/** Every parameter the product's panel shows, in the order a new panel is brought up to date. */
std::vector<int> productStateIds()
{
    std::vector<int> ids{IntSeqPlugin::internalSequencerStateId,
                         IntSeqPlugin::randomizerStateId,
                         IntSeqPlugin::lengthModeStateId,
                         Kelvanor::selfResetStateId,
                         Kelvanor::arpeStateId,
                         KelvanorEditor::arpeMultRepeatModeId,
                         Kelvanor::gateBlinkingId,
                         Kelvanor::gateBlinkingId + 1,
                         Kelvanor::gateBlinkingId + 2,
                         Kelvanor::lowerOctaveBlinkingId,
                         Kelvanor::upperOctaveBlinkingId,
                         Kelvanor::randNotesBlinkingId,
                         Kelvanor::thresholdModeStateId,
                         Kelvanor::stepValuesEditionStateId};
    for (int i = 0; i < KelvanorEditor::numSteps; ++i)
        ids.push_back (IntSeqPlugin::firstStepInverseId + i);
    for (int i = 0; i < KelvanorEditor::numNoteKeys; ++i)
        ids.push_back (Kelvanor::firstNoteBlinkingId + i);
    return ids;
}
} // namespace

const std::array<const char*, KelvanorEditor::numNoteKeys> KelvanorEditor::noteKeyNames{
    "NoteCButton",  "NoteC_Button", "NoteDButton", "NoteD_Button", "NoteEButton",
    "NoteFButton",  "NoteF_Button", "NoteGButton", "NoteG_Button", "NoteAButton",
    "NoteA_Button", "NoteBButton",  "NoteC1Button"};

KelvanorEditor::KelvanorEditor (Kelvanor& p)
    : IntSeqPluginEditor (p)
    , processor (p)
{
    findProductControls();

    for (auto* box : {&currentSelfResetBox, &defaultSelfResetBox})
    {
        box->setButtonText ("Self Reset Mode");
        box->setSize (100, boxHeight);
        box->changeWidthToFitText (boxHeight);
        box->addListener (this);
    }
    updateDefaultSelfResetBox (processor.getDefaultInternalSequencer());

    auto& sequencerSettings = getSequencerPage();
    sequencerSettings.addCurrentSettingsItem (currentSelfResetBox);
    sequencerSettings.addDefaultSettingsItem (defaultSelfResetBox);
    defaultSequencerBox = &sequencerSettings.getDefaultBox (SequencerSettingsComponent::internalSequencerBox);
    defaultSequencerBox->addListener (this);

    synthesisPage = std::make_unique<SynthesisSettingsComponent> (processor);
    getOptionsWindow().getTabs().addTab ("Synthesis", juce::Colour (tabColour), synthesisPage.get(), false,
                                         1);

    showProductStates();
}

KelvanorEditor::~KelvanorEditor()
{
    defaultSequencerBox->removeListener (this);
    for (auto* box : {&currentSelfResetBox, &defaultSelfResetBox})
        box->removeListener (this);

    auto& tabs = getOptionsWindow().getTabs();
    for (int i = tabs.getNumTabs(); --i >= 0;)
        if (tabs.getTabContentComponent (i) == synthesisPage.get())
            tabs.removeTab (i);
    synthesisPage.reset();
}

void KelvanorEditor::findProductControls()
{
    arpeShuffleDisplay = findControl<NumericDisplay> ("ArpeShuffleDisplay");
    arpeRepeaterSwitch = findControl<GFXSwitch> ("ArpeRepeaterSwitch");
    arpeMultiplierSwitch = findControl<GFXSwitch> ("ArpeMultiplierSwitch");
    arpeChordSwitch = findControl<GFXSwitch> ("ArpeChordSwitch");
    randChordSwitch = findControl<GFXSwitch> ("RandChordSwitch");
    octaveDownButton = findControl<GFXMultiStateButton> ("OctaveDownButton");
    octaveUpButton = findControl<GFXMultiStateButton> ("OctaveUpButton");
    gateButton = findControl<GFXMultiStateButton> ("GateButton");
    accentButton = findControl<GFXMultiStateButton> ("AccentButton");
    slideButton = findControl<GFXMultiStateButton> ("SlideButton");
    randNotesButton = findControl<GFXMultiStateButton> ("RandNotesButton");

    const char* const kinds[] = {"Gate", "Accent", "Slide"};
    for (size_t i = 0; i < 3; ++i)
    {
        levelKnobs[i] = findControl<GFXKnob> (juce::String (kinds[i]) + "LevelKnob");
        thresholdKnobs[i] = findControl<GFXKnob> (juce::String (kinds[i]) + "ThresholdKnob");
    }

    for (size_t key = 0; key < noteButtons.size(); ++key)
        noteButtons[key] = findControl<GFXMultiStateButton> (noteKeyNames[key]);

    for (size_t step = 0; step < (size_t) numSteps; ++step)
    {
        lengthLights[step] =
            findControl<GFXMultiStateButton> ("PattLen" + twoDigits ((int) step + 1) + "Led");
        stepLights[step] =
            findControl<GFXMultiStateButton> ("PattStepNum" + twoDigits ((int) step + 1) + "Led");
    }
}

void KelvanorEditor::skinApplied()
{
    IntSeqPluginEditor::skinApplied();
    findProductControls();
    showProductStates();
}

void KelvanorEditor::showProductStates()
{
    auto& manager = processor.getParameterManager();
    for (const int id : productStateIds())
        if (const auto* parameter = manager.getParameter (id))
            showProductState (id, *parameter);
}

void KelvanorEditor::showProductState (int id, const Parameter& parameter)
{
    const bool on = parameter.getValueBool();

    if (id >= IntSeqPlugin::firstStepInverseId && id < IntSeqPlugin::firstStepInverseId + numSteps)
    {
        // The light of the step being played; only its own bounds are repainted.
        if (auto* light = stepLights[(size_t) (id - IntSeqPlugin::firstStepInverseId)])
            light->setInverted (on);
        return;
    }

    if (id >= Kelvanor::firstNoteBlinkingId && id < Kelvanor::firstNoteBlinkingId + numNoteKeys)
    {
        setControlBlinking (noteButtons[(size_t) (id - Kelvanor::firstNoteBlinkingId)], on);
        return;
    }

    switch (id)
    {
        case IntSeqPlugin::internalSequencerStateId: currentSelfResetBox.setEnabled (on); return;

        case IntSeqPlugin::randomizerStateId:
            // The chord switch of the randomizer takes the arpeggiator's place while randomizing.
            setControlVisible (randChordSwitch, on);
            setControlVisible (arpeChordSwitch, !on);
            return;

        case IntSeqPlugin::lengthModeStateId:
            for (auto* light : lengthLights)
                setControlBlinking (light, on);
            return;

        case Kelvanor::selfResetStateId:
            currentSelfResetBox.setToggleState (on, juce::dontSendNotification);
            return;
        case Kelvanor::arpeStateId: setControlEnabled (arpeShuffleDisplay, on); return;

        case arpeMultRepeatModeId:
            setControlVisible (arpeRepeaterSwitch, on);
            setControlVisible (arpeMultiplierSwitch, !on);
            return;

        case Kelvanor::gateBlinkingId: setControlBlinking (gateButton, on); return;
        case Kelvanor::gateBlinkingId + 1: setControlBlinking (accentButton, on); return;
        case Kelvanor::gateBlinkingId + 2: setControlBlinking (slideButton, on); return;
        case Kelvanor::lowerOctaveBlinkingId: setControlBlinking (octaveDownButton, on); return;
        case Kelvanor::upperOctaveBlinkingId: setControlBlinking (octaveUpButton, on); return;
        case Kelvanor::randNotesBlinkingId: setControlBlinking (randNotesButton, on); return;

        case Kelvanor::thresholdModeStateId:
            for (auto* knob : thresholdKnobs)
                setControlEnabled (knob, on);
            return;

        case Kelvanor::stepValuesEditionStateId:
            // The level knobs and the threshold knobs share their places on the panel.
            for (auto* knob : levelKnobs)
                setControlVisible (knob, on);
            for (auto* knob : thresholdKnobs)
                setControlVisible (knob, !on);
            return;

        default: return;
    }
}

void KelvanorEditor::parameterChanged (Parameter* parameter)
{
    if (parameter == nullptr)
        return;
    showProductState (parameter->getId(), *parameter);
    IntSeqPluginEditor::parameterChanged (parameter);
}

void KelvanorEditor::buttonClicked (juce::Button* button)
{
    const bool on = button->getToggleState();
    if (button == defaultSequencerBox)
        updateDefaultSelfResetBox (on);
    else if (button == &currentSelfResetBox)
        processor.setSelfReset (on);
    else if (button == &defaultSelfResetBox)
        processor.setDefaultSelfReset (on);
}

void KelvanorEditor::updateDefaultSelfResetBox (bool sequencerDefaultOn)
{
    defaultSelfResetBox.setEnabled (sequencerDefaultOn);
    defaultSelfResetBox.setToggleState (sequencerDefaultOn && processor.getDefaultSelfReset(),
                                        juce::dontSendNotification);
}

void KelvanorEditor::lookAndFeelChanged()
{
    IntSeqPluginEditor::lookAndFeelChanged();
    for (auto* box : {&currentSelfResetBox, &defaultSelfResetBox})
        box->changeWidthToFitText (box->getHeight());
}
