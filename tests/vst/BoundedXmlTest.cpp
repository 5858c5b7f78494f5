#include "vst/BoundedXml.h"
#include "HostileInput.h"
#include "vst/AudioProcessor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
using BoundedXml::Verdict;

std::string nested (int levels, const std::string& inner = {})
{
    std::string open, close;
    for (int i = 0; i < levels; ++i)
        open += "<a>", close += "</a>";
    return open + inner + close;
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

std::unique_ptr<juce::XmlElement> fromStateFrame (const std::string& text)
{
    const auto frame = makeStateFrame (text);
    return juce::AudioProcessor::getXmlFromBinary (frame.data(), (int) frame.size());
}
} // namespace

TEST (BoundedXml, NestingUpToTheLimitParsesAndDeeperIsRefusedUnreadEvenOnSmallStacks)
{
    // 2,000 levels overflowed a 512 KB host thread, 30,000 levels (a 210 KB chunk) an 8 MB one.
    const struct
    {
        int levels;
        size_t stackBytes;
        Verdict expected;
    } cases[] = {{BoundedXml::maxDepth - 1, 256 * 1024, Verdict::readable},
                 {BoundedXml::maxDepth, 256 * 1024, Verdict::readable},
                 {BoundedXml::maxDepth + 1, 256 * 1024, Verdict::tooDeep},
                 {2000, 512 * 1024, Verdict::tooDeep},
                 {30000, 8 * 1024 * 1024, Verdict::tooDeep},
                 {100000, 256 * 1024, Verdict::tooDeep}};

    for (const auto& c : cases)
    {
        // Markup inside comments and CDATA does not nest.
        const auto text = nested (c.levels, "<leaf x='1'/><!-- <b><b> --><![CDATA[<c><c>]]>");
        EXPECT_EQ (check (text), c.expected) << c.levels;

        std::unique_ptr<juce::XmlElement> xml;
        runOnStackOf (c.stackBytes, [&] { xml = fromStateFrame (text); });
        ASSERT_EQ (xml != nullptr, c.expected == Verdict::readable) << c.levels;
        if (xml != nullptr)
        {
            EXPECT_EQ (depthOf (*xml), c.levels + 1) << "the leaf below the deepest element";
        }
    }

    std::string wide = "<r>";
    for (int i = 0; i < 5000; ++i)
        wide += "<p a='1'/><q>text</q>";
    EXPECT_EQ (check (wide + "</r>"), Verdict::readable) << "thousands of siblings are not depth";
}

TEST (BoundedXml, ReadsOrdinaryMarkupExactlyAsJuceDoes)
{
    for (const auto* text :
         {"\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- saved --><?app x?>\n<R a='1'/>\n<!-- "
          "end -->\n",
          "<R a='<b>' b=\"x>y\" c = 'q\"' ><!-- <c> --><![CDATA[<d></e>]]>t > u<?pi <f>?></R>",
          "<R a='&amp;&lt;&gt;&quot;&apos;&#233;&#xE9;&#x10FFFF;&#9;&nbsp;'>&#10;&AMP;<x/>K\xc3\xa4se</R>"})
    {
        const auto ours = BoundedXml::parse (text, std::strlen (text));
        const auto juces =
            juce::parseXML (juce::String (juce::CharPointer_UTF8 (text + 3 * (text[0] != '<'))));
        ASSERT_NE (ours, nullptr) << text;
        ASSERT_NE (juces, nullptr) << text;
        EXPECT_TRUE (ours->isEquivalentTo (juces.get(), false)) << text;
    }
}

TEST (BoundedXml, RefusesWhatJuceWouldMisreadOrExpand)
{
    const struct
    {
        std::string text;
        Verdict expected;
    } cases[] = {
        // Cut short, or more than one element.
        {"", Verdict::malformed},
        {" \n", Verdict::malformed},
        {"text", Verdict::malformed},
        {"<Bank name='x'", Verdict::malformed},
        {"<Bank><Preset/></Bank", Verdict::malformed},
        {"<Bank><Preset/>", Verdict::malformed},
        {"<R/><S/>", Verdict::malformed},
        {"<R/>junk", Verdict::malformed},
        // Markup JUCE forgives in a way of its own.
        {"<R a=1/>", Verdict::malformed},
        {"<R a/>", Verdict::malformed},
        {"< R/>", Verdict::malformed},
        {"<R\xc3\xa9/>", Verdict::malformed},
        {"<R><!-- open</R>", Verdict::malformed},
        {"<R><![CDATA[open</R>", Verdict::malformed},
        {"<R><?pi</R>", Verdict::malformed},
        // Entities: expanded into elements, by themselves, from files.
        {"<!DOCTYPE R [<!ENTITY e \"<a><a>\">]><R>&e;</R>", Verdict::malformed},
        {"<!DOCTYPE R [<!ENTITY a \"&a;&a;\">]><R>&a;</R>", Verdict::malformed},
        {"<!DOCTYPE R SYSTEM \"/etc/passwd\"><R>&x;</R>", Verdict::malformed},
        // References to no character a string can hold, or broken.
        {"<R>&#0;</R>", Verdict::malformed},
        {"<R a='&#xD800;'/>", Verdict::malformed},
        {"<R>&#x110000;</R>", Verdict::malformed},
        {"<R>&#xFFFFFFFF;</R>", Verdict::malformed},
        {"<R>&#1114112;</R>", Verdict::malformed},
        {"<R>&#;</R>", Verdict::malformed},
        {"<R>&#12a;</R>", Verdict::malformed},
        {"<R>&amp</R>", Verdict::malformed},
        {"<R a='x & y'/>", Verdict::malformed},
        // Bytes.
        {"<R name='Bass\xc0\x80'/>", Verdict::notUtf8},
        {"<R>\xed\xa0\x80</R>", Verdict::notUtf8},
        {std::string ("<R>\0</R>", 8), Verdict::notUtf8},
        {std::string (BoundedXml::maxBytes - 4, ' ') + "<R/>", Verdict::readable},
        {std::string (BoundedXml::maxBytes - 3, ' ') + "<R/>", Verdict::tooLarge},
    };

    for (const auto& c : cases)
    {
        EXPECT_EQ (check (c.text), c.expected) << c.text.substr (0, 60);
        EXPECT_EQ (BoundedXml::parse (c.text.data(), c.text.size()) != nullptr,
                   c.expected == Verdict::readable)
            << c.text.substr (0, 60);
    }

    // Only the host state frame leaves what follows the element alone, as its format says.
    EXPECT_EQ (check ("<R/>junk", BoundedXml::AfterDocument::ignored), Verdict::readable);
    EXPECT_NE (fromStateFrame ("<R/>junk"), nullptr);
    EXPECT_EQ (fromStateFrame ("<R n='\xc0\x80'/>"), nullptr);
}
