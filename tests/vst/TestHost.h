#pragma once

#include "TestSynth.h"

#include "vst/JuceVSTWrapper.h"
#include "vst/PluginEntry.h"
#include "vst/VstAbi.h"

#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

/** A VST host for the tests: answers the plug-in's callbacks and records what it is told. One at a
    time; the callback is a plain function, so it finds the host through a static pointer. */
class TestHost
{
public:
    TestHost() { current = this; }
    ~TestHost() { current = nullptr; }

    struct SentEvent
    {
        VstInt32 type, byteSize, deltaFrames;
        std::vector<juce::uint8> bytes;
    };

    VstIntPtr versionAnswer = 2400;
    VstInt32 processLevel = kVstProcessLevelRealtime;
    bool provideTimeInfo = false;
    VstTimeInfo timeInfo{};

    std::map<VstInt32, int> numCalls;                             // by opcode
    std::vector<std::tuple<VstInt32, int, float>> parameterCalls; // automate, begin and end edit
    std::vector<SentEvent> sentEvents;

    static VstIntPtr callback (AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float opt)
    {
        return current != nullptr ? current->handle (opcode, index, ptr, opt) : 0;
    }

private:
    VstIntPtr handle (VstInt32 opcode, VstInt32 index, void* ptr, float opt)
    {
        ++numCalls[opcode];

        switch (opcode)
        {
            case audioMasterVersion: return versionAnswer;
            case audioMasterAutomate:
            case audioMasterBeginEdit:
            case audioMasterEndEdit: parameterCalls.emplace_back (opcode, index, opt); return 1;
            case audioMasterGetCurrentProcessLevel: return processLevel;
            case audioMasterGetTime: return provideTimeInfo ? (VstIntPtr) &timeInfo : 0;
            case audioMasterProcessEvents:
            {
                const auto* list = static_cast<const VstEvents*> (ptr);

                for (VstInt32 i = 0; i < list->numEvents; ++i)
                {
                    const auto* event = list->events[i];
                    SentEvent sent{event->type, event->byteSize, event->deltaFrames, {}};

                    if (event->type == kVstMidiType)
                    {
                        const auto* midi = reinterpret_cast<const VstMidiEvent*> (event)->midiData;
                        sent.bytes.assign (midi, midi + 4);
                    }
                    else if (event->type == kVstSysExType)
                    {
                        const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*> (event);
                        sent.bytes.assign (sysex->sysexDump, sysex->sysexDump + sysex->dumpBytes);
                    }

                    sentEvents.push_back (std::move (sent));
                }

                return 1;
            }
            default: return 0;
        }
    }

    static inline TestHost* current = nullptr;
};

/** One plug-in instance made through the exported entry, closed through its record. */
class PluginInstance
{
public:
    PluginInstance()
        : effect (VSTPluginMain (TestHost::callback))
    {
    }

    ~PluginInstance() { close(); }

    bool isValid() const noexcept { return effect != nullptr; }

    VstIntPtr dispatch (VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                        float opt = 0.0f)
    {
        return effect->dispatcher (effect, opcode, index, value, ptr, opt);
    }

    void close()
    {
        if (effect != nullptr)
            effect->dispatcher (std::exchange (effect, nullptr), effClose, 0, 0, nullptr, 0.0f);
    }

    /** Sets rate and block size and turns the instance on, as a host does before playing. */
    void start (float rate, VstIntPtr blockSize)
    {
        dispatch (effOpen);
        dispatch (effSetSampleRate, 0, 0, nullptr, rate);
        dispatch (effSetBlockSize, 0, blockSize);
        dispatch (effMainsChanged, 0, 1);
    }

    void process (float** outputs, int numSamples)
    {
        effect->processReplacing (effect, nullptr, outputs, numSamples);
    }
    void setParameter (VstInt32 index, float value) { effect->setParameter (effect, index, value); }
    float getParameter (VstInt32 index) { return effect->getParameter (effect, index); }

    std::string text (VstInt32 opcode, VstInt32 index = 0)
    {
        char buffer[256]{};
        dispatch (opcode, index, 0, buffer);
        return buffer;
    }

    JuceVSTWrapper& wrapper() const
    {
        return *dynamic_cast<JuceVSTWrapper*> (static_cast<AudioEffect*> (effect->object));
    }
    TestSynth& synth() const { return *dynamic_cast<TestSynth*> (wrapper().getFilter()); }

    AEffect* effect = nullptr;
};
