#include "engine/IntSeqPlugin.h"

#include <cmath>

namespace
{
/** "Step 01" .. "Step 16". */
juce::String stepPrefix (int step)
{
    return "Step " + juce::String (step + 1).paddedLeft ('0', 2);
}

/** MIDI control keys outside host mode: the white keys from C1 (note 12) are pattern keys 0..7. */
int patternKeyOfNote (int note)
{
    switch (note)
    {
        case 12: return 0;
        case 14: return 1;
        case 16: return 2;
        case 17: return 3;
        case 19: return 4;
        case 21: return 5;
        case 23: return 6;
        case 24: return 7;
        default: return -1;
    }
}

/** D2, E2 and F2 select the three banks of eight patterns. */
int bankOfNote (int note)
{
    switch (note)
    {
        case 26: return 0;
        case 28: return 1;
        case 29: return 2;
        default: return -1;
    }
}

constexpr int lowestCNote = 0;
} // namespace

IntSeqPlugin::IntSeqPlugin()
{
    useLayeredInitialise = true;
}

IntSeqPlugin::~IntSeqPlugin()
{
    patternStatesRefresher.cancelPendingUpdate();
}

//==============================================================================
void IntSeqPlugin::initialise()
{
    // Parameters first: the base's initialisation makes this processor a listener of every parameter
    // that exists at that moment.
    createSequencerParameters();
    registerSequencerEvents();

    BasePluginOldStyle::initialise();

    setInternalSequencer (defaultInternalSequencer);
    setInternalSync (defaultInternalSync);
    setHostMode (defaultHostMode);
    setNoteOffMode (defaultNoteOffMode);

    for (int i = 0; i < getNumPatterns(); ++i)
        setPatternName (i, "Pattern " + juce::String (i + 1));

    loadDefaultPatterns();
    updatePatternStates();
}

void IntSeqPlugin::createSequencerParameters()
{
    auto& manager = getParameterManager();
    const auto addState = [&manager] (int id, const juce::String& name)
    { manager.addParameter (std::make_unique<BoolParameter> (id, name)); };

    addState (internalSequencerStateId, "Internal Sequencer State");
    addState (internalSyncStateId, "Internal Sync State");
    addState (hostModeStateId, "Host Mode State");
    addState (noteOffStateId, "Note Off State");
    addState (playStateId, "Play State");
    addState (writeModeStateId, "Write Mode State");
    addState (writeModeActivityId, "Write Mode Activity");
    addState (autoFollowStateId, "Auto Follow State");
    addState (randomizerStateId, "Randomizer State");
    addState (lengthModeStateId, "Length Mode State");
    addState (clipboardStateId, "Clipboard State");
    addState (nativeModeReadyStateId, "Native Mode Ready State");
    manager.addParameter (std::make_unique<IntParameter> (patternNumberId, "Pattern Number", 0, 127, 0));
    manager.addParameter (std::make_unique<StringParameter> (patternNameId, "Pattern Name"));
    addState (patternNameEditionStateId, "Pattern Name Edition State");

    const auto minTempo = (float) getMinTempo();
    const auto maxTempo = (float) getMaxTempo();
    manager.addParameter (std::make_unique<FloatParameter> (
        patternTempoId, "Pattern Tempo", minTempo, maxTempo,
        juce::jlimit (minTempo, juce::jmax (minTempo, maxTempo), (float) getDefaultTempo())));
    addState (patternTempoStateId, "Pattern Tempo State");
    manager.addParameter (
        std::make_unique<FloatParameter> (patternShuffleId, "Pattern Shuffle", 0.0f, 100.0f, 0.0f));

    for (int step = 0; step < numSequencerSteps; ++step)
        addState (firstStepStateId + step, stepPrefix (step) + " State");
    for (int step = 0; step < numSequencerSteps; ++step)
        addState (firstStepBlinkingId + step, stepPrefix (step) + " Blinking");
    for (int step = 0; step < numSequencerSteps; ++step)
        addState (firstStepInverseId + step, stepPrefix (step) + " Inverse");
    for (int step = 0; step < numSequencerSteps; ++step)
        addState (firstStepLengthStateId + step, stepPrefix (step) + " Length State");
}

void IntSeqPlugin::registerSequencerEvents()
{
    static const char* const names[] = {"Toggle Internal Sequencer",
                                        "Toggle Internal Sync",
                                        "Toggle Host Mode",
                                        "Toggle Note Off Mode",
                                        "Toggle Pattern Write Mode",
                                        "Toggle Auto Follow Mode",
                                        "Toggle Randomizer",
                                        "Toggle Length Mode",
                                        "Start/Stop",
                                        "Start",
                                        "Stop",
                                        "Shift Left",
                                        "Shift Right",
                                        "Prev",
                                        "Next",
                                        "Accept",
                                        "Undo",
                                        "Copy",
                                        "Paste",
                                        "Clear",
                                        "Clear 2nd",
                                        "Load Patterns",
                                        "Save Patterns"};

    auto& events = getEventsMap();
    int uid = toggleInternalSequencerEvent;
    for (const auto* name : names)
        events.addEvent (uid++, name);

    for (int length = 1; length <= numSequencerSteps; ++length)
        events.addEvent (uid++, "Set Pattern Length To " + juce::String (length).paddedLeft ('0', 2));
}

void IntSeqPlugin::loadDefaultPatterns()
{
    switch (defaultPatternsChoice)
    {
        case factoryPatterns: loadPatternBankByPath ("default" + getPatternBankFileExtension()); break;
        case userDefinedPatterns:
            if (userPatternsFile.existsAsFile() && !loadPatternBankFile (userPatternsFile))
                reportProblem ("The default pattern bank " + userPatternsFile.getFullPathName() +
                               " could not be loaded; the patterns start empty.");
            break;
        default: break; // clear patterns: the empty patterns stay
    }
}

//==============================================================================
void IntSeqPlugin::setInternalSequencer (bool shouldBeOn)
{
    if (internalSequencer.exchange (shouldBeOn, relaxed) != shouldBeOn)
        internalSequencerSwitched (shouldBeOn);

    updateInternalSequencerState();
}

void IntSeqPlugin::setInternalSync (bool shouldBeOn)
{
    internalSync.store (shouldBeOn, relaxed);
    updateInternalSyncState();
}

void IntSeqPlugin::setHostMode (bool shouldBeOn)
{
    if (hostMode.exchange (shouldBeOn, relaxed) != shouldBeOn)
        hostModeSwitched (shouldBeOn);

    updateHostModeState();
}

void IntSeqPlugin::setNoteOffMode (bool shouldBeOn)
{
    noteOffMode.store (shouldBeOn, relaxed);
    updateNoteOffState();
}

void IntSeqPlugin::setWriteMode (bool shouldBeOn)
{
    writeMode.store (shouldBeOn, relaxed);
    updateWriteModeState();
}

void IntSeqPlugin::setAutoFollow (bool shouldBeOn)
{
    autoFollow.store (shouldBeOn, relaxed);
    updateAutoFollowState();
}

void IntSeqPlugin::setHostPlayDetection (int detection)
{
    if (detection == byTransportChange || detection == byLowestCNoteOn)
        hostPlayDetection.store (detection, relaxed);
}

bool IntSeqPlugin::isEditing() const noexcept
{
    return isInternalSequencerOn() && (isWriteModeOn() || isHostModeOn());
}

bool IntSeqPlugin::isRandomizerActive() const noexcept
{
    return isEditing() && isRandomizerOn();
}

int IntSeqPlugin::getShownPattern() const
{
    return isEditing() ? getEditedPattern() : getPlayingPattern();
}

//==============================================================================
void IntSeqPlugin::setState (int id, bool on)
{
    getParameterManager().setParameterBool (id, on);
}

void IntSeqPlugin::setEditedPatternShuffleState()
{
    getParameterManager().setParameterValue (patternShuffleId,
                                             (float) getPatternShuffle (getEditedPattern()));
}

void IntSeqPlugin::updateHostDisplayForFruityLoops()
{
    // FL Studio shows the pattern name and modes only when told that the display changed.
    if (isHostFruityLoops())
        updateHostDisplay();
}

void IntSeqPlugin::updateInternalSequencerState()
{
    setState (internalSequencerStateId, isInternalSequencerOn());
    updateHostDisplayForFruityLoops();
    updateInternalSyncState();
    updateHostModeState();
    updateNoteOffState();
    updateWriteModeState();
    updatePatternTempoState();
    updatePatternNumberState();
    updateNativeModeReadyState();
}

void IntSeqPlugin::updateInternalSyncState()
{
    setState (internalSyncStateId, isInternalSequencerOn() && isInternalSyncOn());
    updatePatternTempoState();
}

void IntSeqPlugin::updateHostModeState()
{
    setState (hostModeStateId, isInternalSequencerOn() && isHostModeOn());
    updateHostDisplayForFruityLoops();
    updateWriteModeState();
    updatePatternNameState();
    updatePatternNumberState();
    updateNativeModeReadyState();
    updatePatternTempoState();
}

void IntSeqPlugin::updateNoteOffState()
{
    setState (noteOffStateId, isInternalSequencerOn() && isNoteOffModeOn());
}

void IntSeqPlugin::updateWriteModeState()
{
    updateAutoFollowState();
    updateRandomizerState();
    updateLengthModeState();
    updatePatternLengthStates();
    updatePatternNumberState();
    updatePatternNameState();
    setState (patternNameEditionStateId, isEditing());
    updatePatternTempoState();
    setEditedPatternShuffleState();
    updateNativeModeReadyState();
    setState (writeModeStateId, isEditing());
    setState (writeModeActivityId, isInternalSequencerOn() && !isHostModeOn());
}

bool IntSeqPlugin::isAutoFollowAvailable() const
{
    return isEditing() && !isLengthModeOn();
}

bool IntSeqPlugin::isAutoFollowActive() const
{
    return isAutoFollowAvailable() && isAutoFollowOn();
}

void IntSeqPlugin::updateAutoFollowState()
{
    setState (autoFollowStateId, isAutoFollowActive());
    setState (patternNameEditionStateId, isEditing());
}

void IntSeqPlugin::updateRandomizerState()
{
    setState (randomizerStateId, isRandomizerActive());
}

void IntSeqPlugin::updateLengthModeState()
{
    setState (lengthModeStateId, isEditing() && isLengthModeOn());
    updateAutoFollowState();
}

void IntSeqPlugin::updateNativeModeReadyState()
{
    setState (nativeModeReadyStateId,
              isInternalSequencerOn() && !isWriteModeOn() && !isHostModeOn() && !clock.isRunning());
}

void IntSeqPlugin::updatePatternNumberState()
{
    int number = 0;

    // In host mode the number is the MIDI note that selects the pattern.
    if (isInternalSequencerOn())
        number = isHostModeOn()    ? getEditedPattern() + firstHostModeNote
                 : isWriteModeOn() ? getEditedPattern() + 1
                                   : getPlayingPattern() + 1;

    getParameterManager().setParameterInt (patternNumberId, number);
}

void IntSeqPlugin::updatePatternNameState()
{
    getParameterManager().setParameterString (
        patternNameId, isInternalSequencerOn() ? getPatternName (getShownPattern()) : juce::String());
}

void IntSeqPlugin::updatePatternLengthStates()
{
    const int length = isInternalSequencerOn() ? getPatternLength (getShownPattern()) : 0;

    for (int step = 0; step < numSequencerSteps; ++step)
        setState (firstStepLengthStateId + step, step < length);
}

void IntSeqPlugin::updatePatternTempoState()
{
    // Off, the tempo reads as low as the parameter's range allows.
    getParameterManager().setParameterValue (
        patternTempoId, isInternalSequencerOn() ? (float) getPatternTempo (getShownPattern()) : 0.0f);
    setState (patternTempoStateId, isEditing() && isInternalSyncOn());
}

void IntSeqPlugin::updateStepInverseStates()
{
    int playedStep = -1;

    // While another pattern than the playing one is edited, no step lights.
    if (clock.isRunning() && (!isEditing() || isEditedPatternPlaying() || isAutoFollowActive()))
        playedStep = getPlayingStep();

    for (int step = 0; step < numSequencerSteps; ++step)
        setState (firstStepInverseId + step, step == playedStep);
}

void IntSeqPlugin::updatePatternStates()
{
    updatePatternLengthStates();
    updatePatternNumberState();
    updatePatternNameState();
    setEditedPatternShuffleState();
    updatePatternTempoState();
    updateNativeModeReadyState();
}

//==============================================================================
void IntSeqPlugin::setPatternName (int, const juce::String&)
{
    updatePatternNameState();
    updateHostDisplayForFruityLoops();
}

void IntSeqPlugin::setPatternLength (int, int)
{
    updatePatternLengthStates();
}

void IntSeqPlugin::setPatternTempo (int, double)
{
    updatePatternTempoState();
}

void IntSeqPlugin::setPatternShuffle (int, int)
{
    setEditedPatternShuffleState();
}

void IntSeqPlugin::copyPattern()
{
    clipboardFull = true;
    setState (clipboardStateId, true);
}

void IntSeqPlugin::pastePattern()
{
    IntSeqPlugin::clearClipboard();
    updatePatternStates();
}

void IntSeqPlugin::clearClipboard()
{
    clipboardFull = false;
    setState (clipboardStateId, false);
}

void IntSeqPlugin::startSequencer()
{
    clock.start();
}

void IntSeqPlugin::stopSequencer()
{
    // Whoever stops (host transport, host-mode key, all notes off, the product), the next "Start" starts.
    setPlayState (stopped);
    clock.stop();
    hostSelectedPattern.store (-1, relaxed);
    hostNoteHoldCount.store (0, relaxed);
    startedByNote.store (false, relaxed);
}

void IntSeqPlugin::setHostSelectedPattern (int pattern)
{
    hostSelectedPattern.store (pattern, relaxed);
}

//==============================================================================
IntSeqPlugin::SequencerModes IntSeqPlugin::getSequencerModes() const
{
    SequencerModes modes;
    modes.internalSequencer = isInternalSequencerOn();
    modes.internalSync = isInternalSyncOn();
    modes.hostMode = isHostModeOn();
    modes.noteOffMode = isNoteOffModeOn();
    modes.selfReset = isSelfResetOn();
    modes.writeMode = isWriteModeOn();
    modes.autoFollow = isAutoFollowOn();
    modes.randomizer = isRandomizerOn();
    modes.lengthMode = isLengthModeOn();
    modes.hostPlayDetection = getHostPlayDetection();
    return modes;
}

void IntSeqPlugin::followHostTransport (const SequencerModes& modes,
                                        const juce::Optional<juce::AudioPlayHead::PositionInfo>& position)
{
    if (!position.hasValue())
        return;

    const bool wasPlaying = hostPlaying;
    hostPlaying = position->getIsPlaying();

    // Hosts report tempo 0 when they have none; a clock cannot run at it.
    if (const auto bpm = position->getBpm(); bpm.hasValue() && std::isfinite (*bpm) && *bpm > 0.0)
        hostTempo = *bpm;

    if (const auto ppq = position->getPpqPosition(); ppq.hasValue() && std::isfinite (*ppq))
        hostPosition = *ppq;

    const bool followsTransport = modes.hostPlayDetection == byTransportChange;

    if (!hostPlaying && wasPlaying)
    {
        stopSequencer();
    }
    else if (hostPlaying && followsTransport && modes.internalSequencer && !modes.hostMode &&
             (!clock.isRunning() || getPlayState() == running))
    {
        // The host's start takes over from a start by the editor's button.
        stopSequencer();
        startSequencer();
    }

    if (!modes.internalSync)
        clock.setTempo (hostTempo);

    // Only a playing host moves its position: following a stopped one would hold the clock on one step.
    if (modes.internalSequencer && !modes.hostMode && !modes.internalSync && hostPlaying &&
        (followsTransport || isStartedByNote()))
        clock.setPosition (hostPosition);
}

void IntSeqPlugin::serveStartStopRequest (const SequencerModes& modes)
{
    const int requested = request.exchange (noRequest, relaxed);

    if (!modes.internalSequencer || modes.hostMode || hostPlaying)
        return;

    if ((requested != running && requested != stopped) || requested == getPlayState())
        return;

    stopSequencer();

    if (requested == running)
        startSequencer();

    setPlayState (requested);
}

void IntSeqPlugin::applyPatternTiming (const SequencerModes& modes)
{
    const int playing = getPlayingPattern();

    // At most 60 % of a step, computed in single precision.
    const auto shuffle = (float) juce::jlimit (0, 100, getPatternShuffle (playing)) * 0.01f * 0.6f;
    clock.setShuffle (shuffle);

    if (modes.internalSync)
        clock.setTempo (getPatternTempo (playing));
}

void IntSeqPlugin::handleSequencerNote (const SequencerModes& modes, const juce::MidiMessage& message)
{
    if (!modes.internalSequencer || !message.isNoteOnOrOff())
        return;

    if (modes.hostMode)
        handleHostModeNote (modes, message);
    else
        handleControlKey (modes, message);
}

void IntSeqPlugin::restartSequencer()
{
    startSequencer();
    clock.rewind();
    sequencerRewound();
}

void IntSeqPlugin::handleHostModeNote (const SequencerModes& modes, const juce::MidiMessage& message)
{
    const int note = message.getNoteNumber();
    if (note < firstHostModeNote || note > lastHostModeNote)
        return;

    const int pattern = note - firstHostModeNote;
    const int previous = getHostSelectedPattern();

    if (message.isNoteOn())
    {
        hostNoteHoldCount.store (pattern == previous ? getHostNoteHoldCount() + 1 : 1, relaxed);
        setHostSelectedPattern (pattern);

        if (!clock.isRunning() || modes.selfReset || pattern != previous)
            restartSequencer();
    }
    else if (pattern == previous && getHostNoteHoldCount() > 0)
    {
        // A release that no press counted (the sequencer stopped in between) leaves the count at 0.
        const int remaining = getHostNoteHoldCount() - 1;
        hostNoteHoldCount.store (remaining, relaxed);

        if (remaining == 0 && (modes.noteOffMode || !hostPlaying))
            stopSequencer();
    }
}

void IntSeqPlugin::handleControlKey (const SequencerModes& modes, const juce::MidiMessage& message)
{
    const int note = message.getNoteNumber();
    const int key = patternKeyOfNote (note);

    if (!message.isNoteOn())
    {
        if (key >= 0 && key == heldPatternKey)
            heldPatternKey = -1;
        return;
    }

    if (key >= 0)
    {
        // A key pressed while another is held chains the two, within the bank the chain lies in.
        const bool extends = heldPatternKey >= 0 && getChainBank() == getSelectedBank();
        setPatternChain (extends ? heldPatternKey : key, key);
        heldPatternKey = key;
    }
    else if (const int bank = bankOfNote (note); bank >= 0)
    {
        selectPatternBank (bank);
    }
    else if (note == lowestCNote && modes.hostPlayDetection == byLowestCNoteOn &&
             (!clock.isRunning() || getPlayState() == running))
    {
        stopSequencer();
        // After the stop, which forgets a previous lowest-C start.
        startedByNote.store (true, relaxed);
        startSequencer();
    }
}

bool IntSeqPlugin::tickSequencer (const SequencerModes& modes)
{
    if (!clock.tick())
        return false;

    if (clock.isGateOn())
        sequencerStepStarted();
    else
        sequencerGateEnded();

    // The step may have moved to the next pattern of the chain.
    if (modes.internalSequencer)
        applyPatternTiming (modes);

    return true;
}

void IntSeqPlugin::finishSequencerBlock (const SequencerModes& modes)
{
    if (modes.internalSequencer)
    {
        const bool editingBlocksFollow = modes.randomizer || modes.lengthMode || !modes.autoFollow;
        const bool blocked = modes.hostMode ? editingBlocksFollow : (modes.writeMode && editingBlocksFollow);

        if (!blocked && clock.isRunning() && followPlayingPattern())
            patternStatesRefresher.triggerAsyncUpdate();
    }

    // Compared with the parameter, not with the block's start: a stop between blocks (prepareToPlay)
    // must not leave the light on. The parameter tells its listeners only when the value changes.
    setState (playStateId, isInternalSequencerOn() && clock.isRunning());
}
