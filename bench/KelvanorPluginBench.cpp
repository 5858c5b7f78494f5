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
    noteHeld,       // a host note held on the voice: the sawtooth
    squareHeld,     // the same note as a square wave
    distortionPre,  // the sawtooth through the distortion, its filters before the clipper
    distortionPost, // and after it
    sequencerPlaying,
    arpeggiatorPlaying // three host notes held, arpeggiated upwards
};

bool playsHostNotes (Scenario scenario)
{
    return scenario != Scenario::idle && scenario != Scenario::sequencerPlaying;
}

/** Host parameter slots and the values that set up each scenario's sound. */
std::vector<std::pair<int, float>> scenarioParameters (Scenario scenario)
{
    constexpr int waveform = 18, distortionState = 21, distortionRoute = 22, arpeMode = 25;
    // Waveform above one half is the sawtooth; route up to one half puts the filters after the clipper.
    std::vector<std::pair<int, float>> values{{waveform, scenario == Scenario::squareHeld ? 0.0f : 1.0f},
                                              {distortionState, 0.0f}};
    if (scenario == Scenario::distortionPre || scenario == Scenario::distortionPost)
        values = {{waveform, 1.0f},
                  {distortionState, 1.0f},
                  {distortionRoute, scenario == Scenario::distortionPost ? 0.0f : 1.0f}};
    if (scenario == Scenario::arpeggiatorPlaying)
        values.push_back ({arpeMode, 0.5f}); // up
    return values;
}

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

// Two seconds of blocks before the measured ones: the voice's parameter smoothing has settled by then, as
// it has for most of a session. Not inlined, so that a profile can tell these blocks from the measured ones.
[[gnu::noinline]] void warmUp (AEffect* effect, float** outputs)
{
    VstEvents none{};
    for (int block = 0; block < 2 * (int) sampleRate / blockSize; ++block)
    {
        effect->dispatcher (effect, effProcessEvents, 0, 0, &none, 0.0f);
        effect->processReplacing (effect, nullptr, outputs, blockSize);
        BenchHost::advance (blockSize);
    }
}

void renderPlugin (benchmark::State& state, Scenario scenario)
{
    benchmark::DoNotOptimize (factory);

    const ScopedSettings settings (!playsHostNotes (scenario));
    // The arpeggiator takes the host's tempo while the sequencer is off.
    BenchHost::setPlaying (scenario == Scenario::sequencerPlaying ||
                           scenario == Scenario::arpeggiatorPlaying);

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

    for (const auto& [slot, value] : scenarioParameters (scenario))
        effect->setParameter (effect, slot, value);

    // One note held, or a chord for the arpeggiator.
    const int numNotes = scenario == Scenario::arpeggiatorPlaying ? 3 : (playsHostNotes (scenario) ? 1 : 0);
    std::array<VstMidiEvent, 3> notes{};
    struct
    {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[3];
    } events{numNotes, 0, {}};
    for (int i = 0; i < 3; ++i)
    {
        notes[(size_t) i].type = kVstMidiType;
        notes[(size_t) i].byteSize = sizeof (VstMidiEvent);
        notes[(size_t) i].midiData[0] = (char) 0x90;
        notes[(size_t) i].midiData[1] = (char) (36 + 4 * i);
        notes[(size_t) i].midiData[2] = 100;
        events.events[i] = reinterpret_cast<VstEvent*> (&notes[(size_t) i]);
    }
    effect->dispatcher (effect, effProcessEvents, 0, 0, &events, 0.0f);

    warmUp (effect, outputs.data());

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
    state.counters["ns_per_sample"] = benchmark::Counter (
        (double) state.iterations() * blockSize, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);

    effect->dispatcher (effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher (effect, effClose, 0, 0, nullptr, 0.0f);
}
} // namespace

BENCHMARK_CAPTURE (renderPlugin, idle, Scenario::idle);
BENCHMARK_CAPTURE (renderPlugin, noteHeld, Scenario::noteHeld);
BENCHMARK_CAPTURE (renderPlugin, squareHeld, Scenario::squareHeld);
BENCHMARK_CAPTURE (renderPlugin, distortionPre, Scenario::distortionPre);
BENCHMARK_CAPTURE (renderPlugin, distortionPost, Scenario::distortionPost);
BENCHMARK_CAPTURE (renderPlugin, sequencerPlaying, Scenario::sequencerPlaying);
BENCHMARK_CAPTURE (renderPlugin, arpeggiatorPlaying, Scenario::arpeggiatorPlaying);
