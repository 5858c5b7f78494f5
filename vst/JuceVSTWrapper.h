#pragma once

#include "vst/AudioEffectX.h"
#include "vst/AudioProcessor.h"
#include "vst/MessageThread.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>

namespace juce
{
class AudioProcessorEditor;
}

/** The object behind the effect record that the host holds: translates every VST 2.4 call into calls
    on the processor it owns, and the processor's notifications back into host calls.

    Threads: the host's audio thread calls processEvents and processReplacing; setParameter and
    getParameter may come from any host thread and take no wrapper lock; everything else comes from
    the host's own threads. Calls that create or touch components take the message manager lock, so
    they are safe next to the plug-in's own message thread. */
class JuceVSTWrapper : public AudioEffectX,
                       private juce::AudioProcessorListener,
                       private juce::AudioPlayHead,
                       private juce::Timer,
                       private juce::AsyncUpdater
{
public:
    // What the host is told about the product.
    static constexpr const char* productName = "Kelvanor";
    static constexpr const char* vendorName = "Zeb Group";
    static constexpr VstInt32 uniqueId = vstFourCharCode ('K', 'E', 'L', 'V');
    static constexpr VstInt32 versionNumber = 0x10905; // 1.9.5, one hexadecimal digit per part

    // Blocks are prepared for at most this many samples; hosts announcing more get longer blocks split.
    static constexpr int maxPreparedBlockSize = 65536;

    /** Takes ownership of the processor (which may be null: every call then answers 0). */
    JuceVSTWrapper (audioMasterCallback audioMaster, juce::AudioProcessor* filter);
    ~JuceVSTWrapper() override;

    juce::AudioProcessor* getFilter() const noexcept { return filter.get(); }

    //==============================================================================
    VstIntPtr dispatcher (VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    void open() override;
    void close() override;
    void suspend() override;
    void resume() override;

    void processReplacing (float** inputs, float** outputs, VstInt32 numSamples) override;

    void setParameter (VstInt32 index, float value) override;
    float getParameter (VstInt32 index) override;

    VstInt32 getProgram() override;
    void setProgram (VstInt32 program) override;
    void setProgramName (char* name) override;
    void getProgramName (char* name) override;
    bool getProgramNameIndexed (VstInt32 category, VstInt32 index, char* text) override;

    void getParameterName (VstInt32 index, char* text) override;
    void getParameterDisplay (VstInt32 index, char* text) override;
    void getParameterLabel (VstInt32 index, char* label) override;
    bool canParameterBeAutomated (VstInt32 index) override;

    /** The block handed out stays valid until the next getChunk or setChunk, or until the instance
        is closed. */
    VstInt32 getChunk (void** data, bool isPreset) override;
    VstInt32 setChunk (void* data, VstInt32 byteSize, bool isPreset) override;

    bool getInputProperties (VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties (VstInt32 index, VstPinProperties* properties) override;
    bool setSpeakerArrangement (VstSpeakerArrangement* inputs, VstSpeakerArrangement* outputs) override;
    bool setBypass (bool onOff) override;
    VstInt32 processEvents (VstEvents* events) override;
    VstInt32 getGetTailSize() override;

    bool getEffectName (char* name) override;
    bool getVendorString (char* text) override;
    bool getProductString (char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo (char* text) override;
    VstInt32 getPlugCategory() override;
    bool getMidiKeyName (VstInt32 channel, MidiKeyName* keyName) override;

private:
    class EditorCompWrapper;

    // One entry of the outgoing event list: room for either kind of event.
    union OutgoingEvent
    {
        VstMidiEvent midi;
        VstMidiSysexEvent sysex;
    };

    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float newValue) override;
    void audioProcessorChanged (juce::AudioProcessor*) override;
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override;
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override;

    juce::Optional<juce::AudioPlayHead::PositionInfo> getPosition() const override;

    void timerCallback() override;
    void handleAsyncUpdate() override;

    void renderBlock (float** inputs, float** outputs, int startSample, int numSamples,
                      juce::MidiBuffer& midi);
    void renderSplitBlock (float** inputs, float** outputs, int numSamples);
    void sendMidiOutput();
    void ensureOutgoingCapacity (int numEvents);
    void prepareBuffers (int blockSize);

    void createEditorComp();
    void deleteEditor (bool canDeleteLater);
    // Destroys the editor's X window at once and waits for the server; the component may live on.
    void removeEditorFromHostWindow();
    void resizeHostWindow (int width, int height);
    void runEditIdle();

    bool isParameterIndex (VstInt32 index) const noexcept;

    //==============================================================================
    const MessageThread::ScopedUser messageThreadUser; // first: the message loop outlives everything below
    std::unique_ptr<juce::AudioProcessor> filter;

    juce::MemoryBlock chunkMemory;

    juce::MidiBuffer midiEvents;      // incoming for the next block; after the block the processor's output
    juce::MidiBuffer subBlockMidi;    // the events of one part of a split block
    juce::MidiBuffer splitOutputMidi; // the output of all parts of a split block

    juce::HeapBlock<char> outgoingList; // a VstEvents header followed by the entry pointers
    juce::HeapBlock<OutgoingEvent> outgoingEntries;
    int outgoingCapacity = 0;

    VstInt32 speakerIn = kSpeakerArrEmpty, speakerOut = kSpeakerArrEmpty;
    int numInChans = 0, numOutChans = 0;

    std::atomic<bool> isProcessing{false}, isBypassed{false}, hasShutdown{false};
    std::atomic<bool> firstProcessCallback{true}, shouldDeleteEditor{false};

    // Owned by whoever holds the processor's callback lock (the audio thread during a block).
    juce::HeapBlock<float*> channels;
    juce::HeapBlock<float> tempStorage; // tempCapacity samples per channel, used preparedBlockSize apart
    int preparedBlockSize = 0, numPreparedChannels = 0, tempCapacity = 0;

    std::atomic<int> subBlockOffset{0}; // samples from the host's block start to the part being rendered

    std::unique_ptr<EditorCompWrapper> editorComp;
    ERect editorSize{};
    bool insideEditIdle = false;
    std::atomic<int> pendingHostWidth{-1}, pendingHostHeight{-1};

    JUCE_DECLARE_NON_COPYABLE (JuceVSTWrapper)
};
