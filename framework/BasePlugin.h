#pragma once

#include "framework/EventsMap.h"
#include "framework/KeyboardNoteQueue.h"
#include "framework/ListenerArray.h"
#include "framework/MidiControl.h"
#include "framework/Parameter.h"
#include "framework/ParameterManager.h"
#include "framework/Preset.h"
#include "framework/PresetCollection.h"
#include "framework/RealtimeNotifier.h"
#include "framework/SoftwareDesignation.h"
#include "vst/AudioProcessor.h"

#include <array>
#include <atomic>
#include <functional>
#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>
#include <memory>

namespace juce
{
class Component;
}

/** The product-independent processor base.

    Turns the host's view of a plug-in (a fixed list of automatable slots, one program, an opaque state
    chunk, an editor window) into the system's own model: parameters owned by the ParameterManager, events,
    the MIDI control map, a preset folder, the user settings file and a persistent editor component. The
    product derives from it through the layers above and configures it through the virtual hooks below.

    Threads: the host calls setParameter, the getParameter family and the state operations from its own
    threads (the audio thread included). The host-slot table and the id-to-slot map each have their own
    lock, held only for one lookup and never while a parameter or a listener is called. Everything else
    (start-up, settings, maps, presets, the editor) runs on the message thread. */
class BasePlugin : public juce::AudioProcessor,
                   public RealtimeNotifier,
                   public Parameter::Listener,
                   public SoftwareDesignation,
                   public PresetCollection::Listener
{
public:
    /** Every callback is called on the message thread, the last added listener first. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void stateRestored (BasePlugin*) {}
        virtual void stateSaved (BasePlugin*) {}
        virtual void playbackPrepared (BasePlugin*) {}
        /** mode: 1 realtime, 2 offline. */
        virtual void processingModeChanged (BasePlugin*, int /*mode*/) {}
        virtual void currentPresetChanged (PresetCollection*) {}
    };

    /** The persistent editor's own element of the user settings and of the state. The editor implements
        it; the processor knows its editor only as this and as a juce::Component, so that it builds without
        the GUI toolkit. Message thread, except createStateXml, which runs on the thread that saves a state.
     */
    class EditorSettings
    {
    public:
        virtual ~EditorSettings() = default;
        virtual juce::String getSettingsXmlTag() const = 0;
        /** Null writes no element. */
        virtual std::unique_ptr<juce::XmlElement> createSettingsXml() = 0;
        virtual void restoreSettingsXml (const juce::XmlElement& element) = 0;
        virtual juce::String getStateXmlTag() const = 0;
        /** Null writes no element. */
        virtual std::unique_ptr<juce::XmlElement> createStateXml() = 0;
        virtual void restoreStateXml (const juce::XmlElement& element) = 0;
    };

    /** The most slots any product may show the host; the table is allocated this long. */
    static constexpr int maxHostParameters = 128;

    /** Builds the tables from the embedded "parameters.xml" and "events.xml" and the built-in events
        1000-1010; reads no file. */
    BasePlugin();
    ~BasePlugin() override;

    //==============================================================================
    // juce::AudioProcessor

    juce::String getName() const override;

    void prepareToPlay (double sampleRate, int estimatedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioSampleBuffer& buffer, juce::MidiBuffer& midiMessages) override;

    bool silenceInProducesSilenceOut() const override { return true; }
    double getTailLengthSeconds() const override { return 0.0; }

    /** Null when there is no persistent editor; else a host window wrapper around it that shows it while
        it lives and detaches it, undamaged, when the host closes its window. */
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }

    using juce::AudioProcessor::getParameterName;
    using juce::AudioProcessor::getParameterText;

    int getNumParameters() override;
    /** "Parameter " and the slot counted from 1 for a free slot; empty out of range. */
    juce::String getParameterName (int index) override;
    /** The bound parameter's text; a free slot's host value with 8 decimals; empty out of range. */
    juce::String getParameterText (int index) override;
    /** The bound parameter's normalised value; a free slot's host value; 0 out of range. */
    float getParameter (int index) override;
    float getParameterDefaultValue (int index) override;
    /** Any host thread: stores the value and passes it to the slot's parameter without echoing it back. */
    void setParameter (int index, float newValue) override;
    bool isParameterAutomatable (int index) const override;

    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}

    /** The state element in the host's binary frame, then a stateSaved notice. No chunk is written when
        there is no state element. */
    void getStateInformation (juce::MemoryBlock& destData) override;
    /** Applies a readable state of this product; anything else is reported and changes nothing. Listeners
        get stateRestored also when nothing could be read. */
    void setStateInformation (const void* data, int sizeInBytes) override;
    void getCurrentProgramStateInformation (juce::MemoryBlock& destData) override;
    /** Applies a readable program; an unreadable one is reported and changes nothing. */
    void setCurrentProgramStateInformation (const void* data, int sizeInBytes) override;

    //==============================================================================
    // Hooks of the product layers

    /** Parameter ids of the processing quality; -1 = none. */
    virtual int getRealtimeQualityParameterId() const { return -1; }
    virtual int getOfflineQualityParameterId() const { return -1; }
    virtual int getDefaultRealtimeQualityParameterId() const { return -1; }
    virtual int getDefaultOfflineQualityParameterId() const { return -1; }

    /** Called on the thread that prepared or processed when the host's offline flag changed. */
    virtual void nonRealtimeModeChanged (bool /*isNonRealtime*/) {}

    /** Called after the plain start-up order only. */
    virtual void postInitialise() {}

    /** Late initialisation, after all layers have created their parameters: listens to every parameter,
        reads the user settings, names the MIDI control map, loads the default MIDI and host maps. Layers
        override it and call this at a point of their own. Message thread. */
    virtual void initialise();

    /** Makes the persistent editor of a processor. The plug-in library hands it over, so that the
        processor never names its editor and builds without the GUI toolkit. */
    using EditorFactory = std::function<std::unique_ptr<juce::Component> (BasePlugin&)>;

    /** Set before the late initialisation, which builds the editor with it. Message thread. */
    void setEditorFactory (EditorFactory factory);

    /** The persistent editor, owned by this processor from then on: the editor factory's; null when
        no factory was set or it makes none. */
    virtual std::unique_ptr<juce::Component> createGuiController();

    virtual juce::String getProductName() const { return "BasePlugin"; }
    /** Two letters that start every file extension of the product. */
    virtual juce::String getFilePrefix() const { return "XX"; }

    /** An own "PluginState" element. */
    virtual bool isStateXml (const juce::XmlElement& xml) const;
    /** Hands an own state's editor element to the editor: at once on the message thread; from any other
        thread a copy waits for the message thread, which restores it before the stateRestored notice. */
    virtual void applyStateXml (const juce::XmlElement& xml);
    /** "PluginState" holding the editor's state element when there is one. */
    virtual std::unique_ptr<juce::XmlElement> createStateXml();
    virtual void applyCurrentProgramStateXml (const juce::XmlElement&) {}
    virtual std::unique_ptr<juce::XmlElement> createCurrentProgramStateXml() { return nullptr; }

    virtual juce::File getUserSettingsFile() const;
    /** An own "UserSettings" element. */
    virtual bool isUserSettingsXml (const juce::XmlElement& xml) const;
    /** The layers read their own sections of an accepted document. */
    virtual void readUserSettings (const juce::XmlElement& /*root*/) {}
    /** With the layered start-up the layers build the whole document; null writes nothing. */
    virtual std::unique_ptr<juce::XmlElement> createUserSettingsXml() { return nullptr; }
    virtual void userSettingsWritten (juce::XmlElement* /*root*/) {}
    virtual void processingQualityChanged() {}

    /** Slots the host sees; at most maxHostParameters are used. */
    virtual int getNumHostParameters() const { return maxHostParameters; }

    virtual juce::String getParameterTextById (int id);
    virtual juce::String getParameterNameById (int id);

    /** Events the editor does not handle itself. Message thread. */
    virtual void handleEvent (int /*uid*/) {}

    virtual bool hasDebugParameters() const { return false; }
    virtual bool shouldLoadStateDump() const { return false; }

    /** The one preset folder of this processor, whatever the index or name; null when there is none. */
    virtual PresetCollection* getPresetCollection (int index);
    virtual PresetCollection* getCurrentPresetCollection (const juce::String& collectionName);
    virtual int getNumPresetCollections() const { return 1; }

    /** A preset that stores the current settings into the file; null stores nothing. */
    virtual std::unique_ptr<Preset> createPresetForFile (PresetCollection*, const juce::File&)
    {
        return nullptr;
    }
    virtual void presetLoaded (PresetCollection*, Preset*) {}
    /** Values applied over every preset loaded from the collection; null when none. Not owned. */
    virtual const Preset* getPresetOverrides (PresetCollection*) { return nullptr; }
    /** The name part of a new preset file. */
    virtual juce::String getNewPresetName (PresetCollection*) { return {}; }
    virtual void applyPresetExtraData (PresetCollection*, const juce::XmlElement* /*extraData*/) {}

    /** The current-preset record; about another collection than the current one these read false or an
        empty name and write nothing. */
    virtual bool isCurrentPresetFlagSet (PresetCollection* collection) const;
    virtual void setCurrentPresetFlag (PresetCollection* collection, bool isSet);
    virtual void setCurrentPresetModified (PresetCollection* collection, bool isModified);
    virtual bool isCurrentPresetModified (PresetCollection* collection) const;
    /** The full path of the preset file in use. */
    virtual juce::String getCurrentPresetName (PresetCollection* collection) const;
    virtual void setCurrentPresetName (PresetCollection* collection, const juce::String& path);

    //==============================================================================
    // Parameter::Listener and PresetCollection::Listener

    /** Synchronous, on the thread that changed the parameter: a parameter bound to a slot is passed to the
        host, unless the change is the host's own write to that slot. */
    void parameterChanged (Parameter* parameter) override;
    void parameterChangeGestureBegin (Parameter* parameter) override;
    void parameterChangeGestureEnd (Parameter* parameter) override;
    void presetCollectionChanged (PresetCollection*) override {}

    //==============================================================================
    // Start-up

    /** The late initialisation after construction, in the order the start-up flag chooses (with the
        layered start-up the virtual chain, else this class's own initialise and then postInitialise),
        each followed by the persistent editor and one notification of every parameter; then the state
        dump when the product asks for it. Message thread, once. */
    void runLateInitialisation();

    /** Creates the persistent editor once; nothing when it exists. */
    void initialiseGuiController();

    /** Twelve non-automatable debug parameters (ids 300000-300011) and twelve debug events
        (uids 10000-10011). */
    void addDebugParameters();

    //==============================================================================
    // Listeners

    /** Null and duplicates are ignored. Message thread. */
    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    using juce::AudioProcessor::addListener;
    using juce::AudioProcessor::removeListener;

    //==============================================================================
    // Host slots

    /** Binds an automatable parameter to a slot, freeing the slot it had; a null parameter frees the slot.
        A parameter that is not automatable or a slot out of range binds nothing. Message thread. */
    void assignHostParameter (int slot, Parameter* parameter);
    void unassignHostParameter (int slot);
    void clearHostParameters();

    /** Null for a free slot or one out of range. */
    Parameter* getHostParameter (int slot) const;
    /** -1 when the parameter id is bound to no slot. */
    int getHostParameterSlot (int parameterId) const;

    /** Tells the Host parameters page that the slot table changed (message thread). */
    juce::ChangeBroadcaster& getHostParametersChangedBroadcaster() noexcept { return hostParametersChanged; }

    //==============================================================================
    // Host-parameter map files

    /** Root "HostParametersMap" (any case) naming this product (any case) in "name"; false for null. */
    bool isHostParametersMapXml (const juce::XmlElement* xml) const;
    /** One "assign" per occupied slot in slot order, the slot counted from 1. */
    std::unique_ptr<juce::XmlElement> createHostParametersMapXml() const;
    /** An accepted document replaces the whole table; entries that name no parameter free their slot,
        entries out of range place nothing. Anything else leaves the slots as they are. */
    void loadHostParametersMapFromXml (const juce::XmlElement* xml);
    void loadHostParametersMap (const juce::File& file);
    /** False when the file could not be written; the old file is then left as it was. */
    bool saveHostParametersMap (const juce::File& file) const;
    /** The map chosen in the user settings, else the built-in one when the product carries it. */
    void loadDefaultHostParametersMap();

    /** "." + the file prefix + "hpmap", lower-cased. */
    juce::String getHostParametersMapFileExtension() const;

    const juce::String& getHostMapFile() const noexcept { return hostMapFile; }
    void setHostMapFile (const juce::String& path) { hostMapFile = path; }
    bool isHostMapDefault() const noexcept { return hostMapIsDefault; }
    void setHostMapDefault (bool isDefault) noexcept { hostMapIsDefault = isDefault; }

    //==============================================================================
    // Settings folder, user settings and state dump

    /** The user's application-data folder / "Zeb Group" / product name; not created here. */
    juce::File getUserDataDirectory() const;
    /** The all-users application-data folder / "Zeb Group" / product name; not created here. */
    juce::File getCommonDataDirectory() const;
    juce::File getDumpFile() const;

    /** Reads the user settings file; a missing, unreadable or foreign file leaves every setting as it was.
        The quality parameters take their defaults in every case. A file that is there but cannot be read
        as this product's settings is moved aside (Kelvanor.ini.unreadable, then -2 to -10), so that saving
        never overwrites what the user wrote, and the move is reported; when no name is free it stays
        where it is and the settings are not saved over it. */
    void loadUserSettings();
    /** Writes the user settings file; a file that cannot be written is left as it was, and the loss is
        reported (unless loading already said the settings are not saved over an unreadable file). */
    void saveUserSettings();

    /** Problems the user should hear of, such as a settings file or a host state that could not be read:
        each goes to the log (standard error) at once and stays listed for the editor to show. Any
        thread. */
    void reportProblem (const juce::String& text);
    juce::StringArray getReportedProblems() const;

    void loadDumpFile();
    void saveDumpFile();

    /** Test seam: the folders that stand for the user's and the all-users application-data folders;
        empty files restore JUCE's special locations. */
    static void overrideApplicationDataFolders (const juce::File& userFolder, const juce::File& commonFolder);

    //==============================================================================
    // XML utilities of every settings and state writer

    /** The element exists, its tag is the given one and its "application" names this product, both
        ignoring case. */
    bool isOwnXmlElement (const juce::XmlElement* xml, const juce::String& tag) const;
    std::unique_ptr<juce::XmlElement> createApplicationElement (const juce::String& tag) const;
    static bool isStateOn (const juce::XmlElement& xml);
    static std::unique_ptr<juce::XmlElement> createStateElement (const juce::String& tag, bool on);
    static juce::String makeFileWildcard (const juce::String& extension);

    //==============================================================================
    // Presets of the preset folder (message thread)

    /** Writes the current settings into the file through createPresetForFile and makes it the current
        preset; nothing when the product makes no preset or the file cannot be written. False only in the
        latter case: a product without presets has nothing to store, which is no failure. */
    bool storePresetToFile (PresetCollection* collection, const juce::File& file);
    /** Loads the preset file of the collection and makes it the current preset; nothing for a missing
        file, a folder, or the preset already current. */
    void loadCollectionPreset (PresetCollection* collection, const juce::File& file);
    void selectNextPreset (PresetCollection* collection);
    void selectPreviousPreset (PresetCollection* collection);
    /** Rewrites the file's author with the user's author name when they differ. Any thread. */
    void updatePresetFileAuthor (const juce::File& file);

    //==============================================================================
    // Accessors

    juce::Component* getGuiController() const noexcept { return guiController.get(); }
    /** The persistent editor's settings and state element; null without an editor or when it keeps none. */
    EditorSettings* getEditorSettings() const noexcept { return editorSettings; }
    ParameterManager& getParameterManager() noexcept { return parameterManager; }
    const ParameterManager& getParameterManager() const noexcept { return parameterManager; }
    MidiControl& getMidiControl() noexcept { return midiControl; }
    EventsMap& getEventsMap() noexcept { return eventsMap; }
    const juce::File& getPluginFile() const noexcept { return pluginFile; }
    juce::String getAuthorName() const;
    void setAuthorName (const juce::String& newAuthorName);
    bool isHostFruityLoops() const noexcept { return hostIsFruityLoops; }
    bool isUsingLayeredInitialise() const noexcept { return useLayeredInitialise; }

    /** 1 from prepareToPlay to releaseResources. */
    bool isPlaybackPrepared() const noexcept { return isPrepared.load (std::memory_order_relaxed) != 0; }

    /** Set to 1 by the audio processing per incoming MIDI event, exchanged with 0 by the editor's timer. */
    std::atomic<int>& getMidiActivityFlag() noexcept { return midiActivityFlag; }

    /** The keys of an on-screen keyboard: the editor hands it to the skin's keyboard, which plays into it
        and shows it. The notes played on it reach processBlock as incoming MIDI (see takeKeyboardNotes).
        Message thread. */
    juce::MidiKeyboardState& getKeyboardState() noexcept { return keyboardState; }

    /** FL Studio is recognised by its executable's name. */
    static bool isFruityLoopsHostName (const juce::String& hostFileName);

    //==============================================================================
    void handleAsyncUpdate() override;

protected:
    /** Audio thread, at the start of a block: the notes played on the keyboard state since the last block
        join the block's incoming MIDI at its first sample, as if the host had sent them. Never waits and
        allocates nothing while the buffer has room. BasePlugin::processBlock does it; products that
        process themselves call it. */
    void takeKeyboardNotes (juce::MidiBuffer& midiMessages) { keyboardNotes.takeNotes (midiMessages, 0); }

    /** Drops the notes played while no block ran; the thread that prepares playback, while no block runs. */
    void discardKeyboardNotes() { keyboardNotes.discardNotes(); }

    /** Compares the host's offline flag with the one last reported and posts a notice when it changed.
        Audio thread or the thread that prepares. */
    void checkNonRealtime();

    /** Gives the processor its preset folder (owned from then on). */
    void setCurrentPresetCollection (std::unique_ptr<PresetCollection> collection);

    /** Deletes the persistent editor; the product does it first in its destructor, before the members
        the editor uses are gone. */
    void deleteGuiController();

    /** Creates a folder for the user's files (the user data folder, the settings file's folder) and the
        folders missing on the way to it, but only when the parent of the user's application-data folder
        (the home folder for ~/.config) exists: a home folder whose name could not be read names one that
        is not there, and creating it would put the settings in a tree nobody looks at. True when the
        folder exists afterwards. */
    bool createUserFolder (const juce::File& folder) const;

    /** Set by the sequencer layer's constructor: initialise runs as a virtual chain, and the layers build
        the whole user settings document. Written only during construction. */
    bool useLayeredInitialise = false;

private:
    void applyPresetValues (const Preset& preset);
    void selectAdjacentPreset (PresetCollection* collection, int direction);
    bool isCurrentCollection (const PresetCollection* collection) const noexcept;
    int getNumUsableHostParameters() const;
    void postNotice (std::atomic<int>& flag, int value);
    /** Why a chunk of that size gave no state: too large, or damaged or foreign. */
    juce::String describeUnreadableChunk (int sizeInBytes) const;

    class HostWriteScope;

    std::atomic<bool> lastNonRealtime{false};
    EditorFactory editorFactory;
    std::unique_ptr<juce::Component> guiController;
    EditorSettings* editorSettings = nullptr; // the same object as guiController, or null
    // A state's editor element applied off the message thread, restored by handleAsyncUpdate.
    std::unique_ptr<juce::XmlElement> pendingEditorState;
    juce::CriticalSection pendingEditorStateLock;
    const juce::File pluginFile;
    ParameterManager parameterManager;

    // Host slots: index = host automation index.
    std::array<Parameter*, maxHostParameters> hostParameters{}; // not owned; null = free
    juce::CriticalSection hostParametersLock;
    juce::HashMap<int, int> hostParameterSlots; // parameter id -> slot
    juce::CriticalSection hostParameterSlotsLock;
    std::array<std::atomic<float>, maxHostParameters> hostValues{}; // the host's last write per slot
    // The thread applying the host's write of each slot, null when none (the host-echo guard).
    std::array<std::atomic<juce::Thread::ThreadID>, maxHostParameters> hostWriters{};
    juce::ChangeBroadcaster hostParametersChanged;
    juce::String hostMapFile;
    bool hostMapIsDefault = false;

    MidiControl midiControl;
    EventsMap eventsMap;

    // The on-screen keyboard's notes: played on the message thread, taken by the audio thread.
    juce::MidiKeyboardState keyboardState;
    KeyboardNoteQueue keyboardNotes{keyboardState};

    // Set on any thread, consumed by handleAsyncUpdate on the message thread.
    std::atomic<int> stateRestoredPending{0};
    std::atomic<int> stateSavedPending{0};
    std::atomic<int> preparedPending{0};
    std::atomic<int> processingModePending{0}; // 1 realtime, 2 offline
    std::atomic<int> isPrepared{0};
    std::atomic<int> midiActivityFlag{0};

    ListenerArray<Listener> listeners; // message thread

    // Current-preset record.
    std::unique_ptr<PresetCollection> currentPresetCollection;
    juce::String currentPresetName;
    juce::CriticalSection currentPresetNameLock;
    std::atomic<bool> currentPresetModified{false};
    std::atomic<bool> currentPresetFlag{false};
    juce::String authorName; // the author update reads it from its own thread
    juce::CriticalSection authorNameLock;

    const bool hostIsFruityLoops;

    juce::StringArray reportedProblems;
    juce::CriticalSection reportedProblemsLock;
    bool userSettingsWritable = true; // false while an unreadable settings file could not be moved aside

    JUCE_DECLARE_NON_COPYABLE (BasePlugin)
};
