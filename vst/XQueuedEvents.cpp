// The X headers and JUCE's X window system are needed here, and only here.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "vst/XQueuedEvents.h"

#include <juce_gui_basics/juce_gui_basics.h>

// Not in the events module's header: JUCE's reader of a descriptor, called directly.
#include <juce_events/native/juce_linux_EventLoopInternal.h>

bool XQueuedEvents::dispatch()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    if (display == nullptr)
        return false;

    auto* x11 = juce::X11Symbols::getInstance();
    {
        const juce::XWindowSystemUtilities::ScopedXLock xLock;
        if (x11->xEventsQueued (display, QueuedAfterFlush) == 0)
            return false;
    }

    // JUCE's own reader: it takes the events off Xlib's queue until none is left.
    juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (x11->xConnectionNumber (display));
    return true;
}
