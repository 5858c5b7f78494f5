#include "KelvanorTestHarness.h"
#include "TestNames.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
/** The sequencer off, so host notes play the voice. */
struct ProgramHarness : KelvanorHarness
{
    explicit ProgramHarness (int block = 512)
        : KelvanorHarness (44100.0, block, false)
    {
    }

    juce::String shownName() const
    {
        return processor->getParameterManager().getParameterText (BasePluginOldStyle::currentPresetNameId);
    }
};

juce::MidiMessage programChange (int program)
{
    return juce::MidiMessage::programChange (1, program);
}

/** The first sample at which the two signals differ, bit for bit; -1 when they are the same. */
juce::int64 firstDifference (const std::vector<float>& a, const std::vector<float>& b)
{
    for (size_t i = 0; i < std::min (a.size(), b.size()); ++i)
        if (std::memcmp (&a[i], &b[i], sizeof (float)) != 0)
            return (juce::int64) i;
    return a.size() == b.size() ? -1 : (juce::int64) std::min (a.size(), b.size());
}

std::vector<float> renderHeldNote (int block, juce::int64 length, const std::vector<SentMidi>& extra = {})
{
    ProgramHarness h (block);
    auto events = extra;
    events.insert (events.begin(), {0, noteOn (36, 100)});
    h.render (length, block, events);
    return h.left;
}

struct DepartureCase
{
    int program;
    juce::int64 sample;
    int blockSize;
};

class ProgramChangeDeparture : public ::testing::TestWithParam<DepartureCase>
{
};
} // namespace

// The sound changes at the event's own sample, wherever that lies in the block, and not a sample earlier.
TEST_P (ProgramChangeDeparture, OutputLeavesTheUnchangedRenderExactlyAtTheEventsSample)
{
    const auto c = GetParam();
    const juce::int64 length = c.sample + 4000;

    const auto unchanged = renderHeldNote (c.blockSize, length);
    const auto changed = renderHeldNote (c.blockSize, length, {{c.sample, programChange (c.program)}});

    EXPECT_EQ (firstDifference (unchanged, changed), c.sample);
}

INSTANTIATE_TEST_SUITE_P (AtAnySampleOfABlock, ProgramChangeDeparture,
                          ::testing::Values (DepartureCase{1, 3000, 512}, DepartureCase{20, 1024, 512},
                                             DepartureCase{13, 777, 64}, DepartureCase{39, 5001, 1000}),
                          [] (const auto& each)
                          {
                              const auto& c = each.param;
                              return testName ("program " + juce::String (c.program) + " at " +
                                               juce::String (c.sample) + " in blocks of " +
                                               juce::String (c.blockSize));
                          });

TEST (KelvanorProgramChange, RendersOnParallelThreadsWithTheMessageLoopRunningAreBitIdentical)
{
    constexpr int numRenders = 8;
    constexpr juce::int64 length = 44100 * 2;
    const std::vector<SentMidi> events{
        {0, noteOn (36, 100)},     {2000, programChange (4)},   {9000, noteOn (43, 60)},
        {9001, noteOff (36)},      {17777, programChange (25)}, {30000, programChange (4)},
        {30000, noteOn (31, 127)}, {52111, programChange (38)}, {70000, juce::MidiMessage::allNotesOff (1)},
        {70100, noteOn (40)}};

    // Built here, on the message thread, as a host's instances are.
    std::vector<std::unique_ptr<ProgramHarness>> harnesses;
    for (int i = 0; i < numRenders; ++i)
        harnesses.push_back (std::make_unique<ProgramHarness> (256));

    std::atomic<int> finished{0};
    std::vector<std::thread> renders;
    for (auto& h : harnesses)
        renders.emplace_back (
            [&h, &events, &finished]
            {
                h->render (length, 256, events);
                ++finished;
            });

    EXPECT_TRUE (runMessageLoopUntil ([&] { return finished.load() == numRenders; }, 60000));
    for (auto& t : renders)
        t.join();

    for (int i = 1; i < numRenders; ++i)
        EXPECT_EQ (firstDifference (harnesses[0]->left, harnesses[(size_t) i]->left), -1) << "render " << i;

    // And the same as one rendered with no message loop turning at all.
    ProgramHarness alone (256);
    alone.render (length, 256, events);
    EXPECT_EQ (firstDifference (harnesses[0]->left, alone.left), -1);

    runMessageLoopUntil ([] { return false; }, 4 * RealtimeNotifier::pollIntervalMs);
    harnesses.clear();
}

TEST (KelvanorProgramChange, SoundChangesOnTheAudioThreadAndTheNameFollowsOnTheMessageThread)
{
    ProgramHarness h;
    auto& p = *h.processor;
    const int program = 7;
    const auto* preset = p.getBankPreset (program);
    ASSERT_NE (preset, nullptr);
    const auto oldName = h.shownName();
    ASSERT_NE (oldName, p.getPresetName (program));

    std::thread audio ([&] { h.render (2048, 512, {{100, programChange (program)}}); });
    audio.join();

    for (const int id :
         {Kelvanor::cutoffId, Kelvanor::envModId, Kelvanor::waveformId, Kelvanor::mainVolumeId})
        EXPECT_EQ (p.getParameterManager().getParameterNormalised (id), preset->getValue (id)) << "id " << id;
    EXPECT_EQ (p.getCurrentPresetIndex(), program);
    EXPECT_EQ (h.shownName(), oldName) << "the name waits for the message thread";

    ASSERT_TRUE (runMessageLoopUntil ([&] { return h.shownName() == p.getPresetName (program); }));
    EXPECT_EQ (
        p.getParameterManager().getParameter (BasePluginOldStyle::currentPresetNumberId)->getValueInt(),
        program);
}

// A bank changed on the message thread is what the next program change plays, without waiting for a
// later turn of the message loop.
TEST (KelvanorProgramChange, BankChangesReachTheNextProgramChangeAtOnce)
{
    struct Case
    {
        const char* name;
        std::function<int (Kelvanor&)> changeBankAndChooseProgram; // returns the program to send
    };

    const Case cases[] = {
        {"stored preset",
         [] (Kelvanor& p)
         {
             p.getParameterManager().setParameterNormalised (Kelvanor::cutoffId, 0.123f);
             p.storePreset (9);
             return 9;
         }},
        {"preset read from XML",
         [] (Kelvanor& p)
         {
             auto xml = p.createPresetXml (3);
             xml->getChildElement (Kelvanor::cutoffId)->setAttribute ("value", 0.123);
             EXPECT_TRUE (p.loadPresetFromXml (*xml, 11));
             return 11;
         }},
        {"preset moved",
         [] (Kelvanor& p)
         {
             p.getBankPreset (2)->setValue (Kelvanor::cutoffId, 0.123f); // published by the move
             p.movePreset (2, 5, 0, 0);
             return 5;
         }},
        {"bank read from XML",
         [] (Kelvanor& p)
         {
             auto bank = p.createPresetBankXml();
             bank->getChildElement (0)
                 ->getChildElement (0)
                 ->getChildElement (Kelvanor::cutoffId)
                 ->setAttribute ("value", 0.123);
             EXPECT_TRUE (p.loadPresetBankFromXml (*bank));
             return 0;
         }},
    };

    for (const auto& c : cases)
    {
        ProgramHarness h;
        auto& p = *h.processor;
        p.setCurrentPresetIndex (30, true);
        const int program = c.changeBankAndChooseProgram (p);

        h.render (512, 512, {{h.position + 10, programChange (program)}});
        EXPECT_FLOAT_EQ (p.getParameterManager().getParameterNormalised (Kelvanor::cutoffId), 0.123f)
            << c.name;
    }
}

TEST (KelvanorProgramChange, AutomaticStoringKeepsTheBankAsItWas)
{
    ProgramHarness h;
    auto& p = *h.processor;
    p.setPresetStoringMode (BasePluginOldStyle::automaticStoring);

    const auto valuesOf = [&p] (int index)
    {
        std::vector<float> values;
        for (int id = 0; id < BasePluginOldStyle::numPresetableParameters; ++id)
            values.push_back (p.getBankPreset (index)->getValue (id));
        return values;
    };

    const auto before0 = valuesOf (0), before6 = valuesOf (6);
    h.render (1024, 512, {{h.position + 5, programChange (6)}});
    runMessageLoopUntil ([] { return false; }, 4 * RealtimeNotifier::pollIntervalMs);

    EXPECT_EQ (valuesOf (0), before0) << "the preset left behind";
    EXPECT_EQ (valuesOf (6), before6) << "the preset chosen";
    EXPECT_EQ (p.getCurrentPresetIndex(), 6);
}
