#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

/** Measures of a rendered stretch [from, to) of a signal, for the voice's and the plug-in's tests. */
template <typename T>
double peakOf (const std::vector<T>& x, size_t from = 0, size_t to = SIZE_MAX)
{
    double peak = 0.0;
    for (size_t i = from; i < std::min (to, x.size()); ++i)
        peak = std::max (peak, std::abs ((double) x[i]));
    return peak;
}

template <typename T>
double rmsOf (const std::vector<T>& x, size_t from = 0, size_t to = SIZE_MAX)
{
    double sum = 0.0;
    to = std::min (to, x.size());
    for (size_t i = from; i < to; ++i)
        sum += (double) x[i] * (double) x[i];
    return to > from ? std::sqrt (sum / (double) (to - from)) : 0.0;
}

template <typename T>
bool allFiniteIn (const std::vector<T>& x)
{
    return std::all_of (x.begin(), x.end(), [] (T v) { return std::isfinite (v); });
}

/** The fundamental frequency from the upward zero crossings, interpolated between samples. A crossing counts
    only after the signal went below armLevel times the stretch's peak, so ripples of the filter's resonance
    around zero are not taken for periods. 0 when fewer than two crossings. */
template <typename T>
double fundamentalOf (const std::vector<T>& x, double sampleRate, size_t from = 0, size_t to = SIZE_MAX,
                      double armLevel = 0.25)
{
    to = std::min (to, x.size());
    const double threshold = armLevel * peakOf (x, from, to);
    bool armed = false;
    double first = -1.0, last = -1.0;
    int periods = -1;

    for (size_t i = from + 1; i < to; ++i)
    {
        const double a = (double) x[i - 1], b = (double) x[i];
        armed = armed || b < -threshold;
        if (armed && a < 0.0 && b >= 0.0)
        {
            last = (double) (i - 1) + a / (a - b);
            first = first < 0.0 ? last : first;
            ++periods;
            armed = false;
        }
    }
    return periods > 0 ? sampleRate * periods / (last - first) : 0.0;
}

/** Mean squared first difference over mean square: grows with the share of high partials. */
template <typename T>
double brightnessOf (const std::vector<T>& x, size_t from = 0, size_t to = SIZE_MAX)
{
    double diff = 0.0, energy = 0.0;
    for (size_t i = from + 1; i < std::min (to, x.size()); ++i)
    {
        const double d = (double) x[i] - (double) x[i - 1];
        diff += d * d;
        energy += (double) x[i] * (double) x[i];
    }
    return energy > 0.0 ? diff / energy : 0.0;
}
