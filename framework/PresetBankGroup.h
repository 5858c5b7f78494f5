#pragma once

#include <juce_core/juce_core.h>

/** A named run of consecutive presets of the old-style bank. Groups partition the bank's presets in
    order: a group holds the presets that follow those of the groups before it, as many as its size.
    Guarded by the bank's group array lock. */
class PresetBankGroup
{
public:
    PresetBankGroup (const juce::String& groupName, int numPresets)
        : name (groupName)
        , size (juce::jmax (0, numPresets))
    {
    }

    const juce::String& getName() const noexcept { return name; }
    void setName (const juce::String& newName) { name = newName; }

    int getSize() const noexcept { return size; }
    void setSize (int newSize) noexcept { size = juce::jmax (0, newSize); }

private:
    juce::String name;
    int size;

    JUCE_DECLARE_NON_COPYABLE (PresetBankGroup)
};
