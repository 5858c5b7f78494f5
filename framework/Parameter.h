#pragma once

#include "framework/ListenerArray.h"
#include "framework/NoteNames.h"
#include "framework/RealtimeNotifier.h"

#include <atomic>
#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>
#include <memory>

/** A named, numbered value that the host, the editor, MIDI control, presets and the engine exchange.

    Each type converts itself to and from float, normalised float (0 to 1), int, bool and text. A setter
    works out the new value, stores it only when it differs from the stored one, then (when asked to
    notify) calls the synchronous listeners at once on the calling thread, the last added first, and
    triggers an asynchronous update that calls the asynchronous listeners on the message thread.
    Several changes before the message thread runs give one asynchronous call, which reads the value
    current at that moment. The update is a RealtimeNotifier, so a setter on the audio thread raises a
    flag and posts nothing.

    Threads: setters and getters run on any thread (the audio thread included). Numeric values are
    atomics; numeric getters and setters take no lock and allocate nothing. The listener lists are not
    locked: they change on the message thread or during start-up.

    Owned by the ParameterManager that holds it; a parameter does not own its listeners, which remove
    themselves before they die. */
class Parameter : public RealtimeNotifier
{
public:
    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** Synchronous listeners: the setter's thread, inside the setter (possibly the audio thread).
            Asynchronous listeners: the message thread. */
        virtual void parameterChanged (Parameter* parameter) = 0;

        /** A control was grabbed or released (message thread); the processor forwards it to the host. */
        virtual void parameterChangeGestureBegin (Parameter*) {}
        virtual void parameterChangeGestureEnd (Parameter*) {}
    };

    /** Not automatable, both listener lists empty. */
    Parameter (int id, const juce::String& name);

    /** Releases the listener lists without calling anybody and cancels a pending asynchronous notice. */
    ~Parameter() override;

    /** Calls every asynchronous listener, the last added first (message thread). */
    void handleAsyncUpdate() override;

    /** A new parameter of the same class with the given identity, taking this one's automatable flag,
        range, value and items; its listener lists start empty. */
    virtual std::unique_ptr<Parameter> clone (int newId, const juce::String& newName) const = 0;

    virtual float getValue() const = 0;
    virtual float getValueNormalised() const = 0;
    virtual int getValueInt() const = 0;
    virtual bool getValueBool() const = 0;
    virtual juce::String getValueText() const = 0;

    virtual void setValue (float newValue, bool notify) = 0;
    virtual void setValueNormalised (float newValue, bool notify) = 0;
    virtual void setValueInt (int newValue, bool notify) = 0;
    virtual void setValueBool (bool newValue, bool notify) = 0;
    virtual void setValueText (const juce::String& newText, bool notify) = 0;
    virtual void setValueFrom (const Parameter& other, bool notify) = 0;

    int getId() const noexcept { return id; }
    const juce::String& getName() const noexcept { return name; }

    /** Only automatable parameters may be given to host slots. */
    bool isAutomatable() const noexcept { return automatable.load (std::memory_order_relaxed); }
    void setAutomatable (bool shouldBeAutomatable) noexcept
    {
        automatable.store (shouldBeAutomatable, std::memory_order_relaxed);
    }

    /** The synchronous listeners now, then the asynchronous notice, whether or not the value changed. */
    void notifyListeners();

    /** Tells the synchronous listeners (the processor chain, which tells the host) that a control was
        grabbed or released. Message thread. */
    void beginChangeGesture();
    void endChangeGesture();

    /** Null is ignored and nobody is added twice. Message thread or start-up. */
    void addListener (Listener* listener);
    void removeListener (Listener* listener);
    void addAsyncListener (Listener* listener);
    void removeAsyncListener (Listener* listener);

    bool hasListener (Listener* listener) const { return listeners.contains (listener); }
    bool hasAsyncListener (Listener* listener) const { return asyncListeners.contains (listener); }

protected:
    /** The copy with a new identity that clone makes. */
    Parameter (const Parameter& source, int newId, const juce::String& newName);

    /** The end of every setter that changed the value: synchronous listeners, then the asynchronous notice,
        when notify is true. */
    void valueChanged (bool notify);

private:
    const int id;
    const juce::String name;
    std::atomic<bool> automatable{false};
    ListenerArray<Listener> listeners;      // called on the setter's thread
    ListenerArray<Listener> asyncListeners; // called on the message thread

    JUCE_DECLARE_NON_COPYABLE (Parameter)
};

//==============================================================================
/** A float value within min..max. Setting a NaN leaves the value as it was. */
class FloatParameter : public Parameter
{
public:
    /** The value is clamped into the range (a NaN gives the minimum); max below min is raised to min. */
    FloatParameter (int id, const juce::String& name, float minimum = 0.0f, float maximum = 1.0f,
                    float value = 0.0f);

    std::unique_ptr<Parameter> clone (int newId, const juce::String& newName) const override;

    float getValue() const override;
    float getValueNormalised() const override;
    int getValueInt() const override;
    bool getValueBool() const override;
    juce::String getValueText() const override;

    void setValue (float newValue, bool notify) override;
    void setValueNormalised (float newValue, bool notify) override;
    void setValueInt (int newValue, bool notify) override;
    void setValueBool (bool newValue, bool notify) override;
    void setValueText (const juce::String& newText, bool notify) override;
    void setValueFrom (const Parameter& other, bool notify) override;

    float getMinimum() const noexcept { return minimum; }
    float getMaximum() const noexcept { return maximum; }

protected:
    FloatParameter (const FloatParameter& source, int newId, const juce::String& newName);

private:
    void store (float newValue, bool notify);

    const float minimum;
    const float maximum;
    std::atomic<float> value;
};

//==============================================================================
/** An on/off value stored as 0 or 1. Its text is "true"/"false"; the subclasses only change the words. */
class BoolParameter : public Parameter
{
public:
    BoolParameter (int id, const juce::String& name, bool value = false);

    std::unique_ptr<Parameter> clone (int newId, const juce::String& newName) const override;

    float getValue() const override;
    float getValueNormalised() const override;
    int getValueInt() const override;
    bool getValueBool() const override;
    juce::String getValueText() const override;

    void setValue (float newValue, bool notify) override;
    void setValueNormalised (float newValue, bool notify) override;
    void setValueInt (int newValue, bool notify) override;
    void setValueBool (bool newValue, bool notify) override;

    /** "true", "1", "on", "yes" give 1; "false", "0", "off", "no" give 0 (case counting); any other text
        is read as a decimal number and set as a normalised value. */
    void setValueText (const juce::String& newText, bool notify) override;
    void setValueFrom (const Parameter& other, bool notify) override;

protected:
    BoolParameter (const BoolParameter& source, int newId, const juce::String& newName);

private:
    void store (bool newValue, bool notify);

    std::atomic<int> value; // always 0 or 1
};

/** Text "on"/"off"; reads "on" and "off" in any case, other text as a BoolParameter does. */
class StateParameter : public BoolParameter
{
public:
    using BoolParameter::BoolParameter;

    std::unique_ptr<Parameter> clone (int newId, const juce::String& newName) const override;
    juce::String getValueText() const override;
    void setValueText (const juce::String& newText, bool notify) override;

protected:
    StateParameter (const StateParameter& source, int newId, const juce::String& newName);
};

/** Text "yes"/"no"; reads exactly "yes" and "no", other text as a BoolParameter does. */
class AnswerParameter : public BoolParameter
{
public:
    using BoolParameter::BoolParameter;

    std::unique_ptr<Parameter> clone (int newId, const juce::String& newName) const override;
    juce::String getValueText() const override;
    void setValueText (const juce::String& newText, bool notify) override;

protected:
    AnswerParameter (const AnswerParameter& source, int newId, const juce::String& newName);
};

/** Text "1"/"0"; reads exactly "1" and "0", other text as a BoolParameter does. */
class LogicParameter : public BoolParameter
{
public:
    using BoolParameter::BoolParameter;

    std::unique_ptr<Parameter> clone (int newId, const juce::String& newName) const override;
    juce::String getValueText() const override;
    void setValueText (const juce::String& newText, bool notify) override;

protected:
    LogicParameter (const LogicParameter& source, int newId, const juce::String& newName);
};

//==============================================================================
/** An integer within min..max; the normalised value moves it to the nearest step. */
class IntParameter : public Parameter
{
public:
    /** The value is clamped into the range; max below min is raised to min. */
    IntParameter (int id, const juce::String& name, int minimum = 0, int maximum = 1, int value = 0);

    std::unique_ptr<Parameter> clone (int newId, const juce::String& newName) const override;

    float getValue() const override;
    float getValueNormalised() const override;
    int getValueInt() const override;
    bool getValueBool() const override;
    juce::String getValueText() const override;

    void setValue (float newValue, bool notify) override;
    void setValueNormalised (float newValue, bool notify) override;
    void setValueInt (int newValue, bool notify) override;
    void setValueBool (bool newValue, bool notify) override;
    void setValueText (const juce::String& newText, bool notify) override;
    void setValueFrom (const Parameter& other, bool notify) override;

    int getMinimum() const noexcept { return minimum.load (std::memory_order_relaxed); }
    int getMaximum() const noexcept { return maximum.load (std::memory_order_relaxed); }

    /** Act only when the range stays non-empty and the bound changes; a value pushed out of the new range
        is clamped into it and the listeners are told (synchronous, then the asynchronous notice). */
    void setMinimum (int newMinimum);
    void setMaximum (int newMaximum);

protected:
    IntParameter (const IntParameter& source, int newId, const juce::String& newName);

    void store (int newValue, bool notify);

    /** Text that is no note or item name: a decimal number set as a normalised value. */
    void setValueTextAsNormalised (const juce::String& newText, bool notify);

private:
    // Written on the message thread when the items change, read by setters on any thread.
    std::atomic<int> minimum;
    std::atomic<int> maximum;
    std::atomic<int> value;
};

/** A MIDI note 0 to 127 whose text is its note name ("C-5"). Text that is no note name is read as a
    decimal number and set as a normalised value. */
class NoteParameter : public IntParameter
{
public:
    NoteParameter (int id, const juce::String& name, int value = 0);

    std::unique_ptr<Parameter> clone (int newId, const juce::String& newName) const override;
    juce::String getValueText() const override;
    void setValueText (const juce::String& newText, bool notify) override;

protected:
    NoteParameter (const NoteParameter& source, int newId, const juce::String& newName);
};

/** An index 0 to items - 1 into a list of item names; its text is the item's name. Text equal to an item
    name (case counting) selects it; other text is read as a decimal number and set as normalised.
    The items change only on the message thread before the parameter is shared. */
class EnumParameter : public IntParameter
{
public:
    /** Range 0..1, value 0, no items. */
    EnumParameter (int id, const juce::String& name);

    std::unique_ptr<Parameter> clone (int newId, const juce::String& newName) const override;
    juce::String getValueText() const override;
    void setValueText (const juce::String& newText, bool notify) override;

    /** Items separated by ";" (no quoting; an empty piece is an empty name, an empty list no items). When
        the list differs from the stored one the range becomes 0..items - 1; with no items the maximum
        stays as it was. */
    void setItems (const juce::String& list);

    const juce::StringArray& getItemNames() const noexcept { return itemNames; }
    const juce::String& getItemList() const noexcept { return itemList; }

protected:
    EnumParameter (const EnumParameter& source, int newId, const juce::String& newName);

private:
    juce::StringArray itemNames;
    juce::String itemList;
};

//==============================================================================
/** A text value. Numeric reads parse the text; numeric writes store their decimal text. The text is
    guarded by its own lock: readers copy it under the read lock and parse the copy, the setter replaces it
    under the write lock, and listeners are called after the lock is released. */
class StringParameter : public Parameter
{
public:
    StringParameter (int id, const juce::String& name, const juce::String& text = {});

    std::unique_ptr<Parameter> clone (int newId, const juce::String& newName) const override;

    /** The text read as a decimal number; 0 when it does not begin with one or reads as NaN. */
    float getValue() const override;
    /** The float value clamped to 0..1. */
    float getValueNormalised() const override;
    /** The text's leading integer. */
    int getValueInt() const override;
    /** True for "true" (any case) and for a non-zero leading integer, so it reads back what
        setValueBool writes. */
    bool getValueBool() const override;
    juce::String getValueText() const override;

    /** The decimal text of the number with 6 significant digits (normalised values are not clamped). */
    void setValue (float newValue, bool notify) override;
    void setValueNormalised (float newValue, bool notify) override;
    void setValueInt (int newValue, bool notify) override;
    /** "true" or "false". */
    void setValueBool (bool newValue, bool notify) override;
    void setValueText (const juce::String& newText, bool notify) override;
    void setValueFrom (const Parameter& other, bool notify) override;

protected:
    StringParameter (const StringParameter& source, int newId, const juce::String& newName);

private:
    juce::String copyText() const;

    juce::ReadWriteLock textLock;
    juce::String text;
};
