#include "editor/StatusBar.h"

#include "editor/EditorStatusTexts.h"

#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/windows/LookAndFeelColour.h"

StatusBar::StatusBar()
{
    clearText (-1);
    lookAndFeelChanged();
}

StatusBar::~StatusBar() = default;

void StatusBar::clearText (int clearPriority)
{
    if (clearPriority != -1 && clearPriority < priority)
        return;
    priority = 0;
    if (text.isEmpty())
        return;
    text.clear();
    stopTimer();
    repaint();
}

bool StatusBar::accepts (const juce::String& newText, int newPriority) const
{
    return newText != text && newPriority >= priority;
}

void StatusBar::showTemporaryText (const juce::String& newText, int newPriority)
{
    if (!accepts (newText, newPriority))
        return;
    text = newText;
    priority = newPriority;
    startTimer (temporaryTextMilliseconds);
    repaint();
}

void StatusBar::showText (const juce::String& newText, int newPriority)
{
    if (!accepts (newText, newPriority))
        return;
    text = newText;
    priority = newPriority;
    stopTimer();
    repaint();
}

void StatusBar::timerCallback()
{
    clearText (-1);
}

void StatusBar::lookAndFeelChanged()
{
    if (auto* lf = dynamic_cast<DefaultLookAndFeel*> (&getLookAndFeel()))
    {
        font = lf->getStatusBarFont();
        setBounds (getX(), getY(), getWidth(), lf->getStatusBarHeight());
    }
    repaint();
}

void StatusBar::paint (juce::Graphics& g)
{
    g.fillAll (
        lookAndFeelColour (*this, LookAndFeelColourIds::statusBarBackground, juce::Colour (0xFF444444)));
    g.setColour (lookAndFeelColour (*this, LookAndFeelColourIds::statusBarText, juce::Colours::white));
    g.setFont (font);
    g.drawText (text, juce::Rectangle<int> (5, 0, getWidth(), getHeight()), juce::Justification::centredLeft,
                false);
}

void showSaveFailed (StatusBar* bar, const juce::File& file, const juce::String& what)
{
    if (bar != nullptr)
        bar->showTemporaryText (EditorStatusTexts::saveFailed (file, what),
                                EditorStatusTexts::failurePriority);
}

void showLoadFailed (StatusBar* bar, const juce::File& file, const juce::String& what)
{
    if (bar != nullptr)
        bar->showTemporaryText (EditorStatusTexts::loadFailed (file, what),
                                EditorStatusTexts::failurePriority);
}
