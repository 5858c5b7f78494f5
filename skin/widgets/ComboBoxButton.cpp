#include "skin/widgets/ComboBoxButton.h"

#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/lookandfeel/SkinArtwork.h"
#include "skin/widgets/MenuLayout.h"

namespace
{
const juce::String noItemText = "---";
}

ComboBoxButton::ComboBoxButton()
{
    if (auto arrow = DefaultLookAndFeel::getIcon (SkinArtwork::arrowDownIcon))
        button.setIcon (*arrow);
    button.setIconOnRight (true);
    button.setIconMargins (3, 1, 5, 1);
    button.setTriggeredOnMouseDown (true);
    button.addListener (this);
    addAndMakeVisible (button);
    menu.addListener (this);
}

ComboBoxButton::~ComboBoxButton()
{
    menu.removeListener (this);
    if (sharedMenu != nullptr)
        sharedMenu->removeListener (this);
}

void ComboBoxButton::addListener (Listener* l)
{
    listeners.add (l);
}
void ComboBoxButton::removeListener (Listener* l)
{
    listeners.remove (l);
}

void ComboBoxButton::setSharedMenu (PopupMenuEx* shared)
{
    if (sharedMenu != nullptr)
        sharedMenu->removeListener (this);
    sharedMenu = shared;
    if (sharedMenu != nullptr)
        sharedMenu->addListener (this);
    updateButtonText();
}

void ComboBoxButton::setParameter (Parameter* p)
{
    if (p == nullptr)
        return;

    PopupMenuEx values;
    if (auto* e = dynamic_cast<EnumParameter*> (p))
        for (int i = 0; i < e->getItemNames().size(); ++i)
            values.addItem (i, e->getItemNames()[i]);
    menu = values;
    updateButtonText();
    attachToParameter (p);
}

void ComboBoxButton::setSelectedId (int id, bool notify)
{
    if (id == selectedId)
        return;
    selectedId = id;
    updateButtonText();
    if (!notify)
        return;
    listeners.call ([this] (Listener& l) { l.comboBoxButtonChanged (this); });
    if (parameter != nullptr)
        parameter->setValueInt (id, true);
}

void ComboBoxButton::updateButtonText()
{
    auto& m = getMenu();
    const auto* item = m.findItem (selectedId);
    button.setButtonText (item != nullptr ? item->displayText : noItemText);
    m.setItemTicked (selectedId, true, true);
}

void ComboBoxButton::updateFromParameter (Parameter* p)
{
    if (p == nullptr)
        return;
    const int id = p->getValueInt();
    if (id != selectedId)
    {
        selectedId = id;
        updateButtonText();
    }
}

bool ComboBoxButton::isOwnOpening (PopupMenuEx* m) const
{
    // A shared menu serves many choosers: only the one whose name the opener carries answers.
    auto* opener = m != nullptr ? m->getParentComponent() : nullptr;
    return opener != nullptr && opener->getName() == getName();
}

void ComboBoxButton::popupMenuItemSelected (PopupMenuEx* m, int itemId, bool)
{
    if (!isOwnOpening (m))
        return;
    if (m == sharedMenu || m == &menu)
        setSelectedId (itemId, true);
    releaseButton();
}

void ComboBoxButton::popupMenuDismissed (PopupMenuEx* m)
{
    if (isOwnOpening (m))
        releaseButton();
}

void ComboBoxButton::releaseButton()
{
    button.setToggleState (false, juce::dontSendNotification);
}

void ComboBoxButton::buttonClicked (juce::Button*)
{
    // The button stays down while its menu is open.
    button.setToggleState (true, juce::dontSendNotification);
    getMenu().showAt (this, {}, MenuLayout::below);
}

void ComboBoxButton::resized()
{
    button.setBounds (getLocalBounds());
}
