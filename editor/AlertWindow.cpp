#include "editor/AlertWindow.h"

#include "skin/lookandfeel/DefaultLookAndFeel.h"

namespace Zeb
{
AlertWindow::AlertWindow()
{
    setWantsKeyboardFocus (true);
    buttonRow.setOrientation (ComponentRow::horizontal);
    buttonRow.setAlignment (ComponentRow::alignEnd);
    buttonRow.setSpacing (6);
    addAndMakeVisible (buttonRow);
    message.setJustificationType (juce::Justification::centredLeft);
    // Wrapped lines keep their letters' width instead of being squeezed into one line.
    message.setMinimumHorizontalScale (1.0f);
    message.setBorderSize ({}); // the label is exactly as wide as the text it was sized for
    message.setInterceptsMouseClicks (false, false);
    addAndMakeVisible (message);
    lookAndFeelChanged();
}

AlertWindow::~AlertWindow()
{
    for (auto* b : buttons)
        b->removeListener (this);
}

AlertWindow* AlertWindow::create (const juce::String& title, const juce::String& text, Caller* c)
{
    auto* w = new AlertWindow();
    w->setTitle (title);
    w->setMessage (text);
    w->setCaller (c);
    return w;
}

AlertWindow* AlertWindow::createMessageBox (const juce::String& title, const juce::String& text, Caller* c)
{
    auto* w = create (title, text, c);
    auto* ok = w->addButton ("OK", okResult);
    w->setReturnButton (ok);
    w->setEscapeButton (ok);
    return w;
}

AlertWindow* AlertWindow::createYesNoBox (const juce::String& title, const juce::String& text, Caller* c)
{
    auto* w = create (title, text, c);
    w->setReturnButton (w->addButton ("Yes", yesResult));
    w->setEscapeButton (w->addButton ("No", noResult));
    return w;
}

namespace
{
/** A yes/no box that is its own caller and passes the answer on to a function. */
class AnsweringYesNoBox : public AlertWindow, private AlertWindow::Caller
{
public:
    explicit AnsweringYesNoBox (std::function<void (bool)> f)
        : answer (std::move (f))
    {
        setCaller (this);
    }

    // A question that has to be answered: closing its window is a no.
    void buttonClicked (juce::Button* b) override
    {
        if (b != &getCloseButton())
        {
            AlertWindow::buttonClicked (b);
            return;
        }
        hideWindow();
        alertWindowClosed (this, noResult);
    }

private:
    void alertWindowClosed (AlertWindow*, int result) override
    {
        // A copy: the function may delete this window.
        if (auto f = answer)
            f (result == yesResult);
    }

    std::function<void (bool)> answer;
};
} // namespace

std::unique_ptr<AlertWindow> AlertWindow::createYesNoQuestion (const juce::String& title,
                                                               const juce::String& text,
                                                               std::function<void (bool)> answer)
{
    auto w = std::make_unique<AnsweringYesNoBox> (std::move (answer));
    w->setTitle (title);
    w->setMessage (text);
    w->setReturnButton (w->addButton ("Yes", yesResult));
    w->setEscapeButton (w->addButton ("No", noResult));
    return w;
}

AlertWindow* AlertWindow::createYesCancelBox (const juce::String& title, const juce::String& text, Caller* c)
{
    auto* w = create (title, text, c);
    w->addButton ("Yes", yesResult);
    w->addButton ("Cancel", cancelResult);
    return w;
}

AlertWindow* AlertWindow::createSaveQuestionBox (const juce::String& title, const juce::String& text,
                                                 Caller* c)
{
    auto* w = create (title, text, c);
    w->addButton ("Save as", saveAsResult);
    w->addButton ("Overwrite", overwriteResult);
    w->addButton ("Discard", discardResult);
    return w;
}

juce::TextButton* AlertWindow::addButton (const juce::String& text, int result)
{
    auto* b = buttons.add (new juce::TextButton (text));
    b->addListener (this);
    b->setSize (b->getBestWidthForHeight (buttonHeight), buttonHeight);
    results.add (result);
    buttonRow.addAndMakeVisible (b);
    updateLayout();
    resized();
    return b;
}

void AlertWindow::setMessage (const juce::String& text)
{
    message.setText (text, juce::dontSendNotification);
    updateLayout();
}

juce::var AlertWindow::getAttachedString (int index) const
{
    return juce::isPositiveAndBelow (index, attached.size()) ? attached.getReference (index) : juce::var();
}

juce::Point<int> AlertWindow::contentSizeFor (const juce::String& text, const juce::Font& font, int rowWidth,
                                              int rowHeight, int maxWidth)
{
    const int fontHeight = juce::roundToInt (std::ceil (font.getHeight()));
    const int textWidth = juce::roundToInt (std::ceil (font.getStringWidthFloat (text)));
    int width = juce::jmax (textWidth, rowWidth);
    int lines = 1;
    if (maxWidth > 0 && width > maxWidth)
    {
        width = juce::jmax (maxWidth, rowWidth);
        juce::GlyphArrangement wrapped;
        wrapped.addJustifiedText (font, text, 0.0f, 0.0f, (float) width, juce::Justification::left);
        lines = juce::jmax (
            1, juce::roundToInt (wrapped.getBoundingBox (0, -1, true).getHeight() / font.getHeight()));
    }
    return {width, lines * fontHeight + rowHeight + 20};
}

int AlertWindow::getMaximumContentWidth() const
{
    auto* desktop = dynamic_cast<juce::Component*> (findDesktop());
    if (desktop == nullptr || desktop == this)
        return 0;
    const int frame = (hasBorder() ? 2 * getBorderWidth() : 0) + 12; // left and right margins
    return juce::jmax (1, desktop->getWidth() - frame);
}

void AlertWindow::updateLayout()
{
    const auto size = contentSizeFor (message.getText(), message.getFont(), buttonRow.getWidth(),
                                      buttonRow.getHeight(), getMaximumContentWidth());
    setContentSize (size.x, size.y);
}

void AlertWindow::resized()
{
    WindowComponent::resized();
    auto area = getContentArea();
    auto strip = area.removeFromBottom (buttonRow.getHeight());
    buttonRow.setTopLeftPosition (strip.getRight() - buttonRow.getWidth(), strip.getY());
    area.removeFromBottom (10);
    message.setBounds (area);
}

void AlertWindow::lookAndFeelChanged()
{
    WindowComponent::lookAndFeelChanged();
    if (auto* lf = dynamic_cast<DefaultLookAndFeel*> (&getLookAndFeel()))
        message.setFont (lf->getDefaultFont());
    updateLayout();
}

void AlertWindow::press (juce::Button* b)
{
    buttonClicked (b);
}

bool AlertWindow::keyPressed (const juce::KeyPress& key)
{
    if (key.getKeyCode() == juce::KeyPress::escapeKey && escapeButton != nullptr)
    {
        press (escapeButton);
        return true;
    }
    if (key.getKeyCode() == juce::KeyPress::returnKey && returnButton != nullptr)
    {
        press (returnButton);
        return true;
    }
    return false;
}

void AlertWindow::buttonClicked (juce::Button* b)
{
    WindowComponent::buttonClicked (b);
    const int index = buttons.indexOf (dynamic_cast<juce::TextButton*> (b));
    if (index < 0)
        return;
    hideWindow();
    // The caller may delete this window: nothing touches a member after the call.
    if (auto* c = caller)
        c->alertWindowClosed (this, getResultCode (index));
}

void AlertWindow::parentHierarchyChanged()
{
    WindowComponent::parentHierarchyChanged();
    if (auto* parent = getParentComponent())
    {
        auto* source = parent == &getCoveringWindow() && getCoveringWindow().getParentComponent() != nullptr
                           ? getCoveringWindow().getParentComponent()
                           : parent;
        if (&getLookAndFeel() != &source->getLookAndFeel())
            setLookAndFeel (&source->getLookAndFeel());
        else
            updateLayout(); // a new editor may limit the width differently
    }
}

void AlertWindow::textEditorReturnKeyPressed (juce::TextEditor&)
{
    if (returnButton != nullptr)
        press (returnButton);
}

void AlertWindow::textEditorEscapeKeyPressed (juce::TextEditor&)
{
    if (escapeButton != nullptr)
        press (escapeButton);
}
} // namespace Zeb
