// What the user's font folders cost a plug-in load. JUCE scans them once per process, when the first font is
// made, and that is inside the plug-in's entry point: a host's plug-in scan and every instance wait for it.
// "fontFoldersLoad" times whole command-line host processes that render a second with a private home whose
// font folders hold what the case names; compare each case with "clean". "fontFolderWalk" times the scan of
// one generated folder in this process until it stops at the walk's bound on entries or on faces opened.
#include <benchmark/benchmark.h>
#include <juce_graphics/juce_graphics.h>

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{
namespace fs = std::filesystem;

/** Generated folders under one temporary root, made when a case first needs them and removed at exit. */
class Folders
{
public:
    ~Folders() { fs::remove_all (root); }

    /** A home whose font folders hold what the case names. */
    fs::path home (const std::string& kind)
    {
        const auto home = root / "homes" / kind;
        if (fs::exists (home))
            return home;
        const auto fonts = home / ".fonts", xdgFonts = home / ".local" / "share" / "fonts";
        fs::create_directories (fonts);
        if (kind == "linkToUsr")
            fs::create_directory_symlink ("/usr", fonts / "usr");
        if (kind == "linkToRoot")
            fs::create_directory_symlink ("/", fonts / "root");
        if (kind == "linksToRootInBothFolders")
        {
            fs::create_directories (xdgFonts);
            fs::create_directory_symlink ("/", fonts / "root");
            fs::create_directory_symlink ("/", xdgFonts / "root");
        }
        if (kind == "fakeFonts100k")
            makeFiles (fonts, 100, 1000, ".ttf");
        if (kind == "keptFonts3000")
        {
            // Three thousand fonts, as a collection sorted by foundry and family keeps them.
            const auto font = root / "font.ttf";
            if (!fs::exists (font))
                fs::copy_file (fs::path (KELVANOR_RESOURCES_DIR) / "DejaVuSansCondensed-Bold.ttf", font);
            for (int foundry = 0; foundry < 10; ++foundry)
                for (int family = 0; family < 30; ++family)
                {
                    const auto folder =
                        fonts / ("Foundry" + std::to_string (foundry)) / ("Family" + std::to_string (family));
                    fs::create_directories (folder);
                    for (int style = 0; style < 10; ++style)
                        fs::create_hard_link (font, folder / ("Style" + std::to_string (style) + ".ttf"));
                }
        }
        return home;
    }

    /** A folder of files that are not fonts, in subfolders, for the walk's own cases. */
    fs::path tree (const std::string& kind)
    {
        const auto folder = root / "trees" / kind;
        if (!fs::exists (folder))
            makeFiles (folder, 40, 1000, kind == "fakeFonts" ? ".ttf" : ".txt");
        return folder;
    }

private:
    /** Folders of names of one file each (links are thirty times quicker to make than files). */
    static void makeFiles (const fs::path& folder, int folders, int files, const std::string& extension)
    {
        for (int i = 0; i < folders; ++i)
        {
            const auto sub = folder / std::to_string (i);
            fs::create_directories (sub);
            const auto first = sub / fs::path ("0").replace_extension (extension);
            std::ofstream (first) << "not a font";
            for (int j = 1; j < files; ++j)
                fs::create_hard_link (first,
                                      sub / fs::path (std::to_string (j)).replace_extension (extension));
        }
    }

    const fs::path root = fs::temp_directory_path() / ("kelvanor-font-bench-" + std::to_string (::getpid()));
};

Folders& folders()
{
    static Folders instance;
    return instance;
}

/** Runs the command-line host on the built plug-in with that home; its exit code. */
int loadWithHome (const fs::path& home, const fs::path& out)
{
    std::vector<std::string> arguments{KELVANOR_HOST_PATH, KELVANOR_PLUGIN_PATH, "--length", "1", "--out",
                                       out.string()};
    std::vector<std::string> environment{"HOME=" + home.string()};
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (std::strncmp (*variable, "HOME=", 5) != 0 && std::strncmp (*variable, "DISPLAY=", 8) != 0)
            environment.emplace_back (*variable);
    auto pointers = [] (std::vector<std::string>& strings)
    {
        std::vector<char*> result;
        for (auto& s : strings)
            result.push_back (s.data());
        result.push_back (nullptr);
        return result;
    };
    auto argv = pointers (arguments), envp = pointers (environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen (&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = ::posix_spawn (&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy (&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    ::waitpid (child, &status, 0);
    return WIFEXITED (status) ? WEXITSTATUS (status) : -1;
}

const char* const loadCases[] = {"clean",         "linkToUsr",    "linkToRoot", "linksToRootInBothFolders",
                                 "fakeFonts100k", "keptFonts3000"};

void BM_fontFoldersLoad (benchmark::State& state)
{
    const std::string kind = loadCases[state.range (0)];
    state.SetLabel (kind);
    const auto home = folders().home (kind);
    const auto out = home / "out.wav";
    for (auto _ : state)
        if (loadWithHome (home, out) != 0)
            state.SkipWithError ("the host failed to load the plug-in");
}
BENCHMARK (BM_fontFoldersLoad)
    ->DenseRange (0, std::size (loadCases) - 1)
    ->Unit (benchmark::kMillisecond)
    ->UseRealTime();

void BM_fontFolderWalk (benchmark::State& state)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    const std::string kind = state.range (0) == 0 ? "plainFiles" : "fakeFonts";
    state.SetLabel (kind);
    const auto folder = folders().tree (kind);
    juce::Font::findAllTypefaceNames(); // the machine's own folders, scanned once per process
    for (auto _ : state)
        juce::Typeface::scanFolderForFonts (juce::File (folder.string()));
}
BENCHMARK (BM_fontFolderWalk)->DenseRange (0, 1)->Unit (benchmark::kMillisecond);
} // namespace
