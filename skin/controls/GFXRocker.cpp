#include "skin/controls/GFXRocker.h"

#include "framework/XmlHelpers.h"

GFXRocker::GFXRocker (const juce::String& name)
    : juce::Component (name)
{
}

void GFXRocker::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    BaseGFXController::loadFromXml (element, skinSource);
    if (!XmlHelpers::tagIs (element, "Rocker"))
        return;

    type = ControlFrames::rockerTypeOfWord (element.getStringAttribute ("type", "vertical"), type);
    placeAtSkinBounds (*this);
}

void GFXRocker::addAction (const juce::String& actionType, int eventId, const juce::String&)
{
    if (actionType == "onLessClick")
        events.less = eventId;
    else if (actionType == "onMoreClick")
        events.more = eventId;
    else if (actionType == "onLessClickWithCtrl")
        events.lessCtrl = eventId;
    else if (actionType == "onMoreClickWithCtrl")
        events.moreCtrl = eventId;
}

void GFXRocker::mouseDown (const juce::MouseEvent& e)
{
    const auto half = ControlFrames::rockerHalf (type, e.x, e.y, getWidth(), getHeight());
    position = half;
    repaint();

    const int eventId = ControlFrames::rockerEvent (events, half, e.mods.isCtrlDown());
    if (eventId != -1)
        sendActionTriggered (eventId);
}

void GFXRocker::mouseUp (const juce::MouseEvent&)
{
    position = ControlFrames::rockerRest;
    repaint();
}

void GFXRocker::paint (juce::Graphics& g)
{
    if (hasImage())
    {
        drawFrame (g, position, getLocalBounds());
        return;
    }

    g.setColour (juce::Colour::greyLevel (0.9f));
    g.fillRect (g.getClipBounds());

    // The two halves with a 2-pixel gap between them.
    auto bounds = getLocalBounds();
    juce::Rectangle<int> more, less;
    if (type == horizontal)
    {
        less = bounds.removeFromLeft (getWidth() / 2 - 1);
        more = bounds.withTrimmedLeft (2);
    }
    else
    {
        more = bounds.removeFromTop (getHeight() / 2 - 1);
        less = bounds.withTrimmedTop (2);
    }

    g.setColour (juce::Colour::greyLevel (position == ControlFrames::rockerMore ? 0.5f : 0.7f));
    g.fillRect (more);
    g.setColour (juce::Colour::greyLevel (position == ControlFrames::rockerLess ? 0.5f : 0.7f));
    g.fillRect (less);

    g.setColour (juce::Colours::black);
    g.drawRect (getLocalBounds(), 1);
}
