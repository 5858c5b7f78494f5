#include "host/HostTestSupport.h"

#include "TestSupport.h"

namespace
{
struct LoadFailureCase
{
    const char* description;
    const char* path;
    const char* expectedInError;
};

void PrintTo (const LoadFailureCase& c, std::ostream* os)
{
    *os << c.description;
}

class HostedPluginLoadFailure : public ::testing::TestWithParam<LoadFailureCase>
{
};

TEST_P (HostedPluginLoadFailure, ReportsWhyAndKeepsNothingOpen)
{
    const LoadFailureCase& c = GetParam();
    HostedPlugin plugin;

    const juce::String error = plugin.open (juce::File (c.path));

    EXPECT_TRUE (error.contains (c.expectedInError)) << c.description << ": " << error;
    EXPECT_FALSE (plugin.isOpen());
    EXPECT_EQ (plugin.getEffect(), nullptr);
    EXPECT_EQ (plugin.process (64).getNumChannels(), 0);
    EXPECT_EQ (plugin.getParameterName (0), "");
}

INSTANTIATE_TEST_SUITE_P (
    Libraries, HostedPluginLoadFailure,
    ::testing::Values (LoadFailureCase{"missing file", "/nonexistent/folder/Missing.so", "no such file"},
                       LoadFailureCase{"library without entry", KELVANOR_TEST_NOT_A_PLUGIN_PATH,
                                       "exports neither VSTPluginMain nor main"},
                       LoadFailureCase{"entry returns null", KELVANOR_TEST_NULL_ENTRY_PATH,
                                       "returned no effect"},
                       LoadFailureCase{"entry returns a record with a bad magic number",
                                       KELVANOR_TEST_BAD_MAGIC_PATH, "not a VST 2.4 effect record"}));

TEST (HostedPluginLoad, RejectsAFileThatIsNoLibrary)
{
    TemporaryFolder folder;
    const juce::File fake = folder.getChildFile ("Fake.so");
    ASSERT_TRUE (fake.replaceWithText ("not an ELF file"));

    HostedPlugin plugin;
    EXPECT_TRUE (plugin.open (fake).startsWith ("cannot load"));
    EXPECT_FALSE (plugin.isOpen());
}

TEST (HostedPluginLoad, FallsBackToTheOldEntryNameMain)
{
    HostedPlugin plugin;
    ASSERT_EQ (plugin.open (juce::File (KELVANOR_TEST_MAIN_ENTRY_PATH)), "");
    EXPECT_EQ (plugin.getEffectName(), "Test Synth");
}

TEST (HostedPluginLoad, ReadsIdentityCountsAndFlags)
{
    HostedPlugin plugin;
    ASSERT_EQ (plugin.open (testSynthFile()), "");

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

TEST (HostedPluginLoad, AnswersTheVersionQueryMadeWithANullEffectDuringEntry)
{
    HostedPlugin plugin;
    ASSERT_EQ (plugin.open (testSynthFile()), "");
    EXPECT_EQ (plugin.dispatch (effVendorSpecific, testSynthHostVersionAtEntry), 2400);
}

TEST (HostedPluginParameters, GivesNamesLabelsAndDisplaysAndGuardsIndexes)
{
    HostedPlugin plugin;
    ASSERT_EQ (plugin.open (testSynthFile()), "");
    plugin.setParameter (1, 0.75f);

    const struct
    {
        int index;
        const char* name;
        const char* label;
        const char* display;
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
}

TEST (HostedPluginPrograms, SelectsOnlyExistingPrograms)
{
    HostedPlugin plugin;
    ASSERT_EQ (plugin.open (testSynthFile()), "");

    plugin.setProgram (2);
    EXPECT_EQ (plugin.getProgram(), 2);
    EXPECT_EQ (plugin.getProgramName(), "Loud");

    plugin.setProgram (3);
    EXPECT_EQ (plugin.getProgram(), 2);
    EXPECT_EQ (plugin.getProgramNameIndexed (1), "Soft");
    EXPECT_EQ (plugin.getProgramNameIndexed (3), "");
}

TEST (HostedPluginInstances, RouteCallbacksToTheirOwnHost)
{
    HostedPlugin first;
    HostedPlugin second;
    ASSERT_EQ (first.open (testSynthFile()), "");
    ASSERT_EQ (second.open (testSynthFile()), "");
    second.setBlockSize (100);
    second.resume();
    second.process (100);

    first.dispatch (effVendorSpecific, testSynthTurnKnob, 2, nullptr, 0.25f);
    second.dispatch (effVendorSpecific, testSynthTurnKnob, 3, nullptr, 0.5f);

    ASSERT_EQ (first.getAutomation().size(), 1u);
    EXPECT_EQ (first.getAutomation()[0].index, 2);
    EXPECT_EQ (first.getAutomation()[0].renderSample, 0);
    ASSERT_EQ (second.getAutomation().size(), 1u);
    EXPECT_EQ (second.getAutomation()[0].index, 3);
    EXPECT_FLOAT_EQ (second.getAutomation()[0].value, 0.5f);
    EXPECT_EQ (second.getAutomation()[0].renderSample, 100);
    EXPECT_FLOAT_EQ (second.getParameter (3), 0.5f);

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
