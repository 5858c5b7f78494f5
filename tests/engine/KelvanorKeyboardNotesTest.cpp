#include "HeapCallCounting.h"
#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

// The on-screen keyboard plays into the processor's keyboard state on the message thread; the audio
// thread takes its notes at the start of the next block.

namespace
{
using Clock = std::chrono::steady_clock;

/** Waits on this thread until the flag is up or ten seconds have passed; true when it came up. */
bool waitFor (const std::atomic<bool>& flag)
{
    const auto deadline = Clock::now() + std::chrono::seconds (10);
    while (!flag.load() && Clock::now() < deadline)
        std::this_thread::yield();
    return flag.load();
}

/** The notes sent, each as its sample counted from start and its description. */
std::string describe (const std::vector<SentMidi>& notes, juce::int64 start = 0)
{
    std::string text;
    for (const auto& m : notes)
        text += std::to_string (m.sample - start) + " " + m.message.getDescription().toStdString() + "; ";
    return text;
}
} // namespace

TEST (KelvanorKeyboardNotes, PlayTheVoiceFromTheFirstSampleOfTheNextBlock)
{
    KelvanorHarness h (44100.0, 256, false);
    auto& state = h.processor->getKeyboardState();
    h.processor->getMidiActivityFlag() = 0;
    const auto start = h.position;

    state.noteOn (1, 45, 100.0f / 127.0f);
    h.processBlock (64);
    state.noteOff (1, 45, 0.0f);
    h.processBlock (64);
    h.processBlock (64);

    EXPECT_EQ (describe (h.sentNotes(), start),
               "0 Note on A1 Velocity 100 Channel 1; 64 Note off A1 Velocity 0 Channel 1; ");
    EXPECT_EQ (h.processor->getMidiActivityFlag().load(), 1) << "heard as incoming MIDI";
    EXPECT_GT (h.peak (start, start + 64), 0.0f);
}

TEST (KelvanorKeyboardNotes, PlayedWhilePausedAreDroppedWhenPlaybackIsPrepared)
{
    KelvanorHarness h (44100.0, 256, false);
    auto& state = h.processor->getKeyboardState();

    state.noteOn (1, 45, 1.0f);
    h.prepare (44100.0, 256);
    h.processBlock (64);
    EXPECT_TRUE (h.sentNotes().empty()) << describe (h.sentNotes());

    state.noteOn (1, 47, 1.0f);
    h.processBlock (64);
    EXPECT_EQ (h.playedNotes(), std::vector<int>{47});
    state.allNotesOff (0);
}

TEST (KelvanorKeyboardNotes, ABlockRunsWhileTheKeyboardStateIsLocked)
{
    KelvanorHarness h (44100.0, 256, false);
    auto& state = h.processor->getKeyboardState();

    // The state calls its listeners under its lock: from inside one, wait for a block on another thread.
    struct WaitingListener : public juce::MidiKeyboardState::Listener
    {
        void handleNoteOn (juce::MidiKeyboardState*, int, int, float) override
        {
            insideLock = true;
            blockEndedWhileLocked = waitFor (*blockEnded);
        }
        void handleNoteOff (juce::MidiKeyboardState*, int, int, float) override {}

        const std::atomic<bool>* blockEnded = nullptr;
        std::atomic<bool> insideLock{false};
        bool blockEndedWhileLocked = false;
    };

    std::atomic<bool> blockEnded{false};
    WaitingListener listener;
    listener.blockEnded = &blockEnded;
    state.addListener (&listener);

    std::thread audio (
        [&]
        {
            waitFor (listener.insideLock);
            h.processBlock (64);
            blockEnded = true;
        });
    state.noteOn (1, 50, 1.0f);
    audio.join();
    state.removeListener (&listener);

    EXPECT_TRUE (listener.blockEndedWhileLocked);
    h.processBlock (64);
    EXPECT_EQ (h.playedNotes(), std::vector<int>{50}) << "taken by the block after";
    state.allNotesOff (0);
}

TEST (KelvanorKeyboardNotes, AudioThreadTakesThemWithoutAllocating)
{
    constexpr int blockSize = 256, warmUpBlocks = 100, countedBlocks = 600;
    KelvanorHarness h (44100.0, blockSize, false);
    auto& state = h.processor->getKeyboardState();

    std::atomic<bool> finished{false};
    std::atomic<int> noteOns{0};
    allocationsWhileCounting = 0;

    std::thread audio (
        [&]
        {
            juce::AudioBuffer<float> buffer (2, blockSize);
            juce::MidiBuffer midi;
            midi.ensureSize (64 * 1024);

            for (int block = 0; block < warmUpBlocks + countedBlocks; ++block)
            {
                midi.clear();
                countingAllocations = block >= warmUpBlocks;
                h.processor->processBlock (buffer, midi);
                countingAllocations = false;

                if (block >= warmUpBlocks)
                    for (const auto event : midi)
                        noteOns += event.getMessage().isNoteOn() ? 1 : 0;
                std::this_thread::sleep_for (std::chrono::microseconds (300));
            }
            finished = true;
        });

    // This thread plays the keyboard as the editor does, a key down and up every half block or so.
    for (int i = 0; !finished.load(); ++i)
    {
        const int note = 36 + i % 24;
        state.noteOn (1, note, 0.8f);
        std::this_thread::sleep_for (std::chrono::microseconds (1500));
        state.noteOff (1, note, 0.0f);
        std::this_thread::sleep_for (std::chrono::microseconds (1500));
    }
    audio.join();

    EXPECT_EQ (allocationsWhileCounting.load(), 0);
    EXPECT_GT (noteOns.load(), 10) << "the keyboard's notes were played";
}
