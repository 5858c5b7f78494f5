#include "framework/BasePlugin.h"

#include "framework/ResourceLoader.h"
#include "framework/XmlHelpers.h"

#include <cmath>
#include <limits>

int BasePlugin::getNumUsableHostParameters() const
{
    // A product that asks for more slots than the table holds gets the table's length.
    return juce::jlimit (0, maxHostParameters, getNumHostParameters());
}

static bool isSlotIn (int slot, int numSlots) noexcept
{
    // Unsigned, so negative slots fall outside too.
    return (unsigned int) slot < (unsigned int) numSlots;
}

//==============================================================================
/** The host-echo guard, the only one of the processor. A host that writes a slot must not get the same
    value back as an automation message: it would record its own playback as a new edit, or, while it
    is recording, feed the value back into the write it is making. So while setParameter applies the
    host's value, the thread doing it is marked on that slot, and parameterChanged sends nothing for that
    slot on that thread. Marking the thread rather than the slot keeps a change of the same parameter
    made meanwhile on another thread (the editor, MIDI control on the audio thread) going to the host.
    Holds no lock and allocates nothing: the host may write from its audio thread. */
class BasePlugin::HostWriteScope
{
public:
    HostWriteScope (BasePlugin& processorToGuard, int slotToGuard) noexcept
        : writer (processorToGuard.hostWriters[(size_t) slotToGuard])
        , previous (writer.exchange (juce::Thread::getCurrentThreadId()))
    {
    }

    ~HostWriteScope() { writer.store (previous); }

    static bool isEchoOfHostWrite (const BasePlugin& processor, int slot) noexcept
    {
        return processor.hostWriters[(size_t) slot].load() == juce::Thread::getCurrentThreadId();
    }

private:
    std::atomic<juce::Thread::ThreadID>& writer;
    const juce::Thread::ThreadID previous; // a write of the same slot under way on the same thread
};

//==============================================================================
int BasePlugin::getNumParameters()
{
    return getNumUsableHostParameters();
}

juce::String BasePlugin::getParameterName (int index)
{
    if (!isSlotIn (index, getNumUsableHostParameters()))
        return {};

    if (const auto* parameter = getHostParameter (index))
        return getParameterNameById (parameter->getId());

    return "Parameter " + juce::String (index + 1);
}

juce::String BasePlugin::getParameterText (int index)
{
    if (!isSlotIn (index, getNumUsableHostParameters()))
        return {};

    if (const auto* parameter = getHostParameter (index))
        return getParameterTextById (parameter->getId());

    return juce::String (hostValues[(size_t) index].load(), 8);
}

float BasePlugin::getParameter (int index)
{
    if (!isSlotIn (index, getNumUsableHostParameters()))
        return 0.0f;

    if (const auto* parameter = getHostParameter (index))
        return parameter->getValueNormalised();

    return hostValues[(size_t) index].load();
}

float BasePlugin::getParameterDefaultValue (int)
{
    return 0.0f;
}

void BasePlugin::setParameter (int index, float newValue)
{
    // A NaN or infinity from the host would be handed back on the next read: keep the last good value.
    if (!isSlotIn (index, getNumUsableHostParameters()) || !std::isfinite (newValue))
        return;

    hostValues[(size_t) index].store (newValue);

    if (auto* parameter = getHostParameter (index))
    {
        const HostWriteScope hostWrite (*this, index);
        parameter->setValueNormalised (newValue, true);
    }
}

bool BasePlugin::isParameterAutomatable (int index) const
{
    return isSlotIn (index, getNumUsableHostParameters());
}

//==============================================================================
void BasePlugin::parameterChanged (Parameter* parameter)
{
    if (parameter == nullptr)
        return;

    const int slot = getHostParameterSlot (parameter->getId());
    if (!isSlotIn (slot, maxHostParameters))
        return;

    if (!HostWriteScope::isEchoOfHostWrite (*this, slot))
        sendParamChangeMessageToListeners (slot, parameter->getValueNormalised());
}

void BasePlugin::parameterChangeGestureBegin (Parameter* parameter)
{
    if (parameter == nullptr)
        return;

    if (const int slot = getHostParameterSlot (parameter->getId()); slot >= 0)
        beginParameterChangeGesture (slot);
}

void BasePlugin::parameterChangeGestureEnd (Parameter* parameter)
{
    if (parameter == nullptr)
        return;

    if (const int slot = getHostParameterSlot (parameter->getId()); slot >= 0)
        endParameterChangeGesture (slot);
}

//==============================================================================
Parameter* BasePlugin::getHostParameter (int slot) const
{
    if (!isSlotIn (slot, maxHostParameters))
        return nullptr;

    const juce::ScopedLock sl (hostParametersLock);
    return hostParameters[(size_t) slot];
}

int BasePlugin::getHostParameterSlot (int parameterId) const
{
    const juce::ScopedLock sl (hostParameterSlotsLock);
    return hostParameterSlots.contains (parameterId) ? hostParameterSlots[parameterId] : -1;
}

void BasePlugin::assignHostParameter (int slot, Parameter* parameter)
{
    if (parameter == nullptr)
    {
        unassignHostParameter (slot);
        return;
    }

    const int id = parameter->getId();

    if (const int oldSlot = getHostParameterSlot (id); oldSlot >= 0 && oldSlot != slot)
        unassignHostParameter (oldSlot);

    if (!parameter->isAutomatable() || !isSlotIn (slot, getNumUsableHostParameters()))
        return;

    Parameter* replaced = nullptr;
    {
        const juce::ScopedLock sl (hostParametersLock);
        replaced = hostParameters[(size_t) slot];
        if (replaced == parameter)
            return;

        hostParameters[(size_t) slot] = parameter;
    }

    {
        const juce::ScopedLock sl (hostParameterSlotsLock);
        if (replaced != nullptr)
            hostParameterSlots.remove (replaced->getId());

        hostParameterSlots.set (id, slot);
    }

    updateHostDisplay();
    hostParametersChanged.sendChangeMessage();
}

void BasePlugin::unassignHostParameter (int slot)
{
    if (!isSlotIn (slot, getNumUsableHostParameters()))
        return;

    Parameter* removed = nullptr;
    {
        const juce::ScopedLock sl (hostParametersLock);
        removed = std::exchange (hostParameters[(size_t) slot], nullptr);
    }

    if (removed == nullptr)
        return;

    {
        const juce::ScopedLock sl (hostParameterSlotsLock);
        if (hostParameterSlots.contains (removed->getId()) && hostParameterSlots[removed->getId()] == slot)
            hostParameterSlots.remove (removed->getId());
    }

    hostParametersChanged.sendChangeMessage();
}

void BasePlugin::clearHostParameters()
{
    {
        const juce::ScopedLock sl (hostParametersLock);
        hostParameters.fill (nullptr);
    }

    {
        const juce::ScopedLock sl (hostParameterSlotsLock);
        hostParameterSlots.clear();
    }

    hostParametersChanged.sendChangeMessage();
}

//==============================================================================
bool BasePlugin::isHostParametersMapXml (const juce::XmlElement* xml) const
{
    return xml != nullptr && XmlHelpers::tagIs (*xml, "HostParametersMap") &&
           XmlHelpers::attributeIs (*xml, "name", getProductName());
}

std::unique_ptr<juce::XmlElement> BasePlugin::createHostParametersMapXml() const
{
    auto xml = std::make_unique<juce::XmlElement> ("HostParametersMap");
    xml->setAttribute ("name", getProductName());

    for (int slot = 0; slot < getNumUsableHostParameters(); ++slot)
    {
        if (const auto* parameter = getHostParameter (slot))
        {
            auto* assign = xml->createNewChildElement ("assign");
            assign->setAttribute ("hostParam", slot + 1);
            assign->setAttribute ("pluginParam", parameter->getName());
        }
    }

    return xml;
}

/** The file counts slots from 1; a missing, non-numeric or unrepresentable number gives slot -1. */
static int readHostSlot (const juce::XmlElement& assign)
{
    const auto slot = assign.getStringAttribute ("hostParam").getLargeIntValue() - 1;
    return slot >= 0 && slot <= std::numeric_limits<int>::max() ? (int) slot : -1;
}

void BasePlugin::loadHostParametersMapFromXml (const juce::XmlElement* xml)
{
    if (!isHostParametersMapXml (xml))
        return;

    clearHostParameters();

    for (const auto* assign : xml->getChildIterator())
    {
        if (!XmlHelpers::tagIs (*assign, "assign"))
            continue;

        Parameter* parameter = nullptr;
        {
            const juce::ScopedReadLock sl (parameterManager.getLock());
            parameter = parameterManager.getParameter (
                parameterManager.getParameterIdByName (assign->getStringAttribute ("pluginParam")));
        }

        assignHostParameter (readHostSlot (*assign), parameter);
    }

    hostParametersChanged.sendChangeMessage();
}

void BasePlugin::loadHostParametersMap (const juce::File& file)
{
    if (const auto xml = XmlHelpers::parse (file))
        loadHostParametersMapFromXml (xml.get());
}

bool BasePlugin::saveHostParametersMap (const juce::File& file) const
{
    return XmlHelpers::writeToFile (*createHostParametersMapXml(), file);
}

juce::String BasePlugin::getHostParametersMapFileExtension() const
{
    return ("." + getFilePrefix() + "hpmap").toLowerCase();
}

void BasePlugin::loadDefaultHostParametersMap()
{
    if (hostMapIsDefault)
    {
        // A relative path in a hand-edited settings file names no file we could find again.
        if (juce::File::isAbsolutePath (hostMapFile))
            loadHostParametersMap (juce::File (hostMapFile));
        return;
    }

    const auto builtInMap = getResourceAsString ("default" + getHostParametersMapFileExtension());
    if (const auto xml = XmlHelpers::parse (builtInMap))
        loadHostParametersMapFromXml (xml.get());
}
