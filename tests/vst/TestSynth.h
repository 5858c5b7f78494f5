#pragma once

#include "vst/AudioProcessor.h"
#include "vst/AudioProcessorEditor.h"

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

FactoryConfig& factoryConfig();

/** A small instrument with four parameters, two outputs and MIDI in and out, recording what the
    wrapper does to it. */
class TestSynth : public juce::AudioProcessor
{
public:
    static constexpr int numParams = 4;

    TestSynth()
    {
        if (factoryConfig().throwFromConstructor)
            throw std::runtime_error ("construction failed");

        withEditor = factoryConfig().withEditor;
    }

    ~TestSynth() override { ++numDestroyed; }

    juce::String getName() const override { return "TestSynth"; }

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

        if (buffer.getNumSamples() > preparedBlockSize)
            blockLongerThanPrepared = true;

        if (buffer.getNumChannels() >= 2 && buffer.getReadPointer (0) == buffer.getReadPointer (1))
            channelsShared = true;

        // Channel c, sample i of the host block (counting parts of a split block) = c * 1000 + i.
        const int blockStart = (int) playHeadSamples();

        for (int c = 0; c < buffer.getNumChannels(); ++c)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                buffer.setSample (c, i, (float) (c * 1000 + (blockStart - hostBlockStart) + i));

        juce::MidiBuffer output;

        for (const auto event : midi)
        {
            received.push_back (
                {event.samplePosition + (int) (blockStart - hostBlockStart), event.getMessage()});

            auto message = event.getMessage();

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

    int getMaxNumInputChannels() const override { return 0; }
    int getMaxNumOutputChannels() const override { return 2; }

    juce::String getMidiKeyName (int key) const override
    {
        return key == 60 ? juce::String::repeatedString ("k", 100)
                         : juce::MidiMessage::getMidiNoteName (key, true, true, 3);
    }

    juce::String getInputChannelName (int) const override { return {}; }
    juce::String getOutputChannelName (int index) const override
    {
        return "Kelvanor Output " + juce::String (index + 1);
    }
    bool isInputChannelStereoPair (int) const override { return false; }
    bool isOutputChannelStereoPair (int) const override { return true; }
    bool silenceInProducesSilenceOut() const override { return true; }
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return true; }

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
        return juce::isPositiveAndBelow (index, numParams)
                   ? "Long Parameter Name Number " + juce::String (index)
                   : juce::String();
    }

    float getParameter (int index) override
    {
        return juce::isPositiveAndBelow (index, numParams) ? values[(size_t) index].load() : 0.0f;
    }

    juce::String getParameterText (int index) override
    {
        return juce::isPositiveAndBelow (index, numParams)
                   ? juce::String (getParameter (index), 3) + " units of value"
                   : juce::String();
    }

    juce::String getParameterLabel (int index) const override { return index == 0 ? "dB" : ""; }

    void setParameter (int index, float value) override
    {
        if (!juce::isPositiveAndBelow (index, numParams))
            return;

        values[(size_t) index] = value;

        // A processor that reports every change, whoever made it.
        sendParamChangeMessageToListeners (index, value);
    }

    bool isParameterAutomatable (int index) const override { return index != 3; }

    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
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
        ++numStateRestores;

        if (auto state = getXmlFromBinary (data, size))
        {
            for (int i = 0; i < numParams; ++i)
                values[(size_t) i] = (float) state->getDoubleAttribute ("p" + juce::String (i));

            programName = state->getStringAttribute ("program");
        }
    }

    /** Where the play head says this part of the block starts, in samples (0 without a play head). */
    juce::int64 playHeadSamples()
    {
        lastPosition.reset();

        if (auto* head = getPlayHead())
            if (auto position = head->getPosition())
            {
                lastPosition = std::make_unique<juce::AudioPlayHead::PositionInfo> (*position);
                positions.push_back (*position);

                if (auto samples = position->getTimeInSamples())
                    return *samples;
            }

        return hostBlockStart;
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
    int numPrepares = 0, numReleases = 0, numBlocks = 0, numBypassedBlocks = 0, numStateRestores = 0;
    int largestBlock = 0;
    bool blockLongerThanPrepared = false;
    bool channelsShared = false;
    std::vector<ReceivedEvent> received;
    std::vector<juce::AudioPlayHead::PositionInfo> positions;
    std::unique_ptr<juce::AudioPlayHead::PositionInfo> lastPosition;

    static inline std::atomic<int> numDestroyed{0};
};
