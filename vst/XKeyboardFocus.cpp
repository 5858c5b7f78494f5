// The X headers and JUCE's X window system are needed here, and only here.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "vst/XKeyboardFocus.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
::Window asWindow (void* window)
{
    return (::Window) reinterpret_cast<juce::pointer_sized_uint> (window);
}

/** Keeps an X error of the requests made under it (a host window gone between two of them) from reaching
    Xlib's default handler, which would end the host's process. Every other error, on another connection
    or of a request of ours sent before, goes on to the handler that was there: it may be a fault the host
    has to hear of. Held with the X lock. */
class ScopedErrorTrap
{
public:
    explicit ScopedErrorTrap (::Display* d)
    {
        trappedDisplay = d;
        firstTrappedRequest = NextRequest (d);
        failed = false;
        previous = juce::X11Symbols::getInstance()->xSetErrorHandler (handle);
    }

    ~ScopedErrorTrap()
    {
        // Every reply and error of the requests made under the trap arrives before it is lifted.
        juce::X11Symbols::getInstance()->xSync (trappedDisplay, False);
        juce::X11Symbols::getInstance()->xSetErrorHandler (previous);
        trappedDisplay = nullptr;
    }

    static bool hasFailed() noexcept { return failed; }

private:
    static int handle (::Display* d, XErrorEvent* event)
    {
        if (d == trappedDisplay && event->serial >= firstTrappedRequest)
        {
            failed = true;
            return 0;
        }
        return previous != nullptr ? previous (d, event) : 0;
    }

    static inline ::Display* trappedDisplay = nullptr;
    static inline unsigned long firstTrappedRequest = 0; // the serial number of the first request trapped
    static inline XErrorHandler previous = nullptr;
    static inline bool failed = false;
};
} // namespace

bool XKeyboardFocus::isOn (void* window)
{
    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    if (display == nullptr || window == nullptr)
        return false;

    const juce::XWindowSystemUtilities::ScopedXLock xLock;
    ::Window focus = 0;
    int revertTo = 0;
    juce::X11Symbols::getInstance()->xGetInputFocus (display, &focus, &revertTo);
    return focus == asWindow (window);
}

bool XKeyboardFocus::giveTo (void* window)
{
    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    const auto target = asWindow (window);
    if (display == nullptr || target == 0)
        return false;

    const juce::XWindowSystemUtilities::ScopedXLock xLock;
    auto* x11 = juce::X11Symbols::getInstance();
    const ScopedErrorTrap trap (display);

    // A window that is not viewable (the host closing it, or never mapped) would answer BadMatch.
    XWindowAttributes attributes{};
    if (x11->xGetWindowAttributes (display, target, &attributes) == 0 || attributes.map_state != IsViewable)
        return false;

    x11->xSetInputFocus (display, target, RevertToParent, CurrentTime);
    x11->xSync (display, False);
    return !ScopedErrorTrap::hasFailed();
}
