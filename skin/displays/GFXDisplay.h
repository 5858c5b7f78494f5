#pragma once

#include "skin/controller/GUIController.h"
#include "skin/displays/DisplayArithmetic.h"
#include "skin/windows/ModalTextEditor.h"

#include <juce_gui_basics/juce_gui_basics.h>

class GFXDisplay;

/** Hears that the user committed an edit of a text display (message thread). */
class GFXDisplayListener
{
public:
    virtual ~GFXDisplayListener() = default;
    virtual void displayTextEdited (GFXDisplay*) {}
};

/** A text drawn with a bitmap font from a skin image (one column of glyphs, every glyph twice: plain, then
    highlighted for the caret), edited in place with the keyboard after a click. Return, a click elsewhere
    in the window or the loss of the keyboard focus commits the edit: the listeners hear a changed text
    once. Escape brings back the text from the start of the edit and tells nobody.

    The display stays where it is while editing and takes the keyboard focus explicitly (it does not float
    onto the desktop: a Linux host gives such a window no keys). Its caret timer runs only during an edit.
    An edit still running when the display is destroyed or taken out of its window ends silently.

    Message thread only. */
class GFXDisplay : public GUIController, public juce::Component, private juce::Timer
{
public:
    explicit GFXDisplay (const juce::String& name);
    ~GFXDisplay() override;

    /** Links and actions, the element's "name" as text, "caretColour" and "backgroundColour" (hexadecimal
        ARGB, transparent black when absent), "readonly" ("yes" disables input), then its children: "gfx"
        (the font image "resource"; "fontHeight" and "firstASCII" read from "gfx", else from the element
        itself), "pos", "size". */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** The parameter's text. */
    void updateFromParameter (Parameter* source) override;

    void setText (const juce::String& newText);
    const juce::String& getText() const noexcept { return text; }
    /** The text drawn: empty in the on phase of blinking. */
    const juce::String& getDisplayedText() const noexcept { return displayedText; }

    /** Null is ignored, nobody is added twice; called the last added first. */
    void addListener (GFXDisplayListener* listener) { displayListeners.add (listener); }
    void removeListener (GFXDisplayListener* listener) { displayListeners.remove (listener); }
    using GUIController::addListener;
    using GUIController::removeListener;

    void setCentred (bool shouldBeCentred);
    void setShowCaret (bool shouldShowCaret);

    /** Starts an edit as a click does: caret at the end, keyboard focus taken. */
    void beginEditing();
    bool isEditing() const noexcept { return editing; }

    const DisplayArithmetic::BitmapFont& getFont() const noexcept { return font; }
    bool hasFontImage() const noexcept { return fontImage.isValid(); }
    int getCaretPos() const noexcept { return caretPos; }
    int getScrollOffset() const noexcept { return scrollOffset; }
    bool isCaretVisible() const noexcept { return caretVisible; }
    bool isCaretTimerRunning() const noexcept { return isTimerRunning(); }

    /** One tick of the caret timer: the caret's phase flips while an edit runs. Tests call it directly. */
    void caretTick();

    void paint (juce::Graphics& g) override;
    void mouseDown (const juce::MouseEvent& e) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void focusGained (FocusChangeType cause) override;
    void focusLost (FocusChangeType cause) override;
    void parentHierarchyChanged() override;
    void blinkStateChanged() override;

    /** A click elsewhere in the window commits, as Return does. */
    OutsideClickWatcher& getOutsideClickWatcher() noexcept { return outsideClicks; }

    static constexpr int caretPeriodMs = 500;

private:
    void timerCallback() override;
    void endEditing();
    void abandonEditing();
    void caretMoved();

    juce::Image fontImage; // shared, read only
    DisplayArithmetic::BitmapFont font{8, 0, 32, 160, 129};
    bool caretVisible = false;
    int caretPos = 0;
    int scrollOffset = 0;
    bool centred = false;
    bool showCaret = true;
    bool editing = false;
    CheckedListenerArray<GFXDisplayListener> displayListeners;
    juce::String text, displayedText, savedText;
    OutsideClickWatcher outsideClicks;
    juce::Component* editRoot = nullptr; // top-level component when the edit began; compared, never used

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GFXDisplay)
};

/** A text display showing its parameter's number (6 significant digits, the dot kept out of the last
    cell). */
class GFXDisplayFloat : public GFXDisplay
{
public:
    using GFXDisplay::GFXDisplay;

    void updateFromParameter (Parameter* source) override;
};
