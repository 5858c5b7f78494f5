#include "engine/KelvanorCore.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
constexpr float sampleRate = 44100.0f;

// A step of a 16th-note bassline at 120 bpm: 5512 samples, the gate open for three quarters of it.
constexpr int stepSamples = 5512;
constexpr int gateSamples = stepSamples * 3 / 4;
constexpr int warmUpSteps = 16; // two seconds

enum class Sound
{
    sawtooth,
    square,
    distortionPre,
    distortionPost
};

// Moderate cutoff, resonance and envelope: the settings a bass line typically plays with.
void prepare (KelvanorCore& core, Sound sound)
{
    constexpr float typical[24] = {0.5f, 0.3f, 0.45f, 0.7f, 0.5f, 0.6f, 0.05f, 0.4f, 0.3f, 0.6f, 0.5f, 0.5f,
                                   0.4f, 0.5f, 0.6f,  0.6f, 0.5f, 0.5f, 1.0f,  1.0f, 0.0f, 0.0f, 0.0f, 0.6f};
    core.setSampleRate (sampleRate);
    for (int id = 0; id < 24; ++id)
        core.setParameter (id, typical[id]);

    core.setParameter (18, sound == Sound::square ? 0.0f : 1.0f);
    core.setParameter (21, sound == Sound::distortionPre || sound == Sound::distortionPost ? 1.0f : 0.0f);
    core.setParameter (22, sound == Sound::distortionPost ? 0.0f : 1.0f);
}

// Not inlined, so that a profile can tell its samples from the measured ones.
template <class PlayStep>
[[gnu::noinline]] void warmUp (PlayStep& playStep)
{
    for (int step = 0; step < warmUpSteps; ++step)
        playStep();
}

enum class Calls
{
    runs,      // the samples between two note events in one call, as the plug-in renders them
    perSample, // one call per sample
};

// Each iteration plays one step: a note, alternately accented and sliding from the previous one.
void renderVoice (benchmark::State& state, Sound sound, Calls calls = Calls::runs)
{
    KelvanorCore core;
    prepare (core, sound);

    constexpr int notes[] = {36, 48, 39, 43};
    int step = 0;
    std::vector<double> out (stepSamples);

    const auto render = [&] (int from, int to)
    {
        if (calls == Calls::runs)
            core.renderSamples (out.data() + from, to - from);
        else
            for (int i = from; i < to; ++i)
                core.renderSample (out.data() + i);
    };

    // Two seconds of the phrase first: the parameter smoothing has settled by then, as it has for most of a
    // voice's life.
    const auto playStep = [&]
    {
        const int note = notes[step % 4];
        core.noteOn (note, step % 2 == 0 ? 1.0f : 0.4f);
        if (step % 4 == 3)
            core.noteOff (notes[(step + 3) % 4]); // the slide's first note ends after the second starts

        render (0, gateSamples);
        if (step % 4 != 2)
            core.noteOff (note);
        render (gateSamples, stepSamples);
        ++step;
    };
    warmUp (playStep);

    for (auto _ : state)
    {
        playStep();
        benchmark::DoNotOptimize (out.data());
        benchmark::ClobberMemory();
    }

    state.SetItemsProcessed (state.iterations() * stepSamples);
    state.counters["ns_per_sample"] = benchmark::Counter (
        (double) state.iterations() * stepSamples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void sawtooth (benchmark::State& state)
{
    renderVoice (state, Sound::sawtooth);
}
void square (benchmark::State& state)
{
    renderVoice (state, Sound::square);
}
void distortionPre (benchmark::State& state)
{
    renderVoice (state, Sound::distortionPre);
}
void distortionPost (benchmark::State& state)
{
    renderVoice (state, Sound::distortionPost);
}
void sawtoothPerSample (benchmark::State& state)
{
    renderVoice (state, Sound::sawtooth, Calls::perSample);
}
} // namespace

BENCHMARK (sawtooth);
BENCHMARK (square);
BENCHMARK (distortionPre);
BENCHMARK (distortionPost);
BENCHMARK (sawtoothPerSample);

BENCHMARK_MAIN();
