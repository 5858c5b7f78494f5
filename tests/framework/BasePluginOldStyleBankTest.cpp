#include "framework/BasePluginOldStyle.h"
#include "framework/XmlHelpers.h"

#include "TestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace
{
/** The bank level as the product configures it, with the start-up chain of the layered product. */
class OldStylePlugin : public BasePluginOldStyle
{
public:
    OldStylePlugin() { useLayeredInitialise = true; }

    juce::String getProductName() const override { return "Kelvanor"; }
    juce::String getFilePrefix() const override { return "KL"; }
    int getNumHostParameters() const override { return 36; }

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
};

constexpr int cutoffId = 2;

class CountingListener : public BasePluginOldStyle::PresetManagerListener
{
public:
    void presetChanged() override { ++calls; }
    int calls = 0;
};

class BasePluginOldStyleBankTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BasePlugin::overrideApplicationDataFolders (data.getChildFile ("user"), data.getChildFile ("common"));
    }

    void TearDown() override { BasePlugin::overrideApplicationDataFolders ({}, {}); }

    static std::unique_ptr<OldStylePlugin> makePlugin()
    {
        auto plugin = std::make_unique<OldStylePlugin>();
        plugin->runLateInitialisation();
        return plugin;
    }

    /** A bank of groups A (a0..a2), B (b0, b1), C (c0..c3), then 119 presets not used. */
    static void loadSmallBank (OldStylePlugin& plugin)
    {
        const auto xml = XmlHelpers::parse (juce::String (R"(<PresetBank name="Small">
            <PresetGroup name="A"><Preset application="Kelvanor" name="a0"/><Preset application="Kelvanor" name="a1"/>
              <Preset application="Kelvanor" name="a2"/></PresetGroup>
            <PresetGroup name="B"><Preset application="Kelvanor" name="b0"/><Preset application="Kelvanor" name="b1"/>
            </PresetGroup>
            <PresetGroup name="C"><Preset application="Kelvanor" name="c0"/><Preset application="Kelvanor" name="c1"/>
              <Preset application="Kelvanor" name="c2"/><Preset application="Kelvanor" name="c3"/></PresetGroup>
            </PresetBank>)"));
        ASSERT_TRUE (plugin.loadPresetBankFromXml (*xml));
    }

    TemporaryFolder data;
};

//==============================================================================
TEST_F (BasePluginOldStyleBankTest, FreshInstanceHoldsTheFactoryBankWithPresetZeroLoaded)
{
    auto plugin = makePlugin();

    EXPECT_EQ (plugin->getBankName(), "Factory Preset Bank");
    EXPECT_EQ (plugin->groupList(), "_Clean:13 _Distorted:23 _Arpeggiators:4 Not used:88");
    EXPECT_EQ (plugin->getCurrentPresetIndex(), 0);
    EXPECT_EQ (plugin->getPresetName (0), "Pure Square");
    EXPECT_EQ (plugin->parameter (BasePluginOldStyle::currentPresetNameId).getValueText(), "Pure Square");
    EXPECT_EQ (plugin->parameter (BasePluginOldStyle::currentPresetNumberId).getValueInt(), 0);
    EXPECT_GE (plugin->indexOfPreset ("Lazy Frog"), 0);
    EXPECT_EQ (plugin->getPresetName (40), "Preset 40");

    for (int id = 0; id < BasePluginOldStyle::numPresetableParameters; ++id)
        EXPECT_FLOAT_EQ (plugin->parameter (id).getValueNormalised(), plugin->presetValue (0, id)) << id;

    // The host sees parameters 0 to 35 in the slots of the same numbers.
    for (int slot : {0, 32, 35})
        EXPECT_EQ (plugin->getHostParameter (slot), &plugin->parameter (slot));
    EXPECT_EQ (plugin->getHostParameter (36), nullptr);
}

TEST_F (BasePluginOldStyleBankTest, GroupQueriesAnswerNeutrallyOutOfRange)
{
    auto plugin = makePlugin();

    EXPECT_EQ (plugin->getGroupFirstPresetIndex (1), 13);
    EXPECT_EQ (plugin->getGroupLastPresetIndex (1), 35);
    EXPECT_EQ (plugin->getPresetIndex (2, 3), 39);
    EXPECT_EQ (plugin->getGroupIndexOfPreset (36), 2);
    EXPECT_EQ (plugin->getGroupIndexOfPreset (127), 3);

    EXPECT_EQ (plugin->getGroupFirstPresetIndex (4), -1);
    EXPECT_EQ (plugin->getGroupLastPresetIndex (-1), -1);
    EXPECT_EQ (plugin->getPresetIndex (2, 4), -1);
    EXPECT_EQ (plugin->getPresetIndex (0, -1), -1);
    EXPECT_EQ (plugin->getGroupIndexOfPreset (128), -1);
    EXPECT_EQ (plugin->getGroupSize (9), 0);
    EXPECT_EQ (plugin->getGroupName (9), "");
    EXPECT_EQ (plugin->getGroupPresetName (0, 13), "");
    EXPECT_EQ (plugin->getPresetName (128), "");
    EXPECT_EQ (plugin->getBankPreset (-1), nullptr);

    plugin->insertGroup (4);
    EXPECT_EQ (plugin->getNumGroups(), 4);
    plugin->insertGroup (1);
    EXPECT_EQ (plugin->groupList(), "_Clean:13 New Group:0 _Distorted:23 _Arpeggiators:4 Not used:88");
    EXPECT_FALSE (plugin->removeEmptyGroup (0));
    EXPECT_TRUE (plugin->removeEmptyGroup (1));
    EXPECT_EQ (plugin->getNumGroups(), 4);
}

TEST_F (BasePluginOldStyleBankTest, ClearingNamesEveryPresetAndGathersThemInOneGroup)
{
    auto plugin = makePlugin();

    plugin->clearBank();

    EXPECT_EQ (plugin->groupList(), "Not used:128");
    for (int i : {0, 1, 77, 127})
        EXPECT_EQ (plugin->getPresetName (i), "Preset " + juce::String (i));

    // A cleared preset holds the embedded default preset's values.
    for (int id = 0; id < BasePluginOldStyle::numPresetableParameters; ++id)
        EXPECT_FLOAT_EQ (plugin->presetValue (127, id), plugin->getDefaultPreset().getValue (id)) << id;
    EXPECT_FLOAT_EQ (plugin->getDefaultPreset().getValue (23), 1.0f);
}

TEST_F (BasePluginOldStyleBankTest, NextAndPreviousStopAtTheEnds)
{
    auto plugin = makePlugin();
    CountingListener listener;
    plugin->addPresetManagerListener (&listener);

    plugin->parameter (cutoffId).setValueNormalised (0.9f, true);
    plugin->selectPreviousPreset();
    EXPECT_EQ (plugin->getCurrentPresetIndex(), 0);
    EXPECT_FLOAT_EQ (plugin->parameter (cutoffId).getValueNormalised(), 0.9f);
    EXPECT_EQ (listener.calls, 0);

    plugin->selectNextPreset();
    EXPECT_EQ (plugin->getCurrentPresetIndex(), 1);
    EXPECT_EQ (plugin->parameter (BasePluginOldStyle::currentPresetNameId).getValueText(), "Bare Sawtooth");
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

TEST_F (BasePluginOldStyleBankTest, CopyAndPasteCarryTheNameWithSuffix)
{
    auto plugin = makePlugin();
    const auto preset5Before = XmlHelpers::toSingleLine (*plugin->createPresetXml (5));

    plugin->setCurrentPresetIndex (5, true);
    plugin->pasteCopiedPreset();
    EXPECT_EQ (XmlHelpers::toSingleLine (*plugin->createPresetXml (5)), preset5Before);

    const int lazyFrog = plugin->indexOfPreset ("Lazy Frog");
    ASSERT_GE (lazyFrog, 0);
    plugin->setCurrentPresetIndex (lazyFrog, true);
    plugin->loadCurrentPreset();
    plugin->copyCurrentPreset();
    EXPECT_TRUE (plugin->isCopyBufferFull());

    plugin->setCurrentPresetIndex (5, true);
    plugin->loadCurrentPreset();
    plugin->pasteCopiedPreset();

    EXPECT_EQ (plugin->getPresetName (5), "Lazy Frog_copy");
    EXPECT_EQ (plugin->getPresetName (lazyFrog), "Lazy Frog");
    EXPECT_EQ (plugin->parameter (BasePluginOldStyle::currentPresetNameId).getValueText(), "Lazy Frog_copy");
    for (int id = 0; id < BasePluginOldStyle::numPresetableParameters; ++id)
        EXPECT_FLOAT_EQ (plugin->presetValue (5, id), plugin->presetValue (lazyFrog, id)) << id;
}

TEST_F (BasePluginOldStyleBankTest, AutomaticStoringWritesAtOnceOnDemandWaitsForStore)
{
    auto plugin = makePlugin();
    const float stored = plugin->presetValue (0, cutoffId);
    ASSERT_NE (stored, 0.9f);

    plugin->parameter (cutoffId).setValueNormalised (0.9f, true);
    EXPECT_FLOAT_EQ (plugin->presetValue (0, cutoffId), stored);
    plugin->storePreset (0);
    EXPECT_FLOAT_EQ (plugin->presetValue (0, cutoffId), 0.9f);

    plugin->setPresetStoringMode (BasePluginOldStyle::automaticStoring);
    plugin->parameter (cutoffId).setValueNormalised (0.25f, true);
    EXPECT_FLOAT_EQ (plugin->presetValue (0, cutoffId), 0.25f);

    // Non-presetable parameters never reach a preset.
    plugin->parameter (33).setValueNormalised (0.1f, true);
    EXPECT_EQ (plugin->getBankPreset (0)->getNumValues(), BasePluginOldStyle::numPresetableParameters);
}

TEST_F (BasePluginOldStyleBankTest, EditingThePresetNameParameterRenamesTheCurrentPreset)
{
    auto plugin = makePlugin();
    plugin->setCurrentPresetIndex (3, true);

    plugin->parameter (BasePluginOldStyle::currentPresetNameId).setValueText ("Renamed", true);
    EXPECT_EQ (plugin->getPresetName (3), "Renamed");

    plugin->setPresetName (4, "Other");
    EXPECT_EQ (plugin->parameter (BasePluginOldStyle::currentPresetNameId).getValueText(), "Renamed");
    plugin->setPresetName (3, "Again");
    EXPECT_EQ (plugin->parameter (BasePluginOldStyle::currentPresetNameId).getValueText(), "Again");
}

//==============================================================================
struct MoveCase
{
    const char* description;
    std::function<void (OldStylePlugin&)> move;
    const char* expectedNames; // the first nine presets
    const char* expectedGroups;
};

class BasePluginOldStyleMoveTest : public BasePluginOldStyleBankTest,
                                   public ::testing::WithParamInterface<MoveCase>
{
};

TEST_P (BasePluginOldStyleMoveTest, MovesPresetsAndKeepsTheCurrentOne)
{
    const auto& c = GetParam();
    auto plugin = makePlugin();
    loadSmallBank (*plugin);

    for (const auto* currentName : {"a1", "b0", "c3", "Preset 9"})
    {
        loadSmallBank (*plugin);
        plugin->setCurrentPresetIndex (plugin->indexOfPreset (currentName), true);

        c.move (*plugin);

        EXPECT_EQ (plugin->names (9), c.expectedNames) << c.description;
        EXPECT_EQ (plugin->groupList(), c.expectedGroups) << c.description;
        EXPECT_EQ (plugin->getPresetName (plugin->getCurrentPresetIndex()), currentName) << c.description;
        EXPECT_EQ (plugin->parameter (BasePluginOldStyle::currentPresetNumberId).getValueInt(),
                   plugin->getCurrentPresetIndex())
            << c.description;
    }
}

juce::SparseSet<int> rowsOf (std::initializer_list<int> rows)
{
    juce::SparseSet<int> set;
    for (int row : rows)
        set.addRange ({row, row + 1});
    return set;
}

void PrintTo (const MoveCase& c, std::ostream* os)
{
    *os << c.description;
}

const char* const unchangedNames = "a0 a1 a2 b0 b1 c0 c1 c2 c3";
const char* const unchangedGroups = "A:3 B:2 C:4 Not used:119";

INSTANTIATE_TEST_SUITE_P (
    Moves, BasePluginOldStyleMoveTest,
    ::testing::Values (
        MoveCase{"preset down within its group", [] (auto& p) { p.movePreset (0, 2, 0, 0); },
                 "a1 a2 a0 b0 b1 c0 c1 c2 c3", unchangedGroups},
        MoveCase{"preset down into the first place of a later group",
                 [] (auto& p) { p.movePreset (1, 4, 0, 2); }, "a0 a2 b0 b1 a1 c0 c1 c2 c3",
                 "A:2 B:2 C:5 Not used:119"},
        MoveCase{"preset up behind the last of an earlier group", [] (auto& p) { p.movePreset (6, 3, 2, 0); },
                 "a0 a1 a2 c1 b0 b1 c0 c2 c3", "A:4 B:2 C:3 Not used:119"},
        MoveCase{"preset onto itself", [] (auto& p) { p.movePreset (3, 3, 1, 1); }, unchangedNames,
                 unchangedGroups},
        MoveCase{"preset not in its source group", [] (auto& p) { p.movePreset (4, 0, 0, 0); },
                 unchangedNames, unchangedGroups},
        MoveCase{"preset beyond its target group", [] (auto& p) { p.movePreset (0, 7, 0, 1); },
                 unchangedNames, unchangedGroups},
        MoveCase{"rows of a later group to an earlier one",
                 [] (auto& p) {
                     p.movePresetsToGroup (0, 2, rowsOf ({0, 2}));
                 },
                 "a0 a1 a2 c0 c2 b0 b1 c1 c3", "A:5 B:2 C:2 Not used:119"},
        MoveCase{"rows of an earlier group to a later one",
                 [] (auto& p) {
                     p.movePresetsToGroup (2, 0, rowsOf ({0, 2}));
                 },
                 "a1 b0 b1 c0 c1 c2 c3 a0 a2", "A:1 B:2 C:6 Not used:119"},
        MoveCase{"a whole group into the next",
                 [] (auto& p) {
                     p.movePresetsToGroup (1, 0, rowsOf ({0, 1, 2}));
                 },
                 "b0 b1 a0 a1 a2 c0 c1 c2 c3", "A:0 B:5 C:4 Not used:119"},
        MoveCase{"rows outside the group are ignored",
                 [] (auto& p) {
                     p.movePresetsToGroup (0, 1, rowsOf ({1, 5, 40}));
                 },
                 "a0 a1 a2 b1 b0 c0 c1 c2 c3", "A:4 B:1 C:4 Not used:119"},
        MoveCase{"no rows", [] (auto& p) { p.movePresetsToGroup (0, 1, {}); }, unchangedNames,
                 unchangedGroups},
        MoveCase{"group down", [] (auto& p) { p.moveGroup (0, 2); }, "b0 b1 c0 c1 c2 c3 a0 a1 a2",
                 "B:2 C:4 A:3 Not used:119"},
        MoveCase{"group up", [] (auto& p) { p.moveGroup (2, 0); }, "c0 c1 c2 c3 a0 a1 a2 b0 b1",
                 "C:4 A:3 B:2 Not used:119"},
        MoveCase{"group behind the unused presets", [] (auto& p) { p.moveGroup (1, 3); },
                 "a0 a1 a2 c0 c1 c2 c3 Preset 9 Preset 10", "A:3 C:4 Not used:119 B:2"},
        MoveCase{"group onto itself", [] (auto& p) { p.moveGroup (1, 1); }, unchangedNames, unchangedGroups},
        MoveCase{"group that does not exist", [] (auto& p) { p.moveGroup (4, 0); }, unchangedNames,
                 unchangedGroups}),
    [] (const auto& info)
    { return juce::String (info.param.description).replaceCharacter (' ', '_').toStdString(); });

//==============================================================================
TEST_F (BasePluginOldStyleBankTest, StateRestoresIntoAFreshInstanceGivingTheSameChunk)
{
    auto source = makePlugin();
    source->moveGroup (0, 2);
    source->setPresetName (3, "Renamed <&> \"quoted\"");
    source->setCurrentPresetIndex (7, true);
    source->loadCurrentPreset();
    source->parameter (cutoffId).setValueNormalised (0.123456789f, true);
    source->parameter (35).setValueNormalised (0.3f, true);
    source->getMidiControl().assign (20, &source->parameter (cutoffId), false);

    juce::MemoryBlock chunk;
    source->getStateInformation (chunk);

    auto restored = makePlugin();
    restored->setStateInformation (chunk.getData(), (int) chunk.getSize());

    juce::MemoryBlock again;
    restored->getStateInformation (again);
    EXPECT_TRUE (again == chunk);

    EXPECT_EQ (restored->getCurrentPresetIndex(), 7);
    EXPECT_EQ (restored->parameter (BasePluginOldStyle::currentPresetNameId).getValueText(),
               source->getPresetName (7));
    EXPECT_EQ (restored->getPresetName (3), "Renamed <&> \"quoted\"");
    EXPECT_EQ (restored->groupList(), source->groupList());
    EXPECT_EQ (restored->parameter (cutoffId).getValueNormalised(), 0.123456789f);
    EXPECT_EQ (restored->getMidiControl().getParameterOfController (20), &restored->parameter (cutoffId));
    pumpMessages();
}

TEST_F (BasePluginOldStyleBankTest, StateChildrenComeInTheirOrder)
{
    auto plugin = makePlugin();
    const auto state = plugin->createStateXml();

    EXPECT_EQ (state->getTagName(), "PluginState");
    EXPECT_EQ (state->getStringAttribute ("application"), "Kelvanor");
    ASSERT_EQ (state->getNumChildElements(), 3);
    EXPECT_EQ (state->getChildElement (0)->getTagName(), "ParametersState");
    EXPECT_EQ (state->getChildElement (0)->getNumChildElements(), 36);
    EXPECT_EQ (state->getChildElement (1)->getTagName(), "PresetsState");
    EXPECT_EQ (state->getChildElement (1)->getStringAttribute ("currentPreset"), "0");
    EXPECT_EQ (state->getChildElement (1)->getChildElement (0)->getTagName(), "PresetBank");
    EXPECT_EQ (state->getChildElement (2)->getTagName(), "MidiControlMap");

    // The same state under another product's name is not ours.
    state->setAttribute ("application", "Other");
    state->getChildElement (1)->setAttribute ("currentPreset", 4);
    plugin->applyStateXml (*state);
    EXPECT_EQ (plugin->getCurrentPresetIndex(), 0);
}

TEST_F (BasePluginOldStyleBankTest, RestoringShowsThePresetWithoutLoadingIt)
{
    auto plugin = makePlugin();
    plugin->setCurrentPresetIndex (9, true);
    plugin->parameter (cutoffId).setValueNormalised (0.9f, true);

    // Only state parameters are taken; values outside 0..1 are clamped, unreadable ones skipped.
    const auto state = XmlHelpers::parse (juce::String (R"(<pluginstate application="KELVANOR">
        <PresetsState><PresetBank name="Restored"><PresetGroup name="G">
          <Preset application="Kelvanor" name="First"/></PresetGroup></PresetBank></PresetsState>
        <parametersstate><param name="Resonance" value="7"/><param name="Env Mod" value="nan"/>
          <param name="Current Preset Name" value="0.5"/><param name="No Such" value="0.5"/></parametersstate>
        </pluginstate>)"));
    const float envMod = plugin->parameter (5).getValueNormalised();

    plugin->applyStateXml (*state);

    EXPECT_EQ (plugin->getCurrentPresetIndex(), 0);
    EXPECT_EQ (plugin->parameter (BasePluginOldStyle::currentPresetNameId).getValueText(), "First");
    EXPECT_EQ (plugin->getBankName(), "Restored");
    EXPECT_FLOAT_EQ (plugin->parameter (cutoffId).getValueNormalised(), 0.9f);
    EXPECT_FLOAT_EQ (plugin->parameter (3).getValueNormalised(), 1.0f);
    EXPECT_FLOAT_EQ (plugin->parameter (5).getValueNormalised(), envMod);
}

TEST_F (BasePluginOldStyleBankTest, CurrentProgramChunkCarriesTheCurrentPreset)
{
    auto source = makePlugin();
    source->setCurrentPresetIndex (source->indexOfPreset ("Lazy Frog"), true);
    source->loadCurrentPreset();

    const auto preset = source->createCurrentProgramStateXml();
    EXPECT_EQ (preset->getTagName(), "Preset");
    EXPECT_EQ (preset->getStringAttribute ("name"), "Lazy Frog");
    EXPECT_EQ (preset->getNumChildElements(), BasePluginOldStyle::numPresetableParameters);

    juce::MemoryBlock chunk;
    source->getCurrentProgramStateInformation (chunk);

    auto target = makePlugin();
    target->setCurrentPresetIndex (4, true);
    target->setCurrentProgramStateInformation (chunk.getData(), (int) chunk.getSize());

    EXPECT_EQ (target->getPresetName (4), "Lazy Frog");
    EXPECT_EQ (target->parameter (BasePluginOldStyle::currentPresetNameId).getValueText(), "Lazy Frog");
    EXPECT_FLOAT_EQ (target->parameter (cutoffId).getValueNormalised(),
                     source->parameter (cutoffId).getValueNormalised());

    // A preset of another product is not taken.
    target->applyCurrentProgramStateXml (
        *XmlHelpers::parse (juce::String ("<Preset application='Other' name='X'/>")));
    EXPECT_EQ (target->getPresetName (4), "Lazy Frog");
}

//==============================================================================
TEST_F (BasePluginOldStyleBankTest, PresetValuesAreWrittenWithAtMostSixDecimals)
{
    auto plugin = makePlugin();
    auto* entry = plugin->getBankPreset (0);

    const std::pair<float, const char*> cases[] = {
        {0.5f, "0.5"}, {0.752f, "0.752"},        {1.0f, "1"},
        {0.0f, "0"},   {0.1234567f, "0.123457"}, {0.0000004f, "0"}};
    for (const auto& [value, text] : cases)
    {
        entry->setValue (cutoffId, value);
        const auto xml = plugin->createPresetXml (0);
        const auto* param = xml->getChildElement (cutoffId);
        EXPECT_EQ (param->getStringAttribute ("name"), "Cutoff");
        EXPECT_EQ (param->getStringAttribute ("value"), text) << value;
    }
}

struct PresetValueCase
{
    const char* param;
    float expectedCutoff;
};

void PrintTo (const PresetValueCase& c, std::ostream* os)
{
    *os << c.param;
}

class BasePluginOldStylePresetValueTest : public BasePluginOldStyleBankTest,
                                          public ::testing::WithParamInterface<PresetValueCase>
{
};

TEST_P (BasePluginOldStylePresetValueTest, StoresOnlyValuesWithinRange)
{
    auto plugin = makePlugin();
    plugin->getBankPreset (1)->setValue (cutoffId, 0.3f);
    const auto xml =
        XmlHelpers::parse ("<Preset application='Kelvanor' name='P'>" + juce::String (GetParam().param) +
                           "<param name='Gate Threshold' value='0.1'/></Preset>");

    ASSERT_TRUE (plugin->loadPresetFromXml (*xml, 1));

    EXPECT_FLOAT_EQ (plugin->presetValue (1, cutoffId), GetParam().expectedCutoff) << GetParam().param;
    EXPECT_EQ (plugin->getPresetName (1), "P");
}

INSTANTIATE_TEST_SUITE_P (Values, BasePluginOldStylePresetValueTest,
                          ::testing::Values (PresetValueCase{"<param name='Cutoff' value='0.75'/>", 0.75f},
                                             PresetValueCase{"<PARAM name='Cutoff' value='1.7'/>", 1.0f},
                                             PresetValueCase{"<param name='Cutoff' value='-3'/>", 0.0f},
                                             PresetValueCase{"<param name='Cutoff' value='nan'/>", 0.0f},
                                             PresetValueCase{"<param name='Cutoff' value='1e999'/>", 0.0f},
                                             PresetValueCase{"<param name='Cutoff'/>", 0.0f},
                                             PresetValueCase{"<param name='cutoff' value='0.9'/>", 0.3f},
                                             PresetValueCase{"", 0.3f}));

TEST_F (BasePluginOldStyleBankTest, BankReadingNamesGroupsSkipsForeignPresetsAndStopsAt128)
{
    auto plugin = makePlugin();

    juce::String text =
        "<presetbank><PresetGroup name='One'><Preset application='Kelvanor' name='p0'/></PresetGroup>"
        "<PresetGroup><Preset application='Other' name='foreign'/><Junk/>"
        "<Preset application='KELVANOR' name='p1'/>";
    for (int i = 2; i < 140; ++i)
        text << "<Preset application='Kelvanor' name='p" << i << "'/>";
    text << "</PresetGroup><PresetGroup name=''/></presetbank>";

    ASSERT_TRUE (plugin->loadPresetBankFromXml (*XmlHelpers::parse (text)));

    EXPECT_EQ (plugin->getBankName(), "Preset Bank");
    EXPECT_EQ (plugin->groupList(), "One:1 group 2:127 group 3:0");
    EXPECT_EQ (plugin->names (3), "p0 p1 p2");
    EXPECT_EQ (plugin->getPresetName (127), "p127");
}

TEST_F (BasePluginOldStyleBankTest, BadBankFilesLeaveTheBankUnchanged)
{
    auto plugin = makePlugin();
    const auto bankFile = data.getChildFile ("bank.klprsb");
    ASSERT_TRUE (XmlHelpers::writeToFile (*plugin->createPresetBankXml(), bankFile));
    const auto wholeText = bankFile.loadFileAsString();

    plugin->setPresetName (0, "Edited");
    const auto before = plugin->bankText();
    const auto folderBefore = plugin->getRecentlyUsedDirectory();

    const juce::String badTexts[] = {wholeText.substring (0, wholeText.length() / 2),
                                     wholeText.substring (0, wholeText.length() - 3),
                                     "",
                                     "not xml at all",
                                     "<Bank name='X'><PresetGroup/></Bank>",
                                     "<Preset application='Kelvanor' name='single'/>"};
    for (const auto& text : badTexts)
    {
        ASSERT_TRUE (bankFile.replaceWithText (text));
        EXPECT_FALSE (plugin->loadPresetBankFile (bankFile)) << text.substring (0, 40);
        EXPECT_EQ (plugin->bankText(), before) << text.substring (0, 40);
    }

    EXPECT_FALSE (plugin->loadPresetBankFile (data.getChildFile ("missing.klprsb")));
    EXPECT_EQ (plugin->getRecentlyUsedDirectory(), folderBefore);

    ASSERT_TRUE (bankFile.replaceWithText (wholeText));
    EXPECT_TRUE (plugin->loadPresetBankFile (bankFile));
    EXPECT_EQ (plugin->getPresetName (0), "Pure Square");
    EXPECT_EQ (plugin->getRecentlyUsedDirectory(), data.getFolder());
}

TEST_F (BasePluginOldStyleBankTest, PresetFilesLoadIntoTheirSlotAndReloadTheCurrentOne)
{
    auto plugin = makePlugin();
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
    EXPECT_EQ (plugin->parameter (BasePluginOldStyle::currentPresetNameId).getValueText(), "From File");

    ASSERT_TRUE (file.replaceWithText ("<Preset application='Other' name='Foreign'/>"));
    EXPECT_FALSE (plugin->loadPresetFile (file, 6));
    EXPECT_FALSE (plugin->loadPresetFile (file, 128));
    EXPECT_EQ (plugin->getPresetName (6), "From File");

    EXPECT_EQ (plugin->getPresetFileWildcards(), "*.klprs");
    EXPECT_EQ (plugin->getPresetBankFileWildcards(), "*.klprsb");
    EXPECT_EQ (plugin->getMidiCCMapFileWildcards(), "*.klccmap");
}
} // namespace
