#include "vst/JuceVSTWrapper.h"

#include "vst/AudioProcessorEditor.h"
#include "vst/StrictUtf8.h"
#include "vst/XConnection.h"
#include "vst/XKeyboardFocus.h"
#include "vst/XWindowManagerAtoms.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
// Bytes reserved per MIDI buffer so the audio thread does not grow it: about 1800 short messages.
constexpr size_t midiBufferBytes = 16384;
constexpr int initialOutgoingEvents = 512;
constexpr int outgoingEventsStep = 32;

// Longest text accepted from a host buffer that is supposed to hold a program name.
constexpr size_t maxHostTextBytes = 256;

/** The parameter write the host is making on this thread, so its echo is not sent back. */
struct HostWrite
{
    const void* wrapper = nullptr;
    int index = -1;
};

thread_local HostWrite currentHostWrite;

/** Writes at most maxBytes bytes of UTF-8 (whole characters only) plus a terminating 0. */
void copyToHost (const juce::String& text, char* dest, int maxBytes)
{
    if (dest != nullptr && maxBytes >= 0)
        text.copyToUTF8 (dest, (size_t) maxBytes + 1);
}

/** A host's text as a String; text that is not well-formed UTF-8 (overlong forms and surrogates
    included, which JUCE's own check lets through) is read as Latin-1 rather than rejected. */
juce::String textFromHost (const char* text)
{
    if (text == nullptr)
        return {};

    const auto length = strnlen (text, maxHostTextBytes);

    if (juce::String utf8; StrictUtf8::toString (text, length, utf8))
        return utf8;

    juce::String latin1;

    for (size_t i = 0; i < length; ++i)
        latin1 += (juce::juce_wchar) (unsigned char) text[i];

    return latin1;
}

/** Speaker names of an arrangement, separated by blanks ("L R" for stereo). */
juce::String speakerNames (const VstSpeakerArrangement& arrangement)
{
    switch (arrangement.type)
    {
        case kSpeakerArrEmpty: return {};
        case kSpeakerArrMono: return "M";
        case kSpeakerArrStereo: return "L R";
        default: break;
    }

    static const char* const names[] = {"M", "L", "R", "C", "Lfe", "Ls", "Rs"};
    juce::StringArray result;

    for (int i = 0; i < juce::jmin (arrangement.numChannels, 8); ++i)
        if (juce::isPositiveAndBelow (arrangement.speakers[i].type, (int) std::size (names)))
            result.add (names[arrangement.speakers[i].type]);

    return result.joinIntoString (" ");
}
} // namespace

//==============================================================================
/** Holds the processor's editor as its only child inside the host's window. Message thread (or a
    host thread holding the message manager lock).

    Keys belong to the host unless a control of the editor is taking text: the X input focus, which JUCE
    takes for the editor's window at every click, goes back to the host's window when a click ends with no
    control holding the keyboard focus, and when a control that held it lets it go (an edit ended).

    A click keeps the keyboard where it put it. A click-to-focus window manager (desktops, Ardour) gives
    the X input focus to the host's window at every click before the editor sees the click, and the click
    takes it back into the editor's window; JUCE, seeing its window get the focus again, hands the keyboard
    to the control that held it when the focus left, not to the text field the click has just focused.
    Once the click's X events are handled, the field that click chose gets the keyboard back. */
class JuceVSTWrapper::EditorCompWrapper : public juce::Component,
                                          private juce::FocusChangeListener,
                                          private juce::AsyncUpdater
{
public:
    EditorCompWrapper (JuceVSTWrapper& owner, juce::AudioProcessorEditor* editorToShow)
        : wrapper (owner)
        , editor (editorToShow)
    {
        setOpaque (true);
        setBounds (editor->getBounds().withZeroOrigin());
        editor->setTopLeftPosition (0, 0);
        addAndMakeVisible (editor.get());
        addMouseListener (this, true);
        juce::Desktop::getInstance().addFocusChangeListener (this);
    }

    ~EditorCompWrapper() override
    {
        cancelPendingUpdate();
        juce::Desktop::getInstance().removeFocusChangeListener (this);
        removeMouseListener (this);
    }

    juce::AudioProcessorEditor* getEditor() const noexcept { return editor.get(); }

    /** The host's window the editor is embedded in; null while it is not on the desktop. */
    void setHostWindow (void* window) noexcept { hostWindow = window; }

    void resized() override
    {
        if (editor != nullptr)
            editor->setBounds (getLocalBounds());
    }

    void childBoundsChanged (juce::Component* child) override
    {
        child->setTopLeftPosition (0, 0);
        const auto width = child->getWidth(), height = child->getHeight();
        wrapper.resizeHostWindow (width, height);
        setSize (width, height);
    }

    // Heard after the clicked control has handled the event, so the focus is where the click put it.
    void mouseDown (const juce::MouseEvent&) override { noteFocusChosenByClick(); }
    void mouseDoubleClick (const juce::MouseEvent&) override { noteFocusChosenByClick(); }

    void mouseUp (const juce::MouseEvent&) override
    {
        noteFocusChosenByClick();
        returnKeysToHostWhenUnused();
    }

private:
    // Asynchronous, after the focus has settled.
    void globalFocusChanged (juce::Component*) override { returnKeysToHostWhenUnused(); }

    void noteFocusChosenByClick()
    {
        auto* focused = juce::Component::getCurrentlyFocusedComponent();
        chosenByClick = focused != nullptr && isParentOf (focused) ? focused : nullptr;
        // Runs once the X events read with the click (the window's focus coming back among them) are handled.
        triggerAsyncUpdate();
    }

    void handleAsyncUpdate() override
    {
        giveKeyboardBackToChosenControl();
        // A drag keeps what it has until its mouse-up.
        if (!juce::ModifierKeys::currentModifiers.isAnyMouseButtonDown())
            returnKeysToHostWhenUnused();
    }

    /** Undoes JUCE's hand-back of the keyboard to the control that held it before the click: only that
        hand-back, so that a control focused since by other means (a window shown by the click) keeps it. */
    void giveKeyboardBackToChosenControl()
    {
        auto* chosen = chosenByClick.getComponent();
        chosenByClick = nullptr;
        auto* peer = getPeer();
        auto* focused = juce::Component::getCurrentlyFocusedComponent();
        if (chosen == nullptr || peer == nullptr || focused == nullptr || focused == chosen ||
            focused != peer->getLastFocusedSubcomponent())
            return;

        if (isParentOf (chosen) && chosen->isShowing() && chosen->isEnabled() &&
            chosen->getWantsKeyboardFocus())
            chosen->grabKeyboardFocus();
    }

    void returnKeysToHostWhenUnused()
    {
        auto* peer = getPeer();
        if (hostWindow == nullptr || peer == nullptr)
            return;

        // A control taking text, or a menu (modal while it is open) that the arrow keys move through.
        const auto* focused = juce::Component::getCurrentlyFocusedComponent();
        if ((focused != nullptr && (focused == this || isParentOf (focused))) ||
            juce::ModalComponentManager::getInstance()->getNumModalComponents() > 0)
            return;

        // Only the focus this editor took: another window (another instance's editor) keeps its own.
        if (XKeyboardFocus::isOn (peer->getNativeHandle()))
            XKeyboardFocus::giveTo (hostWindow);
    }

    JuceVSTWrapper& wrapper;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    void* hostWindow = nullptr;
    juce::Component::SafePointer<juce::Component> chosenByClick; // focused by the last click, until checked
};

//==============================================================================
JuceVSTWrapper::JuceVSTWrapper (audioMasterCallback audioMasterIn, juce::AudioProcessor* filterIn)
    : AudioEffectX (audioMasterIn, filterIn != nullptr ? filterIn->getNumPrograms() : 0,
                    filterIn != nullptr ? filterIn->getNumParameters() : 0)
    , filter (filterIn)
{
    if (filter != nullptr)
    {
        numInChans = juce::jmax (0, filter->getMaxNumInputChannels());
        numOutChans = juce::jmax (0, filter->getMaxNumOutputChannels());

        filter->setPlayConfigDetails (numInChans, numOutChans, 0, 0);
        filter->setPlayHead (this);
        filter->addListener (this);

        // The host reads the flags right after the entry returns, before it opens the instance.
        setFlag (effFlagsHasEditor, filter->hasEditor());
        noTail (filter->getTailLengthSeconds() <= 0.0);
        setInitialDelay (filter->getLatencySamples());
    }

    setNumInputs (numInChans);
    setNumOutputs (numOutChans);
    canProcessReplacing (true);
    programsAreChunks (true);
    isSynth (true);
    setUniqueID (uniqueId);
    cEffect.version = versionNumber;
}

JuceVSTWrapper::~JuceVSTWrapper()
{
    {
        // The processor and its editor are components' owners: they go with the message loop held.
        const juce::MessageManagerLock mmLock;

        stopTimer();
        cancelPendingUpdate();
        deleteEditor (false);
        hasShutdown = true;

        if (filter != nullptr)
        {
            filter->removeListener (this);
            filter->setPlayHead (nullptr);
            filter.reset();
        }
    }

    channels.free();
    tempStorage.free();
    // messageThreadUser goes last of the members and ends the message loop after the last instance.
}

//==============================================================================
VstIntPtr JuceVSTWrapper::dispatcher (VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (hasShutdown)
        return 0;

    switch (opcode)
    {
        case effEditIdle: runEditIdle(); return 0;

        case effEditOpen:
        {
            if (ptr == nullptr)
                return 0; // no window to embed into

            const juce::MessageManagerLock mmLock;
            startTimer (250);
            deleteEditor (false);
            createEditorComp();

            if (editorComp != nullptr)
            {
                // On a display no window manager has prepared, the first window would end the host.
                XWindowManagerAtoms::ensureExist();

                editorComp->setOpaque (true);
                editorComp->setVisible (false);
                editorComp->addToDesktop (0, ptr); // a child X window of the host's
                editorComp->setHostWindow (ptr);
                editorComp->setVisible (true);
                return 1;
            }

            break;
        }

        case effEditGetRect:
        {
            if (ptr == nullptr)
                return 0;

            const juce::MessageManagerLock mmLock;

            if (editorComp == nullptr)
                createEditorComp();

            if (editorComp == nullptr)
                return 0;

            editorSize.top = 0;
            editorSize.left = 0;
            editorSize.bottom = (VstInt16) editorComp->getHeight();
            editorSize.right = (VstInt16) editorComp->getWidth();
            *static_cast<ERect**> (ptr) = &editorSize;
            return (VstIntPtr) &editorSize;
        }

        case effEditClose:
        {
            const juce::MessageManagerLock mmLock;
            deleteEditor (true);
            return 0;
        }

        default: break;
    }

    return AudioEffectX::dispatcher (opcode, index, value, ptr, opt);
}

void JuceVSTWrapper::open()
{
    if (filter != nullptr)
        setFlag (effFlagsHasEditor, filter->hasEditor());
}

void JuceVSTWrapper::close()
{
    const juce::MessageManagerLock mmLock;
    stopTimer();
    deleteEditor (false);
}

//==============================================================================
void JuceVSTWrapper::suspend()
{
    if (filter == nullptr)
        return;

    // Under the callback lock: a block in progress on the audio thread finishes first.
    const juce::ScopedLock sl (filter->getCallbackLock());

    filter->releaseResources();
    isProcessing = false;
    channels.free();
    tempStorage.free();
    preparedBlockSize = 0;
    numPreparedChannels = 0;
    tempCapacity = 0;
}

void JuceVSTWrapper::resume()
{
    if (filter == nullptr)
        return;

    double rate = getSampleRate();

    if (!(rate > 0.0) || !std::isfinite (rate))
        rate = 44100.0;

    int size = getBlockSize();

    if (size <= 0)
        size = 1024;

    size = juce::jmin (size, maxPreparedBlockSize);

    const bool offline = getCurrentProcessLevel() == kVstProcessLevelOffline; // asked before locking

    {
        // Hosts may turn the plug-in on again while it runs (Ardour does): the audio thread must not
        // see the buffers change or the processor half prepared.
        const juce::ScopedLock sl (filter->getCallbackLock());
        const bool wasProcessing = isProcessing.exchange (true);

        prepareBuffers (size);
        firstProcessCallback = true;

        filter->setNonRealtime (offline);
        filter->setPlayConfigDetails (numInChans, numOutChans, rate, size);
        filter->prepareToPlay (rate, size);

        midiEvents.ensureSize (midiBufferBytes);
        subBlockMidi.ensureSize (midiBufferBytes);
        splitOutputMidi.ensureSize (midiBufferBytes);

        // Events the host queued for the block about to run are kept when already running.
        if (!wasProcessing)
            midiEvents.clear();

        ensureOutgoingCapacity (initialOutgoingEvents);
    }

    setInitialDelay (filter->getLatencySamples());
    AudioEffectX::resume(); // asks the host for MIDI
}

void JuceVSTWrapper::prepareBuffers (int size)
{
    const int numChannels = juce::jmax (numInChans, numOutChans);

    // Grown only: repeating resume with the same set-up reallocates nothing.
    if (channels == nullptr || numChannels > numPreparedChannels || size > tempCapacity)
    {
        channels.calloc ((size_t) juce::jmax (1, numInChans + numOutChans));
        tempStorage.calloc ((size_t) juce::jmax (1, numChannels) * (size_t) size);
        numPreparedChannels = numChannels;
        tempCapacity = size;
    }

    preparedBlockSize = size;
}

//==============================================================================
void JuceVSTWrapper::processReplacing (float** inputs, float** outputs, VstInt32 numSamples)
{
    if (filter == nullptr || hasShutdown || numSamples <= 0)
        return;

    if (numOutChans > 0)
    {
        if (outputs == nullptr)
            return;

        for (int i = 0; i < numOutChans; ++i)
            if (outputs[i] == nullptr)
                return;
    }

    if (firstProcessCallback.exchange (false))
    {
        if (!isProcessing)
            resume();

        filter->setNonRealtime (getCurrentProcessLevel() == kVstProcessLevelOffline);
    }

    {
        const juce::ScopedLock sl (filter->getCallbackLock());

        if (!isProcessing || filter->isSuspended())
        {
            // Turned off or suspended: silence, and no input echoed back as output.
            for (int i = 0; i < numOutChans; ++i)
                juce::FloatVectorOperations::clear (outputs[i], numSamples);

            midiEvents.clear();
            return;
        }

        if (numSamples <= preparedBlockSize)
            renderBlock (inputs, outputs, 0, numSamples, midiEvents);
        else
            renderSplitBlock (inputs, outputs, numSamples);
    }

    sendMidiOutput();
}

// Renders samples startSample .. startSample + numSamples - 1 of the host's block; numSamples is never
// above preparedBlockSize. Called with the callback lock held.
void JuceVSTWrapper::renderBlock (float** inputs, float** outputs, int startSample, int numSamples,
                                  juce::MidiBuffer& midi)
{
    const int numChannels = juce::jmax (numInChans, numOutChans);
    auto tempChannel = [this] (int channel)
    { return tempStorage.get() + (size_t) channel * (size_t) preparedBlockSize; };
    auto inputChannel = [&] (int channel) -> float*
    { return inputs != nullptr && inputs[channel] != nullptr ? inputs[channel] + startSample : nullptr; };

    for (int i = 0; i < numOutChans; ++i)
    {
        float* chan = outputs[i] + startSample;

        // A host may pass one buffer for several outputs; each channel still gets memory of its own.
        for (int j = 0; j < i; ++j)
            if (outputs[j] == outputs[i])
                chan = tempChannel (i);

        if (i < numInChans)
        {
            if (auto* in = inputChannel (i))
            {
                if (in != chan)
                    juce::FloatVectorOperations::copy (chan, in, numSamples);
            }
            else
            {
                juce::FloatVectorOperations::clear (chan, numSamples);
            }
        }

        channels[i] = chan;
    }

    for (int i = numOutChans; i < numInChans; ++i)
    {
        if (auto* in = inputChannel (i))
        {
            channels[i] = in;
        }
        else
        {
            channels[i] = tempChannel (i);
            juce::FloatVectorOperations::clear (channels[i], numSamples);
        }
    }

    {
        // Refers to the channel list; no allocation for the channel counts a VST plug-in has.
        juce::AudioSampleBuffer buffer (channels.get(), numChannels, numSamples);

        if (isBypassed)
            filter->processBlockBypassed (buffer, midi);
        else
            filter->processBlock (buffer, midi);
    }

    for (int i = 0; i < numOutChans; ++i)
        if (channels[i] != outputs[i] + startSample)
            juce::FloatVectorOperations::copy (outputs[i] + startSample, channels[i], numSamples);
}

// A block longer than the processor was prepared for goes through in parts of at most that length.
// Each part gets the incoming events of its range (the last part also those beyond the block end) and
// the play head position of its first sample; the parts' output events are joined in block time.
void JuceVSTWrapper::renderSplitBlock (float** inputs, float** outputs, int numSamples)
{
    splitOutputMidi.clear();

    for (int start = 0; start < numSamples;)
    {
        const int length = juce::jmin (preparedBlockSize, numSamples - start);
        const bool isLastPart = start + length >= numSamples;

        subBlockMidi.clear();

        for (const auto event : midiEvents)
        {
            const bool fromHere = event.samplePosition >= start || start == 0;
            const bool beforeEnd = event.samplePosition < start + length || isLastPart;

            if (fromHere && beforeEnd)
                subBlockMidi.addEvent (event.data, event.numBytes, event.samplePosition - start);
        }

        subBlockOffset.store (start, std::memory_order_relaxed);
        renderBlock (inputs, outputs, start, length, subBlockMidi);

        for (const auto event : subBlockMidi)
            splitOutputMidi.addEvent (event.data, event.numBytes, event.samplePosition + start);

        start += length;
    }

    subBlockOffset.store (0, std::memory_order_relaxed);
    midiEvents.swapWith (splitOutputMidi);
}

void JuceVSTWrapper::ensureOutgoingCapacity (int numEvents)
{
    if (numEvents <= outgoingCapacity)
        return;

    const int capacity = (numEvents + outgoingEventsStep - 1) / outgoingEventsStep * outgoingEventsStep;

    outgoingList.calloc (offsetof (VstEvents, events) + sizeof (VstEvent*) * (size_t) capacity);
    outgoingEntries.calloc ((size_t) capacity);
    outgoingCapacity = capacity;
}

// Audio thread, after the callback lock is released: the processor's MIDI output goes to the host.
void JuceVSTWrapper::sendMidiOutput()
{
    if (midiEvents.isEmpty())
        return;

    ensureOutgoingCapacity (midiEvents.getNumEvents()); // grows only past the reserve

    auto* list = reinterpret_cast<VstEvents*> (outgoingList.get());
    list->numEvents = 0;
    list->reserved = 0;

    for (const auto event : midiEvents)
    {
        auto& entry = outgoingEntries[list->numEvents];
        std::memset (&entry, 0, sizeof (entry));

        if (event.numBytes <= 4)
        {
            entry.midi.type = kVstMidiType;
            entry.midi.byteSize = sizeof (VstMidiEvent);
            entry.midi.deltaFrames = event.samplePosition;
            std::memcpy (entry.midi.midiData, event.data, (size_t) event.numBytes);
        }
        else
        {
            // The dump points into the MIDI buffer, which stays untouched until the host returns.
            entry.sysex.type = kVstSysExType;
            entry.sysex.byteSize = sizeof (VstMidiSysexEvent);
            entry.sysex.deltaFrames = event.samplePosition;
            entry.sysex.dumpBytes = event.numBytes;
            entry.sysex.sysexDump = const_cast<char*> (reinterpret_cast<const char*> (event.data));
        }

        list->events[list->numEvents++] = reinterpret_cast<VstEvent*> (&entry);
    }

    sendVstEventsToHost (list);
    midiEvents.clear();
}

VstInt32 JuceVSTWrapper::processEvents (VstEvents* events)
{
    if (events == nullptr)
        return 0;

    for (VstInt32 i = 0; i < events->numEvents; ++i)
    {
        const auto* event = events->events[i];

        if (event == nullptr)
            continue;

        const int position = juce::jmax (0, (int) event->deltaFrames);

        if (event->type == kVstMidiType)
        {
            const auto* midi = reinterpret_cast<const VstMidiEvent*> (event);

            // A short message never starts with a data byte or a system-exclusive byte.
            const auto status = (juce::uint8) midi->midiData[0];

            if (status >= 0x80 && status != 0xf0 && status != 0xf7)
                midiEvents.addEvent (midi->midiData, 4, position);
        }
        else if (event->type == kVstSysExType)
        {
            const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*> (event);

            if (sysex->sysexDump != nullptr && sysex->dumpBytes > 0)
                midiEvents.addEvent (sysex->sysexDump, (int) sysex->dumpBytes, position);
        }
    }

    return 1;
}

//==============================================================================
bool JuceVSTWrapper::isParameterIndex (VstInt32 index) const noexcept
{
    return index >= 0 && index < cEffect.numParams;
}

void JuceVSTWrapper::setParameter (VstInt32 index, float value)
{
    if (filter == nullptr || !isParameterIndex (index) || !std::isfinite (value))
        return;

    // The processor may report the change it is given; that report is the host's own write.
    const auto previous = currentHostWrite;
    currentHostWrite = {this, index};
    filter->setParameter (index, value);
    currentHostWrite = previous;
}

float JuceVSTWrapper::getParameter (VstInt32 index)
{
    return filter != nullptr && isParameterIndex (index) ? filter->getParameter (index) : 0.0f;
}

VstInt32 JuceVSTWrapper::getProgram()
{
    return filter != nullptr ? filter->getCurrentProgram() : 0;
}

void JuceVSTWrapper::setProgram (VstInt32 program)
{
    if (filter != nullptr)
        filter->setCurrentProgram (program);
}

void JuceVSTWrapper::setProgramName (char* name)
{
    if (filter != nullptr && name != nullptr)
        filter->changeProgramName (filter->getCurrentProgram(), textFromHost (name));
}

void JuceVSTWrapper::getProgramName (char* name)
{
    if (name == nullptr)
        return;

    copyToHost (filter != nullptr ? filter->getProgramName (filter->getCurrentProgram()) : juce::String(),
                name, kVstMaxProgNameLen);
}

bool JuceVSTWrapper::getProgramNameIndexed (VstInt32, VstInt32 index, char* text)
{
    if (filter == nullptr || text == nullptr || !juce::isPositiveAndBelow (index, filter->getNumPrograms()))
        return false;

    copyToHost (filter->getProgramName (index), text, kVstMaxProgNameLen);
    return true;
}

void JuceVSTWrapper::getParameterName (VstInt32 index, char* text)
{
    if (text != nullptr)
        copyToHost (filter != nullptr && isParameterIndex (index) ? filter->getParameterName (index, 16)
                                                                  : juce::String(),
                    text, 16);
}

void JuceVSTWrapper::getParameterDisplay (VstInt32 index, char* text)
{
    if (text != nullptr)
        copyToHost (filter != nullptr && isParameterIndex (index) ? filter->getParameterText (index, 24)
                                                                  : juce::String(),
                    text, 24);
}

void JuceVSTWrapper::getParameterLabel (VstInt32 index, char* label)
{
    if (label != nullptr)
        copyToHost (filter != nullptr && isParameterIndex (index) ? filter->getParameterLabel (index)
                                                                  : juce::String(),
                    label, 24);
}

bool JuceVSTWrapper::canParameterBeAutomated (VstInt32 index)
{
    return filter != nullptr && isParameterIndex (index) && filter->isParameterAutomatable (index);
}

//==============================================================================
VstInt32 JuceVSTWrapper::getChunk (void** data, bool isPreset)
{
    if (filter == nullptr || data == nullptr)
        return 0;

    chunkMemory.reset();

    if (isPreset)
        filter->getCurrentProgramStateInformation (chunkMemory);
    else
        filter->getStateInformation (chunkMemory);

    *data = chunkMemory.getData();
    return (VstInt32) juce::jmin (chunkMemory.getSize(), (size_t) std::numeric_limits<VstInt32>::max());
}

VstInt32 JuceVSTWrapper::setChunk (void* data, VstInt32 byteSize, bool isPreset)
{
    chunkMemory.reset();

    if (filter == nullptr || data == nullptr || byteSize < 1)
        return 0;

    if (isPreset)
        filter->setCurrentProgramStateInformation (data, byteSize);
    else
        filter->setStateInformation (data, byteSize);

    return 0;
}

//==============================================================================
bool JuceVSTWrapper::getInputProperties (VstInt32, VstPinProperties*)
{
    return false;
}

bool JuceVSTWrapper::getOutputProperties (VstInt32 index, VstPinProperties* properties)
{
    if (filter == nullptr || properties == nullptr ||
        !juce::isPositiveAndBelow (index, filter->getMaxNumOutputChannels()))
        return false;

    std::memset (properties, 0, sizeof (VstPinProperties));

    const auto name = filter->getOutputChannelName (index);
    copyToHost (name, properties->label, (int) sizeof (properties->label) - 1);
    copyToHost (name, properties->shortLabel, (int) sizeof (properties->shortLabel) - 1);

    if (speakerOut != kSpeakerArrEmpty)
    {
        properties->flags = kVstPinUseSpeaker;
        properties->arrangementType = speakerOut;
    }
    else
    {
        properties->flags = kVstPinIsActive;

        if (filter->isOutputChannelStereoPair (index))
            properties->flags |= kVstPinIsStereo;
    }

    return true;
}

bool JuceVSTWrapper::setSpeakerArrangement (VstSpeakerArrangement* inputs, VstSpeakerArrangement* outputs)
{
    if (filter == nullptr)
        return false;

    // Only the processor's own layout is accepted (for the product: no inputs, two outputs).
    if (inputs != nullptr && outputs != nullptr && inputs->numChannels == filter->getMaxNumInputChannels() &&
        outputs->numChannels == filter->getMaxNumOutputChannels())
    {
        speakerIn = inputs->type;
        speakerOut = outputs->type;
        numInChans = inputs->numChannels;
        numOutChans = outputs->numChannels;

        filter->setPlayConfigDetails (numInChans, numOutChans, filter->getSampleRate(),
                                      filter->getBlockSize());
        filter->setSpeakerArrangement (speakerNames (*inputs), speakerNames (*outputs));
        return true;
    }

    filter->setSpeakerArrangement ({}, {});
    return false;
}

bool JuceVSTWrapper::setBypass (bool onOff)
{
    isBypassed = onOff;
    return true;
}

VstInt32 JuceVSTWrapper::getGetTailSize()
{
    if (filter == nullptr)
        return 0;

    const double samples = filter->getTailLengthSeconds() * (double) getSampleRate();
    return samples > 0.0 ? (VstInt32) juce::jmin (samples, (double) std::numeric_limits<VstInt32>::max()) : 0;
}

bool JuceVSTWrapper::getEffectName (char* name)
{
    copyText (name, productName, kVstMaxEffectNameLen);
    return name != nullptr;
}

bool JuceVSTWrapper::getVendorString (char* text)
{
    copyText (text, vendorName, kVstMaxVendorStrLen);
    return text != nullptr;
}

bool JuceVSTWrapper::getProductString (char* text)
{
    copyText (text, productName, kVstMaxProductStrLen);
    return text != nullptr;
}

VstInt32 JuceVSTWrapper::getVendorVersion()
{
    return versionNumber;
}

VstInt32 JuceVSTWrapper::canDo (char* text)
{
    if (text == nullptr)
        return 0;

    static const char* const yes[] = {"receiveVstEvents",   "receiveVstMidiEvent",   "receiveVstMidiEvents",
                                      "sendVstEvents",      "sendVstMidiEvent",      "sendVstMidiEvents",
                                      "receiveVstTimeInfo", "conformsToWindowRules", "bypass"};

    for (auto* answer : yes)
        if (std::strcmp (text, answer) == 0)
            return 1;

    return std::strcmp (text, "openCloseAnyThread") == 0 ? -1 : 0;
}

VstInt32 JuceVSTWrapper::getPlugCategory()
{
    return kPlugCategSynth;
}

bool JuceVSTWrapper::getMidiKeyName (VstInt32, MidiKeyName* keyName)
{
    if (keyName == nullptr)
        return false;

    const auto key = keyName->thisKeyNumber;
    const auto name = filter != nullptr && juce::isPositiveAndBelow (key, 128) ? filter->getMidiKeyName (key)
                                                                               : juce::String();

    // The record holds 64 bytes including the terminating 0.
    copyToHost (name, keyName->keyName, (int) sizeof (keyName->keyName) - 1);
    return true;
}

//==============================================================================
void JuceVSTWrapper::audioProcessorParameterChanged (juce::AudioProcessor*, int index, float newValue)
{
    if (currentHostWrite.wrapper == this && currentHostWrite.index == index)
        return;

    callHost (audioMasterAutomate, index, 0, nullptr, newValue);
}

void JuceVSTWrapper::audioProcessorChanged (juce::AudioProcessor*)
{
    if (filter != nullptr)
        setInitialDelay (filter->getLatencySamples());

    updateDisplay();
    triggerAsyncUpdate();
}

void JuceVSTWrapper::audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index)
{
    beginEdit (index);
}

void JuceVSTWrapper::audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index)
{
    endEdit (index);
}

void JuceVSTWrapper::handleAsyncUpdate()
{
    ioChanged();
}

//==============================================================================
juce::Optional<juce::AudioPlayHead::PositionInfo> JuceVSTWrapper::getPosition() const
{
    auto* self = const_cast<JuceVSTWrapper*> (this);
    const auto* ti = self->getTimeInfo ((VstInt32) kVstTimeInfoRequestAll);

    if (ti == nullptr || !(ti->sampleRate > 0.0))
        return {};

    const auto has = [ti] (int flag) { return (ti->flags & flag) != 0; };

    // Inside a split block the position is that of the part being rendered, not of the host's block.
    const double offset = subBlockOffset.load (std::memory_order_relaxed);
    const double bpm = has (kVstTempoValid) ? ti->tempo : 0.0;

    PositionInfo info;
    info.setBpm (bpm);

    if (has (kVstTimeSigValid))
        info.setTimeSignature (TimeSignature{ti->timeSigNumerator, ti->timeSigDenominator});
    else
        info.setTimeSignature (TimeSignature{4, 4});

    info.setTimeInSamples ((juce::int64) (ti->samplePos + offset + 0.5));
    info.setTimeInSeconds ((ti->samplePos + offset) / ti->sampleRate);
    info.setPpqPosition (has (kVstPpqPosValid) ? ti->ppqPos + offset / ti->sampleRate * bpm / 60.0 : 0.0);
    info.setPpqPositionOfLastBarStart (has (kVstBarsValid) ? ti->barStartPos : 0.0);

    double fps = 0.0;
    juce::Optional<FrameRate> frameRate;

    switch (ti->smpteFrameRate)
    {
        case kVstSmpte24fps:
            frameRate = FrameRate (fps24);
            fps = 24.0;
            break;
        case kVstSmpte25fps:
            frameRate = FrameRate (fps25);
            fps = 25.0;
            break;
        case kVstSmpte2997fps:
            frameRate = FrameRate (fps2997);
            fps = 30.0 / 1.001;
            break;
        case kVstSmpte30fps:
            frameRate = FrameRate (fps30);
            fps = 30.0;
            break;
        case kVstSmpte2997dfps:
            frameRate = FrameRate (fps2997drop);
            fps = 30.0 / 1.001;
            break;
        case kVstSmpte30dfps:
            frameRate = FrameRate (fps30drop);
            fps = 30.0;
            break;
        case kVstSmpteFilm16mm:
        case kVstSmpteFilm35mm: fps = 24.0; break;
        case kVstSmpte239fps: fps = 24.0 / 1.001; break;
        case kVstSmpte249fps: fps = 25.0 / 1.001; break;
        case kVstSmpte599fps: fps = 60.0 / 1.001; break;
        case kVstSmpte60fps: fps = 60.0; break;
        default: break;
    }

    if (has (kVstSmpteValid))
    {
        info.setFrameRate (frameRate);
        info.setEditOriginTime (fps > 0.0 ? ti->smpteOffset / (fps * 80.0) : 0.0);
    }
    else
    {
        info.setEditOriginTime (0.0);
    }

    const bool recording = has (kVstTransportRecording);
    info.setIsRecording (recording);
    info.setIsPlaying (has (kVstTransportPlaying) || recording);
    info.setIsLooping (has (kVstTransportCycleActive));

    if (has (kVstCyclePosValid))
        info.setLoopPoints (LoopPoints{ti->cycleStartPos, ti->cycleEndPos});
    else
        info.setLoopPoints (LoopPoints{0.0, 0.0});

    return info;
}

//==============================================================================
void JuceVSTWrapper::timerCallback()
{
    if (shouldDeleteEditor.exchange (false))
        deleteEditor (true);
}

void JuceVSTWrapper::createEditorComp()
{
    if (hasShutdown || filter == nullptr)
        return;

    if (editorComp == nullptr)
    {
        if (auto* newEditor = filter->createEditorIfNeeded())
        {
            setFlag (effFlagsHasEditor, true);
            newEditor->setOpaque (true);
            newEditor->setVisible (true);
            editorComp = std::make_unique<EditorCompWrapper> (*this, newEditor);
        }
        else
        {
            setFlag (effFlagsHasEditor, false);
        }
    }

    shouldDeleteEditor = false;
}

void JuceVSTWrapper::deleteEditor (bool canDeleteLater)
{
    juce::PopupMenu::dismissAllActiveMenus();

    if (auto* modal = juce::Component::getCurrentlyModalComponent())
    {
        modal->exitModalState (0); // off the message thread JUCE ends it only later, on that thread

        if (canDeleteLater)
        {
            // Only the component waits for the modal state to end: its window goes now.
            removeEditorFromHostWindow();
            shouldDeleteEditor = true; // the timer finishes the job
            return;
        }
    }

    if (editorComp != nullptr)
    {
        removeEditorFromHostWindow();

        if (filter != nullptr)
            filter->editorBeingDeleted (editorComp->getEditor());

        editorComp.reset();
    }
}

void JuceVSTWrapper::removeEditorFromHostWindow()
{
    if (editorComp == nullptr)
        return;

    editorComp->setHostWindow (nullptr);

    if (editorComp->isOnDesktop())
    {
        // The host may destroy its window, and every window embedded into it, as soon as it has the editor
        // back: ours goes first, and the server has handled every request about it before we return.
        // Without a peer JUCE has nothing left that could name it: no repaint, image or property read.
        editorComp->removeFromDesktop();
        XConnection::sync();
    }
}

void JuceVSTWrapper::resizeHostWindow (int width, int height)
{
    // The host's window belongs to the host's GUI thread: from our own message thread the request
    // waits for the host's next idle call.
    if (juce::MessageManager::existsAndIsCurrentThread() && MessageThread::isRunning())
    {
        pendingHostHeight = height;
        pendingHostWidth = width;
        return;
    }

    char sizeWindowText[] = "sizeWindow";

    if (canHostDo (sizeWindowText) == 1)
        sizeWindow (width, height);

    if (editorComp != nullptr)
        editorComp->repaint();
}

void JuceVSTWrapper::runEditIdle()
{
    if (juce::MessageManager::existsAndIsCurrentThread() && !insideEditIdle)
    {
        // Only where the host's idle thread is the message thread: run timers and repaints now.
        insideEditIdle = true;
        juce::Timer::callPendingTimersSynchronously();

        if (editorComp != nullptr)
            if (auto* peer = editorComp->getPeer())
                peer->performAnyPendingRepaintsNow();

        insideEditIdle = false;
    }

    const int width = pendingHostWidth.exchange (-1);
    const int height = pendingHostHeight.load();

    if (width >= 0 && !juce::MessageManager::existsAndIsCurrentThread())
    {
        char sizeWindowText[] = "sizeWindow";

        if (canHostDo (sizeWindowText) == 1)
            sizeWindow (width, height);
    }
}
