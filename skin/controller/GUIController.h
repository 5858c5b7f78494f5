#pragma once

#include "framework/ListenerArray.h"
#include "framework/Parameter.h"
#include "skin/controller/BlinkingComponent.h"

#include <juce_core/juce_core.h>

class SkinSource;

/** The part of every skin control that ties it to at most one parameter (found by its display name) and
    to any number of events (found by name in the events map), and that tells the control's own listeners
    (the editor) when the user starts or ends a drag, changes a value or fires an event.

    The control points to its parameter and sits on the parameter's asynchronous listener list, so host
    automation reaches it on the message thread (parameterChanged -> updateFromParameter). A control
    refreshes from its parameter without notification: a value that came from the parameter never travels
    back to it.

    Message thread only. The parameter outlives the control (both live as long as the processor and its
    editor); the control removes itself from the parameter's list when it dies. */
class GUIController : public Parameter::Listener, public BlinkingComponent
{
public:
    /** The editors. Every callback is called on the message thread, the last added listener first; a
        listener may remove itself, or others, while it is called. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        /** Kept for the listener's shape; no control calls it. */
        virtual void controllerUnused (GUIController*) {}
        virtual void controllerDragStarted (GUIController*) {}
        virtual void controllerDragEnded (GUIController*) {}
        virtual void controllerValueChanged (GUIController*) {}
        virtual void controllerActionTriggered (GUIController*, int /*eventId*/) {}
    };

    GUIController();
    ~GUIController() override;

    /** Parameter::Listener: the asynchronous notice of the connected parameter; calls updateFromParameter. */
    void parameterChanged (Parameter* changed) override;
    void parameterChangeGestureBegin (Parameter*) override {}
    void parameterChangeGestureEnd (Parameter*) override {}

    /** A skin action of this control: the action kind ("onClick"...), the event's identifier and its
        display name. Controls that fire events keep what they need; others ignore it. */
    virtual void addAction (const juce::String& type, int eventId, const juce::String& eventName);

    /** Shows the parameter's value without writing anything back. */
    virtual void updateFromParameter (Parameter* source);

    /** Null is ignored, nobody is added twice. A panel overrides it to reach its children as well. */
    virtual void addListener (Listener* listener);
    virtual void removeListener (Listener* listener);

    /** Reads the control's skin element: its "links" (the last "connectedTo" link to an existing
        parameter wins) and its "actions" (each event known to the events map registers through addAction).
        Tags are compared ignoring case. */
    virtual void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource);

    /** Connects to the parameter (null disconnects): off the old parameter's asynchronous list, onto the
        new one's. For editors that set a control up by code. */
    void connectToParameter (Parameter* newParameter);

    Parameter* getParameter() const noexcept { return parameter; }
    bool isConnected() const noexcept { return parameter != nullptr; }

    void sendDragStarted();
    void sendDragEnded();
    void sendValueChanged();
    /** The single road by which a control fires an event; the editors decide what it does. */
    void sendActionTriggered (int eventId);

    /** The gesture of a dragged control: at the start the parameter's synchronous listeners (the
        processor, which tells the host) hear the gesture begin, then this control's listeners hear
        controllerDragStarted; the end likewise. A begin while a gesture is open and an end without one are
        ignored, so the host sees exactly one begin and one end per drag however the component reports
        its mouse. Destroying the control mid-gesture ends the gesture. */
    void beginDragGesture();
    void endDragGesture();
    bool isInDragGesture() const noexcept { return gestureOpen; }

protected:
    ListenerArray<Listener> listeners;

private:
    Parameter* parameter = nullptr;        // not owned
    Parameter* gestureParameter = nullptr; // the parameter whose gesture is open, so the end reaches it
    bool gestureOpen = false;

    JUCE_DECLARE_NON_COPYABLE (GUIController)
};
