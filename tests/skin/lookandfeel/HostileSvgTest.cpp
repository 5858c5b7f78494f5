#include "skin/lookandfeel/DefaultLookAndFeel.h"

#include <gtest/gtest.h>
#include <string>

// Vector icons go through the project's one XML reader, which bounds nesting and refuses ill-formed
// UTF-8 before JUCE's own parser or string conversion sees the bytes.
namespace
{
std::string svgAround (const std::string& inner)
{
    return "<svg viewBox=\"0 0 4 4\">" + inner + "<rect width=\"2\" height=\"2\"/></svg>";
}

std::string nested (int levels)
{
    std::string text;
    for (int i = 0; i < levels; ++i)
        text += "<g>";
    for (int i = 0; i < levels; ++i)
        text += "</g>";
    return text;
}

TEST (HostileSvg, IllFormedOrDeeplyNestedDocumentsGiveNoDrawable)
{
    const struct
    {
        const char* what;
        std::string document;
        bool drawable;
    } cases[] = {
        {"plain", svgAround (""), true},
        {"a two-byte letter in a comment", svgAround ("<!-- \xC3\xA9 -->"), true},
        {"an overlong NUL in a comment", svgAround ("<!-- \xC0\x80 -->"), false},
        {"an overlong NUL in an id", svgAround ("<g id=\"a\xC0\x80\"/>"), false},
        {"a surrogate", svgAround ("<!-- \xED\xA0\x80 -->"), false},
        {"above U+10FFFF", svgAround ("<!-- \xF4\x90\x80\x80 -->"), false},
        {"a truncated sequence", svgAround ("<!-- \xE2\x82 -->"), false},
        {"100,000 nested groups", svgAround (nested (100000)), false},
    };
    for (const auto& c : cases)
    {
        const bool made =
            DefaultLookAndFeel::createDrawableFromSVG (c.document.data(), c.document.size()) != nullptr;
        EXPECT_EQ (made, c.drawable) << c.what;
    }
}
} // namespace
