#pragma once

#include "framework/ListenerArray.h"
#include "framework/RealtimeNotifier.h"

#include <array>
#include <atomic>
#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>
#include <memory>

class Parameter;
class ParameterManager;

/** The map from the 128 MIDI controller numbers to parameters, with MIDI learn.

    A parameter sits in at most one controller slot. With learn mode on, the next parameter touched in the
    editor and the next controller received are paired: whichever comes first stays chosen and the other
    completes the pair; a controller already taken is never taken over by learn.

    Threads: processMidiMessage runs on the audio thread under the host's processing lock; learn, the
    options page and the file operations run on the message thread. One recursive lock serialises both
    (lock order: host processing lock, this lock, the engine's lock). A host may also restore a map on a
    thread of its own (loadFromXml from its state chunk). Notices to listeners are coalesced and delivered
    on the message thread, except midiLearnStateChanged from setLearnMode on the message thread (or with
    its lock held), which is called at once; a controller on the audio thread only raises a flag for them.
   Whatever thread changes the map, its getters read the new state as soon as the call returns.

    The parameters belong to the ParameterManager and outlive this map. */
class MidiControl : public RealtimeNotifier
{
public:
    /** Called on the message thread. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void midiControlMapChanged (MidiControl*) {}
        virtual void midiLearnStateChanged (MidiControl*) {}
        virtual void parameterMovedByMidi (MidiControl*) {}
    };

    static constexpr int numControllers = 128;

    /** All slots free, learn off, no listeners. The manager is where map files find parameters by name. */
    explicit MidiControl (ParameterManager& parameterManager);
    ~MidiControl() override;

    //==============================================================================
    /** Audio thread, every incoming MIDI event. A controller on any channel moves the parameter in its slot
        to value / 127 (notifying its synchronous listeners here, inside the lock) and, in learn mode,
        takes part in learning first. Allocates nothing; other messages are ignored. */
    void processMidiMessage (const juce::MidiMessage& message);

    //==============================================================================
    /** Switching the mode forgets the chosen parameter and controller and tells every listener: at once on
        the message thread, through the asynchronous notice from any other thread. */
    void setLearnMode (bool shouldLearn);
    bool isLearnMode() const;

    /** The editor reports the parameter the user touched while learn mode is on; ignored when it is off. */
    void setLearnParameter (Parameter* parameter);

    /** In learn mode, makes the assignment on this controller the chosen pair, as the options page does
        when the user selects a row; nothing when the slot is free or learn mode is off. */
    void selectAssignmentForLearn (int controller);

    /** Assigns the chosen controller to the chosen parameter when both are known and the controller is
        free; always raises the learn-state notice. */
    void completeLearn();

    Parameter* getLearnParameter() const;
    int getLearnedController() const; // -1 when none

    //==============================================================================
    /** A null parameter frees the slot; a parameter held by another slot leaves that slot. Controllers
        outside 0..127 are ignored. */
    void assign (int controller, Parameter* parameter, bool notify);
    void removeAssignment (int controller);
    void clearAll (bool notify);

    /** The parameter on a controller; null when free or out of range. */
    Parameter* getParameterOfController (int controller) const;

    /** The lowest controller holding the parameter, or -1. */
    int getControllerOfParameter (const Parameter* parameter) const;

    int getNumAssignments() const;

    /** The parameter that the last mapped controller moved (message thread, after parameterMovedByMidi). */
    Parameter* getLastMovedParameter() const;

    //==============================================================================
    /** The plug-in's name: written into map files, and a file naming another plug-in is refused. */
    void setName (const juce::String& newName);
    juce::String getName() const;

    /** The start-up choice of a user-defined map, kept in the user settings. */
    void setDefaultMapInUse (bool shouldUseDefaultMap);
    bool isDefaultMapInUse() const;
    void setDefaultMapFile (const juce::File& file);
    juce::File getDefaultMapFile() const;

    /** Callers that read several fields consistently hold this (recursive) lock around the reads. */
    const juce::CriticalSection& getLock() const noexcept { return lock; }

    /** Message thread. Null and duplicates are ignored. */
    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    //==============================================================================
    /** A "MidiControlMap" or "MidiCCMap" root (any case) whose "name" or "application" equals this map's
        name ignoring case; any such root while the name is empty. */
    bool isValidXml (const juce::XmlElement* root) const;

    /** Replaces the map with the root's entries and ends learn mode. A refused root changes nothing and
        gives false. Entries naming no automatable parameter, or a controller that is not an integer
        0 to 127, are skipped one by one. Any thread but the audio thread; the listeners hear of it on the
        message thread. */
    bool loadFromXml (const juce::XmlElement& root);

    /** "MidiControlMap" with one "assign" per occupied slot in controller order. */
    std::unique_ptr<juce::XmlElement> createXml() const;

    /** A file that cannot be read or parsed, or is refused, leaves the map unchanged and gives false. */
    bool loadFromFile (const juce::File& file);

    /** Writes the map with encoding "UTF-8"; the old file is replaced only by a complete new one. */
    bool saveToFile (const juce::File& file) const;

private:
    void handleAsyncUpdate() override;

    void learnController (int controller);
    void postMapChanged();
    void postLearnStateChanged();

    ParameterManager& parameterManager;
    ListenerArray<Listener> listeners; // message thread only

    // Guarded by the lock.
    std::array<Parameter*, numControllers> slots{};
    bool learnMode = false;
    Parameter* learnParameter = nullptr;
    int learnedController = -1;
    juce::String name;
    bool defaultMapInUse = false;
    juce::File defaultMapFile;

    // Written under the lock on any thread, consumed on the message thread without it.
    std::atomic<bool> mapChangedPending{false};
    std::atomic<bool> learnStatePending{false};
    std::atomic<bool> movedByMidiPending{false};
    std::atomic<Parameter*> lastMovedParameter{nullptr};

    juce::CriticalSection lock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiControl)
};
