#include "host/HostTestSupport.h"

#include "tools/Renderer.h"

#include <algorithm>
#include <cmath>

namespace
{
using Score = std::vector<std::pair<int, juce::MidiMessage>>; // timestamps in samples

/** A sink appending one channel of every block to a vector. */
Renderer::BlockSink appendChannel (std::vector<float>& output, int channel)
{
    return [&output, channel] (const juce::AudioBuffer<float>& block)
    {
        output.insert (output.end(), block.getReadPointer (channel),
                       block.getReadPointer (channel) + block.getNumSamples());
        return true;
    };
}

/** Renders numSamples of a score in blocks of processBlock and gives channel 0. */
std::vector<float> renderScore (HostedPlugin& plugin, const Score& score, juce::int64 numSamples,
                                int processBlock)
{
    juce::MidiMessageSequence sequence;
    for (const auto& [sample, message] : score)
        sequence.addEvent (message, sample / plugin.getSampleRate());

    Renderer renderer (plugin);
    renderer.setMidiInput (sequence);
    std::vector<float> output;
    renderer.render (numSamples, processBlock, appendChannel (output, 0));
    return output;
}

//==============================================================================
// Echoed notes come back at their sample positions and the audio is the same, whatever the blocks.
TEST (HostedPluginBlocks, RenderingDoesNotDependOnTheBlockSizes)
{
    Score score;
    std::vector<MidiAt> expectedMidi;
    for (const int sample : {0, 1, 63, 64, 65, 99, 100, 511, 512, 777, 2500, 4095})
    {
        const auto note = (juce::uint8) (40 + score.size());
        score.emplace_back (sample, juce::MidiMessage::noteOn (1, note, (juce::uint8) 100));
        score.emplace_back (sample + 300, juce::MidiMessage::noteOff (1, note));
        expectedMidi.push_back ({(double) sample, {0x90, note, 100}});
        expectedMidi.push_back ({sample + 300.0, {0x80, note, 0}});
    }
    std::sort (expectedMidi.begin(), expectedMidi.end(),
               [] (const MidiAt& a, const MidiAt& b) { return a.time < b.time; });

    auto reference = openTestSynth (44100.0, 512);
    const std::vector<float> expectedAudio = renderScore (*reference, score, 6000, 512);
    EXPECT_EQ (toMidiAt (reference->getMidiOutput()), expectedMidi);

    for (const auto& [announced, processBlock] :
         {std::pair{64, 64}, {512, 1}, {512, 6000}, {256, 100}, {512, 3000}})
    {
        SCOPED_TRACE (testing::Message() << "announced " << announced << ", blocks of " << processBlock);
        auto plugin = openTestSynth (44100.0, announced);
        EXPECT_EQ (renderScore (*plugin, score, 6000, processBlock), expectedAudio);
        EXPECT_EQ (toMidiAt (plugin->getMidiOutput()), expectedMidi);
    }
}

TEST (HostedPluginBlocks, RenderedNotesHaveTheirFundamentalAtTheSampleRate)
{
    for (const auto& [note, expectedHz, sampleRate] :
         {std::tuple{69, 440.0, 48000.0}, std::tuple{45, 110.0, 44100.0}, std::tuple{84, 1046.502, 96000.0}})
    {
        auto plugin = openTestSynth (sampleRate, 512);
        const std::vector<float> samples = renderScore (
            *plugin, {{0, juce::MidiMessage::noteOn (1, note, (juce::uint8) 127)}}, (int) sampleRate, 512);

        // Upward zero crossings over one second, the first one to the last: cycles between them.
        int first = -1, last = -1, crossings = 0;
        for (size_t i = 1; i < samples.size(); ++i)
            if (samples[i - 1] < 0.0f && samples[i] >= 0.0f)
            {
                first = first < 0 ? (int) i : first;
                last = (int) i;
                ++crossings;
            }

        ASSERT_GT (crossings, 2) << note;
        EXPECT_NEAR ((crossings - 1) * sampleRate / (last - first), expectedHz, 0.5) << note;
    }
}

TEST (HostedPluginBlocks, SendsEventsBeforeEveryProcessCallAndClampsTheirOffsets)
{
    auto plugin = openTestSynth();
    for (const int size : {512, 1, 100, 2000})
        EXPECT_EQ (plugin->process (size).getNumSamples(), size);

    EXPECT_EQ (plugin->dispatch (effVendorSpecific, testSynthCallCount, 0), 4) << "even without events";
    EXPECT_EQ (plugin->dispatch (effVendorSpecific, testSynthCallCount, 1), 4);
    EXPECT_EQ (plugin->getRenderPosition(), 2613);
    EXPECT_EQ (plugin->process (0).getNumSamples(), 0);

    plugin->addMidiEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), -7);
    plugin->addMidiEvent (juce::MidiMessage::noteOn (1, 62, (juce::uint8) 100), 5000);
    plugin->addMidiEvent (juce::MidiMessage::tempoMetaEvent (500000), 3);
    plugin->process (64);

    const std::vector<MidiAt> expected{{2613, {0x90, 60, 100}}, {2613 + 63, {0x90, 62, 100}}};
    EXPECT_EQ (toMidiAt (plugin->getMidiOutput()), expected);
}

TEST (HostedPluginBlocks, TellsRealtimeOrOfflineDuringProcess)
{
    for (const auto& [level, expected] :
         {std::pair{HostedPlugin::ProcessLevel::realtime, kVstProcessLevelRealtime},
          std::pair{HostedPlugin::ProcessLevel::offline, kVstProcessLevelOffline}})
    {
        auto plugin = openTestSynth();
        plugin->setProcessLevel (level);
        plugin->process (32);
        EXPECT_EQ (plugin->dispatch (effVendorSpecific, testSynthProcessLevel), expected);
    }
}

//==============================================================================
TEST (HostedPluginChunk, SavedChunkRestoresIntoASecondInstanceAndRefusalsPassOn)
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
    const juce::MemoryBlock before = restored.getChunk();
    EXPECT_FALSE (restored.setChunk (juce::MemoryBlock ("garbage", 7)));
    EXPECT_FALSE (restored.setChunk (juce::MemoryBlock()));
    EXPECT_EQ (restored.getChunk(), before) << "a refused chunk changes nothing";

    EXPECT_TRUE (restored.setChunk (chunk));
    for (int i = 0; i < testSynthNumParameters; ++i)
        EXPECT_FLOAT_EQ (restored.getParameter (i), values[i]) << i;
    EXPECT_EQ (restored.getProgram(), 1);
    EXPECT_EQ (restored.getChunk(), chunk);

    restored.close();
    EXPECT_FALSE (restored.setChunk (chunk));
    EXPECT_TRUE (restored.getChunk().isEmpty());
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

    std::vector<int> blockSizes;
    std::vector<double> positionsSeen;
    std::vector<bool> playingSeen;
    Renderer (*plugin).render (2048, 512,
                               [&] (const juce::AudioBuffer<float>& block)
                               {
                                   const VstTimeInfo* info = timeInfoSeenBy (*plugin);
                                   blockSizes.push_back (block.getNumSamples());
                                   positionsSeen.push_back (info->samplePos);
                                   playingSeen.push_back ((info->flags & kVstTransportPlaying) != 0);
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
    renderer.render (48000, 512, appendChannel (output, 1));

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
