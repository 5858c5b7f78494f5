#include "framework/BasePluginOldStyle.h"
#include "framework/XmlHelpers.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace
{
/** The bank level as the product configures it; whether the changing mode is configurable is the
    test's choice (the product says no). */
class SettingsPlugin : public BasePluginOldStyle
{
public:
    SettingsPlugin() { useLayeredInitialise = true; }

    juce::String getProductName() const override { return "Kelvanor"; }
    juce::String getFilePrefix() const override { return "KL"; }
    int getNumHostParameters() const override { return 36; }
    bool isPresetChangingConfigurable() const override { return changingConfigurable; }

    juce::String getInputChannelName (int) const override { return {}; }
    juce::String getOutputChannelName (int) const override { return {}; }
    bool isInputChannelStereoPair (int) const override { return false; }
    bool isOutputChannelStereoPair (int) const override { return false; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return true; }

    void read (const juce::String& sections)
    {
        const auto root =
            XmlHelpers::parse ("<UserSettings application='Kelvanor'>" + sections + "</UserSettings>");
        ASSERT_NE (root, nullptr);
        readUserSettings (*root);
    }

    bool changingConfigurable = true;
};

juce::StringArray childTags (const juce::XmlElement& xml)
{
    juce::StringArray tags;
    for (const auto* child : xml.getChildIterator())
        tags.add (child->getTagName());
    return tags;
}

class BasePluginOldStyleSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BasePlugin::overrideApplicationDataFolders (data.getChildFile ("user"), data.getChildFile ("common"));
    }

    void TearDown() override { BasePlugin::overrideApplicationDataFolders ({}, {}); }

    /** An initialised instance started from the given settings sections (none: no settings file). */
    std::unique_ptr<SettingsPlugin> makePlugin (const juce::String& sections = {})
    {
        if (sections.isNotEmpty())
        {
            auto settings = std::make_unique<SettingsPlugin>();
            settings->getUserSettingsFile().getParentDirectory().createDirectory();
            settings->getUserSettingsFile().replaceWithText ("<UserSettings application='Kelvanor'>" +
                                                             sections + "</UserSettings>");
        }

        auto plugin = std::make_unique<SettingsPlugin>();
        plugin->runLateInitialisation();
        return plugin;
    }

    TemporaryFolder data;
};

//==============================================================================
struct DefaultPresetsCase
{
    const char* attributes;
    int expectedMode;
};

void PrintTo (const DefaultPresetsCase& c, std::ostream* os)
{
    *os << c.attributes;
}

class BasePluginOldStyleDefaultPresetsTest : public BasePluginOldStyleSettingsTest,
                                             public ::testing::WithParamInterface<DefaultPresetsCase>
{
};

TEST_P (BasePluginOldStyleDefaultPresetsTest, ReadsTheChoiceIgnoringCase)
{
    auto plugin = makePlugin();
    plugin->setDefaultPresetsMode (BasePluginOldStyle::clearPresets);

    plugin->read ("<resourcessettings><PRESETS " + juce::String (GetParam().attributes) +
                  "/></resourcessettings>");

    EXPECT_EQ (plugin->getDefaultPresetsMode(), GetParam().expectedMode) << GetParam().attributes;
}

INSTANTIATE_TEST_SUITE_P (
    Choices, BasePluginOldStyleDefaultPresetsTest,
    ::testing::Values (DefaultPresetsCase{"default='factoryPresets'", BasePluginOldStyle::factoryPresets},
                       DefaultPresetsCase{"default='FactoryPresets'", BasePluginOldStyle::factoryPresets},
                       DefaultPresetsCase{"default='ClearPresets'", BasePluginOldStyle::clearPresets},
                       DefaultPresetsCase{"default='USERDEFINEDPRESETS' file='/x/y.klprsb'",
                                          BasePluginOldStyle::userDefinedPresets},
                       DefaultPresetsCase{"default='factory'", BasePluginOldStyle::clearPresets},
                       DefaultPresetsCase{"", BasePluginOldStyle::clearPresets}));

TEST_F (BasePluginOldStyleSettingsTest, UserDefinedPresetsTakeTheFileOtherChoicesKeepIt)
{
    auto plugin = makePlugin();

    plugin->read ("<ResourcesSettings><Presets default='userDefinedPresets' file='/banks/mine.klprsb'/>"
                  "</ResourcesSettings>");
    EXPECT_EQ (plugin->getUserDefinedPresetsFile(), juce::File ("/banks/mine.klprsb"));

    plugin->read (
        "<ResourcesSettings><Presets default='bogus' file='/banks/other.klprsb'/></ResourcesSettings>");
    EXPECT_EQ (plugin->getDefaultPresetsMode(), BasePluginOldStyle::userDefinedPresets);
    EXPECT_EQ (plugin->getUserDefinedPresetsFile(), juce::File ("/banks/mine.klprsb"));
}

TEST_F (BasePluginOldStyleSettingsTest, MidiMapChoiceCountsCase)
{
    auto plugin = makePlugin();
    auto& midi = plugin->getMidiControl();
    midi.setDefaultMapInUse (true);

    plugin->read ("<ResourcesSettings><MidiCCMap default='NoMapping'/></ResourcesSettings>");
    EXPECT_TRUE (midi.isDefaultMapInUse());

    plugin->read ("<ResourcesSettings><MidiCCMap default='noMapping'/></ResourcesSettings>");
    EXPECT_FALSE (midi.isDefaultMapInUse());

    plugin->read ("<ResourcesSettings><MidiCCMap default='UserDefinedMidiCCMap' file='/m/a.klccmap'/>"
                  "</ResourcesSettings>");
    EXPECT_FALSE (midi.isDefaultMapInUse());

    plugin->read ("<ResourcesSettings><midiccmap default='userDefinedMidiCCMap' file='/m/a.klccmap'/>"
                  "</ResourcesSettings>");
    EXPECT_TRUE (midi.isDefaultMapInUse());
    EXPECT_EQ (midi.getDefaultMapFile(), juce::File ("/m/a.klccmap"));
}

TEST_F (BasePluginOldStyleSettingsTest, ReadingAutomaticStoringStoresTheCurrentPresetAtOnce)
{
    auto plugin = makePlugin();
    auto& cutoff = *plugin->getParameterManager().getParameter (2);
    const float stored = plugin->getBankPreset (0)->getValue (2);

    cutoff.setValueNormalised (0.9f, true);
    plugin->read ("<PresetSettings storing='onDemand'/>");
    EXPECT_EQ (plugin->getPresetStoringMode(), BasePluginOldStyle::onDemandStoring);
    EXPECT_FLOAT_EQ (plugin->getBankPreset (0)->getValue (2), stored);

    plugin->read ("<presetsettings storing='AUTOMATIC'/>");
    EXPECT_EQ (plugin->getPresetStoringMode(), BasePluginOldStyle::automaticStoring);
    EXPECT_FLOAT_EQ (plugin->getBankPreset (0)->getValue (2), 0.9f);

    plugin->read ("<PresetSettings storing='sometimes'/>");
    EXPECT_EQ (plugin->getPresetStoringMode(), BasePluginOldStyle::automaticStoring);
}

TEST_F (BasePluginOldStyleSettingsTest, ChangingModeIsReadOnlyWhenConfigurable)
{
    auto plugin = makePlugin();

    plugin->read ("<PresetSettings changing='Silent'/>");
    EXPECT_EQ (plugin->getPresetChangingMode(), BasePluginOldStyle::silentChanging);

    plugin->changingConfigurable = false;
    plugin->read ("<PresetSettings changing='normal'/>");
    EXPECT_EQ (plugin->getPresetChangingMode(), BasePluginOldStyle::silentChanging);
}

TEST_F (BasePluginOldStyleSettingsTest, RecentlyUsedFolderTakesOnlyExistingFolders)
{
    auto plugin = makePlugin();
    EXPECT_EQ (plugin->getRecentlyUsedDirectory(),
               juce::File::getSpecialLocation (juce::File::userHomeDirectory));

    const auto first = data.getChildFile ("first");
    const auto second = data.getChildFile ("second");
    const auto file = data.getChildFile ("file.txt");
    ASSERT_TRUE (first.createDirectory() && second.createDirectory() && file.create());

    plugin->read ("<PluginDirectories><RecentlyUsed dir='" + first.getFullPathName() +
                  "'/><recentlyused dir='" + second.getFullPathName() + "'/></PluginDirectories>");
    EXPECT_EQ (plugin->getRecentlyUsedDirectory(), second);

    for (const auto& dir : {file.getFullPathName(), data.getChildFile ("missing").getFullPathName(),
                            juce::String ("relative/folder"), juce::String()})
    {
        plugin->read ("<PluginDirectories><RecentlyUsed dir='" + dir + "'/></PluginDirectories>");
        EXPECT_EQ (plugin->getRecentlyUsedDirectory(), second) << dir;
    }
}

TEST_F (BasePluginOldStyleSettingsTest, ForeignSettingsAreIgnored)
{
    auto plugin = makePlugin();
    const auto root = XmlHelpers::parse (juce::String (
        "<UserSettings application='Other'><PresetSettings storing='automatic'/></UserSettings>"));

    plugin->readUserSettings (*root);

    EXPECT_EQ (plugin->getPresetStoringMode(), BasePluginOldStyle::onDemandStoring);
}

//==============================================================================
TEST_F (BasePluginOldStyleSettingsTest, WritesSectionsInTheirOrder)
{
    auto plugin = makePlugin();
    plugin->setDefaultPresetsMode (BasePluginOldStyle::userDefinedPresets);
    plugin->setUserDefinedPresetsFile (juce::File ("/banks/mine.klprsb"));
    plugin->getMidiControl().setDefaultMapInUse (true);
    plugin->getMidiControl().setDefaultMapFile (juce::File ("/maps/a.klccmap"));
    plugin->setPresetChangingMode (BasePluginOldStyle::silentChanging);

    const auto root = plugin->createUserSettingsXml();

    EXPECT_EQ (root->getTagName(), "UserSettings");
    EXPECT_EQ (root->getStringAttribute ("application"), "Kelvanor");
    EXPECT_EQ (childTags (*root),
               juce::StringArray ({"PluginDirectories", "ResourcesSettings", "PresetSettings"}));

    const auto* recent = root->getChildElement (0)->getChildByName ("RecentlyUsed");
    ASSERT_NE (recent, nullptr);
    EXPECT_EQ (recent->getStringAttribute ("dir"), plugin->getRecentlyUsedDirectory().getFullPathName());

    const auto* resources = root->getChildElement (1);
    EXPECT_EQ (childTags (*resources), juce::StringArray ({"Presets", "MidiCCMap"}));
    EXPECT_EQ (resources->getChildElement (0)->getStringAttribute ("default"), "userDefinedPresets");
    EXPECT_EQ (resources->getChildElement (0)->getStringAttribute ("file"), "/banks/mine.klprsb");
    EXPECT_EQ (resources->getChildElement (1)->getStringAttribute ("default"), "userDefinedMidiCCMap");
    EXPECT_EQ (resources->getChildElement (1)->getStringAttribute ("file"), "/maps/a.klccmap");

    const auto* presets = root->getChildElement (2);
    EXPECT_EQ (presets->getStringAttribute ("storing"), "onDemand");
    EXPECT_EQ (presets->getStringAttribute ("changing"), "silent");
}

TEST_F (BasePluginOldStyleSettingsTest, WritesFilesOnlyWithTheUserDefinedChoices)
{
    auto plugin = makePlugin();
    plugin->changingConfigurable = false;
    plugin->setUserDefinedPresetsFile (juce::File ("/banks/mine.klprsb"));
    plugin->getMidiControl().setDefaultMapFile (juce::File ("/maps/a.klccmap"));
    plugin->setPresetStoringMode (BasePluginOldStyle::automaticStoring);

    const auto root = plugin->createUserSettingsXml();
    const auto* resources = root->getChildElement (1);

    EXPECT_EQ (resources->getChildElement (0)->getStringAttribute ("default"), "factoryPresets");
    EXPECT_FALSE (resources->getChildElement (0)->hasAttribute ("file"));
    EXPECT_EQ (resources->getChildElement (1)->getStringAttribute ("default"), "noMapping");
    EXPECT_FALSE (resources->getChildElement (1)->hasAttribute ("file"));

    const auto* presets = root->getChildElement (2);
    EXPECT_EQ (presets->getNumAttributes(), 1);
    EXPECT_EQ (presets->getStringAttribute ("storing"), "automatic");

    plugin->setDefaultPresetsMode (BasePluginOldStyle::clearPresets);
    EXPECT_EQ (plugin->createUserSettingsXml()->getChildElement (1)->getChildElement (0)->getStringAttribute (
                   "default"),
               "clearPresets");
}

TEST_F (BasePluginOldStyleSettingsTest, SavedSettingsChooseTheBankOfTheNextStart)
{
    auto first = makePlugin();
    first->setDefaultPresetsMode (BasePluginOldStyle::clearPresets);
    first->setPresetStoringMode (BasePluginOldStyle::automaticStoring);
    first->saveUserSettings();
    first.reset();

    auto second = makePlugin();
    EXPECT_EQ (second->getDefaultPresetsMode(), BasePluginOldStyle::clearPresets);
    EXPECT_EQ (second->getPresetStoringMode(), BasePluginOldStyle::automaticStoring);
    EXPECT_EQ (second->getPresetName (0), "Preset 0");
    EXPECT_EQ (second->getNumGroups(), 1);
}

TEST_F (BasePluginOldStyleSettingsTest, UserBankStartsWhenUsableFactoryBankOtherwise)
{
    const auto bank = data.getChildFile ("banks").getChildFile ("mine.klprsb");
    ASSERT_TRUE (bank.getParentDirectory().createDirectory());
    ASSERT_TRUE (
        bank.replaceWithText ("<PresetBank name='Mine'><PresetGroup name='G'>"
                              "<Preset application='Kelvanor' name='My First'/></PresetGroup></PresetBank>"));

    const auto sectionsFor = [] (const juce::String& path)
    {
        return "<ResourcesSettings><Presets default='userDefinedPresets' file='" + path +
               "'/></ResourcesSettings>";
    };

    auto user = makePlugin (sectionsFor (bank.getFullPathName()));
    EXPECT_EQ (user->getBankName(), "Mine");
    EXPECT_EQ (user->getPresetName (0), "My First");
    EXPECT_EQ (
        user->getParameterManager().getParameter (BasePluginOldStyle::currentPresetNameId)->getValueText(),
        "My First");
    EXPECT_EQ (user->getRecentlyUsedDirectory(), bank.getParentDirectory());
    user.reset();

    for (const auto& unusable : {data.getChildFile ("missing.klprsb").getFullPathName(),
                                 bank.getParentDirectory().getFullPathName(), juce::String()})
    {
        auto plugin = makePlugin (sectionsFor (unusable));
        EXPECT_EQ (plugin->getBankName(), "Factory Preset Bank") << unusable;
        EXPECT_EQ (plugin->getPresetName (0), "Pure Square") << unusable;
    }

    ASSERT_TRUE (bank.replaceWithText ("<PresetBank name='Trunc"));
    auto broken = makePlugin (sectionsFor (bank.getFullPathName()));
    EXPECT_EQ (broken->getBankName(), "Factory Preset Bank");
}

//==============================================================================
TEST_F (BasePluginOldStyleSettingsTest, FirstRunCreatesTheFolderAndMovesAnOldSettingsFile)
{
    SettingsPlugin plugin;
    const auto moduleFolder = data.getChildFile ("module");
    ASSERT_TRUE (moduleFolder.createDirectory());
    const auto oldFile = moduleFolder.getChildFile ("Kelvanor.ini");
    ASSERT_TRUE (oldFile.replaceWithText ("old settings"));

    plugin.initialiseSettings (moduleFolder);

    EXPECT_TRUE (plugin.getUserDataDirectory().isDirectory());
    EXPECT_EQ (plugin.getUserSettingsFile().loadFileAsString(), "old settings");
    EXPECT_FALSE (oldFile.exists());

    // Settings already in place are newer: the old file stays where it is.
    ASSERT_TRUE (oldFile.replaceWithText ("older settings"));
    plugin.initialiseSettings (moduleFolder);
    EXPECT_EQ (plugin.getUserSettingsFile().loadFileAsString(), "old settings");
    EXPECT_TRUE (oldFile.exists());
}
} // namespace
