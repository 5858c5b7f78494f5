#include "engine/KelvanorCore.h"
#include "KelvanorSignal.h"

#include <gtest/gtest.h>

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

constexpr int tuningId = 0, preampId = 12, sizeId = 13, densityId = 14, wetnessId = 16, waveformId = 18,
              distortionStateId = 21, routeId = 22, volumeId = 23;
constexpr float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();

// A plain bass sound: sawtooth, low cutoff and no resonance, so the output is close to a sine.
constexpr float plainSound[24] = {0.5f, 0.2f, 0.3f, 0.0f, 0.5f, 0.0f, 0.1f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
                                  0.3f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.6f};

// Set up as the processor does: rate first, then every parameter.
void prepare (KelvanorCore& core, float rate = 44100.0f)
{
    core.setSampleRate (rate);
    for (int id = 0; id < 24; ++id)
        core.setParameter (id, plainSound[id]);
}

std::vector<double> render (KelvanorCore& core, int samples)
{
    std::vector<double> out ((std::size_t) samples);
    for (auto& s : out)
        core.renderSample (&s);
    return out;
}

// Hz; the plain sound decays, so every crossing counts.
double pitchOf (const std::vector<double>& x, double rate)
{
    return fundamentalOf (x, rate, 0, SIZE_MAX, 0.0);
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
    EXPECT_NEAR (core.getNoteFrequency (69), noteHz (69, 12.1), 1e-9);
    EXPECT_LT (core.getNoteFrequency (69), 430.0);
    EXPECT_NEAR (core.getNotePeriod (69), 44100.0 / core.getNoteFrequency (69), 1e-9);

    for (const double invalid : {0.0, -12.0, 0.5, 1e6, std::numeric_limits<double>::quiet_NaN()})
    {
        core.buildPitchTables (invalid);
        EXPECT_NEAR (core.getNoteFrequency (69), noteHz (69, 12.1), 1e-9) << invalid;
    }

    // The sounding note keeps its period until the next note.
    prepare (core);
    core.noteOn (45, 0.5f);
    core.buildPitchTables (12.0);
    EXPECT_NEAR (Probe::currentNotePeriod (core), 44100.0 / noteHz (45, 12.1), 1e-9);
    core.noteOn (45, 0.5f);
    EXPECT_DOUBLE_EQ (Probe::currentNotePeriod (core), core.getNotePeriod (45));
}

// The five tuned rates, then rates between and beyond them: their own pitch, the nearest resonance curve.
TEST (KelvanorCorePitch, PlaysTheRightFundamentalAtEveryRate)
{
    const std::pair<float, int> rates[] = {{44100.0f, 0},  {48000.0f, 1}, {88200.0f, 2}, {96000.0f, 3},
                                           {192000.0f, 4}, {22050.0f, 0}, {32000.0f, 0}, {64000.0f, 1},
                                           {176400.0f, 4}, {384000.0f, 4}};
    for (const auto& [rate, table] : rates)
    {
        KelvanorCore core;
        prepare (core, rate);
        EXPECT_EQ (Probe::rateIndex (core), table) << rate;
        core.noteOn (45, 0.5f);
        render (core, (int) rate / 4);
        EXPECT_NEAR (pitchOf (render (core, (int) rate), rate), 110.0, 0.1) << rate;
    }

    KelvanorCore up;
    prepare (up);
    up.setParameter (tuningId, 1.0f); // two octaves up
    up.noteOn (33, 0.5f);
    render (up, 22050);
    EXPECT_NEAR (pitchOf (render (up, 44100), 44100.0), 220.0, 0.2);
}

//==============================================================================
// A second note slides without retrigger: attack phase, envelope, gate and accent stay, the glide moves over
// many samples. Releasing the top note glides back to the one below, the accent untouched.
TEST (KelvanorCoreNotes, LegatoSlidesWithoutRetriggerAndReleaseGlidesBack)
{
    const auto envelope = [] (const KelvanorCore& c)
    { return std::tuple (Probe::attackPhaseDone (c), Probe::envelopeLevel (c), Probe::gateLevel (c)); };
    KelvanorCore core;
    prepare (core);
    core.noteOn (40, 1.0f);
    render (core, 5000);
    const auto before = envelope (core);
    const double period = Probe::glidingPeriod (core);

    core.noteOn (52, 0.1f); // below the accent threshold
    EXPECT_EQ (envelope (core), before);
    EXPECT_EQ (Probe::glidingPeriod (core), period);
    EXPECT_EQ (Probe::accentFlag (core), 1);
    render (core, 1);
    EXPECT_LT (Probe::glidingPeriod (core), period);
    EXPECT_GT (Probe::glidingPeriod (core), core.getNotePeriod (52) + 1.0);

    render (core, 20000);
    const double level = Probe::envelopeLevel (core);
    core.noteOff (52);
    EXPECT_DOUBLE_EQ (Probe::currentNotePeriod (core), core.getNotePeriod (40));
    EXPECT_EQ (Probe::envelopeLevel (core), level);
    EXPECT_EQ (Probe::accentFlag (core), 1);
    EXPECT_GT (Probe::gateLevel (core), 0.0);
    render (core, 22050);
    EXPECT_NEAR (pitchOf (render (core, 44100), 44100.0), noteHz (40), 0.1);
}

TEST (KelvanorCoreNotes, DuplicateNotesAreRemovedOneAtATimeAndUnknownOnesChangeNothing)
{
    KelvanorCore core;
    for (const int note : {40, 45, 40})
        core.noteOn (note, 0.5f);
    for (const int note : {41, -1, 128, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()})
    {
        core.noteOff (note);
        core.noteOn (note == 41 ? -5 : note, 0.5f);
    }
    EXPECT_EQ (core.getHeldNoteCount(), 3);

    core.noteOff (40); // the first 40 goes; the last 40 still sounds
    EXPECT_EQ (core.getHeldNoteCount(), 2);
    EXPECT_DOUBLE_EQ (Probe::currentNotePeriod (core), core.getNotePeriod (40));
    core.noteOff (40);
    EXPECT_DOUBLE_EQ (Probe::currentNotePeriod (core), core.getNotePeriod (45));
    EXPECT_EQ (Probe::gateLevel (core), 1.0);
    core.noteOff (45);
    EXPECT_EQ (core.getHeldNoteCount(), 0);
    EXPECT_EQ (Probe::gateLevel (core), 0.0);
}

TEST (KelvanorCoreNotes, FullStackDropsItsOldestNoteWithoutGrowing)
{
    KelvanorCore core;
    const auto capacity = Probe::stackCapacity (core);
    for (int i = 0; i < 3 * KelvanorCore::noteStackCapacity; ++i)
        core.noteOn (i % 128, 1.0f);
    core.noteOn (99, nan);

    EXPECT_EQ (core.getHeldNoteCount(), KelvanorCore::noteStackCapacity);
    EXPECT_EQ (Probe::stackCapacity (core), capacity);
    EXPECT_DOUBLE_EQ (Probe::currentNotePeriod (core), core.getNotePeriod (99));
    EXPECT_TRUE (allFiniteIn (render (core, 1000)));

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

TEST (KelvanorCoreRender, LongSilenceLeavesTheVoiceAsNew)
{
    for (const float rate : {44100.0f, 192000.0f})
    {
        KelvanorCore core, fresh;
        prepare (core, rate);
        prepare (fresh, rate);
        EXPECT_TRUE (allFiniteIn (render (core, (int) rate * 30))) << rate; // 30 s
        render (fresh, (int) rate / 2);

        core.noteOn (40, 0.5f);
        fresh.noteOn (40, 0.5f);
        const double level = rmsOf (render (core, (int) rate / 2));
        EXPECT_NEAR (level, rmsOf (render (fresh, (int) rate / 2)), 0.02 * level) << rate;
    }
}

// Every parameter at 0, at 1 and alternating, with every switch setting, at the lowest and highest notes
// with glides between them; also a voice rendered before any set-up.
TEST (KelvanorCoreRender, ExtremeSettingsStayFinite)
{
    KelvanorCore untouched;
    untouched.noteOn (60, 1.0f);
    EXPECT_TRUE (allFiniteIn (render (untouched, 44100)));

    for (const float rate : {22050.0f, 44100.0f, 192000.0f, 768000.0f})
        for (int pattern = 0; pattern < 4; ++pattern)
            for (int switches = 0; switches < 32; ++switches)
            {
                KelvanorCore core;
                core.setSampleRate (rate);
                for (int id = 0; id < 18; ++id)
                    core.setParameter (id, pattern < 2 ? (float) pattern : (float) ((id + pattern) % 2));
                core.setParameter (volumeId, 1.0f);
                for (int bit = 0; bit < 5; ++bit)
                    core.setParameter (waveformId + bit, (float) ((switches >> bit) & 1));

                for (const int note : {0, 127, 0, 64})
                {
                    core.noteOn (note, 1.0f);
                    ASSERT_TRUE (allFiniteIn (render (core, 2000)))
                        << rate << " " << pattern << " " << switches;
                }
            }
}

// A host may resume twice; the second set-up takes the cubes in double precision but must neither reset
// the voice nor audibly change it.
TEST (KelvanorCoreRender, RepeatedSampleRateChangesLessThan100dB)
{
    KelvanorCore whole, split;
    for (auto* core : {&whole, &split})
    {
        prepare (*core);
        core->setParameter (distortionStateId, 1.0f);
        core->setParameter (preampId, 0.7f);
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
    EXPECT_LT (error, 1e-5 * rmsOf (a));
}

//==============================================================================
// Calls that must leave the voice as it was: the output stays bit-identical to an untouched voice's.
TEST (KelvanorCoreBadInput, IgnoredCallsLeaveTheOutputUnchanged)
{
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

TEST (KelvanorCoreBadInput, OutOfRangeValuesActAsTheNearestEnd)
{
    const auto output = [] (float rate, int id, float value)
    {
        KelvanorCore core;
        prepare (core, rate);
        core.setParameter (id, value);
        core.noteOn (40, 0.5f);
        return render (core, 2000);
    };

    for (const auto& [given, end] : {std::pair{-1.0f, 0.0f}, {2.0f, 1.0f}, {-1e30f, 0.0f}, {1e30f, 1.0f}})
        for (int id = 0; id < 24; ++id)
            EXPECT_EQ (output (44100.0f, id, given), output (44100.0f, id, end))
                << "id " << id << " at " << given;

    EXPECT_EQ (output (1000.0f, 0, 0.5f), output (22050.0f, 0, 0.5f));
    EXPECT_EQ (output (1e9f, 0, 0.5f), output (768000.0f, 0, 0.5f));
    EXPECT_TRUE (allFiniteIn (output (1.0f, 0, 0.5f)));
}

//==============================================================================
TEST (KelvanorCoreParameters, MainVolumeIsUnsmoothedOnlyAfterThePostRouteFilters)
{
    // distortion, route, silent at once
    for (const auto& [distortion, route, silentAtOnce] :
         {std::tuple{1.0f, 0.0f, true}, {1.0f, 1.0f, false}, {0.0f, 0.0f, false}})
    {
        KelvanorCore core;
        prepare (core);
        core.setParameter (distortionStateId, distortion);
        core.setParameter (routeId, route);
        core.noteOn (40, 0.5f);
        render (core, 4410);
        core.setParameter (volumeId, 0.0f);
        EXPECT_EQ (render (core, 1)[0] == 0.0, silentAtOnce) << distortion << " " << route;
    }
}

TEST (KelvanorCoreParameters, DistortionFiltersStayStableAndOnlyAPresetChangeClearsThem)
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

    prepare (core);
    core.setParameter (distortionStateId, 1.0f);
    core.noteOn (40, 0.5f);
    render (core, 4410);
    core.presetChanged();
    for (const auto& f : Probe::distortionFilters (core))
        EXPECT_TRUE (f.input == 0.0 && f.low == 0.0 && f.high == 0.0 && f.band == 0.0 && f.output == 0.0);
    EXPECT_FALSE (Probe::filterWasCleared (core));
}

//==============================================================================
// A fresh clipper with clip level 0.5 has its threshold at (0.25 + 1) x 0.8 x 0.5 = 0.5; above it the output
// rises softly towards 4/3 of the threshold.
TEST (KelvanorCoreClipper, PassesBelowAndBendsAboveTheThreshold)
{
    // input, lowest and highest output
    // clang-format off
    const double cases[][3] = {{0.3, 0.3, 0.3}, {0.5, 0.5, 0.5}, {-0.5, -0.5, -0.5}, {0.6, 0.55, 0.6},
        {0.5000001, 0.5, 0.5000002}, {-0.6, -0.6, -0.55}, {1e6, 0.666, 2.0 / 3.0}, {-1e6, -2.0 / 3.0, -0.666}};
    // clang-format on
    for (const auto& [input, minOutput, maxOutput] : cases)
    {
        KelvanorCore::Clipper clipper;
        clipper.lastInput = input; // same side of zero: no crossing
        const double out = clipper.process (input, 1.0, 0.5, 0.006, 0.1);
        EXPECT_GE (out, minOutput) << input;
        EXPECT_LE (out, maxOutput) << input;
    }
}

TEST (KelvanorCoreClipper, ThresholdSinksWhileClippingAndRecoversAtZeroCrossing)
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

} // namespace
