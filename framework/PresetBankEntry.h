#pragma once

#include <juce_core/juce_core.h>
#include <vector>

/** One preset of the old-style preset bank: a name and one normalised value per presetable parameter,
    indexed by parameter identifier from 0.

    Holds no lock of its own: the bank guards its entries with the preset array's lock, and the audio
    thread writes single values of the current preset under that lock, so setValue never allocates.
    Every stored value lies within 0..1. */
class PresetBankEntry
{
public:
    /** Named "Preset", the given count of values, all 0. number is the entry's index when its bank was
        created, or -1 for an entry outside the bank. */
    PresetBankEntry (int numValues, int number);

    const juce::String& getName() const noexcept { return name; }
    void setName (const juce::String& newName) { name = newName; }

    int getNumValues() const noexcept { return (int) values.size(); }
    int getNumber() const noexcept { return number; }

    /** 0 for an index out of range. */
    float getValue (int index) const noexcept;

    /** Clamped into 0..1; a NaN or an index out of range changes nothing. Allocation-free. */
    void setValue (int index, float newValue) noexcept;

    /** Takes the other's name and as many of its values as this entry holds; values the other lacks keep
        what they were. */
    void copyFrom (const PresetBankEntry& other);

private:
    juce::String name{"Preset"};
    std::vector<float> values;
    const int number;

    JUCE_DECLARE_NON_COPYABLE (PresetBankEntry)
};
