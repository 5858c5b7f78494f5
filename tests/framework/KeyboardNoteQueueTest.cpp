#include "framework/KeyboardNoteQueue.h"

#include <gtest/gtest.h>
#include <juce_audio_basics/juce_audio_basics.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
/** The taken events as "position: hex bytes" lines. */
std::vector<std::string> take (KeyboardNoteQueue& queue, int samplePosition)
{
    juce::MidiBuffer buffer;
    queue.takeNotes (buffer, samplePosition);
    std::vector<std::string> lines;
    for (const auto event : buffer)
        lines.push_back (std::to_string (event.samplePosition) + ": " +
                         juce::String::toHexString (event.data, event.numBytes).toStdString());
    return lines;
}
} // namespace

TEST (KeyboardNoteQueue, TakesWhatWasPlayedOnceInOrderAtTheGivenSample)
{
    const struct
    {
        const char* what;
        std::function<void (juce::MidiKeyboardState&)> play;
        std::vector<std::string> taken;
    } cases[] = {
        {"a key pressed and released: the release has velocity 0",
         [] (auto& s)
         {
             s.noteOn (1, 60, 1.0f);
             s.noteOff (1, 60, 0.7f);
         },
         {"17: 90 3c 7f", "17: 80 3c 00"}},
        {"the velocity and channel of each key, in the order played",
         [] (auto& s)
         {
             s.noteOn (16, 127, 0.25f);
             s.noteOn (2, 0, 0.5f);
             s.noteOff (16, 127, 0.0f);
         },
         {"17: 9f 7f 20", "17: 91 00 40", "17: 8f 7f 00"}},
        {"a release of a key that is up plays nothing", [] (auto& s) { s.noteOff (3, 62, 1.0f); }, {}},
        {"all notes off releases each held key",
         [] (auto& s)
         {
             s.noteOn (1, 40, 1.0f);
             s.noteOn (4, 41, 1.0f);
             s.allNotesOff (0);
         },
         {"17: 90 28 7f", "17: 93 29 7f", "17: 80 28 00", "17: 83 29 00"}},
    };
    for (const auto& c : cases)
    {
        juce::MidiKeyboardState state;
        KeyboardNoteQueue queue (state);
        c.play (state);
        EXPECT_EQ (take (queue, 17), c.taken) << c.what;
        EXPECT_TRUE (take (queue, 0).empty()) << c.what << ": taken once";
    }
}

TEST (KeyboardNoteQueue, AFullRingDropsTheNewestNotes)
{
    juce::MidiKeyboardState state;
    KeyboardNoteQueue queue (state);
    for (int i = 0; i < KeyboardNoteQueue::ringSize + 10; ++i)
        state.noteOn (1 + i / 128, i % 128, 1.0f);

    const auto taken = take (queue, 0);
    ASSERT_EQ (taken.size(), (size_t) KeyboardNoteQueue::ringSize - 1);
    EXPECT_EQ (taken.front(), "0: 90 00 7f");
    EXPECT_EQ (taken.back(), "0: 91 7e 7f");
}
