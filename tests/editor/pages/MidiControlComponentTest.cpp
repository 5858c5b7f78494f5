#include "editor/pages/MidiControlComponent.h"
#include "PageTestFixture.h"
#include "TestNames.h"

using Geometry = MidiControlComponent::Geometry;

namespace
{
//==============================================================================
// Geometry of the list: header 19, rows 20, scroll bar 12, 3 visible columns, number column 30.

struct GeometryCase
{
    const char* what;
    int width, height, numRows;
    int rowsPerColumn, numColumns, columnWidth;
};

class MidiListGeometry : public ::testing::TestWithParam<GeometryCase>
{
};

TEST_P (MidiListGeometry, FollowsTheListSize)
{
    const auto& c = GetParam();
    const auto g = Geometry::compute (c.width, c.height, 12, 19, 20, c.numRows, 3, 30);
    EXPECT_EQ (g.rowsPerColumn, c.rowsPerColumn) << c.what;
    EXPECT_EQ (g.numColumns, c.numColumns) << c.what;
    EXPECT_EQ (g.columnWidth, c.columnWidth) << c.what;
    EXPECT_EQ (g.nameColumnWidth, c.columnWidth - 30) << c.what;
    EXPECT_GE (g.content.getWidth(), g.numColumns * g.columnWidth) << c.what;
    EXPECT_EQ (g.scrollBar.getY(), g.tableArea.getBottom() + 4) << c.what;
}

INSTANTIATE_TEST_SUITE_P (
    Table, MidiListGeometry,
    ::testing::Values (
        // (237 - 12 - 19 - 6) / 20 = 10 rows; content 600 - 2 = 598, / 3 + 1 = 200.
        GeometryCase{"empty map: one empty column per visible column", 600, 237, 0, 10, 3, 200},
        GeometryCase{"rows that fit three columns", 600, 237, 30, 10, 3, 200},
        GeometryCase{"one row more scrolls a fourth column in", 600, 237, 31, 10, 4, 200},
        GeometryCase{"every controller", 600, 237, 128, 10, 13, 200},
        GeometryCase{"a list too low for one row counts one row per column", 600, 20, 5, 1, 5, 200},
        GeometryCase{"a list of no height", 600, 0, 2, 1, 3, 200},
        GeometryCase{"a list of negative height", 600, -50, 7, 1, 7, 200}),
    NameFromWhat());

struct HitCase
{
    juce::Point<int> point;
    int scrollOffset;
    int row;
};

class MidiListHits : public ::testing::TestWithParam<HitCase>
{
};

TEST_P (MidiListHits, NameTheRowUnderTheMouse)
{
    // 10 rows per column of 20, columns 200 wide; the table starts at y = (237 - 12 - 221 - 4) / 2 = 0.
    const auto g = Geometry::compute (600, 237, 12, 19, 20, 45, 3, 30);
    ASSERT_EQ (g.tableArea.getY(), 0);
    EXPECT_EQ (g.rowAt (GetParam().point, GetParam().scrollOffset, 19, 20), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P (Table, MidiListHits,
                          ::testing::Values (HitCase{{10, 5}, 0, -1},      // the header
                                             HitCase{{10, 19}, 0, 0},      // first row, first column
                                             HitCase{{10, 218}, 0, 9},     // last row of the column
                                             HitCase{{210, 40}, 0, 11},    // second column
                                             HitCase{{10, 40}, -400, 21},  // scrolled by two columns
                                             HitCase{{590, 40}, -400, 41}, // the last column
                                             HitCase{{10, 400}, 0, -1}),   // under the table
                          [] (const auto& each)
                          {
                              const auto& c = each.param;
                              return testName ("x " + juce::String (c.point.x) + " y " +
                                               juce::String (c.point.y) + " scrolled " +
                                               juce::String (c.scrollOffset));
                          });

//==============================================================================
class MidiControlPage : public PageTest::PageFixture
{
protected:
    void SetUp() override
    {
        start();
        page = std::make_unique<MidiControlComponent> (map(), ".pgccmap", "*.pgccmap");
        page->setLookAndFeel (&lookAndFeel);
        page->setSize (700, 300);
    }

    void TearDown() override { page.reset(); }

    MidiControl& map() { return product->getMidiControl(); }
    MidiControlComponent::ListComponent& list() { return page->getList(); }

    std::unique_ptr<MidiControlComponent> page;
};

TEST_F (MidiControlPage, ListsAssignmentsInControllerOrderAndDeletesOnlyAValidSelection)
{
    EXPECT_FALSE (page->getClearButton().isEnabled());
    EXPECT_FALSE (list().getScrollBar().isEnabled());
    map().assign (64, &product->automatable (0), true);
    map().assign (7, &product->automatable (1), true);
    pumpMessages();
    ASSERT_EQ (list().getRows().size(), 2u);
    EXPECT_EQ (list().getRows()[0].controller, 7);
    EXPECT_EQ (list().getRows()[0].parameterName, product->automatable (1).getName());
    EXPECT_TRUE (page->getClearButton().isEnabled());

    list().selectRow (5); // beyond the rows
    EXPECT_FALSE (page->getDeleteButton().isEnabled());
    page->buttonClicked (&page->getDeleteButton());
    EXPECT_EQ (map().getNumAssignments(), 2);

    list().selectRow (1);
    EXPECT_TRUE (page->getDeleteButton().isEnabled());
    page->buttonClicked (&page->getDeleteButton());
    pumpMessages();
    EXPECT_EQ (map().getParameterOfController (64), nullptr);
    EXPECT_EQ (map().getNumAssignments(), 1);
    EXPECT_FALSE (page->getDeleteButton().isEnabled());
}

TEST_F (MidiControlPage, ClearAllAsksFirst)
{
    map().assign (1, &product->automatable (0), true);
    pumpMessages();

    for (const int answer : {Zeb::AlertWindow::noResult, Zeb::AlertWindow::yesResult})
    {
        page->buttonClicked (&page->getClearButton());
        ASSERT_NE (page->getAlert(), nullptr);
        EXPECT_EQ (page->getAlert()->getMessage(), "Do you really want to clear all assignations?");
        page->alertWindowClosed (page->getAlert(), answer);
        EXPECT_EQ (map().getNumAssignments(), answer == Zeb::AlertWindow::yesResult ? 0 : 1) << answer;
    }
}

TEST_F (MidiControlPage, LearnsFromTheButtonAndTheSelectedRow)
{
    auto& p = product->automatable (2);
    map().assign (20, &p, true);
    pumpMessages();
    page->getMidiLearnButton().setToggleState (true, juce::dontSendNotification);
    page->buttonClicked (&page->getMidiLearnButton());
    ASSERT_TRUE (map().isLearnMode());

    list().selectRow (0);
    EXPECT_EQ (map().getLearnParameter(), &p);
    EXPECT_EQ (map().getLearnedController(), 20);

    map().setLearnMode (false);
    EXPECT_FALSE (page->getMidiLearnButton().getToggleState());
}

TEST_F (MidiControlPage, ManyRowsScrollAndASelectionComesIntoView)
{
    page->setSize (700, 200); // five rows per column
    for (int cc = 0; cc < 20; ++cc)
        map().assign (cc, &product->automatable (cc), cc == 19);
    pumpMessages();

    const auto& g = list().getGeometry();
    ASSERT_GT (g.numColumns, 3);
    EXPECT_TRUE (list().getScrollBar().isEnabled());

    const int lastRow = (int) list().getRows().size() - 1;
    list().selectRow (lastRow);
    const int column = lastRow / g.rowsPerColumn;
    const int visibleStart = -list().getScrollOffset();
    EXPECT_GT (visibleStart, 0);
    EXPECT_LE (visibleStart, column * g.columnWidth);
    EXPECT_LE ((column + 1) * g.columnWidth, visibleStart + 3 * g.columnWidth);
}

//==============================================================================
struct DefaultMapCase
{
    bool inUse;
    const char* file;
    bool ticked;
};

class MidiDefaultMap : public PageTest::PageFixture, public ::testing::WithParamInterface<DefaultMapCase>
{
};

TEST_P (MidiDefaultMap, ShowsTheChoiceAndLeavesItAsItWas)
{
    start();
    auto& map = product->getMidiControl();
    const juce::File file = GetParam().file[0] != 0 ? folder.getChildFile (GetParam().file) : juce::File();
    map.setDefaultMapInUse (GetParam().inUse);
    map.setDefaultMapFile (file);

    MidiControlComponent page (map, ".pgccmap", "*.pgccmap");
    EXPECT_EQ (page.getDefaultMapBox().getCheckBox().getToggleState(), GetParam().ticked);
    EXPECT_EQ (page.getDefaultMapBox().getPathComponent().getPath(), file.getFullPathName());
    EXPECT_EQ (map.isDefaultMapInUse(), GetParam().inUse);
    EXPECT_EQ (map.getDefaultMapFile(), file);

    // Ticking the box stores the choice and the path.
    page.getDefaultMapBox().getCheckBox().setToggleState (!GetParam().ticked, juce::dontSendNotification);
    page.defaultResourceChanged (&page.getDefaultMapBox());
    EXPECT_EQ (map.isDefaultMapInUse(), !GetParam().ticked);
    EXPECT_EQ (map.getDefaultMapFile(), file);
}

INSTANTIATE_TEST_SUITE_P (Table, MidiDefaultMap,
                          ::testing::Values (DefaultMapCase{false, "", false},
                                             DefaultMapCase{true, "a.pgccmap", true},
                                             DefaultMapCase{false, "kept.pgccmap", false}),
                          [] (const auto& each)
                          {
                              return testName ((each.param.inUse ? "in use " : "unused ") +
                                               juce::String (each.param.file).replace (".", " dot "));
                          });
} // namespace
