#include "host/HostTestSupport.h"

#include "tools/HostFileReader.h"
#include "tools/HostedPlugin.h"
#include "tools/NoteListReader.h"
#include "tools/StandardMidiFile.h"

#include "TestSupport.h"

#include <atomic>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Whatever a user names on the host's command line (a FIFO, /dev/zero, a folder, a huge file, text that
// is not UTF-8) ends in a plain failure, never a stall, an endless read or a write past a buffer.
namespace
{
juce::MemoryBlock bytesOf (const std::string& text)
{
    return juce::MemoryBlock (text.data(), text.size());
}

juce::MemoryBlock midiFileBytes()
{
    juce::MidiMessageSequence notes;
    notes.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0.0);
    notes.addEvent (juce::MidiMessage::noteOff (1, 60), 96.0);
    juce::MidiFile midiFile;
    midiFile.setTicksPerQuarterNote (96);
    midiFile.addTrack (notes);
    juce::MemoryBlock block;
    {
        juce::MemoryOutputStream out (block, false);
        midiFile.writeTo (out);
    }
    return block;
}

/** The reader's answer, asked on a thread of its own; nothing when it took longer than a few seconds (a
    reader blocked on a FIFO is then released by opening the FIFO's other end). */
std::optional<bool> readsWithin (const std::function<bool (const juce::File&)>& read, const juce::File& file)
{
    std::atomic<int> answer{-1};
    juce::Thread::launch ([&] { answer = read (file) ? 1 : 0; });
    const auto deadline = juce::Time::getMillisecondCounter() + 5000;
    while (answer < 0 && juce::Time::getMillisecondCounter() < deadline)
        juce::Thread::sleep (5);
    if (answer >= 0)
        return answer == 1;

    if (const int writer = ::open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_NONBLOCK); writer >= 0)
        ::close (writer);
    while (answer < 0)
        juce::Thread::sleep (5);
    return std::nullopt;
}

enum Form
{
    regular,
    fifo,
    linkToDevice,
    folder,
    beyondLimit
};

struct Reader
{
    const char* what;
    std::function<bool (const juce::File&)> read;
    juce::MemoryBlock content; // a file the reader accepts
    size_t limit;
};

TEST (HostBoundedRead, CommandLineFilesAreReadOnlyWhenRegularAndWithinTheirLimit)
{
    const Reader readers[] = {
        {"note list",
         [] (const juce::File& f)
         {
             juce::MidiMessageSequence sequence;
             return NoteListReader::read (f, 120.0, sequence).wasOk() && sequence.getNumEvents() == 2;
         },
         bytesOf ("0 C4 100 0.5\n"), NoteListReader::maxBytes},
        {"MIDI file",
         [] (const juce::File& f)
         {
             juce::MidiMessageSequence sequence;
             return StandardMidiFile::read (f, sequence).wasOk() && sequence.getNumEvents() == 2;
         },
         midiFileBytes(), StandardMidiFile::maxBytes},
        {"chunk",
         [] (const juce::File& f)
         {
             juce::MemoryBlock chunk;
             return HostedPlugin::readChunkFile (f, chunk) && chunk == bytesOf ("VC2!chunk");
         },
         bytesOf ("VC2!chunk"), HostedPlugin::maxChunkFileBytes},
    };
    const std::pair<Form, const char*> forms[] = {
        {regular, "a regular file"},
        {fifo, "a FIFO"},
        {linkToDevice, "a link to /dev/zero"},
        {folder, "a folder"},
        {beyondLimit, "a file one byte beyond the limit"},
    };

    for (const auto& reader : readers)
    {
        for (const auto& [form, formName] : forms)
        {
            TemporaryFolder temporary;
            const auto file = temporary.getChildFile ("input");
            switch (form)
            {
                case regular:
                    ASSERT_TRUE (file.replaceWithData (reader.content.getData(), reader.content.getSize()));
                    break;
                case fifo: ASSERT_EQ (::mkfifo (file.getFullPathName().toRawUTF8(), 0600), 0); break;
                case linkToDevice:
                    ASSERT_TRUE (juce::File ("/dev/zero").createSymbolicLink (file, true));
                    break;
                case folder: ASSERT_TRUE (file.createDirectory()); break;
                case beyondLimit:
                {
                    // What the reader accepts, then spaces: still valid to a reader without a limit.
                    juce::MemoryBlock padded (reader.content);
                    padded.setSize (reader.limit + 1, false);
                    std::memset (static_cast<char*> (padded.getData()) + reader.content.getSize(), ' ',
                                 padded.getSize() - reader.content.getSize());
                    ASSERT_TRUE (file.replaceWithData (padded.getData(), padded.getSize()));
                    break;
                }
            }

            const auto read = readsWithin (reader.read, file);
            ASSERT_TRUE (read.has_value()) << reader.what << ", " << formName << ": the read stalled";
            EXPECT_EQ (*read, form == regular) << reader.what << ", " << formName;
        }
    }
}

TEST (HostBoundedRead, NoteListsMustBeShortestFormUtf8)
{
    const struct
    {
        const char* what;
        std::string bytes; // inside a comment after a valid note
        bool accepted;
    } cases[] = {
        {"ASCII", "plain", true},
        {"byte-order mark first", "", true},
        {"two-byte letter", "\xC3\xA9", true},
        {"four-byte symbol", "\xF0\x9D\x84\x9E", true},
        {"overlong NUL", "\xC0\x80", false},
        {"overlong slash", "\xE0\x80\xAF", false},
        {"overlong four-byte form", "\xF0\x80\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"lead byte F5", "\xF5\x80\x80\x80", false},
        {"stray continuation byte", "\x80", false},
        {"cut off by the end", "\xE2\x82", false},
        {"NUL byte", std::string (1, '\0'), false},
    };
    for (const auto& c : cases)
    {
        TemporaryFolder temporary;
        const auto file = temporary.getChildFile ("notes.txt");
        const std::string bom = std::string (c.what) == "byte-order mark first" ? "\xEF\xBB\xBF" : "";
        // Last in the file, so that a cut-off sequence really is cut off by the end.
        const auto text = bom + "0 C4 100 0.5 # " + c.bytes;
        ASSERT_TRUE (file.replaceWithData (text.data(), text.size()));

        juce::MidiMessageSequence sequence;
        EXPECT_EQ (NoteListReader::read (file, 120.0, sequence).wasOk(), c.accepted) << c.what;
        EXPECT_EQ (sequence.getNumEvents(), c.accepted ? 2 : 0) << c.what;
        EXPECT_EQ (HostFileReader::isWellFormedUtf8 (c.bytes.data(), c.bytes.size()),
                   c.accepted || c.bytes == std::string (1, '\0'))
            << c.what;
    }
}
} // namespace
