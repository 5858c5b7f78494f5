#include "editor/AboutWindow.h"
#include "SilentTestPlugin.h"
#include "TestNames.h"
#include "TestSupport.h"
#include "editor/OptionsWindow.h"
#include "engine/KelvanorTestHarness.h"
#include "framework/BasePlugin.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
class AboutPlugin : public SilentTestPlugin
{
public:
    AboutPlugin()
    {
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));
        Info designation;
        designation.version = "1.9.5";
        designation.description = "Vintage Bassline";
        designation.pluginFormat = "VST";
        designation.architecture = "64bit";
        designation.buildCode = "B7";
        designation.buildDate = "2026-12-07";
        designation.webAddress = "https://example.org/kelvanor";
        setSoftwareDesignation (designation);
    }
    ~AboutPlugin() override { BasePlugin::overrideApplicationDataFolders ({}, {}); }

    juce::String getProductName() const override { return "Kelvanor"; }
    juce::String getFilePrefix() const override { return "KL"; }
    int getNumHostParameters() const override { return 0; }

    TemporaryFolder folder;
};

class Editor : public juce::Component, public ModalComponent::Desktop
{
public:
    Editor()
    {
        setBounds (0, 0, 900, 700);
        setVisible (true);
    }
    juce::Rectangle<int> getModalArea() override { return getLocalBounds(); }
};

class AboutWindowTest : public ::testing::Test
{
protected:
    AboutWindowTest() { editor.setLookAndFeel (&lf); }
    ~AboutWindowTest() override { editor.setLookAndFeel (nullptr); }

    DefaultLookAndFeel lf;
    AboutPlugin plugin;
    Editor editor;
};

TEST_F (AboutWindowTest, ShowsTheProductTextsAndItsOwnLibraryFile)
{
    AboutWindow about (plugin);
    const auto texts = about.getTexts();
    ASSERT_EQ (texts.size(), 6);
    EXPECT_EQ (texts[0], plugin.getName().toUpperCase());
    EXPECT_EQ (texts[1], "Vintage Bassline");
    EXPECT_EQ (texts[2], "VST 64bit");
    EXPECT_EQ (texts[3], "Version 1.9.5");
    EXPECT_EQ (texts[4], "Build info:  B7  2026-12-07");
    // Linked into this test program, the library is the program itself.
    EXPECT_EQ (juce::File (texts[5]), juce::File::getSpecialLocation (juce::File::currentExecutableFile));
    EXPECT_TRUE (juce::File (texts[5]).existsAsFile());
}

TEST_F (AboutWindowTest, CentresOverTheEditorAndAClickCloses)
{
    AboutWindow about (plugin);
    about.setSize (640, 480);
    editor.addChildComponent (about);
    about.show();
    EXPECT_EQ (about.getPosition(), juce::Point<int> (130, 110));
    EXPECT_FALSE (about.hasTitleBar());
    EXPECT_EQ (about.getIcon(), nullptr);

    const auto inside = about.getLocalBounds().getCentre().toFloat();
    const juce::MouseEvent click (juce::Desktop::getInstance().getMainMouseSource(), inside, {}, 1.0f, 0.0f,
                                  0.0f, 0.0f, 0.0f, &about, &about, juce::Time::getCurrentTime(), inside,
                                  juce::Time::getCurrentTime(), 1, false);
    about.mouseDown (click);
    EXPECT_FALSE (about.isVisible());
    EXPECT_FALSE (about.getCoveringWindow().isVisible());
}

TEST_F (AboutWindowTest, LaysOutLogoInfoTextAndLink)
{
    AboutWindow about (plugin);
    editor.addChildComponent (about);
    about.setSize (640, 480);
    about.show(); // shown over the editor, it draws with the editor's look and feel
    const auto content = about.getContentArea();
    EXPECT_EQ (about.getLogoArea(),
               juce::Rectangle<int> (content.getX(), content.getY(), content.getWidth() / 2 - 4, 54));
    EXPECT_EQ (about.getInfoArea().getX(), about.getLogoArea().getRight() + 8);
    EXPECT_EQ (about.getInfoArea().getRight(), content.getRight());
    EXPECT_EQ (about.getTextArea().getY(), about.getLogoArea().getBottom() + 8);
    EXPECT_EQ (about.getLink().getPosition(), about.getLogoArea().getPosition().translated (0, 27));
    EXPECT_EQ (about.getLink().getButtonText(), "https://example.org/kelvanor");
    EXPECT_EQ (about.getLink().findColour (juce::HyperlinkButton::textColourId),
               lf.findColour (LookAndFeelColourIds::aboutLink));
    EXPECT_EQ (about.findColour (LookAndFeelColourIds::windowBackground),
               lf.findColour (LookAndFeelColourIds::aboutBackground));
}

TEST (KelvanorAboutBox, ShowsTheProductsFormatAndDrawsEveryTextWhole)
{
    DefaultLookAndFeel lf; // its fonts are the ones the box measures and draws with
    KelvanorHarness harness;
    AboutWindow about (*harness.processor);
    about.setLookAndFeel (&lf);
    about.setSize (640, 480);

    const auto texts = about.getTexts();
    ASSERT_EQ (texts.size(), 6);
    EXPECT_EQ (texts[0], "KELVANOR");
    EXPECT_EQ (texts[2], "VST 64bit");
    EXPECT_EQ (texts[3], "Version 1.9.5");

    // A line wider than its area is drawn cut: only the file may take a second line for what does not fit.
    const auto lines = about.getTextLines();
    ASSERT_GE (lines.size(), 6u);
    for (size_t i = 0; i < 5; ++i)
    {
        EXPECT_TRUE (lines[i].text.trim().isNotEmpty()) << i;
        EXPECT_LE (lines[i].font.getStringWidthFloat (lines[i].text), (float) lines[i].area.getWidth())
            << "cut: " << lines[i].text;
    }
    juce::String file;
    for (size_t i = 5; i < lines.size(); ++i)
        file += lines[i].text;
    EXPECT_EQ (file, texts[5]);
    about.setLookAndFeel (nullptr);
}

/** What a wrapped path keeps: every character, or the file name whole behind "..." on the last line or,
    when it is longer than a line, over both lines. */
enum class Kept
{
    everything,
    nameOnLastLine,
    nameOverBothLines
};

struct WrapCase
{
    const char* path;
    int width;
    int lines;
    bool endsAtSeparator;
    Kept kept = Kept::everything;
};

class AboutPathWrap : public ::testing::TestWithParam<WrapCase>
{
};

TEST_P (AboutPathWrap, BreaksAfterASeparatorInAtMostTwoLines)
{
    const auto& c = GetParam();
    const juce::Font font (12.0f);
    const auto lines = AboutWindow::wrapPath (c.path, font, c.width);
    EXPECT_EQ (lines.size(), c.lines);
    EXPECT_LE (font.getStringWidthFloat (lines[0]), (float) c.width);
    EXPECT_EQ (lines[0].endsWithChar ('/'), c.endsAtSeparator);
    if (c.kept == Kept::everything)
    {
        EXPECT_EQ (lines.joinIntoString (""), juce::String (c.path)) << "nothing lost";
        return;
    }
    const auto name = "/" + juce::File (c.path).getFileName();
    for (const auto& line : lines)
        EXPECT_LE (font.getStringWidthFloat (line), (float) c.width) << "cut: " << line;
    if (c.kept == Kept::nameOverBothLines)
        EXPECT_EQ (lines.joinIntoString (""), "..." + name);
    else
        EXPECT_TRUE (lines[1].startsWith ("...") && lines[1].endsWith (name)) << lines[1];
}

INSTANTIATE_TEST_SUITE_P (
    Table, AboutPathWrap,
    ::testing::Values (WrapCase{"/usr/lib/vst/Kelvanor.so", 400, 1, false},
                       WrapCase{"/home/someone/.vst/a-long-folder-name/another-one/Kelvanor.so", 240, 2,
                                true},
                       WrapCase{"/averyveryveryveryverylongfoldernamewithoutanybreak.so", 60, 2, false},
                       WrapCase{"/home/someone/.vst/one/two/three/four/five/six/seven/eight/nine/ten/eleven/"
                                "twelve/Kelvanor.so",
                                150, 2, true, Kept::nameOnLastLine},
                       WrapCase{"/home/someone/.vst/Kelvanor-built-on-a-winter-evening.so", 150, 2, false,
                                Kept::nameOverBothLines}),
    [] (const auto& testInfo)
    { return testName (juce::String (testInfo.param.width) + " wide " + juce::String (testInfo.index)); });

TEST (OptionsWindow, TabsFillTheContentAreaAndTheEditorIsVeiled)
{
    OptionsWindow options;
    options.setSize (800, 600);
    EXPECT_EQ (options.getTabs().getBounds(), options.getContentArea());
    EXPECT_TRUE (options.shouldDimBackground());
}
} // namespace
