#include "skin/displays/PatternNumberDisplay.h"

#include "framework/XmlHelpers.h"
#include "skin/source/SkinSource.h"

#include <limits>

namespace
{
juce::StringArray digitTexts (std::initializer_list<const char*> after)
{
    juce::StringArray texts{""};
    for (int d = 0; d <= 9; ++d)
        texts.add (juce::String (d));
    for (const auto* text : after)
        texts.add (text);
    return texts;
}
} // namespace

using Digit = PatternNumberDisplay::PatternNumberDisplayDigit;

Digit::PatternNumberDisplayDigit (const juce::String& name, const juce::StringArray& texts)
    : juce::Component (name)
    , frameTexts (texts)
{
    framesNum = texts.size();
    setInterceptsMouseClicks (false, false);
}

void Digit::setValue (int frame)
{
    frame = FilmStrip::clampFrame (frame, framesNum);
    if (frame == value)
        return;
    value = frame;
    repaint();
}

int Digit::getShownFrame() const
{
    return isInBlinkOnPhase() ? 0 : value;
}

void Digit::paint (juce::Graphics& g)
{
    if (hasImage())
    {
        drawFrame (g, getShownFrame(), getLocalBounds());
        return;
    }

    g.fillAll (juce::Colour::greyLevel (0.9f));
    g.setColour (juce::Colours::black);
    g.drawRect (getLocalBounds(), 1);
    g.setFont (juce::Font (13.0f));
    g.drawText (frameTexts[getShownFrame()], getLocalBounds(), juce::Justification::centred, false);
}

PatternNumberDisplay::PatternNumberDisplayFirstDigit::PatternNumberDisplayFirstDigit()
    : PatternNumberDisplayDigit ("firstDigit", digitTexts ({"P."}))
{
}

PatternNumberDisplay::PatternNumberDisplaySecondDigit::PatternNumberDisplaySecondDigit()
    : PatternNumberDisplayDigit ("secondDigit", digitTexts ({"C", "D", "E", "F", "G", "A", "B", "-"}))
{
}

PatternNumberDisplay::PatternNumberDisplayThirdDigit::PatternNumberDisplayThirdDigit()
    : PatternNumberDisplayDigit ("thirdDigit", digitTexts ({"#", "-"}))
{
}

PatternNumberDisplay::PatternNumberDisplayFourthDigit::PatternNumberDisplayFourthDigit()
    : PatternNumberDisplayDigit ("fourthDigit", digitTexts ({}))
{
}

//==============================================================================
PatternNumberDisplay::PatternNumberDisplay (const juce::String& name)
    : juce::Component (name)
{
}

PatternNumberDisplay::~PatternNumberDisplay() = default;

void PatternNumberDisplay::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    GUIController::loadFromXml (element, skinSource);
    if (!XmlHelpers::tagIs (element, "PatternNumberDisplay"))
        return;

    notePatternMin = element.getIntAttribute ("notePatternMin", 0);
    notePatternMax = element.getIntAttribute ("notePatternMax", 127);
    numericPatternMin = element.getIntAttribute ("numericPatternMin", 1);
    numericPatternMax = element.getIntAttribute ("numericPatternMax", 16);
    bankAndSlotPatternMin = element.getIntAttribute ("bankAndSlotPatternMin", 1);
    bankAndSlotPatternMax = element.getIntAttribute ("bankAndSlotPatternMax", 96);
    slotMax = DisplayArithmetic::clampSlotMax (element.getIntAttribute ("slotMax", 12));
    setNumber (number);

    int left = 0, top = 0, width = 100, height = 40;
    if (const auto* pos = XmlHelpers::findChild (element, "pos"))
    {
        left = pos->getIntAttribute ("left");
        top = pos->getIntAttribute ("top");
    }
    if (const auto* size = XmlHelpers::findChild (element, "size"))
    {
        width = size->getIntAttribute ("width", 100);
        height = size->getIntAttribute ("height", 40);
    }

    removeAllChildren();
    digits.clear();
    digits.add (new PatternNumberDisplayFirstDigit());
    digits.add (new PatternNumberDisplaySecondDigit());
    digits.add (new PatternNumberDisplayThirdDigit());
    digits.add (new PatternNumberDisplayFourthDigit());

    const auto* gfx = XmlHelpers::findChild (element, "gfx");
    int x = 0;
    for (auto* digit : digits)
    {
        const auto image =
            gfx != nullptr ? skinSource.getImage (gfx->getStringAttribute (digit->getName())) : juce::Image();
        if (image.isValid())
        {
            digit->setImage (image, digit->getFramesNum());
            digit->setBounds (x, 0, digit->getFrameWidth(), digit->getFrameHeight());
        }
        else
        {
            // A place of no width would draw nothing and could not be found again.
            digit->setBounds (x, 0, FilmStrip::safeCount (width / 4), FilmStrip::safeCount (height));
        }
        addAndMakeVisible (digit);
        x += digit->getWidth();
    }

    setBounds (left, top, width, height);
    updateDigits();
}

void PatternNumberDisplay::updateFromParameter (Parameter* source)
{
    if (source != nullptr)
        setNumber (source->getValueInt());
}

juce::Range<int> PatternNumberDisplay::getModeRange() const noexcept
{
    switch (displayMode)
    {
        case (int) DisplayArithmetic::PatternMode::note: return {notePatternMin, notePatternMax};
        case (int) DisplayArithmetic::PatternMode::numeric: return {numericPatternMin, numericPatternMax};
        case (int) DisplayArithmetic::PatternMode::bankAndSlot:
            return {bankAndSlotPatternMin, bankAndSlotPatternMax};
        default: return {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
    }
}

void PatternNumberDisplay::setNumber (int newNumber)
{
    const auto range = getModeRange();
    newNumber = DisplayArithmetic::clampToRange (newNumber, range.getStart(), range.getEnd());
    if (newNumber == number)
        return;
    number = newNumber;
    updateDigits();
}

void PatternNumberDisplay::clampToModeRange()
{
    const auto range = getModeRange();
    number = DisplayArithmetic::clampToRange (number, range.getStart(), range.getEnd());
}

void PatternNumberDisplay::updateDigits()
{
    const auto frames = DisplayArithmetic::patternNumberFrames (displayMode, number, slotMax, isEnabled());
    for (int i = 0; i < digits.size(); ++i)
        digits[i]->setValue (frames[(size_t) i]);
}
