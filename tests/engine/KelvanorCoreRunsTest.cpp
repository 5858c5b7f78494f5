#include "engine/KelvanorCore.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace
{
struct Switches
{
    float waveform;   // above one half: the sawtooth
    float distortion; // above one half: on
    float route;      // up to one half: the filters after the clipper
};

class KelvanorCoreRuns : public testing::TestWithParam<Switches>
{
};
} // namespace

// A run's distortion lags its voice by a sample inside the render, and the last samples of a run take
// another path: cut into runs of every length, each waveform and route still renders, to the last bit, as
// one sample at a time, with the distortion's state carried across the cuts.
TEST_P (KelvanorCoreRuns, EveryCutRendersAsSingleSamples)
{
    const Switches switches = GetParam();
    KelvanorCore single, runs;
    std::mt19937 random (11);
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);
    for (auto* core : {&single, &runs})
        core->setSampleRate (44100.0f);
    for (int id = 0; id < 24; ++id)
    {
        const float value = id == KelvanorCore::waveformId          ? switches.waveform
                            : id == KelvanorCore::distortionStateId ? switches.distortion
                            : id == KelvanorCore::distortionRouteId ? switches.route
                                                                    : unit (random);
        single.setParameter (id, value);
        runs.setParameter (id, value);
    }

    std::vector<double> a, b;
    const auto render = [&] (int samples)
    {
        const std::size_t start = b.size();
        b.resize (start + (std::size_t) samples);
        runs.renderSamples (b.data() + start, samples);
        for (int i = 0; i < samples; ++i)
            single.renderSample (&a.emplace_back());
    };

    int note = 33;
    for (const int length : {1, 2, 3, 4, 5, 257, 1, 1, 3000, 2, 6})
    {
        single.noteOn (note, 0.95f);
        runs.noteOn (note, 0.95f);
        render (length);
        // The post route reads the volume unsmoothed: a change between runs reaches the next sample in both.
        const float volume = unit (random);
        single.setParameter (KelvanorCore::mainVolumeId, volume);
        runs.setParameter (KelvanorCore::mainVolumeId, volume);
        single.noteOff (note);
        runs.noteOff (note);
        render (length + 1);
        note += 5;
    }

    ASSERT_EQ (a.size(), b.size());
    double energy = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        ASSERT_EQ (a[i], b[i]) << "at sample " << i;
        energy += a[i] * a[i];
    }
    EXPECT_GT (energy, 0.0); // a silent voice would compare nothing
}

INSTANTIATE_TEST_SUITE_P (WaveformsAndRoutes, KelvanorCoreRuns,
                          testing::Values (Switches{1.0f, 0.0f, 1.0f}, Switches{0.0f, 0.0f, 1.0f},
                                           Switches{1.0f, 1.0f, 1.0f}, Switches{0.0f, 1.0f, 1.0f},
                                           Switches{1.0f, 1.0f, 0.0f}, Switches{0.0f, 1.0f, 0.0f}),
                          [] (const testing::TestParamInfo<Switches>& each)
                          {
                              const auto& s = each.param;
                              return std::string (s.waveform > 0.5f ? "sawtooth" : "square") +
                                     (s.distortion <= 0.5f ? "" : (s.route > 0.5f ? "Pre" : "Post"));
                          });
