#pragma once

#include "skin/widgets/ParameterController.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** An icon button of the toolbars: one of the look and feel's symbol drawings, recoloured to the button's
    text colour, with a background only while it toggles, is hovered or is pressed. When attached to a
    parameter it writes its toggle state there. Message thread only. */
class ToolbarDrawableButton : public juce::DrawableButton, public ParameterController
{
public:
    /** The icon number selects the symbol; a number without a drawing leaves the button without one. */
    ToolbarDrawableButton (const juce::String& name, int icon);

    void updateFromParameter (Parameter*) override;

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted,
                      bool shouldDrawButtonAsDown) override;
    void buttonStateChanged() override;
    void lookAndFeelChanged() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ToolbarDrawableButton)
};
