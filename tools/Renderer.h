#pragma once

#include "tools/HostedPlugin.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <functional>
#include <vector>

/** Plays a score into a HostedPlugin block by block: MIDI at its sample positions, parameter changes
    at their times, blocks cut where the transport starts or stops or a parameter changes.

    Times are seconds from render sample 0 of the plug-in (see HostedPlugin::getRenderPosition), turned
    into samples at the plug-in's sample rate when render() runs.
*/
class Renderer
{
public:
    /** Receives every processed block; answers false to stop the render (a failed write, say). */
    using BlockSink = std::function<bool (const juce::AudioBuffer<float>&)>;

    explicit Renderer (HostedPlugin& pluginToDrive);

    /** Replaces the MIDI to play; timestamps in seconds. */
    void setMidiInput (const juce::MidiMessageSequence& sequence);

    void addParameterChange (double seconds, int index, float value);

    /** Time of the last MIDI event or parameter change, in seconds; 0 when there is none. */
    double getEndTimeInSeconds() const;

    /** Renders numSamples from the plug-in's current render position, in blocks of at most blockSize.
        Answers false when the sink stopped the render. */
    bool render (juce::int64 numSamples, int blockSize, const BlockSink& sink);

private:
    struct ParameterChange
    {
        double seconds;
        int index;
        float value;
    };

    juce::int64 toSamples (double seconds) const;

    HostedPlugin& plugin;
    juce::MidiMessageSequence midiInput;
    std::vector<ParameterChange> parameterChanges; // sorted by time
};
