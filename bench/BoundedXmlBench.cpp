// Reading hostile documents within the size a document may have: 8 MB of markup made to slow JUCE's
// parser, through the one reader of outside XML. Each must take at most about a second, read or refused;
// the "read" counter says which.
#include "vst/BoundedXml.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace
{
using namespace std::string_literals;

/** An element of as many distinct attribute names as a document of it and its parent may hold. */
std::string elementOfNames (const std::string& prefix)
{
    std::string element = "<e";
    for (int i = 0; i < BoundedXml::maxNames - 2; ++i)
        element.append (" ").append (prefix).append (std::to_string (i)).append ("=''");
    return element + "/>";
}

/** The i-th of 36^4 names of five characters, scattered over the alphabet as a hostile file's may come
    (1000003 is prime, so i * 1000003 takes each value once). */
std::string scatteredName (int i)
{
    auto n = i * 1000003LL % (36 * 36 * 36 * 36);
    std::string name = "n0000";
    for (int digit = 4; digit > 0; --digit, n /= 36)
        name[(size_t) digit] = "0123456789abcdefghijklmnopqrstuvwxyz"[n % 36];
    return name;
}

struct Hostile
{
    const char* name;
    const char* head;
    std::string (*unit) (int i); // the pieces after the head, as many as fit before the tail
    const char* tail;
};

const Hostile hostile[] = {
    // Some 930,000 names on 2 elements, a million empty elements.
    {"distinctAttributeNames", "<R><e ",
     [] (int i) { return (i == 500000 ? "/><e "s : ""s).append (scatteredName (i)).append ("='' "); },
     "/></R>"},
    {"distinctElementNames", "<R>", [] (int i) { return "<"s.append (scatteredName (i)).append ("/>"); },
     "</R>"},
    // Elements of as many names as a document may hold, then of names of 1,000 bytes differing at their end.
    {"namesAtTheLimit", "<R>", [] (int) { return elementOfNames ("n"); }, "</R>"},
    {"longNamesAtTheLimit", "<R>", [] (int) { return elementOfNames (std::string (995, 'n')); }, "</R>"},
    // 1.6 million "&amp;", 800,000 "&#x10FFFF;" in one value, 2 million "&lt;" in text.
    {"referencesInAttribute", "<R a='", [] (int) { return "&amp;"s; }, "'/>"},
    {"numericReferencesInAttribute", "<R a='", [] (int) { return "&#x10FFFF;"s; }, "'/>"},
    {"referencesInText", "<R>", [] (int) { return "&lt;"s; }, "</R>"},
    // 1.7 million attributes of one name on one element, 2 million empty elements of one name, a million
    // texts between comments.
    {"oneAttributeNameRepeated", "<R ", [] (int) { return "a='' "s; }, "/>"},
    {"manyChildren", "<R>", [] (int) { return "<a/>"s; }, "</R>"},
    {"manyShortTexts", "<R>", [] (int) { return "t<!---->"s; }, "</R>"},
};

void parseHostile (benchmark::State& state, const Hostile* kind)
{
    const auto room = BoundedXml::maxBytes - std::strlen (kind->tail);
    std::string text = kind->head;
    for (int i = 0; text.size() + kind->unit (i).size() <= room; ++i)
        text += kind->unit (i);
    text += kind->tail;

    bool read = false;
    for (auto _ : state)
        benchmark::DoNotOptimize (read = BoundedXml::parse (text.data(), text.size()) != nullptr);
    state.counters["read"] = read ? 1 : 0;
}

const int registered = []
{
    for (const auto& kind : hostile)
        benchmark::RegisterBenchmark (("parseHostile/"s + kind.name).c_str(), parseHostile, &kind)
            ->Unit (benchmark::kMillisecond);
    return 0;
}();

// Documents of as many names as one may hold, each name new to the process, read one after another as a
// host may set chunk after chunk: the names JUCE pools must not pile up and make each read slower.
void parseNewNamesEachTime (benchmark::State& state)
{
    static int documentsRead = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        const auto prefix = "d"s.append (std::to_string (documentsRead++)).append ("_");
        const auto text = "<R>"s.append (elementOfNames (prefix)).append ("</R>");
        state.ResumeTiming();
        benchmark::DoNotOptimize (BoundedXml::parse (text.data(), text.size()));
    }
}
} // namespace

BENCHMARK (parseNewNamesEachTime)->Unit (benchmark::kMillisecond);
