#include "skin/SkinTestSupport.h"
#include "skin/widgets/ComboBoxEx.h"
#include "skin/widgets/MenuLayout.h"
#include "skin/widgets/PopupMenuEx.h"
#include "skin/windows/WindowsTestSupport.h"

namespace
{
//==============================================================================
// Hit-testing: the rows a point hits, at every edge.

struct HitCase
{
    int x, y;
    int items, width, height, scroll;
    int expectedRow;
};

class MenuRowAt : public ::testing::TestWithParam<HitCase>
{
};

TEST_P (MenuRowAt, HitsTheRowPaintedThere)
{
    const auto& c = GetParam();
    EXPECT_EQ (MenuLayout::rowAt ({c.x, c.y}, c.items, c.width, c.height, c.scroll), c.expectedRow)
        << "at " << c.x << "," << c.y << " scroll " << c.scroll;
}

INSTANTIATE_TEST_SUITE_P (
    Edges, MenuRowAt,
    ::testing::Values (HitCase{50, 0, 3, 100, 56, 0, -1},          // the top margin
                       HitCase{50, 3, 3, 100, 56, 0, -1},          // last margin pixel
                       HitCase{50, 4, 3, 100, 56, 0, 0},           // first pixel of row 0
                       HitCase{50, 19, 3, 100, 56, 0, 0},          // last pixel of row 0
                       HitCase{50, 20, 3, 100, 56, 0, 1},          // first pixel of row 1
                       HitCase{50, 51, 3, 100, 56, 0, 2},          // last pixel of the last row
                       HitCase{50, 52, 3, 100, 56, 0, -1},         // the bottom margin
                       HitCase{50, 60, 3, 100, 56, 0, -1},         // below the window
                       HitCase{50, -3, 3, 100, 56, 0, -1},         // above the window
                       HitCase{3, 10, 3, 100, 56, 0, -1},          // left of the highlight
                       HitCase{4, 10, 3, 100, 56, 0, 0},           // its first column
                       HitCase{95, 10, 3, 100, 56, 0, 0},          // its last column
                       HitCase{96, 10, 3, 100, 56, 0, -1},         // right of it
                       HitCase{50, 10, 0, 100, 8, 0, -1},          // an empty menu
                       HitCase{50, 4, 100, 100, 200, 0, 0},        // a tall level, not scrolled
                       HitCase{50, 195, 100, 100, 200, 0, -1},     // its bottom scroll strip
                       HitCase{50, 191, 100, 100, 200, 0, 11},     // just above the strip
                       HitCase{50, 5, 100, 100, 200, 32, -1},      // the top strip once scrolled
                       HitCase{50, 8, 100, 100, 200, 32, 2},       // below it: rows moved by 32
                       HitCase{50, 190, 100, 100, 200, 1408, 99}), // scrolled to the end
    [] (const auto& each)
    {
        const auto& c = each.param;
        return testName (juce::String (c.items) + " rows x " + juce::String (c.x) + " y " +
                         juce::String (c.y) + " scrolled " + juce::String (c.scroll));
    });

//==============================================================================
// Placement inside the editor.

struct PlaceCase
{
    const char* what;
    juce::Rectangle<int> target;
    int placement, width, height;
    juce::Rectangle<int> expected;
};

class MenuPlacement : public ::testing::TestWithParam<PlaceCase>
{
};

TEST_P (MenuPlacement, StaysInsideTheEditor)
{
    const auto& c = GetParam();
    const auto r = MenuLayout::placeWindow (c.target, c.placement, c.width, c.height, 400, 300);
    EXPECT_EQ (r, c.expected) << c.what << ": " << r.toString();
    EXPECT_GE (r.getX(), 0) << c.what;
    EXPECT_GE (r.getY(), 0) << c.what;
    EXPECT_LE (r.getBottom(), 300) << c.what;
}

INSTANTIATE_TEST_SUITE_P (
    Edges, MenuPlacement,
    ::testing::Values (
        PlaceCase{"below, room enough", {10, 10, 80, 20}, 16, 100, 56, {10, 30, 100, 56}},
        PlaceCase{"below, left of the editor", {-30, 10, 80, 20}, 16, 100, 56, {0, 30, 100, 56}},
        PlaceCase{"below, past the right edge", {350, 10, 40, 20}, 16, 100, 56, {300, 30, 100, 56}},
        PlaceCase{"below, past the bottom: bottom 24 below the top",
                  {10, 260, 80, 20},
                  16,
                  100,
                  56,
                  {10, 244, 100, 56}},
        PlaceCase{"right, room enough", {95, 40, 110, 16}, 2, 100, 56, {205, 40, 100, 56}},
        PlaceCase{"right, no room: to the left", {195, 40, 110, 16}, 2, 150, 56, {45, 40, 150, 56}},
        PlaceCase{"right, no room either side", {50, 40, 300, 16}, 2, 150, 56, {0, 40, 150, 56}},
        PlaceCase{"right, near the bottom", {95, 280, 110, 16}, 2, 100, 56, {205, 244, 100, 56}},
        PlaceCase{
            "taller than the editor: cut and at the top", {10, 10, 80, 20}, 16, 100, 1608, {10, 0, 100, 300}},
        PlaceCase{"short but opened low: never below the editor",
                  {10, 295, 80, 4},
                  16,
                  100,
                  16,
                  {10, 284, 100, 16}},
        PlaceCase{"any other placement: top left", {100, 100, 10, 10}, 0, 100, 56, {0, 0, 100, 56}}),
    NameFromWhat());

//==============================================================================
// The menu in an editor: choices, sub-menus, dismissal, scrolling.

class RecordingListener : public PopupMenuEx::Listener
{
public:
    void popupMenuItemSelected (PopupMenuEx* m, int id, bool wasTicked) override
    {
        log.add ("selected " + juce::String (id) + (wasTicked ? " ticked" : ""));
        menu = m;
        stillOpen = m->isOpen();
    }
    void popupMenuDismissed (PopupMenuEx* m) override
    {
        log.add ("dismissed");
        menu = m;
        stillOpen = m->isOpen();
    }
    juce::StringArray log;
    PopupMenuEx* menu = nullptr;
    bool stillOpen = true;
};

juce::MouseEvent atRow (PopupMenuEx::Window& w, int row)
{
    return SkinTest::mouseAt (w,
                              MenuLayout::rowBounds (row, w.getWidth(), w.getScroll()).getCentre().toFloat());
}
void pressRow (PopupMenuEx::Window& w, int row)
{
    w.mouseDown (atRow (w, row));
}
void hoverRow (PopupMenuEx::Window& w, int row)
{
    w.mouseMove (atRow (w, row));
}

class OpenMenu : public ::testing::Test
{
protected:
    OpenMenu()
    {
        opener.setBounds (20, 20, 120, 20);
        desktop.addAndMakeVisible (opener);

        PopupMenuEx colours;
        colours.addItem (101, "Red");
        colours.addItem (102, "Green");
        colours.addItem (103, "Blue");
        menu.addItem (1, "One");
        menu.addItem (2, "Two (disabled)");
        menu.addSubMenu ("Colours", colours);
        menu.addItem (4, "Four");
        menu.setItemEnabled (2, false);
        menu.addListener (&listener);
    }

    PopupMenuEx::Window& window (int level) { return *menu.getMenuComponent()->getWindow (level); }

    StyledDesktop desktop;
    juce::Component opener;
    PopupMenuEx menu;
    RecordingListener listener;
};

TEST_F (OpenMenu, OpensBelowItsOpenerInsideTheEditor)
{
    menu.showAt (&opener, {}, MenuLayout::below);
    ASSERT_TRUE (menu.isOpen());
    auto* component = menu.getMenuComponent();
    EXPECT_EQ (component->getBounds(), desktop.getLocalBounds());
    ASSERT_EQ (component->getNumWindows(), 1);
    EXPECT_EQ (window (0).getPosition(), juce::Point<int> (20, 40));
    EXPECT_EQ (window (0).getHeight(), MenuLayout::contentHeight (4));
}

TEST_F (OpenMenu, ChoosingAnItemClosesTheMenuBeforeTellingTheListeners)
{
    menu.setItemTicked (4, true, true);
    menu.showAt (&opener, {}, MenuLayout::below);
    pressRow (window (0), 3);
    EXPECT_TRUE (listener.log.isEmpty()); // asynchronous
    pumpMessages();
    EXPECT_EQ (listener.log.joinIntoString (","), "selected 4 ticked");
    EXPECT_EQ (listener.menu, &menu);
    EXPECT_FALSE (listener.stillOpen);
}

TEST_F (OpenMenu, DisabledItemDoesNothingAndLeavesTheMenuOpen)
{
    menu.showAt (&opener, {}, MenuLayout::below);
    pressRow (window (0), 1);
    pumpMessages();
    EXPECT_TRUE (listener.log.isEmpty());
    EXPECT_TRUE (menu.isOpen());
}

TEST_F (OpenMenu, ClickOutsideEveryLevelDismisses)
{
    menu.showAt (&opener, {}, MenuLayout::below);
    menu.getMenuComponent()->mouseDown (SkinTest::mouseAt (*menu.getMenuComponent(), {390.0f, 290.0f}));
    pumpMessages();
    EXPECT_EQ (listener.log.joinIntoString (","), "dismissed");
    EXPECT_FALSE (menu.isOpen());
}

TEST_F (OpenMenu, SubMenuOpensBesideItsRowAndItsItemsAreChosenOnTheRoot)
{
    menu.showAt (&opener, {}, MenuLayout::below);
    auto* component = menu.getMenuComponent();
    hoverRow (window (0), 2);
    EXPECT_TRUE (component->isWaitingToOpen());
    component->openPendingLevel();
    ASSERT_EQ (component->getNumWindows(), 2);

    auto& root = window (0);
    auto& sub = window (1);
    EXPECT_EQ (sub.getX(), root.getRight() + 5);
    // Its first row lies level with the row that opened it.
    EXPECT_EQ (sub.getY() + MenuLayout::rowBounds (0, sub.getWidth(), 0).getY(),
               root.getY() + MenuLayout::rowBounds (2, root.getWidth(), 0).getY());

    // Resting on a plain row of the root closes the sub-menu again.
    hoverRow (root, 0);
    component->openPendingLevel();
    EXPECT_EQ (component->getNumWindows(), 1);

    hoverRow (root, 2);
    component->openPendingLevel();
    pressRow (window (1), 2);
    pumpMessages();
    EXPECT_EQ (listener.log.joinIntoString (","), "selected 103");
}

TEST_F (OpenMenu, SubMenuWithoutRoomOnTheRightOpensToTheLeft)
{
    opener.setBounds (300, 20, 90, 20);
    menu.showAt (&opener, {}, MenuLayout::below);
    hoverRow (window (0), 2);
    menu.getMenuComponent()->openPendingLevel();
    ASSERT_EQ (menu.getMenuComponent()->getNumWindows(), 2);
    EXPECT_EQ (window (1).getRight(), window (0).getX() - 5);
    EXPECT_GE (window (1).getX(), 0);
}

TEST_F (OpenMenu, PaintedHighlightIsExactlyTheRowThatIsHit)
{
    PopupMenuEx tall;
    for (int i = 0; i < 120; ++i)
        tall.addItem (i + 1, "Parameter " + juce::String (i));
    tall.showAt (&opener, {}, MenuLayout::below);
    auto& w = *tall.getMenuComponent()->getWindow (0);
    ASSERT_EQ (w.getHeight(), 300); // over 1,900 pixels of rows in a 300-pixel editor
    EXPECT_EQ (w.getY(), 0);

    for (const int scroll : {0, 37, w.getMaxScroll()})
    {
        w.setScroll (scroll);
        for (const int row : {scroll / 16 + 2, scroll / 16 + 5, (scroll + 280) / 16 - 1})
        {
            // Right of the texts, where only the highlight is painted.
            const int x = w.getWidth() - 20;
            w.mouseMove (SkinTest::mouseAt (
                w, {(float) x, (float) (MenuLayout::rowBounds (row, w.getWidth(), scroll).getCentreY())}));
            const auto snapshot = w.createComponentSnapshot (w.getLocalBounds());
            int painted = 0;
            for (int y = 0; y < w.getHeight(); ++y)
            {
                const bool highlighted = snapshot.getPixelAt (x, y) == juce::Colour (0xFFADADAD);
                if (highlighted)
                {
                    ++painted;
                    EXPECT_EQ (w.rowAt ({x, y}), row) << "scroll " << scroll << " y " << y;
                }
            }
            EXPECT_GE (painted, 14) << "scroll " << scroll << " row " << row;
        }
    }
}

TEST_F (OpenMenu, TallLevelScrollsWithTheWheel)
{
    PopupMenuEx tall;
    for (int i = 0; i < 80; ++i)
        tall.addItem (i + 1, "Item " + juce::String (i));
    tall.showAt (&opener, {}, MenuLayout::below);
    auto& w = *tall.getMenuComponent()->getWindow (0);
    EXPECT_EQ (w.getMaxScroll(), MenuLayout::contentHeight (80) - 300);

    const int before = w.rowAt ({50, 100});
    juce::MouseWheelDetails wheel{};
    wheel.deltaY = -1.0f;
    w.mouseWheelMove (SkinTest::mouseAt (w, {50.0f, 100.0f}), wheel);
    EXPECT_GT (w.getScroll(), 0);
    EXPECT_GT (w.rowAt ({50, 100}), before);

    wheel.deltaY = 100.0f;
    w.mouseWheelMove (SkinTest::mouseAt (w, {50.0f, 100.0f}), wheel);
    EXPECT_EQ (w.getScroll(), 0);
}

//==============================================================================
// Menu model.

TEST (PopupMenuModel, CopiesDeeplyAndKeepsSummariesOfSubMenus)
{
    PopupMenuEx sub;
    sub.addItem (7, "Seven");
    sub.addItem (8, "Eight");
    PopupMenuEx root;
    root.addItem (1, "One");
    auto* subItem = root.addSubMenu ("More", sub);
    EXPECT_EQ (subItem->subMenu->getDepth(), 1);
    EXPECT_FALSE (subItem->hasTickedItem);
    EXPECT_TRUE (subItem->hasEnabledItem);

    root.setItemTicked (8, true, true);
    EXPECT_TRUE (subItem->hasTickedItem);
    EXPECT_FALSE (root.findItem (1)->ticked);

    root.setItemEnabled (7, false);
    root.setItemEnabled (8, false);
    EXPECT_FALSE (subItem->hasEnabledItem);

    PopupMenuEx copy (root);
    auto* copied = copy.findItem (8);
    ASSERT_NE (copied, nullptr);
    EXPECT_NE (copied, root.findItem (8));
    EXPECT_TRUE (copied->ticked);
    EXPECT_EQ (copied->owner, copy.getItem (1)->subMenu.get());
    EXPECT_EQ (copy.findItem (99), nullptr);
    EXPECT_EQ (copy.findItem (0), nullptr); // a sub-menu item is not a choice
}

//==============================================================================
// A shared menu answers only the chooser whose name its opener carries.

TEST (SharedMenu, OnlyTheChooserWithTheOpenersNameTakesTheChoice)
{
    StyledDesktop desktop;
    PopupMenuEx shared;
    shared.addItem (1, "First");
    shared.addItem (2, "Second");

    ComboBoxEx a, b;
    a.setName ("a");
    b.setName ("b");
    for (auto* box : {&a, &b})
    {
        box->setSharedMenu (&shared);
        box->setBounds (10, 10, 100, 20);
        desktop.addAndMakeVisible (box);
    }

    b.mouseDown (SkinTest::mouseAt (b, {5.0f, 5.0f}));
    EXPECT_TRUE (b.isMenuOpen());
    auto& w = *shared.getMenuComponent()->getWindow (0);
    pressRow (w, 1);
    pumpMessages();

    EXPECT_EQ (b.getSelectedId(), 2);
    EXPECT_EQ (b.getText(), "Second");
    EXPECT_FALSE (b.isMenuOpen());
    EXPECT_EQ (a.getSelectedId(), -1);
    EXPECT_EQ (a.getText(), "---");
    EXPECT_TRUE (a.getFont().isItalic());
}
} // namespace
