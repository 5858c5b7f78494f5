#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Every allocation of this test program passes through here; only the ones made while a block is being
// processed on a thread that asked for counting are counted.
namespace
{
thread_local bool countingAllocations = false;
std::atomic<int> allocationsWhileCounting{0};

void* allocate (std::size_t size)
{
    if (countingAllocations)
        allocationsWhileCounting.fetch_add (1, std::memory_order_relaxed);

    if (void* p = std::malloc (size == 0 ? 1 : size))
        return p;

    throw std::bad_alloc();
}
} // namespace

void* operator new (std::size_t size)
{
    return allocate (size);
}

void* operator new[] (std::size_t size)
{
    return allocate (size);
}

void operator delete (void* p) noexcept
{
    std::free (p);
}

void operator delete[] (void* p) noexcept
{
    std::free (p);
}

void operator delete (void* p, std::size_t) noexcept
{
    std::free (p);
}

void operator delete[] (void* p, std::size_t) noexcept
{
    std::free (p);
}

namespace
{
constexpr int blockSize = 256;

/** Drives the processor block by block the way the host wrapper does, with the block's events prepared
    before the block and allocations counted only inside processBlock. */
class RealtimeDriver
{
public:
    explicit RealtimeDriver (KelvanorHarness& h)
        : harness (h)
    {
        buffer.setSize (2, blockSize);
        midi.ensureSize (64 * 1024);
    }

    /** Returns the number of note-ons the processor sent during the block. */
    int process (const std::vector<juce::MidiMessage>& events = {}, bool count = true)
    {
        midi.clear();
        for (size_t i = 0; i < events.size(); ++i)
            midi.addEvent (events[i], (int) (i * 17) % blockSize);

        buffer.clear();
        countingAllocations = count;
        harness.processor->processBlock (buffer, midi);
        countingAllocations = false;

        harness.playHead.advance (blockSize, harness.sampleRate);

        int noteOns = 0;
        for (const auto event : midi)
            noteOns += event.getMessage().isNoteOn() ? 1 : 0;
        return noteOns;
    }

    KelvanorHarness& harness;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer midi;
};

void setParameter (Kelvanor& processor, int id, float normalised)
{
    processor.getParameterManager().getParameter (id)->setValueNormalised (normalised, true);
}
} // namespace

TEST (KelvanorRealtime, AllocationsAreSeenWhileCounting)
{
    allocationsWhileCounting = 0;
    countingAllocations = true;
    auto probe = std::make_unique<juce::String> ("an allocation the counter must see");
    countingAllocations = false;
    EXPECT_GE (allocationsWhileCounting.load(), 1);
}

TEST (KelvanorRealtime, SequencerAndArpeggiatorPlayWithoutAllocating)
{
    KelvanorHarness harness (44100.0, blockSize);
    setParameter (*harness.processor, Kelvanor::arpeModeId, 0.5f); // up
    harness.playHead.playing = true;
    pumpMessages();

    RealtimeDriver driver (harness);
    for (int i = 0; i < 200; ++i) // the first steps may grow nothing, but give every path one pass
        driver.process ({}, false);

    allocationsWhileCounting = 0;
    int noteOns = 0;
    for (int i = 0; i < 700; ++i) // about four seconds: several bars of the first pattern
        noteOns += driver.process();

    EXPECT_GT (noteOns, 8) << "the sequencer should be playing";
    EXPECT_EQ (allocationsWhileCounting.load(), 0);
}

TEST (KelvanorRealtime, HostNotesControllersResetsAndProgramChangesDoNotAllocate)
{
    KelvanorHarness harness (48000.0, blockSize, false);
    auto& manager = harness.processor->getParameterManager();
    harness.processor->getMidiControl().assign (74, manager.getParameter (Kelvanor::cutoffId), false);
    harness.processor->getMidiControl().assign (71, manager.getParameter (Kelvanor::resonanceId), false);
    RealtimeDriver driver (harness);
    driver.process ({}, false);

    const std::vector<std::vector<juce::MidiMessage>> phrase{
        {juce::MidiMessage::noteOn (1, 36, (juce::uint8) 100)},
        {juce::MidiMessage::noteOn (1, 43, (juce::uint8) 30), juce::MidiMessage::noteOff (1, 36)},
        {juce::MidiMessage::noteOff (1, 43), juce::MidiMessage::noteOff (1, 90)},
        {juce::MidiMessage::programChange (1, 3), juce::MidiMessage::noteOn (1, 48, (juce::uint8) 127)},
        {juce::MidiMessage::allNotesOff (1)},
        {juce::MidiMessage::noteOn (2, 24, (juce::uint8) 64),
         juce::MidiMessage::noteOn (2, 25, (juce::uint8) 64),
         juce::MidiMessage::noteOn (2, 26, (juce::uint8) 64), juce::MidiMessage::noteOff (2, 25)},
        {},
    };

    allocationsWhileCounting = 0;
    int noteOns = 0;
    for (int round = 0; round < 20; ++round)
        for (const auto& events : phrase)
            noteOns += driver.process (events);

    EXPECT_EQ (noteOns, 20 * 6);
    EXPECT_EQ (allocationsWhileCounting.load(), 0);
}
