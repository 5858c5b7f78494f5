#include "skin/windows/FileChooserPolicy.h"

namespace
{
std::atomic<FileChooserPolicy::Mode> chooserMode{FileChooserPolicy::Mode::automatic};
}

void FileChooserPolicy::setMode (Mode m)
{
    chooserMode = m;
}

FileChooserPolicy::Mode FileChooserPolicy::getMode()
{
    return chooserMode;
}

bool FileChooserPolicy::hasDesktopChooser()
{
    return juce::FileChooser::isPlatformDialogAvailable();
}

int FileChooserPolicy::chooserFlags (const Request& r)
{
    int flags = r.saving
                    ? juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::warnAboutOverwriting
                    : juce::FileBrowserComponent::openMode;
    flags |= r.folders ? juce::FileBrowserComponent::canSelectDirectories
                       : juce::FileBrowserComponent::canSelectFiles;
    return flags;
}

FileChooserPolicy::FileChooserPolicy (juce::Component& o)
    : owner (&o)
{
}

FileChooserPolicy::~FileChooserPolicy()
{
    cancel();
}

bool FileChooserPolicy::isOpen() const
{
    return chooser != nullptr || browserWindow != nullptr;
}

juce::Component* FileChooserPolicy::findParent() const
{
    // The editor is the nearest desktop of the windows; without one, the owner's top-level component.
    for (auto* c = owner.getComponent(); c != nullptr; c = c->getParentComponent())
        if (dynamic_cast<ModalComponent::Desktop*> (c) != nullptr)
            return c;
    return owner != nullptr ? owner->getTopLevelComponent() : nullptr;
}

juce::File FileChooserPolicy::withExtension (const juce::File& chosen, const juce::String& extension,
                                             ExtensionRule rule)
{
    if (extension.isEmpty() || chosen == juce::File())
        return chosen;
    if (rule == ExtensionRule::replaced)
        return chosen.withFileExtension (extension);

    // Appended, never swapped for the name's last ".part": nothing the user typed is lost.
    const auto name = chosen.getFileName();
    return name.endsWithIgnoreCase (extension) ? chosen : chosen.getSiblingFile (name + extension);
}

juce::String FileChooserPolicy::overwriteMessage (const juce::File& file)
{
    return "The file '" + file.getFileName() + "' already exists. Do you want to replace it?";
}

bool FileChooserPolicy::launch (const Request& r, Callback cb)
{
    if (isOpen() || owner == nullptr)
        return false;

    request = r;
    callback = std::move (cb);
    const auto mode = getMode();
    if (mode == Mode::desktop || (mode == Mode::automatic && hasDesktopChooser()))
    {
        launchDesktopChooser();
        return true;
    }

    std::weak_ptr<bool> guard = alive;
    browserWindow = std::make_unique<BrowserWindow> (request,
                                                     [this, guard] (const juce::File& f)
                                                     {
                                                         if (!guard.expired())
                                                             chosen (f, false);
                                                     });
    if (auto* parent = findParent())
        parent->addChildComponent (browserWindow.get());
    browserWindow->show();
    return true;
}

void FileChooserPolicy::launchDesktopChooser()
{
    std::weak_ptr<bool> guard = alive;
    chooser = std::make_unique<juce::FileChooser> (request.title, request.initialLocation, request.patterns,
                                                   true, false, findParent());
    chooser->launchAsync (chooserFlags (request),
                          [this, guard] (const juce::FileChooser& fc)
                          {
                              // The policy may be gone by the time the desktop chooser answers.
                              if (!guard.expired())
                                  chosen (fc.getResult(), true);
                          });
}

void FileChooserPolicy::chosen (const juce::File& choice, bool chooserAsked)
{
    if (choice == juce::File() || !request.saving)
    {
        finishLater (choice);
        return;
    }

    const auto target = request.handedFile (choice);
    if (target.existsAsFile() && !(chooserAsked && target == choice))
        askToReplace (target);
    else
        finishLater (target);
}

void FileChooserPolicy::askToReplace (const juce::File& target)
{
    auto* parent = findParent();
    auto* desktop = dynamic_cast<ModalComponent::Desktop*> (parent);
    std::weak_ptr<bool> guard = alive;
    overwriteQuestion.reset();
    if (desktop != nullptr)
        overwriteQuestion = desktop->createYesNoQuestion (request.title, overwriteMessage (target),
                                                          [this, guard, target] (bool yes)
                                                          {
                                                              // Answered from the question's own button.
                                                              juce::MessageManager::callAsync (
                                                                  [this, guard, target, yes]
                                                                  {
                                                                      if (!guard.expired())
                                                                          replaceAnswered (target, yes);
                                                                  });
                                                          });

    if (overwriteQuestion == nullptr)
    {
        // Nobody to ask: nothing is replaced. The editor's own chooser stays open for another name.
        if (browserWindow == nullptr)
            cancel();
        return;
    }

    parent->addChildComponent (overwriteQuestion.get());
    overwriteQuestion->show();
}

void FileChooserPolicy::replaceAnswered (const juce::File& target, bool yes)
{
    overwriteQuestion.reset();
    if (yes)
        finishLater (target);
    else if (browserWindow != nullptr)
        browserWindow->focusFileName();
    else
        launchDesktopChooser(); // its dialog has gone: open it again for another name
}

void FileChooserPolicy::finishLater (const juce::File& result)
{
    if (browserWindow != nullptr)
        browserWindow->close();

    // The chooser's window is deleted by finish, and this may run inside its own button callback.
    std::weak_ptr<bool> guard = alive;
    juce::MessageManager::callAsync (
        [this, guard, result]
        {
            if (!guard.expired())
                finish (result);
        });
}

void FileChooserPolicy::finish (const juce::File& result)
{
    auto cb = std::move (callback);
    callback = nullptr;
    chooser.reset();
    browserWindow.reset();
    overwriteQuestion.reset();
    if (cb != nullptr && result != juce::File() && owner != nullptr)
        cb (result);
}

void FileChooserPolicy::cancel()
{
    // A new token: answers of the chooser being dropped find theirs expired.
    alive = std::make_shared<bool> (true);
    callback = nullptr;
    chooser.reset();
    browserWindow.reset();
    overwriteQuestion.reset();
}

FileChooserPolicy::BrowserWindow::BrowserWindow (const Request& request,
                                                 std::function<void (const juce::File&)> onChosen)
    : onChoice (std::move (onChosen))
{
    setTitle (request.title);
    setWantsKeyboardFocus (true);
    if (request.patterns.isNotEmpty())
        filter = std::make_unique<juce::WildcardFileFilter> (request.patterns, "*", request.title);

    // A list rather than a tree: a list box makes only the rows in sight, where a tree of a folder of
    // thousands of files walks all the rows above the visible ones at every scroll.
    browser = std::make_unique<juce::FileBrowserComponent> (chooserFlags (request), request.initialLocation,
                                                            filter.get(), nullptr);
    browser->addListener (this);
    addAndMakeVisible (*browser);
    okButton.setButtonText (request.saving ? "Save" : "OK");
    for (auto* b : {&okButton, &cancelButton})
    {
        b->addListener (this);
        b->setWantsKeyboardFocus (false);
        addAndMakeVisible (b);
    }
    selectionChanged();
    setContentSize (560, 380);
}

FileChooserPolicy::BrowserWindow::~BrowserWindow()
{
    browser->removeListener (this);
}

void FileChooserPolicy::BrowserWindow::resized()
{
    WindowComponent::resized();
    auto area = getContentArea();
    auto buttons = area.removeFromBottom (22);
    area.removeFromBottom (8);
    browser->setBounds (area);
    cancelButton.setBounds (buttons.removeFromRight (80));
    buttons.removeFromRight (6);
    okButton.setBounds (buttons.removeFromRight (80));
}

void FileChooserPolicy::BrowserWindow::focusFileName()
{
    // The browser's only text field of its own is the file name; the folder box is a combo box.
    for (auto* child : browser->getChildren())
        if (auto* field = dynamic_cast<juce::TextEditor*> (child); field != nullptr && field->isShowing())
        {
            field->grabKeyboardFocus();
            return;
        }
    grabKeyboardFocus();
}

void FileChooserPolicy::BrowserWindow::close()
{
    closed = true;
    hideWindow();
}

void FileChooserPolicy::BrowserWindow::answer (const juce::File& f)
{
    if (!closed && onChoice != nullptr)
        onChoice (f);
}

void FileChooserPolicy::BrowserWindow::buttonClicked (juce::Button* b)
{
    if (b == &okButton)
    {
        if (browser->currentFileIsValid())
            answer (browser->getSelectedFile (0));
        return;
    }
    if (b == &cancelButton || b == &getCloseButton())
        answer ({});
}

bool FileChooserPolicy::BrowserWindow::keyPressed (const juce::KeyPress& key)
{
    if (key == juce::KeyPress::escapeKey)
    {
        answer ({});
        return true;
    }
    return false;
}

void FileChooserPolicy::BrowserWindow::selectionChanged()
{
    okButton.setEnabled (browser->currentFileIsValid());
}

void FileChooserPolicy::BrowserWindow::fileDoubleClicked (const juce::File& f)
{
    // A double-clicked folder is opened by the browser itself; a file is the answer.
    if (!f.isDirectory() && browser->currentFileIsValid())
        answer (f);
}
