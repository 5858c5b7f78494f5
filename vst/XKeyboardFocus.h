#pragma once

/** The X input focus between the plug-in's editor window and the host's window it is embedded in.

    A click into a JUCE window takes the X input focus for it, and nothing gives it back: once the user has
    turned a knob, every key typed with the pointer outside the editor still goes to the plug-in, which has
    no use for it, and the host's own shortcuts stop working until the user clicks the host. The editor's
    wrapper hands the focus back through this when no control of its own wants keys.

    Windows are X window ids as void*, as effEditOpen passes them. Message thread. */
class XKeyboardFocus
{
public:
    /** True when the X input focus is on the window itself. False without a display. */
    static bool isOn (void* window);

    /** Gives the X input focus to the window when it is viewable; it reverts to its parent when the
        window goes. False when the focus could not be given (no display, no such window, not viewable). */
    static bool giveTo (void* window);
};
