#include "KelvanorCoreReference.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{
constexpr double eps = 1e-20;
constexpr double pi = std::numbers::pi;
constexpr double rates[] = {44100.0, 48000.0, 88200.0, 96000.0, 192000.0};

// Resonance breakpoints per rate: grid of fr, then the values.
struct Curve
{
    std::vector<double> x, y;
};

const Curve& curve (int rateIndex)
{
    static const std::vector<double> common = {
        0,    0.005, 0.01, 0.02, 0.03,  0.04, 0.05,  0.06, 0.07, 0.08, 0.09,  0.1,  0.11, 0.125, 0.14,
        0.15, 0.16,  0.18, 0.2,  0.225, 0.25, 0.275, 0.3,  0.4,  0.5,  0.625, 0.75, 0.85, 0.9,   0.999};
    const auto grid = [] (int commonPoints, std::vector<double> tail)
    {
        std::vector<double> x (common.begin(), common.begin() + commonPoints);
        x.insert (x.end(), tail.begin(), tail.end());
        return x;
    };

    static const Curve curves[] = {
        {grid (30, {1.0}), {0,     0.05,  0.19,  0.29,  0.32,  0.37,  0.395, 0.41, 0.437, 0.45, 0.46,
                            0.47,  0.48,  0.49,  0.5,   0.505, 0.512, 0.52,  0.53, 0.54,  0.55, 0.557,
                            0.565, 0.592, 0.604, 0.582, 0.51,  0.412, 0.357, 0.25, 0.25}},
        {grid (29, {1.0, 1.1}),
         {0,   0.05, 0.19, 0.25, 0.29, 0.32, 0.37,  0.39,  0.41, 0.425, 0.44, 0.46, 0.47, 0.48, 0.49, 0.495,
          0.5, 0.51, 0.52, 0.53, 0.54, 0.55, 0.557, 0.585, 0.6,  0.59,  0.55, 0.48, 0.43, 0.34, 0.23}},
        {grid (30, {1.0, 1.5, 2.0}),
         {0,     0.05,  0.12,  0.2,   0.3,   0.35,  0.38,  0.405, 0.42,  0.435, 0.444,
          0.45,  0.46,  0.47,  0.477, 0.482, 0.486, 0.494, 0.5,   0.505, 0.512, 0.518,
          0.524, 0.543, 0.558, 0.575, 0.592, 0.59,  0.59,  0.59,  0.59,  0.51,  0.25}},
        {grid (30, {1.0, 1.5, 2.2}),
         {0,     0.05,  0.12,  0.19, 0.3,   0.33, 0.376, 0.4,   0.415, 0.43,  0.44,
          0.45,  0.455, 0.455, 0.47, 0.475, 0.48, 0.485, 0.49,  0.499, 0.507, 0.512,
          0.519, 0.535, 0.55,  0.57, 0.584, 0.59, 0.595, 0.595, 0.595, 0.51,  0.23}},
        {grid (30, {1.0, 2.1, 4.3}),
         {0,     0.05,  0.12,  0.19,  0.3,   0.34,  0.38,  0.405, 0.42, 0.435, 0.445,
          0.45,  0.46,  0.46,  0.47,  0.475, 0.479, 0.483, 0.488, 0.49, 0.495, 0.5,
          0.502, 0.513, 0.522, 0.531, 0.535, 0.545, 0.54,  0.54,  0.54, 0.6,   0.23}},
    };
    return curves[rateIndex];
}

// tanh (v / 65000) in its exponential form, plus the guard every recursive update adds.
double T (double v)
{
    return 1.0 - 2.0 / (std::exp (2.0 * v / 65000.0) + 1.0) + eps;
}

void smooth (double& s, double target, double c)
{
    s = s - (s - target) * c + eps;
}
} // namespace

KelvanorCoreReference::KelvanorCoreReference()
{
    // 6.875 Hz at note -3, twelve equal steps per octave.
    const double r = std::pow (2.0, 1.0 / 12.0);
    double f = 6.875;
    for (int n = -3; n < 128; ++n, f *= r)
        if (n >= 0)
            frequency[(std::size_t) n] = f;

    for (std::size_t i = 0; i < 5; ++i)
        for (std::size_t n = 0; n < 128; ++n)
            period[i][n] = rates[i] / frequency[n];

    notePeriod = period[0][36];
}

void KelvanorCoreReference::setSampleRate (float sr)
{
    sampleRate = sr;
    rateRatio = sr * (1.0f / 44100.0f);
    k = 44100.0 / sampleRate;
    nyquist = (double) rateRatio * 44100.0 * 0.5;
    inverseDoubleRate = 1.0 / (2.0 * sampleRate);
    smoothing = 0.001 * k;
    vcaSlew = 0.2 * k;
    highPass = 0.002 * k;
    accentBase = 0.0009791344125 * k;

    for (int i = 0; i < 5; ++i)
        if ((double) (long) sampleRate == rates[i])
            rateIndex = i;

    for (const int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 23})
        derive (id, false);
    updateDistortionFilters();
}

void KelvanorCoreReference::setParameter (int id, float value)
{
    switch (id)
    {
        case 18: squareWave = value <= 0.5f; return;
        case 19:
            accentMode = value > 0.5f;
            derive (9, true);
            return;
        case 20: sweepMode = value > 0.5f; return;
        case 21: distortionOn = value > 0.5f; return;
        case 22: routePost = value <= 0.5f; return;
        default: break;
    }

    raw[(std::size_t) id] = value;
    derive (id, true);
}

void KelvanorCoreReference::derive (int id, bool singlePrecision)
{
    const double v = raw[(std::size_t) id];
    const float fv = (float) v;
    const double cube = singlePrecision ? (double) (fv * fv * fv) : v * v * v;
    const double square = singlePrecision ? (double) (fv * fv) : v * v;

    switch (id)
    {
        case 0: tuningRatio = std::pow (2.0, (1.0 - v - 0.5) * 48.0 / 12.0); break;
        case 1: glide = (1.0 - std::pow (v, 0.003) * 0.9999) * 0.5 * k; break;
        case 2:
        case 3:
        case 5: recomputeCutoffTarget(); break;
        case 6: attack = ((1.0 - std::pow (v, 0.00625)) * 0.414408 + 2.93786848e-5) * k; break;
        case 7: normalDecay = ((double) (1.0f - fv) * 0.000224408 + 2.93786848e-5) * k; break;
        case 8: accentDecay = ((double) (1.0f - fv) * 0.000224408 + 2.93786848e-5) * k; break;
        case 9:
        case 10: accentAmount = accentMode ? raw[9] : raw[10]; break;
        case 12: preamp = cube * 39.0 + 1.0; break;
        case 13:
            size = v;
            updateDistortionFilters();
            break;
        case 14:
            density = v * 0.5 - 0.25;
            updateDistortionFilters();
            break;
        case 15: clip = cube * 0.999 + 0.001; break;
        case 16:
            dampingLimit = (1.0 - std::pow (v * 0.75, 0.25)) * 2.0;
            updateDistortionFilters();
            break;
        case 23: volume = square * 4.0; break;
        default: break;
    }
}

void KelvanorCoreReference::recomputeCutoffTarget()
{
    const double v = raw[2];
    const double w = (v * 0.5 + 0.5) * v * (v * 0.3 + 0.7);
    cutoffOffset = w * 0.17 + 0.368;

    resonanceAmount = std::min ((raw[3] * 0.45 + 0.55) * raw[3], 1.0);

    const double m = raw[5];
    const double hm = (m + 1.0) / 2.0;
    const double e = std::pow (hm, 4.0) * m * (m * 0.1 + 0.9);
    envModDepth = e * 0.238 + 0.06;
    envModOffset = (1.0 - e) * 0.0712 + 0.2448;

    cutoffTarget = cutoffOffset + envModOffset - (1.0 - resonanceAmount) * 0.04;
}

void KelvanorCoreReference::updateDistortionFilters()
{
    const double pitch[] = {(size + density) * 199.5451563 + 0.21484375, size * 199.5451563 + 0.21484375,
                            (size - density) * 199.5451563 + 0.21484375};
    for (std::size_t i = 0; i < 3; ++i)
    {
        const double w = std::min (std::pow (2.0, pitch[i] / 12.0) / nyquist, 0.25);
        const double f = 2.0 * std::sin (pi * w);
        svf[i].f = f;
        svf[i].q = std::min ({2.0 / f - f / 2.0, 2.0, dampingLimit});
    }
}

void KelvanorCoreReference::noteOn (int note, float velocity)
{
    stack.push_back ({note, velocity});
    notePeriod = period[(std::size_t) rateIndex][(std::size_t) note];

    if (stack.size() == 1)
    {
        gate = 1.0;
        attackDone = 0;
        envLevel = 1.0;
        glidingPeriod = sTuning * notePeriod;
        accentFlag = velocity >= accentThreshold;
    }
    else if (velocity >= accentThreshold)
    {
        accentFlag = 1;
    }
}

void KelvanorCoreReference::noteOff (int note)
{
    const auto found =
        std::find_if (stack.begin(), stack.end(), [note] (const Note& n) { return n.note == note; });
    if (found == stack.end())
        return;

    stack.erase (found);
    if (!stack.empty())
        notePeriod = period[(std::size_t) rateIndex][(std::size_t) stack.back().note];
    else
        gate = 0.0;
}

double KelvanorCoreReference::lookupResonance (double fr) const
{
    const auto& [x, y] = curve (rateIndex);
    std::size_t i = 0;
    while (i < x.size() && x[i] < fr)
        ++i;
    i = std::clamp<std::size_t> (i, 1, x.size() - 1);
    return y[i - 1] + (y[i] - y[i - 1]) / (x[i] - x[i - 1]) * (fr - x[i - 1]);
}

double KelvanorCoreReference::clipper (double x)
{
    previousInput = lastInput;
    const double d = x * sPreamp;
    lastInput = d;

    const double t = (0.25 * followerB + followerA) * 0.8 * sClip;
    followerA = followerA - (followerA - 0.1) * 0.006 * k;
    followerB = followerB - (followerB - 0.1) * 0.1 * k;

    const double sgn = d < 0.0 ? -1.0 : 1.0;
    const double a = std::abs (d);

    if ((a > t && clipping == 0) || ((d < 0.0) != (previousInput < 0.0)))
    {
        followerA = followerB = 1.0;
        clipping = 1;
    }

    if (a > t)
    {
        const double v = a / t - 1.0;
        return (((1.0 / (1.5 * v + 0.5) - 0.5) * 0.5 + 0.25) * v + 1.0) * t * sgn;
    }

    clipping = 0;
    followerA = followerB = 1.0;
    return d;
}

double KelvanorCoreReference::wetMix (double z)
{
    double taps[3];
    for (std::size_t i = 0; i < 3; ++i)
    {
        auto& f = svf[i];
        double sum = 0.0;
        for (int pass = 0; pass < 2; ++pass)
        {
            f.x = z - f.q * f.band + eps;
            f.low = f.low + f.f * f.band + eps;
            f.high = f.x - f.low + eps;
            f.band = f.band + f.f * f.high + eps;
            sum += i == 0 ? f.low : (i == 1 ? f.band : f.high);
        }
        f.out = 0.5 * sum;
        taps[i] = f.out;
    }
    return (taps[0] + taps[1] + taps[2]) * sBrightness + (1.0 - sBrightness) * z;
}

double KelvanorCoreReference::renderSample()
{
    // 1. Parameter smoothing
    const double sc = smoothing;
    smooth (sEnvModDepth, envModDepth, sc);
    smooth (sEnvAccent, raw[9], sc);
    smooth (sCutoff, cutoffTarget, sc);
    smooth (sAccentAmount, accentAmount, sc);
    smooth (sResonanceAmount, resonanceAmount, sc);
    smooth (sTuning, tuningRatio, sc);
    smooth (sPreamp, preamp, sc);
    smooth (sClip, clip, sc);
    smooth (sBrightness, raw[17], sc);
    smooth (sResonance, raw[3], sc);
    smooth (sVolume, volume, sc);

    // 2. Glide and cycle counter
    const double target = sTuning * notePeriod;
    glidingPeriod = glidingPeriod - (glidingPeriod - target) * glide;
    const double P = glidingPeriod;
    const double inv = 1.0 / P;
    counter += 80.0 / P;
    if (counter >= 80.0)
        counter -= 80.0;

    // 3. Envelope
    double envelope;
    if (attackDone == 1)
    {
        const double decay = accentFlag == 1 ? accentDecay : normalDecay;
        envLevel = envLevel - decay * envLevel + eps;
        envelope = envLevel;
    }
    else
    {
        envLevel = envLevel - envLevel * attack + eps;
        envelope = 1.0 - envLevel;
        if (envLevel < 0.001)
        {
            attackDone = 1;
            envLevel = 1.0;
        }
    }
    const double M = envelope * sEnvModDepth;
    const double accentTarget = accentFlag == 1 ? envelope : 0.0;

    // 4. Accent sweep
    a1 = a1 - (a1 - accentTarget) * 0.03 * k + eps;
    const double q = a1 > 0.3 ? 0.2 * k : 0.0002 * k;
    a2 = a2 - (a2 - a1) * accentBase + eps;
    const double S = sweepMode == 1 ? std::pow (sResonance, 3.0) : raw[4];
    const double m = (1.0 - S) * a1 + S * a2;
    a3 = a3 - (a3 - m) * q * k + eps;
    const double cutoffControl = M + sCutoff + (sEnvAccent * 0.13) * a3;

    // 5. Oscillator
    const int N = 2 * (int) std::floor (P / 2.0) + 1;
    const double sine1 = std::sin (p1);
    const double impulse1 = sine1 == 0.0 ? 1.0 : std::sin (N * p1) / (N * sine1);
    previousRamp = ramp;

    double O;
    if (squareWave == 0)
    {
        ramp = (counter - 40.0) * -0.025;
        const double y = integrator - inv + impulse1;
        integrator = 0.99 * y;
        O = 0.99 * y * -0.108 * 2.0;
    }
    else
    {
        const double w = (0.49 - (std::sqrt (P * k) / 26.0 - 1.0) * 0.19) * 80.0;
        const double shifted = p2 - w * pi / 80.0;
        const double sine2 = std::sin (shifted);
        const double impulse2 = sine2 == 0.0 ? 1.0 : std::sin (N * shifted) / (N * sine2);
        if (counter < 4.0)
            ramp = -1.0;
        else if (counter > 56.0)
            ramp = 1.0;
        else
            ramp = 1.0 - 2.0 / (std::exp (2.0 * (counter - w)) + 1.0) + eps;
        const double delta = std::max (ramp - previousRamp, 0.0);
        const double g = std::min (P * 0.005, 1.0);
        const double y = 1.1 * impulse1 - ((1.0 - g) * impulse2 + g * delta) + integrator;
        integrator = 0.99 * y;
        O = 0.99 * y * -0.108 * 0.8;
    }

    p1 += pi / P;
    if (p1 >= pi)
        p1 -= pi;
    p2 += pi / P;
    if (p2 >= pi)
        p2 -= pi;

    // 6. VCA
    gate = gate * (1.0 - 3.4327e-5 * k + eps);
    const double r = gate != 0.0 ? 0.100388 * k : 0.0099724121094 * k;
    f1 = f1 - (f1 - gate) * r + eps;
    const double boostTarget = accentFlag == 1 ? envelope * 2.4 * accentAmount : 0.0;
    boost = boost - (boost - boostTarget) * 0.010388 * k + eps;
    const double vcaTarget = u1 < 0.0 ? 0.0 : boost * sAccentAmount + f1;
    u1 = u1 - (u1 - vcaTarget) * vcaSlew + eps;
    if (u1 < 6.103515625e-5)
    {
        L.fill (0.0);
        F = previousL4 = in0 = 0.0;
        s.fill (0.0);
        h.fill (0.0);
    }

    // 7. Filter control
    const double I = O * 0.5 * 1.0e6;
    const double fc = std::clamp (
        std::exp2 ((cutoffControl * 199.5451563 + 0.21484375) / 12.9) / (2.0 * sampleRate), 0.0001, 0.999);
    const double fr = fc * (double) rateRatio;
    const double R = sResonanceAmount;
    double D = 1.0;
    if (fr <= 0.1)
        D = (1.0 - 2.0 / (std::exp (2.0 * (fr - 0.03) * 57.15) + 1.0) + eps) * 0.4 + 0.6;
    if (fr > 0.5)
        D = R * (fc * -1.9054747558462681 * fr + fr * 1.859060694772269 + 0.5800303216175069) + (1.0 - R);
    const double K = lookupResonance (fr) * R * 2.0;
    const double G = fc * 65000.0;
    in0 = L[0];

    // 8. Ladder, two passes with the same input
    for (int pass = 0; pass < 2; ++pass)
    {
        const double u = D * I - K * 4.0 * F;
        L[0] = L[0] + (T (u) - T (L[0])) * G;
        L[1] = L[1] + (T (L[0]) - T (L[1])) * G;
        L[2] = L[2] + (T (L[1]) - T (L[2])) * G;
        L[3] = L[3] + (T (L[2]) - T (L[3])) * G;
        F = (L[3] + previousL4) * 0.5;
        previousL4 = L[3];
    }

    // 9. Six-pole chain: half step from the old values, full step through the new ones
    h[0] = s[0] + (in0 - s[0]) * fc;
    for (std::size_t i = 1; i < 6; ++i)
        h[i] = s[i] + (s[i - 1] - s[i]) * fc;
    s[0] = h[0] + (L[0] - h[0]) * fc;
    for (std::size_t i = 1; i < 6; ++i)
        s[i] = h[i] + (s[i - 1] - h[i]) * fc;
    double Y = h[5] * u1 * 1.5e-6;

    // 10. Coupling high-pass
    c[0] = c[0] - (c[0] - Y) * highPass + eps;
    c[1] = c[1] - (c[1] - (Y - c[0])) * highPass + eps;
    c[2] = c[2] - (c[2] - c[1]) * highPass + eps;
    c[3] = c[3] - (c[3] - c[2]) * highPass + eps;
    const double rr = sResonance;
    Y = (Y - c[0]) * (0.3 * rr + 0.7) - c[1] - (1.0 - rr) * c[2] + (1.0 - rr) * c[3] + eps;

    // 11. and 12. Output, with or without distortion
    if (distortionOn == 0)
        return Y * sVolume;
    if (routePost == 1)
        return wetMix (clipper (Y)) * volume;
    return clipper (wetMix (Y)) * sVolume;
}
