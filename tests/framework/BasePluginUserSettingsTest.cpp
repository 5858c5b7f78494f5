#include "SilentTestPlugin.h"
#include "framework/BasePlugin.h"
#include "framework/XmlHelpers.h"
#include "vst/BoundedXml.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
/** The processor base on the built-in tables, with its settings in a temporary folder. */
class SettingsPlugin : public SilentTestPlugin
{
public:
    juce::String getProductName() const override { return "TestSynth"; }
};

class UnreadableUserSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BasePlugin::overrideApplicationDataFolders (dataFolder.getChildFile ("user"),
                                                    dataFolder.getChildFile ("common"));
        // Only now: before the override the file lies in the real user folder.
        settingsFile = plugin.getUserSettingsFile();
        ASSERT_TRUE (settingsFile.isAChildOf (dataFolder.getFolder()));
        ASSERT_TRUE (settingsFile.getParentDirectory().createDirectory());
    }
    void TearDown() override { BasePlugin::overrideApplicationDataFolders ({}, {}); }

    juce::File aside (int number) const
    {
        return settingsFile.getSiblingFile ("TestSynth.ini.unreadable" +
                                            (number > 1 ? "-" + juce::String (number) : juce::String()));
    }

    /** True when the file holds settings this product wrote. */
    bool holdsOwnSettings() const
    {
        const auto root = XmlHelpers::parse (settingsFile);
        return root != nullptr && plugin.isUserSettingsXml (*root);
    }

    TemporaryFolder dataFolder;
    SettingsPlugin plugin;
    juce::File settingsFile;
};

TEST_F (UnreadableUserSettings, AreKeptAsideBeforeTheDefaultsAreWrittenAndReported)
{
    struct Case
    {
        const char* what;
        std::function<void (const juce::File&)> put;
    };
    const auto text = [] (juce::String t) { return [t] (const juce::File& f) { f.replaceWithText (t); }; };
    const Case cases[] = {
        {"text that does not parse", text ("my settings <<")},
        {"a document cut short", text ("<UserSettings application='TestSynth'><Presets><Author name='Jo'")},
        {"another product's document", text ("<UserSettings application='OtherSynth'/>")},
        {"a file larger than the reader takes",
         text ("<UserSettings application='TestSynth'>" +
               juce::String::repeatedString (" ", (int) BoundedXml::maxBytes) + "</UserSettings>")},
        {"a folder", [] (const juce::File& f) { f.getChildFile ("inside.txt").create(); }},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        c.put (settingsFile);
        const bool wasFolder = settingsFile.isDirectory();
        const auto bytesBefore = wasFolder ? juce::String() : settingsFile.loadFileAsString();
        const auto problemsBefore = plugin.getReportedProblems().size();

        plugin.loadUserSettings();

        ASSERT_FALSE (settingsFile.exists());
        EXPECT_EQ (plugin.getReportedProblems().size(), problemsBefore + 1);
        EXPECT_TRUE (
            plugin.getReportedProblems()[problemsBefore].contains ("kept as TestSynth.ini.unreadable"));

        plugin.saveUserSettings();

        EXPECT_TRUE (holdsOwnSettings());
        if (wasFolder)
            EXPECT_TRUE (aside (1).getChildFile ("inside.txt").existsAsFile());
        else
            EXPECT_EQ (aside (1).loadFileAsString(), bytesBefore);

        // The next case starts from a clean folder.
        ASSERT_TRUE (aside (1).deleteRecursively() && settingsFile.deleteFile());
    }
}

TEST_F (UnreadableUserSettings, NeverReplaceAnOlderKeptFile)
{
    for (int number = 1; number <= 10; ++number)
    {
        settingsFile.replaceWithText ("broken " + juce::String (number));
        plugin.loadUserSettings();
        EXPECT_EQ (aside (number).loadFileAsString(), "broken " + juce::String (number));
    }
    for (int number = 1; number <= 10; ++number)
        EXPECT_EQ (aside (number).loadFileAsString(), "broken " + juce::String (number)) << number;

    // Every name taken: the file stays where it is, and saving leaves it alone.
    settingsFile.replaceWithText ("broken 11");
    plugin.loadUserSettings();
    EXPECT_TRUE (plugin.getReportedProblems().strings.getLast().contains ("could not be moved aside"));
    plugin.saveUserSettings();
    EXPECT_EQ (settingsFile.loadFileAsString(), "broken 11");
    EXPECT_EQ (plugin.getReportedProblems().size(), 11);
}

TEST_F (UnreadableUserSettings, ReadableOrMissingSettingsAreNeitherMovedNorReported)
{
    plugin.loadUserSettings(); // missing
    plugin.saveUserSettings();
    ASSERT_TRUE (holdsOwnSettings());

    plugin.loadUserSettings(); // the product's own
    plugin.saveUserSettings();

    EXPECT_TRUE (holdsOwnSettings());
    EXPECT_FALSE (aside (1).exists());
    EXPECT_TRUE (plugin.getReportedProblems().isEmpty());
}
} // namespace
