#include "framework/XmlHelpers.h"
#include "TestSupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

TEST (XmlHelpers, RefusesCutDocumentsComparesIgnoringCaseAndReadsOnlyFiniteNumbers)
{
    for (const char* text : {"<Bank name='x'", "<Bank><Preset/></Bank", "<Bank><Preset/>", "", "   "})
        EXPECT_EQ (XmlHelpers::parse (juce::String (text)), nullptr) << text;

    const auto xml = XmlHelpers::parse (
        juce::String ("<PluginState><midicontrolmap state='ON'/><Other state='off'/></PluginState>\n  "));
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (XmlHelpers::tagIs (*xml, "pluginstate"));
    const auto* map = XmlHelpers::findChild (*xml, "MidiControlMap");
    ASSERT_NE (map, nullptr);
    EXPECT_TRUE (XmlHelpers::stateIsOn (*map));
    EXPECT_FALSE (XmlHelpers::stateIsOn (*XmlHelpers::findChild (*xml, "other")));
    EXPECT_EQ (XmlHelpers::findChild (*xml, "Missing"), nullptr);

    juce::XmlElement e ("E");
    for (const auto* value : {"nan", "1e999", "abc"})
        e.setAttribute (juce::String (value), value);
    e.setAttribute ("good", "0.25");
    for (const auto* name : {"nan", "1e999", "abc", "missing"})
        EXPECT_EQ (XmlHelpers::getFiniteDouble (e, name, 7.0), 7.0) << name;
    EXPECT_EQ (XmlHelpers::getFiniteDouble (e, "good", 7.0), 0.25);

    e.setAttribute ("absolute", "/banks/mine.klprsb");
    e.setAttribute ("relative", "banks/mine.klprsb");
    e.setAttribute ("empty", "");
    EXPECT_EQ (XmlHelpers::getAbsoluteFile (e, "absolute"), juce::File ("/banks/mine.klprsb"));
    for (const auto* name : {"relative", "empty", "missing"})
        EXPECT_EQ (XmlHelpers::getAbsoluteFile (e, name), juce::File()) << name;
}

TEST (XmlHelpers, WritesADeclaredUtf8FileAndKeepsTheOldOneWhenItCannot)
{
    TemporaryFolder temporary;
    const auto file = temporary.getChildFile ("Settings.ini");
    juce::XmlElement e ("UserSettings");
    e.setAttribute ("name", juce::CharPointer_UTF8 ("K\xc3\xa4se"));
    ASSERT_TRUE (XmlHelpers::writeToFile (e, file));
    EXPECT_TRUE (file.loadFileAsString().startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_EQ (XmlHelpers::parse (file)->getStringAttribute ("name"),
               juce::String (juce::CharPointer_UTF8 ("K\xc3\xa4se")));

    // A target that is a folder cannot be replaced, even by root.
    const auto folder = temporary.getChildFile ("Folder");
    ASSERT_TRUE (folder.createDirectory());
    EXPECT_FALSE (XmlHelpers::writeToFile (e, folder));
    EXPECT_TRUE (folder.isDirectory());
}

TEST (XmlHelpers, WritesThroughSymbolicLinksToTheirFinalTargetAndLeavesThemLinks)
{
    // Settings kept in a dotfiles repository and linked into the settings folder.
    TemporaryFolder temporary;
    const auto repository = temporary.getChildFile ("dotfiles");
    const auto settings = temporary.getChildFile ("config");
    ASSERT_TRUE (repository.createDirectory() && settings.createDirectory());
    ASSERT_TRUE (repository.getChildFile ("Kelvanor.ini").replaceWithText ("old"));
    const auto link = [&] (const char* name, const juce::String& to)
    { return ::symlink (to.toRawUTF8(), settings.getChildFile (name).getFullPathName().toRawUTF8()) == 0; };
    ASSERT_TRUE (link ("file.ini", "../dotfiles/Kelvanor.ini"));
    ASSERT_TRUE (link ("chain.ini", settings.getChildFile ("file.ini").getFullPathName()));
    ASSERT_TRUE (link ("dangling.ini", "../dotfiles/New.ini"));
    ASSERT_TRUE (link ("nowhere.ini", "../missing/New.ini"));
    ASSERT_TRUE (link ("loop-a.ini", "loop-b.ini") && link ("loop-b.ini", "loop-a.ini"));

    const struct
    {
        const char* link;
        const char* target; // nullptr: the write fails
    } cases[] = {{"file.ini", "Kelvanor.ini"},
                 {"chain.ini", "Kelvanor.ini"},
                 {"dangling.ini", "New.ini"},
                 {"nowhere.ini", nullptr},
                 {"loop-a.ini", nullptr}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.link);
        const auto file = settings.getChildFile (c.link);
        const auto linkText = file.getNativeLinkedTarget();
        juce::XmlElement e ("UserSettings");
        e.setAttribute ("written", c.link);

        EXPECT_EQ (XmlHelpers::writeToFile (e, file), c.target != nullptr);
        EXPECT_EQ (file.getNativeLinkedTarget(), linkText);
        if (c.target != nullptr)
        {
            EXPECT_TRUE (repository.getChildFile (c.target).loadFileAsString().contains (c.link));
        }
    }

    // No temporary file was left anywhere, and nothing was created for the failed writes.
    EXPECT_EQ (repository.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);
    EXPECT_EQ (settings.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 6);
    EXPECT_FALSE (temporary.getChildFile ("missing").exists());
}

// The measure the state's bounds rest on: what JUCE's writer makes of each character, references and all.
TEST (XmlHelpers, CountsTheBytesAnAttributeValueIsWrittenWith)
{
    for (const juce::juce_wchar last : {0x7ff, 0xffff, 0x10ffff})
        for (juce::juce_wchar c = last < 0x800 ? 1 : last; c <= last; ++c)
        {
            juce::XmlElement element ("e");
            element.setAttribute ("v", juce::String::charToString (c));
            const auto written =
                XmlHelpers::toSingleLine (element).getNumBytesAsUTF8() - std::strlen ("<e v=\"\"/>");
            ASSERT_EQ (XmlHelpers::writtenAttributeBytes (element.getStringAttribute ("v")), written)
                << (int) c;
        }
}
