// The whole plug-in's real-time factor: an instance made through the VST entry point, driven through
// processReplacing in 256-sample blocks at 44.1 kHz as a host drives it (events every block, time info
// on request). "realtime" is seconds of audio rendered per second of CPU.
#include "framework/BasePlugin.h"
#include "vst/PluginEntry.h"
#include "vst/VstAbi.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 256;

// Referenced from here so that the linker takes the product's factory from the engine library before
// it meets the entry point that calls it.
juce::AudioProcessor* (*volatile factory)() = &createPluginFilter;

/** The host side: transport for the time info, nothing else. */
struct BenchHost
{
    static VstIntPtr callback (AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
    {
        switch (opcode)
        {
            case audioMasterVersion: return kVstVersion;
            case audioMasterGetTime: return (VstIntPtr) &timeInfo;
            case audioMasterGetSampleRate: return (VstIntPtr) sampleRate;
            case audioMasterGetBlockSize: return blockSize;
            case audioMasterGetCurrentProcessLevel: return kVstProcessLevelRealtime;
            default: return 0;
        }
    }

    static void setPlaying (bool playing)
    {
        timeInfo = {};
        timeInfo.sampleRate = sampleRate;
        timeInfo.tempo = 120.0;
        timeInfo.timeSigNumerator = 4;
        timeInfo.timeSigDenominator = 4;
        timeInfo.flags =
            kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid | (playing ? kVstTransportPlaying : 0);
    }

    static void advance (int numSamples)
    {
        timeInfo.samplePos += numSamples;
        if ((timeInfo.flags & kVstTransportPlaying) != 0)
            timeInfo.ppqPos += numSamples * timeInfo.tempo / (60.0 * sampleRate);
    }

    static inline VstTimeInfo timeInfo{};
};

enum class Scenario
{
    idle,
    noteHeld,
    sequencerPlaying
};

/** Settings in a temporary folder; with the sequencer off for host notes to play the voice. */
struct ScopedSettings
{
    explicit ScopedSettings (bool sequencerOn)
    {
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));
        const auto settings = folder.getChildFile ("user/Zeb Group/Kelvanor/Kelvanor.ini");
        settings.getParentDirectory().createDirectory();
        settings.replaceWithText (
            juce::String (R"(<UserSettings application="Kelvanor"><InternalSequencer>)") +
            "<IntSeq state=\"" + (sequencerOn ? "on" : "off") + "\"/>" +
            "</InternalSequencer></UserSettings>");
    }

    ~ScopedSettings()
    {
        BasePlugin::overrideApplicationDataFolders ({}, {});
        folder.deleteRecursively();
    }

    juce::File folder = juce::File::createTempFile ("kelvanor-bench");
};

void renderPlugin (benchmark::State& state, Scenario scenario)
{
    benchmark::DoNotOptimize (factory);

    const ScopedSettings settings (scenario != Scenario::noteHeld);
    BenchHost::setPlaying (scenario == Scenario::sequencerPlaying);

    AEffect* effect = VSTPluginMain (&BenchHost::callback);
    if (effect == nullptr)
    {
        state.SkipWithError ("the entry point made no instance");
        return;
    }

    effect->dispatcher (effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher (effect, effSetSampleRate, 0, 0, nullptr, (float) sampleRate);
    effect->dispatcher (effect, effSetBlockSize, 0, blockSize, nullptr, 0.0f);
    effect->dispatcher (effect, effMainsChanged, 0, 1, nullptr, 0.0f);

    std::vector<float> left (blockSize), right (blockSize);
    std::array<float*, 2> outputs{left.data(), right.data()};

    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof (VstMidiEvent);
    note.midiData[0] = (char) 0x90;
    note.midiData[1] = 36;
    note.midiData[2] = 100;
    VstEvents events{};
    events.numEvents = scenario == Scenario::noteHeld ? 1 : 0;
    events.events[0] = reinterpret_cast<VstEvent*> (&note);
    effect->dispatcher (effect, effProcessEvents, 0, 0, &events, 0.0f);

    VstEvents none{};
    for (auto _ : state)
    {
        effect->dispatcher (effect, effProcessEvents, 0, 0, &none, 0.0f);
        effect->processReplacing (effect, nullptr, outputs.data(), blockSize);
        BenchHost::advance (blockSize);
        benchmark::DoNotOptimize (left.data());
    }

    state.counters["realtime"] = benchmark::Counter ((double) state.iterations() * blockSize / sampleRate,
                                                     benchmark::Counter::kIsRate);

    effect->dispatcher (effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher (effect, effClose, 0, 0, nullptr, 0.0f);
}
} // namespace

BENCHMARK_CAPTURE (renderPlugin, idle, Scenario::idle);
BENCHMARK_CAPTURE (renderPlugin, noteHeld, Scenario::noteHeld);
BENCHMARK_CAPTURE (renderPlugin, sequencerPlaying, Scenario::sequencerPlaying);
