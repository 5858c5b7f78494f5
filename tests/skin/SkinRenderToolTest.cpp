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
    using Problem = GFXPanel::SizeProblem;
    const struct
    {
        const char* what;
        juce::String width, height;
        float scale;
        Problem problem; // none: a picture of the scaled size is written
    } cases[] = {
        {"a small panel", "64", "40", 0.5f, Problem::none},
        {"a panel scaled to nothing", "3", "1", 0.5f, Problem::noSizeAtScale},
        {"a panel of no width", "0", "40", 1.0f, Problem::noSize},
        {"a panel of more pixels than memory holds", juce::String (GFXPanel::maxSkinCoordinate),
         juce::String (GFXPanel::maxSkinCoordinate), 1.0f, Problem::tooManyPixels},
        {"a panel too large only once scaled", "2048", "2048", 8.0f, Problem::tooManyPixelsAtScale},
        // The editor's window is the panel with the 16 rows of the status bar below it, at most 32767 pixels
        // a side on X: the renderer refuses what the editor refuses.
        {"a panel higher than an X window", "16", "32768", 1.0f, Problem::windowTooHigh},
        {"a panel wider than an X window", "32768", "16", 1.0f, Problem::windowTooWide},
        {"a panel whose window is higher than an X window", "16", "32752", 1.0f, Problem::windowTooHigh},
        {"a panel's height beyond the int range, bounded to one higher than an X window", "16", "4294967296",
         1.0f, Problem::windowTooHigh},
        {"the highest panel whose window X allows", "16", "32751", 1.0f, Problem::none},
        // A picture is no window: scaled, only its pixels count; the window is the editor's, at its size.
        {"a panel drawn higher than an X window", "16", "16384", 2.0f, Problem::none},
        {"a panel higher than an X window drawn smaller", "16", "32768", 0.5f, Problem::windowTooHigh},
    };
    for (const auto& c : cases)
    {
        TemporaryFolder folder;
        writeUserSkin (folder.getFolder(), "Panel",
                       skinEntries (textBlock (skinDocument (
                           "<size width='" + c.width + "' height='" + c.height + "'/>", "Kelvanor"))));
        const auto picture = folder.getChildFile ("panel.png");

        const auto start = juce::Time::getMillisecondCounterHiRes();
        juce::ChildProcess tool;
        ASSERT_TRUE (
            tool.start (juce::StringArray{KELVANOR_SKIN_RENDER_PATH, "--skin",
                                          folder.getChildFile ("Panel.zebskin").getFullPathName(), "--scale",
                                          juce::String (c.scale), picture.getFullPathName()},
                        juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr));
        const auto output = tool.readAllProcessOutput();
        tool.waitForProcessToFinish (60000);
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 20000.0) << c.what;
        if (c.problem == Problem::none)
        {
            EXPECT_EQ (tool.getExitCode(), 0u) << c.what << ": " << output;
            const auto image = juce::ImageFileFormat::loadFrom (picture);
            EXPECT_EQ (image.getBounds(),
                       juce::Rectangle<int> (juce::roundToInt (c.scale * c.width.getFloatValue()),
                                             juce::roundToInt (c.scale * c.height.getFloatValue())))
                << c.what;
        }
        else
        {
            EXPECT_EQ (tool.getExitCode(), 1u) << c.what << ": " << output;
            const bool ofThePicture =
                c.problem == Problem::noSizeAtScale || c.problem == Problem::tooManyPixelsAtScale;
            EXPECT_EQ (output.trim(), juce::String ("kelvanor_skin_render: ") +
                                          (ofThePicture ? "at scale " + juce::String (c.scale) +
                                                              " the panel's picture cannot be drawn: "
                                                        : "the plug-in would refuse the skin: ") +
                                          GFXPanel::describeSizeProblem (c.problem))
                << c.what;
            EXPECT_FALSE (picture.exists()) << c.what;
        }
    }
}
} // namespace
