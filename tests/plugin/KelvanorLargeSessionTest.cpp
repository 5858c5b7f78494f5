#include "HostileInput.h"
#include "KelvanorPluginTestSupport.h"
#include "framework/BasePluginOldStyle.h"
#include "framework/BoundedFileReader.h"

#include <fcntl.h>
#include <functional>
#include <iostream>
#include <string_view>
#include <unistd.h>

namespace
{
/** before + a name + after, the name made of letters that grow most on their way into a state (2 bytes
    each in a file, a 7-byte reference &#1104; in a state) and as long as the files' bound allows. */
juce::String atFileBound (const juce::String& before, const juce::String& after)
{
    const auto room =
        (int) (BoundedFileReader::maxBytes - before.getNumBytesAsUTF8() - after.getNumBytesAsUTF8());
    return before + juce::String::repeatedString (juce::String::charToString (0x450), room / 2) +
           (room % 2 == 1 ? "x" : "") + after;
}

/** What the process writes to its standard error while the call runs. */
juce::String standardErrorOf (const std::function<void()>& call)
{
    const TemporaryFolder folder;
    const auto file = folder.getChildFile ("stderr.txt");
    std::cerr.flush();
    const int saved = ::dup (2), fd = ::open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT, 0644);
    ::dup2 (fd, 2);
    ::close (fd);
    call();
    std::cerr.flush();
    ::dup2 (saved, 2);
    ::close (saved);
    return file.loadFileAsString();
}
} // namespace

// The largest state the plug-in can come to hold from files, a preset bank and a pattern bank each at the
// files' bound, the preset bank with as many groups as it may have, is saved by the host and given to a
// new instance, which saves it again byte for byte.
TEST (KelvanorLargeSession, TheLargestStateFromFilesComesBackByteForByte)
{
    ScopedPluginHome home;
    const auto presets = home.folder.getChildFile ("largest.klprsb");
    const auto patterns = home.folder.getChildFile ("largest.klptrb");
    // The presets the groups leave go to one more, "Not used".
    const auto groups = juce::String::repeatedString ("<PresetGroup/>", BasePluginOldStyle::maxGroups - 1);
    ASSERT_TRUE (presets.replaceWithText (atFileBound ("<PresetBank name='", "'>" + groups + "</PresetBank>"),
                                          false, false, "\n"));
    // A bank file holds all 96 patterns; those it lacks would keep their names, which count as well.
    const auto others = juce::String::repeatedString ("<Pattern application='Kelvanor' name='P'/>", 95);
    ASSERT_TRUE (patterns.replaceWithText (atFileBound ("<PatternBank><Pattern application='Kelvanor' name='",
                                                        "'/>" + others + "</PatternBank>"),
                                           false, false, "\n"));

    const auto settings = home.getSettingsFolder().getChildFile ("Kelvanor.ini");
    ASSERT_TRUE (settings.getParentDirectory().createDirectory());
    ASSERT_TRUE (settings.replaceWithText (
        "<UserSettings application='Kelvanor'><ResourcesSettings>"
        "<Presets default='userDefinedPresets' file='" +
        presets.getFullPathName() + "'/><Patterns default='userDefinedPatterns' file='" +
        patterns.getFullPathName() + "'/></ResourcesSettings></UserSettings>"));
    const auto saved = openKelvanor()->getChunk();

    // Both names are in the chunk, grown to 3.5 times the size of their files.
    const std::string_view text (static_cast<const char*> (saved.getData()), saved.getSize());
    EXPECT_NE (text.find ("<PresetBank name=\"&#1104;&#1104;"), text.npos);
    EXPECT_NE (text.find ("<Pattern application=\"Kelvanor\" name=\"&#1104;&#1104;"), text.npos);
    EXPECT_GT (saved.getSize(), 7 * (BoundedFileReader::maxBytes - 100));
    const auto lastGroup =
        "<PresetGroup name=\"group " + std::to_string (BasePluginOldStyle::maxGroups - 1) + "\"/>";
    EXPECT_NE (text.find (lastGroup + "<PresetGroup name=\"Not used\">"), text.npos);

    // A new instance of the session starts from the factory banks and takes the saved state whole.
    ASSERT_TRUE (settings.deleteFile());
    const auto restored = openKelvanor();
    EXPECT_EQ (standardErrorOf ([&] { restored->setChunk (saved); }), "");
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

    const auto frameOf = [] (const juce::String& document)
    {
        const auto frame = makeStateFrame (document.toStdString());
        return juce::MemoryBlock (frame.data(), frame.size());
    };
    const auto unreadable = "The state the host restored could not be read";
    const auto bankName = text.fromFirstOccurrenceOf ("<PresetBank name=\"", false, false)
                              .upToFirstOccurrenceOf ("\"", false, false);

    const struct
    {
        const char* what;
        juce::MemoryBlock chunk;
        juce::String report;
    } cases[] = {
        {"no state frame", juce::MemoryBlock ("not a chunk", 11), unreadable},
        {"a state cut short", frameOf (text.substring (0, text.length() / 2)), unreadable},
        {"another product's state", frameOf ("<PluginState application='Other'/>"), unreadable},
        {"a state beyond the bound", frameOf (text + juce::String::repeatedString (" ", 64 << 20)),
         "more than the 64 MB a state may take"},
        {"a bank whose names are beyond their bound",
         frameOf (text.replace (bankName, juce::String::repeatedString ("&quot;", 5'000'000))),
         "The preset bank of the state the host restored is too large to hold"},
        {"a bank of more groups than it may have",
         frameOf (text.replace (
             "<PresetBank name=\"" + bankName + "\">",
             "<PresetBank name=\"" + bankName + "\">" +
                 juce::String::repeatedString ("<PresetGroup/>", BasePluginOldStyle::maxGroups))),
         "The preset bank of the state the host restored is too large to hold (more than 1024 groups"},
    };

    for (const auto& c : cases)
    {
        const auto said = standardErrorOf ([&] { plugin->setChunk (c.chunk); });
        EXPECT_TRUE (said.startsWith ("Kelvanor: ") && said.contains (c.report)) << c.what << ": " << said;
        EXPECT_TRUE (plugin->getChunk() == before) << c.what;
    }
}
