#pragma once

#include "framework/ListenerArray.h"
#include "skin/windows/ModalComponent.h"

/** The program's own popup menu: a tree of items (id, text, ticked, enabled, optional sub-menu) that opens
    inside the editor as a modal overlay, cascades its sub-menus after resting 100 ms on an item and reports
    the chosen item or the dismissal to its listeners asynchronously, after the menu has closed.

    The menu is driven by the mouse only. A level taller than the editor scrolls (wheel, or resting on the
    arrow strips at its edges). Message thread only. A menu's component lives from its first showAt until
    the choice or the dismissal is delivered; it is deleted before the listeners are called, so a listener
    may show the menu again.
*/
class PopupMenuEx : public juce::AsyncUpdater
{
public:
    /** Called on the message thread; menu is always the root menu. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void popupMenuItemSelected (PopupMenuEx* /*menu*/, int /*itemId*/, bool /*wasTicked*/) {}
        virtual void popupMenuDismissed (PopupMenuEx* /*menu*/) {}
    };

    struct Item
    {
        PopupMenuEx* owner = nullptr; // the menu that holds the item
        int id = 0;
        juce::String text;
        juce::String displayText; // what a chooser shows for the item
        bool ticked = false;
        bool enabled = true;
        bool hasTickedItem = false;  // sub-menu items: anything below is ticked
        bool hasEnabledItem = false; // sub-menu items: anything below is enabled
        std::unique_ptr<PopupMenuEx> subMenu;

        bool isSubMenu() const noexcept { return subMenu != nullptr; }
        /** Drawn (and chosen) as enabled: a plain item's flag, a sub-menu's hasEnabledItem. */
        bool isEffectivelyEnabled() const noexcept { return isSubMenu() ? hasEnabledItem : enabled; }
    };

    class PopupMenuComponent;
    class Window;

    PopupMenuEx();
    /** Copies the title, the tick style and deep copies of the items; never the listeners. */
    PopupMenuEx (const PopupMenuEx&);
    PopupMenuEx& operator= (const PopupMenuEx&);
    ~PopupMenuEx() override;

    /** Appends an enabled, unticked plain item. */
    Item* addItem (int id, const juce::String& text);
    /** Appends an item holding a copy of the sub-menu, then gives the whole tree its depths. */
    Item* addSubMenu (const juce::String& text, const PopupMenuEx& subMenu);
    void clear();

    int getNumItems() const noexcept { return items.size(); }
    Item* getItem (int index) const noexcept { return items[index]; }

    void addListener (Listener*);
    void removeListener (Listener*);

    /** Depth-first: the first plain item with the id, or null. */
    Item* findItem (int id) const;

    /** Sets the flag of every plain item with the id, here and below; with exclusive, every other plain item
        here and below is unticked. */
    void setItemTicked (int id, bool ticked, bool exclusive);
    /** Sets the enabled flag of every plain item with the id, here and below. */
    void setItemEnabled (int id, bool enabled);

    /** Recomputes the ticked and enabled summaries of the sub-menu items, and repaints an open menu. */
    void updateFlags();

    void setDepth (int newDepth);
    int getDepth() const noexcept { return depth; }

    void setTitle (const juce::String& t) { title = t; }
    const juce::String& getTitle() const noexcept { return title; }
    void setRoundTicks (bool r) { roundTicks = r; }
    bool hasRoundTicks() const noexcept { return roundTicks; }
    void setTicksOnRight (bool r) { ticksOnRight = r; }
    bool hasTicksOnRight() const noexcept { return ticksOnRight; }

    /** Opens the menu over the parent: below the area (placement 16) or to its right (2). The area is in
        the parent's coordinates; an empty one stands for the parent's whole bounds. */
    void showAt (juce::Component* parent, const juce::Rectangle<int>& area, int placement);

    bool isOpen() const noexcept { return menuComponent != nullptr; }
    PopupMenuComponent* getMenuComponent() const noexcept { return menuComponent.get(); }
    juce::Component* getParentComponent() const noexcept { return parentComponent; }
    int getPlacement() const noexcept { return placement; }
    const juce::Rectangle<int>& getTargetArea() const noexcept { return targetArea; }

    void handleAsyncUpdate() override;

private:
    friend class PopupMenuComponent;
    friend class Window;

    void copyFrom (const PopupMenuEx&);
    bool updateFlagsRecursively();
    void repaintOpenMenu();
    void choose (const Item&);
    void dismiss();
    void closeMenuComponent();
    void closeAndSendItemSelected();
    void closeAndSendDismissed();

    bool roundTicks = true;
    bool ticksOnRight = true;
    ListenerArray<Listener> listeners;
    juce::String title;
    int depth = 0;
    juce::OwnedArray<Item> items;
    std::unique_ptr<PopupMenuComponent> menuComponent;
    juce::Component* parentComponent = nullptr;
    int placement = 16;
    juce::Rectangle<int> targetArea;
    bool pendingChoice = false;
    int chosenId = 0;
    bool chosenWasTicked = false;
    bool pendingDismissal = false;

    JUCE_LEAK_DETECTOR (PopupMenuEx)
};

/** The overlay that holds the open levels; it covers the editor and catches clicks outside them. */
class PopupMenuEx::PopupMenuComponent : public ModalComponent, private juce::Timer
{
public:
    explicit PopupMenuComponent (PopupMenuEx& root);
    ~PopupMenuComponent() override;

    int getNumWindows() const noexcept { return windows.size(); }
    Window* getWindow (int level) const noexcept { return windows[level]; }
    PopupMenuEx* getOpenMenu() const noexcept { return openMenu; }
    PopupMenuEx* getPendingMenu() const noexcept { return pendingMenu; }
    bool isWaitingToOpen() const { return isTimerRunning(); }

    /** Opens the pending level now, as resting on its item does after 100 ms. */
    void openPendingLevel() { timerCallback(); }

    /** Fills the area the modal overlay offers. */
    void updatePosition() override;
    void visibilityChanged() override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    friend class Window;

    void itemHovered (Window&, int row);
    void itemPressed (Window&, int row);
    void setPending (Window&, int row, PopupMenuEx* menu);
    void timerCallback() override;
    void openLevel (PopupMenuEx& m);
    void closeAllWindows();

    juce::OwnedArray<Window> windows;
    PopupMenuEx& menu;
    PopupMenuEx* pendingMenu = nullptr;
    PopupMenuEx* openMenu = nullptr;
    juce::Rectangle<int> pendingArea;
    int pendingPlacement = 16;
};

/** One open level of the menu. */
class PopupMenuEx::Window : public juce::Component, private juce::Timer
{
public:
    Window (PopupMenuComponent& owner, PopupMenuEx& menu);
    ~Window() override;

    PopupMenuEx& getMenu() const noexcept { return menu; }
    const juce::Font& getFont() const noexcept { return font; }
    int getScroll() const noexcept { return scroll; }
    void setScroll (int newScroll);
    int getMaxScroll() const;

    /** The width and height the level's items need. */
    juce::Rectangle<int> getNaturalSize() const;

    /** The row under a point of the window, or -1. */
    int rowAt (juce::Point<int> p) const;

    Item* getHoveredItem() const noexcept { return hoveredItem; }
    Item* getLastHoveredItem() const noexcept { return lastHoveredItem; }

    void paint (juce::Graphics&) override;
    void mouseMove (const juce::MouseEvent&) override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override;

private:
    void hover (juce::Point<int>);
    void timerCallback() override;

    PopupMenuComponent& owner;
    PopupMenuEx& menu;
    juce::Font font;
    Item* hoveredItem = nullptr;
    Item* lastHoveredItem = nullptr;
    int scroll = 0;
    int scrollDirection = 0; // -1 up, +1 down while resting on a scroll strip
};
