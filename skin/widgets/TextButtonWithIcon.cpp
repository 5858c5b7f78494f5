#include "skin/widgets/TextButtonWithIcon.h"

#include "skin/lookandfeel/DefaultLookAndFeel.h"

TextButtonWithIcon::TextButtonWithIcon()
    : juce::TextButton (juce::String())
{
    setTooltip ({});
    setWantsKeyboardFocus (false);
}

TextButtonWithIcon::~TextButtonWithIcon() = default;

void TextButtonWithIcon::setIcon (const juce::Drawable& drawable)
{
    iconOff = drawable.createCopy();
    iconOn = drawable.createCopy();
    for (auto* icon : {iconOff.get(), iconOn.get()})
    {
        icon->setInterceptsMouseClicks (false, false);
        icon->setMouseClickGrabsKeyboardFocus (false);
        addChildComponent (*icon);
    }
    resized();
    buttonStateChanged();
}

void TextButtonWithIcon::setIconOnRight (bool onRight)
{
    iconOnRight = onRight ? 1 : 0;
    resized();
    repaint();
}

void TextButtonWithIcon::setIconMargins (int top, int left, int bottom, int right)
{
    marginTop = top;
    marginLeft = left;
    marginBottom = bottom;
    marginRight = right;
    resized();
    repaint();
}

juce::Rectangle<int> TextButtonWithIcon::getIconArea() const
{
    const int s = getHeight() - marginTop - marginBottom;
    return iconOnRight != 0 ? juce::Rectangle<int> (getWidth() - marginRight - s, marginTop, s, s)
                            : juce::Rectangle<int> (marginLeft, marginTop, s, s);
}

void TextButtonWithIcon::updateFromParameter (Parameter* p)
{
    if (p != nullptr)
        setToggleState (p->getValueBool(), juce::dontSendNotification);
}

void TextButtonWithIcon::buttonStateChanged()
{
    const bool on = getToggleState();
    if (iconOff != nullptr)
        iconOff->setVisible (!on);
    if (iconOn != nullptr)
        iconOn->setVisible (on);
    if (parameter != nullptr)
        parameter->setValueBool (on, true);
}

void TextButtonWithIcon::enablementChanged()
{
    juce::TextButton::enablementChanged();
    repaint();
    const float alpha = isEnabled() ? 1.0f : 0.5f;
    for (auto* icon : {iconOff.get(), iconOn.get()})
        if (icon != nullptr)
            icon->setAlpha (alpha);
}

void TextButtonWithIcon::resized()
{
    const auto area = getIconArea().toFloat();
    for (auto* icon : {iconOff.get(), iconOn.get()})
        if (icon != nullptr && !area.isEmpty())
            icon->setTransformToFit (area, juce::RectanglePlacement::centred);
}

void TextButtonWithIcon::paintButton (juce::Graphics& g, bool over, bool down)
{
    const bool on = getToggleState();
    auto& lf = getLookAndFeel();
    lf.drawButtonBackground (g, *this, findColour (on ? buttonOnColourId : buttonColourId), over, down);

    const auto icon = getIconArea();
    const float baseAlpha = DefaultLookAndFeel::getToggleBaseColour (*this, false, false).getFloatAlpha();
    g.setColour (juce::Colours::black.withAlpha (0.4f * baseAlpha));
    if (getHeight() - 3 > 2)
    {
        const int x = iconOnRight != 0 ? icon.getX() - marginRight : icon.getRight() + marginLeft;
        g.fillRect (x, 2, 1, getHeight() - 3 - 2);
    }

    g.setFont (lf.getTextButtonFont (*this, getHeight()));
    g.setColour (
        findColour (on ? textColourOnId : textColourOffId).withMultipliedAlpha (isEnabled() ? 1.0f : 0.5f));
    const int s = icon.getWidth();
    const auto textArea =
        iconOnRight != 0 ? getLocalBounds().withTrimmedRight (s) : getLocalBounds().withTrimmedLeft (s);
    g.drawText (getButtonText(), textArea, juce::Justification::centred, false);
}
