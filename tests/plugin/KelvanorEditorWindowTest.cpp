#include "KelvanorPluginTestSupport.h"
#include "XvfbDisplay.h"
#include "tools/HostEditor.h"

namespace
{
/** The product's panel while it has no skin of its own: 800 x 600, with the 16-pixel status bar below. */
constexpr int panelWidth = 800;
constexpr int panelHeight = 600 + 16;

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
} // namespace

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
    EXPECT_EQ (session.getEditorRect(), juce::Rectangle<int> (0, 0, panelWidth, panelHeight));
    ASSERT_TRUE (session.open());
    EXPECT_GE (session.waitForFirstPaint (10.0), 0.0);

    for (int cycle = 0; cycle < 50; ++cycle)
    {
        session.close();
        plugin->dispatch (effEditIdle);
        ASSERT_EQ (session.getEditorRect(), juce::Rectangle<int> (0, 0, panelWidth, panelHeight)) << cycle;
        ASSERT_TRUE (session.open()) << cycle;
        plugin->dispatch (effEditIdle);
        plugin->dispatch (effEditIdle); // idle twice in a row, as hosts do
    }

    // The editor draws again after the cycles: the window does not stay at its own background.
    EXPECT_GE (session.waitForFirstPaint (10.0), 0.0);
    const auto image = window.capture();
    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getPixelAt (5, 5), juce::Colours::black);

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
    EXPECT_TRUE (output.contains ("Editor size:     800 x 616")) << output;
    EXPECT_TRUE (output.contains ("First paint:")) << output;
    EXPECT_TRUE (output.contains ("Editor cycles:   3")) << output;
    EXPECT_TRUE (output.contains ("Closed with the editor open")) << output;

    const auto image = juce::ImageFileFormat::loadFrom (screenshot);
    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getWidth(), panelWidth);
    EXPECT_EQ (image.getHeight(), panelHeight);
    EXPECT_EQ (image.getPixelAt (panelWidth - 5, 5), juce::Colours::black);
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
