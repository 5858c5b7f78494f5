#pragma once

#include "skin/controller/GUIController.h"
#include "skin/windows/ComponentRow.h"
#include "skin/windows/PanelComponent.h"
#include "skin/windows/WindowComponent.h"

#include <atomic>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>

class BasePlugin;
class TextInput;

/** The "Presets" page: the author name written into new presets, and "Update presets", which rewrites the
    author of every preset file of the processor's collections on a worker thread while a window shows the
    progress. Message thread only; the processor outlives the page. */
class PresetsSettingsComponent : public juce::Component,
                                 public juce::Button::Listener,
                                 public GUIController::Listener
{
public:
    class UpdateAuthorWindow;

    explicit PresetsSettingsComponent (BasePlugin& plugin);
    ~PresetsSettingsComponent() override;

    TextInput& getAuthorField() noexcept { return *authorField; }
    juce::TextButton& getUpdateButton() noexcept { return updateButton; }
    UpdateAuthorWindow& getUpdateWindow() noexcept { return *updateWindow; }
    juce::Label& getFolderLabel() noexcept { return folderLabel; }
    PanelComponent& getAuthorPanel() noexcept { return authorPanel; }

    void buttonClicked (juce::Button*) override;
    /** The author field reports a committed, changed text: it becomes the plug-in's author name. */
    void controllerValueChanged (GUIController*) override;

    void resized() override;
    void lookAndFeelChanged() override;

private:
    BasePlugin& plugin;
    PanelComponent authorPanel{"Author"};
    juce::TextButton updateButton{"Update presets"};
    std::unique_ptr<TextInput> authorField;
    ComponentRow row;
    std::unique_ptr<UpdateAuthorWindow> updateWindow;
    juce::Label folderLabel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetsSettingsComponent)
};

/** "Updating own presets": runs the author rewrite on the thread "UpdateAuthorThread" and shows its
    progress every 50 ms. Each file is rewritten whole (a complete new file renamed over the old one), so
    stopping the thread at any moment loses no preset. The thread is stopped and joined before the window
    goes, and the processor outlives the window. */
class PresetsSettingsComponent::UpdateAuthorWindow : public WindowComponent,
                                                     public juce::Timer,
                                                     public juce::Thread
{
public:
    explicit UpdateAuthorWindow (BasePlugin& plugin);
    ~UpdateAuthorWindow() override;

    /** Shows the window and starts the rewrite (Cancel on, OK off). */
    void startUpdate();

    /** Asks the thread to stop after the file it is on and waits for it. Message thread. */
    void stopUpdate();

    int getProgress() const noexcept { return progress.load(); }
    bool hasFinished() const noexcept { return finished.load() != 0; }
    juce::String getCurrentFile() const;

    juce::TextButton& getCancelButton() noexcept { return cancelButton; }
    juce::TextButton& getOkButton() noexcept { return okButton; }
    juce::Label& getMessageLabel() noexcept { return messageLabel; }
    juce::Label& getProgressLabel() noexcept { return progressLabel; }
    juce::Label& getFileLabel() noexcept { return fileLabel; }

    /** The progress in per cent after count of total files: 0 to 100, 100 when there are none. */
    static int progressPercent (int count, int total);

    bool shouldDimBackground() const override { return true; }
    void run() override;
    void timerCallback() override;
    void buttonClicked (juce::Button*) override;
    void resized() override;
    void lookAndFeelChanged() override;

private:
    void fitButtons();

    BasePlugin& plugin;
    ComponentRow buttonRow;
    juce::TextButton cancelButton{"Cancel"}, okButton{"OK"};
    juce::Label messageLabel, progressLabel, fileLabel;
    juce::String currentFile; // guarded by currentFileLock
    juce::CriticalSection currentFileLock;
    std::atomic<int> progress{0};
    std::atomic<int> finished{0};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateAuthorWindow)
};
