#include "vst/StrictUtf8.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
struct Utf8Case
{
    const char* description;
    std::string bytes;
    size_t firstError; // bytes.size() when well-formed
};

const Utf8Case utf8Cases[] = {
    // Well-formed, at the edges of each length class.
    {"ASCII", "Bass 1", 6},
    {"U+0080, first two-byte", "\xc2\x80", 2},
    {"U+07FF, last two-byte", "\xdf\xbf", 2},
    {"U+0800, first three-byte", "\xe0\xa0\x80", 3},
    {"U+D7FF, below the surrogates", "\xed\x9f\xbf", 3},
    {"U+E000, above the surrogates", "\xee\x80\x80", 3},
    {"U+FFFF", "\xef\xbf\xbf", 3},
    {"U+10000, first four-byte", "\xf0\x90\x80\x80", 4},
    {"U+10FFFF, the last code point", "\xf4\x8f\xbf\xbf", 4},
    {"mixed text", "K\xc3\xa4se \xe2\x99\xaa \xf0\x9f\x8e\xb9", 14},
    {"a 0 byte is a character", std::string ("a\0b", 3), 3},

    // Overlong forms.
    {"C0 80, an overlong U+0000", "ab\xc0\x80", 2},
    {"C1 BF, an overlong U+007F", "\xc1\xbf", 0},
    {"E0 80 80, an overlong three-byte", "\xe0\x80\x80", 0},
    {"E0 9F BF, the last overlong three-byte", "x\xe0\x9f\xbf", 1},
    {"F0 80 80 80, an overlong four-byte", "\xf0\x80\x80\x80", 0},
    {"F0 8F BF BF, the last overlong four-byte", "\xf0\x8f\xbf\xbf", 0},

    // Surrogates.
    {"ED A0 80, U+D800", "\xed\xa0\x80", 0},
    {"ED BF BF, U+DFFF", "ok\xed\xbf\xbf", 2},
    {"a surrogate pair in CESU form", "\xed\xa0\xbd\xed\xb2\xa9", 0},

    // Above U+10FFFF.
    {"F4 90 80 80, U+110000", "\xf4\x90\x80\x80", 0},
    {"F5 lead byte", "\xf5\x80\x80\x80", 0},
    {"F7 BF BF BF", "\xf7\xbf\xbf\xbf", 0},
    {"five-byte form", "\xf8\x88\x80\x80\x80", 0},
    {"six-byte form", "\xfc\x84\x80\x80\x80\x80", 0},
    {"FE", "a\xfe", 1},
    {"FF", "\xff", 0},

    // Truncated sequences and stray or missing continuation bytes.
    {"two-byte cut at the end", "abc\xc3", 3},
    {"three-byte cut at the end", "\xe2\x82", 0},
    {"four-byte cut at the end", "\xf0\x9f\x8e", 0},
    {"cut sequence followed by ASCII", "\xe2\x82z", 0},
    {"stray continuation byte", "a\x80", 1},
    {"second continuation not one", "\xf0\x9f\x28\xb9", 0},
};
} // namespace

TEST (StrictUtf8, FindsTheFirstIllFormedSequenceOfEveryKind)
{
    for (const auto& c : utf8Cases)
    {
        EXPECT_EQ (StrictUtf8::findFirstError (c.bytes.data(), c.bytes.size()), c.firstError)
            << c.description;
        EXPECT_EQ (StrictUtf8::isWellFormed (c.bytes.data(), c.bytes.size()), c.firstError == c.bytes.size())
            << c.description;
    }

    // The check never reads past the size it is given, even inside a sequence.
    const char threeByte[] = "\xe2\x82\xac";
    EXPECT_TRUE (StrictUtf8::isWellFormed (threeByte, 3));
    EXPECT_FALSE (StrictUtf8::isWellFormed (threeByte, 2));
    EXPECT_TRUE (StrictUtf8::isWellFormed (nullptr, 0));
}

TEST (StrictUtf8, MakesStringsOnlyOfWellFormedTextWithoutZeroBytes)
{
    for (const auto& c : utf8Cases)
    {
        juce::String text ("left over");
        const bool expected = c.firstError == c.bytes.size() && c.bytes.find ('\0') == std::string::npos;
        EXPECT_EQ (StrictUtf8::toString (c.bytes.data(), c.bytes.size(), text), expected) << c.description;

        if (expected)
            EXPECT_EQ (std::string (text.toRawUTF8()), c.bytes) << c.description;
        else
            EXPECT_TRUE (text.isEmpty()) << c.description;
    }

    juce::String text;
    const std::string withMark = "\xef\xbb\xbf<a/>";
    ASSERT_TRUE (StrictUtf8::toString (withMark.data(), withMark.size(), text));
    EXPECT_EQ (text, "<a/>") << "a leading byte-order mark is dropped";

    EXPECT_TRUE (StrictUtf8::toString (nullptr, 0, text));
    EXPECT_TRUE (text.isEmpty());
    EXPECT_FALSE (StrictUtf8::toString (nullptr, 4, text));
}
