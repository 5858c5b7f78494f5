#include "SkinTestSupport.h"
#include "skin/controls/GFXMultiStateButton.h"
#include "skin/displays/GFXDisplay.h"
#include "skin/panel/GFXPanel.h"

#include <gtest/gtest.h>

// A skin's numbers come from outside: near the int range they overflowed the controls' arithmetic. The
// panel bounds them once, before any control reads its element.
namespace
{
using namespace SkinTest;

TEST (SkinNumberBounds, RewritesOnlyTheNumbersControlsReadThatLieBeyondTheirKindsLimit)
{
    const juce::String coordinate (GFXPanel::maxSkinCoordinate), count (GFXPanel::maxSkinCount),
        font (GFXPanel::maxSkinFontHeight), value (GFXPanel::maxSkinValue);
    const struct
    {
        const char* element;
        const char* path; // of the element below that carries the attribute
        const char* attribute;
        juce::String expected;
    } cases[] = {
        {"<MultiStateButton states='1073741824'/>", "", "states", count},
        {"<pos left='2147483000' top='-2147483648'/>", "", "left", coordinate},
        {"<pos left='2147483000' top='-2147483648'/>", "", "top", "-" + coordinate},
        {"<size width='99999999999999999999' height=' -40000px'/>", "", "width", coordinate},
        {"<size width='99999999999999999999' height=' -40000px'/>", "", "height", "-" + coordinate},
        {"<gfx framesNum='4' fontHeight='268435456'/>", "", "framesNum", "4"},
        {"<gfx framesNum='4' fontHeight='268435456'/>", "", "fontHeight", font},
        {"<Display fontHeight='1024'/>", "", "fontHeight", "1024"},
        {"<NumericDisplay digitsNum='4294967297'/>", "", "digitsNum", count},
        {"<PatternNumberDisplay notePatternMax='-2147483648'/>", "", "notePatternMax", "-" + value},
        // A font's height reads as a real number; a size's height as a whole one, so "1e30" reads 1.
        {"<FONT height='-1e30'/>", "", "height", "-" + font},
        {"<font height='12.5'/>", "", "height", "12.5"},
        {"<font height='1e999'/>", "", "height", "1e999"},
        {"<size height='1e30'/>", "", "height", "1e30"},
        // A font's kerning, in font heights, reads as a real number too.
        {"<font extraKerning='-65536'/>", "", "extraKerning", "-1"},
        {"<font extraKerning='1e30'/>", "", "extraKerning", "1"},
        {"<font extraKerning='-0.25'/>", "", "extraKerning", "-0.25"},
        {"<gfx extraKerning='-65536'/>", "", "extraKerning", "-65536"},
        // What reads as no number, or as a small one, or is no number a control reads, stays.
        {"<pos left='abc'/>", "", "left", "abc"},
        {"<pos left='+99999'/>", "", "left", "+99999"},
        {"<pos left='70 000'/>", "", "left", "70 000"},
        {"<pos LEFT='99999'/>", "", "LEFT", "99999"},
        {"<Knob name='99999999999'/>", "", "name", "99999999999"},
        // At any depth.
        {"<Panel><controls ofsX='70000'><Knob><pos left='-40000'/></Knob></controls></Panel>", "controls",
         "ofsX", coordinate},
        {"<Panel><controls ofsX='70000'><Knob><pos left='-40000'/></Knob></controls></Panel>",
         "controls/Knob/pos", "left", "-" + coordinate},
    };
    for (const auto& c : cases)
    {
        auto element = XmlHelpers::parse (juce::String (c.element));
        ASSERT_NE (element, nullptr) << c.element;
        GFXPanel::boundSkinNumbers (*element);

        const juce::XmlElement* target = element.get();
        for (const auto& tag : juce::StringArray::fromTokens (c.path, "/", ""))
            target = target != nullptr ? XmlHelpers::findChild (*target, tag) : nullptr;
        ASSERT_NE (target, nullptr) << c.element;
        EXPECT_EQ (target->getStringAttribute (c.attribute), c.expected) << c.element << " " << c.attribute;
    }
}

using SkinNumberOverflow = SourceTest;

TEST_F (SkinNumberOverflow, TheNumbersThatOverflowedBuildAPanelThatPaintsScaled)
{
    embed ({{"strip.png", makeStrip (4, 10, 6)}, {"font.png", makeStrip (8, 5, 8)}});
    const auto root =
        XmlHelpers::parse (skinDocument ("<pos left='2147483000' top='2147483600'/><size width='1000' "
                                         "height='100'/><controls ofsX='2147483000'>"
                                         "<MultiStateButton name='multi' states='1073741824' style='3D'><gfx "
                                         "resource='strip.png'/></MultiStateButton>"
                                         "<Display name='text'><gfx resource='font.png' "
                                         "fontHeight='268435456'/><size width='40' height='12'/></Display>"
                                         "<Knob name='knob'><pos left='2147483000'/><size width='2147483000' "
                                         "height='10'/></Knob></controls>"));
    const auto panel = source.createMainPanel (*root);
    ASSERT_NE (panel, nullptr);

    constexpr int coordinate = GFXPanel::maxSkinCoordinate;
    EXPECT_EQ (panel->getBounds(), juce::Rectangle<int> (coordinate, coordinate, 1000, 100));
    auto* knob = panel->getControlComponent (2);
    ASSERT_NE (knob, nullptr);
    EXPECT_EQ (knob->getBounds(), juce::Rectangle<int> (2 * coordinate, 0, coordinate, 10));

    auto* multi = dynamic_cast<GFXMultiStateButton*> (panel->findControl ("multi"));
    auto* text = dynamic_cast<GFXDisplay*> (panel->findControl ("text"));
    ASSERT_TRUE (multi != nullptr && text != nullptr);
    EXPECT_EQ (multi->getStatesNum(), GFXPanel::maxSkinCount);
    EXPECT_EQ (text->getFont().fontHeight, GFXPanel::maxSkinFontHeight);
    multi->setState (GFXPanel::maxSkinCount - 1);
    text->setText ("ABC");
    for (juce::Component* control : {(juce::Component*) multi, (juce::Component*) text})
        control->createComponentSnapshot (control->getLocalBounds(), true, 2.0f);
}
} // namespace
