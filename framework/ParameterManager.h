#pragma once

#include "framework/Parameter.h"

#include <juce_core/juce_core.h>
#include <memory>

/** Owns every Parameter of one plug-in instance and finds them by identifier and by name for all threads.

    Filled at construction from the embedded table "parameters.xml" (root "PluginParameters"), extended
    by the processor levels; nothing removes single parameters, so pointers and names handed out stay
    valid until clear() or destruction.

    Locking: one juce::ReadWriteLock over the array and both maps. Accessors, notification and listener
    registration are readers (they nest); addParameter and clear are writers. A parameter's setter runs
    under the read lock, so synchronous listeners may call the accessors again but must not add
    parameters. The accessors take no other lock and allocate nothing: the audio thread calls them per
    block and per event. Identifiers that no parameter has are not errors: getters give 0 or an empty
    text, setters do nothing. Every setter here notifies; callers that must not notify use the
    parameter directly. */
class ParameterManager
{
public:
    ParameterManager();
    virtual ~ParameterManager();

    /** Reads the named embedded resource and its table; a missing or unparsable resource leaves the
        manager empty. */
    void loadFromResource (const juce::String& resourceName);

    /** Empties the manager, then reads a "PluginParameters" table (tag compared ignoring case). Entries
        without identifier or name, of an unknown type, with an empty or non-finite range, or repeating an
        identifier or a name are dropped one by one; nothing is notified. */
    void loadFromXml (const juce::XmlElement& root);

    /** Takes ownership in every case. Refused (false) when this pointer is already held, or another
        parameter has the same identifier or the same name (case counting); a refused parameter is deleted
        at once unless it is the one already held. */
    bool addParameter (Parameter* parameter);
    bool addParameter (std::unique_ptr<Parameter> parameter);

    /** Deletes every parameter, the last added first, and empties both maps. */
    void clear();

    float getParameterValue (int id) const;
    float getParameterNormalised (int id) const;
    juce::String getParameterText (int id) const;

    void setParameterValue (int id, float value);
    void setParameterNormalised (int id, float value);
    void setParameterInt (int id, int value);
    void setParameterBool (int id, bool value);
    void setParameterString (int id, const juce::String& text);

    /** Sets parameter id from parameter sourceId; nothing when either is absent. */
    void copyParameterValue (int id, int sourceId);

    /** Null when absent. */
    Parameter* getParameter (int id) const;

    /** -1 when absent; names compare with case counting. */
    int getParameterIdByName (const juce::String& name) const;

    /** A shared empty string when absent. */
    const juce::String& getParameterName (int id) const;

    void notifyParameter (int id);

    /** For every parameter in the order added: synchronous listeners now, then the asynchronous notice. */
    void notifyAll();

    /** Listener registration; null is ignored, nobody is added twice. The "ToAll" forms reach every
        parameter present now. Message thread or start-up. */
    void addListenerToAll (Parameter::Listener* listener);
    void addAsyncListenerToAll (Parameter::Listener* listener);
    void removeAsyncListenerFromAll (Parameter::Listener* listener);
    void addListener (int id, Parameter::Listener* listener);
    void addAsyncListener (int id, Parameter::Listener* listener);
    void removeAsyncListener (int id, Parameter::Listener* listener);

    /** The "application" attribute of the last table read. */
    juce::String getApplicationName() const;

    int getNumParameters() const;

    /** The parameter at that place in the order added (for lists that show every parameter); null out of
        range. */
    Parameter* getParameterAtIndex (int index) const;

    /** Held for reading while a caller looks parameters up in several steps (for example a skin binding
        its controls); held for writing by addParameter and clear.

        The message thread takes it for reading with bounded retries while a skin binds its controls. So no
        thread may hold it for writing and then wait for the message thread (a MessageManagerLock, a
        synchronous call onto it): the two would wait for each other until the retries gave up. */
    const juce::ReadWriteLock& getLock() const noexcept { return lock; }

private:
    /** The absolute value of the identifier modulo the slot count; computed in 64 bits so the lowest
        identifier cannot overflow into a negative slot. */
    struct IdHash
    {
        int generateHash (int key, int upperLimit) const noexcept;
    };

    juce::OwnedArray<Parameter> parameters; // in the order added; deleted last first
    juce::String applicationName;
    juce::HashMap<int, Parameter*, IdHash> idMap;
    juce::HashMap<juce::String, Parameter*> nameMap;
    juce::ReadWriteLock lock;

    JUCE_DECLARE_NON_COPYABLE (ParameterManager)
};
