#include "framework/BasePlugin.h"

#include "framework/XmlHelpers.h"
#include "vst/AudioProcessorEditor.h"

/** The host window's view of the persistent editor: shows it while the host window lives and gives it
    back undamaged when the host closes the window, so the editor, its skin and its state outlive any
    number of host windows. Message thread. */
class AudioProcessorEditorWrapper : public juce::AudioProcessorEditor
{
public:
    AudioProcessorEditorWrapper (BasePlugin& owner, juce::Component& persistentEditor)
        : juce::AudioProcessorEditor (owner)
        , editor (persistentEditor)
    {
        editor.setVisible (true);
        addAndMakeVisible (editor);
        setSize (editor.getWidth(), editor.getHeight());
    }

    ~AudioProcessorEditorWrapper() override
    {
        editor.setVisible (false);
        removeChildComponent (&editor);
    }

private:
    juce::Component& editor; // owned by the processor

    JUCE_DECLARE_NON_COPYABLE (AudioProcessorEditorWrapper)
};

//==============================================================================
BasePlugin::BasePlugin()
    : pluginFile (juce::File::getSpecialLocation (juce::File::currentApplicationFile))
    , midiControl (parameterManager)
    , hostIsFruityLoops (isFruityLoopsHostName (
          juce::File::getSpecialLocation (juce::File::hostApplicationPath).getFileName()))
{
    parameterManager.loadFromResource ("parameters.xml");
    eventsMap.loadFromResource ("events.xml");

    static const char* const builtInEvents[] = {"Options",
                                                "About",
                                                "Select next preset",
                                                "Select previous preset",
                                                "Browse presets",
                                                "Save preset",
                                                "Save preset as",
                                                "Copy current preset",
                                                "Paste copied preset",
                                                "Store current preset",
                                                "Toggle Midi Learn"};
    int uid = 1000;
    for (const auto* name : builtInEvents)
        eventsMap.addEvent (uid++, name);
}

BasePlugin::~BasePlugin()
{
    cancelPendingUpdate();

    // The editor may still reach into this processor while it goes: delete it before any member.
    editorSettings = nullptr;
    guiController.reset();
}

bool BasePlugin::isFruityLoopsHostName (const juce::String& hostFileName)
{
    return hostFileName.startsWith ("FL");
}

//==============================================================================
juce::String BasePlugin::getName() const
{
    return getProductName();
}

void BasePlugin::checkNonRealtime()
{
    const bool offline = isNonRealtime();
    if (lastNonRealtime.exchange (offline) == offline)
        return;

    nonRealtimeModeChanged (offline);
    postNotice (processingModePending, offline ? 2 : 1);
}

void BasePlugin::prepareToPlay (double, int)
{
    checkNonRealtime();
    discardKeyboardNotes();
    isPrepared.store (1);
    postNotice (preparedPending, 1);
}

void BasePlugin::releaseResources()
{
    isPrepared.store (0);
}

void BasePlugin::processBlock (juce::AudioSampleBuffer&, juce::MidiBuffer& midiMessages)
{
    checkNonRealtime();
    takeKeyboardNotes (midiMessages);
}

juce::AudioProcessorEditor* BasePlugin::createEditor()
{
    if (guiController == nullptr)
        return nullptr;

    return new AudioProcessorEditorWrapper (*this, *guiController);
}

//==============================================================================
void BasePlugin::getStateInformation (juce::MemoryBlock& destData)
{
    if (const auto xml = createStateXml())
        copyXmlToBinary (*xml, destData);

    postNotice (stateSavedPending, 1);
}

void BasePlugin::setStateInformation (const void* data, int sizeInBytes)
{
    const auto xml = getXmlFromBinary (data, sizeInBytes);

    if (xml != nullptr && isStateXml (*xml))
        applyStateXml (*xml);
    else
        reportProblem ("The state the host restored could not be read (" +
                       describeUnreadableChunk (sizeInBytes) + "); the plug-in keeps its current state.");

    // Also after unreadable data: the editor refreshes from whatever state is current now.
    postNotice (stateRestoredPending, 1);
}

void BasePlugin::getCurrentProgramStateInformation (juce::MemoryBlock& destData)
{
    if (const auto xml = createCurrentProgramStateXml())
        copyXmlToBinary (*xml, destData);
}

void BasePlugin::setCurrentProgramStateInformation (const void* data, int sizeInBytes)
{
    if (const auto xml = getXmlFromBinary (data, sizeInBytes))
        applyCurrentProgramStateXml (*xml);
    else
        reportProblem ("The program the host restored could not be read (" +
                       describeUnreadableChunk (sizeInBytes) + "); the current preset is kept.");
}

juce::String BasePlugin::describeUnreadableChunk (int sizeInBytes) const
{
    // The frame adds 9 bytes to its text.
    const auto megabytes = (int) (maxStateTextBytes / (1024 * 1024));
    if (sizeInBytes > 0 && (size_t) sizeInBytes > maxStateTextBytes + 9)
        return juce::String (sizeInBytes) + " bytes, more than the " + juce::String (megabytes) +
               " MB a state may take";

    return juce::String (juce::jmax (0, sizeInBytes)) + " bytes, damaged or not a state of " +
           getProductName();
}

bool BasePlugin::isStateXml (const juce::XmlElement& xml) const
{
    return isOwnXmlElement (&xml, "PluginState");
}

//==============================================================================
void BasePlugin::postNotice (std::atomic<int>& flag, int value)
{
    flag.store (value);
    triggerAsyncUpdate();
}

void BasePlugin::handleAsyncUpdate()
{
    // A state set on a host thread reaches the editor here, before the listeners hear it was restored.
    std::unique_ptr<juce::XmlElement> editorState;
    {
        const juce::ScopedLock sl (pendingEditorStateLock);
        editorState = std::move (pendingEditorState);
    }
    if (editorState != nullptr && editorSettings != nullptr)
        editorSettings->restoreStateXml (*editorState);

    if (stateRestoredPending.exchange (0) != 0)
        listeners.call ([this] (Listener& l) { l.stateRestored (this); });

    if (stateSavedPending.exchange (0) != 0)
        listeners.call ([this] (Listener& l) { l.stateSaved (this); });

    if (preparedPending.exchange (0) != 0)
        listeners.call ([this] (Listener& l) { l.playbackPrepared (this); });

    if (const int mode = processingModePending.exchange (0); mode != 0)
        listeners.call ([this, mode] (Listener& l) { l.processingModeChanged (this, mode); });
}

void BasePlugin::addListener (Listener* listener)
{
    listeners.add (listener);
}

void BasePlugin::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

//==============================================================================
void BasePlugin::runLateInitialisation()
{
    if (hasDebugParameters())
        addDebugParameters();

    if (useLayeredInitialise)
    {
        initialise();
        initialiseGuiController();
        parameterManager.notifyAll();
    }
    else
    {
        BasePlugin::initialise();
        initialiseGuiController();
        parameterManager.notifyAll();
        postInitialise();
    }

    if (shouldLoadStateDump())
        loadDumpFile();
}

void BasePlugin::initialise()
{
    // Every layer has created its parameters by now; later ones would not reach the host.
    parameterManager.addListenerToAll (this);
    loadUserSettings();
    midiControl.setName (getProductName());

    if (midiControl.isDefaultMapInUse())
        midiControl.loadFromFile (midiControl.getDefaultMapFile());

    loadDefaultHostParametersMap();
}

void BasePlugin::initialiseGuiController()
{
    if (guiController != nullptr)
        return;

    guiController = createGuiController();
    if (guiController == nullptr)
        return;

    editorSettings = dynamic_cast<EditorSettings*> (guiController.get());
    guiController->sendLookAndFeelChange();

    // The editor refreshes its MIDI light and pending skin changes on a 25 ms timer.
    if (auto* timer = dynamic_cast<juce::Timer*> (guiController.get()))
        timer->startTimer (25);
}

void BasePlugin::addDebugParameters()
{
    for (int i = 0; i < 12; ++i)
    {
        parameterManager.addParameter (std::make_unique<FloatParameter> (
            300000 + i, "Debug Parameter " + juce::String (i), 0.0f, 1.0f, 0.0f));
        eventsMap.addEvent (10000 + i, "Debug Event " + juce::String (i));
    }
}

//==============================================================================
juce::String BasePlugin::getParameterTextById (int id)
{
    return parameterManager.getParameterText (id);
}

juce::String BasePlugin::getParameterNameById (int id)
{
    return parameterManager.getParameterName (id);
}

juce::String BasePlugin::getAuthorName() const
{
    const juce::ScopedLock sl (authorNameLock);
    return authorName;
}

void BasePlugin::setAuthorName (const juce::String& newAuthorName)
{
    const juce::ScopedLock sl (authorNameLock);
    authorName = newAuthorName;
}

//==============================================================================
bool BasePlugin::isOwnXmlElement (const juce::XmlElement* xml, const juce::String& tag) const
{
    return xml != nullptr && XmlHelpers::tagIs (*xml, tag) &&
           XmlHelpers::attributeIs (*xml, "application", getProductName());
}

std::unique_ptr<juce::XmlElement> BasePlugin::createApplicationElement (const juce::String& tag) const
{
    auto xml = std::make_unique<juce::XmlElement> (tag);
    xml->setAttribute ("application", getName());
    return xml;
}

bool BasePlugin::isStateOn (const juce::XmlElement& xml)
{
    return XmlHelpers::stateIsOn (xml);
}

std::unique_ptr<juce::XmlElement> BasePlugin::createStateElement (const juce::String& tag, bool on)
{
    auto xml = std::make_unique<juce::XmlElement> (tag);
    xml->setAttribute ("state", on ? "on" : "off");
    return xml;
}

juce::String BasePlugin::makeFileWildcard (const juce::String& extension)
{
    return "*" + extension;
}

//==============================================================================
PresetCollection* BasePlugin::getPresetCollection (int)
{
    return currentPresetCollection.get();
}

PresetCollection* BasePlugin::getCurrentPresetCollection (const juce::String&)
{
    return currentPresetCollection.get();
}

void BasePlugin::setCurrentPresetCollection (std::unique_ptr<PresetCollection> collection)
{
    currentPresetCollection = std::move (collection);
    setCurrentPresetName (currentPresetCollection.get(), {});
    currentPresetModified = false;
    currentPresetFlag = false;
}

bool BasePlugin::isCurrentCollection (const PresetCollection* collection) const noexcept
{
    return collection != nullptr && collection == currentPresetCollection.get();
}

bool BasePlugin::isCurrentPresetFlagSet (PresetCollection* collection) const
{
    return isCurrentCollection (collection) && currentPresetFlag.load();
}

void BasePlugin::setCurrentPresetFlag (PresetCollection* collection, bool isSet)
{
    if (isCurrentCollection (collection))
        currentPresetFlag = isSet;
}

void BasePlugin::setCurrentPresetModified (PresetCollection* collection, bool isModified)
{
    if (isCurrentCollection (collection))
        currentPresetModified = isModified;
}

bool BasePlugin::isCurrentPresetModified (PresetCollection* collection) const
{
    return isCurrentCollection (collection) && currentPresetModified.load();
}

juce::String BasePlugin::getCurrentPresetName (PresetCollection* collection) const
{
    if (!isCurrentCollection (collection))
        return {};

    const juce::ScopedLock sl (currentPresetNameLock);
    return currentPresetName;
}

void BasePlugin::setCurrentPresetName (PresetCollection* collection, const juce::String& path)
{
    if (!isCurrentCollection (collection))
        return;

    const juce::ScopedLock sl (currentPresetNameLock);
    currentPresetName = path;
}

void BasePlugin::applyPresetValues (const Preset& preset)
{
    for (int i = 0; i < preset.getNumValues(); ++i)
        if (const auto* record = preset.getValueRecord (i))
            parameterManager.setParameterString (record->parameterId, record->value);
}

void BasePlugin::loadCollectionPreset (PresetCollection* collection, const juce::File& file)
{
    if (collection == nullptr || !file.existsAsFile() ||
        file.getFullPathName().equalsIgnoreCase (getCurrentPresetName (collection)))
        return;

    auto* preset = collection->getPreset (collection->indexOfName (file.getFullPathName()), parameterManager);
    if (preset == nullptr)
        return;

    applyPresetValues (*preset);

    // Applied after the preset's own values, so the product's overrides win.
    if (const auto* overrides = getPresetOverrides (collection))
        applyPresetValues (*overrides);

    presetLoaded (collection, preset);
    applyPresetExtraData (collection, preset->getExtraData());
    setCurrentPresetModified (collection, false);
    setCurrentPresetName (collection, file.getFullPathName());
    setCurrentPresetFlag (collection, false);
    listeners.call ([collection] (Listener& l) { l.currentPresetChanged (collection); });
}

void BasePlugin::selectNextPreset (PresetCollection* collection)
{
    selectAdjacentPreset (collection, 1);
}

void BasePlugin::selectPreviousPreset (PresetCollection* collection)
{
    selectAdjacentPreset (collection, -1);
}

void BasePlugin::selectAdjacentPreset (PresetCollection* collection, int direction)
{
    if (collection == nullptr)
        return;

    const int numPresets = collection->getNumPresets();
    const auto currentName = getCurrentPresetName (collection);

    if (currentName.isEmpty())
    {
        loadCollectionPreset (collection, juce::File (collection->getPresetFile (0)));
        return;
    }

    if (const int index = collection->indexOfName (currentName); index >= 0)
    {
        const int next = (index + direction + numPresets) % numPresets;
        loadCollectionPreset (collection, juce::File (collection->getPresetFile (next)));
        return;
    }

    // The current file has gone from the list (renamed or deleted): restart in the folder it was in.
    const auto* folder =
        juce::File::isAbsolutePath (currentName)
            ? collection->findFolder (juce::File (currentName).getParentDirectory().getFullPathName())
            : nullptr;
    const auto path = folder != nullptr && !folder->presetFiles.isEmpty() ? folder->presetFiles[0]
                                                                          : collection->getPresetFile (0);
    loadCollectionPreset (collection, juce::File (path));
}

bool BasePlugin::storePresetToFile (PresetCollection* collection, const juce::File& file)
{
    auto preset = createPresetForFile (collection, file);
    if (preset == nullptr)
        return true;

    // A preset that could not be written must not become the current one.
    if (!preset->saveToFile (file, parameterManager))
        return false;

    applyPresetExtraData (collection, preset->getExtraData());
    setCurrentPresetModified (collection, false);
    setCurrentPresetName (collection, file.getFullPathName());
    setCurrentPresetFlag (collection, false);

    if (collection != nullptr)
        collection->addPresetFile (file);

    listeners.call ([collection] (Listener& l) { l.currentPresetChanged (collection); });
    return true;
}

void BasePlugin::updatePresetFileAuthor (const juce::File& file)
{
    if (!file.existsAsFile())
        return;

    FilePreset preset (file);
    if (!preset.loadFromFile (file, parameterManager, true))
        return;

    const auto author = getAuthorName();
    if (preset.getAuthor() == author)
        return;

    preset.setAuthor (author);
    preset.setFileAuthor (file);
}
