#include "TestSupport.h"
#include "editor/pages/GUISettingsComponent.h"
#include "framework/PresetCollection.h"
#include "pages/PageTestFixture.h"
#include "skin/source/SkinSource.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

// Names on disk are bytes, not text: other systems and old archives leave names in Latin-1 or
// Windows-1252 in users' folders. No such name may reach memory it does not own, read as another name
// (an overlong encoding spelling '/'), or be listed where a user could pick it.
namespace
{
namespace fs = std::filesystem;

const std::string replacement = "\xEF\xBF\xBD";

struct IllFormed
{
    const char* kind;
    std::string bytes;
    std::string text; // what a String holds of the bytes, as UTF-8
};

const IllFormed illFormed[] = {
    {"lone continuation byte", "a\x80z", "a" + replacement + "z"},
    {"overlong slash", "a\xC0\xAFz", "a" + replacement + replacement + "z"},
    {"byte FF", "a\xFFz", "a" + replacement + "z"},
    {"sequence cut at the end", "a\xE4\xB8", "a" + replacement},
    {"sequence cut by an ASCII byte", "a\xE4\xB8z", "a" + replacement + "z"},
    {"UTF-16 surrogate", "a\xED\xA0\x80z", "a" + replacement + replacement + replacement + "z"},
    {"Latin-1 letter", "B\xE4sse", "B" + replacement + "sse"},
    {"Windows-1252 letters", "\x80uro\x9C", replacement + "uro" + replacement},
};

std::string bytesOf (const juce::String& s)
{
    return s.toStdString();
}

// Well-formed text, up to four bytes a character, comes through unchanged and unaltered in length.
TEST (SystemNames, WellFormedTextIsKeptAsItIs)
{
    const std::string text = "B\xC3\xA4sse \xE2\x82\xAC \xF0\x9F\x8E\xB9";
    EXPECT_EQ (bytesOf (juce::String (juce::CharPointer_UTF8 (text.c_str()))), text);
    EXPECT_EQ (bytesOf (juce::String::fromUTF8 (text.data(), (int) text.size())), text);
    EXPECT_EQ (juce::String (juce::CharPointer_UTF8 (text.c_str())).length(), 9);
}

// Every way bytes become a String gives the same well-formed text, each ill-formed sequence one U+FFFD
// per maximal well-formed prefix.
TEST (SystemNames, IllFormedBytesBecomeReplacementCharactersWhicheverWayTheyEnter)
{
    for (const auto& name : illFormed)
    {
        SCOPED_TRACE (name.kind);
        const auto* raw = name.bytes.c_str();
        juce::String appended ("x");
        appended += raw;

        EXPECT_EQ (bytesOf (juce::String (juce::CharPointer_UTF8 (raw))), name.text);
        EXPECT_EQ (bytesOf (juce::String::fromUTF8 (raw, (int) name.bytes.size())), name.text);
        EXPECT_EQ (bytesOf (juce::String (name.bytes)), name.text);
        EXPECT_EQ (bytesOf (juce::String (juce::StringRef (raw))), name.text);
        EXPECT_EQ (bytesOf (appended), "x" + name.text);
        EXPECT_EQ (bytesOf (juce::String (juce::CharPointer_UTF8 (raw), 2)),
                   juce::String (name.text).substring (0, 2).toStdString());
    }
}

/** A folder holding "Good.<ext>" and, for each ill-formed name, a file "<name>.<ext>" and a folder
    "<name>" with a file in it, made with the bytes as they are. */
class FolderOfIllFormedNames : public PageTest::PageFixture
{
protected:
    // JUCE's own deletion of the temporary folder cannot see the names it does not list.
    void TearDown() override { fs::remove_all (root); }

    const fs::path root{folder.getFolder().getFullPathName().toStdString()};

    void fill (const fs::path& where, const std::string& extension, const std::string& content)
    {
        fs::create_directories (where);
        std::ofstream (where / ("Good" + extension)) << content;
        for (const auto& name : illFormed)
        {
            std::ofstream (where / (name.bytes + extension)) << content;
            fs::create_directories (where / name.bytes);
            std::ofstream (where / name.bytes / ("Inner" + extension)) << content;
        }
    }

    static std::set<std::string> snapshot (const fs::path& where)
    {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator (where))
            names.insert (entry.path().string());
        return names;
    }

    static std::set<std::string> fileNames (const juce::StringArray& paths)
    {
        std::set<std::string> names;
        for (const auto& path : paths)
            names.insert (juce::File (path).getFileName().toStdString());
        return names;
    }
};

// Where the plug-in lists a folder (the presets it scans, the skins it offers, the folder a file chooser
// shows) a name that is not UTF-8 is left out, the listing reads as no other name, and nothing on disk
// changes.
TEST_F (FolderOfIllFormedNames, ListingsLeaveThemOutAndChangeNothing)
{
    start();
    fill (root / "Presets", ".pgpreset", "<Preset/>");
    const auto skins = SkinSource::getSkinsDirectory (*product);
    PageTest::writeUserSkin (skins, "Good", 800, 600, 0);
    for (const auto& name : illFormed)
        fs::copy_file (fs::path (skins.getChildFile ("Good.zebskin").getFullPathName().toStdString()),
                       fs::path (skins.getFullPathName().toStdString()) / (name.bytes + ".zebskin"));
    const auto before = snapshot (root);

    PresetCollection presets ("Presets", folder.getChildFile ("Presets"), ".pgpreset");
    presets.rescan();
    EXPECT_EQ (fileNames (presets.getPresetFiles()), std::set<std::string> ({"Good.pgpreset"}));

    GUISettingsComponent page (*product, "Good", "Good");
    ASSERT_EQ (page.getSkinEntries().size(), 1u);
    EXPECT_EQ (page.getSkinEntries()[0].name, "Good");

    juce::TimeSliceThread thread ("listing");
    thread.startThread();
    juce::WildcardFileFilter filter ("*", "*", "all");
    juce::DirectoryContentsList chooserList (&filter, thread);
    chooserList.setDirectory (folder.getChildFile ("Presets"), true, true);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return !chooserList.isStillLoading(); }));
    juce::StringArray shown;
    for (int i = 0; i < chooserList.getNumFiles(); ++i)
        shown.add (chooserList.getFile (i).getFullPathName());
    EXPECT_EQ (fileNames (shown), std::set<std::string> ({"Good.pgpreset"}));
    thread.stopThread (5000);

    EXPECT_EQ (snapshot (root), before);
}
} // namespace
