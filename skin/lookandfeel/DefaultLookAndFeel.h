#pragma once

#include "skin/lookandfeel/LookAndFeelColourIds.h"
#include "skin/widgets/HardLabel.h"
#include "skin/windows/PanelComponent.h"
#include "skin/windows/TabbedComponentEx.h"
#include "skin/windows/WindowComponent.h"

class TextButtonEx;

/** The one look and feel of the editor: grey tones with one orange accent, the embedded sans-serif face
    at 13 pixels (regular and bold), JUCE's drawing changed for scroll bars, text editors, tabs, tooltips,
    sliders and window title bars, and the operations the program's own widgets ask for after a
    dynamic_cast (fonts, metrics, check-box and radio images, icon buttons, image-built text buttons).

    The editor creates it before any child and destroys it after the last one. Message thread only.
    Buttons and drawables returned by the factory operations belong to the caller.
*/
class DefaultLookAndFeel : public juce::LookAndFeel_V3,
                           public WindowComponent::LookAndFeelMethods,
                           public HardLabel::LookAndFeelMethods,
                           public PanelComponent::LookAndFeelMethods,
                           public TabbedComponentEx::LookAndFeelMethods
{
public:
    /** The orange accent and its lighter tones. */
    static constexpr juce::uint32 orange = 0xFFFF6C00;

    DefaultLookAndFeel();
    ~DefaultLookAndFeel() override;

    //==============================================================================
    // The program's own operations.
    virtual void drawArrowTriangle (juce::Graphics&, int x, int y, int w, int h, bool pointsRight);
    virtual juce::Image getCheckBoxOffImage();
    virtual juce::Image getCheckBoxOnImage();
    virtual juce::Font getDefaultFont();
    virtual juce::Font getBoldFont();
    virtual juce::Image getRadioButtonOffImage();
    virtual juce::Image getRadioButtonOnImage();
    virtual juce::Font getTabTextFont();
    int getTabBarDepth() override;
    int getTabEdgeIndent() override;
    virtual juce::Font getStatusBarFont();
    virtual int getStatusBarHeight();
    virtual int getDefaultIconSize();
    virtual int getDefaultTextButtonSize();

    /** An image button showing the icon's tile (size 2: 43 x 43, any other: 27 x 27), or null for an icon
        without a tile. */
    virtual juce::ImageButton* createIconButton (const juce::String& name, int icon, int size);
    virtual juce::ImageButton* createIconButton (const juce::String& name, int icon);
    /** Does nothing for an icon without a tile. */
    virtual void setIconButtonImages (juce::ImageButton&, int icon, int size);

    /** A TextButtonEx with the small images, or the large ones for size 2. */
    virtual TextButtonEx* createTextButton (const juce::String& name, int size);
    virtual TextButtonEx* createTextButton (const juce::String& name);
    /** Sizes 0 and 1: the small images; 2: the large ones; any other size changes nothing. */
    virtual void setTextButtonImages (TextButtonEx&, int size);

    //==============================================================================
    /** A drawable from SVG text whose root tag is "svg" (any case); null otherwise. */
    static std::unique_ptr<juce::Drawable> createDrawableFromSVG (const char* data, size_t size);

    /** The symbol drawings 0 to 28 except 17 (32 x 32 view box); null for any other index. */
    static std::unique_ptr<juce::Drawable> getIcon (int index);

    /** Drawing helpers shared by the program's components; all draw in the current colour unless a colour
        is given. */
    static void fillRoundedRectangle (juce::Graphics&, const juce::Rectangle<int>& area, float cornerSize);
    /** The outline lies inside the area: inset by thickness / 2, corner cornerSize - thickness / 2. */
    static void drawRoundedRectangle (juce::Graphics&, const juce::Rectangle<int>& area, float cornerSize,
                                      float thickness);
    static void drawRoundedBox (juce::Graphics&, const juce::Rectangle<int>& area, float cornerSize,
                                juce::Colour fill, juce::Colour outline, float thickness);

    /** Which corners fillRoundedRectangleCorners rounds. */
    enum CornerSide
    {
        leftSide = 1,
        rightSide = 2,
        topSide = 8,
        bottomSide = 16
    };
    /** Corner 8, only the corners of one side rounded (any value but left, right and bottom: the top). */
    static void fillRoundedRectangleCorners (juce::Graphics&, const juce::Rectangle<int>& area, int side,
                                             juce::Colour);
    static void fillShadedPanel (juce::Graphics&, const juce::Rectangle<int>& area, juce::Colour);

    /** The way the program draws a raised button shape (check boxes, radio rings, slider thumbs): a
        vertical gradient of the base colour, a soft white highlight and a faint black outline. */
    static void drawButtonShape (juce::Graphics&, const juce::Path& outline, juce::Colour base, float height);

    /** The base colour of check boxes and radio buttons from JUCE's button colour and the button's state. */
    static juce::Colour getToggleBaseColour (const juce::Button&, bool over, bool down);

    const juce::Path& getArrowPath (int direction) const; // 0 up, 1 right, 2 down, 3 left

    //==============================================================================
    // The program's component interfaces.
    juce::Font getWindowTitleFont() override;
    void setCloseButtonImages (juce::ImageButton&) override;
    void drawWindow (juce::Graphics&, WindowComponent&) override;
    void drawHardLabel (juce::Graphics&, HardLabel&) override;
    juce::Font getPanelTitleFont() override;

    //==============================================================================
    // JUCE's drawing, changed.
    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;

    void drawScrollbarButton (juce::Graphics&, juce::ScrollBar&, int width, int height, int buttonDirection,
                              bool isScrollbarVertical, bool isMouseOverButton, bool isButtonDown) override;
    void drawScrollbar (juce::Graphics&, juce::ScrollBar&, int x, int y, int width, int height,
                        bool isScrollbarVertical, int thumbStartPosition, int thumbSize, bool isMouseOver,
                        bool isMouseDown) override;
    int getDefaultScrollbarWidth() override;
    int getScrollbarButtonSize (juce::ScrollBar&) override;

    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawDrawableButton (juce::Graphics&, juce::DrawableButton&, bool isMouseOverButton,
                             bool isButtonDown) override;
    void drawImageButton (juce::Graphics&, juce::Image*, int imageX, int imageY, int imageW, int imageH,
                          const juce::Colour& overlayColour, float imageOpacity, juce::ImageButton&) override;

    void fillTextEditorBackground (juce::Graphics&, int width, int height, juce::TextEditor&) override;
    void drawTextEditorOutline (juce::Graphics&, int width, int height, juce::TextEditor&) override;

    void drawFileBrowserRow (juce::Graphics&, int width, int height, const juce::File& file,
                             const juce::String& filename, juce::Image* icon,
                             const juce::String& fileSizeDescription, const juce::String& fileTimeDescription,
                             bool isDirectory, bool isItemSelected, int itemIndex,
                             juce::DirectoryContentsDisplayComponent&) override;

    juce::Font getComboBoxFont (juce::ComboBox&) override;
    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;
    juce::Font getLabelFont (juce::Label&) override;

    void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                                     float minSliderPos, float maxSliderPos, const juce::Slider::SliderStyle,
                                     juce::Slider&) override;
    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                                float minSliderPos, float maxSliderPos, const juce::Slider::SliderStyle,
                                juce::Slider&) override;
    int getSliderThumbRadius (juce::Slider&) override;

    void drawCornerResizer (juce::Graphics&, int w, int h, bool isMouseOver, bool isMouseDragging) override;
    void drawDocumentWindowTitleBar (juce::DocumentWindow&, juce::Graphics&, int w, int h, int titleSpaceX,
                                     int titleSpaceW, const juce::Image* icon,
                                     bool drawTitleTextOnLeft) override;
    void positionDocumentWindowButtons (juce::DocumentWindow&, int titleBarX, int titleBarY, int titleBarW,
                                        int titleBarH, juce::Button* minimiseButton,
                                        juce::Button* maximiseButton, juce::Button* closeButton,
                                        bool positionTitleBarButtonsOnLeft) override;

    /** The tooltip's size: text width in the default font + 12, font height + 7. */
    juce::Rectangle<int> getTooltipSize (const juce::String& text);
    juce::Rectangle<int> getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos,
                                           juce::Rectangle<int> parentArea) override;
    void drawTooltip (juce::Graphics&, const juce::String& text, int width, int height) override;

    int getTabButtonSpaceAroundImage() override;
    int getTabButtonOverlap (int tabDepth) override;
    int getTabButtonBestWidth (juce::TabBarButton&, int tabDepth) override;
    void drawTabButton (juce::TabBarButton&, juce::Graphics&, bool isMouseOver, bool isMouseDown) override;
    void drawTabButtonText (juce::TabBarButton&, juce::Graphics&, bool isMouseOver,
                            bool isMouseDown) override;
    void drawTabAreaBehindFrontButton (juce::TabbedButtonBar&, juce::Graphics&, int w, int h) override;
    void createTabButtonShape (juce::TabBarButton&, juce::Path&, bool isMouseOver, bool isMouseDown) override;
    void fillTabButtonShape (juce::TabBarButton&, juce::Graphics&, const juce::Path&, bool isMouseOver,
                             bool isMouseDown) override;

    void drawProgressBar (juce::Graphics&, juce::ProgressBar&, int width, int height, double progress,
                          const juce::String& textToShow) override;
    void drawLevelMeter (juce::Graphics&, int width, int height, float level) override;

private:
    juce::Path arrowUp, arrowDown, arrowLeft, arrowRight;
    juce::Font defaultFont, boldFont;
    std::unique_ptr<juce::Drawable> folderSymbol, documentSymbol; // made at the first file row drawn

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DefaultLookAndFeel)
};
