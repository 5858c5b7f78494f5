#include "KelvanorPluginTestSupport.h"

#include "tools/PluginLibrary.h"

namespace
{
juce::StringArray parameterNames()
{
    return juce::StringArray::fromTokens (
        "Tuning,Slide Time,Cutoff,Resonance,Sweep Time,Env Mod,Env Attack,Env Decay,Accent Decay,"
        "Env Accent,Accent Volume,Step Length,Distortion Preamp,Distortion Size,Distortion Density,"
        "Distortion Clip,Distortion Wetness,Distortion Brightness,Waveform,Accent Mode,Sweep Mode,"
        "Distortion State,Distortion Route,Main Volume,Arpe Chord,Arpe Mode,Arpe Shuffle,Arpe Range Sub 1,"
        "Arpe Range Zero,Arpe Range Add 1,Arpe Range Add 2,Arpe Multiplier,Arpe Repeater,Gate Threshold,"
        "Accent Threshold,Slide Threshold",
        ",", "");
}

/** Same elements, attributes and order; step levels may differ by the six-decimal cut of each write. */
void expectSameState (const juce::XmlElement& a, const juce::XmlElement& b, const juce::String& path = {})
{
    const auto here = path + "/" + a.getTagName();
    ASSERT_EQ (a.getTagName(), b.getTagName()) << here;
    ASSERT_EQ (a.getNumAttributes(), b.getNumAttributes()) << here;
    for (int i = 0; i < a.getNumAttributes(); ++i)
    {
        const auto name = a.getAttributeName (i);
        if (a.getTagName() == "Step" && name.endsWith ("Level"))
            EXPECT_NEAR (a.getDoubleAttribute (name), b.getDoubleAttribute (name), 2.0e-6)
                << here << "@" << name;
        else
            EXPECT_EQ (a.getAttributeValue (i), b.getStringAttribute (name)) << here << "@" << name;
    }

    ASSERT_EQ (a.getNumChildElements(), b.getNumChildElements()) << here;
    for (int i = 0; i < a.getNumChildElements(); ++i)
        expectSameState (*a.getChildElement (i), *b.getChildElement (i), here);
}

/** The current-program chunk (effGetChunk with index 1), as a host saving "the current program" takes it. */
juce::MemoryBlock getProgramChunk (HostedPlugin& plugin)
{
    void* data = nullptr;
    const auto size = plugin.dispatch (effGetChunk, 1, 0, &data);
    return size > 0 && data != nullptr ? juce::MemoryBlock (data, (size_t) size) : juce::MemoryBlock();
}

VstIntPtr refusingHost (AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    // No VST 2 host: version 0, and nothing else either.
    juce::ignoreUnused (opcode);
    return 0;
}
} // namespace

TEST (KelvanorPlugin, EntryRefusesAHostWithoutAVersionAndTouchesNoSettings)
{
    ScopedPluginHome home;
    juce::String error;
    const auto library = PluginLibrary::open (kelvanorPluginFile(), error);
    ASSERT_NE (library, nullptr) << error;
    ASSERT_NE (library->getEntryPoint(), nullptr);

    EXPECT_EQ (library->getEntryPoint() (refusingHost), nullptr);
    EXPECT_FALSE (home.getSettingsFolder().exists());
}

TEST (KelvanorPlugin, RecordNamesAnInstrumentWithChunksMidiAndAnEditor)
{
    ScopedPluginHome home;
    const auto plugin = openKelvanor();
    ASSERT_TRUE (plugin->isOpen());
    const AEffect* effect = plugin->getEffect();

    EXPECT_EQ (effect->magic, kEffectMagic);
    EXPECT_EQ (plugin->getUniqueId(), ('K' << 24) | ('E' << 16) | ('L' << 8) | 'V');
    EXPECT_EQ (plugin->getVersion(), 0x10905);
    EXPECT_EQ (plugin->getNumInputs(), 0);
    EXPECT_EQ (plugin->getNumOutputs(), 2);
    EXPECT_EQ (plugin->getNumParameters(), 36);
    EXPECT_EQ (plugin->getEffectName(), "Kelvanor");
    EXPECT_EQ (plugin->getPlugCategory(), kPlugCategSynth);

    const auto flags = plugin->getFlags();
    EXPECT_NE (flags & effFlagsIsSynth, 0);
    EXPECT_NE (flags & effFlagsProgramChunks, 0);
    EXPECT_NE (flags & effFlagsCanReplacing, 0);
    EXPECT_NE (flags & effFlagsHasEditor, 0);

    for (const char* feature : {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents",
                                "sendVstMidiEvent", "receiveVstTimeInfo"})
        EXPECT_EQ (plugin->canDo (feature), 1) << feature;
    EXPECT_EQ (plugin->canDo ("noSuchFeature"), 0);
}

TEST (KelvanorPlugin, NamesDisplaysAndLabelsEverySlot)
{
    ScopedPluginHome home;
    const auto plugin = openKelvanor();

    const auto names = parameterNames();
    ASSERT_EQ (names.size(), 36);
    for (int slot = 0; slot < 36; ++slot)
    {
        const auto& expected = names[slot];
        const auto name = plugin->getParameterName (slot);
        EXPECT_TRUE (name.isNotEmpty() && expected.startsWith (name)) << slot << ": " << name;
        EXPECT_TRUE (plugin->getParameterDisplay (slot).isNotEmpty()) << slot;
        EXPECT_EQ (plugin->getParameterLabel (slot), "") << slot; // the display carries its unit
    }

    EXPECT_EQ (plugin->getParameterName (36), "");

    struct Display
    {
        int slot;
        float value;
        const char* text;
    };
    for (const auto& d :
         {Display{0, 1.0f, "24.0 halftones"}, Display{1, 0.0f, "1 ms"}, Display{18, 0.0f, "Square"},
          Display{18, 1.0f, "Sawtooth"}, Display{21, 1.0f, "On"}, Display{23, 0.0f, "-inf."},
          Display{23, 1.0f, "+12.0dB"}, Display{25, 1.0f, "Up-Down"}, Display{33, 0.5f, "64"}})
    {
        plugin->setParameter (d.slot, d.value);
        EXPECT_EQ (plugin->getParameterDisplay (d.slot), d.text) << "slot " << d.slot;
    }
}

TEST (KelvanorPlugin, HostWritesReadBackAndAreNotEchoed)
{
    ScopedPluginHome home;
    const auto plugin = openKelvanor();
    plugin->clearRecordings();

    for (int slot = 0; slot < 36; ++slot)
    {
        const float value =
            slot == 25 ? 0.0f : 0.25f + 0.5f * (float) (slot % 2); // the arpeggiator stays off
        plugin->setParameter (slot, value);
        EXPECT_FLOAT_EQ (plugin->getParameter (slot), value) << slot;
    }

    plugin->process (512);
    EXPECT_TRUE (plugin->getAutomation().empty());
}

TEST (KelvanorPlugin, ChunkRestoresIntoASecondInstance)
{
    ScopedPluginHome home;
    const auto first = openKelvanor();
    first->setParameter (2, 0.125f);
    first->setParameter (23, 0.625f);
    first->setParameter (34, 0.25f);
    const auto chunk = first->getChunk();
    ASSERT_GT (chunk.getSize(), 0u);

    const auto second = openKelvanor();
    ASSERT_NE (second->getChunk(), chunk);
    second->setChunk (chunk); // the wrapper answers 0 whether or not it took the chunk

    const auto original = chunkDocument (chunk);
    const auto restored = chunkDocument (second->getChunk());
    ASSERT_NE (original, nullptr);
    ASSERT_NE (restored, nullptr);
    expectSameState (*restored, *original);
    EXPECT_FLOAT_EQ (second->getParameter (2), 0.125f);
    EXPECT_FLOAT_EQ (second->getParameter (34), 0.25f);
}

TEST (KelvanorPlugin, ProgramChunkHoldsTheSoundPlayedAndLoadsItIntoASecondInstance)
{
    ScopedPluginHome home; // presets stored on demand: the changes below are not stored
    const auto first = openKelvanor();
    first->setParameter (2, 0.61f);
    first->setParameter (5, 0.2f);
    auto chunk = getProgramChunk (*first);

    const auto second = openKelvanor();
    second->dispatch (effSetChunk, 1, (VstIntPtr) chunk.getSize(), chunk.getData());
    for (int slot = 0; slot < 33; ++slot)
        EXPECT_NEAR (second->getParameter (slot), first->getParameter (slot), 1.0e-6) << slot;
    EXPECT_EQ (getProgramChunk (*second), chunk) << "the same preset, its name too";
}

TEST (KelvanorPlugin, ClosesTwoInstancesInEitherOrder)
{
    ScopedPluginHome home;

    for (const bool firstOpenedClosesFirst : {true, false})
    {
        auto a = openKelvanor();
        auto b = openKelvanor();
        render (*a, 1024);
        render (*b, 1024);

        if (firstOpenedClosesFirst)
        {
            a->close();
            render (*b, 1024);
            b->close();
        }
        else
        {
            b->close();
            render (*a, 1024);
            a->close();
        }
    }

    // Everything was released: the library loads and plays again.
    const auto again = openKelvanor();
    EXPECT_TRUE (again->isOpen());
    EXPECT_EQ (render (*again, 2048).size(), 2048u);
}

TEST (KelvanorPlugin, PlayedNotesReachTheHostAsMidiOnChannelOne)
{
    ScopedPluginHome home (false);
    const auto plugin = openKelvanor();
    render (*plugin, 512);
    plugin->clearRecordings();

    const auto start = plugin->getRenderPosition();
    plugin->addMidiEvent (juce::MidiMessage::noteOn (7, 40, (juce::uint8) 99), 100);
    plugin->addMidiEvent (juce::MidiMessage::noteOff (7, 40), 400);
    plugin->process (512);

    const auto out = plugin->getMidiOutput();
    ASSERT_EQ (out.size(), 2u);
    EXPECT_TRUE (out[0].isNoteOn());
    EXPECT_EQ (out[0].getChannel(), 1);
    EXPECT_EQ (out[0].getNoteNumber(), 40);
    EXPECT_EQ (out[0].getVelocity(), 99);
    EXPECT_EQ ((juce::int64) out[0].getTimeStamp(), start + 100);
    EXPECT_TRUE (out[1].isNoteOff());
    EXPECT_EQ ((juce::int64) out[1].getTimeStamp(), start + 400);
}

TEST (KelvanorPlugin, SurvivesHostileBlocksAndValues)
{
    ScopedPluginHome home (false);
    const auto plugin = openKelvanor (44100.0, 256);

    plugin->setParameter (2, std::numeric_limits<float>::quiet_NaN());
    plugin->setParameter (3, std::numeric_limits<float>::infinity());
    plugin->setParameter (200, 0.5f);
    plugin->addMidiEvent (juce::MidiMessage::noteOn (1, 36, (juce::uint8) 127), 0);
    for (const int size : {1, 8192, 3, 4096})
    {
        const auto& out = plugin->process (size);
        for (int i = 0; i < size; ++i)
            ASSERT_TRUE (std::isfinite (out.getSample (0, i)));
    }
}
