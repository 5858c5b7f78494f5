#pragma once

#include <juce_core/juce_core.h>

#include <functional>

/** A private X server for tests that need real windows, started on first use and stopped at exit.

    It sets DISPLAY for this process, so it must be asked for before any component goes onto the desktop;
    a JUCE that looked for a display earlier in the process connects to it instead. The server starts
    with no window manager and without the window-manager atoms, as a bare X server a plug-in may meet in
    a host; with KELVANOR_TEST_WINDOW_MANAGER=openbox in the environment a click-to-focus window manager
    (openbox, as users have) runs on it too, started after the server and stopped before it; start() returns
    once it handles requests, so a window mapped from then on is shown. The test lists run the end-to-end
    tests both ways.
*/
class XvfbDisplay
{
public:
    /** Starts the server once per process; false when Xvfb is not installed or did not start. */
    static bool start();

    /** The display name (":N") of the running server, empty when none runs. */
    static juce::String getName();

    /** True when a window manager runs on the server (it has answered a request). */
    static bool hasWindowManager();

    /** How long a test waits for what an X server does for it: generous, since a loaded machine may take
        seconds, and a wait that succeeds returns at once. */
    static constexpr int deadlineMs = 30000;

    /** Runs this process's message loop until the condition holds, timers included, as runMessageLoopUntil()
        does, and hands JUCE every X event its connection has already read, which JUCE's loop alone would
        leave waiting for the next one. False when the condition still does not hold after the timeout. Use
        it in tests whose JUCE windows are on the server. Message thread. */
    static bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMs = deadlineMs);
};

/** Skips the current test when no private X server (with the window manager asked for) can be started. */
#define KELVANOR_REQUIRE_XVFB()                                                                              \
    if (!XvfbDisplay::start())                                                                               \
    GTEST_SKIP() << "Xvfb (or the window manager asked for) is not available"
