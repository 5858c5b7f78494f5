#include "engine/IntSeqPlugin.h"

#include "framework/ResourceLoader.h"
#include "framework/XmlHelpers.h"

bool IntSeqPlugin::isPatternXml (const juce::XmlElement& xml) const
{
    return XmlHelpers::tagIs (xml, "Pattern") &&
           XmlHelpers::attributeIs (xml, "application", getProductName());
}

bool IntSeqPlugin::loadPatternFromXml (const juce::XmlElement& xml, int index)
{
    return isPatternXml (xml) && juce::isPositiveAndBelow (index, getNumPatterns());
}

bool IntSeqPlugin::loadPatternsFromXml (const juce::Array<const juce::XmlElement*>& elements)
{
    for (int i = 0; i < elements.size(); ++i)
        loadPatternFromXml (*elements.getUnchecked (i), i);
    return true;
}

size_t IntSeqPlugin::getPatternNameBytes() const
{
    size_t bytes = 0;
    for (int i = 0; i < getNumPatterns(); ++i)
        bytes += XmlHelpers::writtenAttributeBytes (getPatternName (i));
    return bytes;
}

std::unique_ptr<juce::XmlElement> IntSeqPlugin::createPatternXml (int index) const
{
    if (!juce::isPositiveAndBelow (index, getNumPatterns()))
        return nullptr;

    return createApplicationElement ("Pattern");
}

juce::String IntSeqPlugin::getPatternFileExtension() const
{
    return ("." + getFilePrefix() + "ptr").toLowerCase();
}

bool IntSeqPlugin::loadPatternFile (const juce::File& file, int index)
{
    const auto xml = XmlHelpers::parse (file);
    return xml != nullptr && loadPatternFromXml (*xml, index);
}

bool IntSeqPlugin::savePatternFile (const juce::File& file, int index)
{
    const auto xml = createPatternXml (index);
    return xml != nullptr && XmlHelpers::writeToFile (*xml, file);
}

juce::String IntSeqPlugin::getPatternBankFileExtension() const
{
    return ("." + getFilePrefix() + "ptrb").toLowerCase();
}

bool IntSeqPlugin::loadPatternBankFile (const juce::File& file)
{
    // A file that parses but holds none of our patterns (a preset, the settings, another product's bank)
    // changed nothing, and the user has to be told so.
    const auto xml = XmlHelpers::parse (file);
    return xml != nullptr && readPatternBankXml (*xml) > 0;
}

bool IntSeqPlugin::savePatternBankFile (const juce::File& file)
{
    const auto xml = createPatternBankXml();
    return xml != nullptr && XmlHelpers::writeToFile (*xml, file);
}

bool IntSeqPlugin::loadPatternBankByPath (const juce::String& name)
{
    const auto xml = XmlHelpers::parse (getResourceAsString (name));
    return xml != nullptr && readPatternBankXml (*xml) >= 0;
}

int IntSeqPlugin::readPatternBankXml (const juce::XmlElement& xml)
{
    if (!XmlHelpers::tagIs (xml, "PatternBank"))
        return 0;

    juce::Array<const juce::XmlElement*> elements;
    const int numPatterns = getNumPatterns();

    // Foreign children take no place, so another product's pattern never shifts ours.
    for (const auto* child : xml.getChildIterator())
    {
        if (elements.size() >= numPatterns)
            break;

        if (isPatternXml (*child))
            elements.add (child);
    }

    return loadPatternsFromXml (elements) ? elements.size() : -1;
}

std::unique_ptr<juce::XmlElement> IntSeqPlugin::createPatternBankXml() const
{
    auto bank = std::make_unique<juce::XmlElement> ("PatternBank");

    for (int i = 0; i < getNumPatterns(); ++i)
        if (auto pattern = createPatternXml (i))
            bank->addChildElement (pattern.release());

    return bank;
}

juce::String IntSeqPlugin::getPatternFileWildcard() const
{
    return makeFileWildcard (getPatternFileExtension());
}

juce::String IntSeqPlugin::getPatternFileWildcards() const
{
    juce::StringArray extra;
    for (int i = 0; i < getNumExtraPatternFileExtensions(); ++i)
        extra.add (getExtraPatternFileExtension (i));
    return joinWildcards (getPatternFileExtension(), extra);
}

juce::String IntSeqPlugin::getPatternBankFileWildcard() const
{
    return makeFileWildcard (getPatternBankFileExtension());
}

juce::String IntSeqPlugin::getPatternBankFileWildcards() const
{
    juce::StringArray extra;
    for (int i = 0; i < getNumExtraPatternBankFileExtensions(); ++i)
        extra.add (getExtraPatternBankFileExtension (i));
    return joinWildcards (getPatternBankFileExtension(), extra);
}
