#include "skin/widgets/HardLabel.h"

int HardLabel::getTextWidth()
{
    const auto labelFont = getLookAndFeel().getLabelFont (*this);
    return juce::roundToInt (labelFont.getStringWidthFloat (getText())) + getBorderSize().getLeftAndRight();
}

void HardLabel::paint (juce::Graphics& g)
{
    if (auto* methods = dynamic_cast<LookAndFeelMethods*> (&getLookAndFeel()))
        methods->drawHardLabel (g, *this);
    else
        getLookAndFeel().drawLabel (g, *this);
}
