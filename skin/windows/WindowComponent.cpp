#include "skin/windows/WindowComponent.h"

#include "skin/windows/LookAndFeelColour.h"

namespace
{
constexpr int minimumWidth = 250;
constexpr int minimumHeight = 120;
constexpr juce::uint32 closeHoverColour = 0xFFFF6C00;

WindowComponent::LookAndFeelMethods* windowMethods (juce::Component& c)
{
    return dynamic_cast<WindowComponent::LookAndFeelMethods*> (&c.getLookAndFeel());
}

std::unique_ptr<juce::DrawablePath> strokedPath (const juce::Path& p, juce::Colour colour, float thickness)
{
    auto d = std::make_unique<juce::DrawablePath>();
    d->setPath (p);
    d->setFill (juce::FillType (juce::Colours::transparentBlack));
    d->setStrokeFill (juce::FillType (colour));
    d->setStrokeType (
        juce::PathStrokeType (thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    return d;
}
} // namespace

std::unique_ptr<juce::Drawable> WindowComponent::createCloseCross (juce::Colour colour)
{
    // A 16 x 16 box keeps the cross's strokes on whole pixels at the button's 20 px.
    auto composite = std::make_unique<juce::DrawableComposite>();
    juce::Path cross;
    cross.startNewSubPath (4.0f, 4.0f);
    cross.lineTo (12.0f, 12.0f);
    cross.startNewSubPath (12.0f, 4.0f);
    cross.lineTo (4.0f, 12.0f);
    juce::Path frame;
    frame.addRectangle (0.0f, 0.0f, 16.0f, 16.0f);
    auto box = std::make_unique<juce::DrawablePath>();
    box->setPath (frame);
    box->setFill (juce::FillType (juce::Colours::transparentBlack));
    composite->addAndMakeVisible (box.release());
    composite->addAndMakeVisible (strokedPath (cross, colour, 2.0f).release());
    composite->setContentArea ({0.0f, 0.0f, 16.0f, 16.0f});
    composite->setBoundingBox (
        juce::Parallelogram<float> (juce::Rectangle<float> (0.0f, 0.0f, 16.0f, 16.0f)));
    return composite;
}

std::unique_ptr<juce::DrawableComposite> WindowComponent::createDefaultIcon()
{
    // A small window: a frame, its title strip and two content lines, on a 27 x 27 grid.
    auto composite = std::make_unique<juce::DrawableComposite>();

    juce::Path body;
    body.addRoundedRectangle (3.5f, 5.5f, 20.0f, 16.0f, 2.0f);
    auto bodyShape = std::make_unique<juce::DrawablePath>();
    bodyShape->setPath (body);
    bodyShape->setFill (juce::FillType (juce::Colour (0xFFC5C5C5)));
    bodyShape->setStrokeFill (juce::FillType (juce::Colours::white));
    bodyShape->setStrokeType (juce::PathStrokeType (1.0f));
    composite->addAndMakeVisible (bodyShape.release());

    juce::Path strip;
    strip.addRectangle (4.0f, 6.0f, 19.0f, 4.0f);
    auto stripShape = std::make_unique<juce::DrawablePath>();
    stripShape->setPath (strip);
    stripShape->setFill (juce::FillType (juce::Colour (closeHoverColour)));
    composite->addAndMakeVisible (stripShape.release());

    juce::Path lines;
    lines.startNewSubPath (7.0f, 14.0f);
    lines.lineTo (20.0f, 14.0f);
    lines.startNewSubPath (7.0f, 18.0f);
    lines.lineTo (16.0f, 18.0f);
    composite->addAndMakeVisible (strokedPath (lines, juce::Colour (0xFF444444), 1.5f).release());

    composite->setContentArea ({0.0f, 0.0f, 27.0f, 27.0f});
    composite->setBoundingBox (
        juce::Parallelogram<float> (juce::Rectangle<float> (0.0f, 0.0f, 27.0f, 27.0f)));
    return composite;
}

WindowComponent::WindowComponent()
{
    setOpaque (true);

    auto normal = createCloseCross (juce::Colours::white);
    auto over = createCloseCross (juce::Colour (closeHoverColour));
    closeButton.setImages (normal.get(), over.get());
    closeButton.setWantsKeyboardFocus (false);
    // Only the cross shows on the title bar: no button face behind it.
    closeButton.setColour (juce::DrawableButton::backgroundColourId, juce::Colours::transparentBlack);
    closeButton.setColour (juce::DrawableButton::backgroundOnColourId, juce::Colours::transparentBlack);
    closeButton.addListener (this);
    addChildComponent (closeButton);
    updateCloseButtonVisibility();

    setIcon (createDefaultIcon().release());
    lookAndFeelChanged();
}

WindowComponent::~WindowComponent()
{
    closeButton.removeListener (this);
}

void WindowComponent::setTitle (const juce::String& newTitle)
{
    if (newTitle == title)
        return;
    title = newTitle;
    if (titleBar)
        repaint();
}

void WindowComponent::setIcon (juce::Drawable* newIcon)
{
    std::unique_ptr<juce::Drawable> taken (newIcon);
    if (icon != nullptr)
        removeChildComponent (icon.get());
    icon.reset();

    if (dynamic_cast<juce::DrawableComposite*> (taken.get()) != nullptr)
    {
        icon = std::move (taken);
        icon->setInterceptsMouseClicks (false, false);
        addAndMakeVisible (icon.get());
    }
    resized();
}

void WindowComponent::setContentSize (int width, int height)
{
    int w = width;
    int h = height;
    if (titleBar)
        h += titleBarHeight;
    if (border)
    {
        w += 2 * borderWidth;
        h += borderWidth * (titleBar ? 2 : 1);
    }
    w += marginLeft + marginRight;
    h += marginTop + marginBottom;
    setSize (juce::jmax (w, minimumWidth), juce::jmax (h, minimumHeight));
}

void WindowComponent::setHasBorder (bool b)
{
    border = b;
    resized();
    repaint();
}

void WindowComponent::setHasTitleBar (bool b)
{
    titleBar = b;
    updateCloseButtonVisibility();
    resized();
    repaint();
}

void WindowComponent::updateCloseButtonVisibility()
{
    closeButton.setVisible (titleBar && closeButtonShown);
}

void WindowComponent::resized()
{
    auto area = getLocalBounds();
    if (border)
        area.reduce (borderWidth, borderWidth);
    if (titleBar)
        area.removeFromTop (titleBarHeight - (border ? borderWidth : 0));
    area.removeFromTop (marginTop);
    area.removeFromBottom (marginBottom);
    area.removeFromLeft (marginLeft);
    area.removeFromRight (marginRight);
    contentArea =
        area.withWidth (juce::jmax (0, area.getWidth())).withHeight (juce::jmax (0, area.getHeight()));

    titleBarArea = {0, 0, getWidth(), titleBar ? titleBarHeight : 0};
    auto text = titleBarArea;
    text.removeFromLeft (icon != nullptr ? titleBarHeight : 2 * borderWidth);
    if (closeButtonShown)
        text.removeFromRight (titleBarHeight);
    titleTextArea = text;

    const int side = juce::jmin (titleBarHeight, 20);
    closeButton.setBounds (getWidth() - side - 1 + (side / 2 - titleBarHeight / 2),
                           titleBarHeight / 2 - side / 2, side, side);

    if (icon != nullptr)
    {
        const int inset = (titleBarHeight - 27) / 2;
        const auto square = juce::Rectangle<int> (0, 0, titleBarHeight, titleBarHeight).reduced (inset);
        icon->setTransformToFit (square.toFloat(), juce::RectanglePlacement::centred);
        icon->setVisible (titleBar);
    }

    updatePosition();
}

void WindowComponent::paint (juce::Graphics& g)
{
    if (auto* lf = windowMethods (*this))
        lf->drawWindow (g, *this);
    else
        drawPlainWindow (g);
}

void WindowComponent::drawPlainWindow (juce::Graphics& g)
{
    g.fillAll (lookAndFeelColour (*this, 0x0F001000, juce::Colour (0xFFC5C5C5)));
    const auto frame = lookAndFeelColour (*this, 0x0F001001, juce::Colours::black);
    if (titleBar)
    {
        g.setColour (frame);
        g.fillRect (titleBarArea);
    }
    g.setColour (frame);
    g.drawRect (getLocalBounds(), getOutlineThickness());
    g.setColour (lookAndFeelColour (*this, 0x0F001002, juce::Colours::white));
    g.setFont (titleFont);
    g.drawText (title, titleTextArea, juce::Justification::centredLeft, false);
}

void WindowComponent::lookAndFeelChanged()
{
    if (auto* lf = windowMethods (*this))
        titleFont = lf->getWindowTitleFont();
    resized();
}

void WindowComponent::buttonClicked (juce::Button* b)
{
    if (b == &closeButton)
        hideWindow();
}
