#include "KelvanorPluginTestSupport.h"
#include "XvfbDisplay.h"
#include "tools/HostEditor.h"

namespace
{
constexpr int statusBarHeight = 16;

/** The editor's size as the embedded skin makes it: the main panel (its background image's size, else its
    "size"), or the fallback 800 x 600 without an embedded skin; the status bar below it. */
juce::Rectangle<int> expectedEditorRect()
{
    const juce::File resources (KELVANOR_RESOURCES_DIR);
    juce::Point<int> panel (800, 600);
    if (const auto skin = juce::parseXML (resources.getChildFile ("skin.xml")))
        for (const auto* element : skin->getChildIterator())
            if (element->getStringAttribute ("name") == "MainPanel")
            {
                if (const auto* size = element->getChildByName ("size"))
                    panel = {size->getIntAttribute ("width"), size->getIntAttribute ("height")};
                if (const auto* gfx = element->getChildByName ("gfx"))
                {
                    const auto name = gfx->getStringAttribute ("resource");
                    const int frames = juce::jmax (1, gfx->getIntAttribute ("framesNum", 1));
                    for (const auto& file : resources.findChildFiles (juce::File::findFiles, true, name))
                        if (const auto image = juce::ImageFileFormat::loadFrom (file); image.isValid())
                            panel = {image.getWidth(), image.getHeight() / frames};
                }
            }
    return {0, 0, panel.x, panel.y + statusBarHeight};
}

/** Runs the command-line host and answers its exit code and standard output. */
std::pair<int, juce::String> runHost (const juce::StringArray& arguments)
{
    juce::ChildProcess host;
    juce::StringArray command{KELVANOR_HOST_PATH, kelvanorPluginFile().getFullPathName()};
    command.addArray (arguments);
    if (!host.start (command, juce::ChildProcess::wantStdOut))
        return {-1, {}};
    const auto output = host.readAllProcessOutput();
    host.waitForProcessToFinish (60000);
    return {(int) host.getExitCode(), output};
}

/** Pixels of the window's own background still showing, every third row and column. */
int uncoveredPixels (const juce::Image& image)
{
    int uncovered = 0;
    for (int y = 0; y < image.getHeight(); y += 3)
        for (int x = 0; x < image.getWidth(); x += 3)
            uncovered += image.getPixelAt (x, y).getARGB() == HostEditorWindow::backgroundArgb ? 1 : 0;
    return uncovered;
}
} // namespace

// Under a window manager a host's window is shown only once the window manager maps it. Each test runs in
// a process of its own, so this window is mapped the moment the private display is ready, while the window
// manager may still be starting: it must be shown all the same.
TEST (KelvanorEditorWindow, AHostWindowMappedAsSoonAsTheDisplayIsReadyIsShown)
{
    KELVANOR_REQUIRE_XVFB();
    if (!XvfbDisplay::hasWindowManager())
        GTEST_SKIP() << "a bare X server maps a window at once";
    const HostEditorWindow window (320, 200);
    EXPECT_TRUE (window.isValid()) << window.getError();
}

TEST (KelvanorEditorWindow, OpensAtThePanelSizeAndSurvivesFiftyCyclesAndClosingWhileOpen)
{
    KELVANOR_REQUIRE_XVFB();
    ScopedPluginHome home;
    auto plugin = openKelvanor();
    ASSERT_TRUE (plugin->isOpen());
    ASSERT_NE (plugin->getFlags() & effFlagsHasEditor, 0);

    HostEditorWindow window (320, 200);
    ASSERT_TRUE (window.isValid()) << window.getError();
    HostEditorSession session (*plugin, window);

    // The size is known before the first window opens, and stays through every cycle.
    const auto expected = expectedEditorRect();
    EXPECT_EQ (session.getEditorRect(), expected);
    ASSERT_TRUE (session.open());
    EXPECT_GE (session.waitForFirstPaint (HostEditorSession::defaultTimeoutSeconds), 0.0);

    for (int cycle = 0; cycle < 50; ++cycle)
    {
        session.close();
        plugin->dispatch (effEditIdle);
        ASSERT_EQ (session.getEditorRect(), expected) << cycle;
        ASSERT_TRUE (session.open()) << cycle;
        plugin->dispatch (effEditIdle);
        plugin->dispatch (effEditIdle); // idle twice in a row, as hosts do
    }

    // The editor draws again after the cycles, and comes to cover the whole window: no pixel of the
    // window's own background is left.
    juce::Image image;
    EXPECT_TRUE (session.idleUntil (
        [&]
        {
            image = window.capture();
            return image.isValid() && uncoveredPixels (image) == 0;
        }))
        << uncoveredPixels (image) << " pixels of the window's background still show";
    EXPECT_EQ (image.getBounds(), expected);

    // Closing the plug-in with the editor open (a host that quits) is safe; later calls reach nothing.
    plugin->close();
    EXPECT_FALSE (plugin->isOpen());
}

TEST (KelvanorEditorWindow, HostToolEditorModeReportsSizeFirstPaintCyclesAndAScreenshot)
{
    KELVANOR_REQUIRE_XVFB();
    ScopedPluginHome home;
    TemporaryFolder folder;
    const auto screenshot = folder.getChildFile ("editor.png");

    const auto [code, output] =
        runHost ({"--editor", "--idle", "0.1", "--editor-cycles", "3", "--click", "10,10", "--screenshot",
                  screenshot.getFullPathName(), "--close-with-editor-open"});
    ASSERT_EQ (code, 0) << output;
    const auto expected = expectedEditorRect();
    EXPECT_TRUE (output.contains ("Editor size:     " + juce::String (expected.getWidth()) + " x " +
                                  juce::String (expected.getHeight())))
        << output;
    EXPECT_TRUE (output.contains ("First paint:")) << output;
    EXPECT_TRUE (output.contains ("Editor cycles:   3")) << output;
    EXPECT_TRUE (output.contains ("Closed with the editor open")) << output;

    const auto image = juce::ImageFileFormat::loadFrom (screenshot);
    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getBounds(), expected);
    EXPECT_NE (image.getPixelAt (expected.getWidth() / 2, expected.getHeight() / 2).getARGB(),
               HostEditorWindow::backgroundArgb);
}

TEST (KelvanorEditorWindow, HostToolRefusesEditorOptionsWithoutTheEditorAndFailsWithoutADisplay)
{
    ScopedPluginHome home;
    EXPECT_EQ (runHost ({"--click", "1,1"}).first, 1);
    EXPECT_EQ (runHost ({"--editor", "--click", "1"}).first, 1);

    // No display at all: the editor mode says so instead of crashing.
    const juce::String display = std::getenv ("DISPLAY") != nullptr ? std::getenv ("DISPLAY") : "";
    ::setenv ("DISPLAY", ":9999", 1);
    EXPECT_EQ (runHost ({"--editor"}).first, 4);
    if (display.isNotEmpty())
        ::setenv ("DISPLAY", display.toRawUTF8(), 1);
    else
        ::unsetenv ("DISPLAY");
}
