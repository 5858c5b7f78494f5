#include "KelvanorEditorInHostWindow.h"

#include <atomic>
#include <thread>

namespace
{
/** The editor open with MIDI learn on while a thread of the host's restores states and changes programs, as
    a host reloading a project or undoing does. The plug-in's message thread paints all the while. */
class HostThreadsEndToEnd : public KelvanorEditorInHostWindow
{
protected:
    void editorOpened() override
    {
        learnKey = skinControlNamed ("MidiLearnButton");
        const auto panel = skinControlNamed ("MainPanel");
        const auto editor = session->getEditorRect();
        ASSERT_FALSE (learnKey.isEmpty() || panel.isEmpty());
        ASSERT_GT (editor.getHeight(), panel.getBottom()) << "a status bar under the panel";
        statusBar = {0, panel.getBottom(), editor.getWidth(), editor.getHeight() - panel.getBottom()};

        ASSERT_TRUE (window->movePointerAway());
        learnKeyOff = captureOf (learnKey);
        statusBarOff = captureOf (statusBar);
        ASSERT_TRUE (learnKeyOff.isValid() && statusBarOff.isValid());
    }

    void setProgramChunk (juce::MemoryBlock chunk)
    {
        plugin->dispatch (effSetChunk, 1, (VstIntPtr) chunk.getSize(), chunk.getData());
    }

    /** A click on LEARN, then the wait until the status bar tells of learning. */
    void switchLearnOn()
    {
        clickOn (learnKey);
        ASSERT_TRUE (window->movePointerAway());
        ASSERT_TRUE (waitUntilChanges (statusBar, statusBarOff)) << "LEARN did not turn on";
    }

    juce::Rectangle<int> learnKey, statusBar;
    juce::Image learnKeyOff, statusBarOff;
};

TEST_F (HostThreadsEndToEnd, StatesAndProgramsSetOnAHostThreadWhileLearningAreExactAtOnceAndShownAfter)
{
    // Two states, one saved with learn off and one with learn on: restoring either ends learn mode.
    plugin->setParameter (cutoffParameter, 0.2f);
    const auto savedLearningOff = plugin->getChunk();
    switchLearnOn();
    plugin->setParameter (cutoffParameter, 0.8f);
    const auto savedLearningOn = plugin->getChunk();
    const auto savedProgram = chunkAt (*plugin, 1);
    ASSERT_FALSE (savedLearningOff.isEmpty() || savedProgram.isEmpty());
    ASSERT_NE (savedLearningOff, savedLearningOn);

    for (int round = 0; round < 6; ++round)
    {
        if (round > 0)
            switchLearnOn();
        if (HasFatalFailure())
            return;

        // The host calls that change the state, in turns, the last one a restore. The first restore of
        // each round ends learn mode while the message thread paints LEARN blinking.
        std::atomic<bool> done{false};
        int inexact = 0;
        const auto restore = [&] (const juce::MemoryBlock& saved)
        {
            plugin->setChunk (saved);
            inexact += plugin->getChunk() == saved ? 0 : 1;
        };
        std::thread host (
            [&]
            {
                for (int i = 0; i < 16; ++i)
                {
                    plugin->addMidiEvent (juce::MidiMessage::controllerEvent (1, 20, i), 0);
                    plugin->addMidiEvent (juce::MidiMessage::programChange (1, (round + i) % 40), 1);
                    plugin->process (plugin->getBlockSize());
                    restore (i % 2 == 0 ? savedLearningOff : savedLearningOn);
                    plugin->setParameter (cutoffParameter, (float) i / 16.0f);
                    plugin->setProgram (i % 3);
                    setProgramChunk (savedProgram);
                }
                restore (savedLearningOn);
                done = true;
            });
        // Slow under a sanitizer on a busy machine: a deadline that only a hang reaches.
        const bool finished = session->idleUntil ([&] { return done.load(); }, 600.0);
        host.join();
        ASSERT_TRUE (finished);
        EXPECT_EQ (inexact, 0) << "a state read back right after it was set differs from it";
        EXPECT_TRUE (
            idleUntil ([&] { return shows (statusBar, statusBarOff) && shows (learnKey, learnKeyOff); }))
            << "the status bar and LEARN show that the restored state ended learning";
    }
}
} // namespace
