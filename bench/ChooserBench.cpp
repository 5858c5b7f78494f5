// The editor's own file chooser (a juce::FileBrowserComponent in one of its windows, as on a machine
// without a desktop chooser) opened on a folder of N matching pattern files and nothing else:
// - ChooserListing/N: the process's CPU time (every thread) and the wall time from opening the chooser to
//   its complete list, a row per file; "stall_ms" is the longest the message thread went without serving
//   a 10 ms timer meanwhile, "scroll_ms" what showing the last rows then takes. The target for 10,000
//   files is about 1 s of CPU.
// - ChooserCloseWhileListing/R: on a folder of 100,000 files, the milliseconds closing the chooser takes
//   once R rows are shown and the rest still lists. The target is under 100 ms.
// Each size's folder is made once per run in the temporary folder and removed at exit.
#include "skin/windows/FileChooserPolicy.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>

namespace juce
{
// Defined by the events module but declared in no public header.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
constexpr int closeFolderSize = 100000;
constexpr double giveUpSeconds = 120.0;

class PatternFolders
{
public:
    ~PatternFolders()
    {
        for (auto& [size, folder] : folders)
            folder.deleteRecursively();
    }

    juce::File get (int size)
    {
        auto& folder = folders[size];
        if (folder == juce::File())
        {
            folder = juce::File::createTempFile ("kelvanor-chooser-bench");
            folder.createDirectory();
            for (int i = 0; i < size; ++i)
                folder.getChildFile ("Pattern " + juce::String (i) + ".klpat").replaceWithText ("<Pattern/>");
        }
        return folder;
    }

private:
    std::map<int, juce::File> folders;
};

PatternFolders& patternFolders()
{
    static PatternFolders folders;
    return folders;
}

/** The longest gap between two calls of a 10 ms timer, less the 10 ms. */
class StallMeter : private juce::Timer
{
public:
    StallMeter() { startTimer (10); }
    ~StallMeter() override { stopTimer(); }
    double longestMs() const { return longest; }

private:
    void timerCallback() override
    {
        const auto now = juce::Time::getMillisecondCounterHiRes();
        if (last > 0.0)
            longest = juce::jmax (longest, now - last - 10.0);
        last = now;
    }

    double last = 0.0, longest = 0.0;
};

class OpenChooser
{
public:
    explicit OpenChooser (const juce::File& folder)
    {
        FileChooserPolicy::Request request;
        request.title = "Load pattern";
        request.initialLocation = folder;
        request.patterns = "*.klpat";
        window = std::make_unique<FileChooserPolicy::BrowserWindow> (request, [] (const juce::File&) {});
        list = dynamic_cast<juce::FileListComponent*> (window->getBrowser().getDisplayComponent());
    }

    int rows() const { return list != nullptr ? list->getModel()->getNumRows() : 0; }

    /** Runs the message loop until that many rows are shown; false when it gave up. */
    bool pumpUntilRows (int wanted) const
    {
        const auto start = std::chrono::steady_clock::now();
        while (rows() < wanted)
        {
            if (std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count() >
                giveUpSeconds)
                return false;
            if (!juce::dispatchNextMessageOnSystemQueue (true))
                juce::Thread::sleep (1);
        }
        return true;
    }

    void close() { window.reset(); }

    /** Milliseconds the list takes to show its last rows. */
    double scrollToEnd()
    {
        window->setBounds (0, 0, 560, 380);
        const auto start = std::chrono::steady_clock::now();
        auto* viewport = list->getViewport();
        viewport->setViewPosition (0, viewport->getViewedComponent()->getHeight());
        while (juce::dispatchNextMessageOnSystemQueue (true))
        {
        }
        return std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count();
    }

private:
    std::unique_ptr<FileChooserPolicy::BrowserWindow> window;
    juce::FileListComponent* list = nullptr;
};

void BM_ChooserListing (benchmark::State& state)
{
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    const auto size = (int) state.range (0);
    const auto folder = patternFolders().get (size);
    double stall = 0.0, scroll = 0.0;
    for (auto _ : state)
    {
        const StallMeter meter;
        OpenChooser chooser (folder);
        const auto complete = chooser.pumpUntilRows (size);
        stall = juce::jmax (stall, meter.longestMs());
        state.PauseTiming();
        const auto shown = chooser.rows();
        if (complete)
            scroll = chooser.scrollToEnd();
        chooser.close();
        state.ResumeTiming();
        if (!complete)
        {
            state.SkipWithError (("not complete after " + juce::String (giveUpSeconds) + " s: " +
                                  juce::String (shown) + " rows, the message thread unanswered for up to " +
                                  juce::String (juce::roundToInt (stall)) + " ms")
                                     .toRawUTF8());
            return;
        }
    }
    state.counters["stall_ms"] = stall;
    state.counters["scroll_ms"] = scroll;
}
BENCHMARK (BM_ChooserListing)
    ->Arg (1000)
    ->Arg (10000)
    ->Arg (100000)
    ->Unit (benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations (1);

void BM_ChooserCloseWhileListing (benchmark::State& state)
{
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    const auto rows = (int) state.range (0);
    const auto folder = patternFolders().get (closeFolderSize);
    double longest = 0.0;
    for (auto _ : state)
    {
        state.PauseTiming();
        OpenChooser chooser (folder);
        const auto reached = chooser.pumpUntilRows (rows);
        const auto shown = chooser.rows();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        chooser.close();
        longest = juce::jmax (
            longest,
            std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count());
        if (!reached || shown >= closeFolderSize)
        {
            state.SkipWithError (
                ("closed at " + juce::String (shown) + " rows, not while listing").toRawUTF8());
            return;
        }
    }
    state.counters["longest_ms"] = longest;
}
BENCHMARK (BM_ChooserCloseWhileListing)
    ->Arg (1)
    ->Arg (1000)
    ->Arg (10000)
    ->Unit (benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations (3);
} // namespace
