#pragma once

#include "skin/controller/GUIController.h"
#include "skin/displays/DisplayArithmetic.h"

#include <array>
#include <juce_gui_basics/juce_gui_basics.h>

/** A MIDI note as letter, accidental and octave from three image strips side by side ("notes" 9 frames:
    blank, "C" to "B", a spare; "tones" 3: blank, sharp, natural; "octaves" 13: blank, then octave 0 up).
    Dragging vertically changes the note by one per 20 pixels, inside one host gesture per drag.

    Message thread only. */
class NoteDisplay : public GUIController, public juce::Component
{
public:
    enum Part
    {
        letterPart = 0,
        accidentalPart = 1,
        octavePart = 2
    };

    static constexpr std::array<int, 3> partFramesNum{9, 3, 13};

    explicit NoteDisplay (const juce::String& name);
    ~NoteDisplay() override;

    /** Links and actions; the rest only for the tag "NoteDisplay": "size" shared by the three parts, the
        images of "gfx" > "notes", "tones", "octaves", and "pos". The display is as wide as its three parts
        and as high as the highest of them. */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** The parameter's integer value kept within 0..127. */
    void updateFromParameter (Parameter* source) override;

    int getNote() const noexcept { return note; }

    /** Whether mouse drags change the note (the editor switches it). */
    void setInteractive (bool shouldBeInteractive) noexcept { interactive = shouldBeInteractive; }
    bool isInteractive() const noexcept { return interactive; }

    /** The frames drawn now: blank while disabled (itself or a parent) or in the on phase of blinking. */
    DisplayArithmetic::NoteFrames getShownFrames() const;
    juce::Rectangle<int> getPartBounds (Part part) const noexcept { return parts[(size_t) part]; }

    void paint (juce::Graphics& g) override;
    void blinkStateChanged() override { repaint(); }
    /** Also called when a parent's enablement changes: the picture follows it at once. */
    void enablementChanged() override { repaint(); }
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;

private:
    std::array<juce::Image, 3> images; // shared, read only
    std::array<juce::Rectangle<int>, 3> parts;
    int note = 0;
    int dragStartNote = 0;
    bool dragging = false;
    bool interactive = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NoteDisplay)
};
