#include "framework/BasePlugin.h"

#include "framework/XmlHelpers.h"

namespace
{
/** Folders that stand in for the application-data locations; empty = JUCE's special locations. */
struct ApplicationDataFolders
{
    juce::CriticalSection lock;
    juce::File user;
    juce::File common;
};

ApplicationDataFolders& getApplicationDataFolders()
{
    static ApplicationDataFolders folders;
    return folders;
}

juce::File getApplicationDataFolder (bool user)
{
    auto& folders = getApplicationDataFolders();
    {
        const juce::ScopedLock sl (folders.lock);
        const auto& replacement = user ? folders.user : folders.common;
        if (replacement != juce::File())
            return replacement;
    }

    return juce::File::getSpecialLocation (user ? juce::File::userApplicationDataDirectory
                                                : juce::File::commonApplicationDataDirectory);
}

const char* const defaultQualityPresetName = "DefaultProcessingQuality";

// Names an unreadable settings file may be kept under; an older one is never replaced.
constexpr int maxKeptSettingsFiles = 10;

/** Moves the file to the first free name of Kelvanor.ini.unreadable, Kelvanor.ini.unreadable-2, ...;
    the new place, or no file when every name is taken or the move failed. */
juce::File moveAsideUnreadable (const juce::File& file)
{
    for (int i = 1; i <= maxKeptSettingsFiles; ++i)
    {
        const auto aside = file.getSiblingFile (file.getFileName() + ".unreadable" +
                                                (i > 1 ? "-" + juce::String (i) : juce::String()));
        if (aside.exists())
            continue;

        return file.moveFileTo (aside) ? aside : juce::File();
    }

    return {};
}
} // namespace

void BasePlugin::overrideApplicationDataFolders (const juce::File& userFolder, const juce::File& commonFolder)
{
    auto& folders = getApplicationDataFolders();
    const juce::ScopedLock sl (folders.lock);
    folders.user = userFolder;
    folders.common = commonFolder;
}

juce::File BasePlugin::getUserDataDirectory() const
{
    return getApplicationDataFolder (true).getChildFile ("Zeb Group").getChildFile (getProductName());
}

juce::File BasePlugin::getCommonDataDirectory() const
{
    return getApplicationDataFolder (false).getChildFile ("Zeb Group").getChildFile (getProductName());
}

bool BasePlugin::createUserFolder (const juce::File& folder) const
{
    if (folder.isDirectory())
        return true;

    return getApplicationDataFolder (true).getParentDirectory().isDirectory() &&
           folder.createDirectory().wasOk();
}

juce::File BasePlugin::getUserSettingsFile() const
{
    return getUserDataDirectory().getChildFile (getProductName() + ".ini");
}

juce::File BasePlugin::getDumpFile() const
{
    return getUserDataDirectory().getChildFile (getProductName() + ".dump");
}

bool BasePlugin::isUserSettingsXml (const juce::XmlElement& xml) const
{
    return isOwnXmlElement (&xml, "UserSettings");
}

//==============================================================================
void BasePlugin::reportProblem (const juce::String& text)
{
    {
        const juce::ScopedLock sl (reportedProblemsLock);
        reportedProblems.add (text);
    }
    juce::Logger::writeToLog (getProductName() + ": " + text);
}

juce::StringArray BasePlugin::getReportedProblems() const
{
    const juce::ScopedLock sl (reportedProblemsLock);
    return reportedProblems;
}

void BasePlugin::loadUserSettings()
{
    const auto file = getUserSettingsFile();
    const auto root = XmlHelpers::parse (file);
    const bool isOwn = root != nullptr && isUserSettingsXml (*root);

    // Whatever stands at the settings file's place and is not this product's settings (text that does
    // not parse, a file too large, another product's document, a folder) was put there by someone: the
    // settings written later must not replace it.
    if (!isOwn && file.exists())
    {
        const auto aside = moveAsideUnreadable (file);
        userSettingsWritable = aside != juce::File();

        if (userSettingsWritable)
            reportProblem ("The settings file " + file.getFullPathName() +
                           " could not be read; it was kept as " + aside.getFileName() +
                           " and the settings start from their defaults.");
        else
            reportProblem ("The settings file " + file.getFullPathName() +
                           " could not be read and could not be moved aside; the settings start from "
                           "their defaults and are not saved over it.");
    }

    if (isOwn)
    {
        for (const auto* child : root->getChildIterator())
        {
            if (XmlHelpers::tagIs (*child, "Presets"))
            {
                if (const auto* author = XmlHelpers::findChild (*child, "Author"))
                    setAuthorName (author->getStringAttribute ("name"));
            }
            else if (XmlHelpers::tagIs (*child, "MidiControlMap"))
            {
                midiControl.setDefaultMapInUse (XmlHelpers::attributeIs (*child, "default", "yes"));
                midiControl.setDefaultMapFile (XmlHelpers::getAbsoluteFile (*child, "file"));
            }
            else if (XmlHelpers::tagIs (*child, "HostParametersMap"))
            {
                hostMapIsDefault = XmlHelpers::attributeIs (*child, "default", "yes");
                hostMapFile = child->getStringAttribute ("file");
            }
        }

        const int defaultQualityIds[] = {getDefaultRealtimeQualityParameterId(),
                                         getDefaultOfflineQualityParameterId()};

        for (const auto* child : root->getChildIterator())
        {
            if (!XmlHelpers::tagIs (*child, "Preset") ||
                child->getStringAttribute ("name") != defaultQualityPresetName)
                continue;

            Preset stored;
            stored.loadFromXml (child, parameterManager, false);

            for (int i = 0; i < stored.getNumValues(); ++i)
            {
                const auto* record = stored.getValueRecord (i);
                for (const int id : defaultQualityIds)
                    if (id != -1 && record->parameterId == id)
                        parameterManager.setParameterString (id, record->value);
            }
        }

        readUserSettings (*root);
    }

    // Also without a file: the qualities in use start from their defaults.
    parameterManager.copyParameterValue (getRealtimeQualityParameterId(),
                                         getDefaultRealtimeQualityParameterId());
    parameterManager.copyParameterValue (getOfflineQualityParameterId(),
                                         getDefaultOfflineQualityParameterId());
    processingQualityChanged();
}

void BasePlugin::saveUserSettings()
{
    std::unique_ptr<juce::XmlElement> root;

    if (useLayeredInitialise)
    {
        root = createUserSettingsXml();
    }
    else
    {
        root = createApplicationElement ("UserSettings");

        root->createNewChildElement ("Presets")->createNewChildElement ("Author")->setAttribute (
            "name", getAuthorName());

        auto* midiMap = root->createNewChildElement ("MidiControlMap");
        midiMap->setAttribute ("default", midiControl.isDefaultMapInUse() ? "yes" : "no");
        if (midiControl.getDefaultMapFile() != juce::File())
            midiMap->setAttribute ("file", midiControl.getDefaultMapFile().getFullPathName());

        auto* hostMap = root->createNewChildElement ("HostParametersMap");
        hostMap->setAttribute ("default", hostMapIsDefault ? "yes" : "no");
        if (hostMapFile.isNotEmpty())
            hostMap->setAttribute ("file", hostMapFile);

        Preset qualities;
        qualities.setName (defaultQualityPresetName);
        const int realtimeId = getDefaultRealtimeQualityParameterId();
        const int offlineId = getDefaultOfflineQualityParameterId();
        qualities.addParameterValue (parameterManager.getParameter (realtimeId));
        if (offlineId != realtimeId)
            qualities.addParameterValue (parameterManager.getParameter (offlineId));

        if (auto preset = qualities.createXml (parameterManager))
            root->addChildElement (preset.release());

        if (editorSettings != nullptr)
            if (auto editorElement = editorSettings->createSettingsXml())
                root->addChildElement (editorElement.release());

        userSettingsWritten (root.get());
    }

    // When the load could not move an unreadable file aside it has already said the settings are not
    // saved over it.
    if (root != nullptr && userSettingsWritable)
    {
        // A plain product has nobody else to create the folder; a failed write leaves the old file intact,
        // but the session's changes are lost, which the user must hear of.
        const auto file = getUserSettingsFile();
        if (!createUserFolder (file.getParentDirectory()))
            reportProblem ("The settings could not be saved to " + file.getFullPathName() +
                           ": its folder could not be created. The changes of this session are lost.");
        else if (!XmlHelpers::writeToFile (*root, file))
            reportProblem ("The settings could not be saved to " + file.getFullPathName() +
                           ": the file could not be written. The changes of this session are lost.");
    }

    if (shouldLoadStateDump())
        saveDumpFile();
}

//==============================================================================
std::unique_ptr<juce::XmlElement> BasePlugin::createStateXml()
{
    auto xml = createApplicationElement ("PluginState");
    if (editorSettings != nullptr)
        if (auto editorElement = editorSettings->createStateXml())
            xml->addChildElement (editorElement.release());
    return xml;
}

void BasePlugin::applyStateXml (const juce::XmlElement& xml)
{
    if (editorSettings == nullptr || !isStateXml (xml))
        return;

    const auto* element = XmlHelpers::findChild (xml, editorSettings->getStateXmlTag());
    if (element == nullptr)
        return;

    // The editor builds components: a host that sets the state on a thread of its own must not reach it
    // there. The copy waits for the message thread, a later state replacing an earlier one.
    if (auto* mm = juce::MessageManager::getInstanceWithoutCreating();
        mm == nullptr || mm->isThisTheMessageThread())
    {
        editorSettings->restoreStateXml (*element);
        return;
    }

    {
        const juce::ScopedLock sl (pendingEditorStateLock);
        pendingEditorState = std::make_unique<juce::XmlElement> (*element);
    }
    triggerAsyncUpdate();
}

void BasePlugin::saveDumpFile()
{
    if (const auto xml = createStateXml())
        XmlHelpers::writeToFile (*xml, getDumpFile());

    postNotice (stateSavedPending, 1);
}

void BasePlugin::loadDumpFile()
{
    if (const auto xml = XmlHelpers::parse (getDumpFile()))
        applyStateXml (*xml);

    postNotice (stateRestoredPending, 1);
}
