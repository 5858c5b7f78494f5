// Making an instance now builds its persistent editor (pages, windows, the embedded skin's panel): the
// time from the VST entry to a usable instance, for the first instance of the process (cold: fonts,
// decoded film strips and the message thread start here) and for every one after it (warm). The target
// for a warm instance is 50 ms. Run without DISPLAY for the figures a host's scan process sees.
#include "framework/BasePlugin.h"
#include "vst/PluginEntry.h"
#include "vst/VstAbi.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace
{
juce::AudioProcessor* (*volatile editorBenchFactory)() = &createPluginFilter;

VstIntPtr editorBenchHost (AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

/** Keeps the benchmark's instances out of the user's real folders: they write their settings on close. */
class PrivateFolders
{
public:
    PrivateFolders()
    {
        folder.createDirectory();
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));
    }

    ~PrivateFolders()
    {
        BasePlugin::overrideApplicationDataFolders ({}, {});
        folder.deleteRecursively();
    }

private:
    juce::File folder = juce::File::createTempFile ("kelvanor-editor-bench");
};

/** Milliseconds from the entry to an opened instance; the instance is closed outside the timing. */
double createAndCloseInstance()
{
    const auto start = std::chrono::steady_clock::now();
    AEffect* effect = VSTPluginMain (editorBenchHost);
    if (effect == nullptr)
        return -1.0;
    effect->dispatcher (effect, effOpen, 0, 0, nullptr, 0.0f);
    const double ms =
        std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count();
    effect->dispatcher (effect, effClose, 0, 0, nullptr, 0.0f);
    return ms;
}

void BM_InstanceCreation (benchmark::State& state)
{
    juce::ignoreUnused (editorBenchFactory);
    const PrivateFolders folders;
    // Only meaningful when this runs first in the process: run it alone with
    // --benchmark_filter=BM_InstanceCreation for the cold figure.
    static const double first = createAndCloseInstance();
    double total = 0.0;
    int count = 0;
    for (auto _ : state)
    {
        const double ms = createAndCloseInstance();
        if (ms < 0.0)
        {
            state.SkipWithError ("the entry made no instance");
            return;
        }
        total += ms;
        ++count;
    }
    state.counters["first_ms"] = first;
    state.counters["warm_ms"] = count > 0 ? total / count : 0.0;
}
BENCHMARK (BM_InstanceCreation)->Unit (benchmark::kMillisecond)->Iterations (5);
} // namespace
