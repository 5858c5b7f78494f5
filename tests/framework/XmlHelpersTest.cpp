#include "framework/XmlHelpers.h"
#include "TestSupport.h"

#include <fstream>
#include <cstring>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace
{
/** The bytes of a file named by a path that need not be UTF-8. */
std::string readBytes (const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream (path).rdbuf();
    return bytes.str();
}

mode_t permissionsOf (const juce::File& file)
{
    struct stat info = {};
    return ::stat (file.getFullPathName().toRawUTF8(), &info) == 0 ? info.st_mode & 07777 : 0;
}
} // namespace

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
    const auto latin1 = repository.getFullPathName().toStdString() + "/B\xe4sse.ini";
    ASSERT_TRUE (::symlink ("../dotfiles/B\xe4sse.ini",
                            settings.getChildFile ("latin1.ini").getFullPathName().toRawUTF8()) == 0);
    std::ofstream (latin1) << "old";

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

    // No temporary file was left anywhere, and nothing was created for the failed writes (the lists leave
    // the Latin-1 name out).
    EXPECT_EQ (repository.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);
    EXPECT_EQ (settings.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 7);
    EXPECT_EQ (readBytes (latin1), "old");
    EXPECT_FALSE (temporary.getChildFile ("missing").exists());
}

TEST (XmlHelpers, FollowsALinkInASharedFolderOnlyWhenItsUserOrTheFoldersOwnerMadeIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a link that belongs to another user";

    // Another user (uid 1) plants links in folders that uid 2 owns, like the temporary folder (01777).
    TemporaryFolder temporary;
    const struct
    {
        mode_t folderMode;
        uid_t linkOwner;
        bool targetExists, follows;
    } cases[] = {{01777, 1, true, false}, {01777, 1, false, false}, {01777, 2, true, true},
                 {01777, 0, false, true}, {0777, 1, true, true},    {01755, 1, true, true}};

    for (const auto& c : cases)
    {
        const auto index = juce::String (&c - cases);
        SCOPED_TRACE (index);
        const auto shared = temporary.getChildFile ("shared " + index);
        const auto target = temporary.getChildFile ("target " + index);
        const auto link = shared.getChildFile ("saved.klptr");
        const auto ownLink = temporary.getChildFile ("to saved " + index); // each link of a chain counts
        ASSERT_TRUE (shared.createDirectory() && (!c.targetExists || target.replaceWithText ("mine")));
        ASSERT_EQ (::symlink (target.getFullPathName().toRawUTF8(), link.getFullPathName().toRawUTF8()) |
                       ::symlink (link.getFullPathName().toRawUTF8(), ownLink.getFullPathName().toRawUTF8()) |
                       ::lchown (link.getFullPathName().toRawUTF8(), c.linkOwner, c.linkOwner) |
                       ::chown (shared.getFullPathName().toRawUTF8(), 2, 2) |
                       ::chmod (shared.getFullPathName().toRawUTF8(), c.folderMode),
                   0);

        for (const auto& saved : {link, ownLink})
        {
            EXPECT_EQ (XmlHelpers::writeToFile (juce::XmlElement ("Pattern"), saved), c.follows);
            EXPECT_EQ (target.existsAsFile(), c.targetExists || c.follows);
            EXPECT_EQ (target.loadFileAsString().contains ("<Pattern/>"), c.follows);
        }
        EXPECT_EQ (shared.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
    }
}

TEST (XmlHelpers, AReplacedFileKeepsItsPermissionsAndOneTheUserMayNotWriteIsLeftAlone)
{
    TemporaryFolder temporary;
    const auto folder = temporary.getChildFile ("mine");
    ASSERT_TRUE (folder.createDirectory() && ActingAsNormalUser::giveTo (folder));
    const auto oldMask = ::umask (022);
    {
        const ActingAsNormalUser user;
        for (const auto& [before, written, after] : {std::tuple{0600, true, 0600},
                                                     {0640, true, 0640},
                                                     {0, true, 0644},
                                                     {0444, false, 0444}}) // 0: a new file
        {
            SCOPED_TRACE (before);
            const auto file = folder.getChildFile (juce::String (before) + ".klptr");
            ASSERT_TRUE (before == 0 || (file.replaceWithText ("old") &&
                                         ::chmod (file.getFullPathName().toRawUTF8(), (mode_t) before) == 0));
            EXPECT_EQ (XmlHelpers::writeToFile (juce::XmlElement ("Pattern"), file), written);
            EXPECT_EQ (permissionsOf (file), (mode_t) after);
            EXPECT_EQ (file.loadFileAsString().contains ("<Pattern/>"), written);
        }
    }
    ::umask (oldMask);
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 4);
}

TEST (XmlHelpers, SavesAndReplacesEveryNameAFolderTakes)
{
    TemporaryFolder temporary;
    const auto euro = juce::String (juce::CharPointer_UTF8 ("\xe2\x82\xac"));
    for (const auto& name : {juce::String::repeatedString ("n", 243), juce::String::repeatedString ("n", 251),
                             juce::String::repeatedString ("n", 255), juce::String::repeatedString (euro, 85),
                             juce::String::repeatedString ("n", 256)})
    {
        const bool saves = name.getNumBytesAsUTF8() <= 255;
        SCOPED_TRACE (name.getNumBytesAsUTF8());
        for (const auto* text : {"new", "replaced"})
        {
            juce::XmlElement e ("Pattern");
            e.setAttribute ("text", text);
            EXPECT_EQ (XmlHelpers::writeToFile (e, temporary.getChildFile (name)), saves);
            EXPECT_EQ (temporary.getChildFile (name).loadFileAsString().contains (text), saves);
        }
    }
    EXPECT_EQ (temporary.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 4);
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
