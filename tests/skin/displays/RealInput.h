#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Input as the X server delivers it to a window on the desktop: through the XTest extension when
    libXtst can be loaded, else posted to the window's peer as its event loop would. Keys are named by
    the character they type or by a KeyPress constant, never by a platform key code. */
class RealInput
{
public:
    explicit RealInput (juce::Component& window);
    ~RealInput();

    bool usesXTest() const noexcept;

    /** Presses and releases the key that types the character (digits and plain letters). */
    void typeCharacter (char character);
    /** Presses and releases Return or Escape. */
    void typeKey (int keyPressCode);
    /** A left click at a point of the screen. */
    void clickAt (juce::Point<int> screenPosition);

    /** Whether the window is mapped and viewable, so it can take the keyboard focus. */
    static bool isViewable (juce::Component& window);

private:
    struct XTest;
    void fakeKey (unsigned long keySymbol, const juce::KeyPress& fallback);

    juce::ComponentPeer* peer;
    std::unique_ptr<XTest> xtest;
};
