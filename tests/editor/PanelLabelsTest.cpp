// The built-in panel's printed control labels, read from the layout its artwork is drawn from.

#include "tools/PanelArtwork.h"
#include "tools/PanelLayout.h"

#include <gtest/gtest.h>

namespace
{
TEST (PanelLabels, NeighboursOnOneLineReadAsSeparateWords)
{
    struct Printed
    {
        juce::String text;
        juce::Rectangle<float> ink; // the text's own extent, centred in its box
    };
    const auto font = PanelArtwork::silkFont (PanelLayout::labelTextHeight, true);
    std::vector<Printed> printed;
    for (const auto& c : PanelLayout::makeDesign().controls)
        if (const auto box = PanelLayout::labelBox (c); !box.isEmpty())
            printed.push_back (
                {c.label, box.withSizeKeepingCentre (font.getStringWidthFloat (c.label), box.getHeight())});
    ASSERT_GT (printed.size(), 50u);

    // Every other pair on the panel keeps at least half a letter's height apart: so do these.
    const float minimumGap = PanelLayout::labelTextHeight / 2.0f;
    for (const auto& left : printed)
        for (const auto& right : printed)
            if (left.ink.getY() < right.ink.getBottom() && right.ink.getY() < left.ink.getBottom() &&
                right.ink.getCentreX() > left.ink.getCentreX())
            {
                EXPECT_GE (right.ink.getX() - left.ink.getRight(), minimumGap)
                    << left.text << " and " << right.text << " run together";
            }
}
} // namespace
