#include "KelvanorEditorFixture.h"

#include "skin/controls/GFXButton.h"
#include "skin/controls/GFXKnob.h"
#include "skin/controls/GFXMultiStateButton.h"
#include "skin/controls/GFXSwitch.h"
#include "skin/displays/NumericDisplay.h"
#include "skin/displays/PatternNumberDisplay.h"

#include <functional>

namespace KelvanorEditorTest
{
namespace
{
/** A state parameter and what the panel shows for it: shows (editor, on) is true when the controls show
    the state "on" as the editor must. */
struct Reaction
{
    const char* what;
    int id;
    std::function<bool (KelvanorEditor&, bool)> shows;
};

template <typename Controls>
bool all (const Controls& controls, const std::function<bool (juce::Component&)>& test)
{
    for (auto* c : controls)
        if (c == nullptr || !test (*c))
            return false;
    return true;
}

std::vector<Reaction> reactionTable()
{
    using E = KelvanorEditor;
    std::vector<Reaction> table{
        {"sequencer on enables the pattern displays", IntSeqPlugin::internalSequencerStateId,
         [] (E& e, bool on)
         {
             return e.getPatternNumberDisplay()->isEnabled() == on &&
                    e.getPatternNameDisplay()->isEnabled() == on &&
                    e.getShuffleDisplay()->isEnabled() == on && e.getCurrentSelfResetBox().isEnabled() == on;
         }},
        {"internal sync enables the tempo display", IntSeqPlugin::internalSyncStateId,
         [] (E& e, bool on) { return e.getTempoDisplay()->isEnabled() == on; }},
        {"host mode shows pattern numbers as notes", IntSeqPlugin::hostModeStateId,
         [] (E& e, bool on) { return e.getPatternNumberDisplay()->getDisplayMode() == (on ? 0 : 2); }},
        {"write mode lets the shuffle be edited", IntSeqPlugin::writeModeStateId,
         [] (E& e, bool on)
         { return e.getShuffleDisplay()->isInteractive() == on && e.getShuffleKnob()->isEnabled() == on; }},
        {"randomizer blinks its key and swaps the chord switches", IntSeqPlugin::randomizerStateId,
         [] (E& e, bool on)
         {
             return e.getRandomizerButton()->isBlinking() == on &&
                    e.getRandChordSwitch()->isVisible() == on && e.getArpeChordSwitch()->isVisible() != on;
         }},
        {"length mode blinks its key and the 16 length lights", IntSeqPlugin::lengthModeStateId,
         [] (E& e, bool on)
         {
             bool lights = true;
             for (int s = 0; s < E::numSteps; ++s)
                 lights = lights && e.getLengthLight (s)->isBlinking() == on;
             return lights && e.getLengthButton()->isBlinking() == on;
         }},
        {"native mode ready blinks the pattern name slowly", IntSeqPlugin::nativeModeReadyStateId,
         [] (E& e, bool on)
         {
             return e.getPatternNameDisplay()->isBlinking() == on &&
                    e.getPatternNameDisplay()->getBlinkPeriod() == IntSeqPluginEditor::nameBlinkPeriodMs;
         }},
        {"name edition lets clicks start an edit", IntSeqPlugin::patternNameEditionStateId,
         [] (E& e, bool on)
         {
             bool self = false, children = false;
             e.getPatternNameDisplay()->getInterceptsMouseClicks (self, children);
             return self == on;
         }},
        {"tempo state lets the tempo be edited", IntSeqPlugin::patternTempoStateId,
         [] (E& e, bool on)
         { return e.getTempoDisplay()->isInteractive() == on && e.getTempoKnob()->isEnabled() == on; }},
        {"self reset ticks the current box", Kelvanor::selfResetStateId,
         [] (E& e, bool on) { return e.getCurrentSelfResetBox().getToggleState() == on; }},
        {"arpeggiator on enables its shuffle display", Kelvanor::arpeStateId,
         [] (E& e, bool on) { return e.getArpeShuffleDisplay()->isEnabled() == on; }},
        {"repeat mode shows the repeater instead of the multiplier", KelvanorEditor::arpeMultRepeatModeId,
         [] (E& e, bool on) {
             return e.getArpeRepeaterSwitch()->isVisible() == on &&
                    e.getArpeMultiplierSwitch()->isVisible() != on;
         }},
        {"gate blinking", Kelvanor::gateBlinkingId,
         [] (E& e, bool on) { return e.getGateButton()->isBlinking() == on; }},
        {"accent blinking", Kelvanor::gateBlinkingId + 1,
         [] (E& e, bool on) { return e.getAccentButton()->isBlinking() == on; }},
        {"slide blinking", Kelvanor::gateBlinkingId + 2,
         [] (E& e, bool on) { return e.getSlideButton()->isBlinking() == on; }},
        {"lower octave blinking", Kelvanor::lowerOctaveBlinkingId,
         [] (E& e, bool on) { return e.getOctaveDownButton()->isBlinking() == on; }},
        {"upper octave blinking", Kelvanor::upperOctaveBlinkingId,
         [] (E& e, bool on) { return e.getOctaveUpButton()->isBlinking() == on; }},
        {"rand notes blinking", Kelvanor::randNotesBlinkingId,
         [] (E& e, bool on) { return e.getRandNotesButton()->isBlinking() == on; }},
        {"threshold mode enables the threshold knobs", Kelvanor::thresholdModeStateId,
         [] (E& e, bool on)
         {
             return all (std::vector<GFXKnob*>{e.getThresholdKnob (0), e.getThresholdKnob (1),
                                               e.getThresholdKnob (2)},
                         [on] (juce::Component& k) { return k.isEnabled() == on; });
         }},
        {"step values edition swaps level and threshold knobs", Kelvanor::stepValuesEditionStateId,
         [] (E& e, bool on)
         {
             for (int i = 0; i < 3; ++i)
                 if (e.getLevelKnob (i)->isVisible() != on || e.getThresholdKnob (i)->isVisible() == on)
                     return false;
             return true;
         }},
    };

    for (int key = 0; key < KelvanorEditor::numNoteKeys; ++key)
        table.push_back ({"note key blinking", Kelvanor::firstNoteBlinkingId + key,
                          [key] (E& e, bool on)
                          {
                              // Only the key of this parameter follows it.
                              for (int k = 0; k < E::numNoteKeys; ++k)
                                  if (e.getNoteButton (k)->isBlinking() != (on && k == key))
                                      return false;
                              return true;
                          }});

    for (int step = 0; step < KelvanorEditor::numSteps; ++step)
        table.push_back ({"step light marks the played step", IntSeqPlugin::firstStepInverseId + step,
                          [step] (E& e, bool on)
                          {
                              for (int s = 0; s < E::numSteps; ++s)
                                  if (e.getStepLight (s)->isInverted() != (on && s == step))
                                      return false;
                              return true;
                          }});
    return table;
}

class EditorReactions : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        applySkin ("Full", fullSkinControls());
    }

    /** Every row, each way: on, then off again, checked after the notices arrive. */
    void checkTable()
    {
        for (const auto& row : reactionTable())
        {
            SCOPED_TRACE (juce::String (row.what) + " (parameter " + juce::String (row.id) + ")");
            for (const bool on : {true, false, true, false})
            {
                setParameter (row.id, on ? 1.0f : 0.0f);
                EXPECT_TRUE (row.shows (editor(), on)) << (on ? "on" : "off");
            }
        }
    }
};

TEST_F (EditorReactions, EveryStateParameterShowsOnItsControls)
{
    checkTable();
}

TEST_F (EditorReactions, AnotherSkinShowsTheSameReactionsOnItsOwnControls)
{
    applySkin ("Moved", fullSkinControls(), 7);
    checkTable();
}

TEST_F (EditorReactions, ModeNoticesReachTheStatusBarOnlyWhenTheModeChanges)
{
    struct Notice
    {
        int id;
        float value;
        juce::String text;
    };
    const Notice notices[] = {
        {IntSeqPlugin::lengthModeStateId, 1.0f, "Set pattern length."},
        {IntSeqPlugin::clipboardStateId, 1.0f, "Pattern has been copied to clipboard."},
    };
    const juce::String later = "Could not load '/x.klp'.";
    for (const auto& n : notices)
    {
        statusBar().clearText (-1);
        setParameter (n.id, 0.0f);
        EXPECT_TRUE (statusBar().getText().isEmpty());
        setParameter (n.id, n.value);
        EXPECT_EQ (statusBar().getText(), n.text);
        // The notice goes with its mode, but a text shown after it stays.
        setParameter (n.id, 0.0f);
        EXPECT_TRUE (statusBar().getText().isEmpty()) << n.text << " outlived its mode";
        setParameter (n.id, n.value);
        statusBar().showText (later, 4);
        setParameter (n.id, 0.0f);
        EXPECT_EQ (statusBar().getText(), later) << "the end of '" << n.text << "' took it away";
    }

    // Leaving the randomizer takes its notice away.
    setParameter (IntSeqPlugin::randomizerStateId, 1.0f);
    statusBar().showText ("Randomizing", 4);
    setParameter (IntSeqPlugin::randomizerStateId, 0.0f);
    EXPECT_TRUE (statusBar().getText().isEmpty());

    // A new panel shows the modes without repeating their notices.
    setParameter (IntSeqPlugin::lengthModeStateId, 1.0f);
    statusBar().clearText (-1);
    applySkin ("Again", fullSkinControls(), 3);
    EXPECT_TRUE (statusBar().getText().isEmpty());
    EXPECT_TRUE (editor().getLengthButton()->isBlinking());
}

TEST_F (EditorReactions, SynthesisLevelsShowTheNearestChoice)
{
    struct Case
    {
        int id;
        float normalised;
        int expected;
    };
    const Case cases[] = {
        {Kelvanor::accentVelocityLevelId, 0.0f, 0},   {Kelvanor::accentVelocityLevelId, 0.5f, 1},
        {Kelvanor::accentVelocityLevelId, 1.0f, 2},   {Kelvanor::oscillatorTuningTypeId, 0.24f, 0},
        {Kelvanor::oscillatorTuningTypeId, 0.26f, 1}, {Kelvanor::oscillatorTuningTypeId, 0.76f, 2}};
    auto& page = editor().getSynthesisPage();
    for (const auto& c : cases)
    {
        setParameter (c.id, c.normalised);
        auto& group = c.id == Kelvanor::accentVelocityLevelId ? page.getCurrentAccentGroup()
                                                              : page.getCurrentTuningGroup();
        EXPECT_EQ (group.getSelectedIndex(), c.expected) << c.id << " at " << c.normalised;
    }
}
} // namespace
} // namespace KelvanorEditorTest
