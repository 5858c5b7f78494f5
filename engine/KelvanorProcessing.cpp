#include "engine/Kelvanor.h"

namespace
{
/** MIDI velocity 1..127 to 0..1, as a multiplication in single precision. */
constexpr float velocityScale = 0.007874016f;

constexpr int allNotesOffController = 123;
} // namespace

void Kelvanor::prepareToPlay (double newRate, int)
{
    core->setSampleRate ((float) newRate);
    getSequencerClock().setSampleRate (newRate);
    arpeggiatorClock.setSampleRate (newRate);

    midiQueue.clear();
    discardKeyboardNotes();
    stopSequencer();
    stopArpeggiator();
}

//==============================================================================
void Kelvanor::processBlock (juce::AudioSampleBuffer& buffer, juce::MidiBuffer& midiMessages)
{
    const auto modes = getSequencerModes();
    midiOutput.clear();
    sampleIndex = 0;
    renderedSamples = 0;
    voiceOutput = nullptr;

    serveRequests();
    followTransport (modes);
    serveStartStopRequest (modes);

    const int numSamples = buffer.getNumSamples();
    const int numChannels = buffer.getNumChannels();
    buffer.clear();

    // The on-screen keyboard's notes join the host's, at the block's first sample.
    takeKeyboardNotes (midiMessages);
    midiQueue.merge (midiMessages);
    setUpClocks (modes);

    // The voice renders into the first channel; the others take a copy of it at the end. Each sample's
    // render follows its events and clock ticks; the voice renders lazily, though, in runs up to the next
    // call into it (see renderVoice), which leaves every sample as a render per sample would.
    voiceOutput = numChannels > 0 ? buffer.getWritePointer (0) : nullptr;

    auto& sequencerClock = getSequencerClock();
    while (sampleIndex < numSamples)
    {
        deliverDueEvents (modes);
        tickSequencer (modes);
        tickArpeggiatorClock();
        ++sampleIndex;

        // Up to the next event or transition nothing happens but the clocks counting: skip to it. Everything
        // that could bring either nearer (an event, a tick that acts) happens at a sample that is not
        // skipped.
        const int quiet = std::min ({numSamples - sampleIndex, midiQueue.getNextEventPosition() - sampleIndex,
                                     sequencerClock.getQuietTicks(), arpeggiatorClock.getQuietTicks()});
        if (quiet > 0)
        {
            sequencerClock.advanceQuietly (quiet);
            arpeggiatorClock.advanceQuietly (quiet);
            sampleIndex += quiet;
        }
    }

    renderVoice (numSamples);
    voiceOutput = nullptr;

    for (int channel = 1; channel < numChannels; ++channel)
        buffer.addFrom (channel, 0, buffer, 0, 0, numSamples);

    midiQueue.roll (numSamples);

    midiMessages.clear();
    midiMessages.addEvents (midiOutput, 0, -1, 0);

    finishSequencerBlock (modes);
}

void Kelvanor::renderVoice (int end)
{
    // Called before every call into the voice on the audio thread and at the block's end: renders the samples
    // not yet rendered before the current one, under one take of the core lock, which is then released
    // before anything else (MIDI control, parameters, notices) takes its own lock.
    if (end <= renderedSamples)
        return;

    // Up to 256 samples (2 KB of stack) per run; a longer stretch renders in several, alike to the last bit.
    constexpr int chunk = 256;
    double samples[chunk];

    const juce::ScopedLock sl (coreLock);

    while (renderedSamples < end)
    {
        const int count = std::min (chunk, end - renderedSamples);
        core->renderSamples (samples, count);

        if (voiceOutput != nullptr)
            for (int i = 0; i < count; ++i)
                voiceOutput[renderedSamples + i] += (float) samples[i];

        renderedSamples += count;
        outputSample = samples[count - 1];
    }
}

void Kelvanor::serveRequests()
{
    // Each request is cleared before it is served, so one raised meanwhile waits for the next block.
    if (stopRequest.exchange (false, relaxed))
    {
        setPlayState (stopped);
        stopSequencer();
    }

    if (arpeggiatorResetRequest.exchange (false, relaxed))
        stopArpeggiator();

    if (releaseRequest.exchange (false, relaxed))
        releaseAllNotes();
}

void Kelvanor::followTransport (const SequencerModes& modes)
{
    juce::Optional<juce::AudioPlayHead::PositionInfo> position;

    if (auto* hostPlayHead = getPlayHead())
        position = hostPlayHead->getPosition();

    followHostTransport (modes, position);

    if (position.hasValue() && (!modes.internalSequencer || !modes.internalSync))
        arpeggiatorClock.setTempo (getHostTempo());
}

void Kelvanor::setUpClocks (const SequencerModes& modes)
{
    applyPatternTiming (modes);

    // Sequencer notes stay held across almost the whole step while the arpeggiator plays them.
    const double stepLength = getStepLengthValue();
    getSequencerClock().setGateFraction (isArpeggiatorOn() ? 0.96 : stepLength);

    arpeggiatorClock.setStepsPerBeat (getArpeggiatorStepsPerBeat());
    // Unlike the sequencer's, the arpeggiator's shuffle is computed in double precision.
    arpeggiatorClock.setShuffle ((double) juce::jlimit (0, 100, getArpeggiatorShuffle()) * 0.01 * 0.6);
    arpeggiatorClock.setGateFraction (stepLength);

    if (modes.internalSequencer && modes.internalSync)
        arpeggiatorClock.setTempo (getPatternTempo (getPlayingPattern()));
}

void Kelvanor::tickArpeggiatorClock()
{
    if (!arpeggiatorClock.tick())
        return;

    if (arpeggiatorClock.isGateOn())
        arpeggiatorStep();
    else
        arpeggiatorGateEnded();
}

//==============================================================================
void Kelvanor::deliverDueEvents (const SequencerModes& modes)
{
    juce::MidiMessageMetadata event;

    while (midiQueue.nextEventAt (sampleIndex, event))
        handleMidiEvent (modes, event.data, event.numBytes);
}

void Kelvanor::handleMidiEvent (const SequencerModes& modes, const juce::uint8* data, int numBytes)
{
    // The event may reach the voice, through a note or a controller's parameter.
    renderVoice (sampleIndex);

    getMidiActivityFlag().store (1, relaxed);

    if (data == nullptr || numBytes < 2 || data[0] < 0x80)
        return;

    // Data bytes with the top bit set are no MIDI: a note or controller number read from them would
    // lie outside 0..127.
    const int status = data[0] & 0xf0;
    const int dataBytes = status == 0xc0 || status == 0xd0 ? 1 : 2;
    if (status == 0xf0 || numBytes < 1 + dataBytes || data[1] > 0x7f || (dataBytes == 2 && data[2] > 0x7f))
        return;

    switch (status)
    {
        case 0xb0:
            getMidiControl().processMidiMessage (juce::MidiMessage (data[0], data[1], data[2]));

            if (data[1] == allNotesOffController)
            {
                stopSequencer();
                stopArpeggiator();
                resetVoice();
            }
            return;

        case 0xc0:
            // The preset's sound changes here, at the event's sample; its name follows on the message thread.
            applyProgramChange (data[1]);
            return;

        case 0x80:
        case 0x90: routeNote (modes, data); return;

        default: return;
    }
}

void Kelvanor::routeNote (const SequencerModes& modes, const juce::uint8* data)
{
    if (modes.internalSequencer)
    {
        // Keys choose patterns and chains then; they do not sound themselves.
        handleSequencerNote (modes, juce::MidiMessage (data[0], data[1], data[2]));
        return;
    }

    const int note = data[1];
    const int velocity = data[2];

    if ((data[0] & 0xf0) == 0x90 && velocity > 0)
        playNote (note, (float) velocity * velocityScale);
    else
        releaseNote (note);
}

//==============================================================================
void Kelvanor::startVoiceNote (int note, float velocity)
{
    if (note < 0 || note > 127 || !std::isfinite (velocity))
        return;

    velocity = juce::jlimit (0.0f, 1.0f, velocity);

    // A full list makes room the way the voice's note stack does: the oldest note goes.
    if (numSoundingNotes == maxSoundingNotes)
        stopVoiceNote (soundingNotes[0]);

    soundingNotes[(size_t) numSoundingNotes++] = note;

    renderVoice (sampleIndex);
    {
        const juce::ScopedLock sl (coreLock);
        core->noteOn (note, velocity);
    }

    midiOutput.addEvent (juce::MidiMessage::noteOn (1, note, velocity), sampleIndex);
}

void Kelvanor::stopVoiceNote (int note)
{
    const auto end = soundingNotes.begin() + numSoundingNotes;
    const auto found = std::find (soundingNotes.begin(), end, note);
    if (found == end)
        return;

    std::move (found + 1, end, found);
    --numSoundingNotes;

    renderVoice (sampleIndex);
    {
        const juce::ScopedLock sl (coreLock);
        core->noteOff (note);
    }

    midiOutput.addEvent (juce::MidiMessage::noteOff (1, note), sampleIndex);
}

int Kelvanor::getSoundingNote (int index) const noexcept
{
    return index >= 0 && index < numSoundingNotes ? soundingNotes[(size_t) index] : -1;
}

void Kelvanor::playNote (int note, float velocity)
{
    if (isArpeggiatorOn())
        startArpeggioNote (note, velocity);
    else
        startVoiceNote (note, velocity);
}

void Kelvanor::releaseNote (int note)
{
    if (isArpeggiatorOn())
        releaseArpeggioNote (note);
    else
        stopVoiceNote (note);
}

void Kelvanor::releaseAllNotes()
{
    stopArpeggiatorNote();

    // The notes these flags stand for are among the sounding notes stopped below.
    currentNoteSounding = false;
    slidNoteAwaitingRelease = false;

    while (numSoundingNotes > 0)
        stopVoiceNote (soundingNotes[0]);
}

void Kelvanor::resetVoice()
{
    releaseAllNotes();

    renderVoice (sampleIndex);
    {
        const juce::ScopedLock sl (coreLock);
        core->clearNotes();
    }

    midiOutput.addEvent (juce::MidiMessage::allNotesOff (1), sampleIndex);
}

//==============================================================================
void Kelvanor::internalSequencerSwitched (bool)
{
    stopRequest.store (true, relaxed);
    arpeggiatorResetRequest.store (true, relaxed);
    releaseRequest.store (true, relaxed);
}

void Kelvanor::hostModeSwitched (bool isOn)
{
    internalSequencerSwitched (isOn);
}
