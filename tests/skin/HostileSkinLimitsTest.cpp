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

const juce::String skinName = "Costly";

class HostileSkinLimits : public SourceTest
{
protected:
    /** Writes the skin of that main panel and images, then builds it; the cost is that of building. */
    std::unique_ptr<GFXPanel> build (const juce::String& mainPanelBody,
                                     const std::map<juce::String, juce::MemoryBlock>& images, Cost& cost)
    {
        Entries entries{{"skin.xml", textBlock (skinDocument (mainPanelBody))}};
        entries.insert (entries.end(), images.begin(), images.end());
        writeUserSkin (plugin.getSkinsFolder(), skinName, entries);

        std::unique_ptr<GFXPanel> panel;
        cost = costOf (
            [&]
            {
                SkinSource userSkin (plugin, skinName);
                panel = userSkin.createEditorPanel();
            });
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
        Cost cost;
        const auto panel = build ("<size width='300' height='60'/><controls><TextInput name='" + c.text +
                                      "'><font name='Sans' height='" + c.height + "' extraKerning='" +
                                      c.kerning + "'/><size width='300' height='60'/></TextInput></controls>",
                                  {}, cost);
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
/** A main panel of one animation per image name, in order. */
juce::String animationsOf (const juce::StringArray& imageNames)
{
    juce::String controls;
    for (const auto& name : imageNames)
        controls << "<Animation name='a'><gfx resource='" << name << "'/></Animation>";
    return "<size width='64' height='64'/><controls>" + controls + "</controls>";
}

TEST_F (HostileSkinLimits, TheImagesOfASkinShareOneBudgetOfPixels)
{
    const struct
    {
        const char* what;
        int count, side;
        bool built;
    } cases[] = {
        {"many small images", 40, 256, true},
        // The reproducer: each passes its own limit, and together they took 2.7 GB.
        {"40 different images of the largest size", 40, 4096, false},
    };
    for (const auto& c : cases)
    {
        juce::StringArray names;
        std::map<juce::String, juce::MemoryBlock> images;
        for (int i = 0; i < c.count; ++i)
        {
            names.add ("image" + juce::String (i) + ".png");
            images[names[i]] = PngBytes::writeFlat (c.side, c.side, frameColour (i));
        }
        ASSERT_EQ ((juce::int64) c.side * c.side <= SkinSource::maxImagePixels, true) << c.what;

        Cost cost;
        const auto panel = build (animationsOf (names), images, cost);
        EXPECT_EQ (panel != nullptr, c.built) << c.what;
        EXPECT_LT (cost.seconds, secondsPerHostileSkin) << c.what;
        EXPECT_LT (cost.peakBytes, bytesPerHostileSkin) << c.what;
    }
}

TEST_F (HostileSkinLimits, AnImageThatCannotBeDecodedIsTriedOnceForAllItsControls)
{
    // The reproducer: a large image cut inside its data, named by a thousand controls, took 0.17 s each.
    auto broken = PngBytes::writeFlat (4096, 4096, juce::Colours::red);
    const auto data = PngBytes::findChunk (broken, "IDAT");
    broken.setSize (data.dataOffset + data.length * 9 / 10);

    Cost cost;
    juce::StringArray names;
    for (int i = 0; i < 1000; ++i)
        names.add ("broken.png");
    const auto panel = build (animationsOf (names), {{"broken.png", broken}}, cost);
    ASSERT_NE (panel, nullptr);
    ASSERT_EQ (panel->getNumControls(), 1000);
    for (int i = 0; i < panel->getNumControls(); ++i)
        EXPECT_FALSE (dynamic_cast<BaseGFXController*> (panel->getControl (i))->hasImage()) << i;
    EXPECT_LT (cost.seconds, secondsPerHostileSkin);
}
TEST_F (HostileSkinLimits, AJpegOfEndlessScansIsRefusedInTime)
{
    // The reproducer: one AC scan repeated 40,000 times, a few kilobytes once zipped, kept libjpeg busy.
    Cost cost;
    const auto panel = build (animationsOf ({"scans.jpg"}),
                              {{"scans.jpg", JpegBytes::writeWithScans (1024, 1024, 40000)}}, cost);
    ASSERT_NE (panel, nullptr);
    EXPECT_FALSE (dynamic_cast<BaseGFXController*> (panel->getControl (0))->hasImage());
    EXPECT_LT (cost.seconds, secondsPerHostileSkin);
}
} // namespace
