#pragma once

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
