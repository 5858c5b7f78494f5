#include "skin/displays/NumericDisplay.h"

#include "framework/XmlHelpers.h"
#include "skin/controller/FilmStrip.h"
#include "skin/source/SkinSource.h"

namespace
{
void drawFittedCellText (juce::Graphics& g, const juce::Component& cell, const juce::String& text)
{
    g.setColour (juce::Colours::black);
    g.setFont (juce::Font ((float) juce::jmax (1, cell.getHeight())));
    g.drawFittedText (text, cell.getLocalBounds(), juce::Justification::centred, 1, 0.7f);
}
} // namespace

//==============================================================================
NumericDisplayDigit::NumericDisplayDigit (const juce::Image& digitImage, int width, int height,
                                          bool isIntegerPart)
    : image (digitImage)
    , integerPart (isIntegerPart)
{
    setInterceptsMouseClicks (false, false);
    setSize (width, height);
}

void NumericDisplayDigit::setDigit (const DisplayArithmetic::NumericDigit& newDigit)
{
    if (newDigit == digit)
        return;
    digit = newDigit;
    repaint();
}

int NumericDisplayDigit::getShownFrame() const
{
    return DisplayArithmetic::numericDigitFrame (digit, !isEnabled() || isInBlinkOnPhase());
}

void NumericDisplayDigit::paint (juce::Graphics& g)
{
    if (image.isValid())
    {
        FilmStrip::drawFrame (g, image, getShownFrame(), framesNum, getLocalBounds());
        return;
    }

    if (!isEnabled() || isInBlinkOnPhase())
    {
        g.fillAll (juce::Colours::black);
        return;
    }

    g.fillAll (juce::Colour::greyLevel (integerPart ? 1.0f : 0.8f));
    if (!digit.hidden)
        drawFittedCellText (g, *this, juce::String (digit.digit));
}

//==============================================================================
NumericDisplaySign::NumericDisplaySign (const juce::Image& signImage, int width, int height)
    : image (signImage)
{
    setInterceptsMouseClicks (false, false);
    setSize (width, height);
}

void NumericDisplaySign::setNegative (bool shouldBeNegative)
{
    if (negative == shouldBeNegative)
        return;
    negative = shouldBeNegative;
    repaint();
}

int NumericDisplaySign::getShownFrame() const
{
    return (negative && isEnabled() && !isInBlinkOnPhase()) ? 1 : 0;
}

void NumericDisplaySign::paint (juce::Graphics& g)
{
    if (image.isValid())
    {
        FilmStrip::drawFrame (g, image, getShownFrame(), 2, getLocalBounds());
        return;
    }

    if (!isEnabled() || isInBlinkOnPhase())
    {
        g.fillAll (juce::Colours::black);
        return;
    }

    g.fillAll (juce::Colours::white);
    if (negative)
        drawFittedCellText (g, *this, "-");
}

//==============================================================================
NumericDisplay::NumericDisplay (const juce::String& name)
    : juce::Component (name)
{
}

NumericDisplay::~NumericDisplay()
{
    // Torn down mid-drag: the host's edit still ends.
    endDragGesture();
}

void NumericDisplay::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    GUIController::loadFromXml (element, skinSource);
    if (!XmlHelpers::tagIs (element, "NumericDisplay"))
        return;

    removeAllChildren();
    digits.clear();
    sign.reset();

    layout =
        DisplayArithmetic::makeNumericLayout (element.getIntAttribute ("digitsNum", 1),
                                              XmlHelpers::getFiniteDouble (element, "firstDigitOrder", 0.0));
    minValue = XmlHelpers::getFiniteDouble (element, "minValue", 0.0);
    maxValue = juce::jmax (minValue, XmlHelpers::getFiniteDouble (element, "maxValue", 0.0));
    continuous = element.getStringAttribute ("control") == "continous";

    const bool hasSign = minValue < 0.0;
    if (const auto* size = XmlHelpers::findChild (element, "size"))
    {
        // Places of no width would draw nothing and leave nothing to click on.
        digitWidth =
            FilmStrip::safeCount (size->getIntAttribute ("width") / (layout.digitsNum + (hasSign ? 1 : 0)));
        digitHeight = FilmStrip::safeCount (size->getIntAttribute ("height"));
    }

    int x = 0;
    if (hasSign)
    {
        juce::Image signImage;
        if (const auto* signElement = XmlHelpers::findChild (element, "sign"))
            if (const auto* gfx = XmlHelpers::findChild (*signElement, "gfx"))
                signImage = skinSource.getImage (gfx->getStringAttribute ("resource"));

        sign = signImage.isValid()
                   ? std::make_unique<NumericDisplaySign> (
                         signImage, signImage.getWidth(), FilmStrip::frameHeightOf (signImage.getHeight(), 2))
                   : std::make_unique<NumericDisplaySign> (juce::Image(), digitWidth, digitHeight);
        sign->setTopLeftPosition (0, 0);
        addAndMakeVisible (*sign);
        x = sign->getWidth();
    }

    int exponent = layout.firstExponent;
    if (const auto* digitsElement = XmlHelpers::findChild (element, "digits"))
    {
        if (digitsElement->getNumChildElements() > 0)
        {
            for (const auto* gfx : digitsElement->getChildIterator())
            {
                if (digits.size() >= layout.digitsNum)
                    break;
                if (XmlHelpers::tagIs (*gfx, "gfx"))
                    addDigit (skinSource.getImage (gfx->getStringAttribute ("resource")), x, exponent--);
            }
        }
        else if (digitsElement->hasAttribute ("resource"))
        {
            const auto shared = skinSource.getImage (digitsElement->getStringAttribute ("resource"));
            for (int i = 0; i < layout.digitsNum; ++i)
                addDigit (shared, x, exponent--);
        }
    }
    else
    {
        for (int i = 0; i < layout.digitsNum; ++i)
            addDigit ({}, x, exponent--);
    }

    int height = 0;
    for (auto* child : getChildren())
        height = juce::jmax (height, child->getHeight());

    int left = 0, top = 0;
    if (const auto* pos = XmlHelpers::findChild (element, "pos"))
    {
        left = pos->getIntAttribute ("left");
        top = pos->getIntAttribute ("top");
    }
    setBounds (left, top, x, height);

    value = minValue;
    showValue();
    repaint();
}

void NumericDisplay::addDigit (const juce::Image& digitImage, int& x, int exponent)
{
    auto* digit = digitImage.isValid()
                      ? new NumericDisplayDigit (
                            digitImage, digitImage.getWidth(),
                            FilmStrip::frameHeightOf (digitImage.getHeight(), NumericDisplayDigit::framesNum),
                            exponent >= 0)
                      : new NumericDisplayDigit ({}, digitWidth, digitHeight, exponent >= 0);
    digits.add (digit);
    digit->setTopLeftPosition (x, 0);
    addAndMakeVisible (digit);
    x += digit->getWidth();
}

void NumericDisplay::updateFromParameter (Parameter* source)
{
    if (source != nullptr)
        setValue (source->getValue(), false);
}

void NumericDisplay::setValue (double newValue, bool notify)
{
    if (std::isnan (newValue))
        return;

    newValue = newValue < minValue ? minValue : (newValue > maxValue ? maxValue : newValue);
    if (newValue != value)
    {
        value = newValue;
        if (notify && isConnected())
        {
            getParameter()->setValue ((float) value, true);
            sendValueChanged();
        }
    }
    showValue();
}

void NumericDisplay::showValue()
{
    const auto shown = DisplayArithmetic::numericDigits (layout, value, digits.size());
    for (int i = 0; i < digits.size(); ++i)
        digits[i]->setDigit (shown[(size_t) i]);
    if (sign != nullptr)
        sign->setNegative (value < 0.0);
}

void NumericDisplay::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}

void NumericDisplay::mouseDown (const juce::MouseEvent& e)
{
    if (!interactive)
        return;

    if (isConnected())
        beginDragGesture();
    dragging = true;
    dragStartValue = value;
    // The digit under the pointer, counted over the digits only: a sign in front would shift every place.
    const int digitsStart = digits.isEmpty() ? 0 : digits.getFirst()->getX();
    const int digitsEnd = digits.isEmpty() ? getWidth() : digits.getLast()->getRight();
    dragStep =
        DisplayArithmetic::numericDragStep (layout, continuous, e.x - digitsStart, digitsEnd - digitsStart);
}

void NumericDisplay::mouseDrag (const juce::MouseEvent& e)
{
    if (!dragging)
        return;
    const int steps = DisplayArithmetic::dragSteps ((float) e.getDistanceFromDragStartY(), 10);
    setValue (dragStartValue + steps * dragStep, true);
}

void NumericDisplay::mouseUp (const juce::MouseEvent&)
{
    if (isConnected() || isInDragGesture())
        endDragGesture();
    dragging = false;
}
