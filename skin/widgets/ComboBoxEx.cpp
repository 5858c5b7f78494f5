#include "skin/widgets/ComboBoxEx.h"

#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/lookandfeel/EmbeddedFonts.h"
#include "skin/widgets/MenuLayout.h"

ComboBoxEx::ComboBoxEx()
    : font (EmbeddedFonts::makeFont (13.0f, juce::Font::plain))
{
    menu.addListener (this);
    updateText();
}

ComboBoxEx::~ComboBoxEx()
{
    menu.removeListener (this);
    if (sharedMenu != nullptr)
        sharedMenu->removeListener (this);
}

void ComboBoxEx::addListener (Listener* l)
{
    listeners.add (l);
}
void ComboBoxEx::removeListener (Listener* l)
{
    listeners.remove (l);
}

void ComboBoxEx::setSharedMenu (PopupMenuEx* shared)
{
    if (sharedMenu != nullptr)
        sharedMenu->removeListener (this);
    sharedMenu = shared;
    if (sharedMenu != nullptr)
        sharedMenu->addListener (this);
    updateText();
}

void ComboBoxEx::setSelectedId (int id)
{
    if (id == selectedId)
        return;
    selectedId = id;
    updateText();
}

void ComboBoxEx::updateText()
{
    auto& m = getMenu();
    const auto* item = m.findItem (selectedId);
    const auto newText = item != nullptr ? item->displayText : juce::String ("---");
    if (newText != text)
    {
        text = newText;
        repaint();
    }

    const bool italic = item == nullptr || !item->enabled;
    if (italic != font.isItalic())
    {
        font.setItalic (italic);
        repaint();
    }
    m.setItemTicked (selectedId, true, true);
}

void ComboBoxEx::updateFromParameter (Parameter* p)
{
    if (p != nullptr)
        setSelectedId (p->getValueInt());
}

bool ComboBoxEx::isOwnOpening (PopupMenuEx* m) const
{
    auto* opener = m != nullptr ? m->getParentComponent() : nullptr;
    return opener != nullptr && opener->getName() == getName();
}

void ComboBoxEx::popupMenuItemSelected (PopupMenuEx* m, int itemId, bool)
{
    if (!isOwnOpening (m))
        return;
    if ((m == sharedMenu || m == &menu) && itemId != selectedId)
    {
        selectedId = itemId;
        updateText();
        listeners.call ([this] (Listener& l) { l.comboBoxExChanged (this); });
        if (parameter != nullptr)
            parameter->setValueInt (itemId, true);
    }
    menuOpen = false;
    repaint();
}

void ComboBoxEx::popupMenuDismissed (PopupMenuEx* m)
{
    if (!isOwnOpening (m))
        return;
    menuOpen = false;
    repaint();
}

void ComboBoxEx::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds();
    const auto outline = menuOpen ? juce::Colour (0xFFFF4500).withAlpha (0.75f) : juce::Colours::white;

    g.setColour (juce::Colour (0xFFE3E3E3));
    DefaultLookAndFeel::fillRoundedRectangle (g, bounds.reduced (1), 4.0f);
    g.setColour (outline);
    DefaultLookAndFeel::drawRoundedRectangle (g, bounds, 4.0f, 1.0f);

    g.setColour (juce::Colours::black);
    g.setFont (font);
    g.drawText (text, 4, 0, getWidth(), getHeight(), juce::Justification::centredLeft, false);

    if (2 < getHeight() - 2)
    {
        g.setColour (juce::Colour (0xFFBFBFBF));
        g.fillRect (getWidth() - 13, 2, 1, getHeight() - 4);
    }

    g.setColour (juce::Colours::black);
    g.fillPath (arrow);
}

void ComboBoxEx::resized()
{
    const float c = (float) getWidth() - 4.0f - 3.5f;
    const float m = (float) getHeight() / 2.0f;
    arrow.clear();
    arrow.addTriangle (c - 3.0f, m - 3.0f, c + 3.0f, m - 3.0f, c, m + 3.0f);
}

void ComboBoxEx::mouseDown (const juce::MouseEvent&)
{
    updateText();
    getMenu().showAt (this, {}, MenuLayout::below);
    menuOpen = true;
    repaint();
}
