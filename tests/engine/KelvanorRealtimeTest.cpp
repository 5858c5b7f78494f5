#include "HeapCallCounting.h"
#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <thread>

// Every heap call of this process passes through here: operator new ends in malloc, and JUCE's own
// containers and its message queue call malloc and realloc directly. Only the calls made on a thread that
// asked for counting are counted; the memory itself comes from the C library's allocator.
extern "C"
{
    void* __libc_malloc (std::size_t size);
    void* __libc_calloc (std::size_t count, std::size_t size);
    void* __libc_realloc (void* p, std::size_t size);
    void __libc_free (void* p);
}

thread_local bool countingAllocations = false;
std::atomic<int> allocationsWhileCounting{0};

// The thread sanitizer has to see every heap call itself, and its start-up calls malloc before a
// replacement could run: under it nothing is counted (its run leaves out the counter's self-check).
#if !defined(__SANITIZE_THREAD__)
namespace
{
void countHeapCall()
{
    if (countingAllocations)
        allocationsWhileCounting.fetch_add (1, std::memory_order_relaxed);
}
} // namespace

extern "C"
{
    void* malloc (std::size_t size) noexcept
    {
        countHeapCall();
        return __libc_malloc (size);
    }

    void* calloc (std::size_t count, std::size_t size) noexcept
    {
        countHeapCall();
        return __libc_calloc (count, size);
    }

    void* realloc (void* p, std::size_t size) noexcept
    {
        countHeapCall();
        return __libc_realloc (p, size);
    }

    void free (void* p) noexcept
    {
        // Freeing is counted as well: it takes the allocator's locks just the same.
        if (p != nullptr)
            countHeapCall();
        __libc_free (p);
    }
}
#endif

namespace
{
constexpr int blockSize = 256;

/** Notices that reach the message thread while audio runs: parameters' asynchronous listeners, the MIDI
    control map's listeners and the sequencer clock's listeners. Message thread. */
struct NoticeCounter : public Parameter::Listener, public MidiControl::Listener, public Clock::Listener
{
    void parameterChanged (Parameter*) override { ++parameterNotices; }
    void midiControlMapChanged (MidiControl*) override { ++mapNotices; }
    void midiLearnStateChanged (MidiControl*) override { ++learnNotices; }
    void parameterMovedByMidi (MidiControl*) override { ++movedNotices; }
    void clockStarted() override { ++clockNotices; }
    void clockStateChanged (Clock&) override { ++clockNotices; }

    std::atomic<int> parameterNotices{0}, mapNotices{0}, learnNotices{0}, movedNotices{0}, clockNotices{0};
};

/** One way of playing: how the processor is set up, what each block brings, and which notices prove that
    the audio thread raised them (checked after the run, once the message loop has delivered them). */
struct Scenario
{
    const char* name;
    bool sequencerOn;
    std::function<void (KelvanorHarness&, NoticeCounter&)> setUp;
    std::function<std::vector<juce::MidiMessage> (int block, KelvanorHarness&)> eventsOfBlock;
    std::function<void (const NoticeCounter&, int noteOns)> check;
};

/** The host as it runs with its message thread: blocks come on an audio thread of their own, a little
    faster than real time, while this (the message) thread runs the message loop and its timers. Only the
    counted blocks' allocations count. Returns the note-ons the processor sent during them. */
int playWithMessageLoopRunning (KelvanorHarness& harness, const Scenario& scenario, int warmUpBlocks,
                                int countedBlocks)
{
    std::atomic<bool> finished{false};
    std::atomic<int> noteOns{0};

    std::thread audio (
        [&]
        {
            juce::AudioBuffer<float> buffer (2, blockSize);
            juce::MidiBuffer midi;
            midi.ensureSize (64 * 1024);

            for (int block = 0; block < warmUpBlocks + countedBlocks; ++block)
            {
                const auto events = scenario.eventsOfBlock (block, harness);
                midi.clear();
                for (size_t i = 0; i < events.size(); ++i)
                    midi.addEvent (events[i], (int) (i * 17) % blockSize);

                countingAllocations = block >= warmUpBlocks;
                harness.processor->processBlock (buffer, midi);
                countingAllocations = false;

                harness.playHead.advance (blockSize, harness.sampleRate);

                if (block >= warmUpBlocks)
                    for (const auto event : midi)
                        noteOns += event.getMessage().isNoteOn() ? 1 : 0;

                // Room for the message thread to empty its queue between blocks, as in a host.
                std::this_thread::sleep_for (std::chrono::microseconds (500));
            }

            finished = true;
        });

    runMessageLoopUntil ([&] { return finished.load(); }, 60000);
    audio.join();

    // What the last blocks raised.
    runMessageLoopUntil ([] { return false; }, 4 * RealtimeNotifier::pollIntervalMs);
    return noteOns.load();
}

void PrintTo (const Scenario& scenario, std::ostream* os)
{
    *os << scenario.name;
}

std::vector<juce::MidiMessage> none (int, KelvanorHarness&)
{
    return {};
}

void watchParameter (KelvanorHarness& h, NoticeCounter& counter, int id)
{
    h.processor->getParameterManager().addAsyncListener (id, &counter);
}

void mapController (KelvanorHarness& h, int controller, int parameterId)
{
    auto& manager = h.processor->getParameterManager();
    h.processor->getMidiControl().assign (controller, manager.getParameter (parameterId), false);
}

const Scenario scenarios[] = {
    {"sequencer playing with the host", true,
     [] (KelvanorHarness& h, NoticeCounter& c)
     {
         h.playHead.playing = true;
         h.processor->getSequencerClock().addListener (&c);
     },
     none,
     [] (const NoticeCounter& c, int noteOns)
     {
         EXPECT_GT (noteOns, 8);
         EXPECT_GT (c.clockNotices.load(), 2);
     }},

    {"arpeggiator over held notes", false,
     [] (KelvanorHarness& h, NoticeCounter&)
     {
         h.set (Kelvanor::arpeModeId, 0.5f); // up
         h.playHead.playing = true;
     },
     [] (int block, KelvanorHarness&) -> std::vector<juce::MidiMessage>
     {
         if (block % 200 == 0)
             return {noteOn (36), noteOn (40), noteOn (43)};
         if (block % 200 == 150)
             return {noteOff (36), noteOff (40), noteOff (43)};
         return {};
     },
     [] (const NoticeCounter&, int noteOns) { EXPECT_GT (noteOns, 20); }},

    {"host transport starting and stopping the sequencer", true,
     [] (KelvanorHarness& h, NoticeCounter& c)
     {
         h.processor->getSequencerClock().addListener (&c);
         watchParameter (h, c, IntSeqPlugin::playStateId);
     },
     [] (int block, KelvanorHarness& h) -> std::vector<juce::MidiMessage>
     {
         h.playHead.playing = (block / 60) % 2 == 0;
         return {};
     },
     [] (const NoticeCounter& c, int noteOns)
     {
         EXPECT_GT (noteOns, 8);
         EXPECT_GT (c.clockNotices.load(), 2);
         EXPECT_GT (c.parameterNotices.load(), 2) << "the play state follows every start and stop";
     }},

    {"host mode keys choosing patterns", true,
     [] (KelvanorHarness& h, NoticeCounter& c)
     {
         h.processor->setHostMode (true);
         h.playHead.playing = true;
         h.processor->getSequencerClock().addListener (&c);
         watchParameter (h, c, IntSeqPlugin::playStateId);
     },
     [] (int block, KelvanorHarness&) -> std::vector<juce::MidiMessage>
     {
         const int key = 12 + (block / 100) % 4;
         if (block % 100 == 0)
             return {noteOn (key)};
         if (block % 100 == 90)
             return {noteOff (key)};
         return {};
     },
     [] (const NoticeCounter& c, int noteOns)
     {
         EXPECT_GT (noteOns, 8);
         EXPECT_GT (c.clockNotices.load(), 2);
     }},

    {"controllers moving parameters", false,
     [] (KelvanorHarness& h, NoticeCounter& c)
     {
         mapController (h, 74, Kelvanor::cutoffId);
         mapController (h, 71, Kelvanor::resonanceId);
         watchParameter (h, c, Kelvanor::cutoffId);
         h.processor->getMidiControl().addListener (&c);
     },
     [] (int block, KelvanorHarness&) -> std::vector<juce::MidiMessage>
     {
         return {juce::MidiMessage::controllerEvent (1, 74, block % 128),
                 juce::MidiMessage::controllerEvent (2, 71, 127 - block % 128),
                 block % 50 == 0 ? noteOn (36) : noteOff (36)};
     },
     [] (const NoticeCounter& c, int)
     {
         EXPECT_GT (c.parameterNotices.load(), 2);
         EXPECT_GT (c.movedNotices.load(), 2);
     }},

    {"MIDI learn pairing controllers", false,
     [] (KelvanorHarness& h, NoticeCounter& c)
     {
         auto& control = h.processor->getMidiControl();
         control.addListener (&c);
         control.setLearnMode (true);
         control.setLearnParameter (h.processor->getParameterManager().getParameter (Kelvanor::envModId));
     },
     [] (int block, KelvanorHarness&) -> std::vector<juce::MidiMessage>
     {
         // The first controller completes the pair; the others are learn steps on free controllers.
         return {juce::MidiMessage::controllerEvent (1, 20 + block % 10, block % 128)};
     },
     [] (const NoticeCounter& c, int)
     {
         EXPECT_GT (c.learnNotices.load(), 2);
         EXPECT_GT (c.movedNotices.load(), 0);
     }},

    {"program changes under a held note", false,
     [] (KelvanorHarness& h, NoticeCounter& c) { watchParameter (h, c, Kelvanor::cutoffId); },
     [] (int block, KelvanorHarness&) -> std::vector<juce::MidiMessage>
     {
         std::vector<juce::MidiMessage> events;
         if (block % 100 == 0)
             events.push_back (noteOn (36));
         if (block % 7 == 0)
             events.push_back (juce::MidiMessage::programChange (1, (block / 7) % 40));
         return events;
     },
     [] (const NoticeCounter& c, int) { EXPECT_GT (c.parameterNotices.load(), 2); }},
};

void removeCounter (KelvanorHarness& h, NoticeCounter& c)
{
    h.processor->getMidiControl().removeListener (&c);
    h.processor->getSequencerClock().removeListener (&c);
    h.processor->getParameterManager().removeAsyncListenerFromAll (&c);
}

class KelvanorRealtimeWithMessageLoop : public ::testing::TestWithParam<Scenario>
{
};
} // namespace

TEST (KelvanorRealtime, EveryKindOfHeapCallIsSeenWhileCounting)
{
    const std::pair<const char*, std::function<void()>> probes[] = {
        {"operator new",
         [] { auto probe = std::make_unique<juce::String> ("a string the counter must see"); }},
        {"JUCE heap block", [] { juce::HeapBlock<char> block (100); }},
        {"JUCE array growth",
         []
         {
             juce::Array<int> array;
             for (int i = 0; i < 100; ++i)
                 array.add (i);
         }},
    };

    for (const auto& [name, probe] : probes)
    {
        allocationsWhileCounting = 0;
        countingAllocations = true;
        probe();
        countingAllocations = false;
        EXPECT_GE (allocationsWhileCounting.load(), 1) << name;
    }
}

TEST_P (KelvanorRealtimeWithMessageLoop, AudioThreadNeverAllocatesAndItsNoticesArrive)
{
    const auto& scenario = GetParam();
    KelvanorHarness harness (44100.0, blockSize, scenario.sequencerOn);
    NoticeCounter counter;
    scenario.setUp (harness, counter);
    pumpMessages();

    allocationsWhileCounting = 0;
    const int noteOns = playWithMessageLoopRunning (harness, scenario, 150, 700);

    EXPECT_EQ (allocationsWhileCounting.load(), 0) << scenario.name;
    scenario.check (counter, noteOns);
    removeCounter (harness, counter);
}

INSTANTIATE_TEST_SUITE_P (
    EveryPathThatNotifies, KelvanorRealtimeWithMessageLoop, ::testing::ValuesIn (scenarios),
    [] (const auto& each)
    {
        juce::String name;
        for (const auto& word : juce::StringArray::fromTokens (each.param.name, false))
            name << word.substring (0, 1).toUpperCase() << word.substring (1);
        return name.retainCharacters ("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")
            .toStdString();
    });
