#include "framework/ParameterManager.h"

#include "framework/NumberText.h"
#include "framework/ResourceLoader.h"
#include "framework/XmlHelpers.h"

#include <cmath>
#include <limits>

namespace
{
// Room for the few hundred identifiers of a plug-in without ever growing: a lookup is one modulo and a
// short chain walk.
constexpr int mapSlots = 10000;

/** A range bound of a float entry: the default when missing, not a number, or beyond the float range. */
float readFloatBound (const juce::XmlElement& element, juce::StringRef attribute, float fallback)
{
    const double v = XmlHelpers::getFiniteDouble (element, attribute, fallback);
    return std::abs (v) <= (double) std::numeric_limits<float>::max() ? (float) v : fallback;
}

int readIntAttribute (const juce::XmlElement& element, juce::StringRef attribute, int fallback)
{
    return element.hasAttribute (attribute)
               ? NumberText::readLeadingInteger (element.getStringAttribute (attribute))
               : fallback;
}

/** The parameter of one table entry, or null for an unknown type or a range whose minimum lies above its
    maximum. No listener exists yet, so nothing is notified. */
std::unique_ptr<Parameter> createFromEntry (const juce::XmlElement& entry, int id, const juce::String& name)
{
    const auto type = entry.getStringAttribute ("type", "float");
    const auto valueText = entry.getStringAttribute ("value");

    if (type == "float")
    {
        const float min = readFloatBound (entry, "min", 0.0f);
        const float max = readFloatBound (entry, "max", 1.0f);
        if (min > max)
            return nullptr;

        // "nan" in a table reads as 0, like any other text that is no number; infinities clamp.
        const double value = NumberText::readDecimal (valueText);
        return std::make_unique<FloatParameter> (id, name, min, max,
                                                 std::isnan (value) ? 0.0f : NumberText::toFloat (value));
    }

    if (type == "int")
    {
        const int min = readIntAttribute (entry, "min", 0);
        const int max = readIntAttribute (entry, "max", 1);
        if (min > max)
            return nullptr;

        return std::make_unique<IntParameter> (id, name, min, max,
                                               NumberText::readLeadingInteger (valueText));
    }

    if (type == "string")
        return std::make_unique<StringParameter> (id, name, valueText);

    std::unique_ptr<Parameter> parameter;
    if (type == "bool")
        parameter = std::make_unique<BoolParameter> (id, name);
    else if (type == "state")
        parameter = std::make_unique<StateParameter> (id, name);
    else if (type == "logic")
        parameter = std::make_unique<LogicParameter> (id, name);
    else if (type == "answer")
        parameter = std::make_unique<AnswerParameter> (id, name);

    if (parameter != nullptr)
    {
        parameter->setValueText (valueText, false);
        return parameter;
    }

    if (type == "enum")
    {
        auto enumParameter = std::make_unique<EnumParameter> (id, name);
        enumParameter->setItems (entry.getStringAttribute ("enum"));
        enumParameter->setValueText (valueText, false);
        return enumParameter;
    }

    if (type == "note")
        return std::make_unique<NoteParameter> (id, name, juce::jmax (0, getNoteNumberFromName (valueText)));

    return nullptr;
}
} // namespace

int ParameterManager::IdHash::generateHash (int key, int upperLimit) const noexcept
{
    return (int) (std::abs ((juce::int64) key) % upperLimit);
}

ParameterManager::ParameterManager()
    : idMap (mapSlots)
    , nameMap (mapSlots)
{
}

ParameterManager::~ParameterManager()
{
    clear();
}

void ParameterManager::loadFromResource (const juce::String& resourceName)
{
    if (const auto root = XmlHelpers::parse (getResourceAsString (resourceName)))
        loadFromXml (*root);
    else
        clear();
}

void ParameterManager::loadFromXml (const juce::XmlElement& root)
{
    clear();

    {
        const juce::ScopedWriteLock writeLock (lock);
        applicationName = root.getStringAttribute ("application");
    }

    if (!XmlHelpers::tagIs (root, "PluginParameters"))
        return;

    for (const auto* entry : root.getChildIterator())
    {
        if (!XmlHelpers::tagIs (*entry, "param") || !entry->hasAttribute ("index"))
            continue;

        const int id = NumberText::readLeadingInteger (entry->getStringAttribute ("index"));
        const auto name = entry->getStringAttribute ("name");
        if (id == -1 || name.isEmpty())
            continue;

        if (auto parameter = createFromEntry (*entry, id, name))
        {
            parameter->setAutomatable (entry->getBoolAttribute ("auto"));
            addParameter (std::move (parameter));
        }
    }
}

bool ParameterManager::addParameter (Parameter* parameter)
{
    if (parameter == nullptr)
        return false;

    std::unique_ptr<Parameter> refused;
    {
        const juce::ScopedWriteLock writeLock (lock);

        if (parameters.contains (parameter))
            return false;

        if (idMap.contains (parameter->getId()) || nameMap.contains (parameter->getName()))
        {
            refused.reset (parameter);
        }
        else
        {
            parameters.add (parameter);
            idMap.set (parameter->getId(), parameter);
            nameMap.set (parameter->getName(), parameter);
            return true;
        }
    }

    return false;
}

bool ParameterManager::addParameter (std::unique_ptr<Parameter> parameter)
{
    return addParameter (parameter.release());
}

void ParameterManager::clear()
{
    const juce::ScopedWriteLock writeLock (lock);
    idMap.clear();
    nameMap.clear();
    parameters.clear (true);
}

float ParameterManager::getParameterValue (int id) const
{
    const juce::ScopedReadLock readLock (lock);
    if (const auto* parameter = idMap[id])
        return parameter->getValue();
    return 0.0f;
}

float ParameterManager::getParameterNormalised (int id) const
{
    const juce::ScopedReadLock readLock (lock);
    if (const auto* parameter = idMap[id])
        return parameter->getValueNormalised();
    return 0.0f;
}

juce::String ParameterManager::getParameterText (int id) const
{
    const juce::ScopedReadLock readLock (lock);
    if (const auto* parameter = idMap[id])
        return parameter->getValueText();
    return {};
}

void ParameterManager::setParameterValue (int id, float value)
{
    const juce::ScopedReadLock readLock (lock);
    if (auto* parameter = idMap[id])
        parameter->setValue (value, true);
}

void ParameterManager::setParameterNormalised (int id, float value)
{
    const juce::ScopedReadLock readLock (lock);
    if (auto* parameter = idMap[id])
        parameter->setValueNormalised (value, true);
}

void ParameterManager::setParameterInt (int id, int value)
{
    const juce::ScopedReadLock readLock (lock);
    if (auto* parameter = idMap[id])
        parameter->setValueInt (value, true);
}

void ParameterManager::setParameterBool (int id, bool value)
{
    const juce::ScopedReadLock readLock (lock);
    if (auto* parameter = idMap[id])
        parameter->setValueBool (value, true);
}

void ParameterManager::setParameterString (int id, const juce::String& text)
{
    const juce::ScopedReadLock readLock (lock);
    if (auto* parameter = idMap[id])
        parameter->setValueText (text, true);
}

void ParameterManager::copyParameterValue (int id, int sourceId)
{
    const juce::ScopedReadLock readLock (lock);
    auto* parameter = idMap[id];
    const auto* source = idMap[sourceId];
    if (parameter != nullptr && source != nullptr)
        parameter->setValueFrom (*source, true);
}

Parameter* ParameterManager::getParameter (int id) const
{
    const juce::ScopedReadLock readLock (lock);
    return idMap[id];
}

int ParameterManager::getParameterIdByName (const juce::String& name) const
{
    const juce::ScopedReadLock readLock (lock);
    if (const auto* parameter = nameMap[name])
        return parameter->getId();
    return -1;
}

const juce::String& ParameterManager::getParameterName (int id) const
{
    static const juce::String none;

    const juce::ScopedReadLock readLock (lock);
    if (const auto* parameter = idMap[id])
        return parameter->getName();
    return none;
}

void ParameterManager::notifyParameter (int id)
{
    const juce::ScopedReadLock readLock (lock);
    if (auto* parameter = idMap[id])
        parameter->notifyListeners();
}

void ParameterManager::notifyAll()
{
    const juce::ScopedReadLock readLock (lock);
    for (auto* parameter : parameters)
        parameter->notifyListeners();
}

void ParameterManager::addListenerToAll (Parameter::Listener* listener)
{
    const juce::ScopedReadLock readLock (lock);
    for (auto* parameter : parameters)
        parameter->addListener (listener);
}

void ParameterManager::addAsyncListenerToAll (Parameter::Listener* listener)
{
    const juce::ScopedReadLock readLock (lock);
    for (auto* parameter : parameters)
        parameter->addAsyncListener (listener);
}

void ParameterManager::removeAsyncListenerFromAll (Parameter::Listener* listener)
{
    const juce::ScopedReadLock readLock (lock);
    for (auto* parameter : parameters)
        parameter->removeAsyncListener (listener);
}

void ParameterManager::addListener (int id, Parameter::Listener* listener)
{
    const juce::ScopedReadLock readLock (lock);
    if (auto* parameter = idMap[id])
        parameter->addListener (listener);
}

void ParameterManager::addAsyncListener (int id, Parameter::Listener* listener)
{
    const juce::ScopedReadLock readLock (lock);
    if (auto* parameter = idMap[id])
        parameter->addAsyncListener (listener);
}

void ParameterManager::removeAsyncListener (int id, Parameter::Listener* listener)
{
    const juce::ScopedReadLock readLock (lock);
    if (auto* parameter = idMap[id])
        parameter->removeAsyncListener (listener);
}

juce::String ParameterManager::getApplicationName() const
{
    const juce::ScopedReadLock readLock (lock);
    return applicationName;
}

int ParameterManager::getNumParameters() const
{
    const juce::ScopedReadLock readLock (lock);
    return parameters.size();
}

Parameter* ParameterManager::getParameterAtIndex (int index) const
{
    const juce::ScopedReadLock readLock (lock);
    return parameters[index];
}
