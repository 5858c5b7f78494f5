#pragma once

#include "framework/BasePlugin.h"
#include "framework/ListenerArray.h"
#include "framework/PresetBankEntry.h"
#include "framework/PresetBankGroup.h"
#include "framework/RealtimeNotifier.h"

#include <array>
#include <atomic>
#include <juce_core/juce_core.h>
#include <memory>
#include <optional>

/** The processor level that keeps the product's preset bank: 128 presets in named groups, held in memory
    as the normalised values of the presetable parameters (ids 0 to 32).

    It fills the bank at start-up (factory bank, cleared bank or a user bank file, as the user settings
    say), follows the current preset through the parameters "Current Preset Number" (110000) and
    "Current Preset Name" (110001), stores parameter changes into the current preset when storing is
    automatic, reads and writes single presets and whole banks as XML, writes and restores the host
    state ("PluginState") and the current-program chunk, and owns three sections of the user settings
    file (recently used folder, resource defaults, preset behaviour).

    A MIDI program change acts at its own sample on the audio thread: it reads the preset's values from
    a copy of the bank that every change of the bank republishes without a lock, and leaves the number
    and name parameters, which take locks and allocate, to the message thread.

    Threads: bank and browser operations run on the message thread, state save and restore on the
    host's thread, parameter changes arrive on the thread that made them (the audio thread for
    automation and MIDI). The preset array and the group array each have their own recursive lock,
    held for one step at a time and never one inside the other; no parameter is set and no listener is
    called while either is held. */
class BasePluginOldStyle : public BasePlugin
{
public:
    /** Told when a preset of the bank has been loaded into the parameters. Called on the thread that
        loaded it (the message thread, or the audio thread for a MIDI program change), the last added
        first. */
    class PresetManagerListener
    {
    public:
        virtual ~PresetManagerListener() = default;
        virtual void presetChanged() {}
    };

    static constexpr int numBankPresets = 128;
    static constexpr int currentPresetNumberId = 110000;
    static constexpr int currentPresetNameId = 110001;

    /** Parameters 0 .. numStateParameters - 1 go into the host state; the first numPresetableParameters
        of them into presets, the rest are the non-presetable ones. */
    static constexpr int numStateParameters = 36;
    static constexpr int numPresetableParameters = 33;
    static constexpr int numNotPresetableParameters = numStateParameters - numPresetableParameters;

    /** Which bank a new instance starts with. */
    enum DefaultPresetsMode
    {
        factoryPresets = 0,
        clearPresets = 1,
        userDefinedPresets = 2
    };

    enum PresetStoringMode
    {
        automaticStoring = 0,
        onDemandStoring = 1
    };

    enum PresetChangingMode
    {
        normalChanging = 0,
        silentChanging = 1
    };

    /** Adds the two current-preset parameters and a placeholder bank of 128 presets "Preset" with values 0
        and no groups; the default preset takes the parameters' values as they are now. Reads no file. */
    BasePluginOldStyle();
    ~BasePluginOldStyle() override;

    //==============================================================================
    // Hooks of this level

    /** Reads the "Presets" and "MidiCCMap" entries of a "ResourcesSettings" element. */
    virtual void readResourcesSettings (const juce::XmlElement& xml);
    /** "ResourcesSettings" holding "Presets" then "MidiCCMap"; the sequencer level inserts its own. */
    virtual std::unique_ptr<juce::XmlElement> createResourcesSettingsXml();

    virtual bool isPresetStoringConfigurable() const { return true; }
    virtual bool isPresetChangingConfigurable() const { return true; }

    /** Further extensions the file choosers accept, each with its leading dot. */
    virtual int getNumExtraPresetFileExtensions() const { return 0; }
    virtual juce::String getExtraPresetFileExtension (int) const { return {}; }
    virtual int getNumExtraPresetBankFileExtensions() const { return 0; }
    virtual juce::String getExtraPresetBankFileExtension (int) const { return {}; }

    /** "NotPresetableParams" or "NotPresetParams", ignoring case. */
    virtual bool isNotPresetableParamsXml (const juce::XmlElement& xml) const;
    /** Sets the non-presetable parameters named in the element (notifying); other names are skipped. */
    virtual void readNotPresetableParams (const juce::XmlElement& xml);
    virtual std::unique_ptr<juce::XmlElement> createNotPresetableParamsXml() const;

    /** A "Preset" of this product, both compared ignoring case. */
    virtual bool isPresetXml (const juce::XmlElement& xml) const;
    /** Reads a valid "Preset" into the bank preset at the index; false (and nothing changed) for another
        element, an index out of range or a name that would take the bank beyond maxBankTextBytes. The
        preset is not loaded into the parameters. */
    virtual bool loadPresetFromXml (const juce::XmlElement& xml, int index);
    /** Reads a valid "Preset" into the entry: its name (default "unnamed") and the values of the params
        naming a parameter whose id lies below the entry's value count; values are clamped into 0..1, a
        value that is no finite number reads as 0, values the element lacks keep what they were. */
    virtual bool loadPresetFromXml (const juce::XmlElement& xml, PresetBankEntry* entry);
    /** Null for an index out of range. */
    virtual std::unique_ptr<juce::XmlElement> createPresetXml (int index) const;
    /** "Preset" with one "param" per value, values written with at most 6 decimals; null for null. */
    virtual std::unique_ptr<juce::XmlElement> createPresetXml (const PresetBankEntry* entry) const;
    /** The current preset as the panel plays it: its name with the values of parameters 0 to 32 as they
        are now, stored or not, in the same element as createPresetXml. The bank is left as it is. What a
        saved single preset and the host's current-program chunk hold. */
    std::unique_ptr<juce::XmlElement> createCurrentPresetXml() const;

    virtual bool isPresetGroupXml (const juce::XmlElement& xml) const;
    virtual bool isPresetBankXml (const juce::XmlElement& xml) const;
    /** A "PresetBank" replaces the whole bank (presets beyond 128 are ignored; presets left over go to a
        group "Not used"); anything else, or a bank of more than maxGroups groups (that one included) or
        whose names would take more than maxBankTextBytes, changes nothing and gives false. The bank is
        built aside and then put in place, so readers never see half of it. The current preset is not
        reloaded. */
    virtual bool loadPresetBankFromXml (const juce::XmlElement& xml);
    virtual std::unique_ptr<juce::XmlElement> createPresetBankXml() const;

    virtual int getNumExtraMidiCCMapFileExtensions() const { return 0; }
    virtual juce::String getExtraMidiCCMapFileExtension (int) const { return {}; }

    //==============================================================================
    // Overrides of the processor base

    /** Binds host slots to the parameters of the same ids, sets the recently used folder to the home
        folder, runs the base's late initialisation (user settings), then reads the default preset, fills
        the bank by the default-presets mode, loads the current preset and notifies parameters 0 to 35.
        Message thread. */
    void initialise() override;

    /** "ParametersState", "PresetsState" and "MidiControlMap" (or "MidiCCMap") children in document order;
        a bank too large to take is reported and the bank kept. Host thread. */
    void applyStateXml (const juce::XmlElement& xml) override;
    std::unique_ptr<juce::XmlElement> createStateXml() override;
    /** A valid "Preset" replaces the current preset, which is then loaded; anything else is reported. */
    void applyCurrentProgramStateXml (const juce::XmlElement& xml) override;
    /** createCurrentPresetXml: a host saving the current program keeps the sound it hears. */
    std::unique_ptr<juce::XmlElement> createCurrentProgramStateXml() override;

    void readUserSettings (const juce::XmlElement& root) override;
    /** "UserSettings" with "PluginDirectories", "ResourcesSettings" and "PresetSettings". */
    std::unique_ptr<juce::XmlElement> createUserSettingsXml() override;

    /** Synchronous, on the thread that changed the parameter: a new "Current Preset Name" renames the
        current preset; with automatic storing a presetable parameter is written into the current preset;
        every other change goes on to the base, which passes it to the host. */
    void parameterChanged (Parameter* parameter) override;

    //==============================================================================
    // The bank

    int getNumPresets() const;
    int getCurrentPresetIndex() const noexcept { return currentPresetIndex.load(); }

    /** Makes the index current and shows it in 110000 and 110001 without loading its values; nothing for
        an index out of range. Showing a preset renames nothing: only a name set into 110001 from outside
        (the panel's name display) renames the current preset. */
    void setCurrentPresetIndex (int index, bool notify);

    /** Sets parameters 0 to 32 from the current preset, then 110000 and 110001 (all notifying), then tells
        the preset listeners. */
    void loadCurrentPreset();

    /** Makes the preset current and loads it, so that 110000, 110001 and their listeners follow; nothing
        for an index out of range. */
    void selectPreset (int index);

    /** Next / previous preset, loaded; nothing at the last / first one. */
    void selectNextPreset();
    void selectPreviousPreset();
    using BasePlugin::selectNextPreset;
    using BasePlugin::selectPreviousPreset;

    juce::String getPresetName (int index) const;
    /** For the current preset also sets 110001 (notifying). False, with the name unchanged, out of range
        or when the name would take the bank beyond maxBankTextBytes; 110001 then shows the kept name. */
    bool setPresetName (int index, const juce::String& name);

    /** The preset takes the normalised values of parameters 0 to 32 as they are now. */
    void storePreset (int index);

    /** The copy buffer takes the current name + "_copy" and the parameters' values. */
    void copyCurrentPreset();
    /** With a full copy buffer: the parameters and the current preset take the buffer, then it is loaded.
        Nothing while the buffer is empty. */
    void pasteCopiedPreset();
    bool isCopyBufferFull() const noexcept { return copyBufferFull; }

    /** Null out of range. Guarded by getPresetsLock(); the entries live as long as this processor. */
    PresetBankEntry* getBankPreset (int index) const;

    /** The values a cleared preset gets (the default preset resource, or the parameters table). */
    const PresetBankEntry& getDefaultPreset() const noexcept { return *defaultPreset; }

    juce::String getBankName() const;

    /** The most groups a bank may have: 128 presets fill at most 128 of them, and this leaves room for
        hundreds of empty ones. A bank of more is not loaded and no group is added beyond it: each group is
        two nodes of a written state, which must stay well within BoundedXml::maxNodes to be read back
        (without this bound the names' bound alone allowed some 680,000 groups). */
    static constexpr int maxGroups = 1024;

    /** The most the bank's names may take in a written state, as getBankTextBytes counts them: what an
        8 MB bank file of names in any script becomes at most, a letter of two bytes being written as a
        reference of up to 7 (&#2047;). A bank whose names would take more is not loaded, and no name or
        group may take the bank beyond it, so that whatever bank the plug-in holds fits in a state it
        reads back. */
    static constexpr size_t maxBankTextBytes = 28 * 1024 * 1024;

    /** What the bank's names take in a written state, in bytes: the bank's own name, each group's name
        with the markup around it (groups may be added without end), each preset's name beyond its
        first uncountedPresetNameBytes. */
    size_t getBankTextBytes() const;

    /** The bytes of a preset's name that getBankTextBytes leaves to the fixed part of the state: a legacy
        chunk's names (24 Latin-1 letters) and a cleared bank's fit in them, so neither can take a bank
        beyond its bound. */
    static constexpr size_t uncountedPresetNameBytes = 144;

    /** Names the presets "Preset 0" .. "Preset 127" with the default preset's values, in one group
        "Not used". */
    void clearBank();

    int getNumGroups() const;
    juce::String getGroupName (int group) const;
    /** False, with the name unchanged, out of range or when the name would take the bank beyond
        maxBankTextBytes. */
    bool setGroupName (int group, const juce::String& name);
    /** 0 out of range. */
    int getGroupSize (int group) const;
    /** -1 out of range. */
    int getGroupFirstPresetIndex (int group) const;
    int getGroupLastPresetIndex (int group) const;
    /** The flat index of a preset given within its group; -1 when outside the group or the bank. */
    int getPresetIndex (int group, int indexInGroup) const;
    juce::String getGroupPresetName (int group, int indexInGroup) const;
    /** -1 when no group holds the preset. */
    int getGroupIndexOfPreset (int presetIndex) const;

    /** An empty group "New Group" at that position; false, with nothing inserted, unless the index is
        below the group count, the bank has fewer than maxGroups groups and the group keeps the bank within
        maxBankTextBytes. */
    bool insertGroup (int index);
    /** Removes a group that holds no preset; false (and nothing removed) otherwise. */
    bool removeEmptyGroup (int index);

    /** Moves one preset, possibly into another group (which grows as the source group shrinks). The
        current preset stays the same preset. Nothing unless both groups are valid, from and to are
        different presets, from lies in fromGroup and to ends inside toGroup. */
    void movePreset (int from, int to, int fromGroup, int toGroup);
    /** Moves the presets at the given rows of fromGroup to the end of toGroup, keeping their order. Rows
        outside the group are ignored. */
    void movePresetsToGroup (int toGroup, int fromGroup, const juce::SparseSet<int>& rows);
    /** Moves a group with its presets to another position in the group list. */
    void moveGroup (int from, int to);

    /** Null and duplicates are ignored. Message thread, before audio runs. */
    void addPresetManagerListener (PresetManagerListener* listener);
    void removePresetManagerListener (PresetManagerListener* listener);

    /** Reads a preset file into the preset at the index, reloading it when it is the current one. False,
        with the preset unchanged, for a file that cannot be read or holds no valid "Preset" the bank can
        take. */
    bool loadPresetFile (const juce::File& file, int index);
    /** Replaces the bank from a bank file, reloads the current preset and remembers the file's folder.
        False, with the bank unchanged, for a file that cannot be read or holds no "PresetBank" the plug-in
        can take (see maxGroups and maxBankTextBytes). */
    bool loadPresetBankFile (const juce::File& file);

    /** ".klprs" in the product: "." + prefix + "prs", lower-cased. */
    juce::String getPresetFileExtension() const;
    juce::String getPresetFileWildcard() const;
    /** The wildcard, then "; *" + each extra extension. */
    juce::String getPresetFileWildcards() const;
    juce::String getPresetBankFileExtension() const;
    juce::String getPresetBankFileWildcard() const;
    juce::String getPresetBankFileWildcards() const;

    const juce::CriticalSection& getPresetsLock() const noexcept { return presetsLock; }
    const juce::CriticalSection& getGroupsLock() const noexcept { return groupsLock; }

    //==============================================================================
    // Program changes

    /** Audio thread, at the program change's own sample: makes the program the current preset, sets
        parameters 0 to 32 (notifying) from the published copy of its values and tells the preset
        listeners. Allocates nothing and waits for no lock of the bank; parameters 110000 and 110001
        follow on the message thread. False, with nothing changed, for a program outside the bank. One
        thread at a time (the host's processing lock). */
    bool applyProgramChange (int program);

    /** Publishes the bank's values for applyProgramChange. Every operation of this class that changes
        values or order does it; code that changes entries through getBankPreset calls it afterwards.
        Any thread but the audio thread; never with the presets lock held. */
    void publishBankSnapshot();

    //==============================================================================
    // Settings sections (message thread)

    void readPluginDirectories (const juce::XmlElement& xml);
    void writePluginDirectories (juce::XmlElement& root) const;
    void readDefaultPresetsSetting (const juce::XmlElement& xml);
    void readMidiCCMapSetting (const juce::XmlElement& xml);
    /** Reading storing="automatic" stores the current parameters into the current preset at once. */
    void readPresetSettings (const juce::XmlElement& xml);
    void writePresetSettings (juce::XmlElement& root) const;

    /** Only an existing folder is taken. */
    void setRecentlyUsedDirectory (const juce::File& folder);
    const juce::File& getRecentlyUsedDirectory() const noexcept { return recentlyUsedDirectory; }

    void setUserDefinedPresetsFile (const juce::File& file) { userDefinedPresetsFile = file; }
    const juce::File& getUserDefinedPresetsFile() const noexcept { return userDefinedPresetsFile; }

    /** Takes effect at the next start-up; values outside the enum are ignored. */
    void setDefaultPresetsMode (int mode);
    int getDefaultPresetsMode() const noexcept { return defaultPresetsMode; }
    /** Values outside the enums are ignored. Switching to automatic does not store by itself. */
    void setPresetStoringMode (int mode);
    int getPresetStoringMode() const noexcept { return presetStoringMode.load(); }
    void setPresetChangingMode (int mode);
    int getPresetChangingMode() const noexcept { return presetChangingMode.load(); }

    /** ".klccmap" in the product. */
    juce::String getMidiCCMapFileExtension() const;
    juce::String getMidiCCMapFileWildcards() const;

    /** First-run preparation, called by the product's constructor: creates the user data folder (see
        createUserFolder) and moves a settings file left in the plug-in module's folder (or the
        given folder) into it, unless a settings file is already there. Only a regular file the settings
        reader would take moves; the old file is deleted once the copy is in place. */
    void initialiseSettings (const juce::File& moduleFolder = {});

protected:
    /** "*.ext" for the extension, then "; *.extra" for each further one (file chooser patterns). */
    static juce::String joinWildcards (const juce::String& extension,
                                       const juce::StringArray& extraExtensions);

private:
    /** A whole bank read aside before it replaces the live one. */
    struct BankImage;

    /** The bank's values as program changes read them. Writers (serialised by writeLock) fill the back
        copy and swap it into the middle; the one reader swaps the middle into its front copy when a newer
        one is there. Three copies, so neither side waits for the other or writes what it reads. */
    class BankSnapshots
    {
    public:
        struct Snapshot
        {
            int numPresets = 0;
            std::array<std::array<float, numPresetableParameters>, numBankPresets> values{};
        };

        /** Writer, holding writeLock. */
        Snapshot& getBackCopy() noexcept { return copies[(size_t) back]; }
        void publish() noexcept
        {
            back = middle.exchange (back | freshFlag, std::memory_order_acq_rel) & indexMask;
        }

        /** The reader: the latest published copy, kept until a newer one is published. */
        const Snapshot& acquireLatest() noexcept
        {
            if ((middle.load (std::memory_order_acquire) & freshFlag) != 0)
                front = middle.exchange (front, std::memory_order_acq_rel) & indexMask;
            return copies[(size_t) front];
        }

        juce::CriticalSection writeLock;

    private:
        static constexpr int indexMask = 3;
        static constexpr int freshFlag = 4;

        std::array<Snapshot, 3> copies;
        std::atomic<int> middle{1};
        int back = 0;  // the writers'
        int front = 2; // the reader's
    };

    /** What other threads leave to the message thread: the number and name parameters of the current
        preset after a program change on the audio thread or a preset shown on a host's thread, and a
        snapshot rebuilt after a value stored off the message thread. */
    class BankNotices : public RealtimeNotifier
    {
    public:
        explicit BankNotices (BasePluginOldStyle& ownerToServe)
            : owner (ownerToServe)
        {
        }
        ~BankNotices() override { cancelPendingUpdate(); }
        void handleAsyncUpdate() override;

        /** Any thread: the message thread is to show the current preset in 110000 and 110001. */
        void postShowCurrentPreset() noexcept
        {
            showPending.store (true);
            triggerAsyncUpdate();
        }

        std::atomic<bool> showPending{false};   // a program applied, or a preset shown off the message thread
        std::atomic<bool> snapshotStale{false}; // a value was stored off the message thread

    private:
        BasePluginOldStyle& owner;
    };

    /** The normalised values of parameters 0 to 32 as they are now: what a store, a copy or a save takes. */
    std::array<float, numPresetableParameters> getPresetableValues() const;
    void readParameterValues (const juce::XmlElement& xml, int firstId, int endId);
    std::unique_ptr<juce::XmlElement> createParameterValuesXml (const juce::String& tag, int firstId,
                                                                int endId) const;
    void readPresetsState (const juce::XmlElement& xml);
    /** 110000 and 110001 take the index and the name, their asynchronous listeners told when notify is
        set and they changed; they rename nothing. */
    void showPreset (int index, const juce::String& name, bool notify);
    void showCurrentPreset();
    /** The name of the preset at the index, read under the bank's lock; none for an index out of range. */
    std::optional<juce::String> findPresetName (int index) const;
    void installBank (BankImage& image);
    /** The two parts of getBankTextBytes, each read under its own lock. */
    size_t getGroupsTextBytes() const;
    size_t getPresetsTextBytes() const;
    bool loadFactoryBank();

    /** Index of the preset now at the place of the one that was current; message thread. */
    void followCurrentPreset (const PresetBankEntry* current);
    const PresetBankEntry* getCurrentEntry() const;

    // Bank.
    std::atomic<int> currentPresetIndex{0}; // read by automatic storing on the audio thread
    juce::String bankName{"Preset Bank"};   // guarded by groupsLock
    juce::OwnedArray<PresetBankEntry> presets;
    juce::CriticalSection presetsLock;
    juce::OwnedArray<PresetBankGroup> groups;
    juce::CriticalSection groupsLock;
    // Held from the check to the change of anything that makes the bank's names longer, so that two
    // changes cannot each fit alone and pass the bound together. Taken before either lock above.
    juce::CriticalSection bankTextLock;
    std::unique_ptr<PresetBankEntry> defaultPreset; // written only during late initialisation
    std::unique_ptr<PresetBankEntry> copyBuffer;    // message thread
    bool copyBufferFull = false;
    ListenerArray<PresetManagerListener> presetListeners;

    // Program changes.
    std::unique_ptr<BankSnapshots> bankSnapshots;
    BankNotices bankNotices{*this};
    // The thread applying a program change: its own parameter changes are not stored back into the
    // bank, whose live values may be newer than the copy it applies.
    std::atomic<juce::Thread::ThreadID> programApplyingThread{nullptr};

    // Settings.
    juce::File recentlyUsedDirectory;
    int defaultPresetsMode = factoryPresets;
    juce::File userDefinedPresetsFile;
    std::atomic<int> presetStoringMode{onDemandStoring}; // read on the audio thread
    std::atomic<int> presetChangingMode{normalChanging}; // read on the audio thread (program changes)

    JUCE_DECLARE_NON_COPYABLE (BasePluginOldStyle)
};
