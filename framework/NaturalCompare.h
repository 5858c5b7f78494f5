#pragma once

#include <juce_core/juce_core.h>

/** Natural order of preset and folder names: runs of digits compare by their numeric value, letters
    compare ignoring case, and a letter or digit sorts after punctuation.

    Returns below 0 when a sorts first, 0 when the two rank equal, above 0 when b sorts first. Some unequal
    names rank equal (names that differ only after two equal numbers, or whose first difference is a
    letter in another case), so this is no strict weak order: sort with naturalOrder, never std::sort. */
int naturalCompare (const juce::String& a, const juce::String& b);

/** The permutation that puts the keys in natural order: result[i] is the index of the key that goes to
    place i. Keys that rank equal are ordered by the natural order of their lower-case forms, then ignoring
    case, then exactly, then by their position. A merge
    sort that stays in bounds and ends whatever the comparison answers; any thread. */
juce::Array<int> naturalOrder (const juce::StringArray& keys);
