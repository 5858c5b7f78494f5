#include "KelvanorEditorInHostWindow.h"
#include "KelvanorEditorLayout.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace
{
/** The threads a host call can come from during an export in Ardour: the export's own (freewheeling, it
    runs the plug-in's blocks back to back), the thread that holds the editor (Ardour's LXVST GUI thread:
    effEditOpen, effEditIdle; the user's clicks reach the plug-in's X connection meanwhile), the GUI
    thread (programs, parameter displays, state), or a thread the host never made: the plug-in's own. */
enum class Caller
{
    exportThread,
    editorThread,
    guiThread,
    pluginThread
};

const char* nameOf (Caller caller)
{
    switch (caller)
    {
        case Caller::exportThread: return "export thread";
        case Caller::editorThread: return "editor thread";
        case Caller::guiThread: return "GUI thread";
        case Caller::pluginThread: return "plug-in's own thread";
    }
    return "?";
}

/** The host's answers as Debian's Ardour 7.3 gives them (its Session::vst_callback): all on the calling
    thread; audioMasterIdle runs effEditIdle there; automation, edit gestures and display updates ask
    nothing more of the plug-in; the process level is 0 ("not supported") even while exporting, unless a
    test has it say offline as other hosts do. Records which thread made which call, and the values the
    export thread reported for Cutoff. */
class ArdourLikeHost : public HostedPlugin::CallInterceptor
{
public:
    /** The plug-in is the one open in there at the time of a call. */
    explicit ArdourLikeHost (const std::unique_ptr<HostedPlugin>& hostedPlugin)
        : plugin (hostedPlugin)
    {
        exportedCutoff.reserve (1 << 16);
    }

    void setProcessLevel (VstIntPtr level) { processLevel = level; }

    /** Marks the calling thread as the one playing that part, until stopActing. */
    void actAs (Caller caller) { threadOf (caller) = std::this_thread::get_id(); }
    void stopActing (Caller caller) { threadOf (caller) = std::thread::id(); }

    bool intercept (VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float opt,
                    VstIntPtr& answer) override
    {
        const auto caller = callingThread();
        {
            const std::lock_guard<std::mutex> guard (lock);
            ++calls[{opcode, caller}];
            if (opcode == audioMasterAutomate && caller == Caller::exportThread && index == cutoffParameter)
                exportedCutoff.push_back (opt);
        }

        answer = 0;
        switch (opcode)
        {
            case audioMasterIdle:
                if (plugin != nullptr)
                    plugin->dispatch (effEditIdle);
                return true;
            case audioMasterAutomate:
            case audioMasterBeginEdit:
            case audioMasterEndEdit:
            case audioMasterUpdateDisplay: return true;
            case audioMasterSizeWindow: answer = 1; return true;
            case audioMasterGetCurrentProcessLevel: answer = processLevel; return true;
            case audioMasterCanDo:
                answer = ptr != nullptr && (std::strcmp (static_cast<const char*> (ptr), "sizeWindow") == 0 ||
                                            std::strcmp (static_cast<const char*> (ptr), "supplyIdle") == 0);
                return answer != 0;
            default: return false;
        }
    }

    /** How often each call came from each thread. */
    std::map<std::pair<VstInt32, Caller>, int> getCalls() const
    {
        const std::lock_guard<std::mutex> guard (lock);
        return calls;
    }

    std::vector<float> takeExportedCutoff()
    {
        const std::lock_guard<std::mutex> guard (lock);
        return std::exchange (exportedCutoff, {});
    }

private:
    std::atomic<std::thread::id>& threadOf (Caller caller) { return threads[(size_t) caller]; }

    Caller callingThread() const
    {
        const auto self = std::this_thread::get_id();
        for (const auto caller : {Caller::exportThread, Caller::editorThread, Caller::guiThread})
            if (threads[(size_t) caller].load() == self)
                return caller;
        return Caller::pluginThread;
    }

    const std::unique_ptr<HostedPlugin>& plugin;
    std::atomic<VstIntPtr> processLevel{0};
    std::array<std::atomic<std::thread::id>, 3> threads{}; // of the host's own callers

    mutable std::mutex lock; // guards the recordings
    std::map<std::pair<VstInt32, Caller>, int> calls;
    std::vector<float> exportedCutoff;
};

/** Controller 74 going 0 up to 127, down to 0, up again..., one value a block: no two blocks in a row send
    the same value, so each moves Cutoff (no program holds a controller's value). */
constexpr int rampController = 74, rampPeriod = 254, exportBlockSize = 1024;
int rampValue (int block)
{
    const int phase = block % rampPeriod;
    return phase <= 127 ? phase : rampPeriod - phase;
}

bool isControllerValue (float normalised)
{
    return std::abs (normalised * 127.0f - std::round (normalised * 127.0f)) < 1.0e-4f;
}

/** What an export leaves. */
struct ExportResult
{
    int nonFiniteSamples = 0;
    float peak = 0.0f;
    int blocks = 0, lastRoundStart = 0; // the last round: once the user and the GUI thread have finished
};

/** The editor in Ardour's window, Cutoff learned to controller 74, exported while the user works. */
class OfflineExportEndToEnd : public KelvanorEditorInHostWindow
{
protected:
    void editorOpened() override
    {
        plugin->setCallInterceptor (&host);
        host.actAs (Caller::editorThread);
        // Ardour turns a plug-in off and on again around a new block size, and again before an export.
        plugin->setBlockSize (exportBlockSize);
        plugin->resume();

        const auto panel = skinControlNamed ("MainPanel");
        const auto editor = session->getEditorRect();
        ASSERT_FALSE (knob.isEmpty() || learnKey.isEmpty() || panel.isEmpty());
        statusBar = {0, panel.getBottom(), editor.getWidth(), editor.getHeight() - panel.getBottom()};
        ASSERT_TRUE (window->movePointerAway());
        learnKeyOff = captureOf (learnKey);
        statusBarOff = captureOf (statusBar);

        // The knob at the ramp's end, and proof that it shows another value otherwise.
        const auto initial = captureOf (knob);
        plugin->setParameter (cutoffParameter, 0.0f);
        ASSERT_TRUE (waitUntilChanges (knob, initial));
        knobAtZero = settledCaptureOf (knob);
        plugin->setParameter (cutoffParameter, 0.6f);
        ASSERT_TRUE (knobAtZero.isValid() && waitUntilChanges (knob, knobAtZero));
        // A user preset of Ardour's menu: the program as it is now, Cutoff at no controller's value.
        userPreset = chunkAt (*plugin, 1);
        ASSERT_FALSE (userPreset.isEmpty());
    }

    void TearDown() override
    {
        // The interceptor outlives the instance all the same: a call may be under way on the plug-in's
        // thread.
        if (plugin != nullptr)
            plugin->setCallInterceptor (nullptr);
        KelvanorEditorInHostWindow::TearDown();
    }

    /** LEARN, a nudge of CUTOFF, controller 74 from the host, LEARN again: as a user learns a controller. */
    void learnCutoff()
    {
        ASSERT_NO_FATAL_FAILURE (switchLearn (true));
        ASSERT_TRUE (window->drag (knob.getCentre(), knob.getCentre().translated (0, -20)));
        ASSERT_TRUE (idleUntil (
            [&]
            {
                plugin->addMidiEvent (juce::MidiMessage::controllerEvent (1, rampController, 64), 0);
                plugin->process (exportBlockSize);
                const auto state = chunkDocumentAt (0);
                const auto* map = state != nullptr ? state->getChildByName ("MidiControlMap") : nullptr;
                const auto* assign = map != nullptr ? map->getChildByName ("assign") : nullptr;
                return assign != nullptr && assign->getIntAttribute ("CC") == rampController &&
                       assign->getStringAttribute ("param") == "Cutoff";
            }))
            << "controller 74 was not learned to Cutoff";
        ASSERT_NO_FATAL_FAILURE (switchLearn (false));
    }

    /** A click on LEARN, then the wait until the status bar and the key show the mode. */
    void switchLearn (bool on)
    {
        clickOn (learnKey);
        ASSERT_TRUE (window->movePointerAway());
        if (on)
            ASSERT_TRUE (waitUntilChanges (statusBar, statusBarOff)) << "LEARN did not turn on";
        else
            ASSERT_TRUE (
                idleUntil ([&] { return shows (statusBar, statusBarOff) && shows (learnKey, learnKeyOff); }))
                << "LEARN did not turn off";
    }

    /** A click on a control that opens a window over the panel, the wait until it shows, then a click on
        that window's place, the wait until it has gone. */
    void openAndClose (const char* control, juce::Rectangle<int> area, juce::Point<int> closeButton,
                       const std::vector<juce::Point<int>>& clicksInside = {})
    {
        SCOPED_TRACE (control);
        const auto panel = captureOf (area);
        press (control);
        ASSERT_TRUE (waitUntilChanges (area, panel)) << "the window did not open";
        for (const auto& where : clicksInside)
            click (where);
        const auto open = captureOf (area);
        click (closeButton);
        ASSERT_TRUE (waitUntilChanges (area, open)) << "the window did not close";
    }

    /** What a user does in the editor while Ardour exports: LEARN on and off, SELECT right three times and
        left three times, BROWSE with a click on the group "Not used" and one on "_Clean", the browser closed,
        OPTIONS on its "Midi Control" page, closed. */
    void workInTheEditor()
    {
        // The status bar shows the ramp's values now: LEARN's key tells that it turned on, blinking.
        clickOn (learnKey);
        ASSERT_TRUE (waitUntilChanges (learnKey, learnKeyOff)) << "LEARN did not turn on";
        clickOn (learnKey);
        for (const auto* arrow : {"PresetNextButton", "PresetNextButton", "PresetNextButton",
                                  "PresetPrevButton", "PresetPrevButton", "PresetPrevButton"})
            press (arrow);
        const PresetBrowserLayout browser (session->getEditorRect());
        ASSERT_NO_FATAL_FAILURE (openAndClose ("PresetBrowseButton", browser.area(), browser.closeButton(),
                                               {browser.groupRow (3), browser.groupRow (0)}));
        constexpr int optionsWidth = 800, optionsHeight = 600;
        const auto options = originOfWindowOverPanel (session->getEditorRect(), optionsWidth, optionsHeight);
        ASSERT_NO_FATAL_FAILURE (openAndClose ("OptionsButton",
                                               {options.x, options.y, optionsWidth, optionsHeight},
                                               options.translated (optionsWidth - 16, 15)));
    }

    /** Ardour's GUI thread meanwhile: every parameter's value and text, the program and a user preset
        loaded from Ardour's menu, the state. */
    void useTheGuiThread (const std::atomic<bool>& stop)
    {
        host.actAs (Caller::guiThread);
        for (int round = 0; !stop; ++round)
        {
            for (int p = 0; p < plugin->getNumParameters(); ++p)
            {
                plugin->getParameter (p);
                plugin->getParameterDisplay (p);
            }
            plugin->setProgram (0);
            if (round % 4 == 0)
                plugin->dispatch (effSetChunk, 1, (VstIntPtr) userPreset.getSize(), userPreset.getData());
            plugin->getProgramName();
            plugin->getChunk();
            std::this_thread::sleep_for (std::chrono::milliseconds (30));
        }
        host.stopActing (Caller::guiThread);
    }

    /** One export: Ardour turns the plug-in off and on, then its export thread runs blocks as fast as it can
        with the ramp in the MIDI while the user works and the GUI thread is busy, and, once they have
        finished, a last round up and down again, so that the ramp has the last word: 0. */
    ExportResult exportWhileTheUserWorks()
    {
        plugin->dispatch (effMainsChanged, 0, 0);
        plugin->dispatch (effMainsChanged, 0, 1);
        plugin->getTransport().setPlayingAtStart (true);
        plugin->getTransport().rewind();

        ExportResult result;
        std::atomic<bool> userDone{false}, guiDone{false}, exported{false};
        std::thread gui (
            [&]
            {
                useTheGuiThread (userDone);
                guiDone = true;
            });
        std::thread exporter (
            [&]
            {
                host.actAs (Caller::exportThread);
                // From 1: the first block moves Cutoff from wherever the learn or the export before left it.
                result.blocks = 1;
                for (int& block = result.blocks;; ++block)
                {
                    if (result.lastRoundStart == 0 && guiDone && block % rampPeriod == 1)
                        result.lastRoundStart = block;
                    plugin->addMidiEvent (
                        juce::MidiMessage::controllerEvent (1, rampController, rampValue (block)),
                        (block * 97) % exportBlockSize);
                    const auto& audio = plugin->process (exportBlockSize);
                    for (int c = 0; c < audio.getNumChannels(); ++c)
                        for (int i = 0; i < audio.getNumSamples(); ++i)
                        {
                            const float sample = audio.getSample (c, i);
                            result.nonFiniteSamples += std::isfinite (sample) ? 0 : 1;
                            result.peak = std::max (result.peak, std::abs (sample));
                        }
                    if (result.lastRoundStart > 0 && block == result.lastRoundStart + rampPeriod - 1)
                        break;
                }
                host.stopActing (Caller::exportThread);
                exported = true;
            });

        workInTheEditor();
        userDone = true;
        // Slow under a sanitizer on a busy machine: a deadline that only a hang reaches.
        const bool finished = session->idleUntil ([&] { return exported.load(); }, 600.0);
        gui.join();
        exporter.join();
        EXPECT_TRUE (finished);
        return result;
    }

    ArdourLikeHost host{plugin};
    const juce::Rectangle<int> knob = skinControlNamed ("CutoffKnob");
    const juce::Rectangle<int> learnKey = skinControlNamed ("MidiLearnButton");
    juce::Rectangle<int> statusBar;
    juce::Image learnKeyOff, statusBarOff, knobAtZero;
    juce::MemoryBlock userPreset;
};

/** Host calls that Ardour 7.3 cannot take from a thread: what its vst_callback does with them there. */
struct ThreadRule
{
    VstInt32 opcode;
    Caller caller;
    const char* why;
};

constexpr const char* tempoMapOfTheThread = "Ardour reads the time through a tempo map that each of its "
                                            "threads holds for itself";
constexpr const char* editIdleOnTheThread = "Ardour answers with effEditIdle on the calling thread";
constexpr const char* editorWindow = "Ardour sizes the editor's window, which its GUI threads own";
constexpr ThreadRule threadRules[] = {
    {audioMasterGetTime, Caller::pluginThread, tempoMapOfTheThread},
    {audioMasterIdle, Caller::exportThread, editIdleOnTheThread},
    {audioMasterIdle, Caller::pluginThread, editIdleOnTheThread},
    {audioMasterSizeWindow, Caller::exportThread, editorWindow},
    {audioMasterSizeWindow, Caller::pluginThread, editorWindow},
};

juce::String describe (const std::map<std::pair<VstInt32, Caller>, int>& calls)
{
    juce::String text;
    for (const auto& [call, count] : calls)
        text << "  " << call.first << " from the " << nameOf (call.second) << ": " << count << "\n";
    return text;
}
} // namespace

TEST_F (OfflineExportEndToEnd, ExportsAfterALearnWithTheEditorInUseFollowTheRampAndCallTheHostFromItsThreads)
{
    const ScopedXErrorCounter xErrors;
    ASSERT_NO_FATAL_FAILURE (learnCutoff());
    host.takeExportedCutoff();

    // The first export as Ardour 7.3 tells the process level (not at all), the second as offline.
    for (const VstIntPtr level : {VstIntPtr (0), VstIntPtr (kVstProcessLevelOffline)})
    {
        SCOPED_TRACE ("process level " + std::to_string (level));
        host.setProcessLevel (level);
        const auto result = exportWhileTheUserWorks();
        if (HasFatalFailure())
            return;
        EXPECT_EQ (result.nonFiniteSamples, 0);
        EXPECT_GT (result.peak, 0.0f) << "the export is silent";

        // Every block moved Cutoff, and the export thread told the host. While another thread loaded
        // programs, a program's value may stand in for a step: the value told is read after the change, and
        // the other thread may have changed it again in between.
        const auto reported = host.takeExportedCutoff();
        ASSERT_EQ ((int) reported.size(), result.blocks) << "Cutoff did not follow every step of the ramp";
        for (int block = 1; block <= result.blocks; ++block)
        {
            const float told = reported[(size_t) block - 1];
            if (std::abs (told - (float) rampValue (block) / 127.0f) > 1.0e-6f)
            {
                ASSERT_TRUE (block < result.lastRoundStart && !isControllerValue (told))
                    << "block " << block << " sent " << rampValue (block) << ", the host was told "
                    << told * 127.0f << " / 127";
            }
        }

        EXPECT_EQ (plugin->getParameter (cutoffParameter), 0.0f);
        EXPECT_TRUE (waitUntilShows (knob, knobAtZero))
            << "the editor does not show Cutoff at the ramp's end";
    }

    const auto calls = host.getCalls();
    RecordProperty ("hostCalls", describe (calls).toStdString());
    for (const auto& rule : threadRules)
        EXPECT_EQ (calls.count ({rule.opcode, rule.caller}), 0u)
            << "host call " << rule.opcode << " came from the " << nameOf (rule.caller) << ": " << rule.why
            << "\nAll calls:\n"
            << describe (calls);
    EXPECT_EQ (xErrors.getCount(), 0) << xErrors.describe();
}
