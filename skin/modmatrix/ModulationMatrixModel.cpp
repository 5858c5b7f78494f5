#include "skin/modmatrix/ModulationMatrixModel.h"

namespace
{
juce::Array<ModulationEntry> copies (const juce::Array<ModulationEntry*>& pointers)
{
    juce::Array<ModulationEntry> result;
    result.ensureStorageAllocated (pointers.size());
    for (auto* e : pointers)
        result.add (*e);
    return result;
}
} // namespace

const juce::StringArray& ModulationMatrixModel::getSourceNames()
{
    static const juce::StringArray names{"Modulation",       "Expression", "Pitch Bend", "Velocity", "Pitch",
                                         "Channel Pressure", "Sustain",    "Arpe Gate",  "Arpe Tie"};
    return names;
}

ModulationMatrixModel::ModulationMatrixModel() = default;
ModulationMatrixModel::~ModulationMatrixModel() = default;

void ModulationMatrixModel::addEntry()
{
    {
        const juce::ScopedLock sl (lock);
        entries.add (new ModulationEntry());
        rebuildIndexes();
    }
    entriesChanged.sendChangeMessage();
}

void ModulationMatrixModel::removeEntry (int index)
{
    {
        const juce::ScopedLock sl (lock);
        if (!juce::isPositiveAndBelow (index, entries.size()))
            return;
        entries.remove (index);
        rebuildIndexes();
    }
    entriesChanged.sendChangeMessage();
}

void ModulationMatrixModel::moveEntry (int from, int to)
{
    const juce::ScopedLock sl (lock);
    if (juce::isPositiveAndBelow (from, entries.size()) && juce::isPositiveAndBelow (to, entries.size()))
        entries.move (from, to);
}

void ModulationMatrixModel::setEntry (int index, const ModulationEntry& entry)
{
    {
        const juce::ScopedLock sl (lock);
        if (!juce::isPositiveAndBelow (index, entries.size()))
            return;
        auto& current = *entries.getUnchecked (index);
        if (current == entry)
            return;
        const bool routeChanged = current.source != entry.source || current.destination != entry.destination;
        current = entry;
        if (routeChanged)
            rebuildIndexes();
    }
    listeners.call ([this, index] (Listener& l) { l.modulationEntryChanged (this, index); });
}

int ModulationMatrixModel::getNumEntries() const
{
    const juce::ScopedLock sl (lock);
    return entries.size();
}

ModulationEntry ModulationMatrixModel::getEntry (int index) const
{
    const juce::ScopedLock sl (lock);
    if (auto* e = entries[index])
        return *e;
    return {};
}

juce::Array<ModulationEntry> ModulationMatrixModel::getEntries() const
{
    const juce::ScopedLock sl (lock);
    juce::Array<ModulationEntry> result;
    for (auto* e : entries)
        result.add (*e);
    return result;
}

float ModulationMatrixModel::getSourceValue (int source) const
{
    const juce::ScopedLock sl (lock);
    return isValidSource (source) ? sourceValues[source] : 0.0f;
}

void ModulationMatrixModel::setSourceValue (int source, float value)
{
    {
        const juce::ScopedLock sl (lock);
        if (!isValidSource (source) || sourceValues[source] == value)
            return;
        sourceValues[source] = value;
    }
    valuesChanged.sendChangeMessage();
}

juce::Array<ModulationEntry> ModulationMatrixModel::getEntriesOfSource (int source) const
{
    const juce::ScopedLock sl (lock);
    return isValidSource (source) ? copies (entriesOfSource[source]) : juce::Array<ModulationEntry>();
}

juce::Array<int> ModulationMatrixModel::getDestinationsOfSource (int source) const
{
    const juce::ScopedLock sl (lock);
    return isValidSource (source) ? destinationsOfSource[source] : juce::Array<int>();
}

juce::Array<int> ModulationMatrixModel::getContinuousDestinations() const
{
    const juce::ScopedLock sl (lock);
    return continuousDestinations;
}

juce::Array<int> ModulationMatrixModel::getAllDestinations() const
{
    const juce::ScopedLock sl (lock);
    return allDestinations;
}

juce::Array<ModulationEntry> ModulationMatrixModel::getEntriesOfDestination (int destination,
                                                                             bool continuousOnly) const
{
    const juce::ScopedLock sl (lock);
    const auto& map = continuousOnly ? continuousEntriesOfDestination : entriesOfDestination;
    return map.contains (destination) ? copies (map[destination]) : juce::Array<ModulationEntry>();
}

void ModulationMatrixModel::rebuildIndexes()
{
    for (int s = 0; s < numSources; ++s)
    {
        entriesOfSource[s].clearQuick();
        destinationsOfSource[s].clearQuick();
    }
    continuousDestinations.clearQuick();
    allDestinations.clearQuick();
    continuousEntriesOfDestination.clear();
    entriesOfDestination.clear();

    for (auto* e : entries)
    {
        if (!isValidSource (e->source) || e->destination < 0)
            continue;
        entriesOfSource[e->source].add (e);
        destinationsOfSource[e->source].addIfNotAlreadyThere (e->destination);
        if (isContinuousSource (e->source))
        {
            continuousDestinations.addIfNotAlreadyThere (e->destination);
            auto list = continuousEntriesOfDestination[e->destination];
            list.add (e);
            continuousEntriesOfDestination.set (e->destination, list);
        }
        allDestinations.addIfNotAlreadyThere (e->destination);
        auto list = entriesOfDestination[e->destination];
        list.add (e);
        entriesOfDestination.set (e->destination, list);
    }
}
