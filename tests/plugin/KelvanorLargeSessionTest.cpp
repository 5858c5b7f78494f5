#include "HostileInput.h"
#include "KelvanorPluginTestSupport.h"
#include "LargestState.h"

#include <tuple>

// The largest state the plug-in can come to hold from files is saved by the host and given to a new
// instance, which takes it whole, saying nothing, and saves it again byte for byte.
TEST (KelvanorLargeSession, TheLargestStateFromFilesComesBackByteForByte)
{
    ScopedPluginHome home;
    const auto settings = home.getSettingsFolder().getChildFile ("Kelvanor.ini");
    ASSERT_TRUE (writeLargestBanks (home.folder.getFolder(), settings));
    const auto saved = openKelvanor()->getChunk();
    // Both names are in it, grown to 3.5 times their files' size, so both banks, groups and all, were read.
    EXPECT_GT (saved.getSize(), 7 * (BoundedFileReader::maxBytes - 100));

    ASSERT_TRUE (settings.deleteFile()); // the new instance starts from the factory banks
    const auto restored = openKelvanor();
    testing::internal::CaptureStderr();
    restored->setChunk (saved);
    EXPECT_EQ (testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE (restored->getChunk() == saved);
}

// A chunk the plug-in cannot take is said on standard error, and the instance goes on as it was: it is
// never replaced by defaults, nor left half restored.
TEST (KelvanorLargeSession, ARefusedChunkIsReportedAndChangesNothing)
{
    ScopedPluginHome home;
    const auto plugin = openKelvanor();
    plugin->setParameter (2, 0.25f);
    const auto before = plugin->getChunk();
    const auto text =
        chunkDocument (before)->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
    const auto unreadable = "The state the host restored could not be read";
    const std::tuple<juce::String, const char*> cases[] = {
        {"<PluginState application='Other'/>", unreadable},
        {text + juce::String::repeatedString (" ", 64 << 20), "more than the 64 MB a state may take"},
        {text.replaceFirstOccurrenceOf (
             "<PresetGroup ", juce::String::repeatedString ("<PresetGroup/>", BasePluginOldStyle::maxGroups) +
                                  "<PresetGroup "),
         "The preset bank of the state the host restored is too large to hold (more than 1024 groups"},
        {"", unreadable}, // a frame of no text
    };

    for (const auto& [document, report] : cases)
    {
        const auto frame = makeStateFrame (document.toStdString());
        testing::internal::CaptureStderr();
        plugin->setChunk (juce::MemoryBlock (frame.data(), frame.size()));
        const juce::String said (testing::internal::GetCapturedStderr());
        EXPECT_TRUE (said.startsWith ("Kelvanor: ") && said.contains (report)) << said;
        EXPECT_TRUE (plugin->getChunk() == before) << report;
    }
}
