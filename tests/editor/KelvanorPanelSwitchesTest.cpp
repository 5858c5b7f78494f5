// The built-in panel as a musician meets it, read against the layout its artwork is drawn from: what the
// two-state switches say at each end and what they play, what the distortion's knobs do, how the pattern
// display names the pattern the keys chose, and where the pattern file menus open.

#include "KelvanorEditorFixture.h"
#include "engine/KelvanorCore.h"
#include "skin/controls/GFXSwitch.h"
#include "skin/displays/PatternNumberDisplay.h"
#include "tools/PanelLayout.h"

#include <cmath>
#include <map>

namespace
{
using namespace KelvanorEditorTest;
using Symbol = PanelLayout::Legend::Symbol;

juce::MouseEvent pressAt (juce::Component& c, juce::Point<float> at)
{
    const auto now = juce::Time::getCurrentTime();
    return {juce::Desktop::getInstance().getMainMouseSource(),
            at,
            juce::ModifierKeys::leftButtonModifier,
            1.0f,
            0.0f,
            0.0f,
            0.0f,
            0.0f,
            &c,
            &c,
            now,
            at,
            now,
            1,
            false};
}

/** A legend agrees with the parameter's own text when it is that text or its start ("LINK", "Linked"). */
bool reads (const juce::String& legend, const juce::String& text)
{
    return legend.isNotEmpty() && text.startsWithIgnoreCase (legend);
}

/** The pattern display's four places as read: a blank, a digit, or the sign a place has beyond its digits. */
juce::String shownPattern (const PatternNumberDisplay& display)
{
    const juce::StringArray signs[] = {{"P."}, {"C", "D", "E", "F", "G", "A", "B", "-"}, {"#", "-"}, {}};
    juce::String text;
    for (int place = 0; place < 4; ++place)
    {
        const int frame = display.getDigit (place)->getShownFrame();
        text << (frame == 0    ? juce::String (" ")
                 : frame <= 10 ? juce::String (frame - 1)
                               : signs[place][frame - 11]);
    }
    return text;
}

/** The editor shown as a host's window shows it. */
class ShownEditor : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        editor().setVisible (true);
        pumpMessages();
    }

    /** A click on the target where the pointer lands on it, not under another control. */
    void clickAt (juce::Component& target, juce::Point<float> at)
    {
        ASSERT_EQ (editor().getComponentAt (editor().getLocalPoint (&target, at.roundToInt())), &target)
            << target.getName() << " is covered at " << at.toString();
        target.mouseDown (pressAt (target, at));
        target.mouseUp (pressAt (target, at));
        pumpMessages();
    }
};

//==============================================================================
/** One row per two-state parameter of the synthesis: it plays its lower setting at or below 0.5. */
class PanelSwitches : public ShownEditor, public ::testing::WithParamInterface<std::pair<int, const char*>>
{
protected:
    void SetUp() override
    {
        ShownEditor::SetUp();
        for (const auto& c : design.controls)
            if (c.parameter == processor().getParameterManager().getParameter (id())->getName())
            {
                ASSERT_EQ (designed, nullptr) << c.name << " is a second control of " << GetParam().second;
                designed = &c;
            }
        ASSERT_NE (designed, nullptr) << GetParam().second;
        ASSERT_EQ (designed->ends.size(), 2u) << designed->name << " has a legend at each end";
        shown = dynamic_cast<GFXSwitch*> (control (designed->name));
        ASSERT_NE (shown, nullptr) << designed->name;
    }

    int id() const { return GetParam().first; }
    juce::String plays() { return processor().getParameterTextById (id()); }
    juce::String shownLegend() { return designed->ends[(size_t) shown->getShownFrame()].word; }

    const PanelLayout::Design design = PanelLayout::makeDesign();
    const PanelLayout::Control* designed = nullptr;
    GFXSwitch* shown = nullptr;
};

TEST_P (PanelSwitches, EachEndIsPrintedWithWhatItPlays)
{
    EXPECT_TRUE (shown->isTwoPosition());
    // Its lower position (frame 0, the slider's minimum) has the lever at the left.
    EXPECT_LT (designed->ends[0].area.getCentreX(), designed->bounds.getCentreX());
    EXPECT_GT (designed->ends[1].area.getCentreX(), designed->bounds.getCentreX());
    for (const int end : {0, 1})
    {
        const auto& legend = designed->ends[(size_t) end];
        setParameter (id(), (float) end);
        EXPECT_TRUE (reads (legend.word, plays()))
            << "at " << end << " '" << legend.word << "' plays " << plays();
        if (legend.symbol != Symbol::none)
        {
            EXPECT_EQ (legend.symbol == Symbol::square ? "SQUARE" : "SAW", legend.word) << "its symbol";
        }
    }
}

TEST_P (PanelSwitches, ShowsWhatPlaysWhenSetByTheHostOrClickedAnywhere)
{
    for (const float v : {0.0f, 0.5f, 0.502f, 1.0f, 0.5f})
    {
        setParameter (id(), v);
        EXPECT_TRUE (reads (shownLegend(), plays()))
            << "at " << v << " shows " << shownLegend() << ", plays " << plays();
    }

    // From the host's 0.5, which plays as the lower end, each click goes to the other end wherever it lands.
    const auto area = shown->getLocalBounds().toFloat().reduced (2.0f);
    float expected = 1.0f;
    for (const auto at : {area.getTopLeft(), area.getCentre(), area.getBottomRight()})
    {
        clickAt (*shown, at);
        EXPECT_EQ (parameterValue (id()), expected) << "clicked at " << at.toString();
        EXPECT_TRUE (reads (shownLegend(), plays())) << "shows " << shownLegend() << ", plays " << plays();
        expected = 1.0f - expected;
    }
}

const std::pair<int, const char*> twoStates[] = {{KelvanorCore::waveformId, "Waveform"},
                                                 {KelvanorCore::accentModeId, "AccentMode"},
                                                 {KelvanorCore::sweepModeId, "SweepMode"},
                                                 {KelvanorCore::distortionStateId, "DistortionState"},
                                                 {KelvanorCore::distortionRouteId, "DistortionRoute"}};
INSTANTIATE_TEST_SUITE_P (TwoStateParameters, PanelSwitches, ::testing::ValuesIn (twoStates),
                          [] (const auto& row) { return std::string (row.param.second); });

//==============================================================================
TEST_F (ShownEditor, PatternDisplayNamesThePatternTheKeysChoose)
{
    const auto* display = editor().getPatternNumberDisplay();
    ASSERT_NE (display, nullptr);

    // Play mode: GATE, ACCENT and SLIDE choose a bank of eight keys, the white keys its patterns.
    const std::pair<const char*, const char*> steps[] = {
        {"Press Gate,Press Note C", "1-01"},
        {"Press Gate,Press Note C1", "1-08"},
        {"Press Accent,Press Note C", "2-01"},
        {"Press Slide,Press Note C1", "3-08"},
        {"Toggle Pattern Write Mode", "3-08"},                   // writes the chosen pattern
        {"Toggle Pattern Write Mode,Toggle Host Mode", "P.B-2"}, // the note 35 that selects pattern 23
        {"Toggle Internal Sequencer", "    "},
    };
    for (const auto& [events, expected] : steps)
    {
        for (const auto& event : juce::StringArray::fromTokens (events, ",", {}))
            fire (processor().getEventsMap().getEventId (event));
        EXPECT_EQ (shownPattern (*display), juce::String (expected)) << "after " << events;
    }
}

/** The knobs of the distortion's tone filters share the row of the one printed SIZE; MIX blends those
    filters with the dry signal. */
class DistortionKnobs : public EditorFixture
{
};

TEST_F (DistortionKnobs, MixAtZeroLeavesTheToneRowUnheardAndAtOneEachOfItsKnobsIsHeard)
{
    const auto design = PanelLayout::makeDesign();
    std::map<juce::String, const PanelLayout::Control*> knobs; // the distortion's, by legend
    for (const auto& c : design.controls)
        if (c.tag == "Knob" && c.name.startsWith ("Dist"))
            knobs[c.label] = &c;
    ASSERT_TRUE (knobs.count ("MIX") == 1 && knobs.count ("SIZE") == 1);

    const auto idOf = [this] (const PanelLayout::Control* c)
    { return processor().getParameterManager().getParameterIdByName (c->parameter); };
    const auto render = [&] (float mix, const PanelLayout::Control* tone, float toneValue)
    {
        // The default preset's sound, distorted.
        KelvanorCore core;
        core.setSampleRate (44100.0f);
        for (int id = 0; id < KelvanorCore::numParameters; ++id)
            core.setParameter (id, parameterValue (id));
        core.setParameter (KelvanorCore::distortionStateId, 1.0f);
        core.setParameter (idOf (knobs["MIX"]), mix);
        core.setParameter (idOf (tone), toneValue);
        core.noteOn (36, 0.8f);
        std::vector<double> out (8192);
        core.renderSamples (out.data(), (int) out.size());
        return out;
    };
    // How loud the change of the tone knob from 0.1 to 0.9 is against the sound, in dB.
    const auto changeLevel = [&] (float mix, const PanelLayout::Control* tone)
    {
        const auto a = render (mix, tone, 0.1f), b = render (mix, tone, 0.9f);
        double change = 0.0, sound = 0.0;
        for (size_t i = 0; i < a.size(); ++i)
            change += (a[i] - b[i]) * (a[i] - b[i]), sound += a[i] * a[i];
        return 10.0 * std::log10 (change / sound + 1.0e-30);
    };

    int toneKnobs = 0;
    for (const auto& [legend, tone] : knobs)
        if (tone->bounds.getY() == knobs["SIZE"]->bounds.getY())
        {
            ++toneKnobs;
            EXPECT_LT (changeLevel (0.0f, tone), -200.0) << legend << " is heard with MIX at 0";
            EXPECT_GT (changeLevel (1.0f, tone), -40.0) << legend << " is not heard with MIX at 1";
        }
    EXPECT_EQ (toneKnobs, 3);
}

TEST_F (ShownEditor, LoadAndSaveOpenTheirMenusBesideTheKeyPressed)
{
    processor().setInternalSequencer (true);
    const std::pair<const char*, PopupMenuEx*> keys[] = {{"PattLoadButton", &editor().getLoadMenu()},
                                                         {"PattSaveButton", &editor().getSaveMenu()}};
    for (const auto& [name, menu] : keys)
    {
        auto* key = control (name);
        ASSERT_NE (key, nullptr) << name;
        clickAt (*key, key->getLocalBounds().getCentre().toFloat());
        ASSERT_TRUE (menu->isOpen() && menu->getMenuComponent()->getNumWindows() > 0) << name;

        auto* window = menu->getMenuComponent()->getWindow (0);
        const auto keyArea = editor().getLocalArea (key, key->getLocalBounds());
        const auto menuArea = editor().getLocalArea (window, window->getLocalBounds());
        EXPECT_TRUE (keyArea.expanded (12).intersects (menuArea))
            << name << " at " << keyArea.toString() << " opened its menu at " << menuArea.toString();

        auto* overlay = menu->getMenuComponent(); // a click beside the menu closes it
        overlay->mouseDown (pressAt (*overlay, {1.0f, 1.0f}));
        pumpMessages();
        ASSERT_FALSE (menu->isOpen()) << name;
    }
}
} // namespace
