#include "tools/HostEditor.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
::Display* asDisplay (void* d)
{
    return static_cast<::Display*> (d);
}

/** The X errors of the whole process: the handler runs on whichever thread reads the failing connection
    (a plug-in's own message thread among them). */
struct XErrorRecord
{
    struct Entry
    {
        int errorCode, majorCode, minorCode;
        unsigned long resource;
        juce::String text; // the error's and the request's names
    };

    static constexpr size_t maxEntries = 4096; // beyond that only counted

    std::atomic<int> count{0};
    std::mutex lock; // guards entries
    std::vector<Entry> entries;
};

XErrorRecord& xErrors()
{
    static XErrorRecord record;
    return record;
}

// Counts, and returns: the host lives on, as a host with a forgiving handler does.
int countXError (::Display* d, XErrorEvent* event)
{
    auto& record = xErrors();
    ++record.count;

    const std::lock_guard<std::mutex> sl (record.lock);
    if (record.entries.size() >= XErrorRecord::maxEntries)
        return 0;

    // No request may be made here; these read Xlib's own tables.
    char text[160] = {};
    XGetErrorText (d, event->error_code, text, (int) sizeof (text));
    char request[80] = {};
    const auto major = std::to_string (event->request_code);
    XGetErrorDatabaseText (d, "XRequest", major.c_str(), "", request, (int) sizeof (request));
    record.entries.push_back (
        {event->error_code, event->request_code, event->minor_code, event->resourceid,
         juce::String (text) + " on request " + major + "." + juce::String (event->minor_code) +
             (request[0] != 0 ? " (" + juce::String (request) + ")" : juce::String (" (an extension's)"))});
    return 0;
}

/** Polls the condition until it holds, for at most the time a loaded machine's window manager may take to
    act on a request. */
bool waitForServer (const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds (30);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for (std::chrono::milliseconds (2));
    }
    return true;
}
} // namespace

//==============================================================================
ScopedXErrorCounter::ScopedXErrorCounter()
    : previousHandler (reinterpret_cast<void*> (XSetErrorHandler (countXError)))
{
    auto& record = xErrors();
    const std::lock_guard<std::mutex> sl (record.lock);
    countAtStart = record.count.load();
    firstEntry = record.entries.size();
}

ScopedXErrorCounter::~ScopedXErrorCounter()
{
    XSetErrorHandler (reinterpret_cast<XErrorHandler> (previousHandler));
}

int ScopedXErrorCounter::getCount() const
{
    return xErrors().count.load() - countAtStart;
}

juce::String ScopedXErrorCounter::describe() const
{
    auto& record = xErrors();
    const std::lock_guard<std::mutex> sl (record.lock);

    // Grouped by error and request, in the order each kind first came.
    std::vector<std::pair<const XErrorRecord::Entry*, int>> kinds;
    for (size_t i = firstEntry; i < record.entries.size(); ++i)
    {
        const auto& entry = record.entries[i];
        auto same = std::find_if (kinds.begin(), kinds.end(),
                                  [&entry] (const auto& kind)
                                  {
                                      return kind.first->errorCode == entry.errorCode &&
                                             kind.first->majorCode == entry.majorCode &&
                                             kind.first->minorCode == entry.minorCode;
                                  });
        if (same != kinds.end())
            ++same->second;
        else
            kinds.emplace_back (&entry, 1);
    }

    juce::StringArray lines;
    for (const auto& [entry, times] : kinds)
        lines.add (entry->text + ", " + juce::String (times) + " times, first for resource 0x" +
                   juce::String::toHexString ((juce::int64) entry->resource));
    return lines.joinIntoString ("\n");
}

//==============================================================================
HostEditorWindow::HostEditorWindow (int width, int height)
{
    auto* d = XOpenDisplay (nullptr);
    if (d == nullptr)
    {
        error = "cannot open the X display (is DISPLAY set?)";
        return;
    }
    display = d;

    // A plug-in's faulty request must not take the host with it through Xlib's default handler; the
    // errors are counted, for the tests to see.
    XSetErrorHandler (countXError);

    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    hasXTest = XTestQueryExtension (d, &eventBase, &errorBase, &major, &minor) != 0;

    XSetWindowAttributes attributes{};
    attributes.background_pixel = backgroundArgb & 0xFFFFFF;
    attributes.event_mask = FocusChangeMask;
    window = XCreateWindow (d, DefaultRootWindow (d), 0, 0, (unsigned) juce::jmax (1, width),
                            (unsigned) juce::jmax (1, height), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWEventMask, &attributes);
    XStoreName (d, window, "kelvanor_host editor");
    XMapWindow (d, window);
    XSync (d, False);

    // A window manager maps the window itself, in its own time, after framing it.
    if (!waitForServer ([this] { return isViewable(); }))
    {
        error = "the window was never shown";
        XDestroyWindow (d, window);
        window = 0;
        return;
    }

    // The window a user opens an editor from holds the keyboard: a window manager gives it the focus,
    // and a bare X server would otherwise leave keys to whichever window lies under the pointer.
    takeKeyboardFocus();
}

HostEditorWindow::~HostEditorWindow()
{
    if (display == nullptr)
        return;
    if (window != 0)
        XDestroyWindow (asDisplay (display), window);
    XCloseDisplay (asDisplay (display));
}

void HostEditorWindow::setSize (int width, int height)
{
    if (!isValid())
        return;
    width = juce::jmax (1, width);
    height = juce::jmax (1, height);
    auto* d = asDisplay (display);
    XResizeWindow (d, window, (unsigned) width, (unsigned) height);
    if (innerWindow != 0)
        XResizeWindow (d, innerWindow, (unsigned) width, (unsigned) height);
    XSync (d, False);

    // Under a window manager the request only asks it to resize the window.
    waitForServer (
        [&]
        {
            XWindowAttributes attributes{};
            return XGetWindowAttributes (d, window, &attributes) != 0 && attributes.width == width &&
                   attributes.height == height;
        });
}

void HostEditorWindow::makeInnerWindow()
{
    if (!isValid())
        return;
    destroyInnerWindow();
    auto* d = asDisplay (display);
    XWindowAttributes attributes{};
    XGetWindowAttributes (d, window, &attributes);
    innerWindow =
        XCreateSimpleWindow (d, window, 0, 0, (unsigned) juce::jmax (1, attributes.width),
                             (unsigned) juce::jmax (1, attributes.height), 0, 0, backgroundArgb & 0xFFFFFF);
    XMapWindow (d, innerWindow);
    XSync (d, False);
}

void HostEditorWindow::destroyInnerWindow()
{
    if (innerWindow == 0)
        return;
    auto* d = asDisplay (display);
    XDestroyWindow (d, innerWindow);
    XSync (d, False);
    innerWindow = 0;
}

int HostEditorWindow::getNumEmbeddedWindows() const
{
    if (!isValid())
        return 0;
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int numChildren = 0;
    if (XQueryTree (asDisplay (display),
                    (::Window) reinterpret_cast<juce::pointer_sized_uint> (getEditorParent()), &root, &parent,
                    &children, &numChildren) == 0)
        return 0;
    if (children != nullptr)
        XFree (children);
    return (int) numChildren;
}

juce::Rectangle<int> HostEditorWindow::getEmbeddedWindowBounds() const
{
    if (!isValid())
        return {};
    auto* d = asDisplay (display);
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int numChildren = 0;
    if (XQueryTree (d, (::Window) reinterpret_cast<juce::pointer_sized_uint> (getEditorParent()), &root,
                    &parent, &children, &numChildren) == 0)
        return {};
    XWindowAttributes attributes{};
    const bool found = numChildren > 0 && XGetWindowAttributes (d, children[0], &attributes) != 0;
    if (children != nullptr)
        XFree (children);
    return found ? juce::Rectangle<int> (attributes.x, attributes.y, attributes.width, attributes.height)
                 : juce::Rectangle<int>();
}

bool HostEditorWindow::isViewable() const
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes (asDisplay (display), window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

juce::Image HostEditorWindow::capture() const
{
    if (!isValid())
        return {};

    auto* d = asDisplay (display);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes (d, window, &attributes) == 0 || attributes.width < 1 || attributes.height < 1)
        return {};

    // Read from the root window, where the plug-in's child window shows as the user sees it, whatever
    // visual it was made with.
    int rootX = 0, rootY = 0;
    ::Window child = 0;
    XTranslateCoordinates (d, window, DefaultRootWindow (d), 0, 0, &rootX, &rootY, &child);
    XImage* xImage = XGetImage (d, DefaultRootWindow (d), rootX, rootY, (unsigned) attributes.width,
                                (unsigned) attributes.height, AllPlanes, ZPixmap);
    if (xImage == nullptr)
        return {};

    juce::Image image (juce::Image::ARGB, attributes.width, attributes.height, false);
    const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::writeOnly);
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
        {
            const unsigned long p = XGetPixel (xImage, x, y);
            pixels.setPixelColour (x, y, juce::Colour ((juce::uint32) (0xFF000000u | (p & 0xFFFFFFu))));
        }
    XDestroyImage (xImage);
    return image;
}

void HostEditorWindow::moveTo (juce::Point<int> position)
{
    auto* d = asDisplay (display);
    int rootX = 0, rootY = 0;
    ::Window child = 0;
    XTranslateCoordinates (d, window, DefaultRootWindow (d), position.x, position.y, &rootX, &rootY, &child);
    XTestFakeMotionEvent (d, DefaultScreen (d), rootX, rootY, CurrentTime);
}

void HostEditorWindow::flush()
{
    XSync (asDisplay (display), False);
}

bool HostEditorWindow::click (juce::Point<int> position)
{
    if (!isValid() || !hasXTest)
        return false;
    auto* d = asDisplay (display);
    moveTo (position);
    XTestFakeButtonEvent (d, 1, True, CurrentTime);
    XTestFakeButtonEvent (d, 1, False, CurrentTime);
    flush();
    return true;
}

bool HostEditorWindow::clickWithControl (juce::Point<int> position)
{
    if (!isValid() || !hasXTest)
        return false;
    auto* d = asDisplay (display);
    const KeyCode control = XKeysymToKeycode (d, XK_Control_L);
    if (control == 0)
        return false;
    // The button events carry the modifier state the server has when they arrive: the key is down first.
    XTestFakeKeyEvent (d, control, True, CurrentTime);
    const bool clicked = click (position);
    XTestFakeKeyEvent (d, control, False, CurrentTime);
    flush();
    return clicked;
}

bool HostEditorWindow::drag (juce::Point<int> from, juce::Point<int> to, int steps)
{
    if (!isValid() || !hasXTest)
        return false;
    auto* d = asDisplay (display);
    moveTo (from);
    XTestFakeButtonEvent (d, 1, True, CurrentTime);
    flush();
    steps = juce::jmax (1, steps);
    for (int i = 1; i <= steps; ++i)
    {
        moveTo (from + (to - from) * i / steps);
        flush();
        std::this_thread::sleep_for (std::chrono::milliseconds (10));
    }
    XTestFakeButtonEvent (d, 1, False, CurrentTime);
    flush();
    return true;
}

bool HostEditorWindow::movePointer (juce::Point<int> position)
{
    if (!isValid() || !hasXTest)
        return false;
    moveTo (position);
    flush();
    return true;
}

bool HostEditorWindow::movePointerAway()
{
    if (!isValid() || !hasXTest)
        return false;
    auto* d = asDisplay (display);
    XWindowAttributes attributes{};
    XGetWindowAttributes (d, DefaultRootWindow (d), &attributes);
    XTestFakeMotionEvent (d, DefaultScreen (d), attributes.width - 1, attributes.height - 1, CurrentTime);
    flush();
    return true;
}

void HostEditorWindow::takeKeyboardFocus()
{
    if (!isValid())
        return;
    auto* d = asDisplay (display);
    XSetInputFocus (d, window, RevertToParent, CurrentTime);
    XSync (d, False);
}

bool HostEditorWindow::holdsKeyboardFocus() const
{
    if (!isValid())
        return false;
    ::Window focus = 0;
    int revertTo = 0;
    XGetInputFocus (asDisplay (display), &focus, &revertTo);
    return focus == window;
}

int HostEditorWindow::getFocusLossCount()
{
    readEvents();
    return focusLosses;
}

void HostEditorWindow::readEvents()
{
    if (!isValid())
        return;
    auto* d = asDisplay (display);
    while (XPending (d) > 0)
    {
        XEvent event;
        XNextEvent (d, &event);
        // A keyboard grab moves the focus only for as long as it lasts.
        if (event.type == FocusOut && event.xfocus.window == window && event.xfocus.mode == NotifyNormal)
            ++focusLosses;
    }
}

bool HostEditorWindow::fakeKey (unsigned long keySymbol)
{
    auto* d = asDisplay (display);
    const KeyCode code = XKeysymToKeycode (d, (KeySym) keySymbol);
    if (code == 0)
        return false;

    // The symbol in the second column of the key's row is the shifted one (upper case, punctuation).
    const bool shifted = XkbKeycodeToKeysym (d, code, 0, 0) != (KeySym) keySymbol &&
                         XkbKeycodeToKeysym (d, code, 0, 1) == (KeySym) keySymbol;
    const KeyCode shift = XKeysymToKeycode (d, XK_Shift_L);
    if (shifted && shift == 0)
        return false;

    if (shifted)
        XTestFakeKeyEvent (d, shift, True, CurrentTime);
    XTestFakeKeyEvent (d, code, True, CurrentTime);
    XTestFakeKeyEvent (d, code, False, CurrentTime);
    if (shifted)
        XTestFakeKeyEvent (d, shift, False, CurrentTime);
    flush();
    return true;
}

bool HostEditorWindow::typeText (const juce::String& text)
{
    if (!isValid() || !hasXTest)
        return false;
    for (const auto character : text)
    {
        // Latin-1 key symbols are the characters' own codes.
        if (character >= 0x20 && character <= 0xFF)
            fakeKey ((unsigned long) character);
    }
    return true;
}

bool HostEditorWindow::pressKey (unsigned long keySymbol)
{
    return isValid() && hasXTest && fakeKey (keySymbol);
}

//==============================================================================
HostEditorSession::HostEditorSession (HostedPlugin& p, HostEditorWindow& w)
    : plugin (p)
    , window (w)
{
}

HostEditorSession::~HostEditorSession()
{
    if (opened)
        close();
}

juce::Rectangle<int> HostEditorSession::getEditorRect()
{
    ERect* rect = nullptr;
    if (plugin.dispatch (effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr)
        return {};
    return {rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top};
}

bool HostEditorSession::open()
{
    if (!window.isValid())
        return false;
    if (const auto rect = getEditorRect(); !rect.isEmpty())
        window.setSize (rect.getWidth(), rect.getHeight());
    opened = plugin.dispatch (effEditOpen, 0, 0, window.getEditorParent()) != 0;
    return opened;
}

void HostEditorSession::close()
{
    plugin.dispatch (effEditClose);
    opened = false;
}

void HostEditorSession::setRendersAudio (bool shouldRender)
{
    rendersAudio = shouldRender;
    renderStartSeconds = juce::Time::getMillisecondCounterHiRes() / 1000.0;
    samplesRendered = 0;
}

void HostEditorSession::renderDueAudio()
{
    if (!rendersAudio || !plugin.isResumed())
        return;
    const double elapsed = juce::Time::getMillisecondCounterHiRes() / 1000.0 - renderStartSeconds;
    const auto due = (juce::int64) (elapsed * plugin.getSampleRate());
    const int block = juce::jmax (1, plugin.getBlockSize());
    // Never more than a second at once: a stalled host catches up by skipping, not by a burst.
    samplesRendered = juce::jmax (samplesRendered, due - (juce::int64) plugin.getSampleRate());
    while (samplesRendered + block <= due)
    {
        plugin.process (block);
        samplesRendered += block;
    }
}

void HostEditorSession::idle (double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double> (seconds);
    do
    {
        renderDueAudio();
        plugin.dispatch (effEditIdle);
        std::this_thread::sleep_for (std::chrono::milliseconds (10));
    } while (std::chrono::steady_clock::now() < end);
}

bool HostEditorSession::idleUntil (const std::function<bool()>& condition, double timeoutSeconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double> (timeoutSeconds);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        idle (0.0);
    }
    return true;
}

double HostEditorSession::waitForFirstPaint (double timeoutSeconds)
{
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::duration<double> (timeoutSeconds);
    while (std::chrono::steady_clock::now() < end)
    {
        plugin.dispatch (effEditIdle);
        const auto image = window.capture();
        if (image.isValid() && image.getPixelAt (image.getWidth() / 2, image.getHeight() / 2).getARGB() !=
                                   HostEditorWindow::backgroundArgb)
            return std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start)
                .count();
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
    return -1.0;
}
