#pragma once

#include "KelvanorSignal.h"
#include "TestSupport.h"
#include "engine/Kelvanor.h"

#include <gtest/gtest.h>
#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
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

    bool playing = false;
    double bpm = 120.0;
    double ppq = 0.0; // quarter notes
};

using Seq = IntSeqPlugin;

/** Panel events by uid, the keys of "events.xml"; the sequencer's own events are Seq::...Event. */
namespace PanelEvent
{
// clang-format off
enum
{
    transposeUp = 0, firstSetStep = 2, pressC = 18, pressCis = 19, pressE = 22, pressG = 25, pressA = 27,
    firstPressCtrl = 31, pressGate = 44, pressAccent = 45, pressLowerOctave = 47, pressGateCtrl = 49,
    nextStep = 54, prevStep = 55, toggleRandNotes = 56, toggleStepValues = 57, flatten = 58
};
// clang-format on
} // namespace PanelEvent

/** A MIDI message the processor sent, at its absolute render sample. */
struct SentMidi
{
    juce::int64 sample;
    juce::MidiMessage message;
};

inline juce::MidiMessage noteOn (int note, int velocity = 100, int channel = 1)
{
    return juce::MidiMessage::noteOn (channel, note, (juce::uint8) velocity);
}

inline juce::MidiMessage noteOff (int note, int channel = 1)
{
    return juce::MidiMessage::noteOff (channel, note);
}

/** A step: note 0..12, the octave flags, gate, accent, slide and the three levels. */
inline Step makeStep (int note, bool up = false, bool down = false, bool gate = false, bool accent = false,
                      bool slide = false, double gateLevel = 0.0, double accentLevel = 0.0,
                      double slideLevel = 0.0)
{
    return Step{note, up, down, gate, accent, slide, gateLevel, accentLevel, slideLevel};
}

/** A fully initialised processor whose settings live in a temporary folder, driven block by block as
    the host wrapper drives it. With the sequencer off, host notes play the voice from the first block; user
    settings, if given, are the children of the settings file the processor starts with. */
class KelvanorHarness
{
public:
    explicit KelvanorHarness (double rate = 44100.0, int maxBlockSize = 512, bool sequencerOn = true,
                              const juce::String& userSettings = {})
    {
        liveFolders().push_back (&folder);
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));
        if (userSettings.isNotEmpty())
        {
            const auto file = folder.getChildFile ("user/Zeb Group/Kelvanor/Kelvanor.ini");
            file.getParentDirectory().createDirectory();
            EXPECT_TRUE (file.replaceWithText ("<UserSettings application='Kelvanor'>" + userSettings +
                                               "</UserSettings>"));
        }
        processor = std::make_unique<Kelvanor>();
        processor->runLateInitialisation();
        processor->setPlayHead (&playHead);
        prepare (rate, maxBlockSize);

        if (!sequencerOn)
        {
            processor->setInternalSequencer (false);
            processBlock (16);
            sent.clear();
        }
    }

    ~KelvanorHarness()
    {
        processor.reset();
        pumpMessages();

        // A test may hold several harnesses: the folders of the ones still alive stay in force, so that
        // no processor ever writes its settings into the real user folder.
        auto& live = liveFolders();
        live.erase (std::remove (live.begin(), live.end(), &folder), live.end());
        if (live.empty())
            BasePlugin::overrideApplicationDataFolders ({}, {});
        else
            BasePlugin::overrideApplicationDataFolders (live.back()->getChildFile ("user"),
                                                        live.back()->getChildFile ("common"));
    }

    static std::vector<const TemporaryFolder*>& liveFolders()
    {
        static std::vector<const TemporaryFolder*> folders;
        return folders;
    }

    void prepare (double rate, int maxBlockSize)
    {
        sampleRate = rate;
        processor->prepareToPlay (rate, maxBlockSize);
    }

    void fire (int uid) { processor->handleEvent (uid); }
    float parameter (int id) const { return processor->getParameterManager().getParameterValue (id); }
    void set (int id, float normalised)
    {
        processor->getParameterManager().setParameterNormalised (id, normalised);
    }

    /** Loads the steps as pattern index (its length is their number), through the pattern XML. */
    void loadPattern (int index, const std::vector<Step>& steps, int shuffle = 0)
    {
        Pattern pattern;
        pattern.setLength ((int) steps.size());
        pattern.setShuffle (shuffle);
        for (size_t i = 0; i < steps.size(); ++i)
            pattern.setStep ((int) i, steps[i]);

        juce::XmlElement xml ("Pattern");
        xml.setAttribute ("application", "Kelvanor");
        pattern.writeXml (xml);
        if (!processor->loadPatternFromXml (xml, index))
            ADD_FAILURE() << "pattern " << index << " refused";
    }

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

    /** The note numbers of the note-ons sent. */
    std::vector<int> playedNotes() const
    {
        std::vector<int> notes;
        for (const auto& m : sent)
            if (m.message.isNoteOn())
                notes.push_back (m.message.getNoteNumber());
        return notes;
    }

    float peak (juce::int64 from = 0, juce::int64 to = -1) const
    {
        return (float) peakOf (left, (size_t) from, to < 0 ? SIZE_MAX : (size_t) to);
    }

    bool allFinite() const { return allFiniteIn (left) && allFiniteIn (right); }

    TemporaryFolder folder;
    TestPlayHead playHead;
    std::unique_ptr<Kelvanor> processor;
    double sampleRate = 44100.0;
    juce::int64 position = 0;
    juce::AudioBuffer<float> buffer;
    std::vector<SentMidi> sent;
    std::vector<float> left, right;
};
