#pragma once

#include "skin/controller/BaseGFXController.h"
#include "skin/source/SkinSource.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>
#include <vector>

/** A panel of the skin and the builder of its controls.

    Reading a "Panel" element it creates one control per child of its "controls" element, in document
    order (later ones on top), by the tag of the element compared ignoring case; elements of any other tag
    are skipped. Each control reads its own element, shows its parameter's current value when it got one,
    and becomes a visible child. The panel owns its controls and deletes them, the last first.

    A "MidiKeyboard" element is built on the keyboard state the editor handed to the SkinSource
    (SkinSource::setKeyboardState, normally the processor's); without one the element is skipped.

    Message thread only. */
class GFXPanel : public BaseGFXController, public juce::Component
{
public:
    /** A control built for an element: the controller part owns the object, the component part is the
        same object seen as a child component. */
    struct BuiltControl
    {
        std::unique_ptr<GUIController> controller;
        juce::Component* component = nullptr;
    };

    /** Makes the control of one tag with its component name, or nothing. */
    using ControlFactory = BuiltControl (*) (const juce::String& name, SkinSource& skinSource);

    struct ControlKind
    {
        const char* tag;
        ControlFactory create;
    };

    /** The tags the builder knows, in the order it tests them. */
    static const std::vector<ControlKind>& getControlKinds();

    explicit GFXPanel (const juce::String& name);
    ~GFXPanel() override;

    /** The common control set-up, the "gfx" "transparent" flag, then the controls of "controls" moved by
        its "ofsX"/"ofsY", then the panel's own bounds (its "pos" at its frame size). The controls read a
        copy of the element whose numbers are bounded (boundSkinNumbers). */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** The panel itself and every control built so far (nested panels pass it on to theirs). */
    void addListener (GUIController::Listener* listener) override;
    void removeListener (GUIController::Listener* listener) override;

    /** Transparent: nothing. With an image: the image at the origin at its frame size. Otherwise a light
        grey fill. */
    void paint (juce::Graphics& g) override;

    void updateSize() override { applyFrameSize (*this); }
    void updatePosition() override { applyPosition (*this); }

    bool isTransparent() const noexcept { return transparent; }

    int getNumControls() const noexcept { return (int) controls.size(); }
    GUIController* getControl (int index) const noexcept;
    juce::Component* getControlComponent (int index) const noexcept;

    /** The first control of that component name, looked for in this panel and then (depth first, in
        creation order) in its nested panels; null when none. */
    GUIController* findControl (const juce::String& name) const;

    /** Reads a skin boolean: true when the first non-blank character is "1", "t" or "y" in either case. */
    static bool readSkinBool (const juce::String& text) noexcept;

    //==============================================================================
    // What a panel can use of the numbers a skin gives. A skin is outside input: a number near the int
    // range would overflow the controls' arithmetic (frame counts, bounds, scaled font heights).

    /** Positions, offsets and sizes, in pixels. */
    static constexpr int maxSkinCoordinate = 32768;
    /** Frames, states, digits and slots: no strip holds more frames than an image has rows. */
    static constexpr int maxSkinCount = SkinSource::maxImageSide;
    /** Font heights, in pixels, of bitmap and of drawn fonts. */
    static constexpr int maxSkinFontHeight = 1024;
    /** A drawn font's extra kerning, in font heights per character: beyond one, letters no longer read as a
        word, and a large negative one walked the glyphs out of the range of JUCE's edge tables. */
    static constexpr int maxSkinKerning = 1;
    /** Any other whole number a control reads: key numbers, pattern ranges, radio groups. */
    static constexpr int maxSkinValue = 1 << 20;
    /** The most pixels a main panel may cover, as many as the largest image: the editor's window and the
        renderer's picture of the panel are images of that size, and must fit in memory with room to spare.
        (Two sides of maxSkinCoordinate make 4 GB of pixels.) */
    static constexpr juce::int64 maxSkinPanelPixels = SkinSource::maxImagePixels;
    /** The longest side of a window: X keeps a window's width and height within 16 signed bits and refuses
        a larger one (BadAlloc on X_ConfigureWindow), which ends a host that keeps Xlib's default error
        handler; a VST 2.4 host reads the editor's size as 16-bit signed numbers too. */
    static constexpr int maxWindowSide = 32767;

    /** What keeps a main panel from being shown, the first that findSizeProblem finds in this order. */
    enum class SizeProblem
    {
        none,
        noSize,               // not a pixel one way or the other
        tooManyPixels,        // more than maxSkinPanelPixels
        noSizeAtScale,        // at the scale, not a pixel one way or the other
        tooManyPixelsAtScale, // at the scale, more than maxSkinPanelPixels
        windowTooWide,        // at the scale, a window wider than maxWindowSide
        windowTooHigh         // at the scale, the rows below counted, a window higher than maxWindowSide
    };

    /** The one check of a main panel's size, for the editor's window and the renderer's picture alike. The
        panel is width x height pixels; its window has rowsBelow rows of its own under it (the editor's
        status bar), and shows both at scale times their size (the window's, or the picture's, pixels per
        pixel of the panel). The panel may cover maxSkinPanelPixels, at its own size and at the scale; its
        window, maxWindowSide a side.
        Sizes at the scale round to the nearest whole pixel, as JUCE 7 rounds a snapshot's sides and a
        window's at its desktop scale (each side of the bounds a component hands its peer, in float). The
        peer's own scale would round an embedded window's sides up (getSmallestIntegerContainer), but on
        Linux JUCE gives a plug-in's displays no scale beyond the desktop's: that scale is 1. */
    static SizeProblem findSizeProblem (int width, int height, int rowsBelow, float scale) noexcept;

    /** Whether a main panel of that size can be shown (findSizeProblem finds nothing). A skin whose main
        panel cannot be shown is refused. */
    static bool isShowableSize (int width, int height, int rowsBelow, float scale) noexcept;

    /** Why a main panel of that size problem cannot be shown, as the editor's notice and the skin renderer
        say it; empty for none. */
    static juce::String describeSizeProblem (SizeProblem problem);

    /** Brings every number of the element and of all elements below it that a control reads into
        -limit..limit of its kind, rewriting only the numbers beyond it. A number reads as the control reads
        it: a whole number as its leading digits after blanks and an optional minus (text that is none
        reads as 0 and stays), a font's "height" as a real number. */
    static void boundSkinNumbers (juce::XmlElement& element);

private:
    /** loadFromXml for an element whose numbers are bounded already. */
    void loadBoundedXml (const juce::XmlElement& element, SkinSource& skinSource);

    bool transparent = false;
    std::vector<BuiltControl> controls; // creation order

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GFXPanel)
};

/** The factories of the tag table: a control class with a (name) constructor, and one built on the
    editor's keyboard state with a (name, juce::MidiKeyboardState&) constructor. */
template <typename Control>
GFXPanel::BuiltControl makeSkinControl (const juce::String& name, SkinSource&)
{
    auto control = std::make_unique<Control> (name);
    juce::Component* component = control.get();
    return {std::move (control), component};
}

template <typename Control>
GFXPanel::BuiltControl makeSkinKeyboardControl (const juce::String& name, SkinSource& skinSource)
{
    auto* state = skinSource.getKeyboardState();
    if (state == nullptr)
        return {};
    auto control = std::make_unique<Control> (name, *state);
    juce::Component* component = control.get();
    return {std::move (control), component};
}
