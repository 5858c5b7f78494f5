#include "editor/pages/GUISettingsComponent.h"
#include "PageTestFixture.h"
#include "TestNames.h"
#include "skin/source/SkinSource.h"

namespace
{
/** Records the page's notices as "default <name>" and "current <name>". */
class SkinLog : public GUISettingsComponent::Listener
{
public:
    void defaultSkinChanged (GUISettingsComponent* page) override
    {
        lines.add ("default " + page->getDefaultSkinName());
    }
    void currentSkinChanged (GUISettingsComponent* page) override
    {
        lines.add ("current " + page->getCurrentSkinName());
    }

    juce::StringArray lines;
};

/** Three user skins: "Wide" 1280 x 720 with a thumbnail, "Narrow" 800 x 600 with one, "Bare" without
    pictures; and a folder that merely carries the skin extension. */
class SkinsPage : public PageTest::PageFixture
{
protected:
    void SetUp() override
    {
        start();
        const auto skins = SkinSource::getSkinsDirectory (*product);
        PageTest::writeUserSkin (skins, "Wide", 1280, 720, 128);
        PageTest::writeUserSkin (skins, "Narrow", 800, 600, 80);
        PageTest::writeUserSkin (skins, "Bare", 0, 0, 0);
        skins.getChildFile ("Folder.zebskin").createDirectory();
    }

    std::unique_ptr<GUISettingsComponent> makePage (const juce::String& defaultName,
                                                    const juce::String& current)
    {
        auto page = std::make_unique<GUISettingsComponent> (*product, defaultName, current);
        page->addListener (&log);
        return page;
    }

    SkinLog log;
};

TEST_F (SkinsPage, ListsTheSkinsByBackgroundWidthAndStartsWithTheEditorsNames)
{
    const auto page = makePage ("wide", "NARROW");
    EXPECT_EQ (page->getDefaultSkinName(), "Wide");
    EXPECT_EQ (page->getCurrentSkinName(), "Narrow");
    EXPECT_EQ (page->getCurrentPreview().getImage().getWidth(), 80);
    EXPECT_TRUE (log.lines.isEmpty()) << "no notices while the page is built";

    const auto& entries = page->getSkinEntries();
    ASSERT_EQ (entries.size(), 3u);
    EXPECT_EQ (entries[0].name, "Bare");
    EXPECT_TRUE (entries[0].background.isEmpty());
    EXPECT_FALSE (entries[0].thumbnail.isValid());
    EXPECT_EQ (entries[1].name, "Narrow");
    EXPECT_EQ (entries[2].name, "Wide");
    EXPECT_EQ (entries[2].thumbnail.getWidth(), 128);

    const auto& menu = page->getMenu();
    ASSERT_EQ (menu.getNumItems(), 3);
    EXPECT_EQ (menu.getItem (1)->id, 1);
    EXPECT_EQ (menu.getItem (1)->text, "Narrow - 800 x 600");
    EXPECT_EQ (menu.getItem (2)->text, "Wide - 1280 x 720");
}

struct SetterCase
{
    const char* name;
    bool notify;
    const char* shown;    // the current skin after the call
    const char* expected; // the notice, empty for none
};

class SkinSetters : public SkinsPage, public ::testing::WithParamInterface<SetterCase>
{
};

TEST_P (SkinSetters, ChooseOnlyListedNames)
{
    const auto page = makePage ("Wide", "Wide");
    page->setCurrentSkinName (GetParam().name, GetParam().notify);
    EXPECT_EQ (page->getCurrentSkinName(), GetParam().shown);
    EXPECT_EQ (log.lines.joinIntoString ("|"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P (
    Table, SkinSetters,
    ::testing::Values (SetterCase{"narrow", true, "Narrow", "current Narrow"},
                       SetterCase{"Narrow", false, "Narrow", ""}, SetterCase{"Missing", true, "Wide", ""},
                       SetterCase{"Folder", true, "Wide", ""}, SetterCase{"", true, "Wide", ""}),
    [] (const auto& each)
    { return testName (juce::String (each.param.name) + (each.param.notify ? " notifying" : " quietly")); });

TEST_F (SkinsPage, ChoosersTellTheEditor)
{
    const auto page = makePage ("Wide", "Wide");
    page->getDefaultChooser().setSelectedId (0, true);
    page->getCurrentChooser().setSelectedId (1, true);
    page->getCurrentChooser().setSelectedId (1, true); // the same entry again: no notice
    EXPECT_EQ (log.lines.joinIntoString ("|"), "default Bare|current Narrow");
    EXPECT_FALSE (page->getDefaultPreview().getImage().isValid());
}

//==============================================================================
struct PreviewCase
{
    int width, height;
    int previewWidth, previewHeight;
    const char* text;
};

class SkinPreviewSize : public ::testing::TestWithParam<PreviewCase>
{
};

TEST_P (SkinPreviewSize, FollowsTheScreen)
{
    GUISettingsComponent::SkinPreview preview ({0, 0, GetParam().width, GetParam().height});
    EXPECT_EQ (preview.getWidth(), GetParam().previewWidth);
    EXPECT_EQ (preview.getHeight(), GetParam().previewHeight);
    EXPECT_EQ (preview.getResolutionText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P (
    Table, SkinPreviewSize,
    ::testing::Values (PreviewCase{1920, 1080, 198, 134, "Screen resolution: 1920 x 1080"},
                       PreviewCase{1366, 768, 142, 102, "Screen resolution: 1366 x 768"},
                       PreviewCase{0, 0, 6, 26, "Screen resolution: 0 x 0"}),
    [] (const auto& each)
    { return testName (juce::String (each.param.width) + " by " + juce::String (each.param.height)); });

TEST (SkinPreviewScreen, ComesFromTheFirstDisplayOrAFixedSize)
{
    // Run without a display this reads no display at all; with one, the first display's area.
    const auto& displays = juce::Desktop::getInstance().getDisplays().displays;
    const auto area = GUISettingsComponent::getFirstDisplayArea();
    if (displays.isEmpty())
        EXPECT_EQ (area, juce::Rectangle<int> (0, 0, 1920, 1080));
    else
        EXPECT_EQ (area, displays.getReference (0).totalArea);
    EXPECT_FALSE (area.isEmpty());
}

} // namespace
