#include "engine/KelvanorMidiQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
using Delivered = std::pair<int, int>; // sample, note

/** Runs one block of the queue and lists what it delivered, in order. */
std::vector<Delivered> runBlock (KelvanorMidiQueue& queue, std::initializer_list<Delivered> incoming,
                                 int length)
{
    juce::MidiBuffer buffer;
    for (const auto& [position, note] : incoming)
        buffer.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), position);
    queue.merge (buffer);

    std::vector<Delivered> delivered;
    juce::MidiMessageMetadata event;
    for (int sample = 0; sample < length; ++sample)
        while (queue.nextEventAt (sample, event))
            delivered.push_back ({sample, event.data[1]});

    queue.roll (length);
    return delivered;
}

using List = std::vector<Delivered>;

// Events at and beyond the block end wait, moved back by each block length; carried events come before new
// ones at the same sample.
TEST (KelvanorMidiQueue, CarriesEventsAtAndBeyondTheEndByTheBlockLength)
{
    KelvanorMidiQueue queue;
    EXPECT_EQ (runBlock (queue, {{0, 1}, {7, 2}, {7, 3}, {63, 4}, {64, 5}, {130, 6}, {200, 7}}, 64),
               (List{{0, 1}, {7, 2}, {7, 3}, {63, 4}}));
    EXPECT_EQ (runBlock (queue, {{0, 8}, {2, 9}}, 64), (List{{0, 5}, {0, 8}, {2, 9}}));
    EXPECT_EQ (runBlock (queue, {{1, 10}, {2, 11}}, 64), (List{{1, 10}, {2, 6}, {2, 11}}));
    EXPECT_EQ (runBlock (queue, {}, 64), (List{{8, 7}}));
    EXPECT_EQ (queue.getNumEvents(), 0);
}

TEST (KelvanorMidiQueue, SkipsNegativePositionsDropsWhatWasNotDeliveredAndClears)
{
    KelvanorMidiQueue queue;
    juce::MidiBuffer incoming;
    for (const auto& [position, note] : {Delivered{-5, 1}, {3, 2}, {40, 3}})
        incoming.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), position);

    // Nobody asks for samples 3 and 40: the event at 3 is dropped at the roll, the one at 40 carried.
    queue.merge (incoming);
    queue.roll (16);
    EXPECT_EQ (runBlock (queue, {}, 32), (List{{24, 3}}));

    runBlock (queue, {{40, 4}}, 16);
    queue.clear();
    EXPECT_TRUE (runBlock (queue, {}, 64).empty());
}

} // namespace
