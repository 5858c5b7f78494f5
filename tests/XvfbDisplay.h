#pragma once

#include <juce_core/juce_core.h>

/** A private X server for tests that need real windows, started on first use and stopped at exit.

    It sets DISPLAY for this process, so it must be asked for before JUCE first opens the display
    (before any component goes onto the desktop). The server starts with no window manager and
    without the window-manager atoms, as a bare X server a plug-in may meet in a host.
*/
class XvfbDisplay
{
public:
    /** Starts the server once per process; false when Xvfb is not installed or did not start. */
    static bool start();

    /** The display name (":N") of the running server, empty when none runs. */
    static juce::String getName();
};

/** Skips the current test when no private X server can be started. */
#define KELVANOR_REQUIRE_XVFB()                                                                              \
    if (!XvfbDisplay::start())                                                                               \
    GTEST_SKIP() << "Xvfb is not available"
