#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

namespace
{
/** Notes and clocks that keep running across blocks, independent of the host's position. */
struct RunCase
{
    const char* what;
    bool sequencer; // the internal sequencer on its own clock, started by the lowest C
    float arpeMode; // 0 off
    int arpShuffle; // 0..100
    float multiplier;
    std::vector<SentMidi> keys;
};

// clang-format off
const RunCase runCases[] = {
    {"arpeggiator on held keys, shuffled", false, 0.5f, 40, 0.4f,
     {{0, noteOn (36)}, {3001, noteOn (43)}, {3001, noteOn (40, 90)}, {20000, noteOff (43)}, {41234, noteOff (36)},
      {41234, noteOff (40)}, {50000, noteOn (48, 120)}, {70001, noteOff (48)}}},
    {"sequencer on its own clock", true, 0.0f, 0, 0.0f,
     {{5, noteOn (0)}}},
    {"sequencer arpeggiated", true, 0.75f, 25, 1.0f,
     {{0, noteOn (0)}, {30000, noteOff (0)}}},
};
// clang-format on

struct Rendered
{
    std::vector<SentMidi> midi;
    std::vector<float> audio;
};

Rendered renderInBlocks (const RunCase& c, int blockSize)
{
    KelvanorHarness h (44100.0, 512, c.sequencer);
    if (c.sequencer)
    {
        h.processor->setInternalSync (true);
        h.processor->setHostPlayDetection (IntSeqPlugin::byLowestCNoteOn);
        h.loadPattern (0,
                       {makeStep (0, false, false, true), makeStep (3, false, false, true, true, true),
                        makeStep (7, true, false, true), makeStep (5, false, false, false)},
                       30);
    }
    h.set (Kelvanor::arpeModeId, c.arpeMode);
    h.set (Kelvanor::arpeShuffleId, (float) c.arpShuffle / 100.0f);
    h.set (Kelvanor::arpeMultiplierId, c.multiplier);
    h.processBlock (16); // serves the switches' requests
    h.sent.clear();
    h.left.clear();

    auto keys = c.keys; // from here on
    for (auto& key : keys)
        key.sample += h.position;
    h.render (80000, blockSize, keys);
    return {h.sent, h.left};
}

// However a host cuts the blocks, one sample each or thousands, every MIDI event leaves at the same sample
// and every sample is the same to the last bit: inside a block the processor jumps over the samples in which
// nothing happens, and must land on every event and transition as a sample-by-sample loop would.
TEST (KelvanorBlockRuns, BlockSizesChangeNoEventAndNoSample)
{
    for (const auto& c : runCases)
    {
        const Rendered reference = renderInBlocks (c, 1);
        ASSERT_GT (reference.midi.size(), 6u) << c.what << ": the case must play";

        for (const int blockSize : {3, 256, 1000})
        {
            SCOPED_TRACE (testing::Message() << c.what << ", blocks of " << blockSize);
            const Rendered r = renderInBlocks (c, blockSize);

            ASSERT_EQ (r.midi.size(), reference.midi.size());
            for (size_t i = 0; i < r.midi.size(); ++i)
            {
                EXPECT_EQ (r.midi[i].sample, reference.midi[i].sample) << "event " << i;
                EXPECT_EQ (r.midi[i].message.getDescription(), reference.midi[i].message.getDescription())
                    << "event " << i;
            }

            ASSERT_EQ (r.audio.size(), reference.audio.size());
            for (size_t i = 0; i < r.audio.size(); ++i)
                ASSERT_EQ (r.audio[i], reference.audio[i]) << "sample " << i;
        }
    }
}
} // namespace
