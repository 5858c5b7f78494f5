#pragma once

#include "engine/ShuffledClock.h"
#include "framework/BasePluginOldStyle.h"
#include "vst/BoundedXml.h"

#include <atomic>
#include <cmath>
#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>
#include <memory>

/** The processor level that gives the plug-in its internal step sequencer.

    It holds the sequencer's mode switches, the state parameters 200000-200081 through which the editor
    shows them, the events 2000-2038, the editor's pending start/stop request and the sequencer clock. It
    holds no pattern: the product stores the patterns and plays the steps through the virtual hooks
    below, whose defaults here only refresh the state parameters.

    Threads: events, the parameter listener, settings and pattern files run on the message thread (state
    restore on the host's thread). The audio callback of the product drives the clock through the
    "Audio thread" operations at the end, once per block or per sample; it is the only writer of the play
    state. Mode switches and the request are relaxed atomics written whole by one side and read by the
    other at the next block. */
class IntSeqPlugin : public BasePluginOldStyle
{
public:
    /** State parameters; the editor binds them by name. */
    enum ParameterId
    {
        internalSequencerStateId = 200000,
        internalSyncStateId = 200001,
        hostModeStateId = 200002,
        noteOffStateId = 200003,
        playStateId = 200004,
        writeModeStateId = 200005,
        writeModeActivityId = 200006,
        autoFollowStateId = 200007,
        randomizerStateId = 200008,
        lengthModeStateId = 200009,
        clipboardStateId = 200010,
        nativeModeReadyStateId = 200011,
        patternNumberId = 200012,
        patternNameId = 200013,
        patternNameEditionStateId = 200014,
        patternTempoId = 200015,
        patternTempoStateId = 200016,
        patternShuffleId = 200017,
        firstStepStateId = 200018,       // "Step 01 State" .. "Step 16 State"
        firstStepBlinkingId = 200034,    // "Step 01 Blinking" ..
        firstStepInverseId = 200050,     // "Step 01 Inverse" ..
        firstStepLengthStateId = 200066, // "Step 01 Length State" ..
        lastSequencerParameterId = 200081
    };

    enum EventId
    {
        toggleInternalSequencerEvent = 2000,
        toggleInternalSyncEvent = 2001,
        toggleHostModeEvent = 2002,
        toggleNoteOffModeEvent = 2003,
        togglePatternWriteModeEvent = 2004,
        toggleAutoFollowModeEvent = 2005,
        toggleRandomizerEvent = 2006,
        toggleLengthModeEvent = 2007,
        startStopEvent = 2008,
        startEvent = 2009,
        stopEvent = 2010,
        shiftLeftEvent = 2011,
        shiftRightEvent = 2012,
        prevEvent = 2013,
        nextEvent = 2014,
        acceptEvent = 2015,
        undoEvent = 2016,
        copyEvent = 2017,
        pasteEvent = 2018,
        clearEvent = 2019,
        clear2ndEvent = 2020,
        loadPatternsEvent = 2021,
        savePatternsEvent = 2022,
        firstSetPatternLengthEvent = 2023, // "Set Pattern Length To 01" .. 2038 "... To 16"
        lastSequencerEventId = 2038
    };

    static constexpr int numSequencerSteps = 16;

    /** In host mode these notes and those between select patterns 0..95. */
    static constexpr int firstHostModeNote = 12;
    static constexpr int lastHostModeNote = 107;

    /** The rounding of every normalised-value mapping: floor (x + 0.5) in single precision. */
    static int nearestInt (float x) noexcept { return (int) std::floor (x + 0.5f); }

    enum HostPlayDetection
    {
        byTransportChange = 0,
        byLowestCNoteOn = 1
    };

    /** Values of the play state and of the start/stop request (0 = no request). */
    enum RunState
    {
        noRequest = 0,
        running = 1,
        stopped = 2
    };

    enum DefaultPatternsChoice
    {
        factoryPatterns = 0,
        clearPatterns = 1,
        userDefinedPatterns = 2
    };

    /** Sets the layered start-up; creates the clock. Reads no file and adds no parameter. */
    IntSeqPlugin();
    ~IntSeqPlugin() override;

    //==============================================================================
    // Processor chain

    /** Creates the sequencer parameters and events, runs the base's late initialisation (user settings),
        applies the default modes, names the patterns and fills them by the default-patterns choice.
        Message thread. */
    void initialise() override;

    /** Synchronous, on the thread that changed the parameter: pattern name, tempo and shuffle edits go to
        the edited pattern; every other id goes on to the base. */
    void parameterChanged (Parameter* parameter) override;

    /** The sequencer events 2000-2038; an event whose condition fails does nothing. Message thread. */
    void handleEvent (int uid) override;

    void readUserSettings (const juce::XmlElement& root) override;
    /** The base's document with the sequencer section appended. */
    std::unique_ptr<juce::XmlElement> createUserSettingsXml() override;
    void readResourcesSettings (const juce::XmlElement& xml) override;
    /** The base's element with "Patterns" as its second child. */
    std::unique_ptr<juce::XmlElement> createResourcesSettingsXml() override;
    void applyStateXml (const juce::XmlElement& xml) override;
    /** The base's state with "InternalSequencer" appended last. */
    std::unique_ptr<juce::XmlElement> createStateXml() override;

    //==============================================================================
    // Hooks, in the order the product overrides them. Defaults refresh the state parameters only; the
    // product does the data work and then calls these. Message thread unless stated.

    virtual void readAudioOutputSettings (const juce::XmlElement&) {}
    virtual std::unique_ptr<juce::XmlElement> createAudioOutputSettingsXml() { return nullptr; }

    virtual void updateInternalSequencerState();
    /** The internal sequencer was switched on or off. */
    virtual void internalSequencerSwitched (bool /*isOn*/) {}
    virtual void updateInternalSyncState();
    virtual void updateHostModeState();
    /** Host mode was switched on or off. */
    virtual void hostModeSwitched (bool /*isOn*/) {}
    virtual void updateNoteOffState();
    virtual void updateWriteModeState();
    /** On, editing, not in length mode. */
    virtual bool isAutoFollowAvailable() const;
    virtual bool isAutoFollowActive() const;
    virtual void updateAutoFollowState();

    virtual void beginRandomizer() {}
    virtual void endRandomizer() {}
    virtual bool nextRandomPattern() { return true; }
    virtual bool previousRandomPattern() { return true; }
    virtual void acceptRandomPattern() {}
    virtual void undoRandomPattern() {}
    virtual void updateRandomizerState();
    virtual void updateLengthModeState();

    virtual void selectNextPattern() { updatePatternStates(); }
    virtual void selectPreviousPattern() { updatePatternStates(); }

    // The pattern store. Getters are read on the audio thread as well: they must not lock or allocate
    // (the name excepted, which only the message thread reads).
    virtual int getEditedPattern() const { return 0; }
    virtual int getPlayingPattern() const { return 0; }
    virtual int getNumPatterns() const { return 0; }
    virtual juce::String getPatternName (int /*index*/) const { return {}; }
    virtual void setPatternName (int index, const juce::String& name);
    virtual int getPatternLength (int /*index*/) const { return numSequencerSteps; }
    virtual void setPatternLength (int index, int length);
    virtual double getMinTempo() const { return 30.0; }  // beats per minute
    virtual double getMaxTempo() const { return 300.0; } // beats per minute
    virtual double getDefaultTempo() const { return 120.0; }
    virtual double getPatternTempo (int /*index*/) const { return 120.0; }
    virtual void setPatternTempo (int index, double tempo);
    /** 0..100. */
    virtual int getPatternShuffle (int /*index*/) const { return 0; }
    virtual void setPatternShuffle (int index, int shuffle);

    /** The edited pattern; the product copies it aside first. */
    virtual void clearPattern() {}
    virtual void copyPattern();
    virtual void pastePattern();
    virtual void clearClipboard();
    virtual void undoClearPattern() {}
    virtual void shiftPatternLeft (int /*index*/) {}
    virtual void shiftPatternRight (int /*index*/) {}

    virtual void updateNativeModeReadyState();

    /** Audio thread mostly (transport, keys, requests); also the message thread through the product's
        actions. The product picks the pattern to play and then calls this. */
    virtual void startSequencer();
    /** Stops the clock as its owner, marks the play state stopped and forgets the host-mode selection and
        the lowest-C start. */
    virtual void stopSequencer();
    /** Audio thread (host-mode keys). */
    virtual void setHostSelectedPattern (int pattern);

    /** Audio thread, from the clock: a step starts / its gate ends. */
    virtual void sequencerStepStarted() {}
    virtual void sequencerGateEnded() {}
    virtual int getPlayingStep() const { return 0; }
    virtual bool isEditedPatternPlaying() const { return false; }
    /** Audio thread: makes the playing pattern the edited one; true when that changed the edited pattern. */
    virtual bool followPlayingPattern() { return false; }

    /** Marks the step being played, while the panel shows the playing pattern. */
    virtual void updateStepInverseStates();
    virtual void updatePatternStates();

    // Hooks the MIDI control keys use (audio thread); the product keeps the chain and the banks.
    /** A chain of pattern keys a..b (0..7, either order) of the selected bank. */
    virtual void setPatternChain (int /*a*/, int /*b*/) {}
    virtual int getChainBank() const { return 0; }
    virtual int getSelectedBank() const { return 0; }
    /** A bank key (0..2) was pressed. */
    virtual void selectPatternBank (int /*bank*/) {}
    virtual bool isSelfResetOn() const { return false; }
    /** The clock was put back to its first step without stopping: the next step played is step 0 of the
        playing pattern, without advancing. */
    virtual void sequencerRewound() {}

    //==============================================================================
    // Pattern XML and files

    /** A "Pattern" naming this product, both compared ignoring case. */
    virtual bool isPatternXml (const juce::XmlElement& xml) const;
    /** True when the element is a pattern this product may read into the index; the product then reads
        it, unless its name would take the patterns beyond maxPatternNameBytes. */
    virtual bool loadPatternFromXml (const juce::XmlElement& xml, int index);
    /** Reads the own patterns given, in order, into the patterns from 0: a bank's. False, with every
        pattern unchanged, when the product cannot hold them all (see maxPatternNameBytes). */
    virtual bool loadPatternsFromXml (const juce::Array<const juce::XmlElement*>& elements);
    /** A "Pattern" element with "application" for the product to fill; null for an index out of range. */
    virtual std::unique_ptr<juce::XmlElement> createPatternXml (int index) const;

    virtual int getNumExtraPatternFileExtensions() const { return 0; }
    virtual juce::String getExtraPatternFileExtension (int /*index*/) const { return {}; }
    /** ".klptr" in the product. */
    virtual juce::String getPatternFileExtension() const;
    /** False, with the pattern unchanged, when the file does not parse or holds no own pattern. */
    virtual bool loadPatternFile (const juce::File& file, int index);
    /** False when there is no such pattern or the file cannot be written (an old file then stays). */
    virtual bool savePatternFile (const juce::File& file, int index);

    virtual int getNumExtraPatternBankFileExtensions() const { return 0; }
    virtual juce::String getExtraPatternBankFileExtension (int /*index*/) const { return {}; }
    /** ".klptrb" in the product. */
    virtual juce::String getPatternBankFileExtension() const;
    /** False, with every pattern unchanged, when the file does not parse, holds no own pattern under a
        "PatternBank" root, or its patterns are too large to hold. */
    virtual bool loadPatternBankFile (const juce::File& file);
    virtual bool savePatternBankFile (const juce::File& file);
    /** An embedded bank named NAME.TYPE; false when it is missing or does not parse. */
    virtual bool loadPatternBankByPath (const juce::String& name);

    /** A "PatternBank" (any case): its own patterns fill the patterns from 0 in order; other children
        use no index; patterns beyond the last one read keep their content. Gives the number of patterns
        read, or -1 for a bank the product cannot hold, which changes nothing (another element reads none). */
    int readPatternBankXml (const juce::XmlElement& xml);

    /** The most the patterns' names may take in a written state, in bytes: as for the preset bank (see
        maxBankTextBytes), what an 8 MB pattern bank file of names in any script becomes at most. */
    static constexpr size_t maxPatternNameBytes = 28 * 1024 * 1024;
    /** What the patterns' names take in a written state now. */
    size_t getPatternNameBytes() const;

    /** All of the state but the names the two bounds count: 36 parameters, 128 presets of 33 values with
        their names' uncounted bytes, 96 patterns of 16 steps, 128 controller assignments and the switches
        come to less than half a megabyte written. So every state the plug-in can hold, written, is read
        back. */
    static constexpr size_t maxFixedStateBytes = 1024 * 1024;
    static_assert (maxBankTextBytes + maxPatternNameBytes + maxFixedStateBytes <=
                   juce::AudioProcessor::maxStateTextBytes);
    /** The same for the nodes a reader allocates (see BoundedXml::maxNodes): all of the state but the
        preset bank's groups, two nodes each, comes to some 29,500 (36 parameters and 128 presets of 33
        values at 3 each, 96 patterns of 16 steps at 10, 128 controller assignments at 3). */
    static constexpr int maxFixedStateNodes = 32 * 1024;
    static_assert (maxFixedStateNodes + 2 * maxGroups <= BoundedXml::maxNodes);
    std::unique_ptr<juce::XmlElement> createPatternBankXml() const;

    juce::String getPatternFileWildcard() const;
    /** The wildcard, then "; *" + each further extension. */
    juce::String getPatternFileWildcards() const;
    juce::String getPatternBankFileWildcard() const;
    juce::String getPatternBankFileWildcards() const;

    //==============================================================================
    // Settings and state sections

    /** The defaults of an "InternalSequencer" settings element; they apply at the next start-up. */
    virtual void readSequencerSettings (const juce::XmlElement& xml);
    virtual std::unique_ptr<juce::XmlElement> createSequencerSettingsXml();
    /** Applies an "InternalSequencer" state element child by child; modes switch at once. */
    virtual void readSequencerState (const juce::XmlElement& xml);
    virtual std::unique_ptr<juce::XmlElement> createSequencerStateXml();
    /** Every "PatternBank" of a "PatternsState" element replaces the patterns; one too large to hold is
        reported and the patterns kept. */
    virtual void readPatternsState (const juce::XmlElement& xml);
    virtual std::unique_ptr<juce::XmlElement> createPatternsStateXml();

    void readPatternsResourceSettings (const juce::XmlElement& xml);
    std::unique_ptr<juce::XmlElement> createPatternsResourceSettingsXml() const;

    juce::File getUserDefinedPatternsFile() const { return userPatternsFile; }
    /** Also selects the user-defined choice. */
    void setUserDefinedPatternsFile (const juce::File& file);
    int getDefaultPatternsChoice() const noexcept { return defaultPatternsChoice; }
    /** Values other than the three choices are ignored; takes effect at the next start-up. */
    void setDefaultPatternsChoice (int choice);

    //==============================================================================
    // State refreshers (any thread that edits; they set state parameters with notification)

    void updatePatternNumberState();
    void updatePatternNameState();
    void updatePatternLengthStates();
    void updatePatternTempoState();

    //==============================================================================
    // Modes (message thread writes, audio thread reads)

    /** Stores the switch, tells the product when it changed, refreshes the panel. */
    void setInternalSequencer (bool shouldBeOn);
    void setInternalSync (bool shouldBeOn);
    void setHostMode (bool shouldBeOn);
    void setNoteOffMode (bool shouldBeOn);
    void setWriteMode (bool shouldBeOn);
    void setAutoFollow (bool shouldBeOn);

    bool isInternalSequencerOn() const noexcept { return internalSequencer.load (relaxed); }
    bool isInternalSyncOn() const noexcept { return internalSync.load (relaxed); }
    bool isHostModeOn() const noexcept { return hostMode.load (relaxed); }
    bool isNoteOffModeOn() const noexcept { return noteOffMode.load (relaxed); }
    bool isWriteModeOn() const noexcept { return writeMode.load (relaxed); }
    bool isAutoFollowOn() const noexcept { return autoFollow.load (relaxed); }
    bool isRandomizerOn() const noexcept { return randomizer.load (relaxed); }
    bool isLengthModeOn() const noexcept { return lengthMode.load (relaxed); }
    bool isClipboardFull() const noexcept { return clipboardFull; }
    bool isStartedByNote() const noexcept { return startedByNote.load (relaxed); }

    /** Sequencer on and write or host mode on. */
    bool isEditing() const noexcept;
    /** Editing with the randomizer on. */
    bool isRandomizerActive() const noexcept;

    int getHostPlayDetection() const noexcept { return hostPlayDetection.load (relaxed); }
    /** byTransportChange or byLowestCNoteOn; other values are ignored. */
    void setHostPlayDetection (int detection);

    int getPlayState() const noexcept { return playState.load (relaxed); }
    int getPendingRequest() const noexcept { return request.load (relaxed); }
    int getHostSelectedPattern() const noexcept { return hostSelectedPattern.load (relaxed); }
    int getHostNoteHoldCount() const noexcept { return hostNoteHoldCount.load (relaxed); }

    bool getDefaultInternalSequencer() const noexcept { return defaultInternalSequencer; }
    void setDefaultInternalSequencer (bool on) noexcept { defaultInternalSequencer = on; }
    bool getDefaultInternalSync() const noexcept { return defaultInternalSync; }
    void setDefaultInternalSync (bool on) noexcept { defaultInternalSync = on; }
    bool getDefaultHostMode() const noexcept { return defaultHostMode; }
    void setDefaultHostMode (bool on) noexcept { defaultHostMode = on; }
    bool getDefaultNoteOffMode() const noexcept { return defaultNoteOffMode; }
    void setDefaultNoteOffMode (bool on) noexcept { defaultNoteOffMode = on; }

    /** The editor listens to it; the product sets its sample rate and gate fraction. */
    ShuffledClock& getSequencerClock() noexcept { return clock; }
    const ShuffledClock& getSequencerClock() const noexcept { return clock; }

    //==============================================================================
    // Audio thread: the product's processBlock drives the sequencer through these, in this order.

    /** The modes one block works with. */
    struct SequencerModes
    {
        bool internalSequencer = false;
        bool internalSync = false;
        bool hostMode = false;
        bool noteOffMode = false;
        bool selfReset = false;
        bool writeMode = false;
        bool autoFollow = false;
        bool randomizer = false;
        bool lengthMode = false;
        int hostPlayDetection = byTransportChange;
    };

    /** Taken once at the start of a block. */
    SequencerModes getSequencerModes() const;

    /** What the host's play head reported for this block (nothing: keep the last report). Stops with the
        host, restarts with its transport, follows its tempo and position. A tempo that is not a positive
        number and a position that is not finite are not taken. */
    void followHostTransport (const SequencerModes& modes,
                              const juce::Optional<juce::AudioPlayHead::PositionInfo>& position);

    /** Serves the editor's start/stop request while the sequencer runs on its own; the request is
        consumed in every block, served or not. */
    void serveStartStopRequest (const SequencerModes& modes);

    /** Tempo (internal sync only) and shuffle of the playing pattern into the clock. */
    void applyPatternTiming (const SequencerModes& modes);

    /** A MIDI message while the sequencer is on: host-mode pattern keys, or the control keys (pattern
        chain, banks, the lowest-C start). Other messages are ignored. */
    void handleSequencerNote (const SequencerModes& modes, const juce::MidiMessage& message);

    /** One sample of the clock; true when a step started or a gate ended. */
    bool tickSequencer (const SequencerModes& modes);

    /** End of block: auto follow, then "Play State" := the clock runs while the sequencer is on. */
    void finishSequencerBlock (const SequencerModes& modes);

    bool isHostPlaying() const noexcept { return hostPlaying; }
    double getHostTempo() const noexcept { return hostTempo; }       // beats per minute
    double getHostPosition() const noexcept { return hostPosition; } // quarter notes

protected:
    /** The product serves its own stop request with it. Audio thread. */
    void setPlayState (int newState) noexcept { playState.store (newState, relaxed); }

private:
    static constexpr auto relaxed = std::memory_order_relaxed;

    /** Refreshes the pattern states on the message thread for the audio thread, which must not set the
        name parameter (it allocates); the audio thread only raises its flag. */
    class PatternStatesRefresher : public RealtimeNotifier
    {
    public:
        explicit PatternStatesRefresher (IntSeqPlugin& ownerToRefresh)
            : owner (ownerToRefresh)
        {
        }
        ~PatternStatesRefresher() override { cancelPendingUpdate(); }
        void handleAsyncUpdate() override { owner.updatePatternStates(); }

    private:
        IntSeqPlugin& owner;
    };

    void createSequencerParameters();
    void registerSequencerEvents();
    void loadDefaultPatterns();
    int getShownPattern() const;
    void setState (int id, bool on);
    void setEditedPatternShuffleState();
    void updateHostDisplayForFruityLoops();
    void restartSequencer();
    void handleHostModeNote (const SequencerModes& modes, const juce::MidiMessage& message);
    void handleControlKey (const SequencerModes& modes, const juce::MidiMessage& message);

    // Live modes.
    std::atomic<bool> internalSequencer{false};
    std::atomic<bool> internalSync{false}; // the pattern's own tempo instead of the host's
    std::atomic<bool> hostMode{false};     // host notes choose the pattern
    std::atomic<bool> noteOffMode{false};
    std::atomic<bool> startedByNote{false}; // started by the lowest C
    std::atomic<int> hostPlayDetection{byTransportChange};

    // Edit modes.
    std::atomic<bool> writeMode{false};
    std::atomic<bool> autoFollow{true};
    std::atomic<bool> randomizer{false};
    std::atomic<bool> lengthMode{false};

    bool clipboardFull = false; // message thread

    std::atomic<int> playState{stopped}; // written where the sequencer starts or stops
    std::atomic<int> request{stopped};   // message thread writes, audio thread consumes

    ShuffledClock clock;

    std::atomic<int> hostNoteHoldCount{0};    // held host-mode keys of the selected pattern
    std::atomic<int> hostSelectedPattern{-1}; // -1: none

    // Settings defaults (message thread).
    bool defaultInternalSequencer = true;
    bool defaultInternalSync = false;
    bool defaultHostMode = false;
    bool defaultNoteOffMode = true;
    int defaultPatternsChoice = factoryPatterns;
    juce::File userPatternsFile;

    // Audio thread only.
    bool hostPlaying = false;
    double hostTempo = 120.0;  // beats per minute
    double hostPosition = 0.0; // quarter notes
    int heldPatternKey = -1;   // control key 0..7 held down, -1 none

    PatternStatesRefresher patternStatesRefresher{*this};

    JUCE_DECLARE_NON_COPYABLE (IntSeqPlugin)
};
