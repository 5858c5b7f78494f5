#include "framework/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace NumberText
{
int readLeadingInteger (const juce::String& text) noexcept
{
    auto p = text.getCharPointer();
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')
        ++p;

    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = (*p++ == '-');

    // Accumulated as a 64-bit magnitude and stopped at the first digit that leaves the int range.
    constexpr juce::int64 limit = (juce::int64) std::numeric_limits<int>::max() + 1;
    juce::int64 magnitude = 0;
    for (auto c = *p; c >= '0' && c <= '9'; c = *++p)
        magnitude = juce::jmin (limit, magnitude * 10 + (c - '0'));

    if (negative)
        return (int) -magnitude;

    return (int) juce::jmin (magnitude, limit - 1);
}

double readDecimal (const juce::String& text) noexcept
{
    return text.getDoubleValue();
}

float toFloat (double value) noexcept
{
    constexpr double largest = std::numeric_limits<float>::max();
    if (value > largest)
        return std::numeric_limits<float>::max();
    if (value < -largest)
        return std::numeric_limits<float>::lowest();
    return (float) value;
}

juce::String formatGeneral (double value, int significantDigits)
{
    char buffer[64] = {};
    const auto result = std::to_chars (buffer, buffer + sizeof (buffer) - 1, value,
                                       std::chars_format::general, juce::jlimit (1, 17, significantDigits));
    if (result.ec != std::errc())
        return {};

    return juce::String (buffer, (size_t) (result.ptr - buffer));
}
} // namespace NumberText
