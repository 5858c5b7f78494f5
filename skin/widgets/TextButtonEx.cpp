#include "skin/widgets/TextButtonEx.h"

#include "skin/lookandfeel/DefaultLookAndFeel.h"

TextButtonEx::TextButtonEx (const juce::String& name)
    : juce::TextButton (name)
{
    textWidth = measureText();
    lookAndFeelChanged();
    applySize();
}

int TextButtonEx::measureText() const
{
    return (int) font.getStringWidthFloat (getButtonText());
}

void TextButtonEx::applySize()
{
    setBounds (getX(), getY(), leftWidth + rightWidth + textWidth, buttonHeight);
}

void TextButtonEx::setImages (const juce::Image& nl, const juce::Image& nm, const juce::Image& nr,
                              const juce::Image& pl, const juce::Image& pm, const juce::Image& pr,
                              const juce::Image& hl)
{
    leftWidth = nl.getWidth();
    rightWidth = nr.getWidth();
    buttonHeight = nl.getHeight();
    normalLeft = nl;
    normalMiddle = nm;
    normalRight = nr;
    pressedLeft = pl;
    pressedMiddle = pm;
    pressedRight = pr;
    highlight = hl;
    applySize();
}

void TextButtonEx::updateWidth()
{
    const int width = measureText();
    if (width != textWidth)
    {
        textWidth = width;
        applySize();
    }
}

void TextButtonEx::lookAndFeelChanged()
{
    // Another look and feel leaves the font and the images as they were.
    if (auto* lf = dynamic_cast<DefaultLookAndFeel*> (&getLookAndFeel()))
    {
        font = lf->getTextButtonFont (*this, getHeight());
        updateWidth();
        lf->setTextButtonImages (*this, imageSize);
    }
}

void TextButtonEx::parentHierarchyChanged()
{
    juce::TextButton::parentHierarchyChanged();
    lookAndFeelChanged();
}

void TextButtonEx::paintButton (juce::Graphics& g, bool over, bool down)
{
    const auto area = getLocalBounds().reduced (3, 4);
    const bool lit = down || getToggleState();

    const auto fill = lit    ? juce::Colour (DefaultLookAndFeel::orange)
                      : over ? juce::Colour (DefaultLookAndFeel::orange).brighter (0.4f)
                             : juce::Colour (0xFFE0E0E0);
    g.setColour (fill);
    g.fillRect (area);
    g.setColour (lit ? juce::Colour (0xFFE0E0E0) : juce::Colour (0xFFA0A0A0));
    g.drawRect (area, 1);

    g.setColour (juce::Colours::black);
    g.setFont (font.withStyle (font.getStyleFlags() & ~juce::Font::bold));
    g.drawText (getButtonText(), leftWidth, 0, textWidth, getHeight(), juce::Justification::centredLeft,
                false);
}
