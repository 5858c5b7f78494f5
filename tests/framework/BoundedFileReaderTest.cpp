#include "framework/BoundedFileReader.h"
#include "TestSupport.h"
#include "framework/XmlHelpers.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace
{
/** Runs a read on its own thread and gives up waiting after a few seconds, so that a read that blocks
    fails the test instead of hanging it. A FIFO left blocked is then opened for writing to free it. */
template <typename Read>
bool finishesPromptly (const juce::File& file, Read read)
{
    std::atomic<bool> done{false};
    std::thread reader (
        [&]
        {
            read();
            done = true;
        });

    for (int i = 0; i < 500 && !done; ++i)
        juce::Thread::sleep (10);

    const bool finished = done;
    if (!finished)
    {
        const int writer = ::open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close (writer);
    }
    reader.join();
    return finished;
}

class BoundedFileReaderFixture : public ::testing::Test
{
protected:
    juce::File make (const char* name, const std::string& bytes)
    {
        const auto file = folder.getChildFile (name);
        EXPECT_TRUE (file.deleteFile() && file.create().wasOk());
        if (!bytes.empty())
        {
            EXPECT_TRUE (file.replaceWithData (bytes.data(), bytes.size()));
        }
        return file;
    }

    juce::File link (const char* name, const juce::File& target)
    {
        const auto file = folder.getChildFile (name);
        EXPECT_EQ (::symlink (target.getFullPathName().toRawUTF8(), file.getFullPathName().toRawUTF8()), 0);
        return file;
    }

    TemporaryFolder folder;
};
} // namespace

TEST_F (BoundedFileReaderFixture, ReadsOnlyRegularFilesWithinTheLimit)
{
    const auto fifo = folder.getChildFile ("fifo.ini");
    ASSERT_EQ (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);
    const auto subFolder = folder.getChildFile ("folder.ini");
    ASSERT_TRUE (subFolder.createDirectory());
    const auto regular = make ("regular.ini", "<R/>");

    const struct
    {
        const char* description;
        juce::File file;
        bool readable;
    } cases[] = {
        {"regular file", regular, true},
        {"link to a regular file", link ("link.ini", regular), true},
        {"empty file", make ("empty.ini", ""), true},
        {"missing file", folder.getChildFile ("missing.ini"), false},
        {"no file at all", juce::File(), false},
        {"folder", subFolder, false},
        {"FIFO", fifo, false},
        {"link to a FIFO", link ("fifo-link.ini", fifo), false},
        {"link to /dev/zero", link ("zero.ini", juce::File ("/dev/zero")), false},
        {"link to /dev/null", link ("null.ini", juce::File ("/dev/null")), false},
        {"dangling link", link ("dangling.ini", folder.getChildFile ("gone")), false},
    };

    for (const auto& c : cases)
    {
        juce::MemoryBlock bytes ("stale", 5);
        bool read = !c.readable;
        ASSERT_TRUE (finishesPromptly (c.file, [&] { read = BoundedFileReader::readBytes (c.file, bytes); }))
            << c.description;
        EXPECT_EQ (read, c.readable) << c.description;
        if (!c.readable)
        {
            EXPECT_EQ (bytes.getSize(), 0u) << c.description;
        }

        std::unique_ptr<juce::XmlElement> xml;
        ASSERT_TRUE (finishesPromptly (c.file, [&] { xml = XmlHelpers::parse (c.file); })) << c.description;
        EXPECT_EQ (xml != nullptr, c.readable && c.file.getSize() > 0) << c.description;
    }

    const auto sixteen = make ("sixteen.bin", "0123456789abcdef");
    juce::MemoryBlock bytes;
    EXPECT_TRUE (BoundedFileReader::readBytes (sixteen, bytes, 16));
    EXPECT_EQ (bytes.toString(), "0123456789abcdef");
    EXPECT_FALSE (BoundedFileReader::readBytes (sixteen, bytes, 15)) << "one byte over the limit";
    EXPECT_EQ (bytes.getSize(), 0u);

    // A file whose size says 0 is read to its end all the same.
    if (juce::File ("/proc/self/status").exists())
    {
        EXPECT_TRUE (BoundedFileReader::readBytes (juce::File ("/proc/self/status"), bytes));
        EXPECT_GT (bytes.getSize(), 0u);
    }
}

TEST_F (BoundedFileReaderFixture, ReadsTextOnlyWhenItIsWellFormedUtf8)
{
    const struct
    {
        const char* description;
        std::string bytes;
        bool readable;
        const char* text;
    } cases[] = {
        {"plain", "1 2 3\n", true, "1 2 3\n"},
        {"byte-order mark dropped",
         "\xef\xbb\xbf"
         "K\xc3\xa4se",
         true, "K\xc3\xa4se"},
        {"overlong C0 80", "Bass\xc0\x80", false, ""},
        {"surrogate", "\xed\xa0\x80", false, ""},
        {"Latin-1", "K\xe4se", false, ""},
        {"0 byte", std::string ("a\0b", 3), false, ""},
    };

    for (const auto& c : cases)
    {
        juce::String text ("stale");
        EXPECT_EQ (BoundedFileReader::readText (make ("text.txt", c.bytes), text), c.readable)
            << c.description;
        EXPECT_EQ (text, juce::String (juce::CharPointer_UTF8 (c.text))) << c.description;
    }
}
