#include "engine/KelvanorCore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

// Reads the voice's private state, which no caller outside the tests needs.
struct KelvanorCoreProbe
{
    static int accentFlag (const KelvanorCore& c) { return c.accentFlag; }
    static int attackPhaseDone (const KelvanorCore& c) { return c.attackPhaseDone; }
    static double envelopeLevel (const KelvanorCore& c) { return c.envelopeLevel; }
    static double gateLevel (const KelvanorCore& c) { return c.gateLevel; }
    static double vcaLevel (const KelvanorCore& c) { return c.vcaLevel; }
    static double currentNotePeriod (const KelvanorCore& c) { return c.currentNotePeriod; }
    static double glidingPeriod (const KelvanorCore& c) { return c.glidingPeriod; }
    static int rateIndex (const KelvanorCore& c) { return c.rateIndex; }
    static std::size_t stackCapacity (const KelvanorCore& c) { return c.noteStack.capacity(); }
    static const auto& distortionFilters (const KelvanorCore& c) { return c.distortionFilters; }

    // Cleared in this sample: the chain's half step and the ladder's first stage started from zero.
    static bool filterWasCleared (const KelvanorCore& c)
    {
        for (const double v : c.chainHalf)
            if (v != 0.0)
                return false;
        return c.stage1Before == 0.0;
    }
};

namespace
{
using Probe = KelvanorCoreProbe;

constexpr int tuningId = 0, envModId = 5, envAccentId = 9, preampId = 12, sizeId = 13, densityId = 14,
              wetnessId = 16, waveformId = 18, distortionStateId = 21, routeId = 22, volumeId = 23;

// A plain bass sound: sawtooth, low cutoff and no resonance, so the output is close to a sine.
constexpr float plainSound[24] = {0.5f, 0.2f, 0.3f, 0.0f, 0.5f, 0.0f, 0.1f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
                                  0.3f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.6f};

// Set up as the processor does: rate first, then every parameter.
void prepare (KelvanorCore& core, float rate = 44100.0f, const float* params = plainSound)
{
    core.setSampleRate (rate);
    for (int id = 0; id < 24; ++id)
        core.setParameter (id, params[id]);
}

std::vector<double> render (KelvanorCore& core, int samples)
{
    std::vector<double> out ((std::size_t) samples);
    for (auto& s : out)
        core.renderSample (&s);
    return out;
}

bool allFinite (const std::vector<double>& x)
{
    return std::all_of (x.begin(), x.end(), [] (double v) { return std::isfinite (v); });
}

double rms (const std::vector<double>& x)
{
    double sum = 0.0;
    for (const double v : x)
        sum += v * v;
    return std::sqrt (sum / (double) x.size());
}

// Hz, from the mean distance between interpolated upward zero crossings.
double fundamental (const std::vector<double>& x, double rate)
{
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (std::size_t i = 1; i < x.size(); ++i)
        if (x[i - 1] < 0.0 && x[i] >= 0.0)
        {
            last = (double) (i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            first = first < 0.0 ? last : first;
            ++crossings;
        }
    return crossings > 1 ? (crossings - 1) * rate / (last - first) : 0.0;
}

// Energy of the first difference against the signal's: grows with the share of high partials.
double brightness (const std::vector<double>& x)
{
    double diff = 0.0, level = 0.0;
    for (std::size_t i = 1; i < x.size(); ++i)
    {
        diff += (x[i] - x[i - 1]) * (x[i] - x[i - 1]);
        level += x[i] * x[i];
    }
    return diff / level;
}

double noteHz (int note, double divisions = 12.0)
{
    return 6.875 * std::pow (2.0, (note + 3) / divisions);
}

//==============================================================================
TEST (KelvanorCorePitch, TablesFollowTheDivisionsFromOneRoot)
{
    KelvanorCore core;
    EXPECT_NEAR (core.getNoteFrequency (69), 440.0, 1e-9);
    EXPECT_NEAR (core.getNoteFrequency (57), 220.0, 1e-9);

    core.buildPitchTables (12.1); // battery low: 6.875 x 2^(72 / 12.1), not 440
    EXPECT_NEAR (core.getNoteFrequency (69), 6.875 * std::pow (2.0, 72.0 / 12.1), 1e-9);
    EXPECT_LT (core.getNoteFrequency (69), 430.0);
    EXPECT_NEAR (core.getNotePeriod (69), 44100.0 / core.getNoteFrequency (69), 1e-9);

    for (const double invalid : {0.0, -12.0, 0.5, 1e6, std::numeric_limits<double>::quiet_NaN()})
    {
        core.buildPitchTables (invalid);
        EXPECT_NEAR (core.getNoteFrequency (69), noteHz (69, 12.1), 1e-9) << invalid;
    }
}

struct RateCase
{
    float rate;
    int resonanceTable; // rate index whose curve is used
};

class KelvanorCoreRates : public ::testing::TestWithParam<RateCase>
{
};

TEST_P (KelvanorCoreRates, PlaysTheRightFundamental)
{
    const auto [rate, table] = GetParam();
    KelvanorCore core;
    prepare (core, rate);
    EXPECT_EQ (Probe::rateIndex (core), table);

    core.noteOn (45, 0.5f);
    render (core, (int) rate / 4);
    EXPECT_NEAR (fundamental (render (core, (int) rate), rate), 110.0, 0.1) << rate;
}

// The five tuned rates, then rates between and beyond them: their own pitch, the nearest curve.
INSTANTIATE_TEST_SUITE_P (TunedAndOther, KelvanorCoreRates,
                          ::testing::Values (RateCase{44100.0f, 0}, RateCase{48000.0f, 1},
                                             RateCase{88200.0f, 2}, RateCase{96000.0f, 3},
                                             RateCase{192000.0f, 4}, RateCase{22050.0f, 0},
                                             RateCase{32000.0f, 0}, RateCase{64000.0f, 1},
                                             RateCase{176400.0f, 4}, RateCase{384000.0f, 4}));

TEST (KelvanorCorePitch, TuningAndDivisionsMoveTheRenderedPitch)
{
    KelvanorCore up;
    prepare (up);
    up.setParameter (tuningId, 1.0f); // two octaves up
    up.noteOn (33, 0.5f);
    render (up, 22050);
    EXPECT_NEAR (fundamental (render (up, 44100), 44100.0), 220.0, 0.2);

    KelvanorCore stretched;
    stretched.buildPitchTables (12.1);
    prepare (stretched);
    stretched.noteOn (45, 0.5f);
    render (stretched, 22050);
    EXPECT_NEAR (fundamental (render (stretched, 44100), 44100.0), noteHz (45, 12.1), 0.1);

    stretched.buildPitchTables (12.0); // the sounding note keeps its period until the next note
    EXPECT_NEAR (Probe::currentNotePeriod (stretched), 44100.0 / noteHz (45, 12.1), 1e-9);
    stretched.noteOn (45, 0.5f);
    EXPECT_DOUBLE_EQ (Probe::currentNotePeriod (stretched), stretched.getNotePeriod (45));
}

//==============================================================================
TEST (KelvanorCoreNotes, LegatoNoteSlidesWithoutRetrigger)
{
    KelvanorCore core;
    prepare (core);
    core.noteOn (40, 1.0f);
    render (core, 5000);
    const int phase = Probe::attackPhaseDone (core);
    const double level = Probe::envelopeLevel (core), gate = Probe::gateLevel (core);
    const double period = Probe::glidingPeriod (core);

    core.noteOn (52, 0.1f); // below the accent threshold: the accent stays
    EXPECT_EQ (Probe::attackPhaseDone (core), phase);
    EXPECT_EQ (Probe::envelopeLevel (core), level);
    EXPECT_EQ (Probe::gateLevel (core), gate);
    EXPECT_EQ (Probe::glidingPeriod (core), period);
    EXPECT_EQ (Probe::accentFlag (core), 1);

    // The glide moves towards the new note over many samples, not at once.
    render (core, 1);
    EXPECT_LT (Probe::glidingPeriod (core), period);
    EXPECT_GT (Probe::glidingPeriod (core), core.getNotePeriod (52) + 1.0);
}

TEST (KelvanorCoreNotes, ReleasingTheTopNoteGlidesBackToThePreviousOne)
{
    KelvanorCore core;
    prepare (core);
    core.noteOn (40, 0.2f);
    core.noteOn (52, 0.9f);
    render (core, 20000);
    const double level = Probe::envelopeLevel (core);

    core.noteOff (52);
    EXPECT_DOUBLE_EQ (Probe::currentNotePeriod (core), core.getNotePeriod (40));
    EXPECT_EQ (Probe::envelopeLevel (core), level);
    EXPECT_EQ (Probe::accentFlag (core), 1); // a note-off never touches the accent
    EXPECT_GT (Probe::gateLevel (core), 0.0);

    render (core, 22050);
    EXPECT_NEAR (fundamental (render (core, 44100), 44100.0), noteHz (40), 0.1);
}

TEST (KelvanorCoreNotes, DuplicateNotesAreRemovedOneAtATime)
{
    KelvanorCore core;
    for (const int note : {40, 45, 40})
        core.noteOn (note, 0.5f);

    core.noteOff (40); // the first 40 goes; the last 40 still sounds
    EXPECT_EQ (core.getHeldNoteCount(), 2);
    EXPECT_DOUBLE_EQ (Probe::currentNotePeriod (core), core.getNotePeriod (40));
    core.noteOff (40);
    EXPECT_DOUBLE_EQ (Probe::currentNotePeriod (core), core.getNotePeriod (45));
    core.noteOff (45);
    EXPECT_EQ (core.getHeldNoteCount(), 0);
    EXPECT_EQ (Probe::gateLevel (core), 0.0);
}

TEST (KelvanorCoreNotes, UnknownAndOutOfRangeNotesChangeNothing)
{
    KelvanorCore core;
    core.noteOn (40, 0.5f);
    const double period = Probe::currentNotePeriod (core);

    for (const int note : {41, -1, 128, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()})
    {
        core.noteOff (note);
        core.noteOn (note == 41 ? -5 : note, 0.5f);
    }
    EXPECT_EQ (core.getHeldNoteCount(), 1);
    EXPECT_EQ (Probe::gateLevel (core), 1.0);
    EXPECT_EQ (Probe::currentNotePeriod (core), period);
}

TEST (KelvanorCoreNotes, FullStackDropsItsOldestNoteWithoutGrowing)
{
    KelvanorCore core;
    const auto capacity = Probe::stackCapacity (core);
    for (int i = 0; i < 3 * KelvanorCore::noteStackCapacity; ++i)
        core.noteOn (i % 128, 1.0f);
    core.noteOn (99, std::numeric_limits<float>::quiet_NaN());

    EXPECT_EQ (core.getHeldNoteCount(), KelvanorCore::noteStackCapacity);
    EXPECT_EQ (Probe::stackCapacity (core), capacity);
    EXPECT_DOUBLE_EQ (Probe::currentNotePeriod (core), core.getNotePeriod (99));
    EXPECT_TRUE (allFinite (render (core, 1000)));

    core.clearNotes();
    EXPECT_EQ (core.getHeldNoteCount(), 0);
    EXPECT_EQ (Probe::accentFlag (core), 0);
    EXPECT_EQ (Probe::gateLevel (core), 0.0);
}

//==============================================================================
TEST (KelvanorCoreRender, ReleasedNoteClearsTheFilter)
{
    KelvanorCore core;
    prepare (core);
    core.noteOn (40, 0.5f);
    render (core, 4410);
    ASSERT_FALSE (Probe::filterWasCleared (core));

    core.noteOff (40);
    int samples = 0;
    for (; Probe::vcaLevel (core) >= 6.103515625e-5 && samples < 44100; ++samples)
        render (core, 1);
    EXPECT_LT (samples, 22050) << "VCA still open half a second after the release";

    for (int i = 0; i < 10000; ++i)
    {
        render (core, 1);
        ASSERT_TRUE (Probe::filterWasCleared (core)) << "sample " << i;
    }
    EXPECT_LT (std::abs (render (core, 1)[0]), 1e-9);
}

TEST (KelvanorCoreRender, AccentedNoteIsLouderAndBrighter)
{
    float params[24];
    std::copy (std::begin (plainSound), std::end (plainSound), params);
    params[envAccentId] = 1.0f;
    params[envModId] = 0.3f;

    const auto play = [&params] (float velocity)
    {
        KelvanorCore core;
        prepare (core, 44100.0f, params);
        render (core, 4410);
        core.noteOn (36, velocity);
        return render (core, 8820);
    };

    const auto plain = play (60.0f / 127.0f), accented = play (70.0f / 127.0f); // threshold 64 / 127
    EXPECT_GT (rms (accented), 1.5 * rms (plain));
    EXPECT_GT (brightness (accented), 1.2 * brightness (plain));
}

TEST (KelvanorCoreRender, LongSilenceLeavesTheVoiceAsNew)
{
    for (const float rate : {44100.0f, 192000.0f})
    {
        KelvanorCore core, fresh;
        prepare (core, rate);
        prepare (fresh, rate);
        EXPECT_TRUE (allFinite (render (core, (int) rate * 30))) << rate; // 30 s
        render (fresh, (int) rate / 2);

        core.noteOn (40, 0.5f);
        fresh.noteOn (40, 0.5f);
        const double level = rms (render (core, (int) rate / 2));
        EXPECT_NEAR (level, rms (render (fresh, (int) rate / 2)), 0.02 * level) << rate;
    }
}

// Every parameter at 0, at 1 and alternating, with every switch setting, at the lowest and highest notes
// with glides between them; also a voice rendered before any set-up.
TEST (KelvanorCoreRender, ExtremeSettingsStayFinite)
{
    KelvanorCore untouched;
    untouched.noteOn (60, 1.0f);
    EXPECT_TRUE (allFinite (render (untouched, 44100)));

    for (const float rate : {22050.0f, 44100.0f, 192000.0f, 768000.0f})
        for (int pattern = 0; pattern < 4; ++pattern)
            for (int switches = 0; switches < 32; ++switches)
            {
                KelvanorCore core;
                core.setSampleRate (rate);
                for (int id = 0; id < 18; ++id)
                    core.setParameter (id, pattern == 0   ? 0.0f
                                           : pattern == 1 ? 1.0f
                                                          : (float) ((id + pattern) % 2));
                core.setParameter (volumeId, 1.0f);
                for (int bit = 0; bit < 5; ++bit)
                    core.setParameter (waveformId + bit, (float) ((switches >> bit) & 1));

                for (const int note : {0, 127, 0, 64})
                {
                    core.noteOn (note, 1.0f);
                    ASSERT_TRUE (allFinite (render (core, 2000)))
                        << rate << " " << pattern << " " << switches;
                }
            }
}

TEST (KelvanorCoreRender, RepeatedSampleRateChangesLessThan100dB)
{
    // A host may resume twice; the second set-up takes the cubes in double precision but must neither
    // reset the voice nor audibly change it.
    float params[24];
    std::copy (std::begin (plainSound), std::end (plainSound), params);
    params[distortionStateId] = 1.0f;
    params[preampId] = 0.7f;

    KelvanorCore whole, split;
    for (auto* core : {&whole, &split})
    {
        prepare (*core, 44100.0f, params);
        core->noteOn (40, 1.0f);
    }

    const auto a = render (whole, 22050);
    auto b = render (split, 11025);
    split.setSampleRate (44100.0f);
    const auto rest = render (split, 11025);
    b.insert (b.end(), rest.begin(), rest.end());

    double error = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        error = std::max (error, std::abs (a[i] - b[i]));
    EXPECT_LT (error, 1e-5 * rms (a));
}

//==============================================================================
// Calls that must leave the voice as it was: the output stays bit-identical to an untouched voice's.
TEST (KelvanorCoreBadInput, IgnoredCallsLeaveTheOutputUnchanged)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();

    KelvanorCore reference, poked;
    for (auto* core : {&reference, &poked})
    {
        prepare (*core);
        core->noteOn (40, 0.5f);
    }

    for (int id = -1; id <= 24; ++id)
        for (const float value : {nan, inf, -inf})
            poked.setParameter (id, value);
    for (const int id : {-1000, 24, 25, 1000})
        poked.setParameter (id, 0.9f);
    for (const float rate : {nan, inf, -inf, 0.0f, -44100.0f})
        poked.setSampleRate (rate);
    poked.setAccentThreshold (nan);
    poked.noteOff (77);

    EXPECT_EQ (render (reference, 10000), render (poked, 10000));
}

struct ClampCase
{
    float given, equivalent;
};

class KelvanorCoreClamping : public ::testing::TestWithParam<ClampCase>
{
};

TEST_P (KelvanorCoreClamping, OutOfRangeValuesActAsTheNearestEnd)
{
    const auto [given, equivalent] = GetParam();
    for (int id = 0; id < 24; ++id)
    {
        KelvanorCore a, b;
        prepare (a);
        prepare (b);
        a.setParameter (id, given);
        b.setParameter (id, equivalent);
        a.noteOn (40, 0.5f);
        b.noteOn (40, 0.5f);
        EXPECT_EQ (render (a, 2000), render (b, 2000)) << "id " << id;
    }
}

INSTANTIATE_TEST_SUITE_P (Edges, KelvanorCoreClamping,
                          ::testing::Values (ClampCase{-1.0f, 0.0f}, ClampCase{2.0f, 1.0f},
                                             ClampCase{-1e30f, 0.0f}, ClampCase{1e30f, 1.0f}));

TEST (KelvanorCoreBadInput, ExtremeSampleRatesAreClamped)
{
    const auto output = [] (float rate)
    {
        KelvanorCore core;
        prepare (core, rate);
        core.noteOn (40, 0.5f);
        return render (core, 5000);
    };
    EXPECT_EQ (output (1000.0f), output (22050.0f));
    EXPECT_EQ (output (1e9f), output (768000.0f));
    EXPECT_TRUE (allFinite (output (1.0f)));
}

//==============================================================================
TEST (KelvanorCoreParameters, SwitchesFlipJustAboveOneHalf)
{
    KelvanorCore core;
    for (const float value : {0.5f, std::nextafter (0.5f, 1.0f)})
    {
        const bool above = value > 0.5f;
        for (int id = waveformId; id <= routeId; ++id)
            core.setParameter (id, value);
        EXPECT_EQ (core.isSquareWave(), !above);
        EXPECT_EQ (core.isAccentModeLinked(), above);
        EXPECT_EQ (core.isSweepModeLinked(), above);
        EXPECT_EQ (core.isDistortionOn(), above);
        EXPECT_EQ (core.isRoutePost(), !above);
    }
}

TEST (KelvanorCoreParameters, MainVolumeIsUnsmoothedOnlyAfterThePostRouteFilters)
{
    struct Case
    {
        float distortion, route;
        bool silentAtOnce;
    };
    for (const auto& c : {Case{1.0f, 0.0f, true}, Case{1.0f, 1.0f, false}, Case{0.0f, 0.0f, false}})
    {
        KelvanorCore core;
        prepare (core);
        core.setParameter (distortionStateId, c.distortion);
        core.setParameter (routeId, c.route);
        core.noteOn (40, 0.5f);
        render (core, 4410);
        core.setParameter (volumeId, 0.0f);
        EXPECT_EQ (render (core, 1)[0] == 0.0, c.silentAtOnce) << c.distortion << " " << c.route;
    }
}

TEST (KelvanorCoreParameters, PresetChangeClearsOnlyTheDistortionFilters)
{
    KelvanorCore core;
    prepare (core);
    core.setParameter (distortionStateId, 1.0f);
    core.noteOn (40, 0.5f);
    render (core, 4410);

    core.presetChanged();
    for (const auto& f : Probe::distortionFilters (core))
        EXPECT_TRUE (f.input == 0.0 && f.low == 0.0 && f.high == 0.0 && f.band == 0.0 && f.output == 0.0);
    EXPECT_FALSE (Probe::filterWasCleared (core));
}

TEST (KelvanorCoreParameters, DistortionFilterCoefficientsStayStable)
{
    // Size 1 with full density pushes the low-pass past a quarter of the rate: its frequency stops at
    // 2 sin (pi / 4) and its damping at the value that keeps the filter stable there.
    KelvanorCore core;
    core.setParameter (sizeId, 1.0f);
    core.setParameter (densityId, 1.0f);
    const auto& lowPass = Probe::distortionFilters (core)[0];
    EXPECT_NEAR (lowPass.frequency, std::sqrt (2.0), 1e-12);
    EXPECT_NEAR (lowPass.damping, 2.0 / std::sqrt (2.0) - std::sqrt (2.0) / 2.0, 1e-12);

    core.setParameter (wetnessId, 1.0f); // damping limit (1 - 0.75^0.25) x 2
    for (const auto& f : Probe::distortionFilters (core))
        EXPECT_LE (f.damping, (1.0 - std::pow (0.75, 0.25)) * 2.0 + 1e-12);
}

//==============================================================================
struct ClipCase
{
    double input, minOutput, maxOutput;
};

class KelvanorCoreClipper : public ::testing::TestWithParam<ClipCase>
{
};

// A fresh clipper with clip level 0.5 has its threshold at (0.25 + 1) x 0.8 x 0.5 = 0.5; above it the
// output rises softly towards 4/3 of the threshold.
TEST_P (KelvanorCoreClipper, PassesBelowAndBendsAboveTheThreshold)
{
    const auto [input, minOutput, maxOutput] = GetParam();
    KelvanorCore::Clipper clipper;
    clipper.lastInput = input; // same side of zero: no crossing
    const double out = clipper.process (input, 1.0, 0.5, 0.006, 0.1);
    EXPECT_GE (out, minOutput) << input;
    EXPECT_LE (out, maxOutput) << input;
}

INSTANTIATE_TEST_SUITE_P (Thresholds, KelvanorCoreClipper,
                          ::testing::Values (ClipCase{0.3, 0.3, 0.3}, ClipCase{0.5, 0.5, 0.5},
                                             ClipCase{-0.5, -0.5, -0.5}, ClipCase{0.5000001, 0.5, 0.5000002},
                                             ClipCase{0.6, 0.55, 0.6}, ClipCase{-0.6, -0.6, -0.55},
                                             ClipCase{1e6, 0.666, 2.0 / 3.0},
                                             ClipCase{-1e6, -2.0 / 3.0, -0.666}));

TEST (KelvanorCoreClipperFollowers, ThresholdSinksWhileClippingAndRecoversAtZeroCrossing)
{
    KelvanorCore::Clipper clipper;
    const double first = clipper.process (2.0, 1.0, 1.0, 0.006, 0.1);
    EXPECT_GT (first, 1.0);

    double out = first;
    for (int i = 0; i < 2000; ++i)
        out = clipper.process (2.0, 1.0, 1.0, 0.006, 0.1);
    EXPECT_GT (out, 0.1); // towards 0.1 x clip
    EXPECT_LT (out, 0.15);

    // Crossing zero restores the full threshold from the next sample of the other half-wave on.
    EXPECT_LT (clipper.process (-2.0, 1.0, 1.0, 0.006, 0.1), -0.1);
    EXPECT_NEAR (clipper.process (-2.0, 1.0, 1.0, 0.006, 0.1), -first, 1e-12);
}

TEST (KelvanorCoreStateVariableFilter, TapsSplitASteadyInput)
{
    using Filter = KelvanorCore::StateVariableFilter;
    Filter low, band, high;
    for (auto* f : {&low, &band, &high})
    {
        f->frequency = 0.1;
        f->damping = 1.0;
    }
    double l = 0.0, b = 0.0, h = 0.0;
    for (int i = 0; i < 5000; ++i)
    {
        l = low.process<Filter::Tap::low> (1.0);
        b = band.process<Filter::Tap::band> (1.0);
        h = high.process<Filter::Tap::high> (1.0);
    }
    EXPECT_NEAR (l, 1.0, 1e-9);
    EXPECT_NEAR (b, 0.0, 1e-9);
    EXPECT_NEAR (h, 0.0, 1e-9);
}
} // namespace
