#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Stands in for the window of a top-level component: gathers the regions that the component and its
    descendants ask to repaint, which is all a window repaints. A headless snapshot paints everything
    afresh, so only these regions tell whether a change would reach the screen. Message thread. */
class RepaintRecorder : public juce::CachedComponentImage
{
public:
    /** Installs a recorder on a visible component without parent; the component owns it. */
    static RepaintRecorder& install (juce::Component& top)
    {
        jassert (top.getParentComponent() == nullptr && top.isVisible());
        auto* recorder = new RepaintRecorder (top);
        top.setCachedComponentImage (recorder);
        recorder->dirty.clear();
        return *recorder;
    }

    /** What a window would show of an area of the top component after a change, given a snapshot before
        and after it: changed pixels, and those of them left stale because nobody asked to repaint them. */
    struct Outcome
    {
        int changed = 0, stale = 0;
    };
    Outcome compare (const juce::Image& before, const juce::Image& after, juce::Rectangle<int> area) const
    {
        Outcome outcome;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (before.getPixelAt (x, y) != after.getPixelAt (x, y))
                {
                    ++outcome.changed;
                    if (!dirty.containsPoint (x, y))
                        ++outcome.stale;
                }
        return outcome;
    }

    void clear() { dirty.clear(); }

    // The recorder sits on a component without parent, which is never painted inside a parent context.
    void paint (juce::Graphics&) override {}
    bool invalidateAll() override
    {
        dirty.add (owner.getLocalBounds());
        return true;
    }
    bool invalidate (const juce::Rectangle<int>& area) override
    {
        dirty.add (area);
        return true;
    }
    void releaseResources() override {}

private:
    explicit RepaintRecorder (juce::Component& top)
        : owner (top)
    {
    }

    juce::Component& owner;
    juce::RectangleList<int> dirty;
};
