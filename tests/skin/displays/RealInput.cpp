// The X headers and JUCE's X symbols are needed here, and only here (they clash with gtest's).
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "RealInput.h"

#include <X11/keysym.h>
#include <dlfcn.h>

// Input sent on JUCE's own connection would make Xlib read JUCE's incoming events while it flushes: they
// then sit in Xlib's queue where JUCE's event loop, which waits on the socket, does not look. A
// connection of our own keeps JUCE's reading as the server alone drives it.
struct RealInput::Connection
{
    using FakeKey = int (*) (::Display*, unsigned int, Bool, unsigned long);
    using FakeButton = int (*) (::Display*, unsigned int, Bool, unsigned long);
    using FakeMotion = int (*) (::Display*, int, int, int, unsigned long);

    // libXtst is never unloaded: the extension leaves a hook in the display that runs when it closes.
    Connection()
        : x11 (juce::X11Symbols::getInstance())
        , display (x11->xOpenDisplay (nullptr))
        , library (::dlopen ("libXtst.so.6", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE))
    {
        if (library == nullptr)
            return;
        key = reinterpret_cast<FakeKey> (::dlsym (library, "XTestFakeKeyEvent"));
        button = reinterpret_cast<FakeButton> (::dlsym (library, "XTestFakeButtonEvent"));
        motion = reinterpret_cast<FakeMotion> (::dlsym (library, "XTestFakeMotionEvent"));
    }

    ~Connection()
    {
        if (display != nullptr)
            x11->xCloseDisplay (display);
    }

    bool canSendInput() const
    {
        return display != nullptr && key != nullptr && button != nullptr && motion != nullptr;
    }

    /** Returns once the server has handled every request sent so far. */
    void sync() { x11->xSync (display, False); }

    /** Whether the window is the other one or lies inside it. */
    bool isInside (::Window window, ::Window outer) const
    {
        while (window != 0 && window != PointerRoot)
        {
            if (window == outer)
                return true;

            ::Window root = 0, parent = 0, *children = nullptr;
            unsigned int numChildren = 0;
            if (x11->xQueryTree (display, window, &root, &parent, &children, &numChildren) == 0)
                return false;
            if (children != nullptr)
                x11->xFree (children);
            if (window == root)
                return false;
            window = parent;
        }
        return false;
    }

    juce::X11Symbols* x11;
    ::Display* display;
    void* library;
    FakeKey key = nullptr;
    FakeButton button = nullptr;
    FakeMotion motion = nullptr;
};

RealInput::RealInput (juce::Component& window)
    : peer (window.getPeer())
    , connection (std::make_unique<Connection>())
{
    jassert (peer != nullptr);
}

RealInput::~RealInput() = default;

bool RealInput::usesXTest() const noexcept
{
    return connection->canSendInput();
}

void RealInput::fakeKey (unsigned long keySymbol, const juce::KeyPress& fallback)
{
    if (!usesXTest())
    {
        if (peer != nullptr)
            peer->handleKeyPress (fallback);
        return;
    }

    auto& c = *connection;
    const auto code = c.x11->xKeysymToKeycode (c.display, (KeySym) keySymbol);
    c.key (c.display, code, True, 0);
    c.key (c.display, code, False, 0);
    c.sync();
}

void RealInput::typeCharacter (char character)
{
    // Latin-1 keysyms are the characters' own codes.
    fakeKey ((unsigned long) (unsigned char) character,
             juce::KeyPress (character, {}, (juce::juce_wchar) character));
}

void RealInput::typeKey (int keyPressCode)
{
    const auto symbol = keyPressCode == juce::KeyPress::returnKey ? XK_Return : XK_Escape;
    fakeKey (symbol, juce::KeyPress (keyPressCode));
}

void RealInput::clickAt (juce::Point<int> screenPosition)
{
    if (!usesXTest())
    {
        if (peer == nullptr)
            return;
        const auto local = peer->globalToLocal (screenPosition.toFloat());
        const auto time = juce::Time::currentTimeMillis();
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, local,
                                juce::ModifierKeys::leftButtonModifier, 1.0f, 0.0f, time);
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, local, {}, 1.0f, 0.0f,
                                time + 1);
        return;
    }

    auto& c = *connection;
    c.motion (c.display, -1, screenPosition.x, screenPosition.y, 0);
    c.button (c.display, 1, True, 0);
    c.button (c.display, 1, False, 0);
    c.sync();
}

bool RealInput::isViewable() const
{
    if (peer == nullptr || connection->display == nullptr)
        return false;
    XWindowAttributes attributes;
    return connection->x11->xGetWindowAttributes (connection->display, (::Window) peer->getNativeHandle(),
                                                  &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

bool RealInput::holdsKeyboardFocus() const
{
    if (!usesXTest())
        return true;
    if (peer == nullptr)
        return false;

    ::Window focus = 0;
    int revertTo = 0;
    connection->x11->xGetInputFocus (connection->display, &focus, &revertTo);
    return connection->isInside (focus, (::Window) peer->getNativeHandle());
}
