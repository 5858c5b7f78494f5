#pragma once

#include "skin/windows/WindowComponent.h"

#include <functional>

/** The one way the editor asks the user for a file or a folder.

    An owner holds one FileChooserPolicy as a member; it runs at most one chooser at a time and never
    blocks the message thread. With a desktop chooser (zenity or kdialog on the PATH) it runs JUCE's
    asynchronous juce::FileChooser parented to the editor; without one it shows a
    juce::FileBrowserComponent inside a window of the editor instead of a top-level dialog. The result
    arrives on the message thread, only while the owner is alive: destroying the policy (with its owner)
    cancels a chooser that is still open and drops its answer.

    A save never replaces a file silently. When the file it would write exists, the editor's own question
    (the desktop's yes/no window, with the file's name) comes first: yes answers that file, no leaves it
    untouched and the chooser open. Desktop choosers are told to ask themselves about the name they were
    given (zenity --confirm-overwrite, kdialog's save dialog asks by itself); the editor asks only when the
    file written differs from that name (an extension added or replaced).
*/
class FileChooserPolicy
{
public:
    /** How a save gives the chosen name its extension (withExtension). */
    enum class ExtensionRule
    {
        appended,
        replaced
    };

    struct Request
    {
        juce::String title;
        juce::File initialLocation;
        juce::String patterns; // "*.ext;*.other", empty for every file
        bool saving = false;
        bool folders = false; // choose a folder instead of a file

        /** For a save: the extension (with its dot) of the file written, given to the chosen name by the
            rule below (withExtension). Empty: the chosen file itself. */
        juce::String savedExtension;
        ExtensionRule extensionRule = ExtensionRule::appended;

        /** What the callback receives for that choice: for a save, the file to write. */
        juce::File handedFile (const juce::File& choice) const
        {
            return saving ? withExtension (choice, savedExtension, extensionRule) : choice;
        }
    };

    /** The file a save writes for the chosen one, by the save's rule:
        - appended: the whole name typed, with the extension after it; a dot in the name belongs to the
          name ("Bass.v2" writes "Bass.v2.klprs"), and a name that already ends in the extension, whatever
          its letter case, is written as typed;
        - replaced: the name's own extension, if any, gives way to the save's ("Live.Set" writes
          "Live.klccmap"). */
    static juce::File withExtension (const juce::File& chosen, const juce::String& extension,
                                     ExtensionRule rule = ExtensionRule::appended);

    /** Called with the chosen file (for a save, the file to write); not called when the user cancels. */
    using Callback = std::function<void (const juce::File&)>;

    enum class Mode
    {
        automatic,   // desktop chooser when one exists, else the window
        desktop,     // always juce::FileChooser
        editorWindow // always the window inside the editor
    };

    /** owner: the component asking; the chooser's parent is the editor above it. */
    explicit FileChooserPolicy (juce::Component& owner);
    ~FileChooserPolicy();

    /** Starts a chooser; false (and nothing happens) while another one from this policy is open. */
    bool launch (const Request&, Callback);

    /** Closes an open chooser without an answer. */
    void cancel();

    bool isOpen() const;

    /** The window used without a desktop chooser, while it exists (null otherwise). */
    class BrowserWindow;
    BrowserWindow* getBrowserWindow() const { return browserWindow.get(); }

    /** The question asked before a save replaces a file, while it is asked (null otherwise). */
    ModalComponent* getOverwriteQuestion() const { return overwriteQuestion.get(); }

    /** What that question says about the file. */
    static juce::String overwriteMessage (const juce::File&);

    /** For tests and for hosts where the desktop chooser misbehaves. */
    static void setMode (Mode);
    static Mode getMode();

    /** True when zenity or kdialog is on the PATH (asked once per process). */
    static bool hasDesktopChooser();

    /** The flags for juce::FileChooser::launchAsync: files are selectable wherever a file is wanted. */
    static int chooserFlags (const Request&);

private:
    void launchDesktopChooser();
    /** chooserAsked: the chooser itself has confirmed replacing the chosen file. */
    void chosen (const juce::File&, bool chooserAsked);
    void askToReplace (const juce::File&);
    void replaceAnswered (const juce::File&, bool yes);
    /** Closes the chooser's window and hands the file on once the current callback has returned. */
    void finishLater (const juce::File&);
    void finish (const juce::File&);
    juce::Component* findParent() const;

    juce::Component::SafePointer<juce::Component> owner;
    Request request;
    std::unique_ptr<juce::FileChooser> chooser;
    std::unique_ptr<BrowserWindow> browserWindow;
    std::unique_ptr<ModalComponent> overwriteQuestion;
    Callback callback;
    std::shared_ptr<bool> alive = std::make_shared<bool> (true);

    JUCE_DECLARE_NON_COPYABLE (FileChooserPolicy)
};

/** A juce::FileBrowserComponent with "OK" and "Cancel" in one of the editor's windows. */
class FileChooserPolicy::BrowserWindow : public WindowComponent, private juce::FileBrowserListener
{
public:
    /** onChoice hears the file chosen, or none for a cancel; the window stays open until close(). */
    BrowserWindow (const Request&, std::function<void (const juce::File&)> onChoice);
    ~BrowserWindow() override;

    /** Hides the window for good: later clicks and keys answer nothing. */
    void close();

    /** Gives the keyboard to the file name field, for another name. */
    void focusFileName();

    juce::FileBrowserComponent& getBrowser() { return *browser; }
    juce::TextButton& getOkButton() { return okButton; }
    juce::TextButton& getCancelButton() { return cancelButton; }

    bool shouldDimBackground() const override { return true; }
    void resized() override;
    void buttonClicked (juce::Button*) override;
    bool keyPressed (const juce::KeyPress&) override;

private:
    void selectionChanged() override;
    void fileClicked (const juce::File&, const juce::MouseEvent&) override {}
    void fileDoubleClicked (const juce::File&) override;
    void browserRootChanged (const juce::File&) override {}
    void answer (const juce::File&);

    std::unique_ptr<juce::WildcardFileFilter> filter;
    std::unique_ptr<juce::FileBrowserComponent> browser;
    juce::TextButton okButton{"OK"}, cancelButton{"Cancel"};
    std::function<void (const juce::File&)> onChoice;
    bool closed = false;
};
