#pragma once

#include <juce_core/juce_core.h>

/** The case rules of every file and state document in one place.

    Element names and product names in stored documents are compared ignoring case; these helpers never
    assert on a difference, unlike juce::XmlElement::hasTagName, because files come from users and hosts. */
namespace XmlHelpers
{
/** True when the element's tag equals the given tag, ignoring case. */
bool tagIs (const juce::XmlElement& element, juce::StringRef tag);

/** The first direct child whose tag equals the given tag ignoring case, or null. */
const juce::XmlElement* findChild (const juce::XmlElement& parent, juce::StringRef tag);

/** True when the attribute is present and its value equals the given text, ignoring case. */
bool attributeIs (const juce::XmlElement& element, juce::StringRef attribute, juce::StringRef value);

/** True when "state" is "on", ignoring case. */
bool stateIsOn (const juce::XmlElement& element);

/** Reads a double attribute; the fallback when it is absent, not a number or not finite. */
double getFiniteDouble (const juce::XmlElement& element, juce::StringRef attribute, double fallback);

/** The file a path attribute names; a relative, empty or absent path names no file (juce::File()). */
juce::File getAbsoluteFile (const juce::XmlElement& element, juce::StringRef attribute);

/** The reader of every XML document from outside (host state, files, skins, resources): a document
    is parsed only when it is well-formed UTF-8, at most BoundedXml::maxBytes long, nested at most
    BoundedXml::maxDepth elements deep and free of a document type declaration; anything else, like a
    document that does not parse or is cut short, gives null. Never call juce::parseXML or
    juce::XmlDocument on outside text directly. */
std::unique_ptr<juce::XmlElement> parse (const juce::String& text);

/** The same for size bytes of UTF-8 (a skin's XML from an archive, for example). */
std::unique_ptr<juce::XmlElement> parse (const void* data, size_t size);

/** The same for a file, read through BoundedFileReader: a FIFO, a device or a folder where the file
    should be is as unreadable as a missing file. */
std::unique_ptr<juce::XmlElement> parse (const juce::File& file);

/** Writes the element with an XML declaration and encoding "UTF-8". The old file is replaced only after
    the new text has been written whole, so a failed write never damages it, and the new file keeps the old
    one's permissions. A symbolic link (or a chain of them, up to the system's limit) is written through:
    its final target gets the text and the link stays a link. False, with nothing changed, when a folder, a
    FIFO or a device stands at the place, the file is one the user may not write, the links loop, a link
    is one the system would not follow from a shared folder (planted by another user in the temporary
    folder, say) or names a path that is not UTF-8, or the file (a dangling link's target) has no folder
    to go in. */
bool writeToFile (const juce::XmlElement& element, const juce::File& file);

/** The same for bytes already in their stored form (a settings file moved from an older place). */
bool writeToFile (const juce::MemoryBlock& bytes, const juce::File& file);

/** The bytes the text takes as an attribute value of a written document. Everything but ASCII letters,
    digits, the blank and some punctuation is written as a reference: a quote as &quot; (6 bytes), a
    letter outside ASCII as &#NNN; (a two-byte letter up to &#2047;, 7 bytes). */
size_t writtenAttributeBytes (const juce::String& text) noexcept;

/** The element's text on one line, without declaration (the form stored inside host state). */
juce::String toSingleLine (const juce::XmlElement& element);
} // namespace XmlHelpers
