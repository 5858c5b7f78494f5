#include "KelvanorEditorInHostWindow.h"

#include <cstring>
#include <vector>

namespace
{
constexpr int statusBarHeight = 16;

/** The document of a chunk (0: the whole state, 1: the current program): "VC2!", the text length, the text.
 */
std::unique_ptr<juce::XmlElement> chunkDocument (HostedPlugin& plugin, int index)
{
    void* data = nullptr;
    const auto size = plugin.dispatch (effGetChunk, index, 0, &data);
    const auto* bytes = static_cast<const char*> (data);
    if (bytes == nullptr || size < 8 || std::memcmp (bytes, "VC2!", 4) != 0)
        return nullptr;
    const auto length = juce::jmin ((int) size - 8, (int) juce::ByteOrder::littleEndianInt (bytes + 4));
    return juce::XmlDocument::parse (juce::String::fromUTF8 (bytes + 8, length));
}

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

/** The preset browser as it lies over the editor: 639 x 350, centred over the panel (the status bar left
    out), the list of the shown group's presets right of the toolbar and the group column, rows 20 high. */
struct BrowserLayout
{
    static constexpr int width = 639, height = 350, rowHeight = 20;
    // Frame 3 and margin 6, toolbar 24 and the gap after it 5, group column 241, the list's inset 4.
    static constexpr int presetListX = 3 + 6 + 24 + 5 + 241 + 4;
    // Title bar 31, margin 6, the list's inset 4.
    static constexpr int listY = 31 + 6 + 4;

    explicit BrowserLayout (juce::Rectangle<int> editor)
        : origin (editor.getWidth() / 2 - width / 2, (editor.getHeight() - statusBarHeight) / 2 - height / 2)
    {
    }

    juce::Rectangle<int> area() const { return {origin.x, origin.y, width, height}; }
    juce::Point<int> presetRow (int row) const
    {
        return origin.translated (presetListX + 60, listY + row * rowHeight + rowHeight / 2);
    }
    /** The title bar's close button, 20 x 20 at its right end. */
    juce::Point<int> closeButton() const { return origin.translated (width - 16, 15); }

    juce::Point<int> origin;
};

/** The editor in a host window, on the factory bank's first preset. */
class PresetBrowserEndToEnd : public KelvanorEditorInHostWindow
{
protected:
    void SetUp() override
    {
        KelvanorEditorInHostWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_EQ (currentPreset(), 0);
    }

    void click (juce::Point<int> where)
    {
        ASSERT_TRUE (window->click (where));
        session->idle (0.1);
    }

    void press (const juce::String& control)
    {
        const auto bounds = skinControlNamed (control);
        ASSERT_FALSE (bounds.isEmpty()) << control;
        click (bounds.getCentre());
    }

    int currentPreset()
    {
        const auto state = chunkDocument (*plugin, 0);
        const auto* presets = state != nullptr ? state->getChildByName ("PresetsState") : nullptr;
        return presets != nullptr ? presets->getIntAttribute ("currentPreset", -1) : -1;
    }

    juce::Image presetDisplay()
    {
        return window->capture().getClippedImage (skinControlNamed ("PresetNameDisplay"));
    }

    static bool samePicture (const juce::Image& a, const juce::Image& b)
    {
        if (!a.isValid() || a.getBounds() != b.getBounds())
            return false;
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return false;
        return true;
    }

    /** SELECT next or previous, once, and what the PRESET display then shows. */
    bool stepsTo (const char* button, int preset, const juce::Image& picture)
    {
        press (button);
        return idleUntil ([&]
                          { return currentPreset() == preset && samePicture (presetDisplay(), picture); });
    }
};

TEST_F (PresetBrowserEndToEnd, AChosenPresetLoadsShowsItsNameAndIsWhereSelectStepsOnFrom)
{
    // The display's picture of presets 0 to 3, reached with SELECT.
    std::vector<juce::Image> shown{presetDisplay()};
    for (int preset = 1; preset <= 3; ++preset)
    {
        press ("PresetNextButton");
        ASSERT_TRUE (idleUntil (
            [&] { return currentPreset() == preset && !samePicture (presetDisplay(), shown.back()); }));
        // Taken once two captures in a row agree, so that no half-drawn name becomes the reference.
        auto settled = presetDisplay();
        ASSERT_TRUE (idleUntil (
            [&]
            {
                const auto now = presetDisplay();
                const bool same = samePicture (now, settled);
                settled = now;
                return same;
            }));
        shown.push_back (settled);
    }
    for (int preset = 2; preset >= 0; --preset)
        ASSERT_TRUE (stepsTo ("PresetPrevButton", preset, shown[(size_t) preset])) << preset;

    const BrowserLayout browser (session->getEditorRect());
    const auto panel = window->capture().getClippedImage (browser.area());
    press ("PresetBrowseButton");
    ASSERT_TRUE (
        idleUntil ([&] { return !samePicture (window->capture().getClippedImage (browser.area()), panel); }))
        << "the browser did not open";
    click (browser.presetRow (2));
    ASSERT_TRUE (idleUntil ([&] { return currentPreset() == 2; }))
        << "the click selected no preset: has the browser's layout moved?";
    click (browser.closeButton());

    EXPECT_TRUE (idleUntil ([&] { return samePicture (presetDisplay(), shown[2]); }))
        << "the PRESET display shows another name";
    const auto state = chunkDocument (*plugin, 0);
    const auto program = chunkDocument (*plugin, 1);
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
