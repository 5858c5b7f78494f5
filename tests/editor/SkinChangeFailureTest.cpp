#include "EditorTestFixture.h"
#include "editor/pages/GUISettingsComponent.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/SkinSource.h"

#include <gtest/gtest.h>

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

TEST_F (PlainEditorTest, ASkinChangeThatFailsShowsThePanelAgainAndSaysSo)
{
    const auto skins = folders.getSkinsFolder();
    writeUserSkin (skins, "Small", 300, 200);
    writeUserSkin (skins, "Large", 500, 320);
    writeUserSkin (skins, "Foreign", 400, 300, "AnotherProduct");
    writeRawSkin (skins, "Tampered",
                  "<PluginEditor application='PlainSynth'><Panel name='MainPanel'/></PluginEditor>",
                  juce::String::repeatedString ("0", 32));
    writeRawSkin (skins, "Headless",
                  "<PluginEditor application='PlainSynth'><Panel name='Side'/></PluginEditor>");
    writeUserSkin (skins, "Flat", 0, 300);
    writeUserSkin (skins, "Huge", GFXPanel::maxSkinCoordinate, GFXPanel::maxSkinCoordinate);
    start();
    auto& e = editor();
    auto& page = *e.getGUISettingsPage();
    ASSERT_TRUE (e.applySkin ("Small"));
    auto* panel = e.getSkinPanel();
    ASSERT_NE (panel, nullptr);

    const struct
    {
        const char* what;
        const char* name;
    } cases[] = {
        {"no such file", "Missing"},          {"a checksum that does not match", "Tampered"},
        {"no main panel", "Headless"},        {"another product's skin", "Foreign"},
        {"a main panel of no width", "Flat"}, {"a main panel of more pixels than memory holds", "Huge"},
    };
    for (const auto& c : cases)
    {
        // Chosen on the page where the page lists it, as a user chooses it.
        if (page.findSkin (c.name) >= 0)
            page.setCurrentSkinName (c.name, true);
        else
            e.requestSkinChange (c.name);
        ASSERT_TRUE (e.isSkinChangePending()) << c.what;
        EXPECT_FALSE (panel->isVisible()) << c.what;

        e.timerUpdate();
        EXPECT_FALSE (e.isSkinChangePending()) << c.what;
        EXPECT_EQ (e.getSkinPanel(), panel) << c.what;
        EXPECT_TRUE (panel->isVisible()) << c.what;
        EXPECT_EQ (panel->getParentComponent(), &e) << c.what;
        EXPECT_EQ (e.getWidth(), 300) << c.what;
        EXPECT_EQ (e.getCurrentSkinName(), "Small") << c.what;
        EXPECT_EQ (page.getCurrentSkinName(), "Small") << c.what;
        EXPECT_EQ (statusBar().getText(), BasePluginEditor::skinNotLoadedText (c.name)) << c.what;
    }

    // The next skin that can be applied replaces the panel and clears the notice.
    page.setCurrentSkinName ("Large", true);
    e.timerUpdate();
    EXPECT_NE (e.getSkinPanel(), panel);
    EXPECT_EQ (e.getCurrentSkinName(), "Large");
    EXPECT_EQ (e.getWidth(), 500);
    EXPECT_EQ (statusBar().getText(), "");
}
} // namespace
