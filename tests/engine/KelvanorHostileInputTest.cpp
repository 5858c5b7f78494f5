#include "HostileInput.h"
#include "KelvanorTestHarness.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

TEST (KelvanorHostileInput, ProgramChunkWithOverlongUtf8InAPresetNameIsRefused)
{
    KelvanorHarness h;
    auto& p = *h.processor;
    const int current = p.getCurrentPresetIndex();
    const auto before = p.getPresetName (current);

    // The 212-byte chunk that overflowed the heap, and its twin with a well-formed character of the same
    // length in place of C0 80: the twin is applied, so nothing but those two bytes makes the difference.
    const auto chunkWithName = [] (const char* nameCharacter)
    {
        std::string text =
            std::string ("<Preset application=\"Kelvanor\" name=\"Acid ") + nameCharacter +
            " Line\"><param name=\"Cutoff\" value=\"0.25\"/><param name=\"Resonance\" value=\"";
        text += std::string (212 - 9 - text.size() - 12, '7') + "\"/></Preset>";
        return makeStateFrame (text);
    };

    const auto hostile = chunkWithName ("\xc0\x80");
    ASSERT_EQ (hostile.size(), 212u);
    p.setCurrentProgramStateInformation (hostile.data(), (int) hostile.size());
    EXPECT_EQ (p.getPresetName (current), before);
    EXPECT_NE (h.parameter (Kelvanor::cutoffId), 0.25f);

    const auto twin = chunkWithName ("\xc3\x80");
    p.setCurrentProgramStateInformation (twin.data(), (int) twin.size());
    EXPECT_EQ (p.getPresetName (current), juce::String (juce::CharPointer_UTF8 ("Acid \xc3\x80 Line")));
    EXPECT_FLOAT_EQ (h.parameter (Kelvanor::cutoffId), 0.25f);
}

// A start-up that hangs on its settings file aborts this test program after 20 seconds.
TEST (KelvanorHostileInput, StartsWithDefaultsWhateverStandsWhereTheSettingsFileShouldBe)
{
    std::string deep = "<UserSettings application='Kelvanor'>";
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    for (int i = 0; i < 100000; ++i)
        deep += "</a>";

    const std::function<void (const char*)> placings[] = {
        [] (const char*) {}, // no file: the defaults the others must give
        [] (const char* path) { ASSERT_EQ (::mkfifo (path, 0600), 0); },
        [] (const char* path) { ASSERT_EQ (::symlink ("/dev/zero", path), 0); },
        [&deep] (const char* path)
        { ASSERT_TRUE (juce::File (path).replaceWithText (deep + "</UserSettings>")); },
    };

    std::vector<float> defaults;
    for (const auto& place : placings)
    {
        TemporaryFolder folder;
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));
        const auto settings = folder.getChildFile ("user/Zeb Group/Kelvanor/Kelvanor.ini");
        ASSERT_TRUE (settings.getParentDirectory().createDirectory());
        place (settings.getFullPathName().toRawUTF8());

        juce::WaitableEvent started;
        std::thread watchdog (
            [&started]
            {
                if (!started.wait (20000))
                    std::abort();
            });
        {
            Kelvanor processor;
            processor.runLateInitialisation();
            started.signal();

            std::vector<float> values; // every host-visible parameter
            for (int id = 0; id < 36; ++id)
                values.push_back (processor.getParameterManager().getParameterValue (id));
            if (defaults.empty())
                defaults = values;
            EXPECT_EQ (values, defaults) << settings.getFullPathName();
        }
        watchdog.join();
        pumpMessages();
        BasePlugin::overrideApplicationDataFolders ({}, {});
    }
}
