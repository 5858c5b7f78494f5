// Reading hostile documents within the size a document may have: 8 MB of markup made to slow JUCE's
// parser, through the one reader of outside XML. Each must take at most about a second, read or refused;
// the "read" counter says which.
#include "vst/BoundedXml.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>

namespace
{
/** The i-th of 36^4 names of five characters, visited in an order that scatters them over the
    alphabet, as names in a hostile file may come. */
std::string scatteredName (int i)
{
    constexpr int count = 36 * 36 * 36 * 36;
    constexpr int step = 1000003; // prime, so coprime with count: i -> i * step visits every name once
    auto n = (int) (((long long) i * step) % count);
    std::string name = "n0000";

    for (int digit = 4; digit > 0; --digit, n /= 36)
        name[(size_t) digit] = "0123456789abcdefghijklmnopqrstuvwxyz"[n % 36];

    return name;
}

/** head, then unit (0), unit (1), ... as long as tail still fits in the largest document accepted. */
std::string fillDocument (const std::string& head, const std::function<std::string (int)>& unit,
                          const std::string& tail)
{
    std::string text = head;
    text.reserve (BoundedXml::maxBytes);

    for (int i = 0;; ++i)
    {
        const auto next = unit (i);
        if (text.size() + next.size() + tail.size() > BoundedXml::maxBytes)
            break;
        text += next;
    }

    return text + tail;
}

enum class Hostile
{
    distinctAttributeNames,       // some 930,000 names on 2 elements
    distinctElementNames,         // some 1,000,000 empty elements
    namesAtTheLimit,              // elements of as many distinct attribute names as a document may hold
    longNamesAtTheLimit,          // the same with names of 1,000 bytes that differ only at their end
    referencesInAttribute,        // one value of 1.6 million "&amp;"
    numericReferencesInAttribute, // one value of 800,000 "&#x10FFFF;"
    referencesInText,
    oneAttributeNameRepeated, // 1.4 million attributes of one name on one element
    manyChildren,             // 2 million empty elements of one name
    manyShortTexts,           // a million text elements between comments
};

std::string makeDocument (Hostile kind)
{
    const auto constant = [] (const char* text) { return [text] (int) { return std::string (text); }; };

    switch (kind)
    {
        case Hostile::distinctAttributeNames:
            return fillDocument (
                "<R><e ",
                [] (int i)
                {
                    std::string unit = i == 500000 ? "/><e " : "";
                    return unit.append (scatteredName (i)).append ("='' ");
                },
                "/></R>");
        case Hostile::distinctElementNames:
            return fillDocument (
                "<R>", [] (int i) { return std::string ("<").append (scatteredName (i)).append ("/>"); },
                "</R>");
        case Hostile::namesAtTheLimit:
        case Hostile::longNamesAtTheLimit:
        {
            const auto prefix = kind == Hostile::namesAtTheLimit ? std::string ("n") : std::string (995, 'n');
            std::string element = "<e";
            for (int i = 0; i < BoundedXml::maxNames - 2; ++i)
                element.append (" ").append (prefix).append (std::to_string (i)).append ("=''");
            return fillDocument (
                "<R>", [element] (int) { return element + "/>"; }, "</R>");
        }
        case Hostile::referencesInAttribute: return fillDocument ("<R a='", constant ("&amp;"), "'/>");
        case Hostile::numericReferencesInAttribute:
            return fillDocument ("<R a='", constant ("&#x10FFFF;"), "'/>");
        case Hostile::referencesInText: return fillDocument ("<R>", constant ("&lt;"), "</R>");
        case Hostile::oneAttributeNameRepeated: return fillDocument ("<R ", constant ("a='' "), "/>");
        case Hostile::manyChildren: return fillDocument ("<R>", constant ("<a/>"), "</R>");
        case Hostile::manyShortTexts: return fillDocument ("<R>", constant ("t<!---->"), "</R>");
    }

    return {};
}

const std::string& documentOf (Hostile kind)
{
    static std::map<Hostile, std::string> documents;
    auto& text = documents[kind];
    if (text.empty())
        text = makeDocument (kind);
    return text;
}

void parseHostile (benchmark::State& state, Hostile kind)
{
    const auto& text = documentOf (kind);
    bool read = false;

    for (auto _ : state)
    {
        const auto xml = BoundedXml::parse (text.data(), text.size());
        read = xml != nullptr;
        benchmark::DoNotOptimize (xml.get());
    }

    state.counters["read"] = read ? 1 : 0;
    state.SetBytesProcessed ((int64_t) (state.iterations() * text.size()));
}

// Documents of as many names as one may hold, each name new to the process, read one after another as a
// host may set chunk after chunk: the names JUCE pools must not pile up and make each read slower.
void parseNewNamesEachTime (benchmark::State& state)
{
    static int documentsRead = 0;

    for (auto _ : state)
    {
        state.PauseTiming();
        const auto prefix = std::string ("d").append (std::to_string (documentsRead++)).append ("_");
        std::string text = "<R";
        for (int i = 0; i < BoundedXml::maxNames - 1; ++i)
            text.append (" ").append (prefix).append (std::to_string (i)).append ("=''");
        text += "/>";
        state.ResumeTiming();

        benchmark::DoNotOptimize (BoundedXml::parse (text.data(), text.size()));
    }
}
} // namespace

BENCHMARK (parseNewNamesEachTime)->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (parseHostile, distinctAttributeNames, Hostile::distinctAttributeNames)
    ->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (parseHostile, distinctElementNames, Hostile::distinctElementNames)
    ->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (parseHostile, namesAtTheLimit, Hostile::namesAtTheLimit)->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (parseHostile, longNamesAtTheLimit, Hostile::longNamesAtTheLimit)
    ->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (parseHostile, referencesInAttribute, Hostile::referencesInAttribute)
    ->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (parseHostile, numericReferencesInAttribute, Hostile::numericReferencesInAttribute)
    ->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (parseHostile, referencesInText, Hostile::referencesInText)->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (parseHostile, oneAttributeNameRepeated, Hostile::oneAttributeNameRepeated)
    ->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (parseHostile, manyChildren, Hostile::manyChildren)->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (parseHostile, manyShortTexts, Hostile::manyShortTexts)->Unit (benchmark::kMillisecond);
