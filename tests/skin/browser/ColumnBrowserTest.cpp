#include "skin/browser/ColumnBrowser.h"
#include "TestNames.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <map>

namespace
{
/** Groups of named items; the browser shows the groups, then the items of the selected group. */
struct Library
{
    juce::StringArray groups{"Bass", "Lead", "Pad"};
    std::map<juce::String, juce::StringArray> items{
        {"Bass", {"Acid", "Deep", "Round"}}, {"Lead", {"Bright"}}, {"Pad", {}}};
    juce::StringArray log;
};

class GroupColumn;

class ItemsColumn : public ColumnBrowser::ListColumn
{
public:
    ItemsColumn (ColumnBrowser& b, Library& l, int g)
        : ListColumn (b)
        , library (l)
        , group (l.groups[g])
    {
    }

    bool acceptsPrevious (Column* c) override;
    bool isPreviousColumn (Column* c) override { return acceptsPrevious (c); }
    Column* createPreviousColumn() override;

    juce::StringArray& names() { return library.items[group]; }
    int getNumItems() override { return names().size(); }
    juce::String getItemText (int row) override { return names()[row]; }
    bool canRenameItem (int row) override { return names()[row] != "Round"; }
    void setItemText (int row, const juce::String& text) override
    {
        names().set (row, text);
        library.log.add ("renamed " + text);
    }
    bool canDropOnto (ListColumn*, int) override { return false; } // items hold nothing

    // Moves the dragged items of the source to a place in this group.
    void take (ListColumn* source, int at)
    {
        auto* from = dynamic_cast<ItemsColumn*> (source);
        if (from == nullptr)
            return;
        juce::StringArray moved;
        const auto rows = from->getDraggedRows();
        for (int i = rows.size(); --i >= 0;)
        {
            const int row = rows[i];
            moved.insert (0, from->names()[row]);
            from->names().remove (row);
            if (from == this && row < at)
                --at;
        }
        for (int i = 0; i < moved.size(); ++i)
            names().insert (at < 0 ? -1 : at + i, moved[i]);
        library.log.add ("moved " + moved.joinIntoString (",") + " to " + group);
    }
    void dropAtEnd (ListColumn* s) override { take (s, -1); }
    void dropBefore (ListColumn* s, int row) override { take (s, row); }
    void dropAfter (ListColumn* s, int row) override { take (s, row + 1); }

    Library& library;
    juce::String group;
};

class GroupColumn : public ColumnBrowser::ListColumn
{
public:
    GroupColumn (ColumnBrowser& b, Library& l)
        : ListColumn (b)
        , library (l)
    {
    }

    bool acceptsPrevious (Column*) override { return false; }
    bool isPreviousColumn (Column*) override { return false; }
    int getNumItems() override { return library.groups.size(); }
    juce::String getItemText (int row) override { return library.groups[row]; }
    bool hasSubItems (int) override { return true; }
    bool canDragItems (const juce::SparseSet<int>&) override { return false; }
    Column* createColumnForItem (int row) override { return new ItemsColumn (getBrowser(), library, row); }
    void itemSelected (int row) override { library.log.add ("group " + library.groups[row]); }
    bool canDropAtEnd (ListColumn*) override { return false; }
    bool canDropBefore (ListColumn*, int) override { return false; }
    bool canDropAfter (ListColumn*, int) override { return false; }
    void dropOnto (ListColumn* s, int row) override
    {
        auto* from = dynamic_cast<ItemsColumn*> (s);
        if (from == nullptr)
            return;
        const auto target = library.groups[row];
        const auto rows = from->getDraggedRows();
        for (int i = rows.size(); --i >= 0;)
        {
            library.items[target].add (from->names()[rows[i]]);
            from->names().remove (rows[i]);
        }
        library.log.add ("onto " + target);
    }

    Library& library;
};

bool ItemsColumn::acceptsPrevious (Column* c)
{
    return dynamic_cast<GroupColumn*> (c) != nullptr;
}

ColumnBrowser::Column* ItemsColumn::createPreviousColumn()
{
    return new GroupColumn (getBrowser(), library);
}

class Browser : public ColumnBrowser
{
public:
    explicit Browser (Library& l)
        : library (l)
    {
    }
    Column* createRootColumn() override { return new GroupColumn (*this, library); }
    void columnsUpdated() override
    {
        ++updates;
        if (auto* groups = dynamic_cast<ListColumn*> (getColumn (0)))
            selectedGroupsSeen = groups->getSelectedRows().size();
    }
    Library& library;
    int updates = 0;
    int selectedGroupsSeen = -1; // as the last columnsUpdated saw them
};

class ColumnBrowserTest : public ::testing::Test
{
protected:
    Library library;
    Browser browser{library};

    void SetUp() override
    {
        browser.setSize (900, 300);
        browser.openColumn (browser.createRootColumn());
    }

    ColumnBrowser::ListColumn& column (int i)
    {
        return *dynamic_cast<ColumnBrowser::ListColumn*> (browser.getColumn (i));
    }
    ItemsColumn* items() { return dynamic_cast<ItemsColumn*> (browser.getColumn (1)); }

    /** The drag details of rows of a column, at a point of a row of the target (row -1: below the rows). */
    juce::DragAndDropTarget::SourceDetails dragOver (ColumnBrowser::ListColumn& from,
                                                     ColumnBrowser::ListColumn&, int row, int offsetInRow)
    {
        const int y = 4 + (row < 0 ? 150 : row * 20 + offsetInRow);
        return {from.describeDrag (from.getSelectedRows()), &from.getList(), {20, y}};
    }

    juce::KeyPress key (int code) { return juce::KeyPress (code); }

    void clickBackground (ColumnBrowser::ListColumn& c)
    {
        auto& list = c.getList();
        const juce::Point<float> where (5.0f, (float) list.getHeight() - 5.0f);
        const auto now = juce::Time::getCurrentTime();
        const juce::MouseEvent e (juce::Desktop::getInstance().getMainMouseSource(), where, {}, 1.0f, 0.0f,
                                  0.0f, 0.0f, 0.0f, &list, &list, now, where, now, 1, false);
        list.backgroundClicked (e);
    }
};

TEST_F (ColumnBrowserTest, AColumnWhoseParentIsNotShownBringsItsParent)
{
    Library other;
    Browser fresh (other);
    fresh.setSize (600, 300);
    fresh.openColumn (new ItemsColumn (fresh, other, 0));
    ASSERT_EQ (fresh.getNumColumns(), 2);
    EXPECT_NE (dynamic_cast<GroupColumn*> (fresh.getColumn (0)), nullptr);
    EXPECT_EQ (fresh.getColumn (0)->getNextColumn(), fresh.getColumn (1));
    EXPECT_EQ (fresh.getColumn (1)->getPreviousColumn(), fresh.getColumn (0));
    EXPECT_EQ (fresh.getColumn (1)->getX(), fresh.getColumn (0)->getRight());
    EXPECT_EQ (fresh.getTotalWidth(), 400);
}

TEST_F (ColumnBrowserTest, SelectingAGroupOpensItsItemsAndAReplacementKeepsTheWidth)
{
    column (0).getList().selectRow (0);
    ASSERT_EQ (browser.getNumColumns(), 2);
    EXPECT_EQ (items()->group, "Bass");
    EXPECT_TRUE (column (0).isActive());
    EXPECT_EQ (library.log, juce::StringArray ({"group Bass"}));

    for (const auto& [width, expected] : {std::pair{260, 260}, std::pair{40, 100}})
    {
        items()->setSize (width, items()->getHeight());
        column (0).getList().selectRow (1 + (width == 40 ? 1 : 0));
        ASSERT_EQ (browser.getNumColumns(), 2);
        EXPECT_EQ (items()->getWidth(), expected) << "never below the minimum";
    }
    EXPECT_EQ (items()->group, "Pad");
}

TEST_F (ColumnBrowserTest, AnItemWithoutAColumnLeavesTheColumnsAsTheyAre)
{
    column (0).getList().selectRow (0);
    auto* itemsColumn = items();
    column (1).getList().selectRow (1);
    EXPECT_EQ (browser.getNumColumns(), 2);
    EXPECT_EQ (items(), itemsColumn);
    EXPECT_TRUE (column (1).isActive());
    EXPECT_FALSE (column (0).isActive());
}

TEST_F (ColumnBrowserTest, ArrowKeysMoveBetweenColumns)
{
    auto& groups = column (0);
    EXPECT_TRUE (groups.getList().keyPressed (key (juce::KeyPress::leftKey)))
        << "consumed in the first column";
    EXPECT_EQ (browser.getNumColumns(), 1);

    groups.getList().selectRow (0);
    EXPECT_TRUE (groups.getList().keyPressed (key (juce::KeyPress::rightKey)));
    EXPECT_EQ (column (1).getSelectedRows().size(), 1);
    EXPECT_TRUE (column (1).getList().isRowSelected (0));
    EXPECT_TRUE (column (1).isActive());

    EXPECT_TRUE (column (1).getList().keyPressed (key (juce::KeyPress::rightKey)))
        << "consumed in the last column";
    EXPECT_EQ (browser.getNumColumns(), 2);

    EXPECT_TRUE (column (1).getList().keyPressed (key (juce::KeyPress::leftKey)));
    ASSERT_EQ (browser.getNumColumns(), 2);
    EXPECT_TRUE (column (0).isActive());
    EXPECT_EQ (items()->group, "Bass") << "the group's row again";
    EXPECT_TRUE (column (1).getSelectedRows().isEmpty());
}

TEST_F (ColumnBrowserTest, RenamingInPlaceCommitsThroughTheColumn)
{
    column (0).getList().selectRow (0);
    auto& list = column (1);
    list.getList().selectRow (1);
    list.startRenaming (1);
    auto* item = list.getItemComponent (1);
    ASSERT_NE (item, nullptr);
    auto* editor = item->getTextInput().getEditor();
    ASSERT_NE (editor, nullptr);
    ASSERT_TRUE (editor->isEditing());
    editor->setText ("Deeper");
    editor->endEditing (true);
    EXPECT_EQ (library.items["Bass"][1], "Deeper");
    EXPECT_TRUE (library.log.contains ("renamed Deeper"));

    list.startRenaming (2); // "Round" refuses renaming
    auto* round = list.getItemComponent (2);
    ASSERT_NE (round, nullptr);
    EXPECT_FALSE (round->getTextInput().isEditing());
}

struct DropCase
{
    const char* what;
    int row, offset;
    int expectedMode, expectedRow;
    std::vector<const char*> expectedItems;
};

class ColumnBrowserDrops : public ColumnBrowserTest, public ::testing::WithParamInterface<DropCase>
{
};

TEST_P (ColumnBrowserDrops, PlaceRowsWithinAColumn)
{
    const auto& c = GetParam();
    column (0).getList().selectRow (0);
    auto& list = column (1);
    list.getList().selectRow (1); // "Deep"
    const auto details = dragOver (list, list, c.row, c.offset);
    ASSERT_EQ (details.description.toString(), ColumnBrowser::dragDescription);
    ASSERT_TRUE (list.isInterestedInDragSource (details));
    list.itemDragEnter (details);
    EXPECT_EQ (list.getDropMode(), c.expectedMode) << c.what;
    EXPECT_EQ (list.getDropRow(), c.expectedRow) << c.what;
    list.itemDropped (details);
    EXPECT_EQ (list.getDropMode(), 0);
    juce::StringArray expected;
    for (auto* s : c.expectedItems)
        expected.add (s);
    EXPECT_EQ (library.items["Bass"], expected) << c.what;
    EXPECT_EQ (browser.getDragSourceColumn(), nullptr) << "the drop ends the drag";
}

INSTANTIATE_TEST_SUITE_P (
    Table, ColumnBrowserDrops,
    ::testing::Values (
        DropCase{"before the first", 0, 2, 3, 0, {"Deep", "Acid", "Round"}},
        DropCase{"after the first (lower half)", 0, 12, 4, 0, {"Acid", "Deep", "Round"}},
        DropCase{"onto itself: items take nothing, so before", 1, 3, 3, 1, {"Acid", "Deep", "Round"}},
        DropCase{"after the last", 2, 18, 4, 2, {"Acid", "Round", "Deep"}},
        DropCase{"below the rows: at the end", -1, 0, 1, -1, {"Acid", "Round", "Deep"}}),
    NameFromWhat());

TEST_F (ColumnBrowserTest, DroppingOntoAGroupMovesBetweenColumnsAndHoverOpensIt)
{
    column (0).getList().selectRow (0);
    auto& list = column (1);
    list.getList().selectRow (0);
    auto& groups = column (0);
    const auto details = dragOver (list, groups, 1, 10); // onto "Lead"
    groups.itemDragMove (details);
    EXPECT_EQ (groups.getDropMode(), ColumnBrowser::ListColumn::dropOntoMode);
    EXPECT_TRUE (groups.isHoverTimerRunning());
    groups.itemDragExit (details);
    EXPECT_EQ (groups.getDropMode(), 0);
    EXPECT_FALSE (groups.isHoverTimerRunning());

    groups.itemDragMove (details);
    groups.itemDropped (details);
    EXPECT_EQ (library.items["Lead"], juce::StringArray ({"Bright", "Acid"}));
    EXPECT_EQ (library.items["Bass"], juce::StringArray ({"Deep", "Round"}));
}

TEST_F (ColumnBrowserTest, AClosedSourceColumnLivesUntilTheDropIsDone)
{
    column (0).getList().selectRow (0);
    auto& groups = column (0);
    juce::Component::SafePointer<ColumnBrowser::Column> source (browser.getColumn (1));
    auto& sourceList = column (1);
    sourceList.getList().selectRow (2); // "Round", the last row
    const auto details = dragOver (sourceList, groups, 2, 10);

    // Hovering over "Pad" opens it, which closes the column the rows come from.
    groups.itemDragMove (details);
    groups.openHoveredRow();
    ASSERT_EQ (browser.getNumColumns(), 2);
    EXPECT_EQ (items()->group, "Pad");
    ASSERT_NE (source.getComponent(), nullptr) << "kept for the drop";
    EXPECT_EQ (browser.getClosedColumn(), source.getComponent());
    EXPECT_FALSE (source->isVisible());
    EXPECT_EQ (browser.indexOfColumn (source), -1);

    auto& padList = column (1);
    const auto drop = juce::DragAndDropTarget::SourceDetails (details.description,
                                                              details.sourceComponent.get(), {20, 200});
    padList.itemDragEnter (drop);
    padList.itemDropped (drop);
    EXPECT_EQ (library.items["Pad"], juce::StringArray ({"Round"}));
    EXPECT_EQ (library.items["Bass"], juce::StringArray ({"Acid", "Deep"}));
    EXPECT_EQ (source.getComponent(), nullptr) << "gone with the drop";
    EXPECT_EQ (browser.getClosedColumn(), nullptr);
}

TEST_F (ColumnBrowserTest, AClosedColumnWithoutADragGoesAtOnce)
{
    column (0).getList().selectRow (0);
    juce::Component::SafePointer<ColumnBrowser::Column> first (browser.getColumn (1));
    column (0).getList().selectRow (1);
    EXPECT_EQ (first.getComponent(), nullptr);
    EXPECT_EQ (browser.getClosedColumn(), nullptr);
}

TEST_F (ColumnBrowserTest, BackgroundClickClosesTheColumnsAfterIt)
{
    column (0).getList().selectRow (0);
    ASSERT_EQ (browser.getNumColumns(), 2);
    items()->setSize (300, items()->getHeight());
    clickBackground (column (0));
    EXPECT_EQ (browser.getNumColumns(), 1);
    EXPECT_TRUE (column (0).getSelectedRows().isEmpty());
    EXPECT_EQ (browser.selectedGroupsSeen, 0) << "the cleared selection is reported";
    EXPECT_EQ (column (0).getWidth(), 200) << "the column stays, so it keeps its own width";
}

/** Where the strip's view starts as columns open, resize and close, in a browser of some width with or
    without its scroll bar. */
struct ScrollCase
{
    const char* what;
    bool scrollBar;
    int browserWidth, groupWidth;
    int viewWithItems, viewItemsNarrowed;
};

class ColumnBrowserScrolling : public ColumnBrowserTest, public ::testing::WithParamInterface<ScrollCase>
{
};

TEST_P (ColumnBrowserScrolling, ShowsTheOpenedColumnFromItsLeftEdgeAndNeverStrandsTheView)
{
    const auto& c = GetParam();
    browser.setScrollBarsShown (false, c.scrollBar);
    browser.setSize (c.browserWidth, 300);
    column (0).setSize (c.groupWidth, column (0).getHeight());
    browser.layoutColumns();
    column (0).getList().selectRow (0);
    EXPECT_EQ (browser.getViewPositionX(), c.viewWithItems) << c.what;
    EXPECT_EQ (browser.getHorizontalScrollBar().isVisible(), c.scrollBar) << c.what;

    items()->setSize (items()->getMinimumWidth(), items()->getHeight()); // as the grip's drag does
    browser.layoutColumns();
    EXPECT_EQ (browser.getViewPositionX(), c.viewItemsNarrowed) << c.what;

    clickBackground (column (0));
    EXPECT_EQ (browser.getViewPositionX(), 0) << c.what << ": the clicked column shows from its left edge";
    browser.setSize (900, 300);
    EXPECT_EQ (browser.getViewPositionX(), 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P (
    Table, ColumnBrowserScrolling,
    ::testing::Values (
        // The items, wider than the view, show where their names begin; the bar keeps the view in place.
        ScrollCase{"narrow", true, 150, 200, 200, 200},
        // Without a bar to scroll back the view falls back onto the columns when they need less room.
        ScrollCase{"narrow without a bar", false, 150, 200, 200, 150},
        ScrollCase{"wide group column without a bar", false, 600, 500, 100, 0}),
    NameFromWhat());

TEST_F (ColumnBrowserTest, GroupsCannotBeDraggedAndForeignDragsAreIgnored)
{
    auto& groups = column (0);
    groups.getList().selectRow (0);
    EXPECT_TRUE (groups.describeDrag (groups.getSelectedRows()).isVoid());
    EXPECT_EQ (browser.getDragSourceColumn(), nullptr);

    juce::Label stranger;
    EXPECT_FALSE (groups.isInterestedInDragSource ({ColumnBrowser::dragDescription, &stranger, {}}));
    EXPECT_FALSE (column (1).isInterestedInDragSource ({"Something", &column (1).getList(), {}}));
}
} // namespace
