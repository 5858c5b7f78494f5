#include "engine/KelvanorChordTable.h"
#include "engine/KelvanorRandomizerData.h"

namespace
{
constexpr juce::uint32 maxSeed = 1000000; // seeds are 1..maxSeed
constexpr int octaveLength = 12;          // semitones
} // namespace

//==============================================================================
bool Kelvanor::isNoteAllowed (int midiNote) const noexcept
{
    return randomizerData->allowedNotes.isAllowed (midiNote);
}

juce::uint32 Kelvanor::getCurrentRandomSeed() const noexcept
{
    return randomizerData->currentSeed;
}

void Kelvanor::seedRandomGenerator (juce::uint32 seed)
{
    randomizerData->generator.seed (seed);
}

int Kelvanor::getOctaveViewStart() const noexcept
{
    return Step::getOctaveBase (isLowerOctaveViewOn(), isUpperOctaveViewOn());
}

bool Kelvanor::isTargetEdited() const noexcept
{
    return targetPattern >= 0 && targetPattern == getEditedPattern();
}

//==============================================================================
void Kelvanor::beginRandomizer()
{
    auto& data = *randomizerData;
    const int edited = getEditedPattern();

    data.backups.clear();

    {
        const juce::ScopedLock sl (patternNamesLock);
        data.backups.push_back (getPattern (edited));
    }

    gateThresholdsApplied = accentThresholdsApplied = slideThresholdsApplied = false;
    targetPattern = edited;
}

void Kelvanor::endRandomizer()
{
    randomizerData->backups.clear();
}

bool Kelvanor::nextRandomPattern()
{
    if (!isTargetEdited())
        beginRandomizer();

    randomizeWithNewSeed();
    return true;
}

bool Kelvanor::previousRandomPattern()
{
    if (!isTargetEdited())
        beginRandomizer();

    return randomizeWithPreviousSeed();
}

void Kelvanor::acceptRandomPattern()
{
    if (!isTargetEdited())
        beginRandomizer();

    const juce::ScopedLock sl (patternNamesLock);
    randomizerData->backups.push_back (getPattern (getEditedPattern()));
}

void Kelvanor::undoRandomPattern()
{
    if (!isTargetEdited())
        beginRandomizer();

    auto& backups = randomizerData->backups;
    const int edited = getEditedPattern();

    if (backups.empty() || !isValidPattern (edited))
        return;

    {
        const juce::ScopedLock sl (patternNamesLock);
        // The pattern may have been renamed since, and the others' names grown meanwhile.
        if (!patternNameFits (edited, backups.back().getName()))
            return;
        patterns[(size_t) edited] = backups.back();
    }

    // The pattern the randomizer started from stays: UNDO brings it back however often it was drawn over.
    if (backups.size() > 1)
        backups.pop_back();
}

void Kelvanor::updateRandomizerState()
{
    IntSeqPlugin::updateRandomizerState();
    getParameterManager().setParameterBool (randNotesStateId, isRandomizerActive() && isRandomNotesOn());

    updateThresholdStates();
    updateStepStates();
    updateNoteStates();
    updateOctaveStates();
    updateGateAccentSlideStates();
    updateBlinkingStates (false);
}

//==============================================================================
void Kelvanor::randomizeWithNewSeed()
{
    auto& data = *randomizerData;

    if (data.currentSeed != 0)
        data.seedHistory.push_back (data.currentSeed);

    // Drawn from the generator as it stands, so that the seeds themselves follow from the first one.
    data.currentSeed = data.generator.nextBelow (maxSeed) + 1;
    data.generator.seed (data.currentSeed);
    generateRandomPattern();
}

bool Kelvanor::randomizeWithPreviousSeed()
{
    auto& data = *randomizerData;

    if (data.seedHistory.empty())
        return false;

    data.currentSeed = data.seedHistory.back();
    data.seedHistory.pop_back();
    data.generator.seed (data.currentSeed);
    generateRandomPattern();
    return true;
}

void Kelvanor::generateRandomPattern()
{
    if (!isValidPattern (targetPattern))
        return;

    auto& data = *randomizerData;

    int notes[RandomizerNoteSet::numNotes];
    int numNotes = 0;

    if (isRandomNotesOn())
        for (int note = RandomizerNoteSet::lowestNote; note <= RandomizerNoteSet::highestNote; ++note)
            if (data.allowedNotes.isAllowed (note))
                notes[numNotes++] = note;

    auto& pattern = patterns[(size_t) targetPattern];

    for (int index = 0; index < Pattern::numSteps; ++index)
    {
        // Every draw happens for every step, used or not, so a seed gives the same notes whatever the
        // switches say.
        const auto r = (int) data.generator.nextBelow ((juce::uint32) RandomizerNoteSet::numNotes);
        const float gateLevel = data.generator.nextFloat();
        const float accentLevel = data.generator.nextFloat();
        const float slideLevel = data.generator.nextFloat();

        Step step = pattern.getStep (index);

        if (numNotes > 0)
        {
            // The inverse of the step's MIDI note: 24 + 12 x octave + note, the top C as note 12 of 60.
            const int midiNote = notes[r % numNotes];
            const int octave = (midiNote - RandomizerNoteSet::lowestNote) / octaveLength;
            step.note = octave == 4 ? 12 : midiNote % octaveLength;
            step.octaveDown = octave == 0 || octave >= 3 ? 1 : 0;
            step.octaveUp = octave >= 2 ? 1 : 0;
        }

        if (isRandomizeGateOn())
        {
            step.gateLevel = (double) gateLevel;
            step.gate = 1;
            gateThresholdsApplied = false;
        }

        if (isRandomizeAccentOn())
        {
            step.accentLevel = (double) accentLevel;
            step.accent = 1;
            accentThresholdsApplied = false;
        }

        if (isRandomizeSlideOn())
        {
            step.slideLevel = (double) slideLevel;
            step.slide = 1;
            slideThresholdsApplied = false;
        }

        pattern.setStep (index, step);
    }
}

//==============================================================================
void Kelvanor::setRandomizerChord (int chord)
{
    chord = juce::jlimit (0, KelvanorChordTable::numChords - 1, chord);

    if (randomizerChord.exchange (chord, relaxed) == chord)
        return;

    auto& data = *randomizerData;

    if (chord == KelvanorChordTable::customChord)
        data.allowedNotes.copyFrom (data.customNotes);
    else
        data.allowedNotes.setChord (chord);

    updateNoteStates();
}

void Kelvanor::setOctaveNotes (bool allowed)
{
    auto& data = *randomizerData;
    const int first = getOctaveViewStart();
    const int last = first == 60 ? RandomizerNoteSet::highestNote : first + octaveLength - 1;

    data.allowedNotes.setRange (first, last, allowed);

    if (getRandomizerChord() == KelvanorChordTable::customChord)
        data.customNotes.setRange (first, last, allowed);

    updateNoteStates();
}

void Kelvanor::shiftAllowedNotes (int direction)
{
    auto& data = *randomizerData;
    data.allowedNotes.rotate (direction);

    if (getRandomizerChord() == KelvanorChordTable::customChord)
        data.customNotes.rotate (direction);

    updateNoteStates();
}

void Kelvanor::applyThresholds()
{
    const int target = isValidPattern (targetPattern) ? targetPattern : getEditedPattern();
    if (!isValidPattern (target))
        return;

    const bool gate = isRandomizeGateOn() && !gateThresholdsApplied;
    const bool accent = isRandomizeAccentOn() && !accentThresholdsApplied;
    const bool slide = isRandomizeSlideOn() && !slideThresholdsApplied;
    auto& pattern = patterns[(size_t) target];

    // A level the threshold lets through becomes a plain flag at level 0, which every threshold passes.
    for (int index = 0; index < Pattern::numSteps; ++index)
    {
        Step step = pattern.getStep (index);

        if (gate)
        {
            step.gate = getGateThreshold() >= step.gateLevel ? 1 : 0;
            step.gateLevel = 0.0;
        }

        if (accent)
        {
            step.accent = getAccentThreshold() >= step.accentLevel ? 1 : 0;
            step.accentLevel = 0.0;
        }

        if (slide)
        {
            step.slide = getSlideThreshold() >= step.slideLevel ? 1 : 0;
            step.slideLevel = 0.0;
        }

        pattern.setStep (index, step);
    }

    gateThresholdsApplied = isRandomizeGateOn();
    accentThresholdsApplied = isRandomizeAccentOn();
    slideThresholdsApplied = isRandomizeSlideOn();
}
