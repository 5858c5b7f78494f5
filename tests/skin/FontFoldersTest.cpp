#include <gmock/gmock.h>
#include <juce_graphics/juce_graphics.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>

// JUCE lists the machine's fonts once per process, when the first font is made, walking each folder
// fonts.conf names (the user's ~/.fonts and ~/.local/share/fonts among them) up to a bound of names and of
// faces opened. A fresh process lists them with a private home, and the families found show what was walked.
namespace
{
namespace fs = std::filesystem;

std::string u32Bytes (uint32_t value)
{
    return {char (value >> 24), char (value >> 16), char (value >> 8), char (value)};
}

/** The embedded face under a family name of six letters; or a collection claiming that many faces, all it
    (FreeType believes a count up to a 32nd of the file's size). */
void writeFont (const fs::path& file, const char* family, uint32_t faces = 0)
{
    std::ifstream in (fs::path (KELVANOR_SOURCE_DIR) / "resources" / "tahoma.ttf", std::ios::binary);
    std::string font ((std::istreambuf_iterator<char> (in)), {}), header;
    const std::string tahoma{"\0T\0a\0h\0o\0m\0a", 12}; // as the UTF-16 name records FreeType reads hold it
    for (auto at = font.find (tahoma); at != std::string::npos; at = font.find (tahoma, at))
        for (size_t i = 0; i < 6; ++i)
            font[at + 2 * i + 1] = family[i];
    if (faces > 0)
    {
        const uint32_t start = 12 + 4 * faces; // where the one face's tables now begin
        for (size_t record = 12; record < 12 + 16 * size_t (juce::ByteOrder::bigEndianShort (&font[4]));
             record += 16)
            font.replace (record + 8, 4,
                          u32Bytes (juce::ByteOrder::bigEndianInt (&font[record + 8]) + start));
        header = "ttcf" + u32Bytes (0x10000) + u32Bytes (faces);
        for (uint32_t i = 0; i < faces; ++i)
            header += u32Bytes (start);
        font += std::string (32 * faces, '\0');
    }
    fs::create_directories (file.parent_path());
    std::ofstream (file, std::ios::binary) << header << font;
}

/** Folders of a thousand names each for a file that is not a font (links are quicker to make than files). */
void makeNames (const fs::path& folder, int folders, const char* extension)
{
    std::ofstream (folder.parent_path() / "text") << "not a font";
    for (int i = 0; i < folders * 1000; ++i)
    {
        fs::create_directories (folder / std::to_string (i / 1000));
        fs::create_hard_link (folder.parent_path() / "text",
                              folder / std::to_string (i / 1000) / (std::to_string (i) + extension));
    }
}

/** For the child process: lists the families found as "[name]" lines on the standard error. */
[[noreturn]] void listFamiliesWithPrivateHome()
{
    const auto root =
        fs::temp_directory_path() / ("kelvanor-fonts-" + std::to_string (std::random_device()()));
    const auto fonts = root / "home/.fonts", xdgFonts = root / "home/.local/share/fonts";
    // The user's own folders come before what their links lead to, however deep.
    writeFont (fonts / "Mine/a/b/c/d/e/Own.ttf", "KOwn00");
    writeFont (root / "small/Small.ttf", "KSmal0");
    fs::create_directory_symlink (root / "small", fonts / "Small");
    // More names than the walk takes, behind a link: the last thousand are not walked.
    makeNames (root / "big", 21, ".txt");
    writeFont (root / "big/20/Sub/Beyond.ttf", "KBeyn0");
    fs::create_directory_symlink (root / "big", fonts / "Big");
    // More faces than the walk opens: files named like fonts and a collection claiming as many faces.
    writeFont (xdgFonts / "Xdg.otf", "KXdg00");
    makeNames (xdgFonts, 3, ".ttf");
    writeFont (xdgFonts / "0/Many.ttf", "KMany0", 3000);
    writeFont (xdgFonts / "0/Sub/Beyond.ttf", "KBeyn1");

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
} // namespace

TEST (FontFolders, FindTheFontsKeptThereAndStopAtTheWalksBounds)
{
    if (!fs::is_regular_file ("/etc/fonts/fonts.conf"))
        GTEST_SKIP() << "no fonts.conf names the user's font folders here";

    using namespace ::testing;
    std::vector<Matcher<const std::string&>> expected;
    for (const auto* family : {"[KOwn00]", "[KSmal0]", "[KXdg00]", "[KMany0]"})
        expected.push_back (HasSubstr (family));
    for (const auto* family : {"[KBeyn0]", "[KBeyn1]"})
        expected.push_back (Not (HasSubstr (family)));
    // The machine's own fonts are still found beside what the user keeps.
    if (fs::exists ("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"))
        expected.push_back (HasSubstr ("[DejaVu Sans]"));

    // A fresh process: the font list is built once per process.
    GTEST_FLAG_SET (death_test_style, "threadsafe");
    EXPECT_EXIT (listFamiliesWithPrivateHome(), ExitedWithCode (0),
                 Matcher<const std::string&> (AllOfArray (expected)));
}
