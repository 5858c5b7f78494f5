#include "KelvanorCoreReference.h"

#include "engine/KelvanorCore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
/** A change made after the voice has played long enough for its smoothing and its held note's period to
    settle, which the voice then stops recomputing. */
struct SettledCase
{
    const char* what;
    float rate;
    int id; // -1: a new note instead of a parameter
    float value;
};

// clang-format off
const SettledCase settledCases[] = {
    {"cutoff", 44100.0f, 2, 0.8f},
    {"tuning, which moves the period", 48000.0f, 0, 0.2f},
    {"main volume", 44100.0f, 23, 0.3f},
    {"square wave", 96000.0f, 18, 0.0f},
    {"a new note", 44100.0f, -1, 0.0f},
};
// clang-format on

// Two seconds of a held note, then the change: the voice must follow it exactly as the plain render does,
// as it does when nothing has settled.
TEST (KelvanorCoreSettled, ChangesAfterTheSmoothingSettledAreHeard)
{
    for (const auto& c : settledCases)
    {
        KelvanorCore core;
        KelvanorCoreReference reference;
        core.setSampleRate (c.rate);
        reference.setSampleRate (c.rate);

        const auto set = [&] (int id, float value)
        {
            core.setParameter (id, value);
            reference.setParameter (id, value);
        };
        for (int id = 0; id < 24; ++id)
            set (id, 0.5f);
        set (18, 1.0f); // sawtooth
        core.noteOn (40, 0.9f);
        reference.noteOn (40, 0.9f);

        double error = 0.0, signal = 0.0, changedSignal = 0.0;
        std::vector<double> run (4096);
        const auto render = [&] (int samples, double& energy)
        {
            for (int done = 0; done < samples; done += (int) run.size())
            {
                const int n = std::min ((int) run.size(), samples - done);
                core.renderSamples (run.data(), n);
                for (int i = 0; i < n; ++i)
                {
                    const double y = reference.renderSample();
                    error += (run[(size_t) i] - y) * (run[(size_t) i] - y);
                    signal += y * y;
                    energy += y * y;
                }
            }
        };

        double settledSignal = 0.0;
        render ((int) (2 * c.rate), settledSignal);

        if (c.id >= 0)
            set (c.id, c.value);
        else
        {
            core.noteOn (47, 0.9f);
            reference.noteOn (47, 0.9f);
        }
        render ((int) (0.5 * c.rate), changedSignal);

        SCOPED_TRACE (c.what);
        EXPECT_GT (changedSignal / (0.5 * c.rate), 1e-10); // still sounding: the comparison means something
        EXPECT_LT (10.0 * std::log10 (error / signal), -200.0);
    }
}
} // namespace
