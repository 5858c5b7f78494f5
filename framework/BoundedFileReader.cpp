#include "framework/BoundedFileReader.h"

#include "vst/StrictUtf8.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BoundedFileReader
{
namespace
{
struct ScopedDescriptor
{
    explicit ScopedDescriptor (int d) noexcept
        : descriptor (d)
    {
    }
    ~ScopedDescriptor()
    {
        if (descriptor >= 0)
            ::close (descriptor);
    }

    ScopedDescriptor (const ScopedDescriptor&) = delete;
    ScopedDescriptor& operator= (const ScopedDescriptor&) = delete;

    const int descriptor;
};
} // namespace

bool readBytes (const juce::File& file, juce::MemoryBlock& result, size_t limit)
{
    result.reset();

    const auto path = file.getFullPathName();
    if (path.isEmpty())
        return false;

    // Without O_NONBLOCK, opening a FIFO for reading waits until some process opens it for writing.
    const ScopedDescriptor in (::open (path.toRawUTF8(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (in.descriptor < 0)
        return false;

    // Decided on the opened file itself, so that it cannot be swapped between a check and the read.
    struct stat info
    {
    };
    if (::fstat (in.descriptor, &info) != 0 || !S_ISREG (info.st_mode) || info.st_size < 0 ||
        (juce::uint64) info.st_size > (juce::uint64) limit)
        return false;

    // The size is only a hint (the file may grow while it is read; files of /proc say 0): the read stops
    // at the end of the file or one byte past the limit, whichever comes first.
    juce::MemoryBlock data (juce::jmin ((size_t) info.st_size, limit) + 1);
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
            ::read (in.descriptor, static_cast<char*> (data.getData()) + total, data.getSize() - total);

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

bool readText (const juce::File& file, juce::String& result, size_t limit)
{
    result = {};
    juce::MemoryBlock bytes;

    return readBytes (file, bytes, limit) && StrictUtf8::toString (bytes.getData(), bytes.getSize(), result);
}
} // namespace BoundedFileReader
