#pragma once

#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/windows/ModalComponent.h"

/** An editor stand-in: the component windows are shown over. */
class TestDesktop : public juce::Component, public ModalComponent::Desktop
{
public:
    TestDesktop (int w, int h, juce::Rectangle<int> modal = {})
        : modalArea (modal)
    {
        setSize (w, h);
        setVisible (true); // hit-testing skips hidden components
    }

    juce::Rectangle<int> getModalArea() override
    {
        return modalArea.isEmpty() ? getLocalBounds() : modalArea;
    }

    juce::Rectangle<int> modalArea;
};

/** An editor stand-in drawn with the default look and feel, which the widgets added to it take over. */
class StyledDesktop : public TestDesktop
{
public:
    StyledDesktop (int w = 400, int h = 300)
        : TestDesktop (w, h)
    {
        setLookAndFeel (&lf);
    }
    ~StyledDesktop() override
    {
        removeAllChildren();
        setLookAndFeel (nullptr);
    }

    DefaultLookAndFeel lf;
};

/** A window of a given size that may veil the editor. */
class SizedWindow : public ModalComponent
{
public:
    SizedWindow (int w, int h, bool dims = false)
        : dim (dims)
    {
        setSize (w, h);
    }
    bool shouldDimBackground() const override { return dim; }
    bool dim;
};
