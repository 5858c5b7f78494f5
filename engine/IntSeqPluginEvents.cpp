#include "engine/IntSeqPlugin.h"

void IntSeqPlugin::handleEvent (int uid)
{
    const bool on = isInternalSequencerOn();
    const bool editing = isEditing();
    const bool randomizing = isRandomizerOn();

    if (uid >= firstSetPatternLengthEvent && uid <= lastSequencerEventId)
    {
        if (editing && isLengthModeOn())
            setPatternLength (getEditedPattern(), uid - firstSetPatternLengthEvent + 1);
        return;
    }

    switch (uid)
    {
        case toggleInternalSequencerEvent: setInternalSequencer (!on); break;

        case toggleInternalSyncEvent:
            if (on)
                setInternalSync (!isInternalSyncOn());
            break;

        case toggleHostModeEvent:
            if (on)
                setHostMode (!isHostModeOn());
            break;

        case toggleNoteOffModeEvent:
            if (on)
                setNoteOffMode (!isNoteOffModeOn());
            break;

        case togglePatternWriteModeEvent:
            if (on && !isHostModeOn())
                setWriteMode (!isWriteModeOn());
            break;

        case toggleAutoFollowModeEvent:
            if (isAutoFollowAvailable())
                setAutoFollow (!isAutoFollowOn());
            break;

        case toggleRandomizerEvent:
            if (editing)
            {
                randomizer.store (!randomizing, relaxed);

                if (!randomizing)
                {
                    // The randomizer and length mode share the panel's step keys.
                    lengthMode.store (false, relaxed);
                    updateLengthModeState();
                    beginRandomizer();
                }
                else
                {
                    endRandomizer();
                }

                updateRandomizerState();
            }
            break;

        case toggleLengthModeEvent:
            if (editing)
            {
                const bool nowOn = !isLengthModeOn();
                lengthMode.store (nowOn, relaxed);

                if (nowOn && randomizing)
                {
                    randomizer.store (false, relaxed);
                    endRandomizer();
                    updateRandomizerState();
                }

                updateLengthModeState();
            }
            break;

        case startStopEvent:
            if (on)
                request.store (getPlayState() == running ? stopped : running, relaxed);
            break;

        case startEvent:
            if (on)
                request.store (running, relaxed);
            break;

        case stopEvent:
            if (on)
                request.store (stopped, relaxed);
            break;

        case shiftLeftEvent:
        case shiftRightEvent:
            if (editing && !randomizing)
            {
                if (uid == shiftLeftEvent)
                    shiftPatternLeft (getEditedPattern());
                else
                    shiftPatternRight (getEditedPattern());
            }
            break;

        case prevEvent:
        case nextEvent:
            if (editing)
            {
                if (randomizing)
                {
                    if (uid == prevEvent)
                        previousRandomPattern();
                    else
                        nextRandomPattern();
                }
                else if (!isAutoFollowActive())
                {
                    // While auto follow is active the edited pattern is the playing one.
                    if (uid == prevEvent)
                        selectPreviousPattern();
                    else
                        selectNextPattern();
                }
            }
            break;

        case acceptEvent:
            if (editing && randomizing)
            {
                acceptRandomPattern();
                updateRandomizerState();
            }
            break;

        case undoEvent:
            if (isRandomizerActive())
            {
                undoRandomPattern();
                updateRandomizerState();
            }
            else if (editing)
            {
                if (clipboardFull)
                    clearClipboard();
                else
                    undoClearPattern();
            }
            break;

        case copyEvent:
            if (editing && !randomizing)
                copyPattern();
            break;

        case pasteEvent:
            if (clipboardFull && editing && !randomizing)
                pastePattern();
            break;

        case clearEvent:
            // While the clipboard is full, "Undo" empties it and could not bring a cleared pattern back.
            if (editing && !randomizing && !isLengthModeOn() && !clipboardFull)
                clearPattern();
            break;

        case clear2ndEvent:
        case loadPatternsEvent:
        case savePatternsEvent:
            // "Clear 2nd" is the product's; the file events are the editor's.
            break;

        default: BasePluginOldStyle::handleEvent (uid); break;
    }
}

//==============================================================================
void IntSeqPlugin::parameterChanged (Parameter* parameter)
{
    if (parameter == nullptr)
        return;

    const bool editing = isEditing();

    switch (parameter->getId())
    {
        case patternNameId:
            if (editing)
                setPatternName (getEditedPattern(), parameter->getValueText());
            break;

        case patternTempoId:
            if (editing && isInternalSyncOn())
            {
                const double minTempo = getMinTempo();
                const double maxTempo = getMaxTempo();
                setPatternTempo (getEditedPattern(),
                                 minTempo + (double) parameter->getValueNormalised() * (maxTempo - minTempo));
            }
            break;

        case patternShuffleId:
            if (editing)
            {
                // Single precision, so a knob at 0.505 gives 51.
                const int shuffle = nearestInt (parameter->getValueNormalised() * 100.0f);
                setPatternShuffle (getEditedPattern(), juce::jlimit (0, 100, shuffle));
            }
            break;

        default: BasePluginOldStyle::parameterChanged (parameter); break;
    }
}
