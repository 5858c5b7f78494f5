#include "framework/ResourceLoader.h"

#include <gtest/gtest.h>

TEST (ResourceLookup, SplitsAtTheLastDotIgnoresCaseAndStopsAtTheEnd)
{
    const unsigned char bytes[] = {'x', 0};
    // Entry 5 lies beyond the count handed to the lookup; entry 7 beyond the terminator.
    const EmbeddedResourceEntry table[] = {
        {"skin.v2.png", bytes, 1},   {"README", bytes, 1},   {"Knob.PNG", bytes, 1},
        {"DEFAULT.KLPRS", bytes, 1}, {".hidden", bytes, 1},  {"beyond.xml", bytes, 1},
        {nullptr, nullptr, 0},       {"late.xml", bytes, 1},
    };
    // clang-format off
    const std::pair<const char*, int> cases[] { { "skin.v2.png", 0 }, { "SKIN.V2.PNG", 0 }, { "skin.v2", -1 },
        { "skin.png", -1 }, { "v2.png", -1 }, { "README", 1 }, { "readme", 1 }, { "README.", 1 }, { "knob.png", 2 },
        { "Knob", -1 }, { "default.klprs", 3 }, { ".HIDDEN", 4 }, { "hidden", -1 }, { "beyond.xml", -1 }, { "", -1 } };
    // clang-format on
    for (const auto& [name, index] : cases)
        EXPECT_EQ (findResourceEntry (table, 5, name), index < 0 ? nullptr : table + index) << name;

    EXPECT_EQ (findResourceEntry (table, 8, "beyond.xml"), table + 5);
    EXPECT_EQ (findResourceEntry (table, 8, "late.xml"), nullptr);
    EXPECT_EQ (findResourceEntry (nullptr, 3, "README"), nullptr);
    EXPECT_EQ (findResourceEntry (table, 0, "README"), nullptr);
    EXPECT_EQ (findResourceEntry (table, -4, "README"), nullptr);
}

TEST (EmbeddedResources, FoundWhateverTheCaseAndMissingNamesGiveNothing)
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
    EXPECT_TRUE (text.startsWith ("<?xml") && text.trimEnd().endsWith ("</EventsMap>"));
    EXPECT_FALSE (getResourceAsImage ("parameters.xml").isValid()); // text is no image

    for (const char* name : {"missing.xml", "parameters", "parameters.xml.bak", "xml", "", "parameters.png"})
    {
        EXPECT_EQ (getResourceData (name), nullptr) << name;
        EXPECT_TRUE (getResourceAsString (name).isEmpty()) << name;
        EXPECT_FALSE (getResourceAsImage (name).isValid()) << name;
    }
}
