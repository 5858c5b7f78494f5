#pragma once

#include <juce_core/juce_core.h>

/** The listener list of the system's own broadcasters: no duplicates, null ignored, called from the last
    added to the first. Before each call the index is clamped to the list's current size, so a listener may
    remove itself, or others, from inside its callback without being called twice or crashing the walk.

    Not locked: lists change on the message thread or during start-up, as their owners document. */
template <typename ListenerType>
class ListenerArray
{
public:
    void add (ListenerType* listener)
    {
        if (listener != nullptr)
            listeners.addIfNotAlreadyThere (listener);
    }

    void remove (ListenerType* listener) { listeners.removeFirstMatchingValue (listener); }
    void clear() { listeners.clear(); }

    bool contains (ListenerType* listener) const { return listeners.contains (listener); }
    int size() const { return listeners.size(); }
    bool isEmpty() const { return listeners.isEmpty(); }

    /** Calls the function on every listener, the last added first. */
    template <typename Callback>
    void call (Callback&& callback)
    {
        for (int i = listeners.size(); --i >= 0;)
        {
            i = juce::jmin (i, listeners.size() - 1);
            if (i < 0)
                break;

            if (auto* listener = listeners.getUnchecked (i))
                callback (*listener);
        }
    }

private:
    juce::Array<ListenerType*> listeners;
};
