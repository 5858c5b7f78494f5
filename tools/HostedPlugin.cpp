#include "tools/HostedPlugin.h"

#include "tools/HostFileReader.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr const char* hostVendor = "Kelvanor";
constexpr const char* hostProduct = "Kelvanor Host";
constexpr int hostVendorVersion = 1000;
constexpr int englishLanguage = 1;

// Counts beyond these come from a corrupt record, not from a plug-in.
constexpr int maxChannels = 256;
constexpr VstIntPtr maxChunkBytes = VstIntPtr (1) << 30;
constexpr int maxEventsPerCall = 1 << 16;
constexpr int maxSysexBytes = 1 << 20;

/** Instances by effect record, for the host callback to find its host. */
struct Registry
{
    std::mutex lock;
    std::vector<std::pair<const AEffect*, HostedPlugin*>> entries;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

// While an entry point runs, its effect record is not known yet: the plug-in may call back with a null
// effect or with a record it has not returned. Entry calls are serialised so those calls find their host.
std::mutex entryLock;
std::atomic<HostedPlugin*> hostBeingOpened{nullptr};

// Set on the render thread for the duration of effProcessEvents and processReplacing.
thread_local bool insideProcess = false;

/** Libraries whose entry gave a record that cannot be trusted to close itself: unloading one while its
    object may still run would crash later, so they stay loaded until the process ends. */
std::vector<std::unique_ptr<PluginLibrary>>& abandonedLibraries()
{
    static std::vector<std::unique_ptr<PluginLibrary>> libraries;
    return libraries;
}

void copyText (void* destination, const char* text, size_t maxLength)
{
    if (destination != nullptr)
    {
        std::strncpy (static_cast<char*> (destination), text, maxLength);
        static_cast<char*> (destination)[maxLength] = 0;
    }
}

/** Plug-ins write UTF-8 or Latin-1; anything but shortest-form UTF-8 is read as Latin-1 so no byte is
    lost (JUCE's own check passes overlong forms, on which its conversion writes past its buffer). */
juce::String textFromPlugin (const char* text)
{
    if (HostFileReader::isWellFormedUtf8 (text, std::strlen (text)))
        return juce::String::fromUTF8 (text);

    juce::String result;
    for (const char* c = text; *c != 0; ++c)
        result += juce::String::charToString ((juce::juce_wchar) (unsigned char) *c);
    return result;
}
} // namespace

//==============================================================================
HostedPlugin::HostedPlugin()
{
    queuedMidi.reserve (256);
    queuedSysex.reserve (16);
    queuedSysexData.reserve (16);
    ensureEventCapacity (256);
    midiOutput.reserve (4096);
    automation.reserve (1024);
}

HostedPlugin::~HostedPlugin()
{
    close();
}

//==============================================================================
juce::String HostedPlugin::open (const std::filesystem::path& pluginFile)
{
    close();

    juce::String error;
    std::unique_ptr<PluginLibrary> loaded = PluginLibrary::open (pluginFile, error);
    if (loaded == nullptr)
        return error;

    AEffect* created = nullptr;
    {
        const std::lock_guard<std::mutex> guard (entryLock);
        hostBeingOpened.store (this);
        created = loaded->getEntryPoint() (&HostedPlugin::hostCallback);
        hostBeingOpened.store (nullptr);
    }

    const juce::String name = PluginLibrary::describe (loaded->getPath());
    if (created == nullptr)
        return name + ": the plug-in's entry point returned no effect";

    if (created->magic != kEffectMagic || created->dispatcher == nullptr)
    {
        abandonedLibraries().push_back (std::move (loaded));
        return name + ": the entry point returned something that is not a VST 2.4 effect record";
    }

    {
        const std::lock_guard<std::mutex> guard (registry().lock);
        registry().entries.emplace_back (created, this);
    }
    effect = created;
    library = std::move (loaded);

    if (effect->numInputs < 0 || effect->numInputs > maxChannels || effect->numOutputs < 0 ||
        effect->numOutputs > maxChannels)
    {
        error = name + ": implausible channel counts " + juce::String (effect->numInputs) + " in, " +
                juce::String (effect->numOutputs) + " out";
        close();
        return error;
    }

    numInputs = effect->numInputs;
    numOutputs = effect->numOutputs;
    pluginDirectory = library->getPath().parent_path().native();

    capacity = 0;
    reserveBlockCapacity (blockSize);
    resetRenderPosition();
    clearRecordings();

    dispatch (effOpen);
    return {};
}

void HostedPlugin::close()
{
    if (effect == nullptr)
        return;

    if (resumed)
        suspend();

    // The plug-in may still call back while it closes, so it leaves the registry only afterwards.
    AEffect* const closing = effect;
    closing->dispatcher (closing, effClose, 0, 0, nullptr, 0.0f);
    {
        const std::lock_guard<std::mutex> guard (registry().lock);
        auto& entries = registry().entries;
        entries.erase (std::remove_if (entries.begin(), entries.end(),
                                       [this] (const auto& entry) { return entry.second == this; }),
                       entries.end());
    }

    effect = nullptr;
    library.reset();
    numInputs = 0;
    numOutputs = 0;
    queuedMidi.clear();
    queuedSysex.clear();
    queuedSysexData.clear();
}

VstIntPtr HostedPlugin::dispatch (VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return effect != nullptr ? effect->dispatcher (effect, opcode, index, value, ptr, opt) : 0;
}

//==============================================================================
juce::String HostedPlugin::dispatchForText (VstInt32 opcode, VstInt32 index)
{
    // Far larger than any limit: many plug-ins write past the published text lengths.
    char text[512] = {};
    dispatch (opcode, index, 0, text);
    text[sizeof (text) - 1] = 0;
    return textFromPlugin (text);
}

juce::String HostedPlugin::getEffectName()
{
    return dispatchForText (effGetEffectName, 0);
}

juce::String HostedPlugin::getVendorString()
{
    return dispatchForText (effGetVendorString, 0);
}

juce::String HostedPlugin::getProductString()
{
    return dispatchForText (effGetProductString, 0);
}

int HostedPlugin::getVendorVersion()
{
    return (int) dispatch (effGetVendorVersion);
}

int HostedPlugin::getVstVersion()
{
    return (int) dispatch (effGetVstVersion);
}

int HostedPlugin::getPlugCategory()
{
    return (int) dispatch (effGetPlugCategory);
}

int HostedPlugin::canDo (const juce::String& feature)
{
    juce::MemoryBlock text (feature.toRawUTF8(), feature.getNumBytesAsUTF8() + 1);
    return (int) dispatch (effCanDo, 0, 0, text.getData());
}

//==============================================================================
void HostedPlugin::setSampleRate (double newSampleRate)
{
    if (newSampleRate <= 0.0)
        return;

    sampleRate = newSampleRate;
    transport.setSampleRate (newSampleRate);
    dispatch (effSetSampleRate, 0, 0, nullptr, (float) newSampleRate);
}

void HostedPlugin::setBlockSize (int newBlockSize)
{
    if (newBlockSize < 1)
        return;

    blockSize = newBlockSize;
    reserveBlockCapacity (newBlockSize);
    dispatch (effSetBlockSize, 0, newBlockSize);
}

void HostedPlugin::reserveBlockCapacity (int numSamples)
{
    if (numSamples <= capacity && inputPointers.size() == (size_t) numInputs &&
        outputPointers.size() == (size_t) numOutputs)
        return;

    capacity = std::max (capacity, numSamples);
    inputChannels.setSize (numInputs, capacity);
    outputChannels.setSize (numOutputs, capacity);

    inputPointers.resize ((size_t) numInputs);
    for (int i = 0; i < numInputs; ++i)
        inputPointers[(size_t) i] = inputChannels.getWritePointer (i);

    outputPointers.resize ((size_t) numOutputs);
    for (int i = 0; i < numOutputs; ++i)
        outputPointers[(size_t) i] = outputChannels.getWritePointer (i);
}

void HostedPlugin::resume()
{
    dispatch (effMainsChanged, 0, 1);
    resumed = true;
}

void HostedPlugin::suspend()
{
    dispatch (effMainsChanged, 0, 0);
    resumed = false;
}

//==============================================================================
void HostedPlugin::setParameter (int index, float value)
{
    if (effect != nullptr && effect->setParameter != nullptr && index >= 0 && index < getNumParameters())
        effect->setParameter (effect, index, value);
}

float HostedPlugin::getParameter (int index) const
{
    if (effect != nullptr && effect->getParameter != nullptr && index >= 0 && index < getNumParameters())
        return effect->getParameter (effect, index);
    return 0.0f;
}

juce::String HostedPlugin::getParameterName (int index)
{
    return index >= 0 && index < getNumParameters() ? dispatchForText (effGetParamName, index)
                                                    : juce::String();
}

juce::String HostedPlugin::getParameterDisplay (int index)
{
    return index >= 0 && index < getNumParameters() ? dispatchForText (effGetParamDisplay, index)
                                                    : juce::String();
}

juce::String HostedPlugin::getParameterLabel (int index)
{
    return index >= 0 && index < getNumParameters() ? dispatchForText (effGetParamLabel, index)
                                                    : juce::String();
}

void HostedPlugin::setProgram (int program)
{
    if (program < 0 || program >= getNumPrograms())
        return;

    dispatch (effBeginSetProgram);
    dispatch (effSetProgram, 0, program);
    dispatch (effEndSetProgram);
}

int HostedPlugin::getProgram()
{
    return (int) dispatch (effGetProgram);
}

juce::String HostedPlugin::getProgramName()
{
    return dispatchForText (effGetProgramName, 0);
}

juce::String HostedPlugin::getProgramNameIndexed (int program)
{
    if (program < 0 || program >= getNumPrograms())
        return {};

    char text[512] = {};
    dispatch (effGetProgramNameIndexed, program, -1, text);
    text[sizeof (text) - 1] = 0;
    return textFromPlugin (text);
}

juce::MemoryBlock HostedPlugin::getChunk()
{
    void* data = nullptr;
    const VstIntPtr size = dispatch (effGetChunk, 0, 0, &data);
    if (size <= 0 || size > maxChunkBytes || data == nullptr)
        return {};
    return juce::MemoryBlock (data, (size_t) size);
}

bool HostedPlugin::setChunk (const juce::MemoryBlock& chunk)
{
    if (effect == nullptr)
        return false;

    // The plug-in gets a pointer to non-const data and some write to it.
    juce::MemoryBlock copy (chunk);
    return dispatch (effSetChunk, 0, (VstIntPtr) copy.getSize(), copy.getData()) != 0;
}

bool HostedPlugin::readChunkFile (const juce::File& file, juce::MemoryBlock& chunk)
{
    return HostFileReader::readBytes (file, chunk, maxChunkFileBytes);
}

//==============================================================================
void HostedPlugin::addMidiEvent (const juce::MidiMessage& message, int sampleOffset)
{
    const juce::uint8* const data = message.getRawData();
    const int size = message.getRawDataSize();
    if (size < 1 || data[0] < 0x80 || message.isMetaEvent())
        return;

    if (message.isSysEx())
    {
        if (size > maxSysexBytes)
            return;

        VstMidiSysexEvent event{};
        event.type = kVstSysExType;
        event.byteSize = (VstInt32) sizeof (VstMidiSysexEvent);
        event.deltaFrames = sampleOffset;
        event.dumpBytes = size;
        queuedSysex.push_back (event);
        queuedSysexData.emplace_back (data, (size_t) size);
        return;
    }

    if (size > 3)
        return;

    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = (VstInt32) sizeof (VstMidiEvent);
    event.deltaFrames = sampleOffset;
    std::memcpy (event.midiData, data, (size_t) size);
    queuedMidi.push_back (event);
}

void HostedPlugin::ensureEventCapacity (size_t numEvents)
{
    if (numEvents <= eventListCapacity && eventListStorage != nullptr)
        return;

    eventListCapacity = std::max ({numEvents, eventListCapacity * 2, size_t (64)});
    const size_t bytes =
        std::max (sizeof (VstEvents), offsetof (VstEvents, events) + eventListCapacity * sizeof (VstEvent*));
    eventListStorage = std::make_unique<std::byte[]> (bytes);
}

VstEvents* HostedPlugin::buildEventList (int numSamples)
{
    const size_t total = queuedMidi.size() + queuedSysex.size();
    ensureEventCapacity (total);

    auto* const list = reinterpret_cast<VstEvents*> (eventListStorage.get());
    auto** const slots = reinterpret_cast<VstEvent**> (eventListStorage.get() + offsetof (VstEvents, events));
    list->numEvents = (VstInt32) total;
    list->reserved = 0;

    size_t count = 0;
    for (auto& event : queuedMidi)
    {
        event.deltaFrames = juce::jlimit (0, numSamples - 1, event.deltaFrames);
        slots[count++] = reinterpret_cast<VstEvent*> (&event);
    }
    for (size_t i = 0; i < queuedSysex.size(); ++i)
    {
        auto& event = queuedSysex[i];
        event.deltaFrames = juce::jlimit (0, numSamples - 1, event.deltaFrames);
        event.sysexDump = static_cast<char*> (queuedSysexData[i].getData());
        slots[count++] = reinterpret_cast<VstEvent*> (&event);
    }

    // Plug-ins expect events in time order; an insertion sort keeps equal times in the order queued and
    // needs no memory.
    for (size_t i = 1; i < count; ++i)
    {
        VstEvent* const moving = slots[i];
        size_t j = i;
        for (; j > 0 && slots[j - 1]->deltaFrames > moving->deltaFrames; --j)
            slots[j] = slots[j - 1];
        slots[j] = moving;
    }

    return list;
}

const juce::AudioBuffer<float>& HostedPlugin::process (int numSamples)
{
    if (effect == nullptr || numSamples <= 0)
    {
        outputView = juce::AudioBuffer<float>();
        return outputView;
    }

    if (numSamples > capacity)
        reserveBlockCapacity (numSamples);

    // Plug-ins may write into their inputs and some leave outputs untouched: start every block from
    // silence so nothing of the last block leaks in.
    for (float* channel : inputPointers)
        juce::FloatVectorOperations::clear (channel, numSamples);
    for (float* channel : outputPointers)
        juce::FloatVectorOperations::clear (channel, numSamples);

    VstEvents* const events = buildEventList (numSamples);
    blockStart.store (renderPosition.load());

    insideProcess = true;
    effect->dispatcher (effect, effProcessEvents, 0, 0, events, 0.0f);
    if (effect->processReplacing != nullptr)
        effect->processReplacing (effect, inputPointers.data(), outputPointers.data(), numSamples);
    else if (effect->process != nullptr)
        effect->process (effect, inputPointers.data(), outputPointers.data(), numSamples);
    insideProcess = false;

    queuedMidi.clear();
    queuedSysex.clear();
    queuedSysexData.clear();

    renderPosition.fetch_add (numSamples);
    transport.advance (numSamples);

    if (numOutputs > 0)
        outputView.setDataToReferTo (outputPointers.data(), numOutputs, numSamples);
    else
        outputView = juce::AudioBuffer<float>();
    return outputView;
}

void HostedPlugin::resetRenderPosition()
{
    renderPosition.store (0);
    blockStart.store (0);
    transport.rewind();
}

//==============================================================================
std::vector<juce::MidiMessage> HostedPlugin::getMidiOutput() const
{
    const std::lock_guard<std::mutex> guard (recordingLock);
    return midiOutput;
}

std::vector<HostedPlugin::AutomationEvent> HostedPlugin::getAutomation() const
{
    const std::lock_guard<std::mutex> guard (recordingLock);
    return automation;
}

void HostedPlugin::clearRecordings()
{
    const std::lock_guard<std::mutex> guard (recordingLock);
    midiOutput.clear();
    automation.clear();
}

juce::int64 HostedPlugin::currentEventBase() const
{
    return insideProcess ? blockStart.load() : renderPosition.load();
}

VstIntPtr HostedPlugin::currentProcessLevel() const
{
    if (processLevel.load() == ProcessLevel::offline)
        return kVstProcessLevelOffline;
    return insideProcess ? kVstProcessLevelRealtime : kVstProcessLevelUser;
}

void HostedPlugin::recordMidiOutput (const VstEvents* events)
{
    if (events == nullptr || events->numEvents <= 0)
        return;

    const int count = std::min (events->numEvents, maxEventsPerCall);
    const juce::int64 base = currentEventBase();
    auto* const slots = reinterpret_cast<const VstEvent* const*> (
        reinterpret_cast<const std::byte*> (events) + offsetof (VstEvents, events));

    const std::lock_guard<std::mutex> guard (recordingLock);
    for (int i = 0; i < count; ++i)
    {
        const VstEvent* const event = slots[i];
        if (event == nullptr)
            continue;

        const double time = (double) (base + event->deltaFrames);
        if (event->type == kVstMidiType)
        {
            const auto* const midi = reinterpret_cast<const VstMidiEvent*> (event);
            const auto status = (juce::uint8) midi->midiData[0];
            // A short event cannot carry system-exclusive data; anything without a status byte is noise.
            if (status < 0x80 || status == 0xf0 || status == 0xf7)
                continue;

            const int length = juce::MidiMessage::getMessageLengthFromFirstByte (status);
            midiOutput.emplace_back (midi->midiData, length, time);
        }
        else if (event->type == kVstSysExType)
        {
            const auto* const sysex = reinterpret_cast<const VstMidiSysexEvent*> (event);
            if (sysex->sysexDump != nullptr && sysex->dumpBytes > 1 && sysex->dumpBytes <= maxSysexBytes &&
                (juce::uint8) sysex->sysexDump[0] == 0xf0)
                midiOutput.emplace_back (sysex->sysexDump, sysex->dumpBytes, time);
        }
    }
}

//==============================================================================
int HostedPlugin::hostCanDo (const char* feature)
{
    if (feature == nullptr)
        return 0;

    static constexpr const char* supported[] = {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo",
                                                "receiveVstEvents", "receiveVstMidiEvent"};
    static constexpr const char* unsupported[] = {
        "sizeWindow",      "openFileSelector", "closeFileSelector",
        "offline",         "editFile",         "shellCategory",
        "supportShell",    "startStopProcess", "reportConnectionChanges",
        "acceptIOChanges", "asyncProcessing",  "supplyIdle"};

    for (const char* name : supported)
        if (std::strcmp (feature, name) == 0)
            return 1;
    for (const char* name : unsupported)
        if (std::strcmp (feature, name) == 0)
            return -1;
    return 0;
}

VstIntPtr HostedPlugin::hostCallback (AEffect* callingEffect, VstInt32 opcode, VstInt32 index,
                                      VstIntPtr value, void* ptr, float opt)
{
    HostedPlugin* host = nullptr;
    if (callingEffect != nullptr)
    {
        const std::lock_guard<std::mutex> guard (registry().lock);
        for (const auto& [registered, owner] : registry().entries)
            if (registered == callingEffect)
                host = owner;
    }

    if (host == nullptr)
        host = hostBeingOpened.load();

    return host != nullptr ? host->handleHostCall (opcode, index, value, ptr, opt)
                           : answerWithoutInstance (opcode, value, ptr);
}

VstIntPtr HostedPlugin::answerWithoutInstance (VstInt32 opcode, VstIntPtr, void* ptr)
{
    switch (opcode)
    {
        case audioMasterVersion: return kVstVersion;
        case audioMasterGetVendorString: copyText (ptr, hostVendor, kVstMaxVendorStrLen); return 1;
        case audioMasterGetProductString: copyText (ptr, hostProduct, kVstMaxProductStrLen); return 1;
        case audioMasterGetVendorVersion: return hostVendorVersion;
        case audioMasterCanDo: return hostCanDo (static_cast<const char*> (ptr));
        case audioMasterGetLanguage: return englishLanguage;
        default: return 0;
    }
}

VstIntPtr HostedPlugin::handleHostCall (VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                        float opt)
{
    switch (opcode)
    {
        case audioMasterAutomate:
        {
            const std::lock_guard<std::mutex> guard (recordingLock);
            automation.push_back ({currentEventBase(), index, opt});
            return 0;
        }
        case audioMasterGetTime: transport.fillTimeInfo (timeInfo, value); return (VstIntPtr) &timeInfo;
        case audioMasterProcessEvents: recordMidiOutput (static_cast<const VstEvents*> (ptr)); return 1;
        case audioMasterWantMidi: return 1;
        case audioMasterTempoAt: return (VstIntPtr) (transport.getTempo() * 10000.0);
        case audioMasterGetSampleRate: return (VstIntPtr) sampleRate;
        case audioMasterGetBlockSize: return blockSize;
        case audioMasterWillReplaceOrAccumulate: return 1;
        case audioMasterGetCurrentProcessLevel: return currentProcessLevel();
        // Off: this host neither plays back nor writes automation tracks.
        case audioMasterGetAutomationState: return 1;
        case audioMasterGetDirectory:
            return pluginDirectory.empty() ? 0 : (VstIntPtr) pluginDirectory.c_str();
        case audioMasterUpdateDisplay:
        case audioMasterBeginEdit:
        case audioMasterEndEdit: return 1;
        default: return answerWithoutInstance (opcode, value, ptr);
    }
}
