#include "skin/windows/ModalTextEditor.h"

#include <utility>

OutsideClickWatcher::OutsideClickWatcher (std::function<void()> callback)
    : onOutsideClick (std::move (callback))
{
}

OutsideClickWatcher::~OutsideClickWatcher()
{
    stop();
}

void OutsideClickWatcher::watch (juce::Component& component)
{
    stop();
    edited = &component;
    root = component.getTopLevelComponent();
    root->addMouseListener (this, true);
}

void OutsideClickWatcher::stop()
{
    if (root != nullptr)
        root->removeMouseListener (this);
    root = nullptr;
    edited = nullptr;
}

bool OutsideClickWatcher::isOutside (const juce::Component* clicked) const
{
    if (edited == nullptr || clicked == nullptr)
        return false;
    return clicked != edited.getComponent() && !edited->isParentOf (clicked);
}

void OutsideClickWatcher::clickedOn (juce::Component* clicked)
{
    if (!isWatching() || !isOutside (clicked))
        return;

    stop();
    if (onOutsideClick != nullptr)
        onOutsideClick();
}

void OutsideClickWatcher::mouseDown (const juce::MouseEvent& event)
{
    clickedOn (event.eventComponent);
}

//==============================================================================
ModalTextEditor::ModalTextEditor (const juce::String& name)
    : juce::TextEditor (name, 0)
    , outsideClicks ([this] { endEditing (true); })
{
    setPopupMenuEnabled (false);
    setSelectAllWhenFocused (true);
    setWantsKeyboardFocus (true);
    addListener (this);
}

ModalTextEditor::~ModalTextEditor()
{
    abandonEditing();
    removeListener (this);
}

void ModalTextEditor::addModalListener (ModalListener* listener)
{
    modalListeners.add (listener);
}

void ModalTextEditor::removeModalListener (ModalListener* listener)
{
    modalListeners.remove (listener);
}

void ModalTextEditor::beginEditing()
{
    if (!editing)
    {
        editing = true;
        savedText = getText();
        editRoot = getTopLevelComponent();
        outsideClicks.watch (*this);
    }

    // Explicitly: a plug-in window does not pass the focus on to the field under the mouse by itself.
    if (!hasKeyboardFocus (false))
        grabKeyboardFocus();
}

void ModalTextEditor::endEditing (bool keepText)
{
    if (!editing)
        return;

    abandonEditing();
    setHighlightedRegion ({getCaretPosition(), getCaretPosition()});
    if (!keepText)
        setText (savedText, false);

    // Given away first, so that a listener that hides or deletes the field meets no edit in progress.
    if (hasKeyboardFocus (true))
        giveAwayKeyboardFocus();

    if (keepText && getText() != savedText)
    {
        savedText = getText();
        if (!modalListeners.call (*this, [this] (ModalListener& l) { l.modalTextCommitted (this); }))
            return;
    }

    if (!modalListeners.call (*this, [this] (ModalListener& l) { l.modalEditingFinished (this); }) ||
        keepText)
        return;

    modalListeners.call (*this, [this] (ModalListener& l) { l.modalEditingCancelled (this); });
}

void ModalTextEditor::abandonEditing()
{
    editing = false;
    editRoot = nullptr;
    outsideClicks.stop();
}

void ModalTextEditor::focusGained (FocusChangeType cause)
{
    juce::TextEditor::focusGained (cause);
    if (!editing)
        beginEditing();
}

void ModalTextEditor::focusLost (FocusChangeType cause)
{
    juce::TextEditor::focusLost (cause);
    endEditing (true);
}

void ModalTextEditor::parentHierarchyChanged()
{
    juce::TextEditor::parentHierarchyChanged();
    if (editing && getTopLevelComponent() != editRoot)
        abandonEditing();
}

bool ModalTextEditor::keyPressed (const juce::KeyPress& key)
{
    pendingEnding = KeyEnding::none;
    handlingKey = true;
    const bool used = juce::TextEditor::keyPressed (key);
    handlingKey = false;

    const auto ending = std::exchange (pendingEnding, KeyEnding::none);
    if (ending != KeyEnding::none)
        endEditingByKey (ending == KeyEnding::commit); // may delete this: nothing of it is read after
    return used;
}

void ModalTextEditor::returnPressed()
{
    if (handlingKey)
        pendingEnding = KeyEnding::commit;
    else
        endEditingByKey (true);
}

void ModalTextEditor::escapePressed()
{
    if (handlingKey)
        pendingEnding = KeyEnding::cancel;
    else
        endEditingByKey (false);
}

void ModalTextEditor::endEditingByKey (bool keepText)
{
    juce::Component::SafePointer<ModalTextEditor> self (this);
    endEditing (keepText);
    if (self == nullptr)
        return;

    // JUCE's own listeners hear the key from a posted message, which dies with the field.
    if (keepText)
        juce::TextEditor::returnPressed();
    else
        juce::TextEditor::escapePressed();
}

void ModalTextEditor::textEditorTextChanged (juce::TextEditor&)
{
    modalListeners.call (*this, [this] (ModalListener& l) { l.modalTextChanged (this); });
}
