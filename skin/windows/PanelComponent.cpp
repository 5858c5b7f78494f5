#include "skin/windows/PanelComponent.h"

#include "skin/windows/LookAndFeelColour.h"

PanelComponent::PanelComponent()
    : PanelComponent (juce::String())
{
}

PanelComponent::PanelComponent (const juce::String& t)
    : title (t)
{
    lookAndFeelChanged();
}

PanelComponent::~PanelComponent() = default;

void PanelComponent::setTitle (const juce::String& t)
{
    if (t == title)
        return;
    title = t;
    updateLayout();
    repaint();
}

void PanelComponent::setContentComponent (juce::Component* newContent, bool fit)
{
    if (content != nullptr)
        removeChildComponent (content);
    content = newContent;
    resizeToFit = fit;
    if (content != nullptr)
        addAndMakeVisible (content);
    updateLayout();
}

int PanelComponent::fittedWidth() const
{
    const int titleWidth = font.getStringWidth (title);
    return juce::jmax (titleWidth + 20, (content != nullptr ? content->getWidth() : 0) + 16);
}

int PanelComponent::fittedHeight() const
{
    return juce::roundToInt (font.getHeight()) + 16 + (content != nullptr ? content->getHeight() : 0);
}

void PanelComponent::updateLayout()
{
    if (content == nullptr || laying)
        return;
    const juce::ScopedValueSetter<bool> guard (laying, true);
    if (resizeToFit)
        setSize (fittedWidth(), fittedHeight());
    content->setTopLeftPosition (getContentBounds().getTopLeft());
}

void PanelComponent::fitToContent (int width, int height)
{
    setSize (width < 0 ? fittedWidth() : width, height < 0 ? fittedHeight() : height);
}

juce::Rectangle<int> PanelComponent::getContentBounds() const
{
    const int fontHeight = juce::roundToInt (font.getHeight());
    return {juce::Point<int> (8, fontHeight + 8), juce::Point<int> (getWidth() - 8, getHeight() - 8)};
}

void PanelComponent::childBoundsChanged (juce::Component* child)
{
    if (child == content && resizeToFit && !laying)
    {
        const juce::ScopedValueSetter<bool> guard (laying, true);
        setSize (fittedWidth(), fittedHeight());
    }
}

void PanelComponent::lookAndFeelChanged()
{
    if (auto* lf = dynamic_cast<LookAndFeelMethods*> (&getLookAndFeel()))
        font = lf->getPanelTitleFont();
    updateLayout();
    repaint();
}

void PanelComponent::paint (juce::Graphics& g)
{
    const float w = (float) getWidth();
    const float h = (float) getHeight();
    const float t = (float) (int) (font.getHeight() / 2.0f) + 0.5f;
    const float e = juce::jmin (w - 10.0f, std::ceil ((float) font.getStringWidthFloat (title)) + 10.0f);

    juce::Path outline;
    outline.startNewSubPath (5.5f, t);
    outline.lineTo (0.5f, t);
    outline.lineTo (0.5f, h - 0.5f);
    outline.lineTo (w - 0.5f, h - 0.5f);
    outline.lineTo (w - 0.5f, t);
    if (title.isNotEmpty())
        outline.lineTo (e + 4.5f, t);
    else
        outline.closeSubPath();

    g.setColour (lookAndFeelColour (*this, 0x0F005000, juce::Colour (0xFF7C7C7C)));
    g.strokePath (outline.createPathWithRoundedCorners (4.0f), juce::PathStrokeType (1.0f));

    if (title.isNotEmpty())
    {
        const bool enabled =
            isEnabled() && (getParentComponent() == nullptr || getParentComponent()->isEnabled());
        const auto colour = lookAndFeelColour (*this, juce::Label::textColourId, juce::Colours::black);
        g.setColour (colour.withMultipliedAlpha (enabled ? 1.0f : 0.5f));
        g.setFont (font);
        g.drawText (title, juce::Rectangle<float> (10.0f, 0.0f, w - 20.0f, font.getHeight()),
                    juce::Justification::topLeft, false);
    }
}
