#include "engine/KelvanorMidiQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct Delivered
{
    int sample;
    int note;

    bool operator== (const Delivered&) const = default;
};

void PrintTo (const Delivered& d, std::ostream* os)
{
    *os << "note " << d.note << " @" << d.sample;
}

/** Runs one block of the queue and lists what it delivered, in order. */
std::vector<Delivered> runBlock (KelvanorMidiQueue& queue, const juce::MidiBuffer& incoming, int length)
{
    std::vector<Delivered> delivered;
    queue.merge (incoming);

    juce::MidiMessageMetadata event;
    for (int sample = 0; sample < length; ++sample)
        while (queue.nextEventAt (sample, event))
            delivered.push_back ({sample, event.data[1]});

    queue.roll (length);
    return delivered;
}

juce::MidiBuffer notesAt (std::initializer_list<std::pair<int, int>> positionsAndNotes)
{
    juce::MidiBuffer buffer;
    for (const auto& [position, note] : positionsAndNotes)
        buffer.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), position);
    return buffer;
}
} // namespace

TEST (KelvanorMidiQueue, DeliversEachEventAtItsSample)
{
    KelvanorMidiQueue queue;
    const auto delivered = runBlock (queue, notesAt ({{0, 1}, {7, 2}, {7, 3}, {63, 4}}), 64);

    EXPECT_EQ (delivered, (std::vector<Delivered>{{0, 1}, {7, 2}, {7, 3}, {63, 4}}));
}

TEST (KelvanorMidiQueue, CarriesEventsAtAndBeyondTheEndByTheBlockLength)
{
    KelvanorMidiQueue queue;

    EXPECT_EQ (runBlock (queue, notesAt ({{63, 1}, {64, 2}, {130, 3}, {200, 4}}), 64),
               (std::vector<Delivered>{{63, 1}}));
    EXPECT_EQ (runBlock (queue, {}, 64), (std::vector<Delivered>{{0, 2}}));
    EXPECT_EQ (runBlock (queue, {}, 64), (std::vector<Delivered>{{2, 3}}));
    EXPECT_EQ (runBlock (queue, {}, 64), (std::vector<Delivered>{{8, 4}}));
    EXPECT_EQ (queue.getNumEvents(), 0);
}

TEST (KelvanorMidiQueue, MergesCarriedAndNewEventsInOrderCarriedFirst)
{
    KelvanorMidiQueue queue;
    runBlock (queue, notesAt ({{10 + 32, 1}, {20 + 32, 2}}), 32);

    EXPECT_EQ (runBlock (queue, notesAt ({{5, 3}, {10, 4}, {25, 5}}), 32),
               (std::vector<Delivered>{{5, 3}, {10, 1}, {10, 4}, {20, 2}, {25, 5}}));
}

TEST (KelvanorMidiQueue, SkipsNegativePositionsAndDropsWhatWasNotDelivered)
{
    KelvanorMidiQueue queue;
    auto incoming = notesAt ({{-5, 1}, {3, 2}, {40, 3}});

    // Nobody asks for samples 3 and 40: the event at 3 is dropped at the roll, the one at 40 carried.
    queue.merge (incoming);
    queue.roll (16);

    EXPECT_EQ (runBlock (queue, {}, 32), (std::vector<Delivered>{{24, 3}}));
}

TEST (KelvanorMidiQueue, TakesHundredsOfEventsAndSurvivesClear)
{
    KelvanorMidiQueue queue;
    juce::MidiBuffer incoming;
    for (int i = 0; i < 1000; ++i)
        incoming.addEvent (juce::MidiMessage::noteOn (1, i % 128, (juce::uint8) 1), i % 300);

    const auto delivered = runBlock (queue, incoming, 256);
    EXPECT_EQ (delivered.size(), 1000u - 3u * 44u); // positions 256..299 wait for the next block
    EXPECT_EQ (queue.getNumEvents(), 3 * 44);

    queue.clear();
    EXPECT_TRUE (runBlock (queue, {}, 256).empty());
}
