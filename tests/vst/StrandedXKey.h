#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Sends a key press for the character to the window's peer on JUCE's own X connection, then waits for
    the server's answer to a request: Xlib reads the key into its queue while it waits, so the socket
    JUCE's loop waits on no longer shows it. A loop that only watches the socket never hands it to the
    window. Message thread; the window is on the desktop. */
void sendKeyReadDuringARoundTrip (juce::Component& window, char character);
