#pragma once

#include "skin/controller/BlinkingComponent.h"
#include "skin/controller/GUIController.h"
#include "skin/displays/DisplayArithmetic.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** One digit of a numeric display: an 11-frame strip (blank, then 0 to 9) or, without image, a plain cell
    with the digit as text. It takes no mouse clicks: the display under it gets them. Message thread. */
class NumericDisplayDigit : public juce::Component, public BlinkingComponent
{
public:
    static constexpr int framesNum = 11;

    NumericDisplayDigit (const juce::Image& image, int width, int height, bool integerPart);

    /** Repaints only when the digit or its hiding changed. */
    void setDigit (const DisplayArithmetic::NumericDigit& newDigit);
    const DisplayArithmetic::NumericDigit& getDigit() const noexcept { return digit; }
    bool isIntegerPart() const noexcept { return integerPart; }

    /** The frame drawn now: blank while disabled (itself or a parent) or in the on phase of blinking. */
    int getShownFrame() const;

    void paint (juce::Graphics& g) override;
    void blinkStateChanged() override { repaint(); }
    /** Also called when a parent's enablement changes: the picture follows it at once. */
    void enablementChanged() override { repaint(); }

private:
    juce::Image image; // shared, read only
    bool integerPart;
    DisplayArithmetic::NumericDigit digit{0, true};
};

/** The minus sign of a numeric display: a 2-frame strip (blank, minus) or, without image, a plain cell. */
class NumericDisplaySign : public juce::Component, public BlinkingComponent
{
public:
    NumericDisplaySign (const juce::Image& image, int width, int height);

    void setNegative (bool shouldBeNegative);
    bool isNegative() const noexcept { return negative; }

    /** 1 (the minus) when negative, enabled and not in the on phase of blinking, else 0. */
    int getShownFrame() const;

    void paint (juce::Graphics& g) override;
    void blinkStateChanged() override { repaint(); }
    void enablementChanged() override { repaint(); }

private:
    juce::Image image; // shared, read only
    bool negative = false;
};

/** A parameter's real value as a row of film-strip digits with an optional minus sign, leading zeros
    hidden. Dragging vertically over a digit changes the value by that digit's place per 10 pixels (by
    a tenth of the leftmost place anywhere for a "continous" display), inside one host gesture per drag.

    Message thread only. */
class NumericDisplay : public GUIController, public juce::Component
{
public:
    explicit NumericDisplay (const juce::String& name);
    ~NumericDisplay() override;

    /** Links and actions; the rest only for the tag "NumericDisplay": "digitsNum", "firstDigitOrder",
        "minValue", "maxValue", "control", the "size" shared by the places, the "sign" and "digits" images,
        "pos". The display then shows its minimum. */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** The parameter's plain (not normalised) value, written nowhere. */
    void updateFromParameter (Parameter* source) override;

    /** Clamps the value into minValue..maxValue and shows it; with notify a changed value goes to the
        connected parameter (plain value, with notification) and to the listeners. NaN is ignored. */
    void setValue (double newValue, bool notify);
    double getValue() const noexcept { return value; }

    /** Whether mouse drags change the value (the editor switches it). */
    void setInteractive (bool shouldBeInteractive) noexcept { interactive = shouldBeInteractive; }
    bool isInteractive() const noexcept { return interactive; }

    int getNumDigits() const noexcept { return digits.size(); }
    NumericDisplayDigit* getDigit (int index) const noexcept { return digits[index]; }
    NumericDisplaySign* getSign() const noexcept { return sign.get(); }
    const DisplayArithmetic::NumericLayout& getLayout() const noexcept { return layout; }
    double getMinValue() const noexcept { return minValue; }
    double getMaxValue() const noexcept { return maxValue; }

    void paint (juce::Graphics& g) override;
    void blinkStateChanged() override { repaint(); }
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;

private:
    void addDigit (const juce::Image& digitImage, int& x, int exponent);
    void showValue();

    std::unique_ptr<NumericDisplaySign> sign;
    juce::OwnedArray<NumericDisplayDigit> digits; // left to right

    DisplayArithmetic::NumericLayout layout;
    double minValue = 0.0, maxValue = 0.0;
    double value = 0.0;
    double dragStartValue = 0.0;
    double dragStep = 1.0;
    bool dragging = false;
    bool interactive = true;
    bool continuous = false;
    int digitWidth = 1, digitHeight = 1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NumericDisplay)
};
