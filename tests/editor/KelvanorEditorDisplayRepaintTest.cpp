// The product's panel as the user meets it: a key that disables a display changes what the window shows
// of that display right away, not at the next unrelated full repaint (opening and closing Options).

#include "KelvanorEditorFixture.h"
#include "RepaintRecorder.h"
#include "TestNames.h"
#include "skin/displays/NumericDisplay.h"
#include "skin/displays/PatternNumberDisplay.h"

#include <functional>

namespace KelvanorEditorTest
{
namespace
{
struct DisplayCase
{
    const char* what;
    const char* key; // the panel key clicked; null: the parameter below is set, as a host does
    int parameterId; // set to 1 and back to 0 when there is no key
    juce::Component* (*display) (KelvanorEditor&);
};

class EditorDisplayRepaint : public EditorFixture, public ::testing::WithParamInterface<DisplayCase>
{
protected:
    /** One click of the key (or change of the parameter), in the direction given. */
    void toggle (bool on)
    {
        const auto& c = GetParam();
        if (c.key == nullptr)
        {
            setParameter (c.parameterId, on ? 1.0f : 0.0f);
            return;
        }
        auto* key = dynamic_cast<juce::Button*> (control (c.key));
        ASSERT_NE (key, nullptr) << c.key;
        click (*key);
    }
};

TEST_P (EditorDisplayRepaint, DisplayChangesInTheWindowRightAfterTheKey)
{
    const auto& c = GetParam();
    auto& e = editor(); // on the embedded skin
    ASSERT_EQ (e.getParentComponent(), nullptr);
    e.setVisible (true);
    auto* display = c.display (e);
    ASSERT_NE (display, nullptr);
    const auto area = e.getLocalArea (display, display->getLocalBounds());
    auto& window = RepaintRecorder::install (e);

    for (int i = 0; i < 2; ++i)
    {
        const bool wasEnabled = display->isEnabled();
        const auto before = e.createComponentSnapshot (e.getLocalBounds());
        window.clear();
        toggle (!wasEnabled);
        ASSERT_NE (display->isEnabled(), wasEnabled) << "the key does not switch the display";
        const auto outcome = window.compare (before, e.createComponentSnapshot (e.getLocalBounds()), area);
        const char* const what = wasEnabled ? "disabled" : "enabled";
        EXPECT_GT (outcome.changed, 0) << what;
        EXPECT_EQ (outcome.stale, 0) << what << ": pixels left stale of " << outcome.changed;
    }
}

INSTANTIATE_TEST_SUITE_P (
    Keys, EditorDisplayRepaint,
    ::testing::Values (
        DisplayCase{"clock switches the tempo", "InternalSyncButton", 0,
                    [] (KelvanorEditor& e) -> juce::Component* { return e.getTempoDisplay(); }},
        DisplayCase{"sequencer on switches the shuffle", "SequencerOnButton", 0,
                    [] (KelvanorEditor& e) -> juce::Component* { return e.getShuffleDisplay(); }},
        DisplayCase{"sequencer on switches the pattern number", "SequencerOnButton", 0,
                    [] (KelvanorEditor& e) -> juce::Component* { return e.getPatternNumberDisplay(); }},
        DisplayCase{"arpeggiator mode switches its shuffle", nullptr, Kelvanor::arpeModeId,
                    [] (KelvanorEditor& e) -> juce::Component* { return e.getArpeShuffleDisplay(); }}),
    [] (const auto& named) { return testName (named.param.what); });
} // namespace
} // namespace KelvanorEditorTest
