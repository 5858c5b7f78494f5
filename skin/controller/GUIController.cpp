#include "skin/controller/GUIController.h"

#include "framework/XmlHelpers.h"
#include "skin/source/SkinSource.h"

GUIController::GUIController() = default;

GUIController::~GUIController()
{
    // A control torn down mid-drag (its panel replaced by a new skin) still closes the host's edit.
    if (gestureParameter != nullptr)
        gestureParameter->endChangeGesture();

    if (parameter != nullptr)
        parameter->removeAsyncListener (this);
}

void GUIController::parameterChanged (Parameter* changed)
{
    updateFromParameter (changed);
}

void GUIController::addAction (const juce::String&, int, const juce::String&) {}

void GUIController::updateFromParameter (Parameter*) {}

void GUIController::addListener (Listener* listener)
{
    listeners.add (listener);
}

void GUIController::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

void GUIController::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    if (const auto* links = XmlHelpers::findChild (element, "links"))
    {
        for (const auto* link : links->getChildIterator())
        {
            if (!XmlHelpers::tagIs (*link, "link"))
                continue;

            const auto as = link->getStringAttribute ("as");
            auto* found = skinSource.findParameter (link->getStringAttribute ("param"));
            if (found != nullptr && as == "connectedTo")
                connectToParameter (found);
        }
    }

    if (const auto* actions = XmlHelpers::findChild (element, "actions"))
    {
        for (const auto* action : actions->getChildIterator())
        {
            if (!XmlHelpers::tagIs (*action, "action"))
                continue;

            const auto type = action->getStringAttribute ("type");
            const int eventId = skinSource.findEventId (action->getStringAttribute ("event"));
            if (type.isNotEmpty() && eventId != -1)
                addAction (type, eventId, skinSource.getEventName (eventId));
        }
    }
}

void GUIController::connectToParameter (Parameter* newParameter)
{
    if (newParameter == parameter)
        return;

    if (parameter != nullptr)
        parameter->removeAsyncListener (this);

    parameter = newParameter;

    if (parameter != nullptr)
        parameter->addAsyncListener (this);
}

void GUIController::sendDragStarted()
{
    listeners.call ([this] (Listener& l) { l.controllerDragStarted (this); });
}

void GUIController::sendDragEnded()
{
    listeners.call ([this] (Listener& l) { l.controllerDragEnded (this); });
}

void GUIController::sendValueChanged()
{
    listeners.call ([this] (Listener& l) { l.controllerValueChanged (this); });
}

void GUIController::sendActionTriggered (int eventId)
{
    listeners.call ([this, eventId] (Listener& l) { l.controllerActionTriggered (this, eventId); });
}

void GUIController::beginDragGesture()
{
    if (isInDragGesture())
        return;

    gestureOpen = true;
    gestureParameter = parameter;
    if (gestureParameter != nullptr)
        gestureParameter->beginChangeGesture();
    sendDragStarted();
}

void GUIController::endDragGesture()
{
    if (!isInDragGesture())
        return;

    auto* ended = gestureParameter;
    gestureParameter = nullptr;
    gestureOpen = false;
    if (ended != nullptr)
        ended->endChangeGesture();
    sendDragEnded();
}
