#include "TestSynth.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace
{
std::vector<char> frame (const char* magic, juce::int32 length, const std::string& text,
                         bool withTerminator = true)
{
    const auto littleEndian = juce::ByteOrder::swapIfBigEndian ((juce::uint32) length);

    std::string bytes (magic, 4);
    bytes.append (reinterpret_cast<const char*> (&littleEndian), 4);
    bytes += text;

    if (withTerminator)
        bytes.push_back (0);

    return {bytes.begin(), bytes.end()};
}

struct FrameCase
{
    const char* description;
    std::vector<char> bytes;
    int size;                // -2: the vector's size
    const char* expectedTag; // null: no element
};

TEST (StateFrame, ReadsOnlyWellFormedFrames)
{
    const std::string text = "<State a=\"1\"/>";
    const auto length = (juce::int32) text.size();

    const FrameCase cases[] = {
        {"well formed", frame ("VC2!", length, text), -2, "State"},
        {"no terminating zero", frame ("VC2!", length, text, false), -2, "State"},
        {"length beyond the data", frame ("VC2!", 100000, text), -2, "State"},
        {"length beyond the data, no zero", frame ("VC2!", 0x7fffffff, text, false), -2, "State"},
        {"8 bytes", frame ("VC2!", length, text), 8, nullptr},
        {"fewer than 8 bytes", frame ("VC2!", length, text), 5, nullptr},
        {"no bytes", frame ("VC2!", length, text), 0, nullptr},
        {"negative size", frame ("VC2!", length, text), -1, nullptr},
        {"wrong magic", frame ("VC2?", length, text), -2, nullptr},
        {"magic in the other byte order", frame ("!2CV", length, text), -2, nullptr},
        {"zero length", frame ("VC2!", 0, text), -2, nullptr},
        {"negative length", frame ("VC2!", -5, text), -2, nullptr},
        {"length cuts the element", frame ("VC2!", length - 3, text), -2, nullptr},
        {"not XML", frame ("VC2!", 5, "hello"), -2, nullptr},
        {"malformed UTF-8", frame ("VC2!", 6, "<\xff\xfe\xfd/>"), -2, nullptr},
        {"ends inside a character", frame ("VC2!", 3, "<a\xe2", false), -2, nullptr},
        {"data after the element", frame ("VC2!", length + 4, text + "junk"), -2, "State"},
    };

    for (const auto& c : cases)
    {
        const int size = c.size == -2 ? (int) c.bytes.size() : c.size;
        const auto xml = juce::AudioProcessor::getXmlFromBinary (c.bytes.data(), size);

        if (c.expectedTag == nullptr)
            EXPECT_EQ (xml, nullptr) << c.description;
        else if (xml == nullptr)
            ADD_FAILURE() << c.description << ": nothing read";
        else
            EXPECT_EQ (xml->getTagName(), c.expectedTag) << c.description;
    }

    EXPECT_EQ (juce::AudioProcessor::getXmlFromBinary (nullptr, 100), nullptr);
}

TEST (StateFrame, RoundTripsAnyElementOnOneLine)
{
    juce::XmlElement state ("PluginState");
    state.setAttribute ("application", "Kelvanor");
    state.setAttribute ("name", juce::String::fromUTF8 ("Bässline \xe2\x99\xaa & <friends>\nsecond line"));
    auto* child = state.createNewChildElement ("Child");
    child->setAttribute ("value", 0.125);
    child->createNewChildElement ("Grandchild")->addTextElement ("text");

    juce::MemoryBlock block;
    block.setSize (100000, true); // replaced, not appended to
    juce::AudioProcessor::copyXmlToBinary (state, block);

    const auto* bytes = static_cast<const char*> (block.getData());
    ASSERT_GT (block.getSize(), 9u);
    EXPECT_EQ (std::memcmp (bytes, "VC2!", 4), 0);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes + 4), (juce::uint32) block.getSize() - 9)
        << "the length never counts the final 0";
    EXPECT_EQ (bytes[block.getSize() - 1], 0);

    const std::string text (bytes + 8, block.getSize() - 9);
    EXPECT_EQ (text.find ('\n'), std::string::npos);
    EXPECT_EQ (text.find ("<?xml"), std::string::npos);
    EXPECT_EQ (text.rfind ("<PluginState", 0), 0u);

    const auto restored = juce::AudioProcessor::getXmlFromBinary (block.getData(), (int) block.getSize());
    ASSERT_NE (restored, nullptr);
    EXPECT_TRUE (restored->isEquivalentTo (&state, false));
}

//==============================================================================
class RecordingListener : public juce::AudioProcessorListener
{
public:
    RecordingListener (std::vector<std::string>& logToUse, std::string nameToUse)
        : log (logToUse)
        , name (std::move (nameToUse))
    {
    }

    void audioProcessorParameterChanged (juce::AudioProcessor* p, int index, float value) override
    {
        log.push_back (name + " changed " + std::to_string (index) + " " +
                       juce::String (value, 2).toStdString());
        if (onCall)
            onCall (p);
    }

    void audioProcessorChanged (juce::AudioProcessor* p) override
    {
        log.push_back (name + " display");
        if (onCall)
            onCall (p);
    }

    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor* p, int index) override
    {
        log.push_back (name + " begin " + std::to_string (index));
        if (onCall)
            onCall (p);
    }

    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor* p, int index) override
    {
        log.push_back (name + " end " + std::to_string (index));
        if (onCall)
            onCall (p);
    }

    std::function<void (juce::AudioProcessor*)> onCall;

private:
    std::vector<std::string>& log;
    std::string name;
};

class ProcessorListeners : public ::testing::Test
{
protected:
    TestSynth synth;
    std::vector<std::string> log;
    RecordingListener a{log, "a"}, b{log, "b"}, c{log, "c"};
};

TEST_F (ProcessorListeners, CallsTheLastAddedFirstOnceEach)
{
    synth.addListener (&a);
    synth.addListener (&b);
    synth.addListener (&a); // already present
    synth.addListener (nullptr);
    synth.addListener (&c);

    synth.sendParamChangeMessageToListeners (2, 0.5f);
    synth.beginParameterChangeGesture (0);
    synth.endParameterChangeGesture (3);
    synth.updateHostDisplay();

    EXPECT_EQ (log, (std::vector<std::string>{"c changed 2 0.50", "b changed 2 0.50", "a changed 2 0.50",
                                              "c begin 0", "b begin 0", "a begin 0", "c end 3", "b end 3",
                                              "a end 3", "c display", "b display", "a display"}));
}

TEST_F (ProcessorListeners, IndexesOutsideTheParametersReachNobody)
{
    synth.addListener (&a);

    for (const int index : {-1, TestSynth::numParams, 1 << 30})
    {
        synth.sendParamChangeMessageToListeners (index, 1.0f);
        synth.beginParameterChangeGesture (index);
        synth.endParameterChangeGesture (index);
    }

    EXPECT_TRUE (log.empty());
}

TEST_F (ProcessorListeners, ListenersMayRemoveThemselvesWhileCalled)
{
    synth.addListener (&a);
    synth.addListener (&b);
    synth.addListener (&c);

    // The one called first, one in the middle, the one called last.
    c.onCall = [this] (juce::AudioProcessor* p) { p->removeListener (&c); };
    b.onCall = [this] (juce::AudioProcessor* p) { p->removeListener (&b); };
    a.onCall = [this] (juce::AudioProcessor* p) { p->removeListener (&a); };

    synth.sendParamChangeMessageToListeners (1, 0.25f);
    EXPECT_EQ (log, (std::vector<std::string>{"c changed 1 0.25", "b changed 1 0.25", "a changed 1 0.25"}));

    log.clear();
    synth.updateHostDisplay();
    EXPECT_TRUE (log.empty());

    // Removing the last one left while being the only one.
    synth.addListener (&a);
    synth.updateHostDisplay();
    synth.updateHostDisplay();
    EXPECT_EQ (log, std::vector<std::string>{"a display"});
}

TEST_F (ProcessorListeners, RemovedListenersAreNotCalled)
{
    synth.addListener (&a);
    synth.addListener (&b);
    synth.removeListener (&a);
    synth.removeListener (&c); // never added

    synth.updateHostDisplay();
    EXPECT_EQ (log, std::vector<std::string>{"b display"});
}

//==============================================================================
/** Overrides nothing optional: every default answer is seen. */
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

TEST (ProcessorDefaults, AnswerNeutrallyWithoutRecursing)
{
    BareProcessor p;
    EXPECT_EQ (p.getNumParameters(), 0);
    EXPECT_EQ (p.getParameterText (0), "") << "the two text operations must not call each other forever";
    EXPECT_EQ (p.getParameterText (0, 10), "");
    EXPECT_EQ (p.getParameterName (0, 10), "");
    EXPECT_EQ (p.getParameter (0), 0.0f);
    EXPECT_EQ (p.getParameterNumSteps (0), 0x7fffffff);
    EXPECT_TRUE (p.isParameterAutomatable (0));
    EXPECT_FALSE (p.isMetaParameter (0));
    EXPECT_EQ (p.getMaxNumInputChannels(), 0);
    EXPECT_EQ (p.getMaxNumOutputChannels(), 0);
    EXPECT_EQ (p.getMidiKeyName (60), "");
    EXPECT_EQ (p.wrapperType, juce::AudioProcessor::wrapperType_Undefined);
    EXPECT_EQ (p.createEditorIfNeeded(), nullptr);
}

TEST (ProcessorDefaults, TwoArgumentNamesAreCutToTheirLength)
{
    TestSynth synth;
    EXPECT_EQ (synth.getParameterName (1, 8), "Long Par");
    EXPECT_EQ (synth.getParameterText (1, 3), "0.0");
}

TEST (ProcessorDefaults, ChannelChangesAreReportedOnlyWhenCountsChange)
{
    BareProcessor p;
    p.setPlayConfigDetails (0, 2, 44100.0, 512);
    EXPECT_EQ (p.numChannelChanges, 1);
    EXPECT_EQ (p.getSampleRate(), 44100.0);
    EXPECT_EQ (p.getBlockSize(), 512);

    p.setPlayConfigDetails (0, 2, 48000.0, 256);
    EXPECT_EQ (p.numChannelChanges, 1);
    EXPECT_EQ (p.getSampleRate(), 48000.0);

    p.setPlayConfigDetails (2, 2, 48000.0, 256);
    EXPECT_EQ (p.numChannelChanges, 2);
    EXPECT_EQ (p.getNumInputChannels(), 2);
}

TEST (ProcessorEditor, IsMadeOnceAndForgottenWhenDeleted)
{
    factoryConfig() = {};
    factoryConfig().withEditor = true;
    TestSynth synth;
    factoryConfig() = {};

    auto* editor = synth.createEditorIfNeeded();
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (synth.createEditorIfNeeded(), editor) << "the live editor is handed out again";
    EXPECT_EQ (editor->getAudioProcessor(), &synth);

    synth.editorBeingDeleted (nullptr); // not the active one: nothing changes
    EXPECT_EQ (synth.getActiveEditor(), editor);

    delete editor;
    EXPECT_EQ (synth.getActiveEditor(), nullptr);

    std::unique_ptr<juce::AudioProcessorEditor> next (synth.createEditorIfNeeded());
    EXPECT_NE (next, nullptr);
}
} // namespace
