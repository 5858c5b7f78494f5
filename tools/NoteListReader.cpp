#include "tools/NoteListReader.h"

#include "tools/HostFileReader.h"

#include "tools/ExactNumber.h"

namespace
{

/** Seconds, or quarter notes at the given tempo when the text ends in 'b'. */
std::optional<double> parseTime (const juce::String& text, double tempo)
{
    if (text.endsWithIgnoreCase ("b"))
    {
        const auto beats = readExactNumber<double> (text.dropLastCharacters (1));
        return beats ? std::optional<double> (*beats * 60.0 / tempo) : std::nullopt;
    }
    return readExactNumber<double> (text);
}

/** A '#' that begins a field starts a comment; one inside a field is a sharp (F#2). */
juce::String withoutComment (const juce::String& line)
{
    for (int i = 0; i < line.length(); ++i)
        if (line[i] == '#' && (i == 0 || juce::CharacterFunctions::isWhitespace (line[i - 1])))
            return line.substring (0, i);
    return line;
}

/** The optional channel field at the index: 1 when the line has no such field, none when it is bad. */
std::optional<int> parseChannel (const juce::StringArray& fields, int index)
{
    if (index >= fields.size())
        return 1;
    const auto channel = readExactNumber<int> (fields[index]);
    return channel && *channel >= 1 && *channel <= 16 ? channel : std::nullopt;
}

juce::Result lineError (int lineNumber, const juce::String& what)
{
    return juce::Result::fail ("line " + juce::String (lineNumber) + ": " + what);
}
} // namespace

int NoteListReader::parseNote (const juce::String& text)
{
    if (text.isEmpty())
        return -1;

    if (juce::CharacterFunctions::isDigit (text[0]))
    {
        const auto number = readExactNumber<int> (text);
        return number && *number >= 0 && *number <= 127 ? *number : -1;
    }

    static constexpr int semitonesFromC[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    const juce::juce_wchar letter = juce::CharacterFunctions::toUpperCase (text[0]);
    if (letter < 'A' || letter > 'G')
        return -1;

    int semitone = semitonesFromC[letter - 'A'];
    int pos = 1;
    for (; pos < text.length() && (text[pos] == '#' || text[pos] == 'b'); ++pos)
        semitone += text[pos] == '#' ? 1 : -1;

    const auto octave = readExactNumber<int> (text.substring (pos));
    if (!octave)
        return -1;

    const int note = (*octave + 1) * 12 + semitone;
    return note >= 0 && note <= 127 ? note : -1;
}

juce::Result NoteListReader::parse (const juce::String& text, double tempo,
                                    juce::MidiMessageSequence& sequence)
{
    if (tempo <= 0.0)
        return juce::Result::fail ("the tempo must be more than 0");

    juce::MidiMessageSequence notes, programs;
    juce::StringArray lines;
    lines.addLines (text);

    for (int i = 0; i < lines.size(); ++i)
    {
        const int lineNumber = i + 1;
        const juce::String line = withoutComment (lines[i]).trim();
        if (line.isEmpty())
            continue;

        juce::StringArray fields;
        fields.addTokens (line, " \t", "");
        fields.removeEmptyStrings();

        if (fields.size() >= 2 && fields[1].equalsIgnoreCase ("program"))
        {
            if (fields.size() < 3 || fields.size() > 4)
                return lineError (lineNumber,
                                  "expected START program NUMBER [CHANNEL], got \"" + line + "\"");

            const auto start = parseTime (fields[0], tempo);
            if (!start || *start < 0.0)
                return lineError (lineNumber, "bad start time \"" + fields[0] + "\"");

            const auto program = readExactNumber<int> (fields[2]);
            if (!program || *program < 0 || *program > 127)
                return lineError (lineNumber, "program must be 0..127, got \"" + fields[2] + "\"");

            const auto channel = parseChannel (fields, 3);
            if (!channel)
                return lineError (lineNumber, "channel must be 1..16, got \"" + fields[3] + "\"");

            programs.addEvent (juce::MidiMessage::programChange (*channel, *program), *start);
            continue;
        }

        if (fields.size() < 4 || fields.size() > 5)
            return lineError (lineNumber,
                              "expected START NOTE VELOCITY LENGTH [CHANNEL], got \"" + line + "\"");

        const auto start = parseTime (fields[0], tempo);
        if (!start || *start < 0.0)
            return lineError (lineNumber, "bad start time \"" + fields[0] + "\"");

        const int note = parseNote (fields[1]);
        if (note < 0)
            return lineError (lineNumber, "bad note \"" + fields[1] + "\"");

        const auto velocity = readExactNumber<int> (fields[2]);
        if (!velocity || *velocity < 1 || *velocity > 127)
            return lineError (lineNumber, "velocity must be 1..127, got \"" + fields[2] + "\"");

        const auto length = parseTime (fields[3], tempo);
        if (!length || *length <= 0.0)
            return lineError (lineNumber, "bad length \"" + fields[3] + "\"");

        const auto channel = parseChannel (fields, 4);
        if (!channel)
            return lineError (lineNumber, "channel must be 1..16, got \"" + fields[4] + "\"");

        notes.addEvent (juce::MidiMessage::noteOn (*channel, note, (juce::uint8) *velocity), *start);
        notes.addEvent (juce::MidiMessage::noteOff (*channel, note), *start + *length);
    }

    // A preset chosen at a note's start is in place for that note: the sort keeps equal times in order.
    programs.addSequence (notes, 0.0);
    sequence.addSequence (programs, 0.0);
    sequence.updateMatchedPairs();
    return juce::Result::ok();
}

juce::Result NoteListReader::read (const juce::File& file, double tempo, juce::MidiMessageSequence& sequence)
{
    if (!file.exists())
        return juce::Result::fail ("no such file: " + file.getFullPathName());

    juce::String text;
    if (!HostFileReader::readText (file, text, maxBytes))
        return juce::Result::fail ("cannot read " + file.getFullPathName() +
                                   ": not a regular file of at most " +
                                   juce::String (maxBytes / (1024 * 1024)) + " MB of UTF-8 text");

    const juce::Result result = parse (text, tempo, sequence);
    return result.wasOk() ? result
                          : juce::Result::fail (file.getFileName() + ", " + result.getErrorMessage());
}
