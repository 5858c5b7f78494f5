#include "tools/Renderer.h"

#include <algorithm>
#include <cmath>

Renderer::Renderer (HostedPlugin& pluginToDrive)
    : plugin (pluginToDrive)
{
}

void Renderer::setMidiInput (const juce::MidiMessageSequence& sequence)
{
    midiInput = sequence;
    midiInput.sort();
}

void Renderer::addParameterChange (double seconds, int index, float value)
{
    const ParameterChange change{std::max (0.0, seconds), index, value};
    const auto later = std::upper_bound (parameterChanges.begin(), parameterChanges.end(), change.seconds,
                                         [] (double t, const ParameterChange& c) { return t < c.seconds; });
    parameterChanges.insert (later, change);
}

double Renderer::getEndTimeInSeconds() const
{
    const double lastMidi = midiInput.getNumEvents() > 0 ? midiInput.getEndTime() : 0.0;
    const double lastChange = parameterChanges.empty() ? 0.0 : parameterChanges.back().seconds;
    return std::max (lastMidi, lastChange);
}

juce::int64 Renderer::toSamples (double seconds) const
{
    return (juce::int64) std::llround (seconds * plugin.getSampleRate());
}

bool Renderer::render (juce::int64 numSamples, int blockSize, const BlockSink& sink)
{
    blockSize = std::max (1, blockSize);
    const juce::int64 start = plugin.getRenderPosition();
    const juce::int64 end = start + std::max<juce::int64> (0, numSamples);

    // What lies before the render position belongs to an earlier call, which has sent it.
    int nextMidi = 0;
    while (nextMidi < midiInput.getNumEvents() &&
           toSamples (midiInput.getEventPointer (nextMidi)->message.getTimeStamp()) < start)
        ++nextMidi;
    size_t nextChange = 0;
    while (nextChange < parameterChanges.size() && toSamples (parameterChanges[nextChange].seconds) < start)
        ++nextChange;

    for (juce::int64 position = start; position < end;)
    {
        for (; nextChange < parameterChanges.size() &&
               toSamples (parameterChanges[nextChange].seconds) <= position;
             ++nextChange)
            plugin.setParameter (parameterChanges[nextChange].index, parameterChanges[nextChange].value);

        juce::int64 length = std::min<juce::int64> (blockSize, end - position);
        if (nextChange < parameterChanges.size())
            length = std::min (length, toSamples (parameterChanges[nextChange].seconds) - position);
        if (const juce::int64 toTransportChange = plugin.getTransport().getSamplesToNextChange();
            toTransportChange > 0)
            length = std::min (length, toTransportChange);

        for (; nextMidi < midiInput.getNumEvents(); ++nextMidi)
        {
            const juce::MidiMessage& message = midiInput.getEventPointer (nextMidi)->message;
            const juce::int64 sample = toSamples (message.getTimeStamp());
            if (sample >= position + length)
                break;
            plugin.addMidiEvent (message, (int) std::max<juce::int64> (0, sample - position));
        }

        const juce::AudioBuffer<float>& output = plugin.process ((int) length);
        position += length;
        if (sink && !sink (output))
            return false;
    }
    return true;
}
