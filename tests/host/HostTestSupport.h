#pragma once

#include "host/fixture/TestSynthProtocol.h"
#include "tools/HostedPlugin.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

inline juce::File testSynthFile()
{
    return juce::File (KELVANOR_TEST_SYNTH_PATH);
}

/** The test synth, opened and set up as a host does before the first block, mains on. */
inline std::unique_ptr<HostedPlugin> openTestSynth (double sampleRate = 48000.0, int blockSize = 512)
{
    auto plugin = std::make_unique<HostedPlugin>();
    const juce::String error = plugin->open (testSynthFile());
    EXPECT_TRUE (error.isEmpty()) << error;
    plugin->setSampleRate (sampleRate);
    plugin->setBlockSize (blockSize);
    plugin->resume();
    return plugin;
}

/** The last time info the test synth was given; null when it got none. */
inline const VstTimeInfo* timeInfoSeenBy (HostedPlugin& plugin)
{
    return reinterpret_cast<const VstTimeInfo*> (plugin.dispatch (effVendorSpecific, testSynthLastTimeInfo));
}

/** Raw bytes and time stamps (samples or seconds) of MIDI events, comparable with ==. */
struct MidiAt
{
    double time;
    std::vector<juce::uint8> bytes;

    bool operator== (const MidiAt&) const = default;
};

inline MidiAt toMidiAt (const juce::MidiMessage& m)
{
    return {m.getTimeStamp(), std::vector<juce::uint8> (m.getRawData(), m.getRawData() + m.getRawDataSize())};
}

inline std::vector<MidiAt> toMidiAt (const std::vector<juce::MidiMessage>& messages)
{
    std::vector<MidiAt> result;
    for (const auto& m : messages)
        result.push_back (toMidiAt (m));
    return result;
}

inline std::vector<MidiAt> toMidiAt (const juce::MidiMessageSequence& sequence)
{
    std::vector<MidiAt> result;
    for (const auto* holder : sequence)
        result.push_back (toMidiAt (holder->message));
    return result;
}

inline void PrintTo (const MidiAt& m, std::ostream* os)
{
    *os << "@" << m.time << " " << juce::String::toHexString (m.bytes.data(), (int) m.bytes.size());
}
