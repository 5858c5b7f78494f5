#include "tools/NoteListReader.h"
#include "tools/StandardMidiFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace
{
struct Event
{
    double seconds;
    std::vector<juce::uint8> bytes;

    bool operator== (const Event&) const = default;
};

void PrintTo (const Event& e, std::ostream* os)
{
    *os << e.seconds << "s " << juce::String::toHexString (e.bytes.data(), (int) e.bytes.size());
}

std::vector<Event> eventsOf (const juce::MidiMessageSequence& sequence)
{
    std::vector<Event> events;
    for (const auto* holder : sequence)
        events.push_back (
            {holder->message.getTimeStamp(),
             std::vector<juce::uint8> (holder->message.getRawData(),
                                       holder->message.getRawData() + holder->message.getRawDataSize())});
    return events;
}

//==============================================================================
struct NoteListCase
{
    const char* text;
    std::vector<Event> expected;
};

void PrintTo (const NoteListCase& c, std::ostream* os)
{
    *os << "\"" << c.text << "\"";
}

class NoteListParsing : public ::testing::TestWithParam<NoteListCase>
{
};

TEST_P (NoteListParsing, TurnsLinesIntoTimedNotes)
{
    juce::MidiMessageSequence sequence;
    const juce::Result result = NoteListReader::parse (GetParam().text, 120.0, sequence);
    ASSERT_TRUE (result.wasOk()) << result.getErrorMessage();
    EXPECT_EQ (eventsOf (sequence), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P (
    Lines, NoteListParsing,
    ::testing::Values (
        NoteListCase{"0 60 100 0.5", {{0.0, {0x90, 60, 100}}, {0.5, {0x80, 60, 0}}}},
        NoteListCase{"# a score\n\n  1.25\tA4 1 0.25  16  # channel 16\n",
                     {{1.25, {0x9f, 69, 1}}, {1.5, {0x8f, 69, 0}}}},
        NoteListCase{"2b C2 127 0.5b", {{1.0, {0x90, 36, 127}}, {1.25, {0x80, 36, 0}}}},
        NoteListCase{
            "1 Bb1 64 1\n0 F#2 64 0.5",
            {{0.0, {0x90, 42, 64}}, {0.5, {0x80, 42, 0}}, {1.0, {0x90, 34, 64}}, {2.0, {0x80, 34, 0}}}},
        NoteListCase{"# nothing but comments\n", {}}));

struct NoteListErrorCase
{
    const char* text;
    const char* expectedError;
};

void PrintTo (const NoteListErrorCase& c, std::ostream* os)
{
    *os << "\"" << c.text << "\"";
}

class NoteListErrors : public ::testing::TestWithParam<NoteListErrorCase>
{
};

TEST_P (NoteListErrors, NameTheFirstBadLineAndKeepTheSequence)
{
    juce::MidiMessageSequence sequence;
    sequence.addEvent (juce::MidiMessage::noteOn (1, 1, (juce::uint8) 1), 0.0);

    const juce::Result result = NoteListReader::parse (GetParam().text, 120.0, sequence);

    EXPECT_TRUE (result.failed());
    EXPECT_TRUE (result.getErrorMessage().startsWith (GetParam().expectedError)) << result.getErrorMessage();
    EXPECT_EQ (sequence.getNumEvents(), 1);
}

INSTANTIATE_TEST_SUITE_P (
    Lines, NoteListErrors,
    ::testing::Values (NoteListErrorCase{"0 60 100", "line 1: expected START NOTE"},
                       NoteListErrorCase{"0 60 100 1 1 1", "line 1: expected START NOTE"},
                       NoteListErrorCase{"0 60 100 1\n-1 60 100 1", "line 2: bad start time"},
                       NoteListErrorCase{"0,5 60 100 1", "line 1: bad start time"},
                       NoteListErrorCase{"0 H2 100 1", "line 1: bad note"},
                       NoteListErrorCase{"0 128 100 1", "line 1: bad note"},
                       NoteListErrorCase{"0 60 0 1", "line 1: velocity must be 1..127"},
                       NoteListErrorCase{"0 60 128 1", "line 1: velocity must be 1..127"},
                       NoteListErrorCase{"0 60 100 0", "line 1: bad length"},
                       NoteListErrorCase{"0 60 100 xb", "line 1: bad length"},
                       NoteListErrorCase{"\n\n0 60 100 1 17", "line 3: channel must be 1..16"}));

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

TEST (NoteListReader, RefusesAMissingFileAndATempoOfZero)
{
    juce::MidiMessageSequence sequence;
    EXPECT_TRUE (NoteListReader::read (juce::File ("/nonexistent/notes.txt"), 120.0, sequence).failed());
    EXPECT_TRUE (NoteListReader::parse ("0 60 100 1", 0.0, sequence).failed());
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

    const std::vector<Event> expected{{0.25, {0x91, 48, 90}}, {1.5, {0x81, 48, 0}}};
    EXPECT_EQ (eventsOf (sequence), expected);
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
