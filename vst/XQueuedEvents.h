#pragma once

/** The X events that Xlib has read from JUCE's connection but JUCE has not handled yet.

    JUCE reads its X connection when the socket shows data. A round trip made anywhere else (JUCE's own
    repaint and focus code makes some, and so does XKeyboardFocus) reads the events that came in meanwhile
    into Xlib's queue, where the socket no longer shows them: a click or a key would then wait there until
    the next X event arrives, which may be never. A loop that waits on the socket hands them over first,
    as every X toolkit's loop asks Xlib before it sleeps. Message thread. */
class XQueuedEvents
{
public:
    /** Sends the requests JUCE has buffered and has JUCE handle every event already read. False when
        there was none, or no X display. Never opens the display. */
    static bool dispatch();
};
