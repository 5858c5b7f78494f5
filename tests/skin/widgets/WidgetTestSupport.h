#pragma once

#include "TestSupport.h"
#include "skin/windows/WindowsTestSupport.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** Headless mouse events for the widget tests. */
namespace WidgetTest
{
inline juce::MouseEvent mouseAt (juce::Component& component, juce::Point<float> position)
{
    auto source = juce::Desktop::getInstance().getMainMouseSource();
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (source, position, {}, juce::MouseInputSource::defaultPressure,
                             juce::MouseInputSource::defaultOrientation,
                             juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                             juce::MouseInputSource::defaultTiltY, &component, &component, now, position, now,
                             1, false);
}

/** A click as a user makes it: pressed and released at the component's centre. */
inline void click (juce::Component& component)
{
    const auto centre = component.getLocalBounds().getCentre().toFloat();
    component.mouseDown (mouseAt (component, centre));
    component.mouseUp (mouseAt (component, centre));
}
} // namespace WidgetTest
