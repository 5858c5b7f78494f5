#include "vst/BoundedXml.h"
#include "SmallStackThread.h"
#include "vst/AudioProcessor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
using BoundedXml::Verdict;

std::string nested (int levels, const std::string& inner = {})
{
    std::string text;
    text.reserve ((size_t) levels * 7 + inner.size());
    for (int i = 0; i < levels; ++i)
        text += "<a>";
    text += inner;
    for (int i = 0; i < levels; ++i)
        text += "</a>";
    return text;
}

int depthOf (const juce::XmlElement& element)
{
    int deepest = 0;
    for (auto* child : element.getChildIterator())
        deepest = std::max (deepest, depthOf (*child));
    return deepest + (element.isTextElement() ? 0 : 1);
}

Verdict check (const std::string& text,
               BoundedXml::AfterDocument after = BoundedXml::AfterDocument::mustBeBlank)
{
    return BoundedXml::check (text.data(), text.size(), after);
}

std::vector<char> stateFrame (const std::string& text)
{
    std::vector<char> frame (8 + text.size() + 1, 0);
    const auto length = juce::ByteOrder::swapIfBigEndian ((juce::uint32) text.size());
    std::memcpy (frame.data(), "VC2!", 4);
    std::memcpy (frame.data() + 4, &length, 4);
    std::memcpy (frame.data() + 8, text.data(), text.size());
    return frame;
}
} // namespace

TEST (BoundedXml, NestingUpToTheLimitParsesAndDeeperIsRefusedUnread)
{
    const struct
    {
        int levels;
        Verdict expected;
    } cases[] = {{1, Verdict::readable},
                 {BoundedXml::maxDepth - 1, Verdict::readable},
                 {BoundedXml::maxDepth, Verdict::readable},
                 {BoundedXml::maxDepth + 1, Verdict::tooDeep},
                 {30000, Verdict::tooDeep}};

    for (const auto& c : cases)
    {
        const auto text = nested (c.levels, "<leaf x='1'/><!-- <b><b> --><![CDATA[<c><c>]]>");
        EXPECT_EQ (check (text), c.expected) << c.levels << " levels";

        const auto xml = BoundedXml::parse (juce::String (text));
        ASSERT_EQ (xml != nullptr, c.expected == Verdict::readable) << c.levels << " levels";
        if (xml != nullptr)
        {
            EXPECT_EQ (depthOf (*xml), c.levels + 1) << "the leaf one below the deepest element";
        }
    }

    // Depth is nesting, not the number of elements: thousands of siblings are fine.
    std::string wide = "<r>";
    for (int i = 0; i < 5000; ++i)
        wide += "<p a='1'/><q>text</q>";
    EXPECT_EQ (check (wide + "</r>"), Verdict::readable);
}

TEST (BoundedXml, HostileDepthsAreRefusedOnSmallHostThreadStacks)
{
    // The stacks of host threads that crashed: 2,000 levels on 512 KB, and a worse case on 256 KB.
    // A document at the limit still parses on the smaller one.
    const struct
    {
        int levels;
        size_t stackBytes;
        bool readable;
    } cases[] = {
        {2000, 512 * 1024, false}, {100000, 256 * 1024, false}, {BoundedXml::maxDepth, 256 * 1024, true}};

    for (const auto& c : cases)
    {
        const auto chunk = stateFrame (nested (c.levels));
        bool parsed = !c.readable;
        runOnStackOf (c.stackBytes,
                      [&] {
                          parsed = juce::AudioProcessor::getXmlFromBinary (chunk.data(),
                                                                           (int) chunk.size()) != nullptr;
                      });
        EXPECT_EQ (parsed, c.readable) << c.levels << " levels";
    }
}

TEST (BoundedXml, StateChunkOfThirtyThousandLevelsIsRefused)
{
    const auto text = nested (30000);
    ASSERT_EQ (text.size(), 210000u) << "the 210 KB chunk that overflowed an 8 MB stack";
    const auto chunk = stateFrame (text);
    EXPECT_EQ (juce::AudioProcessor::getXmlFromBinary (chunk.data(), (int) chunk.size()), nullptr);
}

TEST (BoundedXml, ReadsOrdinaryMarkupExactlyAsJuceDoes)
{
    const char* const documents[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- saved --><?app x?>\n<R a='1'/>\n<!-- end -->\n",
        "<R a='<b>' b=\"x>y\" c = 'q\"' ><!-- <c><c> --><![CDATA[<d><d></e>]]>t > u<?pi <f>?></R>",
        "<R a='&amp;&lt;&gt;&quot;&apos;&#233;&#xE9;&#x10FFFF;&#9;&nbsp;'>&#10;&AMP;<x/>tail</R>",
        "<Bank><Group n='1'><P v='0.5'/><P v='1'/></Group>\r\n<Group n='2'></Group></Bank>",
        "<a-b.c:d_1 x.y='2'/>",
    };

    for (const auto* text : documents)
    {
        EXPECT_EQ (check (text), Verdict::readable) << text;
        const auto ours = BoundedXml::parse (juce::String (juce::CharPointer_UTF8 (text)));
        const auto juces = juce::parseXML (juce::String (juce::CharPointer_UTF8 (text)));
        ASSERT_NE (ours, nullptr) << text;
        ASSERT_NE (juces, nullptr) << text;
        EXPECT_TRUE (ours->isEquivalentTo (juces.get(), false)) << text;
    }
}

TEST (BoundedXml, RefusesWhatJuceWouldMisreadOrExpand)
{
    const struct
    {
        const char* description;
        std::string text;
        Verdict expected;
    } cases[] = {
        {"empty", "", Verdict::malformed},
        {"blank", " \n\t", Verdict::malformed},
        {"text, no element", "hello", Verdict::malformed},
        {"cut inside a start tag", "<Bank name='x'", Verdict::malformed},
        {"cut inside a value", "<Bank name='x", Verdict::malformed},
        {"cut inside an end tag", "<Bank><Preset/></Bank", Verdict::malformed},
        {"element never closed", "<Bank><Preset/>", Verdict::malformed},
        {"a second element after the first", "<R/><S/>", Verdict::malformed},
        {"text after the element", "<R/>junk", Verdict::malformed},
        {"value without quotes", "<R a=1/>", Verdict::malformed},
        {"attribute without value", "<R a/>", Verdict::malformed},
        {"blank after '<'", "< R/>", Verdict::malformed},
        {"name not ASCII", "<R\xc3\xa9/>", Verdict::malformed},
        {"comment never closed", "<R><!-- open</R>", Verdict::malformed},
        {"CDATA never closed", "<R><![CDATA[open</R>", Verdict::malformed},
        {"instruction never closed", "<R><?pi</R>", Verdict::malformed},
        {"entity defined to hold elements", "<!DOCTYPE R [<!ENTITY e \"<a><a>\">]><R>&e;</R>",
         Verdict::malformed},
        {"entity defined by itself", "<!DOCTYPE R [<!ENTITY a \"&a;&a;\">]><R>&a;</R>", Verdict::malformed},
        {"external entity", "<!DOCTYPE R SYSTEM \"/etc/passwd\"><R>&x;</R>", Verdict::malformed},
        {"other declaration inside", "<R><!ELEMENT x></R>", Verdict::malformed},
        {"reference to U+0000", "<R>&#0;</R>", Verdict::malformed},
        {"reference to a surrogate", "<R a='&#xD800;'/>", Verdict::malformed},
        {"reference above U+10FFFF", "<R>&#x110000;</R>", Verdict::malformed},
        {"reference of eight hex digits", "<R>&#xFFFFFFFF;</R>", Verdict::malformed},
        {"decimal reference above U+10FFFF", "<R>&#1114112;</R>", Verdict::malformed},
        {"reference without digits", "<R>&#;&#x;</R>", Verdict::malformed},
        {"reference with a letter", "<R>&#12a;</R>", Verdict::malformed},
        {"reference without ';'", "<R>&amp</R>", Verdict::malformed},
        {"bare '&'", "<R a='x & y'/>", Verdict::malformed},
        {"overlong UTF-8 in a value", "<R name='Bass\xc0\x80'/>", Verdict::notUtf8},
        {"surrogate in text", "<R>\xed\xa0\x80</R>", Verdict::notUtf8},
        {"a 0 byte", std::string ("<R>\0</R>", 8), Verdict::notUtf8},
    };

    for (const auto& c : cases)
    {
        EXPECT_EQ (check (c.text), c.expected) << c.description;
        EXPECT_EQ (BoundedXml::parse (c.text.data(), c.text.size()), nullptr) << c.description;
    }

    // What follows the element is left alone only where the caller says so (the host state frame).
    EXPECT_EQ (check ("<R/>junk", BoundedXml::AfterDocument::ignored), Verdict::readable);

    std::string huge (BoundedXml::maxBytes - 4, ' ');
    EXPECT_EQ (check (huge + "<R/>"), Verdict::readable);
    EXPECT_EQ (check (huge + " <R/>"), Verdict::tooLarge);
}

TEST (BoundedXml, BytesWithAByteOrderMarkParse)
{
    const std::string text = "\xef\xbb\xbf<R n='K\xc3\xa4se'/>";
    const auto xml = BoundedXml::parse (text.data(), text.size());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getStringAttribute ("n"), juce::String (juce::CharPointer_UTF8 ("K\xc3\xa4se")));
}

TEST (StateFrame, MalformedUtf8InsideTheFrameIsRefusedBeforeAnyStringIsMade)
{
    // The same element, once with a well-formed two-byte name character and once with each malformed form.
    const struct
    {
        const char* description;
        const char* nameBytes;
        bool readable;
    } cases[] = {{"well-formed C3 80", "\xc3\x80", true},       {"overlong C0 80", "\xc0\x80", false},
                 {"overlong E0 80 80", "\xe0\x80\x80", false},  {"surrogate ED A0 80", "\xed\xa0\x80", false},
                 {"above U+10FFFF", "\xf4\x90\x80\x80", false}, {"truncated E2 82", "\xe2\x82", false},
                 {"stray continuation", "\x80", false}};

    for (const auto& c : cases)
    {
        const auto chunk = stateFrame (std::string ("<Preset name='Bass") + c.nameBytes + "'/>");
        const auto xml = juce::AudioProcessor::getXmlFromBinary (chunk.data(), (int) chunk.size());
        ASSERT_EQ (xml != nullptr, c.readable) << c.description;
        if (xml != nullptr)
        {
            EXPECT_EQ (xml->getStringAttribute ("name"),
                       juce::String (juce::CharPointer_UTF8 ("Bass\xc3\x80")));
        }
    }
}
