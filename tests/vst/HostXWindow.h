#pragma once

/** A top-level X window as a host makes one for a plug-in's editor: on a connection of its own, not
    through JUCE's windows. Needs DISPLAY to name a running server. */
class HostXWindow
{
public:
    HostXWindow();
    ~HostXWindow();

    bool isValid() const noexcept { return window != 0; }

    /** The window id as the host passes it to effEditOpen. */
    void* getHandle() const noexcept { return reinterpret_cast<void*> (window); }

    /** Asks the server without creating the atom. */
    bool atomExists (const char* name) const;

    /** The windows the server has inside this one (a plug-in's editor window embedded into it). */
    int getNumChildWindows() const;

private:
    void* display = nullptr;
    unsigned long window = 0;
};

/** Asks the server, on JUCE's own X connection, to map a window that does not exist, and returns without
    waiting: the error comes in with whatever round trip that connection makes next. Message thread. */
void sendRefusedRequestOnJuceConnection();
