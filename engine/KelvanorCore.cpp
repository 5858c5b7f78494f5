#include "KelvanorCore.h"

#include "KelvanorSaturator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{
// Added after every recursive update so that decaying states never become denormal.
constexpr double eps = 1e-20;
constexpr double pi = std::numbers::pi;

// Lowest and highest rates accepted, Hz. Below 22050 Hz the k-scaled per-sample rates (glide up to 0.5 k,
// accent sweep up to 0.2 k^2) pass 1 and the voice diverges.
constexpr float minSampleRate = 22050.0f;
constexpr float maxSampleRate = 768000.0f;

constexpr double tabledRates[] = {44100.0, 48000.0, 88200.0, 96000.0, 192000.0};

void smooth (double& s, double target, double c)
{
    s = s - (s - target) * c + eps;
}

// tanh (v / 65000): the ladder's stages work on signals scaled by 65000. The 1e-20 that keeps other
// states off denormals is left out here: no stage value it could change is ever that small.
double saturate (double v)
{
    return KelvanorSaturator::saturate (v);
}

// 1 - 2 / (exp (2 x) + 1) + 1e-20, that is tanh (x) + 1e-20.
double tanhPlusEps (double x)
{
    return KelvanorSaturator::saturate (x * 65000.0) + eps;
}

// Index of the breakpoint table for a rate: the tabled rate whose whole part matches, else -1.
int tabledRateIndex (float rate)
{
    const auto whole = (double) (long) rate;
    for (int i = 0; i < 5; ++i)
        if (whole == tabledRates[i])
            return i;
    return -1;
}

// For a rate outside the table: the tabled rate nearest on a log scale, whose filter tuning fits best.
int nearestRateIndex (double rate)
{
    int best = 0;
    for (int i = 1; i < 5; ++i)
        if (std::abs (std::log (rate / tabledRates[i])) < std::abs (std::log (rate / tabledRates[best])))
            best = i;
    return best;
}

// Decay per sample of the envelope for a normalised decay time; 1 - v is taken in single precision.
double decayCoefficient (double v, double k)
{
    const auto remaining = (double) (1.0f - (float) v);
    return (remaining * 0.000224408 + 2.93786848e-5) * k;
}
} // namespace

//==============================================================================
KelvanorCore::KelvanorCore()
{
    noteStack.reserve (noteStackCapacity);

    distortionFilters[0].tap = StateVariableFilter::Tap::low;
    distortionFilters[1].tap = StateVariableFilter::Tap::band;
    distortionFilters[2].tap = StateVariableFilter::Tap::high;
    ladderSaturated.fill (saturate (0.0));

    resonanceTable = &KelvanorResonanceTable::forRateIndex (0);
    buildPitchTables (12.0);
    currentNotePeriod = notePeriod[36];

    // The k-scaled rates and the coefficients of the parameters that start at 0, as setSampleRate would
    // set them at 44100 Hz, so that a render before the owner's set-up stays finite. The distortion
    // values keep their own defaults above.
    recomputeRateScaledParameters();
    tuningRatio = std::pow (2.0, (1.0 - raw[0] - 0.5) * 48.0 / 12.0);
    glideCoefficient = (1.0 - std::pow (raw[1], 0.003) * 0.9999) * 0.5 * k;
    attackCoefficient = ((1.0 - std::pow (raw[6], 0.00625)) * 0.414408 + 2.93786848e-5) * k;
    normalDecayCoefficient = decayCoefficient (raw[7], k);
    accentDecayCoefficient = decayCoefficient (raw[8], k);
    recomputeCutoffTarget();
    recomputeAccentAmount();
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

    // Stepping from note -3 keeps every table on the same 6.875 Hz root, so note 69 is 440 Hz at 12.
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
    // A tabled rate uses its nominal value, as its whole part chose it; any other rate its own value.
    const double rate = tabledRateIndex ((float) sampleRate) >= 0 ? tabledRates[rateIndex] : sampleRate;

    for (std::size_t n = 0; n < notePeriod.size(); ++n)
        notePeriod[n] = rate / noteFrequency[n];
}

//==============================================================================
void KelvanorCore::setSampleRate (float newRate)
{
    if (!std::isfinite (newRate) || newRate <= 0.0f)
        return;

    newRate = std::clamp (newRate, minSampleRate, maxSampleRate);
    sampleRate = newRate;

    const int tabled = tabledRateIndex (newRate);
    rateIndex = tabled >= 0 ? tabled : nearestRateIndex (sampleRate);
    resonanceTable = &KelvanorResonanceTable::forRateIndex (rateIndex);
    rebuildPeriods();

    recomputeRateScaledParameters();

    glideCoefficient = (1.0 - std::pow (raw[1], 0.003) * 0.9999) * 0.5 * k;
    recomputeCutoffTarget();
    attackCoefficient = ((1.0 - std::pow (raw[6], 0.00625)) * 0.414408 + 2.93786848e-5) * k;
    normalDecayCoefficient = decayCoefficient (raw[7], k);
    accentDecayCoefficient = decayCoefficient (raw[8], k);
    recomputeAccentAmount();

    // Here the cubes and the square are taken in double precision.
    preampGain = raw[12] * raw[12] * raw[12] * 39.0 + 1.0;
    distortionSize = raw[13];
    densityOffset = raw[14] * 0.5 - 0.25;
    clip = raw[15] * raw[15] * raw[15] * 0.999 + 0.001;
    dampingLimit = (1.0 - std::pow (raw[16] * 0.75, 0.25)) * 2.0;
    volume = raw[23] * raw[23] * 4.0;

    updateDistortionFilters();
}

void KelvanorCore::recomputeRateScaledParameters()
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
    const auto v = (double) value;

    switch (index)
    {
        case 0:
            raw[0] = v;
            tuningRatio = std::pow (2.0, (1.0 - v - 0.5) * 48.0 / 12.0);
            break;
        case 1:
            raw[1] = v;
            glideCoefficient = (1.0 - std::pow (v, 0.003) * 0.9999) * 0.5 * k;
            break;
        case 2:
        case 3:
        case 5:
            raw[(std::size_t) index] = v;
            recomputeCutoffTarget();
            break;
        case 4:
        case 11:
        case 17: raw[(std::size_t) index] = v; break;
        case 6:
            raw[6] = v;
            attackCoefficient = ((1.0 - std::pow (v, 0.00625)) * 0.414408 + 2.93786848e-5) * k;
            break;
        case 7:
            raw[7] = v;
            normalDecayCoefficient = decayCoefficient (v, k);
            break;
        case 8:
            raw[8] = v;
            accentDecayCoefficient = decayCoefficient (v, k);
            break;
        case 9:
        case 10:
            raw[(std::size_t) index] = v;
            recomputeAccentAmount();
            break;
        case 12:
            raw[12] = v;
            preampGain = (double) (value * value * value) * 39.0 + 1.0;
            break;
        case 13:
            raw[13] = v;
            distortionSize = v;
            updateDistortionFilters();
            break;
        case 14:
            raw[14] = v;
            densityOffset = v * 0.5 - 0.25;
            updateDistortionFilters();
            break;
        case 15:
            raw[15] = v;
            clip = (double) (value * value * value) * 0.999 + 0.001;
            break;
        case 16:
            raw[16] = v;
            dampingLimit = (1.0 - std::pow (v * 0.75, 0.25)) * 2.0;
            updateDistortionFilters();
            break;
        case 18: squareWave = value <= 0.5f ? 1 : 0; break;
        case 19:
            accentMode = value > 0.5f ? 1 : 0;
            recomputeAccentAmount();
            break;
        case 20: sweepMode = value > 0.5f ? 1 : 0; break;
        case 21: distortionOn = value > 0.5f ? 1 : 0; break;
        case 22: routePost = value <= 0.5f ? 1 : 0; break;
        case 23:
            raw[23] = v;
            volume = (double) (value * value) * 4.0;
            break;
        default: break;
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

void KelvanorCore::recomputeAccentAmount()
{
    accentAmount = accentMode != 0 ? raw[9] : raw[10];
}

void KelvanorCore::setAccentThreshold (float threshold)
{
    if (!std::isnan (threshold))
        accentThreshold = threshold;
}

void KelvanorCore::updateDistortionFilters()
{
    const double pitches[] = {(distortionSize + densityOffset) * 199.5451563 + 0.21484375,
                              distortionSize * 199.5451563 + 0.21484375,
                              (distortionSize - densityOffset) * 199.5451563 + 0.21484375};

    for (std::size_t i = 0; i < distortionFilters.size(); ++i)
    {
        const double w = std::min (std::pow (2.0, pitches[i] / 12.0) / nyquist, 0.25);
        const double f = 2.0 * std::sin (pi * w);
        distortionFilters[i].frequency = f;
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

    // Below -84 dB the filter is silenced outright so a released note leaves no ringing state behind.
    if (vcaLevel < 6.103515625e-5)
        clearFilter();

    // 7. to 10. Filter, output chain and coupling high-pass
    const double voice = renderFilter (oscillator, cutoffControl);

    // 11. and 12. Output, with or without distortion
    double result;
    if (distortionOn == 0)
        result = voice * smoothed.volume;
    else
        result = renderDistortion (voice);

    if (out != nullptr)
        *out = result;
}

double KelvanorCore::renderOscillator()
{
    // Band-limited impulse trains: sin (N x) / (N sin x) peaks once per half turn of x, with N odd so
    // the harmonics stop below Nyquist.
    const double period = glidingPeriod;
    const double inversePeriod = 1.0 / period;

    // The period is positive, so truncation is the floor.
    harmonics = 2 * (int) (period / 2.0) + 1;
    const auto n = (double) harmonics;
    const double s = std::sin (phase1);
    const double impulse1 = s == 0.0 ? 1.0 : std::sin (n * phase1) / (n * s);
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
        // Pulse width in counter units (80 per period), narrowing for low notes.
        const double width = (0.49 - (std::sqrt (period * k) / 26.0 - 1.0) * 0.19) * 80.0;
        const double shifted = phase2 - width * pi / 80.0;
        const double s2 = std::sin (shifted);
        const double impulse2 = s2 == 0.0 ? 1.0 : std::sin (n * shifted) / (n * s2);

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

double KelvanorCore::renderFilter (double oscillator, double cutoffControl)
{
    // 7. Filter control
    const double input = oscillator * 0.5 * 1.0e6;
    const double fc =
        std::clamp (std::exp2 ((cutoffControl * 199.5451563 + 0.21484375) * (1.0 / 12.9)) * inverseDoubleRate,
                    0.0001, 0.999);
    const double fr = fc * (double) rateRatio;
    const double resonance = smoothed.resonanceAmount;

    double drive = 1.0;
    if (fr <= 0.1)
        drive = tanhPlusEps ((fr - 0.03) * 57.15) * 0.4 + 0.6;
    if (fr > 0.5)
        drive = resonance * (fc * -1.9054747558462681 * fr + fr * 1.859060694772269 + 0.5800303216175069) +
                (1.0 - resonance);

    const double feedbackGain = resonanceTable->lookup (fr, resonanceSegment) * resonance * 2.0;
    const double stageGain = fc * 65000.0;

    // 8. Ladder
    stage1Before = ladder[0];
    renderLadder (drive * input, feedbackGain * 4.0, stageGain);

    // 9. Six-pole chain at twice the rate: a half step from the old values driven by the first stage's
    // old output, then a full step through the new values driven by its new output.
    chainHalf[0] = chain[0] + (stage1Before - chain[0]) * fc;
    for (std::size_t i = 1; i < 6; ++i)
        chainHalf[i] = chain[i] + (chain[i - 1] - chain[i]) * fc;

    chain[0] = chainHalf[0] + (ladder[0] - chainHalf[0]) * fc;
    for (std::size_t i = 1; i < 6; ++i)
        chain[i] = chainHalf[i] + (chain[i - 1] - chainHalf[i]) * fc;

    double y = chainHalf[5] * vcaLevel * 1.5e-6;

    // 10. Coupling high-pass
    const double hp = highPassCoefficient;
    highPass[0] = highPass[0] - (highPass[0] - y) * hp + eps;
    highPass[1] = highPass[1] - (highPass[1] - (y - highPass[0])) * hp + eps;
    highPass[2] = highPass[2] - (highPass[2] - highPass[1]) * hp + eps;
    highPass[3] = highPass[3] - (highPass[3] - highPass[2]) * hp + eps;

    const double r = smoothed.resonance;
    return (y - highPass[0]) * (0.3 * r + 0.7) - highPass[1] - (1.0 - r) * highPass[2] +
           (1.0 - r) * highPass[3] + eps;
}

// Two passes with the same input. saturate() of each stage is computed once per new value and reused where
// the next stage and the next pass read it. Each update is regrouped so that the part known early is
// ready and only one multiply-add follows the saturation it waits for. This chain bounds the voice's
// speed; with FMA it is a quarter shorter. Nothing here takes a decision on a value, so the small
// differences in rounding between the two builds stay small.
__attribute__ ((target_clones ("fma", "default"))) void
KelvanorCore::renderLadder (double drivenInput, double feedbackScale, double stageGain)
{
    for (int pass = 0; pass < 2; ++pass)
    {
        const double u = drivenInput - feedbackScale * ladderFeedback;
        const double held = ladder[0] - ladderSaturated[0] * stageGain;
        ladder[0] = held + saturate (u) * stageGain;
        ladderSaturated[0] = saturate (ladder[0]);
        for (std::size_t i = 1; i < 4; ++i)
        {
            const double heldStage = ladder[i] - ladderSaturated[i] * stageGain;
            ladder[i] = heldStage + ladderSaturated[i - 1] * stageGain;
            ladderSaturated[i] = saturate (ladder[i]);
        }
        ladderFeedback = (ladder[3] + previousLadderOut) * 0.5;
        previousLadderOut = ladder[3];
    }
}

double KelvanorCore::renderDistortion (double voice)
{
    const auto wetMix = [this] (double dry)
    {
        double wet = 0.0;
        for (auto& filter : distortionFilters)
            wet += filter.process (dry);
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

void KelvanorCore::clearFilter()
{
    ladder.fill (0.0);
    ladderSaturated.fill (saturate (0.0));
    ladderFeedback = 0.0;
    previousLadderOut = 0.0;
    stage1Before = 0.0;
    chain.fill (0.0);
    chainHalf.fill (0.0);
}

//==============================================================================
double KelvanorCore::Clipper::process (double x, double gain, double clipLevel, double rateA, double rateB)
{
    previousInput = lastInput;
    const double d = x * gain;
    lastInput = d;

    const double threshold = (0.25 * followerB + followerA) * 0.8 * clipLevel;
    followerA = followerA - (followerA - 0.1) * rateA;
    followerB = followerB - (followerB - 0.1) * rateB;

    const double sign = d < 0.0 ? -1.0 : 1.0;
    const double magnitude = std::abs (d);

    // A new clipped half-wave, or a zero crossing, starts the threshold from full height again.
    if ((magnitude > threshold && clipping == 0) || ((d < 0.0) != (previousInput < 0.0)))
    {
        followerA = followerB = 1.0;
        clipping = 1;
    }

    if (magnitude > threshold)
    {
        const double v = magnitude / threshold - 1.0;
        return (((1.0 / (1.5 * v + 0.5) - 0.5) * 0.5 + 0.25) * v + 1.0) * threshold * sign;
    }

    clipping = 0;
    followerA = followerB = 1.0;
    return d;
}

double KelvanorCore::StateVariableFilter::process (double z)
{
    double sum = 0.0;
    for (int pass = 0; pass < 2; ++pass)
    {
        input = z - damping * band + eps;
        low = low + frequency * band + eps;
        high = input - low + eps;
        band = band + frequency * high + eps;
        sum += tap == Tap::low ? low : (tap == Tap::band ? band : high);
    }
    output = 0.5 * sum;
    return output;
}

void KelvanorCore::StateVariableFilter::clear()
{
    input = low = high = band = output = 0.0;
}
