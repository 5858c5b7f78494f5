// The ways UTF-8 bytes become a juce::String, on text of the lengths names, paths and documents have. The
// same source is built against this build's JUCE and against Debian's juce_core as it comes, so that the
// two programs run with the same filter compare the checked decoding with JUCE's own.
#include <juce_core/juce_core.h>

#include <benchmark/benchmark.h>

#include <string>

namespace
{
/** The seed repeated to at most size bytes, cut at a character's start. */
std::string textOf (const std::string& seed, size_t size)
{
    std::string text;
    while (text.size() < size + 4)
        text += seed;
    size_t end = size;
    while ((static_cast<unsigned char> (text[end]) & 0xc0) == 0x80)
        --end;
    return text.substr (0, end);
}

const struct
{
    const char* name;
    std::string seed;
} seeds[] = {
    {"ascii", "Acid Bass 303 - Squelch Lead, factory bank A, pattern 12; "},
    // Names in European languages: mostly ASCII, a two- or three-byte character here and there.
    {"latin", "B\xC3\xA4sse f\xC3\xBCr das Caf\xC3\xA9 \xE2\x80\x93 \xC3\x9C"
              "berl\xC3\xA4ufer, R\xC3\xA9 mineur, "},
    // Cyrillic and Japanese: nearly every character two or three bytes, one of four.
    {"wide",
     "\xD0\x91\xD0\xB0\xD1\x81\xD0\xBE\xD0\xB2\xD0\xB0\xD1\x8F \xD0\xBB\xD0\xB8\xD0\xBD\xD0\xB8\xD1\x8F "
     "\xE4\xBD\x8E\xE9\x9F\xB3\xE3\x81\xAE\xE5\xA4\xA2 \xF0\x9F\x8E\xB9 "},
};

const size_t sizes[] = {16, 64, 1024};

template <class Make>
void registerWay (const char* way, Make make)
{
    for (const auto& seed : seeds)
        for (const auto size : sizes)
        {
            const auto name = std::string ("utf8/") + way + "/" + seed.name + "/" + std::to_string (size);
            benchmark::RegisterBenchmark (name.c_str(),
                                          [text = textOf (seed.seed, size), make] (benchmark::State& state)
                                          {
                                              for (auto _ : state)
                                              {
                                                  auto made = make (text);
                                                  benchmark::DoNotOptimize (made);
                                              }
                                              state.SetBytesProcessed (
                                                  (int64_t) (state.iterations() * text.size()));
                                          });
        }
}

const int registered = []
{
    using juce::CharPointer_UTF8;
    registerWay ("pointer",
                 [] (const std::string& t) { return juce::String (CharPointer_UTF8 (t.c_str())); });
    // A buffer of a fixed size, as hosts hand names over: the limit is its size in bytes.
    registerWay ("maxChars",
                 [] (const std::string& t) { return juce::String (CharPointer_UTF8 (t.c_str()), t.size()); });
    registerWay (
        "startEnd", [] (const std::string& t)
        { return juce::String (CharPointer_UTF8 (t.data()), CharPointer_UTF8 (t.data() + t.size())); });
    registerWay ("stdString", [] (const std::string& t) { return juce::String (t); });
    registerWay ("stringRef",
                 [] (const std::string& t) { return juce::String (juce::StringRef (t.c_str())); });
    registerWay ("fromUTF8",
                 [] (const std::string& t) { return juce::String::fromUTF8 (t.data(), (int) t.size()); });
    registerWay ("append",
                 [prefix = juce::String ("Preset: ")] (const std::string& t)
                 {
                     auto appended = prefix;
                     appended += t.c_str();
                     return appended;
                 });
    return 0;
}();
} // namespace

BENCHMARK_MAIN();
