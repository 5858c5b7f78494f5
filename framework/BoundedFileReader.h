#pragma once

#include <juce_core/juce_core.h>

/** The one way the plug-in reads a file it did not just write itself: settings, presets, banks,
    patterns, maps, the text pattern bank and skins.

    Only a regular file (a symbolic link to one is followed) of at most maxBytes is read; a FIFO, a
    device, a socket or a folder is unreadable, so a settings file that is a FIFO or a link to /dev/zero
    cannot stall or flood the host at start-up. Opening never waits for a writer. Safe on any thread but
    the audio thread (it touches the file system). */
namespace BoundedFileReader
{
/** Largest file read by default, in bytes. */
constexpr size_t maxBytes = 8 * 1024 * 1024;

/** Replaces result with the file's bytes; false, with result empty, when the file is missing, not a
    regular file, larger than the limit (also when it grew beyond it while read) or fails to read. */
bool readBytes (const juce::File& file, juce::MemoryBlock& result, size_t limit = maxBytes);

/** Reads the file as UTF-8 text, a leading byte-order mark dropped; false, with result empty, when it
    cannot be read as above or its bytes are not well-formed UTF-8. */
bool readText (const juce::File& file, juce::String& result, size_t limit = maxBytes);
} // namespace BoundedFileReader
