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

bool FileChooserPolicy::launch (const Request& request, Callback cb)
{
    if (isOpen() || owner == nullptr)
        return false;

    callback = std::move (cb);
    const auto mode = getMode();
    const bool desktop = mode == Mode::desktop || (mode == Mode::automatic && hasDesktopChooser());
    auto* parent = findParent();
    std::weak_ptr<bool> guard = alive;

    if (desktop)
    {
        chooser = std::make_unique<juce::FileChooser> (request.title, request.initialLocation,
                                                       request.patterns, true, false, parent);
        chooser->launchAsync (chooserFlags (request),
                              [this, guard] (const juce::FileChooser& fc)
                              {
                                  // The policy may be gone by the time the desktop chooser answers.
                                  if (guard.expired())
                                      return;
                                  finish (fc.getResult());
                              });
        return true;
    }

    browserWindow = std::make_unique<BrowserWindow> (request,
                                                     [this, guard] (const juce::File& f)
                                                     {
                                                         if (guard.expired())
                                                             return;
                                                         // The window is deleted from its own button
                                                         // callback: defer it.
                                                         juce::MessageManager::callAsync (
                                                             [this, guard, f]
                                                             {
                                                                 if (!guard.expired())
                                                                     finish (f);
                                                             });
                                                     });
    if (parent != nullptr)
        parent->addChildComponent (browserWindow.get());
    browserWindow->show();
    return true;
}

void FileChooserPolicy::finish (const juce::File& result)
{
    auto cb = std::move (callback);
    callback = nullptr;
    chooser.reset();
    browserWindow.reset();
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
}

FileChooserPolicy::BrowserWindow::BrowserWindow (const Request& request,
                                                 std::function<void (const juce::File&)> done)
    : onDone (std::move (done))
{
    setTitle (request.title);
    setWantsKeyboardFocus (true);
    if (request.patterns.isNotEmpty())
        filter = std::make_unique<juce::WildcardFileFilter> (request.patterns, "*", request.title);

    browser = std::make_unique<juce::FileBrowserComponent> (chooserFlags (request) |
                                                                juce::FileBrowserComponent::useTreeView,
                                                            request.initialLocation, filter.get(), nullptr);
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

void FileChooserPolicy::BrowserWindow::answer (const juce::File& f)
{
    if (answered)
        return;
    answered = true;
    hideWindow();
    if (onDone != nullptr)
        onDone (f);
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
