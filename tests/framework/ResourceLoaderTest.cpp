#include "framework/ResourceLoader.h"

#include <gtest/gtest.h>

namespace
{
const unsigned char bytes[] = {'x', 0};

// A table of awkward file names; entry 5 lies beyond the count handed to the lookup.
const EmbeddedResourceEntry awkwardTable[] = {
    {"skin.v2.png", bytes, 1}, {"README", bytes, 1},     {"Knob.PNG", bytes, 1}, {"DEFAULT.KLPRS", bytes, 1},
    {".hidden", bytes, 1},     {"beyond.xml", bytes, 1}, {nullptr, nullptr, 0},
};
constexpr int awkwardCount = 5;

const EmbeddedResourceEntry terminatedEarly[] = {
    {"a.xml", bytes, 1},
    {nullptr, nullptr, 0},
    {"b.xml", bytes, 1},
};
} // namespace

TEST (ResourceLookup, SplitsAtTheLastDotAndIgnoresCase)
{
    struct Case
    {
        const char* name;
        int expectedIndex; // -1: not found
    };
    const Case cases[] = {
        {"skin.v2.png", 0},   {"SKIN.V2.PNG", 0}, {"skin.v2", -1}, {"skin.png", -1},   {"v2.png", -1},
        {"README", 1},        {"readme", 1},      {"README.", 1},  {"knob.png", 2},    {"Knob", -1},
        {"default.klprs", 3}, {".HIDDEN", 4},     {"hidden", -1},  {"beyond.xml", -1}, {"", -1},
        {"missing.xml", -1},
    };

    for (const auto& c : cases)
    {
        const auto* entry = findResourceEntry (awkwardTable, awkwardCount, c.name);
        if (c.expectedIndex < 0)
            EXPECT_EQ (entry, nullptr) << c.name;
        else
            EXPECT_EQ (entry, awkwardTable + c.expectedIndex) << c.name;
    }
}

TEST (ResourceLookup, StopsAtTheTerminatorAndTakesNoTable)
{
    EXPECT_NE (findResourceEntry (terminatedEarly, 3, "a.xml"), nullptr);
    EXPECT_EQ (findResourceEntry (terminatedEarly, 3, "b.xml"), nullptr);
    EXPECT_EQ (findResourceEntry (nullptr, 3, "a.xml"), nullptr);
    EXPECT_EQ (findResourceEntry (terminatedEarly, 0, "a.xml"), nullptr);
    EXPECT_EQ (findResourceEntry (terminatedEarly, -4, "a.xml"), nullptr);
}

TEST (EmbeddedResources, FoundWhateverTheCase)
{
    const auto* entry = findResourceEntry (embeddedResourceTable, embeddedResourceCount, "parameters.xml");
    ASSERT_NE (entry, nullptr);

    for (const char* name : {"parameters.xml", "PARAMETERS.XML", "Parameters.Xml"})
    {
        const auto data = getResourceData (name);
        ASSERT_NE (data, nullptr) << name;
        EXPECT_EQ (data->getSize(), entry->size);
        EXPECT_EQ (memcmp (data->getData(), entry->data, entry->size), 0);
    }

    const auto text = getResourceAsString ("EVENTS.xml");
    EXPECT_TRUE (text.startsWith ("<?xml"));
    EXPECT_TRUE (text.trimEnd().endsWith ("</EventsMap>"));
}

TEST (EmbeddedResources, MissingNamesGiveNothing)
{
    for (const char* name : {"missing.xml", "parameters", "parameters.xml.bak", "xml", "", "parameters.png"})
    {
        EXPECT_EQ (getResourceData (name), nullptr) << name;
        EXPECT_TRUE (getResourceAsString (name).isEmpty()) << name;
        EXPECT_FALSE (getResourceAsImage (name).isValid()) << name;
    }
}

TEST (EmbeddedResources, TextIsNoImage)
{
    EXPECT_FALSE (getResourceAsImage ("parameters.xml").isValid());
}
