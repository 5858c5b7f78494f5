#include "vst/BoundedXml.h"
#include "HostileInput.h"
#include "vst/AudioProcessor.h"

#include <gtest/gtest.h>
#include <malloc.h>

namespace
{
using BoundedXml::Verdict;

std::unique_ptr<juce::XmlElement> fromStateFrame (const std::string& text)
{
    const auto frame = makeStateFrame (text);
    return juce::AudioProcessor::getXmlFromBinary (frame.data(), (int) frame.size());
}

/** before + "0" + after, before + "1" + after, ... count times: numbered names. */
std::string numbered (const std::string& before, int count, const std::string& after)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text.append (before).append (std::to_string (i)).append (after);
    return text;
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
    } cases[] = {{BoundedXml::maxDepth, 256 * 1024, Verdict::readable},
                 {BoundedXml::maxDepth + 1, 256 * 1024, Verdict::tooDeep},
                 {2000, 512 * 1024, Verdict::tooDeep},
                 {30000, 8 * 1024 * 1024, Verdict::tooDeep},
                 {100000, 256 * 1024, Verdict::tooDeep}};

    for (const auto& c : cases)
    {
        // Siblings, comments and CDATA sections do not nest.
        std::string text;
        for (int i = 0; i < c.levels; ++i)
            text += "<a>";
        text += "<b/><b/><!-- <c><c> --><![CDATA[<d><d>]]>";
        for (int i = 0; i < c.levels; ++i)
            text += "</a>";
        EXPECT_EQ (BoundedXml::check (text.data(), text.size()), c.expected) << c.levels;

        std::unique_ptr<juce::XmlElement> xml;
        runOnStackOf (c.stackBytes, [&] { xml = fromStateFrame (text); });
        EXPECT_EQ (xml != nullptr, c.expected == Verdict::readable) << c.levels;
    }
}

TEST (BoundedXml, ReadsOrdinaryMarkupAsJuceDoesAndRefusesWhatJuceWouldMisreadOrExpand)
{
    constexpr int names = BoundedXml::maxNames;
    const auto units = [] (int nodesEach, int more) { return (BoundedXml::maxNodes - 1) / nodesEach + more; };
    const auto repeated = [] (const char* unit, int times)
    { return juce::String::repeatedString (unit, times).toStdString(); };
    const auto* mixed = "<![CDATA[]]>t<?p?><e/>&amp;<!---->t<e/> <!-- -->\n"; // 8 nodes
    const struct
    {
        std::string text;
        Verdict expected;
    } cases[] = {
        {"<?xml version=\"1.0\"?>\n<!-- c --><?pi?><R a='<b>' b = \"x>y\"><![CDATA[</e>]]>t > u<x/></R>\n",
         Verdict::readable},
        {"<R a='&amp;&lt;&quot;&#233;&#xE9;&#x10FFFF;&nbsp;'>&#10;&AMP;K\xc3\xa4se</R>", Verdict::readable},
        // Cut short, or more than one element.
        {"", Verdict::malformed},
        {"<Bank name='x'", Verdict::malformed},
        {"<Bank><Preset/></Bank", Verdict::malformed},
        {"<Bank><Preset/>", Verdict::malformed},
        {"<R/><S/>", Verdict::malformed},
        {"<R/>junk", Verdict::malformed},
        // Markup JUCE forgives in ways of its own, unclosed comments, CDATA and instructions.
        {"<R a=1/>", Verdict::malformed},
        {"<R a/>", Verdict::malformed},
        {"< R/>", Verdict::malformed},
        {"<R\xc3\xa9/>", Verdict::malformed},
        {"<R><!-- </R>", Verdict::malformed},
        {"<R><![CDATA[</R>", Verdict::malformed},
        {"<R><?pi</R>", Verdict::malformed},
        // Text after an instruction, which JUCE reads by going back to the instruction, for ever.
        {"<R><?p?> <!-- --><?q?>&amp;</R>", Verdict::malformed},
        {"<R>a<?p?> <!-- --><?q?><e/>b</R>", Verdict::readable},
        // Entities expanded into elements, by themselves or from files.
        {"<!DOCTYPE R [<!ENTITY e \"<a><a>\">]><R>&e;</R>", Verdict::malformed},
        {"<!DOCTYPE R [<!ENTITY a \"&a;&a;\">]><R>&a;</R>", Verdict::malformed},
        {"<!DOCTYPE R SYSTEM \"/etc/passwd\"><R/>", Verdict::malformed},
        // References to no character a string can hold, or broken.
        {"<R>&#0;</R>", Verdict::malformed},
        {"<R a='&#xD800;'/>", Verdict::malformed},
        {"<R>&#x110000;</R>", Verdict::malformed},
        {"<R>&#xFFFFFFFF;</R>", Verdict::malformed},
        {"<R>&#;&#12a;</R>", Verdict::malformed},
        {"<R a='x & y'/>", Verdict::malformed},
        // Bytes and size.
        {"<R n='Bass\xc0\x80'/>", Verdict::notUtf8},
        {std::string ("<R>\0</R>", 8), Verdict::notUtf8},
        {std::string (BoundedXml::maxBytes - 4, ' ') + "<R/>", Verdict::readable},
        {std::string (BoundedXml::maxBytes - 3, ' ') + "<R/>", Verdict::tooLarge},
        // Element and attribute names count alike, and names differing in case apart; a name used again, or
        // one in an end tag (JUCE skips it unread), does not count.
        {"<R>" + numbered ("<e", names - 1, "></x>") + numbered ("<e", names - 1, "/>") + "</R>",
         Verdict::readable},
        {"<R" + numbered (" a", names / 2, "=''") + ">" + numbered ("<e", names / 2, "/>") + "</R>",
         Verdict::tooManyNames},
        {"<R>" + numbered ("<n", names / 2, "/>") + numbered ("<N", names / 2, "/>") + "</R>",
         Verdict::tooManyNames},
        // Nodes as JUCE allocates them: an element or attribute one, a text two however comments break it
        // up, a CDATA section two even when empty, blanks, comments and instructions none; the root one more.
        {"<R" + repeated (" a=''", units (1, 0)) + "/>", Verdict::readable},
        {"<R" + repeated (" a=''", units (1, 1)) + "/>", Verdict::tooManyNodes},
        {"<R>" + repeated (mixed, units (8, 0)) + "</R>", Verdict::readable},
        {"<R>" + repeated (mixed, units (8, 1)) + "</R>", Verdict::tooManyNodes},
    };

    for (const auto& c : cases)
    {
        const auto text = c.text.substr (0, 60);
        EXPECT_EQ (BoundedXml::check (c.text.data(), c.text.size()), c.expected) << text;

        const auto ours = BoundedXml::parse (c.text.data(), c.text.size());
        ASSERT_EQ (ours != nullptr, c.expected == Verdict::readable) << text;
        if (ours != nullptr)
        {
            EXPECT_TRUE (
                ours->isEquivalentTo (juce::parseXML (juce::String::fromUTF8 (c.text.data())).get(), false));
        }
    }

    // Only the host state frame leaves what follows the element alone, as its format says.
    EXPECT_NE (fromStateFrame ("<R/>junk"), nullptr);
    EXPECT_EQ (fromStateFrame ("<R n='\xc0\x80'/>"), nullptr);
}

// JUCE pools names for the whole process and prunes the pool only every 30 s: 40 documents of 1,000 new
// names of 500 bytes, read one after another, would keep 20 MB there.
TEST (BoundedXml, NamesOfDocumentsParsedOneAfterAnotherDoNotPileUp)
{
    const auto before = mallinfo2();
    for (int document = 0; document < 40; ++document)
    {
        const auto prefix = " " + std::string (490, 'n') + std::to_string (document) + "_";
        const auto text = "<R" + numbered (prefix, 1000, "=''") + "/>";
        ASSERT_NE (BoundedXml::parse (text.data(), text.size()), nullptr);
    }
    const auto after = mallinfo2();
    EXPECT_LT (after.uordblks + after.hblkhd, before.uordblks + before.hblkhd + 8 * 1024 * 1024);
}

// A value of references and plain text reads back as it was written, however a reference is spelt.
TEST (BoundedXml, AttributeValuesOfReferencesReadBackExactly)
{
    juce::String value = juce::String::charToString (0xfeff); // a byte-order mark a decoder might drop
    for (juce::juce_wchar c = 1; c < 0x800; ++c)
        value << juce::String::charToString (c) << "plain";
    juce::XmlElement element ("e");
    element.setAttribute ("v", value + juce::String::charToString (0x10ffff));
    const auto read = BoundedXml::parse (element.toString (juce::XmlElement::TextFormat().singleLine()));
    ASSERT_NE (read, nullptr);
    EXPECT_TRUE (read->isEquivalentTo (&element, false));

    const auto spelt =
        BoundedXml::parse (juce::String ("<e v='&#x41;&#X000042;&#0067;&apos;&QUOT;&amp;#65;&lt;'/>"));
    ASSERT_NE (spelt, nullptr);
    EXPECT_EQ (spelt->getStringAttribute ("v"), "ABC'\"&#65;<");
}
