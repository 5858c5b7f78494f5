#include "HostXWindow.h"
#include "TestHost.h"
#include "TestSupport.h"
#include "XvfbDisplay.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace
{
class VstWrapper : public ::testing::Test
{
protected:
    void SetUp() override
    {
        factoryConfig = {};
        ASSERT_TRUE (plugin.isValid());
    }
    void TearDown() override { factoryConfig = {}; }

    TestHost host;
    PluginInstance plugin;
};

//==============================================================================
TEST_F (VstWrapper, DescribesTheInstrumentToTheHost)
{
    // Identity and version are checked on the built plug-in; here what comes from the processor.
    const auto& e = *plugin.effect;
    EXPECT_EQ (e.numPrograms, 1);
    EXPECT_EQ (e.numParams, TestSynth::numParams);
    EXPECT_EQ (e.numInputs, 0);
    EXPECT_EQ (e.numOutputs, 2);
    EXPECT_EQ (e.flags,
               effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth | effFlagsNoSoundInStop)
        << "no editor flag while the processor has no editor";
    EXPECT_EQ (plugin.synth().wrapperType, juce::AudioProcessor::wrapperType_VST);

    EXPECT_EQ (plugin.text (effGetProductString), "Kelvanor");
    EXPECT_FALSE (plugin.text (effGetVendorString).empty());
    EXPECT_EQ (plugin.dispatch (effGetVendorVersion), 67845);
    EXPECT_EQ (plugin.dispatch (effGetTailSize), 0);
    EXPECT_EQ (plugin.text (effGetProgramName), "Init");

    // canDo: exactly its list, compared whole.
    for (std::string yes :
         {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstMidiEvents", "sendVstEvents",
          "sendVstMidiEvent", "sendVstMidiEvents", "receiveVstTimeInfo", "conformsToWindowRules", "bypass"})
        EXPECT_EQ (plugin.dispatch (effCanDo, 0, 0, yes.data()), 1) << yes;
    for (std::string no : {"Bypass", "midiProgramNames", "", "receiveVstEventsX"})
        EXPECT_EQ (plugin.dispatch (effCanDo, 0, 0, no.data()), 0) << no;
    std::string anyThread = "openCloseAnyThread";
    EXPECT_EQ (plugin.dispatch (effCanDo, 0, 0, anyThread.data()), -1);
    EXPECT_EQ (plugin.dispatch (effCanDo, 0, 0, nullptr), 0);
}

//==============================================================================
TEST_F (VstWrapper, ParameterTextsStayWithinTheirLimitsAndSlots)
{
    plugin.setParameter (0, 0.25f);

    for (int i = 0; i < TestSynth::numParams; ++i)
        EXPECT_EQ (plugin.text (effGetParamName, i),
                   ("Long Parameter Name Number " + std::to_string (i)).substr (0, 16));

    EXPECT_EQ (plugin.text (effGetParamDisplay, 0), "0.250 units of value");
    EXPECT_EQ (plugin.text (effGetParamLabel, 0), "dB");
    EXPECT_EQ (plugin.text (effGetParamLabel, 1), "");
    EXPECT_EQ (plugin.dispatch (effCanBeAutomated, 0), 1);
    EXPECT_EQ (plugin.dispatch (effCanBeAutomated, 3), 0);

    // One past the last slot and negative slots are nameless.
    for (const int index : {TestSynth::numParams, -1, 1000})
    {
        EXPECT_EQ (plugin.text (effGetParamName, index), "") << index;
        EXPECT_EQ (plugin.text (effGetParamDisplay, index), "") << index;
        EXPECT_EQ (plugin.dispatch (effCanBeAutomated, index), 0) << index;
    }

    // Nothing is written past the limit: a buffer of exactly 17 bytes keeps its guard byte.
    char buffer[18];
    std::memset (buffer, '#', sizeof (buffer));
    plugin.dispatch (effGetParamName, 1, 0, buffer);
    EXPECT_EQ (buffer[16], 0);
    EXPECT_EQ (buffer[17], '#');
}

TEST_F (VstWrapper, HostParameterWritesAreReadBackAndNotEchoed)
{
    plugin.setParameter (2, 0.75f);
    EXPECT_FLOAT_EQ (plugin.getParameter (2), 0.75f);
    EXPECT_TRUE (host.parameterCalls.empty()) << "the host's own write must not come back as automation";

    // Out of range or not a number: ignored, and reads give 0.
    plugin.setParameter (TestSynth::numParams, 0.5f);
    plugin.setParameter (-1, 0.5f);
    plugin.setParameter (1, std::nanf (""));
    for (const int index : {TestSynth::numParams, -1, 1})
        EXPECT_EQ (plugin.getParameter (index), 0.0f) << index;

    // A change made by the processor itself does reach the host, inside its gesture.
    auto& synth = plugin.synth();
    synth.beginParameterChangeGesture (1);
    synth.setParameter (1, 0.5f);
    synth.endParameterChangeGesture (1);
    using Call = std::tuple<VstInt32, int, float>;
    EXPECT_EQ (host.parameterCalls, (std::vector<Call>{{audioMasterBeginEdit, 1, 0.0f},
                                                       {audioMasterAutomate, 1, 0.5f},
                                                       {audioMasterEndEdit, 1, 0.0f}}));

    synth.updateHostDisplay();
    EXPECT_EQ (host.numCalls[audioMasterUpdateDisplay], 1);
}

//==============================================================================
TEST_F (VstWrapper, ChunkMovesStateToAnotherInstance)
{
    PluginInstance second;
    ASSERT_TRUE (second.isValid());

    plugin.setParameter (0, 0.125f);
    plugin.setParameter (3, 0.875f);
    std::string name = "Acid Line";
    plugin.dispatch (effSetProgramName, 0, 0, name.data());

    void* data = nullptr;
    const auto size = plugin.dispatch (effGetChunk, 0, 0, &data);
    ASSERT_GT (size, 9);
    const std::vector<char> saved (static_cast<char*> (data), static_cast<char*> (data) + size);

    EXPECT_EQ (second.dispatch (effSetChunk, 0, size, data), 0);
    EXPECT_FLOAT_EQ (second.getParameter (3), 0.875f);
    EXPECT_EQ (second.text (effGetProgramName), "Acid Line");

    void* restored = nullptr;
    ASSERT_EQ (second.dispatch (effGetChunk, 0, 0, &restored), size);
    EXPECT_EQ (std::memcmp (restored, saved.data(), saved.size()), 0);

    // Each request replaces the block handed out before.
    plugin.setParameter (0, 0.5f);
    void* again = nullptr;
    const auto againSize = plugin.dispatch (effGetChunk, 1, 0, &again);
    ASSERT_GT (againSize, 9);
    const juce::String text (static_cast<const char*> (again) + 8, (size_t) againSize - 9);
    EXPECT_TRUE (text.contains ("p0=\"0.5\"")) << text;
}

TEST_F (VstWrapper, ChunksOfAnySizeOrContentAreSafe)
{
    plugin.setParameter (0, 0.25f);
    juce::Random random (42);
    std::vector<char> bytes (4096);

    for (int size : {0, -1, -1000, 1, 8, 9, 16, 100, 4096})
    {
        for (auto& b : bytes)
            b = (char) random.nextInt (256);

        // Some with a valid magic and an absurd length field.
        if (size >= 8 && random.nextBool())
        {
            const juce::uint32 length = 0x7fffffff;
            std::memcpy (bytes.data(), "VC2!", 4);
            std::memcpy (bytes.data() + 4, &length, 4);
        }

        EXPECT_EQ (plugin.dispatch (effSetChunk, 0, size, bytes.data()), 0) << size;
        EXPECT_EQ (plugin.dispatch (effSetChunk, 1, size, bytes.data()), 0) << size;
    }

    EXPECT_EQ (plugin.dispatch (effSetChunk, 0, 100, nullptr), 0);
    EXPECT_EQ (plugin.dispatch (effGetChunk, 0, 0, nullptr), 0);
    EXPECT_FLOAT_EQ (plugin.getParameter (0), 0.25f) << "garbage must not change the state";
}

//==============================================================================
class VstProcessing : public VstWrapper
{
protected:
    static constexpr int blockSize = 64;

    void SetUp() override
    {
        VstWrapper::SetUp();
        plugin.start (44100.0f, blockSize);
    }

    /** Passes the events to the plug-in in a host's event list. */
    void sendEvents (std::vector<VstEvent*> events)
    {
        std::vector<char> storage (offsetof (VstEvents, events) +
                                   std::max<size_t> (2, events.size()) * sizeof (VstEvent*));
        auto* list = reinterpret_cast<VstEvents*> (storage.data());
        list->numEvents = (VstInt32) events.size();
        std::memcpy (list->events, events.data(), events.size() * sizeof (VstEvent*));
        EXPECT_EQ (plugin.dispatch (effProcessEvents, 0, 0, list), 1);
        list->numEvents = -3;
        EXPECT_EQ (plugin.dispatch (effProcessEvents, 0, 0, list), 1) << "a negative count is no events";
    }

    void sendNotes (std::vector<std::pair<int, int>> deltaAndNote)
    {
        std::vector<VstMidiEvent> events;
        for (const auto& [delta, note] : deltaAndNote)
            events.push_back (midiEvent (delta, 0x90, (juce::uint8) note, 100));

        std::vector<VstEvent*> pointers;
        for (auto& e : events)
            pointers.push_back (reinterpret_cast<VstEvent*> (&e));
        sendEvents (pointers);
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

    void processBlock() { plugin.process (outputs, blockSize); }

    std::vector<float> left = std::vector<float> (blockSize), right = std::vector<float> (blockSize);
    float* outputs[2] = {left.data(), right.data()};
};

TEST_F (VstProcessing, ResumePreparesWithTheHostsSettingsAndProcessLevel)
{
    auto& synth = plugin.synth();
    EXPECT_EQ (synth.numPrepares, 1);
    EXPECT_DOUBLE_EQ (synth.preparedRate, 44100.0);
    EXPECT_EQ (synth.preparedBlockSize, blockSize);
    EXPECT_GE (host.numCalls[audioMasterWantMidi], 1) << "a synth asks the host for MIDI";

    // Turned on twice without being turned off between (Ardour on reload): harmless.
    host.processLevel = kVstProcessLevelOffline;
    plugin.dispatch (effMainsChanged, 0, 1);
    EXPECT_EQ (synth.numPrepares, 2);
    EXPECT_TRUE (synth.isNonRealtime());

    processBlock();
    EXPECT_EQ (synth.numBlocks, 1);
    EXPECT_EQ (right[5], 1005.0f);

    host.processLevel = kVstProcessLevelRealtime;
    plugin.dispatch (effMainsChanged, 0, 1);
    EXPECT_FALSE (synth.isNonRealtime());

    plugin.dispatch (effMainsChanged, 0, 0);
    EXPECT_EQ (synth.numReleases, 1);
}

TEST_F (VstProcessing, UnusableRatesAndBlockSizesFallBack)
{
    const struct
    {
        float rate;
        VstIntPtr blockSize;
        double preparedRate;
        int preparedBlockSize;
    } cases[] = {{0.0f, 512, 44100.0, 512},
                 {-48000.0f, 512, 44100.0, 512},
                 {std::nanf (""), 128, 44100.0, 128},
                 {96000.0f, 0, 96000.0, 1024},
                 {96000.0f, -5, 96000.0, 1024},
                 {48000.0f, 1 << 24, 48000.0, JuceVSTWrapper::maxPreparedBlockSize}};

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
    // In the record's field order: samplePos, sampleRate, nanoSeconds, ppqPos, tempo, ..., flags.
    const VstInt32 flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
    host.timeInfo = {10000.0, 44100.0, 0.0, 8.0, 120.0, 0.0, 0.0, 0.0, 4, 4, 0, 0, 0, flags};
    synth.hostBlockStart = 10000;

    constexpr int numSamples = blockSize * 7 + 13;

    // The host passes one buffer for both outputs, with guard values after it.
    std::vector<float> shared (numSamples + 16, -1.0f);
    float* sharedOutputs[] = {shared.data(), shared.data()};

    sendNotes ({{3, 60}, {blockSize * 5 + 2, 62}, {numSamples + 4, 64}});
    plugin.process (sharedOutputs, numSamples);

    EXPECT_EQ (synth.largestBlock, blockSize);
    EXPECT_FALSE (synth.channelsShared) << "each output gets a channel of its own inside the block";

    // Every sample was written, by the last channel, in host-block time; nothing past the end.
    for (int i = 0; i < numSamples + 16; ++i)
        ASSERT_EQ (shared[(size_t) i], i < numSamples ? (float) (1000 + i) : -1.0f) << i;

    // Each part saw the play head of its own first sample.
    ASSERT_EQ (synth.positions.size(), 8u);
    EXPECT_EQ (*synth.positions[1]->getTimeInSamples(), 10000 + blockSize);
    EXPECT_NEAR (*synth.positions[1]->getPpqPosition(), 8.0 + blockSize / 44100.0 * 2.0, 1e-9);

    // Incoming events reached the processor at their places in the host's block, even the late one,
    // and the echoes went back in host-block time.
    ASSERT_EQ (synth.received.size(), 3u);
    ASSERT_EQ (host.sentEvents.size(), 3u);
    const int expected[] = {3, blockSize * 5 + 2, numSamples + 4};

    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ (synth.received[i].hostPosition, expected[i]) << i;
        EXPECT_EQ (host.sentEvents[i].deltaFrames, expected[i]) << i;
        EXPECT_EQ (host.sentEvents[i].bytes[1], 60 + 2 * (int) i + 12) << i;
    }
}

TEST_F (VstProcessing, MidiOutputReachesTheHost)
{
    plugin.synth().sendSysex = true;
    sendNotes ({{5, 48}});
    processBlock();

    ASSERT_EQ (host.numCalls[audioMasterProcessEvents], 1);
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

    processBlock();
    EXPECT_EQ (host.sentEvents.size(), 3u) << "nothing left over: only the sysex of the next block";
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

    sendEvents ({reinterpret_cast<VstEvent*> (&valid), nullptr, reinterpret_cast<VstEvent*> (&dataByte),
                 reinterpret_cast<VstEvent*> (&sysexStart), reinterpret_cast<VstEvent*> (&unknownType),
                 reinterpret_cast<VstEvent*> (&sysex)});
    EXPECT_EQ (plugin.dispatch (effProcessEvents, 0, 0, nullptr), 0);
    processBlock();

    auto& synth = plugin.synth();
    ASSERT_EQ (synth.received.size(), 1u);
    EXPECT_TRUE (synth.received[0].message.isNoteOff());
    EXPECT_EQ (synth.received[0].hostPosition, 0) << "a negative delta is taken as the block start";
}

TEST_F (VstProcessing, SuspendedOrBypassedProcessorsAreNotRun)
{
    auto& synth = plugin.synth();
    std::fill (left.begin(), left.end(), 7.0f);

    EXPECT_EQ (plugin.dispatch (effSetBypass, 0, 1), 1);
    processBlock();
    EXPECT_EQ (synth.numBypassedBlocks, 1);
    EXPECT_EQ (synth.numBlocks, 0);
    EXPECT_EQ (left[10], 7.0f) << "bypassing leaves the buffers as the host passed them";
    plugin.dispatch (effSetBypass, 0, 0);

    synth.suspendProcessing (true);
    sendNotes ({{0, 40}});
    processBlock();
    EXPECT_EQ (left[10], 0.0f);
    EXPECT_TRUE (host.sentEvents.empty()) << "incoming MIDI is not echoed while suspended";
    synth.suspendProcessing (false);

    // Turned off: silence, and nothing freed is touched.
    plugin.dispatch (effMainsChanged, 0, 0);
    std::fill (left.begin(), left.end(), 7.0f);
    processBlock();
    EXPECT_EQ (left[3], 0.0f);

    // Null outputs or empty blocks are ignored.
    plugin.dispatch (effMainsChanged, 0, 1);
    plugin.process (nullptr, blockSize);
    float* nullChannels[] = {left.data(), nullptr};
    plugin.process (nullChannels, blockSize);
    plugin.process (outputs, 0);
    plugin.process (outputs, -5);
    EXPECT_EQ (synth.numBlocks, 0);
}

TEST_F (VstProcessing, PlayHeadTranslatesTheHostsTimeInfo)
{
    auto& synth = plugin.synth();
    processBlock();
    EXPECT_FALSE (synth.positions.back()) << "no time info, no position";

    host.provideTimeInfo = true;
    auto& t = host.timeInfo;
    // samplePos, sampleRate, nanoSeconds, ppqPos, tempo, barStartPos, cycleStartPos, cycleEndPos, time
    // signature, smpteOffset, smpteFrameRate, samplesToNextClock, flags
    const VstInt32 flags = kVstTransportRecording | kVstTransportCycleActive | kVstTempoValid |
                           kVstPpqPosValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid |
                           kVstSmpteValid;
    t = {96000.4, 48000.0, 0.0, 12.5, 140.0, 12.0, 4.0, 20.0, 7, 8, 2000, kVstSmpte25fps, 0, flags};
    processBlock();

    ASSERT_TRUE (synth.positions.back());
    const auto& p = *synth.positions.back();
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
    t.flags = kVstTransportPlaying;
    processBlock();
    const auto& q = *synth.positions.back();
    EXPECT_DOUBLE_EQ (*q.getBpm(), 0.0);
    EXPECT_DOUBLE_EQ (*q.getPpqPosition(), 0.0);
    EXPECT_EQ (q.getTimeSignature()->numerator, 4);
    EXPECT_FALSE (q.getFrameRate().hasValue());
    EXPECT_TRUE (q.getIsPlaying());
    EXPECT_FALSE (q.getIsLooping());

    t.sampleRate = 0.0;
    processBlock();
    EXPECT_FALSE (synth.positions.back()) << "a host answering a rate of 0 gives no position at all";
}

//==============================================================================
TEST_F (VstWrapper, PinsProgramsKeysAndSpeakers)
{
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
    for (const VstIntPtr program : {0, 1, -1})
        plugin.dispatch (effSetProgram, 0, program);
    EXPECT_EQ (synth.programRequests, std::vector<int>{0});

    char name[64]{};
    EXPECT_EQ (plugin.dispatch (effGetProgramNameIndexed, 0, 0, name), 1);
    EXPECT_STREQ (name, "Init");
    for (const int index : {1, -1})
        EXPECT_EQ (plugin.dispatch (effGetProgramNameIndexed, index, 0, name), 0) << index;

    std::string longName (100, 'n');
    plugin.dispatch (effSetProgramName, 0, 0, longName.data());
    char programBuffer[26];
    std::memset (programBuffer, '#', sizeof (programBuffer));
    plugin.dispatch (effGetProgramName, 0, 0, programBuffer);
    EXPECT_EQ (std::string (programBuffer), std::string (24, 'n'));
    EXPECT_EQ (programBuffer[25], '#');

    // A name that is not well-formed UTF-8 (here an overlong form, which JUCE's check lets through) is
    // read as Latin-1: each byte one character.
    std::string overlong = "Bass\xc0\x80";
    plugin.dispatch (effSetProgramName, 0, 0, overlong.data());
    EXPECT_EQ (plugin.text (effGetProgramName), "Bass\xc3\x80\xc2\x80");

    // Key names fill the record's 64 bytes at most, terminator included.
    MidiKeyName key;
    std::memset (&key, '#', sizeof (key));
    key.thisKeyNumber = 60;
    EXPECT_EQ (plugin.dispatch (effGetMidiKeyName, 0, 0, &key), 1);
    EXPECT_EQ (std::strlen (key.keyName), 63u);
    EXPECT_EQ (key.reserved, 0x23232323) << "nothing written past the name";

    key.thisKeyNumber = 61;
    plugin.dispatch (effGetMidiKeyName, 0, 0, &key);
    EXPECT_STREQ (key.keyName, "C#3");
    key.thisKeyNumber = 500;
    EXPECT_EQ (plugin.dispatch (effGetMidiKeyName, 0, 0, &key), 1);
    EXPECT_STREQ (key.keyName, "");
    EXPECT_EQ (plugin.dispatch (effGetMidiKeyName, 0, 0, nullptr), 0);
}

// Every opcode, with null or zeroed pointers and odd numbers: the defined answer or 0, never a crash.
TEST_F (VstWrapper, AnyOpcodeWithAnyArgumentIsSafe)
{
    alignas (16) std::array<char, 2048> zeroed{};

    for (VstInt32 opcode = -20; opcode < 140; ++opcode)
    {
        if (opcode == effClose)
            continue;

        // These two read the value as a pointer; a host passes a real one or none.
        const bool valueIsPointer = opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement;

        for (const VstInt32 index : {0, 1, -1, 36, 1000000})
            for (const VstIntPtr value : {0, 1, -1, 3, 1 << 20})
                for (const bool withBuffer : {false, true})
                {
                    zeroed.fill (0);
                    const VstIntPtr v =
                        valueIsPointer ? 0
                                       : (opcode == effSetChunk ? std::min<VstIntPtr> (value, 64) : value);
                    plugin.dispatch (opcode, index, v, withBuffer ? zeroed.data() : nullptr, (float) value);
                }
    }

    std::vector<float> left (2048), right (2048);
    float* outputs[] = {left.data(), right.data()};
    plugin.dispatch (effMainsChanged, 0, 1);
    plugin.process (outputs, 2048);
    EXPECT_EQ (plugin.dispatch (effGetVstVersion), 2400);
}

// A bare X server, as a host may run on: no window manager has created its atoms, and JUCE has already
// looked them up without them. Embedding must neither fail nor end the process with an X error.
TEST (VstWrapperEditor, EmbedsIntoTheHostWindowOnABareXServer)
{
    KELVANOR_REQUIRE_XVFB();

    HostXWindow hostWindow;
    ASSERT_TRUE (hostWindow.isValid());

    TestHost host;
    factoryConfig = {};
    factoryConfig.withEditor = true;
    PluginInstance plugin;
    factoryConfig = {};
    ASSERT_TRUE (plugin.isValid());

    for (int round = 0; round < 2; ++round)
    {
        EXPECT_EQ (plugin.dispatch (effEditOpen, 0, 0, hostWindow.getHandle()), 1);
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

    for (const auto* atom : {"WM_PROTOCOLS", "WM_STATE", "WM_DELETE_WINDOW"})
        EXPECT_TRUE (hostWindow.atomExists (atom)) << atom;

    // Opened and left open when the instance closes.
    EXPECT_EQ (plugin.dispatch (effEditOpen, 0, 0, hostWindow.getHandle()), 1);
    plugin.close();
}
} // namespace
