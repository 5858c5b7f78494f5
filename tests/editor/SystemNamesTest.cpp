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
#include <memory>
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
    {"overlong slash in three bytes", "a\xE0\x80\xAFz", "a" + replacement + replacement + replacement + "z"},
    {"overlong U+07FF in three bytes", "a\xE0\x9F\xBFz", "a" + replacement + replacement + replacement + "z"},
    {"overlong slash in four bytes", "a\xF0\x80\x80\xAFz",
     "a" + replacement + replacement + replacement + replacement + "z"},
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

std::string repeated (const std::string& text, int times)
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

/** Runs check once for each size of block this processor checks UTF-8 in (1 being one sequence at a time),
    then leaves the widest in use. */
template <class Check>
void forEachBlockSize (Check check)
{
    for (const int bytes : {1, 16, 32, 64})
        if (juce::juce_limitStrictUTF8Block (bytes) == bytes)
        {
            SCOPED_TRACE ("blocks of " + std::to_string (bytes) + " bytes");
            check();
        }
    juce::juce_limitStrictUTF8Block (64);
}

/** What each way bytes become a String makes of them, as UTF-8. The text ends at its size and has no NUL. */
std::vector<std::pair<const char*, std::string>> everyWayIn (const std::string& bytes)
{
    const auto* raw = bytes.c_str();
    // Appended to a String that shares its text with another, which must not change.
    const juce::String prefix ("x");
    auto appended = prefix;
    appended += raw;
    EXPECT_EQ (bytesOf (prefix), "x");
    return {
        {"pointer", bytesOf (juce::String (juce::CharPointer_UTF8 (raw)))},
        {"pointer and maxChars", bytesOf (juce::String (juce::CharPointer_UTF8 (raw), bytes.size() + 1))},
        {"start and end",
         bytesOf (juce::String (juce::CharPointer_UTF8 (raw), juce::CharPointer_UTF8 (raw + bytes.size())))},
        {"std::string", bytesOf (juce::String (bytes))},
        {"StringRef", bytesOf (juce::String (juce::StringRef (raw)))},
        {"fromUTF8 with a size", bytesOf (juce::String::fromUTF8 (raw, (int) bytes.size()))},
        {"operator+=", bytesOf (appended).substr (1)},
    };
}

/** Lengths of text before a sequence that put it across the end of each size of block the text is checked
    in, counted from the text's start, and after runs of ASCII of one to several blocks, which are only
    copied. */
std::vector<size_t> offsetsAcrossBlocks (size_t before, size_t after)
{
    std::vector<size_t> offsets{0, 1};
    for (const size_t end : {16, 32, 64, 128, 256, 320, 512})
        for (auto offset = end - before; offset <= end + after; ++offset)
            offsets.push_back (offset);
    return offsets;
}

// Each text is given with ASCII before it only, and after a wide character.
const std::string heads[] = {"", "\xC3\xA9"};

// Well-formed text, up to four bytes a character and at the edges of each range, comes through every way
// unchanged, with runs of ASCII shorter and longer than a block around it; a limit of characters cuts it
// between characters.
TEST (SystemNames, WellFormedTextIsKeptAsItIs)
{
    const std::string edges = "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"
                              "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    const std::string texts[] = {
        "B\xC3\xA4sse \xE2\x82\xAC \xF0\x9F\x8E\xB9",
        edges,
        "Acid Bass 303 - Squelch Lead " + edges + " from the factory bank, version 2",
        std::string (40, 'x') + "\xD0\x91\xD0\xB0\xD1\x81" + std::string (17, 'y'),
    };
    forEachBlockSize (
        [&]
        {
            for (const auto& text : texts)
            {
                EXPECT_TRUE (juce::juce_isWellFormedUTF8 (text.c_str())) << text;
                for (const auto& [way, result] : everyWayIn (text))
                    EXPECT_EQ (result, text) << way;
            }

            // Each length of sequence across the end of a block.
            for (const auto& head : heads)
                for (const auto offset : offsetsAcrossBlocks (28, 0))
                {
                    const auto text =
                        head + std::string (offset, 'x') + edges + "\xF0\x9F\x8E\xB9" + std::string (9, 'y');
                    // Checked too strictly, text would still come out right through the replacing copy, but
                    // a listing would leave the file out.
                    EXPECT_TRUE (juce::juce_isWellFormedUTF8 (text.c_str())) << offset;
                    for (const auto& [way, result] : everyWayIn (text))
                        EXPECT_EQ (result, text) << way << " " << offset;
                }

            // A NUL ends the text, wherever it falls.
            for (const auto& head : heads)
                for (const auto offset : offsetsAcrossBlocks (3, 1))
                {
                    const auto text = head + std::string (offset, 'x');
                    const auto bytes = text + std::string (1, '\0') + "\xE2\x82\xAC tail";
                    const auto* raw = bytes.data();
                    EXPECT_EQ (bytesOf (juce::String (juce::CharPointer_UTF8 (raw),
                                                      juce::CharPointer_UTF8 (raw + bytes.size()))),
                               text);
                    EXPECT_EQ (bytesOf (juce::String (bytes)), text);
                    EXPECT_EQ (bytesOf (juce::String::fromUTF8 (raw, (int) bytes.size())), text);
                }
        });

    const std::string text = texts[0];
    EXPECT_EQ (juce::String (juce::CharPointer_UTF8 (text.c_str())).length(), 9);
    EXPECT_EQ (bytesOf (juce::String (juce::CharPointer_UTF8 (text.c_str()), 3)), "B\xC3\xA4s");
}

// Every way bytes become a String gives the same well-formed text, each ill-formed sequence one U+FFFD
// per maximal well-formed prefix, wherever the sequence falls among the blocks the text is checked in.
TEST (SystemNames, IllFormedBytesBecomeReplacementCharactersWhicheverWayTheyEnter)
{
    const std::string tail (21, 't');
    forEachBlockSize (
        [&]
        {
            for (const auto& name : illFormed)
                for (const auto& start : heads)
                    for (const auto offset : offsetsAcrossBlocks (6, 0))
                    {
                        SCOPED_TRACE (std::string (name.kind) + " after " + std::to_string (offset) +
                                      " bytes");
                        const auto head = start + std::string (offset, 'h');
                        EXPECT_FALSE (juce::juce_isWellFormedUTF8 ((head + name.bytes + tail).c_str()));
                        for (const auto& [way, result] : everyWayIn (head + name.bytes + tail))
                            EXPECT_EQ (result, head + name.text + tail) << way;

                        const auto raw = head + name.bytes;
                        const auto maxChars = offset + 3;
                        EXPECT_EQ (bytesOf (juce::String (juce::CharPointer_UTF8 (raw.c_str()), maxChars)),
                                   juce::String (juce::CharPointer_UTF8 ((head + name.text).c_str()))
                                       .substring (0, (int) maxChars)
                                       .toStdString());
                    }
        });
}

// A buffer of exactly maxChars characters needs no NUL, so nothing past it may be read. Each text sits at
// the end of a heap block, which the address sanitizer guards, and at the end of a page with no access
// after it, which traps in any build.
TEST (SystemNames, TextOfMaxCharsIsReadNoFurtherThanItsLastCharacter)
{
    const auto pageSize = (size_t)::sysconf (_SC_PAGESIZE);
    auto* pages = static_cast<char*> (
        ::mmap (nullptr, 2 * pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE (pages, MAP_FAILED);
    ASSERT_EQ (::mprotect (pages + pageSize, pageSize, PROT_NONE), 0);

    const auto euros = repeated ("\xE2\x82\xAC", 70);
    const struct
    {
        std::string bytes;
        size_t maxChars;
        std::string text;
    } cases[] = {
        {"B", 1, "B"},
        {"Acid Bass 303", 13, "Acid Bass 303"},
        {std::string (64, 'x'), 64, std::string (64, 'x')},
        {"B\xC3\xA4sse \xE2\x82\xAC\xF0\x9F\x8E\xB9", 8, "B\xC3\xA4sse \xE2\x82\xAC\xF0\x9F\x8E\xB9"},
        // More than a block of wide text: the bytes of the first maxChars are checked together.
        {repeated ("B\xC3\xA4ss \xD0\x91\xD0\xB0\xD1\x81 ", 12), 12 * 9,
         repeated ("B\xC3\xA4ss \xD0\x91\xD0\xB0\xD1\x81 ", 12)},
        {repeated ("\xE2\x82\xAC", 70), 70, repeated ("\xE2\x82\xAC", 70)},
        {repeated ("\xC3", 1) + repeated ("\xE2\x82\xAC", 70), 71,
         replacement + repeated ("\xE2\x82\xAC", 70)},
        {"a\xC0\xAFz", 4, "a" + replacement + replacement + "z"},
        {std::string ("ab\0", 3), 10, "ab"},
    };
    forEachBlockSize (
        [&]
        {
            for (const auto& c : cases)
            {
                SCOPED_TRACE (c.bytes);
                const auto heap = std::make_unique<char[]> (c.bytes.size());
                std::memcpy (heap.get(), c.bytes.data(), c.bytes.size());
                auto* atPageEnd = pages + pageSize - c.bytes.size();
                std::memcpy (atPageEnd, c.bytes.data(), c.bytes.size());

                EXPECT_EQ (bytesOf (juce::String (juce::CharPointer_UTF8 (heap.get()), c.maxChars)), c.text);
                EXPECT_EQ (bytesOf (juce::String (juce::CharPointer_UTF8 (atPageEnd), c.maxChars)), c.text);
            }
        });
    ::munmap (pages, 2 * pageSize);
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
