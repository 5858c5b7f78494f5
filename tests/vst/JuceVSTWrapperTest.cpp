#include "TestHost.h"
#include "TestSupport.h"

#include "vst/MessageThread.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace
{
/** A host's event list: the header followed by as many entry pointers as needed. */
std::vector<char> eventList (const std::vector<VstEvent*>& events)
{
    VstEvents header{};
    header.numEvents = (VstInt32) events.size();

    std::vector<char> storage (offsetof (VstEvents, events) +
                               juce::jmax ((size_t) 2, events.size()) * sizeof (VstEvent*));
    std::memcpy (storage.data(), &header, offsetof (VstEvents, events));

    if (!events.empty())
        std::memcpy (storage.data() + offsetof (VstEvents, events), events.data(),
                     events.size() * sizeof (VstEvent*));

    return storage;
}

class VstWrapper : public ::testing::Test
{
protected:
    void SetUp() override { factoryConfig() = {}; }
    void TearDown() override { factoryConfig() = {}; }

    TestHost host;
};

//==============================================================================
TEST_F (VstWrapper, EntryRefusesHostsThatAreNotVst2)
{
    host.versionAnswer = 0;
    EXPECT_EQ (VSTPluginMain (TestHost::callback), nullptr);
    EXPECT_EQ (host.numVersionQueries, 1);
    EXPECT_EQ (factoryConfig().numCreated, 0) << "no processor may be made for a host answering version 0";

    EXPECT_EQ (VSTPluginMain (nullptr), nullptr);
    EXPECT_EQ (MessageThread::getNumUsers(), 0);
}

TEST_F (VstWrapper, EntryGivesNullWhenNoProcessorCanBeMade)
{
    factoryConfig().returnNull = true;
    EXPECT_EQ (VSTPluginMain (TestHost::callback), nullptr);

    factoryConfig() = {};
    factoryConfig().throwFromConstructor = true;
    EXPECT_EQ (VSTPluginMain (TestHost::callback), nullptr);

    EXPECT_EQ (MessageThread::getNumUsers(), 0);
    EXPECT_FALSE (MessageThread::isRunning());

    // The wrapper type is reset even when the factory throws.
    factoryConfig() = {};
    TestSynth direct;
    EXPECT_EQ (direct.wrapperType, juce::AudioProcessor::wrapperType_Undefined);
}

TEST_F (VstWrapper, RecordDescribesTheInstrument)
{
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());

    const auto& e = *plugin.effect;
    EXPECT_EQ (e.magic, 0x56737450);
    EXPECT_EQ (e.uniqueID, 0x4B454C56) << "KELV, first character most significant";
    EXPECT_EQ (e.version, 0x10905);
    EXPECT_EQ (e.numPrograms, 1);
    EXPECT_EQ (e.numParams, TestSynth::numParams);
    EXPECT_EQ (e.numInputs, 0);
    EXPECT_EQ (e.numOutputs, 2);
    EXPECT_EQ (e.flags,
               effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth | effFlagsNoSoundInStop)
        << "no editor flag while the processor has no editor";
    EXPECT_NE (e.processReplacing, nullptr);
    EXPECT_NE (e.dispatcher, nullptr);

    EXPECT_EQ (plugin.synth().wrapperType, juce::AudioProcessor::wrapperType_VST);
    EXPECT_NE (plugin.synth().getPlayHead(), nullptr);

    plugin.dispatch (effOpen);
    EXPECT_EQ (plugin.effect->flags & effFlagsHasEditor, 0);

    // A processor made afterwards on this thread is not marked as made by the wrapper.
    TestSynth direct;
    EXPECT_EQ (direct.wrapperType, juce::AudioProcessor::wrapperType_Undefined);
}

TEST_F (VstWrapper, AnswersIdentityQueries)
{
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());

    EXPECT_EQ (plugin.text (effGetEffectName), "Kelvanor");
    EXPECT_EQ (plugin.text (effGetProductString), "Kelvanor");
    EXPECT_FALSE (plugin.text (effGetVendorString).empty());
    EXPECT_EQ (plugin.dispatch (effGetVendorVersion), 67845);
    EXPECT_EQ (plugin.dispatch (effGetVstVersion), 2400);
    EXPECT_EQ (plugin.dispatch (effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ (plugin.dispatch (effIdentify), vstFourCharCode ('N', 'v', 'E', 'f'));
    EXPECT_EQ (plugin.dispatch (effGetTailSize), 0);
    EXPECT_EQ (plugin.text (effGetProgramName), "Init");
}

struct CanDoCase
{
    const char* text;
    VstIntPtr answer;
};

TEST_F (VstWrapper, CanDoAnswersExactlyItsList)
{
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());

    const CanDoCase cases[] = {
        {"receiveVstEvents", 1},
        {"receiveVstMidiEvent", 1},
        {"receiveVstMidiEvents", 1},
        {"sendVstEvents", 1},
        {"sendVstMidiEvent", 1},
        {"sendVstMidiEvents", 1},
        {"receiveVstTimeInfo", 1},
        {"conformsToWindowRules", 1},
        {"bypass", 1},
        {"openCloseAnyThread", -1},
        {"Bypass", 0},
        {"midiProgramNames", 0},
        {"", 0},
        {"receiveVstEventsX", 0},
    };

    for (const auto& c : cases)
    {
        std::string text = c.text;
        EXPECT_EQ (plugin.dispatch (effCanDo, 0, 0, text.data()), c.answer) << c.text;
    }

    EXPECT_EQ (plugin.dispatch (effCanDo, 0, 0, nullptr), 0);
}

//==============================================================================
TEST_F (VstWrapper, ParameterTextsStayWithinTheirLimits)
{
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());
    plugin.effect->setParameter (plugin.effect, 0, 0.25f);

    for (int i = 0; i < TestSynth::numParams; ++i)
    {
        const auto name = plugin.text (effGetParamName, i);
        EXPECT_EQ (name, ("Long Parameter Name Number " + std::to_string (i)).substr (0, 16));
    }

    EXPECT_EQ (plugin.text (effGetParamDisplay, 0), "0.250 units of value");
    EXPECT_EQ (plugin.text (effGetParamLabel, 0), "dB");
    EXPECT_EQ (plugin.text (effGetParamLabel, 1), "");

    // One past the last slot and negative slots are nameless.
    for (const int index : {TestSynth::numParams, -1, 1000})
    {
        EXPECT_EQ (plugin.text (effGetParamName, index), "") << index;
        EXPECT_EQ (plugin.text (effGetParamDisplay, index), "") << index;
        EXPECT_EQ (plugin.dispatch (effCanBeAutomated, index), 0) << index;
    }

    EXPECT_EQ (plugin.dispatch (effCanBeAutomated, 0), 1);
    EXPECT_EQ (plugin.dispatch (effCanBeAutomated, 3), 0);

    // Nothing is written past the limit: a buffer of exactly 17 bytes keeps its guard byte.
    char buffer[18];
    std::memset (buffer, '#', sizeof (buffer));
    plugin.dispatch (effGetParamName, 1, 0, buffer);
    EXPECT_EQ (buffer[16], 0);
    EXPECT_EQ (buffer[17], '#');
}

TEST_F (VstWrapper, HostParameterWritesAreReadBackAndNotEchoed)
{
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());

    plugin.effect->setParameter (plugin.effect, 2, 0.75f);
    EXPECT_FLOAT_EQ (plugin.effect->getParameter (plugin.effect, 2), 0.75f);
    EXPECT_TRUE (host.automations.empty()) << "the host's own write must not come back as automation";

    // Out of range or not a number: ignored, and reads give 0.
    plugin.effect->setParameter (plugin.effect, TestSynth::numParams, 0.5f);
    plugin.effect->setParameter (plugin.effect, -1, 0.5f);
    plugin.effect->setParameter (plugin.effect, 1, std::nanf (""));
    EXPECT_EQ (plugin.effect->getParameter (plugin.effect, TestSynth::numParams), 0.0f);
    EXPECT_EQ (plugin.effect->getParameter (plugin.effect, -1), 0.0f);
    EXPECT_EQ (plugin.effect->getParameter (plugin.effect, 1), 0.0f);

    // A change made by the processor itself does reach the host, with its gestures.
    auto& synth = plugin.synth();
    synth.beginParameterChangeGesture (1);
    synth.setParameter (1, 0.5f);
    synth.endParameterChangeGesture (1);

    ASSERT_EQ (host.automations.size(), 1u);
    EXPECT_EQ (host.automations[0].first, 1);
    EXPECT_FLOAT_EQ (host.automations[0].second, 0.5f);
    EXPECT_EQ (host.beginEdits, std::vector<int>{1});
    EXPECT_EQ (host.endEdits, std::vector<int>{1});

    synth.updateHostDisplay();
    EXPECT_EQ (host.numUpdateDisplays, 1);
}

//==============================================================================
TEST_F (VstWrapper, ChunkMovesStateToAnotherInstance)
{
    PluginInstance first, second;
    ASSERT_TRUE (first.isValid() && second.isValid());

    first.effect->setParameter (first.effect, 0, 0.125f);
    first.effect->setParameter (first.effect, 3, 0.875f);
    std::string name = "Acid Line";
    first.dispatch (effSetProgramName, 0, 0, name.data());

    void* data = nullptr;
    const auto size = first.dispatch (effGetChunk, 0, 0, &data);
    ASSERT_GT (size, 9);
    ASSERT_NE (data, nullptr);
    const std::vector<char> saved (static_cast<char*> (data), static_cast<char*> (data) + size);

    EXPECT_EQ (second.dispatch (effSetChunk, 0, size, data), 0);
    EXPECT_FLOAT_EQ (second.effect->getParameter (second.effect, 3), 0.875f);
    EXPECT_EQ (second.text (effGetProgramName), "Acid Line");

    void* restored = nullptr;
    const auto restoredSize = second.dispatch (effGetChunk, 0, 0, &restored);
    ASSERT_EQ (restoredSize, size);
    EXPECT_EQ (std::memcmp (restored, saved.data(), saved.size()), 0);

    // Each request replaces the block handed out before.
    first.effect->setParameter (first.effect, 0, 0.5f);
    void* again = nullptr;
    const auto againSize = first.dispatch (effGetChunk, 1, 0, &again);
    ASSERT_GT (againSize, 0);
    const juce::String text (static_cast<const char*> (again) + 8, (size_t) againSize - 9);
    EXPECT_TRUE (text.contains ("p0=\"0.5\"")) << text;
}

TEST_F (VstWrapper, ChunksOfAnySizeOrContentAreSafe)
{
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());
    plugin.effect->setParameter (plugin.effect, 0, 0.25f);

    juce::Random random (42);
    std::vector<char> bytes (4096);

    for (int size : {0, -1, -1000, 1, 8, 9, 16, 100, 4096})
    {
        for (auto& b : bytes)
            b = (char) random.nextInt (256);

        // Some with a valid magic and an absurd length field.
        if (size >= 8 && random.nextBool())
        {
            std::memcpy (bytes.data(), "VC2!", 4);
            const juce::uint32 length = 0x7fffffff;
            std::memcpy (bytes.data() + 4, &length, 4);
        }

        EXPECT_EQ (plugin.dispatch (effSetChunk, 0, size, bytes.data()), 0) << size;
        EXPECT_EQ (plugin.dispatch (effSetChunk, 1, size, bytes.data()), 0) << size;
    }

    EXPECT_EQ (plugin.dispatch (effSetChunk, 0, 100, nullptr), 0);
    EXPECT_EQ (plugin.dispatch (effGetChunk, 0, 0, nullptr), 0);
    EXPECT_FLOAT_EQ (plugin.effect->getParameter (plugin.effect, 0), 0.25f)
        << "garbage must not change the state";
}

//==============================================================================
TEST_F (VstWrapper, ClosingTwoInstancesInEitherOrder)
{
    for (const bool firstMadeClosesFirst : {true, false})
    {
        const int destroyedBefore = TestSynth::numDestroyed;
        {
            PluginInstance a, b;
            ASSERT_TRUE (a.isValid() && b.isValid());
            EXPECT_EQ (MessageThread::getNumUsers(), 2);

            a.start (48000.0f, 256);
            b.start (48000.0f, 256);

            (firstMadeClosesFirst ? a : b).close();
            EXPECT_EQ (MessageThread::getNumUsers(), 1);
            EXPECT_EQ (TestSynth::numDestroyed, destroyedBefore + 1);

            // The other instance still works.
            auto& other = firstMadeClosesFirst ? b : a;
            other.effect->setParameter (other.effect, 1, 0.5f);
            EXPECT_FLOAT_EQ (other.effect->getParameter (other.effect, 1), 0.5f);
        }
        EXPECT_EQ (TestSynth::numDestroyed, destroyedBefore + 2);
        EXPECT_EQ (MessageThread::getNumUsers(), 0);
    }
}

//==============================================================================
class VstProcessing : public VstWrapper
{
protected:
    static constexpr int blockSize = 64;

    void SetUp() override
    {
        VstWrapper::SetUp();
        ASSERT_TRUE (plugin.isValid());
        plugin.start (44100.0f, blockSize);
    }

    void sendEvents (std::vector<VstMidiEvent> events)
    {
        std::vector<VstEvent*> pointers;

        for (auto& e : events)
            pointers.push_back (reinterpret_cast<VstEvent*> (&e));

        auto storage = eventList (pointers);
        EXPECT_EQ (plugin.dispatch (effProcessEvents, 0, 0, storage.data()), 1);
    }

    static VstMidiEvent midiEvent (int delta, juce::uint8 b0, juce::uint8 b1, juce::uint8 b2)
    {
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof (VstMidiEvent);
        e.deltaFrames = delta;
        e.midiData[0] = (char) b0;
        e.midiData[1] = (char) b1;
        e.midiData[2] = (char) b2;
        return e;
    }

    PluginInstance plugin;
};

TEST_F (VstProcessing, ResumePreparesWithTheHostsSettings)
{
    auto& synth = plugin.synth();
    EXPECT_EQ (synth.numPrepares, 1);
    EXPECT_DOUBLE_EQ (synth.preparedRate, 44100.0);
    EXPECT_EQ (synth.preparedBlockSize, blockSize);
    EXPECT_GE (host.numWantMidi, 1) << "a synth asks the host for MIDI";

    // Turned on twice without being turned off between (Ardour on reload): harmless.
    plugin.dispatch (effMainsChanged, 0, 1);
    EXPECT_EQ (synth.numPrepares, 2);

    std::vector<float> left (blockSize), right (blockSize);
    float* outputs[] = {left.data(), right.data()};
    plugin.process (outputs, blockSize);
    EXPECT_EQ (synth.numBlocks, 1);
    EXPECT_EQ (right[5], 1005.0f);

    plugin.dispatch (effMainsChanged, 0, 0);
    EXPECT_EQ (synth.numReleases, 1);
}

struct SetupCase
{
    float rate;
    VstIntPtr blockSize;
    double preparedRate;
    int preparedBlockSize;
};

TEST_F (VstProcessing, UnusableRatesAndBlockSizesFallBack)
{
    const SetupCase cases[] = {
        {0.0f, 512, 44100.0, 512},
        {-48000.0f, 512, 44100.0, 512},
        {std::nanf (""), 128, 44100.0, 128},
        {96000.0f, 0, 96000.0, 1024},
        {96000.0f, -5, 96000.0, 1024},
        {48000.0f, 1 << 24, 48000.0, JuceVSTWrapper::maxPreparedBlockSize},
    };

    for (const auto& c : cases)
    {
        plugin.dispatch (effMainsChanged, 0, 0);
        plugin.dispatch (effSetSampleRate, 0, 0, nullptr, c.rate);
        plugin.dispatch (effSetBlockSize, 0, c.blockSize);
        plugin.dispatch (effMainsChanged, 0, 1);

        EXPECT_DOUBLE_EQ (plugin.synth().preparedRate, c.preparedRate) << c.rate;
        EXPECT_EQ (plugin.synth().preparedBlockSize, c.preparedBlockSize) << c.blockSize;
    }
}

TEST_F (VstProcessing, LongBlocksIntoOneSharedBufferNeverOverflow)
{
    auto& synth = plugin.synth();
    host.provideTimeInfo = true;
    host.timeInfo.sampleRate = 44100.0;
    host.timeInfo.samplePos = 10000.0;
    host.timeInfo.tempo = 120.0;
    host.timeInfo.ppqPos = 8.0;
    host.timeInfo.flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
    synth.hostBlockStart = 10000;

    constexpr int numSamples = blockSize * 7 + 13;

    // The host passes one buffer for both outputs, with guard values after it.
    std::vector<float> shared (numSamples + 16, -1.0f);
    float* outputs[] = {shared.data(), shared.data()};

    sendEvents ({midiEvent (3, 0x90, 60, 100), midiEvent (blockSize * 5 + 2, 0x90, 62, 100),
                 midiEvent (numSamples + 4, 0x90, 64, 100)});
    plugin.process (outputs, numSamples);

    EXPECT_FALSE (synth.blockLongerThanPrepared);
    EXPECT_EQ (synth.largestBlock, blockSize);
    EXPECT_FALSE (synth.channelsShared) << "each output gets a channel of its own inside the block";

    // Every sample was written, by the last channel, in host-block time; nothing past the end.
    for (int i = 0; i < numSamples; ++i)
        ASSERT_EQ (shared[(size_t) i], (float) (1000 + i)) << i;

    for (int i = numSamples; i < numSamples + 16; ++i)
        EXPECT_EQ (shared[(size_t) i], -1.0f);

    // Each part saw the play head of its own first sample.
    ASSERT_EQ (synth.positions.size(), 8u);
    EXPECT_EQ (*synth.positions[1].getTimeInSamples(), 10000 + blockSize);
    EXPECT_NEAR (*synth.positions[1].getPpqPosition(), 8.0 + blockSize / 44100.0 * 2.0, 1e-9);

    // Incoming events reached the processor at their places in the host's block, even the late one.
    ASSERT_EQ (synth.received.size(), 3u);
    EXPECT_EQ (synth.received[0].hostPosition, 3);
    EXPECT_EQ (synth.received[1].hostPosition, blockSize * 5 + 2);
    EXPECT_EQ (synth.received[2].hostPosition, numSamples + 4);

    // And the output events went back in host-block time.
    ASSERT_EQ (host.sentEvents.size(), 3u);
    EXPECT_EQ (host.sentEvents[0].deltaFrames, 3);
    EXPECT_EQ (host.sentEvents[1].deltaFrames, blockSize * 5 + 2);
    EXPECT_EQ (host.sentEvents[1].bytes[1], 62 + 12);
}

TEST_F (VstProcessing, MidiOutputReachesTheHost)
{
    auto& synth = plugin.synth();
    synth.sendSysex = true;

    sendEvents ({midiEvent (5, 0x90, 48, 90)});

    std::vector<float> left (blockSize), right (blockSize);
    float* outputs[] = {left.data(), right.data()};
    plugin.process (outputs, blockSize);

    ASSERT_EQ (host.numEventLists, 1);
    ASSERT_EQ (host.sentEvents.size(), 2u);

    const auto& sysex = host.sentEvents[0];
    EXPECT_EQ (sysex.type, kVstSysExType);
    EXPECT_EQ (sysex.byteSize, 48);
    EXPECT_EQ (sysex.deltaFrames, 0);
    EXPECT_EQ (sysex.bytes, (std::vector<juce::uint8>{0xf0, 0x7d, 0x01, 0x02, 0x03, 0xf7}));

    const auto& note = host.sentEvents[1];
    EXPECT_EQ (note.type, kVstMidiType);
    EXPECT_EQ (note.byteSize, 32);
    EXPECT_EQ (note.deltaFrames, 5);
    EXPECT_EQ (note.bytes, (std::vector<juce::uint8>{0x90, 60, 100, 0}));

    // Nothing left over for the next block.
    plugin.process (outputs, blockSize);
    EXPECT_EQ (host.sentEvents.size(), 3u) << "only the sysex of the next block";
}

TEST_F (VstProcessing, MalformedIncomingEventsAreSkipped)
{
    auto valid = midiEvent (-20, 0x80, 50, 0);
    auto dataByte = midiEvent (1, 0x40, 50, 0);
    auto sysexStart = midiEvent (2, 0xf0, 1, 2);
    auto unknownType = midiEvent (3, 0x90, 50, 1);
    unknownType.type = 99;

    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof (sysex);
    sysex.dumpBytes = 100;
    sysex.sysexDump = nullptr;

    auto storage =
        eventList ({reinterpret_cast<VstEvent*> (&valid), nullptr, reinterpret_cast<VstEvent*> (&dataByte),
                    reinterpret_cast<VstEvent*> (&sysexStart), reinterpret_cast<VstEvent*> (&unknownType),
                    reinterpret_cast<VstEvent*> (&sysex)});
    auto* list = reinterpret_cast<VstEvents*> (storage.data());
    EXPECT_EQ (plugin.dispatch (effProcessEvents, 0, 0, list), 1);
    EXPECT_EQ (plugin.dispatch (effProcessEvents, 0, 0, nullptr), 0);

    list->numEvents = -3;
    EXPECT_EQ (plugin.dispatch (effProcessEvents, 0, 0, list), 1);

    std::vector<float> left (blockSize), right (blockSize);
    float* outputs[] = {left.data(), right.data()};
    plugin.process (outputs, blockSize);

    auto& synth = plugin.synth();
    ASSERT_EQ (synth.received.size(), 1u);
    EXPECT_TRUE (synth.received[0].message.isNoteOff());
    EXPECT_EQ (synth.received[0].hostPosition, 0) << "a negative delta is taken as the block start";
}

TEST_F (VstProcessing, SuspendedOrBypassedProcessorsAreNotRun)
{
    auto& synth = plugin.synth();
    std::vector<float> left (blockSize, 7.0f), right (blockSize, 7.0f);
    float* outputs[] = {left.data(), right.data()};

    EXPECT_EQ (plugin.dispatch (effSetBypass, 0, 1), 1);
    plugin.process (outputs, blockSize);
    EXPECT_EQ (synth.numBypassedBlocks, 1);
    EXPECT_EQ (synth.numBlocks, 0);
    EXPECT_EQ (left[10], 7.0f) << "bypassing leaves the buffers as the host passed them";
    plugin.dispatch (effSetBypass, 0, 0);

    synth.suspendProcessing (true);
    sendEvents ({midiEvent (0, 0x90, 40, 100)});
    plugin.process (outputs, blockSize);
    EXPECT_EQ (synth.numBlocks, 0);
    EXPECT_EQ (left[10], 0.0f);
    EXPECT_TRUE (host.sentEvents.empty()) << "incoming MIDI is not echoed while suspended";
    synth.suspendProcessing (false);

    // Turned off: silence, and nothing freed is touched.
    plugin.dispatch (effMainsChanged, 0, 0);
    std::fill (left.begin(), left.end(), 7.0f);
    plugin.process (outputs, blockSize);
    EXPECT_EQ (left[3], 0.0f);
    EXPECT_EQ (synth.numBlocks, 0);

    // Null outputs or empty blocks are ignored.
    plugin.dispatch (effMainsChanged, 0, 1);
    plugin.effect->processReplacing (plugin.effect, nullptr, nullptr, blockSize);
    float* nullChannels[] = {left.data(), nullptr};
    plugin.process (nullChannels, blockSize);
    plugin.process (outputs, 0);
    plugin.process (outputs, -5);
    EXPECT_EQ (synth.numBlocks, 0);
}

TEST_F (VstProcessing, PlayHeadTranslatesTheHostsTimeInfo)
{
    auto& synth = plugin.synth();
    std::vector<float> left (blockSize), right (blockSize);
    float* outputs[] = {left.data(), right.data()};

    plugin.process (outputs, blockSize);
    EXPECT_EQ (synth.lastPosition, nullptr) << "no time info, no position";

    host.provideTimeInfo = true;
    host.timeInfo = {};
    host.timeInfo.sampleRate = 48000.0;
    host.timeInfo.samplePos = 96000.4;
    host.timeInfo.tempo = 140.0;
    host.timeInfo.ppqPos = 12.5;
    host.timeInfo.barStartPos = 12.0;
    host.timeInfo.cycleStartPos = 4.0;
    host.timeInfo.cycleEndPos = 20.0;
    host.timeInfo.timeSigNumerator = 7;
    host.timeInfo.timeSigDenominator = 8;
    host.timeInfo.smpteFrameRate = kVstSmpte25fps;
    host.timeInfo.smpteOffset = 2000;
    host.timeInfo.flags = kVstTransportRecording | kVstTransportCycleActive | kVstTempoValid |
                          kVstPpqPosValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid |
                          kVstSmpteValid;
    synth.hostBlockStart = 96000;
    plugin.process (outputs, blockSize);

    ASSERT_NE (synth.lastPosition, nullptr);
    const auto& p = *synth.lastPosition;
    EXPECT_DOUBLE_EQ (*p.getBpm(), 140.0);
    EXPECT_EQ (*p.getTimeInSamples(), 96000);
    EXPECT_DOUBLE_EQ (*p.getTimeInSeconds(), 96000.4 / 48000.0);
    EXPECT_DOUBLE_EQ (*p.getPpqPosition(), 12.5);
    EXPECT_DOUBLE_EQ (*p.getPpqPositionOfLastBarStart(), 12.0);
    EXPECT_EQ (p.getTimeSignature()->numerator, 7);
    EXPECT_EQ (p.getTimeSignature()->denominator, 8);
    EXPECT_TRUE (p.getIsPlaying()) << "recording counts as playing";
    EXPECT_TRUE (p.getIsRecording());
    EXPECT_TRUE (p.getIsLooping());
    EXPECT_DOUBLE_EQ (p.getLoopPoints()->ppqStart, 4.0);
    EXPECT_DOUBLE_EQ (p.getLoopPoints()->ppqEnd, 20.0);
    EXPECT_EQ (p.getFrameRate()->getBaseRate(), 25);
    EXPECT_DOUBLE_EQ (*p.getEditOriginTime(), 2000.0 / (25.0 * 80.0));

    // Without the validity flags the values are neutral.
    host.timeInfo.flags = kVstTransportPlaying;
    plugin.process (outputs, blockSize);
    const auto& q = *synth.lastPosition;
    EXPECT_DOUBLE_EQ (*q.getBpm(), 0.0);
    EXPECT_DOUBLE_EQ (*q.getPpqPosition(), 0.0);
    EXPECT_EQ (q.getTimeSignature()->numerator, 4);
    EXPECT_FALSE (q.getFrameRate().hasValue());
    EXPECT_TRUE (q.getIsPlaying());
    EXPECT_FALSE (q.getIsLooping());

    // A host answering a rate of 0 gives no position at all.
    host.timeInfo.sampleRate = 0.0;
    plugin.process (outputs, blockSize);
    EXPECT_EQ (synth.lastPosition, nullptr);
}

TEST_F (VstProcessing, OfflineHostsMakeTheProcessorNonRealtime)
{
    host.processLevel = kVstProcessLevelOffline;
    plugin.dispatch (effMainsChanged, 0, 1);
    EXPECT_TRUE (plugin.synth().isNonRealtime());

    host.processLevel = kVstProcessLevelRealtime;
    plugin.dispatch (effMainsChanged, 0, 1);
    EXPECT_FALSE (plugin.synth().isNonRealtime());
}

//==============================================================================
TEST_F (VstWrapper, PinsProgramsKeysAndSpeakers)
{
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());
    auto& synth = plugin.synth();

    VstPinProperties pin;
    std::memset (&pin, 0x55, sizeof (pin));
    EXPECT_EQ (plugin.dispatch (effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ (pin.label, "Kelvanor Output 2");
    EXPECT_STREQ (pin.shortLabel, "Kelvano");
    EXPECT_EQ (pin.flags, kVstPinIsActive | kVstPinIsStereo);

    for (const int index : {2, -1})
        EXPECT_EQ (plugin.dispatch (effGetOutputProperties, index, 0, &pin), 0) << index;

    EXPECT_EQ (plugin.dispatch (effGetOutputProperties, 0, 0, nullptr), 0);
    EXPECT_EQ (plugin.dispatch (effGetInputProperties, 0, 0, &pin), 0);

    // Speaker arrangements: only no inputs and two outputs.
    VstSpeakerArrangement in{}, out{};
    in.type = kSpeakerArrEmpty;
    out.type = kSpeakerArrStereo;
    out.numChannels = 2;
    EXPECT_EQ (plugin.dispatch (effSetSpeakerArrangement, 0, (VstIntPtr) &in, &out), 1);
    EXPECT_EQ (synth.getOutputSpeakerArrangement(), "L R");
    EXPECT_EQ (plugin.dispatch (effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_EQ (pin.flags, kVstPinUseSpeaker);
    EXPECT_EQ (pin.arrangementType, kSpeakerArrStereo);

    in.numChannels = 2;
    in.type = kSpeakerArrStereo;
    EXPECT_EQ (plugin.dispatch (effSetSpeakerArrangement, 0, (VstIntPtr) &in, &out), 0);
    EXPECT_EQ (synth.getOutputSpeakerArrangement(), "");
    EXPECT_EQ (plugin.dispatch (effSetSpeakerArrangement, 0, 0, nullptr), 0);

    // Programs: one, and requests beyond it go nowhere.
    plugin.dispatch (effSetProgram, 0, 0);
    plugin.dispatch (effSetProgram, 0, 1);
    plugin.dispatch (effSetProgram, 0, -1);
    EXPECT_EQ (synth.programRequests, std::vector<int>{0});

    char name[64]{};
    EXPECT_EQ (plugin.dispatch (effGetProgramNameIndexed, 0, 0, name), 1);
    EXPECT_STREQ (name, "Init");
    EXPECT_EQ (plugin.dispatch (effGetProgramNameIndexed, 1, 0, name), 0);
    EXPECT_EQ (plugin.dispatch (effGetProgramNameIndexed, -1, 0, name), 0);

    std::string longName (100, 'n');
    plugin.dispatch (effSetProgramName, 0, 0, longName.data());
    char programBuffer[26];
    std::memset (programBuffer, '#', sizeof (programBuffer));
    plugin.dispatch (effGetProgramName, 0, 0, programBuffer);
    EXPECT_EQ (std::string (programBuffer), std::string (24, 'n'));
    EXPECT_EQ (programBuffer[25], '#');

    // Key names fill the record's 64 bytes at most, terminator included.
    struct
    {
        MidiKeyName key;
        char guard[8];
    } record;
    std::memset (&record, '#', sizeof (record));
    record.key.thisKeyNumber = 60;
    EXPECT_EQ (plugin.dispatch (effGetMidiKeyName, 0, 0, &record.key), 1);
    EXPECT_EQ (std::strlen (record.key.keyName), 63u);
    EXPECT_EQ (record.key.reserved, 0x23232323) << "nothing written past the name";

    record.key.thisKeyNumber = 61;
    plugin.dispatch (effGetMidiKeyName, 0, 0, &record.key);
    EXPECT_STREQ (record.key.keyName, "C#3");

    record.key.thisKeyNumber = 500;
    EXPECT_EQ (plugin.dispatch (effGetMidiKeyName, 0, 0, &record.key), 1);
    EXPECT_STREQ (record.key.keyName, "");
    EXPECT_EQ (plugin.dispatch (effGetMidiKeyName, 0, 0, nullptr), 0);
}

//==============================================================================
// Every opcode, with null or zeroed pointers and odd numbers: the defined answer or 0, never a crash.
TEST_F (VstWrapper, AnyOpcodeWithAnyArgumentIsSafe)
{
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());

    alignas (16) std::array<char, 2048> zeroed{};
    const VstIntPtr values[] = {0, 1, -1, 3, 1 << 20};
    const VstInt32 indexes[] = {0, 1, -1, 36, 1000000};

    for (VstInt32 opcode = -20; opcode < 140; ++opcode)
    {
        if (opcode == effClose)
            continue;

        // These two read the value as a pointer; a host passes a real one or none.
        const bool valueIsPointer = opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement;

        for (const auto index : indexes)
            for (const auto value : values)
                for (const bool withBuffer : {false, true})
                {
                    zeroed.fill (0);
                    const VstIntPtr v =
                        valueIsPointer ? 0
                                       : (opcode == effSetChunk ? juce::jmin (value, (VstIntPtr) 64) : value);
                    plugin.dispatch (opcode, index, v, withBuffer ? zeroed.data() : nullptr, (float) value);
                }
    }

    std::vector<float> left (2048), right (2048);
    float* outputs[] = {left.data(), right.data()};
    plugin.dispatch (effMainsChanged, 0, 1);
    plugin.process (outputs, 2048);

    EXPECT_EQ (plugin.dispatch (effGetVstVersion), 2400);
}

//==============================================================================
TEST_F (VstWrapper, EditorIsOfferedOnlyWhenTheProcessorHasOne)
{
    {
        PluginInstance plugin;
        ASSERT_TRUE (plugin.isValid());
        ERect* rect = nullptr;
        EXPECT_EQ (plugin.dispatch (effEditGetRect, 0, 0, &rect), 0);
        EXPECT_EQ (rect, nullptr);
        EXPECT_EQ (plugin.dispatch (effEditOpen, 0, 0, nullptr), 0);
        EXPECT_EQ (plugin.dispatch (effEditClose), 0);
        EXPECT_EQ (plugin.dispatch (effEditIdle), 0);
        EXPECT_EQ (plugin.effect->flags & effFlagsHasEditor, 0);
    }

    factoryConfig().withEditor = true;
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());
    EXPECT_EQ (plugin.effect->flags & effFlagsHasEditor, effFlagsHasEditor);

    ERect* rect = nullptr;
    const auto answer = plugin.dispatch (effEditGetRect, 0, 0, &rect);
    ASSERT_NE (rect, nullptr);
    EXPECT_EQ (answer, (VstIntPtr) rect);
    EXPECT_EQ (rect->top, 0);
    EXPECT_EQ (rect->left, 0);
    EXPECT_EQ (rect->bottom, 200);
    EXPECT_EQ (rect->right, 320);
    EXPECT_NE (plugin.synth().getActiveEditor(), nullptr);

    EXPECT_EQ (plugin.dispatch (effEditClose), 0);
    EXPECT_EQ (plugin.synth().getActiveEditor(), nullptr) << "closing the window deletes the editor";

    // Asking again makes a new one; closing the instance with it open is clean.
    EXPECT_NE (plugin.dispatch (effEditGetRect, 0, 0, &rect), 0);
    EXPECT_NE (plugin.synth().getActiveEditor(), nullptr);
}

// Embedding needs an X display; run under Xvfb to cover it.
TEST_F (VstWrapper, EditorEmbedsIntoTheHostWindow)
{
    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
        GTEST_SKIP() << "no X display";

    juce::Component hostWindow;
    hostWindow.setSize (400, 300);
    hostWindow.addToDesktop (0);
    auto* peer = hostWindow.getPeer();
    ASSERT_NE (peer, nullptr);

    factoryConfig().withEditor = true;
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());

    for (int round = 0; round < 3; ++round)
    {
        EXPECT_EQ (plugin.dispatch (effEditOpen, 0, 0, peer->getNativeHandle()), 1);
        auto* editor = plugin.synth().getActiveEditor();
        ASSERT_NE (editor, nullptr);
        ASSERT_NE (editor->getParentComponent(), nullptr);
        EXPECT_TRUE (editor->getParentComponent()->isOnDesktop());
        EXPECT_TRUE (editor->isShowing());
        plugin.dispatch (effEditIdle);
        pumpMessages();
        EXPECT_EQ (plugin.dispatch (effEditClose), 0);
        EXPECT_EQ (plugin.synth().getActiveEditor(), nullptr);
    }

    // Opened and left open when the instance closes.
    EXPECT_EQ (plugin.dispatch (effEditOpen, 0, 0, peer->getNativeHandle()), 1);
    plugin.close();
}
} // namespace
