#include "skin/lookandfeel/DefaultLookAndFeel.h"

#include "framework/XmlHelpers.h"

#include "skin/lookandfeel/EmbeddedFonts.h"
#include "skin/lookandfeel/SkinArtwork.h"
#include "skin/widgets/TextButtonEx.h"

#include <array>
#include <cstring>

namespace
{
const juce::Colour orangeColour{DefaultLookAndFeel::orange};

struct ColourEntry
{
    int id;
    juce::Colour colour;
};

/** The colour table, in the order it is set. */
std::vector<ColourEntry> colourTable()
{
    using Ids = LookAndFeelColourIds;
    return {
        {Ids::accentLight, orangeColour.brighter (0.6f)},
        {Ids::accent, orangeColour},
        {Ids::white, juce::Colour (0xFFFFFFFF)},
        {Ids::black, juce::Colour (0xFF000000)},
        {juce::TextEditor::backgroundColourId, juce::Colour (0xFFFFFFFF)},
        {juce::TextEditor::outlineColourId, juce::Colour (0xFF000000)},
        {juce::TextButton::buttonColourId, juce::Colour (0xFFF0F0F0)},
        {juce::TextButton::buttonOnColourId, orangeColour.brighter (0.3f)},
        {juce::DrawableButton::backgroundColourId, juce::Colour (0xFFF0F0F0)},
        {juce::DrawableButton::backgroundOnColourId, juce::Colour (0xFFF0F0F0)},
        {juce::DrawableButton::textColourId, juce::Colour (0xFF000000)},
        {juce::Slider::rotarySliderOutlineColourId, juce::Colour (0xFF000000)},
        {juce::Slider::rotarySliderFillColourId, juce::Colour (0xFF808080)},
        {juce::TooltipWindow::outlineColourId, juce::Colour (0xFF444444)},
        {juce::TooltipWindow::textColourId, juce::Colour (0xFF000000)},
        {Ids::windowBackground, juce::Colour (0xFFC5C5C5)},
        {Ids::windowTitleBar, juce::Colour (0xFF000000)},
        {Ids::windowTitleText, juce::Colour (0xFFFFFFFF)},
        {Ids::aboutBackground, juce::Colour (0xFF000000)},
        {Ids::aboutTitleBar, juce::Colour (0xFF808080)},
        {Ids::aboutText, juce::Colour (0xFFFFFFFF)},
        {Ids::aboutLink, juce::Colour (0xFFFFFF00)},
        {Ids::browserBackground, juce::Colour (0xFFC5C5C5)},
        {Ids::browserColumn, juce::Colour (0xFFE3E3E3)},
        {Ids::browserSelection, juce::Colour (0xFFFFFFFF)},
        {Ids::browser3, juce::Colour (0xFFE3E3E3)},
        {Ids::browser4, juce::Colour (0xFF000000)},
        {Ids::browserHighlight, juce::Colour (0xFFADADAD)},
        {Ids::browser6, juce::Colour (0xFFFFFFFF)},
        {Ids::browser7, juce::Colour (0xFF5B5B5B)},
        {Ids::browser8, juce::Colour (0xFFFFFFFF)},
        {Ids::panelOutline, juce::Colour (0xFF7C7C7C)},
        {juce::ScrollBar::thumbColourId, juce::Colour (0xFF6E6E6E)},
        {juce::ScrollBar::trackColourId, juce::Colour (0xFFCCCCCC)},
        {Ids::pathBackground, juce::Colour (0xFFE3E3E3)},
        {Ids::pathText, juce::Colour (0xFF000000)},
        {Ids::pathOutline, juce::Colour (0xFFFFFFFF)},
        {Ids::tabPageBackground, juce::Colour (0xFFC5C5C5)},
        {Ids::tabFrontText, juce::Colour (0xFF000000)},
        {Ids::tabOutline, juce::Colour (0xFF5B5B5B)},
        {Ids::statusBarBackground, juce::Colour (0xFF444444)},
        {Ids::statusBarText, juce::Colour (0xFFFFFFFF)},
        {Ids::lightGrey, juce::Colour (0xFFE3E3E3)},
        // The file chooser's rows: light grey like the browser's columns, the selection like a menu's.
        {juce::TreeView::backgroundColourId, juce::Colour (0xFFE3E3E3)},
        {juce::TreeView::selectedItemBackgroundColourId, juce::Colour (0xFFADADAD)},
        {juce::DirectoryContentsDisplayComponent::highlightColourId, juce::Colour (0xFFADADAD)},
        {juce::DirectoryContentsDisplayComponent::textColourId, juce::Colour (0xFF000000)},
        {juce::DirectoryContentsDisplayComponent::highlightedTextColourId, juce::Colour (0xFF000000)},
        // JUCE's keyboard component's hover and key-down overlays; its module is not linked, so by number.
        {0x1005003, orangeColour.brighter (0.6f)},
        {0x1005004, orangeColour},
    };
}

} // namespace

DefaultLookAndFeel::DefaultLookAndFeel()
{
    EmbeddedFonts::install();

    for (const auto& entry : colourTable())
        setColour (entry.id, entry.colour);

    arrowUp.startNewSubPath (4.0f, 11.0f);
    arrowUp.lineTo (4.0f, 8.0f);
    arrowUp.lineTo (1.75f, 8.0f);
    arrowUp.lineTo (6.5f, 1.6f);
    arrowUp.lineTo (11.25f, 8.0f);
    arrowUp.lineTo (9.0f, 8.0f);
    arrowUp.lineTo (9.0f, 11.0f);
    arrowUp.closeSubPath();

    // Each further arrow is one more quarter turn about the box's centre: right, then down, then left.
    const auto quarter = juce::AffineTransform::rotation (juce::MathConstants<float>::halfPi, 6.5f, 6.5f);
    arrowRight = arrowUp;
    arrowRight.applyTransform (quarter);
    arrowDown = arrowRight;
    arrowDown.applyTransform (quarter);
    arrowLeft = arrowDown;
    arrowLeft.applyTransform (quarter);

    defaultFont = EmbeddedFonts::makeFont (13.0f, juce::Font::plain);
    boldFont = EmbeddedFonts::makeFont (13.0f, juce::Font::bold);
    setDefaultSansSerifTypeface (EmbeddedFonts::getRegular());
}

DefaultLookAndFeel::~DefaultLookAndFeel() = default;

//==============================================================================
void DefaultLookAndFeel::drawArrowTriangle (juce::Graphics& g, int x, int y, int w, int h, bool pointsRight)
{
    g.setColour (juce::Colour (0xFF808080));
    juce::Path p;
    if (pointsRight)
        p.addTriangle ((float) x + 4.0f, (float) y + 3.0f, (float) x + 4.0f, (float) (y + h) - 3.0f,
                       (float) (x + w) - 2.0f, (float) y + (float) h / 2.0f);
    else
        p.addTriangle ((float) x + 3.0f, (float) y + 4.0f, (float) (x + w) - 1.0f, (float) y + 4.0f,
                       (float) x + (float) w / 2.0f + 1.0f, (float) (y + h) - 4.0f);
    g.fillPath (p);
}

juce::Image DefaultLookAndFeel::getCheckBoxOffImage()
{
    return SkinArtwork::getCheckBoxImage (false);
}
juce::Image DefaultLookAndFeel::getCheckBoxOnImage()
{
    return SkinArtwork::getCheckBoxImage (true);
}
juce::Font DefaultLookAndFeel::getDefaultFont()
{
    return defaultFont;
}
juce::Font DefaultLookAndFeel::getBoldFont()
{
    return boldFont;
}
juce::Image DefaultLookAndFeel::getRadioButtonOffImage()
{
    return SkinArtwork::getRadioButtonImage (false);
}
juce::Image DefaultLookAndFeel::getRadioButtonOnImage()
{
    return SkinArtwork::getRadioButtonImage (true);
}
juce::Font DefaultLookAndFeel::getTabTextFont()
{
    return boldFont;
}
int DefaultLookAndFeel::getTabBarDepth()
{
    return 23;
}
int DefaultLookAndFeel::getTabEdgeIndent()
{
    return 8;
}
juce::Font DefaultLookAndFeel::getStatusBarFont()
{
    return defaultFont;
}
int DefaultLookAndFeel::getStatusBarHeight()
{
    return 16;
}
int DefaultLookAndFeel::getDefaultIconSize()
{
    return 1;
}
int DefaultLookAndFeel::getDefaultTextButtonSize()
{
    return 1;
}

juce::ImageButton* DefaultLookAndFeel::createIconButton (const juce::String& name, int icon, int size)
{
    if (!SkinArtwork::hasIconImage (icon))
        return nullptr;
    auto* button = new juce::ImageButton (name);
    setIconButtonImages (*button, icon, size);
    return button;
}

juce::ImageButton* DefaultLookAndFeel::createIconButton (const juce::String& name, int icon)
{
    return createIconButton (name, icon, getDefaultIconSize());
}

void DefaultLookAndFeel::setIconButtonImages (juce::ImageButton& button, int icon, int size)
{
    if (!SkinArtwork::hasIconImage (icon))
        return;

    const bool large = size == 2;
    const auto normal = SkinArtwork::getIconImage (icon, large, false);
    const auto pressed = SkinArtwork::getIconImage (icon, large, true);
    button.setImages (true, false, true, normal, 1.0f, {}, {}, 1.0f, {}, pressed, 1.0f, {});
    button.setSize (normal.getWidth(), normal.getHeight());
}

TextButtonEx* DefaultLookAndFeel::createTextButton (const juce::String& name, int size)
{
    auto* button = new TextButtonEx (name);
    setTextButtonImages (*button, size == 2 ? 2 : 1);
    return button;
}

TextButtonEx* DefaultLookAndFeel::createTextButton (const juce::String& name)
{
    return createTextButton (name, getDefaultTextButtonSize());
}

void DefaultLookAndFeel::setTextButtonImages (TextButtonEx& button, int size)
{
    if (size < 0 || size > 2)
        return;

    button.setImageSize (size); // kept through the look-and-feel change that adding to a parent brings
    const bool large = size == 2;
    std::array<juce::Image, SkinArtwork::numTextButtonParts> images;
    for (int part = 0; part < SkinArtwork::numTextButtonParts; ++part)
        images[(size_t) part] = SkinArtwork::getTextButtonImage (large, part);

    button.setImages (images[0], images[1], images[2], images[3], images[4], images[5], images[6]);
}

//==============================================================================
std::unique_ptr<juce::Drawable> DefaultLookAndFeel::createDrawableFromSVG (const char* data, size_t size)
{
    if (data == nullptr || size == 0)
        return {};

    const auto xml = XmlHelpers::parse (data, size);
    if (xml == nullptr || !xml->getTagName().equalsIgnoreCase ("svg"))
        return {};
    return juce::Drawable::createFromSVG (*xml);
}

std::unique_ptr<juce::Drawable> DefaultLookAndFeel::getIcon (int index)
{
    const char* document = SkinArtwork::getIconDocument (index);
    if (document == nullptr)
        return {};
    return createDrawableFromSVG (document, std::strlen (document));
}

void DefaultLookAndFeel::fillRoundedRectangle (juce::Graphics& g, const juce::Rectangle<int>& area,
                                               float cornerSize)
{
    g.fillRoundedRectangle (area.toFloat(), cornerSize);
}

void DefaultLookAndFeel::drawRoundedRectangle (juce::Graphics& g, const juce::Rectangle<int>& area,
                                               float cornerSize, float thickness)
{
    const float half = thickness / 2.0f;
    g.drawRoundedRectangle (area.toFloat().reduced (half), cornerSize - half, thickness);
}

void DefaultLookAndFeel::drawRoundedBox (juce::Graphics& g, const juce::Rectangle<int>& area,
                                         float cornerSize, juce::Colour fill, juce::Colour outline,
                                         float thickness)
{
    g.setColour (fill);
    fillRoundedRectangle (g, area.reduced (1), cornerSize);
    g.setColour (outline);
    drawRoundedRectangle (g, area, cornerSize, thickness);
}

void DefaultLookAndFeel::fillRoundedRectangleCorners (juce::Graphics& g, const juce::Rectangle<int>& area,
                                                      int side, juce::Colour colour)
{
    const bool left = side == leftSide, right = side == rightSide, bottom = side == bottomSide;
    const bool top = !left && !right && !bottom;
    const auto r = area.toFloat();

    juce::Path p;
    p.addRoundedRectangle (r.getX(), r.getY(), r.getWidth(), r.getHeight(), 8.0f, 8.0f, top || left,
                           top || right, bottom || left, bottom || right);
    g.setColour (colour);
    g.fillPath (p);
}

void DefaultLookAndFeel::fillShadedPanel (juce::Graphics& g, const juce::Rectangle<int>& area,
                                          juce::Colour colour)
{
    g.setColour (colour);
    fillRoundedRectangle (g, area, 6.0f);
    g.setColour (juce::Colours::white);
    drawRoundedRectangle (g, area, 6.0f, 1.0f);
}

void DefaultLookAndFeel::drawButtonShape (juce::Graphics& g, const juce::Path& outline, juce::Colour base,
                                          float height)
{
    const float brightness = base.getBrightness();
    const float alpha = base.getFloatAlpha();

    g.setGradientFill (
        juce::ColourGradient::vertical (base.brighter (0.2f), 0.0f, base.darker (0.25f), height));
    g.fillPath (outline);

    g.setColour (juce::Colours::white.withAlpha (0.4f * alpha * brightness * brightness));
    g.strokePath (outline, juce::PathStrokeType (1.0f),
                  juce::AffineTransform::translation (0.0f, 1.0f).scaled (1.0f, (height - 1.6f) / height));

    g.setColour (juce::Colours::black.withAlpha (0.4f * alpha));
    g.strokePath (outline, juce::PathStrokeType (1.0f));
}

juce::Colour DefaultLookAndFeel::getToggleBaseColour (const juce::Button& button, bool over, bool down)
{
    auto base = button.findColour (juce::TextButton::buttonColourId)
                    .withMultipliedSaturation (button.hasKeyboardFocus (true) ? 1.3f : 0.9f)
                    .withMultipliedAlpha (button.isEnabled() ? 0.9f : 0.5f);
    if (down || over)
        base = base.contrasting (down ? 0.2f : 0.1f);
    return base;
}

const juce::Path& DefaultLookAndFeel::getArrowPath (int direction) const
{
    switch (direction)
    {
        case 1: return arrowRight;
        case 2: return arrowDown;
        case 3: return arrowLeft;
        default: return arrowUp;
    }
}

//==============================================================================
juce::Font DefaultLookAndFeel::getWindowTitleFont()
{
    return boldFont.withHeight (15.0f);
}

void DefaultLookAndFeel::setCloseButtonImages (juce::ImageButton& button)
{
    setIconButtonImages (button, SkinArtwork::closeIcon, 1);
}

void DefaultLookAndFeel::drawWindow (juce::Graphics& g, WindowComponent& window)
{
    const auto bounds = window.getLocalBounds();
    const auto background = window.findColour (LookAndFeelColourIds::windowBackground);
    const auto frame = window.findColour (LookAndFeelColourIds::windowTitleBar);
    const int thickness = window.getOutlineThickness();

    switch (window.getWindowStyle())
    {
        case WindowComponent::squareStyle:
            g.setColour (background);
            g.fillRect (bounds);
            if (window.hasTitleBar())
            {
                g.setColour (frame);
                g.fillRect (window.getTitleBarArea());
            }
            g.setColour (frame);
            g.drawRect (bounds, thickness);
            break;

        case WindowComponent::roundedStyle:
            g.setColour (background);
            fillRoundedRectangle (g, bounds, 8.0f);
            if (window.hasTitleBar())
                fillRoundedRectangleCorners (g, window.getTitleBarArea(), topSide, frame);
            g.setColour (frame);
            drawRoundedRectangle (g, bounds, 8.0f, (float) thickness);
            break;

        default: break;
    }

    g.setColour (window.findColour (LookAndFeelColourIds::windowTitleText));
    g.setFont (window.getTitleFont());
    g.drawText (window.getTitle(), window.getTitleTextArea(), juce::Justification::centredLeft, false);
}

void DefaultLookAndFeel::drawHardLabel (juce::Graphics& g, HardLabel& label)
{
    const float alpha = label.isEnabled() ? 1.0f : 0.5f;
    g.setFont (getLabelFont (label));
    g.setColour (label.findColour (juce::Label::textColourId).withMultipliedAlpha (alpha));

    const auto border = label.getBorderSize();
    const juce::Rectangle<int> area (border.getLeft(), border.getTop(),
                                     label.getWidth() - border.getLeftAndRight(),
                                     label.getHeight() - border.getTopAndBottom());
    g.drawText (label.getText(), area, label.getJustificationType(), false);
}

juce::Font DefaultLookAndFeel::getPanelTitleFont()
{
    return boldFont;
}

//==============================================================================
juce::Typeface::Ptr DefaultLookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    return EmbeddedFonts::resolve (font);
}

void DefaultLookAndFeel::drawScrollbarButton (juce::Graphics& g, juce::ScrollBar& bar, int, int,
                                              int buttonDirection, bool, bool isMouseOverButton, bool)
{
    const auto thumb = bar.findColour (juce::ScrollBar::thumbColourId);
    if (!bar.isEnabled())
        g.setColour (thumb.withAlpha (0.5f));
    else if (isMouseOverButton)
        g.setColour (juce::Colours::black);
    else
        g.setColour (thumb);
    g.fillPath (getArrowPath (buttonDirection));
}

void DefaultLookAndFeel::drawScrollbar (juce::Graphics& g, juce::ScrollBar& bar, int x, int y, int width,
                                        int height, bool isScrollbarVertical, int thumbStartPosition,
                                        int thumbSize, bool isMouseOver, bool)
{
    const auto background = bar.findColour (juce::ScrollBar::backgroundColourId);
    if (background.getAlpha() != 0)
    {
        g.setColour (background);
        g.fillRect (x, y, width, height);
    }

    const bool enabled = bar.isEnabled();
    g.setColour (bar.findColour (juce::ScrollBar::trackColourId).withAlpha (enabled ? 1.0f : 0.5f));
    fillRoundedRectangle (g, bar.getLocalBounds(), 4.0f);

    const auto thumb = bar.findColour (juce::ScrollBar::thumbColourId);
    if (!enabled)
        g.setColour (thumb.withAlpha (0.5f));
    else if (isMouseOver)
        g.setColour (juce::Colours::black);
    else
        g.setColour (thumb);

    const auto thumbArea = isScrollbarVertical
                               ? juce::Rectangle<int> (x + 2, thumbStartPosition, width - 4, thumbSize)
                               : juce::Rectangle<int> (thumbStartPosition, y + 2, thumbSize, height - 4);
    fillRoundedRectangle (g, thumbArea, 4.0f);
}

int DefaultLookAndFeel::getDefaultScrollbarWidth()
{
    return 13;
}
int DefaultLookAndFeel::getScrollbarButtonSize (juce::ScrollBar&)
{
    return 13;
}

juce::Font DefaultLookAndFeel::getTextButtonFont (juce::TextButton&, int)
{
    return defaultFont;
}

void DefaultLookAndFeel::drawDrawableButton (juce::Graphics& g, juce::DrawableButton& button,
                                             bool isMouseOverButton, bool isButtonDown)
{
    const auto colourId = button.getToggleState() ? juce::DrawableButton::backgroundOnColourId
                                                  : juce::DrawableButton::backgroundColourId;
    drawButtonBackground (g, button, button.findColour (colourId), isMouseOverButton, isButtonDown);
}

void DefaultLookAndFeel::drawImageButton (juce::Graphics& g, juce::Image* image, int imageX, int imageY,
                                          int imageW, int imageH, const juce::Colour& overlayColour,
                                          float imageOpacity, juce::ImageButton& button)
{
    // JUCE fades a disabled image to 30 %; the program's disabled icons stay a little more legible.
    if (!button.isEnabled())
        imageOpacity *= 1.4f;
    juce::LookAndFeel_V2::drawImageButton (g, image, imageX, imageY, imageW, imageH, overlayColour,
                                           imageOpacity, button);
}

void DefaultLookAndFeel::fillTextEditorBackground (juce::Graphics& g, int, int, juce::TextEditor& editor)
{
    auto colour = editor.findColour (juce::TextEditor::backgroundColourId);
    if (!editor.isEnabled())
        colour = colour.darker (0.5f);
    g.fillAll (colour);
}

void DefaultLookAndFeel::drawTextEditorOutline (juce::Graphics& g, int width, int height,
                                                juce::TextEditor& editor)
{
    auto colour = editor.findColour (juce::TextEditor::outlineColourId);
    if (!editor.isEnabled())
        colour = colour.withAlpha (0.5f);
    g.setColour (colour);
    g.drawRect (0, 0, width, height, 1);
}

void DefaultLookAndFeel::drawFileBrowserRow (juce::Graphics& g, int width, int height, const juce::File&,
                                             const juce::String& filename, juce::Image* icon,
                                             const juce::String&, const juce::String&, bool isDirectory,
                                             bool isItemSelected, int,
                                             juce::DirectoryContentsDisplayComponent& display)
{
    // A colour set on the browser itself wins over the table's.
    auto* displayComponent = dynamic_cast<juce::Component*> (&display);
    const auto colour = [&] (int id)
    { return displayComponent != nullptr ? displayComponent->findColour (id) : findColour (id); };

    if (isItemSelected)
    {
        g.setColour (colour (juce::DirectoryContentsDisplayComponent::highlightColourId));
        g.fillRect (0, 0, width, height);
    }

    // The icon sits in a square as high as the row, the name after it.
    const juce::Rectangle<int> iconArea (0, 0, height, height);
    const auto symbolArea = iconArea.reduced (juce::jmax (2, height / 5)).toFloat();
    if (icon != nullptr && icon->isValid())
        g.drawImageWithin (*icon, (int) symbolArea.getX(), (int) symbolArea.getY(),
                           (int) symbolArea.getWidth(), (int) symbolArea.getHeight(),
                           juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize);
    else
    {
        // Linux gives no icons of its own: the program's folder and document symbols stand in.
        auto& symbol = isDirectory ? folderSymbol : documentSymbol;
        if (symbol == nullptr)
            symbol =
                SkinArtwork::createSymbol (isDirectory ? SkinArtwork::openIcon : SkinArtwork::documentIcon,
                                           juce::Colour (SkinArtwork::symbolColour));
        if (symbol != nullptr)
            symbol->drawWithin (g, symbolArea, juce::RectanglePlacement::centred, 1.0f);
    }

    g.setColour (colour (isItemSelected ? juce::DirectoryContentsDisplayComponent::highlightedTextColourId
                                        : juce::DirectoryContentsDisplayComponent::textColourId));
    g.setFont (defaultFont);
    g.drawText (filename,
                juce::Rectangle<int> (iconArea.getRight() + 2, 0, width - iconArea.getRight() - 4, height),
                juce::Justification::centredLeft, true);
}

juce::Font DefaultLookAndFeel::getComboBoxFont (juce::ComboBox&)
{
    return defaultFont;
}

void DefaultLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    label.setBounds (0, 0, box.getWidth() - 20, box.getHeight());
}

juce::Font DefaultLookAndFeel::getLabelFont (juce::Label&)
{
    return defaultFont;
}

void DefaultLookAndFeel::drawLinearSliderBackground (juce::Graphics& g, int x, int y, int width, int height,
                                                     float, float, float, const juce::Slider::SliderStyle,
                                                     juce::Slider&)
{
    g.setColour (juce::Colour (0xFF808080));
    g.fillRect (x, y + height / 2 - 3, width, 6);
}

void DefaultLookAndFeel::drawLinearSliderThumb (juce::Graphics& g, int x, int y, int width, int height,
                                                float sliderPos, float minSliderPos, float maxSliderPos,
                                                const juce::Slider::SliderStyle style, juce::Slider& slider)
{
    const int r = juce::jmin (getSliderThumbRadius (slider), 8);
    const auto base = slider.findColour (juce::TextButton::buttonColourId);

    const auto drawThumb = [&] (int thumbX)
    {
        const auto outline = [&]
        {
            juce::Path p;
            p.addRoundedRectangle ((float) thumbX + 0.5f, (float) y + 0.5f, (float) r - 1.0f,
                                   (float) height - 1.0f, 2.0f);
            return p;
        }();
        drawButtonShape (g, outline, base, (float) height);
    };

    if (style == juce::Slider::LinearHorizontal)
        drawThumb ((int) sliderPos - r / 2);
    else if (style == juce::Slider::TwoValueHorizontal)
    {
        drawThumb ((int) minSliderPos - r + 1);
        drawThumb ((int) maxSliderPos);
    }
    else
        juce::LookAndFeel_V2::drawLinearSliderThumb (g, x, y, width, height, sliderPos, minSliderPos,
                                                     maxSliderPos, style, slider);
}

int DefaultLookAndFeel::getSliderThumbRadius (juce::Slider&)
{
    return 10;
}

void DefaultLookAndFeel::drawCornerResizer (juce::Graphics& g, int w, int h, bool isMouseOver,
                                            bool isMouseDragging)
{
    const bool active = isMouseOver || isMouseDragging;
    juce::Path triangle;
    triangle.addTriangle (4.0f, (float) h - 3.0f, (float) w - 3.0f, 4.0f, (float) w - 3.0f, (float) h - 3.0f);

    g.setColour (active ? juce::Colours::black : juce::Colour (0xFF808080));
    g.strokePath (triangle, juce::PathStrokeType (1.0f));
    g.setColour (active ? juce::Colour (0xFFCCFF52) : juce::Colour (0xFF808080));
    g.fillPath (triangle);
}

void DefaultLookAndFeel::drawDocumentWindowTitleBar (juce::DocumentWindow& window, juce::Graphics& g, int w,
                                                     int h, int titleSpaceX, int titleSpaceW,
                                                     const juce::Image*, bool)
{
    g.fillAll (juce::Colour (0xFFCBCBCB));
    g.setColour (juce::Colours::black);
    g.setFont (defaultFont.withHeight ((float) h * 0.65f));
    g.drawText (window.getName(), titleSpaceX, 0, juce::jmin (titleSpaceW, w - titleSpaceX), h,
                juce::Justification::centredLeft, false);
}

void DefaultLookAndFeel::positionDocumentWindowButtons (juce::DocumentWindow&, int, int, int titleBarW,
                                                        int titleBarH, juce::Button*, juce::Button*,
                                                        juce::Button* closeButton, bool)
{
    if (closeButton == nullptr)
        return;
    const int bw = closeButton->getWidth(), bh = closeButton->getHeight();
    closeButton->setBounds (titleBarW - bw - 1, (titleBarH - bh) / 2 + 3, bw, bh);
}

juce::Rectangle<int> DefaultLookAndFeel::getTooltipSize (const juce::String& text)
{
    return {0, 0, juce::roundToInt (defaultFont.getStringWidthFloat (text)) + 12,
            juce::roundToInt (defaultFont.getHeight()) + 7};
}

juce::Rectangle<int> DefaultLookAndFeel::getTooltipBounds (const juce::String& tipText,
                                                           juce::Point<int> screenPos,
                                                           juce::Rectangle<int> parentArea)
{
    const auto size = getTooltipSize (tipText);
    const int w = size.getWidth(), h = size.getHeight();
    return juce::Rectangle<int> (
               screenPos.x > parentArea.getCentreX() ? screenPos.x - (w + 12) : screenPos.x + 24,
               screenPos.y > parentArea.getCentreY() ? screenPos.y - (h + 6) : screenPos.y + 6, w, h)
        .constrainedWithin (parentArea);
}

void DefaultLookAndFeel::drawTooltip (juce::Graphics& g, const juce::String& text, int width, int height)
{
    const juce::Rectangle<int> area (0, 0, width, height);
    g.setColour (findColour (juce::TooltipWindow::backgroundColourId));
    fillRoundedRectangle (g, area.reduced (1), 4.0f);
    g.setColour (findColour (juce::TooltipWindow::outlineColourId));
    drawRoundedRectangle (g, area, 4.0f, 1.2f);
    g.setColour (findColour (juce::TooltipWindow::textColourId));
    g.setFont (defaultFont);
    g.drawText (text, area, juce::Justification::centred, false);
}

int DefaultLookAndFeel::getTabButtonSpaceAroundImage()
{
    return 1;
}
int DefaultLookAndFeel::getTabButtonOverlap (int)
{
    return 4;
}

int DefaultLookAndFeel::getTabButtonBestWidth (juce::TabBarButton& button, int)
{
    return (int) std::floor (boldFont.getStringWidthFloat (button.getButtonText())) + 30;
}

void DefaultLookAndFeel::drawTabButton (juce::TabBarButton& button, juce::Graphics& g, bool isMouseOver,
                                        bool isMouseDown)
{
    juce::Path shape;
    createTabButtonShape (button, shape, isMouseOver, isMouseDown);
    fillTabButtonShape (button, g, shape, isMouseOver, isMouseDown);
    drawTabButtonText (button, g, isMouseOver, isMouseDown);
}

void DefaultLookAndFeel::drawTabButtonText (juce::TabBarButton& button, juce::Graphics& g, bool, bool)
{
    const auto colourId =
        button.isFrontTab() ? LookAndFeelColourIds::tabFrontText : LookAndFeelColourIds::tabOutline;
    g.setColour (button.findColour (colourId).withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f));
    g.setFont (boldFont);
    g.drawText (button.getButtonText(), button.getTextArea(), juce::Justification::centred, false);
}

void DefaultLookAndFeel::drawTabAreaBehindFrontButton (juce::TabbedButtonBar& bar, juce::Graphics& g, int w,
                                                       int h)
{
    // The rectangle reaches below the bar, so only its top row shows: a line under the tabs.
    g.setColour (bar.findColour (LookAndFeelColourIds::tabOutline));
    fillRoundedRectangle (g, {0, h - 1, w, h + 2}, 4.0f);
}

void DefaultLookAndFeel::createTabButtonShape (juce::TabBarButton& button, juce::Path& p, bool, bool)
{
    const auto area = button.getActiveArea();
    const float w = (float) area.getWidth(), h = (float) area.getHeight();
    const float o = (float) getTabButtonOverlap (0);

    juce::Path corners;
    corners.startNewSubPath (o + 0.5f, 0.5f);
    corners.lineTo (w + 0.5f, 0.5f);
    corners.lineTo (w + 0.5f, h + 4.5f);
    corners.lineTo (o + 0.5f, h + 4.5f);
    corners.closeSubPath();

    p = corners.createPathWithRoundedCorners (4.0f);
}

void DefaultLookAndFeel::fillTabButtonShape (juce::TabBarButton& button, juce::Graphics& g,
                                             const juce::Path& p, bool, bool)
{
    auto fill = button.getTabBackgroundColour();
    if (!button.isFrontTab())
        fill = fill.darker (0.2f);
    g.setColour (fill);
    g.fillPath (p);

    g.setColour (button.findColour (LookAndFeelColourIds::tabOutline)
                     .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f));
    g.strokePath (p, juce::PathStrokeType (1.0f));
}

void DefaultLookAndFeel::drawProgressBar (juce::Graphics&, juce::ProgressBar&, int, int, double,
                                          const juce::String&)
{
}

void DefaultLookAndFeel::drawLevelMeter (juce::Graphics&, int, int, float) {}
