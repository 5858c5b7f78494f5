#pragma once

#include "editor/AlertWindow.h"
#include "skin/windows/FileChooserPolicy.h"

#include <functional>
#include <memory>

class BasePlugin;
class PresetCollection;
class StatusBar;

/** The editor's side of saving presets into the processor's preset folder: which file a preset goes to,
    when the user is asked (overwrite, save changes before moving on) and what each answer does. The
    processor does the file work.

    The file prompt is a seam: by default the editor's one file chooser policy; tests put a function in
    its place that records the request and answers later. Questions are the editor's alert windows, added
    to the editor and answered through its Zeb::AlertWindow::Caller, which hands them to handleAlertClosed.

    Message thread only. Lives inside the editor and dies with it; an answer that arrives after that is
    dropped. */
class PresetSaveFlow
{
public:
    /** What a save prompt asks for. */
    struct SaveRequest
    {
        juce::String title;
        juce::File initialFile;
        juce::String pattern; // "*" + the collection's extension
    };

    using OnChosen = std::function<void (const juce::File&)>;
    /** Asks for a file to save to; calls onChosen with the choice, or never when the user cancels. */
    using FilePrompt = std::function<void (const SaveRequest&, OnChosen onChosen)>;

    /** editor: where the questions and the chooser appear; caller: who hears the answers (the editor). */
    PresetSaveFlow (BasePlugin& plugin, juce::Component& editor, Zeb::AlertWindow::Caller& caller);
    ~PresetSaveFlow();

    /** An empty function restores the file chooser policy. */
    void setFilePrompt (FilePrompt newPrompt);
    /** Where a preset that could not be written is reported; null (the default) reports nowhere. */
    void setStatusBar (StatusBar* bar) noexcept { statusBar = bar; }

    /** The new preset's file: the processor's new-preset name with the collection's extension, in the
        folder of the current preset file when that folder exists, else in the collection's folder. */
    juce::File makePresetFile (PresetCollection* collection) const;

    /** Saves over the existing file of that name after asking; with no such file (or no name to give the
        file) asks for one. */
    void savePreset (const juce::String& collectionName);
    /** Asks for a file, then saves into it. */
    void savePresetAs (const juce::String& collectionName);
    void askToOverwritePreset (const juce::String& collectionName, const juce::File& file);
    /** Before moving to the next (direction 1) or previous (-1) preset of a changed one. */
    void askToSaveChangedPreset (const juce::String& collectionName, int direction);

    /** The answer to one of this flow's questions; false for any other alert. */
    bool handleAlertClosed (Zeb::AlertWindow* alert, int result);

    Zeb::AlertWindow* getOverwriteQuestion() const noexcept { return overwriteQuestion.get(); }
    Zeb::AlertWindow* getSaveQuestion() const noexcept { return saveQuestion.get(); }
    FileChooserPolicy& getChooserPolicy() noexcept { return chooserPolicy; }

private:
    void promptForFile (const juce::String& collectionName, PresetCollection* collection);
    void fileChosen (const juce::String& collectionName, const juce::File& chosen);
    void store (PresetCollection* collection, const juce::File& file);
    bool hasNewPresetName (PresetCollection* collection) const;
    void showQuestion (Zeb::AlertWindow& question);

    BasePlugin& plugin;
    juce::Component& editor;
    Zeb::AlertWindow::Caller& caller;

    std::unique_ptr<Zeb::AlertWindow> overwriteQuestion;
    std::unique_ptr<Zeb::AlertWindow> saveQuestion;
    FileChooserPolicy chooserPolicy;
    FilePrompt prompt;
    StatusBar* statusBar = nullptr;
    std::shared_ptr<bool> alive = std::make_shared<bool> (true); // guards answers of a replaced prompt

    JUCE_DECLARE_NON_COPYABLE (PresetSaveFlow)
};
