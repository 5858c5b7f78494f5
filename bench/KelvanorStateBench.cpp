// Restoring states through the VST entry point, as a host calls it, each of which must take at most about
// a second, read or refused: the largest session the plug-in can hold (both banks read from files at the
// files' bound, some 58 MB of state), and hostile chunks of the largest size a state may take.
#include "framework/BasePlugin.h"
#include "tests/HostileInput.h"
#include "tests/LargestState.h"
#include "vst/BoundedXml.h"
#include "vst/PluginEntry.h"
#include "vst/VstAbi.h"

#include <benchmark/benchmark.h>

namespace
{
// Referenced from here so that the linker takes the product's factory from the engine library.
juce::AudioProcessor* (*volatile factory)() = &createPluginFilter;

VstIntPtr hostCallback (AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

/** effSetChunk of the chunk into a new instance, or of the instance's own state when there is none. */
void loadChunk (benchmark::State& state, std::vector<char> chunk)
{
    benchmark::DoNotOptimize (factory);
    AEffect* effect = VSTPluginMain (&hostCallback);
    effect->dispatcher (effect, effOpen, 0, 0, nullptr, 0.0f);
    if (chunk.empty())
    {
        char* data = nullptr;
        const auto size = effect->dispatcher (effect, effGetChunk, 0, 0, &data, 0.0f);
        chunk.assign (data, data + size);
    }

    for (auto _ : state)
        effect->dispatcher (effect, effSetChunk, 0, (VstIntPtr) chunk.size(), chunk.data(), 0.0f);
    effect->dispatcher (effect, effClose, 0, 0, nullptr, 0.0f);
}

void loadLargestSession (benchmark::State& state)
{
    const auto folder = juce::File::createTempFile ("kelvanor-bench");
    BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"), folder.getChildFile ("common"));
    if (writeLargestBanks (folder, folder.getChildFile ("user/Zeb Group/Kelvanor/Kelvanor.ini")))
        loadChunk (state, {});
    else
        state.SkipWithError ("the banks could not be written");
    BasePlugin::overrideApplicationDataFolders ({}, {});
    folder.deleteRecursively();
}

/** A state of the largest text a state may take: the own root element holding head, the unit repeated and
    tail; as many units as fit, or count of them and an attribute of the root filling the rest. */
void loadHostileState (benchmark::State& state, const std::string& head, const std::string& unit,
                       size_t count, const std::string& tail)
{
    const std::string open = "<PluginState application=\"Kelvanor\" pad=\"", close = "</PluginState>";
    const auto room =
        juce::AudioProcessor::maxStateTextBytes - open.size() - 2 - head.size() - tail.size() - close.size();
    const auto units = count > 0 ? count : room / unit.size();
    std::string text = open + std::string (count > 0 ? room - units * unit.size() : 0, 'x') + "\">" + head;
    for (size_t i = 0; i < units; ++i)
        text += unit;
    loadChunk (state, makeStateFrame (text + tail + close));
}

// The nodes a document may hold beside the root element and its two attributes.
constexpr size_t nodes = BoundedXml::maxNodes - 3;
constexpr auto ms = benchmark::kMillisecond;
} // namespace

BENCHMARK (loadLargestSession)->Unit (ms);
// 64 MB of elements, 16 million, or of attributes, 13 million nodes: both refused.
BENCHMARK_CAPTURE (loadHostileState, elements, "", "<e/>", 0, "")->Unit (ms);
BENCHMARK_CAPTURE (loadHostileState, attributes, "", "<e a=\"1\"/>", 0, "")->Unit (ms);
// As many parameter values or named preset groups as a document may hold, the rest one long attribute.
BENCHMARK_CAPTURE (loadHostileState, parametersAtTheBound, "<ParametersState>",
                   "<param name=\"Cutoff\" value=\"0.5\"/>", (nodes - 1) / 3, "</ParametersState>")
    ->Unit (ms);
BENCHMARK_CAPTURE (loadHostileState, groupsAtTheBound, "<PresetsState><PresetBank>",
                   "<PresetGroup name=\"g\"/>", (nodes - 2) / 2, "</PresetBank></PresetsState>")
    ->Unit (ms);
