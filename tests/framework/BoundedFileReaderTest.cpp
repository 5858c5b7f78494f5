#include "framework/BoundedFileReader.h"
#include "TestSupport.h"
#include "framework/XmlHelpers.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

namespace
{
/** Runs the read on its own thread and waits at most a few seconds, so that a read that blocks fails
    the test instead of hanging it; a FIFO is then opened for writing, which frees the reader. */
bool finishesPromptly (const juce::File& file, std::function<void()> read)
{
    std::atomic<bool> done{false};
    std::thread reader ([&] { read(), done = true; });
    for (int i = 0; i < 500 && !done; ++i)
        juce::Thread::sleep (10);

    const bool finished = done;
    if (const int writer = finished ? -1 : ::open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_NONBLOCK);
        writer >= 0)
        ::close (writer);
    reader.join();
    return finished;
}
} // namespace

TEST (BoundedFileReader, ReadsOnlyRegularFilesWithinTheLimit)
{
    TemporaryFolder folder;
    const auto file = [&] (const char* name) { return folder.getChildFile (name); };
    const auto link = [&] (const char* name, const juce::File& target)
    {
        EXPECT_EQ (
            ::symlink (target.getFullPathName().toRawUTF8(), file (name).getFullPathName().toRawUTF8()), 0);
        return file (name);
    };
    ASSERT_TRUE (file ("regular.ini").replaceWithText ("<R/>") && file ("empty.ini").create().wasOk());
    ASSERT_TRUE (file ("folder.ini").createDirectory());
    ASSERT_EQ (::mkfifo (file ("fifo.ini").getFullPathName().toRawUTF8(), 0600), 0);

    const struct
    {
        juce::File file;
        bool readable;
    } cases[] = {{file ("regular.ini"), true},
                 {link ("link.ini", file ("regular.ini")), true},
                 {file ("empty.ini"), true},
                 {file ("missing.ini"), false},
                 {juce::File(), false},
                 {file ("folder.ini"), false},
                 {file ("fifo.ini"), false},
                 {link ("fifo-link.ini", file ("fifo.ini")), false},
                 {link ("zero.ini", juce::File ("/dev/zero")), false},
                 {link ("dangling.ini", file ("gone")), false}};

    for (const auto& c : cases)
    {
        juce::MemoryBlock bytes ("stale", 5);
        std::unique_ptr<juce::XmlElement> xml;
        bool read = !c.readable;
        ASSERT_TRUE (finishesPromptly (c.file,
                                       [&]
                                       {
                                           read = BoundedFileReader::readBytes (c.file, bytes);
                                           xml = XmlHelpers::parse (c.file);
                                       }))
            << c.file.getFileName();
        EXPECT_EQ (read, c.readable) << c.file.getFileName();
        EXPECT_EQ (bytes.getSize(), c.readable ? (size_t) c.file.getSize() : 0u) << c.file.getFileName();
        EXPECT_EQ (xml != nullptr, c.readable && c.file.getSize() > 0) << c.file.getFileName();
    }

    juce::MemoryBlock bytes;
    EXPECT_TRUE (BoundedFileReader::readBytes (file ("regular.ini"), bytes, 4));
    EXPECT_FALSE (BoundedFileReader::readBytes (file ("regular.ini"), bytes, 3)) << "one byte over the limit";
    EXPECT_TRUE (BoundedFileReader::readBytes (juce::File ("/proc/self/status"), bytes) &&
                 bytes.getSize() > 0)
        << "a file whose size says 0 is read to its end";

    // Text must be well-formed UTF-8 as well.
    juce::String text ("stale");
    ASSERT_TRUE (file ("bad.txt").replaceWithData ("Bass\xc0\x80", 6));
    EXPECT_FALSE (BoundedFileReader::readText (file ("bad.txt"), text));
    EXPECT_TRUE (text.isEmpty());
    EXPECT_TRUE (BoundedFileReader::readText (file ("regular.ini"), text));
    EXPECT_EQ (text, "<R/>");
}
