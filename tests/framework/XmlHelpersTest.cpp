#include "framework/XmlHelpers.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

TEST (XmlHelpers, RefusesDocumentsCutOffBeforeTheirEnd)
{
    for (const char* text : {"<Bank name='x'", "<Bank><Preset/></Bank", "<Bank><Preset/>", "", "   "})
        EXPECT_EQ (XmlHelpers::parse (juce::String (text)), nullptr) << text;

    EXPECT_NE (XmlHelpers::parse (juce::String ("<Bank><Preset/></Bank>\n  ")), nullptr);
}

TEST (XmlHelpers, ComparesTagsAndStatesIgnoringCase)
{
    auto xml = XmlHelpers::parse (
        juce::String ("<PluginState><midicontrolmap state='ON'/><Other state='off'/></PluginState>"));
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (XmlHelpers::tagIs (*xml, "pluginstate"));

    const auto* map = XmlHelpers::findChild (*xml, "MidiControlMap");
    ASSERT_NE (map, nullptr);
    EXPECT_TRUE (XmlHelpers::stateIsOn (*map));
    EXPECT_FALSE (XmlHelpers::stateIsOn (*XmlHelpers::findChild (*xml, "other")));
    EXPECT_EQ (XmlHelpers::findChild (*xml, "Missing"), nullptr);
}

TEST (XmlHelpers, ReadsOnlyFiniteNumbers)
{
    juce::XmlElement e ("E");
    e.setAttribute ("nan", "nan");
    e.setAttribute ("inf", "1e999");
    e.setAttribute ("word", "abc");
    e.setAttribute ("good", "0.25");

    EXPECT_EQ (XmlHelpers::getFiniteDouble (e, "nan", 7.0), 7.0);
    EXPECT_EQ (XmlHelpers::getFiniteDouble (e, "inf", 7.0), 7.0);
    EXPECT_EQ (XmlHelpers::getFiniteDouble (e, "word", 7.0), 7.0);
    EXPECT_EQ (XmlHelpers::getFiniteDouble (e, "missing", 7.0), 7.0);
    EXPECT_EQ (XmlHelpers::getFiniteDouble (e, "good", 7.0), 0.25);
}

TEST (XmlHelpers, WritesADeclaredUtf8FileAndKeepsTheOldOneWhenItCannot)
{
    TemporaryFolder temporary;
    const auto file = temporary.getChildFile ("Settings.ini");
    juce::XmlElement e ("UserSettings");
    e.setAttribute ("name", juce::CharPointer_UTF8 ("K\xc3\xa4se"));

    ASSERT_TRUE (XmlHelpers::writeToFile (e, file));
    const auto text = file.loadFileAsString();
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << text;
    auto back = XmlHelpers::parse (file);
    ASSERT_NE (back, nullptr);
    EXPECT_EQ (back->getStringAttribute ("name"), juce::String (juce::CharPointer_UTF8 ("K\xc3\xa4se")));

    // A target that is a folder cannot be replaced, even by root.
    const auto folder = temporary.getChildFile ("Folder");
    ASSERT_TRUE (folder.createDirectory());
    EXPECT_FALSE (XmlHelpers::writeToFile (e, folder));
    EXPECT_TRUE (folder.isDirectory());
}
