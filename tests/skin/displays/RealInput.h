#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** Input as the X server delivers it to a window on the desktop: sent through the XTest extension on a
    connection of its own to the server (never JUCE's, whose reading it would disturb) when libXtst can be
    loaded, else posted to the window's peer as its event loop would. Keys are named by the character they
    type or by a KeyPress constant, never by a platform key code. Each call returns once the server has
    taken the input; JUCE still has to read it (wait with XvfbDisplay::runMessageLoopUntil). */
class RealInput
{
public:
    /** For a window on the desktop (it has a peer). */
    explicit RealInput (juce::Component& window);
    ~RealInput();

    bool usesXTest() const noexcept;

    /** Presses and releases the key that types the character (digits and plain letters). */
    void typeCharacter (char character);
    /** Presses and releases Return or Escape. */
    void typeKey (int keyPressCode);
    /** A left click at a point of the screen. */
    void clickAt (juce::Point<int> screenPosition);

    /** Whether the server shows the window (mapped and viewable), so it can take the keyboard focus. */
    bool isViewable() const;
    /** Whether the X input focus is on the window or on a window inside it, so typed keys reach it. Always
        true when input goes to the peer, which needs no focus. */
    bool holdsKeyboardFocus() const;

private:
    struct Connection;
    void fakeKey (unsigned long keySymbol, const juce::KeyPress& fallback);

    juce::ComponentPeer* peer;
    std::unique_ptr<Connection> connection;
};
