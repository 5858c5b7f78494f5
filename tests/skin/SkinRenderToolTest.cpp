#include "SkinTestSupport.h"
#include "skin/panel/GFXPanel.h"

#include <gtest/gtest.h>

// The skin renderer reads user skins too: a main panel it cannot draw, at the size asked for, is refused
// with a message and a failing exit, never a crash in libpng or a picture of gigabytes.
namespace
{
using namespace SkinTest;

TEST (SkinRenderTool, RefusesAMainPanelItCannotDrawAtTheScaleAskedFor)
{
    const juce::String tooLarge = "larger than " + juce::String (GFXPanel::maxSkinPanelPixels) + " pixels";
    const struct
    {
        const char* what;
        int width, height;
        const char* scale;
        juce::String message; // empty: a picture of the scaled size is written
    } cases[] = {
        {"a small panel", 64, 40, "0.5", {}},
        {"a panel scaled to nothing", 3, 1, "0.5", "at scale 0.5 the panel's picture has no size"},
        {"a panel of no width", 0, 40, "1", "the skin's main panel has no size"},
        {"a panel of more pixels than memory holds", GFXPanel::maxSkinCoordinate, GFXPanel::maxSkinCoordinate,
         "1", "the skin's main panel is " + tooLarge},
        {"a panel too large only once scaled", 2048, 2048, "8",
         "at scale 8 the panel's picture is " + tooLarge},
    };
    for (const auto& c : cases)
    {
        TemporaryFolder folder;
        writeUserSkin (
            folder.getFolder(), "Panel",
            skinEntries (textBlock (skinDocument ("<size width='" + juce::String (c.width) + "' height='" +
                                                      juce::String (c.height) + "'/>",
                                                  "Kelvanor"))));
        const auto picture = folder.getChildFile ("panel.png");

        const auto start = juce::Time::getMillisecondCounterHiRes();
        juce::ChildProcess tool;
        ASSERT_TRUE (tool.start (juce::StringArray{KELVANOR_SKIN_RENDER_PATH, "--skin",
                                                   folder.getChildFile ("Panel.zebskin").getFullPathName(),
                                                   "--scale", c.scale, picture.getFullPathName()},
                                 juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr));
        const auto output = tool.readAllProcessOutput();
        tool.waitForProcessToFinish (60000);
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 20000.0) << c.what;
        if (c.message.isEmpty())
        {
            EXPECT_EQ (tool.getExitCode(), 0u) << c.what << ": " << output;
            const auto image = juce::ImageFileFormat::loadFrom (picture);
            EXPECT_EQ (image.getBounds(), juce::Rectangle<int> (c.width / 2, c.height / 2)) << c.what;
        }
        else
        {
            EXPECT_EQ (tool.getExitCode(), 1u) << c.what << ": " << output;
            EXPECT_EQ (output.trim(), "kelvanor_skin_render: " + c.message) << c.what;
            EXPECT_FALSE (picture.exists()) << c.what;
        }
    }
}
} // namespace
