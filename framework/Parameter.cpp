#include "framework/Parameter.h"

#include "framework/NumberText.h"

#include <cmath>
#include <limits>

//==============================================================================
Parameter::Parameter (int parameterId, const juce::String& parameterName)
    : id (parameterId)
    , name (parameterName)
{
}

Parameter::Parameter (const Parameter& source, int newId, const juce::String& newName)
    : id (newId)
    , name (newName)
    , automatable (source.isAutomatable())
{
}

Parameter::~Parameter()
{
    cancelPendingUpdate();
}

void Parameter::handleAsyncUpdate()
{
    asyncListeners.call ([this] (Listener& l) { l.parameterChanged (this); });
}

void Parameter::notifyListeners()
{
    listeners.call ([this] (Listener& l) { l.parameterChanged (this); });
    triggerAsyncUpdate();
}

void Parameter::valueChanged (bool notify)
{
    if (notify)
        notifyListeners();
}

void Parameter::beginChangeGesture()
{
    listeners.call ([this] (Listener& l) { l.parameterChangeGestureBegin (this); });
}

void Parameter::endChangeGesture()
{
    listeners.call ([this] (Listener& l) { l.parameterChangeGestureEnd (this); });
}

void Parameter::addListener (Listener* listener)
{
    listeners.add (listener);
}

void Parameter::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

void Parameter::addAsyncListener (Listener* listener)
{
    asyncListeners.add (listener);
}

void Parameter::removeAsyncListener (Listener* listener)
{
    asyncListeners.remove (listener);
}

//==============================================================================
namespace
{
/** Clamps in double before narrowing, so values beyond the float range never reach a float conversion.
    NaN stays NaN: the stores treat it as "no change". */
float clampFloat (double x, float minimum, float maximum)
{
    if (std::isnan (x))
        return std::numeric_limits<float>::quiet_NaN();

    return (float) juce::jlimit ((double) minimum, (double) maximum, x);
}

/** Truncates toward zero after clamping to an integer range, so the conversion can never overflow. */
int clampToInt (double x, int minimum, int maximum)
{
    return (int) juce::jlimit ((double) minimum, (double) maximum, x);
}
} // namespace

//==============================================================================
FloatParameter::FloatParameter (int parameterId, const juce::String& parameterName, float min, float max,
                                float initialValue)
    : Parameter (parameterId, parameterName)
    , minimum (min)
    , maximum (juce::jmax (min, max))
    , value (clampFloat (std::isnan (initialValue) ? min : initialValue, min, juce::jmax (min, max)))
{
}

FloatParameter::FloatParameter (const FloatParameter& source, int newId, const juce::String& newName)
    : Parameter (source, newId, newName)
    , minimum (source.minimum)
    , maximum (source.maximum)
    , value (source.getValue())
{
}

std::unique_ptr<Parameter> FloatParameter::clone (int newId, const juce::String& newName) const
{
    return std::unique_ptr<Parameter> (new FloatParameter (*this, newId, newName));
}

float FloatParameter::getValue() const
{
    return value.load (std::memory_order_relaxed);
}

float FloatParameter::getValueNormalised() const
{
    // An empty range has no position in it; 0 rather than the NaN of 0 / 0 goes to the host.
    if (!(maximum > minimum))
        return 0.0f;

    return (getValue() - minimum) / (maximum - minimum);
}

int FloatParameter::getValueInt() const
{
    return clampToInt (getValue(), std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

bool FloatParameter::getValueBool() const
{
    const float v = getValue();
    return v - minimum >= maximum - v;
}

juce::String FloatParameter::getValueText() const
{
    return NumberText::formatGeneral (getValue(), 9);
}

void FloatParameter::setValue (float newValue, bool notify)
{
    store (clampFloat (newValue, minimum, maximum), notify);
}

void FloatParameter::setValueNormalised (float newValue, bool notify)
{
    if (std::isnan (newValue))
        return;

    // In double: max - min of a wide range overflows float.
    const double x = juce::jlimit (0.0, 1.0, (double) newValue);
    store (clampFloat ((double) minimum + ((double) maximum - (double) minimum) * x, minimum, maximum),
           notify);
}

void FloatParameter::setValueInt (int newValue, bool notify)
{
    store (clampFloat ((double) newValue, minimum, maximum), notify);
}

void FloatParameter::setValueBool (bool newValue, bool notify)
{
    store (newValue ? maximum : minimum, notify);
}

void FloatParameter::setValueText (const juce::String& newText, bool notify)
{
    store (clampFloat (NumberText::readDecimal (newText), minimum, maximum), notify);
}

void FloatParameter::setValueFrom (const Parameter& other, bool notify)
{
    store (clampFloat (other.getValue(), minimum, maximum), notify);
}

void FloatParameter::store (float newValue, bool notify)
{
    // Neither less nor greater is equal: a NaN never replaces the value.
    const float old = getValue();
    if (!(newValue < old) && !(newValue > old))
        return;

    value.exchange (newValue, std::memory_order_relaxed);
    valueChanged (notify);
}

//==============================================================================
BoolParameter::BoolParameter (int parameterId, const juce::String& parameterName, bool initialValue)
    : Parameter (parameterId, parameterName)
    , value (initialValue ? 1 : 0)
{
}

BoolParameter::BoolParameter (const BoolParameter& source, int newId, const juce::String& newName)
    : Parameter (source, newId, newName)
    , value (source.getValueInt())
{
}

std::unique_ptr<Parameter> BoolParameter::clone (int newId, const juce::String& newName) const
{
    return std::unique_ptr<Parameter> (new BoolParameter (*this, newId, newName));
}

float BoolParameter::getValue() const
{
    return getValueBool() ? 1.0f : 0.0f;
}

float BoolParameter::getValueNormalised() const
{
    return getValue();
}

int BoolParameter::getValueInt() const
{
    return value.load (std::memory_order_relaxed);
}

bool BoolParameter::getValueBool() const
{
    return getValueInt() == 1;
}

juce::String BoolParameter::getValueText() const
{
    return getValueBool() ? "true" : "false";
}

void BoolParameter::setValue (float newValue, bool notify)
{
    store (!std::isnan (newValue) && newValue != 0.0f, notify);
}

void BoolParameter::setValueNormalised (float newValue, bool notify)
{
    store (newValue >= 0.5f, notify);
}

void BoolParameter::setValueInt (int newValue, bool notify)
{
    store (newValue != 0, notify);
}

void BoolParameter::setValueBool (bool newValue, bool notify)
{
    store (newValue, notify);
}

void BoolParameter::setValueText (const juce::String& newText, bool notify)
{
    if (newText == "true" || newText == "1" || newText == "on" || newText == "yes")
        store (true, notify);
    else if (newText == "false" || newText == "0" || newText == "off" || newText == "no")
        store (false, notify);
    else
        setValueNormalised (NumberText::toFloat (NumberText::readDecimal (newText)), notify);
}

void BoolParameter::setValueFrom (const Parameter& other, bool notify)
{
    store (other.getValueBool(), notify);
}

void BoolParameter::store (bool newValue, bool notify)
{
    const int v = newValue ? 1 : 0;
    if (v == getValueInt())
        return;

    value.exchange (v, std::memory_order_relaxed);
    valueChanged (notify);
}

//==============================================================================
StateParameter::StateParameter (const StateParameter& source, int newId, const juce::String& newName)
    : BoolParameter (source, newId, newName)
{
}

std::unique_ptr<Parameter> StateParameter::clone (int newId, const juce::String& newName) const
{
    return std::unique_ptr<Parameter> (new StateParameter (*this, newId, newName));
}

juce::String StateParameter::getValueText() const
{
    return getValueBool() ? "on" : "off";
}

void StateParameter::setValueText (const juce::String& newText, bool notify)
{
    if (newText.equalsIgnoreCase ("on"))
        setValueBool (true, notify);
    else if (newText.equalsIgnoreCase ("off"))
        setValueBool (false, notify);
    else
        BoolParameter::setValueText (newText, notify);
}

AnswerParameter::AnswerParameter (const AnswerParameter& source, int newId, const juce::String& newName)
    : BoolParameter (source, newId, newName)
{
}

std::unique_ptr<Parameter> AnswerParameter::clone (int newId, const juce::String& newName) const
{
    return std::unique_ptr<Parameter> (new AnswerParameter (*this, newId, newName));
}

juce::String AnswerParameter::getValueText() const
{
    return getValueBool() ? "yes" : "no";
}

void AnswerParameter::setValueText (const juce::String& newText, bool notify)
{
    if (newText == "yes")
        setValueBool (true, notify);
    else if (newText == "no")
        setValueBool (false, notify);
    else
        BoolParameter::setValueText (newText, notify);
}

LogicParameter::LogicParameter (const LogicParameter& source, int newId, const juce::String& newName)
    : BoolParameter (source, newId, newName)
{
}

std::unique_ptr<Parameter> LogicParameter::clone (int newId, const juce::String& newName) const
{
    return std::unique_ptr<Parameter> (new LogicParameter (*this, newId, newName));
}

juce::String LogicParameter::getValueText() const
{
    return getValueBool() ? "1" : "0";
}

void LogicParameter::setValueText (const juce::String& newText, bool notify)
{
    if (newText == "1")
        setValueBool (true, notify);
    else if (newText == "0")
        setValueBool (false, notify);
    else
        BoolParameter::setValueText (newText, notify);
}

//==============================================================================
IntParameter::IntParameter (int parameterId, const juce::String& parameterName, int min, int max,
                            int initialValue)
    : Parameter (parameterId, parameterName)
    , minimum (min)
    , maximum (juce::jmax (min, max))
    , value (juce::jlimit (min, juce::jmax (min, max), initialValue))
{
}

IntParameter::IntParameter (const IntParameter& source, int newId, const juce::String& newName)
    : Parameter (source, newId, newName)
    , minimum (source.getMinimum())
    , maximum (source.getMaximum())
    , value (source.getValueInt())
{
}

std::unique_ptr<Parameter> IntParameter::clone (int newId, const juce::String& newName) const
{
    return std::unique_ptr<Parameter> (new IntParameter (*this, newId, newName));
}

float IntParameter::getValue() const
{
    return (float) getValueInt();
}

float IntParameter::getValueNormalised() const
{
    const auto min = (juce::int64) getMinimum();
    const auto range = (juce::int64) getMaximum() - min;
    if (range <= 0)
        return 0.0f;

    return (float) ((juce::int64) getValueInt() - min) / (float) range;
}

int IntParameter::getValueInt() const
{
    return value.load (std::memory_order_relaxed);
}

bool IntParameter::getValueBool() const
{
    return getValueInt() != getMinimum();
}

juce::String IntParameter::getValueText() const
{
    return juce::String (getValueInt());
}

void IntParameter::setValue (float newValue, bool notify)
{
    // A NaN has no integer: the value stays, as for the float type.
    if (std::isnan (newValue))
        return;

    store (clampToInt (newValue, getMinimum(), getMaximum()), notify);
}

void IntParameter::setValueNormalised (float newValue, bool notify)
{
    if (std::isnan (newValue))
        return;

    const int min = getMinimum();
    const int max = getMaximum();
    const double x = juce::jlimit (0.0, 1.0, (double) newValue);
    store (clampToInt ((double) min + std::floor (((double) max - (double) min) * x + 0.5), min, max),
           notify);
}

void IntParameter::setValueInt (int newValue, bool notify)
{
    store (juce::jlimit (getMinimum(), getMaximum(), newValue), notify);
}

void IntParameter::setValueBool (bool newValue, bool notify)
{
    store (newValue ? getMaximum() : getMinimum(), notify);
}

void IntParameter::setValueText (const juce::String& newText, bool notify)
{
    setValueInt (NumberText::readLeadingInteger (newText), notify);
}

void IntParameter::setValueFrom (const Parameter& other, bool notify)
{
    setValueInt (other.getValueInt(), notify);
}

void IntParameter::setMinimum (int newMinimum)
{
    if (newMinimum > getMaximum() || newMinimum == getMinimum())
        return;

    minimum.store (newMinimum, std::memory_order_relaxed);
    store (juce::jlimit (newMinimum, getMaximum(), getValueInt()), true);
}

void IntParameter::setMaximum (int newMaximum)
{
    if (newMaximum < getMinimum() || newMaximum == getMaximum())
        return;

    maximum.store (newMaximum, std::memory_order_relaxed);
    store (juce::jlimit (getMinimum(), newMaximum, getValueInt()), true);
}

void IntParameter::store (int newValue, bool notify)
{
    if (newValue == getValueInt())
        return;

    value.exchange (newValue, std::memory_order_relaxed);
    valueChanged (notify);
}

void IntParameter::setValueTextAsNormalised (const juce::String& newText, bool notify)
{
    setValueNormalised (NumberText::toFloat (NumberText::readDecimal (newText)), notify);
}

//==============================================================================
NoteParameter::NoteParameter (int parameterId, const juce::String& parameterName, int initialValue)
    : IntParameter (parameterId, parameterName, 0, 127, initialValue)
{
}

NoteParameter::NoteParameter (const NoteParameter& source, int newId, const juce::String& newName)
    : IntParameter (source, newId, newName)
{
}

std::unique_ptr<Parameter> NoteParameter::clone (int newId, const juce::String& newName) const
{
    return std::unique_ptr<Parameter> (new NoteParameter (*this, newId, newName));
}

juce::String NoteParameter::getValueText() const
{
    return getNoteName (getValueInt());
}

void NoteParameter::setValueText (const juce::String& newText, bool notify)
{
    const int note = getNoteNumberFromName (newText);
    if (note >= 0)
        setValueInt (note, notify);
    else
        setValueTextAsNormalised (newText, notify);
}

//==============================================================================
EnumParameter::EnumParameter (int parameterId, const juce::String& parameterName)
    : IntParameter (parameterId, parameterName, 0, 1, 0)
{
}

EnumParameter::EnumParameter (const EnumParameter& source, int newId, const juce::String& newName)
    : IntParameter (source, newId, newName)
    , itemNames (source.itemNames)
    , itemList (source.itemList)
{
}

std::unique_ptr<Parameter> EnumParameter::clone (int newId, const juce::String& newName) const
{
    return std::unique_ptr<Parameter> (new EnumParameter (*this, newId, newName));
}

juce::String EnumParameter::getValueText() const
{
    return itemNames[getValueInt()];
}

void EnumParameter::setValueText (const juce::String& newText, bool notify)
{
    const int index = itemNames.indexOf (newText, false);
    if (index >= 0)
        setValueInt (index, notify);
    else
        setValueTextAsNormalised (newText, notify);
}

void EnumParameter::setItems (const juce::String& list)
{
    if (list == itemList)
        return;

    itemList = list;
    itemNames.clear();
    itemNames.addTokens (list, ";", "");

    setMinimum (0);
    setMaximum (itemNames.size() - 1);
}

//==============================================================================
StringParameter::StringParameter (int parameterId, const juce::String& parameterName,
                                  const juce::String& initialText)
    : Parameter (parameterId, parameterName)
    , text (initialText)
{
}

StringParameter::StringParameter (const StringParameter& source, int newId, const juce::String& newName)
    : Parameter (source, newId, newName)
    , text (source.copyText())
{
}

std::unique_ptr<Parameter> StringParameter::clone (int newId, const juce::String& newName) const
{
    return std::unique_ptr<Parameter> (new StringParameter (*this, newId, newName));
}

juce::String StringParameter::copyText() const
{
    const juce::ScopedReadLock readLock (textLock);
    return text;
}

float StringParameter::getValue() const
{
    const double v = NumberText::readDecimal (copyText());
    return std::isnan (v) ? 0.0f : NumberText::toFloat (v);
}

float StringParameter::getValueNormalised() const
{
    return juce::jlimit (0.0f, 1.0f, getValue());
}

int StringParameter::getValueInt() const
{
    return NumberText::readLeadingInteger (copyText());
}

bool StringParameter::getValueBool() const
{
    const auto t = copyText();
    return t.trim().equalsIgnoreCase ("true") || NumberText::readLeadingInteger (t) != 0;
}

juce::String StringParameter::getValueText() const
{
    return copyText();
}

void StringParameter::setValue (float newValue, bool notify)
{
    setValueText (NumberText::formatGeneral (newValue, 6), notify);
}

void StringParameter::setValueNormalised (float newValue, bool notify)
{
    setValueText (NumberText::formatGeneral (newValue, 6), notify);
}

void StringParameter::setValueInt (int newValue, bool notify)
{
    setValueText (juce::String (newValue), notify);
}

void StringParameter::setValueBool (bool newValue, bool notify)
{
    setValueText (newValue ? "true" : "false", notify);
}

void StringParameter::setValueText (const juce::String& newText, bool notify)
{
    {
        const juce::ScopedWriteLock writeLock (textLock);
        if (text == newText)
            return;

        text = newText;
    }

    // Outside the lock: a listener may read the text back.
    valueChanged (notify);
}

void StringParameter::setValueFrom (const Parameter& other, bool notify)
{
    setValueText (other.getValueText(), notify);
}
