#include "ChildProgram.h"
#include "KelvanorPluginTestSupport.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// What a user's folders may hold, met where the plug-in meets it while it loads in a host: the font
// folders its editor's fonts make JUCE scan, the home folder itself, the module's own folder and the
// settings' paths. Each load is a process of the command-line host of its own, with a private home, so
// that a hang, a flood or a crash is measured and ends with it; names are made with their bytes as they are.
namespace
{
namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Far above the fraction of a second a load takes, even under a sanitizer on a loaded machine; a load that
// waits for a FIFO's writer or walks looping links never gets there.
constexpr auto deadline = 60s;

// Most end in the ill-formed sequence: JUCE's lenient decoder stepped over the bytes a lead byte
// announces without looking, past the end of the text.
const std::pair<const char*, std::string> illFormedNames[] = {
    {"LoneContinuationByte", "a\x80z"}, {"OverlongSlash", "a\xC0\xAF"},      {"ByteFF", "a\xFF"},
    {"CutSequence", "a\xE4\xB8"},       {"Utf16Surrogate", "a\xED\xA0\x80"}, {"Latin1", "Caf\xE9"},
    {"Windows1252", "5\x80 Bass"},
};

/** A private machine for one load under a temporary root: a home, and a copy of the module in a folder. */
struct World
{
    World()
        : root (fs::temp_directory_path() / ("kelvanor-folders-" + std::to_string (::getpid()) + "-" +
                                             std::to_string (std::random_device()())))
    {
        fs::create_directories (root);
    }

    ~World() { fs::remove_all (root); }

    fs::path module() const { return moduleFolder / "Kelvanor.so"; }
    fs::path fonts() const { return home / ".fonts"; }
    fs::path settingsFolder() const { return home / ".config" / "Zeb Group" / "Kelvanor"; }
    fs::path settingsFile() const { return settingsFolder() / "Kelvanor.ini"; }

    const fs::path root;
    fs::path home = root / "home";
    fs::path moduleFolder = root / "plugins";
};

struct Load
{
    bool finished = false;
    int exitCode = -1; // the signal's number plus 128 when one ended it
    std::string output;
};

std::string contents (const fs::path& path)
{
    std::ifstream in (path);
    return {std::istreambuf_iterator<char> (in), {}};
}

/** Renders a tenth of a second through the host, standard output and error kept; killed at the deadline. */
Load load (const World& world)
{
    if (!fs::exists (world.module()))
    {
        // A link of the file itself, where the file system allows, saves a copy of the library per row; a
        // symbolic link would not do: the plug-in finds its folder through it.
        fs::create_directories (world.moduleFolder);
        std::error_code linked;
        fs::create_hard_link (KELVANOR_PLUGIN_PATH, world.module(), linked);
        if (linked)
            fs::copy_file (KELVANOR_PLUGIN_PATH, world.module());
    }
    fs::create_directories (world.home);

    const auto out = (world.root / "out.wav").string(), log = (world.root / "output.txt").string();
    std::vector<std::string> settings{"HOME=" + world.home.string()};
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // glibc's checking allocator ends the process at a write past the end of a heap block, as a sanitizer
    // would, so that an overrun shows in any build and not only when it happens to crash.
    if (fs::exists ("/lib/x86_64-linux-gnu/libc_malloc_debug.so.0") && std::getenv ("LD_PRELOAD") == nullptr)
        settings.insert (settings.end(), {"LD_PRELOAD=libc_malloc_debug.so.0", "MALLOC_CHECK_=3"});
#endif
    const ChildProgram host ({KELVANOR_HOST_PATH, world.module().string(), "--length", "0.1", "--out", out},
                             settings);

    const pid_t child = ::fork();
    if (child == 0)
    {
        ::setpgid (0, 0);
        // A load that copies an endless file would fill the disk before the deadline.
        const rlimit fileSize{64ul << 20, 64ul << 20};
        ::setrlimit (RLIMIT_FSIZE, &fileSize);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        // A load that reads an endless file would take this machine's memory before the deadline.
        const rlimit memory{4ul << 30, 4ul << 30};
        ::setrlimit (RLIMIT_AS, &memory);
#endif
        host.exec (log.c_str());
    }

    Load result;
    int status = 0;
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!(result.finished = ::waitpid (child, &status, WNOHANG) == child) &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for (5ms);

    if (!result.finished)
    {
        ::kill (-child, SIGKILL);
        ::waitpid (child, &status, 0);
    }
    result.exitCode = ChildProgram::exitCode (status);
    result.output = contents (log);
    return result;
}

/** Every path under the folder (links not followed), so that what a load changed shows. */
std::set<std::string> snapshot (const fs::path& folder)
{
    std::set<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator (folder))
        paths.insert (entry.path().string());
    return paths;
}

void makeFifo (const fs::path& path)
{
    fs::create_directories (path.parent_path());
    ASSERT_EQ (::mkfifo (path.c_str(), 0644), 0);
}

void writeFile (const fs::path& path, const std::string& text)
{
    fs::create_directories (path.parent_path());
    std::ofstream (path) << text;
}

const fs::path fontFile = fs::path (KELVANOR_RESOURCES_DIR) / "DejaVuSansCondensed-Bold.ttf";

// Settings an older version left beside the module.
const std::string oldSettings = "<UserSettings application=\"Kelvanor\"><Mine/></UserSettings>";

struct Row
{
    std::string name;
    std::function<void (World&)> prepare;
    /** What must hold besides a load that finished, rendered and exited with 0. */
    std::function<void (const World&, const Load&)> check = [] (const World&, const Load&) {};
};

std::vector<Row> rows()
{
    std::vector<Row> table;

    for (const auto& [kind, name] : illFormedNames)
    {
        const std::string bytes = name;
        auto fontsBefore = std::make_shared<std::set<std::string>>();
        table.push_back ({"FontNamed" + std::string (kind),
                          [bytes, fontsBefore] (World& w)
                          {
                              // Long names: JUCE's lenient decoder overran its buffer by the bytes after the
                              // sequence, and an overrun of a few bytes may land in a heap block's slack.
                              fs::create_directories (w.fonts() / bytes);
                              for (const auto* style : {"Regular", "Condensed-Bold", "Oblique"})
                                  fs::copy_file (fontFile, w.fonts() / (bytes + "-A-Font-Of-A-Long-Name-" +
                                                                        style + ".ttf"));
                              fs::copy_file (fontFile, w.fonts() / bytes / "Inner.ttf");
                              *fontsBefore = snapshot (w.fonts());
                          },
                          [fontsBefore] (const World& w, const Load&)
                          { EXPECT_EQ (snapshot (w.fonts()), *fontsBefore); }});

        // The settings cannot be kept in a home no String can name; nothing may be made in its stead.
        table.push_back ({"HomeNamed" + std::string (kind), [bytes] (World& w) { w.home = w.root / bytes; },
                          [] (const World& w, const Load&)
                          {
                              std::set<std::string> beside;
                              for (const auto& entry : fs::directory_iterator (w.root))
                                  beside.insert (entry.path().filename().string());
                              EXPECT_EQ (beside,
                                         std::set<std::string> ({w.home.filename().string(), "plugins",
                                                                 "out.wav", "output.txt"}));
                          }});

        // The host loads the module by its path's bytes, as hosts do. The plug-in reads its folder's name
        // with replacement characters, which name another folder: settings there are not the module's.
        const auto readAs = juce::String (bytes).toStdString();
        table.push_back ({"ModuleFolderNamed" + std::string (kind),
                          [bytes, readAs] (World& w)
                          {
                              w.moduleFolder = w.root / bytes;
                              writeFile (w.moduleFolder / "Kelvanor.ini", oldSettings);
                              writeFile (w.root / readAs / "Kelvanor.ini", oldSettings);
                          },
                          [readAs] (const World& w, const Load&)
                          {
                              EXPECT_EQ (contents (w.moduleFolder / "Kelvanor.ini"), oldSettings);
                              EXPECT_EQ (contents (w.root / readAs / "Kelvanor.ini"), oldSettings);
                              EXPECT_TRUE (fs::is_regular_file (w.settingsFile()));
                          }});
    }

    table.push_back ({"FontsHoldAFifo", [] (World& w) { makeFifo (w.fonts() / "pipe.ttf"); }});
    table.push_back ({"FontsHoldLinksBackUp", [] (World& w)
                      {
                          fs::create_directories (w.fonts());
                          fs::copy_file (fontFile, w.fonts() / "Font.ttf");
                          fs::create_directory_symlink ("../.fonts", w.fonts() / "loop");
                          fs::create_directory_symlink (w.home, w.fonts() / "up");
                      }});
    table.push_back (
        {"UserDirsIsAFifo", [] (World& w) { makeFifo (w.home / ".config" / "user-dirs.dirs"); }});
    table.push_back ({"UserDirsIsEndless", [] (World& w)
                      {
                          fs::create_directories (w.home / ".config");
                          fs::create_symlink ("/dev/zero", w.home / ".config" / "user-dirs.dirs");
                      }});

    // Settings left beside the module by an older version move into the settings folder on a first run.
    table.push_back ({"OldSettingsBesideTheModuleAreAFifo",
                      [] (World& w) { makeFifo (w.moduleFolder / "Kelvanor.ini"); },
                      [] (const World& w, const Load&)
                      {
                          EXPECT_TRUE (fs::is_fifo (w.moduleFolder / "Kelvanor.ini"));
                          EXPECT_TRUE (fs::is_regular_file (w.settingsFile()));
                      }});
    table.push_back ({"OldSettingsBesideTheModuleAreEndless",
                      [] (World& w)
                      {
                          fs::create_directories (w.moduleFolder);
                          fs::create_symlink ("/dev/zero", w.moduleFolder / "Kelvanor.ini");
                      },
                      [] (const World& w, const Load&)
                      {
                          EXPECT_TRUE (fs::is_symlink (w.moduleFolder / "Kelvanor.ini"));
                          EXPECT_LT (fs::file_size (w.settingsFile()), 1u << 20);
                      }});

    // The session's settings changes are lost: the user must hear of it.
    table.push_back ({"SettingsFolderIsAFile", [] (World& w) { writeFile (w.settingsFolder(), "mine"); },
                      [] (const World& w, const Load& l)
                      {
                          EXPECT_NE (l.output.find (w.settingsFile().string()), std::string::npos)
                              << l.output;
                          EXPECT_TRUE (fs::is_regular_file (w.settingsFolder()));
                      }});

    // Settings kept in a dotfiles folder and linked into place stay linked, and the target gets the update.
    table.push_back ({"SettingsFileIsALink",
                      [] (World& w)
                      {
                          writeFile (w.root / "dotfiles" / "Kelvanor.ini",
                                     "<UserSettings application=\"Kelvanor\"/>");
                          fs::create_directories (w.settingsFolder());
                          fs::create_symlink (w.root / "dotfiles" / "Kelvanor.ini", w.settingsFile());
                      },
                      [] (const World& w, const Load&)
                      {
                          EXPECT_TRUE (fs::is_symlink (w.settingsFile()));
                          EXPECT_GT (fs::file_size (w.root / "dotfiles" / "Kelvanor.ini"), 100u);
                      }});
    return table;
}

void PrintTo (const Row& row, std::ostream* os)
{
    *os << row.name;
}

class HostileFolders : public ::testing::TestWithParam<Row>
{
};

TEST_P (HostileFolders, TheLoadFinishesRendersAndKeepsTheFolders)
{
    World world;
    GetParam().prepare (world);
    const auto started = std::chrono::steady_clock::now();
    const auto result = load (world);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;

    ASSERT_TRUE (result.finished) << "still loading after " << deadline.count() << " s";
    EXPECT_EQ (result.exitCode, 0) << result.output;
    EXPECT_GT (fs::exists (world.root / "out.wav") ? fs::file_size (world.root / "out.wav") : 0u, 44u);
    GetParam().check (world, result);
    RecordProperty ("seconds", std::to_string (took.count()));
}

INSTANTIATE_TEST_SUITE_P (Table, HostileFolders, ::testing::ValuesIn (rows()),
                          [] (const ::testing::TestParamInfo<Row>& row) { return row.param.name; });
} // namespace
