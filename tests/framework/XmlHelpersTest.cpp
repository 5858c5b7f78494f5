#include "framework/XmlHelpers.h"
#include "TestSupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
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
    // A Latin-1 name from another system: no String names it, and one with a replacement character would
    // be another file.
    ASSERT_TRUE (::symlink ("../dotfiles/B\xe4sse.ini",
                            settings.getChildFile ("latin1.ini").getFullPathName().toRawUTF8()) == 0);

    const struct
    {
        const char* link;
        const char* target; // nullptr: the write fails
    } cases[] = {{"file.ini", "Kelvanor.ini"}, {"chain.ini", "Kelvanor.ini"}, {"dangling.ini", "New.ini"},
                 {"nowhere.ini", nullptr},     {"loop-a.ini", nullptr},       {"latin1.ini", nullptr}};

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
    EXPECT_EQ (settings.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 7);
    EXPECT_FALSE (temporary.getChildFile ("missing").exists());
}

// In a folder every user may write to, like the temporary folder, another user may plant a link: a save
// follows only the user's own links (root's, here) and the folder owner's (uid 2), not uid 1's.
TEST (XmlHelpers, FollowsALinkInASharedFolderOnlyWhenItsUserOrTheFoldersOwnerMadeIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a link that belongs to another user";

    TemporaryFolder temporary;
    const std::tuple<uid_t, bool, bool> cases[] = {
        {1, true, false}, {1, false, false}, {2, true, true}, {0, false, true}};
    for (int i = 0; i < (int) std::size (cases); ++i)
    {
        const auto& [linkOwner, targetExists, follows] = cases[i];
        const auto shared = temporary.getChildFile ("shared " + juce::String (i)),
                   target = temporary.getChildFile ("target " + juce::String (i));
        const auto link = shared.getChildFile ("saved.klptr").getFullPathName().toStdString();
        ASSERT_TRUE (shared.createDirectory() && (!targetExists || target.replaceWithText ("mine")));
        ASSERT_EQ (::symlink (target.getFullPathName().toRawUTF8(), link.c_str()) |
                       ::lchown (link.c_str(), linkOwner, linkOwner) |
                       ::chown (shared.getFullPathName().toRawUTF8(), 2, 2) |
                       ::chmod (shared.getFullPathName().toRawUTF8(), 01777),
                   0);
        EXPECT_EQ (XmlHelpers::writeToFile (juce::XmlElement ("Pattern"), juce::File (link)), follows) << i;
        EXPECT_EQ (target.existsAsFile(), targetExists || follows) << i;
        EXPECT_EQ (target.loadFileAsString().contains ("<Pattern/>"), follows) << i;
    }
}

// Root may replace any file, as the system lets it: a user's files are written as a user here.
TEST (XmlHelpers, ReplacesAFileOfTheLongestNameKeepingItsPermissionsUnlessTheUserMayNotWriteIt)
{
    TemporaryFolder temporary;
    const bool root = ::geteuid() == 0;
    const auto mask = ::umask (022);
    ASSERT_TRUE (!root || (::chown (temporary.getFolder().getFullPathName().toRawUTF8(), 65534, 65534) == 0 &&
                           ::setegid (65534) == 0 && ::seteuid (65534) == 0));

    // No assertion may end the test before root is back.
    for (const auto& [mode, written] : {std::pair{0600, true}, {0444, false}})
    {
        // As long a name as a folder takes, 255 bytes.
        const auto file =
            temporary.getChildFile (juce::String::repeatedString ("n", 252) + juce::String (mode));
        EXPECT_TRUE (XmlHelpers::writeToFile (juce::XmlElement ("Old"), file) &&
                     ::chmod (file.getFullPathName().toRawUTF8(), (mode_t) mode) == 0)
            << mode;
        EXPECT_EQ (XmlHelpers::writeToFile (juce::XmlElement ("Pattern"), file), written) << mode;
        struct stat info = {};
        EXPECT_EQ (::stat (file.getFullPathName().toRawUTF8(), &info) == 0 ? info.st_mode & 07777 : 0,
                   (mode_t) mode);
        EXPECT_EQ (file.loadFileAsString().contains ("<Pattern/>"), written) << mode;
    }

    ::umask (mask);
    ASSERT_TRUE (!root || (::seteuid (0) == 0 && ::setegid (0) == 0));
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
