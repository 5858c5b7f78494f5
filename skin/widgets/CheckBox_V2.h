#pragma once

#include "skin/widgets/ParameterController.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A check box: a raised square at the left with the program's check mark, its text to the right.
    Clicking toggles it; when attached to a parameter it writes its state there. Message thread only. */
class CheckBox_V2 : public juce::TextButton, public ParameterController
{
public:
    CheckBox_V2();
    ~CheckBox_V2() override;

    /** Width = the text's width in the look and feel's button font, rounded, + int(1.2 x height); a
        negative height means the current one. The position does not change. */
    void changeWidthToFitText (int height);

    void updateFromParameter (Parameter*) override;

    /** The check mark (a child drawable); visible exactly while the box is ticked. */
    juce::Drawable* getTick() const noexcept { return tick.get(); }

    /** The square the box is drawn in: the left square of the bounds, reduced by 2 on every side. */
    juce::Rectangle<int> getBoxArea() const;

    void resized() override;
    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted,
                      bool shouldDrawButtonAsDown) override;
    void buttonStateChanged() override;
    void enablementChanged() override;

private:
    void refreshTick();

    std::unique_ptr<juce::Drawable> tick;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CheckBox_V2)
};
