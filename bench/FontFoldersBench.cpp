// What the user's font folders cost a plug-in load. JUCE scans them once per process, when the first font is
// made, and that is inside the plug-in's entry point: a host's plug-in scan and every instance wait for it.
// Each case times whole command-line host processes that render a second with a private home whose font
// folders hold what the case names; compare each with "clean".
#include "tests/ChildProgram.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>

namespace
{
namespace fs = std::filesystem;

const char* const cases[] = {"clean", "linkToRoot", "linksToRootInBothFolders", "fakeFonts100k",
                             "keptFonts3000"};

/** A home for the case, made when first asked for, under a folder removed at exit. */
fs::path home (const std::string& kind)
{
    static const struct Root
    {
        fs::path path = fs::temp_directory_path() / ("kelvanor-font-bench-" + std::to_string (::getpid()));
        ~Root() { fs::remove_all (path); }
    } root;
    const auto home = root.path / kind, fonts = home / ".fonts", xdgFonts = home / ".local/share/fonts";
    if (fs::exists (home))
        return home;
    fs::create_directories (fonts);
    fs::create_directories (xdgFonts);
    if (kind.starts_with ("link"))
        fs::create_directory_symlink ("/", fonts / "root");
    if (kind == "linksToRootInBothFolders")
        fs::create_directory_symlink ("/", xdgFonts / "root");
    // A hundred thousand files named like fonts or three thousand fonts, a thousand names to a folder (links
    // are thirty times quicker to make than files).
    const bool fake = kind == "fakeFonts100k";
    const int count = fake ? 100000 : kind == "keptFonts3000" ? 3000 : 0;
    if (count == 3000)
        fs::copy_file (fs::path (KELVANOR_RESOURCES_DIR) / "DejaVuSansCondensed-Bold.ttf", home / "font");
    for (int i = 0; i < count; ++i)
    {
        const auto folder = fonts / std::to_string (i / 1000), file = fake ? folder / "text" : home / "font";
        fs::create_directories (folder);
        if (fake && i % 1000 == 0) // a file's links are bounded in number
            std::ofstream (file) << "not a font";
        fs::create_hard_link (file, folder / (std::to_string (i) + ".ttf"));
    }
    return home;
}

void BM_fontFoldersLoad (benchmark::State& state)
{
    const std::string kind = cases[state.range (0)];
    state.SetLabel (kind);
    const auto folder = home (kind);
    const ChildProgram host (
        {KELVANOR_HOST_PATH, KELVANOR_PLUGIN_PATH, "--length", "1", "--out", (folder / "out.wav").string()},
        {"HOME=" + folder.string()});
    for (auto _ : state)
        if (host.run ("/dev/null") != 0)
            state.SkipWithError ("the host failed to load the plug-in");
}
BENCHMARK (BM_fontFoldersLoad)
    ->DenseRange (0, std::size (cases) - 1)
    ->Unit (benchmark::kMillisecond)
    ->UseRealTime();
} // namespace
