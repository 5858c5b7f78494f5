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

    Nor may a document hold more than maxNames distinct element and attribute names, which JUCE keeps
    for the whole process, or more than maxNodes elements, attributes and texts, which JUCE allocates one
    by one.

    Framework and GUI code reach it through XmlHelpers::parse. Safe on any thread; a check uses no more
    stack than one call, whatever the input. */
namespace BoundedXml
{
/** Most distinct element and attribute names in one document (names differing in case are distinct;
    end tags, which JUCE skips unread, do not count). JUCE keeps every name in one sorted array for the
    whole process, and each new name moves all the names after it: a million names took half a minute.
    A document of ours uses at most some 50 names, and the plug-in's readers know a few hundred in all.

    JUCE drops the names nothing uses any more from that array only every 30 s, so documents read one
    after another (a host setting chunk after chunk) would pile their names up there, each new name
    moving them all, and hold their memory. So the check counts the names of each readable document as
    soon to be pooled; once those of the documents passed since the last pruning come to more than a
    megabyte, it has JUCE prune the array before it passes the document. */
constexpr int maxNames = 4096;

/** Most elements, attributes and texts in one document, counted as JUCE allocates them: one for each
    element and each attribute, two for each text and each CDATA section (JUCE keeps a text as an element
    holding it in an attribute); blanks, comments and end tags count nothing. JUCE takes some 60 to 100
    bytes and a quarter of a microsecond for each: a state chunk of 64 MB of "<e/>", 16 million elements,
    took 3.5 s and a gigabyte to read. A million take some 0.25 s and 100 MB.

    The largest document of ours is the state, some 29,500 nodes of parameters, presets and patterns and
    two for each of the preset bank's groups, at most 31,600 (see BasePluginOldStyle::maxGroups). Our
    files hold fewer: the factory pattern bank 15,000, the skin 2,000. Written as ours are, some 13 bytes a
    node, even a file of the 8 MB any file may take stays below the bound. */
constexpr int maxNodes = 1 << 20;

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
    tooManyNames,
    tooManyNodes,
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
