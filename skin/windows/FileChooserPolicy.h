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
*/
class FileChooserPolicy
{
public:
    struct Request
    {
        juce::String title;
        juce::File initialLocation;
        juce::String patterns; // "*.ext;*.other", empty for every file
        bool saving = false;
        bool folders = false; // choose a folder instead of a file
    };

    /** Called with the chosen file; not called when the user cancels. */
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

    /** For tests and for hosts where the desktop chooser misbehaves. */
    static void setMode (Mode);
    static Mode getMode();

    /** True when zenity or kdialog is on the PATH (asked once per process). */
    static bool hasDesktopChooser();

    /** The flags for juce::FileChooser::launchAsync: files are selectable wherever a file is wanted. */
    static int chooserFlags (const Request&);

private:
    void finish (const juce::File&);
    juce::Component* findParent() const;

    juce::Component::SafePointer<juce::Component> owner;
    std::unique_ptr<juce::FileChooser> chooser;
    std::unique_ptr<BrowserWindow> browserWindow;
    Callback callback;
    std::shared_ptr<bool> alive = std::make_shared<bool> (true);

    JUCE_DECLARE_NON_COPYABLE (FileChooserPolicy)
};

/** A juce::FileBrowserComponent with "OK" and "Cancel" in one of the editor's windows. */
class FileChooserPolicy::BrowserWindow : public WindowComponent, private juce::FileBrowserListener
{
public:
    BrowserWindow (const Request&, std::function<void (const juce::File&)> onDone);
    ~BrowserWindow() override;

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
    std::function<void (const juce::File&)> onDone;
    bool answered = false;
};
