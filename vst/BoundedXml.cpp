#include "vst/BoundedXml.h"

#include "vst/StrictUtf8.h"

#include <atomic>
#include <cstring>

namespace BoundedXml
{
namespace
{
bool isSpace (char c) noexcept
{
    return c == ' ' || (c >= 9 && c <= 13);
}

// JUCE's name characters below 128. Names are ASCII only here: where JUCE might take a non-ASCII
// letter into a name, the check refuses rather than guess, so that every document it passes is split
// into elements exactly as JUCE splits it, and the depth counted here is the depth JUCE recurses to.
bool isNameChar (char c) noexcept
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == ':' || c == '.';
}

int digitValue (char c, bool hex) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';

    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;

    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;

    return -1;
}

/** The distinct names of one document, told apart by a 64-bit hash of their bytes in a table twice as
    large as maxNames, so never more than half full. The hash is seeded once per process: names that a
    document picks to fall into one run of slots (which would make every look-up walk it) cannot be
    worked out beforehand, and two names mistaken for one are as unlikely as with a random hash. */
class NameSet
{
public:
    NameSet()
        : slots (numSlots, true)
    {
    }

    /** False when there was no memory for the table. */
    bool isValid() const noexcept { return slots != nullptr; }

    /** Adds the name from start to end unless it is there; false once there are more than maxNames. */
    bool add (const char* start, const char* end) noexcept
    {
        const auto hash = hashOf (start, end);

        for (auto i = (size_t) (hash >> (64 - slotBits));; i = (i + 1) & (numSlots - 1))
        {
            if (slots[i] == hash)
                return true;

            if (slots[i] == 0)
            {
                slots[i] = hash;
                bytes += (size_t) (end - start);
                return ++count <= maxNames;
            }
        }
    }

    int size() const noexcept { return count; }
    size_t getNumBytes() const noexcept { return bytes; }

private:
    static constexpr int slotBits = 13;
    static constexpr size_t numSlots = (size_t) 1 << slotBits;
    static_assert (numSlots >= 2 * (size_t) maxNames); // never more than about half full

    juce::HeapBlock<juce::uint64> slots; // 0 marks an empty slot
    int count = 0;
    size_t bytes = 0;

    static juce::uint64 hashOf (const char* start, const char* end) noexcept
    {
        static const auto seed = (juce::uint64) juce::Time::getHighResolutionTicks() * 0x9e3779b97f4a7c15ull;

        auto h = seed ^ 0xcbf29ce484222325ull; // FNV-1a over the bytes
        for (auto* c = start; c != end; ++c)
            h = (h ^ (juce::uint8) *c) * 0x100000001b3ull;

        // Murmur3's finaliser, so that every byte reaches the top bits that choose the slot.
        h = (h ^ (h >> 33)) * 0xff51afd7ed558ccdull;
        h = (h ^ (h >> 33)) * 0xc4ceb9fe1a85ec53ull;
        h ^= h >> 33;
        return h != 0 ? h : 1;
    }
};

/** Walks a document the way JUCE's parser does, without recursion and without building anything,
    counting the open elements, the distinct names and the nodes JUCE would allocate. Anything JUCE would
    read in a way of its own (markup it forgives, a document type declaration) is refused. */
class Scanner
{
public:
    Scanner (const char* text, size_t size) noexcept
        : p (text)
        , end (text + size)
    {
    }

    Verdict run (AfterDocument after) noexcept
    {
        if (!names.isValid())
            return Verdict::tooLarge; // no memory to tell its names apart

        const auto verdict = walk (after);

        if (verdict == Verdict::readable)
            prunePoolBeforeParsing();

        return verdict;
    }

private:
    const char* p;
    const char* const end;
    NameSet names; // of elements and attributes, which JUCE pools
    int nodes = 0; // as BoundedXml::maxNodes counts them

    /** False once the document holds more nodes than maxNodes. */
    bool addNodes (int count) noexcept
    {
        nodes += count;
        return nodes <= maxNodes;
    }

    /** Why the walk stopped short: a bound passed, or else broken markup. */
    Verdict refusal() const noexcept
    {
        if (names.size() > maxNames)
            return Verdict::tooManyNames;

        return nodes > maxNodes ? Verdict::tooManyNodes : Verdict::malformed;
    }

    Verdict walk (AfterDocument after) noexcept
    {
        if (!skipMisc() || !atStartTag())
            return Verdict::malformed;

        int depth = 0;

        for (;;)
        {
            ++p; // the '<' of a start tag
            bool hasContent = false;

            if (!skipStartTag (hasContent))
                return refusal();

            if (hasContent)
            {
                if (++depth > maxDepth)
                    return Verdict::tooDeep;
            }
            else if (depth == 0)
                break; // an empty document element

            if (!skipContent (depth))
                return refusal();

            if (depth == 0)
                break;
        }

        if (after == AfterDocument::ignored)
            return Verdict::readable;

        return skipMisc() && p == end ? Verdict::readable : Verdict::malformed;
    }

    /** Prunes JUCE's name pool once the documents passed since the last pruning bring a megabyte of
        names, before it holds those of this one. */
    void prunePoolBeforeParsing() const
    {
        // A pooled name costs its bytes and some 32 more: its string's header and its slot in the pool.
        constexpr size_t bytesBetweenPrunings = 1024 * 1024;
        static std::atomic<size_t> bytesSincePruning{0};

        const auto bytes = names.getNumBytes() + 32 * (size_t) names.size();

        if (bytesSincePruning.fetch_add (bytes, std::memory_order_relaxed) + bytes > bytesBetweenPrunings)
        {
            bytesSincePruning.store (bytes, std::memory_order_relaxed);
            juce::StringPool::getGlobalPool().garbageCollect();
        }
    }

    bool atEnd() const noexcept { return p >= end; }

    bool startsWith (const char* prefix) const noexcept
    {
        const auto length = std::strlen (prefix);
        return (size_t) (end - p) >= length && std::memcmp (p, prefix, length) == 0;
    }

    bool atStartTag() const noexcept { return end - p >= 2 && p[0] == '<' && isNameChar (p[1]); }

    /** Moves past the next occurrence of the terminator; false when there is none. */
    bool skipPast (const char* terminator) noexcept
    {
        const auto length = std::strlen (terminator);

        for (auto* q = p; (size_t) (end - q) >= length; ++q)
        {
            if (std::memcmp (q, terminator, length) == 0)
            {
                p = q + length;
                return true;
            }
        }

        return false;
    }

    void skipSpaces() noexcept
    {
        while (!atEnd() && isSpace (*p))
            ++p;
    }

    bool skipName() noexcept
    {
        const auto* start = p;

        while (!atEnd() && isNameChar (*p))
            ++p;

        return p != start;
    }

    /** A name JUCE pools; false when there is none or it is one too many. */
    bool skipPooledName() noexcept
    {
        const auto* start = p;
        return skipName() && names.add (start, p);
    }

    /** Blanks, comments and processing instructions (the declaration among them). */
    bool skipMisc() noexcept
    {
        for (;;)
        {
            skipSpaces();

            if (startsWith ("<!--"))
            {
                p += 4;
                if (!skipPast ("-->"))
                    return false;
            }
            else if (startsWith ("<?"))
            {
                p += 2;
                if (!skipPast ("?>"))
                    return false;
            }
            else
                return true;
        }
    }

    /** A reference such as &amp; &#233; &#xE9;, from its '&'. A numeric one must name a character that
        a string can hold. JUCE keeps a named one other than the predefined five as it stands, which is
        harmless without a document type declaration. */
    bool skipReference() noexcept
    {
        ++p;

        if (atEnd())
            return false;

        if (*p != '#')
            return skipName() && !atEnd() && *p++ == ';';

        ++p;
        const bool hex = !atEnd() && (*p == 'x' || *p == 'X');
        if (hex)
            ++p;

        const int maxDigits = hex ? 6 : 7; // enough for U+10FFFF
        juce::uint32 code = 0;
        int numDigits = 0;

        for (; !atEnd() && *p != ';'; ++p)
        {
            const int digit = digitValue (*p, hex);

            if (digit < 0 || ++numDigits > maxDigits)
                return false;

            code = code * (hex ? 16u : 10u) + (juce::uint32) digit;
        }

        if (atEnd() || numDigits == 0)
            return false;

        ++p;
        return code > 0 && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff);
    }

    bool skipQuoted() noexcept
    {
        const char quote = *p++;

        while (!atEnd())
        {
            if (*p == quote)
            {
                ++p;
                return true;
            }

            if (*p == '&')
            {
                if (!skipReference())
                    return false;
            }
            else
                ++p;
        }

        return false;
    }

    /** From the name of a start tag to its end; hasContent is false for an empty-element tag. */
    bool skipStartTag (bool& hasContent) noexcept
    {
        if (!skipPooledName() || !addNodes (1))
            return false;

        for (;;)
        {
            skipSpaces();

            if (atEnd())
                return false;

            if (*p == '>')
            {
                ++p;
                hasContent = true;
                return true;
            }

            if (*p == '/')
            {
                if (end - p < 2 || p[1] != '>')
                    return false;

                p += 2;
                hasContent = false;
                return true;
            }

            // An attribute: name = "value". JUCE quietly ends the element at a value without quotes.
            if (!skipPooledName() || !addNodes (1))
                return false;

            skipSpaces();
            if (atEnd() || *p++ != '=')
                return false;

            skipSpaces();
            if (atEnd() || (*p != '"' && *p != '\''))
                return false;

            if (!skipQuoted())
                return false;
        }
    }

    /** Text, comments, CDATA sections, processing instructions and end tags, up to the next start tag
        or the end tag that closes the document element. */
    bool skipContent (int& depth) noexcept
    {
        // JUCE makes one text of the characters between two pieces of markup other than comments, when
        // any of them is not blank; a reference counts as not blank, whatever it stands for.
        bool inText = false;

        for (;;)
        {
            if (atEnd())
                return false;

            if (*p != '<')
            {
                if (!inText && !isSpace (*p))
                {
                    if (!addNodes (2))
                        return false;
                    inText = true;
                }

                if (*p != '&')
                    ++p;
                else if (!skipReference())
                    return false;

                continue;
            }

            if (startsWith ("<!--"))
            {
                p += 4;
                if (!skipPast ("-->"))
                    return false;
                continue;
            }

            inText = false;

            if (startsWith ("<![CDATA["))
            {
                p += 9;
                if (!skipPast ("]]>") || !addNodes (2))
                    return false;
            }
            else if (startsWith ("<?"))
            {
                // JUCE reads a text after an instruction by going back to the instruction, where the text
                // stops again: it would read on for ever. Only markup may follow it, beyond blanks,
                // comments and further instructions.
                p += 2;
                if (!skipPast ("?>") || !skipMisc() || atEnd() || *p != '<')
                    return false;
            }
            else if (startsWith ("</"))
            {
                // JUCE does not compare the end tag's name; it only skips to its '>'.
                p += 2;
                if (!skipPast (">"))
                    return false;

                if (--depth == 0)
                    return true;
            }
            else
                return atStartTag();
        }
    }
};
} // namespace

Verdict check (const void* text, size_t size, AfterDocument after, size_t limit) noexcept
{
    if (size > limit)
        return Verdict::tooLarge;

    if (text == nullptr)
        return Verdict::malformed;

    if (!StrictUtf8::isWellFormed (text, size) || std::memchr (text, 0, size) != nullptr)
        return Verdict::notUtf8;

    return Scanner (static_cast<const char*> (text), size).run (after);
}

std::unique_ptr<juce::XmlElement> parse (const void* text, size_t size, AfterDocument after, size_t limit)
{
    // The bytes are checked as they are, so that a document refused (a hostile chunk of tens of
    // megabytes, say) is never copied; checked, they are well-formed UTF-8 without a 0 and become a
    // String as they are.
    auto* bytes = static_cast<const char*> (text);

    if (bytes == nullptr || size > limit)
        return {};

    if (size >= 3 && juce::CharPointer_UTF8::isByteOrderMark (bytes))
    {
        bytes += 3;
        size -= 3;
    }

    if (check (bytes, size, after, limit) != Verdict::readable)
        return {};

    return juce::parseXML (
        juce::String (juce::CharPointer_UTF8 (bytes), juce::CharPointer_UTF8 (bytes + size)));
}

std::unique_ptr<juce::XmlElement> parse (const juce::String& text, AfterDocument after, size_t limit)
{
    const auto* bytes = text.toRawUTF8();

    if (check (bytes, std::strlen (bytes), after, limit) != Verdict::readable)
        return {};

    return juce::parseXML (text);
}
} // namespace BoundedXml
