#pragma once

#include <functional>
#include <juce_gui_basics/juce_gui_basics.h>

/** The listener list of a component whose listeners may delete it while they are told (an editor
    rebuilding its panel when a name is committed): the walk of ListenerArray (no duplicates, null
    ignored, the last added first, the index clamped so a listener may remove itself) that stops as soon
    as the owner is gone. Message thread only. */
template <typename ListenerType>
class CheckedListenerArray
{
public:
    void add (ListenerType* listener)
    {
        if (listener != nullptr)
            listeners.addIfNotAlreadyThere (listener);
    }

    void remove (ListenerType* listener) { listeners.removeFirstMatchingValue (listener); }
    int size() const noexcept { return listeners.size(); }

    /** Calls every listener unless the owner dies on the way; true when the owner is still alive. */
    template <typename Callback>
    bool call (juce::Component& owner, Callback&& callback)
    {
        const juce::Component::SafePointer<juce::Component> alive (&owner);
        for (int i = listeners.size(); --i >= 0;)
        {
            i = juce::jmin (i, listeners.size() - 1);
            if (i < 0)
                break;
            callback (*listeners.getUnchecked (i));
            if (alive == nullptr)
                return false;
        }
        return true;
    }

private:
    juce::Array<ListenerType*> listeners;
};

/** Watches the mouse-downs of a whole window while an edit runs, and reports those that land outside the
    component being edited: a click elsewhere in the editor ends the edit, as it would in a text field of
    the operating system. It listens to the component's top-level component and stops with the edit, or
    when either of them goes. Message thread only. */
class OutsideClickWatcher : private juce::MouseListener
{
public:
    /** The callback runs on the message thread; the watch has stopped before it is called. */
    explicit OutsideClickWatcher (std::function<void()> onOutsideClick);
    ~OutsideClickWatcher() override;

    /** Starts watching the window of the component (replacing a previous watch). */
    void watch (juce::Component& edited);
    void stop();
    bool isWatching() const noexcept { return root != nullptr; }

    /** What a mouse-down on that component means: true when it lies outside the edited one. Tests and
        the mouse listener call it. */
    bool isOutside (const juce::Component* clicked) const;

    /** Reports a click on that component (the mouse listener's work, callable by tests). */
    void clickedOn (juce::Component* clicked);

private:
    void mouseDown (const juce::MouseEvent& event) override;

    std::function<void()> onOutsideClick;
    juce::Component::SafePointer<juce::Component> edited;
    juce::Component::SafePointer<juce::Component> root;
};

/** A text field that edits in place: it stays a child of its owner over the text it edits, takes the
    keyboard focus explicitly when an edit begins, and ends the edit on Return (the text is kept), Escape
    (the text from the start of the edit comes back) or a click anywhere else in the window, and when it
    loses the keyboard focus. Its owners (text inputs, list name fields, option pages) hear the edit
    through ModalListener.

    It does not float onto the desktop as a window of its own while editing: a Linux host gives such a
    window no keyboard focus and does not move it with its own window.

    An edit that is still running when the field is destroyed or taken out of its window ends without
    telling anybody: the listeners may be going away with it. Message thread only. */
class ModalTextEditor : public juce::TextEditor, private juce::TextEditor::Listener
{
public:
    /** Called on the message thread, the last added listener first; a listener may remove itself. */
    class ModalListener
    {
    public:
        virtual ~ModalListener() = default;
        virtual void modalTextChanged (ModalTextEditor*) {}
        virtual void modalTextCommitted (ModalTextEditor*) {}
        virtual void modalEditingCancelled (ModalTextEditor*) {}
        virtual void modalEditingFinished (ModalTextEditor*) {}
    };

    /** No password character, no popup menu, all text selected when it gets the focus. */
    explicit ModalTextEditor (const juce::String& name);
    ~ModalTextEditor() override;

    /** Null is ignored and nobody is added twice. */
    void addModalListener (ModalListener* listener);
    void removeModalListener (ModalListener* listener);

    /** Starts an edit (remembering the text to come back to on Escape) and grabs the keyboard focus. Does
        nothing while an edit runs. */
    void beginEditing();

    /** Ends the running edit: with keepText a changed text is committed; without it the text from the
        start comes back and the listeners hear the cancel. The keyboard focus is given away. */
    void endEditing (bool keepText);

    bool isEditing() const noexcept { return editing; }
    const juce::String& getSavedText() const noexcept { return savedText; }

    /** Return and Escape end the edit only once JUCE's own key handling has returned: it still reads
        the field after telling it of the key, and a listener may delete the field. */
    bool keyPressed (const juce::KeyPress& key) override;
    void focusGained (FocusChangeType cause) override;
    void focusLost (FocusChangeType cause) override;
    void parentHierarchyChanged() override;

    /** A click elsewhere in the window commits, as Return does. */
    OutsideClickWatcher& getOutsideClickWatcher() noexcept { return outsideClicks; }

protected:
    void returnPressed() override;
    void escapePressed() override;

private:
    void textEditorTextChanged (juce::TextEditor&) override;

    /** Stops the edit's watch and state without telling anybody. */
    void abandonEditing();

    /** Ends the edit as Return (keepText) or Escape does, then lets JUCE's own handling hear the key. */
    void endEditingByKey (bool keepText);

    enum class KeyEnding
    {
        none,
        commit,
        cancel
    };

    CheckedListenerArray<ModalListener> modalListeners;
    juce::String savedText;
    bool editing = false;
    bool handlingKey = false;                  // inside JUCE's keyPressed
    KeyEnding pendingEnding = KeyEnding::none; // Return or Escape seen there, served after it returns
    OutsideClickWatcher outsideClicks;
    juce::Component* editRoot = nullptr; // top-level component when the edit began; compared, never used

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModalTextEditor)
};
