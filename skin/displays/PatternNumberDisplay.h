#pragma once

#include "skin/controller/BaseGFXController.h"
#include "skin/displays/DisplayArithmetic.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A pattern number in one of three notations (as a note, as a plain number, as bank and slot) on four
    purpose-made digit strips. The sequencer editor switches the notation.

    Message thread only. */
class PatternNumberDisplay : public GUIController, public juce::Component
{
public:
    /** One digit: a strip of its own frame count, showing one frame like an animation (blank in the on
        phase of blinking). Without image it draws a grey cell with the frame's sign as text. */
    class PatternNumberDisplayDigit : public BaseGFXController, public juce::Component
    {
    public:
        /** The signs of the frames, for the picture without image (empty: no text). */
        PatternNumberDisplayDigit (const juce::String& name, const juce::StringArray& frameTexts);

        /** Stores the frame shown (kept within the strip) and repaints when it changed. */
        void setValue (int frame);
        int getValue() const noexcept { return value; }
        int getShownFrame() const;

        void paint (juce::Graphics& g) override;
        void blinkStateChanged() override { repaint(); }
        void updateSize() override { applyFrameSize (*this); }
        void updatePosition() override { applyPosition (*this); }

    private:
        juce::StringArray frameTexts;
        int value = 0;
    };

    /** The four strips; each text names what its frame shows. */
    class PatternNumberDisplayFirstDigit : public PatternNumberDisplayDigit
    {
    public:
        PatternNumberDisplayFirstDigit();
    };
    class PatternNumberDisplaySecondDigit : public PatternNumberDisplayDigit
    {
    public:
        PatternNumberDisplaySecondDigit();
    };
    class PatternNumberDisplayThirdDigit : public PatternNumberDisplayDigit
    {
    public:
        PatternNumberDisplayThirdDigit();
    };
    class PatternNumberDisplayFourthDigit : public PatternNumberDisplayDigit
    {
    public:
        PatternNumberDisplayFourthDigit();
    };

    explicit PatternNumberDisplay (const juce::String& name);
    ~PatternNumberDisplay() override;

    /** Links and actions; the rest only for the tag "PatternNumberDisplay": the ranges of the three modes,
        "slotMax" (kept within 4 to 16), "pos", "size" (100 x 40 by default) and the four digit images of
        the first "gfx" ("firstDigit" ... "fourthDigit"). */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** The parameter's integer value. */
    void updateFromParameter (Parameter* source) override;

    /** Clamps into the current mode's range; updates the digits when the number changed. */
    void setNumber (int newNumber);
    int getNumber() const noexcept { return number; }

    /** The editor sets the mode, then calls clampToModeRange and updateDigits. */
    void setDisplayMode (int mode) noexcept { displayMode = mode; }
    int getDisplayMode() const noexcept { return displayMode; }
    void clampToModeRange();
    void updateDigits();

    int getSlotMax() const noexcept { return slotMax; }
    PatternNumberDisplayDigit* getDigit (int index) const noexcept { return digits[index]; }

    void enablementChanged() override { updateDigits(); }

private:
    juce::Range<int> getModeRange() const noexcept;

    juce::OwnedArray<PatternNumberDisplayDigit> digits;
    int number = 0;
    int notePatternMin = 0, notePatternMax = 127;
    int numericPatternMin = 1, numericPatternMax = 16;
    int bankAndSlotPatternMin = 1, bankAndSlotPatternMax = 96;
    int slotMax = 12;
    int displayMode = (int) DisplayArithmetic::PatternMode::note;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PatternNumberDisplay)
};
