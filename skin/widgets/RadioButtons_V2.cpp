#include "skin/widgets/RadioButtons_V2.h"

#include "skin/lookandfeel/DefaultLookAndFeel.h"

RadioButton::RadioButton (const juce::String& buttonText)
    : juce::TextButton (buttonText)
{
    setWantsKeyboardFocus (false);
}

void RadioButton::changeWidthToFitText (int height)
{
    const int h = height < 0 ? getHeight() : height;
    const auto font = getLookAndFeel().getTextButtonFont (*this, h);
    setSize ((int) (std::round (font.getStringWidthFloat (getButtonText())) + 1.2 * h), h);
}

juce::Rectangle<int> RadioButton::getRingArea() const
{
    return getLocalBounds().withWidth (getHeight()).reduced (2).translated (-2, 0);
}

void RadioButton::paintButton (juce::Graphics& g, bool over, bool down)
{
    const auto ring = getRingArea().toFloat();
    const float w = ring.getWidth(), h = ring.getHeight();
    if (w - 1.0f > 0.0f && h - 1.0f > 0.0f)
    {
        juce::Path outline;
        outline.addEllipse (ring.getX() + 0.5f, ring.getY() + 0.5f, w - 1.0f, h - 1.0f);
        DefaultLookAndFeel::drawButtonShape (
            g, outline, DefaultLookAndFeel::getToggleBaseColour (*this, over, down), h - 1.0f);

        if (getToggleState())
        {
            const float d = h / 4.0f;
            g.setColour (juce::Colours::black);
            g.fillEllipse (ring.getX() + d + 0.5f, ring.getY() + d + 0.5f,
                           juce::jmax (w - 2.0f * d, 0.0f) - 1.0f, juce::jmax (h - 2.0f * d, 0.0f) - 1.0f);
        }
    }

    g.setFont (getLookAndFeel().getTextButtonFont (*this, getHeight()));
    g.setColour (findColour (juce::Label::textColourId).withMultipliedAlpha (isEnabled() ? 1.0f : 0.5f));
    g.drawText (getButtonText(),
                getLocalBounds().withTrimmedLeft ((int) (1.2 * getHeight())).translated (-2, 0),
                juce::Justification::centredLeft, false);
}

//==============================================================================
RadioButtons_V2::RadioButtons_V2 (const juce::String& title, const juce::StringArray& names)
    : panel (title)
{
    for (const auto& name : names)
        addButton (new RadioButton (name));
    row.setOrientation (ComponentRow::vertical);
    row.setAlignment (ComponentRow::alignStart);
    row.setSpacing (2);
    panel.setContentComponent (&row, false);
    addAndMakeVisible (panel);
}

RadioButtons_V2::~RadioButtons_V2()
{
    for (auto* b : buttons)
        b->removeListener (this);
}

void RadioButtons_V2::addButton (RadioButton* button)
{
    button->changeWidthToFitText (18);
    button->setClickingTogglesState (true);
    button->setTriggeredOnMouseDown (true);
    button->addListener (this);
    buttons.add (button);
    row.addAndMakeVisible (button);
}

void RadioButtons_V2::showSelection()
{
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setToggleState (i == selectedIndex, juce::dontSendNotification);
}

void RadioButtons_V2::notifyListeners()
{
    listeners.call ([this] (Listener& l) { l.radioButtonsChanged (this); });
}

void RadioButtons_V2::setSelectedIndex (int index, bool notify)
{
    selectedIndex = juce::isPositiveAndBelow (index, buttons.size()) ? index : -1;
    showSelection();
    if (notify)
    {
        notifyListeners();
        if (parameter != nullptr)
            parameter->setValueInt (selectedIndex, true);
    }
    selectionChanged();
}

void RadioButtons_V2::setButtonWidth (int width)
{
    if (width < 0)
        for (auto* b : buttons)
            b->changeWidthToFitText (b->getHeight());
    panel.fitToContent (width, -1);
    setSize (panel.getWidth(), panel.getHeight());
    resized();
}

void RadioButtons_V2::addListener (Listener* l)
{
    listeners.add (l);
}
void RadioButtons_V2::removeListener (Listener* l)
{
    listeners.remove (l);
}

void RadioButtons_V2::updateFromParameter (Parameter* p)
{
    if (p == nullptr)
        return;
    // A value past the last button (or negative) shows no selection.
    const int value = p->getValueInt();
    selectedIndex = juce::isPositiveAndBelow (value, buttons.size()) ? value : -1;
    showSelection();
    selectionChanged();
}

void RadioButtons_V2::buttonClicked (juce::Button* b)
{
    setSelectedIndex (buttons.indexOf (static_cast<RadioButton*> (b)), true);
}

void RadioButtons_V2::resized()
{
    panel.setSize (getWidth(), getHeight());
    // The panel places its content only when asked; its content area moves with its size.
    panel.updateLayout();
    const int width = panel.getContentBounds().getWidth();
    for (auto* b : buttons)
        b->setSize (width, b->getHeight());
}

//==============================================================================
DefaultResourcesRadioButtons::DefaultResourcesRadioButtons (const juce::String& title,
                                                            const juce::StringArray& names)
    : RadioButtons_V2 (title, names)
{
    pathComponent.addListener (this);
    addAndMakeVisible (pathComponent);
    selectionChanged();
}

DefaultResourcesRadioButtons::~DefaultResourcesRadioButtons()
{
    pathComponent.removeListener (this);
}

void DefaultResourcesRadioButtons::selectionChanged()
{
    pathComponent.setEnabled (!buttons.isEmpty() && selectedIndex == buttons.size() - 1);
}

void DefaultResourcesRadioButtons::resized()
{
    RadioButtons_V2::resized();
    if (buttons.isEmpty())
        return;

    auto* last = buttons.getLast();
    last->changeWidthToFitText (last->getHeight());
    const auto content = panel.getContentBounds();
    const auto b = last->getBounds() + content.getPosition() + panel.getPosition();
    pathComponent.setBounds (b.getRight() + 6, b.getY(), content.getWidth() - b.getWidth() - 6, 20);
}

void DefaultResourcesRadioButtons::childBoundsChanged (juce::Component* child)
{
    if (child == &pathComponent)
        resized();
}

void DefaultResourcesRadioButtons::lookAndFeelChanged()
{
    resized();
}

void DefaultResourcesRadioButtons::pathChanged (PathComponent*)
{
    notifyListeners();
}
