#include "framework/BasePluginOldStyle.h"

#include "framework/BoundedFileReader.h"
#include "framework/XmlHelpers.h"
#include "vst/BoundedXml.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace
{
/** True when the file is this module's own, or a link to it. The module's path as text is its bytes read as
    UTF-8: a path that is not UTF-8 reads with replacement characters and names another file or none, and
    what lies beside that is not the module's. */
bool isThisModule (const juce::File& file)
{
    Dl_info info{};
    struct stat loaded;
    struct stat named;
    return dladdr (reinterpret_cast<const void*> (&isThisModule), &info) != 0 && info.dli_fname != nullptr &&
           ::stat (info.dli_fname, &loaded) == 0 &&
           ::stat (file.getFullPathName().toRawUTF8(), &named) == 0 && loaded.st_dev == named.st_dev &&
           loaded.st_ino == named.st_ino;
}
} // namespace

//==============================================================================
void BasePluginOldStyle::readUserSettings (const juce::XmlElement& root)
{
    if (!isUserSettingsXml (root))
        return;

    for (const auto* child : root.getChildIterator())
    {
        if (XmlHelpers::tagIs (*child, "PluginDirectories"))
            readPluginDirectories (*child);
        else if (XmlHelpers::tagIs (*child, "ResourcesSettings"))
            readResourcesSettings (*child);
        else if (XmlHelpers::tagIs (*child, "PresetSettings"))
            readPresetSettings (*child);
    }
}

std::unique_ptr<juce::XmlElement> BasePluginOldStyle::createUserSettingsXml()
{
    auto root = createApplicationElement ("UserSettings");
    writePluginDirectories (*root);
    if (auto resources = createResourcesSettingsXml())
        root->addChildElement (resources.release());
    writePresetSettings (*root);
    return root;
}

//==============================================================================
void BasePluginOldStyle::readPluginDirectories (const juce::XmlElement& xml)
{
    for (const auto* child : xml.getChildIterator())
        if (XmlHelpers::tagIs (*child, "RecentlyUsed"))
            setRecentlyUsedDirectory (XmlHelpers::getAbsoluteFile (*child, "dir"));
}

void BasePluginOldStyle::writePluginDirectories (juce::XmlElement& root) const
{
    root.createNewChildElement ("PluginDirectories")
        ->createNewChildElement ("RecentlyUsed")
        ->setAttribute ("dir", recentlyUsedDirectory.getFullPathName());
}

void BasePluginOldStyle::setRecentlyUsedDirectory (const juce::File& folder)
{
    if (folder != juce::File() && folder.isDirectory())
        recentlyUsedDirectory = folder;
}

//==============================================================================
void BasePluginOldStyle::readResourcesSettings (const juce::XmlElement& xml)
{
    if (!XmlHelpers::tagIs (xml, "ResourcesSettings"))
        return;

    for (const auto* child : xml.getChildIterator())
    {
        if (XmlHelpers::tagIs (*child, "Presets"))
            readDefaultPresetsSetting (*child);
        else if (XmlHelpers::tagIs (*child, "MidiCCMap"))
            readMidiCCMapSetting (*child);
    }
}

std::unique_ptr<juce::XmlElement> BasePluginOldStyle::createResourcesSettingsXml()
{
    auto xml = std::make_unique<juce::XmlElement> ("ResourcesSettings");

    auto* presetsXml = xml->createNewChildElement ("Presets");
    static const char* const presetsModes[] = {"factoryPresets", "clearPresets", "userDefinedPresets"};
    presetsXml->setAttribute ("default", presetsModes[defaultPresetsMode]);
    if (defaultPresetsMode == userDefinedPresets)
        presetsXml->setAttribute ("file", userDefinedPresetsFile.getFullPathName());

    auto* mapXml = xml->createNewChildElement ("MidiCCMap");
    const auto& controlMap = getMidiControl();
    if (controlMap.isDefaultMapInUse())
    {
        mapXml->setAttribute ("default", "userDefinedMidiCCMap");
        mapXml->setAttribute ("file", controlMap.getDefaultMapFile().getFullPathName());
    }
    else
    {
        mapXml->setAttribute ("default", "noMapping");
    }

    return xml;
}

void BasePluginOldStyle::readDefaultPresetsSetting (const juce::XmlElement& xml)
{
    if (XmlHelpers::attributeIs (xml, "default", "factoryPresets"))
    {
        defaultPresetsMode = factoryPresets;
    }
    else if (XmlHelpers::attributeIs (xml, "default", "clearPresets"))
    {
        defaultPresetsMode = clearPresets;
    }
    else if (XmlHelpers::attributeIs (xml, "default", "userDefinedPresets"))
    {
        defaultPresetsMode = userDefinedPresets;
        userDefinedPresetsFile = XmlHelpers::getAbsoluteFile (xml, "file");
    }
}

void BasePluginOldStyle::readMidiCCMapSetting (const juce::XmlElement& xml)
{
    // Unlike the other choices of this section these words count their case.
    const auto choice = xml.getStringAttribute ("default");
    auto& controlMap = getMidiControl();

    if (choice == "noMapping")
    {
        controlMap.setDefaultMapInUse (false);
    }
    else if (choice == "userDefinedMidiCCMap")
    {
        controlMap.setDefaultMapInUse (true);
        controlMap.setDefaultMapFile (XmlHelpers::getAbsoluteFile (xml, "file"));
    }
}

//==============================================================================
void BasePluginOldStyle::readPresetSettings (const juce::XmlElement& xml)
{
    if (isPresetStoringConfigurable())
    {
        if (XmlHelpers::attributeIs (xml, "storing", "onDemand"))
        {
            presetStoringMode = onDemandStoring;
        }
        else if (XmlHelpers::attributeIs (xml, "storing", "automatic"))
        {
            presetStoringMode = automaticStoring;
            storePreset (getCurrentPresetIndex());
        }
    }

    if (isPresetChangingConfigurable())
    {
        if (XmlHelpers::attributeIs (xml, "changing", "normal"))
            presetChangingMode = normalChanging;
        else if (XmlHelpers::attributeIs (xml, "changing", "silent"))
            presetChangingMode = silentChanging;
    }
}

void BasePluginOldStyle::writePresetSettings (juce::XmlElement& root) const
{
    auto* xml = root.createNewChildElement ("PresetSettings");

    if (isPresetStoringConfigurable())
        xml->setAttribute ("storing",
                           presetStoringMode.load() == automaticStoring ? "automatic" : "onDemand");

    if (isPresetChangingConfigurable())
        xml->setAttribute ("changing", presetChangingMode.load() == silentChanging ? "silent" : "normal");
}

void BasePluginOldStyle::setDefaultPresetsMode (int mode)
{
    if (mode >= factoryPresets && mode <= userDefinedPresets)
        defaultPresetsMode = mode;
}

void BasePluginOldStyle::setPresetStoringMode (int mode)
{
    if (mode == automaticStoring || mode == onDemandStoring)
        presetStoringMode = mode;
}

void BasePluginOldStyle::setPresetChangingMode (int mode)
{
    if (mode == normalChanging || mode == silentChanging)
        presetChangingMode = mode;
}

//==============================================================================
void BasePluginOldStyle::initialiseSettings (const juce::File& moduleFolder)
{
    // Without the folder nothing can move into it; the save at close says the settings were lost.
    if (!createUserFolder (getUserDataDirectory()))
        return;

    if (moduleFolder == juce::File() && !isThisModule (getPluginFile()))
        return;

    const auto folder = moduleFolder != juce::File() ? moduleFolder : getPluginFile().getParentDirectory();
    if (folder == juce::File())
        return;

    const auto oldFile = folder.getChildFile (getProductName() + ".ini");
    const auto settingsFile = getUserSettingsFile();

    // Settings already in the user data folder are newer than any left beside the module: never
    // overwritten by it.
    if (oldFile == settingsFile || !oldFile.existsAsFile() || settingsFile.exists())
        return;

    // Only what the settings reader would take moves: a FIFO there never ends and a link to a device or a
    // huge file would fill the disk. The copy lands whole or not at all, and only then the old file goes.
    juce::MemoryBlock bytes;
    if (BoundedFileReader::readBytes (oldFile, bytes, BoundedXml::maxBytes) &&
        XmlHelpers::writeToFile (bytes, settingsFile))
        oldFile.deleteFile();
}
