#include "host/HostTestSupport.h"

#include "tools/Renderer.h"

#include <cmath>

namespace
{
/** Renders numSamples of a sequence (timestamps in samples) and gives channel 0. */
std::vector<float> renderScore (HostedPlugin& plugin,
                                const std::vector<std::pair<int, juce::MidiMessage>>& score,
                                juce::int64 numSamples, int processBlock)
{
    juce::MidiMessageSequence sequence;
    for (const auto& [sample, message] : score)
        sequence.addEvent (message, sample / plugin.getSampleRate());

    Renderer renderer (plugin);
    renderer.setMidiInput (sequence);
    std::vector<float> output;
    renderer.render (numSamples, processBlock,
                     [&output] (const juce::AudioBuffer<float>& block)
                     {
                         output.insert (output.end(), block.getReadPointer (0),
                                        block.getReadPointer (0) + block.getNumSamples());
                         return true;
                     });
    return output;
}

//==============================================================================
struct MidiTimingCase
{
    int announcedBlock;
    int processBlock;
    std::vector<int> noteSamples;
};

void PrintTo (const MidiTimingCase& c, std::ostream* os)
{
    *os << "announced " << c.announcedBlock << ", processed in blocks of " << c.processBlock;
}

class HostedPluginMidiTiming : public ::testing::TestWithParam<MidiTimingCase>
{
};

TEST_P (HostedPluginMidiTiming, EchoedNotesComeBackAtTheirSamplePositions)
{
    const MidiTimingCase& c = GetParam();
    auto plugin = openTestSynth (48000.0, c.announcedBlock);

    std::vector<std::pair<int, juce::MidiMessage>> score;
    std::vector<MidiAt> expected;
    for (size_t i = 0; i < c.noteSamples.size(); ++i)
    {
        const auto note = juce::MidiMessage::noteOn (1, 40 + (int) i, (juce::uint8) 100);
        score.emplace_back (c.noteSamples[i], note);
        expected.push_back ({c.noteSamples[i], {0x90, (juce::uint8) (40 + i), 100}});
    }

    renderScore (*plugin, score, 4096, c.processBlock);

    EXPECT_EQ (toMidiAt (plugin->getMidiOutput()), expected);
}

INSTANTIATE_TEST_SUITE_P (Blocks, HostedPluginMidiTiming,
                          ::testing::Values (MidiTimingCase{64, 64, {0, 63, 64, 65, 1000, 4095}},
                                             MidiTimingCase{512, 1, {0, 1, 2, 777, 4095}},
                                             MidiTimingCase{512, 4096, {0, 511, 512, 3000}},
                                             MidiTimingCase{256, 100, {99, 100, 2048}}));

//==============================================================================
struct PitchCase
{
    int note;
    double expectedHz;
};

void PrintTo (const PitchCase& c, std::ostream* os)
{
    *os << "note " << c.note << " at " << c.expectedHz << " Hz";
}

class HostedPluginPitch : public ::testing::TestWithParam<PitchCase>
{
};

TEST_P (HostedPluginPitch, RenderedNoteHasItsFundamental)
{
    const PitchCase& c = GetParam();
    constexpr double sampleRate = 48000.0;
    auto plugin = openTestSynth (sampleRate, 512);

    const std::vector<float> samples =
        renderScore (*plugin, {{0, juce::MidiMessage::noteOn (1, c.note, (juce::uint8) 127)}}, 48000, 512);

    // Upward zero crossings over one second, the first one to the last: cycles between them.
    int first = -1;
    int last = -1;
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i)
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f)
        {
            if (first < 0)
                first = (int) i;
            last = (int) i;
            ++crossings;
        }

    ASSERT_GT (crossings, 2);
    const double measuredHz = (crossings - 1) * sampleRate / (last - first);
    EXPECT_NEAR (measuredHz, c.expectedHz, 0.5);
}

INSTANTIATE_TEST_SUITE_P (Notes, HostedPluginPitch,
                          ::testing::Values (PitchCase{69, 440.0}, PitchCase{57, 220.0}, PitchCase{45, 110.0},
                                             PitchCase{84, 1046.502}));

//==============================================================================
TEST (HostedPluginBlocks, SingleSampleAndOversizedBlocksRenderTheSame)
{
    const std::vector<std::pair<int, juce::MidiMessage>> score{
        {10, juce::MidiMessage::noteOn (1, 60, (juce::uint8) 90)},
        {700, juce::MidiMessage::noteOn (1, 67, (juce::uint8) 70)},
        {2500, juce::MidiMessage::noteOff (1, 60)},
    };

    auto reference = openTestSynth (44100.0, 512);
    const std::vector<float> expected = renderScore (*reference, score, 6000, 512);

    for (const int processBlock : {1, 3000, 6000})
    {
        SCOPED_TRACE (processBlock);
        auto plugin = openTestSynth (44100.0, 512);
        EXPECT_EQ (renderScore (*plugin, score, 6000, processBlock), expected);
        EXPECT_EQ (toMidiAt (plugin->getMidiOutput()), toMidiAt (reference->getMidiOutput()));
    }
}

TEST (HostedPluginBlocks, SendsEventsBeforeEveryProcessCallEvenWithoutAny)
{
    auto plugin = openTestSynth();
    plugin->addMidiEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 5);
    for (const int size : {512, 1, 100, 2000})
        EXPECT_EQ (plugin->process (size).getNumSamples(), size);

    EXPECT_EQ (plugin->dispatch (effVendorSpecific, testSynthCallCount, 0), 4);
    EXPECT_EQ (plugin->dispatch (effVendorSpecific, testSynthCallCount, 1), 4);
    EXPECT_EQ (plugin->getRenderPosition(), 2613);
    EXPECT_EQ (plugin->process (0).getNumSamples(), 0);
}

TEST (HostedPluginBlocks, ClampsEventOffsetsIntoTheBlock)
{
    auto plugin = openTestSynth();
    plugin->process (100);
    plugin->addMidiEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), -7);
    plugin->addMidiEvent (juce::MidiMessage::noteOn (1, 62, (juce::uint8) 100), 5000);
    plugin->addMidiEvent (juce::MidiMessage::tempoMetaEvent (500000), 3);
    plugin->process (64);

    const std::vector<MidiAt> expected{{100, {0x90, 60, 100}}, {163, {0x90, 62, 100}}};
    EXPECT_EQ (toMidiAt (plugin->getMidiOutput()), expected);
}

//==============================================================================
TEST (HostedPluginProcessLevel, TellsRealtimeOrOfflineDuringProcess)
{
    const struct
    {
        HostedPlugin::ProcessLevel level;
        VstIntPtr expected;
    } cases[] = {{HostedPlugin::ProcessLevel::realtime, kVstProcessLevelRealtime},
                 {HostedPlugin::ProcessLevel::offline, kVstProcessLevelOffline}};

    for (const auto& c : cases)
    {
        auto plugin = openTestSynth();
        plugin->setProcessLevel (c.level);
        plugin->process (32);
        EXPECT_EQ (plugin->dispatch (effVendorSpecific, testSynthProcessLevel), c.expected);
    }
}

TEST (HostedPluginAutomation, RecordsReportedChangesAtTheRenderPosition)
{
    auto plugin = openTestSynth();
    plugin->process (1000);
    plugin->dispatch (effVendorSpecific, testSynthTurnKnob, 2, nullptr, 0.3f);
    plugin->process (24);
    plugin->dispatch (effVendorSpecific, testSynthTurnKnob, 0, nullptr, 0.9f);

    const auto automation = plugin->getAutomation();
    ASSERT_EQ (automation.size(), 2u);
    EXPECT_EQ (automation[0].renderSample, 1000);
    EXPECT_EQ (automation[0].index, 2);
    EXPECT_FLOAT_EQ (automation[0].value, 0.3f);
    EXPECT_EQ (automation[1].renderSample, 1024);
    EXPECT_EQ (automation[1].index, 0);

    plugin->clearRecordings();
    EXPECT_TRUE (plugin->getAutomation().empty());
}

//==============================================================================
TEST (HostedPluginChunk, SavedChunkRestoresIntoASecondInstance)
{
    HostedPlugin source;
    ASSERT_EQ (source.open (testSynthFile()), "");
    const float values[] = {0.1f, 0.2f, 0.3f, 0.4f};
    for (int i = 0; i < testSynthNumParameters; ++i)
        source.setParameter (i, values[i]);
    source.setProgram (1);

    const juce::MemoryBlock chunk = source.getChunk();
    ASSERT_FALSE (chunk.isEmpty());

    HostedPlugin restored;
    ASSERT_EQ (restored.open (testSynthFile()), "");
    EXPECT_TRUE (restored.setChunk (chunk));

    for (int i = 0; i < testSynthNumParameters; ++i)
        EXPECT_FLOAT_EQ (restored.getParameter (i), values[i]) << i;
    EXPECT_EQ (restored.getProgram(), 1);
    EXPECT_EQ (restored.getChunk(), chunk);
}

TEST (HostedPluginChunk, PassesOnThePluginsRefusal)
{
    HostedPlugin plugin;
    ASSERT_EQ (plugin.open (testSynthFile()), "");
    const juce::MemoryBlock before = plugin.getChunk();

    EXPECT_FALSE (plugin.setChunk (juce::MemoryBlock ("garbage", 7)));
    EXPECT_FALSE (plugin.setChunk (juce::MemoryBlock()));
    EXPECT_EQ (plugin.getChunk(), before);

    plugin.close();
    EXPECT_FALSE (plugin.setChunk (before));
    EXPECT_TRUE (plugin.getChunk().isEmpty());
}

//==============================================================================
TEST (HostedPluginTransport, TimeInfoReachesThePlugin)
{
    constexpr double sampleRate = 48000.0;
    auto plugin = openTestSynth (sampleRate, 512);
    Transport& transport = plugin->getTransport();
    transport.setTempo (140.0);
    transport.setTimeSignature (3, 4);
    transport.setStartPosition (8.0);
    transport.setPlayingAtStart (true);

    plugin->process (512);
    const VstTimeInfo* info = timeInfoSeenBy (*plugin);
    ASSERT_NE (info, nullptr);
    EXPECT_NE (info->flags & kVstTransportChanged, 0) << "first block";

    plugin->process (512);
    info = timeInfoSeenBy (*plugin);
    const double samplesPerQuarter = sampleRate * 60.0 / 140.0;
    EXPECT_DOUBLE_EQ (info->sampleRate, sampleRate);
    EXPECT_DOUBLE_EQ (info->samplePos, 8.0 * samplesPerQuarter + 512.0);
    EXPECT_DOUBLE_EQ (info->ppqPos, 8.0 + 512.0 / samplesPerQuarter);
    EXPECT_DOUBLE_EQ (info->tempo, 140.0);
    EXPECT_DOUBLE_EQ (info->barStartPos, 6.0);
    EXPECT_EQ (info->timeSigNumerator, 3);
    EXPECT_EQ (info->timeSigDenominator, 4);
    EXPECT_EQ (info->flags & (kVstTransportPlaying | kVstTransportChanged), kVstTransportPlaying);
    constexpr VstInt32 valid = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    EXPECT_EQ (info->flags & valid, valid);
    EXPECT_EQ (info->flags & kVstNanosValid, 0) << "not asked for";
}

TEST (HostedPluginTransport, RendererCutsBlocksWhereTheTransportStops)
{
    auto plugin = openTestSynth (48000.0, 512);
    plugin->getTransport().addPlayingChange (1000, false);

    Renderer renderer (*plugin);
    std::vector<int> blockSizes;
    std::vector<double> positionsSeen;
    std::vector<bool> playingSeen;
    renderer.render (2048, 512,
                     [&] (const juce::AudioBuffer<float>& block)
                     {
                         blockSizes.push_back (block.getNumSamples());
                         positionsSeen.push_back (timeInfoSeenBy (*plugin)->samplePos);
                         playingSeen.push_back ((timeInfoSeenBy (*plugin)->flags & kVstTransportPlaying) !=
                                                0);
                         return true;
                     });

    EXPECT_EQ (blockSizes, (std::vector<int>{512, 488, 512, 512, 24}));
    EXPECT_EQ (positionsSeen, (std::vector<double>{0.0, 512.0, 1000.0, 1000.0, 1000.0}));
    EXPECT_EQ (playingSeen, (std::vector<bool>{true, true, false, false, false}));
}

TEST (HostedPluginTransport, RendererAppliesParameterChangesAtTheirSample)
{
    auto plugin = openTestSynth (48000.0, 512);
    Renderer renderer (*plugin);
    juce::MidiMessageSequence notes;
    notes.addEvent (juce::MidiMessage::noteOn (1, 69, (juce::uint8) 127), 0.0);
    renderer.setMidiInput (notes);
    renderer.addParameterChange (0.5, testSynthGainParameter, 0.0f);
    EXPECT_DOUBLE_EQ (renderer.getEndTimeInSeconds(), 0.5);

    std::vector<float> output;
    renderer.render (48000, 512,
                     [&output] (const juce::AudioBuffer<float>& block)
                     {
                         output.insert (output.end(), block.getReadPointer (1),
                                        block.getReadPointer (1) + block.getNumSamples());
                         return true;
                     });

    ASSERT_EQ (output.size(), 48000u);
    const auto peak = [&output] (size_t from, size_t to)
    {
        float result = 0.0f;
        for (size_t i = from; i < to; ++i)
            result = std::max (result, std::abs (output[i]));
        return result;
    };
    EXPECT_GT (peak (23900, 24000), 0.9f);
    EXPECT_EQ (peak (24000, 48000), 0.0f);
}
} // namespace
