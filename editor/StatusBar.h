#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The one line of text under the panel. Messages carry a priority: a message never replaces a more
    important one, and temporary messages clear themselves after three seconds. Message thread only. */
class StatusBar : public juce::Component, private juce::Timer
{
public:
    static constexpr int temporaryTextMilliseconds = 3000;

    StatusBar();
    ~StatusBar() override;

    /** Priority -1 clears whatever shows; otherwise only a text of that priority or lower is cleared. */
    void clearText (int priority);

    /** Shown until replaced or cleared, unless a more important text shows. */
    void showText (const juce::String& text, int priority);

    /** Shown for three seconds. Showing the same text again does not extend its time. */
    void showTemporaryText (const juce::String& text, int priority);

    const juce::String& getText() const { return text; }
    int getPriority() const { return priority; }
    bool isTemporary() const { return isTimerRunning(); }
    const juce::Font& getFont() const { return font; }

    /** What the time-out does; the bar's timer calls it. */
    void expire() { timerCallback(); }

    void paint (juce::Graphics&) override;
    void lookAndFeelChanged() override;

private:
    bool accepts (const juce::String& newText, int newPriority) const;
    void timerCallback() override;

    juce::Font font{13.0f};
    juce::String text;
    int priority = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StatusBar)
};

/** How every save that fails says so: EditorStatusTexts::saveFailed's words, for three seconds, at the
    failure priority. Nothing without a bar (a part of the editor used before the editor gave it one). */
void showSaveFailed (StatusBar* bar, const juce::File& file, const juce::String& what = {});

/** The same for a load that fails, in EditorStatusTexts::loadFailed's words. */
void showLoadFailed (StatusBar* bar, const juce::File& file, const juce::String& what = {});
