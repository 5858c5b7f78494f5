#pragma once

/** The plug-in's own X connection, the one JUCE opened for the editor's windows.

    Xlib sends requests when its buffer fills or someone waits for an answer, and the errors of a request
    come in with the connection's next read. A host may destroy its window, and with it every window
    embedded into it, as soon as effEditClose returns: whatever of ours about them is still in the buffer
    or on its way then fails, and Xlib's default error handler ends the host's process. Message thread, or
    with the message manager locked. */
class XConnection
{
public:
    /** Sends every buffered request and waits until the server has handled them all; their errors have
        reached the process's X error handler when it returns. Does nothing without a display, and never
        opens one. */
    static void sync();
};
