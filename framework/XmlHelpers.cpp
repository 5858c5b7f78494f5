#include "framework/XmlHelpers.h"

#include "framework/BoundedFileReader.h"
#include "vst/BoundedXml.h"

namespace XmlHelpers
{
bool tagIs (const juce::XmlElement& element, juce::StringRef tag)
{
    return element.getTagName().equalsIgnoreCase (tag);
}

const juce::XmlElement* findChild (const juce::XmlElement& parent, juce::StringRef tag)
{
    for (auto* child : parent.getChildIterator())
        if (tagIs (*child, tag))
            return child;

    return nullptr;
}

bool attributeIs (const juce::XmlElement& element, juce::StringRef attribute, juce::StringRef value)
{
    return element.hasAttribute (attribute) &&
           element.getStringAttribute (attribute).equalsIgnoreCase (value);
}

bool stateIsOn (const juce::XmlElement& element)
{
    return element.getStringAttribute ("state").equalsIgnoreCase ("on");
}

double getFiniteDouble (const juce::XmlElement& element, juce::StringRef attribute, double fallback)
{
    if (!element.hasAttribute (attribute))
        return fallback;

    const auto text = element.getStringAttribute (attribute).trim();
    if (text.isEmpty() || !text.containsAnyOf ("0123456789"))
        return fallback;

    const double value = text.getDoubleValue();
    return std::isfinite (value) ? value : fallback;
}

juce::File getAbsoluteFile (const juce::XmlElement& element, juce::StringRef attribute)
{
    const auto path = element.getStringAttribute (attribute);
    return juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File();
}

std::unique_ptr<juce::XmlElement> parse (const juce::String& text)
{
    return BoundedXml::parse (text);
}

std::unique_ptr<juce::XmlElement> parse (const void* data, size_t size)
{
    return BoundedXml::parse (data, size);
}

std::unique_ptr<juce::XmlElement> parse (const juce::File& file)
{
    juce::MemoryBlock bytes;

    if (!BoundedFileReader::readBytes (file, bytes, BoundedXml::maxBytes))
        return nullptr;

    return BoundedXml::parse (bytes.getData(), bytes.getSize());
}

bool writeToFile (const juce::XmlElement& element, const juce::File& file)
{
    // Replacing goes through delete-then-move, which would take an empty folder of that name with it.
    if (file.isDirectory())
        return false;

    juce::TemporaryFile temporary (file);
    {
        juce::FileOutputStream out (temporary.getFile());
        if (!out.openedOk())
            return false;

        // The default format writes the declaration with encoding "UTF-8".
        element.writeTo (out, juce::XmlElement::TextFormat());
        out.flush();
        if (out.getStatus().failed())
            return false;
    }
    return temporary.overwriteTargetFileWithTemporary();
}

juce::String toSingleLine (const juce::XmlElement& element)
{
    return element.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
}
} // namespace XmlHelpers
