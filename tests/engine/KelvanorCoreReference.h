#pragma once

#include <array>
#include <vector>

/** A plain, unoptimised second voice for the tests: every step of the render written out in its
    natural order with the library's exp, exp2, sin and tanh formula, no tables, no regrouping and no
    caching beyond the values the voice keeps as state. The optimised KelvanorCore must stay within
    rounding distance of it.

    Only what a comparison needs: tuned sample rates, in-range parameter values, notes 0..127.
*/
class KelvanorCoreReference
{
public:
    KelvanorCoreReference();

    void setSampleRate (float sampleRate);
    void setParameter (int index, float value);
    void noteOn (int note, float velocity);
    void noteOff (int note);
    double renderSample();

private:
    struct Note
    {
        int note;
        float velocity;
    };

    struct Svf
    {
        double f = 1.41, q = 0.71; // frequency coefficient, damping
        double x = 0.0, low = 0.0, high = 0.0, band = 0.0, out = 0.0;
    };

    void derive (int id, bool singlePrecision);
    void recomputeCutoffTarget();
    void updateDistortionFilters();
    double clipper (double x);
    double wetMix (double dry);
    double lookupResonance (double fr) const;

    // Notes and pitch
    float accentThreshold = 64.0f / 127.0f;
    double sampleRate = 44100.0;
    std::vector<Note> stack;
    int accentFlag = 0;
    std::array<double, 24> raw{};
    double tuningRatio = 0.0;
    int rateIndex = 0;
    std::array<double, 128> frequency{};
    std::array<std::array<double, 128>, 5> period{};
    double notePeriod = 0.0;
    int squareWave = 0, distortionOn = 0, routePost = 1, accentMode = 1, sweepMode = 0;

    // Rate-dependent values
    float rateRatio = 1.0f;
    double k = 1.0, nyquist = 22050.0, inverseDoubleRate = 1.0 / 88200.0;
    double smoothing = 0.001, vcaSlew = 0.2, highPass = 0.002, accentBase = 0.0009791344125;

    // Parameter-derived values
    double glide = 0.0, cutoffOffset = 0.0, envModOffset = 0.0, cutoffTarget = 0.0, resonanceAmount = 0.0,
           envModDepth = 0.0, attack = 0.0, normalDecay = 0.0, accentDecay = 0.0, accentAmount = 0.0,
           preamp = 1.0, size = 0.5, density = 0.0, clip = 1.0, dampingLimit = 2.0, volume = 0.0;

    // Render state: smoothed values
    double sEnvModDepth = 0.0, sEnvAccent = 0.0, sCutoff = 0.0, sAccentAmount = 0.0, sResonanceAmount = 0.0,
           sTuning = 0.0, sPreamp = 0.0, sClip = 0.0, sBrightness = 0.0, sResonance = 0.0, sVolume = 0.0;

    double glidingPeriod = 0.0, counter = 0.0;
    int attackDone = 0;
    double envLevel = 1.0;
    double a1 = 0.0, a2 = 0.0, a3 = 0.0;
    double p1 = 0.0, p2 = 0.0, ramp = 0.0, previousRamp = 0.0, integrator = -0.5;
    double gate = 0.0, f1 = 0.0, boost = 0.0, u1 = 0.0;
    std::array<double, 4> L{};
    double F = 0.0, previousL4 = 0.0, in0 = 0.0;
    std::array<double, 6> s{}, h{};
    std::array<double, 4> c{};

    double followerA = 1.0, followerB = 1.0, lastInput = 0.0, previousInput = 0.0;
    int clipping = 0;
    std::array<Svf, 3> svf;
};
