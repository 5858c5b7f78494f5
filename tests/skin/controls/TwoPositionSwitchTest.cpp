// A switch over a strip of two frames: a press flips it, and nothing leaves it between its two positions.

#include "ControlTestFixture.h"
#include "skin/controls/GFXSwitch.h"

namespace
{
using namespace SkinTest;

TEST_F (ControlTest, ATwoPositionSwitchFlipsOnAPressWithOneGestureAndNothingMovesItBetween)
{
    auto* control = build<GFXSwitch> (
        element ("Switch", "Resonance", 2, "style='Horizontal'", "<size width='40' height='40'/>"));
    ASSERT_NE (control, nullptr);
    auto& p = plugin.parameter ("Resonance");
    hostSets (p, 1.0f);

    GestureCounter counter;
    p.addListener (&counter);
    press (*control, {39.0f, 20.0f});
    for (const float x : {1.0f, 25.0f, 39.0f})
        control->mouseDrag (dragEvent (*control, {39.0f, 20.0f}, {x, 20.0f}, Mods::leftButtonModifier));
    release (*control, {39.0f, 20.0f});
    p.removeListener (&counter);
    EXPECT_EQ (p.getValueNormalised(), 0.0f)
        << "pressed at the upper end, it still went down; the drag added nothing";
    EXPECT_EQ (counter.begins, 1);
    EXPECT_EQ (counter.ends, 1);

    for (const auto& [attempt, stands] : {std::pair (0.3, 0.0), std::pair (0.7, 1.0)})
    {
        control->setValue (attempt, juce::dontSendNotification); // keys, wheel and accessibility land here
        EXPECT_EQ (control->getValue(), stands) << attempt;
    }
}
} // namespace
