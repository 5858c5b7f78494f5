// The X headers and JUCE's X window system are needed here, and only here (they clash with gtest's).
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "StrandedXKey.h"

namespace
{
// X's KeyPress, whose macro JUCE's header removes: it would clash with juce::KeyPress.
constexpr int xKeyPressType = 2;
} // namespace

void sendKeyReadDuringARoundTrip (juce::Component& window, char character)
{
    auto* peer = window.getPeer();
    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    if (peer == nullptr || display == nullptr)
        return;

    auto* x11 = juce::X11Symbols::getInstance();
    const auto target = (::Window) peer->getNativeHandle();

    XEvent event{};
    auto& key = event.xkey;
    key.type = xKeyPressType;
    key.display = display;
    key.window = target;
    key.root = x11->xDefaultRootWindow (display);
    key.time = CurrentTime;
    key.same_screen = True;
    // Latin-1 key symbols are the characters' own codes.
    key.keycode = x11->xKeysymToKeycode (display, (KeySym) (unsigned char) character);

    const juce::XWindowSystemUtilities::ScopedXLock xLock;
    // No event mask: the event goes to the window's own client, JUCE.
    x11->xSendEvent (display, target, False, NoEventMask, &event);
    x11->xSync (display, False);
}
