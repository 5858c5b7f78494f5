#include "engine/Kelvanor.h"

#include <cmath>

namespace
{
/** A number with a fixed count of decimals, in the classic locale; a value that rounds to zero is
    written without a minus sign. */
juce::String fixed (double value, int decimals)
{
    const double half = 0.5 * std::pow (10.0, -decimals);
    return juce::String (std::abs (value) < half ? 0.0 : value, decimals);
}

juce::String decibels (double gain)
{
    return fixed (gain > 0.0 ? 20.0 * std::log10 (gain) : -320.0, 1) + "dB";
}

juce::String chordName (int chord)
{
    static const char* const names[] = {"Custom", "Major", "Minor", "7th", "m7th", "M7", "m7_5", "Dim"};
    return juce::isPositiveAndBelow (chord, 8) ? names[chord] : "#######";
}

/** Semitones with the whole part and two decimals, truncated: "24.0", "12.50", "-3.25", "0.05". */
juce::String halftones (double semitones)
{
    const double magnitude = std::abs (semitones);
    const auto hundredths = (juce::int64) (magnitude * 100.0);
    const auto whole = hundredths / 100;
    const auto fraction = (int) (hundredths % 100);

    const juce::String sign = semitones < 0.0 && hundredths != 0 ? "-" : "";
    const juce::String decimals = fraction == 0 ? "0" : juce::String (fraction).paddedLeft ('0', 2);
    return sign + juce::String (whole) + "." + decimals + " halftones";
}
} // namespace

juce::String Kelvanor::getParameterTextById (int id)
{
    if (id >= 0 && id < KelvanorCore::numParameters)
    {
        const juce::ScopedLock sl (coreLock);
        const double raw = core->getRawValue (id);

        switch (id)
        {
            case tuningId: return halftones ((raw - 0.5) * 48.0);

            case slideTimeId:
                return juce::String (std::round (
                           1000.0 / (std::pow (0.0007638230901957031, raw) * 770.1197080532744))) +
                       " ms";

            case cutoffId:
            case resonanceId:
            case envModId:
            case envAccentId:
            case accentVolumeId: return fixed (raw * 100.0, 1);

            case sweepTimeId: return fixed (raw * 36.0, 1) + " ms";

            case envAttackId:
            {
                const double seconds = raw * -0.07606847412199216 / (raw - 1.0143525020308606);
                return seconds >= 1.0 ? fixed (seconds, 2) + " s" : fixed (seconds * 1000.0, 1) + " ms";
            }

            case envDecayId:
            case accentDecayId:
            {
                const double x = raw * -13731.040831170467 + 17036.972707414807;
                const double milliseconds = 61156177462.69503 / (x * x + 15522448.280278217);
                return milliseconds >= 1000.0 ? fixed (milliseconds / 1000.0, 2) + " s"
                                              : fixed (milliseconds, 1) + " ms";
            }

            case stepLengthId:
            case distortionWetnessId:
            case distortionBrightnessId: return juce::String ((int) (raw * 100.0)) + "%";

            case distortionPreampId: return decibels (core->getPreampGain());

            case distortionSizeId:
            case distortionDensityId: return fixed (raw * 2.0 - 1.0, 2);

            case distortionClipId: return decibels (core->getClip());
            case waveformId: return core->isSquareWave() ? "Square" : "Sawtooth";
            case accentModeId: return core->isAccentModeLinked() ? "Linked" : "Free";
            case sweepModeId: return core->isSweepModeLinked() ? "Linked" : "Free";
            case distortionStateId: return core->isDistortionOn() ? "On" : "Off";
            case distortionRouteId: return core->isRoutePost() ? "Post" : "Pre";

            case mainVolumeId:
            {
                const double volume = core->getVolume();
                const double level = volume > 0.0 ? 20.0 * std::log10 (volume) : -320.0;
                if (volume <= 0.0 || level == -320.0)
                    return "-inf.";
                return (level > 0.0 ? "+" : "") + fixed (level, 1) + "dB";
            }

            default: return {};
        }
    }

    // The arpeggiator's fields follow their parameters exactly, so the texts read the parameters.
    const float value = getParameterManager().getParameterNormalised (id);

    switch (id)
    {
        case arpeChordId: return chordName (nearestInt (value * 7.0f));

        case arpeModeId:
        {
            static const char* const modes[] = {"Off", "Random", "Up", "Down", "Up-Down"};
            const int mode = nearestInt (value * 4.0f);
            return juce::isPositiveAndBelow (mode, 5) ? modes[mode] : "#######";
        }

        case arpeShuffleId: return juce::String (nearestInt (value * 100.0f)) + "%";

        case arpeRangeSub1Id:
        case arpeRangeZeroId:
        case arpeRangeAdd1Id:
        case arpeRangeAdd2Id: return value >= 0.5f ? "On" : "Off";

        case arpeMultiplierId:
        {
            static const char* const multipliers[] = {"1", "1.5", "2", "3", "4", "6"};
            const int index = nearestInt (value * 5.0f);
            return juce::isPositiveAndBelow (index, 6) ? multipliers[index] : "######";
        }

        case arpeRepeaterId:
        {
            static const char* const repeats[] = {"1", "2", "3", "4", "6"};
            const int index = nearestInt (value * 4.0f);
            return juce::isPositiveAndBelow (index, 5) ? repeats[index] : "######";
        }

        case gateThresholdId:
        case accentThresholdId:
        case slideThresholdId:
        case gateLevelId:
        case accentLevelId:
        case slideLevelId: return juce::String (nearestInt (value * 127.0f));

        case randomizerChordId: return chordName (nearestInt (value * 7.0f));

        default: return {};
    }
}
