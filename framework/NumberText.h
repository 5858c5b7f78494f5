#pragma once

#include <juce_core/juce_core.h>

/** Numbers to and from text the same way whatever locale the host has set (LC_NUMERIC never applies).
    Allocation-free readers; any thread. */
namespace NumberText
{
/** The leading integer as atoi reads it (whitespace, an optional sign, digits; 0 when there are none),
    saturated to the int range instead of overflowing. */
int readLeadingInteger (const juce::String& text) noexcept;

/** The leading decimal number (0 when the text does not begin with one); may give NaN or infinity for
    "nan" and "inf" or a number beyond the double range. */
double readDecimal (const juce::String& text) noexcept;

/** A double brought into the float range: beyond it gives the largest finite float of that sign, NaN
    stays NaN. */
float toFloat (double value) noexcept;

/** Shortest general form with at most the given number of significant digits, as printf's %g in the
    classic locale writes it ("0.5", "100", "0.333333343", "1e+20"). */
juce::String formatGeneral (double value, int significantDigits);
} // namespace NumberText
