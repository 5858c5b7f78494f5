#include "framework/NaturalCompare.h"

#include <vector>

namespace
{
// Only the ASCII digits take part in numbers: their values are compared digit by digit.
bool isDigit (juce::juce_wchar c)
{
    return c >= '0' && c <= '9';
}

bool isLetter (juce::juce_wchar c)
{
    return juce::CharacterFunctions::isLetter (c);
}

int sign (int value)
{
    return (value > 0) - (value < 0);
}

// Both pointers stand on a digit.
int compareNumbers (juce::CharPointer_UTF8 a, juce::CharPointer_UTF8 b)
{
    int zerosA = 0, zerosB = 0;

    while (*a == '0')
    {
        ++a;
        ++zerosA;
    }

    while (*b == '0')
    {
        ++b;
        ++zerosB;
    }

    // Nothing but zeros on one side: more leading zeros sort first.
    if (!isDigit (*a) || !isDigit (*b))
        return sign (zerosB - zerosA);

    int firstDifference = 0;

    for (;; ++a, ++b)
    {
        const bool digitA = isDigit (*a), digitB = isDigit (*b);

        if (!digitA && !digitB)
            return firstDifference;

        // The longer number is the greater one, whatever its first digits say.
        if (!digitA)
            return -1;

        if (!digitB)
            return 1;

        if (firstDifference == 0 && *a != *b)
            firstDifference = *a < *b ? -1 : 1;
    }
}

struct SortKeys
{
    const juce::StringArray& names;
    juce::StringArray lowerCase;
};

// Ties of the natural order are broken by the natural order of the lower-case names (so "preset 9" still
// comes before "Preset 10"), then ignoring case, then exactly.
int compareForSort (const SortKeys& keys, int a, int b)
{
    if (const int natural = naturalCompare (keys.names[a], keys.names[b]))
        return natural;

    if (const int lowered = naturalCompare (keys.lowerCase[a], keys.lowerCase[b]))
        return lowered;

    if (const int ignoringCase = keys.names[a].compareIgnoreCase (keys.names[b]))
        return ignoringCase;

    return keys.names[a].compare (keys.names[b]);
}

// Stable: an element of the right half goes first only when it compares strictly below. Bounds come from
// the indexes alone, so an inconsistent comparison gives some order but never a fault.
void mergeSort (std::vector<int>& order, std::vector<int>& scratch, const SortKeys& keys, size_t begin,
                size_t end)
{
    if (end - begin < 2)
        return;

    const size_t middle = begin + (end - begin) / 2;
    mergeSort (order, scratch, keys, begin, middle);
    mergeSort (order, scratch, keys, middle, end);

    size_t left = begin, right = middle, out = begin;

    while (left < middle && right < end)
    {
        if (compareForSort (keys, order[right], order[left]) < 0)
            scratch[out++] = order[right++];
        else
            scratch[out++] = order[left++];
    }

    while (left < middle)
        scratch[out++] = order[left++];

    while (right < end)
        scratch[out++] = order[right++];

    std::copy (scratch.begin() + (std::ptrdiff_t) begin, scratch.begin() + (std::ptrdiff_t) end,
               order.begin() + (std::ptrdiff_t) begin);
}
} // namespace

int naturalCompare (const juce::String& a, const juce::String& b)
{
    if (a.isEmpty())
        return b.isEmpty() ? 0 : -1;

    auto pa = a.getCharPointer();
    auto pb = b.getCharPointer();

    for (;; ++pa, ++pb)
    {
        const auto ca = *pa, cb = *pb;

        if (ca == 0)
            return cb == 0 ? 0 : -1;

        if (cb == 0)
            return 1;

        if (isDigit (ca) || isDigit (cb) || ca != cb)
            break;
    }

    const auto ca = *pa, cb = *pb;
    const bool alnumA = isLetter (ca) || isDigit (ca);
    const bool alnumB = isLetter (cb) || isDigit (cb);

    if (alnumA != alnumB)
        return alnumA ? 1 : -1;

    if (!alnumA)
        return sign ((int) ca - (int) cb);

    if (isLetter (ca) && isDigit (cb))
        return 1;

    if (isDigit (ca) && isLetter (cb))
        return -1;

    if (isLetter (ca))
        return sign ((int) juce::CharacterFunctions::toUpperCase (ca) -
                     (int) juce::CharacterFunctions::toUpperCase (cb));

    return compareNumbers (pa, pb);
}

juce::Array<int> naturalOrder (const juce::StringArray& keys)
{
    const auto count = (size_t) keys.size();
    std::vector<int> order (count), scratch (count);

    for (size_t i = 0; i < count; ++i)
        order[i] = (int) i;

    SortKeys sortKeys{keys, {}};
    for (const auto& key : keys)
        sortKeys.lowerCase.add (key.toLowerCase());

    mergeSort (order, scratch, sortKeys, 0, count);
    return juce::Array<int> (order.data(), (int) order.size());
}
