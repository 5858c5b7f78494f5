#include "framework/EventsMap.h"

#include "framework/NumberText.h"
#include "framework/ResourceLoader.h"
#include "framework/XmlHelpers.h"

bool EventsMap::addEvent (int uid, const juce::String& name)
{
    if (uidToName.count (uid) != 0 || nameToUid.count (name) != 0)
        return false;

    uidToName.emplace (uid, name);
    nameToUid.emplace (name, uid);
    return true;
}

juce::String EventsMap::getEventNameForId (int uid) const
{
    const auto found = uidToName.find (uid);
    return found != uidToName.end() ? found->second : juce::String();
}

int EventsMap::getEventId (const juce::String& name) const
{
    const auto found = nameToUid.find (name);
    return found != nameToUid.end() ? found->second : -1;
}

juce::String EventsMap::getEventName (int uid) const
{
    const auto name = getEventNameForId (uid);
    return name.substring (0, 1).toUpperCase() + name.substring (1).toLowerCase();
}

void EventsMap::clear()
{
    uidToName.clear();
    nameToUid.clear();
}

void EventsMap::loadFromXml (const juce::XmlElement& root)
{
    clear();

    if (!XmlHelpers::tagIs (root, "EventsMap"))
        return;

    for (const auto* event : root.getChildIterator())
        if (XmlHelpers::tagIs (*event, "event"))
            addEvent (NumberText::readLeadingInteger (event->getStringAttribute ("uid")),
                      event->getStringAttribute ("name"));
}

void EventsMap::loadFromResource (const juce::String& resourceName)
{
    if (const auto root = XmlHelpers::parse (getResourceAsString (resourceName)))
        loadFromXml (*root);
}
