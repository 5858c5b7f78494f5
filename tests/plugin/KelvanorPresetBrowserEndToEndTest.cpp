#include "KelvanorEditorInHostWindow.h"
#include "KelvanorEditorLayout.h"

#include <vector>

namespace
{
/** The bank's presets in bank order, as the state holds them. */
std::vector<const juce::XmlElement*> bankPresets (const juce::XmlElement& state)
{
    std::vector<const juce::XmlElement*> presets;
    const auto* presetsState = state.getChildByName ("PresetsState");
    const auto* bank = presetsState != nullptr ? presetsState->getChildByName ("PresetBank") : nullptr;
    if (bank != nullptr)
        for (const auto* group : bank->getChildIterator())
            for (const auto* preset : group->getChildIterator())
                presets.push_back (preset);
    return presets;
}

/** The editor in a host window, on the factory bank's first preset. */
class PresetBrowserEndToEnd : public KelvanorEditorInHostWindow
{
protected:
    void editorOpened() override
    {
        ASSERT_FALSE (presetDisplay.isEmpty());
        ASSERT_EQ (currentPreset(), 0);
    }

    int currentPreset()
    {
        const auto state = chunkDocumentAt (0);
        const auto* presets = state != nullptr ? state->getChildByName ("PresetsState") : nullptr;
        return presets != nullptr ? presets->getIntAttribute ("currentPreset", -1) : -1;
    }

    /** SELECT next or previous, once, and what the PRESET display then shows. */
    bool stepsTo (const char* button, int preset, const juce::Image& picture)
    {
        press (button);
        return idleUntil ([&] { return currentPreset() == preset && shows (presetDisplay, picture); });
    }

    const juce::Rectangle<int> presetDisplay = skinControlNamed ("PresetNameDisplay");
};

TEST_F (PresetBrowserEndToEnd, AChosenPresetLoadsShowsItsNameAndIsWhereSelectStepsOnFrom)
{
    // The display's picture of presets 0 to 3, reached with SELECT.
    std::vector<juce::Image> shown{captureOf (presetDisplay)};
    for (int preset = 1; preset <= 3; ++preset)
    {
        press ("PresetNextButton");
        ASSERT_TRUE (idleUntil (
            [&]
            { return currentPreset() == preset && otherPicture (captureOf (presetDisplay), shown.back()); }));
        shown.push_back (settledCaptureOf (presetDisplay));
        ASSERT_TRUE (shown.back().isValid()) << "the name shown for preset " << preset << " did not settle";
    }
    for (int preset = 2; preset >= 0; --preset)
        ASSERT_TRUE (stepsTo ("PresetPrevButton", preset, shown[(size_t) preset])) << preset;

    const PresetBrowserLayout browser (session->getEditorRect());
    const auto panel = captureOf (browser.area());
    press ("PresetBrowseButton");
    ASSERT_TRUE (waitUntilChanges (browser.area(), panel)) << "the browser did not open";
    click (browser.presetRow (2));
    ASSERT_TRUE (idleUntil ([&] { return currentPreset() == 2; }))
        << "the click selected no preset: has the browser's layout moved?";
    click (browser.closeButton());

    EXPECT_TRUE (waitUntilShows (presetDisplay, shown[2])) << "the PRESET display shows another name";
    const auto state = chunkDocumentAt (0);
    const auto program = chunkDocumentAt (1);
    ASSERT_TRUE (state != nullptr && program != nullptr);
    const auto presets = bankPresets (*state);
    ASSERT_GT (presets.size(), 3u);
    EXPECT_EQ (program->getStringAttribute ("name"), presets[2]->getStringAttribute ("name"));
    // The chosen preset's sound: every value it holds is the parameter's value now.
    const auto* parameters = state->getChildByName ("ParametersState");
    ASSERT_NE (parameters, nullptr);
    for (const auto* value : presets[2]->getChildIterator())
    {
        const auto* now = parameters->getChildByAttribute ("name", value->getStringAttribute ("name"));
        ASSERT_NE (now, nullptr) << value->getStringAttribute ("name");
        EXPECT_NEAR (now->getDoubleAttribute ("value"), value->getDoubleAttribute ("value"), 1.0e-5)
            << value->getStringAttribute ("name");
    }

    EXPECT_TRUE (stepsTo ("PresetNextButton", 3, shown[3]));
    EXPECT_TRUE (stepsTo ("PresetPrevButton", 2, shown[2]));
    EXPECT_TRUE (stepsTo ("PresetPrevButton", 1, shown[1]));
}
} // namespace
