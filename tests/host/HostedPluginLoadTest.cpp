#include "host/HostTestSupport.h"

#include "TestSupport.h"

#include <sys/stat.h>

namespace
{
TEST (HostedPluginLoad, ReportsWhyALibraryFailsAndKeepsNothingOpen)
{
    TemporaryFolder folder;
    const juce::File fake = folder.getChildFile ("Fake.so");
    ASSERT_TRUE (fake.replaceWithText ("not an ELF file"));
    const juce::File fifo = folder.getChildFile ("Fifo.so");
    ASSERT_EQ (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0644), 0);

    const struct
    {
        juce::String path;
        const char* expectedInError;
    } cases[] = {{"/nonexistent/folder/Missing.so", "no such file"},
                 {fake.getFullPathName(), "cannot load"},
                 {fifo.getFullPathName(), "not a regular file"},
                 {KELVANOR_TEST_NOT_A_PLUGIN_PATH, "exports neither VSTPluginMain nor main"},
                 {KELVANOR_TEST_NULL_ENTRY_PATH, "returned no effect"},
                 {KELVANOR_TEST_BAD_MAGIC_PATH, "not a VST 2.4 effect record"}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.path);
        HostedPlugin plugin;
        const juce::String error = plugin.open (juce::File (c.path));

        EXPECT_TRUE (error.contains (c.expectedInError)) << error;
        EXPECT_FALSE (plugin.isOpen());
        EXPECT_EQ (plugin.getEffect(), nullptr);
        EXPECT_EQ (plugin.process (64).getNumChannels(), 0);
        EXPECT_EQ (plugin.getParameterName (0), "");
    }
}

TEST (HostedPluginLoad, ReadsIdentityCountsAndFlagsThroughEitherEntryName)
{
    for (const char* path : {KELVANOR_TEST_SYNTH_PATH, KELVANOR_TEST_MAIN_ENTRY_PATH})
    {
        SCOPED_TRACE (path);
        HostedPlugin plugin;
        ASSERT_EQ (plugin.open (juce::File (path)), "");

        EXPECT_EQ (plugin.dispatch (effVendorSpecific, testSynthHostVersionAtEntry), 2400)
            << "the version query during the entry comes with a null effect";
        EXPECT_EQ (plugin.getEffectName(), "Test Synth");
        EXPECT_EQ (plugin.getVendorString(), "Kelvanor Tests");
        EXPECT_EQ (plugin.getProductString(), "Test Synth");
        EXPECT_EQ (plugin.getVendorVersion(), 7);
        EXPECT_EQ (plugin.getVersion(), 0x10203);
        EXPECT_EQ (plugin.getUniqueId(), testSynthUniqueId);
        EXPECT_EQ (plugin.getVstVersion(), 2400);
        EXPECT_EQ (plugin.getPlugCategory(), kPlugCategSynth);
        EXPECT_EQ (plugin.getNumInputs(), 0);
        EXPECT_EQ (plugin.getNumOutputs(), 2);
        EXPECT_EQ (plugin.getNumParameters(), testSynthNumParameters);
        EXPECT_EQ (plugin.getNumPrograms(), testSynthNumPrograms);
        EXPECT_EQ (plugin.getFlags(), effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth);
        EXPECT_EQ (plugin.canDo ("receiveVstMidiEvent"), 1);
        EXPECT_EQ (plugin.canDo ("bypass"), 0);
    }
}

TEST (HostedPluginParameters, GiveNamesLabelsAndDisplaysAndGuardIndexes)
{
    HostedPlugin plugin;
    ASSERT_EQ (plugin.open (testSynthFile()), "");
    plugin.setParameter (1, 0.75f);

    const struct
    {
        int index;
        const char *name, *label, *display;
    } expected[] = {{0, "Gain", "", "1.000"},
                    {1, "Detune", "cents", "0.750"},
                    {2, "Attack", "ms", "0.000"},
                    {3, "Release", "ms", "0.250"},
                    {4, "", "", ""},
                    {-1, "", "", ""}};

    for (const auto& e : expected)
    {
        SCOPED_TRACE (e.index);
        EXPECT_EQ (plugin.getParameterName (e.index), e.name);
        EXPECT_EQ (plugin.getParameterLabel (e.index), e.label);
        EXPECT_EQ (plugin.getParameterDisplay (e.index), e.display);
    }
    EXPECT_FLOAT_EQ (plugin.getParameter (1), 0.75f);
    EXPECT_EQ (plugin.getParameter (99), 0.0f);

    // Programs: only existing ones are selected.
    plugin.setProgram (2);
    plugin.setProgram (3);
    EXPECT_EQ (plugin.getProgram(), 2);
    EXPECT_EQ (plugin.getProgramName(), "Loud");
    EXPECT_EQ (plugin.getProgramNameIndexed (1), "Soft");
    EXPECT_EQ (plugin.getProgramNameIndexed (3), "");
}

TEST (HostedPluginInstances, RecordAutomationAtTheirOwnRenderPosition)
{
    HostedPlugin first, second;
    ASSERT_EQ (first.open (testSynthFile()), "");
    ASSERT_EQ (second.open (testSynthFile()), "");
    second.setBlockSize (100);
    second.resume();
    second.process (1000);

    first.dispatch (effVendorSpecific, testSynthTurnKnob, 2, nullptr, 0.25f);
    second.dispatch (effVendorSpecific, testSynthTurnKnob, 3, nullptr, 0.5f);
    second.process (24);
    second.dispatch (effVendorSpecific, testSynthTurnKnob, 0, nullptr, 0.9f);

    const auto a = first.getAutomation(), b = second.getAutomation();
    ASSERT_EQ (a.size(), 1u);
    EXPECT_EQ (std::make_tuple (a[0].renderSample, a[0].index, a[0].value), std::make_tuple (0ll, 2, 0.25f));
    ASSERT_EQ (b.size(), 2u);
    EXPECT_EQ (std::make_tuple (b[0].renderSample, b[0].index, b[0].value),
               std::make_tuple (1000ll, 3, 0.5f));
    EXPECT_EQ (std::make_tuple (b[1].renderSample, b[1].index, b[1].value),
               std::make_tuple (1024ll, 0, 0.9f));
    EXPECT_FLOAT_EQ (second.getParameter (3), 0.5f);

    second.clearRecordings();
    EXPECT_TRUE (second.getAutomation().empty());

    // Closing one leaves the other answering.
    first.close();
    second.process (100);
    EXPECT_NE (timeInfoSeenBy (second), nullptr);
}

TEST (HostedPluginHost, AnswersCanDoQueries)
{
    const struct
    {
        const char* feature;
        int answer;
    } cases[] = {
        {"sendVstEvents", 1}, {"sendVstMidiEvent", 1},  {"sendVstTimeInfo", 1},    {"receiveVstEvents", 1},
        {"sizeWindow", -1},   {"openFileSelector", -1}, {"somethingUnheardOf", 0}, {"", 0},
        {nullptr, 0}};

    for (const auto& c : cases)
        EXPECT_EQ (HostedPlugin::hostCanDo (c.feature), c.answer)
            << (c.feature != nullptr ? c.feature : "null");
}
} // namespace
