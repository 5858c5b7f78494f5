// The digit and note displays draw their disabled picture from their own and their parents' enablement,
// so a change of either must ask for a repaint of what they cover, not wait for an unrelated one.

#include "RepaintRecorder.h"
#include "skin/SkinTestSupport.h"
#include "skin/displays/NoteDisplay.h"
#include "skin/displays/NumericDisplay.h"
#include "skin/displays/PatternNumberDisplay.h"

using namespace SkinTest;

namespace
{
struct EnablementCase
{
    const char* what;
    const char* xml; // the tag names the class
};

class DisplayEnablement : public SourceTest, public ::testing::WithParamInterface<EnablementCase>
{
protected:
    DisplayEnablement()
    {
        embed ({{"digit.png", makeStrip (11, 10, 20)},
                {"sign.png", makeStrip (2, 10, 20)},
                {"notes.png", makeStrip (9, 10, 16)},
                {"tones.png", makeStrip (3, 8, 16)},
                {"octaves.png", makeStrip (13, 12, 16)},
                {"first.png", makeStrip (12, 10, 20)},
                {"second.png", makeStrip (19, 10, 20)},
                {"third.png", makeStrip (13, 10, 20)},
                {"fourth.png", makeStrip (11, 10, 20)}});
    }

    /** The display of the case, showing something that differs from its disabled picture. */
    std::unique_ptr<juce::Component> makeDisplay()
    {
        const juce::String xml (GetParam().xml);
        if (xml.startsWith ("<NumericDisplay"))
        {
            auto display = std::make_unique<NumericDisplay> ("d");
            load (*display, xml);
            display->setValue (-13.0, false);
            return display;
        }
        if (xml.startsWith ("<NoteDisplay"))
        {
            auto display = std::make_unique<NoteDisplay> ("d");
            load (*display, xml);
            display->updateFromParameter (&parameter ("Note"));
            return display;
        }
        auto display = std::make_unique<PatternNumberDisplay> ("d");
        load (*display, xml);
        display->setNumber (61);
        return display;
    }
};

TEST_P (DisplayEnablement, RepaintsAtOnceWhenItOrItsParentChanges)
{
    // panel > section > display, as in an editor
    juce::Component panel, section;
    panel.setBounds (0, 0, 120, 60);
    section.setBounds (10, 10, 100, 40);
    panel.addAndMakeVisible (section);
    const auto display = makeDisplay();
    display->setTopLeftPosition (5, 5);
    section.addAndMakeVisible (*display);
    panel.setVisible (true);
    auto& window = RepaintRecorder::install (panel);
    const auto area = panel.getLocalArea (display.get(), display->getLocalBounds());

    for (auto* switched : {display.get(), &section})
        for (const bool enabled : {false, true})
        {
            const auto before = panel.createComponentSnapshot (panel.getLocalBounds());
            window.clear();
            switched->setEnabled (enabled);
            const auto outcome =
                window.compare (before, panel.createComponentSnapshot (panel.getLocalBounds()), area);
            const auto what = juce::String (switched == &section ? "section " : "display ") +
                              (enabled ? "enabled" : "disabled");
            EXPECT_GT (outcome.changed, 0) << what;
            EXPECT_EQ (outcome.stale, 0) << what;
        }
}

INSTANTIATE_TEST_SUITE_P (
    Displays, DisplayEnablement,
    ::testing::Values (
        EnablementCase{
            "numeric digits and sign from strips",
            "<NumericDisplay name='d' digitsNum='2' firstDigitOrder='10' minValue='-20' maxValue='20'>"
            "<digits resource='digit.png'/><sign><gfx resource='sign.png'/></sign></NumericDisplay>"},
        EnablementCase{
            "numeric digits and sign drawn",
            "<NumericDisplay name='d' digitsNum='2' firstDigitOrder='10' minValue='-20' maxValue='20'>"
            "<size width='36' height='16'/></NumericDisplay>"},
        EnablementCase{"note from strips",
                       "<NoteDisplay name='d'><gfx><notes resource='notes.png'/><tones resource='tones.png'/>"
                       "<octaves resource='octaves.png'/></gfx></NoteDisplay>"},
        EnablementCase{"note drawn", "<NoteDisplay name='d'><size width='36' height='16'/></NoteDisplay>"},
        EnablementCase{"pattern number from strips",
                       "<PatternNumberDisplay name='d'><gfx firstDigit='first.png' secondDigit='second.png' "
                       "thirdDigit='third.png' fourthDigit='fourth.png'/></PatternNumberDisplay>"}),
    [] (const auto& named) { return testName (named.param.what); });
} // namespace
