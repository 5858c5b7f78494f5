#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A flat text button sized to its text: as wide as the text plus the end caps of its images, as high as
    the images. The images (set by the look and feel) give the size only; the button paints a flat box.
    Message thread only. */
class TextButtonEx : public juce::TextButton
{
public:
    explicit TextButtonEx (const juce::String& name);

    /** Normal left cap, middle and right cap, pressed left cap, middle and right cap, highlight. The caps
        and the left cap's height set the button's size. */
    void setImages (const juce::Image& normalLeft, const juce::Image& normalMiddle,
                    const juce::Image& normalRight, const juce::Image& pressedLeft,
                    const juce::Image& pressedMiddle, const juce::Image& pressedRight,
                    const juce::Image& highlight);

    /** Measures the text again; resizes when its width changed. */
    void updateWidth();

    /** The image set last chosen by the look and feel's setTextButtonImages, which records it here and
        gets it back at every look-and-feel change (being added to a parent is one). Applies nothing. */
    void setImageSize (int size) noexcept { imageSize = size; }
    int getImageSize() const noexcept { return imageSize; }

    int getTextWidth() const noexcept { return textWidth; }
    int getLeftWidth() const noexcept { return leftWidth; }
    int getRightWidth() const noexcept { return rightWidth; }
    int getButtonHeight() const noexcept { return buttonHeight; }
    const juce::Font& getFont() const noexcept { return font; }

    void lookAndFeelChanged() override;
    /** A button put under the editor takes the editor's look and feel's font and images. */
    void parentHierarchyChanged() override;
    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted,
                      bool shouldDrawButtonAsDown) override;

private:
    int measureText() const;
    void applySize();

    juce::Image normalLeft, normalMiddle, normalRight, pressedLeft, pressedMiddle, pressedRight, highlight;
    int textWidth = 0;
    int leftWidth = 10;
    int rightWidth = 10;
    int buttonHeight = 20;
    juce::Font font{13.0f};
    int imageSize = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TextButtonEx)
};
