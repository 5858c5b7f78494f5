// The X headers and JUCE's X window system are needed here, and only here (they clash with gtest's).
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "RealInput.h"

#include <X11/keysym.h>
#include <dlfcn.h>

struct RealInput::XTest
{
    using FakeKey = int (*) (::Display*, unsigned int, Bool, unsigned long);
    using FakeButton = int (*) (::Display*, unsigned int, Bool, unsigned long);
    using FakeMotion = int (*) (::Display*, int, int, int, unsigned long);

    // Never unloaded: the extension leaves a hook in the display that runs when JUCE closes it.
    XTest()
        : library (::dlopen ("libXtst.so.6", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE))
    {
        if (library == nullptr)
            return;
        key = reinterpret_cast<FakeKey> (::dlsym (library, "XTestFakeKeyEvent"));
        button = reinterpret_cast<FakeButton> (::dlsym (library, "XTestFakeButtonEvent"));
        motion = reinterpret_cast<FakeMotion> (::dlsym (library, "XTestFakeMotionEvent"));
    }

    bool isUsable() const { return key != nullptr && button != nullptr && motion != nullptr; }

    void* library;
    FakeKey key = nullptr;
    FakeButton button = nullptr;
    FakeMotion motion = nullptr;
};

RealInput::RealInput (juce::Component& window)
    : peer (window.getPeer())
    , xtest (std::make_unique<XTest>())
{
}

RealInput::~RealInput() = default;

bool RealInput::usesXTest() const noexcept
{
    return xtest->isUsable();
}

void RealInput::fakeKey (unsigned long keySymbol, const juce::KeyPress& fallback)
{
    if (!usesXTest())
    {
        if (peer != nullptr)
            peer->handleKeyPress (fallback);
        return;
    }

    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    auto* x11 = juce::X11Symbols::getInstance();
    const auto code = x11->xKeysymToKeycode (display, (KeySym) keySymbol);
    xtest->key (display, code, True, 0);
    xtest->key (display, code, False, 0);
    x11->xFlush (display);
}

void RealInput::typeCharacter (char character)
{
    // Latin-1 keysyms are the characters' own codes.
    fakeKey ((unsigned long) (unsigned char) character,
             juce::KeyPress (character, {}, (juce::juce_wchar) character));
}

void RealInput::typeKey (int keyPressCode)
{
    const auto symbol = keyPressCode == juce::KeyPress::returnKey ? XK_Return : XK_Escape;
    fakeKey (symbol, juce::KeyPress (keyPressCode));
}

void RealInput::clickAt (juce::Point<int> screenPosition)
{
    if (!usesXTest())
    {
        if (peer == nullptr)
            return;
        const auto local = peer->globalToLocal (screenPosition.toFloat());
        const auto time = juce::Time::currentTimeMillis();
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, local,
                                juce::ModifierKeys::leftButtonModifier, 1.0f, 0.0f, time);
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, local, {}, 1.0f, 0.0f,
                                time + 1);
        return;
    }

    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    xtest->motion (display, -1, screenPosition.x, screenPosition.y, 0);
    xtest->button (display, 1, True, 0);
    xtest->button (display, 1, False, 0);
    juce::X11Symbols::getInstance()->xFlush (display);
}

bool RealInput::isViewable (juce::Component& window)
{
    XWindowAttributes attributes;
    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    return display != nullptr &&
           juce::X11Symbols::getInstance()->xGetWindowAttributes (
               display, (::Window) window.getWindowHandle(), &attributes) &&
           attributes.map_state == IsViewable;
}
