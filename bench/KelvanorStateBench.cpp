// Saving and restoring the largest session the plug-in can hold: a preset bank and a pattern bank read
// from files at the files' bound, their names letters that a state writes as references of 7 bytes
// (&#1104;), some 58 MB of state. Both go through the VST entry point, as a host calls them. And
// restoring hostile chunks of the largest size a state may take, each of which must take at most about a
// second, read or refused.
#include "framework/BasePlugin.h"
#include "framework/BoundedFileReader.h"
#include "vst/AudioProcessor.h"
#include "vst/BoundedXml.h"
#include "vst/PluginEntry.h"
#include "vst/VstAbi.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
// Referenced from here so that the linker takes the product's factory from the engine library.
juce::AudioProcessor* (*volatile factory)() = &createPluginFilter;

VstIntPtr hostCallback (AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

/** The text with the placeholder replaced by a name that makes it fill the files' bound exactly. */
juce::String fillFileBound (const juce::String& text)
{
    const auto room = (int) BoundedFileReader::maxBytes - (int) text.getNumBytesAsUTF8() + 4;
    return text.replace ("NAME", juce::String::repeatedString (juce::String::charToString (0x450), room / 2) +
                                     (room % 2 == 1 ? "x" : ""));
}

/** Settings in a temporary folder whose default banks are the largest files. */
struct LargestBanks
{
    LargestBanks()
    {
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));

        juce::String presets;
        for (int i = 0; i < 128; ++i)
            presets << "<Preset application=\"Kelvanor\" name=\"Preset " << i << "\"/>";
        juce::String patterns;
        for (int i = 0; i < 96; ++i)
            patterns << "<Pattern application=\"Kelvanor\" name=\"" << (i == 0 ? "NAME" : "P") << "\"/>";

        settings.getParentDirectory().createDirectory(); // and the folder the banks go in
        const auto presetBank = folder.getChildFile ("largest.klprsb");
        const auto patternBank = folder.getChildFile ("largest.klptrb");
        presetBank.replaceWithText (fillFileBound ("<PresetBank name=\"NAME\"><PresetGroup name=\"All\">" +
                                                   presets + "</PresetGroup></PresetBank>"),
                                    false, false, "\n");
        patternBank.replaceWithText (fillFileBound ("<PatternBank>" + patterns + "</PatternBank>"), false,
                                     false, "\n");

        settings.replaceWithText ("<UserSettings application=\"Kelvanor\"><ResourcesSettings>"
                                  "<Presets default=\"userDefinedPresets\" file=\"" +
                                  presetBank.getFullPathName() +
                                  "\"/><Patterns default=\"userDefinedPatterns\" file=\"" +
                                  patternBank.getFullPathName() + "\"/></ResourcesSettings></UserSettings>");
    }

    ~LargestBanks()
    {
        BasePlugin::overrideApplicationDataFolders ({}, {});
        folder.deleteRecursively();
    }

    juce::File folder = juce::File::createTempFile ("kelvanor-bench");
    juce::File settings = folder.getChildFile ("user/Zeb Group/Kelvanor/Kelvanor.ini");
};

AEffect* openInstance()
{
    AEffect* effect = VSTPluginMain (&hostCallback);
    if (effect != nullptr)
        effect->dispatcher (effect, effOpen, 0, 0, nullptr, 0.0f);
    return effect;
}

void closeInstance (AEffect* effect)
{
    effect->dispatcher (effect, effClose, 0, 0, nullptr, 0.0f);
}

/** effGetChunk of an instance that holds the largest state; its size in "bytes". */
void saveLargestSession (benchmark::State& state)
{
    benchmark::DoNotOptimize (factory);
    const LargestBanks banks;
    AEffect* effect = openInstance();
    if (effect == nullptr)
    {
        state.SkipWithError ("the entry point made no instance");
        return;
    }

    VstIntPtr size = 0;
    for (auto _ : state)
    {
        void* data = nullptr;
        size = effect->dispatcher (effect, effGetChunk, 0, 0, &data, 0.0f);
        benchmark::DoNotOptimize (data);
    }
    state.counters["bytes"] = (double) size;
    closeInstance (effect);
}

/** effSetChunk of the largest state into an instance that started with the factory banks. */
void loadLargestSession (benchmark::State& state)
{
    benchmark::DoNotOptimize (factory);
    juce::MemoryBlock chunk;
    {
        const LargestBanks banks;
        AEffect* source = openInstance();
        if (source == nullptr)
        {
            state.SkipWithError ("the entry point made no instance");
            return;
        }
        void* data = nullptr;
        const auto size = source->dispatcher (source, effGetChunk, 0, 0, &data, 0.0f);
        chunk.append (data, (size_t) size);
        closeInstance (source);
    }

    AEffect* effect = openInstance();
    for (auto _ : state)
        effect->dispatcher (effect, effSetChunk, 0, (VstIntPtr) chunk.getSize(), chunk.getData(), 0.0f);
    state.counters["bytes"] = (double) chunk.getSize();
    closeInstance (effect);
}

enum class HostileState
{
    elements,             // 64 MB of "<e/>", 16 million elements
    attributes,           // 64 MB of "<e a=\"1\"/>", 13 million nodes
    parametersAtTheBound, // as many parameter values as a document may hold, the rest one long attribute
    groupsAtTheBound,     // as many named preset groups as a document may hold, the same
};

/** A state frame of the largest text a state may take: the own root element holding head, the unit
    repeated and tail. With a count of 0, as many units as fit; else count of them, and an attribute of
    the root filling the rest. */
std::vector<char> makeHostileFrame (const std::string& head, const std::string& unit, size_t count,
                                    const std::string& tail)
{
    const std::string root = "<PluginState application=\"Kelvanor\" pad=\"";
    const std::string end = "</PluginState>";
    const auto room =
        juce::AudioProcessor::maxStateTextBytes - root.size() - 2 - head.size() - tail.size() - end.size();
    const auto units = count > 0 ? count : room / unit.size();
    const auto padding = count > 0 ? room - units * unit.size() : 0;

    std::string text = root + std::string (padding, 'x') + "\">" + head;
    text.reserve (juce::AudioProcessor::maxStateTextBytes);
    for (size_t i = 0; i < units; ++i)
        text += unit;
    text += tail + end;

    std::vector<char> frame (8 + text.size() + 1, 0);
    const auto length = juce::ByteOrder::swapIfBigEndian ((juce::uint32) text.size());
    std::memcpy (frame.data(), "VC2!", 4);
    std::memcpy (frame.data() + 4, &length, 4);
    std::memcpy (frame.data() + 8, text.data(), text.size());
    return frame;
}

std::vector<char> makeHostileState (HostileState kind)
{
    // The nodes left beside the root element and its two attributes, and the one or two around the units.
    constexpr size_t room = BoundedXml::maxNodes - 3;

    switch (kind)
    {
        case HostileState::elements: return makeHostileFrame ("", "<e/>", 0, "");
        case HostileState::attributes: return makeHostileFrame ("", "<e a=\"1\"/>", 0, "");
        case HostileState::parametersAtTheBound:
            return makeHostileFrame ("<ParametersState>", "<param name=\"Cutoff\" value=\"0.5\"/>",
                                     (room - 1) / 3, "</ParametersState>");
        case HostileState::groupsAtTheBound:
            return makeHostileFrame ("<PresetsState><PresetBank>", "<PresetGroup name=\"g\"/>",
                                     (room - 2) / 2, "</PresetBank></PresetsState>");
    }

    return {};
}

/** effSetChunk of a hostile state into an instance that holds the factory banks. */
void loadHostileState (benchmark::State& state, HostileState kind)
{
    benchmark::DoNotOptimize (factory);
    auto chunk = makeHostileState (kind);
    AEffect* effect = openInstance();
    if (effect == nullptr)
    {
        state.SkipWithError ("the entry point made no instance");
        return;
    }

    for (auto _ : state)
        effect->dispatcher (effect, effSetChunk, 0, (VstIntPtr) chunk.size(), chunk.data(), 0.0f);
    state.counters["bytes"] = (double) chunk.size();
    closeInstance (effect);
}
} // namespace

BENCHMARK (saveLargestSession)->Unit (benchmark::kMillisecond);
BENCHMARK (loadLargestSession)->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (loadHostileState, elements, HostileState::elements)->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (loadHostileState, attributes, HostileState::attributes)->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (loadHostileState, parametersAtTheBound, HostileState::parametersAtTheBound)
    ->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (loadHostileState, groupsAtTheBound, HostileState::groupsAtTheBound)
    ->Unit (benchmark::kMillisecond);
