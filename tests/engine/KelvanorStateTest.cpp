#include "KelvanorTestHarness.h"
#include "framework/XmlHelpers.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
juce::StringArray childTags (const juce::XmlElement& xml)
{
    juce::StringArray tags;
    for (const auto* child : xml.getChildIterator())
        tags.add (child->getTagName());
    return tags;
}

std::unique_ptr<juce::XmlElement> parse (const juce::String& text)
{
    return XmlHelpers::parse (text);
}
/** Everything of a pattern that a state keeps, but the levels, which the files keep to six decimals. */
juce::String describe (const Pattern& pattern)
{
    juce::String text = pattern.getName() + " " + juce::String (pattern.getLength()) + " " +
                        juce::String (pattern.getShuffle()) + " " + juce::String (pattern.getTempo());

    for (int i = 0; i < pattern.getLength(); ++i)
    {
        const auto& s = pattern.getStep (i);
        text << " " << s.getMidiNote() << ":" << (int) s.gate << (int) s.accent << (int) s.slide;
        for (const double level : {(double) s.gateLevel, (double) s.accentLevel, (double) s.slideLevel})
            text << "," << juce::roundToInt (level * 1000.0);
    }

    return text;
}

/** The old whole-state chunk, filled field by field as the old version wrote it. */
struct LegacyChunk
{
    std::vector<juce::uint8> bytes = std::vector<juce::uint8> (Kelvanor::legacyStateSize, 0);

    void putInt (size_t offset, juce::int32 value)
    {
        const auto bits = juce::ByteOrder::swapIfBigEndian ((juce::uint32) value);
        std::memcpy (bytes.data() + offset, &bits, 4);
    }

    void putFloat (size_t offset, float value) { putInt (offset, std::bit_cast<juce::int32> (value)); }

    void putPresetName (int preset, const char* name)
    {
        std::memcpy (bytes.data() + (size_t) preset * 128 + 96, name, std::strlen (name));
    }

    /** Ten ints per step: unused, gate level, gate, accent level, accent, slide level, slide, note, octave
       down, octave up. */
    void putStep (int pattern, int step, std::array<juce::int32, 10> fields)
    {
        for (size_t i = 0; i < fields.size(); ++i)
            putInt (16384 + (size_t) pattern * 652 + (size_t) step * 40 + i * 4, fields[i]);
    }

    void putLength (int pattern, juce::int32 length)
    {
        putInt (16384 + (size_t) pattern * 652 + 640, length);
    }
};

struct StateHarness : KelvanorHarness
{
    void restore (const LegacyChunk& chunk)
    {
        processor->setStateInformation (chunk.bytes.data(), (int) chunk.bytes.size());
    }

    void applyState (const juce::String& children)
    {
        processor->applyStateXml (
            *parse ("<PluginState application=\"Kelvanor\">" + children + "</PluginState>"));
    }

    void applyEdition (const juce::String& children)
    {
        applyState ("<InternalSequencer><EditionState>" + children + "</EditionState></InternalSequencer>");
    }
};
} // namespace

//==============================================================================
TEST (KelvanorState, ChildrenComeInTheirOrder)
{
    StateHarness h;
    const auto state = h.processor->createStateXml();

    EXPECT_EQ (childTags (*state).joinIntoString (" "),
               "InternalSettings InternalSequencer ParametersState PresetsState MidiControlMap");

    const auto* sequencer = state->getChildByName ("InternalSequencer");
    EXPECT_EQ (
        childTags (*sequencer).joinIntoString (" "),
        "IntSeq IntSync HostMode NoteOff SelfReset PattWriteMode AutoFollow PatternsState EditionState");

    const auto* settings = state->getChildByName ("InternalSettings");
    EXPECT_EQ (XmlHelpers::toSingleLine (*settings),
               "<InternalSettings><AccentVelocityLevel value=\"medium\"/>"
               "<OscillatorTuning value=\"accurate\"/></InternalSettings>");
}

TEST (KelvanorState, RoundTripIntoAFreshInstance)
{
    StateHarness a;
    auto& p = *a.processor;

    p.setAccentVelocityLevel (Kelvanor::highAccentLevel);
    p.setOscillatorTuning (Kelvanor::vintageTuning);
    p.setSelfReset (true);
    p.setPatternTempo (95, 87.3);
    p.setPatternShuffle (40, 33);
    p.setPatternName (61, "Wobble");

    a.fire (46);   // bank 3
    a.fire (20);   // D: chain 1..1
    a.fire (38);   // G with Ctrl: chain 1..4
    a.fire (2001); // internal sync
    a.fire (2004); // write mode, editing pattern 17
    p.selectEditedStep (6);
    a.fire (45); // accent on step 7 of pattern 17

    juce::MemoryBlock block;
    p.getStateInformation (block);
    StateHarness b;
    b.processor->setStateInformation (block.getData(), (int) block.getSize());
    const auto& q = *b.processor;

    EXPECT_EQ (q.getAccentVelocityLevel(), Kelvanor::highAccentLevel);
    EXPECT_EQ (b.parameter (Kelvanor::accentVelocityLevelId), 1.0f);
    EXPECT_EQ (q.getOscillatorTuning(), Kelvanor::vintageTuning);
    EXPECT_TRUE (q.isSelfResetOn());
    EXPECT_EQ (b.parameter (Kelvanor::selfResetStateId), 1.0f);
    EXPECT_TRUE (q.isWriteModeOn());
    EXPECT_TRUE (q.isInternalSyncOn());

    for (int i = 0; i < Kelvanor::numPatterns; ++i)
        ASSERT_EQ (describe (q.getPattern (i)), describe (p.getPattern (i))) << i;
    EXPECT_EQ (q.getPatternName (61), "Wobble");

    EXPECT_EQ (std::tuple (q.getEditedPattern(), q.getEditedStep(), q.getChainFirst(), q.getChainLast(),
                           q.getChainBank(), q.getSelectedBank(), q.getPlayingPattern()),
               std::tuple (17, 6, 1, 4, 2, 2, 17));
}

// Each switch comes back as it was saved, whatever the others made of it: write mode and auto follow are
// stored as switches, not as the editing and following they amount to while the other switches stand.
TEST (KelvanorState, RestoresEverySwitchAsSaved)
{
    struct SwitchCase
    {
        const char* name;
        std::vector<int> events;
    };
    const SwitchCase cases[] = {
        {"follow on, write off", {}},
        {"follow off, write off",
         {Seq::togglePatternWriteModeEvent, Seq::toggleAutoFollowModeEvent,
          Seq::togglePatternWriteModeEvent}},
        {"host on, write off", {Seq::toggleHostModeEvent}},
        {"host on, follow off", {Seq::toggleHostModeEvent, Seq::toggleAutoFollowModeEvent}},
        {"write on, follow off", {Seq::togglePatternWriteModeEvent, Seq::toggleAutoFollowModeEvent}},
        {"write on, sequencer off", {Seq::togglePatternWriteModeEvent, Seq::toggleInternalSequencerEvent}}};

    const auto switches = [] (const Kelvanor& p)
    {
        return std::vector<bool>{p.isInternalSequencerOn(), p.isInternalSyncOn(), p.isHostModeOn(),
                                 p.isNoteOffModeOn(),       p.isWriteModeOn(),    p.isAutoFollowOn()};
    };
    // What the panel shows: the sequencer's states and the keys' lights.
    const auto shown = [] (const StateHarness& h)
    {
        std::vector<float> values;
        for (int id = Kelvanor::selfResetStateId; id <= Kelvanor::stepValuesEditionStateId; ++id)
            values.push_back (h.parameter (id));
        for (int id = Seq::internalSequencerStateId; id <= Seq::lastSequencerParameterId; ++id)
            values.push_back (h.parameter (id));
        return values;
    };

    for (const auto& c : cases)
    {
        StateHarness a;
        for (const int uid : c.events)
            a.fire (uid);

        juce::MemoryBlock block;
        a.processor->getStateInformation (block);
        StateHarness b;
        b.processor->setStateInformation (block.getData(), (int) block.getSize());

        EXPECT_EQ (switches (*b.processor), switches (*a.processor)) << c.name;
        EXPECT_EQ (shown (b), shown (a)) << c.name;

        // Where a switch came back wrong, the panel shows it once another one changes.
        for (auto* h : {&a, &b})
            h->fire (Seq::toggleHostModeEvent);
        EXPECT_EQ (shown (b), shown (a)) << c.name << ", host mode turned over";
    }
}

// A state without patterns keeps them, and the mode lights follow the state even where the modes stay.
TEST (KelvanorState, StateWithoutPatternsKeepsThemAndRefreshesTheLights)
{
    StateHarness b;
    auto& p = *b.processor;
    p.setPatternName (3, "Kept");
    p.getParameterManager().setParameterBool (IntSeqPlugin::hostModeStateId, false); // a stale light
    b.applyState ("<internalsequencer><HostMode state='on'/><IntSeq state='on'/></internalsequencer>");
    EXPECT_TRUE (p.isHostModeOn());
    EXPECT_EQ (b.parameter (IntSeqPlugin::hostModeStateId), 1.0f);
    EXPECT_EQ (p.getPatternName (3), "Kept");
}

TEST (KelvanorState, EditionStateIsLimitedToItsRanges)
{
    StateHarness h;
    auto& p = *h.processor;

    const auto edition = [&p]
    {
        return std::tuple (p.getChainFirst(), p.getChainLast(), p.getChainBank(), p.getSelectedBank(),
                           p.getPlayingPattern(), p.getEditedPattern(), p.getEditedStep());
    };
    h.applyEdition ("<EditedStep value='20'/><ChainPatterns first='5' last='2' bank='1'/>");
    EXPECT_EQ (edition(), std::tuple (2, 5, 1, 1, 10, 10, 15));

    // chain first, last, bank, edited step
    for (const auto& [xml, first, last, bank, step] :
         {std::tuple{"<chainpatterns first='-3' last='99999999999999999999' bank='7'/>", 0, 7, 2, 15},
          {"<ChainPatterns first='x' last='1.5' bank='-1'/><EditedStep value='-4'/>", 0, 7, 0, 0},
          {"<EditedStep value='abc'/><Unknown value='3'/>", 0, 7, 0, 0},
          {"<EditedStep value='2147483648'/>", 0, 7, 0, 15}})
    {
        h.applyEdition (xml);
        const auto [f, l, b, selected, playing, edited, s] = edition();
        EXPECT_EQ (std::tuple (f, l, b, s), std::tuple (first, last, bank, step)) << xml;
        EXPECT_TRUE (edited >= 0 && edited < Kelvanor::numBankPatterns) << xml;
    }
}

TEST (KelvanorState, InternalSettingsValuesAreComparedExactly)
{
    StateHarness h;
    auto& p = *h.processor;

    h.applyState ("<internalsettings><ACCENTVELOCITYLEVEL value=\"low\"/>"
                  "<OscillatorTuning value=\"battery low\"/></internalsettings>");
    EXPECT_EQ (p.getAccentVelocityLevel(), Kelvanor::lowAccentLevel);
    EXPECT_EQ (p.getOscillatorTuning(), Kelvanor::batteryLowTuning);
    EXPECT_EQ (h.parameter (Kelvanor::oscillatorTuningTypeId), 1.0f);

    h.applyState ("<InternalSettings><AccentVelocityLevel value=\"High\"/><OscillatorTuning value=\"2\"/>"
                  "<OscillatorTuning/></InternalSettings>");
    EXPECT_EQ (p.getAccentVelocityLevel(), Kelvanor::lowAccentLevel);
    EXPECT_EQ (p.getOscillatorTuning(), Kelvanor::batteryLowTuning);

    // Another product's state is not read at all.
    p.applyStateXml (*parse ("<PluginState application=\"Other\"><InternalSettings>"
                             "<AccentVelocityLevel value=\"high\"/></InternalSettings></PluginState>"));
    EXPECT_EQ (p.getAccentVelocityLevel(), Kelvanor::lowAccentLevel);
}

TEST (KelvanorState, UserSettingsCarryTheDefaultsToTheNextStart)
{
    TemporaryFolder folder;
    BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"), folder.getChildFile ("common"));

    {
        Kelvanor first;
        first.runLateInitialisation();
        first.setDefaultAccentVelocityLevel (Kelvanor::highAccentLevel);
        first.setDefaultOscillatorTuning (Kelvanor::vintageTuning);
        first.setDefaultSelfReset (true);
        first.setDefaultOscillatorTuning (7); // refused
        first.setDefaultInternalSync (true);
        first.setDefaultNoteOffMode (false);
        first.setHostPlayDetection (IntSeqPlugin::byLowestCNoteOn);
        first.setUserDefinedPatternsFile (folder.getChildFile ("mine.klptrb"));

        const auto settings = first.createUserSettingsXml();
        EXPECT_EQ (childTags (*settings)[childTags (*settings).size() - 1], "InternalSettings");
        const auto* sequencer = settings->getChildByName ("InternalSequencer");
        EXPECT_EQ (childTags (*sequencer).joinIntoString (" "),
                   "IntSeq IntSync HostMode NoteOff SelfReset HostPlayDetection");
        EXPECT_EQ (childTags (*settings->getChildByName ("ResourcesSettings"))[1], "Patterns");

        // Reading settings changes the defaults only.
        first.readUserSettings (
            *parse ("<UserSettings application=\"Kelvanor\"><InternalSettings>"
                    "<AccentVelocityLevel value=\"low\"/></InternalSettings></UserSettings>"));
        EXPECT_EQ (first.getDefaultAccentVelocityLevel(), Kelvanor::lowAccentLevel);
        EXPECT_EQ (first.getAccentVelocityLevel(), Kelvanor::mediumAccentLevel);
        first.setDefaultAccentVelocityLevel (Kelvanor::highAccentLevel);
    }

    {
        Kelvanor second;
        second.runLateInitialisation();
        EXPECT_EQ (second.getAccentVelocityLevel(), Kelvanor::highAccentLevel);
        EXPECT_EQ (second.getOscillatorTuning(), Kelvanor::vintageTuning);
        EXPECT_TRUE (second.isSelfResetOn());
        EXPECT_EQ (second.getParameterManager().getParameterValue (Kelvanor::selfResetStateId), 1.0f);
        EXPECT_TRUE (second.isInternalSyncOn());
        EXPECT_FALSE (second.getDefaultNoteOffMode());
        EXPECT_EQ (second.getHostPlayDetection(), IntSeqPlugin::byLowestCNoteOn);
        EXPECT_EQ (second.getDefaultPatternsChoice(), IntSeqPlugin::userDefinedPatterns);
        EXPECT_EQ (second.getUserDefinedPatternsFile(), folder.getChildFile ("mine.klptrb"));
    }

    // Values compare with their letter case (only "on" is on); another product's settings are not read.
    {
        Kelvanor fresh;
        fresh.readUserSettings (*parse (
            "<USERSETTINGS application='kelvanor'><internalsequencer><hostplaydetection "
            "type='bylowestcnoteon'/><intseq state='OFF'/><NOTEOFF state='yes'/></internalsequencer>"
            "<ResourcesSettings><Patterns default='ClearPatterns'/></ResourcesSettings></USERSETTINGS>"));
        EXPECT_EQ (fresh.getHostPlayDetection(), IntSeqPlugin::byTransportChange);
        EXPECT_FALSE (fresh.getDefaultInternalSequencer() || fresh.getDefaultNoteOffMode());
        EXPECT_EQ (fresh.getDefaultPatternsChoice(), IntSeqPlugin::factoryPatterns);
        fresh.readUserSettings (*parse ("<UserSettings application='Other'><InternalSequencer><IntSync "
                                        "state='on'/></InternalSequencer></UserSettings>"));
        EXPECT_FALSE (fresh.getDefaultInternalSync());
    }

    pumpMessages();
    BasePlugin::overrideApplicationDataFolders ({}, {});
}

//==============================================================================
TEST (KelvanorState, LegacyChunkImportsPresetsPatternsAndModes)
{
    StateHarness h;
    auto& p = *h.processor;
    p.setPatternTempo (3, 133.3);
    p.setPatternShuffle (3, 40);

    LegacyChunk chunk;
    chunk.putFloat (0, 6.5f);      // tuning: a quarter of the way up
    chunk.putFloat (4, 0.25f);     // cutoff
    chunk.putFloat (19 * 4, 1.0f); // waveform, stored the other way round
    chunk.putPresetName (0, "Acid Line");
    chunk.putPresetName (127, "Last");

    chunk.putLength (3, 5);
    chunk.putStep (3, 0, {0, 127, 1, 0, 0, 0, 0, 7, 0, 1});
    chunk.putStep (3, 1, {9, 0, 0, 64, 1, 0, 2, 12, 1, 1});
    chunk.putLength (4, 40);

    chunk.putFloat (99848, 0.25f);
    chunk.putFloat (99852, 0.5f);
    chunk.putFloat (99856, 0.75f);
    chunk.putFloat (99860, 1.0f); // internal clock
    chunk.putFloat (99864, 0.0f); // sequencer off
    chunk.putFloat (99876, 3.0f / 7.0f);
    chunk.putFloat (99880, 0.5f);
    chunk.putInt (99916, 1);
    chunk.putInt (99920, 30);
    chunk.putInt (99924, -4);

    h.restore (chunk);

    EXPECT_EQ (p.getPresetName (0), "Acid Line");
    EXPECT_EQ (p.getPresetName (127), "Last");
    EXPECT_FLOAT_EQ (h.parameter (Kelvanor::tuningId), 0.75f);
    EXPECT_FLOAT_EQ (h.parameter (Kelvanor::cutoffId), 0.25f);
    EXPECT_EQ (h.parameter (Kelvanor::waveformId), 0.0f);

    // Name, length, shuffle and tempo kept, then per step: MIDI note, gate accent slide, levels in
    // thousandths. Only exactly 1 turns a flag on; the length is limited to 16.
    EXPECT_EQ (describe (p.getPattern (3)),
               "Pattern 3 5 40 133.3 55:100,1000,0,0 72:010,0,504,0 36:000,0,0,0 "
               "36:000,0,0,0 36:000,0,0,0");
    EXPECT_EQ (p.getPattern (4).getLength(), 16);

    EXPECT_EQ (h.parameter (Kelvanor::gateThresholdId), 0.25f);
    EXPECT_EQ (h.parameter (Kelvanor::slideThresholdId), 0.75f);
    EXPECT_EQ (std::pair (p.getArpeggiatorChord(), p.getArpeggiatorMode()),
               std::pair (3, (int) Kelvanor::arpeggiatorUp));
    EXPECT_EQ (std::tuple (p.isInternalSequencerOn(), p.isInternalSyncOn(), p.isAutoFollowOn()),
               std::tuple (false, true, true));
    EXPECT_EQ (std::pair (p.getEditedPattern(), p.getEditedStep()), std::pair (23, 0));
}

TEST (KelvanorState, LegacyChunksFullOfGarbageStoreNothingOutOfRange)
{
    juce::Random random (2024);

    for (int round = 0; round < 4; ++round)
    {
        StateHarness h;
        LegacyChunk chunk;

        // NaN floats and -1 everywhere, the largest values, then noise.
        for (auto& byte : chunk.bytes)
            byte = round == 0 ? 0xff : (round == 1 ? 0x7f : (juce::uint8) random.nextInt (256));
        h.restore (chunk);

        auto& p = *h.processor;
        for (int i = 0; i < Kelvanor::numPatterns; ++i)
        {
            const auto& pattern = p.getPattern (i);
            ASSERT_GE (pattern.getLength(), 1);
            ASSERT_LE (pattern.getLength(), 16);

            for (int s = 0; s < Pattern::numSteps; ++s)
            {
                const auto& step = pattern.getStep (s);
                ASSERT_GE (step.getMidiNote(), 24);
                ASSERT_LE (step.getMidiNote(), 72);
                for (const double level :
                     {(double) step.gateLevel, (double) step.accentLevel, (double) step.slideLevel})
                    ASSERT_TRUE (level >= 0.0 && level <= 1.0) << level;
            }
        }

        for (int id = 0; id <= 35; ++id)
        {
            const float value = p.getParameterManager().getParameterNormalised (id);
            ASSERT_TRUE (value >= 0.0f && value <= 1.0f) << "parameter " << id << " round " << round;
        }

        for (int i = 0; i < p.getNumPresets(); ++i)
            for (int v = 0; v < BasePluginOldStyle::numPresetableParameters; ++v)
            {
                const float value = p.getBankPreset (i)->getValue (v);
                ASSERT_TRUE (value >= 0.0f && value <= 1.0f);
            }

        EXPECT_GE (p.getEditedPattern(), 0);
        EXPECT_LT (p.getEditedPattern(), Kelvanor::numPatterns);
        EXPECT_GE (p.getEditedStep(), 0);
        EXPECT_LT (p.getEditedStep(), 16);
        h.processBlock (512);
        EXPECT_TRUE (h.allFinite());
    }
}

TEST (KelvanorState, LegacyProgramChunkReplacesTheCurrentPreset)
{
    StateHarness h;
    auto& p = *h.processor;
    const int current = p.getCurrentPresetIndex();
    const auto otherName = p.getPresetName (current + 1);

    std::vector<juce::uint8> record (128, 0);
    const auto putFloat = [&record] (int index, float value)
    {
        const auto bits = juce::ByteOrder::swapIfBigEndian (std::bit_cast<juce::uint32> (value));
        std::memcpy (record.data() + index * 4, &bits, 4);
    };
    putFloat (3, 0.6f);                                    // env mod
    putFloat (21, 0.0f);                                   // route, stored the other way round
    putFloat (2, std::numeric_limits<float>::quiet_NaN()); // resonance: keeps the template's
    std::memcpy (record.data() + 96, "Squelch\xe9", 8);    // Latin-1

    p.setCurrentProgramStateInformation (record.data(), (int) record.size());

    EXPECT_EQ (p.getPresetName (current), juce::String::fromUTF8 ("Squelch\xc3\xa9"));
    EXPECT_EQ (p.getPresetName (current + 1), otherName);
    EXPECT_FLOAT_EQ (h.parameter (Kelvanor::envModId), 0.6f);
    EXPECT_EQ (h.parameter (Kelvanor::distortionRouteId), 1.0f);
    EXPECT_EQ (h.parameter (Kelvanor::resonanceId), p.getDefaultPreset().getValue (Kelvanor::resonanceId));

    // Any other size is read as the XML form: 127 bytes of garbage change nothing.
    const auto before = p.getPresetName (current);
    p.setCurrentProgramStateInformation (record.data(), 127);
    EXPECT_EQ (p.getPresetName (current), before);
}
