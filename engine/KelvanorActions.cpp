#include "engine/Kelvanor.h"
#include "engine/KelvanorChordTable.h"
#include "engine/KelvanorRandomizerData.h"

namespace
{
// Events of the panel's step keyboard.
enum PanelEvent
{
    transposeUpEvent = 0,
    transposeDownEvent = 1,
    firstSetStepEditionEvent = 2, // .. 17, steps 1..16
    firstPressNoteEvent = 18,     // .. 30, note keys C..C1
    firstPressNoteCtrlEvent = 31, // .. 43
    pressGateEvent = 44,          // 45 accent, 46 slide
    pressLowerOctaveEvent = 47,   // 48 upper octave
    firstFlagCtrlEvent = 49,      // .. 53: gate, accent, slide, lower octave, upper octave
    nextStepEvent = 54,
    prevStepEvent = 55,
    toggleRandNotesEvent = 56,
    toggleStepValuesEditionEvent = 57,
    flattenEvent = 58
};

constexpr int numNoteKeys = 13;
constexpr int numPatternKeys = 8;

/** The white keys C, D, E, F, G, A, B, C1 choose patterns 0..7; black keys have no pattern. */
constexpr int patternKeyNoteIndices[numPatternKeys] = {0, 2, 4, 5, 7, 9, 11, 12};

int patternKeyOfNoteIndex (int noteIndex)
{
    for (int key = 0; key < numPatternKeys; ++key)
        if (patternKeyNoteIndices[key] == noteIndex)
            return key;

    return -1;
}

/** The flags of the Ctrl keys 49..53, in event order. */
constexpr int ctrlEventFlags[] = {Pattern::gateFlag, Pattern::accentFlag, Pattern::slideFlag,
                                  Pattern::octaveDownFlag, Pattern::octaveUpFlag};
} // namespace

//==============================================================================
Kelvanor::PanelMode Kelvanor::getPanelMode() const noexcept
{
    if (!isInternalSequencerOn())
        return PanelMode::off;

    if (!isWriteModeOn() && !isHostModeOn())
        return PanelMode::play;

    return isRandomizerOn() ? PanelMode::randomizer : PanelMode::edit;
}

void Kelvanor::handleEvent (int uid)
{
    const auto mode = getPanelMode();

    if (uid == clearEvent || uid == clear2ndEvent)
    {
        // While randomizing, the two clear keys forbid or allow the octave on show.
        if (mode == PanelMode::randomizer)
            setOctaveNotes (uid == clear2ndEvent);
        else
            IntSeqPlugin::handleEvent (uid);
        return;
    }

    if (uid < transposeUpEvent || uid > flattenEvent)
    {
        IntSeqPlugin::handleEvent (uid);
        return;
    }

    switch (mode)
    {
        case PanelMode::play: handlePlayEvent (uid); break;
        case PanelMode::edit: handleEditEvent (uid); break;
        case PanelMode::randomizer: handleRandomizerEvent (uid); break;
        case PanelMode::off: break;
    }

    if (uid == toggleStepValuesEditionEvent)
        IntSeqPlugin::handleEvent (uid);
}

void Kelvanor::handlePlayEvent (int uid)
{
    if (uid >= firstPressNoteEvent && uid < firstPressNoteEvent + numNoteKeys)
    {
        if (const int key = patternKeyOfNoteIndex (uid - firstPressNoteEvent); key >= 0)
            setPatternChain (key, key);
    }
    else if (uid >= firstPressNoteCtrlEvent && uid < firstPressNoteCtrlEvent + numNoteKeys)
    {
        if (const int key = patternKeyOfNoteIndex (uid - firstPressNoteCtrlEvent); key >= 0)
        {
            // A chain grows only within the bank it lies in; another bank starts a new one.
            if (getChainBank() == getSelectedBank())
                extendPatternChain (key);
            else
                setPatternChain (key, key);
        }
    }
    else if (uid >= pressGateEvent && uid <= pressGateEvent + 2)
    {
        selectedBank.store (uid - pressGateEvent, relaxed);
        updateNoteStates();
        updateBlinkingStates (false);
        updateGateAccentSlideStates();
    }
}

void Kelvanor::handleEditEvent (int uid)
{
    const int edited = getEditedPattern();
    if (!isValidPattern (edited))
        return;

    auto& pattern = patterns[(size_t) edited];
    Step step = pattern.getStep (getEditedStep());

    if (uid == transposeUpEvent || uid == transposeDownEvent)
    {
        pattern.transpose (uid == transposeUpEvent ? 1 : -1);
        updateNoteStates();
        updateOctaveStates();
    }
    else if (uid >= firstSetStepEditionEvent && uid < firstSetStepEditionEvent + Pattern::numSteps)
    {
        if (const int index = uid - firstSetStepEditionEvent; index < pattern.getLength())
            selectEditedStep (index);
    }
    else if (uid >= firstPressNoteEvent && uid < firstPressNoteEvent + numNoteKeys)
    {
        step.note = uid - firstPressNoteEvent;
        setEditedStepValue (step);
        updateNoteStates();
    }
    else if (uid >= firstPressNoteCtrlEvent && uid < firstPressNoteCtrlEvent + numNoteKeys)
    {
        setEveryStepNote (uid - firstPressNoteCtrlEvent);
    }
    else if (uid >= pressGateEvent && uid <= pressLowerOctaveEvent + 1)
    {
        switch (uid - pressGateEvent)
        {
            case 0: step.gate = step.gate != 0 ? 0 : 1; break;
            case 1: step.accent = step.accent != 0 ? 0 : 1; break;
            case 2: step.slide = step.slide != 0 ? 0 : 1; break;
            case 3: step.octaveDown = step.octaveDown != 0 ? 0 : 1; break;
            default: step.octaveUp = step.octaveUp != 0 ? 0 : 1; break;
        }

        setEditedStepValue (step);
        updateOctaveStates();
        updateGateAccentSlideStates();
    }
    else if (uid >= firstFlagCtrlEvent && uid < firstFlagCtrlEvent + (int) std::size (ctrlEventFlags))
    {
        pattern.toggleFlagOnAllSteps (getEditedStep(), ctrlEventFlags[uid - firstFlagCtrlEvent]);
        updateOctaveStates();
        updateGateAccentSlideStates();
    }
    else if (uid == nextStepEvent || uid == prevStepEvent)
    {
        const int length = pattern.getLength();
        int index = getEditedStep() + (uid == nextStepEvent ? 1 : -1);

        if (index >= length)
            index = 0;
        else if (index < 0)
            index = length - 1;

        selectEditedStep (index);
    }
    else if (uid == toggleStepValuesEditionEvent)
    {
        stepValuesEdition.store (!isStepValuesEditionOn(), relaxed);
        updateThresholdStates();
    }
}

void Kelvanor::handleRandomizerEvent (int uid)
{
    auto& data = *randomizerData;

    if (uid == transposeUpEvent || uid == transposeDownEvent)
    {
        shiftAllowedNotes (uid == transposeUpEvent ? 1 : -1);
    }
    else if (uid >= firstPressNoteEvent && uid < firstPressNoteEvent + numNoteKeys)
    {
        const int note = getOctaveViewStart() + uid - firstPressNoteEvent;
        data.allowedNotes.toggle (note);

        if (getRandomizerChord() == KelvanorChordTable::customChord)
            data.customNotes.setAllowed (note, data.allowedNotes.isAllowed (note));

        updateNoteStates();
    }
    else if (uid >= pressGateEvent && uid <= pressGateEvent + 2)
    {
        auto& randomize = uid == pressGateEvent
                              ? randomizeGate
                              : (uid == pressGateEvent + 1 ? randomizeAccent : randomizeSlide);
        randomize.store (!randomize.load (relaxed), relaxed);
        updateOctaveStates();
        updateGateAccentSlideStates();
    }
    else if (uid == pressLowerOctaveEvent || uid == pressLowerOctaveEvent + 1)
    {
        auto& view = uid == pressLowerOctaveEvent ? lowerOctaveView : upperOctaveView;
        view.store (!view.load (relaxed), relaxed);

        // The note keys now show another octave.
        updateNoteStates();
        updateOctaveStates();
        updateGateAccentSlideStates();
    }
    else if (uid == nextStepEvent || uid == prevStepEvent)
    {
        IntSeqPlugin::handleEvent (uid == nextStepEvent ? nextEvent : prevEvent);
    }
    else if (uid == toggleRandNotesEvent)
    {
        randomNotes.store (!isRandomNotesOn(), relaxed);
        getParameterManager().setParameterBool (randNotesStateId, isRandomNotesOn());
        updateNoteStates();
    }
    else if (uid == flattenEvent)
    {
        if (!isTargetEdited())
            beginRandomizer();

        acceptRandomPattern();
        applyThresholds();
    }
    else if ((uid >= firstSetStepEditionEvent && uid < firstSetStepEditionEvent + Pattern::numSteps) ||
             (uid >= firstPressNoteCtrlEvent && uid < firstPressNoteCtrlEvent + numNoteKeys) ||
             (uid >= firstFlagCtrlEvent && uid < firstFlagCtrlEvent + (int) std::size (ctrlEventFlags)))
    {
        handleEditEvent (uid);
    }
}

void Kelvanor::setEditedStepValue (const Step& step)
{
    const int edited = getEditedPattern();
    if (isValidPattern (edited))
        patterns[(size_t) edited].setStep (getEditedStep(), step);
}

void Kelvanor::setEveryStepNote (int noteIndex)
{
    const int edited = getEditedPattern();
    if (!isValidPattern (edited))
        return;

    auto& pattern = patterns[(size_t) edited];
    const Step& model = pattern.getStep (getEditedStep());
    const juce::uint8 octaveUp = model.octaveUp;
    const juce::uint8 octaveDown = model.octaveDown;

    for (int index = 0; index < Pattern::numSteps; ++index)
    {
        Step step = pattern.getStep (index);
        step.note = noteIndex;
        step.octaveUp = octaveUp;
        step.octaveDown = octaveDown;
        pattern.setStep (index, step);
    }

    updateNoteStates();
    updateOctaveStates();
}

//==============================================================================
void Kelvanor::setPatternChain (int a, int b)
{
    a = juce::jlimit (0, numPatternKeys - 1, a);
    b = juce::jlimit (0, numPatternKeys - 1, b);

    chainFirst.store (juce::jmin (a, b), relaxed);
    chainLast.store (juce::jmax (a, b), relaxed);
    chainBank.store (getSelectedBank(), relaxed);
    applyPatternChain();
}

void Kelvanor::extendPatternChain (int key)
{
    key = juce::jlimit (0, numPatternKeys - 1, key);
    const int first = getChainFirst();

    if (first > key)
    {
        chainFirst.store (key, relaxed);
        chainLast.store (first, relaxed);
    }
    else
    {
        chainLast.store (key, relaxed);
    }

    applyPatternChain();
}

void Kelvanor::applyPatternChain()
{
    // A running sequencer moves to the new chain when the playing pattern ends.
    if (!getSequencerClock().isRunning())
    {
        const int playing = getChainFirstPattern();
        playingPattern.store (playing, relaxed);

        if (getEditedPattern() != playing)
            selectEditedPattern (playing);
    }

    if (juce::MessageManager::existsAndIsCurrentThread())
        updatePatternStates();
    else
        chainStatesRefresher.triggerAsyncUpdate();
}

//==============================================================================
void Kelvanor::updateInternalSequencerState()
{
    IntSeqPlugin::updateInternalSequencerState();
    updateThresholdStates();
}

void Kelvanor::updateWriteModeState()
{
    IntSeqPlugin::updateWriteModeState();

    const int before = getEditedPattern();
    const auto mode = getPanelMode();

    if (mode == PanelMode::edit || mode == PanelMode::randomizer)
    {
        // The pattern to edit is the one that plays, or the one that will play at the next start.
        int follow = -1;

        if (isHostModeOn())
        {
            if (isAutoFollowActive())
                follow = getPlayingPattern();
        }
        else
        {
            follow = getSequencerClock().isRunning() ? getPlayingPattern() : getChainFirstPattern();
        }

        if (follow >= 0 && follow != getEditedPattern())
            selectEditedPattern (follow);
    }

    if (getEditedPattern() >= getAddressablePatterns())
        selectEditedPattern (0);

    updateStepEditStates();

    // The base showed the number and name of the pattern edited before.
    if (getEditedPattern() != before)
        updatePatternStates();
}

//==============================================================================
void Kelvanor::updateStepStates()
{
    const auto mode = getPanelMode();
    const int marked = mode == PanelMode::edit || mode == PanelMode::randomizer ? getEditedStep() : -1;

    for (int step = 0; step < Pattern::numSteps; ++step)
        getParameterManager().setParameterBool (firstStepStateId + step, step == marked);
}

void Kelvanor::updateNoteStates()
{
    const auto mode = getPanelMode();
    const Step& step = getPattern (getEditedPattern()).getStep (getEditedStep());
    const int viewStart = getOctaveViewStart();
    const bool chainShown = getChainBank() == getSelectedBank();

    for (int noteIndex = 0; noteIndex < numNoteKeys; ++noteIndex)
    {
        bool on = false;

        switch (mode)
        {
            case PanelMode::randomizer:
                on = isRandomNotesOn() && isNoteAllowed (viewStart + noteIndex);
                break;

            case PanelMode::play:
            {
                const int key = patternKeyOfNoteIndex (noteIndex);
                on = key >= 0 && chainShown && key >= getChainFirst() && key <= getChainLast();
                break;
            }

            case PanelMode::edit: on = step.note == noteIndex; break;
            case PanelMode::off: break;
        }

        getParameterManager().setParameterBool (firstNoteStateId + noteIndex, on);
    }
}

void Kelvanor::updateOctaveStates()
{
    bool lower = false, upper = false;

    switch (getPanelMode())
    {
        case PanelMode::randomizer:
            lower = isLowerOctaveViewOn();
            upper = isUpperOctaveViewOn();
            break;

        case PanelMode::edit:
        {
            const Step& step = getPattern (getEditedPattern()).getStep (getEditedStep());
            lower = step.octaveDown != 0;
            upper = step.octaveUp != 0;
            break;
        }

        case PanelMode::play:
        case PanelMode::off: break;
    }

    getParameterManager().setParameterBool (lowerOctaveStateId, lower);
    getParameterManager().setParameterBool (upperOctaveStateId, upper);
}

void Kelvanor::updateGateAccentSlideStates()
{
    bool states[3] = {false, false, false};

    switch (getPanelMode())
    {
        case PanelMode::randomizer:
            states[0] = isRandomizeGateOn();
            states[1] = isRandomizeAccentOn();
            states[2] = isRandomizeSlideOn();
            break;

        case PanelMode::edit:
        {
            const Step& step = getPattern (getEditedPattern()).getStep (getEditedStep());
            states[0] = step.gate != 0;
            states[1] = step.accent != 0;
            states[2] = step.slide != 0;
            break;
        }

        case PanelMode::play:
        {
            // The three keys choose the bank of the pattern keys.
            const int bank = getSelectedBank();
            for (int i = 0; i < 3; ++i)
                states[i] = i == bank;
            break;
        }

        case PanelMode::off: break;
    }

    for (int i = 0; i < 3; ++i)
        getParameterManager().setParameterBool (gateStateId + i, states[i]);
}

void Kelvanor::updateStepValueStates()
{
    // The level parameters write into the edited step when they change: a refresh must not run again
    // from inside that write.
    if (refreshingStepValues.exchange (true))
        return;

    const bool shown = getPanelMode() == PanelMode::edit && isStepValuesEditionOn();
    const int edited = getEditedPattern();
    const int stepIndex = getEditedStep();
    const Step step = getPattern (edited).getStep (stepIndex);

    getParameterManager().setParameterNormalised (gateLevelId, shown ? (float) step.gateLevel : 0.0f);
    getParameterManager().setParameterNormalised (accentLevelId, shown ? (float) step.accentLevel : 0.0f);
    getParameterManager().setParameterNormalised (slideLevelId, shown ? (float) step.slideLevel : 0.0f);

    // The parameters hold the levels in single precision, and their write rounded the step's levels:
    // showing a step must not change it.
    if (shown && isValidPattern (edited))
        patterns[(size_t) edited].setStep (stepIndex, step);

    refreshingStepValues.store (false);
}

void Kelvanor::updateThresholdStates()
{
    const bool editingValues = getPanelMode() == PanelMode::edit && isStepValuesEditionOn();

    getParameterManager().setParameterBool (stepValuesEditionStateId, editingValues);
    getParameterManager().setParameterBool (thresholdModeStateId, isInternalSequencerOn() && !editingValues);
    updateStepValueStates();
}

bool Kelvanor::isStepValuesEditionOn() const
{
    return stepValuesEdition.load (relaxed);
}

void Kelvanor::setBlinking (int id, bool on)
{
    getParameterManager().setParameterBool (id, on);
}

void Kelvanor::updateBlinkingStates (bool clearFirst)
{
    const int ids[] = {gateBlinkingId,        gateBlinkingId + 1,    gateBlinkingId + 2,
                       lowerOctaveBlinkingId, upperOctaveBlinkingId, randNotesBlinkingId};

    if (clearFirst)
    {
        for (int i = 0; i < numNoteKeys; ++i)
            setBlinking (firstNoteBlinkingId + i, false);
        for (const int id : ids)
            setBlinking (id, false);
    }

    const auto mode = getPanelMode();

    if (mode == PanelMode::randomizer)
    {
        for (int i = 0; i < numNoteKeys; ++i)
            setBlinking (firstNoteBlinkingId + i, true);
        for (const int id : ids)
            setBlinking (id, true);
        return;
    }

    int blinkingNote = -1;

    if (mode == PanelMode::play)
    {
        // The key of the pattern that plays, or comes next.
        const int chainStart = getChainFirstPattern();
        const int chainEnd = getChainLastPattern();
        const auto inChain = [&] (int pattern) { return pattern >= chainStart && pattern <= chainEnd; };
        int pattern = chainStart;

        if (getSequencerClock().isRunning())
        {
            const int playing = getPlayingPattern();
            pattern = inChain (playing) ? playing : (inChain (playing + 1) ? playing + 1 : chainStart);
        }

        blinkingNote = patternKeyNoteIndices[pattern % numPatternKeys];
    }

    for (int i = 0; i < numNoteKeys; ++i)
        setBlinking (firstNoteBlinkingId + i, i == blinkingNote);

    const int bank = mode == PanelMode::play ? getSelectedBank() : -1;
    for (int i = 0; i < 3; ++i)
        setBlinking (gateBlinkingId + i, i == bank);

    setBlinking (lowerOctaveBlinkingId, false);
    setBlinking (upperOctaveBlinkingId, false);
    setBlinking (randNotesBlinkingId, false);
}
