#include "engine/IntSeqPlugin.h"

#include "framework/XmlHelpers.h"

namespace
{
// Stored values, compared with case counting.
const char* const byTransportChangeText = "byTransportChange";
const char* const byLowestCNoteOnText = "byLowestCNoteOn";
const char* const factoryPatternsText = "factoryPatterns";
const char* const clearPatternsText = "clearPatterns";
const char* const userDefinedPatternsText = "userDefinedPatterns";
} // namespace

//==============================================================================
// User settings

void IntSeqPlugin::readUserSettings (const juce::XmlElement& root)
{
    BasePluginOldStyle::readUserSettings (root);

    if (!isUserSettingsXml (root))
        return;

    for (const auto* child : root.getChildIterator())
    {
        if (XmlHelpers::tagIs (*child, "AudioOutputSettings"))
            readAudioOutputSettings (*child);
        else if (XmlHelpers::tagIs (*child, "InternalSequencer"))
            readSequencerSettings (*child);
    }
}

std::unique_ptr<juce::XmlElement> IntSeqPlugin::createUserSettingsXml()
{
    auto root = BasePluginOldStyle::createUserSettingsXml();
    if (root == nullptr)
        return nullptr;

    if (auto audioOutput = createAudioOutputSettingsXml())
        root->addChildElement (audioOutput.release());

    if (auto sequencer = createSequencerSettingsXml())
        root->addChildElement (sequencer.release());

    return root;
}

void IntSeqPlugin::readSequencerSettings (const juce::XmlElement& xml)
{
    if (!XmlHelpers::tagIs (xml, "InternalSequencer"))
        return;

    for (const auto* child : xml.getChildIterator())
    {
        if (XmlHelpers::tagIs (*child, "IntSeq"))
            defaultInternalSequencer = isStateOn (*child);
        else if (XmlHelpers::tagIs (*child, "IntSync"))
            defaultInternalSync = isStateOn (*child);
        else if (XmlHelpers::tagIs (*child, "HostMode"))
            defaultHostMode = isStateOn (*child);
        else if (XmlHelpers::tagIs (*child, "NoteOff"))
            defaultNoteOffMode = isStateOn (*child);
        else if (XmlHelpers::tagIs (*child, "HostPlayDetection"))
        {
            const auto type = child->getStringAttribute ("type");
            if (type == byTransportChangeText)
                setHostPlayDetection (byTransportChange);
            else if (type == byLowestCNoteOnText)
                setHostPlayDetection (byLowestCNoteOn);
        }
    }
}

std::unique_ptr<juce::XmlElement> IntSeqPlugin::createSequencerSettingsXml()
{
    auto xml = std::make_unique<juce::XmlElement> ("InternalSequencer");
    xml->addChildElement (createStateElement ("IntSeq", defaultInternalSequencer).release());
    xml->addChildElement (createStateElement ("IntSync", defaultInternalSync).release());
    xml->addChildElement (createStateElement ("HostMode", defaultHostMode).release());
    xml->addChildElement (createStateElement ("NoteOff", defaultNoteOffMode).release());

    auto* detection = xml->createNewChildElement ("HostPlayDetection");
    if (getHostPlayDetection() == byTransportChange)
        detection->setAttribute ("type", byTransportChangeText);
    else if (getHostPlayDetection() == byLowestCNoteOn)
        detection->setAttribute ("type", byLowestCNoteOnText);

    return xml;
}

//==============================================================================
// Resources settings

void IntSeqPlugin::readResourcesSettings (const juce::XmlElement& xml)
{
    BasePluginOldStyle::readResourcesSettings (xml);

    if (!XmlHelpers::tagIs (xml, "ResourcesSettings"))
        return;

    for (const auto* child : xml.getChildIterator())
        if (XmlHelpers::tagIs (*child, "Patterns"))
            readPatternsResourceSettings (*child);
}

std::unique_ptr<juce::XmlElement> IntSeqPlugin::createResourcesSettingsXml()
{
    auto xml = BasePluginOldStyle::createResourcesSettingsXml();
    if (xml != nullptr)
        xml->insertChildElement (createPatternsResourceSettingsXml().release(), 1);
    return xml;
}

void IntSeqPlugin::readPatternsResourceSettings (const juce::XmlElement& xml)
{
    const auto choice = xml.getStringAttribute ("default");

    if (choice == factoryPatternsText)
        defaultPatternsChoice = factoryPatterns;
    else if (choice == clearPatternsText)
        defaultPatternsChoice = clearPatterns;
    else if (choice == userDefinedPatternsText)
    {
        // A path that is not absolute names no file this plug-in could find again.
        setUserDefinedPatternsFile (XmlHelpers::getAbsoluteFile (xml, "file"));
    }
}

std::unique_ptr<juce::XmlElement> IntSeqPlugin::createPatternsResourceSettingsXml() const
{
    auto xml = std::make_unique<juce::XmlElement> ("Patterns");

    switch (defaultPatternsChoice)
    {
        case clearPatterns: xml->setAttribute ("default", clearPatternsText); break;
        case userDefinedPatterns:
            xml->setAttribute ("default", userDefinedPatternsText);
            xml->setAttribute ("file", userPatternsFile.getFullPathName());
            break;
        default: xml->setAttribute ("default", factoryPatternsText); break;
    }

    return xml;
}

void IntSeqPlugin::setUserDefinedPatternsFile (const juce::File& file)
{
    userPatternsFile = file;
    defaultPatternsChoice = userDefinedPatterns;
}

void IntSeqPlugin::setDefaultPatternsChoice (int choice)
{
    if (choice == factoryPatterns || choice == clearPatterns || choice == userDefinedPatterns)
        defaultPatternsChoice = choice;
}

//==============================================================================
// Plug-in state

void IntSeqPlugin::applyStateXml (const juce::XmlElement& xml)
{
    BasePluginOldStyle::applyStateXml (xml);

    if (!isStateXml (xml))
        return;

    for (const auto* child : xml.getChildIterator())
        if (XmlHelpers::tagIs (*child, "InternalSequencer"))
            readSequencerState (*child);
}

std::unique_ptr<juce::XmlElement> IntSeqPlugin::createStateXml()
{
    auto xml = BasePluginOldStyle::createStateXml();
    if (xml != nullptr)
        if (auto sequencer = createSequencerStateXml())
            xml->addChildElement (sequencer.release());
    return xml;
}

void IntSeqPlugin::readSequencerState (const juce::XmlElement& xml)
{
    if (!XmlHelpers::tagIs (xml, "InternalSequencer"))
        return;

    for (const auto* child : xml.getChildIterator())
    {
        if (XmlHelpers::tagIs (*child, "IntSeq"))
            setInternalSequencer (isStateOn (*child));
        else if (XmlHelpers::tagIs (*child, "IntSync"))
            setInternalSync (isStateOn (*child));
        else if (XmlHelpers::tagIs (*child, "HostMode"))
            setHostMode (isStateOn (*child));
        else if (XmlHelpers::tagIs (*child, "NoteOff"))
            setNoteOffMode (isStateOn (*child));
        else if (XmlHelpers::tagIs (*child, "PattWriteMode"))
            setWriteMode (isStateOn (*child));
        else if (XmlHelpers::tagIs (*child, "AutoFollow"))
            setAutoFollow (isStateOn (*child));
        else if (XmlHelpers::tagIs (*child, "PatternsState"))
            readPatternsState (*child);
    }
}

std::unique_ptr<juce::XmlElement> IntSeqPlugin::createSequencerStateXml()
{
    auto xml = std::make_unique<juce::XmlElement> ("InternalSequencer");
    xml->addChildElement (createStateElement ("IntSeq", isInternalSequencerOn()).release());
    xml->addChildElement (createStateElement ("IntSync", isInternalSyncOn()).release());
    xml->addChildElement (createStateElement ("HostMode", isHostModeOn()).release());
    xml->addChildElement (createStateElement ("NoteOff", isNoteOffModeOn()).release());
    // The switches themselves, not what they amount to with the others: a restored instance lights and
    // unlights each one as the saved instance did when another switch changes.
    xml->addChildElement (createStateElement ("PattWriteMode", isWriteModeOn()).release());
    xml->addChildElement (createStateElement ("AutoFollow", isAutoFollowOn()).release());

    if (auto patterns = createPatternsStateXml())
        xml->addChildElement (patterns.release());

    return xml;
}

void IntSeqPlugin::readPatternsState (const juce::XmlElement& xml)
{
    if (!XmlHelpers::tagIs (xml, "PatternsState"))
        return;

    for (const auto* child : xml.getChildIterator())
        if (XmlHelpers::tagIs (*child, "PatternBank") && readPatternBankXml (*child) < 0)
            reportProblem ("The patterns of the state the host restored are too large to hold (their names "
                           "would take more than " +
                           juce::String (maxPatternNameBytes / (1024 * 1024)) +
                           " MB in a saved state); the plug-in keeps its patterns.");
}

std::unique_ptr<juce::XmlElement> IntSeqPlugin::createPatternsStateXml()
{
    auto xml = std::make_unique<juce::XmlElement> ("PatternsState");
    xml->addChildElement (createPatternBankXml().release());
    return xml;
}
