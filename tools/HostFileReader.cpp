#include "tools/HostFileReader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace HostFileReader
{
bool readBytes (const juce::File& file, juce::MemoryBlock& result, size_t limit)
{
    result.reset();
    const auto path = file.getFullPathName();
    if (path.isEmpty())
        return false;

    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    struct Descriptor
    {
        ~Descriptor()
        {
            if (value >= 0)
                ::close (value);
        }
        const int value;
    } opened{::open (path.toRawUTF8(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    const int descriptor = opened.value;
    if (descriptor < 0)
        return false;

    // Decided on the opened file, which cannot be swapped between the check and the read.
    struct stat info
    {
    };
    if (::fstat (descriptor, &info) != 0 || !S_ISREG (info.st_mode) || info.st_size < 0 ||
        (juce::uint64) info.st_size > (juce::uint64) limit)
        return false;

    // The size is a hint only (the file may grow while read): reading stops at the end or one byte
    // past the limit.
    juce::MemoryBlock data ((size_t) info.st_size + 1);
    size_t total = 0;
    for (;;)
    {
        if (total == data.getSize())
        {
            if (total > limit)
                return false;
            data.setSize (juce::jmin (total * 2, limit + 1));
        }

        const auto n =
            ::read (descriptor, static_cast<char*> (data.getData()) + total, data.getSize() - total);
        if (n == 0)
            break;
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        total += (size_t) n;
    }
    if (total > limit)
        return false;

    data.setSize (total);
    result.swapWith (data);
    return true;
}

bool isWellFormedUtf8 (const void* data, size_t size) noexcept
{
    const auto* bytes = static_cast<const unsigned char*> (data);
    size_t i = 0;
    while (i < size)
    {
        const unsigned lead = bytes[i];
        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        // The allowed range of the second byte narrows for E0, ED, F0 and F4: that rules out overlong
        // forms, surrogates and code points above U+10FFFF.
        int continuations = 0;
        unsigned low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF)
            continuations = 1;
        else if (lead >= 0xE0 && lead <= 0xEF)
        {
            continuations = 2;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        }
        else if (lead >= 0xF0 && lead <= 0xF4)
        {
            continuations = 3;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        }
        else
            return false;

        if (size - i <= (size_t) continuations)
            return false;
        if (bytes[i + 1] < low || bytes[i + 1] > high)
            return false;
        for (int k = 2; k <= continuations; ++k)
            if ((bytes[i + (size_t) k] & 0xC0) != 0x80)
                return false;
        i += (size_t) continuations + 1;
    }
    return true;
}

bool readText (const juce::File& file, juce::String& result, size_t limit)
{
    result = {};
    juce::MemoryBlock bytes;
    if (!readBytes (file, bytes, limit))
        return false;

    const auto* text = static_cast<const char*> (bytes.getData());
    size_t size = bytes.getSize();
    if (size >= 3 && std::memcmp (text, "\xEF\xBB\xBF", 3) == 0)
    {
        text += 3;
        size -= 3;
    }
    if (!isWellFormedUtf8 (text, size) || std::memchr (text, 0, size) != nullptr)
        return false;

    result = juce::String::fromUTF8 (text, (int) size);
    return true;
}
} // namespace HostFileReader
