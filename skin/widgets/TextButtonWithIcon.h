#pragma once

#include "skin/widgets/ParameterController.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A text button with a drawing at one end, split from the text by a thin line. When attached to a
    parameter it writes its toggle state there. Message thread only. */
class TextButtonWithIcon : public juce::TextButton, public ParameterController
{
public:
    TextButtonWithIcon();
    ~TextButtonWithIcon() override;

    /** Two copies of the drawing: one shown while off, one while on. */
    void setIcon (const juce::Drawable&);
    void setIconOnRight (bool onRight);
    void setIconMargins (int top, int left, int bottom, int right);

    /** The square the icon is fitted into. */
    juce::Rectangle<int> getIconArea() const;
    juce::Drawable* getIconOff() const noexcept { return iconOff.get(); }
    juce::Drawable* getIconOn() const noexcept { return iconOn.get(); }

    void updateFromParameter (Parameter*) override;

    void buttonStateChanged() override;
    void enablementChanged() override;
    void resized() override;
    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted,
                      bool shouldDrawButtonAsDown) override;

private:
    int iconOnRight = 0;
    int marginTop = 1, marginLeft = 1, marginBottom = 1, marginRight = 1;
    std::unique_ptr<juce::Drawable> iconOff, iconOn;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TextButtonWithIcon)
};
