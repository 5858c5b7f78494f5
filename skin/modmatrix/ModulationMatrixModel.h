#pragma once

#include "framework/ListenerArray.h"

#include <juce_events/juce_events.h>

/** One route: a source (0 to 8, -1 none) to a destination id (-1 none) with an amount from -1 to +1. */
struct ModulationEntry
{
    int source = -1;
    int destination = -1;
    float amount = 0.0f;

    bool operator== (const ModulationEntry& o) const noexcept
    {
        return source == o.source && destination == o.destination && amount == o.amount;
    }
    bool operator!= (const ModulationEntry& o) const noexcept { return !operator== (o); }
};

/** The routes of a modulation matrix with lookup indexes for an engine and the sources' current values.

    Every operation takes the model's lock for its whole run, so a reader on another thread (the audio
    thread of an engine) always sees whole entries and indexes that match them. The editor edits on the
    message thread and hears of changes through the two broadcasters (structure: entries added or removed;
    values: the sources moved) and through Listener for an entry changed in place.
*/
class ModulationMatrixModel
{
public:
    static constexpr int numSources = 9;

    /** The source names; a source menu's item id is the source's index. */
    static const juce::StringArray& getSourceNames();

    /** Velocity and Pitch are set once per note; every other source moves continuously. */
    static bool isContinuousSource (int source) noexcept { return source != 3 && source != 4; }
    static bool isValidSource (int source) noexcept { return source >= 0 && source < numSources; }

    /** Called on the thread that changed the entry (the message thread for the editor). */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void modulationEntryChanged (ModulationMatrixModel*, int index) = 0;
    };

    ModulationMatrixModel();
    ~ModulationMatrixModel();

    /** Appends (-1, -1, 0). */
    void addEntry();
    /** Nothing for an index out of range, negative ones included. */
    void removeEntry (int index);
    /** The entry at from ends at to; indexes out of range change nothing. No notice: the caller moves
        what shows the entries itself. */
    void moveEntry (int from, int to);
    /** Nothing for an index out of range or an equal entry. The indexes are rebuilt when the source or
        the destination changed; an amount changes in place. */
    void setEntry (int index, const ModulationEntry& entry);

    int getNumEntries() const;
    /** A copy; (-1, -1, 0) for an index out of range. */
    ModulationEntry getEntry (int index) const;
    juce::Array<ModulationEntry> getEntries() const;

    float getSourceValue (int source) const;
    /** For the owner that drives the sources; tells the values broadcaster. */
    void setSourceValue (int source, float value);

    /** The lookup indexes, as copies taken under the lock. */
    juce::Array<ModulationEntry> getEntriesOfSource (int source) const;
    juce::Array<int> getDestinationsOfSource (int source) const;
    juce::Array<int> getContinuousDestinations() const;
    juce::Array<int> getAllDestinations() const;
    juce::Array<ModulationEntry> getEntriesOfDestination (int destination, bool continuousOnly) const;

    void addListener (Listener* l) { listeners.add (l); }
    void removeListener (Listener* l) { listeners.remove (l); }

    juce::CriticalSection& getLock() noexcept { return lock; }

    juce::ChangeBroadcaster entriesChanged;
    juce::ChangeBroadcaster valuesChanged;

private:
    void rebuildIndexes();

    ListenerArray<Listener> listeners;
    juce::OwnedArray<ModulationEntry> entries;
    juce::Array<ModulationEntry*> entriesOfSource[numSources];
    juce::Array<int> destinationsOfSource[numSources];
    juce::Array<int> continuousDestinations, allDestinations;
    juce::HashMap<int, juce::Array<ModulationEntry*>> continuousEntriesOfDestination, entriesOfDestination;
    float sourceValues[numSources] = {};
    juce::CriticalSection lock;

    JUCE_DECLARE_NON_COPYABLE (ModulationMatrixModel)
};
