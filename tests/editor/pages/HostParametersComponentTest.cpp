#include "editor/pages/HostParametersComponent.h"
#include "PageTestFixture.h"
#include "TestNames.h"
#include "engine/Kelvanor.h"

namespace
{
class HostParametersPage : public PageTest::PageFixture
{
protected:
    void SetUp() override
    {
        start();
        page = std::make_unique<HostParametersComponent> (*product);
        page->setLookAndFeel (&lookAndFeel);
        page->setSize (760, 320);
    }

    void TearDown() override { page.reset(); }

    HostParametersComponent::ListComponent& list() { return page->getList(); }

    std::unique_ptr<HostParametersComponent> page;
};

struct ColumnsCase
{
    int rowsPerColumn;
    int columns;
};

class HostParametersColumns : public HostParametersPage, public ::testing::WithParamInterface<ColumnsCase>
{
};

TEST_P (HostParametersColumns, HoldEverySlotColumnMajor)
{
    list().setRowsPerColumn (GetParam().rowsPerColumn);
    const int rows = list().getRowsPerColumn();
    ASSERT_GE (rows, 1);
    EXPECT_EQ (list().getNumColumns(), GetParam().columns);
    EXPECT_EQ (list().getHeight(), list().getRowHeight() * rows + list().getHeaderHeight());

    const auto first = list().getChooser (0)->getBounds();
    for (int k = 0; k < list().getNumSlots(); ++k)
    {
        const auto bounds = list().getChooser (k)->getBounds();
        EXPECT_EQ (bounds.getY(), list().getRowHeight() * (k % rows) + list().getHeaderHeight() + 1) << k;
        EXPECT_EQ (bounds.getX() - first.getX(), (int) ((float) (k / rows) * list().getColumnWidth())) << k;
        EXPECT_LE (bounds.getRight(), list().getWidth()) << k;
    }
}

INSTANTIATE_TEST_SUITE_P (Table, HostParametersColumns,
                          ::testing::Values (ColumnsCase{10, 4}, // 10, 10, 10, 6
                                             ColumnsCase{20, 2}, ColumnsCase{36, 1}, ColumnsCase{7, 6},
                                             ColumnsCase{0, 36}), // no rows counts as one
                          [] (const auto& each) {
                              return testName (juce::String (each.param.rowsPerColumn) + " rows per column");
                          });

TEST_F (HostParametersPage, OffersTheAutomatableParametersAndAFreeSlot)
{
    EXPECT_EQ (list().getChooser (35)->getName(), "HPComboBox36");
    EXPECT_GT (list().getWidth(), page->getViewport().getWidth()) << "the fourth column scrolls into view";
    const auto& menu = list().getMenu();
    ASSERT_EQ (menu.getNumItems(), 37);
    EXPECT_EQ (menu.getItem (0)->id, -1);
    for (int i = 1; i < menu.getNumItems(); ++i)
    {
        auto* p = product->getParameterManager().getParameter (menu.getItem (i)->id);
        ASSERT_NE (p, nullptr);
        EXPECT_TRUE (p->isAutomatable()) << p->getName();
        EXPECT_EQ (menu.getItem (i)->text, p->getName());
    }
}

TEST_F (HostParametersPage, ChoosersAndSlotsFollowEachOther)
{
    auto& p = product->automatable (4);
    auto* chooser = list().getChooser (2);

    chooser->setSelectedId (p.getId(), true);
    EXPECT_EQ (product->getHostParameter (2), &p);

    chooser->setSelectedId (-1, true);
    EXPECT_EQ (product->getHostParameter (2), nullptr);

    product->assignHostParameter (7, &p);
    pumpMessages();
    EXPECT_EQ (list().getChooser (7)->getSelectedId(), p.getId());

    product->clearHostParameters();
    pumpMessages();
    EXPECT_EQ (list().getChooser (7)->getSelectedId(), -1);
}

TEST_F (HostParametersPage, DefaultMapBoxWritesTheProcessorsChoice)
{
    auto& box = page->getDefaultMapBox();
    box.getPathComponent().setPath (folder.getChildFile ("mine.pghpmap").getFullPathName(), false);
    box.getCheckBox().setToggleState (true, juce::dontSendNotification);
    page->defaultResourceChanged (&box);
    EXPECT_TRUE (product->isHostMapDefault());
    EXPECT_EQ (product->getHostMapFile(), folder.getChildFile ("mine.pghpmap").getFullPathName());
}

//==============================================================================
// Building the page must leave the default map choice of the user settings as it was.

struct StoredMapCase
{
    bool isDefault;
    const char* file;
};

class HostParametersStoredMap : public PageTest::PageFixture,
                                public ::testing::WithParamInterface<StoredMapCase>
{
};

TEST_P (HostParametersStoredMap, SurvivesBuildingThePage)
{
    const auto path = folder.getChildFile (GetParam().file).getFullPathName();
    settingsFile().getParentDirectory().createDirectory();
    ASSERT_TRUE (settingsFile().replaceWithText (
        "<UserSettings application='" + juce::String (PageTest::productName) +
        "'><HostParametersMap default='" + (GetParam().isDefault ? "yes" : "no") + "' file='" + path +
        "'/></UserSettings>"));
    auto& plugin = start();
    {
        HostParametersComponent page (plugin);
        EXPECT_EQ (page.getDefaultMapBox().getCheckBox().getToggleState(), GetParam().isDefault);
        EXPECT_EQ (page.getDefaultMapBox().getPathComponent().getPath(), path);
    }
    EXPECT_EQ (plugin.getHostMapFile(), path);
    EXPECT_EQ (plugin.isHostMapDefault(), GetParam().isDefault);

    plugin.saveUserSettings();
    const auto written = juce::XmlDocument::parse (settingsFile());
    ASSERT_NE (written, nullptr);
    const auto* map = written->getChildByName ("HostParametersMap");
    ASSERT_NE (map, nullptr);
    EXPECT_EQ (map->getStringAttribute ("file"), path);
}

INSTANTIATE_TEST_SUITE_P (Table, HostParametersStoredMap,
                          ::testing::Values (StoredMapCase{true, "default.pghpmap"},
                                             StoredMapCase{false, "remembered.pghpmap"}),
                          [] (const auto& each)
                          { return std::string (each.param.isDefault ? "DefaultMap" : "RememberedMap"); });

class HostParametersInTheProduct : public PageTest::PageFixture
{
};

TEST_F (HostParametersInTheProduct, KeepsTheStoredPath)
{
    Kelvanor kelvanor;
    kelvanor.runLateInitialisation();
    const auto path = folder.getChildFile ("product.klhpmap").getFullPathName();
    for (const bool isDefault : {false, true})
    {
        kelvanor.setHostMapFile (path);
        kelvanor.setHostMapDefault (isDefault);
        {
            HostParametersComponent page (kelvanor);
            EXPECT_EQ (page.getMapFileExtension(), ".klhpmap");
        }
        EXPECT_EQ (kelvanor.getHostMapFile(), path) << isDefault;
        EXPECT_EQ (kelvanor.isHostMapDefault(), isDefault);
    }
}
} // namespace
