#pragma once

#include "skin/controller/GUIController.h"
#include "skin/windows/ModalTextEditor.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A text field drawn with a vector font that edits through a ModalTextEditor laid over it, and writes a
    connected text parameter when an edit is committed. The skin builds it from "TextInput"; option pages,
    list items and the modulation matrix make their own.

    Colours are the juce::TextEditor colour ids (and the caret's), set on the field itself; the editor copies
    them when it is made and whenever they change. Message thread only. */
class TextInput : public juce::Component, public GUIController, private ModalTextEditor::ModalListener
{
public:
    explicit TextInput (const juce::String& name);
    ~TextInput() override;

    /** Links and actions, the element's "name" as text, "editable" ("no", "onClick", "onDoubleClick"), the
        child "font" ("name", "height", "extraKerning", "style" "plain" or "bold"), the colour attributes
        present ("textColour", "highlightedTextColour", "caretColour", "backgroundColour",
        "highlightColour", "outlineColour", "focusedOutlineColour", hexadecimal ARGB), "pos" and "size". */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** The parameter's text. */
    void updateFromParameter (Parameter* source) override;

    /** The most characters the field holds, typed or given. Its font may be as large as a skin's fonts
        may be, and a line of it much longer than any field goes beyond the range of JUCE's edge tables
        (which the field's editor draws its whole line with). */
    static constexpr int maxTextLength = 256;

    /** Stores a different text (its first maxTextLength characters), passes it to the editor (without
        notification) and repaints. */
    void setText (const juce::String& newText);
    const juce::String& getText() const noexcept { return text; }

    void setFont (const juce::Font& newFont);
    const juce::Font& getFont() const noexcept { return font; }
    void setIndent (int newIndent);
    void setExtraIndent (int newExtraIndent);
    void setJustification (juce::Justification newJustification);

    void setEditOnClick (bool shouldEdit) noexcept { editOnClick = shouldEdit; }
    void setEditOnDoubleClick (bool shouldEdit) noexcept { editOnDoubleClick = shouldEdit; }
    bool isEditOnClick() const noexcept { return editOnClick; }
    bool isEditOnDoubleClick() const noexcept { return editOnDoubleClick; }

    /** Text-editor listeners handed to the editor when it is made (at once when it exists). */
    void addTextEditorListener (juce::TextEditor::Listener* listener);

    /** Starts an edit as the click would: the editor is made when missing, shows the text all selected
        and takes the keyboard focus. Nothing when the field or its parent is disabled. */
    void showEditor();

    /** Null until the first edit. */
    ModalTextEditor* getEditor() const noexcept { return editor.get(); }
    bool isEditing() const noexcept { return editor != nullptr && editor->isEditing(); }

    void paint (juce::Graphics& g) override;
    void resized() override;
    void colourChanged() override;
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDoubleClick (const juce::MouseEvent& e) override;

private:
    void modalTextChanged (ModalTextEditor*) override;
    void modalTextCommitted (ModalTextEditor*) override;
    void modalEditingFinished (ModalTextEditor*) override;

    void copyLookToEditor();
    void applyIndents();

    juce::Array<juce::TextEditor::Listener*> pendingListeners;
    juce::String text;
    std::unique_ptr<ModalTextEditor> editor; // a child over the field, made at the first edit
    juce::Font font;
    juce::Justification justification = juce::Justification::centredLeft;
    int indent = 5;
    int extraIndent = 0;
    bool editOnClick = true;
    bool editOnDoubleClick = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TextInput)
};
