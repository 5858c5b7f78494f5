#include "host/HostTestSupport.h"

#include "TestSupport.h"

#include <sys/stat.h>

namespace
{
const juce::File installScript = juce::File (KELVANOR_SOURCE_DIR).getChildFile ("scripts/install-plugin.sh");

/** Runs the install script; its exit code, -1 when it did not run to the end. */
int install (const juce::String& library, const juce::File& target)
{
    juce::ChildProcess process;
    if (!process.start (
            juce::StringArray{"bash", installScript.getFullPathName(), library, target.getFullPathName()},
            juce::ChildProcess::wantStdErr))
        return -1;
    process.readAllProcessOutput();
    return process.waitForProcessToFinish (30000) ? (int) process.getExitCode() : -1;
}

ino_t inodeOf (const juce::File& file)
{
    struct stat info
    {
    };
    return ::stat (file.getFullPathName().toRawUTF8(), &info) == 0 ? info.st_ino : 0;
}

TEST (PluginInstall, ReplacesTheLibraryUnderARunningHostWhichKeepsPlaying)
{
    TemporaryFolder folder;
    const auto target = folder.getChildFile ("vst/Plugin.so");
    ASSERT_EQ (install (KELVANOR_TEST_SYNTH_PATH, target), 0);

    HostedPlugin host;
    ASSERT_EQ (host.open (target), "");
    host.setSampleRate (48000.0);
    host.setBlockSize (256);
    host.resume();
    const auto loaded = inodeOf (target);

    // Another library entirely: written into the loaded file, it would replace the code under the host.
    ASSERT_EQ (install (KELVANOR_TEST_NOT_A_PLUGIN_PATH, target), 0);

    EXPECT_NE (inodeOf (target), loaded) << "a new file, not new bytes in the loaded one";
    EXPECT_EQ (target.getSize(), juce::File (KELVANOR_TEST_NOT_A_PLUGIN_PATH).getSize());
    EXPECT_EQ (host.getEffectName(), "Test Synth");
    EXPECT_EQ (host.process (256).getNumSamples(), 256);
    host.close();

    // Nothing but the installed file is left beside it.
    EXPECT_EQ (target.getParentDirectory().getNumberOfChildFiles (
                   juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*"),
               1);
    EXPECT_EQ (target.getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"),
               1);
}

TEST (PluginInstall, AFailedInstallLeavesTheInstalledLibraryAsItWas)
{
    TemporaryFolder folder;
    const auto target = folder.getChildFile ("Plugin.so");
    ASSERT_EQ (install (KELVANOR_TEST_SYNTH_PATH, target), 0);
    const auto installed = inodeOf (target);

    for (const auto& source :
         {folder.getChildFile ("Missing.so").getFullPathName(), folder.getFolder().getFullPathName()})
    {
        SCOPED_TRACE (source);
        EXPECT_NE (install (source, target), 0);
        EXPECT_EQ (inodeOf (target), installed);
        EXPECT_EQ (folder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
    }
}
} // namespace
