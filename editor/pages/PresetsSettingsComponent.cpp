#include "editor/pages/PresetsSettingsComponent.h"

#include "framework/BasePlugin.h"
#include "skin/displays/TextInput.h"

namespace
{
juce::Font labelFont()
{
    return juce::Font ("Tahoma", 13.0f, juce::Font::plain);
}
} // namespace

//==============================================================================
PresetsSettingsComponent::PresetsSettingsComponent (BasePlugin& p)
    : plugin (p)
    , authorField (std::make_unique<TextInput> ("Author"))
    , updateWindow (std::make_unique<UpdateAuthorWindow> (p))
{
    updateButton.setWantsKeyboardFocus (false);
    updateButton.addListener (this);

    authorField->setText (plugin.getAuthorName());
    authorField->addListener (this);

    row.setOrientation (ComponentRow::horizontal);
    row.setAlignment (ComponentRow::alignCentre);
    row.setSpacing (6);
    row.addAndMakeVisible (*authorField);
    row.addAndMakeVisible (updateButton);
    authorPanel.setContentComponent (&row, true);
    authorPanel.setTopLeftPosition (0, 0);
    addAndMakeVisible (authorPanel);

    addChildComponent (*updateWindow);

    folderLabel.setFont (labelFont());
    folderLabel.setText ("Presets directory: " + plugin.getUserDataDirectory().getFullPathName(),
                         juce::dontSendNotification);
    addAndMakeVisible (folderLabel);

    lookAndFeelChanged();
}

PresetsSettingsComponent::~PresetsSettingsComponent()
{
    // The worker stops before anything it reports to goes.
    updateWindow->stopUpdate();
    updateButton.removeListener (this);
    authorField->removeListener (this);
    authorPanel.setContentComponent (nullptr, false);
}

void PresetsSettingsComponent::buttonClicked (juce::Button* b)
{
    if (b == &updateButton && !updateWindow->isVisible())
        updateWindow->startUpdate();
}

void PresetsSettingsComponent::controllerValueChanged (GUIController* control)
{
    if (control == authorField.get())
        plugin.setAuthorName (authorField->getText());
}

void PresetsSettingsComponent::resized()
{
    // The panel fits its row, so the row is sized first: the field takes what the button leaves.
    const int panelWidth = getWidth() >= 0 ? getWidth() : -1;
    const int contentWidth = juce::jmax (0, (panelWidth >= 0 ? panelWidth : authorPanel.getWidth()) - 16);
    authorField->setSize (juce::jmax (0, contentWidth - updateButton.getWidth() - 6), 20);
    row.updateLayout();
    authorPanel.fitToContent (panelWidth, -1);
    authorPanel.setTopLeftPosition (0, 0);
    folderLabel.setBounds (0, authorPanel.getBottom(), getWidth(), 20);
}

void PresetsSettingsComponent::lookAndFeelChanged()
{
    updateButton.changeWidthToFitText (20);
    resized();
}

//==============================================================================
PresetsSettingsComponent::UpdateAuthorWindow::UpdateAuthorWindow (BasePlugin& p)
    : juce::Thread ("UpdateAuthorThread")
    , plugin (p)
{
    setTitle ("Updating own presets");

    buttonRow.setOrientation (ComponentRow::horizontal);
    buttonRow.setSpacing (6);
    for (auto* b : {&cancelButton, &okButton})
    {
        b->addListener (this);
        buttonRow.addAndMakeVisible (b);
    }
    addAndMakeVisible (buttonRow);

    for (auto* label : {&messageLabel, &progressLabel, &fileLabel})
    {
        label->setFont (labelFont());
        label->setJustificationType (juce::Justification::centredLeft);
        addAndMakeVisible (label);
    }

    fitButtons();
    setSize (400, 300);
}

PresetsSettingsComponent::UpdateAuthorWindow::~UpdateAuthorWindow()
{
    stopUpdate();
    stopTimer();
    for (auto* b : {&cancelButton, &okButton})
        b->removeListener (this);
}

void PresetsSettingsComponent::UpdateAuthorWindow::startUpdate()
{
    // A run left behind by a closed window ends first: two writers must never share a file.
    stopUpdate();

    cancelButton.setEnabled (true);
    okButton.setEnabled (false);
    progressLabel.setVisible (true);
    fileLabel.setVisible (true);
    messageLabel.setText ("Operation can take a while. Please wait...", juce::dontSendNotification);
    progressLabel.setText ("Progress: 0%", juce::dontSendNotification);
    fileLabel.setText ({}, juce::dontSendNotification);
    {
        const juce::ScopedLock sl (currentFileLock);
        currentFile.clear();
    }
    progress = 0;
    finished = 0;

    show();
    startThread (juce::Thread::Priority::low);
    startTimer (50);
}

void PresetsSettingsComponent::UpdateAuthorWindow::stopUpdate()
{
    // No time-out: a thread killed in the middle of a file could leave it half written.
    signalThreadShouldExit();
    waitForThreadToExit (-1);
}

juce::String PresetsSettingsComponent::UpdateAuthorWindow::getCurrentFile() const
{
    const juce::ScopedLock sl (currentFileLock);
    return currentFile;
}

int PresetsSettingsComponent::UpdateAuthorWindow::progressPercent (int count, int total)
{
    if (total <= 0)
        return 100;
    return juce::jlimit (0, 100, (int) ((double) count / (double) total * 100.0));
}

void PresetsSettingsComponent::UpdateAuthorWindow::run()
{
    finished = 0;

    int total = 0;
    for (int i = 0; i < plugin.getNumPresetCollections(); ++i)
        if (auto* collection = plugin.getPresetCollection (i))
            total += collection->getNumPresets();

    if (threadShouldExit())
        return;

    int count = 0;
    for (int i = 0; i < plugin.getNumPresetCollections(); ++i)
    {
        auto* collection = plugin.getPresetCollection (i);
        if (collection == nullptr)
            continue;

        const int numPresets = collection->getNumPresets();
        for (int j = 0; j < numPresets; ++j)
        {
            ++count;
            const auto path = collection->getPresetFile (j);
            if (path.isNotEmpty() && juce::File::isAbsolutePath (path))
            {
                const juce::File file (path);
                // Each file is written whole to a temporary and renamed over the old one.
                plugin.updatePresetFileAuthor (file);
                if (file.existsAsFile())
                {
                    auto shown = collection->getPresetFilePath (file);
                    if (shown.containsChar ('.'))
                        shown = shown.upToLastOccurrenceOf (".", false, false);
                    const juce::ScopedLock sl (currentFileLock);
                    currentFile = shown;
                }
            }
            progress = progressPercent (count, total);

            if (threadShouldExit())
            {
                collection->rescan();
                return;
            }
        }
        collection->rescan();
    }
    progress = 100;
    finished = 1;
}

void PresetsSettingsComponent::UpdateAuthorWindow::timerCallback()
{
    if (isThreadRunning())
    {
        progressLabel.setText ("Progress: " + juce::String (progress.load()) + "%",
                               juce::dontSendNotification);
        fileLabel.setText (getCurrentFile(), juce::dontSendNotification);
        return;
    }

    // The run is over: nothing more to show until the next one.
    stopTimer();
    okButton.setEnabled (true);
    cancelButton.setEnabled (false);
    progressLabel.setVisible (false);
    fileLabel.setVisible (false);
    messageLabel.setText (finished.load() == 1 ? "Operation completed." : "Operation has been cancelled.",
                          juce::dontSendNotification);
}

void PresetsSettingsComponent::UpdateAuthorWindow::buttonClicked (juce::Button* b)
{
    if (b == &cancelButton)
        signalThreadShouldExit();
    else if (b == &okButton)
        hideWindow();
    else if (b == &getCloseButton())
        signalThreadShouldExit(); // closing the window mid-run cancels the run, as Cancel does

    WindowComponent::buttonClicked (b);
}

void PresetsSettingsComponent::UpdateAuthorWindow::fitButtons()
{
    for (auto* b : {&cancelButton, &okButton})
        b->changeWidthToFitText (20);
    buttonRow.updateLayout();
}

void PresetsSettingsComponent::UpdateAuthorWindow::resized()
{
    WindowComponent::resized();
    auto area = getContentArea();
    for (auto* label : {&messageLabel, &progressLabel, &fileLabel})
        label->setBounds (area.removeFromTop (50));

    buttonRow.updateSize();
    const auto content = getContentArea();
    buttonRow.setTopLeftPosition (content.getRight() - buttonRow.getWidth(),
                                  content.getBottom() - buttonRow.getHeight());
}

void PresetsSettingsComponent::UpdateAuthorWindow::lookAndFeelChanged()
{
    WindowComponent::lookAndFeelChanged();
    fitButtons();
    resized();
}
