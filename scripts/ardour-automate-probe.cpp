// A bare VST 2.4 instrument without JUCE, for control runs of scripts/ardour-export-rounds.sh --probe: every
// controller message it is sent sets parameter (controller % 8) and tells the host with audioMasterAutomate,
// on the thread that processes the block (Ardour's audio or export thread), as a plug-in with a learned
// controller does. It plays a quiet 110 Hz sine. Environment, read when an instance is made:
//   PROBE_GESTURES=1  audioMasterBeginEdit/EndEdit around each change
//   PROBE_UPDATE=1    audioMasterUpdateDisplay after each block with a change
//   PROBE_THREAD=1    the process thread only marks the change; a thread of the probe's own tells the host
//   PROBE_QUIET=1     no host calls at all
// No editor. Not part of the product or its tests.
#include "vst/VstAbi.h"
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace
{
constexpr int numParams = 8;
struct Probe
{
    AEffect effect{};
    audioMasterCallback host = nullptr;
    float params[numParams] = {};
    unsigned char controllers[256][2];
    int numControllers = 0;
    double phase = 0.0;
    bool gestures = std::getenv ("PROBE_GESTURES") != nullptr;
    bool update = std::getenv ("PROBE_UPDATE") != nullptr;
    bool quiet = std::getenv ("PROBE_QUIET") != nullptr; // no host calls at all
    // PROBE_THREAD=1: the process thread only marks the change; a thread of the probe's own tells the host.
    bool ownThread = std::getenv ("PROBE_THREAD") != nullptr;
    std::atomic<bool> dirty[numParams] = {};
    std::atomic<bool> running{false};
    std::thread reporter;
};
Probe* self (AEffect* e)
{
    return static_cast<Probe*> (e->object);
}
void copy (void* dest, const char* text, size_t max)
{
    std::strncpy (static_cast<char*> (dest), text, max);
    static_cast<char*> (dest)[max - 1] = 0;
}

VstIntPtr dispatch (AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float)
{
    auto* p = self (e);
    switch (opcode)
    {
        case effOpen:
            if (p->ownThread)
            {
                p->running = true;
                p->reporter = std::thread (
                    [p]
                    {
                        while (p->running)
                        {
                            for (int i = 0; i < numParams; ++i)
                                if (p->dirty[i].exchange (false))
                                    p->host (&p->effect, audioMasterAutomate, i, 0, nullptr, p->params[i]);
                            std::this_thread::sleep_for (std::chrono::milliseconds (20));
                        }
                    });
            }
            return 0;
        case effClose:
            p->running = false;
            if (p->reporter.joinable())
                p->reporter.join();
            delete p;
            return 1;
        case effGetParamName:
            copy (ptr, "P", 8);
            static_cast<char*> (ptr)[1] = (char) ('0' + index);
            static_cast<char*> (ptr)[2] = 0;
            return 0;
        case effGetParamDisplay: copy (ptr, "", 8); return 0;
        case effGetParamLabel: copy (ptr, "", 8); return 0;
        case effCanBeAutomated: return 1;
        case effProcessEvents:
        {
            auto* events = static_cast<VstEvents*> (ptr);
            for (int i = 0; i < events->numEvents; ++i)
            {
                auto* ev = events->events[i];
                if (ev->type != kVstMidiType)
                    continue;
                auto* m = reinterpret_cast<VstMidiEvent*> (ev);
                if ((m->midiData[0] & 0xf0) == 0xb0 && p->numControllers < 256)
                {
                    p->controllers[p->numControllers][0] = (unsigned char) m->midiData[1];
                    p->controllers[p->numControllers][1] = (unsigned char) m->midiData[2];
                    ++p->numControllers;
                }
            }
            return 1;
        }
        case effGetPlugCategory: return 2; // kPlugCategSynth
        case effGetEffectName: copy (ptr, "AutomateProbe", 32); return 1;
        case effGetVendorString: copy (ptr, "Kelvanor tests", 64); return 1;
        case effGetProductString: copy (ptr, "AutomateProbe", 64); return 1;
        case effCanDo:
        {
            const char* t = static_cast<const char*> (ptr);
            return (std::strcmp (t, "receiveVstEvents") == 0 || std::strcmp (t, "receiveVstMidiEvent") == 0)
                       ? 1
                       : 0;
        }
        case effGetVstVersion: return kVstVersion;
        default: return 0;
    }
}

void processReplacing (AEffect* e, float**, float** outputs, VstInt32 frames)
{
    auto* p = self (e);
    for (int i = 0; i < frames; ++i)
    {
        const float s = (float) (0.1 * std::sin (p->phase));
        p->phase += 2.0 * M_PI * 110.0 / 44100.0;
        outputs[0][i] = s;
        outputs[1][i] = s;
    }
    const bool changed = p->numControllers > 0;
    for (int i = 0; i < p->numControllers; ++i)
    {
        const int index = p->controllers[i][0] % numParams;
        const float value = (float) p->controllers[i][1] / 127.0f;
        p->params[index] = value;
        if (p->quiet)
            continue;
        if (p->ownThread)
        {
            p->dirty[index] = true;
            continue;
        }
        if (p->gestures)
            p->host (e, audioMasterBeginEdit, index, 0, nullptr, 0.0f);
        p->host (e, audioMasterAutomate, index, 0, nullptr, value);
        if (p->gestures)
            p->host (e, audioMasterEndEdit, index, 0, nullptr, 0.0f);
    }
    p->numControllers = 0;
    if (changed && p->update && !p->quiet)
        p->host (e, audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f);
}
void setParameter (AEffect* e, VstInt32 index, float value)
{
    if (index >= 0 && index < numParams)
        self (e)->params[index] = value;
}
float getParameter (AEffect* e, VstInt32 index)
{
    return index >= 0 && index < numParams ? self (e)->params[index] : 0.0f;
}
} // namespace

extern "C" __attribute__ ((visibility ("default"))) AEffect* VSTPluginMain (audioMasterCallback host)
{
    if (host == nullptr || host (nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    auto* p = new Probe;
    p->host = host;
    auto& e = p->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatch;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.numPrograms = 1;
    e.numParams = numParams;
    e.numInputs = 0;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing | effFlagsIsSynth;
    e.object = p;
    e.uniqueID = vstFourCharCode ('K', 'l', 'A', 'p');
    e.version = 1;
    e.processReplacing = processReplacing;
    return &e;
}
