#pragma once

#include "KelvanorMath.h"
#include "KelvanorResonanceTable.h"
#include "KelvanorSaturator.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

/** The instrument's one monophonic voice: a band-limited sawtooth or square oscillator with glide, an
    envelope with accent, a VCA, a nonlinear four-stage ladder filter with a six-pole output chain, coupling
    high-pass filters and an optional clipper with three state-variable filters, rendered one sample at a
    time in double precision.

    Threads: the owner holds its core lock around every call except setSampleRate, which it makes from
    prepareToPlay while no audio runs. After construction nothing here allocates, locks or touches files.
    Values from outside (parameters, notes, rates) are checked so that no NaN or infinity enters the state.
*/
class KelvanorCore
{
public:
    /** The voice's parameters, numbered as the product's synthesis parameters. The five from waveform to
        distortion route are switches, read as on or off at one half; the others are continuous. */
    enum ParameterId
    {
        tuningId = 0,
        slideTimeId = 1,
        cutoffId = 2,
        resonanceId = 3,
        sweepTimeId = 4,
        envModId = 5,
        envAttackId = 6,
        envDecayId = 7,
        accentDecayId = 8,
        envAccentId = 9,
        accentVolumeId = 10,
        stepLengthId = 11,
        distortionPreampId = 12,
        distortionSizeId = 13,
        distortionDensityId = 14,
        distortionClipId = 15,
        distortionWetnessId = 16,
        distortionBrightnessId = 17,
        waveformId = 18,
        accentModeId = 19,
        sweepModeId = 20,
        distortionStateId = 21,
        distortionRouteId = 22,
        mainVolumeId = 23
    };

    static constexpr int numParameters = mainVolumeId + 1;
    static constexpr int noteStackCapacity = 256;

    KelvanorCore();
    virtual ~KelvanorCore();

    KelvanorCore (const KelvanorCore&) = delete;
    KelvanorCore& operator= (const KelvanorCore&) = delete;

    /** A preset was loaded: clears the state of the three distortion filters so a new preset does not start
        with the ringing of the previous one. Needs the same protection as renderSample.
    */
    virtual void presetChanged();

    /** Pushes a note (0..127, velocity 0..1). The first note starts the envelopes; a further note slides
        to its pitch without retrigger. Notes outside 0..127 are ignored; on a full stack the oldest entry
        makes room.
    */
    void noteOn (int note, float velocity);

    /** Removes the first occurrence of the note; the previous note sounds again (sliding), or the gate
        closes when the stack empties. A note that is not held changes nothing.
    */
    void noteOff (int note);

    /** Empties the note stack, drops the accent and closes the gate (all notes off). */
    void clearNotes();

    /** Frequencies from 6.875 Hz at note -3 in equal steps of 2^(1/divisions); 12 is standard tuning.
        Divisions outside 1..1000 are ignored. The sounding note keeps its period until the next note event.
    */
    void buildPitchTables (double divisionsPerOctave);

    /** Rates below 22050 Hz (where the per-sample rates would pass 1 and diverge) and above 768000 Hz are
        clamped; NaN, infinite and non-positive rates are ignored. A rate outside the five tuned ones
        (44100, 48000, 88200, 96000, 192000 Hz) plays at its own pitch with the nearest one's resonance curve.
    */
    void setSampleRate (float sampleRate);

    /** Every ParameterId takes a normalised value; other ids, NaN and infinite values are ignored and finite
        values are clamped to 0..1.
    */
    void setParameter (int index, float value);

    /** Velocities at or above this (0..1) play accented; NaN is ignored. */
    void setAccentThreshold (float threshold);

    void updateDistortionFilters();

    /** Computes one output sample; runs whether or not a note is held. out may be null. */
    void renderSample (double* out);

    /** Computes the next numSamples samples into out, exactly as as many calls of renderSample would. */
    void renderSamples (double* out, int numSamples);

    /** The render comes in two builds that differ only in rounding: with fused multiply-adds, taken when the
        processor has them, and without. Tests may switch to the plain build and back; on a processor
        without fused multiply-adds only the plain build is taken. Affects every voice.
    */
    static bool usesFusedArithmetic();
    static void useFusedArithmetic (bool fused);

    //==============================================================================
    /** The value last received for a continuous parameter (tuningId to distortionBrightnessId, and
        mainVolumeId), 0 for the switches. */
    double getRawValue (int index) const;
    double getPreampGain() const { return preampGain; }
    double getClip() const { return clip; }
    double getVolume() const { return volume; }
    bool isSquareWave() const { return squareWave != 0; }
    bool isAccentModeLinked() const { return accentMode != 0; }
    bool isSweepModeLinked() const { return sweepMode != 0; }
    bool isDistortionOn() const { return distortionOn != 0; }
    bool isRoutePost() const { return routePost != 0; }
    float getAccentThreshold() const { return accentThreshold; }
    int getHeldNoteCount() const { return heldNoteCount; }
    double getSampleRate() const { return sampleRate; }
    double getNoteFrequency (int note) const;
    double getNotePeriod (int note) const;

    //==============================================================================
    /** The soft clipper of the distortion stage. Its threshold sinks while one half-wave keeps clipping and
        recovers when the signal falls below it or crosses zero.
    */
    struct Clipper
    {
        /** rateA and rateB: follower rates per sample, already scaled by 44100 / sample rate. */
        double process (double x, double gain, double clipLevel, double rateA, double rateB)
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
                // Rises from the threshold towards 4/3 of it.
                const double v = magnitude / threshold - 1.0;
                return (((1.0 / (1.5 * v + 0.5) - 0.5) * 0.5 + 0.25) * v + 1.0) * threshold * sign;
            }

            clipping = 0;
            followerA = followerB = 1.0;
            return d;
        }

        double followerA = 1.0, followerB = 1.0; // threshold followers, 1.0 = full threshold, sink to 0.1
        int clipping = 0;
        double lastInput = 0.0, previousInput = 0.0; // driven input of this and the previous call
    };

    /** A Chamberlin state-variable filter run twice per sample on the same input; the output is the mean
        of the chosen tap over both runs.
    */
    struct StateVariableFilter
    {
        enum class Tap
        {
            low,
            band,
            high
        };

        template <Tap tap, class Arithmetic = KelvanorPlainArithmetic>
        double process (double z)
        {
            constexpr Arithmetic madd{};
            double sum = 0.0;
            for (int pass = 0; pass < 2; ++pass)
            {
                input = madd (-damping, band, z) + denormalGuard;
                low = madd (frequency, band, low) + denormalGuard;
                high = input - low + denormalGuard;
                band = madd (frequency, high, band) + denormalGuard;
                sum += tap == Tap::low ? low : (tap == Tap::band ? band : high);
            }
            output = 0.5 * sum;
            return output;
        }

        void clear() { input = low = high = band = output = 0.0; }

        double frequency = 1.41; // 2 sin (pi w), w = cutoff / sample rate
        double damping = 0.71;   // 1 / Q
        double input = 0.0, low = 0.0, high = 0.0, band = 0.0, output = 0.0;
    };

private:
    friend struct KelvanorCoreProbe;

    // Added after every recursive update so that decaying states never become denormal.
    static constexpr double denormalGuard = 1e-20;

    struct NoteEntry
    {
        int note;
        float velocity;
    };

    struct Controls
    {
        double envelope;      // 0..1
        double cutoffControl; // before the exponential
    };

    struct FilterControl
    {
        double fc;           // one-pole coefficient of the ladder and chain stages
        double drive;        // input gain of the ladder
        double feedbackGain; // resonance gain K
    };

    // The smoothed values, in one array so that they are smoothed together.
    enum SmoothedIndex : std::size_t
    {
        smoothedEnvModDepth,
        smoothedEnvAccent,
        smoothedCutoff,
        smoothedAccentAmount,
        smoothedResonanceAmount,
        smoothedTuningRatio,
        smoothedPreampGain,
        smoothedClip,
        smoothedBrightness,
        smoothedResonance,
        smoothedVolume,
        numSmoothed
    };
    // One spare slot rounds the array up to whole vectors.
    using SmoothedValues = std::array<double, numSmoothed + 1>;

    // Everything a sample's filter and output need before its ladder runs.
    struct Prepared
    {
        FilterControl filter;
        double drivenInput; // the oscillator times the drive, in steps
        double vcaLevel;
        bool clearFilter;
        SmoothedValues smoothed; // the sample's, as far as its output reads them
    };

    // A sample's steps 1 to 7, computed in parts (see preparePart).
    struct Preparation
    {
        Controls controls;
        double impulse; // the first impulse train
        Prepared prepared;
    };
    static constexpr std::size_t numPreparationParts = 5;

    enum class Powers
    {
        singlePrecision, // as a parameter arrives
        doublePrecision  // as a new sample rate recomputes them
    };

    void deriveFromRawValue (int index, Powers powers);
    void recomputeCutoffTarget();
    void recomputeRateScaledValues();
    void rebuildPeriods();
    void refreshSmoothingTargets();

    // Where the distortion sits, if it is on. The switches change only between runs, so each run takes a
    // render made for its waveform and route, with no test of them per sample.
    enum class Route
    {
        none,
        pre, // the filters before the clipper
        post
    };

    template <class Arithmetic>
    void renderRunForSwitches (double* out, int numSamples);
    template <bool square, Route route>
    void renderRunFused (double* out, int numSamples);
    template <bool square, Route route>
    void renderRunPlain (double* out, int numSamples);

    // Inlined into the builds above, each compiled for its own processors.
    template <class Arithmetic, bool square, Route route>
    [[gnu::always_inline]] void renderRun (double* out, int numSamples);
    template <class Arithmetic, bool square, Route route>
    [[gnu::always_inline]] void preparePart (std::size_t part, Preparation& preparation);
    [[gnu::always_inline]] Controls renderControls();
    template <class Arithmetic>
    [[gnu::always_inline]] double renderImpulse();
    template <class Arithmetic, bool square>
    [[gnu::always_inline]] double renderOscillator (double impulse1);
    [[gnu::always_inline]] bool renderVca (double envelope);
    template <class Arithmetic>
    [[gnu::always_inline]] FilterControl computeFilterControl (double cutoffControl);
    template <class Arithmetic>
    [[gnu::always_inline]] double renderCouplingHighPass (double y, double resonance);
    // The three distortion filters' values side by side, in the lanes of one vector in the fused build
    // (the fourth lane idles); each lane is computed exactly as its filter's process would.
    struct FilterBank
    {
        alignas (32) double frequency[4], negativeDamping[4], input[4], low[4], high[4], band[4], output[4];
    };
    static double filterBankWet (FilterBank& bank, double dry);
    void loadFilterBank (FilterBank& bank) const;
    void storeFilterBank (const FilterBank& bank);

    template <class Arithmetic, Route route>
    [[gnu::always_inline]] double renderDistortion (double voice, const SmoothedValues& smoothed,
                                                    FilterBank& bank);

    //==============================================================================
    // Notes and pitch
    float accentThreshold = 64.0f / 127.0f;
    double sampleRate = 44100.0;
    std::vector<NoteEntry> noteStack; // in order of arrival; the last one sounds
    int heldNoteCount = 0;
    int accentFlag = 0;
    std::array<double, numParameters> raw{}; // values as received, 0..1
    int rateIndex = 0;                       // 44100, 48000, 88200, 96000, 192000 Hz
    std::array<double, 128> noteFrequency{}; // Hz
    std::array<double, 128> notePeriod{};    // samples per cycle at the current rate
    double currentNotePeriod = 0.0;          // samples
    const KelvanorResonanceTable* resonanceTable = nullptr;
    int resonanceSegment = 1; // where the table search starts; follows fr

    // Switches, 0 or 1
    int squareWave = 0, distortionOn = 0, routePost = 1, accentMode = 1, sweepMode = 0;

    //==============================================================================
    // Rate-dependent values; k = 44100 / sample rate, and every rate below is per sample
    float rateRatio = 1.0f; // sample rate / 44100, single precision
    double k = 1.0;
    double nyquist = 22050.0;                 // Hz
    double inverseDoubleRate = 1.0 / 88200.0; // s
    double smoothingCoefficient = 0.0, vcaSlew = 0.0, highPassCoefficient = 0.0, accentSmoothingBase = 0.0;
    double gateDecayFactor = 0.0; // the gate level's slow fade while a note is held
    double vcaOpenRate = 0.0, vcaCloseRate = 0.0, boostRate = 0.0;
    double accentFollowRate = 0.0, sweepFastRate = 0.0, sweepSlowRate = 0.0;
    double clipperRateA = 0.0, clipperRateB = 0.0;

    // Parameter-derived targets and coefficients
    double tuningRatio = 0.0;      // multiplies the note period
    double glideCoefficient = 0.0; // per sample
    double cutoffOffset = 0.0, envModOffset = 0.0, cutoffTarget = 0.0;
    double resonanceAmount = 0.0, envModDepth = 0.0;
    double attackCoefficient = 0.0, normalDecayCoefficient = 0.0, accentDecayCoefficient = 0.0; // per sample
    double accentAmount = 0.0;
    double preampGain = 1.0, distortionSize = 0.5, densityOffset = 0.0, clip = 1.0, dampingLimit = 2.0;
    double volume = 0.0;

    //==============================================================================
    // Render state
    alignas (32) SmoothedValues smoothedValues{};
    alignas (32) SmoothedValues smoothingTargets{}; // copies of the targets above

    bool smoothingSettled = false; // no smoothed value moves any more; cleared with every new target

    double glidingPeriod = 0.0; // samples
    // What the render divides by the gliding period, for the period it was last computed for.
    struct PeriodDivided
    {
        double period = std::numeric_limits<double>::quiet_NaN(); // none yet
        double cycleIncrement = 0.0, inverse = 0.0, phaseStep = 0.0;
        int harmonics = 1;
    };
    PeriodDivided periodDivided;
    // The square's pulse width and its impulse mix depend on the period and the rate alone: kept for the
    // period and build they were computed for.
    struct PulseShape
    {
        double period = std::numeric_limits<double>::quiet_NaN(); // none yet
        bool fused = false;
        double width = 0.0, g = 0.0, oneLessG = 0.0;
    };
    PulseShape pulseShape;
    double cycleCounter = 0.0, cycleIncrement = 0.0; // 0..80 per period
    int attackPhaseDone = 0;                         // 0 attack, 1 decay
    double envelopeLevel = 1.0;
    double accent1 = 0.0, accent2 = 0.0, accent3 = 0.0, accentRate = 0.0;

    double phase1 = 0.0, phase2 = 0.0; // radians, 0..pi per period
    int harmonics = 1;
    double ramp = 0.0, previousRamp = 0.0;
    double integrator = -0.5, oscillatorOutput = 0.0;

    double gateLevel = 0.0, vcaFollower = 0.0, accentBoost = 0.0, vcaLevel = 0.0;

    // The ladder and the chain count in steps of the saturator (the 65000-scaled signal / 1024).
    std::array<double, 4> ladder{};
    std::array<double, 4> ladderSaturated{}; // tanh of each ladder stage, kept in step with it
    double previousLadderOut = 0.0, stage1Before = 0.0;

    // The feedback F into the next sample's first pass, (stage 4 + its value before) / 2, in the parts
    // it is computed from: stage 4 = held + tanh (stage 3) x gain. Zero after construction and clearing.
    struct LadderCarry
    {
        KelvanorSaturator::Saturated third{}; // tanh of stage 3 and its estimate
        double held = 0.0, gain = 0.0;        // steps, and the stage gain
        double previous = 0.0;                // stage 4 before its last update, steps
    };
    LadderCarry ladderCarry;
    std::array<double, 6> chain{}, chainHalf{};
    std::array<double, 4> highPass{};

    Clipper clipper;
    std::array<StateVariableFilter, 3> distortionFilters;
};
