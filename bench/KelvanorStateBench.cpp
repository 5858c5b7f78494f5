// Saving and restoring the largest session the plug-in can hold: a preset bank and a pattern bank read
// from files at the files' bound, their names letters that a state writes as references of 7 bytes
// (&#1104;), some 58 MB of state. Both go through the VST entry point, as a host calls them.
#include "framework/BasePlugin.h"
#include "framework/BoundedFileReader.h"
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
} // namespace

BENCHMARK (saveLargestSession)->Unit (benchmark::kMillisecond);
BENCHMARK (loadLargestSession)->Unit (benchmark::kMillisecond);
