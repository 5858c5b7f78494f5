#pragma once

#include "tools/HostedPlugin.h"

#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <memory>

/** Counts the X errors raised on every X connection of this process (the host's own and those a plug-in
    opens itself) while it lives, and keeps the process alive through them, where Xlib's default handler
    would end it. X has one error handler per process: the one installed before comes back when this goes.
    Errors arrive when their connection next reads from the server, so a count is complete only once
    every connection has made a round trip. */
class ScopedXErrorCounter
{
public:
    ScopedXErrorCounter();
    ~ScopedXErrorCounter();

    ScopedXErrorCounter (const ScopedXErrorCounter&) = delete;
    ScopedXErrorCounter& operator= (const ScopedXErrorCounter&) = delete;

    /** Errors counted since this was made. */
    int getCount() const;

    /** The errors counted since this was made, one line per kind: the error, the failed request, how often
        and the resource it first named; empty when there was none. */
    juce::String describe() const;

private:
    void* previousHandler = nullptr;
    int countAtStart = 0;
    size_t firstEntry = 0;
};

/** A top-level X window of the host's own, on a connection of its own to the X server (DISPLAY), the way
    a host makes one for a plug-in's editor: the plug-in embeds its editor into it through effEditOpen.
    It can read back what is shown in it and send the pointer events of a user through the XTest
    extension. Used from one thread. Its constructor installs the process's X error handler that
    ScopedXErrorCounter uses: X errors are counted from then on instead of ending the process. */
class HostEditorWindow
{
public:
    /** What the window shows where the plug-in has drawn nothing. */
    static constexpr juce::uint32 backgroundArgb = 0xFFFF00FF;

    /** Opens the display and maps a window of that size, and returns once it is shown (a window manager
        frames and maps it in its own time); isValid() tells whether it worked. */
    HostEditorWindow (int width, int height);
    ~HostEditorWindow();

    HostEditorWindow (const HostEditorWindow&) = delete;
    HostEditorWindow& operator= (const HostEditorWindow&) = delete;

    bool isValid() const noexcept { return window != 0; }
    /** Why the window could not be made; empty when it was. */
    const juce::String& getError() const noexcept { return error; }

    /** The window id as effEditOpen takes it. */
    void* getHandle() const noexcept { return reinterpret_cast<void*> (window); }

    /** Makes a window of the host's inside this one, filling it, as a host that embeds each editor into a
        widget of its own window does: effEditOpen gets that one while it exists. The host destroys it with
        destroyInnerWindow() (a host does right after effEditClose), or with this window. */
    void makeInnerWindow();
    void destroyInnerWindow();

    /** The window an editor opened now is embedded into: the inner window while there is one, else this. */
    void* getEditorParent() const noexcept
    {
        return reinterpret_cast<void*> (innerWindow != 0 ? innerWindow : window);
    }

    /** How many windows the server has inside getEditorParent(): the plug-in's editor window while it is
        embedded there. */
    int getNumEmbeddedWindows() const;
    /** Where the first window embedded into getEditorParent() lies in it, at the size the server has
        given it; empty when there is none. */
    juce::Rectangle<int> getEmbeddedWindowBounds() const;

    /** Resizes the window and returns once it has the size (a window manager may take a moment). */
    void setSize (int width, int height);

    /** The window's content with the windows embedded into it, as the user sees it. Null when it cannot
        be read. */
    juce::Image capture() const;

    /** True when XTest is there to send pointer events. */
    bool canSendInput() const noexcept { return hasXTest; }

    /** A left click at a point of the window: move, press, release. False without XTest. */
    bool click (juce::Point<int> position);
    /** The same click with the left Control key held down around it, as a user Ctrl-clicks. False without
        XTest or without a Control key in the keyboard map. */
    bool clickWithControl (juce::Point<int> position);
    /** Press at one point, move in steps to another, release. False without XTest. */
    bool drag (juce::Point<int> from, juce::Point<int> to, int steps = 8);

    /** Moves the pointer to a point of the window, no button pressed. False without XTest. */
    bool movePointer (juce::Point<int> position);
    /** Moves the pointer off the window (to the screen's far corner), as a user who reaches for the keyboard
        may. False without XTest. */
    bool movePointerAway();

    /** Gives the window the X input focus, as a window manager does to the window a user works in. The
        constructor does it once. */
    void takeKeyboardFocus();
    /** True when the X input focus is on this window itself, not on a window embedded into it: keys
        then reach the host, not a plug-in. */
    bool holdsKeyboardFocus() const;
    /** How often the X input focus has left this window since it was made (to a window embedded into it
        or elsewhere), as the server reported it: a click into a plug-in's editor takes it. */
    int getFocusLossCount();

    /** Types the text through XTest key events, wherever the X server sends keys (the input focus): each
        character's key, with Shift when the key needs it. Characters no key of the keyboard map types
        are skipped. False without XTest. */
    bool typeText (const juce::String& text);
    /** Presses and releases one key given by its X key symbol (XK_Return, XK_Escape, ...). False without
        XTest or when no key has that symbol. */
    bool pressKey (unsigned long keySymbol);

private:
    bool isViewable() const;
    void moveTo (juce::Point<int> position);
    void flush();
    bool fakeKey (unsigned long keySymbol);
    void readEvents();

    void* display = nullptr;
    unsigned long window = 0;
    unsigned long innerWindow = 0;
    bool hasXTest = false;
    int focusLosses = 0;
    juce::String error;
};

/** Drives the editor of a hosted plug-in in a HostEditorWindow: open, size, idle, close, as a host's GUI
    thread does. */
class HostEditorSession
{
public:
    HostEditorSession (HostedPlugin& plugin, HostEditorWindow& window);
    /** Closes the editor when it is still open. */
    ~HostEditorSession();

    /** The editor's rectangle from effEditGetRect; empty when the plug-in gives none. */
    juce::Rectangle<int> getEditorRect();

    /** effEditOpen with the window's getEditorParent(); the window takes the editor's size first. False
        when the plug-in declines. */
    bool open();
    void close();
    bool isOpen() const noexcept { return opened; }

    /** effEditIdle about every 10 ms for that long; while audio is on, the blocks that fall due in that
        time are rendered between the idle calls, as a host's audio thread would. */
    void idle (double seconds);

    /** How long idleUntil() waits by default: generous, since a loaded machine may take seconds to
        deliver and draw, and a wait that succeeds returns at once. */
    static constexpr double defaultTimeoutSeconds = 30.0;

    /** Idles as idle() does until the condition holds; false when it still does not after the time-out.
        The condition runs on this thread between idle calls. */
    bool idleUntil (const std::function<bool()>& condition, double timeoutSeconds = defaultTimeoutSeconds);

    /** Renders audio in real time during idle(), in blocks of the plug-in's block size, with whatever
        transport the plug-in's Transport gives (the plug-in must be resumed). Output is dropped. */
    void setRendersAudio (bool shouldRender);

    /** Idles until the editor has drawn into the window (its centre no longer shows the window's own
        background) and answers the milliseconds that took; -1 when it did not within the time-out. */
    double waitForFirstPaint (double timeoutSeconds);

private:
    void renderDueAudio();

    HostedPlugin& plugin;
    HostEditorWindow& window;
    bool opened = false;
    bool rendersAudio = false;
    double renderStartSeconds = 0.0; // Time::getMillisecondCounterHiRes / 1000 when rendering began
    juce::int64 samplesRendered = 0;
};
