#include "framework/PresetBankEntry.h"

#include <cmath>

PresetBankEntry::PresetBankEntry (int numValues, int entryNumber)
    : values ((size_t) juce::jmax (0, numValues), 0.0f)
    , number (entryNumber)
{
}

float PresetBankEntry::getValue (int index) const noexcept
{
    return juce::isPositiveAndBelow (index, getNumValues()) ? values[(size_t) index] : 0.0f;
}

void PresetBankEntry::setValue (int index, float newValue) noexcept
{
    if (juce::isPositiveAndBelow (index, getNumValues()) && !std::isnan (newValue))
        values[(size_t) index] = juce::jlimit (0.0f, 1.0f, newValue);
}

void PresetBankEntry::copyFrom (const PresetBankEntry& other)
{
    if (&other == this)
        return;

    name = other.name;
    const int count = juce::jmin (getNumValues(), other.getNumValues());
    for (int i = 0; i < count; ++i)
        values[(size_t) i] = other.values[(size_t) i];
}
