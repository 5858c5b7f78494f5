#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

namespace
{
/** A harness with the internal sequencer off, so host notes play the voice. */
struct VoiceHarness : KelvanorHarness
{
    explicit VoiceHarness (double rate = 44100.0, int block = 512)
        : KelvanorHarness (rate, block, false)
    {
    }
};

// Events at and beyond the block end wait for the block holding their sample; a carried event comes before
// a new one at the same sample, so the note-off below finds its note sounding.
TEST (KelvanorProcessing, EventsBeyondTheBlockEndArriveLaterAtTheirSampleCarriedFirst)
{
    VoiceHarness h;
    const auto start = h.position;

    juce::MidiBuffer events;
    events.addEvent (noteOn (40, 90), 512); // exactly the block length
    events.addEvent (noteOn (52, 90), 1100);
    events.addEvent (noteOn (60, 90), 2047); // last sample of the fourth block
    h.processBlock (512, events);
    juce::MidiBuffer second;
    second.addEvent (noteOff (40), 0);
    h.processBlock (512, second);
    h.processBlock (512);
    h.processBlock (512);

    const auto notes = h.sentNotes();
    ASSERT_EQ (notes.size(), 4u);
    const juce::int64 samples[] = {512, 512, 1100, 2047};
    const int numbers[] = {40, 40, 52, 60};
    for (size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ (notes[i].sample, start + samples[i]) << i;
        EXPECT_EQ (notes[i].message.getNoteNumber(), numbers[i]) << i;
        EXPECT_EQ (notes[i].message.isNoteOn(), i != 1) << i;
    }
    EXPECT_EQ (h.processor->getNumSoundingNotes(), 2);
}

TEST (KelvanorProcessing, UnknownAndMalformedMessagesAreIgnored)
{
    VoiceHarness h;
    h.render (512, 256, {{h.position + 10, noteOff (50)}, {h.position + 20, noteOn (50, 0)}});

    // Data bytes with the top bit set would give notes and controllers outside 0..127.
    const juce::uint8 badNote[] = {0x90, 0xc8, 0x64}, badVelocity[] = {0x90, 0x30, 0xff},
                      shortNote[] = {0x90, 0x30}, badController[] = {0xb0, 0xfb, 0x00};
    juce::MidiBuffer events;
    events.addEvent (badNote, 3, 0);
    events.addEvent (badVelocity, 3, 1);
    events.addEvent (shortNote, 2, 2);
    events.addEvent (badController, 3, 3);
    h.processBlock (256, events);

    EXPECT_TRUE (h.sent.empty());
    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
    EXPECT_TRUE (h.allFinite());
}

TEST (KelvanorProcessing, HundredsOfEventsInOneBlockAreAllServed)
{
    VoiceHarness h;
    juce::MidiBuffer events;
    for (int i = 0; i < 400; ++i)
    {
        events.addEvent (noteOn (i % 128, 1 + i % 127), i % 64);
        events.addEvent (noteOff (i % 128), 64 + i % 64);
    }
    h.processBlock (128, events);

    EXPECT_EQ (h.sentNotes().size(), 800u);
    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
    EXPECT_TRUE (h.allFinite());
}

TEST (KelvanorProcessing, OverlappingNotesAreLegatoAndReleaseBackToTheHeldOneInBothChannels)
{
    VoiceHarness h;
    const auto s = h.position;
    h.render (8192, 256, {{s, noteOn (36)}, {s + 2000, noteOn (48)}, {s + 4000, noteOff (48)}});

    ASSERT_EQ (h.processor->getNumSoundingNotes(), 1);
    EXPECT_EQ (h.processor->getSoundingNote (0), 36);
    EXPECT_EQ (h.sentNotes().size(), 3u);
    EXPECT_GT (h.peak (s + 4000), 0.01f) << "the first note keeps sounding";
    EXPECT_EQ (h.left, h.right);
}

TEST (KelvanorProcessing, Controller123StopsNotesAndSendsAllNotesOff)
{
    VoiceHarness h;
    const auto s = h.position;
    h.render (1024, 256,
              {{s, noteOn (36)}, {s + 10, noteOn (40)}, {s + 500, juce::MidiMessage::allNotesOff (9)}});

    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
    int noteOffs = 0, allNotesOffs = 0;
    for (const auto& m : h.sent)
        if (m.message.isNoteOff() || m.message.isAllNotesOff())
        {
            (m.message.isNoteOff() ? noteOffs : allNotesOffs)++;
            EXPECT_EQ (m.sample, s + 500);
            EXPECT_EQ (m.message.getChannel(), 1);
        }
    EXPECT_EQ (noteOffs, 2);
    EXPECT_EQ (allNotesOffs, 1);
}

TEST (KelvanorProcessing, ControllersReachTheMidiControlMapAndFlagActivity)
{
    VoiceHarness h;
    auto& parameters = h.processor->getParameterManager();
    h.processor->getMidiControl().assign (74, parameters.getParameter (Kelvanor::cutoffId), false);
    h.processor->getMidiActivityFlag().store (0);

    for (const auto& [channel, value, text] : {std::tuple{3, 127, "100.0"}, std::tuple{1, 0, "0.0"}})
    {
        juce::MidiBuffer events;
        events.addEvent (juce::MidiMessage::controllerEvent (channel, 74, value), 5);
        h.processBlock (64, events);
        EXPECT_EQ (h.processor->getParameterTextById (Kelvanor::cutoffId), text);
    }
    EXPECT_EQ (h.processor->getMidiActivityFlag().exchange (0), 1);
}

TEST (KelvanorProcessing, NonFiniteAndOutOfRangeHostValuesNeverReachTheVoice)
{
    VoiceHarness h;
    for (const float value : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), 7.0f, -3.0f})
        for (int slot = 0; slot < Kelvanor::numHostParameters; ++slot)
            h.processor->setParameter (slot, value);

    h.render (22050, 512, {{h.position, noteOn (36, 127)}, {h.position + 300, noteOn (60, 20)}});

    EXPECT_TRUE (h.allFinite());
    for (int slot = 0; slot < Kelvanor::numHostParameters; ++slot)
    {
        const float v = h.processor->getParameter (slot);
        EXPECT_TRUE (v >= 0.0f && v <= 1.0f) << "slot " << slot << " holds " << v;
    }
}

TEST (KelvanorProcessing, RendersAFiniteAudibleNoteAtAnyRateAndBlockSize)
{
    // clang-format off
    for (const auto& [rate, block] : std::vector<std::pair<double, int>>{
             {44100.0, 1}, {44100.0, 8192}, {48000.0, 64}, {96000.0, 8192}, {192000.0, 256}, {22050.0, 100},
             {50000.0, 1}, {11025.0, 512}})
    // clang-format on
    {
        VoiceHarness h (rate, block);
        const auto s = h.position;
        h.render ((juce::int64) (rate * 0.3), block,
                  {{s + 3, noteOn (36, 110)}, {s + (juce::int64) (rate * 0.2), noteOff (36)}});

        SCOPED_TRACE (testing::Message() << rate << " Hz, blocks of " << block);
        EXPECT_TRUE (h.allFinite());
        EXPECT_TRUE (h.peak() > 0.01f && h.peak() < 4.0f) << h.peak();
        EXPECT_EQ (h.sentNotes().size(), 2u);
    }
}

TEST (KelvanorProcessing, PrepareToPlayForgetsQueuedEvents)
{
    VoiceHarness h;
    juce::MidiBuffer events;
    events.addEvent (noteOn (50), 700);
    h.processBlock (256, events);

    h.prepare (44100.0, 256);
    h.render (1024, 256);
    EXPECT_TRUE (h.sentNotes().empty());
}
} // namespace
