#include "KelvanorEditorInHostWindow.h"

#include <atomic>
#include <thread>

namespace
{
constexpr int cutoffIndex = 2;

/** The editor open with MIDI learn on while a thread of the host's restores states and changes programs, as
    a host reloading a project or undoing does. The plug-in's message thread paints all the while. */
class HostThreadsEndToEnd : public KelvanorEditorInHostWindow
{
protected:
    void SetUp() override
    {
        KelvanorEditorInHostWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;

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

    juce::Image captureOf (juce::Rectangle<int> area) const
    {
        return window->capture().getClippedImage (area);
    }

    bool shows (juce::Rectangle<int> area, const juce::Image& expected) const
    {
        const auto now = captureOf (area);
        if (!now.isValid() || now.getBounds() != expected.getBounds())
            return false;
        for (int y = 0; y < now.getHeight(); ++y)
            for (int x = 0; x < now.getWidth(); ++x)
                if (now.getPixelAt (x, y) != expected.getPixelAt (x, y))
                    return false;
        return true;
    }

    /** A click on LEARN, then the wait until the status bar tells of learning. */
    void switchLearnOn()
    {
        ASSERT_TRUE (window->click (learnKey.getCentre()));
        ASSERT_TRUE (window->movePointerAway());
        ASSERT_TRUE (idleUntil ([&] { return !shows (statusBar, statusBarOff); })) << "LEARN did not turn on";
    }

    juce::Rectangle<int> learnKey, statusBar;
    juce::Image learnKeyOff, statusBarOff;
};

TEST_F (HostThreadsEndToEnd, StatesAndProgramsFromAHostThreadWhileLearningAreExactAtOnceAndShownAfter)
{
    // Two states, one saved with learn off and one with learn on (restoring either ends learn mode), each
    // with a Cutoff far from the one before, so that the knob has a different picture to show.
    const auto cutoffKnob = skinControlNamed ("CutoffKnob");
    ASSERT_FALSE (cutoffKnob.isEmpty());
    const float cutoffLearningOff = plugin->getParameter (cutoffIndex) < 0.5f ? 0.9f : 0.1f;
    const float cutoffLearningOn = 1.0f - cutoffLearningOff;

    const auto knobBefore = captureOf (cutoffKnob);
    plugin->setParameter (cutoffIndex, cutoffLearningOff);
    const auto savedLearningOff = plugin->getChunk();
    ASSERT_TRUE (idleUntil ([&] { return !shows (cutoffKnob, knobBefore); }));
    const auto knobLearningOff = captureOf (cutoffKnob);

    switchLearnOn();
    plugin->setParameter (cutoffIndex, cutoffLearningOn);
    const auto savedLearningOn = plugin->getChunk();
    ASSERT_TRUE (idleUntil ([&] { return !shows (cutoffKnob, knobLearningOff); }));
    const auto knobLearningOn = captureOf (cutoffKnob);
    ASSERT_FALSE (savedLearningOff.isEmpty());
    ASSERT_NE (savedLearningOff, savedLearningOn);

    constexpr int rounds = 6;
    constexpr int restoresPerRound = 16;
    for (int round = 0; round < rounds; ++round)
    {
        if (round > 0)
            switchLearnOn();
        if (HasFatalFailure())
            return;

        // Every host call that changes the state, in a loop, the last one a restore.
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
                for (int i = 0; i < restoresPerRound; ++i)
                {
                    plugin->addMidiEvent (juce::MidiMessage::controllerEvent (1, 20, i), 0);
                    plugin->addMidiEvent (juce::MidiMessage::programChange (1, (round + i) % 40), 1);
                    plugin->process (plugin->getBlockSize());
                    restore (i % 2 == 0 ? savedLearningOff : savedLearningOn);
                    plugin->setParameter (cutoffIndex, (float) i / restoresPerRound);
                    plugin->setProgram (i % 3);
                }
                restore (savedLearningOn);
                done = true;
            });
        const bool finished = idleUntil ([&] { return done.load(); });
        host.join();
        ASSERT_TRUE (finished);
        EXPECT_EQ (inexact, 0) << "a state read back right after it was set differs from it";

        EXPECT_TRUE (idleUntil (
            [&]
            {
                return shows (statusBar, statusBarOff) && shows (learnKey, learnKeyOff) &&
                       shows (cutoffKnob, knobLearningOn);
            }))
            << "the editor shows the restored state: learning ended, on the status bar and LEARN, and its "
               "Cutoff";
    }
}
} // namespace
