#include "ImageTestSupport.h"
#include "PngTestSupport.h"
#include "SkinTestSupport.h"
#include "skin/controller/BaseGFXController.h"
#include "skin/displays/TextInput.h"
#include "skin/panel/GFXPanel.h"

#include <gtest/gtest.h>

// A skin of a few kilobytes can still ask for what no panel needs: a number that JUCE's geometry multiplies
// past the int range, more pixels than memory holds, the same hopeless decode again and again, a JPEG that
// never ends. Each case is the shape the hostile-skin runs found, made small.
namespace
{
using namespace SkinTest;

class HostileSkinLimits : public UserSkinTest
{
protected:
    /** Writes the skin of that main panel and images, then builds it within what a hostile skin may cost. */
    std::unique_ptr<GFXPanel> build (const juce::String& mainPanelBody, const ImageFiles& images,
                                     const std::string& label)
    {
        writeSkin (textBlock (skinDocument (mainPanelBody)), images);
        std::unique_ptr<GFXPanel> panel;
        expectAffordable ([&] { panel = buildSkin(); }, label);
        return panel;
    }
};

TEST_F (HostileSkinLimits, AFontsKerningIsBoundedAndItsTextPaintsAndEditsAtAnyLength)
{
    const auto longText = juce::String::repeatedString ("Il", 12000);
    const struct
    {
        const char* kerning;
        const char* height;
        juce::String text;
        float expected;
    } cases[] = {
        {"-65536", "13", "PatternNameField", -1.0f}, // the reproducer: the renderer died in JUCE's edge table
        {"65536", "13", "PatternNameField", 1.0f},
        {"-3.4e38", "13", "Name", -1.0f},
        {"-0.05", "13", "Name", -0.05f},
        {"0.5", "13", "Name", 0.5f},
        // Within the bounds, a text much longer than its field still went far beyond the edge tables' range.
        {"-1", "1024", longText, -1.0f},
        {"0", "1024", longText, 0.0f},
        {"1", "1024", longText, 1.0f},
    };
    for (const auto& c : cases)
    {
        const auto panel = build ("<size width='300' height='60'/><controls>" +
                                      textInputWithFont (c.text, c.height, c.kerning) +
                                      "<size width='300' height='60'/></TextInput></controls>",
                                  {}, c.kerning);
        ASSERT_NE (panel, nullptr) << c.kerning;
        auto* input = dynamic_cast<TextInput*> (panel->getControl (0));
        ASSERT_NE (input, nullptr) << c.kerning;
        EXPECT_FLOAT_EQ (input->getFont().getExtraKerningFactor(), c.expected) << c.kerning;
        EXPECT_EQ (input->getText(), c.text.substring (0, TextInput::maxTextLength)) << c.kerning;

        panel->createComponentSnapshot (panel->getLocalBounds(), true, 8.0f);
        input->showEditor();
        ASSERT_TRUE (input->isEditing()) << c.kerning;
        panel->createComponentSnapshot (panel->getLocalBounds(), true, 8.0f);
    }
}

TEST_F (HostileSkinLimits, ImagesThatCostWithoutEndAreGivenUpWithinTimeAndMemory)
{
    // The reproducers, each a few kilobytes once zipped.
    ImageFiles small, large;
    for (int i = 0; i < 40; ++i)
    {
        small["image" + juce::String (i) + ".png"] = PngBytes::writeFlat (256, 256, frameColour (i));
        large["image" + juce::String (i) + ".png"] = PngBytes::writeFlat (4096, 4096, frameColour (i));
    }
    const ImageFiles broken{
        {"broken.png", PngBytes::cutInsideData (PngBytes::writeFlat (4096, 4096, juce::Colours::red), 0.9)}},
        scans{{"scans.jpg", JpegBytes::writeWithScans (1024, 1024, 40000)}};

    const struct
    {
        const char* what;
        const ImageFiles& images;
        int controlsPerImage;
        bool built, imaged;
    } cases[] = {
        {"40 small images", small, 1, true, true},
        {"40 different images of the largest size: 2.7 GB together", large, 1, false, false},
        {"a thousand controls on an image cut inside its data: 0.17 s each", broken, 1000, true, false},
        {"a JPEG of one AC scan repeated 40,000 times: 44 s", scans, 1, true, false},
    };
    for (const auto& c : cases)
    {
        const auto panel = build ("<size width='64' height='64'/><controls>" +
                                      controlsShowing (c.images, c.controlsPerImage) + "</controls>",
                                  c.images, c.what);
        ASSERT_EQ (panel != nullptr, c.built) << c.what;
        for (int i = 0; panel != nullptr && i < panel->getNumControls(); ++i)
            EXPECT_EQ (dynamic_cast<BaseGFXController*> (panel->getControl (i))->hasImage(), c.imaged)
                << c.what;
    }
}
} // namespace
