// The ways UTF-8 bytes become a juce::String, on text of the lengths names, paths and documents have. The
// same source is built against this build's JUCE and against Debian's juce_core as it comes, so that the
// two programs run with the same filter compare the checked decoding with JUCE's own.
#include <juce_core/juce_core.h>

#include <benchmark/benchmark.h>

#include <string>

namespace
{
using juce::CharPointer_UTF8;

const std::pair<const char*, std::string> seeds[] = {
    {"ascii", "Acid Bass 303 - Squelch Lead, factory bank A, pattern 12; "},
    // Names in European languages: mostly ASCII, a two- or three-byte character here and there.
    {"latin", "B\xC3\xA4sse f\xC3\xBCr das Caf\xC3\xA9 \xE2\x80\x93 \xC3\x9C"
              "berl\xC3\xA4ufer, R\xC3\xA9 mineur, "},
    // Cyrillic and Japanese: nearly every character two or three bytes, one of four.
    {"wide",
     "\xD0\x91\xD0\xB0\xD1\x81\xD0\xBE\xD0\xB2\xD0\xB0\xD1\x8F \xD0\xBB\xD0\xB8\xD0\xBD\xD0\xB8\xD1\x8F "
     "\xE4\xBD\x8E\xE9\x9F\xB3\xE3\x81\xAE\xE5\xA4\xA2 \xF0\x9F\x8E\xB9 "},
};

/** Times make on the seed repeated to at most as many bytes as the argument, cut at a character's start. */
template <class Make>
void timeWay (benchmark::State& state, std::string text, Make make)
{
    auto size = (size_t) state.range (0);
    for (const auto seed = text; text.size() <= size;)
        text += seed;
    while ((static_cast<unsigned char> (text[size]) & 0xc0) == 0x80)
        --size;
    text.resize (size);
    for (auto _ : state)
        benchmark::DoNotOptimize (make (text));
}

template <class Make>
void registerWay (const char* way, Make make)
{
    for (const auto& [kind, seed] : seeds)
        benchmark::RegisterBenchmark ((std::string ("utf8/") + way + "/" + kind).c_str(), timeWay<Make>, seed,
                                      make)
            ->ArgsProduct ({{16, 64, 1024}});
}

const juce::String prefix ("Preset: ");

const int registered = []
{
    registerWay ("pointer", [] (auto& t) { return juce::String (CharPointer_UTF8 (t.c_str())); });
    // A buffer of a fixed size, as hosts hand names over: the limit is its size in bytes.
    registerWay ("maxChars", [] (auto& t) { return juce::String (CharPointer_UTF8 (t.c_str()), t.size()); });
    registerWay (
        "startEnd", [] (auto& t)
        { return juce::String (CharPointer_UTF8 (t.data()), CharPointer_UTF8 (t.data() + t.size())); });
    registerWay ("stdString", [] (auto& t) { return juce::String (t); });
    registerWay ("stringRef", [] (auto& t) { return juce::String (juce::StringRef (t.c_str())); });
    registerWay ("fromUTF8", [] (auto& t) { return juce::String::fromUTF8 (t.data(), (int) t.size()); });
    registerWay ("append", [] (auto& t) { return prefix + t.c_str(); });
    return 0;
}();
} // namespace

BENCHMARK_MAIN();
