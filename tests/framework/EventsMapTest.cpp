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
    for (const auto* suffix : {"", " With Ctrl"})
        for (const auto* note : {"C", "Cis", "D", "Dis", "E", "F", "Fis", "G", "Gis", "A", "Ais", "B", "C1"})
            names.push_back (juce::String ("Press Note ") + note + suffix);
    for (const auto* suffix : {"", " With Ctrl"})
        for (const auto* button : {"Gate", "Accent", "Slide", "Lower Octave", "Upper Octave"})
            names.push_back (juce::String ("Press ") + button + suffix);
    for (const auto* name :
         {"Next Step", "Prev Step", "Toggle Rand Notes", "Toggle Step Values Edition", "Flatten"})
        names.push_back (name);
    return names;
}

void load (EventsMap& map, const juce::String& xml)
{
    map.loadFromXml (*XmlHelpers::parse (xml));
}
} // namespace

TEST (EventsMap, TheEmbeddedTableHoldsTheFiftyNineEventsByUid)
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
    EXPECT_EQ (map.getEventNameForId (43), "Press Note C1 With Ctrl");

    // Events added later clash by uid or by name (case counting); display names lower all but the first
    // letter.
    EXPECT_TRUE (map.addEvent (1000, "Options"));
    EXPECT_TRUE (map.addEvent (1010, "Toggle Midi Learn"));
    EXPECT_FALSE (map.addEvent (1010, "Something new"));
    EXPECT_FALSE (map.addEvent (3000, "Options"));
    EXPECT_EQ (map.getEventNameForId (1010) + map.getEventNameForId (3000), "Toggle Midi Learn");
    EXPECT_EQ (map.getEventId ("Something new") + map.getEventId ("options"), -2);
    EXPECT_EQ (map.getNumEvents(), 61);
    EXPECT_EQ (map.getEventName (18), "Press note c");
    EXPECT_EQ (map.getEventName (4242), "");
    map.addEvent (2001, "x");
    map.addEvent (2002, "");
    map.addEvent (2003, juce::CharPointer_UTF8 ("\xc3\x84"
                                                "BC d\xc3\xa9"
                                                "F"));
    EXPECT_EQ (map.getEventName (2001) + "|" + map.getEventName (2002) + "|" + map.getEventName (2003),
               juce::String (juce::CharPointer_UTF8 ("X||\xc3\x84"
                                                     "bc d\xc3\xa9"
                                                     "f")));

    // A missing resource leaves the map as it was.
    map.loadFromResource ("missing.xml");
    map.loadFromResource ("events");
    EXPECT_EQ (map.getNumEvents(), 64);
}

TEST (EventsMap, TableRootAndBadEntries)
{
    EventsMap map;
    load (map,
          "<eventsmap application='Kelvanor'><EVENT uid='5' name='Five'/><other uid='6' name='Six'/>"
          "<event name='NoUid'/><event uid='7'/><event uid='8' name='Five'/><event uid='5' name='Again'/>"
          "<event uid=' 12abc' name='Twelve'/><event uid='99999999999999' name='Big'/>"
          "<event uid='-99999999999' name='Small'/><event uid='nan' name='NotANumber'/></eventsmap>");
    EXPECT_EQ (map.getEventId ("Five"), 5);
    EXPECT_EQ (map.getEventId ("Six") + map.getEventId ("Again") + map.getEventId ("NotANumber"), -3);
    EXPECT_EQ (map.getEventId ("NoUid"), 0);
    EXPECT_EQ (map.getEventId (""), 7);
    EXPECT_EQ (map.getEventNameForId (8), "");
    EXPECT_EQ (map.getEventId ("Twelve"), 12);
    EXPECT_EQ (map.getEventId ("Big"), std::numeric_limits<int>::max());
    EXPECT_EQ (map.getEventId ("Small"), std::numeric_limits<int>::min());
    EXPECT_EQ (map.getNumEvents(), 6);

    load (map, "<EventsMap><event uid='0' name='Transpose Up'/><event name='Late'/></EventsMap>");
    EXPECT_EQ (map.getEventId ("Late"), -1); // no uid reads as 0, which is taken
    EXPECT_EQ (map.getNumEvents(), 1);
    load (map, "<Events><event uid='1' name='One'/></Events>");
    EXPECT_EQ (map.getNumEvents(), 0);
}
