#include "framework/BasePluginOldStyle.h"

#include "framework/ResourceLoader.h"
#include "framework/XmlHelpers.h"

#include <array>
#include <charconv>
#include <cmath>

namespace
{
/** A parameter value of the host state: the shortest text that reads back as the same float, so a state
    restores exactly. */
juce::String formatStateValue (float value)
{
    char buffer[32] = {};
    const auto result = std::to_chars (buffer, buffer + sizeof (buffer) - 1, value);
    return result.ec == std::errc() ? juce::String (buffer, (size_t) (result.ptr - buffer))
                                    : juce::String ("0");
}
} // namespace

BasePluginOldStyle::BasePluginOldStyle()
    : defaultPreset (std::make_unique<PresetBankEntry> (numPresetableParameters, -1))
    , copyBuffer (std::make_unique<PresetBankEntry> (numPresetableParameters, -1))
    , bankSnapshots (std::make_unique<BankSnapshots>())
{
    auto& manager = getParameterManager();
    manager.addParameter (std::make_unique<IntParameter> (currentPresetNumberId, "Current Preset Number", 0,
                                                          numBankPresets - 1, 0));
    manager.addParameter (std::make_unique<StringParameter> (currentPresetNameId, "Current Preset Name"));

    for (int id = 0; id < numPresetableParameters; ++id)
        defaultPreset->setValue (id, manager.getParameterNormalised (id));

    presets.ensureStorageAllocated (numBankPresets);
    for (int i = 0; i < numBankPresets; ++i)
        presets.add (new PresetBankEntry (numPresetableParameters, i));

    publishBankSnapshot();
}

BasePluginOldStyle::~BasePluginOldStyle() = default;

//==============================================================================
void BasePluginOldStyle::initialise()
{
    auto& manager = getParameterManager();

    const int numSlots = juce::jmin (getNumHostParameters(), maxHostParameters);
    for (int slot = 0; slot < numSlots; ++slot)
        assignHostParameter (slot, manager.getParameter (slot));

    recentlyUsedDirectory = juce::File::getSpecialLocation (juce::File::userHomeDirectory);

    // Reads the user settings, which choose the bank filled below.
    BasePlugin::initialise();

    if (const auto xml = XmlHelpers::parse (getResourceAsString ("default" + getPresetFileExtension())))
        loadPresetFromXml (*xml, defaultPreset.get());

    if (defaultPresetsMode == clearPresets)
        clearBank();
    else if (defaultPresetsMode != userDefinedPresets || !userDefinedPresetsFile.existsAsFile())
        loadFactoryBank();
    else if (!loadPresetBankFile (userDefinedPresetsFile))
    {
        reportProblem ("The default preset bank " + userDefinedPresetsFile.getFullPathName() +
                       " could not be loaded; the factory bank is used instead.");
        loadFactoryBank();
    }

    if (getCurrentPresetIndex() < getNumPresets())
        loadCurrentPreset();

    for (int id = 0; id < numStateParameters; ++id)
        manager.notifyParameter (id);
}

bool BasePluginOldStyle::loadFactoryBank()
{
    const auto xml = XmlHelpers::parse (getResourceAsString ("default" + getPresetBankFileExtension()));
    if (xml != nullptr && loadPresetBankFromXml (*xml))
    {
        loadCurrentPreset();
        return true;
    }

    // Without its factory bank the placeholder presets would all be silent and in no group.
    clearBank();
    return false;
}

//==============================================================================
void BasePluginOldStyle::parameterChanged (Parameter* parameter)
{
    if (parameter == nullptr)
        return;

    const int id = parameter->getId();

    if (id == currentPresetNameId)
    {
        setPresetName (getCurrentPresetIndex(), parameter->getValueText());
        return;
    }

    if (presetStoringMode.load() == automaticStoring &&
        juce::isPositiveAndBelow (id, numPresetableParameters) &&
        programApplyingThread.load() != juce::Thread::getCurrentThreadId())
    {
        const float value = parameter->getValueNormalised();
        {
            const juce::ScopedLock sl (presetsLock);
            if (auto* entry = presets[getCurrentPresetIndex()])
                entry->setValue (id, value);
        }

        // Possibly the audio thread: the copy that program changes read is rebuilt on the message thread.
        bankNotices.snapshotStale.store (true);
        bankNotices.triggerAsyncUpdate();
    }

    BasePlugin::parameterChanged (parameter);
}

//==============================================================================
void BasePluginOldStyle::readParameterValues (const juce::XmlElement& xml, int firstId, int endId)
{
    auto& manager = getParameterManager();

    for (const auto* param : xml.getChildIterator())
    {
        if (!XmlHelpers::tagIs (*param, "param"))
            continue;

        // Only the parameters this element is written for: a name of a preset or sequencer parameter
        // would otherwise rename the current preset or fake the sequencer's display.
        const int id = manager.getParameterIdByName (param->getStringAttribute ("name"));
        const double value = XmlHelpers::getFiniteDouble (*param, "value", std::nan (""));
        if (id < firstId || id >= endId || std::isnan (value))
            continue;

        if (auto* parameter = manager.getParameter (id))
            parameter->setValueNormalised ((float) juce::jlimit (0.0, 1.0, value), true);
    }
}

std::unique_ptr<juce::XmlElement> BasePluginOldStyle::createParameterValuesXml (const juce::String& tag,
                                                                                int firstId, int endId) const
{
    const auto& manager = getParameterManager();
    auto xml = std::make_unique<juce::XmlElement> (tag);

    for (int id = firstId; id < endId; ++id)
    {
        if (const auto* parameter = manager.getParameter (id))
        {
            auto* param = xml->createNewChildElement ("param");
            param->setAttribute ("name", parameter->getName());
            param->setAttribute ("value", formatStateValue (parameter->getValueNormalised()));
        }
    }

    return xml;
}

bool BasePluginOldStyle::isNotPresetableParamsXml (const juce::XmlElement& xml) const
{
    return XmlHelpers::tagIs (xml, "NotPresetableParams") || XmlHelpers::tagIs (xml, "NotPresetParams");
}

void BasePluginOldStyle::readNotPresetableParams (const juce::XmlElement& xml)
{
    if (isNotPresetableParamsXml (xml))
        readParameterValues (xml, numPresetableParameters,
                             numPresetableParameters + numNotPresetableParameters);
}

std::unique_ptr<juce::XmlElement> BasePluginOldStyle::createNotPresetableParamsXml() const
{
    return createParameterValuesXml ("NotPresetableParams", numPresetableParameters,
                                     numPresetableParameters + numNotPresetableParameters);
}

//==============================================================================
void BasePluginOldStyle::applyStateXml (const juce::XmlElement& xml)
{
    if (!isStateXml (xml))
        return;

    for (const auto* child : xml.getChildIterator())
    {
        if (XmlHelpers::tagIs (*child, "ParametersState"))
            readParameterValues (*child, 0, numStateParameters);
        else if (XmlHelpers::tagIs (*child, "PresetsState"))
            readPresetsState (*child);
        else if (XmlHelpers::tagIs (*child, "MidiControlMap") || XmlHelpers::tagIs (*child, "MidiCCMap"))
            getMidiControl().loadFromXml (*child);
    }
}

void BasePluginOldStyle::readPresetsState (const juce::XmlElement& xml)
{
    for (const auto* child : xml.getChildIterator())
        if (isPresetBankXml (*child) && !loadPresetBankFromXml (*child))
            reportProblem ("The preset bank of the state the host restored is too large to hold (more than " +
                           juce::String (maxGroups) + " groups, or names that would take more than " +
                           juce::String (maxBankTextBytes / (1024 * 1024)) +
                           " MB in a saved state); the plug-in keeps its bank.");

    // The parameters come from "ParametersState": the preset is shown, not loaded.
    setCurrentPresetIndex (xml.getIntAttribute ("currentPreset", 0), true);
}

std::unique_ptr<juce::XmlElement> BasePluginOldStyle::createStateXml()
{
    auto xml = createApplicationElement ("PluginState");
    xml->addChildElement (createParameterValuesXml ("ParametersState", 0, numStateParameters).release());

    auto* presetsState = xml->createNewChildElement ("PresetsState");
    presetsState->setAttribute ("currentPreset", getCurrentPresetIndex());
    presetsState->addChildElement (createPresetBankXml().release());

    xml->addChildElement (getMidiControl().createXml().release());
    return xml;
}

void BasePluginOldStyle::applyCurrentProgramStateXml (const juce::XmlElement& xml)
{
    const int index = getCurrentPresetIndex();
    if (loadPresetFromXml (xml, index))
        loadCurrentPreset();
    else
        reportProblem ("The program the host restored is no preset of " + getProductName() +
                       ", or its name would make the bank too large to save; the current preset is kept.");
}

std::unique_ptr<juce::XmlElement> BasePluginOldStyle::createCurrentProgramStateXml()
{
    return createCurrentPresetXml();
}

//==============================================================================
juce::String BasePluginOldStyle::joinWildcards (const juce::String& extension,
                                                const juce::StringArray& extraExtensions)
{
    auto wildcards = makeFileWildcard (extension);
    for (const auto& extra : extraExtensions)
        wildcards << "; " << makeFileWildcard (extra);
    return wildcards;
}

juce::String BasePluginOldStyle::getPresetFileExtension() const
{
    return ("." + getFilePrefix() + "prs").toLowerCase();
}

juce::String BasePluginOldStyle::getPresetFileWildcard() const
{
    return makeFileWildcard (getPresetFileExtension());
}

juce::String BasePluginOldStyle::getPresetFileWildcards() const
{
    juce::StringArray extras;
    for (int i = 0; i < getNumExtraPresetFileExtensions(); ++i)
        extras.add (getExtraPresetFileExtension (i));
    return joinWildcards (getPresetFileExtension(), extras);
}

juce::String BasePluginOldStyle::getPresetBankFileExtension() const
{
    return ("." + getFilePrefix() + "prsb").toLowerCase();
}

juce::String BasePluginOldStyle::getPresetBankFileWildcard() const
{
    return makeFileWildcard (getPresetBankFileExtension());
}

juce::String BasePluginOldStyle::getPresetBankFileWildcards() const
{
    juce::StringArray extras;
    for (int i = 0; i < getNumExtraPresetBankFileExtensions(); ++i)
        extras.add (getExtraPresetBankFileExtension (i));
    return joinWildcards (getPresetBankFileExtension(), extras);
}

juce::String BasePluginOldStyle::getMidiCCMapFileExtension() const
{
    return ("." + getFilePrefix() + "ccmap").toLowerCase();
}

juce::String BasePluginOldStyle::getMidiCCMapFileWildcards() const
{
    juce::StringArray extras;
    for (int i = 0; i < getNumExtraMidiCCMapFileExtensions(); ++i)
        extras.add (getExtraMidiCCMapFileExtension (i));
    return joinWildcards (getMidiCCMapFileExtension(), extras);
}
