#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A label drawn by the look and feel's own label method: one line, no ellipsis, half opacity when
    disabled. With a look and feel that lacks the method it draws as a plain juce::Label. */
class HardLabel : public juce::Label
{
public:
    class LookAndFeelMethods
    {
    public:
        virtual ~LookAndFeelMethods() = default;
        virtual void drawHardLabel (juce::Graphics&, HardLabel&) = 0;
    };

    using juce::Label::Label;

    /** The text's width in the look and feel's label font, rounded, plus the left and right borders. */
    int getTextWidth();

    void paint (juce::Graphics&) override;
};
