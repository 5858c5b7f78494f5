#include "framework/MidiControl.h"

#include "framework/Parameter.h"
#include "framework/ParameterManager.h"
#include "framework/XmlHelpers.h"

namespace
{
// 1/127: controller value 127 reaches exactly the top of the normalised range.
constexpr float controllerValueScale = 0.007874016f;

/** The "CC" of a map entry: 0 when absent; -1 (skip the entry) when it is not a plain integer, so that
    text such as "NaN" or "7.5" never lands on controller 0 or 7. */
int readController (const juce::XmlElement& entry)
{
    if (!entry.hasAttribute ("CC"))
        return 0;

    const auto text = entry.getStringAttribute ("CC").trim();
    const auto digits = text.startsWithChar ('+') ? text.substring (1) : text;

    if (digits.isEmpty() || digits.length() > 3 || !digits.containsOnly ("0123456789"))
        return -1;

    return digits.getIntValue();
}

/** Whether listeners, which touch components, may be called on this thread: the message thread, or a
    thread holding the message manager's lock. Without a message manager nothing paints to race with. */
bool mayCallListenersNow()
{
    const auto* mm = juce::MessageManager::getInstanceWithoutCreating();
    return mm == nullptr || mm->currentThreadHasLockedMessageManager();
}
} // namespace

MidiControl::MidiControl (ParameterManager& manager)
    : parameterManager (manager)
{
}

MidiControl::~MidiControl()
{
    cancelPendingUpdate();
}

//==============================================================================
void MidiControl::processMidiMessage (const juce::MidiMessage& message)
{
    if (message.getRawDataSize() < 3)
        return;

    const auto* data = message.getRawData();

    if ((data[0] & 0xf0) != 0xb0)
        return;

    // Data bytes have the top bit clear; a malformed message must not index past the slots.
    const int controller = data[1];
    const int value = data[2];

    if (controller >= numControllers || value > 127)
        return;

    const juce::ScopedLock sl (lock);

    if (learnMode)
        learnController (controller);

    if (auto* parameter = slots[(size_t) controller])
    {
        parameter->setValueNormalised ((float) value * controllerValueScale, true);
        lastMovedParameter.store (parameter);
        movedByMidiPending.store (true);
        triggerAsyncUpdate();
    }
}

//==============================================================================
void MidiControl::setLearnMode (bool shouldLearn)
{
    {
        const juce::ScopedLock sl (lock);

        if (learnMode == shouldLearn)
            return;

        learnParameter = nullptr;
        learnedController = -1;
        learnMode = shouldLearn;
    }

    // Outside the lock: listeners repaint, and the audio thread must not wait for that. For the same reason
    // they hear of it on the message thread only: a host that restores its state while learning ends learn
    // mode on a thread of its own.
    if (mayCallListenersNow())
        listeners.call ([this] (Listener& l) { l.midiLearnStateChanged (this); });
    else
        postLearnStateChanged();
}

bool MidiControl::isLearnMode() const
{
    const juce::ScopedLock sl (lock);
    return learnMode;
}

void MidiControl::setLearnParameter (Parameter* parameter)
{
    const juce::ScopedLock sl (lock);

    if (!learnMode || parameter == learnParameter)
        return;

    // A controller that came first stays chosen; otherwise show the parameter's current controller.
    if (learnedController < 0 || learnParameter != nullptr)
        learnedController = getControllerOfParameter (parameter);

    learnParameter = parameter;
    completeLearn();
}

void MidiControl::selectAssignmentForLearn (int controller)
{
    const juce::ScopedLock sl (lock);

    if (!learnMode || !juce::isPositiveAndBelow (controller, numControllers))
        return;

    if (auto* parameter = slots[(size_t) controller])
    {
        learnParameter = parameter;
        learnedController = controller;
        completeLearn();
    }
}

void MidiControl::learnController (int controller)
{
    if (controller == learnedController)
        return;

    // A parameter touched first stays chosen; otherwise show what the controller holds now.
    if (learnParameter == nullptr || learnedController >= 0)
        learnParameter = slots[(size_t) controller];

    learnedController = controller;
    completeLearn();
}

void MidiControl::completeLearn()
{
    const juce::ScopedLock sl (lock);

    if (learnParameter != nullptr && juce::isPositiveAndBelow (learnedController, numControllers) &&
        slots[(size_t) learnedController] == nullptr)
        assign (learnedController, learnParameter, true);

    postLearnStateChanged();
}

Parameter* MidiControl::getLearnParameter() const
{
    const juce::ScopedLock sl (lock);
    return learnParameter;
}

int MidiControl::getLearnedController() const
{
    const juce::ScopedLock sl (lock);
    return learnedController;
}

//==============================================================================
void MidiControl::assign (int controller, Parameter* parameter, bool notify)
{
    if (!juce::isPositiveAndBelow (controller, numControllers))
        return;

    const juce::ScopedLock sl (lock);

    auto& slot = slots[(size_t) controller];

    if (slot == parameter)
        return;

    if (parameter != nullptr)
        for (auto& other : slots)
            if (other == parameter)
                other = nullptr;

    slot = parameter;

    if (notify)
        postMapChanged();
}

void MidiControl::removeAssignment (int controller)
{
    if (!juce::isPositiveAndBelow (controller, numControllers))
        return;

    const juce::ScopedLock sl (lock);

    if (slots[(size_t) controller] != nullptr)
    {
        slots[(size_t) controller] = nullptr;
        postMapChanged();
    }

    if (learnMode)
    {
        learnParameter = nullptr;
        learnedController = -1;
        completeLearn();
    }
}

void MidiControl::clearAll (bool notify)
{
    const juce::ScopedLock sl (lock);

    slots.fill (nullptr);

    if (notify)
        postMapChanged();
}

Parameter* MidiControl::getParameterOfController (int controller) const
{
    if (!juce::isPositiveAndBelow (controller, numControllers))
        return nullptr;

    const juce::ScopedLock sl (lock);
    return slots[(size_t) controller];
}

int MidiControl::getControllerOfParameter (const Parameter* parameter) const
{
    if (parameter == nullptr)
        return -1;

    const juce::ScopedLock sl (lock);

    for (int controller = 0; controller < numControllers; ++controller)
        if (slots[(size_t) controller] == parameter)
            return controller;

    return -1;
}

int MidiControl::getNumAssignments() const
{
    const juce::ScopedLock sl (lock);
    return (int) std::count_if (slots.begin(), slots.end(), [] (const Parameter* p) { return p != nullptr; });
}

Parameter* MidiControl::getLastMovedParameter() const
{
    return lastMovedParameter.load();
}

void MidiControl::postMapChanged()
{
    mapChangedPending.store (true);
    triggerAsyncUpdate();
}

void MidiControl::postLearnStateChanged()
{
    learnStatePending.store (true);
    triggerAsyncUpdate();
}

//==============================================================================
void MidiControl::setName (const juce::String& newName)
{
    const juce::ScopedLock sl (lock);
    name = newName;
}

juce::String MidiControl::getName() const
{
    const juce::ScopedLock sl (lock);
    return name;
}

void MidiControl::setDefaultMapInUse (bool shouldUseDefaultMap)
{
    const juce::ScopedLock sl (lock);
    defaultMapInUse = shouldUseDefaultMap;
}

bool MidiControl::isDefaultMapInUse() const
{
    const juce::ScopedLock sl (lock);
    return defaultMapInUse;
}

void MidiControl::setDefaultMapFile (const juce::File& file)
{
    const juce::ScopedLock sl (lock);
    defaultMapFile = file;
}

juce::File MidiControl::getDefaultMapFile() const
{
    const juce::ScopedLock sl (lock);
    return defaultMapFile;
}

void MidiControl::addListener (Listener* listener)
{
    listeners.add (listener);
}

void MidiControl::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

//==============================================================================
void MidiControl::handleAsyncUpdate()
{
    // Each flag is taken before its callbacks run, so an event raised during them gives a new notice.
    if (mapChangedPending.exchange (false))
        listeners.call ([this] (Listener& l) { l.midiControlMapChanged (this); });

    if (learnStatePending.exchange (false))
        listeners.call ([this] (Listener& l) { l.midiLearnStateChanged (this); });

    if (movedByMidiPending.exchange (false))
        listeners.call ([this] (Listener& l) { l.parameterMovedByMidi (this); });
}

//==============================================================================
bool MidiControl::isValidXml (const juce::XmlElement* root) const
{
    if (root == nullptr ||
        !(XmlHelpers::tagIs (*root, "MidiControlMap") || XmlHelpers::tagIs (*root, "MidiCCMap")))
        return false;

    const auto ownName = getName();

    if (ownName.isEmpty())
        return true;

    return XmlHelpers::attributeIs (*root, "name", ownName) ||
           XmlHelpers::attributeIs (*root, "application", ownName);
}

bool MidiControl::loadFromXml (const juce::XmlElement& root)
{
    if (!isValidXml (&root))
        return false;

    setLearnMode (false);

    const juce::ScopedLock sl (lock);
    clearAll (false);

    for (auto* entry : root.getChildIterator())
    {
        if (!XmlHelpers::tagIs (*entry, "assign"))
            continue;

        const int id = parameterManager.getParameterIdByName (entry->getStringAttribute ("param"));
        auto* parameter = id != -1 ? parameterManager.getParameter (id) : nullptr;

        if (parameter == nullptr || !parameter->isAutomatable())
            continue;

        const int controller = readController (*entry);

        if (juce::isPositiveAndBelow (controller, numControllers))
            assign (controller, parameter, false);
    }

    postMapChanged();
    return true;
}

std::unique_ptr<juce::XmlElement> MidiControl::createXml() const
{
    auto root = std::make_unique<juce::XmlElement> ("MidiControlMap");

    const juce::ScopedLock sl (lock);
    root->setAttribute ("name", name);

    for (int controller = 0; controller < numControllers; ++controller)
    {
        if (const auto* parameter = slots[(size_t) controller])
        {
            auto* entry = root->createNewChildElement ("assign");
            entry->setAttribute ("CC", controller);
            entry->setAttribute ("param", parameter->getName());
        }
    }

    return root;
}

bool MidiControl::loadFromFile (const juce::File& file)
{
    const auto root = XmlHelpers::parse (file);
    return root != nullptr && loadFromXml (*root);
}

bool MidiControl::saveToFile (const juce::File& file) const
{
    const auto root = createXml();
    return XmlHelpers::writeToFile (*root, file);
}
