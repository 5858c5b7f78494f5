#include "framework/BasePlugin.h"
#include "framework/XmlHelpers.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace
{
const char* const parameterTable = R"(
<PluginParameters application="SettingsSynth">
  <param index="0" name="Cutoff" value="0.5" auto="true"/>
  <param index="1" name="Resonance" value="0.5" auto="true"/>
  <param index="2" name="Drive" value="0" auto="true"/>
  <param index="3" name="Mode" value="0"/>
  <param index="10" name="Quality" type="int" min="0" max="3" value="0"/>
  <param index="11" name="Default Quality" type="int" min="0" max="3" value="1"/>
</PluginParameters>)";

/** A plug-in with 36 host slots, a realtime quality (10) with its default (11), and a settings file that a
    test may move elsewhere. */
class SettingsPlugin : public BasePlugin
{
public:
    explicit SettingsPlugin (bool layered = false)
    {
        useLayeredInitialise = layered;
        getParameterManager().loadFromXml (*XmlHelpers::parse (juce::String (parameterTable)));
    }

    juce::String getProductName() const override { return "SettingsSynth"; }
    juce::String getFilePrefix() const override { return "SS"; }
    int getNumHostParameters() const override { return 36; }
    int getRealtimeQualityParameterId() const override { return 10; }
    int getDefaultRealtimeQualityParameterId() const override { return 11; }

    juce::String getInputChannelName (int) const override { return {}; }
    juce::String getOutputChannelName (int) const override { return {}; }
    bool isInputChannelStereoPair (int) const override { return false; }
    bool isOutputChannelStereoPair (int) const override { return false; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    bool shouldLoadStateDump() const override { return loadsDump; }

    juce::File getUserSettingsFile() const override
    {
        return settingsFile != juce::File() ? settingsFile : BasePlugin::getUserSettingsFile();
    }

    void readUserSettings (const juce::XmlElement& root) override { sectionsSeen.add (root.getTagName()); }
    void processingQualityChanged() override { ++qualityNotices; }
    void userSettingsWritten (juce::XmlElement* root) override { root->createNewChildElement ("Layer"); }

    std::unique_ptr<juce::XmlElement> createUserSettingsXml() override
    {
        if (!layeredDocument)
            return nullptr;

        auto root = createApplicationElement ("UserSettings");
        root->createNewChildElement ("PluginDirectories");
        return root;
    }

    void applyStateXml (const juce::XmlElement& xml) override { restoredTags.add (xml.getTagName()); }

    Parameter& parameter (int id) { return *getParameterManager().getParameter (id); }

    juce::File settingsFile;
    bool layeredDocument = true;
    bool loadsDump = false;
    juce::StringArray sectionsSeen;
    juce::StringArray restoredTags;
    int qualityNotices = 0;
};

juce::StringArray childTags (const juce::XmlElement& xml)
{
    juce::StringArray tags;
    for (const auto* child : xml.getChildIterator())
        tags.add (child->getTagName());
    return tags;
}

class BasePluginSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BasePlugin::overrideApplicationDataFolders (dataFolder.getChildFile ("user"),
                                                    dataFolder.getChildFile ("common"));
    }

    void TearDown() override
    {
        pumpMessages();
        BasePlugin::overrideApplicationDataFolders ({}, {});
    }

    void writeSettings (const juce::String& text)
    {
        const auto file = plugin.getUserSettingsFile();
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (file.replaceWithText (text));
    }

    juce::String absolutePath (const juce::String& name) const
    {
        return dataFolder.getChildFile (name).getFullPathName();
    }

    TemporaryFolder dataFolder;
    SettingsPlugin plugin;
};
} // namespace

//==============================================================================
TEST_F (BasePluginSettingsTest, FoldersLieUnderTheApplicationDataFolders)
{
    EXPECT_EQ (plugin.getUserDataDirectory(),
               dataFolder.getChildFile ("user").getChildFile ("Zeb Group").getChildFile ("SettingsSynth"));
    EXPECT_EQ (plugin.getCommonDataDirectory(),
               dataFolder.getChildFile ("common").getChildFile ("Zeb Group").getChildFile ("SettingsSynth"));
    EXPECT_EQ (plugin.getUserSettingsFile().getFileName(), "SettingsSynth.ini");
    EXPECT_EQ (plugin.getDumpFile().getFileName(), "SettingsSynth.dump");
    EXPECT_FALSE (plugin.getUserDataDirectory().exists());
}

TEST_F (BasePluginSettingsTest, SectionsAreReadIgnoringCase)
{
    writeSettings ("<usersettings application='settingssynth'>"
                   "<PRESETS><author name='Jo Maker'/><Author name='Second'/></PRESETS>"
                   "<midicontrolmap default='YES' file='" +
                   absolutePath ("map.ssccmap") +
                   "'/>"
                   "<HostParametersMap default='Yes' file='" +
                   absolutePath ("map.sshpmap") + "'/></usersettings>");

    plugin.loadUserSettings();

    EXPECT_EQ (plugin.getAuthorName(), "Jo Maker");
    EXPECT_TRUE (plugin.getMidiControl().isDefaultMapInUse());
    EXPECT_EQ (plugin.getMidiControl().getDefaultMapFile().getFullPathName(), absolutePath ("map.ssccmap"));
    EXPECT_TRUE (plugin.isHostMapDefault());
    EXPECT_EQ (plugin.getHostMapFile(), absolutePath ("map.sshpmap"));
    EXPECT_EQ (plugin.sectionsSeen.joinIntoString (","), "usersettings");
}

TEST_F (BasePluginSettingsTest, AnswersOtherThanYesMeanNo)
{
    plugin.setHostMapDefault (true);
    plugin.getMidiControl().setDefaultMapInUse (true);
    plugin.getMidiControl().setDefaultMapFile (dataFolder.getChildFile ("old.ssccmap"));

    writeSettings ("<UserSettings application='SettingsSynth'>"
                   "<MidiControlMap default='true'/><HostParametersMap default='no' file='relative.sshpmap'/>"
                   "</UserSettings>");
    plugin.loadUserSettings();

    EXPECT_FALSE (plugin.getMidiControl().isDefaultMapInUse());
    EXPECT_EQ (plugin.getMidiControl().getDefaultMapFile(), juce::File()); // no "file": cleared
    EXPECT_FALSE (plugin.isHostMapDefault());
}

TEST_F (BasePluginSettingsTest, ForeignOrBrokenFilesAreIgnoredWhole)
{
    for (const auto* text :
         {"<UserSettings application='OtherSynth'><Presets><Author name='X'/></Presets></UserSettings>",
          "<Settings application='SettingsSynth'><Presets><Author name='X'/></Presets></Settings>",
          "<UserSettings application='SettingsSynth'><Presets><Author name='X'", "", "not xml at all"})
    {
        plugin.setAuthorName ("Kept");
        plugin.parameter (10).setValueInt (3, false);
        writeSettings (text);

        plugin.loadUserSettings();

        EXPECT_EQ (plugin.getAuthorName(), "Kept") << text;
        EXPECT_TRUE (plugin.sectionsSeen.isEmpty()) << text;
        EXPECT_EQ (plugin.parameter (10).getValueInt(), 1) << "quality defaults apply in every case";
    }
    EXPECT_EQ (plugin.qualityNotices, 5);
}

TEST_F (BasePluginSettingsTest, StoredDefaultQualityReachesTheQualityInUse)
{
    writeSettings ("<UserSettings application='SettingsSynth'>"
                   "<Preset name='DefaultProcessingQuality'><param name='Default Quality' value='2'/>"
                   "<param name='Cutoff' value='0.9'/></Preset>"
                   "<Preset name='Other'><param name='Default Quality' value='3'/></Preset>"
                   "</UserSettings>");

    plugin.loadUserSettings();

    EXPECT_EQ (plugin.parameter (11).getValueInt(), 2);
    EXPECT_EQ (plugin.parameter (10).getValueInt(), 2);
    EXPECT_FLOAT_EQ (plugin.parameter (0).getValue(), 0.5f); // not a quality parameter
    EXPECT_EQ (plugin.qualityNotices, 1);
}

TEST_F (BasePluginSettingsTest, PlainProductWritesItsSectionsInOrder)
{
    plugin.setAuthorName ("Jo Maker");
    plugin.setHostMapDefault (true);
    plugin.getMidiControl().setDefaultMapInUse (false);

    plugin.saveUserSettings();

    const auto written = XmlHelpers::parse (plugin.getUserSettingsFile());
    ASSERT_NE (written, nullptr);
    EXPECT_TRUE (plugin.isUserSettingsXml (*written));
    EXPECT_EQ (childTags (*written).joinIntoString (","),
               "Presets,MidiControlMap,HostParametersMap,Preset,Layer");
    EXPECT_FALSE (written->getChildByName ("MidiControlMap")->hasAttribute ("file"));
    EXPECT_FALSE (written->getChildByName ("HostParametersMap")->hasAttribute ("file"));
    EXPECT_TRUE (plugin.getUserSettingsFile().loadFileAsString().startsWith (
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
}

TEST_F (BasePluginSettingsTest, WrittenSettingsReadBack)
{
    plugin.setAuthorName ("Jo Maker");
    plugin.getMidiControl().setDefaultMapInUse (true);
    plugin.getMidiControl().setDefaultMapFile (dataFolder.getChildFile ("a.ssccmap"));
    plugin.setHostMapDefault (true);
    plugin.setHostMapFile (absolutePath ("b.sshpmap"));
    plugin.parameter (11).setValueInt (3, false);
    plugin.saveUserSettings();

    SettingsPlugin fresh;
    fresh.loadUserSettings();

    EXPECT_EQ (fresh.getAuthorName(), "Jo Maker");
    EXPECT_TRUE (fresh.getMidiControl().isDefaultMapInUse());
    EXPECT_EQ (fresh.getMidiControl().getDefaultMapFile(), dataFolder.getChildFile ("a.ssccmap"));
    EXPECT_TRUE (fresh.isHostMapDefault());
    EXPECT_EQ (fresh.getHostMapFile(), absolutePath ("b.sshpmap"));
    EXPECT_EQ (fresh.parameter (10).getValueInt(), 3);
}

TEST_F (BasePluginSettingsTest, LayeredProductWritesOnlyTheLayersDocument)
{
    SettingsPlugin layered (true);
    layered.setAuthorName ("Not Written");
    layered.saveUserSettings();

    const auto written = XmlHelpers::parse (layered.getUserSettingsFile());
    ASSERT_NE (written, nullptr);
    EXPECT_EQ (childTags (*written).joinIntoString (","), "PluginDirectories");

    layered.layeredDocument = false;
    layered.saveUserSettings();
    EXPECT_EQ (childTags (*XmlHelpers::parse (layered.getUserSettingsFile())).joinIntoString (","),
               "PluginDirectories");
}

TEST_F (BasePluginSettingsTest, ASettingsFileThatCannotBeWrittenKeepsTheOldOne)
{
    // The longest name a folder entry may have: the file exists, but no temporary file can be made beside it,
    // whoever runs the test.
    plugin.settingsFile = dataFolder.getChildFile (juce::String::repeatedString ("s", 251) + ".ini");
    const juce::String oldText =
        "<UserSettings application='SettingsSynth'><Presets><Author name='Old'/></Presets></UserSettings>";
    {
        juce::FileOutputStream out (plugin.settingsFile);
        ASSERT_TRUE (out.openedOk());
        out.writeText (oldText, false, false, nullptr);
    }

    plugin.setAuthorName ("New");
    plugin.saveUserSettings();

    EXPECT_EQ (plugin.settingsFile.loadFileAsString(), oldText);
    EXPECT_EQ (dataFolder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

TEST_F (BasePluginSettingsTest, StartUpReadsSettingsAndMaps)
{
    const auto mapFile = dataFolder.getChildFile ("start.sshpmap");
    ASSERT_TRUE (mapFile.replaceWithText ("<HostParametersMap name='SettingsSynth'>"
                                          "<assign hostParam='3' pluginParam='Drive'/></HostParametersMap>"));
    writeSettings ("<UserSettings application='SettingsSynth'><HostParametersMap default='yes' file='" +
                   mapFile.getFullPathName() + "'/></UserSettings>");

    plugin.runLateInitialisation();

    EXPECT_EQ (plugin.getHostParameter (2), &plugin.parameter (2));
    EXPECT_EQ (plugin.getMidiControl().getName(), "SettingsSynth");
    EXPECT_EQ (plugin.sectionsSeen.size(), 1);
}

TEST_F (BasePluginSettingsTest, WithoutAChosenMapStartUpKeepsTheSlots)
{
    plugin.assignHostParameter (0, &plugin.parameter (0));

    plugin.initialise();

    EXPECT_EQ (plugin.getHostParameter (0), &plugin.parameter (0));
}

TEST_F (BasePluginSettingsTest, StateDumpIsReadOnlyWhenAskedFor)
{
    plugin.getUserDataDirectory().createDirectory();
    ASSERT_TRUE (plugin.getDumpFile().replaceWithText ("<PluginState application='SettingsSynth'/>"));

    plugin.runLateInitialisation();
    EXPECT_TRUE (plugin.restoredTags.isEmpty());

    SettingsPlugin dumping;
    dumping.loadsDump = true;
    dumping.runLateInitialisation();
    EXPECT_EQ (dumping.restoredTags.joinIntoString (","), "PluginState");
}

//==============================================================================
TEST_F (BasePluginSettingsTest, HostMapRoundTripCountsSlotsFromOne)
{
    plugin.assignHostParameter (0, &plugin.parameter (1));
    plugin.assignHostParameter (35, &plugin.parameter (0));
    const auto file = dataFolder.getChildFile ("map" + plugin.getHostParametersMapFileExtension());
    ASSERT_TRUE (plugin.saveHostParametersMap (file));

    const auto written = XmlHelpers::parse (file);
    ASSERT_NE (written, nullptr);
    EXPECT_EQ (XmlHelpers::toSingleLine (*written), "<HostParametersMap name=\"SettingsSynth\">"
                                                    "<assign hostParam=\"1\" pluginParam=\"Resonance\"/>"
                                                    "<assign hostParam=\"36\" pluginParam=\"Cutoff\"/>"
                                                    "</HostParametersMap>");

    SettingsPlugin other;
    other.assignHostParameter (5, &other.parameter (2));
    other.loadHostParametersMap (file);

    EXPECT_EQ (other.getHostParameter (0), &other.parameter (1));
    EXPECT_EQ (other.getHostParameter (35), &other.parameter (0));
    EXPECT_EQ (other.getHostParameter (5), nullptr); // an accepted map replaces the whole table
    EXPECT_EQ (plugin.getHostParametersMapFileExtension(), ".sshpmap");
}

struct HostMapEntryCase
{
    const char* entry;
    int expectedSlotOfDrive; // -1: Drive has no slot afterwards
};

class BasePluginHostMapEntry : public BasePluginSettingsTest,
                               public ::testing::WithParamInterface<HostMapEntryCase>
{
};

TEST_P (BasePluginHostMapEntry, BadEntriesAreSkipped)
{
    const juce::String text = "<hostparametersmap name='SETTINGSSYNTH'>"
                              "<assign hostParam='2' pluginParam='Drive'/>" +
                              juce::String (GetParam().entry) +
                              "<assign hostParam='10' pluginParam='Cutoff'/></hostparametersmap>";

    plugin.loadHostParametersMapFromXml (XmlHelpers::parse (text).get());

    EXPECT_EQ (plugin.getHostParameterSlot (2), GetParam().expectedSlotOfDrive) << GetParam().entry;
    EXPECT_EQ (plugin.getHostParameter (9), &plugin.parameter (0)) << "later entries are still read";
}

INSTANTIATE_TEST_SUITE_P (
    Entries, BasePluginHostMapEntry,
    ::testing::Values (
        HostMapEntryCase{"", 1}, HostMapEntryCase{"<assign hostParam='0' pluginParam='Resonance'/>", 1},
        HostMapEntryCase{"<assign pluginParam='Resonance'/>", 1},
        HostMapEntryCase{"<assign hostParam='abc' pluginParam='Resonance'/>", 1},
        HostMapEntryCase{"<assign hostParam='-2147483648' pluginParam='Resonance'/>", 1},
        HostMapEntryCase{"<assign hostParam='99999999999999' pluginParam='Resonance'/>", 1},
        HostMapEntryCase{"<assign hostParam='5' pluginParam='No Such Parameter'/>", 1},
        HostMapEntryCase{"<assign hostParam='5' pluginParam='Mode'/>", 1},
        HostMapEntryCase{"<assign hostParam='5' pluginParam='drive'/>", 1},
        HostMapEntryCase{"<other hostParam='5' pluginParam='Drive'/>", 1},
        // The same parameter again: it ends in the later slot, or in none when that one is bad.
        HostMapEntryCase{"<ASSIGN hostParam='7' pluginParam='Drive'/>", 6},
        HostMapEntryCase{"<assign hostParam='37' pluginParam='Drive'/>", -1},
        HostMapEntryCase{"<assign hostParam='2' pluginParam=''/>", -1},
        HostMapEntryCase{"<assign hostParam='2' pluginParam='Nothing'/>", -1}));

TEST_F (BasePluginSettingsTest, RefusedMapsKeepTheCurrentSlots)
{
    plugin.assignHostParameter (4, &plugin.parameter (0));

    const auto file = dataFolder.getChildFile ("bad.sshpmap");
    for (const auto* text :
         {"<HostParametersMap name='OtherSynth'/>", "<HostParametersMap/>",
          "<HostParameterMap name='SettingsSynth'/>",
          "<HostParametersMap name='SettingsSynth'><assign hostParam='1' pluginParam='Drive'/>"})
    {
        ASSERT_TRUE (file.replaceWithText (text));
        plugin.loadHostParametersMap (file);
        EXPECT_EQ (plugin.getHostParameter (4), &plugin.parameter (0)) << text;
    }

    plugin.loadHostParametersMap (dataFolder.getChildFile ("missing.sshpmap"));
    plugin.loadHostParametersMapFromXml (nullptr);
    EXPECT_EQ (plugin.getHostParameter (4), &plugin.parameter (0));

    plugin.loadHostParametersMapFromXml (
        XmlHelpers::parse (juce::String ("<HostParametersMap name='SettingsSynth'/>")).get());
    EXPECT_EQ (plugin.getHostParameter (4), nullptr);
}
