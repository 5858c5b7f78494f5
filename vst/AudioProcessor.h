#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <cstddef>
#include <memory>

namespace juce
{
class AudioProcessor;
class AudioProcessorEditor;
class Component;

//==============================================================================
/** Receives parameter changes, edit gestures and general changes of a processor. Called on whatever
    thread raised the notification: the audio thread for changes made while processing, the message
    thread for the editor's gestures. Never called with the processor's listener lock held, so a
    listener may add or remove listeners from inside its callback. */
class AudioProcessorListener
{
public:
    virtual ~AudioProcessorListener() = default;

    virtual void audioProcessorParameterChanged (AudioProcessor* processor, int parameterIndex,
                                                 float newValue) = 0;
    virtual void audioProcessorChanged (AudioProcessor* processor) = 0;
    virtual void audioProcessorParameterChangeGestureBegin (AudioProcessor*, int /*parameterIndex*/) {}
    virtual void audioProcessorParameterChangeGestureEnd (AudioProcessor*, int /*parameterIndex*/) {}
};

//==============================================================================
/** The abstract processor that the VST wrapper drives. Our own class, not the one of JUCE's audio
    processors module (which is not linked): besides the usual operations it tells the wrapper at run
    time how many channels it has and what its MIDI keys are called.

    The wrapper holds the callback lock for the whole of every audio block, so code that takes it waits
    for the block in progress. */
class AudioProcessor
{
public:
    /** Kind of wrapper that created a processor; the entry point sets it around the factory call. */
    enum WrapperType
    {
        wrapperType_Undefined = 0,
        wrapperType_VST = 1
    };

protected:
    AudioProcessor();

public:
    virtual ~AudioProcessor();

    //==============================================================================
    virtual String getName() const = 0;

    /** Called by the wrapper before playback starts; the block size is the largest block the wrapper
        will ever pass to processBlock. */
    virtual void prepareToPlay (double sampleRate, int estimatedSamplesPerBlock) = 0;
    virtual void releaseResources() = 0;

    /** Audio thread, under the callback lock. On return the MIDI buffer holds the processor's output. */
    virtual void processBlock (AudioSampleBuffer& buffer, MidiBuffer& midiMessages) = 0;
    virtual void processBlockBypassed (AudioSampleBuffer& buffer, MidiBuffer& midiMessages);

    virtual int getMaxNumInputChannels() const;
    virtual int getMaxNumOutputChannels() const;
    virtual String getMidiKeyName (int keyNumber) const;

    virtual String getInputChannelName (int channelIndex) const = 0;
    virtual String getOutputChannelName (int channelIndex) const = 0;
    virtual bool isInputChannelStereoPair (int index) const = 0;
    virtual bool isOutputChannelStereoPair (int index) const = 0;
    virtual bool silenceInProducesSilenceOut() const = 0;
    virtual double getTailLengthSeconds() const = 0;
    virtual bool acceptsMidi() const = 0;
    virtual bool producesMidi() const = 0;

    virtual void reset();
    virtual void setNonRealtime (bool isNonRealtime) noexcept;

    virtual AudioProcessorEditor* createEditor() = 0;
    virtual bool hasEditor() const = 0;

    //==============================================================================
    virtual int getNumParameters();
    virtual String getParameterName (int parameterIndex, int maximumStringLength);
    virtual String getParameterName (int parameterIndex);
    virtual float getParameter (int parameterIndex);
    virtual String getParameterText (int parameterIndex, int maximumStringLength);
    virtual String getParameterText (int parameterIndex);
    virtual int getParameterNumSteps (int parameterIndex);
    virtual float getParameterDefaultValue (int parameterIndex);
    virtual String getParameterLabel (int index) const;
    virtual bool isParameterOrientationInverted (int index) const;
    virtual void setParameter (int parameterIndex, float newValue);
    virtual bool isParameterAutomatable (int parameterIndex) const;
    virtual bool isMetaParameter (int parameterIndex) const;

    //==============================================================================
    virtual int getNumPrograms() = 0;
    virtual int getCurrentProgram() = 0;
    virtual void setCurrentProgram (int index) = 0;
    virtual String getProgramName (int index) = 0;
    virtual void changeProgramName (int index, const String& newName) = 0;

    //==============================================================================
    virtual void getStateInformation (MemoryBlock& destData) = 0;
    virtual void getCurrentProgramStateInformation (MemoryBlock& destData);
    virtual void setStateInformation (const void* data, int sizeInBytes) = 0;
    virtual void setCurrentProgramStateInformation (const void* data, int sizeInBytes);

    virtual void numChannelsChanged();

    /** Adds a listener unless it is null or already present. */
    virtual void addListener (AudioProcessorListener* newListener);
    virtual void removeListener (AudioProcessorListener* listenerToRemove);

    virtual void setPlayHead (AudioPlayHead* newPlayHead);

    //==============================================================================
    /** Passes a change of the parameter at that index to every listener (the wrapper turns it into host
        automation). Indexes outside 0 .. getNumParameters() - 1 are ignored. */
    void sendParamChangeMessageToListeners (int parameterIndex, float newValue);
    void beginParameterChangeGesture (int parameterIndex);
    void endParameterChangeGesture (int parameterIndex);

    /** Tells the listeners that names, programs or latency changed, so the host re-reads them. */
    void updateHostDisplay();

    void setPlayConfigDetails (int numIns, int numOuts, double sampleRate, int blockSize);

    const CriticalSection& getCallbackLock() const noexcept { return callbackLock; }

    double getSampleRate() const noexcept { return sampleRate.load (std::memory_order_relaxed); }
    int getBlockSize() const noexcept { return blockSize.load (std::memory_order_relaxed); }
    int getNumInputChannels() const noexcept { return numInputChannels.load (std::memory_order_relaxed); }
    int getNumOutputChannels() const noexcept { return numOutputChannels.load (std::memory_order_relaxed); }
    int getLatencySamples() const noexcept { return latencySamples.load (std::memory_order_relaxed); }
    bool isNonRealtime() const noexcept { return nonRealtime.load (std::memory_order_relaxed); }
    AudioPlayHead* getPlayHead() const noexcept { return playHead; }

    /** While suspended the wrapper writes silence instead of calling processBlock. Takes the callback
        lock, so on return no block is running any more. */
    void suspendProcessing (bool shouldBeSuspended);
    bool isSuspended() const noexcept { return suspended.load (std::memory_order_relaxed); }

    /** Speaker names of the host's arrangement, e.g. "L R"; empty when the host set none. */
    void setSpeakerArrangement (const String& inputs, const String& outputs);
    String getInputSpeakerArrangement() const noexcept { return inputSpeakerArrangement; }
    String getOutputSpeakerArrangement() const noexcept { return outputSpeakerArrangement; }

    /** The editor that is alive now, or a new one from createEditor (null when there is none). */
    AudioProcessorEditor* createEditorIfNeeded();
    AudioProcessorEditor* getActiveEditor() const noexcept;
    void editorBeingDeleted (AudioProcessorEditor* editor) noexcept;

    //==============================================================================
    /** Replaces the block's content with the host state frame: "VC2!", the text length (little-endian,
        32 bits), the element as one line of UTF-8 without declaration, and a terminating 0. */
    static void copyXmlToBinary (const XmlElement& xml, MemoryBlock& destData);

    /** The longest text a frame is read with, in bytes. Hosts hand the state over in memory, so the bound
        is about what parsing it may cost, not about reading it; it lies well above what a processor
        writes, for each bounds what it holds so that its whole state, written, stays below it. */
    static constexpr size_t maxStateTextBytes = 64 * 1024 * 1024;

    /** Reads a frame written by copyXmlToBinary. Null for anything that is not such a frame, or with a
        text beyond maxStateTextBytes; a length field beyond the data takes only the bytes present. Never
        reads outside the given range. */
    static std::unique_ptr<XmlElement> getXmlFromBinary (const void* data, int sizeInBytes);

    //==============================================================================
    /** Sets the wrapper type that processors created next on the calling thread will record. */
    static void setTypeOfNextNewPlugin (WrapperType type) noexcept;

    const WrapperType wrapperType;

private:
    /** The editor alive now; it reads null once the editor is deleted, whoever deletes it. Defined
        beside the editor, so that processors compile without the GUI module. */
    class EditorPointer
    {
    public:
        EditorPointer() noexcept;
        ~EditorPointer();

        EditorPointer& operator= (AudioProcessorEditor* editor) noexcept;
        AudioProcessorEditor* getComponent() const noexcept;
        bool operator== (std::nullptr_t) const noexcept { return getComponent() == nullptr; }

    private:
        WeakReference<Component> editorComponent;

        JUCE_DECLARE_NON_COPYABLE (EditorPointer)
    };

    template <typename Callback>
    void callListeners (Callback&& callback);

    AudioPlayHead* playHead = nullptr;
    Array<AudioProcessorListener*> listeners;
    EditorPointer activeEditor;

    // Written by the wrapper on the host's threads, read by the processor on the audio thread.
    std::atomic<double> sampleRate{0.0};
    std::atomic<int> blockSize{0};
    std::atomic<int> numInputChannels{0};
    std::atomic<int> numOutputChannels{0};
    std::atomic<int> latencySamples{0};
    std::atomic<bool> suspended{false};
    std::atomic<bool> nonRealtime{false};

    CriticalSection callbackLock, listenerLock;
    String inputSpeakerArrangement, outputSpeakerArrangement;

    JUCE_DECLARE_NON_COPYABLE (AudioProcessor)
};

} // namespace juce
