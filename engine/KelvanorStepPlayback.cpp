#include "engine/Kelvanor.h"

int Kelvanor::PlayedStep::getMidiNote() const noexcept
{
    return Step::getOctaveBase (octaveDown, octaveUp) + note;
}

Kelvanor::PlayedStep Kelvanor::readPlayedStep (int pattern, int step) const
{
    const auto& source = getPattern (pattern).getStep (step);

    PlayedStep played;
    played.note = juce::jlimit (0, 12, (int) source.note);
    played.octaveUp = source.octaveUp != 0;
    played.octaveDown = source.octaveDown != 0;
    played.gateLevel = source.gateLevel;
    played.accentLevel = source.accentLevel;
    played.slideLevel = source.slideLevel;

    // A level above its threshold turns the flag off for this pass.
    played.gate = source.gate != 0 && getGateThreshold() >= played.gateLevel;
    played.accent = source.accent != 0 && getAccentThreshold() >= played.accentLevel;
    played.slide = source.slide != 0 && getSlideThreshold() >= played.slideLevel;
    return played;
}

float Kelvanor::getStepVelocity (bool accented) const noexcept
{
    // On the voice's accent threshold when accented, half of it otherwise.
    const float velocity = accentThresholdOfLevel (getAccentVelocityLevel());
    return accented ? velocity : velocity * 0.5f;
}

//==============================================================================
void Kelvanor::startSequencer()
{
    const int hostSelected = getHostSelectedPattern();

    if (isHostModeOn() && isValidPattern (hostSelected))
        playingPattern.store (hostSelected, relaxed);
    else
        playingPattern.store (getChainFirstPattern(), relaxed);

    playingStep.store (0, relaxed);
    IntSeqPlugin::startSequencer();
}

void Kelvanor::stopSequencer()
{
    IntSeqPlugin::stopSequencer();

    if (slidNoteAwaitingRelease)
        releaseNote (previousStep.getMidiNote());

    if (currentNoteSounding)
        releaseNote (currentStep.getMidiNote());

    currentStep = {};
    previousStep = {};
    stepAdvancedSinceStart = false;
    currentNoteSounding = false;
    slidNoteAwaitingRelease = false;
    stepInProgress = false;
}

void Kelvanor::sequencerRewound()
{
    // The next step played is step 0 of the playing pattern, without advancing.
    stepAdvancedSinceStart = false;
}

void Kelvanor::advanceStep()
{
    const int pattern = getPlayingPattern();
    const int length = getPatternLength (pattern);
    int step = getPlayingStep() + 1;

    if (isHostModeOn())
    {
        if (isValidPattern (pattern))
            playingStep.store (step >= length ? 0 : step, relaxed);
        return;
    }

    if (step >= length)
    {
        step = 0;

        // On to the next pattern of the chain, back to its first after its last.
        const int next = pattern + 1;
        const bool nextInChain = next >= getChainFirstPattern() && next <= getChainLastPattern();
        playingPattern.store (nextInChain ? next : getChainFirstPattern(), relaxed);
    }

    playingStep.store (step, relaxed);
}

void Kelvanor::sequencerStepStarted()
{
    // The previous step's gate never ended (the sequencer was rewound): its notes end here.
    if (stepInProgress)
        releaseEndingNotes();

    // The first step after a start plays step 0 without advancing.
    if (stepAdvancedSinceStart)
        advanceStep();

    previousStep = currentStep;
    currentStep = readPlayedStep (getPlayingPattern(), getPlayingStep());

    const int midiNote = currentStep.getMidiNote();
    const bool different = midiNote != previousStep.getMidiNote() || !stepAdvancedSinceStart;

    // A note still sounding was slid into this step: the same pitch ties unless an accent begins.
    const bool wasSounding = currentNoteSounding;
    const bool play =
        wasSounding ? different || (currentStep.accent && !previousStep.accent) : currentStep.gate;

    if (play)
    {
        currentNoteSounding = true;
        playNote (midiNote, getStepVelocity (currentStep.accent));

        // The slid note is released at this step's gate end, after the new note took over. Only a note
        // that actually sounds awaits that release: a rest marked slide leaves nothing to release.
        if (previousStep.slide && wasSounding)
            slidNoteAwaitingRelease = true;
    }

    stepInProgress = true;
}

void Kelvanor::releaseEndingNotes()
{
    if (slidNoteAwaitingRelease)
    {
        releaseNote (previousStep.getMidiNote());
        slidNoteAwaitingRelease = false;
    }

    // A sliding note stays held into the next step.
    if (!currentStep.slide && currentNoteSounding)
    {
        releaseNote (currentStep.getMidiNote());
        currentNoteSounding = false;
    }
}

void Kelvanor::sequencerGateEnded()
{
    releaseEndingNotes();
    stepInProgress = false;
    stepAdvancedSinceStart = true;
}

bool Kelvanor::isEditedPatternPlaying() const
{
    return getEditedPattern() == getPlayingPattern();
}

bool Kelvanor::followPlayingPattern()
{
    const int playing = getPlayingPattern();
    const int edited = getEditedPattern();
    if (edited == playing)
        return false;

    // A playing pattern the mode cannot address is clamped; only a real change counts.
    selectEditedPattern (playing);
    return getEditedPattern() != edited;
}

void Kelvanor::selectPatternBank (int bank)
{
    if (bank < 0 || bank > 2)
        return;

    selectedBank.store (bank, relaxed);
    updateNoteStates();
    updateStepValueStates();
    updateBlinkingStates (false);
}
