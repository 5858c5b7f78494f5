#pragma once

#include "framework/EmbeddedResourceTable.h"

#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>
#include <memory>

/** The files of resources/, compiled into the library, found by a file-like name ("parameters.xml",
    "TuningKnob.png"). The name is split at its last dot into resource name and resource type (no dot:
    the whole is the name, the type is empty); both are matched ignoring case against each embedded
    file name split the same way. Any thread: the table is constant. */

/** A copy of the resource's bytes; null when it is missing or empty. */
std::unique_ptr<juce::MemoryBlock> getResourceData (const juce::String& name);

/** The resource's bytes read as UTF-8; empty when it is missing. */
juce::String getResourceAsString (const juce::String& name);

/** The resource decoded by JUCE's image-format detection; a null image when missing or not an image. */
juce::Image getResourceAsImage (const juce::String& name);

/** The entry of a table that the name matches, or null. The table ends after count entries or at an entry
    with a null file name, whichever comes first. */
const EmbeddedResourceEntry* findResourceEntry (const EmbeddedResourceEntry* table, int count,
                                                const juce::String& name);
