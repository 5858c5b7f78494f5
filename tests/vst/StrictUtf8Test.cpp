#include "vst/StrictUtf8.h"

#include <gtest/gtest.h>

#include <string>

TEST (StrictUtf8, RefusesEveryIllFormedSequenceAndMakesStringsOnlyOfTheRest)
{
    const struct
    {
        std::string bytes;
        size_t firstError; // bytes.size() when well-formed
    } cases[] = {
        // Well-formed, at the edges of each length class: U+0080, U+07FF, U+0800, U+D7FF, U+E000, U+10000,
        // U+10FFFF; a 0 byte is a character too.
        {"Bass \xc2\x80\xdf\xbf", 9},
        {"\xe0\xa0\x80\xed\x9f\xbf\xee\x80\x80", 9},
        {"\xf0\x90\x80\x80\xf4\x8f\xbf\xbf", 8},
        {std::string ("a\0b", 3), 3},
        // Overlong forms.
        {"ab\xc0\x80", 2},
        {"\xc1\xbf", 0},
        {"\xe0\x80\x80", 0},
        {"x\xe0\x9f\xbf", 1},
        {"\xf0\x8f\xbf\xbf", 0},
        // Surrogates, alone and as a CESU pair.
        {"\xed\xa0\x80", 0},
        {"ok\xed\xbf\xbf", 2},
        {"\xed\xa0\xbd\xed\xb2\xa9", 0},
        // Above U+10FFFF, five- and six-byte forms, FE and FF.
        {"\xf4\x90\x80\x80", 0},
        {"\xf5\x80\x80\x80", 0},
        {"\xf8\x88\x80\x80\x80", 0},
        {"\xfc\x84\x80\x80\x80\x80", 0},
        {"a\xfe", 1},
        {"\xff", 0},
        // Truncated sequences, stray and missing continuation bytes.
        {"abc\xc3", 3},
        {"\xe2\x82", 0},
        {"\xf0\x9f\x8e", 0},
        {"\xe2\x82z", 0},
        {"a\x80", 1},
        {"\xf0\x9f\x28\xb9", 0},
    };

    for (const auto& c : cases)
    {
        const auto* data = c.bytes.data();
        const bool wellFormed = c.firstError == c.bytes.size();
        EXPECT_EQ (StrictUtf8::findFirstError (data, c.bytes.size()), c.firstError) << c.bytes;
        EXPECT_EQ (StrictUtf8::isWellFormed (data, c.bytes.size()), wellFormed) << c.bytes;

        juce::String text ("stale");
        const bool convertible = wellFormed && c.bytes.find ('\0') == std::string::npos;
        EXPECT_EQ (StrictUtf8::toString (data, c.bytes.size(), text), convertible) << c.bytes;
        EXPECT_EQ (std::string (text.toRawUTF8()), convertible ? c.bytes : std::string()) << c.bytes;
    }

    // The check never reads past the size it is given, even inside a sequence.
    EXPECT_FALSE (StrictUtf8::isWellFormed ("\xe2\x82\xac", 2));

    juce::String text;
    EXPECT_TRUE (StrictUtf8::toString ("\xef\xbb\xbf<a/>", 7, text));
    EXPECT_EQ (text, "<a/>") << "a leading byte-order mark is dropped";
}
