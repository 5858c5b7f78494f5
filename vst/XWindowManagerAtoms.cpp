// The X headers and JUCE's X window system are needed here, and only here.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "vst/XWindowManagerAtoms.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iterator>

namespace
{
// The atoms JUCE uses without checking that they exist: every window gets a WM_PROTOCOLS property
// listing the three protocols, and WM_STATE is read whenever a window's visibility is asked.
constexpr const char* requiredAtomNames[] = {"WM_PROTOCOLS", "WM_TAKE_FOCUS",   "WM_DELETE_WINDOW",
                                             "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE"};

bool allKnown (const juce::XWindowSystemUtilities::Atoms& atoms)
{
    const Atom known[] = {atoms.protocols,
                          atoms.protocolList[juce::XWindowSystemUtilities::Atoms::TAKE_FOCUS],
                          atoms.protocolList[juce::XWindowSystemUtilities::Atoms::DELETE_WINDOW],
                          atoms.protocolList[juce::XWindowSystemUtilities::Atoms::PING],
                          atoms.changeState,
                          atoms.state};
    static_assert (std::size (known) == std::size (requiredAtomNames));

    for (const auto atom : known)
        if (atom == None)
            return false;

    return true;
}
} // namespace

bool XWindowManagerAtoms::ensureExist()
{
    auto* windowSystem = juce::XWindowSystem::getInstance();
    auto* display = windowSystem->getDisplay();

    if (display == nullptr)
        return false;

    if (allKnown (windowSystem->getAtoms()))
        return true;

    const juce::XWindowSystemUtilities::ScopedXLock xLock;
    auto* x11 = juce::X11Symbols::getInstance();

    for (const auto* name : requiredAtomNames)
        x11->xInternAtom (display, name, False); // False: create it when it does not exist

    // JUCE looked them up once, when it opened the display; the window system's own record is the only
    // one it reads, so refreshing it in place reaches every window made from now on.
    auto& atoms = const_cast<juce::XWindowSystemUtilities::Atoms&> (windowSystem->getAtoms());
    atoms = juce::XWindowSystemUtilities::Atoms (display);

    return allKnown (atoms);
}
