#include "KelvanorEditorInHostWindow.h"
#include "KelvanorEditorLayout.h"

#include <algorithm>
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

    /** SELECT next or previous, once, and what the PRESET display then shows. */
    bool stepsTo (const char* button, int preset, const juce::Image& picture)
    {
        press (button);
        return idleUntil ([&] { return currentPreset() == preset && shows (presetDisplay, picture); });
    }

    void openBrowser (const PresetBrowserLayout& browser)
    {
        const auto panel = captureOf (browser.area());
        press ("PresetBrowseButton");
        ASSERT_TRUE (waitUntilChanges (browser.area(), panel)) << "the browser did not open";
    }

    /** Waits until the current preset is the target, named after the source as it was before with "_copy",
        then checks that it holds the values the source had and that another preset is as it was. */
    void expectPastedCopy (const juce::XmlElement& before, size_t source, size_t target, size_t untouched)
    {
        const auto presetsBefore = bankPresets (before);
        ASSERT_GT (presetsBefore.size(), std::max ({source, target, untouched}));
        const auto copyName = presetsBefore[source]->getStringAttribute ("name") + "_copy";
        std::unique_ptr<juce::XmlElement> state;
        ASSERT_TRUE (idleUntil (
            [&]
            {
                state = chunkDocumentAt (0);
                const auto presets = state != nullptr ? bankPresets (*state) : decltype (presetsBefore){};
                return currentPreset() == (int) target && presets.size() == presetsBefore.size() &&
                       presets[target]->getStringAttribute ("name") == copyName;
            }))
            << "preset " << target << " is not the current one, named " << copyName;
        const auto presets = bankPresets (*state);
        juce::XmlElement copy (*presets[target]);
        copy.setAttribute ("name", presetsBefore[source]->getStringAttribute ("name"));
        EXPECT_TRUE (copy.isEquivalentTo (presetsBefore[source], false)) << copy.toString();
        EXPECT_TRUE (presets[untouched]->isEquivalentTo (presetsBefore[untouched], false));
    }

    const juce::Rectangle<int> presetDisplay = skinControlNamed ("PresetNameDisplay");
};

/** The browser's toolbar key of that index, from the top: 24-pixel keys stacked at the top left of its
    content, which begins 9 pixels in from its left edge and 37 below its top. */
juce::Point<int> toolbarKey (const PresetBrowserLayout& browser, int key)
{
    return browser.origin.translated (9 + 12, 37 + 12 + 24 * key);
}
constexpr int copyKey = 2, pasteKey = 3;

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
    ASSERT_NO_FATAL_FAILURE (openBrowser (browser));
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

TEST_F (PresetBrowserEndToEnd, PasteAfterChoosingASpareSlotInTheBrowserCopiesThePresetThere)
{
    const auto before = chunkDocumentAt (0);
    ASSERT_NE (before, nullptr);
    const PresetBrowserLayout browser (session->getEditorRect());
    press ("PresetNextButton");
    press ("PresetCopyButton");
    ASSERT_NO_FATAL_FAILURE (openBrowser (browser));
    click (browser.groupRow (3));
    click (browser.presetRow (0));
    click (browser.closeButton());
    press ("PresetPasteButton");
    expectPastedCopy (*before, 1, 40, 1);
}

TEST_F (PresetBrowserEndToEnd, TheBrowsersPasteWhileAnotherGroupIsShownReplacesTheCurrentPreset)
{
    const auto before = chunkDocumentAt (0);
    ASSERT_NE (before, nullptr);
    const PresetBrowserLayout browser (session->getEditorRect());
    ASSERT_NO_FATAL_FAILURE (openBrowser (browser));
    click (browser.presetRow (1));
    click (toolbarKey (browser, copyKey));
    click (browser.groupRow (3));
    click (toolbarKey (browser, pasteKey));
    expectPastedCopy (*before, 1, 1, 40);
}
} // namespace
