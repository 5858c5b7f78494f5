#include "KelvanorCore.h"

#include "KelvanorMath.h"
#include "KelvanorSaturator.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <immintrin.h>
#include <numbers>
#include <type_traits>
#include <utility>

namespace
{
constexpr double eps = 1e-20;
constexpr double pi = std::numbers::pi;

// Lowest and highest rates accepted, Hz. Below 22050 Hz the k-scaled per-sample rates (glide up to 0.5 k,
// accent sweep up to 0.2 k^2) pass 1 and the voice diverges.
constexpr float minSampleRate = 22050.0f;
constexpr float maxSampleRate = 768000.0f;

constexpr double tunedRates[] = {44100.0, 48000.0, 88200.0, 96000.0, 192000.0};

// 1 - 2 / (exp (2 x) + 1) + 1e-20, that is tanh (x) + 1e-20, to within 2e-14: the pulse's ramp and the
// ladder's drive need no more.
template <class Arithmetic>
double tanhPlusEps (double x)
{
    return KelvanorSaturator::saturateStepsShort<Arithmetic> (x * (65000.0 / KelvanorSaturator::step)) + eps;
}

// Whether the processor has the fused multiply-add, known at load time; false (the plain build) until then.
const bool fusedArithmeticAvailable = []
{
    __builtin_cpu_init();
    return __builtin_cpu_supports ("avx2") && __builtin_cpu_supports ("fma");
}();

std::atomic<bool> fusedArithmeticChosen{fusedArithmeticAvailable};

// The tuned rate whose value the rate's whole part equals, else -1.
int tunedRateIndex (double rate)
{
    const auto whole = (double) (long) rate;
    for (int i = 0; i < 5; ++i)
        if (whole == tunedRates[i])
            return i;
    return -1;
}

// For any other rate: the tuned rate nearest on a log scale, whose resonance curve fits best.
int nearestRateIndex (double rate)
{
    int best = 0;
    for (int i = 1; i < 5; ++i)
        if (std::abs (std::log (rate / tunedRates[i])) < std::abs (std::log (rate / tunedRates[best])))
            best = i;
    return best;
}
} // namespace

//==============================================================================
KelvanorCore::KelvanorCore()
{
    noteStack.reserve (noteStackCapacity);
    resonanceTable = &KelvanorResonanceTable::forRateIndex (0);
    buildPitchTables (12.0);
    currentNotePeriod = notePeriod[36];

    // The per-sample rates and the values of the parameters that start at 0, as setSampleRate would set
    // them at 44100 Hz, so that a render before the owner's set-up stays finite. The distortion values
    // (preamp to wetness) keep their own defaults.
    recomputeRateScaledValues();
    for (const int id :
         {tuningId, slideTimeId, cutoffId, envAttackId, envDecayId, accentDecayId, envAccentId, mainVolumeId})
        deriveFromRawValue (id, Powers::doublePrecision);
    refreshSmoothingTargets();
}

KelvanorCore::~KelvanorCore() = default;

void KelvanorCore::presetChanged()
{
    for (auto& filter : distortionFilters)
        filter.clear();
}

//==============================================================================
void KelvanorCore::noteOn (int note, float velocity)
{
    if (note < 0 || note > 127)
        return;

    velocity = std::isnan (velocity) ? 0.0f : std::clamp (velocity, 0.0f, 1.0f);

    // A host that never sends note-offs must not grow the stack on the audio thread.
    if (noteStack.size() >= (std::size_t) noteStackCapacity)
        noteStack.erase (noteStack.begin());

    noteStack.push_back ({note, velocity});
    heldNoteCount = (int) noteStack.size();
    currentNotePeriod = notePeriod[(std::size_t) note];

    const bool accented = velocity >= accentThreshold;

    if (heldNoteCount == 1)
    {
        gateLevel = 1.0;
        attackPhaseDone = 0;
        envelopeLevel = 1.0;
        glidingPeriod = smoothedValues[smoothedTuningRatio] * currentNotePeriod;
        accentFlag = accented ? 1 : 0;
    }
    else if (accented)
    {
        accentFlag = 1;
    }
}

void KelvanorCore::noteOff (int note)
{
    const auto found = std::find_if (noteStack.begin(), noteStack.end(),
                                     [note] (const NoteEntry& e) { return e.note == note; });
    if (found == noteStack.end())
        return;

    noteStack.erase (found);
    heldNoteCount = (int) noteStack.size();

    if (heldNoteCount > 0)
        currentNotePeriod = notePeriod[(std::size_t) noteStack.back().note];
    else
        gateLevel = 0.0;
}

void KelvanorCore::clearNotes()
{
    noteStack.clear();
    heldNoteCount = 0;
    accentFlag = 0;
    gateLevel = 0.0;
}

//==============================================================================
void KelvanorCore::buildPitchTables (double divisionsPerOctave)
{
    if (!(divisionsPerOctave >= 1.0 && divisionsPerOctave <= 1000.0))
        return;

    const double ratio = std::pow (2.0, 1.0 / divisionsPerOctave);

    // Stepping from note -3 keeps every tuning on the same 6.875 Hz root; at 12 divisions note 69 is 440 Hz.
    double frequency = 6.875;
    for (int index = -3; index < 128; ++index)
    {
        if (index >= 0)
            noteFrequency[(std::size_t) index] = frequency;
        frequency *= ratio;
    }

    rebuildPeriods();
}

void KelvanorCore::rebuildPeriods()
{
    // A tuned rate counts at its nominal value, which its whole part selected.
    const double rate = tunedRateIndex (sampleRate) >= 0 ? tunedRates[rateIndex] : sampleRate;

    for (std::size_t n = 0; n < notePeriod.size(); ++n)
        notePeriod[n] = rate / noteFrequency[n];
}

//==============================================================================
void KelvanorCore::setSampleRate (float newRate)
{
    if (!std::isfinite (newRate) || newRate <= 0.0f)
        return;

    sampleRate = std::clamp (newRate, minSampleRate, maxSampleRate);

    const int tuned = tunedRateIndex (sampleRate);
    rateIndex = tuned >= 0 ? tuned : nearestRateIndex (sampleRate);
    resonanceTable = &KelvanorResonanceTable::forRateIndex (rateIndex);
    rebuildPeriods();

    recomputeRateScaledValues();
    for (const int id :
         {slideTimeId, cutoffId, envAttackId, envDecayId, accentDecayId, envAccentId, distortionPreampId,
          distortionSizeId, distortionDensityId, distortionClipId, distortionWetnessId, mainVolumeId})
        deriveFromRawValue (id, Powers::doublePrecision);

    updateDistortionFilters();
    refreshSmoothingTargets();
}

void KelvanorCore::recomputeRateScaledValues()
{
    rateRatio = (float) sampleRate * (1.0f / 44100.0f);
    k = 44100.0 / sampleRate;
    nyquist = (double) rateRatio * 44100.0 * 0.5;
    inverseDoubleRate = 1.0 / (2.0 * sampleRate);
    smoothingCoefficient = 0.001 * k;
    vcaSlew = 0.2 * k;
    highPassCoefficient = 0.002 * k;
    accentSmoothingBase = 0.0009791344125 * k;

    gateDecayFactor = 1.0 - 3.4327e-5 * k + eps;
    vcaOpenRate = 0.100388 * k;
    vcaCloseRate = 0.0099724121094 * k;
    boostRate = 0.010388 * k;
    accentFollowRate = 0.03 * k;
    sweepFastRate = 0.2 * k;
    sweepSlowRate = 0.0002 * k;
    clipperRateA = 0.006 * k;
    clipperRateB = 0.1 * k;
    pulseShape.period = std::numeric_limits<double>::quiet_NaN(); // its width depends on k
}

//==============================================================================
void KelvanorCore::setParameter (int index, float value)
{
    if (index < 0 || index >= numParameters || !std::isfinite (value))
        return;

    value = std::clamp (value, 0.0f, 1.0f);

    // Switches compare the single-precision value with one half.
    switch (index)
    {
        case waveformId: squareWave = value <= 0.5f ? 1 : 0; break;
        case accentModeId:
            accentMode = value > 0.5f ? 1 : 0;
            deriveFromRawValue (envAccentId, Powers::singlePrecision);
            break;
        case sweepModeId: sweepMode = value > 0.5f ? 1 : 0; break;
        case distortionStateId: distortionOn = value > 0.5f ? 1 : 0; break;
        case distortionRouteId: routePost = value <= 0.5f ? 1 : 0; break;
        default:
            raw[(std::size_t) index] = (double) value;
            deriveFromRawValue (index, Powers::singlePrecision);

            if (index == distortionSizeId || index == distortionDensityId || index == distortionWetnessId)
                updateDistortionFilters();
            break;
    }

    refreshSmoothingTargets();
}

void KelvanorCore::refreshSmoothingTargets()
{
    smoothingSettled = false;
    smoothingTargets[smoothedEnvModDepth] = envModDepth;
    smoothingTargets[smoothedEnvAccent] = raw[envAccentId];
    smoothingTargets[smoothedCutoff] = cutoffTarget;
    smoothingTargets[smoothedAccentAmount] = accentAmount;
    smoothingTargets[smoothedResonanceAmount] = resonanceAmount;
    smoothingTargets[smoothedTuningRatio] = tuningRatio;
    smoothingTargets[smoothedPreampGain] = preampGain;
    smoothingTargets[smoothedClip] = clip;
    smoothingTargets[smoothedBrightness] = raw[distortionBrightnessId];
    smoothingTargets[smoothedResonance] = raw[resonanceId];
    smoothingTargets[smoothedVolume] = volume;
}

void KelvanorCore::deriveFromRawValue (int index, Powers powers)
{
    const double v = raw[(std::size_t) index];
    const auto single = (float) v; // exact: raw values arrive in single precision

    // Parameters set the cubes and the square in single precision, a new sample rate in double.
    const auto cube = [&]
    { return powers == Powers::singlePrecision ? (double) (single * single * single) : v * v * v; };
    const auto square = [&]
    { return powers == Powers::singlePrecision ? (double) (single * single) : v * v; };

    // 1 - v in single precision.
    const auto decay = [&] { return ((double) (1.0f - single) * 0.000224408 + 2.93786848e-5) * k; };

    switch (index)
    {
        case tuningId: tuningRatio = std::pow (2.0, (1.0 - v - 0.5) * 48.0 / 12.0); break;
        case slideTimeId: glideCoefficient = (1.0 - std::pow (v, 0.003) * 0.9999) * 0.5 * k; break;
        case cutoffId:
        case resonanceId:
        case envModId: recomputeCutoffTarget(); break;
        case envAttackId:
            attackCoefficient = ((1.0 - std::pow (v, 0.00625)) * 0.414408 + 2.93786848e-5) * k;
            break;
        case envDecayId: normalDecayCoefficient = decay(); break;
        case accentDecayId: accentDecayCoefficient = decay(); break;
        case envAccentId:
        case accentVolumeId: accentAmount = accentMode != 0 ? raw[envAccentId] : raw[accentVolumeId]; break;
        case distortionPreampId: preampGain = cube() * 39.0 + 1.0; break;
        case distortionSizeId: distortionSize = v; break;
        case distortionDensityId: densityOffset = v * 0.5 - 0.25; break;
        case distortionClipId: clip = cube() * 0.999 + 0.001; break;
        case distortionWetnessId: dampingLimit = (1.0 - std::pow (v * 0.75, 0.25)) * 2.0; break;
        case mainVolumeId: volume = square() * 4.0; break;
        default: break; // sweep time, step length and brightness are used as they are
    }
}

void KelvanorCore::recomputeCutoffTarget()
{
    const double cutoff = raw[cutoffId];
    const double w = (cutoff * 0.5 + 0.5) * cutoff * (cutoff * 0.3 + 0.7);
    cutoffOffset = w * 0.17 + 0.368;

    const double resonance = raw[resonanceId];
    resonanceAmount = std::min ((resonance * 0.45 + 0.55) * resonance, 1.0);

    const double envMod = raw[envModId];
    const double h = (envMod + 1.0) / 2.0;
    const double e = h * h * h * h * envMod * (envMod * 0.1 + 0.9);
    envModDepth = e * 0.238 + 0.06;
    envModOffset = (1.0 - e) * 0.0712 + 0.2448;

    cutoffTarget = cutoffOffset + envModOffset - (1.0 - resonanceAmount) * 0.04;
}

void KelvanorCore::setAccentThreshold (float threshold)
{
    if (!std::isnan (threshold))
        accentThreshold = threshold;
}

void KelvanorCore::updateDistortionFilters()
{
    // Pitches in semitones above 1 Hz: the low-pass and high-pass sit the density offset either side of
    // the band-pass.
    const double pitches[] = {(distortionSize + densityOffset) * 199.5451563 + 0.21484375,
                              distortionSize * 199.5451563 + 0.21484375,
                              (distortionSize - densityOffset) * 199.5451563 + 0.21484375};

    for (std::size_t i = 0; i < distortionFilters.size(); ++i)
    {
        const double w = std::min (std::pow (2.0, pitches[i] / 12.0) / nyquist, 0.25);
        const double f = 2.0 * std::sin (pi * w);
        distortionFilters[i].frequency = f;
        // Below 2 / F - F / 2 the filter stays stable.
        distortionFilters[i].damping = std::min ({2.0 / f - f / 2.0, 2.0, dampingLimit});
    }
}

//==============================================================================
double KelvanorCore::getRawValue (int index) const
{
    if (index < 0 || index >= numParameters)
        return 0.0;
    return raw[(std::size_t) index];
}

double KelvanorCore::getNoteFrequency (int note) const
{
    return note >= 0 && note < 128 ? noteFrequency[(std::size_t) note] : 0.0;
}

double KelvanorCore::getNotePeriod (int note) const
{
    return note >= 0 && note < 128 ? notePeriod[(std::size_t) note] : 0.0;
}

//==============================================================================
void KelvanorCore::renderSample (double* out)
{
    double sample = 0.0;
    renderSamples (&sample, 1);
    if (out != nullptr)
        *out = sample;
}

void KelvanorCore::renderSamples (double* out, int numSamples)
{
    if (numSamples <= 0)
        return;

    if (fusedArithmeticChosen.load (std::memory_order_relaxed))
        renderRunForSwitches<KelvanorFusedArithmetic> (out, numSamples);
    else
        renderRunForSwitches<KelvanorPlainArithmetic> (out, numSamples);
}

// The render is compiled twice: for processors with FMA, whose multiply-adds in the oscillator, the filter
// and the distortion then round once, and for all others. The two differ only in rounding. The parameter
// smoothing, glide, envelope and VCA are written without multiply-adds and round as written in both: they
// take decisions (the harmonic count as the period sweeps, the end of the attack, the filter's clearing)
// that a difference in the last bit could move by a sample.
// Flattened: every call in them is inlined, so that the multiply-adds of the helpers, the lambdas and the
// saturator are compiled for the build's processors too (an out-of-line copy would be compiled for all
// processors, and its std::fma would be a slow library call).
template <bool square, KelvanorCore::Route route>
__attribute__ ((target ("avx2,fma"), flatten, noinline)) void KelvanorCore::renderRunFused (double* out,
                                                                                            int numSamples)
{
    renderRun<KelvanorFusedArithmetic, square, route> (out, numSamples);
}

template <bool square, KelvanorCore::Route route>
__attribute__ ((flatten, noinline)) void KelvanorCore::renderRunPlain (double* out, int numSamples)
{
    renderRun<KelvanorPlainArithmetic, square, route> (out, numSamples);
}

bool KelvanorCore::usesFusedArithmetic()
{
    return fusedArithmeticChosen.load (std::memory_order_relaxed);
}

void KelvanorCore::useFusedArithmetic (bool fused)
{
    fusedArithmeticChosen.store (fused && fusedArithmeticAvailable, std::memory_order_relaxed);
}

template <class Arithmetic>
void KelvanorCore::renderRunForSwitches (double* out, int numSamples)
{
    // Each of the six renders is compiled on its own: flattened into one function they were not inlined
    // whole.
    constexpr bool fused = std::is_same_v<Arithmetic, KelvanorFusedArithmetic>;
    const auto run = [&]<bool square, Route route>
    {
        if constexpr (fused)
            renderRunFused<square, route> (out, numSamples);
        else
            renderRunPlain<square, route> (out, numSamples);
    };
    const auto runRoute = [&]<bool square>
    {
        if (distortionOn == 0)
            run.template operator()<square, Route::none>();
        else if (routePost == 1)
            run.template operator()<square, Route::post>();
        else
            run.template operator()<square, Route::pre>();
    };
    if (squareWave == 0)
        runRoute.template operator()<false>();
    else
        runRoute.template operator()<true>();
}

template <class Arithmetic, bool square, KelvanorCore::Route route>
inline void KelvanorCore::renderRun (double* __restrict out, int numSamples)
{
    using Saturated = KelvanorSaturator::Saturated;
    constexpr Arithmetic madd{};
    constexpr double rowShift = KelvanorSaturator::rowShift;

    // The filter's state lives in registers through the run. The ladder and the chain count in steps of the
    // saturator's table (v / 1024, an exact scaling of the 65000-scaled signal).
    auto stage = ladder;
    auto saturated = ladderSaturated;
    auto sChain = chain;
    auto half = chainHalf;
    double in0 = stage1Before;
    double previousOut = previousLadderOut;
    LadderCarry carry = ladderCarry;
    constexpr bool bankedFilters =
        std::is_base_of_v<KelvanorFusedArithmetic, Arithmetic> && route != Route::none;
    FilterBank filterBank;
    if constexpr (bankedFilters)
        loadFilterBank (filterBank);

    // The ladder's eight tanh in a row bound the speed; everything else is independent of them. So the
    // samples overlap: while the ladder of one sample runs, steps 1 to 7 of the sample after the next are
    // computed in the gaps between its stages (their own chain of dependent steps is about as long as the
    // ladder's), along with this sample's output. Three slots take turns: this sample's, the next one's
    // and the one being prepared.
    //
    // With distortion, a sample's clipper and filters wait for the next sample's ladder: their own chain of
    // dependent steps, added to the voice's at the end of the ladder, kept the processor from reaching the
    // next sample's work in time. So a fourth slot keeps the sample before, whose values they read.
    std::array<Preparation, 4> preparations;
    Preparation* previous = &preparations[3];
    Preparation* current = &preparations[0];
    Preparation* following = &preparations[1];
    Preparation* ahead = &preparations[2];
    double pendingVoice = 0.0; // the sample before's voice, not yet through the distortion
    bool pending = false;

    for (std::size_t part = 0; part < numPreparationParts; ++part)
        preparePart<Arithmetic, square, route> (part, *current);
    if (numSamples > 1)
        for (std::size_t part = 0; part < numPreparationParts; ++part)
            preparePart<Arithmetic, square, route> (part, *following);

    for (int i = 0; i < numSamples; ++i)
    {
        const Prepared& now = current->prepared;

        // 6. Below -84 dB the filter is silenced outright, so a released note leaves no ringing state behind.
        if (now.clearFilter)
        {
            stage = {};
            saturated = {}; // tanh (0)
            previousOut = 0.0;
            sChain = {};
            half = {};
            carry = {};
        }

        const double fc = now.filter.fc;
        in0 = stage[0];

        // This sample's output needs only the chain's half step, taken from the chain's old values and the
        // first stage's old output, so the first pass of step 9 and steps 10 to 12 may run along with the
        // ladder, with this sample's smoothed values, kept when it was prepared.
        const auto renderOutput = [&]
        {
            // 9. Six-pole chain at twice the rate, first pass: the half step from the old values.
            half[0] = madd (in0 - sChain[0], fc, sChain[0]);
#pragma GCC unroll 8
            for (std::size_t j = 1; j < 6; ++j)
                half[j] = madd (sChain[j - 1] - sChain[j], fc, sChain[j]);

            // 10. to 12. Coupling high-pass and the output, with or without distortion
            // The step is a power of two: joined with the 1.5e-6, the product comes out the same.
            const double voice = renderCouplingHighPass<Arithmetic> (
                half[5] * now.vcaLevel * (KelvanorSaturator::step * 1.5e-6), now.smoothed[smoothedResonance]);
            if constexpr (route == Route::none)
                out[i] = voice * now.smoothed[smoothedVolume];
            else
                pendingVoice = voice;
        };

        // The distortion of the sample before, in the same order as the samples, so its state runs alike.
        const auto distortPending = [&]
        {
            if constexpr (route != Route::none)
                if (pending)
                {
                    out[i - 1] = renderDistortion<Arithmetic, route> (
                        pendingVoice, previous->prepared.smoothed, filterBank);
                    pending = false;
                }
        };

        // 8. Ladder, two passes with the same input, in steps. Each stage's update keeps the part known early
        // (held: the stage less its own tanh times the gain) apart, so that one multiply-add follows the tanh
        // it waits for. The input of each pass, D I - 4 K F with F the mean of the last stage's two latest
        // values, is regrouped likewise around the third stage's tanh, the last stage's being held + that
        // tanh x gain.
        //
        // The next tanh's table row comes from the same multiply-add with the rounding shift added to the
        // early part and the tanh's estimate in place of its value, which is known 8 cycles sooner and
        // lands within a hundredth of a step of the same place; the value then only places the new stage
        // within its row. So a stage waits for a multiply-add and the polynomial, not the table read too.
        const double gain = fc * (65000.0 / KelvanorSaturator::step);
        const double k2 = now.filter.feedbackGain * 2.0;

        // x = factor x scale + addend, and tanh (x).
        const auto multiplyAddSaturate = [&] (Saturated factor, double scale, double addend, double& x)
        {
            x = madd (factor.value, scale, addend);
            const double rounded = madd (factor.estimate, scale, addend + rowShift);
            const double h = madd (factor.value, scale, addend - (rounded - rowShift));
            return KelvanorSaturator::saturateNear<Arithmetic> (x, rounded, h);
        };

        // The same for a pass's input, which may lie far outside the table, or be NaN, when the oscillator
        // runs wild.
        const auto passInput = [&] (Saturated third, double thirdGain, double held, double lastBefore)
        {
            double u = 0.0;
            const Saturated result = multiplyAddSaturate (third, -k2 * thirdGain,
                                                          madd (-k2, held + lastBefore, now.drivenInput), u);
            if (!(std::abs (u) <= 1.0e6)) [[unlikely]]
            {
                const double value = KelvanorSaturator::saturateSteps<Arithmetic> (u);
                return Saturated{value, value};
            }
            return result;
        };

        const auto runLadder = [&] (auto&& between)
        {
            double held[4];

            // Pass 1, from the previous sample's last update: its feedback, F = (stage 4 + its value before).
            Saturated input = passInput (carry.third, carry.gain, carry.held, carry.previous);

            // The stage loops stay loops: each part of the other samples' work then keeps its own place
            // between two stages. Unrolled, the compiler mixes the parts and the stages, and the overlap
            // suffers (8 % slower on the machine it was measured on).
#pragma GCC unroll 1
            for (std::size_t j = 0; j < 3; ++j)
            {
                held[j] = madd (-saturated[j], gain, stage[j]);
                between (j);
                input = multiplyAddSaturate (input, gain, held[j], stage[j]);
                saturated[j] = input.value;
            }

            held[3] = madd (-saturated[3], gain, stage[3]);
            const Saturated secondInput = passInput (input, gain, held[3], previousOut);
            between (3);
            saturated[3] = multiplyAddSaturate (input, gain, held[3], stage[3]).value;
            carry.previous = stage[3];

            // Pass 2
            input = secondInput;
#pragma GCC unroll 1
            for (std::size_t j = 0; j < 3; ++j)
            {
                held[j] = madd (-saturated[j], gain, stage[j]);
                between (4 + j);
                input = multiplyAddSaturate (input, gain, held[j], stage[j]);
                saturated[j] = input.value;
            }

            held[3] = madd (-saturated[3], gain, stage[3]);
            between (7);
            saturated[3] = multiplyAddSaturate (input, gain, held[3], stage[3]).value;
            previousOut = stage[3];
            carry.third = input;
            carry.held = held[3];
            carry.gain = gain;
        };

        // Without distortion the output's own chain is short and goes early, in the gap after the third
        // stage (2 % faster on the machine it was measured on); with it, the output goes late, and its
        // distortion during the next sample's second stage.
        constexpr std::size_t outputStage = route == Route::none ? 3 : 6;
        if (i + 2 < numSamples)
        {
            // Steps 1 to 7 of the sample after the next, and this sample's output, before the ladder's
            // stages: first the parts on the way to that sample's ladder, the VCA last.
            runLadder (
                [&] (std::size_t stageOfLadder)
                {
                    switch (stageOfLadder)
                    {
                        case 0: preparePart<Arithmetic, square, route> (0, *ahead); break;
                        case 1: distortPending(); break;
                        case 2: preparePart<Arithmetic, square, route> (1, *ahead); break;
                        case 4: preparePart<Arithmetic, square, route> (2, *ahead); break;
                        case 5: preparePart<Arithmetic, square, route> (3, *ahead); break;
                        case 7: preparePart<Arithmetic, square, route> (4, *ahead); break;
                        default:
                            if (stageOfLadder == outputStage)
                                renderOutput();
                            break;
                    }
                });
            pending = route != Route::none;
        }
        else
        {
            distortPending();
            renderOutput();
            if constexpr (route != Route::none)
                out[i] = renderDistortion<Arithmetic, route> (pendingVoice, now.smoothed, filterBank);
            runLadder ([] (std::size_t) {});
        }

        // 9, second pass: the full step through the new values, driven by the first stage's new output.
        sChain[0] = madd (stage[0] - half[0], fc, half[0]);
#pragma GCC unroll 8
        for (std::size_t j = 1; j < 6; ++j)
            sChain[j] = madd (sChain[j - 1] - half[j], fc, half[j]);

        Preparation* const done = previous;
        previous = current;
        current = following;
        following = ahead;
        ahead = done;
    }

    ladder = stage;
    ladderSaturated = saturated;
    previousLadderOut = previousOut;
    ladderCarry = carry;
    chain = sChain;
    chainHalf = half;
    stage1Before = in0;
    if constexpr (bankedFilters)
        storeFilterBank (filterBank);
}

void KelvanorCore::loadFilterBank (FilterBank& bank) const
{
    for (std::size_t j = 0; j < 4; ++j)
    {
        const auto& filter = distortionFilters[std::min (j, distortionFilters.size() - 1)];
        bank.frequency[j] = filter.frequency;
        bank.negativeDamping[j] = -filter.damping;
        bank.input[j] = filter.input;
        bank.low[j] = filter.low;
        bank.high[j] = filter.high;
        bank.band[j] = filter.band;
        bank.output[j] = filter.output;
    }
}

void KelvanorCore::storeFilterBank (const FilterBank& bank)
{
    for (std::size_t j = 0; j < distortionFilters.size(); ++j)
    {
        auto& filter = distortionFilters[j];
        filter.input = bank.input[j];
        filter.low = bank.low[j];
        filter.high = bank.high[j];
        filter.band = bank.band[j];
        filter.output = bank.output[j];
    }
}

// Not forced inline: compiled for FMA processors, it is inlined where the fused render is flattened.
__attribute__ ((target ("avx2,fma"))) double KelvanorCore::filterBankWet (FilterBank& bank, double dry)
{
    const __m256d z = _mm256_set1_pd (dry), guard = _mm256_set1_pd (denormalGuard);
    const __m256d frequency = _mm256_load_pd (bank.frequency);
    const __m256d negativeDamping = _mm256_load_pd (bank.negativeDamping);
    __m256d input{}, high{}, low = _mm256_load_pd (bank.low), band = _mm256_load_pd (bank.band);
    __m256d sum = _mm256_setzero_pd();
    for (int pass = 0; pass < 2; ++pass)
    {
        input = _mm256_add_pd (_mm256_fmadd_pd (negativeDamping, band, z), guard);
        low = _mm256_add_pd (_mm256_fmadd_pd (frequency, band, low), guard);
        high = _mm256_add_pd (_mm256_sub_pd (input, low), guard);
        band = _mm256_add_pd (_mm256_fmadd_pd (frequency, high, band), guard);
        // The low-pass's low tap, the band-pass's band tap and the high-pass's high tap.
        sum = _mm256_add_pd (sum, _mm256_blend_pd (_mm256_blend_pd (low, band, 0b0010), high, 0b0100));
    }
    const __m256d output = _mm256_mul_pd (_mm256_set1_pd (0.5), sum);
    _mm256_store_pd (bank.input, input);
    _mm256_store_pd (bank.low, low);
    _mm256_store_pd (bank.high, high);
    _mm256_store_pd (bank.band, band);
    _mm256_store_pd (bank.output, output);
    return bank.output[0] + bank.output[1] + bank.output[2];
}

template <class Arithmetic, bool square, KelvanorCore::Route route>
inline void KelvanorCore::preparePart (std::size_t part, Preparation& preparation)
{
    auto& prepared = preparation.prepared;

    switch (part)
    {
        case 0: // 1. to 4.
            preparation.controls = renderControls();
            if constexpr (route == Route::none)
                for (const auto j : {smoothedResonance, smoothedVolume})
                    prepared.smoothed[j] = smoothedValues[j];
            else
                prepared.smoothed = smoothedValues;
            break;
        case 1: // 5., the first half
            preparation.impulse = renderImpulse<Arithmetic>();
            break;
        case 2: // 7., which is independent of 5. and 6.
            prepared.filter = computeFilterControl<Arithmetic> (preparation.controls.cutoffControl);
            break;
        case 3: // 5., the second half
            // The scalings by 0.5 and by 1 / step are exact, so they join the 1e6 without changing a bit.
            prepared.drivenInput =
                prepared.filter.drive * (renderOscillator<Arithmetic, square> (preparation.impulse) *
                                         (0.5e6 / KelvanorSaturator::step));
            break;
        default: // 6.
            prepared.clearFilter = renderVca (preparation.controls.envelope);
            prepared.vcaLevel = vcaLevel;
            break;
    }
}

inline KelvanorCore::Controls KelvanorCore::renderControls()
{
    // 1. Parameter smoothing, all eleven values alike. The values settle where a pass leaves each of them as
    // it was; every further pass would too, until a target or the rate changes.
    if (!smoothingSettled)
    {
        SmoothedValues next;
        for (std::size_t j = 0; j < smoothedValues.size(); ++j)
            next[j] =
                smoothedValues[j] - (smoothedValues[j] - smoothingTargets[j]) * smoothingCoefficient + eps;
        smoothingSettled = next == smoothedValues; // never while one is NaN
        smoothedValues = next;
    }

    // 2. Glide and cycle counter. A held note's period settles too; what is divided by it is kept.
    const double targetPeriod = smoothedValues[smoothedTuningRatio] * currentNotePeriod;
    glidingPeriod = glidingPeriod - (glidingPeriod - targetPeriod) * glideCoefficient;
    if (!(glidingPeriod == periodDivided.period)) // also NaN
    {
        periodDivided.period = glidingPeriod;
        periodDivided.cycleIncrement = 80.0 / glidingPeriod;
        periodDivided.inverse = 1.0 / glidingPeriod;
        periodDivided.phaseStep = pi / glidingPeriod;
        // The period is positive, so truncation is the floor.
        periodDivided.harmonics = 2 * (int) (glidingPeriod / 2.0) + 1;
    }
    cycleIncrement = periodDivided.cycleIncrement;
    cycleCounter += cycleIncrement;
    if (cycleCounter >= 80.0)
        cycleCounter -= 80.0;

    // 3. Envelope
    Controls controls;
    if (attackPhaseDone == 1)
    {
        const double decay = accentFlag == 1 ? accentDecayCoefficient : normalDecayCoefficient;
        envelopeLevel = envelopeLevel - decay * envelopeLevel + eps;
        controls.envelope = envelopeLevel;
    }
    else
    {
        envelopeLevel = envelopeLevel - envelopeLevel * attackCoefficient + eps;
        controls.envelope = 1.0 - envelopeLevel;
        if (envelopeLevel < 0.001)
        {
            attackPhaseDone = 1;
            envelopeLevel = 1.0;
        }
    }

    const double envMod = controls.envelope * smoothedValues[smoothedEnvModDepth];
    const double accentTarget = accentFlag == 1 ? controls.envelope : 0.0;

    // 4. Accent sweep; the third stage's rate already holds k and is scaled by k again (k squared).
    accent1 = accent1 - (accent1 - accentTarget) * accentFollowRate + eps;
    accentRate = accent1 > 0.3 ? sweepFastRate : sweepSlowRate;
    accent2 = accent2 - (accent2 - accent1) * accentSmoothingBase + eps;
    const double resonance = smoothedValues[smoothedResonance];
    const double sweep = sweepMode == 1 ? resonance * resonance * resonance : raw[sweepTimeId];
    const double sweepMix = (1.0 - sweep) * accent1 + sweep * accent2;
    accent3 = accent3 - (accent3 - sweepMix) * accentRate * k + eps;
    controls.cutoffControl =
        envMod + smoothedValues[smoothedCutoff] + (smoothedValues[smoothedEnvAccent] * 0.13) * accent3;
    return controls;
}

template <class Arithmetic>
inline double KelvanorCore::renderImpulse()
{
    const auto sine = [] (double x) { return KelvanorMath::sine<Arithmetic> (x); };

    // Band-limited impulse trains: sin (N x) / (N sin x) peaks once per half turn of x, with N odd so
    // the harmonics stop below Nyquist.

    harmonics = periodDivided.harmonics;
    const auto n = (double) harmonics;
    const double s = sine (phase1);
    return s == 0.0 ? 1.0 : sine (n * phase1) / (n * s);
}

template <class Arithmetic, bool square>
inline double KelvanorCore::renderOscillator (double impulse1)
{
    constexpr Arithmetic madd{};
    const auto sine = [] (double x) { return KelvanorMath::sine<Arithmetic> (x); };

    const double period = glidingPeriod;
    const double inversePeriod = periodDivided.inverse;
    const auto n = (double) harmonics;
    previousRamp = ramp;

    double y;
    if constexpr (!square)
    {
        ramp = (cycleCounter - 40.0) * -0.025;
        y = integrator - inversePeriod + impulse1;
        integrator = 0.99 * y;
        oscillatorOutput = 0.99 * y * (-0.108 * 2.0); // the same product: doubling is exact
    }
    else
    {
        // Pulse width in counter units (80 per period), narrowing for low notes. The reciprocals differ
        // from the divisions only in rounding.
        constexpr bool fused = std::is_base_of_v<KelvanorFusedArithmetic, Arithmetic>;
        if (!(pulseShape.period == period && pulseShape.fused == fused)) // also NaN
        {
            pulseShape.period = period;
            pulseShape.fused = fused;
            pulseShape.width = madd (madd (std::sqrt (period * k), 1.0 / 26.0, -1.0), -0.19, 0.49) * 80.0;
            pulseShape.g = std::min (period * 0.005, 1.0);
            pulseShape.oneLessG = 1.0 - pulseShape.g;
        }
        const double width = pulseShape.width;
        const double shifted = madd (width, -(pi / 80.0), phase2);
        const double s2 = sine (shifted);
        const double impulse2 = s2 == 0.0 ? 1.0 : sine (n * shifted) / (n * s2);

        if (cycleCounter < 4.0)
            ramp = -1.0;
        else if (cycleCounter > 56.0)
            ramp = 1.0;
        else
            ramp = tanhPlusEps<Arithmetic> (cycleCounter - width);

        const double delta = std::max (ramp - previousRamp, 0.0);
        y = madd (1.1, impulse1, -madd (pulseShape.g, delta, pulseShape.oneLessG * impulse2)) + integrator;
        integrator = 0.99 * y;
        oscillatorOutput = 0.99 * y * -0.108 * 0.8;
    }

    const double step = periodDivided.phaseStep;
    phase1 += step;
    if (phase1 >= pi)
        phase1 -= pi;
    phase2 += step;
    if (phase2 >= pi)
        phase2 -= pi;

    return oscillatorOutput;
}

inline bool KelvanorCore::renderVca (double envelope)
{
    // The gate level fades while a note is held and would sink into the denormal numbers after some
    // minutes (and stay there), which the processor handles slowly. That is long after the VCA has closed:
    // below 1e-300 its value changes nothing (the follower, at least 1e-20, absorbs it whole), only its
    // being non-zero counts, so it rests at 1e-300 instead.
    gateLevel = std::max (gateLevel * gateDecayFactor, gateLevel > 0.0 ? 1e-300 : 0.0);
    vcaFollower =
        vcaFollower - (vcaFollower - gateLevel) * (gateLevel != 0.0 ? vcaOpenRate : vcaCloseRate) + eps;
    const double boostTarget = accentFlag == 1 ? envelope * 2.4 * accentAmount : 0.0;
    accentBoost = accentBoost - (accentBoost - boostTarget) * boostRate + eps;
    const double vcaTarget =
        vcaLevel < 0.0 ? 0.0 : accentBoost * smoothedValues[smoothedAccentAmount] + vcaFollower;
    vcaLevel = vcaLevel - (vcaLevel - vcaTarget) * vcaSlew + eps;
    return vcaLevel < 6.103515625e-5;
}

template <class Arithmetic>
inline KelvanorCore::FilterControl KelvanorCore::computeFilterControl (double cutoffControl)
{
    constexpr Arithmetic madd{};

    // The multiplications by 1 / 12.9 and by 1 / (2 x rate) differ from the divisions only in rounding.
    // The limits also catch NaN, which would otherwise reach the ladder's table rows.
    FilterControl control;
    const double unlimited =
        KelvanorMath::exp2<Arithmetic> (madd (cutoffControl, 199.5451563, 0.21484375) * (1.0 / 12.9)) *
        inverseDoubleRate;
    const double fc = unlimited > 0.0001 ? (unlimited < 0.999 ? unlimited : 0.999) : 0.0001;
    const double fr = fc * (double) rateRatio;
    const double resonance = smoothedValues[smoothedResonanceAmount];

    control.fc = fc;
    control.drive = 1.0;
    if (fr <= 0.1)
        control.drive = madd (tanhPlusEps<Arithmetic> ((fr - 0.03) * 57.15), 0.4, 0.6);
    if (fr > 0.5)
        control.drive = madd (
            resonance, madd (fc * -1.9054747558462681, fr, madd (fr, 1.859060694772269, 0.5800303216175069)),
            1.0 - resonance);

    control.feedbackGain = resonanceTable->lookup<Arithmetic> (fr, resonanceSegment) * resonance * 2.0;
    return control;
}

template <class Arithmetic>
inline double KelvanorCore::renderCouplingHighPass (double y, double r)
{
    constexpr Arithmetic madd{};
    const double hp = highPassCoefficient;
    highPass[0] = madd (y - highPass[0], hp, highPass[0]) + eps;
    highPass[1] = madd ((y - highPass[0]) - highPass[1], hp, highPass[1]) + eps;
    highPass[2] = madd (highPass[1] - highPass[2], hp, highPass[2]) + eps;
    highPass[3] = madd (highPass[2] - highPass[3], hp, highPass[3]) + eps;

    return madd (1.0 - r, highPass[3] - highPass[2],
                 madd (y - highPass[0], madd (0.3, r, 0.7), -highPass[1])) +
           eps;
}

template <class Arithmetic, KelvanorCore::Route route>
inline double KelvanorCore::renderDistortion (double voice, const SmoothedValues& smoothed, FilterBank& bank)
{
    using Tap = StateVariableFilter::Tap;
    const double brightness = smoothed[smoothedBrightness];
    const auto wetMix = [this, brightness, &bank] (double dry)
    {
        double wet;
        if constexpr (std::is_base_of_v<KelvanorFusedArithmetic, Arithmetic>)
            wet = filterBankWet (bank, dry);
        else
            wet = distortionFilters[0].process<Tap::low, Arithmetic> (dry) +
                  distortionFilters[1].process<Tap::band, Arithmetic> (dry) +
                  distortionFilters[2].process<Tap::high, Arithmetic> (dry);
        return Arithmetic{}(wet, brightness, (1.0 - brightness) * dry);
    };

    const double gain = smoothed[smoothedPreampGain], clipLevel = smoothed[smoothedClip];

    if constexpr (route == Route::post)
    {
        // The unsmoothed volume: in this route a volume change is heard on the next sample.
        return wetMix (clipper.process (voice, gain, clipLevel, clipperRateA, clipperRateB)) * volume;
    }

    return clipper.process (wetMix (voice), gain, clipLevel, clipperRateA, clipperRateB) *
           smoothed[smoothedVolume];
}
