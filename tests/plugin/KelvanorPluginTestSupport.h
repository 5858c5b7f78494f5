#pragma once

#include "../engine/KelvanorSignal.h"
#include "TestSupport.h"
#include "tools/HostedPlugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

/** The document a chunk holds: "VC2!", the text's length, the text. Null for anything else. */
inline std::unique_ptr<juce::XmlElement> chunkDocument (const juce::MemoryBlock& chunk)
{
    if (chunk.getSize() < 8 || std::memcmp (chunk.getData(), "VC2!", 4) != 0)
        return nullptr;
    const auto* bytes = static_cast<const char*> (chunk.getData());
    const auto length =
        std::min<size_t> (chunk.getSize() - 8, (size_t) juce::ByteOrder::littleEndianInt (bytes + 4));
    return juce::XmlDocument::parse (juce::String::fromUTF8 (bytes + 8, (int) length));
}

inline juce::File kelvanorPluginFile()
{
    return juce::File (KELVANOR_PLUGIN_PATH);
}

/** Points the plug-in's settings folder (~/.config/Zeb Group/Kelvanor) at a temporary home for as long as
    it lives; optionally with user settings that start the internal sequencer off, so host notes play the
    voice. The plug-in reads HOME whenever it looks for the folder. */
class ScopedPluginHome
{
public:
    explicit ScopedPluginHome (bool sequencerOn = true)
    {
        if (const char* home = std::getenv ("HOME"))
            previousHome = home;
        ::setenv ("HOME", folder.getFolder().getFullPathName().toRawUTF8(), 1);

        if (!sequencerOn)
        {
            const auto settings = getSettingsFolder().getChildFile ("Kelvanor.ini");
            settings.getParentDirectory().createDirectory();
            settings.replaceWithText (R"(<?xml version="1.0" encoding="UTF-8"?>
<UserSettings application="Kelvanor">
  <InternalSequencer>
    <IntSeq state="off"/>
  </InternalSequencer>
</UserSettings>
)");
        }
    }

    ~ScopedPluginHome()
    {
        if (previousHome.isNotEmpty())
            ::setenv ("HOME", previousHome.toRawUTF8(), 1);
        else
            ::unsetenv ("HOME");
    }

    juce::File getSettingsFolder() const
    {
        return folder.getFolder()
            .getChildFile (".config")
            .getChildFile ("Zeb Group")
            .getChildFile ("Kelvanor");
    }

    TemporaryFolder folder;

private:
    juce::String previousHome;
};

/** Kelvanor.so opened, set up as a host does before the first block and turned on. */
inline std::unique_ptr<HostedPlugin> openKelvanor (double sampleRate = 44100.0, int blockSize = 512,
                                                   bool transportPlaying = false)
{
    auto plugin = std::make_unique<HostedPlugin>();
    const auto error = plugin->open (kelvanorPluginFile());
    EXPECT_TRUE (error.isEmpty()) << error;
    if (!plugin->isOpen())
        return plugin;

    plugin->getTransport().setPlayingAtStart (transportPlaying);
    plugin->setSampleRate (sampleRate);
    plugin->setBlockSize (blockSize);
    plugin->resume();
    return plugin;
}

/** A note for render(): absolute render sample, note, velocity (0 = note-off). */
struct TimedNote
{
    juce::int64 sample;
    int note;
    int velocity;
};

/** Renders the first output channel in blocks, each note given to the block holding its sample; blocks
    are cut where the transport starts or stops. */
inline std::vector<float> render (HostedPlugin& plugin, juce::int64 numSamples,
                                  const std::vector<TimedNote>& notes = {}, int blockSize = 512)
{
    std::vector<float> out;
    out.reserve ((size_t) numSamples);
    const auto start = plugin.getRenderPosition();

    while ((juce::int64) out.size() < numSamples)
    {
        auto block = std::min<juce::int64> (blockSize, numSamples - (juce::int64) out.size());
        const auto toChange = plugin.getTransport().getSamplesToNextChange();
        if (toChange > 0)
            block = std::min (block, toChange);

        const auto blockStart = start + (juce::int64) out.size();
        for (const auto& n : notes)
            if (n.sample >= blockStart && n.sample < blockStart + block)
                plugin.addMidiEvent (n.velocity > 0
                                         ? juce::MidiMessage::noteOn (1, n.note, (juce::uint8) n.velocity)
                                         : juce::MidiMessage::noteOff (1, n.note),
                                     (int) (n.sample - blockStart));

        const auto& buffer = plugin.process ((int) block);
        for (int i = 0; i < (int) block; ++i)
            out.push_back (buffer.getNumChannels() > 0 ? buffer.getSample (0, i) : 0.0f);
    }

    return out;
}
