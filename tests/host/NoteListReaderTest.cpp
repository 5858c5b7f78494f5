#include "host/HostTestSupport.h"

#include "tools/NoteListReader.h"
#include "tools/StandardMidiFile.h"

#include "TestSupport.h"

namespace
{
//==============================================================================
TEST (NoteListReader, TurnsLinesIntoTimedNotes)
{
    const struct
    {
        const char* text;
        std::vector<MidiAt> expected;
    } cases[] = {
        {"0 60 100 0.5", {{0.0, {0x90, 60, 100}}, {0.5, {0x80, 60, 0}}}},
        {"# a score\n\n  1.25\tA4 1 0.25  16  # channel 16\n", {{1.25, {0x9f, 69, 1}}, {1.5, {0x8f, 69, 0}}}},
        {"2b C2 127 0.5b", {{1.0, {0x90, 36, 127}}, {1.25, {0x80, 36, 0}}}},
        {"1 Bb1 64 1\n0 F#2 64 0.5",
         {{0.0, {0x90, 42, 64}}, {0.5, {0x80, 42, 0}}, {1.0, {0x90, 34, 64}}, {2.0, {0x80, 34, 0}}}},
        {"# nothing but comments\n", {}},
        {"0 C4 100 1\n0 program 3\n0.5b PROGRAM 127 16",
         {{0.0, {0xc0, 3}}, {0.0, {0x90, 60, 100}}, {0.25, {0xcf, 127}}, {1.0, {0x80, 60, 0}}}}};

    for (const auto& c : cases)
    {
        juce::MidiMessageSequence sequence;
        const juce::Result result = NoteListReader::parse (c.text, 120.0, sequence);
        ASSERT_TRUE (result.wasOk()) << c.text << ": " << result.getErrorMessage();
        EXPECT_EQ (toMidiAt (sequence), c.expected) << c.text;
    }
}

TEST (NoteListReader, ErrorsNameTheFirstBadLineAndKeepTheSequence)
{
    const std::pair<const char*, const char*> cases[] = {
        {"0 60 100", "line 1: expected START NOTE"},
        {"0 60 100 1 1 1", "line 1: expected START NOTE"},
        {"0 60 100 1\n-1 60 100 1", "line 2: bad start time"},
        {"0,5 60 100 1", "line 1: bad start time"},
        {"0 H2 100 1", "line 1: bad note"},
        {"0 128 100 1", "line 1: bad note"},
        {"0 60 0 1", "line 1: velocity must be 1..127"},
        {"0 60 128 1", "line 1: velocity must be 1..127"},
        {"0 60 100 0", "line 1: bad length"},
        {"0 60 100 xb", "line 1: bad length"},
        {"\n\n0 60 100 1 17", "line 3: channel must be 1..16"},
        {"0 program", "line 1: expected START program NUMBER"},
        {"0 program 1 1 1", "line 1: expected START program NUMBER"},
        {"x program 1", "line 1: bad start time"},
        {"0 program 128", "line 1: program must be 0..127"},
        {"0 program 1 0", "line 1: channel must be 1..16"}};

    for (const auto& [text, expectedError] : cases)
    {
        juce::MidiMessageSequence sequence;
        sequence.addEvent (juce::MidiMessage::noteOn (1, 1, (juce::uint8) 1), 0.0);
        const juce::Result result = NoteListReader::parse (text, 120.0, sequence);

        EXPECT_TRUE (result.getErrorMessage().startsWith (expectedError))
            << text << ": " << result.getErrorMessage();
        EXPECT_EQ (sequence.getNumEvents(), 1) << text;
    }

    juce::MidiMessageSequence sequence;
    EXPECT_TRUE (NoteListReader::read (juce::File ("/nonexistent/notes.txt"), 120.0, sequence).failed());
    EXPECT_TRUE (NoteListReader::parse ("0 60 100 1", 0.0, sequence).failed()) << "a tempo of 0";
}

TEST (NoteListReader, ParsesNoteNamesAndNumbers)
{
    const struct
    {
        const char* text;
        int note;
    } cases[] = {{"C4", 60},  {"A4", 69},  {"c-1", 0},  {"G9", 127}, {"G#9", -1},  {"Bb1", 34},
                 {"F#2", 42}, {"Cb4", 59}, {"E#4", 65}, {"0", 0},    {"127", 127}, {"128", -1},
                 {"H2", -1},  {"", -1},    {"C", -1},   {"C4x", -1}, {"-1", -1}};

    for (const auto& c : cases)
        EXPECT_EQ (NoteListReader::parseNote (c.text), c.note) << c.text;
}

//==============================================================================
TEST (StandardMidiFile, TimesEventsByTheFilesTempoMapAndDropsMetaEvents)
{
    TemporaryFolder folder;
    const juce::File file = folder.getChildFile ("score.mid");

    juce::MidiMessageSequence conductor;
    conductor.addEvent (juce::MidiMessage::tempoMetaEvent (500000), 0.0);    // 120 bpm
    conductor.addEvent (juce::MidiMessage::tempoMetaEvent (1000000), 960.0); // 60 bpm from beat 1
    conductor.addEvent (juce::MidiMessage::textMetaEvent (1, "a text"), 0.0);
    juce::MidiMessageSequence notes;
    notes.addEvent (juce::MidiMessage::noteOn (2, 48, (juce::uint8) 90), 480.0);
    notes.addEvent (juce::MidiMessage::noteOff (2, 48), 1920.0);

    juce::MidiFile midiFile;
    midiFile.setTicksPerQuarterNote (960);
    midiFile.addTrack (conductor);
    midiFile.addTrack (notes);
    {
        juce::FileOutputStream stream (file);
        ASSERT_TRUE (stream.openedOk());
        ASSERT_TRUE (midiFile.writeTo (stream));
    }

    juce::MidiMessageSequence sequence;
    ASSERT_TRUE (StandardMidiFile::read (file, sequence).wasOk());

    const std::vector<MidiAt> expected{{0.25, {0x91, 48, 90}}, {1.5, {0x81, 48, 0}}};
    EXPECT_EQ (toMidiAt (sequence), expected);
}

TEST (StandardMidiFile, RefusesFilesThatAreNotMidi)
{
    TemporaryFolder folder;
    const juce::File file = folder.getChildFile ("notes.mid");
    ASSERT_TRUE (file.replaceWithText ("0 60 100 1"));

    juce::MidiMessageSequence sequence;
    EXPECT_TRUE (StandardMidiFile::read (file, sequence).failed());
    EXPECT_TRUE (StandardMidiFile::read (folder.getChildFile ("missing.mid"), sequence).failed());
}
} // namespace
