#pragma once

#include "engine/IntSeqPlugin.h"
#include "engine/KelvanorCore.h"
#include "engine/KelvanorMidiQueue.h"
#include "engine/Pattern.h"
#include "engine/ShuffledClock.h"

#include <array>
#include <atomic>
#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>
#include <memory>

/** The product processor: the bassline voice played from host MIDI, from the internal step sequencer
    or from the arpeggiator, with its 96 patterns.

    Threads: processBlock runs on the host's audio thread under the wrapper's callback lock. Parameter
    changes arrive on whatever thread made them (host automation, the editor, MIDI control on the audio
    thread) and reach the voice under the core lock. Pattern edits, events and settings run on the
    message thread; pattern data and the values read by the audio thread are written whole (atomics)
    and read at the next block. Lock order: callback lock, MIDI control lock, core lock; nothing takes
    another lock under the core lock. */
class Kelvanor : public IntSeqPlugin
{
public:
    //==============================================================================
    // Identifiers and sizes

    /** The voice's parameters, 0 to 23, under the voice's own names. */
    using enum KelvanorCore::ParameterId;

    /** Parameters of the embedded table beyond the voice's that this level reacts to. */
    enum ParameterId
    {
        arpeChordId = KelvanorCore::numParameters, // 24
        arpeModeId = 25,
        arpeShuffleId = 26,
        arpeRangeSub1Id = 27,
        arpeRangeZeroId = 28,
        arpeRangeAdd1Id = 29,
        arpeRangeAdd2Id = 30,
        arpeMultiplierId = 31,
        arpeRepeaterId = 32,
        gateThresholdId = 33,
        accentThresholdId = 34,
        slideThresholdId = 35,
        selfResetStateId = 36,
        arpeShuffleValueId = 37,
        arpeStateId = 38,
        firstNoteStateId = 40,    // .. 52, the note keys C .. C1
        firstNoteBlinkingId = 53, // .. 65
        gateStateId = 66,         // 67 accent, 68 slide
        gateBlinkingId = 69,      // 70 accent, 71 slide
        gateLevelId = 72,
        accentLevelId = 73,
        slideLevelId = 74,
        lowerOctaveStateId = 75,
        upperOctaveStateId = 76,
        lowerOctaveBlinkingId = 77,
        upperOctaveBlinkingId = 78,
        randomizerChordId = 79,
        randNotesStateId = 80,
        randNotesBlinkingId = 81,
        thresholdModeStateId = 82,
        stepValuesEditionStateId = 83,
        accentVelocityLevelId = 84,
        oscillatorTuningTypeId = 85
    };

    static constexpr int numPatterns = 96;
    static constexpr int numBankPatterns = 24; // three banks of eight keys outside host mode
    static constexpr int numHostParameters = 36;
    static constexpr int maxSoundingNotes = 256;

    /** Accent velocity levels and the step velocity / accent threshold each one gives. */
    enum AccentVelocityLevel
    {
        lowAccentLevel = 0,
        mediumAccentLevel = 1,
        highAccentLevel = 2
    };

    enum OscillatorTuning
    {
        accurateTuning = 0,
        vintageTuning = 1,
        batteryLowTuning = 2
    };

    /** Builds the voice, the patterns and the tables; prepares the user data folder. Reads no setting:
        the factory's late initialisation does. */
    Kelvanor();

    /** Writes the user settings, then deletes the editor before the voice and the patterns go. */
    ~Kelvanor() override;

    //==============================================================================
    // juce::AudioProcessor

    /** Sets the voice's and both clocks' rate, empties the MIDI queue, stops sequencer and arpeggiator.
        Called while no block runs. */
    void prepareToPlay (double sampleRate, int estimatedSamplesPerBlock) override;

    /** Audio thread. Serves the message thread's requests, follows the host transport, delivers the
        block's MIDI sample-accurately (events beyond the block wait for the next one), ticks the two
        clocks and renders the mono voice into every output channel. The MIDI buffer returns the notes
        played, on channel 1. */
    void processBlock (juce::AudioSampleBuffer& buffer, juce::MidiBuffer& midiMessages) override;

    juce::String getInputChannelName (int channelIndex) const override;
    /** "Kelvanor" for each output. */
    juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int index) const override;
    bool isOutputChannelStereoPair (int index) const override;
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return true; }
    int getMaxNumInputChannels() const override { return 0; }
    int getMaxNumOutputChannels() const override { return 2; }

    /** In host mode the names of the patterns the keys select ("---" outside them); empty otherwise. */
    juce::String getMidiKeyName (int keyNumber) const override;

    /** Only once the persistent editor exists. */
    bool hasEditor() const override;

    //==============================================================================
    // Product configuration and parameters

    juce::String getProductName() const override { return "Kelvanor"; }
    juce::String getFilePrefix() const override { return "KL"; }
    int getNumHostParameters() const override { return numHostParameters; }
    /** The product always changes presets the normal way: the choice is neither offered nor saved. */
    bool isPresetChangingConfigurable() const override { return false; }

    /** The display text the host shows for a parameter; empty for ids without one. Any thread; reads
        the voice under the core lock. */
    juce::String getParameterTextById (int id) override;

    /** Synchronous, on the thread that changed the parameter: synthesis values go to the voice, then the
        sequencer level, then the step length, arpeggiator, thresholds and randomizer chord. */
    void parameterChanged (Parameter* parameter) override;

    /** 0 low, 1 medium, 2 high: the voice's accent threshold and the sequencer's step velocities. Other
        values are ignored. Parameter 84 shows the level in every accepted case. */
    void setAccentVelocityLevel (int level);
    int getAccentVelocityLevel() const noexcept { return accentVelocityLevel.load (relaxed); }

    /** 0 accurate, 1 vintage, 2 battery low: the voice's divisions per octave. Other values are ignored.
        Parameter 85 shows the type in every accepted case. */
    void setOscillatorTuning (int type);
    int getOscillatorTuning() const noexcept { return oscillatorTuning.load (relaxed); }

    //==============================================================================
    // Note path (audio thread; also the message thread while no block runs)

    /** Sounds the note on the voice and sends it as MIDI on channel 1 at the current sample. Notes
        outside 0..127 are ignored. */
    void startVoiceNote (int note, float velocity);

    /** Stops a note started by startVoiceNote; a note that is not sounding is ignored entirely. */
    void stopVoiceNote (int note);

    /** The voice, or the arpeggiator's held notes while it is on. */
    void playNote (int note, float velocity);
    void releaseNote (int note);

    /** Stops the arpeggiator's note, forgets the sequencer's sounding notes and stops every voice note. */
    void releaseAllNotes();

    /** releaseAllNotes, then empties the voice's note stack and sends all-notes-off on channel 1. */
    void resetVoice();

    /** Notes started and not yet stopped, in order. */
    int getNumSoundingNotes() const noexcept { return numSoundingNotes; }
    int getSoundingNote (int index) const noexcept;

    //==============================================================================
    // Sequencer hooks: switching and step playback

    /** Message thread: the next block stops the sequencer and the arpeggiator and releases all notes. */
    void internalSequencerSwitched (bool isOn) override;
    void hostModeSwitched (bool isOn) override;

    /** Plays the host-selected pattern in host mode, else the chain's first, from its step 0. */
    void startSequencer() override;
    /** Also releases the notes the steps hold. */
    void stopSequencer() override;

    /** Audio thread, from the sequencer clock. */
    void sequencerStepStarted() override;
    void sequencerGateEnded() override;
    void sequencerRewound() override;

    int getPlayingStep() const override { return playingStep.load (relaxed); }
    bool isEditedPatternPlaying() const override;
    bool followPlayingPattern() override;

    int getChainBank() const override { return chainBank.load (relaxed); }
    int getSelectedBank() const override { return selectedBank.load (relaxed); }
    void selectPatternBank (int bank) override;
    int getChainFirst() const noexcept { return chainFirst.load (relaxed); }
    int getChainLast() const noexcept { return chainLast.load (relaxed); }

    /** The patterns at the chain's ends: the keys' patterns in the chain's bank, eight to a bank. */
    int getChainFirstPattern() const noexcept { return getChainFirst() + 8 * getChainBank(); }
    int getChainLastPattern() const noexcept { return getChainLast() + 8 * getChainBank(); }

    /** Gate, accent and slide thresholds (parameters 33..35), 0..1. */
    double getGateThreshold() const noexcept { return gateThreshold.load (relaxed); }
    double getAccentThreshold() const noexcept { return accentThreshold.load (relaxed); }
    double getSlideThreshold() const noexcept { return slideThreshold.load (relaxed); }

    /** The gate fraction of a step, from parameter 11 (0.04..0.96). */
    double getStepLengthValue() const noexcept { return stepLengthValue.load (relaxed); }

    //==============================================================================
    // Pattern store

    int getEditedPattern() const override { return editedPattern.load (relaxed); }
    int getPlayingPattern() const override { return playingPattern.load (relaxed); }
    int getNumPatterns() const override { return numPatterns; }
    int getEditedStep() const noexcept { return editedStep.load (relaxed); }

    /** Index limited to the patterns the mode addresses; a step beyond its length moves inside it. */
    void selectEditedPattern (int index);
    /** Limited to 0..15. */
    void selectEditedStep (int step);
    void selectNextPattern() override;
    void selectPreviousPattern() override;

    juce::String getPatternName (int index) const override;
    /** Keeps the name (and shows it again) when the new one would take the patterns beyond
        maxPatternNameBytes. */
    void setPatternName (int index, const juce::String& name) override;
    int getPatternLength (int index) const override;
    void setPatternLength (int index, int length) override;
    double getPatternTempo (int index) const override;
    void setPatternTempo (int index, double tempo) override;
    int getPatternShuffle (int index) const override;
    void setPatternShuffle (int index, int shuffle) override;

    void clearPattern() override;
    /** Like a paste, nothing when the pattern's name would take the patterns beyond maxPatternNameBytes. */
    void undoClearPattern() override;
    void copyPattern() override;
    void pastePattern() override;
    void shiftPatternLeft (int index) override;
    void shiftPatternRight (int index) override;

    void updatePatternStates() override;
    void updateNativeModeReadyState() override;

    bool loadPatternFromXml (const juce::XmlElement& xml, int index) override;
    /** Reads them all aside, then puts them in place together, or none when their names would take the
        patterns beyond maxPatternNameBytes. */
    bool loadPatternsFromXml (const juce::Array<const juce::XmlElement*>& elements) override;
    std::unique_ptr<juce::XmlElement> createPatternXml (int index) const override;

    int getNumExtraPatternBankFileExtensions() const override { return 1; }
    juce::String getExtraPatternBankFileExtension (int index) const override;

    /** ".kl" text banks are imported whole or not at all; every other file goes to the XML reader. */
    bool loadPatternBankFile (const juce::File& file) override;

    /** Reads a ".kl" text bank into 96 patterns; false, with the output untouched, when the text does
        not hold 96 complete patterns. */
    static bool parseTextPatternBank (const juce::String& text, std::array<Pattern, numPatterns>& result);

    /** Null (empty pattern) out of range. Message thread, or the audio thread reading step values. */
    const Pattern& getPattern (int index) const;

    //==============================================================================
    // Declared here because the note path, the clocks and the pattern store call them; defined with the
    // arpeggiator, the randomizer and the panel actions.

    void stopArpeggiator();
    /** The arpeggiator clock's gate-on and gate-off transitions (audio thread). */
    void arpeggiatorStep();
    void arpeggiatorGateEnded();
    /** Stops the note the arpeggiator sounds, if any. */
    void stopArpeggiatorNote();
    bool isArpeggiatorOn() const;
    /** Steps per beat of the arpeggiator clock and its shuffle, 0..100. */
    double getArpeggiatorStepsPerBeat() const;
    int getArpeggiatorShuffle() const;
    /** playNote / releaseNote while the arpeggiator is on: the held-note list. */
    void startArpeggioNote (int note, float velocity);
    void releaseArpeggioNote (int note);
    /** Parameters 24..32. */
    void arpeggiatorParameterChanged (int id, float normalisedValue);
    void setRandomizerChord (int chord);
    bool isStepValuesEditionOn() const;
    /** The panel's state parameters of the edited step and the blinking keys. */
    void updateStepStates();
    void updateNoteStates();
    void updateOctaveStates();
    void updateGateAccentSlideStates();
    void updateStepValueStates();
    void updateBlinkingStates (bool clearFirst);

    //==============================================================================
    // Arpeggiator (audio thread unless stated; the parameter mapping runs on the changing thread)

    static constexpr int maxHeldNotes = 256;

    /** Off, then the four playing orders; the arpeggiator is on for every mode but off. */
    enum ArpeggiatorMode
    {
        arpeggiatorOff = 0,
        arpeggiatorRandom = 1,
        arpeggiatorUp = 2,
        arpeggiatorDown = 3,
        arpeggiatorUpDown = 4
    };

    /** The octave ranges -1, 0, +1, +2, indexed 0..3 (parameters 27..30). */
    static constexpr int numOctaveRanges = 4;

    /** 0 "Custom" (the held notes in turn) .. 7. */
    int getArpeggiatorChord() const noexcept { return arpChord.load (relaxed); }
    int getArpeggiatorMode() const noexcept { return arpMode.load (relaxed); }
    bool isOctaveRangeEnabled (int range) const noexcept;
    /** Times each note is played before the next one: 1, 2, 3, 4 or 6. */
    int getArpeggiatorRepeatCount() const noexcept { return arpRepeatCount.load (relaxed); }
    /** -1..2 octaves. */
    int getArpeggiatorOctaveOffset() const noexcept { return arpOctaveOffset.load (relaxed); }
    int getNumHeldNotes() const noexcept { return numHeldNotes; }
    /** -1 out of range. */
    int getHeldNote (int index) const noexcept;

    //==============================================================================
    // Pattern randomizer (message thread)

    void beginRandomizer() override;
    void endRandomizer() override;
    bool nextRandomPattern() override;
    /** False, with nothing changed, when no earlier seed is left. */
    bool previousRandomPattern() override;
    void acceptRandomPattern() override;
    /** The last accepted pattern, which is then forgotten; at the end the pattern the randomizer started
        from, which stays. */
    void undoRandomPattern() override;
    void updateRandomizerState() override;

    /** Pushes the current seed, draws a new one (1..1000000) from the generator, reseeds and generates. */
    void randomizeWithNewSeed();
    /** Reseeds with the last pushed seed and generates again; false when the history is empty. */
    bool randomizeWithPreviousSeed();
    /** Allows or forbids the 12 (13 for the top one) notes of the octave the octave keys show. */
    void setOctaveNotes (bool allowed);
    /** Moves the allowed notes one semitone up (direction > 0) or down. */
    void shiftAllowedNotes (int direction);
    /** Turns the levels of the randomized kinds into plain flags by the thresholds, once per draw. */
    void applyThresholds();

    int getRandomizerChord() const noexcept { return randomizerChord.load (relaxed); }
    /** False outside 24..72. */
    bool isNoteAllowed (int midiNote) const noexcept;
    bool isRandomNotesOn() const noexcept { return randomNotes.load (relaxed); }
    bool isRandomizeGateOn() const noexcept { return randomizeGate.load (relaxed); }
    bool isRandomizeAccentOn() const noexcept { return randomizeAccent.load (relaxed); }
    bool isRandomizeSlideOn() const noexcept { return randomizeSlide.load (relaxed); }
    bool isLowerOctaveViewOn() const noexcept { return lowerOctaveView.load (relaxed); }
    bool isUpperOctaveViewOn() const noexcept { return upperOctaveView.load (relaxed); }
    /** The first MIDI note of the octave the note keys show while randomizing: 24, 36, 48 or 60. */
    int getOctaveViewStart() const noexcept;
    /** 0 before the first draw. */
    juce::uint32 getCurrentRandomSeed() const noexcept;
    /** Test seam: the generator as if just seeded with this value (the first draw is seeded by time). */
    void seedRandomGenerator (juce::uint32 seed);

    //==============================================================================
    // Panel actions (message thread; setPatternChain also from the audio thread's control keys)

    /** Events 0..58 of the panel, by sequencer mode; every other event goes to the sequencer level. */
    void handleEvent (int uid) override;

    void setPatternChain (int a, int b) override;
    /** A pattern key pressed with Ctrl: the chain now ends (or starts) at that key. */
    void extendPatternChain (int key);

    void updateInternalSequencerState() override;
    void updateWriteModeState() override;
    /** "Threshold Mode State" and "Step Values Edition State", then the step values. */
    void updateThresholdStates();

    bool isSelfResetOn() const override { return selfReset.load (relaxed); }
    /** The current self reset mode; parameter 36 shows it while the sequencer is on. */
    void setSelfReset (bool shouldBeOn);
    bool getDefaultSelfReset() const noexcept { return defaultSelfReset; }
    void setDefaultSelfReset (bool on) noexcept { defaultSelfReset = on; }
    int getDefaultAccentVelocityLevel() const noexcept { return defaultAccentVelocityLevel; }
    /** Values outside 0..2 are ignored; applies at the next start-up. */
    void setDefaultAccentVelocityLevel (int level) noexcept;
    int getDefaultOscillatorTuning() const noexcept { return defaultOscillatorTuning; }
    /** Values outside 0..2 are ignored; applies at the next start-up. */
    void setDefaultOscillatorTuning (int type) noexcept;

    //==============================================================================
    // State and settings (message thread; state also on the host's thread)

    static constexpr int legacyStateSize = 99936; // bytes of the old whole-state chunk
    static constexpr int legacyProgramSize = 128; // bytes of the old one-preset chunk

    /** The sequencer level's, then the saved defaults: self reset, accent level, tuning. */
    void initialise() override;

    /** "InternalSettings", "InternalSequencer", then the preset level's children. */
    std::unique_ptr<juce::XmlElement> createStateXml() override;
    void applyStateXml (const juce::XmlElement& xml) override;
    void readUserSettings (const juce::XmlElement& root) override;
    std::unique_ptr<juce::XmlElement> createUserSettingsXml() override;
    void readSequencerSettings (const juce::XmlElement& xml) override;
    std::unique_ptr<juce::XmlElement> createSequencerSettingsXml() override;
    void readSequencerState (const juce::XmlElement& xml) override;
    std::unique_ptr<juce::XmlElement> createSequencerStateXml() override;
    /** "EditedPattern", "EditedStep" and "ChainPatterns" of an "EditionState" element. */
    void readEditionState (const juce::XmlElement& xml);

    /** The old binary chunk at exactly its size, else the XML chunk. */
    void setStateInformation (const void* data, int sizeInBytes) override;
    void setCurrentProgramStateInformation (const void* data, int sizeInBytes) override;

private:
    static constexpr auto relaxed = std::memory_order_relaxed;

    //==============================================================================
    // Nested types

    /** A step as the sequencer plays it: gate, accent and slide already passed through the thresholds. */
    struct PlayedStep
    {
        int note = 0; // 0..12
        bool octaveUp = false, octaveDown = false;
        bool gate = false, accent = false, slide = false;
        double gateLevel = 0.0, accentLevel = 0.0, slideLevel = 0.0;

        int getMidiNote() const noexcept;
    };

    struct HeldNote
    {
        int note = 0;
        float velocity = 0.0f;
    };

    /** Clears the voice's distortion filters when a preset is loaded, under the core lock. */
    class CorePresetListener : public BasePluginOldStyle::PresetManagerListener
    {
    public:
        explicit CorePresetListener (Kelvanor& ownerToNotify)
            : owner (ownerToNotify)
        {
        }
        void presetChanged() override;

    private:
        Kelvanor& owner;
    };

    /** Refreshes the pattern states on the message thread when a control key changed the chain on the
        audio thread, which must not set the pattern name (it allocates). */
    class ChainStatesRefresher : public RealtimeNotifier
    {
    public:
        explicit ChainStatesRefresher (Kelvanor& ownerToRefresh)
            : owner (ownerToRefresh)
        {
        }
        ~ChainStatesRefresher() override { cancelPendingUpdate(); }
        void handleAsyncUpdate() override { owner.updatePatternStates(); }

    private:
        Kelvanor& owner;
    };

    enum class PanelMode
    {
        off,
        play,
        edit,
        randomizer
    };

    /** The generator, seeds, backups and note sets, kept behind a pointer so that this header needs
        none of their headers. */
    struct RandomizerData;

    //==============================================================================
    // Private operations, by role

    // processBlock stages (audio thread)
    void renderVoice (int end);
    void serveRequests();
    void followTransport (const SequencerModes& modes);
    void setUpClocks (const SequencerModes& modes);
    void deliverDueEvents (const SequencerModes& modes);
    void handleMidiEvent (const SequencerModes& modes, const juce::uint8* data, int numBytes);
    void routeNote (const SequencerModes& modes, const juce::uint8* data);
    void tickArpeggiatorClock();

    // Step playback
    PlayedStep readPlayedStep (int pattern, int step) const;
    void advanceStep();
    /** Ends the notes whose step's gate is over: a note slid from the previous step, and the current
        step's note unless it slides on. */
    void releaseEndingNotes();
    float getStepVelocity (bool accented) const noexcept;
    static float accentThresholdOfLevel (int level) noexcept;

    // Pattern store
    bool isValidPattern (int index) const noexcept { return index >= 0 && index < numPatterns; }
    /** Whether the patterns stay within maxPatternNameBytes with the name in place of the index's own.
        With patternNamesLock held, from the check to the change. */
    bool patternNameFits (int index, const juce::String& name) const;
    int getAddressablePatterns() const noexcept;
    void updateStepEditStates();
    bool importTextPatternBank (const juce::File& file);

    // Arpeggiator
    void chooseInitialOctave();
    void chooseNextOctave();
    void restartArpeggio();

    // Randomizer
    bool isTargetEdited() const noexcept;
    void generateRandomPattern();

    // Panel actions
    PanelMode getPanelMode() const noexcept;
    void handlePlayEvent (int uid);
    void handleEditEvent (int uid);
    void handleRandomizerEvent (int uid);
    void setEveryStepNote (int noteIndex);
    /** Writes a copy of the edited step back, when the edited pattern exists. */
    void setEditedStepValue (const Step& step);
    /** Plays the chain's first pattern when the sequencer is stopped, then refreshes the panel. */
    void applyPatternChain();
    void setBlinking (int id, bool on);

    // State
    std::unique_ptr<juce::XmlElement> createInternalSettingsXml (int level, int tuning) const;
    void importLegacyState (const juce::uint8* data);
    void applyLegacyPreset (const juce::uint8* record, PresetBankEntry& preset) const;
    void importLegacyPattern (const juce::uint8* record, int index);

    //==============================================================================
    // Fields by role. Their order is their construction order: the voice first, the refresher that reaches
    // into the pattern store last, so it is the first to go.

    // The voice
    std::unique_ptr<KelvanorCore> core;
    juce::CriticalSection coreLock; // recursive; guards every call into the voice but setSampleRate
    CorePresetListener corePresetListener{*this};

    // Requests from the message thread, served at the start of the next block
    std::atomic<bool> stopRequest{false};
    std::atomic<bool> arpeggiatorResetRequest{false};
    std::atomic<bool> releaseRequest{false};

    ShuffledClock arpeggiatorClock;

    // Audio thread: MIDI in and out, the notes the voice sounds, the rendered sample
    KelvanorMidiQueue midiQueue;
    juce::MidiBuffer midiOutput;
    int sampleIndex = 0;          // within the current block
    int renderedSamples = 0;      // of the current block; the voice renders up to the next call into it
    float* voiceOutput = nullptr; // the block's first channel while it renders
    std::array<int, maxSoundingNotes> soundingNotes{};
    int numSoundingNotes = 0;
    double outputSample = 0.0;

    // Synthesis settings (any thread writes, the audio thread reads)
    std::atomic<double> stepLengthValue{0.5 * 0.92 + 0.04}; // gate fraction of a step
    std::atomic<int> accentVelocityLevel{mediumAccentLevel};
    std::atomic<int> oscillatorTuning{accurateTuning};

    // Step playback; the copies and flags belong to the audio thread
    std::atomic<int> playingPattern{0}; // 0..95
    std::atomic<int> playingStep{0};    // 0..15
    PlayedStep currentStep, previousStep;
    bool stepAdvancedSinceStart = false;
    bool currentNoteSounding = false;
    bool slidNoteAwaitingRelease = false;
    bool stepInProgress = false;
    std::atomic<int> chainFirst{0}, chainLast{0};   // pattern keys 0..7
    std::atomic<int> chainBank{0}, selectedBank{0}; // 0..2
    std::atomic<double> gateThreshold{1.0}, accentThreshold{0.5}, slideThreshold{0.5};

    // Pattern store (message thread edits; the audio thread reads values whole)
    std::array<Pattern, numPatterns> patterns;
    juce::CriticalSection patternNamesLock; // names are replaced whole; never taken by the audio thread
    std::atomic<int> editedPattern{0};
    std::atomic<int> editedStep{0};
    bool clearUndoAvailable = false;
    int clearUndoIndex = 0;
    Pattern clearUndoCopy;
    Pattern clipboard;

    // Arpeggiator settings: written on the parameter's thread, read by the audio thread.
    std::atomic<int> arpChord{0};             // 0..7
    std::atomic<int> arpMode{arpeggiatorOff}; // 0..4
    std::atomic<int> arpShuffle{0};           // 0..100 percent
    std::array<std::atomic<bool>, numOctaveRanges> octaveRanges{true, true, true, true};
    std::atomic<double> arpStepsPerBeat{4.0};
    std::atomic<int> arpRepeatCount{1};

    // Arpeggiator play state. The held notes and the sounding note belong to the audio thread; the
    // position fields are also reset by a chord change on the parameter's thread.
    std::array<HeldNote, maxHeldNotes> heldNotes{};
    int numHeldNotes = 0;
    std::atomic<int> arpPosition{0};      // chord tone or held note being played
    std::atomic<int> arpRepeatCounter{0}; // plays of the current position so far
    std::atomic<int> arpOctaveOffset{0};  // -1..2 octaves
    std::atomic<int> arpDirection{0};     // up-down mode: 0 upwards, 1 downwards
    std::atomic<bool> arpAdvance{false};  // the next step moves on (false only for the first one)
    HeldNote arpNote;
    bool arpNoteSounding = false;
    std::atomic<juce::uint32> arpRandomState{1}; // the random octave's generator, never seeded

    // Randomizer switches: panel events on the message thread, read there and by the state refreshers.
    std::atomic<bool> randomizeGate{true}, randomizeAccent{true}, randomizeSlide{true};
    bool gateThresholdsApplied = false, accentThresholdsApplied = false, slideThresholdsApplied = false;
    std::atomic<bool> randomNotes{true};
    std::atomic<bool> lowerOctaveView{false}, upperOctaveView{false};
    std::atomic<int> randomizerChord{0};
    int targetPattern = -1; // the pattern the randomizer writes; -1 none (message thread)
    std::unique_ptr<RandomizerData> randomizerData;

    // Panel and settings.
    std::atomic<bool> stepValuesEdition{false};
    std::atomic<bool> refreshingStepValues{false}; // the step-level parameters are being set
    std::atomic<bool> selfReset{false};            // read by the audio thread's host-mode keys
    bool defaultSelfReset = false;
    int defaultAccentVelocityLevel = mediumAccentLevel;
    int defaultOscillatorTuning = accurateTuning;
    ChainStatesRefresher chainStatesRefresher{*this};

    JUCE_DECLARE_NON_COPYABLE (Kelvanor)
};
