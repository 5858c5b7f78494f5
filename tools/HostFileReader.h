#pragma once

#include <juce_core/juce_core.h>

/** How the host tool reads the files named on its command line (note lists, MIDI files, chunks): only a
    regular file (a link to one is followed) of at most the given size is read, so that a FIFO, a device
    such as /dev/zero or a folder named as an argument fails at once instead of blocking or reading
    without end. The tool shares no code with the plug-in, hence a reader of its own. */
namespace HostFileReader
{
/** Replaces result with the file's bytes; false, with result empty, when the file is missing, not a
    regular file, larger than limit (also when it grows beyond it while read) or fails to read. */
bool readBytes (const juce::File& file, juce::MemoryBlock& result, size_t limit);

/** The file read as above as UTF-8 text, a leading byte-order mark dropped; false, with result empty,
    when it cannot be read or its bytes are not shortest-form UTF-8 without 0 bytes (JUCE's own
    conversion writes past its buffer on overlong forms). */
bool readText (const juce::File& file, juce::String& result, size_t limit);

/** True when all size bytes are shortest-form UTF-8: no overlong form, surrogate, code point above
    U+10FFFF, stray continuation byte or cut-off sequence. */
bool isWellFormedUtf8 (const void* data, size_t size) noexcept;
} // namespace HostFileReader
