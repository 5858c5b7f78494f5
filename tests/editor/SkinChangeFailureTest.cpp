#include "EditorTestFixture.h"
#include "PictureComparison.h"
#include "XvfbDisplay.h"
#include "editor/EditorStatusTexts.h"
#include "editor/pages/GUISettingsComponent.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/SkinSource.h"
#include "tools/HostEditor.h"
#include "vst/AudioProcessorEditor.h"
#include "vst/XConnection.h"
#include "vst/XWindowManagerAtoms.h"

#include <gtest/gtest.h>
#include <utility>

namespace
{
using namespace EditorTest;

/** "<name>.zebskin" of one description, under the given digest text (by default the right one). */
void writeRawSkin (const juce::File& folder, const juce::String& name, const juce::String& xml,
                   const juce::String& digest = {})
{
    const auto inner = makeZip ({{"skin.xml", textBlock (xml)}});
    const auto outer =
        makeZip ({{name + ".md5", textBlock (digest.isEmpty() ? SkinSource::digestOf (inner) : digest)},
                  {name + ".skin", inner}});
    folder.getChildFile (name + SkinSource::skinFileExtension)
        .replaceWithData (outer.getData(), outer.getSize());
}

/** A skin the editor cannot change to: what is wrong with it, its name, and the reason the status bar
    gives when the size of its main panel is the cause. */
struct FailingSkin
{
    const char* what;
    const char* name;
    GFXPanel::SizeProblem problem = GFXPanel::SizeProblem::none;

    /** What the status bar says once the change has failed. */
    juce::String notice() const
    {
        return BasePluginEditor::skinNotLoadedText (name, GFXPanel::describeSizeProblem (problem));
    }
};

/** Every skin of the tests: "Small" (300 x 200) to start from, "Large" (500 x 320), "Tallest" (16 x 32751,
    whose window with the 16 pixels of the status bar is as high as an X window can be), and the skins of
    failingSkins(). */
void writeSkins (const juce::File& skins)
{
    writeUserSkin (skins, "Small", 300, 200);
    writeUserSkin (skins, "Large", 500, 320);
    writeUserSkin (skins, "Tallest", 16, 32751);
    writeUserSkin (skins, "Foreign", 400, 300, "AnotherProduct");
    writeRawSkin (skins, "Tampered",
                  "<PluginEditor application='PlainSynth'><Panel name='MainPanel'/></PluginEditor>",
                  juce::String::repeatedString ("0", 32));
    writeRawSkin (skins, "Headless",
                  "<PluginEditor application='PlainSynth'><Panel name='Side'/></PluginEditor>");
    writeUserSkin (skins, "Flat", 0, 300);
    writeUserSkin (skins, "Huge", GFXPanel::maxSkinCoordinate, GFXPanel::maxSkinCoordinate);
    writeUserSkin (skins, "Tall", 16, 32768);
    writeUserSkin (skins, "Wide", 32768, 16);
    writeUserSkin (skins, "TallWithTheBar", 16, 32752);
    writeUserSkin (skins, "TallBeyondInt", "16", "4294967296");
}

std::vector<FailingSkin> failingSkins()
{
    using Problem = GFXPanel::SizeProblem;
    return {
        {"no such file", "Missing"},
        {"a checksum that does not match", "Tampered"},
        {"no main panel", "Headless"},
        {"another product's skin", "Foreign"},
        {"a main panel of no width", "Flat", Problem::noSize},
        {"a main panel of more pixels than memory holds", "Huge", Problem::tooManyPixels},
        {"a main panel higher than an X window", "Tall", Problem::windowTooHigh},
        {"a main panel wider than an X window", "Wide", Problem::windowTooWide},
        {"a main panel whose window, with the status bar, is higher than an X window", "TallWithTheBar",
         Problem::windowTooHigh},
        {"a main panel's height beyond the int range, bounded to one higher than an X window",
         "TallBeyondInt", Problem::windowTooHigh},
    };
}

/** JUCE's desktop scale, the editor's window's pixels per pixel of the editor, while it lives. */
struct ScopedScale
{
    explicit ScopedScale (float scale) { juce::Desktop::getInstance().setGlobalScaleFactor (scale); }
    ~ScopedScale() { juce::Desktop::getInstance().setGlobalScaleFactor (1.0f); }
};

/** Asks the editor for the skin as a user does: on the GUI page where the page lists it. */
void chooseSkin (BasePluginEditor& e, const juce::String& name)
{
    auto& page = *e.getGUISettingsPage();
    if (page.findSkin (name) >= 0)
        page.setCurrentSkinName (name, true);
    else
        e.requestSkinChange (name);
}

TEST_F (PlainEditorTest, ASkinChangeThatFailsShowsThePanelAgainAndSaysSo)
{
    writeSkins (folders.getSkinsFolder());
    start();
    auto& e = editor();
    auto& page = *e.getGUISettingsPage();
    ASSERT_TRUE (e.applySkin ("Small"));
    auto* panel = e.getSkinPanel();
    ASSERT_NE (panel, nullptr);

    for (const auto& c : failingSkins())
    {
        chooseSkin (e, c.name);
        ASSERT_TRUE (e.isSkinChangePending()) << c.what;
        EXPECT_FALSE (panel->isVisible()) << c.what;

        e.timerUpdate();
        EXPECT_FALSE (e.isSkinChangePending()) << c.what;
        EXPECT_EQ (e.getSkinPanel(), panel) << c.what;
        EXPECT_TRUE (panel->isVisible()) << c.what;
        EXPECT_EQ (panel->getParentComponent(), &e) << c.what;
        EXPECT_EQ (e.getBounds().withZeroOrigin(), juce::Rectangle<int> (300, 216)) << c.what;
        EXPECT_EQ (e.getCurrentSkinName(), "Small") << c.what;
        EXPECT_EQ (page.getCurrentSkinName(), "Small") << c.what;
        EXPECT_EQ (statusBar().getText(), c.notice()) << c.what;
    }
    EXPECT_EQ (statusBar().getText(),
               "The skin 'TallBeyondInt' could not be loaded: its window, with the status "
               "bar, would be higher than 32767 pixels, the most X allows.");

    // The next skin that can be applied replaces the panel and clears the notice: the highest one whose
    // window X allows too.
    for (const auto& [name, size] : {std::pair{"Large", juce::Rectangle<int> (500, 336)},
                                     std::pair{"Tallest", juce::Rectangle<int> (16, 32767)}})
    {
        page.setCurrentSkinName (name, true);
        e.timerUpdate();
        EXPECT_NE (e.getSkinPanel(), panel) << name;
        EXPECT_EQ (e.getCurrentSkinName(), name);
        EXPECT_EQ (e.getBounds().withZeroOrigin(), size) << name;
        EXPECT_EQ (statusBar().getText(), "") << name;
    }
}

// The editor's window is the editor's size at JUCE's desktop scale: a skin whose window fits only at
// the editor's own size is refused at twice the size.
TEST_F (PlainEditorTest, ASkinWhoseWindowOnlyFitsAtASmallerScaleIsRefusedAtTheWindowsScale)
{
    const auto skins = folders.getSkinsFolder();
    writeUserSkin (skins, "Small", 300, 200);
    writeUserSkin (skins, "HalfTallest", 16, 16367); // 16383 rows with the status bar
    writeUserSkin (skins, "HalfTall", 16, 16368);
    start();
    auto& e = editor();
    ASSERT_TRUE (e.applySkin ("Small"));

    const ScopedScale twice (2.0f);
    EXPECT_EQ (e.getWindowScale(), 2.0f);

    chooseSkin (e, "HalfTall");
    e.timerUpdate();
    EXPECT_EQ (e.getCurrentSkinName(), "Small");
    EXPECT_EQ (statusBar().getText(),
               BasePluginEditor::skinNotLoadedText (
                   "HalfTall", GFXPanel::describeSizeProblem (GFXPanel::SizeProblem::windowTooHigh)));

    chooseSkin (e, "HalfTallest");
    e.timerUpdate();
    EXPECT_EQ (e.getCurrentSkinName(), "HalfTallest");
}

// The user's skin applied while the editor is built is checked as a change to it is, the status bar's
// rows counted at the window's scale. One refused is never put in place: the editor stays as it was built,
// as with a skin that cannot be read (the built-in skin, here another product's, has no panel to show).
TEST_F (PlainEditorTest, AFirstSkinWhoseWindowXWouldRefuseIsNeverShown)
{
    const struct
    {
        const char* name;
        int height;
        float scale;
        bool applied;
    } cases[] = {
        {"Tallest", 32751, 1.0f, true},                      // 32,767 rows with the status bar
        {"TallWithTheBar", 32752, 1.0f, false},              // 32,768
        {"TallestAtOneAndAHalf", 21828, 1.5f, true},         // 32,766 X rows
        {"TallWithTheBarAtOneAndAHalf", 21829, 1.5f, false}, // 32,767.5, rounded to 32,768
    };
    for (const auto& c : cases)
    {
        folders.getSkinsFolder().deleteRecursively();
        writeUserSkin (folders.getSkinsFolder(), c.name, 16, c.height);
        const ScopedScale scale (c.scale);
        start();
        auto& e = editor();
        EXPECT_EQ (e.getCurrentSkinName(), c.applied ? c.name : "") << c.name;
        EXPECT_EQ (e.skinsApplied, c.applied ? 1 : 0) << c.name;
        EXPECT_EQ (e.getBounds().withZeroOrigin(),
                   c.applied ? juce::Rectangle<int> (16, c.height + 16) : juce::Rectangle<int> (800, 616))
            << c.name;
        plugin.reset();
    }
}

// Every size the editor asks for its window is checked: a status bar grown under a panel whose window it
// would make higher than X allows leaves the window as it was.
TEST_F (PlainEditorTest, AStatusBarThatWouldMakeTheWindowTooHighLeavesItsSize)
{
    struct TallerBar : DefaultLookAndFeel
    {
        int getStatusBarHeight() override { return 17; }
    } tallerBar;
    writeUserSkin (folders.getSkinsFolder(), "Tallest", 16, 32751);
    start();
    auto& e = editor();
    ASSERT_EQ (e.getBounds().withZeroOrigin(), juce::Rectangle<int> (16, 32767));

    statusBar().setLookAndFeel (&tallerBar);
    EXPECT_EQ (statusBar().getHeight(), 17);
    EXPECT_EQ (e.getBounds().withZeroOrigin(), juce::Rectangle<int> (16, 32767));
    statusBar().setLookAndFeel (nullptr);
}

//==============================================================================
/** The editor shown in a window of the host's on the private X server, as the plug-in shows it: the
    processor's editor component, holding the persistent editor, embedded into the host's window, its
    timer running while it shows. Every X error of the process is counted from the start. */
class SkinChangeEndToEnd : public PlainEditorTest
{
protected:
    void SetUp() override
    {
        KELVANOR_REQUIRE_XVFB();
        errors = std::make_unique<ScopedXErrorCounter>();
    }

    void TearDown() override
    {
        if (shown != nullptr)
            shown->removeFromDesktop();
        shown.reset();
        XConnection::sync(); // nothing of the editor's left on its way once the host's window goes
        host.reset();
        PlainEditorTest::TearDown();
    }

    /** Puts the editor into the host's window, as effEditOpen does, and waits until it is there. */
    void show()
    {
        ASSERT_TRUE (XWindowManagerAtoms::ensureExist());
        host = std::make_unique<HostEditorWindow> (320, 240);
        ASSERT_TRUE (host->isValid()) << host->getError();
        shown.reset (product().createEditor());
        ASSERT_NE (shown, nullptr);
        shown->setVisible (false);
        shown->addToDesktop (0, host->getEditorParent());
        shown->setVisible (true);
        ASSERT_TRUE (
            XvfbDisplay::runMessageLoopUntil ([this] { return host->getNumEmbeddedWindows() == 1; }));
        // Drawn: the window's own background no longer shows in the middle of the editor.
        ASSERT_TRUE (XvfbDisplay::runMessageLoopUntil (
            [this]
            {
                const auto picture = host->capture();
                const auto middle = shown->getLocalBounds().getCentre();
                return picture.isValid() && picture.getPixelAt (middle.x, middle.y) !=
                                                juce::Colour (HostEditorWindow::backgroundArgb);
            }))
            << "the editor never drew";
    }

    /** Changes to the skin as a user does and waits until the editor's timer has dealt with it. */
    bool changeTo (const juce::String& name)
    {
        chooseSkin (editor(), name);
        return XvfbDisplay::runMessageLoopUntil ([this] { return !editor().isSkinChangePending(); });
    }

    /** The editor's window as the server has it, once the server has handled every request of the
        editor's (and its errors have been counted). */
    juce::Rectangle<int> windowOnServer()
    {
        XConnection::sync();
        return host->getEmbeddedWindowBounds();
    }

    /** What the window shows of the panel's area once two captures in a row agree; invalid when it
        never settles. */
    juce::Image settledPanelPicture (juce::Rectangle<int> panelArea)
    {
        juce::Image before, now;
        const bool settled = XvfbDisplay::runMessageLoopUntil (
            [&]
            {
                before = std::exchange (now, host->capture().getClippedImage (panelArea));
                return samePicture (before, now);
            });
        return settled ? now : juce::Image();
    }

    std::unique_ptr<ScopedXErrorCounter> errors; // made first, gone last
    std::unique_ptr<HostEditorWindow> host;
    std::unique_ptr<juce::AudioProcessorEditor> shown;
};

// A main panel of up to 32,768 pixels a side is a skin's to ask for, but X refuses a window of more than
// 32,767 (BadAlloc on X_ConfigureWindow), and a host with Xlib's default error handler ends there.
TEST_F (SkinChangeEndToEnd, ASkinWhoseWindowXWouldRefuseIsRefusedWhileTheEditorShows)
{
    writeSkins (folders.getSkinsFolder());
    start();
    auto& e = editor();
    ASSERT_TRUE (e.applySkin ("Small"));
    auto* panel = e.getSkinPanel();
    show();
    const juce::Rectangle<int> smallWindow (300, 216), panelArea (300, 200);
    ASSERT_EQ (windowOnServer(), smallWindow);
    const auto smallPanel = settledPanelPicture (panelArea);
    ASSERT_TRUE (smallPanel.isValid());

    for (const auto& c : failingSkins())
    {
        ASSERT_TRUE (changeTo (c.name)) << c.what;
        EXPECT_EQ (windowOnServer(), smallWindow) << c.what;
        EXPECT_EQ (errors->getCount(), 0) << c.what << ":\n" << errors->describe();
        EXPECT_EQ (e.getSkinPanel(), panel) << c.what;
        EXPECT_TRUE (panel->isShowing()) << c.what;
        EXPECT_EQ (e.getBounds().withZeroOrigin(), smallWindow) << c.what;
        EXPECT_EQ (statusBar().getText(), c.notice()) << c.what;
        // The window shows the old panel again, once the editor has drawn it.
        EXPECT_TRUE (XvfbDisplay::runMessageLoopUntil (
            [&] { return samePicture (host->capture().getClippedImage (panelArea), smallPanel); }))
            << c.what;
    }

    // The highest window X allows.
    ASSERT_TRUE (changeTo ("Tallest"));
    EXPECT_EQ (e.getCurrentSkinName(), "Tallest");
    EXPECT_EQ (windowOnServer(), juce::Rectangle<int> (16, 32767));
    EXPECT_EQ (statusBar().getText(), "");
    EXPECT_EQ (errors->getCount(), 0) << errors->describe();
}

// JUCE hands X a window's sides at its desktop scale rounded to the nearest pixel, as the size check rounds
// them: 32,767.2 rows are 32,767, and 32,768.4 are refused.
TEST_F (SkinChangeEndToEnd, TheWindowsSidesAtTheDesktopScaleRoundAsTheCheckRoundsThem)
{
    const auto skins = folders.getSkinsFolder();
    writeUserSkin (skins, "Small", 300, 200);
    writeUserSkin (skins, "Tallest", 16, 27306 - 16);
    writeUserSkin (skins, "Tall", 16, 27307 - 16);
    start();
    auto& e = editor();
    ASSERT_TRUE (e.applySkin ("Small"));
    const ScopedScale scale (1.2f);
    show();

    ASSERT_TRUE (changeTo ("Tall"));
    EXPECT_EQ (e.getCurrentSkinName(), "Small");
    ASSERT_TRUE (changeTo ("Tallest"));
    EXPECT_EQ (e.getCurrentSkinName(), "Tallest");
    EXPECT_EQ (windowOnServer(), juce::Rectangle<int> (19, 32767)); // 16 x 1.2 = 19.2
    EXPECT_EQ (errors->getCount(), 0) << errors->describe();
}
} // namespace
