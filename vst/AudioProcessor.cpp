#include "vst/AudioProcessor.h"

#include "vst/AudioProcessorEditor.h"
#include "vst/BoundedXml.h"

#include <cstring>

namespace juce
{
namespace
{
thread_local AudioProcessor::WrapperType typeOfNextNewPlugin = AudioProcessor::wrapperType_Undefined;

constexpr uint32 stateFrameMagic = 0x21324356; // "VC2!" in file order
constexpr int stateFrameHeaderSize = 8;
} // namespace

void AudioProcessor::setTypeOfNextNewPlugin (WrapperType type) noexcept
{
    typeOfNextNewPlugin = type;
}

AudioProcessor::AudioProcessor()
    : wrapperType (typeOfNextNewPlugin)
{
}

AudioProcessor::~AudioProcessor()
{
    // An editor must never outlive the processor it shows.
    jassert (activeEditor == nullptr);
}

//==============================================================================
void AudioProcessor::processBlockBypassed (AudioSampleBuffer&, MidiBuffer&) {}

int AudioProcessor::getMaxNumInputChannels() const
{
    return 0;
}

int AudioProcessor::getMaxNumOutputChannels() const
{
    return 0;
}

String AudioProcessor::getMidiKeyName (int) const
{
    return {};
}

void AudioProcessor::reset() {}

void AudioProcessor::setNonRealtime (bool isNonRealtime) noexcept
{
    nonRealtime.store (isNonRealtime, std::memory_order_relaxed);
}

//==============================================================================
// The parameters of this system live in its own parameter manager: a processor that does not
// override these has no parameters of its own and gets the neutral answers.
int AudioProcessor::getNumParameters()
{
    return 0;
}

String AudioProcessor::getParameterName (int parameterIndex, int maximumStringLength)
{
    return getParameterName (parameterIndex).substring (0, maximumStringLength);
}

String AudioProcessor::getParameterName (int)
{
    return {};
}

float AudioProcessor::getParameter (int)
{
    return 0.0f;
}

String AudioProcessor::getParameterText (int parameterIndex, int maximumStringLength)
{
    return getParameterText (parameterIndex).substring (0, maximumStringLength);
}

// Deliberately not forwarding to the two-argument version: that one forwards here, and a processor
// overriding neither would recurse until the stack runs out.
String AudioProcessor::getParameterText (int)
{
    return {};
}

int AudioProcessor::getParameterNumSteps (int)
{
    return 0x7fffffff;
}

float AudioProcessor::getParameterDefaultValue (int)
{
    return 0.0f;
}

String AudioProcessor::getParameterLabel (int) const
{
    return {};
}

bool AudioProcessor::isParameterOrientationInverted (int) const
{
    return false;
}

void AudioProcessor::setParameter (int, float) {}

bool AudioProcessor::isParameterAutomatable (int) const
{
    return true;
}

bool AudioProcessor::isMetaParameter (int) const
{
    return false;
}

//==============================================================================
void AudioProcessor::getCurrentProgramStateInformation (MemoryBlock& destData)
{
    getStateInformation (destData);
}

void AudioProcessor::setCurrentProgramStateInformation (const void* data, int sizeInBytes)
{
    setStateInformation (data, sizeInBytes);
}

void AudioProcessor::numChannelsChanged() {}

void AudioProcessor::addListener (AudioProcessorListener* newListener)
{
    if (newListener == nullptr)
        return;

    const ScopedLock sl (listenerLock);
    listeners.addIfNotAlreadyThere (newListener);
}

void AudioProcessor::removeListener (AudioProcessorListener* listenerToRemove)
{
    const ScopedLock sl (listenerLock);
    listeners.removeFirstMatchingValue (listenerToRemove);
}

void AudioProcessor::setPlayHead (AudioPlayHead* newPlayHead)
{
    playHead = newPlayHead;
}

//==============================================================================
// Last added first; the lock is held only to read one entry, and the index is checked against the
// list as it is now, so a listener may remove itself (or others) while being called.
template <typename Callback>
void AudioProcessor::callListeners (Callback&& callback)
{
    for (int i =
             [this]
         {
             const ScopedLock sl (listenerLock);
             return listeners.size();
         }();
         --i >= 0;)
    {
        AudioProcessorListener* listener = nullptr;

        {
            const ScopedLock sl (listenerLock);

            if (i < listeners.size())
                listener = listeners.getUnchecked (i);
        }

        if (listener != nullptr)
            callback (*listener);
    }
}

void AudioProcessor::sendParamChangeMessageToListeners (int parameterIndex, float newValue)
{
    if (!isPositiveAndBelow (parameterIndex, getNumParameters()))
        return;

    callListeners ([&] (AudioProcessorListener& l)
                   { l.audioProcessorParameterChanged (this, parameterIndex, newValue); });
}

void AudioProcessor::beginParameterChangeGesture (int parameterIndex)
{
    if (!isPositiveAndBelow (parameterIndex, getNumParameters()))
        return;

    callListeners ([&] (AudioProcessorListener& l)
                   { l.audioProcessorParameterChangeGestureBegin (this, parameterIndex); });
}

void AudioProcessor::endParameterChangeGesture (int parameterIndex)
{
    if (!isPositiveAndBelow (parameterIndex, getNumParameters()))
        return;

    callListeners ([&] (AudioProcessorListener& l)
                   { l.audioProcessorParameterChangeGestureEnd (this, parameterIndex); });
}

void AudioProcessor::updateHostDisplay()
{
    callListeners ([this] (AudioProcessorListener& l) { l.audioProcessorChanged (this); });
}

//==============================================================================
void AudioProcessor::setPlayConfigDetails (int numIns, int numOuts, double newSampleRate, int newBlockSize)
{
    // Both exchanges always run, so both counts are stored.
    const bool inputsChanged = numInputChannels.exchange (numIns, std::memory_order_relaxed) != numIns;
    const bool outputsChanged = numOutputChannels.exchange (numOuts, std::memory_order_relaxed) != numOuts;
    const bool channelsChanged = inputsChanged || outputsChanged;

    sampleRate.store (newSampleRate, std::memory_order_relaxed);
    blockSize.store (newBlockSize, std::memory_order_relaxed);

    if (channelsChanged)
        numChannelsChanged();
}

void AudioProcessor::suspendProcessing (bool shouldBeSuspended)
{
    const ScopedLock sl (callbackLock);
    suspended.store (shouldBeSuspended, std::memory_order_relaxed);
}

void AudioProcessor::setSpeakerArrangement (const String& inputs, const String& outputs)
{
    inputSpeakerArrangement = inputs;
    outputSpeakerArrangement = outputs;
}

//==============================================================================
AudioProcessorEditor* AudioProcessor::createEditorIfNeeded()
{
    if (auto* existing = activeEditor.getComponent())
        return existing;

    auto* editor = createEditor();

    if (editor != nullptr)
    {
        const ScopedLock sl (callbackLock);
        activeEditor = editor;
    }

    return editor;
}

AudioProcessorEditor* AudioProcessor::getActiveEditor() const noexcept
{
    return activeEditor.getComponent();
}

void AudioProcessor::editorBeingDeleted (AudioProcessorEditor* editor) noexcept
{
    const ScopedLock sl (callbackLock);

    if (activeEditor.getComponent() == editor)
        activeEditor = nullptr;
}

//==============================================================================
void AudioProcessor::copyXmlToBinary (const XmlElement& xml, MemoryBlock& destData)
{
    // Written straight into the block: a state of tens of megabytes is not copied twice more on its way.
    destData.reset();
    MemoryOutputStream out (destData, false);
    out.writeInt ((int) stateFrameMagic); // little-endian, as every integer of the frame
    out.writeInt (0);                     // the length, known once the text is written
    xml.writeTo (out, XmlElement::TextFormat().singleLine().withoutHeader());
    const auto textBytes = out.getPosition() - stateFrameHeaderSize;
    out.writeByte (0);
    out.flush();

    const auto length = ByteOrder::swapIfBigEndian ((uint32) textBytes); // never counts the final 0
    std::memcpy (static_cast<char*> (destData.getData()) + 4, &length, 4);
}

std::unique_ptr<XmlElement> AudioProcessor::getXmlFromBinary (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= stateFrameHeaderSize)
        return {};

    const auto* bytes = static_cast<const uint8*> (data);

    if (ByteOrder::littleEndianInt (bytes) != stateFrameMagic)
        return {};

    const auto length = (int32) ByteOrder::littleEndianInt (bytes + 4);

    if (length <= 0)
        return {};

    const auto* text = bytes + stateFrameHeaderSize;
    auto textBytes = (size_t) jmin (length, sizeInBytes - stateFrameHeaderSize);

    // A length field larger than the data takes in the frame's final 0: the text ends there.
    if (const auto* terminator = std::memchr (text, 0, textBytes))
        textBytes = (size_t) (static_cast<const uint8*> (terminator) - text);

    // The bounded reader checks the bytes before any String is made of them: JUCE's conversion writes
    // past its buffer on overlong UTF-8, and its parser's recursion would overflow on deep nesting.
    return BoundedXml::parse (text, textBytes, BoundedXml::AfterDocument::ignored, maxStateTextBytes);
}

} // namespace juce
