#include "vst/AudioEffectX.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace
{
/** The base classes alone, with a host that records and answers what a test sets. */
class PlainEffect : public AudioEffectX
{
public:
    explicit PlainEffect (audioMasterCallback host, int programs = 3)
        : AudioEffectX (host, programs, 2)
    {
    }

    ~PlainEffect() override
    {
        if (deleted != nullptr)
            *deleted = true;
    }

    void processReplacing (float**, float**, VstInt32) override {}
    void setParameter (VstInt32 index, float value) override { lastSet = {index, value}; }

    using AudioEffect::callHost;
    using AudioEffect::cEffect;
    using AudioEffect::setFlag;

    std::pair<int, float> lastSet{-1, 0.0f};
    bool* deleted = nullptr;
};

struct HostLog
{
    static inline std::vector<VstInt32> opcodes;
    static inline VstIntPtr answer = 0;

    static VstIntPtr callback (AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
    {
        opcodes.push_back (opcode);
        return answer;
    }
};

std::string text (const std::function<void (char*)>& write)
{
    char buffer[64];
    std::memset (buffer, '#', sizeof (buffer));
    write (buffer);
    return buffer;
}

//==============================================================================
struct FloatCase
{
    float value;
    const char* expected;
};

TEST (AudioEffectText, FloatsUseEightPlaces)
{
    PlainEffect effect (nullptr);

    const FloatCase cases[] = {
        {0.0f, "0.000000"},
        {1.5f, "1.500000"},
        {123.25f, "123.2500"},
        {-1.5f, "-1.50000"},
        {0.7f, "0.699999"},
        {20.0f, "20.00000"},
        {9999999.0f, "9999999."},
        {12345678.0f, "12345678."},
        {-1234567.0f, "-1234567."},
        {100000000.0f, "Huge!"},
        {-10000000.0f, "Huge!"},
        {-9999999.0f, "-9999999."},
        {std::numeric_limits<float>::infinity(), "Huge!"},
        {std::numeric_limits<float>::quiet_NaN(), "Huge!"},
    };

    for (const auto& c : cases)
        EXPECT_EQ (text ([&] (char* t) { effect.float2string (c.value, t, 63); }), c.expected) << c.value;

    EXPECT_EQ (text ([&] (char* t) { effect.float2string (123.25f, t, 4); }), "123.");
    EXPECT_EQ (text ([&] (char* t) { effect.float2string (123.25f, t, 0); }), "");
}

struct IntCase
{
    VstInt32 value;
    const char* expected;
};

TEST (AudioEffectText, IntegersWithoutLeadingZeros)
{
    PlainEffect effect (nullptr);

    const IntCase cases[] = {
        {0, "0"},
        {7, "7"},
        {-42, "-42"},
        {99999999, "99999999"},
        {100000000, "Huge!"},
        {INT_MAX, "Huge!"},
        {INT_MIN, "-2147483648"},
    };

    for (const auto& c : cases)
        EXPECT_EQ (text ([&] (char* t) { effect.int2string (c.value, t, 63); }), c.expected) << c.value;

    EXPECT_EQ (text ([&] (char* t) { effect.int2string (-123456, t, 3); }), "-12");
}

TEST (AudioEffectText, DecibelsHertzAndMilliseconds)
{
    PlainEffect effect (nullptr);
    effect.setSampleRate (44100.0f);

    EXPECT_EQ (text ([&] (char* t) { effect.dB2string (0.0f, t, 63); }), "-oo");
    EXPECT_EQ (text ([&] (char* t) { effect.dB2string (-1.0f, t, 63); }), "-oo");
    EXPECT_EQ (text ([&] (char* t) { effect.dB2string (1.0f, t, 63); }), "0.000000");
    EXPECT_EQ (text ([&] (char* t) { effect.dB2string (10.0f, t, 63); }), "20.00000");
    EXPECT_EQ (text ([&] (char* t) { effect.Hz2string (0.0f, t, 63); }), "0.000000");
    EXPECT_EQ (text ([&] (char* t) { effect.Hz2string (441.0f, t, 63); }), "100.0000");
    EXPECT_EQ (text ([&] (char* t) { effect.ms2string (44100.0f, t, 63); }), "1000.000");
}

TEST (AudioEffectText, CopyNeverPassesTheLimit)
{
    char buffer[8];
    std::memset (buffer, '#', sizeof (buffer));
    AudioEffect::copyText (buffer, "abcdefghij", 4);
    EXPECT_STREQ (buffer, "abcd");
    EXPECT_EQ (buffer[5], '#');

    AudioEffect::copyText (buffer, nullptr, 4);
    EXPECT_STREQ (buffer, "");

    buffer[0] = 'x';
    AudioEffect::copyText (buffer, "abc", -1);
    EXPECT_EQ (buffer[0], 'x');
    AudioEffect::copyText (nullptr, "abc", 4);
}

//==============================================================================
TEST (AudioEffectRecord, IsFilledAndForwardsToTheObject)
{
    PlainEffect effect (nullptr);
    auto* e = effect.getAeffect();

    EXPECT_EQ (e->magic, kEffectMagic);
    EXPECT_EQ (e->object, &effect);
    EXPECT_EQ (e->numPrograms, 3);
    EXPECT_EQ (e->numParams, 2);
    EXPECT_EQ (e->numInputs, 1);
    EXPECT_EQ (e->numOutputs, 2);
    EXPECT_EQ (e->flags, effFlagsCanReplacing);
    EXPECT_EQ (e->uniqueID, vstFourCharCode ('N', 'o', 'E', 'f'));
    EXPECT_EQ (e->version, 1);
    EXPECT_FLOAT_EQ (e->ioRatio, 1.0f);
    EXPECT_EQ (effect.getSampleRate(), 44100.0f);
    EXPECT_EQ (effect.getBlockSize(), 1024);

    e->setParameter (e, 1, 0.5f);
    EXPECT_EQ (effect.lastSet, (std::pair<int, float>{1, 0.5f}));
    EXPECT_EQ (e->getParameter (e, 1), 0.0f);

    EXPECT_EQ (e->dispatcher (e, effIdentify, 0, 0, nullptr, 0.0f), vstFourCharCode ('N', 'v', 'E', 'f'));
    EXPECT_EQ (e->dispatcher (e, effGetVstVersion, 0, 0, nullptr, 0.0f), 2400);
    EXPECT_EQ (e->dispatcher (e, effGetCurrentMidiProgram, 0, 0, nullptr, 0.0f), -1);
    EXPECT_EQ (e->dispatcher (e, effSetTotalSampleToProcess, 0, 1234, nullptr, 0.0f), 1234);

    // Programs: only those below the count.
    for (const VstIntPtr program : {2, 3, -1, 100})
        e->dispatcher (e, effSetProgram, 0, program, nullptr, 0.0f);
    EXPECT_EQ (e->dispatcher (e, effGetProgram, 0, 0, nullptr, 0.0f), 2);

    // A record that is not ours, or has lost its object, gets neutral answers.
    AEffect foreign{};
    EXPECT_EQ (e->dispatcher (&foreign, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ (e->dispatcher (nullptr, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    e->processReplacing (nullptr, nullptr, nullptr, 10);
}

TEST (AudioEffectRecord, CloseDeletesTheObject)
{
    bool deleted = false;
    auto* effect = new PlainEffect (nullptr);
    effect->deleted = &deleted;
    auto* e = effect->getAeffect();

    EXPECT_EQ (e->dispatcher (e, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_TRUE (deleted);
}

TEST (AudioEffectRecord, FlagSettersSetAndClear)
{
    PlainEffect effect (nullptr);

    const std::pair<std::function<void (bool)>, VstInt32> setters[] = {
        {[&] (bool s) { effect.canProcessReplacing (s); }, 0x10},
        {[&] (bool s) { effect.canDoubleReplacing (s); }, 0x1000},
        {[&] (bool s) { effect.programsAreChunks (s); }, 0x20},
        {[&] (bool s) { effect.hasVu (s); }, 0x4},
        {[&] (bool s) { effect.hasClip (s); }, 0x2},
        {[&] (bool s) { effect.canMono (s); }, 0x8},
        {[&] (bool s) { effect.isSynth (s); }, 0x100},
        {[&] (bool s) { effect.noTail (s); }, 0x200},
        {[&] (bool s) { effect.wantAsyncOperation (s); }, 0x400},
        {[&] (bool s) { effect.hasExternalBuffer (s); }, 0x800},
    };

    for (const auto& [set, flag] : setters)
    {
        effect.cEffect.flags = 0;
        set (true);
        EXPECT_EQ (effect.cEffect.flags, flag);
        effect.cEffect.flags = -1;
        set (false);
        EXPECT_EQ (effect.cEffect.flags, ~flag);
    }

    effect.cEffect.flags = 0;
    EXPECT_EQ (effect.getPlugCategory(), kPlugCategUnknown);
    effect.isSynth (true);
    EXPECT_EQ (effect.getPlugCategory(), kPlugCategSynth);
}

//==============================================================================
TEST (AudioEffectHost, CallsAreNamedAndAnswered)
{
    HostLog::opcodes.clear();
    HostLog::answer = 0;

    PlainEffect withoutHost (nullptr);
    EXPECT_EQ (withoutHost.getMasterVersion(), 1);
    EXPECT_EQ (withoutHost.getTimeInfo (0), nullptr);
    EXPECT_FALSE (withoutHost.updateDisplay());

    PlainEffect effect (HostLog::callback);
    EXPECT_EQ (effect.getMasterVersion(), 1) << "a host answering 0 counts as version 1";
    EXPECT_TRUE (effect.isInputConnected (0)) << "0 means connected";
    EXPECT_TRUE (effect.isOutputConnected (1));

    HostLog::answer = -1;
    char sizeWindow[] = "sizeWindow";
    EXPECT_EQ (effect.canHostDo (sizeWindow), -1) << "the host's 'no' stays a no";
    EXPECT_EQ (effect.canHostDo (nullptr), 0);
    EXPECT_FALSE (effect.isInputConnected (0));

    HostLog::answer = 48000;
    EXPECT_EQ (effect.updateSampleRate(), 48000.0);
    EXPECT_EQ (effect.getSampleRate(), 48000.0f);
    HostLog::answer = -3;
    EXPECT_EQ (effect.updateSampleRate(), 48000.0) << "a non-positive answer keeps the stored rate";
    EXPECT_EQ (effect.updateBlockSize(), 1024);

    HostLog::answer = 1;
    HostLog::opcodes.clear();
    effect.setParameterAutomated (0, 0.25f);
    effect.beginEdit (0);
    effect.endEdit (0);
    effect.ioChanged();
    effect.sizeWindow (10, 20);
    effect.isSynth (true);
    effect.resume();
    EXPECT_EQ (effect.lastSet, (std::pair<int, float>{0, 0.25f}));
    EXPECT_EQ (HostLog::opcodes,
               (std::vector<VstInt32>{audioMasterAutomate, audioMasterBeginEdit, audioMasterEndEdit,
                                      audioMasterIOChanged, audioMasterSizeWindow, audioMasterWantMidi}));
}

VstSpeakerProperties& speakerAt (VstSpeakerArrangement* arrangement, int index)
{
    auto* first = reinterpret_cast<char*> (arrangement) + offsetof (VstSpeakerArrangement, speakers);
    return reinterpret_cast<VstSpeakerProperties*> (first)[index];
}

TEST (AudioEffectSpeakers, ArrangementsAreSizedForTheirChannels)
{
    PlainEffect effect (nullptr);
    VstSpeakerArrangement* arrangement = nullptr;

    ASSERT_TRUE (effect.allocateArrangement (&arrangement, 12));
    EXPECT_EQ (arrangement->numChannels, 12);
    arrangement->type = kSpeakerArrUserDefined;
    speakerAt (arrangement, 11).type = kSpeakerRs; // the twelfth record exists
    std::strcpy (speakerAt (arrangement, 11).name, "Rear right");

    VstSpeakerArrangement* copy = nullptr;
    ASSERT_TRUE (effect.matchArrangement (&copy, arrangement));
    EXPECT_EQ (copy->numChannels, 12);
    EXPECT_EQ (copy->type, kSpeakerArrUserDefined);
    EXPECT_STREQ (speakerAt (copy, 11).name, "Rear right");

    EXPECT_TRUE (effect.deallocateArrangement (&arrangement));
    EXPECT_EQ (arrangement, nullptr);
    EXPECT_TRUE (effect.deallocateArrangement (&copy));
    EXPECT_FALSE (effect.allocateArrangement (nullptr, 2));
    EXPECT_FALSE (effect.allocateArrangement (&arrangement, -1));
    EXPECT_FALSE (effect.matchArrangement (&copy, nullptr));

    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* in = &dummy;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_FALSE (effect.getSpeakerArrangement (&in, &out));
    EXPECT_EQ (in, nullptr);
}
} // namespace
