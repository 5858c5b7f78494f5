#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <juce_graphics/juce_graphics.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>

// JUCE lists the machine's fonts once per process, when the first font is made, walking the folders
// fonts.conf names (the user's ~/.fonts and ~/.local/share/fonts among them). Each case lists them in a
// fresh process, with a private home that holds what a user may keep there, and reads which families were
// found. Each face is the embedded regular face under a six-letter family name of the case's own.
namespace
{
namespace fs = std::filesystem;

uint32_t readU32 (const std::string& bytes, size_t at)
{
    return juce::ByteOrder::bigEndianInt (bytes.data() + at);
}

std::string u32Bytes (uint32_t value)
{
    return {char (value >> 24), char (value >> 16), char (value >> 8), char (value)};
}

size_t tableCount (const std::string& font)
{
    return juce::ByteOrder::bigEndianShort (font.data() + 4);
}

/** The embedded regular face under another family name of six letters. */
std::string fontBytes (const std::string& family)
{
    std::ifstream in (fs::path (KELVANOR_SOURCE_DIR) / "resources" / "tahoma.ttf", std::ios::binary);
    std::string bytes ((std::istreambuf_iterator<char> (in)), {});
    std::string wide, wideFamily; // as UTF-16 records hold them
    for (size_t i = 0; i < 6; ++i)
    {
        wide += {'\0', "Tahoma"[i]};
        wideFamily += {'\0', family[i]};
    }
    for (size_t record = 12; record < 12 + 16 * tableCount (bytes); record += 16)
    {
        if (bytes.compare (record, 4, "name") != 0)
            continue;
        for (auto at = readU32 (bytes, record + 8), end = at + readU32 (bytes, record + 12); at + 12 <= end;
             ++at)
        {
            if (bytes.compare (at, 6, "Tahoma") == 0)
                bytes.replace (at, 6, family);
            else if (bytes.compare (at, 12, wide) == 0)
                bytes.replace (at, 12, wideFamily);
        }
    }
    return bytes;
}

void writeFont (const fs::path& file, const std::string& family)
{
    fs::create_directories (file.parent_path());
    std::ofstream (file, std::ios::binary) << fontBytes (family);
}

/** A font collection of that many faces, all one face; FreeType believes a count up to a 32nd of the size. */
void writeCollection (const fs::path& file, const std::string& family, uint32_t faces)
{
    fs::create_directories (file.parent_path());
    auto font = fontBytes (family);
    const uint32_t start = 12 + 4 * faces;
    for (size_t record = 12; record < 12 + 16 * tableCount (font); record += 16)
        font.replace (record + 8, 4, u32Bytes (readU32 (font, record + 8) + start));
    std::string header = "ttcf" + u32Bytes (0x10000) + u32Bytes (faces);
    for (uint32_t i = 0; i < faces; ++i)
        header += u32Bytes (start);
    std::ofstream (file, std::ios::binary) << header << font << std::string (32 * faces, '\0');
}

/** Names in the folder for one file, made when missing: links are much quicker to make than files. */
void makeNames (const fs::path& folder, int count, const std::string& extension, const fs::path& file)
{
    if (!fs::exists (file))
        std::ofstream (file) << "not a font";
    fs::create_directories (folder);
    for (int i = 0; i < count; ++i)
        fs::create_hard_link (file, folder / fs::path (std::to_string (i)).replace_extension (extension));
}

struct Case
{
    std::string name;
    /** Fills the home; elsewhere is a folder beside it, for links to point into. */
    void (*prepare) (const fs::path& home, const fs::path& elsewhere);
    std::vector<std::string> found, notFound;
};

const Case cases[] = {
    {"ThousandsOfFontsInNestedFoldersAndBehindLinks",
     [] (const fs::path& home, const fs::path& elsewhere)
     {
         const auto collection = home / ".fonts" / "Collection";
         writeFont (elsewhere / "bulk.ttf", "KBulk0");
         for (int foundry = 0; foundry < 10; ++foundry)
             for (int family = 0; family < 30; ++family)
             {
                 const auto folder = collection / std::to_string (foundry) / std::to_string (family);
                 fs::create_directories (folder);
                 for (int style = 0; style < 10; ++style)
                     fs::create_hard_link (elsewhere / "bulk.ttf",
                                           folder / (std::to_string (style) + ".ttf"));
             }
         // Below every other font: found only when the walk got through all of them.
         writeFont (collection / "9" / "29" / "Extra" / "Last.ttf", "KLast0");
         writeFont (elsewhere / "kept" / "Sub" / "Linked.ttf", "KLink0");
         fs::create_directory_symlink (elsewhere / "kept", home / ".fonts" / "Kept");
         writeFont (home / ".local" / "share" / "fonts" / "Xdg.otf", "KXdg00");
     },
     {"KBulk0", "KLast0", "KLink0", "KXdg00"},
     {}},
    {"LinksToATreeLargerThanTheWalk",
     [] (const fs::path& home, const fs::path& elsewhere)
     {
         const auto big = elsewhere / "big";
         writeFont (big / "Early.ttf", "KEarl0");
         for (int i = 0; i < 21; ++i)
             makeNames (big / std::to_string (i), 1000, ".txt", elsewhere / "text");
         // Past the walk's bound on entries: found, it would show that the walk went on.
         writeFont (big / "20" / "Sub" / "Beyond.ttf", "KBeyn0");
         writeFont (elsewhere / "small" / "Small.ttf", "KSmal0");
         // The user's own folders come before the linked tree's depths, however deep.
         writeFont (home / ".fonts" / "Mine" / "a" / "b" / "c" / "d" / "e" / "Own.ttf", "KOwn00");
         fs::create_directory_symlink (big, home / ".fonts" / "Big");
         fs::create_directory_symlink (elsewhere / "small", home / ".fonts" / "Small");
     },
     {"KEarl0", "KSmal0", "KOwn00"},
     {"KBeyn0"}},
    {"ThousandsOfFilesNamedLikeFonts",
     [] (const fs::path& home, const fs::path& elsewhere)
     {
         writeFont (home / ".fonts" / "Real.ttf", "KReal0");
         // More than the walk's bound on faces opened.
         makeNames (home / ".fonts" / "Fake", 6000, ".ttf", elsewhere / "text");
         writeFont (home / ".fonts" / "Fake" / "Sub" / "Beyond.ttf", "KBeyn1");
     },
     {"KReal0"},
     {"KBeyn1"}},
    {"ACollectionClaimingThousandsOfFaces",
     [] (const fs::path& home, const fs::path&)
     {
         writeCollection (home / ".fonts" / "Many.ttf", "KMany0", 6000);
         writeFont (home / ".fonts" / "Sub" / "Beyond.ttf", "KBeyn2");
     },
     {"KMany0"},
     {"KBeyn2"}},
};

/** For the child process: makes the case's home, lists the families found with it as "[name]" lines on the
    standard error, and exits. */
[[noreturn]] void listFamiliesWithHomeOf (const Case& c)
{
    const auto root =
        fs::temp_directory_path() / ("kelvanor-fonts-" + std::to_string (std::random_device()()));
    fs::create_directories (root / "home" / ".fonts");
    fs::create_directories (root / "elsewhere");
    c.prepare (root / "home", root / "elsewhere");
    ::setenv ("HOME", (root / "home").c_str(), 1);
    ::unsetenv ("XDG_DATA_HOME");
    ::unsetenv ("JUCE_FONT_PATH");
    const auto families = juce::Font::findAllTypefaceNames();
    fs::remove_all (root);
    for (const auto& family : families)
        std::cerr << "[" << family << "]\n";
    // Without the exit handlers: the test environment's JUCE is still up in this copy of the process, and
    // the leak checker would take what it holds for a leak.
    std::cerr.flush();
    std::_Exit (0);
}

void PrintTo (const Case& c, std::ostream* os)
{
    *os << c.name;
}

class FontFolders : public ::testing::TestWithParam<Case>
{
};

TEST_P (FontFolders, FindTheFontsKeptThereAndStopAtTheWalksBound)
{
    if (!fs::is_regular_file ("/etc/fonts/fonts.conf"))
        GTEST_SKIP() << "no fonts.conf names the user's font folders here";

    using namespace ::testing;
    std::vector<Matcher<const std::string&>> expected;
    for (const auto& family : GetParam().found)
        expected.push_back (HasSubstr ("[" + family + "]"));
    for (const auto& family : GetParam().notFound)
        expected.push_back (Not (HasSubstr ("[" + family + "]")));
    // The machine's own fonts are still found beside what the user keeps.
    if (fs::exists ("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"))
        expected.push_back (HasSubstr ("[DejaVu Sans]"));

    // A fresh process: the font list is built once per process.
    GTEST_FLAG_SET (death_test_style, "threadsafe");
    EXPECT_EXIT (listFamiliesWithHomeOf (GetParam()), ExitedWithCode (0),
                 Matcher<const std::string&> (AllOfArray (expected)));
}

INSTANTIATE_TEST_SUITE_P (Homes, FontFolders, ::testing::ValuesIn (cases),
                          [] (const auto& row) { return row.param.name; });
} // namespace
