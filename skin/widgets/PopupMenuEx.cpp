#include "skin/widgets/PopupMenuEx.h"

#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/widgets/MenuLayout.h"

namespace
{
constexpr int hoverDelayMs = 100;
constexpr int scrollStepMs = 40;
constexpr int scrollStepPixels = MenuLayout::rowHeight / 2;

std::unique_ptr<PopupMenuEx::Item> copyItem (const PopupMenuEx::Item& source)
{
    auto item = std::make_unique<PopupMenuEx::Item>();
    item->owner = source.owner;
    item->id = source.id;
    item->text = source.text;
    item->displayText = source.displayText;
    item->ticked = source.ticked;
    item->enabled = source.enabled;
    item->hasTickedItem = source.hasTickedItem;
    item->hasEnabledItem = source.hasEnabledItem;
    if (source.subMenu != nullptr)
        item->subMenu = std::make_unique<PopupMenuEx> (*source.subMenu);
    return item;
}

template <typename Visit>
void forEachPlainItem (const PopupMenuEx& menu, Visit&& visit)
{
    for (int i = 0; i < menu.getNumItems(); ++i)
    {
        auto* item = menu.getItem (i);
        if (item->isSubMenu())
            forEachPlainItem (*item->subMenu, visit);
        else
            visit (*item);
    }
}
} // namespace

//==============================================================================
PopupMenuEx::PopupMenuEx() = default;

PopupMenuEx::PopupMenuEx (const PopupMenuEx& other)
    : juce::AsyncUpdater()
{
    copyFrom (other);
}

PopupMenuEx& PopupMenuEx::operator= (const PopupMenuEx& other)
{
    if (this != &other)
        copyFrom (other);
    return *this;
}

PopupMenuEx::~PopupMenuEx()
{
    cancelPendingUpdate();
    menuComponent.reset();
}

void PopupMenuEx::copyFrom (const PopupMenuEx& other)
{
    // An open menu shows this menu's items; close it before they go, without telling anybody.
    closeMenuComponent();

    title = other.title;
    roundTicks = other.roundTicks;
    ticksOnRight = other.ticksOnRight;
    items.clear();
    for (auto* item : other.items)
        items.add (copyItem (*item).release());
    setDepth (0);
    updateFlags();
}

PopupMenuEx::Item* PopupMenuEx::addItem (int id, const juce::String& text)
{
    auto* item = items.add (new Item());
    item->owner = this;
    item->id = id;
    item->text = text;
    item->displayText = text;
    return item;
}

PopupMenuEx::Item* PopupMenuEx::addSubMenu (const juce::String& text, const PopupMenuEx& subMenu)
{
    auto* item = addItem (0, text);
    item->subMenu = std::make_unique<PopupMenuEx> (subMenu);
    setDepth (depth);
    updateFlags();
    return item;
}

void PopupMenuEx::clear()
{
    closeMenuComponent();
    items.clear();
}

void PopupMenuEx::addListener (Listener* l)
{
    listeners.add (l);
}
void PopupMenuEx::removeListener (Listener* l)
{
    listeners.remove (l);
}

PopupMenuEx::Item* PopupMenuEx::findItem (int id) const
{
    for (auto* item : items)
    {
        if (item->isSubMenu())
        {
            if (auto* found = item->subMenu->findItem (id))
                return found;
        }
        else if (item->id == id)
            return item;
    }
    return nullptr;
}

void PopupMenuEx::setItemTicked (int id, bool ticked, bool exclusive)
{
    forEachPlainItem (*this,
                      [&] (Item& item)
                      {
                          if (item.id == id)
                              item.ticked = ticked;
                          else if (exclusive)
                              item.ticked = false;
                      });
    updateFlags();
}

void PopupMenuEx::setItemEnabled (int id, bool enabled)
{
    forEachPlainItem (*this,
                      [&] (Item& item)
                      {
                          if (item.id == id)
                              item.enabled = enabled;
                      });
    updateFlags();
}

bool PopupMenuEx::updateFlagsRecursively()
{
    // Returns whether anything in this menu is ticked; enabled summaries are filled on the way.
    bool anyTicked = false;
    for (auto* item : items)
    {
        if (item->isSubMenu())
        {
            item->hasTickedItem = item->subMenu->updateFlagsRecursively();
            bool anyEnabled = false;
            for (auto* below : item->subMenu->items)
                anyEnabled = anyEnabled || below->isEffectivelyEnabled();
            item->hasEnabledItem = anyEnabled;
            anyTicked = anyTicked || item->hasTickedItem;
        }
        else
            anyTicked = anyTicked || item->ticked;
    }
    return anyTicked;
}

void PopupMenuEx::updateFlags()
{
    updateFlagsRecursively();
    repaintOpenMenu();
}

void PopupMenuEx::repaintOpenMenu()
{
    if (menuComponent != nullptr)
        menuComponent->repaint();
}

void PopupMenuEx::setDepth (int newDepth)
{
    depth = newDepth;
    for (auto* item : items)
    {
        item->owner = this;
        if (item->subMenu != nullptr)
            item->subMenu->setDepth (depth + 1);
    }
}

void PopupMenuEx::showAt (juce::Component* parent, const juce::Rectangle<int>& area, int newPlacement)
{
    if (parent == nullptr)
        return;

    if (menuComponent == nullptr)
        menuComponent = std::make_unique<PopupMenuComponent> (*this);

    parentComponent = parent;
    targetArea = area;
    placement = newPlacement;
    parent->addChildComponent (*menuComponent);
    menuComponent->showAt (ModalComponent::atStoredPosition, {}, nullptr);
}

void PopupMenuEx::choose (const Item& item)
{
    chosenId = item.id;
    chosenWasTicked = item.ticked;
    pendingChoice = true;
    triggerAsyncUpdate();
}

void PopupMenuEx::dismiss()
{
    pendingDismissal = true;
    triggerAsyncUpdate();
}

void PopupMenuEx::handleAsyncUpdate()
{
    if (pendingChoice)
    {
        pendingChoice = false;
        closeAndSendItemSelected();
    }
    if (pendingDismissal)
    {
        pendingDismissal = false;
        closeAndSendDismissed();
    }
}

void PopupMenuEx::closeMenuComponent()
{
    if (menuComponent == nullptr)
        return;
    menuComponent->hideWindow();
    menuComponent.reset();
}

void PopupMenuEx::closeAndSendItemSelected()
{
    closeMenuComponent();
    const int id = chosenId;
    const bool wasTicked = chosenWasTicked;
    listeners.call ([&] (Listener& l) { l.popupMenuItemSelected (this, id, wasTicked); });
}

void PopupMenuEx::closeAndSendDismissed()
{
    closeMenuComponent();
    listeners.call ([&] (Listener& l) { l.popupMenuDismissed (this); });
}

//==============================================================================
PopupMenuEx::PopupMenuComponent::PopupMenuComponent (PopupMenuEx& root)
    : menu (root)
{
    setInterceptsMouseClicks (true, true);
}

PopupMenuEx::PopupMenuComponent::~PopupMenuComponent()
{
    stopTimer();
    closeAllWindows();
}

void PopupMenuEx::PopupMenuComponent::updatePosition()
{
    if (isInCoveringWindow())
        setBounds (getCoveringWindowBounds());
    else if (auto* parent = getParentComponent())
        setBounds (parent->getLocalBounds());
}

void PopupMenuEx::PopupMenuComponent::closeAllWindows()
{
    removeAllChildren();
    windows.clear();
    openMenu = nullptr;
}

void PopupMenuEx::PopupMenuComponent::visibilityChanged()
{
    closeAllWindows();
    if (!isVisible())
        return;

    updatePosition();
    pendingMenu = &menu;
    pendingPlacement = menu.placement;
    auto* parent = menu.parentComponent;
    const auto area =
        menu.targetArea.isEmpty() && parent != nullptr ? parent->getLocalBounds() : menu.targetArea;
    pendingArea = parent != nullptr ? getLocalArea (parent, area) : area;
    if (pendingMenu != openMenu)
    {
        stopTimer();
        timerCallback();
    }
}

void PopupMenuEx::PopupMenuComponent::mouseDown (const juce::MouseEvent&)
{
    stopTimer();
    menu.dismiss();
}

void PopupMenuEx::PopupMenuComponent::setPending (Window& window, int row, PopupMenuEx* m)
{
    pendingMenu = m;
    pendingArea = {window.getX() - 5, window.getY() + MenuLayout::rowHeight * row - window.getScroll(),
                   window.getWidth() + 10, MenuLayout::rowHeight};
    pendingPlacement = MenuLayout::toTheRight;
}

void PopupMenuEx::PopupMenuComponent::itemHovered (Window& window, int row)
{
    auto* item = window.getMenu().getItem (row);
    if (item == nullptr)
        return;

    setPending (window, row, item->isSubMenu() ? item->subMenu.get() : &window.getMenu());
    if (pendingMenu != openMenu)
        startTimer (hoverDelayMs);
    else
        stopTimer();
}

void PopupMenuEx::PopupMenuComponent::itemPressed (Window& window, int row)
{
    auto* item = window.getMenu().getItem (row);
    if (item == nullptr)
        return;

    if (item->isSubMenu())
    {
        setPending (window, row, item->subMenu.get());
        if (pendingMenu != openMenu)
            startTimer (hoverDelayMs);
        else
            stopTimer();
        return;
    }

    if (!item->enabled)
        return;

    stopTimer();
    menu.choose (*item);
}

void PopupMenuEx::PopupMenuComponent::timerCallback()
{
    stopTimer();
    if (pendingMenu != nullptr)
        openLevel (*pendingMenu);
}

void PopupMenuEx::PopupMenuComponent::openLevel (PopupMenuEx& m)
{
    // Close deeper levels, and a level as deep as m that shows another menu; the root stays.
    while (windows.size() > 1)
    {
        auto& top = windows.getLast()->getMenu();
        if (top.getDepth() > m.getDepth() || (top.getDepth() == m.getDepth() && &top != &m))
        {
            removeChildComponent (windows.getLast());
            windows.removeLast();
        }
        else
            break;
    }

    if (!windows.isEmpty() && &windows.getLast()->getMenu() == &m)
    {
        openMenu = &m;
        return;
    }

    auto* window = windows.add (new Window (*this, m));
    const auto natural = window->getNaturalSize();
    window->setBounds (MenuLayout::placeWindow (pendingArea, pendingPlacement, natural.getWidth(),
                                                natural.getHeight(), getWidth(), getHeight()));
    addAndMakeVisible (window);
    openMenu = &m;
}

//==============================================================================
PopupMenuEx::Window::Window (PopupMenuComponent& o, PopupMenuEx& m)
    : owner (o)
    , menu (m)
{
    if (auto* lf = dynamic_cast<DefaultLookAndFeel*> (&o.getLookAndFeel()))
        font = lf->getDefaultFont();
    else
        font = juce::Font (13.0f);
}

PopupMenuEx::Window::~Window()
{
    stopTimer();
}

juce::Rectangle<int> PopupMenuEx::Window::getNaturalSize() const
{
    float widest = 0.0f;
    for (int i = 0; i < menu.getNumItems(); ++i)
        widest = juce::jmax (widest, font.getStringWidthFloat (menu.getItem (i)->text));
    return {0, 0, juce::roundToInt (widest) + MenuLayout::textExtra,
            MenuLayout::contentHeight (menu.getNumItems())};
}

int PopupMenuEx::Window::getMaxScroll() const
{
    return MenuLayout::maxScroll (menu.getNumItems(), getHeight());
}

void PopupMenuEx::Window::setScroll (int newScroll)
{
    newScroll = juce::jlimit (0, getMaxScroll(), newScroll);
    if (newScroll != scroll)
    {
        scroll = newScroll;
        repaint();
    }
}

int PopupMenuEx::Window::rowAt (juce::Point<int> p) const
{
    return MenuLayout::rowAt (p, menu.getNumItems(), getWidth(), getHeight(), scroll);
}

void PopupMenuEx::Window::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds();
    g.setColour (juce::Colour (0xFFE3E3E3));
    DefaultLookAndFeel::fillRoundedRectangle (g, bounds.reduced (1), 6.0f);

    {
        juce::Graphics::ScopedSaveState clip (g);
        g.reduceClipRegion (bounds.reduced (1));

        for (int i = 0; i < menu.getNumItems(); ++i)
        {
            const auto row = MenuLayout::rowBounds (i, getWidth(), scroll);
            if (row.getBottom() <= 0 || row.getY() >= getHeight())
                continue;

            const auto& item = *menu.getItem (i);
            if (&item == hoveredItem || &item == lastHoveredItem)
            {
                g.setColour (juce::Colour (0xFFADADAD));
                DefaultLookAndFeel::fillRoundedRectangle (g, row, 3.0f);
            }

            g.setColour (item.isEffectivelyEnabled() ? juce::Colours::black : juce::Colour (0xFF808080));
            g.setFont (font.withStyle ((item.isSubMenu() && item.hasTickedItem ? juce::Font::bold : 0) |
                                       (font.isItalic() ? juce::Font::italic : 0)));

            const int rowTop = row.getY() - MenuLayout::inset; // the row's y without the window inset
            if (item.isSubMenu())
            {
                juce::Path arrow;
                arrow.addTriangle (0.0f, 0.5f, 7.0f, 3.5f, 0.0f, 6.5f);
                arrow.applyTransform (
                    juce::AffineTransform::translation ((float) getWidth() - 14.0f, (float) rowTop + 8.0f));
                g.strokePath (arrow, juce::PathStrokeType (1.0f));
                if (item.hasTickedItem)
                    g.fillPath (arrow);
            }

            if (item.ticked && !item.isSubMenu())
            {
                const juce::Rectangle<float> mark ((float) (menu.ticksOnRight ? getWidth() - 12 : 7),
                                                   (float) rowTop + 9.0f, 5.0f, 5.0f);
                if (menu.roundTicks)
                    g.fillEllipse (mark);
                else
                    g.fillRect (mark);
            }

            g.drawText (item.text, menu.ticksOnRight ? 6 : 22, rowTop + 3, getWidth() - 12,
                        MenuLayout::rowHeight, juce::Justification::centredLeft, false);
        }

        // The scroll strips cover the rows under them, which are then not hit either.
        const auto drawStrip = [&] (juce::Rectangle<int> strip, bool up)
        {
            g.setColour (juce::Colour (0xFFE3E3E3));
            g.fillRect (strip);
            const float cx = (float) strip.getCentreX(), cy = (float) strip.getCentreY();
            juce::Path arrow;
            if (up)
                arrow.addTriangle (cx - 4.0f, cy + 2.0f, cx + 4.0f, cy + 2.0f, cx, cy - 2.0f);
            else
                arrow.addTriangle (cx - 4.0f, cy - 2.0f, cx + 4.0f, cy - 2.0f, cx, cy + 2.0f);
            g.setColour (juce::Colours::black);
            g.fillPath (arrow);
        };
        if (MenuLayout::showsTopStrip (scroll))
            drawStrip (bounds.withHeight (MenuLayout::scrollStrip), true);
        if (MenuLayout::showsBottomStrip (menu.getNumItems(), getHeight(), scroll))
            drawStrip (bounds.withTrimmedTop (getHeight() - MenuLayout::scrollStrip), false);
    }

    g.setColour (juce::Colours::black);
    DefaultLookAndFeel::drawRoundedRectangle (g, bounds, 6.0f, 1.0f);
}

void PopupMenuEx::Window::hover (juce::Point<int> p)
{
    // Resting on a scroll strip scrolls that way until the end or until the mouse leaves it.
    int direction = 0;
    if (MenuLayout::showsTopStrip (scroll) && p.y < MenuLayout::scrollStrip)
        direction = -1;
    else if (MenuLayout::showsBottomStrip (menu.getNumItems(), getHeight(), scroll) &&
             p.y >= getHeight() - MenuLayout::scrollStrip)
        direction = 1;
    if (direction != scrollDirection)
    {
        scrollDirection = direction;
        if (direction != 0)
            startTimer (scrollStepMs);
        else
            stopTimer();
    }

    const int row = rowAt (p);
    if (row < 0)
        return;

    auto* item = menu.getItem (row);
    if (item != hoveredItem || item != lastHoveredItem)
    {
        hoveredItem = lastHoveredItem = item;
        repaint();
    }
    owner.itemHovered (*this, row);
}

void PopupMenuEx::Window::timerCallback()
{
    const int before = scroll;
    setScroll (scroll + scrollDirection * scrollStepPixels);
    if (scroll == before)
    {
        scrollDirection = 0;
        stopTimer();
    }
}

void PopupMenuEx::Window::mouseMove (const juce::MouseEvent& e)
{
    hover (e.getPosition());
}
void PopupMenuEx::Window::mouseEnter (const juce::MouseEvent& e)
{
    hover (e.getPosition());
}

void PopupMenuEx::Window::mouseExit (const juce::MouseEvent&)
{
    scrollDirection = 0;
    stopTimer();
    if (hoveredItem != nullptr)
    {
        hoveredItem = nullptr;
        repaint();
    }
}

void PopupMenuEx::Window::mouseDown (const juce::MouseEvent& e)
{
    const int row = rowAt (e.getPosition());
    if (row >= 0)
        owner.itemPressed (*this, row);
}

void PopupMenuEx::Window::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    if (getMaxScroll() > 0)
        setScroll (scroll - juce::roundToInt (wheel.deltaY * 3.0f * (float) MenuLayout::rowHeight * 4.0f));
}
