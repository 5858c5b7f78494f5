#pragma once

#include "tools/PluginLibrary.h"
#include "tools/Transport.h"
#include "vst/VstAbi.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

/** One VST 2.4 plug-in instance, loaded from its shared library and driven as a host drives it.

    The object is the host side of the instance: it answers the plug-in's host callback (version,
    sample rate, block size, time info from its Transport, process level, strings, can-do queries),
    records the MIDI the plug-in sends out and the parameter changes it reports, and feeds it MIDI and
    audio blocks. The usual order of calls is open, setSampleRate, setBlockSize, resume, then per block
    any addMidiEvent and one process, then suspend and close.

    Threads: open, close, the setters and process belong to one thread (the render thread). The
    plug-in may call back from any thread; the recordings are guarded and may be read at any time.
*/
class HostedPlugin
{
public:
    enum class ProcessLevel
    {
        realtime, // the plug-in is told it runs live: level 2 during process, 1 elsewhere
        offline   // the plug-in is told it renders offline: level 4 everywhere
    };

    /** A parameter change the plug-in reported through audioMasterAutomate. */
    struct AutomationEvent
    {
        juce::int64 renderSample; // start of the block during which it came, or the next block's start
        int index;
        float value;
    };

    HostedPlugin();
    ~HostedPlugin();

    HostedPlugin (const HostedPlugin&) = delete;
    HostedPlugin& operator= (const HostedPlugin&) = delete;

    //==============================================================================
    /** Loads the library by its path's bytes (see PluginLibrary::open), creates the instance and sends
        effOpen. Answers an empty string on success, otherwise what went wrong (nothing stays loaded then).
        Closes any instance open before. */
    juce::String open (const std::filesystem::path& pluginFile);

    juce::String open (const juce::File& pluginFile)
    {
        return open (std::filesystem::path (pluginFile.getFullPathName().toStdString()));
    }

    /** Suspends when resumed, sends effClose and unloads the library. */
    void close();

    bool isOpen() const { return effect != nullptr; }

    /** The record for direct calls; null when nothing is open. */
    AEffect* getEffect() const { return effect; }

    /** Passes a dispatcher call through unchanged; 0 when nothing is open. */
    VstIntPtr dispatch (VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                        float opt = 0.0f);

    //==============================================================================
    juce::String getEffectName();
    juce::String getVendorString();
    juce::String getProductString();
    int getVendorVersion();
    int getVstVersion();
    int getPlugCategory();

    /** The plug-in's answer: 1 yes, -1 no, 0 does not know. */
    int canDo (const juce::String& feature);

    int getNumPrograms() const { return effect != nullptr ? std::max (0, effect->numPrograms) : 0; }
    int getNumParameters() const { return effect != nullptr ? std::max (0, effect->numParams) : 0; }
    int getNumInputs() const { return numInputs; }
    int getNumOutputs() const { return numOutputs; }
    VstInt32 getFlags() const { return effect != nullptr ? effect->flags : 0; }
    VstInt32 getUniqueId() const { return effect != nullptr ? effect->uniqueID : 0; }
    VstInt32 getVersion() const { return effect != nullptr ? effect->version : 0; }
    int getInitialDelay() const { return effect != nullptr ? effect->initialDelay : 0; }

    //==============================================================================
    /** Stored for the host callback and sent to the plug-in; rates of 0 or less are ignored. */
    void setSampleRate (double newSampleRate);
    double getSampleRate() const { return sampleRate; }

    /** Announces the largest block to the plug-in and preallocates that much. process() still takes
        more, as some hosts send. Sizes below 1 are ignored. */
    void setBlockSize (int newBlockSize);
    int getBlockSize() const { return blockSize; }

    /** Grows the preallocated buffers without telling the plug-in. */
    void reserveBlockCapacity (int numSamples);

    void setProcessLevel (ProcessLevel level) { processLevel.store (level); }
    ProcessLevel getProcessLevel() const { return processLevel.load(); }

    /** Mains on and off. Sent every time, so a test can turn a plug-in on twice. */
    void resume();
    void suspend();
    bool isResumed() const { return resumed; }

    //==============================================================================
    /** Out-of-range indexes are not passed on: setting does nothing, reading gives 0 or "". */
    void setParameter (int index, float value);
    float getParameter (int index) const;
    juce::String getParameterName (int index);
    juce::String getParameterDisplay (int index);
    juce::String getParameterLabel (int index);

    void setProgram (int program);
    int getProgram();
    juce::String getProgramName();

    /** Any program's name without selecting it; "" when the plug-in does not tell. */
    juce::String getProgramNameIndexed (int program);

    /** The bank chunk (effGetChunk with index 0); empty when the plug-in gives none. */
    juce::MemoryBlock getChunk();

    /** Hands over a bank chunk; answers the plug-in's result, which VST 2.4 gives no meaning: hosts
        ignore it, and a plug-in may answer 0 for a chunk it restored whole. */
    bool setChunk (const juce::MemoryBlock& chunk);

    /** The largest chunk file read, in bytes. */
    static constexpr size_t maxChunkFileBytes = 64 * 1024 * 1024;

    /** Reads a chunk saved to a file: a regular file of at most maxChunkFileBytes (see HostFileReader);
        false, with chunk empty, otherwise. */
    static bool readChunkFile (const juce::File& file, juce::MemoryBlock& chunk);

    //==============================================================================
    /** Queues an event for the next process() call at a sample offset into that block. Offsets outside
        the block are clamped into it. */
    void addMidiEvent (const juce::MidiMessage& message, int sampleOffset);

    /** Sends the queued MIDI (effProcessEvents, also with no events), then runs processReplacing (or
        the old accumulating process on cleared buffers) and advances the transport. The buffer refers
        to the preallocated output channels and stays valid until the next call. */
    const juce::AudioBuffer<float>& process (int numSamples);

    /** Render samples processed since open(), a rewind of the transport or resetRenderPosition(). */
    juce::int64 getRenderPosition() const { return renderPosition.load(); }

    /** Back to render sample 0, together with the transport. */
    void resetRenderPosition();

    /** The transport the plug-in sees in its time info. Change it between blocks only. */
    Transport& getTransport() { return transport; }
    const Transport& getTransport() const { return transport; }

    //==============================================================================
    /** MIDI the plug-in sent, in order, each timestamp the absolute render sample it was meant for. */
    std::vector<juce::MidiMessage> getMidiOutput() const;

    std::vector<AutomationEvent> getAutomation() const;

    void clearRecordings();

    /** The host's answer to audioMasterCanDo. */
    static int hostCanDo (const char* feature);

private:
    static VstIntPtr hostCallback (AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                   void* ptr, float opt);
    static VstIntPtr answerWithoutInstance (VstInt32 opcode, VstIntPtr value, void* ptr);
    VstIntPtr handleHostCall (VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    void recordMidiOutput (const VstEvents* events);
    VstIntPtr currentProcessLevel() const;
    juce::int64 currentEventBase() const;
    juce::String dispatchForText (VstInt32 opcode, VstInt32 index);
    void ensureEventCapacity (size_t numEvents);
    VstEvents* buildEventList (int numSamples);

    // The loaded instance
    std::unique_ptr<PluginLibrary> library;
    AEffect* effect = nullptr;
    int numInputs = 0;
    int numOutputs = 0;
    std::string pluginDirectory; // answered to audioMasterGetDirectory, the bytes of the library's folder

    // Host settings the plug-in can ask for
    double sampleRate = 44100.0;
    int blockSize = 512;
    std::atomic<ProcessLevel> processLevel{ProcessLevel::realtime};
    bool resumed = false;

    // Time info: the answer to audioMasterGetTime is a pointer to this, valid until the next request.
    Transport transport;
    VstTimeInfo timeInfo{};
    std::atomic<juce::int64> renderPosition{0};
    std::atomic<juce::int64> blockStart{0};

    // Preallocated process buffers
    int capacity = 0;
    juce::AudioBuffer<float> inputChannels;
    juce::AudioBuffer<float> outputChannels;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
    juce::AudioBuffer<float> outputView;

    // MIDI queued for the next block, and the VstEvents list built from it
    std::vector<VstMidiEvent> queuedMidi;
    std::vector<VstMidiSysexEvent> queuedSysex;
    std::vector<juce::MemoryBlock> queuedSysexData;
    std::unique_ptr<std::byte[]> eventListStorage; // a VstEvents header with room for eventListCapacity
    size_t eventListCapacity = 0;

    // Recordings of what the plug-in reported
    mutable std::mutex recordingLock;
    std::vector<juce::MidiMessage> midiOutput;
    std::vector<AutomationEvent> automation;
};
