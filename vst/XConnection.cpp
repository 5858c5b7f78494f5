// The X headers and JUCE's X window system are needed here, and only here.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "vst/XConnection.h"

#include <juce_gui_basics/juce_gui_basics.h>

void XConnection::sync()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    if (display == nullptr)
        return;

    const juce::XWindowSystemUtilities::ScopedXLock xLock;
    juce::X11Symbols::getInstance()->xSync (display, False);
}
