#include "HostileInput.h"
#include "KelvanorTestHarness.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

namespace
{
/** Aborts the test program when a start-up has not finished in time: a hang fails at once and loudly
    instead of stalling the run. */
class StartUpWatchdog
{
public:
    StartUpWatchdog()
        : watcher (
              [this]
              {
                  if (!finished.wait (20000))
                      std::fprintf (stderr, "start-up hung\n"), std::abort();
              })
    {
    }

    ~StartUpWatchdog()
    {
        finished.signal();
        watcher.join();
    }

private:
    juce::WaitableEvent finished;
    std::thread watcher;
};
} // namespace

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

TEST (KelvanorHostileInput, StartsWithDefaultsWhateverStandsWhereTheSettingsFileShouldBe)
{
    const auto writeBytes = [] (const std::string& bytes) {
        return [bytes] (const juce::File& f)
        { ASSERT_TRUE (f.replaceWithData (bytes.data(), bytes.size())); };
    };
    std::string deep = "<UserSettings application='Kelvanor'>";
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    for (int i = 0; i < 100000; ++i)
        deep += "</a>";

    const struct
    {
        const char* description;
        std::function<void (const juce::File&)> place;
    } cases[] = {
        {"no file", [] (const juce::File&) {}},
        {"a FIFO",
         [] (const juce::File& f) { ASSERT_EQ (::mkfifo (f.getFullPathName().toRawUTF8(), 0600), 0); }},
        {"a link to /dev/zero", [] (const juce::File& f)
         { ASSERT_EQ (::symlink ("/dev/zero", f.getFullPathName().toRawUTF8()), 0); }},
        {"100,000 nested elements", writeBytes (deep + "</UserSettings>")},
    };

    std::vector<float> defaults;
    for (const auto& c : cases)
    {
        TemporaryFolder folder;
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));
        const auto settings = folder.getChildFile ("user/Zeb Group/Kelvanor/Kelvanor.ini");
        ASSERT_TRUE (settings.getParentDirectory().createDirectory());
        c.place (settings);

        {
            const StartUpWatchdog watchdog;
            Kelvanor processor;
            processor.runLateInitialisation();

            // Every host-visible parameter as a start-up without any settings file leaves it.
            std::vector<float> values;
            for (int id = 0; id < 36; ++id)
                values.push_back (processor.getParameterManager().getParameterValue (id));
            if (defaults.empty())
                defaults = values;
            EXPECT_EQ (values, defaults) << c.description;
        }

        pumpMessages();
        BasePlugin::overrideApplicationDataFolders ({}, {});
    }
}
