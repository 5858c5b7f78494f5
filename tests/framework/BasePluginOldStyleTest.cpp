#include "framework/BasePluginOldStyle.h"
#include "framework/XmlHelpers.h"
#include "vst/BoundedXml.h"

#include "TestSupport.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace
{
constexpr int cutoffId = 2;

/** The bank level as the product configures it, with the start-up chain of the layered product; whether
    the changing mode is configurable is the test's choice (the product says no). */
class OldStylePlugin : public BasePluginOldStyle
{
public:
    OldStylePlugin() { useLayeredInitialise = true; }

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

    Parameter& parameter (int id) { return *getParameterManager().getParameter (id); }
    float presetValue (int index, int id) { return getBankPreset (index)->getValue (id); }

    int indexOfPreset (const juce::String& name)
    {
        for (int i = 0; i < getNumPresets(); ++i)
            if (getPresetName (i) == name)
                return i;
        return -1;
    }

    /** "index:name" of the current preset, flagged when parameters 110000 and 110001 show another. */
    juce::String current()
    {
        const int index = getCurrentPresetIndex();
        const bool shown = parameter (currentPresetNumberId).getValueInt() == index &&
                           parameter (currentPresetNameId).getValueText() == getPresetName (index);
        return juce::String (index) + ":" + getPresetName (index) + (shown ? "" : " (not shown)");
    }

    /** "number:name" of the preset the displays show: the texts of parameters 110000 and 110001, as the
        panel's and the browser's displays take them. */
    juce::String shown()
    {
        return parameter (currentPresetNumberId).getValueText() + ":" +
               parameter (currentPresetNameId).getValueText();
    }

    /** The names of the first count presets, separated by spaces. */
    juce::String names (int count)
    {
        juce::StringArray list;
        for (int i = 0; i < count; ++i)
            list.add (getPresetName (i));
        return list.joinIntoString (" ");
    }

    /** "name:size" of every group. */
    juce::String groupList()
    {
        juce::StringArray list;
        for (int i = 0; i < getNumGroups(); ++i)
            list.add (getGroupName (i) + ":" + juce::String (getGroupSize (i)));
        return list.joinIntoString (" ");
    }

    juce::String bankText() { return XmlHelpers::toSingleLine (*createPresetBankXml()); }

    void read (const juce::String& sections)
    {
        readUserSettings (
            *XmlHelpers::parse ("<UserSettings application='Kelvanor'>" + sections + "</UserSettings>"));
    }

    bool changingConfigurable = true;
};

juce::String childTags (const juce::XmlElement& xml)
{
    juce::StringArray tags;
    for (const auto* child : xml.getChildIterator())
        tags.add (child->getTagName() +
                  (child->getNumAttributes() > 0 ? "(" + child->getAttributeValue (0) + ")" : ""));
    return tags.joinIntoString (",");
}

class BasePluginOldStyleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BasePlugin::overrideApplicationDataFolders (data.getChildFile ("user"), data.getChildFile ("common"));
    }

    void TearDown() override
    {
        pumpMessages();
        BasePlugin::overrideApplicationDataFolders ({}, {});
    }

    /** An initialised instance started from the given settings sections (none: no settings file). */
    std::unique_ptr<OldStylePlugin> makePlugin (const juce::String& sections = {})
    {
        auto plugin = std::make_unique<OldStylePlugin>();
        if (sections.isNotEmpty())
        {
            plugin->getUserSettingsFile().getParentDirectory().createDirectory();
            plugin->getUserSettingsFile().replaceWithText ("<UserSettings application='Kelvanor'>" +
                                                           sections + "</UserSettings>");
        }
        plugin->runLateInitialisation();
        return plugin;
    }

    /** A bank of groups A (a0..a2), B (b0, b1), C (c0..c3), then 119 presets not used. */
    static void loadSmallBank (OldStylePlugin& plugin)
    {
        juce::String text = "<PresetBank name='Small'>";
        for (const auto& [group, size] : {std::pair{"A", 3}, {"B", 2}, {"C", 4}})
        {
            text << "<PresetGroup name='" << group << "'>";
            for (int i = 0; i < size; ++i)
                text << "<Preset application='Kelvanor' name='" << juce::String (group).toLowerCase() << i
                     << "'/>";
            text << "</PresetGroup>";
        }
        ASSERT_TRUE (plugin.loadPresetBankFromXml (*XmlHelpers::parse (text + "</PresetBank>")));
    }

    TemporaryFolder data;
};
} // namespace

//==============================================================================
TEST_F (BasePluginOldStyleTest, FreshInstanceHoldsTheFactoryBankWithPresetZeroLoaded)
{
    auto plugin = makePlugin();
    EXPECT_EQ (plugin->getBankName(), "Factory Preset Bank");
    EXPECT_EQ (plugin->groupList(), "_Clean:13 _Distorted:23 _Arpeggiators:4 Not used:88");
    EXPECT_EQ (plugin->current(), "0:Pure Square");
    EXPECT_GE (plugin->indexOfPreset ("Lazy Frog"), 0);
    EXPECT_EQ (plugin->getPresetName (40), "Preset 40");
    for (int id = 0; id < BasePluginOldStyle::numPresetableParameters; ++id)
        EXPECT_FLOAT_EQ (plugin->parameter (id).getValueNormalised(), plugin->presetValue (0, id)) << id;

    // The host sees parameters 0 to 35 in the slots of the same numbers.
    for (int slot : {0, 32, 35})
        EXPECT_EQ (plugin->getHostParameter (slot), &plugin->parameter (slot));
    EXPECT_EQ (plugin->getHostParameter (36), nullptr);

    // Group queries, and neutral answers out of range.
    EXPECT_EQ (plugin->getGroupFirstPresetIndex (1), 13);
    EXPECT_EQ (plugin->getGroupLastPresetIndex (1), 35);
    EXPECT_EQ (plugin->getPresetIndex (2, 3), 39);
    EXPECT_EQ (plugin->getGroupIndexOfPreset (127), 3);
    for (const int outside :
         {plugin->getGroupFirstPresetIndex (4), plugin->getGroupLastPresetIndex (-1),
          plugin->getPresetIndex (2, 4), plugin->getPresetIndex (0, -1), plugin->getGroupIndexOfPreset (128)})
        EXPECT_EQ (outside, -1);
    EXPECT_EQ (plugin->getGroupName (9) + plugin->getGroupPresetName (0, 13) + plugin->getPresetName (128),
               "");
    EXPECT_EQ (plugin->getBankPreset (-1), nullptr);
    plugin->insertGroup (4);
    plugin->insertGroup (1);
    EXPECT_FALSE (plugin->removeEmptyGroup (0));
    EXPECT_EQ (plugin->groupList(), "_Clean:13 New Group:0 _Distorted:23 _Arpeggiators:4 Not used:88");
    EXPECT_TRUE (plugin->removeEmptyGroup (1));

    plugin->clearBank();
    EXPECT_EQ (plugin->groupList(), "Not used:128");
    EXPECT_EQ (plugin->names (3) + " " + plugin->getPresetName (127),
               "Preset 0 Preset 1 Preset 2 Preset 127");
    for (int id = 0; id < BasePluginOldStyle::numPresetableParameters; ++id)
        EXPECT_FLOAT_EQ (plugin->presetValue (127, id), plugin->getDefaultPreset().getValue (id)) << id;
    EXPECT_FLOAT_EQ (plugin->getDefaultPreset().getValue (23), 1.0f);
}

TEST_F (BasePluginOldStyleTest, NextAndPreviousStopAtTheEnds)
{
    auto plugin = makePlugin();
    struct : BasePluginOldStyle::PresetManagerListener
    {
        void presetChanged() override { ++calls; }
        int calls = 0;
    } listener;
    plugin->addPresetManagerListener (&listener);

    plugin->parameter (cutoffId).setValueNormalised (0.9f, true);
    plugin->selectPreviousPreset();
    EXPECT_EQ (plugin->current(), "0:Pure Square");
    EXPECT_FLOAT_EQ (plugin->parameter (cutoffId).getValueNormalised(), 0.9f);

    plugin->selectNextPreset();
    EXPECT_EQ (plugin->current(), "1:Bare Sawtooth");
    EXPECT_FLOAT_EQ (plugin->parameter (cutoffId).getValueNormalised(), plugin->presetValue (1, cutoffId));
    EXPECT_EQ (listener.calls, 1);

    plugin->setCurrentPresetIndex (127, true);
    plugin->parameter (cutoffId).setValueNormalised (0.9f, true);
    plugin->selectNextPreset();
    EXPECT_EQ (plugin->getCurrentPresetIndex(), 127);
    EXPECT_FLOAT_EQ (plugin->parameter (cutoffId).getValueNormalised(), 0.9f);
    EXPECT_EQ (listener.calls, 1);
    plugin->removePresetManagerListener (&listener);
}

TEST_F (BasePluginOldStyleTest, ProgramChangeSetsTheSoundNowAndShowsThePresetOnTheMessageThread)
{
    auto plugin = makePlugin();
    const auto before = plugin->current();

    for (const int program : {-1, BasePluginOldStyle::numBankPresets, 500})
    {
        EXPECT_FALSE (plugin->applyProgramChange (program)) << program;
        EXPECT_EQ (plugin->current(), before) << program;
    }

    ASSERT_TRUE (plugin->applyProgramChange (5));
    for (int id = 0; id < BasePluginOldStyle::numPresetableParameters; ++id)
        EXPECT_EQ (plugin->parameter (id).getValueNormalised(), plugin->presetValue (5, id)) << id;
    EXPECT_EQ (plugin->current(), "5:" + plugin->getPresetName (5) + " (not shown)");

    pumpMessages();
    EXPECT_EQ (plugin->getCurrentPresetIndex(), 5);
    EXPECT_EQ (plugin->shown(), "5:" + plugin->getPresetName (5));
}

TEST_F (BasePluginOldStyleTest, ShowingAPresetRenamesNoneWhenAnotherThreadMovesTheCurrentOneMeanwhile)
{
    auto plugin = makePlugin();
    const auto namesBefore = plugin->names (BasePluginOldStyle::numBankPresets);

    // A host restores a state that makes preset 0 current, on its own thread, while this one shows preset
    // 5: here it lands when the number parameter takes the 5.
    struct Restore : public Parameter::Listener
    {
        explicit Restore (BasePluginOldStyle& p)
            : plugin (p)
        {
        }
        void parameterChanged (Parameter* number) override
        {
            if (number->getValueInt() == 5)
                plugin.setCurrentPresetIndex (0, true);
        }
        BasePluginOldStyle& plugin;
    } restore (*plugin);
    auto& number = plugin->parameter (BasePluginOldStyle::currentPresetNumberId);
    number.addListener (&restore);
    plugin->setCurrentPresetIndex (5, true);
    number.removeListener (&restore);
    pumpMessages();

    EXPECT_EQ (plugin->names (BasePluginOldStyle::numBankPresets), namesBefore);
    // Whichever preset is current once the messages have run is the one the displays show.
    const int current = plugin->getCurrentPresetIndex();
    EXPECT_EQ (plugin->shown(), juce::String (current) + ":" + plugin->getPresetName (current));
}

TEST_F (BasePluginOldStyleTest, CopyPasteAndRenamingThroughTheNameParameter)
{
    auto plugin = makePlugin();
    const auto preset5Before = XmlHelpers::toSingleLine (*plugin->createPresetXml (5));
    plugin->setCurrentPresetIndex (5, true);
    plugin->pasteCopiedPreset(); // empty buffer: nothing
    EXPECT_EQ (XmlHelpers::toSingleLine (*plugin->createPresetXml (5)), preset5Before);

    const int lazyFrog = plugin->indexOfPreset ("Lazy Frog");
    plugin->setCurrentPresetIndex (lazyFrog, true);
    plugin->loadCurrentPreset();
    plugin->copyCurrentPreset();
    EXPECT_TRUE (plugin->isCopyBufferFull());
    plugin->setCurrentPresetIndex (5, true);
    plugin->loadCurrentPreset();
    plugin->pasteCopiedPreset();
    EXPECT_EQ (plugin->current(), "5:Lazy Frog_copy");
    EXPECT_EQ (plugin->getPresetName (lazyFrog), "Lazy Frog");
    for (int id = 0; id < BasePluginOldStyle::numPresetableParameters; ++id)
        EXPECT_FLOAT_EQ (plugin->presetValue (5, id), plugin->presetValue (lazyFrog, id)) << id;

    plugin->parameter (BasePluginOldStyle::currentPresetNameId).setValueText ("Renamed", true);
    EXPECT_EQ (plugin->current(), "5:Renamed");
    plugin->setPresetName (4, "Other");
    EXPECT_EQ (plugin->current(), "5:Renamed");
    plugin->setPresetName (5, "Again");
    EXPECT_EQ (plugin->current(), "5:Again");
}

TEST_F (BasePluginOldStyleTest, AutomaticStoringWritesAtOnceOnDemandWaitsForStore)
{
    auto plugin = makePlugin();
    const float stored = plugin->presetValue (0, cutoffId);
    ASSERT_NE (stored, 0.9f);
    plugin->parameter (cutoffId).setValueNormalised (0.9f, true);
    plugin->read ("<PresetSettings storing='onDemand'/>");
    EXPECT_EQ (plugin->getPresetStoringMode(), BasePluginOldStyle::onDemandStoring);
    EXPECT_FLOAT_EQ (plugin->presetValue (0, cutoffId), stored);
    plugin->storePreset (0);
    EXPECT_FLOAT_EQ (plugin->presetValue (0, cutoffId), 0.9f);

    plugin->setPresetStoringMode (BasePluginOldStyle::automaticStoring);
    plugin->parameter (cutoffId).setValueNormalised (0.25f, true);
    EXPECT_FLOAT_EQ (plugin->presetValue (0, cutoffId), 0.25f);
    plugin->parameter (33).setValueNormalised (0.1f, true); // not presetable: never reaches a preset
    EXPECT_EQ (plugin->getBankPreset (0)->getNumValues(), BasePluginOldStyle::numPresetableParameters);

    // Reading "automatic" (any case) from the settings stores the current parameters at once.
    plugin->setPresetStoringMode (BasePluginOldStyle::onDemandStoring);
    plugin->parameter (cutoffId).setValueNormalised (0.75f, true);
    plugin->read ("<presetsettings storing='AUTOMATIC'/>");
    EXPECT_EQ (plugin->getPresetStoringMode(), BasePluginOldStyle::automaticStoring);
    EXPECT_FLOAT_EQ (plugin->presetValue (0, cutoffId), 0.75f);
    plugin->read ("<PresetSettings storing='sometimes'/>");
    EXPECT_EQ (plugin->getPresetStoringMode(), BasePluginOldStyle::automaticStoring);
}

//==============================================================================
TEST_F (BasePluginOldStyleTest, MovesKeepTheCurrentPreset)
{
    const auto rows = [] (std::initializer_list<int> list)
    {
        juce::SparseSet<int> set;
        for (int row : list)
            set.addRange ({row, row + 1});
        return set;
    };
    const char* const same = "a0 a1 a2 b0 b1 c0 c1 c2 c3|A:3 B:2 C:4 Not used:119";
    using Move = std::function<void (OldStylePlugin&)>;
    // clang-format off
    const std::pair<Move, const char*> cases[] {
        { [] (auto& p) { p.movePreset (0, 2, 0, 0); }, "a1 a2 a0 b0 b1 c0 c1 c2 c3|A:3 B:2 C:4 Not used:119" },
        { [] (auto& p) { p.movePreset (1, 4, 0, 2); }, "a0 a2 b0 b1 a1 c0 c1 c2 c3|A:2 B:2 C:5 Not used:119" },
        { [] (auto& p) { p.movePreset (6, 3, 2, 0); }, "a0 a1 a2 c1 b0 b1 c0 c2 c3|A:4 B:2 C:3 Not used:119" },
        { [] (auto& p) { p.movePreset (3, 3, 1, 1); }, same },       // onto itself
        { [] (auto& p) { p.movePreset (4, 0, 0, 0); }, same },       // not in its source group
        { [] (auto& p) { p.movePreset (0, 7, 0, 1); }, same },       // beyond its target group
        { [&] (auto& p) { p.movePresetsToGroup (0, 2, rows ({ 0, 2 })); }, "a0 a1 a2 c0 c2 b0 b1 c1 c3|A:5 B:2 C:2 Not used:119" },
        { [&] (auto& p) { p.movePresetsToGroup (2, 0, rows ({ 0, 2 })); }, "a1 b0 b1 c0 c1 c2 c3 a0 a2|A:1 B:2 C:6 Not used:119" },
        { [&] (auto& p) { p.movePresetsToGroup (1, 0, rows ({ 0, 1, 2 })); }, "b0 b1 a0 a1 a2 c0 c1 c2 c3|A:0 B:5 C:4 Not used:119" },
        { [&] (auto& p) { p.movePresetsToGroup (0, 1, rows ({ 1, 5, 40 })); }, "a0 a1 a2 b1 b0 c0 c1 c2 c3|A:4 B:1 C:4 Not used:119" },
        { [] (auto& p) { p.movePresetsToGroup (0, 1, {}); }, same },
        { [] (auto& p) { p.moveGroup (0, 2); }, "b0 b1 c0 c1 c2 c3 a0 a1 a2|B:2 C:4 A:3 Not used:119" },
        { [] (auto& p) { p.moveGroup (2, 0); }, "c0 c1 c2 c3 a0 a1 a2 b0 b1|C:4 A:3 B:2 Not used:119" },
        { [] (auto& p) { p.moveGroup (1, 3); }, "a0 a1 a2 c0 c1 c2 c3 Preset 9 Preset 10|A:3 C:4 Not used:119 B:2" },
        { [] (auto& p) { p.moveGroup (1, 1); }, same },
        { [] (auto& p) { p.moveGroup (4, 0); }, same } };
    // clang-format on
    auto plugin = makePlugin();
    for (int c = 0; c < (int) std::size (cases); ++c)
        for (const auto* currentName : {"a1", "b0", "c3", "Preset 9"})
        {
            loadSmallBank (*plugin);
            plugin->setCurrentPresetIndex (plugin->indexOfPreset (currentName), true);
            cases[c].first (*plugin);
            EXPECT_EQ (plugin->names (9) + "|" + plugin->groupList(), cases[c].second) << "case " << c;
            EXPECT_EQ (plugin->current(),
                       juce::String (plugin->indexOfPreset (currentName)) + ":" + currentName)
                << "case " << c;
        }
}

//==============================================================================
TEST_F (BasePluginOldStyleTest, StateRestoresIntoAFreshInstanceGivingTheSameChunk)
{
    auto source = makePlugin();
    source->moveGroup (0, 2);
    source->setPresetName (3, "Renamed <&> \"quoted\"");
    source->setCurrentPresetIndex (7, true);
    source->loadCurrentPreset();
    source->parameter (cutoffId).setValueNormalised (0.123456789f, true);
    source->parameter (35).setValueNormalised (0.3f, true);
    source->getMidiControl().assign (20, &source->parameter (cutoffId), false);
    const auto state = source->createStateXml();
    EXPECT_EQ (childTags (*state), "ParametersState,PresetsState(7),MidiControlMap(Kelvanor)");
    EXPECT_EQ (state->getChildElement (0)->getNumChildElements(), 36);
    EXPECT_EQ (state->getChildElement (1)->getChildElement (0)->getTagName(), "PresetBank");

    juce::MemoryBlock chunk, again;
    source->getStateInformation (chunk);
    auto restored = makePlugin();
    restored->setStateInformation (chunk.getData(), (int) chunk.getSize());
    restored->getStateInformation (again);
    EXPECT_TRUE (again == chunk);
    EXPECT_EQ (restored->current(), "7:" + source->getPresetName (7));
    EXPECT_EQ (restored->getPresetName (3), "Renamed <&> \"quoted\"");
    EXPECT_EQ (restored->groupList(), source->groupList());
    EXPECT_EQ (restored->parameter (cutoffId).getValueNormalised(), 0.123456789f);
    EXPECT_EQ (restored->getMidiControl().getParameterOfController (20), &restored->parameter (cutoffId));

    // The same state under another product's name is not ours.
    state->setAttribute ("application", "Other");
    state->getChildElement (1)->setAttribute ("currentPreset", 4);
    restored->applyStateXml (*state);
    EXPECT_EQ (restored->getCurrentPresetIndex(), 7);
}

TEST_F (BasePluginOldStyleTest, RestoringShowsThePresetWithoutLoadingIt)
{
    auto plugin = makePlugin();
    plugin->setCurrentPresetIndex (9, true);
    plugin->parameter (cutoffId).setValueNormalised (0.9f, true);
    const float envMod = plugin->parameter (5).getValueNormalised();

    // Only state parameters are taken; values outside 0..1 are clamped, unreadable ones skipped.
    plugin->applyStateXml (*XmlHelpers::parse (juce::String (R"(<pluginstate application="KELVANOR">
        <PresetsState><PresetBank name="Restored"><PresetGroup name="G">
          <Preset application="Kelvanor" name="First"/></PresetGroup></PresetBank></PresetsState>
        <parametersstate><param name="Resonance" value="7"/><param name="Env Mod" value="nan"/>
          <param name="Current Preset Name" value="0.5"/><param name="No Such" value="0.5"/></parametersstate>
        </pluginstate>)")));
    EXPECT_EQ (plugin->current(), "0:First");
    EXPECT_EQ (plugin->getBankName(), "Restored");
    EXPECT_FLOAT_EQ (plugin->parameter (cutoffId).getValueNormalised(), 0.9f);
    EXPECT_FLOAT_EQ (plugin->parameter (3).getValueNormalised(), 1.0f);
    EXPECT_FLOAT_EQ (plugin->parameter (5).getValueNormalised(), envMod);
}

TEST_F (BasePluginOldStyleTest, CurrentProgramChunkCarriesTheCurrentPreset)
{
    auto source = makePlugin();
    source->setCurrentPresetIndex (source->indexOfPreset ("Lazy Frog"), true);
    source->loadCurrentPreset();
    const auto preset = source->createCurrentProgramStateXml();
    EXPECT_EQ (preset->getTagName() + ":" + preset->getStringAttribute ("name"), "Preset:Lazy Frog");
    EXPECT_EQ (preset->getNumChildElements(), BasePluginOldStyle::numPresetableParameters);

    juce::MemoryBlock chunk;
    source->getCurrentProgramStateInformation (chunk);
    auto target = makePlugin();
    target->setCurrentPresetIndex (4, true);
    target->setCurrentProgramStateInformation (chunk.getData(), (int) chunk.getSize());
    EXPECT_EQ (target->current(), "4:Lazy Frog");
    EXPECT_FLOAT_EQ (target->parameter (cutoffId).getValueNormalised(),
                     source->parameter (cutoffId).getValueNormalised());

    target->applyCurrentProgramStateXml (
        *XmlHelpers::parse (juce::String ("<Preset application='Other' name='X'/>")));
    EXPECT_EQ (target->getPresetName (4), "Lazy Frog"); // another product's preset is not taken
}

//==============================================================================
TEST_F (BasePluginOldStyleTest, PresetValuesAreReadWithinRangeAndWrittenWithAtMostSixDecimals)
{
    auto plugin = makePlugin();
    for (const auto& [value, text] :
         {std::pair{0.752f, "0.752"}, {1.0f, "1"}, {0.1234567f, "0.123457"}, {0.0000004f, "0"}})
    {
        plugin->getBankPreset (0)->setValue (cutoffId, value);
        const auto xml = plugin->createPresetXml (0);
        const auto* param = xml->getChildElement (cutoffId);
        EXPECT_EQ (param->getStringAttribute ("name") + "=" + param->getStringAttribute ("value"),
                   "Cutoff=" + juce::String (text));
    }

    // clang-format off
    const std::pair<const char*, float> cases[] { { "<param name='Cutoff' value='0.75'/>", 0.75f },
        { "<PARAM name='Cutoff' value='1.7'/>", 1.0f }, { "<param name='Cutoff' value='-3'/>", 0.0f },
        { "<param name='Cutoff' value='nan'/>", 0.0f }, { "<param name='Cutoff' value='1e999'/>", 0.0f },
        { "<param name='Cutoff'/>", 0.0f }, { "<param name='cutoff' value='0.9'/>", 0.3f }, { "", 0.3f } };
    // clang-format on
    for (const auto& [param, expected] : cases)
    {
        plugin->getBankPreset (1)->setValue (cutoffId, 0.3f);
        ASSERT_TRUE (plugin->loadPresetFromXml (
            *XmlHelpers::parse ("<Preset application='Kelvanor' name='P'>" + juce::String (param) +
                                "<param name='Gate Threshold' value='0.1'/></Preset>"),
            1));
        EXPECT_FLOAT_EQ (plugin->presetValue (1, cutoffId), expected) << param;
        EXPECT_EQ (plugin->getPresetName (1), "P");
    }
}

TEST_F (BasePluginOldStyleTest, BankReadingNamesGroupsSkipsForeignPresetsAndStopsAt128)
{
    auto plugin = makePlugin();
    juce::String text =
        "<presetbank><PresetGroup name='One'><Preset application='Kelvanor' name='p0'/></PresetGroup>"
        "<PresetGroup><Preset application='Other' name='foreign'/><Junk/>"
        "<Preset application='KELVANOR' name='p1'/>";
    for (int i = 2; i < 140; ++i)
        text << "<Preset application='Kelvanor' name='p" << i << "'/>";
    ASSERT_TRUE (plugin->loadPresetBankFromXml (
        *XmlHelpers::parse (text + "</PresetGroup><PresetGroup name=''/></presetbank>")));
    EXPECT_EQ (plugin->getBankName(), "Preset Bank");
    EXPECT_EQ (plugin->groupList(), "One:1 group 2:127 group 3:0");
    EXPECT_EQ (plugin->names (3) + " " + plugin->getPresetName (127), "p0 p1 p2 p127");
}

TEST_F (BasePluginOldStyleTest, BadBankAndPresetFilesChangeNothing)
{
    auto plugin = makePlugin();
    const auto bankFile = data.getChildFile ("bank.klprsb");
    ASSERT_TRUE (XmlHelpers::writeToFile (*plugin->createPresetBankXml(), bankFile));
    const auto wholeText = bankFile.loadFileAsString();
    plugin->setPresetName (0, "Edited");
    const auto before = plugin->bankText();
    const auto folderBefore = plugin->getRecentlyUsedDirectory();

    for (const auto& text :
         {wholeText.substring (0, wholeText.length() / 2), wholeText.dropLastCharacters (3), juce::String(),
          juce::String ("not xml at all"), juce::String ("<Bank name='X'><PresetGroup/></Bank>"),
          juce::String ("<Preset application='Kelvanor' name='single'/>")})
    {
        ASSERT_TRUE (bankFile.replaceWithText (text));
        EXPECT_FALSE (plugin->loadPresetBankFile (bankFile)) << text.substring (0, 40);
        EXPECT_EQ (plugin->bankText(), before) << text.substring (0, 40);
    }
    EXPECT_FALSE (plugin->loadPresetBankFile (data.getChildFile ("missing.klprsb")));
    EXPECT_EQ (plugin->getRecentlyUsedDirectory(), folderBefore);
    ASSERT_TRUE (bankFile.replaceWithText (wholeText));
    EXPECT_TRUE (plugin->loadPresetBankFile (bankFile));
    EXPECT_EQ (plugin->current(), "0:Pure Square");
    EXPECT_EQ (plugin->getRecentlyUsedDirectory(), data.getFolder());

    // A preset file loads into its slot, and into the parameters only when that slot is current.
    const auto file = data.getChildFile ("one.klprs");
    ASSERT_TRUE (file.replaceWithText (
        "<Preset application='Kelvanor' name='From File'><param name='Cutoff' value='0.875'/></Preset>"));
    plugin->parameter (cutoffId).setValueNormalised (0.1f, true);
    EXPECT_TRUE (plugin->loadPresetFile (file, 6));
    EXPECT_EQ (plugin->getPresetName (6), "From File");
    EXPECT_FLOAT_EQ (plugin->presetValue (6, cutoffId), 0.875f);
    EXPECT_FLOAT_EQ (plugin->parameter (cutoffId).getValueNormalised(), 0.1f);
    EXPECT_TRUE (plugin->loadPresetFile (file, 0));
    EXPECT_FLOAT_EQ (plugin->parameter (cutoffId).getValueNormalised(), 0.875f);
    EXPECT_EQ (plugin->current(), "0:From File");

    ASSERT_TRUE (file.replaceWithText ("<Preset application='Other' name='Foreign'/>"));
    EXPECT_FALSE (plugin->loadPresetFile (file, 6));
    EXPECT_FALSE (plugin->loadPresetFile (file, 128));
    EXPECT_EQ (plugin->getPresetName (6), "From File");
}

//==============================================================================
// Whatever bank the plug-in holds fits in a state it reads back: nothing takes the bank's names beyond their
// bound, counted as they are written (a quote as &quot;), nor the bank beyond its bound on groups.
TEST_F (BasePluginOldStyleTest, NothingTakesTheBankBeyondItsBounds)
{
    auto plugin = makePlugin();
    loadSmallBank (*plugin);
    const auto bankXml = plugin->createPresetBankXml();
    const auto room = BasePluginOldStyle::maxBankTextBytes - plugin->getBankTextBytes() + 5; // "Small"
    const auto full = juce::String::repeatedString ("\"", (int) room / 6) +
                      juce::String ("xxxxx").substring (0, (int) room % 6);
    bankXml->setAttribute ("name", full + "x");
    EXPECT_FALSE (plugin->loadPresetBankFromXml (*bankXml));
    bankXml->setAttribute ("name", full);
    ASSERT_TRUE (plugin->loadPresetBankFromXml (*bankXml));

    // Full, the bank takes no longer name (a preset name's first 144 bytes are not counted); the current
    // preset's name shows the one kept.
    const auto longName = juce::String::repeatedString ("\"", 25);
    plugin->setCurrentPresetIndex (2, true);
    plugin->parameter (BasePluginOldStyle::currentPresetNameId).setValueText (longName, true);
    EXPECT_EQ (plugin->shown(), "2:a2");
    EXPECT_FALSE (plugin->setGroupName (1, "9 chars.."));
    EXPECT_FALSE (plugin->insertGroup (0));
    EXPECT_FALSE (plugin->loadPresetFromXml (
        *XmlHelpers::parse ("<Preset application='Kelvanor' name='" + longName + "'/>"), 0));
    EXPECT_EQ (plugin->getBankName() + plugin->names (3) + plugin->groupList(),
               full + "a0 a1 a2A:3 B:2 C:4 Not used:119");

    // Empty groups, then one of presets, "Not used" holding those left: one group too many, or as many as
    // a bank may have.
    constexpr int limit = BasePluginOldStyle::maxGroups;
    for (const auto& [emptyGroups, presets, loads] :
         {std::tuple{limit, 128, false}, {limit - 1, 127, false}, {limit - 1, 128, true}})
        EXPECT_EQ (
            plugin->loadPresetBankFromXml (*XmlHelpers::parse (
                "<PresetBank>" + juce::String::repeatedString ("<PresetGroup/>", emptyGroups) +
                "<PresetGroup>" + juce::String::repeatedString ("<Preset application='Kelvanor'/>", presets) +
                "</PresetGroup></PresetBank>")),
            loads)
            << emptyGroups << " " << presets;
    EXPECT_EQ (plugin->getNumGroups(), limit);
    EXPECT_FALSE (plugin->insertGroup (0));
}

//==============================================================================
TEST_F (BasePluginOldStyleTest, ResourcesSettingsAreReadWithTheirCaseRules)
{
    auto plugin = makePlugin();
    // The default-presets choice ignores case; an unknown choice keeps the mode and the file.
    // clang-format off
    const std::tuple<const char*, int, const char*> presets[] {
        { "default='factoryPresets'", BasePluginOldStyle::factoryPresets, "" },
        { "default='ClearPresets'", BasePluginOldStyle::clearPresets, "" },
        { "default='USERDEFINEDPRESETS' file='/banks/mine.klprsb'", BasePluginOldStyle::userDefinedPresets, "/banks/mine.klprsb" },
        { "default='factory' file='/banks/other.klprsb'", BasePluginOldStyle::userDefinedPresets, "/banks/mine.klprsb" },
        { "", BasePluginOldStyle::userDefinedPresets, "/banks/mine.klprsb" },
        { "default='FactoryPresets'", BasePluginOldStyle::factoryPresets, "/banks/mine.klprsb" } };
    // clang-format on
    for (const auto& [attributes, mode, file] : presets)
    {
        plugin->read ("<resourcessettings><PRESETS " + juce::String (attributes) + "/></resourcessettings>");
        EXPECT_EQ (plugin->getDefaultPresetsMode(), mode) << attributes;
        EXPECT_EQ (plugin->getUserDefinedPresetsFile().getFullPathName(), juce::String (file)) << attributes;
    }

    // The MIDI map choice counts case: only "noMapping" and "userDefinedMidiCCMap" are understood.
    auto& midi = plugin->getMidiControl();
    midi.setDefaultMapInUse (true);
    for (const auto& [text, inUse] :
         {std::pair{"<MidiCCMap default='NoMapping'/>", true},
          {"<MidiCCMap default='noMapping'/>", false},
          {"<MidiCCMap default='UserDefinedMidiCCMap' file='/m/a.klccmap'/>", false},
          {"<midiccmap default='userDefinedMidiCCMap' file='/m/a.klccmap'/>", true}})
    {
        plugin->read ("<ResourcesSettings>" + juce::String (text) + "</ResourcesSettings>");
        EXPECT_EQ (midi.isDefaultMapInUse(), inUse) << text;
    }
    EXPECT_EQ (midi.getDefaultMapFile(), juce::File ("/m/a.klccmap"));
}

TEST_F (BasePluginOldStyleTest, PresetSettingsFoldersAndForeignDocuments)
{
    auto plugin = makePlugin();
    plugin->read ("<PresetSettings changing='Silent'/>");
    EXPECT_EQ (plugin->getPresetChangingMode(), BasePluginOldStyle::silentChanging);
    plugin->changingConfigurable = false;
    plugin->read ("<PresetSettings changing='normal'/>");
    EXPECT_EQ (plugin->getPresetChangingMode(), BasePluginOldStyle::silentChanging);

    // The recently used folder takes only existing folders, the last one read.
    EXPECT_EQ (plugin->getRecentlyUsedDirectory(),
               juce::File::getSpecialLocation (juce::File::userHomeDirectory));
    const auto first = data.getChildFile ("first"), second = data.getChildFile ("second");
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

    plugin->readUserSettings (*XmlHelpers::parse (juce::String (
        "<UserSettings application='Other'><PresetSettings storing='automatic'/></UserSettings>")));
    EXPECT_EQ (plugin->getPresetStoringMode(), BasePluginOldStyle::onDemandStoring);
}

TEST_F (BasePluginOldStyleTest, SettingsSectionsAreWrittenInTheirOrderWithFilesOnlyWhenUserDefined)
{
    auto plugin = makePlugin();
    plugin->setDefaultPresetsMode (BasePluginOldStyle::userDefinedPresets);
    plugin->setUserDefinedPresetsFile (juce::File ("/banks/mine.klprsb"));
    plugin->getMidiControl().setDefaultMapInUse (true);
    plugin->getMidiControl().setDefaultMapFile (juce::File ("/maps/a.klccmap"));
    plugin->setPresetChangingMode (BasePluginOldStyle::silentChanging);
    const auto home = plugin->getRecentlyUsedDirectory().getFullPathName();
    EXPECT_EQ (
        XmlHelpers::toSingleLine (*plugin->createUserSettingsXml()),
        "<UserSettings application=\"Kelvanor\"><PluginDirectories><RecentlyUsed dir=\"" + home +
            "\"/></PluginDirectories><ResourcesSettings><Presets default=\"userDefinedPresets\" "
            "file=\"/banks/mine.klprsb\"/><MidiCCMap default=\"userDefinedMidiCCMap\" "
            "file=\"/maps/a.klccmap\"/>"
            "</ResourcesSettings><PresetSettings storing=\"onDemand\" changing=\"silent\"/></UserSettings>");

    plugin->changingConfigurable = false;
    plugin->setDefaultPresetsMode (BasePluginOldStyle::factoryPresets);
    plugin->getMidiControl().setDefaultMapInUse (false);
    plugin->setPresetStoringMode (BasePluginOldStyle::automaticStoring);
    const auto root = plugin->createUserSettingsXml();
    EXPECT_EQ (XmlHelpers::toSingleLine (*root->getChildElement (1)) +
                   XmlHelpers::toSingleLine (*root->getChildElement (2)),
               "<ResourcesSettings><Presets default=\"factoryPresets\"/><MidiCCMap default=\"noMapping\"/>"
               "</ResourcesSettings><PresetSettings storing=\"automatic\"/>");
    plugin->setDefaultPresetsMode (BasePluginOldStyle::clearPresets);
    EXPECT_EQ (plugin->createUserSettingsXml()->getChildElement (1)->getChildElement (0)->getStringAttribute (
                   "default"),
               "clearPresets");
}

TEST_F (BasePluginOldStyleTest, SavedSettingsChooseTheBankOfTheNextStart)
{
    auto first = makePlugin();
    first->setDefaultPresetsMode (BasePluginOldStyle::clearPresets);
    first->setPresetStoringMode (BasePluginOldStyle::automaticStoring);
    first->saveUserSettings();
    first.reset();
    auto second = makePlugin();
    EXPECT_EQ (second->getDefaultPresetsMode(), BasePluginOldStyle::clearPresets);
    EXPECT_EQ (second->getPresetStoringMode(), BasePluginOldStyle::automaticStoring);
    EXPECT_EQ (second->current() + " " + second->groupList(), "0:Preset 0 Not used:128");
    second.reset();

    // A user bank starts when it can be read, the factory bank otherwise.
    const auto bank = data.getChildFile ("banks").getChildFile ("mine.klprsb");
    ASSERT_TRUE (bank.getParentDirectory().createDirectory());
    ASSERT_TRUE (
        bank.replaceWithText ("<PresetBank name='Mine'><PresetGroup name='G'>"
                              "<Preset application='Kelvanor' name='My First'/></PresetGroup></PresetBank>"));
    const auto startWith = [&] (const juce::String& path)
    {
        return makePlugin ("<ResourcesSettings><Presets default='userDefinedPresets' file='" + path +
                           "'/></ResourcesSettings>");
    };
    auto user = startWith (bank.getFullPathName());
    EXPECT_EQ (user->getBankName() + " " + user->current(), "Mine 0:My First");
    EXPECT_EQ (user->getRecentlyUsedDirectory(), bank.getParentDirectory());
    user.reset();

    ASSERT_TRUE (data.getChildFile ("truncated.klprsb").replaceWithText ("<PresetBank name='Trunc"));
    for (const auto& unusable :
         {data.getChildFile ("missing.klprsb").getFullPathName(), bank.getParentDirectory().getFullPathName(),
          data.getChildFile ("truncated.klprsb").getFullPathName(), juce::String()})
    {
        auto plugin = startWith (unusable);
        EXPECT_EQ (plugin->getBankName() + " " + plugin->current(), "Factory Preset Bank 0:Pure Square")
            << unusable;
    }
}

namespace
{
/** Every entry below the folder with what it is: a link's target, a file's text, a folder's mark. */
juce::String describeTree (const juce::File& folder)
{
    juce::StringArray lines;
    for (const auto& entry : juce::RangedDirectoryIterator (
             folder, true, "*", juce::File::findFilesAndDirectories, juce::File::FollowSymlinks::no))
    {
        const auto f = entry.getFile();
        lines.add (f.getRelativePathFrom (folder) +
                   (f.isSymbolicLink() ? " -> " + f.getNativeLinkedTarget()
                                       : (f.isDirectory() ? "/" : " = " + f.loadFileAsString())));
    }
    lines.sort (false);
    return lines.joinIntoString ("; ");
}

} // namespace

TEST_F (BasePluginOldStyleTest,
        FirstRunMovesOnlyARegularOldSettingsFileWithinTheReadersBoundAndNeverOverNewerSettings)
{
    const auto moduleFolder = data.getChildFile ("module");
    ASSERT_TRUE (moduleFolder.createDirectory());
    const auto oldFile = moduleFolder.getChildFile ("Kelvanor.ini");
    const auto path = oldFile.getFullPathName().toStdString();
    const juce::String text ("<UserSettings application='Kelvanor'/>");
    const auto sparse = [&]
    {
        const int fd = ::open (path.c_str(), O_WRONLY | O_CREAT, 0600);
        const bool ok = fd >= 0 && ::ftruncate (fd, (off_t) BoundedXml::maxBytes + 1) == 0;
        return ::close (fd) == 0 && ok;
    };
    const struct
    {
        const char* what;
        std::function<bool()> put;
        bool moves;
    } cases[] = {
        {"a sparse file beyond the bound", sparse, false},
        {"a regular file", [&] { return oldFile.replaceWithText (text); }, true},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        OldStylePlugin plugin;
        ASSERT_TRUE (plugin.getUserDataDirectory().deleteRecursively() && c.put());

        // A FIFO or an endless file in its place would stall or flood this process: the plug-in's table of
        // hostile folders loads those in a process of its own.
        plugin.initialiseSettings (moduleFolder);
        EXPECT_EQ (oldFile.exists(), !c.moves);
        EXPECT_EQ (describeTree (plugin.getUserDataDirectory()), c.moves ? "Kelvanor.ini = " + text : "");
        oldFile.deleteFile();
    }

    // Settings already in place are newer: the old file stays where it is.
    ASSERT_TRUE (oldFile.replaceWithText ("older settings"));
    OldStylePlugin().initialiseSettings (moduleFolder);
    EXPECT_EQ (describeTree (data.getFolder()), "module/; module/Kelvanor.ini = older settings; user/; "
                                                "user/Zeb Group/; user/Zeb Group/Kelvanor/; "
                                                "user/Zeb Group/Kelvanor/Kelvanor.ini = " +
                                                    text);
}

TEST_F (BasePluginOldStyleTest, SettingsThatCannotBeSavedAreReportedAndNothingElseChanges)
{
    const auto zebGroup = data.getChildFile ("user").getChildFile ("Zeb Group");
    const auto kelvanor = zebGroup.getChildFile ("Kelvanor");
    const struct
    {
        const char* what;
        const char* applicationData; // below the test's folder
        std::function<bool()> put;
    } cases[] = {
        {"a file of the folder's name", "user",
         [&] { return zebGroup.createDirectory() && kelvanor.replaceWithText ("mine"); }},
        {"a dangling link as the folder", "user",
         [&] {
             return zebGroup.createDirectory() &&
                    ::symlink ("gone", kelvanor.getFullPathName().toRawUTF8()) == 0;
         }},
        {"the home folder a file", "home/.config", [&] { return data.getChildFile ("home").create(); }},
        {"a home folder not there (a name that could not be read)", "missing/.config", [] { return true; }},
        {"a read-only folder", "user",
         [&] {
             return kelvanor.createDirectory() && ::chmod (kelvanor.getFullPathName().toRawUTF8(), 0555) == 0;
         }},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        // Root writes into a read-only folder.
        if (juce::String (c.what) == "a read-only folder" && ::geteuid() == 0)
            continue;

        BasePlugin::overrideApplicationDataFolders (data.getChildFile (c.applicationData), {});
        ASSERT_TRUE (data.getChildFile ("module").createDirectory() && c.put());
        const auto before = describeTree (data.getFolder());
        OldStylePlugin plugin;

        plugin.initialiseSettings (data.getChildFile ("module"));
        plugin.loadUserSettings();
        plugin.saveUserSettings();

        EXPECT_EQ (describeTree (data.getFolder()), before);
        EXPECT_EQ (plugin.getReportedProblems().size(), 1);
        // Only a folder that is there but cannot be written to leaves the file unwritten.
        const auto reason = juce::String (c.what) == "a read-only folder" ? "the file could not be written"
                                                                          : "its folder could not be created";
        EXPECT_EQ (plugin.getReportedProblems()[0],
                   "The settings could not be saved to " + plugin.getUserSettingsFile().getFullPathName() +
                       ": " + reason + ". The changes of this session are lost.");

        ::chmod (kelvanor.getFullPathName().toRawUTF8(), 0755);
        for (const auto& name : {"user", "home", "missing"})
            data.getChildFile (name).deleteRecursively();
    }
}
