#pragma once

#include <juce_core/juce_core.h>

/** Strict reading of UTF-8 bytes that come from outside the plug-in: host chunks, files.

    JUCE's own check lets overlong forms (C0 80), surrogates and some sequences above U+10FFFF through,
    and this build's String constructors turn each ill-formed sequence into U+FFFD: a damaged chunk or
    file would load as text it does not hold, without a word. Outside bytes therefore become a
    juce::String only through toString, which accepts nothing but the shortest-form sequences of the
    Unicode standard and refuses the rest, so that the load can say it failed. Safe on any thread;
    allocates only the resulting string. */
namespace StrictUtf8
{
/** Offset of the first byte of the first ill-formed sequence (an overlong form, a surrogate, a code
    point above U+10FFFF, a stray continuation byte, a sequence cut off by the end), or size when all
    size bytes are well-formed. A 0 byte is well-formed here. */
size_t findFirstError (const void* data, size_t size) noexcept;

/** True when all size bytes are well-formed UTF-8. */
bool isWellFormed (const void* data, size_t size) noexcept;

/** The text of size bytes of UTF-8, a leading byte-order mark dropped. Ill-formed bytes or a 0 byte
    (which a juce::String cannot carry) give false and an empty result. */
bool toString (const void* data, size_t size, juce::String& result);
} // namespace StrictUtf8
