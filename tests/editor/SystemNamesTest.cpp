#include "TestSupport.h"
#include "editor/pages/GUISettingsComponent.h"
#include "framework/PresetCollection.h"
#include "pages/PageTestFixture.h"
#include "skin/source/SkinSource.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace juce
{
// The JUCE patch's own: whether text is UTF-8 (the check directory listings make), and a limit on the blocks
// its checks take, so that each way through them is tested.
bool juce_isWellFormedUTF8 (const char* text) noexcept;
int juce_limitStrictUTF8Block (int bytes) noexcept;
} // namespace juce

// Names on disk are bytes, not text: other systems and old archives leave names in Latin-1 or
// Windows-1252 in users' folders. No such name may reach memory it does not own, read as another name
// (an overlong encoding spelling '/'), or be listed where a user could pick it.
namespace
{
namespace fs = std::filesystem;

const std::string replacement = "\xEF\xBF\xBD";

struct Decoding
{
    const char* kind;
    std::string bytes;
    std::string text; // what a String holds of the bytes, as UTF-8
};

const Decoding illFormed[] = {
    {"lone continuation byte", "a\x80z", "a" + replacement + "z"},
    {"overlong slash", "a\xC0\xAFz", "a" + replacement + replacement + "z"},
    {"byte FF", "a\xFFz", "a" + replacement + "z"},
    {"sequence cut at the end", "a\xE4\xB8", "a" + replacement},
    {"sequence cut by an ASCII byte", "a\xE4\xB8z", "a" + replacement + "z"},
    {"overlong slash in three bytes", "a\xE0\x80\xAFz", "a" + replacement + replacement + replacement + "z"},
    {"overlong U+07FF in three bytes", "a\xE0\x9F\xBFz", "a" + replacement + replacement + replacement + "z"},
    {"overlong U+FFFF in four bytes", "a\xF0\x8F\xBF\xBFz",
     "a" + replacement + replacement + replacement + replacement + "z"},
    {"above U+10FFFF", "a\xF4\x90\x80\x80z",
     "a" + replacement + replacement + replacement + replacement + "z"},
    {"lead byte F5", "a\xF5\x80\x80\x80z", "a" + replacement + replacement + replacement + replacement + "z"},
    {"UTF-16 surrogate", "a\xED\xA0\x80z", "a" + replacement + replacement + replacement + "z"},
    {"Latin-1 letter", "B\xE4sse", "B" + replacement + "sse"},
    {"Windows-1252 letters", "\x80uro\x9C", replacement + "uro" + replacement},
};

std::string bytesOf (const juce::String& s)
{
    return s.toStdString();
}

/** The bytes copied to where a page no read may pass begins: any build traps a read past them. */
const char* atPageEnd (const std::string& bytes)
{
    static const auto page = (size_t)::sysconf (_SC_PAGESIZE);
    static auto* const pages = static_cast<char*> (
        ::mmap (nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    static const bool guarded = ::mprotect (pages + page, page, PROT_NONE) == 0;
    EXPECT_TRUE (guarded);
    return static_cast<const char*> (std::memcpy (pages + page - bytes.size(), bytes.data(), bytes.size()));
}

/** What each way bytes become a String makes of them, as UTF-8. */
std::vector<std::pair<const char*, std::string>> everyWayIn (const std::string& bytes)
{
    const auto* raw = bytes.c_str();
    // Appended to a String that shares its text with another, which must not change.
    const juce::String prefix ("x");
    auto appended = prefix;
    appended += raw;
    EXPECT_EQ (bytesOf (prefix), "x");
    // A limit of characters beyond the NUL: nothing past the NUL may be read.
    const auto* nulAtPageEnd = atPageEnd (std::string (raw, bytes.size() + 1));
    return {
        {"pointer", bytesOf (juce::String (juce::CharPointer_UTF8 (raw)))},
        {"pointer and maxChars",
         bytesOf (juce::String (juce::CharPointer_UTF8 (nulAtPageEnd), bytes.size() + 64))},
        {"start and end",
         bytesOf (juce::String (juce::CharPointer_UTF8 (raw), juce::CharPointer_UTF8 (raw + bytes.size())))},
        {"std::string", bytesOf (juce::String (bytes))},
        {"StringRef", bytesOf (juce::String (juce::StringRef (raw)))},
        {"fromUTF8 with a size", bytesOf (juce::String::fromUTF8 (raw, (int) bytes.size()))},
        {"operator+=", bytesOf (appended).substr (1)},
    };
}

// Every way bytes become a String keeps well-formed text (ASCII, each length of sequence at the edges of each
// range) byte for byte, makes each ill-formed sequence one U+FFFD per maximal well-formed prefix and ends the
// text at a NUL, wherever these fall among the blocks the text is checked in: from the text's start, after a
// wide character, and after runs of ASCII of one to several blocks, which are only copied. A limit of
// characters cuts the text between characters, and a buffer of exactly that many needs no NUL: nothing past
// it may be read.
TEST (SystemNames, EveryWayInKeepsWellFormedTextAndReplacesIllFormedSequences)
{
    const std::string edges = "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"
                              "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    std::vector<Decoding> cases (std::begin (illFormed), std::end (illFormed));
    cases.insert (cases.end(), {{"ASCII", "z", "z"},
                                {"edges", edges, edges},
                                {"NUL", std::string ("\0\xE2\x82\xAC", 4), std::string ("\0\xE2\x82\xAC", 4)},
                                {"sequence cut by a NUL", std::string ("a\xE4\xB8\0z", 5),
                                 "a" + replacement + std::string ("\0z", 2)}});
    // Each case in ASCII, or after a wide character and before one that ends the text.
    const std::pair<std::string, std::string> around[] = {
        {"", std::string (21, 't')}, {"\xC3\xA9", std::string (20, 't') + "\xF0\x9F\x8E\xB9"}};

    // Each size of block this processor checks UTF-8 in, 1 being one sequence at a time.
    for (const int block : {1, 16, 32, 64})
    {
        if (juce::juce_limitStrictUTF8Block (block) != block)
            continue;
        SCOPED_TRACE ("blocks of " + std::to_string (block) + " bytes");
        for (const auto& c : cases)
            for (const auto& [start, tail] : around)
                for (size_t offset = 0; offset <= 512 + 1; ++offset)
                {
                    SCOPED_TRACE (std::string (c.kind) + " after " + std::to_string (offset) + " bytes");
                    const auto head = start + std::string (offset, 'h');
                    const auto text = head + c.bytes + tail;
                    const std::string expected = (head + c.text + tail).c_str();
                    // Checked too strictly, text would still come out right through the replacing copy, but
                    // a listing would leave the file out.
                    EXPECT_EQ (juce::juce_isWellFormedUTF8 (text.c_str()), c.bytes == c.text);
                    for (const auto& [way, result] : everyWayIn (text))
                        EXPECT_EQ (result, expected) << way;

                    const auto whole = juce::String (juce::CharPointer_UTF8 (expected.c_str()));
                    for (const auto maxChars : {offset + 3, (size_t) whole.length()})
                        EXPECT_EQ (
                            bytesOf (juce::String (juce::CharPointer_UTF8 (atPageEnd (text)), maxChars)),
                            bytesOf (whole.substring (0, (int) maxChars)));
                }
    }
    juce::juce_limitStrictUTF8Block (64);
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
