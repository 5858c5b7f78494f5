#pragma once

#include "vst/AudioProcessor.h"
#include "vst/AudioProcessorEditor.h"

#include <array>
#include <atomic>
#include <stdexcept>
#include <vector>

/** What the next createPluginFilter call makes (the vst tests link the wrapper without a product). */
struct FactoryConfig
{
    bool returnNull = false;
    bool throwFromConstructor = false;
    bool withEditor = false;
    int numCreated = 0;
};

inline FactoryConfig factoryConfig;

/** Overrides nothing optional, so every default answer of the base is seen. */
class BareProcessor : public juce::AudioProcessor
{
public:
    juce::String getName() const override { return "Bare"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioSampleBuffer&, juce::MidiBuffer&) override {}
    juce::String getInputChannelName (int) const override { return {}; }
    juce::String getOutputChannelName (int) const override { return {}; }
    bool isInputChannelStereoPair (int) const override { return false; }
    bool isOutputChannelStereoPair (int) const override { return false; }
    bool silenceInProducesSilenceOut() const override { return false; }
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}
    void numChannelsChanged() override { ++numChannelChanges; }

    int numChannelChanges = 0;
};

/** A small instrument with four parameters, two outputs and MIDI in and out, recording what the
    wrapper does to it. Sample i of output channel c of the host's block becomes c * 1000 + i; every
    incoming note-on is echoed an octave up at its position. */
class TestSynth : public BareProcessor
{
public:
    static constexpr int numParams = 4;

    TestSynth()
    {
        if (factoryConfig.throwFromConstructor)
            throw std::runtime_error ("construction failed");
        withEditor = factoryConfig.withEditor;
    }

    ~TestSynth() override { ++numDestroyed; }

    void prepareToPlay (double rate, int size) override
    {
        preparedRate = rate;
        preparedBlockSize = size;
        ++numPrepares;
    }

    void releaseResources() override { ++numReleases; }

    void processBlock (juce::AudioSampleBuffer& buffer, juce::MidiBuffer& midi) override
    {
        ++numBlocks;
        largestBlock = juce::jmax (largestBlock, buffer.getNumSamples());
        channelsShared = channelsShared || buffer.getReadPointer (0) == buffer.getReadPointer (1);

        // Where this part of the host's block starts: the play head tells inside a split block.
        positions.push_back (getPlayHead() != nullptr ? getPlayHead()->getPosition() : juce::nullopt);
        const int offset = positions.back() && positions.back()->getTimeInSamples()
                               ? (int) (*positions.back()->getTimeInSamples() - hostBlockStart)
                               : 0;

        for (int c = 0; c < buffer.getNumChannels(); ++c)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                buffer.setSample (c, i, (float) (c * 1000 + offset + i));

        juce::MidiBuffer output;

        for (const auto event : midi)
        {
            const auto message = event.getMessage();
            received.push_back ({event.samplePosition + offset, message});

            if (message.isNoteOn())
                output.addEvent (
                    juce::MidiMessage::noteOn (1, message.getNoteNumber() + 12, (juce::uint8) 100),
                    event.samplePosition);
        }

        if (sendSysex)
        {
            const juce::uint8 dump[] = {0xf0, 0x7d, 0x01, 0x02, 0x03, 0xf7};
            output.addEvent (dump, (int) sizeof (dump), 0);
        }

        midi.swapWith (output);
    }

    void processBlockBypassed (juce::AudioSampleBuffer&, juce::MidiBuffer&) override { ++numBypassedBlocks; }

    int getMaxNumOutputChannels() const override { return 2; }
    juce::String getOutputChannelName (int index) const override
    {
        return "Kelvanor Output " + juce::String (index + 1);
    }
    bool isOutputChannelStereoPair (int) const override { return true; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return true; }

    juce::String getMidiKeyName (int key) const override
    {
        return key == 60 ? juce::String::repeatedString ("k", 100)
                         : juce::MidiMessage::getMidiNoteName (key, true, true, 3);
    }

    class Editor : public juce::AudioProcessorEditor
    {
    public:
        explicit Editor (TestSynth& owner)
            : AudioProcessorEditor (owner)
        {
            setSize (320, 200);
        }

        void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::darkgrey); }
    };

    juce::AudioProcessorEditor* createEditor() override { return withEditor ? new Editor (*this) : nullptr; }
    bool hasEditor() const override { return withEditor; }

    using juce::AudioProcessor::getParameterName;
    using juce::AudioProcessor::getParameterText;

    int getNumParameters() override { return numParams; }
    juce::String getParameterName (int index) override
    {
        return "Long Parameter Name Number " + juce::String (index);
    }
    float getParameter (int index) override
    {
        return juce::isPositiveAndBelow (index, numParams) ? values[(size_t) index].load() : 0.0f;
    }
    juce::String getParameterText (int index) override
    {
        return juce::String (getParameter (index), 3) + " units of value";
    }
    juce::String getParameterLabel (int index) const override { return index == 0 ? "dB" : ""; }
    bool isParameterAutomatable (int index) const override { return index != 3; }

    void setParameter (int index, float value) override
    {
        if (!juce::isPositiveAndBelow (index, numParams))
            return;

        values[(size_t) index] = value;
        sendParamChangeMessageToListeners (index, value); // reports every change, whoever made it
    }

    void setCurrentProgram (int index) override { programRequests.push_back (index); }
    juce::String getProgramName (int) override { return programName; }
    void changeProgramName (int, const juce::String& name) override { programName = name; }

    void getStateInformation (juce::MemoryBlock& dest) override
    {
        juce::XmlElement state ("TestState");

        for (int i = 0; i < numParams; ++i)
            state.setAttribute ("p" + juce::String (i), (double) values[(size_t) i].load());

        state.setAttribute ("program", programName);
        copyXmlToBinary (state, dest);
    }

    void setStateInformation (const void* data, int size) override
    {
        if (auto state = getXmlFromBinary (data, size))
        {
            for (int i = 0; i < numParams; ++i)
                values[(size_t) i] = (float) state->getDoubleAttribute ("p" + juce::String (i));

            programName = state->getStringAttribute ("program");
        }
    }

    struct ReceivedEvent
    {
        int hostPosition; // position in the host's block
        juce::MidiMessage message;
    };

    std::array<std::atomic<float>, numParams> values{};
    juce::String programName{"Init"};
    std::vector<int> programRequests;

    bool withEditor = false;
    bool sendSysex = false;
    juce::int64 hostBlockStart = 0; // the time the test host reports for the block start

    double preparedRate = 0.0;
    int preparedBlockSize = 0;
    int numPrepares = 0, numReleases = 0, numBlocks = 0, numBypassedBlocks = 0;
    int largestBlock = 0;
    bool channelsShared = false;
    std::vector<ReceivedEvent> received;
    std::vector<juce::Optional<juce::AudioPlayHead::PositionInfo>> positions; // one per processBlock

    static inline std::atomic<int> numDestroyed{0};
};
