#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

namespace
{
using namespace PanelEvent;

constexpr int noteStateId = 40;
constexpr int noteBlinkingId = 53;
constexpr int gateStateId = 66;
constexpr int gateBlinkingId = 69;
constexpr int lowerOctaveStateId = 75;
constexpr int thresholdModeStateId = 82;
constexpr int stepValuesStateId = 83;
constexpr int firstStepStateId = 200018;

struct PanelHarness : KelvanorHarness
{
    const Step& editedStep() const
    {
        return processor->getPattern (processor->getEditedPattern()).getStep (processor->getEditedStep());
    }

    /** Chain first, last and bank, then the playing and the edited pattern. */
    std::tuple<int, int, int, int, int> chain() const
    {
        const auto& p = *processor;
        return {p.getChainFirst(), p.getChainLast(), p.getChainBank(), p.getPlayingPattern(),
                p.getEditedPattern()};
    }

    /** The ids among first .. first + count - 1 whose state is on. */
    std::vector<int> onAmong (int first, int count) const
    {
        std::vector<int> on;
        for (int id = first; id < first + count; ++id)
            if (parameter (id) != 0.0f)
                on.push_back (id - first);
        return on;
    }

    /** What the panel and the patterns show: compared before and after events that must do nothing. */
    std::vector<double> snapshot() const
    {
        std::vector<double> values;
        for (int id = 36; id <= 83; ++id)
            values.push_back (parameter (id));
        for (int id = IntSeqPlugin::internalSequencerStateId; id <= IntSeqPlugin::lastSequencerParameterId;
             ++id)
            values.push_back (parameter (id));
        for (const int v :
             {processor->getEditedPattern(), processor->getEditedStep(), processor->getChainFirst(),
              processor->getChainLast(), processor->getChainBank(), processor->getSelectedBank(),
              processor->getPlayingPattern(), processor->getPendingRequest()})
            values.push_back (v);
        for (int p = 0; p < 24; ++p)
            for (int s = 0; s < Pattern::numSteps; ++s)
            {
                const auto& step = processor->getPattern (p).getStep (s);
                values.push_back (step.getMidiNote() * 8 + step.gate * 4 + step.accent * 2 + step.slide);
            }
        return values;
    }

    /** Write mode on pattern 0, five steps whose step i has note i, gate on every second step. */
    void enterEditMode()
    {
        fire (Seq::togglePatternWriteModeEvent);
        std::vector<Step> steps;
        for (int i = 0; i < 5; ++i)
            steps.push_back (makeStep (i, false, false, i % 2 == 0, false, false, 0.7));
        loadPattern (0, steps);
        processor->selectEditedStep (0);
    }
};
} // namespace

//==============================================================================
// Only the sequencer's own toggle acts while it is off: the panel shows no pattern.
TEST (KelvanorActions, EventsDoNothingWithTheSequencerOff)
{
    PanelHarness h;
    h.fire (Seq::toggleInternalSequencerEvent);
    EXPECT_EQ (h.parameter (IntSeqPlugin::patternNumberId), 0.0f);
    EXPECT_EQ (h.processor->getParameterManager().getParameterText (IntSeqPlugin::patternNameId), "");
    EXPECT_EQ (h.parameter (IntSeqPlugin::patternTempoId), 30.0f); // the parameter's floor stands for 0
    EXPECT_EQ (h.parameter (thresholdModeStateId), 0.0f);
    const auto before = h.snapshot();

    for (int uid = 0; uid <= 2038; uid += uid == 58 ? 2001 - 58 : 1)
    {
        h.fire (uid);
        ASSERT_EQ (h.snapshot(), before) << "event " << uid;
    }
    EXPECT_FALSE (h.processor->isInternalSyncOn() || h.processor->isHostModeOn() ||
                  h.processor->isWriteModeOn() || h.processor->isRandomizerOn());

    h.fire (Seq::toggleInternalSequencerEvent);
    EXPECT_EQ (h.parameter (IntSeqPlugin::internalSequencerStateId), 1.0f);
    EXPECT_EQ (h.parameter (IntSeqPlugin::patternNumberId), 1.0f);
}

// A fresh instance plays pattern 1-01 of bank 1: its key and the bank's key are lit from the start, as
// pressing the bank key again would light them.
TEST (KelvanorActions, PlayModeLightsAreLitAtStartUp)
{
    PanelHarness h;
    using Ids = std::vector<int>;
    EXPECT_EQ (h.chain(), std::tuple (0, 0, 0, 0, 0));
    for (const int id : {noteStateId, noteBlinkingId})
        EXPECT_EQ (h.onAmong (id, 13), Ids{0}) << id;
    for (const int id : {gateStateId, gateBlinkingId})
        EXPECT_EQ (h.onAmong (id, 3), Ids{0}) << id;
    EXPECT_TRUE (h.onAmong (firstStepStateId, 16).empty());

    const auto atStartUp = h.snapshot();
    h.fire (pressGate);
    EXPECT_EQ (h.snapshot(), atStartUp);
}

TEST (KelvanorActions, PlayModeKeysChooseTheChainAndTheBank)
{
    PanelHarness h;
    using Ids = std::vector<int>;
    h.fire (pressE);
    EXPECT_EQ (h.chain(), std::tuple (2, 2, 0, 2, 2));
    EXPECT_EQ (h.onAmong (noteStateId, 13), Ids{4});
    EXPECT_EQ (h.onAmong (noteBlinkingId, 13), Ids{4});

    // C held as the chain, E with Ctrl extends it; C with Ctrl below an E..G chain does too.
    h.fire (pressC);
    h.fire (firstPressCtrl + 4);
    EXPECT_EQ (h.onAmong (noteStateId, 13), (Ids{0, 2, 4}));
    h.fire (pressE);
    h.fire (firstPressCtrl + 7);
    EXPECT_EQ (h.processor->getChainLast(), 4);
    h.fire (firstPressCtrl + 0);
    EXPECT_EQ (std::pair (h.processor->getChainFirst(), h.processor->getChainLast()), std::pair (0, 2));

    // Black keys and the step keys mean nothing here.
    const auto before = h.snapshot();
    for (const int uid : std::initializer_list<int>{pressCis, firstPressCtrl + 1, transposeUp,
                                                    firstSetStep + 3, pressLowerOctave, pressGateCtrl,
                                                    nextStep, prevStep, toggleRandNotes, flatten})
        h.fire (uid);
    EXPECT_EQ (h.snapshot(), before);

    // Gate, accent and slide select the banks; Ctrl in another bank than the chain's starts a chain there.
    h.fire (pressAccent);
    EXPECT_EQ (h.processor->getSelectedBank(), 1);
    EXPECT_EQ (h.onAmong (gateStateId, 3), Ids{1});
    EXPECT_EQ (h.onAmong (gateBlinkingId, 3), Ids{1});
    EXPECT_TRUE (h.onAmong (noteStateId, 13).empty()); // the chain lies in bank 0
    h.fire (firstPressCtrl + 2);
    EXPECT_EQ (h.chain(), std::tuple (1, 1, 1, 9, 9));
    EXPECT_EQ (h.onAmong (noteStateId, 13), Ids{2});
}

TEST (KelvanorActions, EditModeKeysSelectAndEditTheStep)
{
    PanelHarness h;
    using Ids = std::vector<int>;
    h.enterEditMode();
    EXPECT_EQ (h.onAmong (firstStepStateId, 16), Ids{0});
    h.fire (firstSetStep + 11); // step 12 of a 5-step pattern
    EXPECT_EQ (h.processor->getEditedStep(), 0);
    h.fire (prevStep);
    EXPECT_EQ (h.processor->getEditedStep(), 4);
    EXPECT_EQ (h.onAmong (firstStepStateId, 16), Ids{4});
    EXPECT_EQ (h.onAmong (noteStateId, 13), Ids{4});
    h.fire (nextStep);
    EXPECT_EQ (h.processor->getEditedStep(), 0);

    h.fire (pressG);
    EXPECT_EQ ((int) h.editedStep().note, 7);
    EXPECT_EQ (h.onAmong (noteStateId, 13), Ids{7});
    h.fire (pressGate); // step 0 had its gate on
    EXPECT_EQ ((int) h.editedStep().gate, 0);
    EXPECT_EQ (h.parameter (gateStateId), 0.0f);
    h.fire (pressLowerOctave);
    EXPECT_EQ ((int) h.editedStep().octaveDown, 1);
    EXPECT_EQ (h.parameter (lowerOctaveStateId), 1.0f);

    // Ctrl keys copy to every step: the note with the edited step's octave, a flag inverted.
    h.fire (firstPressCtrl + 2);
    h.fire (pressGateCtrl);
    for (int i = 0; i < Pattern::numSteps; ++i)
    {
        const auto& step = h.processor->getPattern (0).getStep (i);
        EXPECT_EQ (std::pair (step.getMidiNote(), (int) step.gate), std::pair (26, 1)) << i;
    }
    h.fire (transposeUp);
    EXPECT_EQ (h.editedStep().getMidiNote(), 27);
    EXPECT_EQ (h.onAmong (noteStateId, 13), Ids{3});

    // Randomizer-only keys do nothing while editing.
    const auto before = h.snapshot();
    h.fire (toggleRandNotes);
    h.fire (flatten);
    EXPECT_EQ (h.snapshot(), before);
}

TEST (KelvanorActions, StepValuesEditionShowsTheLevelsUnchanged)
{
    PanelHarness h;
    EXPECT_EQ (h.parameter (thresholdModeStateId), 1.0f);
    h.enterEditMode();

    h.fire (toggleStepValues);
    EXPECT_EQ (h.parameter (stepValuesStateId), 1.0f);
    EXPECT_EQ (h.parameter (thresholdModeStateId), 0.0f);
    EXPECT_FLOAT_EQ (h.parameter (Kelvanor::gateLevelId), 0.7f);

    // Showing a step does not round its level through the single-precision parameter.
    h.fire (nextStep);
    h.fire (prevStep);
    EXPECT_EQ ((double) h.editedStep().gateLevel, 0.7);

    h.processor->getParameterManager().setParameterNormalised (Kelvanor::gateLevelId, 0.25f);
    EXPECT_EQ ((double) h.editedStep().gateLevel, 0.25);

    h.fire (toggleStepValues);
    EXPECT_EQ (h.parameter (Kelvanor::gateLevelId), 0.0f);
    EXPECT_EQ (h.parameter (thresholdModeStateId), 1.0f);
}

TEST (KelvanorActions, RandomizerModeKeysAndLights)
{
    PanelHarness h;
    h.enterEditMode();
    h.fire (Seq::toggleRandomizerEvent);

    EXPECT_EQ (h.parameter (80), 1.0f);
    EXPECT_EQ (h.onAmong (noteBlinkingId, 13).size(), 13u);
    EXPECT_EQ (h.onAmong (gateStateId, 3), (std::vector<int>{0, 1, 2}));

    h.fire (pressGate);
    EXPECT_FALSE (h.processor->isRandomizeGateOn());
    EXPECT_EQ (h.onAmong (gateStateId, 3), (std::vector<int>{1, 2}));

    // Clear acts on the note set, not on the pattern.
    const auto pattern = h.processor->getPattern (0).getStep (3).getMidiNote();
    h.fire (Seq::clearEvent); // C..B of the octave on show; its C1 is the next octave's C
    EXPECT_EQ (h.onAmong (noteStateId, 13), (std::vector<int>{12}));
    EXPECT_EQ (h.processor->getPattern (0).getStep (3).getMidiNote(), pattern);

    h.fire (toggleRandNotes);
    EXPECT_EQ (h.parameter (80), 0.0f);

    // Next Step draws a pattern.
    h.fire (nextStep);
    EXPECT_NE (h.processor->getCurrentRandomSeed(), 0u);

    // Leaving the randomizer stops the blinking.
    h.fire (Seq::toggleRandomizerEvent);
    EXPECT_TRUE (h.onAmong (noteBlinkingId, 13).empty());
    EXPECT_EQ (h.parameter (80), 0.0f);
}

TEST (KelvanorActions, WriteModeEditsThePatternThatWillPlay)
{
    PanelHarness h;
    h.fire (pressA);
    h.fire (Seq::togglePatternWriteModeEvent);
    EXPECT_EQ (h.processor->getEditedPattern(), 5);
    EXPECT_EQ (h.parameter (IntSeqPlugin::patternNumberId), 6.0f);

    // A host-mode pattern beyond the three banks is not kept when host mode ends.
    h.fire (Seq::togglePatternWriteModeEvent);
    h.fire (Seq::toggleHostModeEvent);
    h.processor->selectEditedPattern (50);
    EXPECT_EQ (h.processor->getEditedPattern(), 50);
    h.fire (Seq::toggleHostModeEvent);
    EXPECT_EQ (h.processor->getEditedPattern(), 0);
}
