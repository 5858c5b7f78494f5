#pragma once

#include "editor/IntSeqPluginEditor.h"
#include "engine/Kelvanor.h"

#include <array>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>

class GFXSwitch;

/** The product's editor: the arpeggiator section, the step keys (note, octave, gate, accent and slide keys
    with their level and threshold knobs), the pattern length lights and the step lights, kept in step with
    the product's state parameters; the "Self Reset Mode" boxes of the "Sequencer" page and the "Synthesis"
    page of the options window.

    Built once by the plug-in's factory; it lives as long as the processor. Message thread only. */
class KelvanorEditor : public IntSeqPluginEditor, public juce::Button::Listener
{
public:
    class SynthesisSettingsComponent;

    static constexpr int numNoteKeys = 13;
    static constexpr int numSteps = 16;
    /** "Arpe Mult/Repeat Mode": which of the two arpeggiator switches shows. */
    static constexpr int arpeMultRepeatModeId = 39;

    /** The skin names of the thirteen note keys, C to the upper C; the underscore names are the sharps. */
    static const std::array<const char*, numNoteKeys> noteKeyNames;

    explicit KelvanorEditor (Kelvanor& processor);
    ~KelvanorEditor() override;

    /** The product's state parameters, then the sequencer layer's reactions for every parameter. */
    void parameterChanged (Parameter* parameter) override;
    void buttonClicked (juce::Button* button) override;
    void lookAndFeelChanged() override;
    void skinApplied() override;

    /** The default box is usable only while new instances start with the sequencer on. */
    void updateDefaultSelfResetBox (bool sequencerDefaultOn);

    Kelvanor& getKelvanor() const noexcept { return processor; }
    CheckBox_V2& getCurrentSelfResetBox() noexcept { return currentSelfResetBox; }
    CheckBox_V2& getDefaultSelfResetBox() noexcept { return defaultSelfResetBox; }
    SynthesisSettingsComponent& getSynthesisPage() const noexcept { return *synthesisPage; }

    // Controls of the current panel; each null when the skin lacks it.
    NumericDisplay* getArpeShuffleDisplay() const noexcept { return arpeShuffleDisplay; }
    GFXSwitch* getArpeRepeaterSwitch() const noexcept { return arpeRepeaterSwitch; }
    GFXSwitch* getArpeMultiplierSwitch() const noexcept { return arpeMultiplierSwitch; }
    GFXSwitch* getArpeChordSwitch() const noexcept { return arpeChordSwitch; }
    GFXSwitch* getRandChordSwitch() const noexcept { return randChordSwitch; }
    GFXMultiStateButton* getOctaveDownButton() const noexcept { return octaveDownButton; }
    GFXMultiStateButton* getOctaveUpButton() const noexcept { return octaveUpButton; }
    GFXMultiStateButton* getGateButton() const noexcept { return gateButton; }
    GFXMultiStateButton* getAccentButton() const noexcept { return accentButton; }
    GFXMultiStateButton* getSlideButton() const noexcept { return slideButton; }
    GFXMultiStateButton* getRandNotesButton() const noexcept { return randNotesButton; }
    /** 0 gate, 1 accent, 2 slide. */
    GFXKnob* getLevelKnob (int index) const noexcept { return levelKnobs[(size_t) index]; }
    GFXKnob* getThresholdKnob (int index) const noexcept { return thresholdKnobs[(size_t) index]; }
    GFXMultiStateButton* getNoteButton (int key) const noexcept { return noteButtons[(size_t) key]; }
    GFXMultiStateButton* getLengthLight (int step) const noexcept { return lengthLights[(size_t) step]; }
    GFXMultiStateButton* getStepLight (int step) const noexcept { return stepLights[(size_t) step]; }

private:
    void findProductControls();
    /** What one of the product's parameters shows on the panel; other ids show nothing. */
    void showProductState (int id, const Parameter& parameter);
    void showProductStates();

    Kelvanor& processor;

    NumericDisplay* arpeShuffleDisplay = nullptr; // the controls live in the skin panel
    GFXSwitch* arpeRepeaterSwitch = nullptr;
    GFXSwitch* arpeMultiplierSwitch = nullptr;
    GFXSwitch* arpeChordSwitch = nullptr;
    GFXSwitch* randChordSwitch = nullptr;
    GFXMultiStateButton* octaveDownButton = nullptr;
    GFXMultiStateButton* octaveUpButton = nullptr;
    GFXMultiStateButton* gateButton = nullptr;
    GFXMultiStateButton* accentButton = nullptr;
    GFXMultiStateButton* slideButton = nullptr;
    GFXMultiStateButton* randNotesButton = nullptr;
    std::array<GFXKnob*, 3> levelKnobs{};
    std::array<GFXKnob*, 3> thresholdKnobs{};
    std::array<GFXMultiStateButton*, numNoteKeys> noteButtons{};
    std::array<GFXMultiStateButton*, numSteps> lengthLights{};
    std::array<GFXMultiStateButton*, numSteps> stepLights{};

    CheckBox_V2 currentSelfResetBox, defaultSelfResetBox;
    juce::Button* defaultSequencerBox = nullptr; // the "Sequencer" page's, which the editor owns
    std::unique_ptr<SynthesisSettingsComponent> synthesisPage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KelvanorEditor)
};

/** The "Synthesis" page: the accent velocity level and the oscillator tuning, now and for new instances.
    Message thread only. */
class KelvanorEditor::SynthesisSettingsComponent : public juce::Component,
                                                   public RadioButtons_V2::Listener,
                                                   public Parameter::Listener
{
public:
    explicit SynthesisSettingsComponent (Kelvanor& processor);
    ~SynthesisSettingsComponent() override;

    RadioButtons_V2& getCurrentAccentGroup() noexcept { return *currentAccent; }
    RadioButtons_V2& getDefaultAccentGroup() noexcept { return *defaultAccent; }
    RadioButtons_V2& getCurrentTuningGroup() noexcept { return *currentTuning; }
    RadioButtons_V2& getDefaultTuningGroup() noexcept { return *defaultTuning; }

    /** The index of the three-way choice a normalised value stands for. */
    static int choiceOf (float normalised) noexcept;

    void radioButtonsChanged (RadioButtons_V2* group) override;
    void parameterChanged (Parameter* parameter) override;
    void resized() override;
    void lookAndFeelChanged() override;

private:
    std::unique_ptr<RadioButtons_V2> currentAccent, defaultAccent, currentTuning, defaultTuning;
    Kelvanor& processor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SynthesisSettingsComponent)
};
