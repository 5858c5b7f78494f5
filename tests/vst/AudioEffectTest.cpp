#include "vst/AudioEffectX.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
/** The base classes alone, with a host that records and answers what a test sets. */
class PlainEffect : public AudioEffectX
{
public:
    explicit PlainEffect (audioMasterCallback host)
        : AudioEffectX (host, 3, 2)
    {
    }

    ~PlainEffect() override
    {
        if (deleted != nullptr)
            *deleted = true;
    }

    void processReplacing (float**, float**, VstInt32) override {}
    void setParameter (VstInt32 index, float value) override { lastSet = {index, value}; }

    using AudioEffect::cEffect;

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

//==============================================================================
TEST (AudioEffectText, NumbersInEightPlacesAtMost)
{
    PlainEffect effect (nullptr);
    effect.setSampleRate (44100.0f);
    const auto inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();

    // Decibels are of a gain (none at or below 0); Hertz and milliseconds of a length in samples.
    // clang-format off
    enum Helper { f2s, i2s, dB, Hz, ms };
    const struct { Helper helper; double value; const char* expected; int maxLen = 63; } cases[] = {
        {f2s, 0.0, "0.000000"},          {f2s, 1.5, "1.500000"},          {f2s, 123.25, "123.2500"},
        {f2s, -1.5, "-1.50000"},         {f2s, 0.7, "0.699999"},          {f2s, 9999999.0, "9999999."},
        {f2s, 12345678.0, "12345678."},  {f2s, -1234567.0, "-1234567."},  {f2s, -9999999.0, "-9999999."},
        {f2s, 1e8, "Huge!"},             {f2s, -1e7, "Huge!"},            {f2s, inf, "Huge!"},
        {f2s, nan, "Huge!"},             {f2s, 123.25, "123.", 4},        {f2s, 123.25, "", 0},
        {i2s, 0, "0"},                   {i2s, -42, "-42"},               {i2s, 99999999, "99999999"},
        {i2s, 1e8, "Huge!"},             {i2s, INT_MAX, "Huge!"},         {i2s, INT_MIN, "-2147483648"},
        {i2s, -123456, "-12", 3},        {dB, 0.0, "-oo"},                {dB, -1.0, "-oo"},
        {dB, 1.0, "0.000000"},           {dB, 10.0, "20.00000"},          {Hz, 0.0, "0.000000"},
        {Hz, 441.0, "100.0000"},         {ms, 44100.0, "1000.000"}};
    // clang-format on

    for (const auto& c : cases)
    {
        char text[64];
        std::memset (text, '#', sizeof (text));

        switch (c.helper)
        {
            case f2s: effect.float2string ((float) c.value, text, c.maxLen); break;
            case i2s: effect.int2string ((VstInt32) c.value, text, c.maxLen); break;
            case dB: effect.dB2string ((float) c.value, text, c.maxLen); break;
            case Hz: effect.Hz2string ((float) c.value, text, c.maxLen); break;
            case ms: effect.ms2string ((float) c.value, text, c.maxLen); break;
        }

        EXPECT_EQ (std::string (text), c.expected) << c.helper << " of " << c.value << " in " << c.maxLen;
    }
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
TEST (AudioEffectRecord, IsFilledForwardsToTheObjectAndClosesIt)
{
    bool deleted = false;
    auto* effect = new PlainEffect (nullptr);
    effect->deleted = &deleted;
    auto* e = effect->getAeffect();

    EXPECT_EQ (e->magic, kEffectMagic);
    EXPECT_EQ (e->object, effect);
    EXPECT_EQ (e->numPrograms, 3);
    EXPECT_EQ (e->numParams, 2);
    EXPECT_EQ (e->numOutputs, 2);
    EXPECT_EQ (e->flags, effFlagsCanReplacing);
    EXPECT_EQ (effect->getSampleRate(), 44100.0f);
    EXPECT_EQ (effect->getBlockSize(), 1024);

    e->setParameter (e, 1, 0.5f);
    EXPECT_EQ (effect->lastSet, (std::pair<int, float>{1, 0.5f}));
    EXPECT_EQ (e->getParameter (e, 1), 0.0f);

    const auto dispatch = [e] (VstInt32 opcode, VstIntPtr value = 0, AEffect* record = nullptr)
    { return e->dispatcher (record != nullptr ? record : e, opcode, 0, value, nullptr, 0.0f); };

    EXPECT_EQ (dispatch (effIdentify), vstFourCharCode ('N', 'v', 'E', 'f'));
    EXPECT_EQ (dispatch (effGetVstVersion), 2400);
    EXPECT_EQ (dispatch (effGetCurrentMidiProgram), -1);
    EXPECT_EQ (dispatch (effSetTotalSampleToProcess, 1234), 1234);

    // Programs: only those below the count.
    for (const VstIntPtr program : {2, 3, -1, 100})
        dispatch (effSetProgram, program);
    EXPECT_EQ (dispatch (effGetProgram), 2);

    // A record that is not ours, or none, gets neutral answers.
    AEffect foreign{};
    EXPECT_EQ (dispatch (effGetVstVersion, 0, &foreign), 0);
    EXPECT_EQ (e->dispatcher (nullptr, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    e->processReplacing (nullptr, nullptr, nullptr, 10);

    EXPECT_EQ (dispatch (effClose), 1);
    EXPECT_TRUE (deleted);
}

TEST (AudioEffectRecord, NoExceptionReachesTheHostAndCloseStillDeletes)
{
    struct ThrowingEffect : PlainEffect
    {
        using PlainEffect::PlainEffect;

        VstIntPtr dispatcher (VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override
        {
            if (opcode == effGetVstVersion)
                return AudioEffectX::dispatcher (opcode, index, value, ptr, opt);
            throw std::runtime_error ("dispatcher");
        }
        void process (float**, float**, VstInt32) override { throw std::runtime_error ("process"); }
        void processReplacing (float**, float**, VstInt32) override
        {
            throw std::runtime_error ("replacing");
        }
        void processDoubleReplacing (double**, double**, VstInt32) override
        {
            throw std::runtime_error ("double");
        }
        void setParameter (VstInt32, float) override { throw std::runtime_error ("set"); }
        float getParameter (VstInt32) override { throw std::runtime_error ("get"); }
    };

    bool deleted = false;
    auto* effect = new ThrowingEffect (nullptr);
    effect->deleted = &deleted;
    auto* e = effect->getAeffect();

    EXPECT_EQ (e->dispatcher (e, effGetVstVersion, 0, 0, nullptr, 0.0f), 2400);
    EXPECT_EQ (e->dispatcher (e, effIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ (e->getParameter (e, 0), 0.0f);
    EXPECT_NO_THROW (e->setParameter (e, 0, 0.5f));
    EXPECT_NO_THROW (e->processReplacing (e, nullptr, nullptr, 10));
    EXPECT_NO_THROW (e->processDoubleReplacing (e, nullptr, nullptr, 10));
    EXPECT_NO_THROW (e->process (e, nullptr, nullptr, 10));

    EXPECT_EQ (e->dispatcher (e, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_TRUE (deleted);
}

TEST (AudioEffectRecord, FlagSettersSetAndClearTheirBitOnly)
{
    PlainEffect effect (nullptr);

    // clang-format off
    const std::pair<void (AudioEffectX::*) (bool), VstInt32> setters[] = {
        {&AudioEffectX::canProcessReplacing, 0x10}, {&AudioEffectX::canDoubleReplacing, 0x1000},
        {&AudioEffectX::programsAreChunks, 0x20},   {&AudioEffectX::hasVu, 0x4},
        {&AudioEffectX::hasClip, 0x2},              {&AudioEffectX::canMono, 0x8},
        {&AudioEffectX::isSynth, 0x100},            {&AudioEffectX::noTail, 0x200},
        {&AudioEffectX::wantAsyncOperation, 0x400}, {&AudioEffectX::hasExternalBuffer, 0x800}};
    // clang-format on

    for (const auto& [set, flag] : setters)
    {
        effect.cEffect.flags = 0;
        (effect.*set) (true);
        EXPECT_EQ (effect.cEffect.flags, flag) << std::hex << flag;
        effect.cEffect.flags = -1;
        (effect.*set) (false);
        EXPECT_EQ (effect.cEffect.flags, ~flag) << std::hex << flag;
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

TEST (AudioEffectSpeakers, ArrangementsAreSizedForTheirChannels)
{
    PlainEffect effect (nullptr);
    const auto speakerAt = [] (VstSpeakerArrangement* arrangement, int index) -> VstSpeakerProperties&
    {
        auto* first = reinterpret_cast<char*> (arrangement) + offsetof (VstSpeakerArrangement, speakers);
        return reinterpret_cast<VstSpeakerProperties*> (first)[index];
    };

    VstSpeakerArrangement* arrangement = nullptr;
    ASSERT_TRUE (effect.allocateArrangement (&arrangement, 12));
    EXPECT_EQ (arrangement->numChannels, 12);
    arrangement->type = kSpeakerArrUserDefined;
    std::strcpy (speakerAt (arrangement, 11).name, "Rear right"); // the twelfth record exists

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
}
} // namespace
