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

/** Parses a document from text; null when it does not parse. */
std::unique_ptr<juce::XmlElement> parse (const juce::String& text);

/** Parses a file; null when it cannot be read or does not parse. */
std::unique_ptr<juce::XmlElement> parse (const juce::File& file);

/** Writes the element with an XML declaration and encoding "UTF-8". The old file is replaced only after
    the new text has been written whole, so a failed write never damages it. */
bool writeToFile (const juce::XmlElement& element, const juce::File& file);

/** The element's text on one line, without declaration (the form stored inside host state). */
juce::String toSingleLine (const juce::XmlElement& element);
} // namespace XmlHelpers
