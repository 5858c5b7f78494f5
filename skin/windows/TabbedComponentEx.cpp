#include "skin/windows/TabbedComponentEx.h"

#include "skin/windows/LookAndFeelColour.h"

TabbedComponentEx::TabbedComponentEx()
    : juce::TabbedComponent (juce::TabbedButtonBar::TabsAtTop)
{
    lookAndFeelChanged();
}

TabbedComponentEx::~TabbedComponentEx() = default;

void TabbedComponentEx::addListener (Listener* l)
{
    listeners.add (l);
}

void TabbedComponentEx::removeListener (Listener* l)
{
    listeners.remove (l);
}

void TabbedComponentEx::currentTabChanged (int, const juce::String&)
{
    listeners.call ([this] (Listener& l) { l.tabChanged (this); });

    if (auto* page = getCurrentContentComponent())
        if (&page->getLookAndFeel() != &getLookAndFeel())
            page->setLookAndFeel (&getLookAndFeel());
}

void TabbedComponentEx::lookAndFeelChanged()
{
    for (int i = getNumTabs(); --i >= 0;)
        if (auto* page = getTabContentComponent (i))
            page->sendLookAndFeelChange();

    if (auto* lf = dynamic_cast<LookAndFeelMethods*> (&getLookAndFeel()))
    {
        const int depth = lf->getTabBarDepth();
        if (depth != getTabBarDepth())
            setTabBarDepth (depth);
        cornerValue = lf->getTabEdgeIndent();
        setIndent (cornerValue);
        setOutline (cornerValue);
    }
    resized();
    repaint();
}

void TabbedComponentEx::resized()
{
    const float depth = (float) getTabBarDepth();
    outline.clear();
    outline.addRoundedRectangle (juce::Rectangle<float>::leftTopRightBottom (0.5f, depth - 0.5f,
                                                                             (float) getWidth() - 0.5f,
                                                                             (float) getHeight() - 0.5f),
                                 4.0f);
    juce::TabbedComponent::resized();
}

void TabbedComponentEx::paint (juce::Graphics& g)
{
    g.setColour (lookAndFeelColour (*this, 0x0F003000, juce::Colour (0xFFC5C5C5)));
    g.fillPath (outline);
    g.setColour (lookAndFeelColour (*this, 0x0F003002, juce::Colour (0xFF5B5B5B)));
    g.strokePath (outline, juce::PathStrokeType (1.0f));
}
