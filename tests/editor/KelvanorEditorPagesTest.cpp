#include "KelvanorEditorFixture.h"

#include "editor/OptionsWindow.h"

namespace KelvanorEditorTest
{
namespace
{
using Seq = IntSeqPluginEditor::SequencerSettingsComponent;

class EditorPages : public EditorFixture
{
protected:
    Seq& sequencerPage() { return editor().getSequencerPage(); }

    static void choose (RadioButtons_V2& group, int index) { click (*group.getButton (index)); }
};

TEST_F (EditorPages, OptionTabsEndInTheProductOrderWithTheFirstShown)
{
    auto& tabs = editor().getOptionsWindow().getTabs();
    EXPECT_EQ (tabs.getTabNames(),
               juce::StringArray ({"Sequencer", "Synthesis", "Patterns", "Presets", "Midi Control"}));
    EXPECT_EQ (tabs.getCurrentTabIndex(), 0);
    EXPECT_EQ (tabs.getTabContentComponent (1), &editor().getSynthesisPage());
    EXPECT_EQ (tabs.getTabContentComponent (3), &editor().getOldStylePresetsPage());
}

TEST_F (EditorPages, CurrentSequencerBoxesSetTheModesOnlyWhileTheSequencerIsOn)
{
    struct Case
    {
        int box;
        std::function<bool (const Kelvanor&)> mode;
    };
    const Case cases[] = {{Seq::internalClockBox, [] (const Kelvanor& k) { return k.isInternalSyncOn(); }},
                          {Seq::hostModeBox, [] (const Kelvanor& k) { return k.isHostModeOn(); }},
                          {Seq::noteOffModeBox, [] (const Kelvanor& k) { return k.isNoteOffModeOn(); }}};

    ASSERT_TRUE (processor().isInternalSequencerOn());
    for (const auto& c : cases)
    {
        auto& box = sequencerPage().getCurrentBox (c.box);
        const bool before = c.mode (processor());
        click (box);
        EXPECT_NE (c.mode (processor()), before) << c.box;
        EXPECT_EQ (box.getToggleState(), c.mode (processor())) << c.box;
        click (box);
        EXPECT_EQ (c.mode (processor()), before) << c.box;
    }

    // The sequencer off: the dependent boxes go grey, the default ones stay as they were.
    click (sequencerPage().getCurrentBox (Seq::internalSequencerBox));
    EXPECT_FALSE (processor().isInternalSequencerOn());
    for (int box = Seq::internalClockBox; box < Seq::numBoxes; ++box)
    {
        EXPECT_FALSE (sequencerPage().getCurrentBox (box).isEnabled()) << box;
        EXPECT_TRUE (sequencerPage().getDefaultBox (box).isEnabled()) << box;
    }
    EXPECT_FALSE (editor().getCurrentSelfResetBox().isEnabled());
}

TEST_F (EditorPages, DefaultSequencerBoxesStoreDefaultsAndFollowTheDefaultSequencerBox)
{
    struct Case
    {
        int box;
        std::function<bool (const Kelvanor&)> stored;
    };
    const Case cases[] = {
        {Seq::internalClockBox, [] (const Kelvanor& k) { return k.getDefaultInternalSync(); }},
        {Seq::hostModeBox, [] (const Kelvanor& k) { return k.getDefaultHostMode(); }},
        {Seq::noteOffModeBox, [] (const Kelvanor& k) { return k.getDefaultNoteOffMode(); }}};
    for (const auto& c : cases)
    {
        const bool before = c.stored (processor());
        click (sequencerPage().getDefaultBox (c.box));
        EXPECT_NE (c.stored (processor()), before) << c.box;
    }

    // Stored default self reset on, then new instances start without the sequencer: the box shows off.
    click (editor().getDefaultSelfResetBox());
    EXPECT_TRUE (processor().getDefaultSelfReset());
    click (sequencerPage().getDefaultBox (Seq::internalSequencerBox));
    EXPECT_FALSE (processor().getDefaultInternalSequencer());
    EXPECT_FALSE (editor().getDefaultSelfResetBox().isEnabled());
    EXPECT_FALSE (editor().getDefaultSelfResetBox().getToggleState());
    EXPECT_TRUE (processor().getDefaultSelfReset());
    for (int box = Seq::internalClockBox; box < Seq::numBoxes; ++box)
        EXPECT_FALSE (sequencerPage().getDefaultBox (box).isEnabled()) << box;

    click (sequencerPage().getDefaultBox (Seq::internalSequencerBox));
    EXPECT_TRUE (editor().getDefaultSelfResetBox().getToggleState());
}

TEST_F (EditorPages, SelfResetBoxesSitAtTheEndOfTheirPanelsAndSetTheProcessor)
{
    auto& current = editor().getCurrentSelfResetBox();
    auto* row = current.getParentComponent();
    ASSERT_NE (row, nullptr);
    EXPECT_EQ (row->getIndexOfChildComponent (&current), row->getNumChildComponents() - 1);
    EXPECT_TRUE (row->isParentOf (&sequencerPage().getCurrentBox (Seq::noteOffModeBox)));
    EXPECT_TRUE (editor().getDefaultSelfResetBox().getParentComponent()->isParentOf (
        &sequencerPage().getDefaultBox (0)));

    const bool before = processor().isSelfResetOn();
    click (current);
    EXPECT_NE (processor().isSelfResetOn(), before);
    EXPECT_EQ (parameterValue (Kelvanor::selfResetStateId), processor().isSelfResetOn() ? 1.0f : 0.0f);
}

TEST_F (EditorPages, SequencerStateFromElsewhereTicksTheCurrentBoxes)
{
    processor().setHostMode (true);
    pumpMessages();
    EXPECT_TRUE (sequencerPage().getCurrentBox (Seq::hostModeBox).getToggleState());
    processor().setInternalSequencer (false);
    pumpMessages();
    EXPECT_FALSE (sequencerPage().getCurrentBox (Seq::internalSequencerBox).getToggleState());
    EXPECT_FALSE (sequencerPage().getCurrentBox (Seq::hostModeBox).isEnabled());

    choose (sequencerPage().getHostPlayDetectionGroup(), IntSeqPlugin::byLowestCNoteOn);
    EXPECT_EQ (processor().getHostPlayDetection(), (int) IntSeqPlugin::byLowestCNoteOn);
}

TEST_F (EditorPages, PatternsPageStoresTheChoiceAndAUserBankSelectsItsChoice)
{
    auto& group = editor().getPatternsPage().getDefaultPatternsGroup();
    EXPECT_EQ (group.getSelectedIndex(), processor().getDefaultPatternsChoice());
    choose (group, IntSeqPlugin::clearPatterns);
    EXPECT_EQ (processor().getDefaultPatternsChoice(), (int) IntSeqPlugin::clearPatterns);

    const auto bank = folder.getChildFile ("mine.klptrb");
    group.getPathComponent().setPath (bank.getFullPathName(), true);
    EXPECT_EQ (processor().getUserDefinedPatternsFile(), bank);
    EXPECT_EQ (processor().getDefaultPatternsChoice(), (int) IntSeqPlugin::userDefinedPatterns);
}

/** The product with a fixed answer to whether the preset changing type may be chosen. */
class ChangingProduct : public Kelvanor
{
public:
    explicit ChangingProduct (bool canChoose)
        : configurable (canChoose)
    {
    }
    bool isPresetChangingConfigurable() const override { return configurable; }

private:
    const bool configurable;
};

template <bool configurable>
class PresetsPageLayout : public EditorPages
{
protected:
    std::unique_ptr<Kelvanor> makeProcessor() override
    {
        return std::make_unique<ChangingProduct> (configurable);
    }
};
using PresetsPageWithChangingType = PresetsPageLayout<true>;
using PresetsPageWithoutChangingType = PresetsPageLayout<false>;

TEST_F (PresetsPageWithChangingType, ShowsItBesideTheStoringGroup)
{
    auto& page = editor().getOldStylePresetsPage();
    page.setSize (600, 400);
    EXPECT_TRUE (page.getChangingGroup().isVisible());
    EXPECT_EQ (page.getStoringGroup().getWidth(), 297);
    EXPECT_EQ (page.getChangingGroup().getX(), 300);
    EXPECT_GE (page.getDefaultPresetsGroup().getY(), page.getChangingGroup().getBottom() + 10);

    choose (page.getChangingGroup(), BasePluginOldStyle::silentChanging);
    EXPECT_EQ (processor().getPresetChangingMode(), (int) BasePluginOldStyle::silentChanging);
}

TEST_F (PresetsPageWithoutChangingType, HidesItAndGivesStoringTheWidth)
{
    auto& page = editor().getOldStylePresetsPage();
    page.setSize (600, 400);
    EXPECT_FALSE (page.getChangingGroup().isVisible());
    EXPECT_EQ (page.getStoringGroup().getWidth(), 600);
    EXPECT_EQ (page.getDefaultPresetsGroup().getY(), page.getStoringGroup().getBottom() + 10);
}

TEST_F (EditorPages, PresetsPageStoresAtOnceWhenStoringTurnsAutomatic)
{
    auto& page = editor().getOldStylePresetsPage();
    choose (page.getStoringGroup(), BasePluginOldStyle::onDemandStoring);
    EXPECT_EQ (processor().getPresetStoringMode(), (int) BasePluginOldStyle::onDemandStoring);

    // An edit on demand leaves the preset; switching to automatic stores it.
    const int index = processor().getCurrentPresetIndex();
    const float edited = parameterValue (Kelvanor::cutoffId) < 0.5f ? 0.9f : 0.1f;
    setParameter (Kelvanor::cutoffId, edited);
    ASSERT_NE (processor().getBankPreset (index)->getValue (Kelvanor::cutoffId), edited);
    choose (page.getStoringGroup(), BasePluginOldStyle::automaticStoring);
    EXPECT_EQ (processor().getPresetStoringMode(), (int) BasePluginOldStyle::automaticStoring);
    EXPECT_FLOAT_EQ (processor().getBankPreset (index)->getValue (Kelvanor::cutoffId), edited);
}

TEST_F (EditorPages, DefaultPresetsChoiceIsStoredAndAnnouncedForTheNextStart)
{
    auto& group = editor().getOldStylePresetsPage().getDefaultPresetsGroup();
    statusBar().clearText (-1);
    choose (group, BasePluginOldStyle::clearPresets);
    EXPECT_EQ (processor().getDefaultPresetsMode(), (int) BasePluginOldStyle::clearPresets);
    EXPECT_EQ (statusBar().getText(), "Default Presets settings will be affected when plugin is loaded.");

    const auto bank = folder.getChildFile ("mine.klprsb");
    choose (group, BasePluginOldStyle::userDefinedPresets);
    group.getPathComponent().setPath (bank.getFullPathName(), true);
    EXPECT_EQ (processor().getUserDefinedPresetsFile(), bank);
}

TEST_F (EditorPages, SynthesisPageSetsTheCurrentAndDefaultChoices)
{
    auto& page = editor().getSynthesisPage();
    choose (page.getCurrentAccentGroup(), Kelvanor::highAccentLevel);
    EXPECT_EQ (processor().getAccentVelocityLevel(), (int) Kelvanor::highAccentLevel);
    EXPECT_FLOAT_EQ (parameterValue (Kelvanor::accentVelocityLevelId), 1.0f);

    choose (page.getCurrentTuningGroup(), Kelvanor::batteryLowTuning);
    EXPECT_EQ (processor().getOscillatorTuning(), (int) Kelvanor::batteryLowTuning);

    choose (page.getDefaultAccentGroup(), Kelvanor::lowAccentLevel);
    choose (page.getDefaultTuningGroup(), Kelvanor::vintageTuning);
    EXPECT_EQ (processor().getDefaultAccentVelocityLevel(), (int) Kelvanor::lowAccentLevel);
    EXPECT_EQ (processor().getDefaultOscillatorTuning(), (int) Kelvanor::vintageTuning);
    // Defaults wait for the next start.
    EXPECT_EQ (processor().getAccentVelocityLevel(), (int) Kelvanor::highAccentLevel);
    EXPECT_EQ (processor().getOscillatorTuning(), (int) Kelvanor::batteryLowTuning);
}
} // namespace
} // namespace KelvanorEditorTest
