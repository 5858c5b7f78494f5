#pragma once

#include "skin/windows/ComponentRow.h"
#include "skin/windows/WindowComponent.h"

#include <functional>
#include <memory>

namespace Zeb
{
/** The editor's message and question box. Opening one returns at once; the answer comes later through
    Caller, with the values the opener attached so it can tell which question was answered.

    Its opener owns it, adds it to the editor and shows it with ModalComponent::show. A long message
    widens the window up to the editor's width; beyond that it wraps onto more lines. Message thread only.
*/
class AlertWindow : public WindowComponent, public juce::TextEditor::Listener
{
public:
    /** Result codes, one per button kind. */
    enum Result
    {
        cancelResult = 0,
        noResult = 1,
        yesResult = 2,
        okResult = 3,
        overwriteResult = 4,
        saveAsResult = 5,
        discardResult = 6
    };

    /** Receives the answer, on the message thread, once per button press. The caller may delete the
        window from inside the call. */
    class Caller
    {
    public:
        virtual ~Caller() = default;
        virtual void alertWindowClosed (AlertWindow* alert, int result) = 0;
    };

    static constexpr int buttonHeight = 22;

    AlertWindow();
    ~AlertWindow() override;

    static AlertWindow* createMessageBox (const juce::String& title, const juce::String& message, Caller*);
    static AlertWindow* createYesNoBox (const juce::String& title, const juce::String& message, Caller*);
    static AlertWindow* createYesCancelBox (const juce::String& title, const juce::String& message, Caller*);
    static AlertWindow* createSaveQuestionBox (const juce::String& title, const juce::String& message,
                                               Caller*);
    /** A yes/no box that hands its answer, true for "Yes", to a function instead of a caller; closing it
        with its close button answers no. */
    static std::unique_ptr<AlertWindow> createYesNoQuestion (const juce::String& title,
                                                             const juce::String& message,
                                                             std::function<void (bool yes)> answer);

    juce::TextButton* addButton (const juce::String& text, int result);

    void setMessage (const juce::String&);
    juce::String getMessage() const { return message.getText(); }
    juce::Label& getMessageLabel() { return message; }

    void setCaller (Caller* c) { caller = c; }
    void setReturnButton (juce::Button* b) { returnButton = b; }
    void setEscapeButton (juce::Button* b) { escapeButton = b; }

    /** Values the opener attaches to tell its questions apart. */
    juce::Array<juce::var>& getAttachedValues() { return attached; }
    juce::var getAttachedString (int index) const;

    int getNumButtons() const { return buttons.size(); }
    juce::TextButton* getButton (int index) const { return buttons[index]; }
    int getResultCode (int index) const
    {
        return juce::isPositiveAndBelow (index, results.size()) ? results[index] : 0;
    }
    ComponentRow& getButtonRow() { return buttonRow; }

    /** The content size for a message of that width beside a button row: the message's width up to
        maxWidth (none when maxWidth <= 0), and as many lines as the wrapped message needs. */
    static juce::Point<int> contentSizeFor (const juce::String& message, const juce::Font&,
                                            int buttonRowWidth, int buttonRowHeight, int maxWidth);

    /** The widest content that keeps the window inside the editor, 0 when the window has no editor. */
    int getMaximumContentWidth() const;

    void updateLayout();

    bool shouldDimBackground() const override { return true; }
    void resized() override;
    void lookAndFeelChanged() override;
    bool keyPressed (const juce::KeyPress&) override;
    void buttonClicked (juce::Button*) override;
    void parentHierarchyChanged() override;
    void textEditorReturnKeyPressed (juce::TextEditor&) override;
    void textEditorEscapeKeyPressed (juce::TextEditor&) override;

private:
    static AlertWindow* create (const juce::String& title, const juce::String& message, Caller*);
    void press (juce::Button*);

    ComponentRow buttonRow;
    juce::OwnedArray<juce::TextButton> buttons;
    juce::Array<int> results;
    juce::Label message;
    juce::Array<juce::var> attached;
    Caller* caller = nullptr;
    juce::Button* returnButton = nullptr;
    juce::Button* escapeButton = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AlertWindow)
};
} // namespace Zeb
