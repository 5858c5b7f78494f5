#include "KelvanorCore.h"

#include "KelvanorMath.h"
#include "KelvanorSaturator.h"

#include <algorithm>
#include <numbers>

namespace
{
constexpr double eps = 1e-20;
constexpr double pi = std::numbers::pi;

// Lowest and highest rates accepted, Hz. Below 22050 Hz the k-scaled per-sample rates (glide up to 0.5 k,
// accent sweep up to 0.2 k^2) pass 1 and the voice diverges.
constexpr float minSampleRate = 22050.0f;
constexpr float maxSampleRate = 768000.0f;

constexpr double tunedRates[] = {44100.0, 48000.0, 88200.0, 96000.0, 192000.0};

void smooth (double& s, double target, double c)
{
    s = s - (s - target) * c + eps;
}

// tanh (v / 65000): the ladder's stages work on signals scaled by 65000. The 1e-20 that keeps other
// states off denormals is left out of the ladder, whose stage values are never that small.
double saturate (double v)
{
    return KelvanorSaturator::saturate (v);
}

// 1 - 2 / (exp (2 x) + 1) + 1e-20, that is tanh (x) + 1e-20.
double tanhPlusEps (double x)
{
    return KelvanorSaturator::saturate (x * 65000.0) + eps;
}

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
    // (ids 12 to 16) keep their own defaults.
    recomputeRateScaledValues();
    for (const int id : {0, 1, 2, 6, 7, 8, 9, 23})
        deriveFromRawValue (id, Powers::doublePrecision);
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
        glidingPeriod = smoothed.tuningRatio * currentNotePeriod;
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
    for (const int id : {1, 2, 6, 7, 8, 9, 12, 13, 14, 15, 16, 23})
        deriveFromRawValue (id, Powers::doublePrecision);

    updateDistortionFilters();
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
        case 18: squareWave = value <= 0.5f ? 1 : 0; return;
        case 19:
            accentMode = value > 0.5f ? 1 : 0;
            deriveFromRawValue (9, Powers::singlePrecision);
            return;
        case 20: sweepMode = value > 0.5f ? 1 : 0; return;
        case 21: distortionOn = value > 0.5f ? 1 : 0; return;
        case 22: routePost = value <= 0.5f ? 1 : 0; return;
        default: break;
    }

    raw[(std::size_t) index] = (double) value;
    deriveFromRawValue (index, Powers::singlePrecision);

    if (index == 13 || index == 14 || index == 16)
        updateDistortionFilters();
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
        case 0: tuningRatio = std::pow (2.0, (1.0 - v - 0.5) * 48.0 / 12.0); break;
        case 1: glideCoefficient = (1.0 - std::pow (v, 0.003) * 0.9999) * 0.5 * k; break;
        case 2:
        case 3:
        case 5: recomputeCutoffTarget(); break;
        case 6: attackCoefficient = ((1.0 - std::pow (v, 0.00625)) * 0.414408 + 2.93786848e-5) * k; break;
        case 7: normalDecayCoefficient = decay(); break;
        case 8: accentDecayCoefficient = decay(); break;
        case 9:
        case 10: accentAmount = accentMode != 0 ? raw[9] : raw[10]; break;
        case 12: preampGain = cube() * 39.0 + 1.0; break;
        case 13: distortionSize = v; break;
        case 14: densityOffset = v * 0.5 - 0.25; break;
        case 15: clip = cube() * 0.999 + 0.001; break;
        case 16: dampingLimit = (1.0 - std::pow (v * 0.75, 0.25)) * 2.0; break;
        case 23: volume = square() * 4.0; break;
        default: break; // 4, 11 and 17 are used as they are
    }
}

void KelvanorCore::recomputeCutoffTarget()
{
    const double cutoff = raw[2];
    const double w = (cutoff * 0.5 + 0.5) * cutoff * (cutoff * 0.3 + 0.7);
    cutoffOffset = w * 0.17 + 0.368;

    const double resonance = raw[3];
    resonanceAmount = std::min ((resonance * 0.45 + 0.55) * resonance, 1.0);

    const double envMod = raw[5];
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
    // 1. Parameter smoothing
    const double c = smoothingCoefficient;
    smooth (smoothed.envModDepth, envModDepth, c);
    smooth (smoothed.envAccent, raw[9], c);
    smooth (smoothed.cutoff, cutoffTarget, c);
    smooth (smoothed.accentAmount, accentAmount, c);
    smooth (smoothed.resonanceAmount, resonanceAmount, c);
    smooth (smoothed.tuningRatio, tuningRatio, c);
    smooth (smoothed.preampGain, preampGain, c);
    smooth (smoothed.clip, clip, c);
    smooth (smoothed.brightness, raw[17], c);
    smooth (smoothed.resonance, raw[3], c);
    smooth (smoothed.volume, volume, c);

    // 2. Glide and cycle counter
    const double targetPeriod = smoothed.tuningRatio * currentNotePeriod;
    glidingPeriod = glidingPeriod - (glidingPeriod - targetPeriod) * glideCoefficient;
    cycleIncrement = 80.0 / glidingPeriod;
    cycleCounter += cycleIncrement;
    if (cycleCounter >= 80.0)
        cycleCounter -= 80.0;

    // 3. Envelope
    double envelope;
    if (attackPhaseDone == 1)
    {
        const double decay = accentFlag == 1 ? accentDecayCoefficient : normalDecayCoefficient;
        envelopeLevel = envelopeLevel - decay * envelopeLevel + eps;
        envelope = envelopeLevel;
    }
    else
    {
        envelopeLevel = envelopeLevel - envelopeLevel * attackCoefficient + eps;
        envelope = 1.0 - envelopeLevel;
        if (envelopeLevel < 0.001)
        {
            attackPhaseDone = 1;
            envelopeLevel = 1.0;
        }
    }

    const double envMod = envelope * smoothed.envModDepth;
    const double accentTarget = accentFlag == 1 ? envelope : 0.0;

    // 4. Accent sweep; the third stage's rate already holds k and is scaled by k again (k squared).
    accent1 = accent1 - (accent1 - accentTarget) * accentFollowRate + eps;
    accentRate = accent1 > 0.3 ? sweepFastRate : sweepSlowRate;
    accent2 = accent2 - (accent2 - accent1) * accentSmoothingBase + eps;
    const double sweep =
        sweepMode == 1 ? smoothed.resonance * smoothed.resonance * smoothed.resonance : raw[4];
    const double sweepMix = (1.0 - sweep) * accent1 + sweep * accent2;
    accent3 = accent3 - (accent3 - sweepMix) * accentRate * k + eps;
    const double cutoffControl = envMod + smoothed.cutoff + (smoothed.envAccent * 0.13) * accent3;

    // 5. Oscillator
    const double oscillator = renderOscillator();

    // 6. VCA
    gateLevel = gateLevel * gateDecayFactor;
    vcaFollower =
        vcaFollower - (vcaFollower - gateLevel) * (gateLevel != 0.0 ? vcaOpenRate : vcaCloseRate) + eps;
    const double boostTarget = accentFlag == 1 ? envelope * 2.4 * accentAmount : 0.0;
    accentBoost = accentBoost - (accentBoost - boostTarget) * boostRate + eps;
    const double vcaTarget = vcaLevel < 0.0 ? 0.0 : accentBoost * smoothed.accentAmount + vcaFollower;
    vcaLevel = vcaLevel - (vcaLevel - vcaTarget) * vcaSlew + eps;

    // Below -84 dB the filter is silenced outright, so a released note leaves no ringing state behind.
    if (vcaLevel < 6.103515625e-5)
        clearFilter();

    // 7. Filter control
    const FilterControl control = computeFilterControl (cutoffControl);
    stage1Before = ladder[0];

    // This sample's output needs only the chain's half step, taken from the chain's old values and the
    // first stage's old output. So the first pass of step 9 and steps 10 to 12 come before the ladder;
    // the ladder and the chain's full step, which prepare the next sample, come last, where the processor
    // can overlap their long dependent chain with the next sample's start. The arithmetic is unchanged.

    // 9. Six-pole chain at twice the rate, first pass: the half step from the old values.
    chainHalf[0] = chain[0] + (stage1Before - chain[0]) * control.fc;
    for (std::size_t i = 1; i < 6; ++i)
        chainHalf[i] = chain[i] + (chain[i - 1] - chain[i]) * control.fc;

    // 10. to 12. Coupling high-pass and the output, with or without distortion
    const double voice = renderCouplingHighPass (chainHalf[5] * vcaLevel * 1.5e-6);
    const double result = distortionOn == 0 ? voice * smoothed.volume : renderDistortion (voice);

    if (out != nullptr)
        *out = result;

    // 8. and 9. (second pass) Ladder, then the chain's full step
    renderLadderAndChain (oscillator * 0.5 * 1.0e6, control);
}

// The oscillator, the ladder with the chain and the distortion are compiled a second time for processors
// with FMA, which shortens their dependent chains; the two builds differ only in rounding. None of them
// takes a decision that a difference in the last bit flips other than by rare chance, unlike the glide,
// whose period decides the harmonic count as it sweeps, and so stays in the common code.
__attribute__ ((target_clones ("fma", "default"))) double KelvanorCore::renderOscillator()
{
    // Band-limited impulse trains: sin (N x) / (N sin x) peaks once per half turn of x, with N odd so
    // the harmonics stop below Nyquist.
    const double period = glidingPeriod;
    const double inversePeriod = 1.0 / period;

    // The period is positive, so truncation is the floor.
    harmonics = 2 * (int) (period / 2.0) + 1;
    const auto n = (double) harmonics;
    const double s = KelvanorMath::sine (phase1);
    const double impulse1 = s == 0.0 ? 1.0 : KelvanorMath::sine (n * phase1) / (n * s);
    previousRamp = ramp;

    double y;
    if (squareWave == 0)
    {
        ramp = (cycleCounter - 40.0) * -0.025;
        y = integrator - inversePeriod + impulse1;
        integrator = 0.99 * y;
        oscillatorOutput = 0.99 * y * -0.108 * 2.0;
    }
    else
    {
        // Pulse width in counter units (80 per period), narrowing for low notes. The reciprocals differ
        // from the divisions only in rounding.
        const double width = (0.49 - (std::sqrt (period * k) * (1.0 / 26.0) - 1.0) * 0.19) * 80.0;
        const double shifted = phase2 - width * (pi / 80.0);
        const double s2 = KelvanorMath::sine (shifted);
        const double impulse2 = s2 == 0.0 ? 1.0 : KelvanorMath::sine (n * shifted) / (n * s2);

        if (cycleCounter < 4.0)
            ramp = -1.0;
        else if (cycleCounter > 56.0)
            ramp = 1.0;
        else
            ramp = tanhPlusEps (cycleCounter - width);

        const double delta = std::max (ramp - previousRamp, 0.0);
        const double g = std::min (period * 0.005, 1.0);
        y = 1.1 * impulse1 - ((1.0 - g) * impulse2 + g * delta) + integrator;
        integrator = 0.99 * y;
        oscillatorOutput = 0.99 * y * -0.108 * 0.8;
    }

    const double step = pi / period;
    phase1 += step;
    if (phase1 >= pi)
        phase1 -= pi;
    phase2 += step;
    if (phase2 >= pi)
        phase2 -= pi;

    return oscillatorOutput;
}

KelvanorCore::FilterControl KelvanorCore::computeFilterControl (double cutoffControl)
{
    // The multiplications by 1 / 12.9 and by 1 / (2 x rate) differ from the divisions only in rounding.
    FilterControl control;
    const double fc = std::clamp (
        KelvanorMath::exp2 ((cutoffControl * 199.5451563 + 0.21484375) * (1.0 / 12.9)) * inverseDoubleRate,
        0.0001, 0.999);
    const double fr = fc * (double) rateRatio;
    const double resonance = smoothed.resonanceAmount;

    control.fc = fc;
    control.drive = 1.0;
    if (fr <= 0.1)
        control.drive = tanhPlusEps ((fr - 0.03) * 57.15) * 0.4 + 0.6;
    if (fr > 0.5)
        control.drive =
            resonance * (fc * -1.9054747558462681 * fr + fr * 1.859060694772269 + 0.5800303216175069) +
            (1.0 - resonance);

    control.feedbackGain = resonanceTable->lookup (fr, resonanceSegment) * resonance * 2.0;
    control.stageGain = fc * 65000.0;
    return control;
}

double KelvanorCore::renderCouplingHighPass (double y)
{
    const double hp = highPassCoefficient;
    highPass[0] = highPass[0] - (highPass[0] - y) * hp + eps;
    highPass[1] = highPass[1] - (highPass[1] - (y - highPass[0])) * hp + eps;
    highPass[2] = highPass[2] - (highPass[2] - highPass[1]) * hp + eps;
    highPass[3] = highPass[3] - (highPass[3] - highPass[2]) * hp + eps;

    const double r = smoothed.resonance;
    return (y - highPass[0]) * (0.3 * r + 0.7) - highPass[1] - (1.0 - r) * highPass[2] +
           (1.0 - r) * highPass[3] + eps;
}

__attribute__ ((target_clones ("fma", "default"))) double KelvanorCore::renderDistortion (double voice)
{
    using Tap = StateVariableFilter::Tap;
    const auto wetMix = [this] (double dry)
    {
        const double wet = distortionFilters[0].process<Tap::low> (dry) +
                           distortionFilters[1].process<Tap::band> (dry) +
                           distortionFilters[2].process<Tap::high> (dry);
        return wet * smoothed.brightness + (1.0 - smoothed.brightness) * dry;
    };

    if (routePost == 1)
    {
        // The unsmoothed volume: in this route a volume change is heard on the next sample.
        const double clipped =
            clipper.process (voice, smoothed.preampGain, smoothed.clip, clipperRateA, clipperRateB);
        return wetMix (clipped) * volume;
    }

    const double filtered = wetMix (voice);
    return clipper.process (filtered, smoothed.preampGain, smoothed.clip, clipperRateA, clipperRateB) *
           smoothed.volume;
}

__attribute__ ((target_clones ("fma", "default"))) void
KelvanorCore::renderLadderAndChain (double input, const FilterControl& control)
{
    renderLadder (control.drive * input, control.feedbackGain * 4.0, control.stageGain);

    // 9, second pass: the full step through the new values, driven by the first stage's new output.
    const double fc = control.fc;
    chain[0] = chainHalf[0] + (ladder[0] - chainHalf[0]) * fc;
    for (std::size_t i = 1; i < 6; ++i)
        chain[i] = chainHalf[i] + (chain[i - 1] - chainHalf[i]) * fc;
}

// Two passes with the same input. The tanh of each stage is computed once per new value and reused where
// the next stage and the next pass read it. Each update is regrouped so that the part known early is
// ready and only one multiply-add follows the tanh it waits for: this chain of eight tanh bounds the
// voice's speed.
inline void KelvanorCore::renderLadder (double drivenInput, double feedbackScale, double stageGain)
{
    // Local copies stay in registers across the table reads, which could otherwise alias them.
    auto stage = ladder;
    auto saturated = ladderSaturated;
    double feedback = ladderFeedback, previousOut = previousLadderOut;

    for (int pass = 0; pass < 2; ++pass)
    {
        const double u = drivenInput - feedbackScale * feedback;
        const double held = stage[0] - saturated[0] * stageGain;
        stage[0] = held + saturate (u) * stageGain;
        saturated[0] = saturate (stage[0]);
        for (std::size_t i = 1; i < 4; ++i)
        {
            const double heldStage = stage[i] - saturated[i] * stageGain;
            stage[i] = heldStage + saturated[i - 1] * stageGain;
            saturated[i] = saturate (stage[i]);
        }
        feedback = (stage[3] + previousOut) * 0.5;
        previousOut = stage[3];
    }

    ladder = stage;
    ladderSaturated = saturated;
    ladderFeedback = feedback;
    previousLadderOut = previousOut;
}

void KelvanorCore::clearFilter()
{
    ladder.fill (0.0);
    ladderSaturated.fill (0.0); // tanh (0)
    ladderFeedback = 0.0;
    previousLadderOut = 0.0;
    stage1Before = 0.0;
    chain.fill (0.0);
    chainHalf.fill (0.0);
}
