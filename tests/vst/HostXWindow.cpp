#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "HostXWindow.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
::Display* asDisplay (void* display)
{
    return static_cast<::Display*> (display);
}
} // namespace

HostXWindow::HostXWindow()
{
    // JUCE's window system loads libX11 when it starts; starting it first also means JUCE has looked the
    // window-manager atoms up before anything could create them, as in a host on a bare server.
    if (juce::XWindowSystem::getInstance()->getDisplay() == nullptr)
        return;

    auto* x11 = juce::X11Symbols::getInstance();
    auto* d = x11->xOpenDisplay (nullptr);
    if (d == nullptr)
        return;

    display = d;
    window = x11->xCreateWindow (d, x11->xDefaultRootWindow (d), 0, 0, 400, 300, 0, CopyFromParent,
                                 InputOutput, nullptr, 0, nullptr);
    x11->xMapWindow (d, window);
    x11->xSync (d, False);
}

HostXWindow::~HostXWindow()
{
    if (display == nullptr)
        return;

    auto* x11 = juce::X11Symbols::getInstance();
    if (window != 0)
        x11->xDestroyWindow (asDisplay (display), window);
    x11->xCloseDisplay (asDisplay (display));
}

bool HostXWindow::atomExists (const char* name) const
{
    return display != nullptr &&
           juce::X11Symbols::getInstance()->xInternAtom (asDisplay (display), name, True) != None;
}

int HostXWindow::getNumChildWindows() const
{
    if (display == nullptr)
        return 0;

    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int numChildren = 0;
    auto* x11 = juce::X11Symbols::getInstance();
    if (x11->xQueryTree (asDisplay (display), window, &root, &parent, &children, &numChildren) == 0)
        return 0;
    if (children != nullptr)
        x11->xFree (children);
    return (int) numChildren;
}

void sendRefusedRequestOnJuceConnection()
{
    if (auto* display = juce::XWindowSystem::getInstance()->getDisplay())
    {
        // A window just destroyed: the server gives no id out again while its connection lasts.
        auto* x11 = juce::X11Symbols::getInstance();
        const auto gone = x11->xCreateWindow (display, x11->xDefaultRootWindow (display), 0, 0, 1, 1, 0,
                                              CopyFromParent, InputOutput, nullptr, 0, nullptr);
        x11->xDestroyWindow (display, gone);
        x11->xMapWindow (display, gone);
    }
}
