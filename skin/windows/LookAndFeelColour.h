#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The colour of an id as the component or its look and feel sets it, or the fallback when neither
    does (JUCE answers unknown ids with black, which would paint windows black under a foreign look and
    feel). */
inline juce::Colour lookAndFeelColour (const juce::Component& c, int colourId, juce::Colour fallback)
{
    for (auto* p = &c; p != nullptr; p = p->getParentComponent())
        if (p->isColourSpecified (colourId))
            return p->findColour (colourId);
    auto& lf = c.getLookAndFeel();
    return lf.isColourSpecified (colourId) ? lf.findColour (colourId) : fallback;
}
