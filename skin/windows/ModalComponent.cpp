#include "skin/windows/ModalComponent.h"

std::unique_ptr<ModalComponent> ModalComponent::Desktop::createYesNoQuestion (const juce::String&,
                                                                              const juce::String&,
                                                                              std::function<void (bool)>)
{
    return nullptr;
}

ModalComponent::CoveringWindow::CoveringWindow (ModalComponent& o)
    : owner (o)
{
    setInterceptsMouseClicks (true, true);
}

void ModalComponent::CoveringWindow::paint (juce::Graphics& g)
{
    if (owner.shouldDimBackground())
        g.fillAll (juce::Colours::white.withAlpha (0.25f));
}

void ModalComponent::CoveringWindow::resized()
{
    owner.updatePosition();
}

void ModalComponent::CoveringWindow::parentHierarchyChanged()
{
    fillParent();
}

void ModalComponent::CoveringWindow::parentSizeChanged()
{
    fillParent();
}

void ModalComponent::CoveringWindow::fillParent()
{
    if (auto* parent = getParentComponent())
        setBounds (parent->getLocalBounds());
}

ModalComponent::ModalComponent()
    : coveringWindow (*this)
{
    coveringWindow.setVisible (false);
}

ModalComponent::~ModalComponent()
{
    // The covering window is a member: take it out of the editor before it goes.
    if (auto* parent = coveringWindow.getParentComponent())
        parent->removeChildComponent (&coveringWindow);
}

bool ModalComponent::isInCoveringWindow() const
{
    return getParentComponent() == &coveringWindow && coveringWindow.getParentComponent() != nullptr;
}

bool ModalComponent::isShowing() const
{
    return isVisible() && (!isInCoveringWindow() || coveringWindow.isVisible());
}

ModalComponent::Desktop* ModalComponent::findDesktop() const
{
    for (auto* c = static_cast<const juce::Component*> (this); c != nullptr; c = c->getParentComponent())
    {
        // The covering window sits inside the desktop; skip ourselves and our own veil.
        if (auto* d = dynamic_cast<Desktop*> (const_cast<juce::Component*> (c)))
            return d;
    }
    return nullptr;
}

void ModalComponent::attachToDesktop()
{
    if (isInCoveringWindow())
        return;

    auto* desktop = findDesktop();
    auto* desktopComponent = dynamic_cast<juce::Component*> (desktop);
    if (desktopComponent == nullptr || desktopComponent == this)
    {
        setVisible (true);
        return;
    }

    desktopComponent->addChildComponent (coveringWindow);
    coveringWindow.addChildComponent (this);
    coveringWindow.setVisible (false);
    coveringWindow.toBack();
}

void ModalComponent::show()
{
    attachToDesktop();

    if (isInCoveringWindow() && !coveringWindow.isVisible())
    {
        positioningMode = centredInModalArea;
        storedX = storedY = 0;
        coveringWindow.setVisible (true);
        coveringWindow.toFront (true);
        updatePosition();
    }

    setVisible (true);
    if (getWantsKeyboardFocus() && isEnabled())
        grabKeyboardFocus();
}

void ModalComponent::showAt (int mode, juce::Point<int> position, juce::Component* relativeTo)
{
    attachToDesktop();

    auto* desktopComponent = coveringWindow.getParentComponent();
    if (relativeTo != nullptr && desktopComponent != nullptr)
        position = desktopComponent->getLocalPoint (relativeTo, position);

    positioningMode = mode;
    storedX = position.x;
    storedY = position.y;

    if (isInCoveringWindow() && !coveringWindow.isVisible())
    {
        coveringWindow.setVisible (true);
        coveringWindow.toFront (true);
    }

    updatePosition();
    setVisible (true);
    if (getWantsKeyboardFocus() && isEnabled())
        grabKeyboardFocus();
}

void ModalComponent::hideWindow()
{
    if (isInCoveringWindow() && coveringWindow.isVisible())
    {
        coveringWindow.setVisible (false);
        coveringWindow.toBack();
    }
    setVisible (false);
}

juce::Point<int> ModalComponent::placeWithin (int mode, juce::Point<int> wanted, int width, int height,
                                              juce::Rectangle<int> area)
{
    auto pos = mode == atStoredPosition
                   ? wanted
                   : juce::Point<int> (area.getWidth() / 2 - width / 2, area.getHeight() / 2 - height / 2);

    // Keep the whole window reachable: never past the right or bottom edge while it fits, and its
    // title bar never above or left of the visible area when it does not.
    pos.x = juce::jmax (area.getX(), juce::jmin (pos.x, area.getRight() - width));
    pos.y = juce::jmax (area.getY(), juce::jmin (pos.y, area.getBottom() - height));
    return pos;
}

void ModalComponent::updatePosition()
{
    if (getParentComponent() != &coveringWindow)
    {
        if (positioningMode == atStoredPosition)
            setBounds (storedX, storedY, getWidth(), getHeight());
        return;
    }

    auto* desktopComponent = coveringWindow.getParentComponent();
    if (desktopComponent == nullptr)
        return;

    const auto visible = coveringWindow.getLocalBounds();
    if (positioningMode == atStoredPosition)
    {
        setTopLeftPosition (
            placeWithin (atStoredPosition, {storedX, storedY}, getWidth(), getHeight(), visible));
        return;
    }

    if (auto* desktop = dynamic_cast<Desktop*> (desktopComponent))
    {
        const auto area = desktop->getModalArea();
        // Centred in the modal area (its own offset is not added), then kept inside what is visible.
        auto pos = placeWithin (centredInModalArea, {}, getWidth(), getHeight(), area.withZeroOrigin());
        pos = placeWithin (atStoredPosition, pos, getWidth(), getHeight(), visible);
        setTopLeftPosition (pos);
    }
}

void ModalComponent::resized()
{
    updatePosition();
}

void ModalComponent::parentHierarchyChanged()
{
    // Being taken out of a parent (null) is a step of moving into the covering window, not a new home.
    if (auto* parent = getParentComponent(); parent != nullptr && parent != &coveringWindow)
        if (auto* coveringParent = coveringWindow.getParentComponent())
            coveringParent->removeChildComponent (&coveringWindow);

    // JUCE tells nobody when a new parent brings another look and feel: a window moved under the editor
    // takes the editor's fonts and colours here.
    if (getParentComponent() != nullptr && &getLookAndFeel() != seenLookAndFeel.get())
    {
        seenLookAndFeel = &getLookAndFeel();
        sendLookAndFeelChange();
    }
}

juce::Rectangle<int> ModalComponent::getCoveringWindowBounds() const
{
    return coveringWindow.getLocalBounds();
}
