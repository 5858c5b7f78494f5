#include "vst/BoundedXml.h"

#include "vst/StrictUtf8.h"

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

/** Walks a document the way JUCE's parser does, without recursion and without building anything,
    counting the open elements. Anything JUCE would read in a way of its own (markup it forgives,
    a document type declaration) is refused. */
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
        if (!skipMisc() || !atStartTag())
            return Verdict::malformed;

        int depth = 0;

        for (;;)
        {
            ++p; // the '<' of a start tag
            bool hasContent = false;

            if (!skipStartTag (hasContent))
                return Verdict::malformed;

            if (hasContent)
            {
                if (++depth > maxDepth)
                    return Verdict::tooDeep;
            }
            else if (depth == 0)
                break; // an empty document element

            if (!skipContent (depth))
                return Verdict::malformed;

            if (depth == 0)
                break;
        }

        if (after == AfterDocument::ignored)
            return Verdict::readable;

        return skipMisc() && p == end ? Verdict::readable : Verdict::malformed;
    }

private:
    const char* p;
    const char* const end;

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
        if (!skipName())
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
            if (!skipName())
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
        for (;;)
        {
            if (atEnd())
                return false;

            if (*p == '&')
            {
                if (!skipReference())
                    return false;
                continue;
            }

            if (*p != '<')
            {
                ++p;
                continue;
            }

            if (startsWith ("<!--"))
            {
                p += 4;
                if (!skipPast ("-->"))
                    return false;
            }
            else if (startsWith ("<![CDATA["))
            {
                p += 9;
                if (!skipPast ("]]>"))
                    return false;
            }
            else if (startsWith ("<?"))
            {
                p += 2;
                if (!skipPast ("?>"))
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
    juce::String decoded;

    if (text == nullptr || size > limit || !StrictUtf8::toString (text, size, decoded))
        return {};

    return parse (decoded, after, limit);
}

std::unique_ptr<juce::XmlElement> parse (const juce::String& text, AfterDocument after, size_t limit)
{
    const auto* bytes = text.toRawUTF8();

    if (check (bytes, std::strlen (bytes), after, limit) != Verdict::readable)
        return {};

    return juce::parseXML (text);
}
} // namespace BoundedXml
