#pragma once

#include "skin/windows/ModalComponent.h"

/** A modal window with a frame, a title bar and a close button. Drawn by the look and feel through
    WindowComponent::LookAndFeelMethods; without such a look and feel it draws a plain frame itself.
    Message thread only.
*/
class WindowComponent : public ModalComponent, public juce::Button::Listener
{
public:
    /** Implemented by the editor's look and feel. */
    class LookAndFeelMethods
    {
    public:
        virtual ~LookAndFeelMethods() = default;

        virtual juce::Font getWindowTitleFont() = 0;
        virtual void setCloseButtonImages (juce::ImageButton&) = 0;
        virtual void drawWindow (juce::Graphics&, WindowComponent&) = 0;
    };

    /** Frame styles read by drawWindow. */
    enum Style
    {
        squareStyle = 0,
        roundedStyle = 1
    };

    WindowComponent();
    ~WindowComponent() override;

    void setTitle (const juce::String& newTitle);
    const juce::String& getTitle() const { return title; }

    /** Takes ownership. Only a juce::DrawableComposite becomes the icon; anything else (or null) is
        deleted and leaves the window without an icon. */
    void setIcon (juce::Drawable* newIcon);
    juce::Drawable* getIcon() const { return icon.get(); }

    /** Sizes the window so that its content area is (about) width x height; never smaller than
        250 x 120 overall. Keeps the position. */
    virtual void setContentSize (int width, int height);

    juce::Rectangle<int> getContentArea() const { return contentArea; }
    juce::Rectangle<int> getTitleBarArea() const { return titleBarArea; }
    juce::Rectangle<int> getTitleTextArea() const { return titleTextArea; }

    void setHasBorder (bool);
    void setHasTitleBar (bool);
    bool hasBorder() const { return border; }
    bool hasTitleBar() const { return titleBar; }

    int getBorderWidth() const { return borderWidth; }
    /** The outline thickness drawWindow uses: the border width, 0 without border. */
    int getOutlineThickness() const { return border ? borderWidth : 0; }

    int getWindowStyle() const { return windowStyle; }

    const juce::Font& getTitleFont() const { return titleFont; }
    juce::DrawableButton& getCloseButton() { return closeButton; }

    /** The built-in pictures, drawn from paths: the close cross (white strokes on transparency) and the
        default window icon. Each call makes a new drawable owned by the caller. */
    static std::unique_ptr<juce::Drawable> createCloseCross (juce::Colour);
    static std::unique_ptr<juce::DrawableComposite> createDefaultIcon();

    void paint (juce::Graphics&) override;
    void resized() override;
    void lookAndFeelChanged() override;
    void buttonClicked (juce::Button*) override;

protected:
    /** The plain frame drawn when the look and feel has no WindowComponent::LookAndFeelMethods. */
    void drawPlainWindow (juce::Graphics&);

private:
    void updateCloseButtonVisibility();

    bool border = true, titleBar = true, closeButtonShown = true;
    int titleBarHeight = 31, borderWidth = 3;
    int windowStyle = squareStyle;
    juce::String title;
    juce::Font titleFont{15.0f, juce::Font::bold};
    juce::DrawableButton closeButton{"CloseButton", juce::DrawableButton::ImageFitted};
    std::unique_ptr<juce::Drawable> icon;
    int marginTop = 6, marginLeft = 6, marginBottom = 9, marginRight = 6;
    juce::Rectangle<int> titleBarArea, titleTextArea, contentArea;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WindowComponent)
};
