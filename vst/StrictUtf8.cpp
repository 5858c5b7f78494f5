#include "vst/StrictUtf8.h"

#include <cstring>

namespace StrictUtf8
{
size_t findFirstError (const void* data, size_t size) noexcept
{
    if (data == nullptr)
        return 0;

    const auto* bytes = static_cast<const juce::uint8*> (data);
    size_t i = 0;

    while (i < size)
    {
        const auto lead = bytes[i];

        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        // The lead byte fixes the number of continuation bytes and the range of the first one; the
        // narrowed ranges after E0, ED, F0 and F4 exclude overlong forms, surrogates and values above
        // U+10FFFF. C0, C1 and F5..FF can only start overlong or out-of-range forms.
        size_t numContinuation = 0;
        juce::uint8 low = 0x80, high = 0xbf;

        if (lead >= 0xc2 && lead <= 0xdf)
            numContinuation = 1;
        else if (lead >= 0xe0 && lead <= 0xef)
        {
            numContinuation = 2;
            low = lead == 0xe0 ? 0xa0 : 0x80;
            high = lead == 0xed ? 0x9f : 0xbf;
        }
        else if (lead >= 0xf0 && lead <= 0xf4)
        {
            numContinuation = 3;
            low = lead == 0xf0 ? 0x90 : 0x80;
            high = lead == 0xf4 ? 0x8f : 0xbf;
        }
        else
            return i;

        if (size - i - 1 < numContinuation)
            return i;

        if (bytes[i + 1] < low || bytes[i + 1] > high)
            return i;

        for (size_t k = 2; k <= numContinuation; ++k)
            if ((bytes[i + k] & 0xc0) != 0x80)
                return i;

        i += numContinuation + 1;
    }

    return size;
}

bool isWellFormed (const void* data, size_t size) noexcept
{
    return findFirstError (data, size) == size;
}

bool toString (const void* data, size_t size, juce::String& result)
{
    result = {};

    if (data == nullptr || size == 0)
        return data != nullptr || size == 0;

    const auto* start = static_cast<const char*> (data);

    if (size >= 3 && juce::CharPointer_UTF8::isByteOrderMark (start))
    {
        start += 3;
        size -= 3;
    }

    if (!isWellFormed (start, size) || std::memchr (start, 0, size) != nullptr)
        return false;

    // The two-pointer constructor copies exactly the bytes between them; checked as above, they decode
    // to exactly that many bytes again.
    result = juce::String (juce::CharPointer_UTF8 (start), juce::CharPointer_UTF8 (start + size));
    return true;
}
} // namespace StrictUtf8
