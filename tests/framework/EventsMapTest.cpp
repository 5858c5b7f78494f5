#include "framework/EventsMap.h"
#include "framework/XmlHelpers.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
std::vector<juce::String> expectedEmbeddedEvents()
{
    std::vector<juce::String> names{"Transpose Up", "Transpose Down"};
    for (int step = 1; step <= 16; ++step)
        names.push_back ("Set Step " + juce::String (step).paddedLeft ('0', 2) + " Edition");

    const char* notes[] = {"C", "Cis", "D", "Dis", "E", "F", "Fis", "G", "Gis", "A", "Ais", "B", "C1"};
    for (const auto* suffix : {"", " With Ctrl"})
        for (const auto* note : notes)
            names.push_back (juce::String ("Press Note ") + note + suffix);

    const char* buttons[] = {"Press Gate", "Press Accent", "Press Slide", "Press Lower Octave",
                             "Press Upper Octave"};
    for (const auto* suffix : {"", " With Ctrl"})
        for (const auto* button : buttons)
            names.push_back (juce::String (button) + suffix);

    for (const auto* name :
         {"Next Step", "Prev Step", "Toggle Rand Notes", "Toggle Step Values Edition", "Flatten"})
        names.push_back (name);
    return names;
}

void load (EventsMap& map, const juce::String& xml)
{
    const auto root = XmlHelpers::parse (xml);
    ASSERT_NE (root, nullptr);
    map.loadFromXml (*root);
}

// Some of the events the processor base registers after the table.
const std::pair<int, const char*> frameworkEvents[] = {
    {1000, "Options"}, {1002, "Select next preset"}, {1010, "Toggle Midi Learn"}};
} // namespace

TEST (EmbeddedEvents, HoldsTheFiftyNineEventsByUid)
{
    EventsMap map;
    map.loadFromResource ("events.xml");

    const auto names = expectedEmbeddedEvents();
    ASSERT_EQ (names.size(), 59u);
    EXPECT_EQ (map.getNumEvents(), 59);

    for (int uid = 0; uid < (int) names.size(); ++uid)
    {
        EXPECT_EQ (map.getEventNameForId (uid), names[(size_t) uid]) << uid;
        EXPECT_EQ (map.getEventId (names[(size_t) uid]), uid);
    }

    EXPECT_EQ (map.getEventNameForId (17), "Set Step 16 Edition");
    EXPECT_EQ (map.getEventNameForId (43), "Press Note C1 With Ctrl");
    EXPECT_EQ (map.getEventName (18), "Press note c");
}

TEST (EventsMap, FrameworkEventsAndClashes)
{
    EventsMap map;
    map.loadFromResource ("events.xml");
    for (const auto& [uid, name] : frameworkEvents)
        EXPECT_TRUE (map.addEvent (uid, name)) << name;

    EXPECT_FALSE (map.addEvent (1002, "Select next preset"));
    EXPECT_FALSE (map.addEvent (1002, "Something new"));
    EXPECT_FALSE (map.addEvent (3000, "Options"));
    EXPECT_EQ (map.getEventNameForId (1002), "Select next preset");
    EXPECT_EQ (map.getEventNameForId (3000), "");
    EXPECT_EQ (map.getEventId ("Options"), 1000);
    EXPECT_EQ (map.getEventId ("Something new"), -1);
    EXPECT_EQ (map.getNumEvents(), 62);

    EXPECT_EQ (map.getEventId ("options"), -1);
    EXPECT_EQ (map.getEventName (1010), "Toggle midi learn");
    EXPECT_EQ (map.getEventName (1002), "Select next preset");
    EXPECT_EQ (map.getEventName (4242), "");
}

TEST (EventsMap, DisplayNameForms)
{
    EventsMap map;
    map.addEvent (1, "x");
    map.addEvent (2, "");
    map.addEvent (3, juce::String (juce::CharPointer_UTF8 ("\xc3\x84"
                                                           "BC d\xc3\xa9"
                                                           "F")));
    map.addEvent (4, "already lower");
    EXPECT_EQ (map.getEventName (1), "X");
    EXPECT_EQ (map.getEventName (2), "");
    EXPECT_EQ (map.getEventName (3), juce::String (juce::CharPointer_UTF8 ("\xc3\x84"
                                                                           "bc d\xc3\xa9"
                                                                           "f")));
    EXPECT_EQ (map.getEventName (4), "Already lower");
}

TEST (EventsMap, TableRootAndEntries)
{
    EventsMap map;
    load (map,
          "<eventsmap application='Kelvanor'><EVENT uid='5' name='Five'/><other uid='6' name='Six'/>"
          "<event name='NoUid'/><event uid='7'/><event uid='8' name='Five'/><event uid='5' name='Again'/>"
          "<event uid=' 12abc' name='Twelve'/></eventsmap>");

    EXPECT_EQ (map.getEventId ("Five"), 5);
    EXPECT_EQ (map.getEventId ("Six"), -1);
    EXPECT_EQ (map.getEventId ("NoUid"), 0);
    EXPECT_EQ (map.getEventNameForId (7), "");
    EXPECT_EQ (map.getEventId (""), 7);
    EXPECT_EQ (map.getEventNameForId (8), "");
    EXPECT_EQ (map.getEventId ("Again"), -1);
    EXPECT_EQ (map.getEventId ("Twelve"), 12);
    EXPECT_EQ (map.getNumEvents(), 4);

    load (map, "<Events><event uid='1' name='One'/></Events>");
    EXPECT_EQ (map.getNumEvents(), 0);
}

TEST (EventsMap, EventWithoutUidClashesWithTransposeUp)
{
    EventsMap map;
    load (map, "<EventsMap><event uid='0' name='Transpose Up'/><event name='Late'/></EventsMap>");
    EXPECT_EQ (map.getEventId ("Late"), -1);
    EXPECT_EQ (map.getNumEvents(), 1);
}

TEST (EventsMap, MissingResourceLeavesTheMapAsItWas)
{
    EventsMap map;
    map.addEvent (1000, "Options");
    map.loadFromResource ("missing.xml");
    map.loadFromResource ("events");
    EXPECT_EQ (map.getNumEvents(), 1);

    map.clear();
    EXPECT_EQ (map.getEventId ("Options"), -1);
    EXPECT_EQ (map.getNumEvents(), 0);
}

TEST (EventsMap, AbsurdUidsAreReadSafely)
{
    EventsMap map;
    load (map, "<EventsMap><event uid='99999999999999' name='Big'/><event uid='-99999999999' name='Small'/>"
               "<event uid='nan' name='NotANumber'/></EventsMap>");
    EXPECT_EQ (map.getEventId ("Big"), std::numeric_limits<int>::max());
    EXPECT_EQ (map.getEventId ("Small"), std::numeric_limits<int>::min());
    EXPECT_EQ (map.getEventId ("NotANumber"), 0);
}
