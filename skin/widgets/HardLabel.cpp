#include "skin/widgets/HardLabel.h"

int HardLabel::getTextWidth()
{
    const auto font = getLookAndFeel().getLabelFont (*this);
    return juce::roundToInt (font.getStringWidthFloat (getText())) + getBorderSize().getLeftAndRight();
}

void HardLabel::paint (juce::Graphics& g)
{
    if (auto* methods = dynamic_cast<LookAndFeelMethods*> (&getLookAndFeel()))
        methods->drawHardLabel (g, *this);
    else
        getLookAndFeel().drawLabel (g, *this);
}
