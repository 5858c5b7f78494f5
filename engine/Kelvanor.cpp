#include "engine/Kelvanor.h"
#include "engine/KelvanorRandomizerData.h"

#include <cmath>

Kelvanor::Kelvanor()
    : core (std::make_unique<KelvanorCore>())
    , randomizerData (std::make_unique<RandomizerData>())
{
    SoftwareDesignation::Info designation;
    designation.version = "1.9.5";
    designation.year = "2006";
    designation.buildDate = "2015-01-08";
    designation.buildCode = "ECBF123";
    designation.branch = "master";
    designation.buildNumber = "0";
    designation.description = "Monophonic bassline synthesizer with step sequencer and arpeggiator";
    designation.webAddress = "https://kelvanor.example.org";
    setSoftwareDesignation (designation);

    initialiseSettings();
    addPresetManagerListener (&corePresetListener);

    midiOutput.ensureSize (KelvanorMidiQueue::defaultCapacityBytes);

    stopArpeggiator();
    stopSequencer();
}

Kelvanor::~Kelvanor()
{
    saveUserSettings();

    // The editor reaches into the voice and the patterns: it goes before them.
    deleteGuiController();

    removePresetManagerListener (&corePresetListener);
    core.reset();
}

//==============================================================================
juce::String Kelvanor::getInputChannelName (int) const
{
    return {};
}

juce::String Kelvanor::getOutputChannelName (int) const
{
    return getProductName();
}

bool Kelvanor::isInputChannelStereoPair (int) const
{
    return false;
}

bool Kelvanor::isOutputChannelStereoPair (int index) const
{
    return index >= 0 && index < getMaxNumOutputChannels();
}

bool Kelvanor::hasEditor() const
{
    return getGuiController() != nullptr;
}

juce::String Kelvanor::getMidiKeyName (int keyNumber) const
{
    if (!isInternalSequencerOn() || !isHostModeOn())
        return {};

    if (keyNumber < firstHostModeNote || keyNumber > lastHostModeNote)
        return "---";

    return getPatternName (keyNumber - firstHostModeNote);
}

//==============================================================================
void Kelvanor::parameterChanged (Parameter* parameter)
{
    if (parameter == nullptr)
        return;

    const int id = parameter->getId();
    const float value = parameter->getValueNormalised();

    switch (id)
    {
        case arpeShuffleValueId:
            // The percentage shown on the panel and the shuffle knob stay in step.
            getParameterManager().setParameterNormalised (arpeShuffleId, value);
            return;

        case gateLevelId:
        case accentLevelId:
        case slideLevelId:
        {
            const bool editingSteps = isInternalSequencerOn() && (isWriteModeOn() || isHostModeOn()) &&
                                      !isRandomizerOn() && isStepValuesEditionOn();
            if (!editingSteps)
                return;

            const int pattern = getEditedPattern();
            if (!isValidPattern (pattern))
                return;

            auto step = patterns[(size_t) pattern].getStep (getEditedStep());
            const double level = juce::jlimit (0.0, 1.0, (double) value);

            if (id == gateLevelId)
                step.gateLevel = level;
            else if (id == accentLevelId)
                step.accentLevel = level;
            else
                step.slideLevel = level;

            patterns[(size_t) pattern].setStep (getEditedStep(), step);
            updateStepValueStates();
            return;
        }

        default: break;
    }

    if (id >= 0 && id < KelvanorCore::numParameters)
    {
        const juce::ScopedLock sl (coreLock);
        core->setParameter (id, value);
    }

    IntSeqPlugin::parameterChanged (parameter);

    if (!std::isfinite (value))
        return;

    const double clamped = juce::jlimit (0.0, 1.0, (double) value);

    if (id == stepLengthId)
        stepLengthValue.store (clamped * 0.92 + 0.04, relaxed);
    else if (id >= arpeChordId && id <= arpeRepeaterId)
        arpeggiatorParameterChanged (id, value);
    else if (id == gateThresholdId)
        gateThreshold.store (clamped, relaxed);
    else if (id == accentThresholdId)
        accentThreshold.store (clamped, relaxed);
    else if (id == slideThresholdId)
        slideThreshold.store (clamped, relaxed);
    else if (id == randomizerChordId)
        setRandomizerChord (nearestInt ((float) clamped * 7.0f));
}

//==============================================================================
float Kelvanor::accentThresholdOfLevel (int level) noexcept
{
    switch (level)
    {
        case lowAccentLevel: return 32.0f / 127.0f;
        case mediumAccentLevel: return 64.0f / 127.0f;
        case highAccentLevel: return 96.0f / 127.0f;
        default: return 0.0f;
    }
}

void Kelvanor::setAccentVelocityLevel (int level)
{
    // An unknown level would make every step velocity 0 and every note accented.
    if (level < lowAccentLevel || level > highAccentLevel)
        return;

    if (accentVelocityLevel.exchange (level, relaxed) != level)
    {
        const juce::ScopedLock sl (coreLock);
        core->setAccentThreshold (accentThresholdOfLevel (level));
    }

    getParameterManager().setParameterNormalised (accentVelocityLevelId, (float) level * 0.5f);
}

void Kelvanor::setOscillatorTuning (int type)
{
    static constexpr double divisionsPerOctave[] = {12.0, 12.02, 12.1};

    if (type < accurateTuning || type > batteryLowTuning)
        return;

    if (oscillatorTuning.exchange (type, relaxed) != type)
    {
        const juce::ScopedLock sl (coreLock);
        core->buildPitchTables (divisionsPerOctave[type]);
    }

    getParameterManager().setParameterNormalised (oscillatorTuningTypeId, (float) type * 0.5f);
}

//==============================================================================
void Kelvanor::CorePresetListener::presetChanged()
{
    const juce::ScopedLock sl (owner.coreLock);
    owner.core->presetChanged();
}
