#pragma once

#include <juce_core/juce_core.h>

/** The plug-in's one reader of XML from outside: state chunks, user files, skins and resources.

    JUCE's parser recurses once per nesting level with no limit and trusts its text: a few thousand
    levels overflow a host thread's stack, and a document type declaration makes it expand entities
    (recursively, and from files). So before JUCE sees a document, the document is checked here:
    well-formed UTF-8, at most maxBytes long, at most maxDepth elements deep, no document type
    declaration, only well-formed markup and character references to real characters. Whatever fails
    the check is unreadable and parses to null, as a document with a syntax error always did. A caller
    that holds larger documents of its own (the host state) gives its own size limit.

    Framework and GUI code reach it through XmlHelpers::parse. Safe on any thread; a check uses no more
    stack than one call, whatever the input. */
namespace BoundedXml
{
/** Deepest nesting of elements accepted, the document element counting as 1. Real documents nest
    less than ten deep; JUCE's parser at this depth stays well inside a 256 KB thread stack. */
constexpr int maxDepth = 64;

/** Largest document accepted unless the caller says otherwise, in bytes of UTF-8: the bound of every
    file. Real files are a few hundred KB at most. */
constexpr size_t maxBytes = 8 * 1024 * 1024;

enum class Verdict
{
    readable,
    tooLarge,
    notUtf8, // ill-formed UTF-8, or a 0 byte
    tooDeep,
    malformed // broken or unsupported markup, a document type declaration, a bad character reference
};

/** What may follow the document element. JUCE reads nothing after it; a file must end there (blanks,
    comments and processing instructions aside), so that a file cut short or written twice over is not
    taken for its first part. The host state frame ignores what follows, as its format says. */
enum class AfterDocument
{
    mustBeBlank,
    ignored
};

/** Checks size bytes of text before any parsing; more than limit bytes are tooLarge. */
Verdict check (const void* text, size_t size, AfterDocument after = AfterDocument::mustBeBlank,
               size_t limit = maxBytes) noexcept;

/** Parses size bytes of UTF-8 (a leading byte-order mark allowed); null when the check refuses them
    or JUCE finds an error. */
std::unique_ptr<juce::XmlElement> parse (const void* text, size_t size,
                                         AfterDocument after = AfterDocument::mustBeBlank,
                                         size_t limit = maxBytes);

/** Parses text already held in a string; the same check applies to its bytes. */
std::unique_ptr<juce::XmlElement>
parse (const juce::String& text, AfterDocument after = AfterDocument::mustBeBlank, size_t limit = maxBytes);
} // namespace BoundedXml
