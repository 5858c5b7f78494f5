#include "editor/PresetSaveFlow.h"

#include "editor/StatusBar.h"
#include "framework/BasePlugin.h"

PresetSaveFlow::PresetSaveFlow (BasePlugin& p, juce::Component& e, Zeb::AlertWindow::Caller& c)
    : plugin (p)
    , editor (e)
    , caller (c)
    , chooserPolicy (e)
{
}

PresetSaveFlow::~PresetSaveFlow()
{
    chooserPolicy.cancel();
}

void PresetSaveFlow::setFilePrompt (FilePrompt newPrompt)
{
    prompt = std::move (newPrompt);
}

//==============================================================================
juce::File PresetSaveFlow::makePresetFile (PresetCollection* collection) const
{
    if (collection == nullptr)
        return {};

    const juce::String current = plugin.getCurrentPresetName (collection);
    const juce::String fileName =
        plugin.getNewPresetName (collection) + collection->getExtension().toLowerCase();

    if (current.isNotEmpty() && juce::File::isAbsolutePath (current))
    {
        const juce::File folder = juce::File (current).getParentDirectory();
        if (folder.isDirectory())
            return folder.getChildFile (fileName);
    }

    return collection->getFolder().getChildFile (fileName);
}

bool PresetSaveFlow::hasNewPresetName (PresetCollection* collection) const
{
    return plugin.getNewPresetName (collection).trim().isNotEmpty();
}

//==============================================================================
void PresetSaveFlow::savePreset (const juce::String& collectionName)
{
    auto* collection = plugin.getCurrentPresetCollection (collectionName);
    if (collection == nullptr)
        return;

    // Without a name for the new file "Save" would write a file called only by its extension: ask instead.
    const juce::File file = makePresetFile (collection);
    if (hasNewPresetName (collection) && file.getFullPathName().isNotEmpty() && file.existsAsFile())
        askToOverwritePreset (collectionName, file);
    else
        savePresetAs (collectionName);
}

void PresetSaveFlow::savePresetAs (const juce::String& collectionName)
{
    auto* collection = plugin.getCurrentPresetCollection (collectionName);
    if (collection == nullptr)
        return;

    promptForFile (collectionName, collection);
}

void PresetSaveFlow::promptForFile (const juce::String& collectionName, PresetCollection* collection)
{
    SaveRequest request;
    request.title = "Save current " + collectionName.toLowerCase();
    request.initialFile = hasNewPresetName (collection) ? makePresetFile (collection)
                                                        : makePresetFile (collection).getParentDirectory();
    request.pattern = BasePlugin::makeFileWildcard (collection->getExtension().toLowerCase());

    std::weak_ptr<bool> guard = alive;
    auto onChosen = [this, guard, collectionName] (const juce::File& chosen)
    {
        if (!guard.expired())
            fileChosen (collectionName, chosen);
    };

    if (prompt != nullptr)
    {
        prompt (request, std::move (onChosen));
        return;
    }

    FileChooserPolicy::Request policyRequest;
    policyRequest.title = request.title;
    policyRequest.initialLocation = request.initialFile;
    policyRequest.patterns = request.pattern;
    policyRequest.saving = true;
    // The chooser asks before replacing the file written, so fileChosen adds nothing and asks nothing more.
    policyRequest.savedExtension = collection->getExtension().toLowerCase();
    chooserPolicy.launch (policyRequest, std::move (onChosen));
}

void PresetSaveFlow::fileChosen (const juce::String& collectionName, const juce::File& chosen)
{
    auto* collection = plugin.getCurrentPresetCollection (collectionName);
    if (collection == nullptr || chosen == juce::File())
        return;

    // Typed in capitals, the extension is kept as typed: it is the collection's all the same.
    const juce::String extension = collection->getExtension().toLowerCase();
    const juce::File result = FileChooserPolicy::withExtension (chosen, extension);
    const bool extensionAdded = result.getFullPathName() != chosen.getFullPathName();

    // A folder chosen names no file; a folder standing where the file goes is a save that fails, and says so.
    if (extensionAdded && chosen.isDirectory())
        return;

    // A name made only of the extension is no name: ask again rather than write a nameless file.
    if (result.getFileName().dropLastCharacters (extension.length()).trim().isEmpty())
    {
        promptForFile (collectionName, collection);
        return;
    }

    // The chooser warned about the name it was given, not about the one with the extension added.
    if (extensionAdded && result.existsAsFile())
        askToOverwritePreset (collectionName, result);
    else
        store (collection, result);
}

void PresetSaveFlow::store (PresetCollection* collection, const juce::File& file)
{
    if (!plugin.storePresetToFile (collection, file))
        showSaveFailed (statusBar, file, "the preset");
}

//==============================================================================
void PresetSaveFlow::showQuestion (Zeb::AlertWindow& question)
{
    editor.addChildComponent (question);
    question.setLookAndFeel (&editor.getLookAndFeel());
    question.show();
}

void PresetSaveFlow::askToOverwritePreset (const juce::String& collectionName, const juce::File& file)
{
    auto* collection = plugin.getCurrentPresetCollection (collectionName);
    if (collection == nullptr)
        return;

    overwriteQuestion.reset (Zeb::AlertWindow::createYesCancelBox (
        collection->getName(),
        "Do you want to overwrite preset '" + file.getFileNameWithoutExtension() + "' ?", &caller));
    overwriteQuestion->getAttachedValues().add (collectionName);
    overwriteQuestion->getAttachedValues().add (file.getFullPathName());
    showQuestion (*overwriteQuestion);
}

void PresetSaveFlow::askToSaveChangedPreset (const juce::String& collectionName, int direction)
{
    saveQuestion.reset (Zeb::AlertWindow::createSaveQuestionBox (
        plugin.getProductName(),
        "Changes have been made to current preset. Do you want to save them or discard?", &caller));
    saveQuestion->getAttachedValues().add (collectionName);
    saveQuestion->getAttachedValues().add (direction);
    showQuestion (*saveQuestion);
}

bool PresetSaveFlow::handleAlertClosed (Zeb::AlertWindow* alert, int result)
{
    if (alert == nullptr)
        return false;

    if (alert == overwriteQuestion.get())
    {
        if (result != Zeb::AlertWindow::yesResult)
            return true;

        const juce::String collectionName = alert->getAttachedString (0).toString();
        const juce::String path = alert->getAttachedString (1).toString();
        auto* collection = plugin.getCurrentPresetCollection (collectionName);
        if (collection != nullptr && path.isNotEmpty() && juce::File::isAbsolutePath (path))
            store (collection, juce::File (path));
        return true;
    }

    if (alert == saveQuestion.get())
    {
        const juce::String collectionName = alert->getAttachedString (0).toString();
        const int direction = (int) alert->getAttachedString (1);
        auto* collection = plugin.getCurrentPresetCollection (collectionName);
        if (collection == nullptr)
            return true;

        switch (result)
        {
            case Zeb::AlertWindow::overwriteResult:
            {
                const juce::File file = makePresetFile (collection);
                if (hasNewPresetName (collection) && file.existsAsFile())
                    store (collection, file);
                else
                    savePresetAs (collectionName);
                break;
            }
            case Zeb::AlertWindow::saveAsResult: savePresetAs (collectionName); break;
            case Zeb::AlertWindow::discardResult:
                if (direction < 1)
                    plugin.selectPreviousPreset (collection);
                else
                    plugin.selectNextPreset (collection);
                break;
            default: break;
        }
        return true;
    }

    return false;
}
