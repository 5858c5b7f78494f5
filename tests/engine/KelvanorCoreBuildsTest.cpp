#include "engine/KelvanorCore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
struct Sound
{
    const char* name;
    float waveform, distortionState, distortionRoute;
};

// Notes with slides, accents and rests, a filter sweep and a volume change, rendered in uneven runs.
std::vector<double> renderPhrase (const Sound& sound, float rate)
{
    KelvanorCore core;
    core.setSampleRate (rate);
    core.setParameter (KelvanorCore::waveformId, sound.waveform);
    core.setParameter (KelvanorCore::distortionStateId, sound.distortionState);
    core.setParameter (KelvanorCore::distortionRouteId, sound.distortionRoute);
    core.setParameter (KelvanorCore::resonanceId, 0.85f);
    core.setParameter (KelvanorCore::envModId, 0.7f);
    core.setParameter (KelvanorCore::distortionPreampId, 0.6f);
    core.setParameter (KelvanorCore::mainVolumeId, 0.8f);

    std::vector<double> out;
    for (int step = 0; step < 40; ++step)
    {
        const int note = 28 + (step * 7) % 30;
        if (step % 5 != 4)
            core.noteOn (note, step % 3 == 0 ? 0.95f : 0.4f);
        core.setParameter (KelvanorCore::cutoffId, (float) (step % 10) / 10.0f);
        if (step == 20)
            core.setParameter (KelvanorCore::mainVolumeId, 0.5f);

        const std::size_t start = out.size();
        const int length = 300 + 97 * (step % 4);
        out.resize (start + (std::size_t) length);
        core.renderSamples (out.data() + start, length);
        if (step % 3 != 1)
            core.noteOff (note);
    }
    return out;
}

class KelvanorCoreBuilds : public testing::TestWithParam<Sound>
{
};

// The build for processors with 32 vector registers keeps more values in them; every sample comes out as
// from the build with 16, to the last bit.
TEST_P (KelvanorCoreBuilds, WideRegistersRenderTheSameBits)
{
    const bool fused = KelvanorCore::usesFusedArithmetic(), wide = KelvanorCore::usesWideRegisters();
    KelvanorCore::useFusedArithmetic (true);
    KelvanorCore::useWideRegisters (true);
    if (!KelvanorCore::usesFusedArithmetic() || !KelvanorCore::usesWideRegisters())
    {
        KelvanorCore::useFusedArithmetic (fused);
        KelvanorCore::useWideRegisters (wide);
        GTEST_SKIP() << "the processor has no 32-register build";
    }

    for (const float rate : {44100.0f, 96000.0f})
    {
        KelvanorCore::useWideRegisters (true);
        const auto wideRender = renderPhrase (GetParam(), rate);
        KelvanorCore::useWideRegisters (false);
        const auto narrowRender = renderPhrase (GetParam(), rate);

        double peak = 0.0;
        for (const double v : narrowRender)
            peak = std::max (peak, std::abs (v));
        EXPECT_GT (peak, 1e-3) << "the comparison means something only for a sounding voice";

        ASSERT_EQ (wideRender.size(), narrowRender.size());
        EXPECT_EQ (std::memcmp (wideRender.data(), narrowRender.data(), wideRender.size() * sizeof (double)),
                   0)
            << "at " << rate << " Hz";
    }

    KelvanorCore::useFusedArithmetic (fused);
    KelvanorCore::useWideRegisters (wide);
}

INSTANTIATE_TEST_SUITE_P (
    Sounds, KelvanorCoreBuilds,
    testing::Values (Sound{"sawtooth", 1.0f, 0.0f, 1.0f}, Sound{"square", 0.0f, 0.0f, 1.0f},
                     Sound{"sawtoothPre", 1.0f, 1.0f, 1.0f}, Sound{"squarePre", 0.0f, 1.0f, 1.0f},
                     Sound{"sawtoothPost", 1.0f, 1.0f, 0.0f}, Sound{"squarePost", 0.0f, 1.0f, 0.0f}),
    [] (const testing::TestParamInfo<Sound>& each) { return std::string (each.param.name); });
} // namespace
