#include "tools/StandardMidiFile.h"

#include "tools/HostFileReader.h"

juce::Result StandardMidiFile::read (const juce::File& file, juce::MidiMessageSequence& sequence)
{
    juce::MemoryBlock bytes;
    if (!HostFileReader::readBytes (file, bytes, maxBytes))
        return juce::Result::fail ("cannot read " + file.getFullPathName() +
                                   ": not a regular file of at most " +
                                   juce::String (maxBytes / (1024 * 1024)) + " MB");

    juce::MemoryInputStream stream (bytes, false);
    juce::MidiFile midiFile;
    if (!midiFile.readFrom (stream))
        return juce::Result::fail (file.getFullPathName() + " is not a standard MIDI file");

    midiFile.convertTimestampTicksToSeconds();

    juce::MidiMessageSequence merged;
    for (int track = 0; track < midiFile.getNumTracks(); ++track)
    {
        const juce::MidiMessageSequence& events = *midiFile.getTrack (track);
        for (int i = 0; i < events.getNumEvents(); ++i)
        {
            const juce::MidiMessage& message = events.getEventPointer (i)->message;
            if (!message.isMetaEvent())
                merged.addEvent (message);
        }
    }

    sequence.addSequence (merged, 0.0);
    sequence.updateMatchedPairs();
    return juce::Result::ok();
}
