#include "host/HostTestSupport.h"

#include "TestSupport.h"

#include <sndfile.h>

namespace
{
struct HostRun
{
    int exitCode;
    juce::String output;
};

HostRun runHost (const juce::StringArray& arguments)
{
    juce::StringArray command{KELVANOR_HOST_PATH};
    command.addArray (arguments);

    juce::ChildProcess process;
    if (!process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return {-1, "could not start " + command.joinIntoString (" ")};
    const juce::String output = process.readAllProcessOutput();
    process.waitForProcessToFinish (30000);
    return {(int) process.getExitCode(), output};
}

TEST (HostCommandLine, RendersANoteListToWavAndMidiFiles)
{
    TemporaryFolder folder;
    const juce::File notes = folder.getChildFile ("notes.txt");
    ASSERT_TRUE (notes.replaceWithText ("# two notes\n0.5 A4 100 0.25\n1b C#4 80 1b 3\n"));
    const juce::File wav = folder.getChildFile ("out.wav");
    const juce::File midi = folder.getChildFile ("midi.txt");

    const HostRun run = runHost ({testSynthFile().getFullPathName(), "--rate", "48000", "--tempo", "90",
                                  "--notes", notes.getFullPathName(), "--out", wav.getFullPathName(),
                                  "--midi-out", midi.getFullPathName(), "--tail", "0.5"});
    ASSERT_EQ (run.exitCode, 0) << run.output;

    juce::StringArray lines;
    lines.addLines (midi.loadFileAsString().trim());
    lines.removeEmptyStrings();
    const juce::StringArray expected{"24000 0.500000 90 45 64 Note on A4 velocity 100 channel 1",
                                     "32000 0.666667 92 3d 50 Note on C#4 velocity 80 channel 3",
                                     "36000 0.750000 80 45 00 Note off A4 velocity 0 channel 1",
                                     "64000 1.333333 82 3d 00 Note off C#4 velocity 0 channel 3"};
    lines.remove (0); // the header
    EXPECT_EQ (lines, expected);

    // The render lasts to the last event plus the tail.
    SF_INFO info{};
    SNDFILE* const sound = sf_open (wav.getFullPathName().toRawUTF8(), SFM_READ, &info);
    ASSERT_NE (sound, nullptr);
    sf_close (sound);
    EXPECT_EQ (info.channels, 2);
    EXPECT_EQ (info.frames, 64000 + 24000);
}

TEST (HostCommandLine, SavesAndLoadsChunksAndPrintsParameters)
{
    TemporaryFolder folder;
    const juce::File chunk = folder.getChildFile ("state.bin");

    const HostRun save = runHost ({testSynthFile().getFullPathName(), "--param", "3=0.125", "--program", "1",
                                   "--length", "0.1", "--save-chunk", chunk.getFullPathName()});
    ASSERT_EQ (save.exitCode, 0) << save.output;

    const HostRun load =
        runHost ({testSynthFile().getFullPathName(), "--load-chunk", chunk.getFullPathName(), "--info"});
    ASSERT_EQ (load.exitCode, 0) << load.output;
    EXPECT_TRUE (load.output.contains ("3 \"Release\" \"0.125\" \"ms\" 0.125000")) << load.output;
    EXPECT_TRUE (load.output.contains ("Current program: 1 \"Soft\"")) << load.output;
    EXPECT_TRUE (load.output.contains ("Unique id:       Tsyn")) << load.output;
}

TEST (HostCommandLine, ExitsWithACodeForEachKindOfFailure)
{
    const juce::String plugin = testSynthFile().getFullPathName();
    const struct
    {
        juce::StringArray arguments;
        int exitCode;
        const char* message;
    } cases[] = {
        {{plugin, "--frobnicate"}, 1, "unknown option --frobnicate"},
        {{plugin, "--rate"}, 1, "--rate needs a value"},
        {{plugin, "--time-sig", "3/5"}, 1, "bad value for --time-sig"},
        {{plugin, "--param", "x=1"}, 1, "bad value for --param"},
        {{plugin, "--param", "3=1.5"}, 1, "parameter values are 0..1: --param 3=1.5"},
        {{plugin, "--param-at", "0.5:3=-0.25"}, 1, "parameter values are 0..1: --param-at 0.5:3=-0.25"},
        {{plugin, "--program-change", "128"}, 1, "--program-change takes a program 0..127"},
        {{}, 1, "no plug-in given"},
        {{"/tmp"}, 2, "/tmp is a folder, not a plug-in library"},
        {{"/nonexistent/Plugin.so"}, 2, "no such file"},
        {{KELVANOR_TEST_NULL_ENTRY_PATH}, 2, "returned no effect"},
        {{plugin, "--notes", "/nonexistent/notes.txt"}, 3, "no such file"},
        {{plugin, "--out", "/nonexistent/folder/out.wav"}, 3, "cannot write"},
    };

    for (const auto& c : cases)
    {
        const HostRun run = runHost (c.arguments);
        EXPECT_EQ (run.exitCode, c.exitCode) << c.arguments.joinIntoString (" ");
        EXPECT_TRUE (run.output.contains (c.message)) << run.output;

        // A command-line mistake gets one line pointing at the help, not the help itself.
        if (c.exitCode == 1)
        {
            EXPECT_TRUE (run.output.startsWith ("kelvanor_host: ") && run.output.endsWith (" (see --help)\n"))
                << run.output;
            EXPECT_EQ (run.output.indexOfChar ('\n'), run.output.length() - 1) << "one line: " << run.output;
        }
    }
}

TEST (HostCommandLine, SendsProgramChangesAheadOfTheNotesThatStartWithThem)
{
    TemporaryFolder folder;
    const juce::File notes = folder.getChildFile ("notes.txt");
    ASSERT_TRUE (notes.replaceWithText ("0 C4 100 0.5\n0 program 7\n0.5 program 2 3\n"));
    const juce::File midi = folder.getChildFile ("midi.txt");

    const HostRun run =
        runHost ({testSynthFile().getFullPathName(), "--rate", "48000", "--program-change", "5", "--notes",
                  notes.getFullPathName(), "--midi-out", midi.getFullPathName()});
    ASSERT_EQ (run.exitCode, 0) << run.output;

    juce::StringArray lines;
    lines.addLines (midi.loadFileAsString().trim());
    lines.remove (0); // the header
    const juce::StringArray expected{"0 0.000000 c0 05 Program change 5 channel 1",
                                     "0 0.000000 c0 07 Program change 7 channel 1",
                                     "0 0.000000 90 3c 64 Note on C4 velocity 100 channel 1",
                                     "24000 0.500000 c2 02 Program change 2 channel 3",
                                     "24000 0.500000 80 3c 00 Note off C4 velocity 0 channel 1"};
    EXPECT_EQ (lines.joinIntoString ("\n"), expected.joinIntoString ("\n"));
}

TEST (HostCommandLine, IdenticalRendersWriteIdenticalFilesAndARefusedChunkIsNoWarning)
{
    TemporaryFolder folder;
    const juce::File notes = folder.getChildFile ("notes.txt");
    ASSERT_TRUE (notes.replaceWithText ("0 A4 100 0.2\n"));
    const juce::File refused = folder.getChildFile ("refused.bin");
    ASSERT_TRUE (refused.replaceWithText ("a chunk the test synth answers 0 to"));

    std::vector<juce::MemoryBlock> files;
    for (const char* format : {"float", "float", "pcm24"})
    {
        // Far enough apart that a time of writing stored in the file would differ.
        const auto second = juce::Time::getCurrentTime().toMilliseconds() / 1000;
        while (juce::Time::getCurrentTime().toMilliseconds() / 1000 == second)
            juce::Thread::sleep (20);

        const juce::File wav = folder.getChildFile ("render" + juce::String ((int) files.size()) + ".wav");
        const HostRun run =
            runHost ({testSynthFile().getFullPathName(), "--notes", notes.getFullPathName(), "--load-chunk",
                      refused.getFullPathName(), "--format", format, "--out", wav.getFullPathName()});
        ASSERT_EQ (run.exitCode, 0) << run.output;
        EXPECT_EQ (run.output, "") << "nothing to warn about";

        files.emplace_back();
        ASSERT_TRUE (wav.loadFileAsData (files.back()));
    }
    EXPECT_TRUE (files[0] == files[1]);
    EXPECT_FALSE (files[0] == files[2]) << "the formats differ, so the check sees the files' content";
}
} // namespace
