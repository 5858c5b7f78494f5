#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

namespace
{
juce::MidiMessage noteOn (int note, int velocity, int channel = 1)
{
    return juce::MidiMessage::noteOn (channel, note, (juce::uint8) velocity);
}

juce::MidiMessage noteOff (int note, int channel = 1)
{
    return juce::MidiMessage::noteOff (channel, note);
}

/** A harness with the internal sequencer off, so host notes play the voice. */
struct VoiceHarness : KelvanorHarness
{
    explicit VoiceHarness (double rate = 44100.0, int block = 512)
        : KelvanorHarness (rate, block)
    {
        switchSequencerOff();
        processBlock (16);
        sent.clear();
    }
};
} // namespace

TEST (KelvanorProcessing, HostNoteSoundsAndLeavesOnChannelOneAtItsSample)
{
    VoiceHarness h;
    const auto start = h.position;
    h.render (4096, 512, {{start + 100, noteOn (45, 100, 5)}, {start + 2300, noteOff (45, 5)}});

    const auto notes = h.sentNotes();
    ASSERT_EQ (notes.size(), 2u);
    EXPECT_TRUE (notes[0].message.isNoteOn());
    EXPECT_EQ (notes[0].sample, start + 100);
    EXPECT_EQ (notes[0].message.getChannel(), 1);
    EXPECT_EQ (notes[0].message.getNoteNumber(), 45);
    EXPECT_EQ (notes[0].message.getVelocity(), 100);
    EXPECT_TRUE (notes[1].message.isNoteOff());
    EXPECT_EQ (notes[1].sample, start + 2300);
    EXPECT_EQ (notes[1].message.getChannel(), 1);

    EXPECT_GT (h.peak (start + 200, start + 2300), 0.01f);
    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
    EXPECT_EQ (h.left, h.right);
}

TEST (KelvanorProcessing, EventsAtOrBeyondTheBlockEndArriveLaterAtTheirSample)
{
    VoiceHarness h;
    const auto start = h.position;

    juce::MidiBuffer events;
    events.addEvent (noteOn (40, 90), 512);  // exactly the block length
    events.addEvent (noteOff (40), 1100);    // two blocks on
    events.addEvent (noteOn (52, 90), 2047); // last sample of the fourth block
    h.processBlock (512, events);
    for (int i = 0; i < 3; ++i)
        h.processBlock (512);

    const auto notes = h.sentNotes();
    ASSERT_EQ (notes.size(), 3u);
    EXPECT_EQ (notes[0].sample, start + 512);
    EXPECT_EQ (notes[1].sample, start + 1100);
    EXPECT_EQ (notes[2].sample, start + 2047);
}

TEST (KelvanorProcessing, CarriedEventsComeBeforeNewOnesAtTheSameSample)
{
    VoiceHarness h;

    juce::MidiBuffer first;
    first.addEvent (noteOn (60, 100), 40 + 256);
    h.processBlock (256, first);

    juce::MidiBuffer second;
    second.addEvent (noteOff (60), 40);
    h.processBlock (256, second);

    // The carried note-on is delivered first, so the note-off finds it sounding.
    const auto notes = h.sentNotes();
    ASSERT_EQ (notes.size(), 2u);
    EXPECT_TRUE (notes[0].message.isNoteOn());
    EXPECT_TRUE (notes[1].message.isNoteOff());
    EXPECT_EQ (notes[0].sample, notes[1].sample);
    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
}

TEST (KelvanorProcessing, NoteOffForANoteNeverPlayedSendsNothing)
{
    VoiceHarness h;
    h.render (1024, 256, {{h.position + 10, noteOff (50)}, {h.position + 20, noteOn (50, 0)}});

    EXPECT_TRUE (h.sent.empty());
    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);
}

TEST (KelvanorProcessing, MalformedMessagesAreIgnored)
{
    VoiceHarness h;

    // Data bytes with the top bit set would give notes and controllers outside 0..127.
    const juce::uint8 badNote[] = {0x90, 0xc8, 0x64};
    const juce::uint8 badVelocity[] = {0x90, 0x30, 0xff};
    const juce::uint8 shortNote[] = {0x90, 0x30};
    const juce::uint8 badController[] = {0xb0, 0xfb, 0x00};
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

TEST (KelvanorProcessing, OverlappingNotesAreLegatoAndReleaseBackToTheHeldOne)
{
    VoiceHarness h;
    const auto s = h.position;
    h.render (8192, 256, {{s, noteOn (36, 100)}, {s + 2000, noteOn (48, 100)}, {s + 4000, noteOff (48)}});

    ASSERT_EQ (h.processor->getNumSoundingNotes(), 1);
    EXPECT_EQ (h.processor->getSoundingNote (0), 36);
    EXPECT_EQ (h.sentNotes().size(), 3u);
    EXPECT_GT (h.peak (s + 4000), 0.01f) << "the first note keeps sounding";
}

TEST (KelvanorProcessing, Controller123StopsNotesAndSendsAllNotesOff)
{
    VoiceHarness h;
    const auto s = h.position;
    h.render (
        1024, 256,
        {{s, noteOn (36, 100)}, {s + 10, noteOn (40, 100)}, {s + 500, juce::MidiMessage::allNotesOff (9)}});

    EXPECT_EQ (h.processor->getNumSoundingNotes(), 0);

    int noteOffs = 0;
    bool allNotesOffSent = false;
    for (const auto& m : h.sent)
    {
        if (m.message.isNoteOff())
        {
            ++noteOffs;
            EXPECT_EQ (m.sample, s + 500);
        }
        if (m.message.isAllNotesOff())
        {
            allNotesOffSent = true;
            EXPECT_EQ (m.message.getChannel(), 1);
            EXPECT_EQ (m.sample, s + 500);
        }
    }
    EXPECT_EQ (noteOffs, 2);
    EXPECT_TRUE (allNotesOffSent);
}

TEST (KelvanorProcessing, ControllersReachTheMidiControlMap)
{
    VoiceHarness h;
    auto& parameters = h.processor->getParameterManager();
    h.processor->getMidiControl().assign (74, parameters.getParameter (Kelvanor::cutoffId), false);

    juce::MidiBuffer events;
    events.addEvent (juce::MidiMessage::controllerEvent (3, 74, 127), 5);
    h.processBlock (64, events);
    EXPECT_FLOAT_EQ (parameters.getParameterNormalised (Kelvanor::cutoffId), 1.0f);
    EXPECT_EQ (h.processor->getParameterTextById (Kelvanor::cutoffId), "100.0");

    events.clear();
    events.addEvent (juce::MidiMessage::controllerEvent (1, 74, 0), 0);
    h.processBlock (64, events);
    EXPECT_EQ (h.processor->getParameterTextById (Kelvanor::cutoffId), "0.0");
}

TEST (KelvanorProcessing, ProgramChangeLoadsThatPreset)
{
    VoiceHarness h;
    auto& processor = *h.processor;
    const auto* preset = processor.getBankPreset (5);
    ASSERT_NE (preset, nullptr);

    juce::MidiBuffer events;
    events.addEvent (juce::MidiMessage::programChange (1, 5), 0);
    h.processBlock (64, events);
    pumpMessages();

    EXPECT_EQ (processor.getCurrentPresetIndex(), 5);
    EXPECT_EQ (processor.getParameterManager().getParameterText (BasePluginOldStyle::currentPresetNameId),
               processor.getPresetName (5));
}

TEST (KelvanorProcessing, MidiActivityIsFlaggedPerEvent)
{
    VoiceHarness h;
    h.processor->getMidiActivityFlag().store (0);

    juce::MidiBuffer events;
    events.addEvent (juce::MidiMessage::controllerEvent (1, 1, 10), 3);
    h.processBlock (32, events);

    EXPECT_EQ (h.processor->getMidiActivityFlag().exchange (0), 1);
}

TEST (KelvanorProcessing, NonFiniteAndOutOfRangeHostValuesNeverReachTheVoice)
{
    VoiceHarness h;
    const float values[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(), 7.0f, -3.0f};

    for (const float value : values)
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

//==============================================================================
struct RateAndBlock
{
    double sampleRate;
    int blockSize;
};

class KelvanorRatesAndBlocks : public ::testing::TestWithParam<RateAndBlock>
{
};

TEST_P (KelvanorRatesAndBlocks, RendersAFiniteAudibleNote)
{
    const auto [rate, block] = GetParam();
    VoiceHarness h (rate, block);
    const auto s = h.position;
    h.render ((juce::int64) (rate * 0.3), block,
              {{s + 3, noteOn (36, 110)}, {s + (juce::int64) (rate * 0.2), noteOff (36)}});

    EXPECT_TRUE (h.allFinite());
    EXPECT_GT (h.peak(), 0.01f);
    EXPECT_LT (h.peak(), 4.0f);
    EXPECT_EQ (h.sentNotes().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P (Kelvanor, KelvanorRatesAndBlocks,
                          ::testing::Values (RateAndBlock{44100.0, 1}, RateAndBlock{44100.0, 8192},
                                             RateAndBlock{48000.0, 64}, RateAndBlock{96000.0, 8192},
                                             RateAndBlock{192000.0, 256}, RateAndBlock{22050.0, 100},
                                             RateAndBlock{50000.0, 1}, RateAndBlock{11025.0, 512}));

TEST (KelvanorProcessing, PrepareToPlayForgetsQueuedEvents)
{
    VoiceHarness h;
    juce::MidiBuffer events;
    events.addEvent (noteOn (50, 100), 700);
    h.processBlock (256, events);

    h.prepare (44100.0, 256);
    h.render (1024, 256);

    EXPECT_TRUE (h.sentNotes().empty());
}

TEST (KelvanorProcessing, AnnouncesItsChannelsAndMidi)
{
    KelvanorHarness h;
    auto& p = *h.processor;
    EXPECT_EQ (p.getMaxNumInputChannels(), 0);
    EXPECT_EQ (p.getMaxNumOutputChannels(), 2);
    EXPECT_EQ (p.getOutputChannelName (0), "Kelvanor");
    EXPECT_EQ (p.getOutputChannelName (1), "Kelvanor");
    EXPECT_TRUE (p.acceptsMidi());
    EXPECT_TRUE (p.producesMidi());
    EXPECT_EQ (p.getNumHostParameters(), 36);
    EXPECT_FALSE (p.hasEditor());
}
