#pragma once

/** The window-manager atoms that the plug-in's X windows name.

    On a bare X server (a display where no window manager has run yet) these atoms do not exist. JUCE
    looks them up only if they exist, when it opens the display; a window it makes afterwards then sends
    requests that name no atom, X answers BadAtom, and Xlib's default error handler ends the host's whole
    process. A plug-in cannot rely on the host to have installed a forgiving handler, so it makes sure the
    atoms exist before it puts a window on the screen. */
class XWindowManagerAtoms
{
public:
    /** Creates whichever of the atoms are missing on the plug-in's X display and has JUCE look them up
        again. False when there is no X display (nothing is shown then); true when every atom exists.
        Message thread, or with the message manager locked. */
    static bool ensureExist();
};
