#pragma once

#include <juce_core/juce_core.h>

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <type_traits>

/** The number the whole text spells, or nothing when any character is left over, the text is empty, the
    value does not fit the type or (for floating point) is not finite. std::from_chars reads numbers the
    same whatever locale a loaded plug-in sets. */
template <typename Number>
std::optional<Number> readExactNumber (const juce::String& text)
{
    const std::string s = text.toStdString();
    Number value{};
    const auto [end, error] = std::from_chars (s.data(), s.data() + s.size(), value);
    if (error != std::errc() || end != s.data() + s.size() || s.empty())
        return std::nullopt;
    if constexpr (std::is_floating_point_v<Number>)
        if (!std::isfinite (value))
            return std::nullopt;
    return value;
}
