#include "TestSynth.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace
{
std::vector<char> frame (const char* magic, juce::int32 length, const std::string& text, bool withZero = true)
{
    const auto littleEndian = juce::ByteOrder::swapIfBigEndian ((juce::uint32) length);
    std::string bytes (magic, 4);
    bytes.append (reinterpret_cast<const char*> (&littleEndian), 4);
    bytes += text;

    if (withZero)
        bytes.push_back (0);

    return {bytes.begin(), bytes.end()};
}

TEST (StateFrame, ReadsOnlyWellFormedFrames)
{
    const std::string text = "<State a=\"1\"/>";
    const auto length = (juce::int32) text.size();
    constexpr int all = -2; // the whole vector

    const struct
    {
        const char* description;
        std::vector<char> bytes;
        int size;
        bool readable;
    } cases[] = {
        {"well formed", frame ("VC2!", length, text), all, true},
        {"no terminating zero", frame ("VC2!", length, text, false), all, true},
        {"length beyond the data", frame ("VC2!", 100000, text), all, true},
        {"length beyond the data, no zero", frame ("VC2!", 0x7fffffff, text, false), all, true},
        {"data after the element", frame ("VC2!", length + 4, text + "junk"), all, true},
        {"8 bytes", frame ("VC2!", length, text), 8, false},
        {"fewer than 8 bytes", frame ("VC2!", length, text), 5, false},
        {"no bytes", frame ("VC2!", length, text), 0, false},
        {"negative size", frame ("VC2!", length, text), -1, false},
        {"wrong magic", frame ("VC2?", length, text), all, false},
        {"magic in the other byte order", frame ("!2CV", length, text), all, false},
        {"zero length", frame ("VC2!", 0, text), all, false},
        {"negative length", frame ("VC2!", -5, text), all, false},
        {"length cuts the element", frame ("VC2!", length - 3, text), all, false},
        {"not XML", frame ("VC2!", 5, "hello"), all, false},
        {"malformed UTF-8", frame ("VC2!", 6, "<\xff\xfe\xfd/>"), all, false},
        {"ends inside a character", frame ("VC2!", 3, "<a\xe2", false), all, false},
    };

    for (const auto& c : cases)
    {
        const auto xml = juce::AudioProcessor::getXmlFromBinary (
            c.bytes.data(), c.size == all ? (int) c.bytes.size() : c.size);
        EXPECT_EQ (xml != nullptr && xml->hasTagName ("State"), c.readable) << c.description;
        EXPECT_TRUE (xml == nullptr || c.readable) << c.description;
    }

    EXPECT_EQ (juce::AudioProcessor::getXmlFromBinary (nullptr, 100), nullptr);
}

TEST (StateFrame, RoundTripsAnyElementOnOneLine)
{
    juce::XmlElement state ("PluginState");
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
    EXPECT_EQ (text.rfind ("<PluginState", 0), 0u) << "no XML header";

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
        record (p, "changed " + std::to_string (index) + " " + juce::String (value, 2).toStdString());
    }
    void audioProcessorChanged (juce::AudioProcessor* p) override { record (p, "display"); }
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor* p, int index) override
    {
        record (p, "begin " + std::to_string (index));
    }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor* p, int index) override
    {
        record (p, "end " + std::to_string (index));
    }

    std::function<void (juce::AudioProcessor*)> onCall;

private:
    void record (juce::AudioProcessor* p, const std::string& what)
    {
        log.push_back (name + " " + what);
        if (onCall)
            onCall (p);
    }

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

TEST_F (ProcessorListeners, CallsTheLastAddedFirstOnceEachForIndexesInRange)
{
    synth.addListener (&a);
    synth.addListener (&b);
    synth.addListener (&a); // already present
    synth.addListener (nullptr);
    synth.addListener (&c);
    synth.addListener (&b);
    synth.removeListener (&b);
    synth.removeListener (&b); // no longer present

    synth.sendParamChangeMessageToListeners (2, 0.5f);
    synth.beginParameterChangeGesture (0);
    synth.endParameterChangeGesture (3);
    synth.updateHostDisplay();

    for (const int index : {-1, TestSynth::numParams, 1 << 30})
    {
        synth.sendParamChangeMessageToListeners (index, 1.0f);
        synth.beginParameterChangeGesture (index);
        synth.endParameterChangeGesture (index);
    }

    EXPECT_EQ (log, (std::vector<std::string>{"c changed 2 0.50", "a changed 2 0.50", "c begin 0",
                                              "a begin 0", "c end 3", "a end 3", "c display", "a display"}));
}

TEST_F (ProcessorListeners, ListenersMayRemoveThemselvesWhileCalled)
{
    for (auto* l : {&a, &b, &c})
    {
        synth.addListener (l);
        l->onCall = [l] (juce::AudioProcessor* p) { p->removeListener (l); };
    }

    // The one called first, one in the middle, the one called last.
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

//==============================================================================
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
    EXPECT_EQ (p.wrapperType, juce::AudioProcessor::wrapperType_Undefined);
    EXPECT_EQ (p.createEditorIfNeeded(), nullptr);

    // The two-argument names cut the one-argument ones to their length.
    TestSynth synth;
    EXPECT_EQ (synth.getParameterName (1, 8), "Long Par");
    EXPECT_EQ (synth.getParameterText (1, 3), "0.0");
}

TEST (ProcessorDefaults, ChannelChangesAreReportedOnlyWhenCountsChange)
{
    BareProcessor p;
    const struct
    {
        int ins, outs;
        double rate;
        int blockSize, numChanges;
    } steps[] = {
        {0, 2, 44100.0, 512, 1}, {0, 2, 48000.0, 256, 1}, {2, 2, 48000.0, 256, 2}, {0, 1, 48000.0, 256, 3}};

    for (const auto& s : steps)
    {
        p.setPlayConfigDetails (s.ins, s.outs, s.rate, s.blockSize);
        EXPECT_EQ (p.numChannelChanges, s.numChanges) << s.ins << " in " << s.outs << " out";
        EXPECT_EQ (p.getNumInputChannels(), s.ins);
        EXPECT_EQ (p.getNumOutputChannels(), s.outs);
        EXPECT_EQ (p.getSampleRate(), s.rate);
        EXPECT_EQ (p.getBlockSize(), s.blockSize);
    }
}

TEST (ProcessorEditor, IsMadeOnceAndForgottenWhenDeleted)
{
    factoryConfig = {};
    factoryConfig.withEditor = true;
    TestSynth synth;
    factoryConfig = {};

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
