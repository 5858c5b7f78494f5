#pragma once

#include "TestSupport.h"
#include "engine/Kelvanor.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>
#include <memory>
#include <vector>

/** The host's transport as the processor reads it: playing, tempo and a song position that moves with
    the rendered blocks while playing. */
class TestPlayHead : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override
    {
        if (!hasPosition)
            return {};

        PositionInfo info;
        info.setIsPlaying (playing);
        info.setBpm (bpm);
        info.setPpqPosition (ppq);
        return info;
    }

    void advance (int numSamples, double sampleRate)
    {
        if (playing)
            ppq += numSamples * bpm / (60.0 * sampleRate);
    }

    bool hasPosition = true;
    bool playing = false;
    double bpm = 120.0;
    double ppq = 0.0; // quarter notes
};

/** A MIDI message the processor sent, at its absolute render sample. */
struct SentMidi
{
    juce::int64 sample;
    juce::MidiMessage message;
};

/** A fully initialised processor whose settings live in a temporary folder, driven block by block as
    the host wrapper drives it. */
class KelvanorHarness
{
public:
    explicit KelvanorHarness (double rate = 44100.0, int maxBlockSize = 512)
    {
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));
        processor = std::make_unique<Kelvanor>();
        processor->runLateInitialisation();
        processor->setPlayHead (&playHead);
        prepare (rate, maxBlockSize);
    }

    ~KelvanorHarness()
    {
        processor.reset();
        pumpMessages();
        BasePlugin::overrideApplicationDataFolders ({}, {});
    }

    void prepare (double rate, int maxBlockSize)
    {
        sampleRate = rate;
        processor->prepareToPlay (rate, maxBlockSize);
    }

    /** Host notes go to the voice instead of the sequencer's keys from the next block on. */
    void switchSequencerOff() { processor->setInternalSequencer (false); }

    /** One block; event positions are relative to it and may lie beyond its end. */
    void processBlock (int numSamples, const juce::MidiBuffer& events = {})
    {
        buffer.setSize (2, numSamples, false, false, true);
        juce::MidiBuffer midi (events);
        processor->processBlock (buffer, midi);

        for (const auto event : midi)
            sent.push_back ({position + event.samplePosition, event.getMessage()});

        for (int i = 0; i < numSamples; ++i)
        {
            left.push_back (buffer.getSample (0, i));
            right.push_back (buffer.getSample (1, i));
        }

        playHead.advance (numSamples, sampleRate);
        position += numSamples;
    }

    /** Renders this many samples in blocks, each event given to the block holding its absolute sample. */
    void render (juce::int64 numSamples, int blockSize, const std::vector<SentMidi>& events = {})
    {
        const juce::int64 end = position + numSamples;

        while (position < end)
        {
            const int block = (int) std::min<juce::int64> (blockSize, end - position);
            juce::MidiBuffer midi;

            for (const auto& e : events)
                if (e.sample >= position && e.sample < position + block)
                    midi.addEvent (e.message, (int) (e.sample - position));

            processBlock (block, midi);
        }
    }

    std::vector<SentMidi> sentNotes() const
    {
        std::vector<SentMidi> notes;
        for (const auto& m : sent)
            if (m.message.isNoteOnOrOff())
                notes.push_back (m);
        return notes;
    }

    float peak (juce::int64 from = 0, juce::int64 to = -1) const
    {
        float result = 0.0f;
        const auto last =
            to < 0 ? (juce::int64) left.size() : std::min<juce::int64> (to, (juce::int64) left.size());
        for (auto i = from; i < last; ++i)
            result = std::max (result, std::abs (left[(size_t) i]));
        return result;
    }

    bool allFinite() const
    {
        for (size_t i = 0; i < left.size(); ++i)
            if (!std::isfinite (left[i]) || !std::isfinite (right[i]))
                return false;
        return true;
    }

    TemporaryFolder folder;
    TestPlayHead playHead;
    std::unique_ptr<Kelvanor> processor;
    double sampleRate = 44100.0;
    juce::int64 position = 0;
    juce::AudioBuffer<float> buffer;
    std::vector<SentMidi> sent;
    std::vector<float> left, right;
};
