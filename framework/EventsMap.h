#pragma once

#include <juce_core/juce_core.h>
#include <map>

/** Names of the events that skin controls fire, and their numeric identifiers (uids).

    Filled from the embedded "events.xml" and by the processor levels while the processor is built, then
    only read on the message thread while skins are built: no lock. Each uid and each name occurs at most
    once; names compare with case counting. */
class EventsMap
{
public:
    /** False, and nothing changes, when the uid or the name is already present. */
    bool addEvent (int uid, const juce::String& name);

    /** The name as registered; empty for an absent uid. */
    juce::String getEventNameForId (int uid) const;

    /** -1 for an absent name (exact match). */
    int getEventId (const juce::String& name) const;

    /** The display form: first character upper case, the rest lower case ("Press note c"); empty for an
        absent uid. */
    juce::String getEventName (int uid) const;

    void clear();

    /** Empties the map, then reads an "EventsMap" table (tag compared ignoring case): each "event" child
        with "name" and "uid"; the first of two clashing entries wins. */
    void loadFromXml (const juce::XmlElement& root);

    /** Reads the named embedded resource; a missing resource or unparsable text leaves the map as it was. */
    void loadFromResource (const juce::String& resourceName);

    int getNumEvents() const noexcept { return (int) uidToName.size(); }

private:
    std::map<int, juce::String> uidToName;
    std::map<juce::String, int> nameToUid; // case-sensitive order
};
