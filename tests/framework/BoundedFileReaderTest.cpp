#include "framework/BoundedFileReader.h"
#include "TestSupport.h"
#include "framework/XmlHelpers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

// Where a file should be, only a regular file within the limit is read; a FIFO, a device or a folder is
// as unreadable as a missing file, at once (a reader that blocked would hang this test).
TEST (BoundedFileReader, ReadsOnlyRegularFilesWithinTheLimit)
{
    TemporaryFolder folder;
    const auto file = [&] (const char* name) { return folder.getChildFile (name); };
    const auto link = [&] (const char* name, const char* target)
    {
        EXPECT_EQ (::symlink (target, file (name).getFullPathName().toRawUTF8()), 0);
        return file (name);
    };
    ASSERT_TRUE (file ("regular.ini").replaceWithText ("<R/>") && file ("empty.ini").create().wasOk());
    ASSERT_TRUE (file ("folder.ini").createDirectory());
    ASSERT_EQ (::mkfifo (file ("fifo.ini").getFullPathName().toRawUTF8(), 0600), 0);

    const struct
    {
        juce::File file;
        size_t size; // 0 when unreadable
        bool readable;
    } cases[] = {{file ("regular.ini"), 4, true},
                 {link ("link.ini", "regular.ini"), 4, true},
                 {file ("empty.ini"), 0, true},
                 {file ("missing.ini"), 0, false},
                 {juce::File(), 0, false},
                 {file ("folder.ini"), 0, false},
                 {file ("fifo.ini"), 0, false},
                 {link ("fifo-link.ini", "fifo.ini"), 0, false},
                 {link ("zero.ini", "/dev/zero"), 0, false},
                 {link ("dangling.ini", "gone"), 0, false}};

    for (const auto& c : cases)
    {
        juce::MemoryBlock bytes ("stale", 5);
        EXPECT_EQ (BoundedFileReader::readBytes (c.file, bytes), c.readable) << c.file.getFileName();
        EXPECT_EQ (bytes.getSize(), c.size) << c.file.getFileName();
        EXPECT_EQ (XmlHelpers::parse (c.file) != nullptr, c.size > 0) << c.file.getFileName();
    }

    juce::MemoryBlock bytes;
    EXPECT_FALSE (BoundedFileReader::readBytes (file ("regular.ini"), bytes, 3)) << "one byte over the limit";
    EXPECT_TRUE (BoundedFileReader::readBytes (juce::File ("/proc/self/status"), bytes) &&
                 bytes.getSize() > 0)
        << "a file whose size says 0 is read to its end";

    juce::String text ("stale");
    ASSERT_TRUE (file ("bad.txt").replaceWithData ("Bass\xc0\x80", 6));
    EXPECT_FALSE (BoundedFileReader::readText (file ("bad.txt"), text)) << "text must be well-formed UTF-8";
    EXPECT_TRUE (text.isEmpty());
}
