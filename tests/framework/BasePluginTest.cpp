#include "framework/BasePlugin.h"
#include "SilentTestPlugin.h"
#include "framework/XmlHelpers.h"
#include "vst/AudioProcessorEditor.h"

#include "TestSupport.h"

#include <csignal>
#include <gtest/gtest.h>
#include <limits>
#include <sys/resource.h>
#include <thread>
#include <utility>
#include <vector>

namespace
{
const char* const parameterTable = R"(
<PluginParameters application="TestSynth">
  <param index="0" name="Cutoff" value="0.5" auto="true"/>
  <param index="1" name="Resonance" value="0.5" auto="true"/>
  <param index="2" name="Drive" value="0" auto="true"/>
  <param index="3" name="Mode" value="0"/>
  <param index="10" name="Quality" type="int" min="0" max="3" value="0"/>
  <param index="11" name="Default Quality" type="int" min="0" max="3" value="1"/>
</PluginParameters>)";

/** A plug-in with a small table of its own, 36 host slots and a realtime quality (10) with its default (11),
    whose hooks log what the base calls them with. */
class TestPlugin : public SilentTestPlugin
{
public:
    TestPlugin()
    {
        getParameterManager().loadFromXml (*XmlHelpers::parse (juce::String (parameterTable)));
        getParameterManager().addListenerToAll (this);
    }

    juce::String getProductName() const override { return "TestSynth"; }
    juce::String getFilePrefix() const override { return "TS"; }
    int getNumHostParameters() const override { return numHostSlots; }
    int getRealtimeQualityParameterId() const override { return 10; }
    int getDefaultRealtimeQualityParameterId() const override { return 11; }
    bool shouldLoadStateDump() const override { return loadsDump; }
    juce::File getUserSettingsFile() const override
    {
        return settingsFile != juce::File() ? settingsFile : BasePlugin::getUserSettingsFile();
    }

    void readUserSettings (const juce::XmlElement& root) override { log.add ("read " + root.getTagName()); }
    void processingQualityChanged() override { log.add ("quality"); }
    void userSettingsWritten (juce::XmlElement* root) override { root->createNewChildElement ("Layer"); }
    void applyStateXml (const juce::XmlElement& xml) override
    {
        log.add ("apply " + XmlHelpers::toSingleLine (xml));
    }
    void nonRealtimeModeChanged (bool isNonRealtime) override
    {
        log.add (isNonRealtime ? "offline" : "realtime");
    }

    std::unique_ptr<Preset> createPresetForFile (PresetCollection*, const juce::File&) override
    {
        auto preset = std::make_unique<Preset>();
        preset->addParameterValue (getParameterManager().getParameter (0));
        return makesPresets ? std::move (preset) : nullptr;
    }

    std::unique_ptr<juce::Component> createGuiController() override
    {
        struct Editor : juce::Component, juce::Timer
        {
            Editor() { setSize (320, 200); }
            void timerCallback() override {}
        };
        return makesEditor ? std::make_unique<Editor>() : nullptr;
    }

    using BasePlugin::setCurrentPresetCollection;
    Parameter& parameter (int id) { return *getParameterManager().getParameter (id); }

    /** "slot:parameter id" of every occupied slot. */
    juce::String slots() const
    {
        juce::StringArray list;
        for (int slot = 0; slot < maxHostParameters; ++slot)
            if (const auto* p = getHostParameter (slot))
                list.add (juce::String (slot) + ":" + juce::String (p->getId()));
        return list.joinIntoString (" ");
    }

    /** The settings that the user settings file carries. */
    juce::String settings()
    {
        auto& midi = getMidiControl();
        const auto yesNo = [] (bool b) { return juce::String (b ? "yes" : "no"); };
        return getAuthorName() + "|" + yesNo (midi.isDefaultMapInUse()) + "|" +
               midi.getDefaultMapFile().getFileName() + "|" + yesNo (isHostMapDefault()) + "|" +
               getHostMapFile() + "|" + parameter (10).getValueText();
    }

    juce::String takeLog()
    {
        const auto text = log.joinIntoString (",");
        log.clear();
        return text;
    }

    int numHostSlots = 36;
    bool makesPresets = false, makesEditor = false, loadsDump = false;
    juce::File settingsFile;
    juce::StringArray log;
};

using Processor = juce::AudioProcessor;

/** What the host wrapper and the plug-in's own listeners hear, in order: "slot=value" for a change,
    "+slot" and "-slot" for gestures, "display" and the notices by name. */
struct Recorder : public juce::AudioProcessorListener, public BasePlugin::Listener
{
    void audioProcessorParameterChanged (Processor*, int i, float v) override { add (i, "=", v); }
    void audioProcessorChanged (Processor*) override { add ("display"); }
    void audioProcessorParameterChangeGestureBegin (Processor*, int i) override { add ("+", i); }
    void audioProcessorParameterChangeGestureEnd (Processor*, int i) override { add ("-", i); }
    void stateRestored (BasePlugin*) override { add ("restored"); }
    void stateSaved (BasePlugin*) override { add ("saved"); }
    void playbackPrepared (BasePlugin*) override { add ("prepared"); }
    void processingModeChanged (BasePlugin*, int mode) override { add ("mode ", mode); }
    void currentPresetChanged (PresetCollection*) override { add ("preset"); }

    template <typename... Parts>
    void add (const Parts&... parts)
    {
        events.add ((juce::String() + ... + juce::String (parts)));
    }
    juce::String take()
    {
        const auto list = events.joinIntoString (",");
        events.clear();
        return list;
    }
    juce::StringArray events;
};

juce::String childTags (const juce::XmlElement& xml)
{
    juce::StringArray tags;
    for (const auto* child : xml.getChildIterator())
        tags.add (child->getTagName());
    return tags.joinIntoString (",");
}

class BasePluginTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pumpMessages();
        BasePlugin::overrideApplicationDataFolders (dataFolder.getChildFile ("user"),
                                                    dataFolder.getChildFile ("common"));
        plugin.addListener (static_cast<juce::AudioProcessorListener*> (&heard));
        plugin.addListener (static_cast<BasePlugin::Listener*> (&heard));
    }

    void TearDown() override
    {
        pumpMessages();
        BasePlugin::overrideApplicationDataFolders ({}, {});
    }

    void writeSettings (const juce::String& text)
    {
        const auto file = plugin.getUserSettingsFile();
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (file.replaceWithText (text));
    }

    juce::String path (const juce::String& name) const
    {
        return dataFolder.getChildFile (name).getFullPathName();
    }

    TemporaryFolder dataFolder; // start-up and settings read the settings folder: never the user's own
    TestPlugin plugin;
    Recorder heard;
};
} // namespace

//==============================================================================
TEST_F (BasePluginTest, SlotsAnswerWithTheirParameterTheHostsValueOrNothing)
{
    plugin.assignHostParameter (5, &plugin.parameter (1));
    plugin.parameter (1).setValueNormalised (0.125f, false);
    EXPECT_EQ (plugin.getParameterName (5), "Resonance");
    EXPECT_EQ (plugin.getParameterText (5), plugin.parameter (1).getValueText());
    EXPECT_FLOAT_EQ (plugin.getParameter (5), 0.125f);

    plugin.setParameter (35, 0.25f);
    EXPECT_FLOAT_EQ (plugin.getParameter (35), 0.25f);
    EXPECT_EQ (plugin.getParameterText (35), "0.25000000");
    EXPECT_EQ (plugin.getParameterName (35), "Parameter 36");

    plugin.setParameter (5, std::numeric_limits<float>::quiet_NaN()); // non-finite values are ignored
    plugin.setParameter (35, std::numeric_limits<float>::infinity());
    EXPECT_FLOAT_EQ (plugin.getParameter (5), 0.125f);
    EXPECT_FLOAT_EQ (plugin.getParameter (35), 0.25f);

    for (const int index : {-1, 36, 128, std::numeric_limits<int>::min()})
    {
        plugin.setParameter (index, 0.75f);
        EXPECT_EQ (plugin.getParameterName (index) + plugin.getParameterText (index), "") << index;
        EXPECT_FLOAT_EQ (plugin.getParameter (index), 0.0f) << index;
        EXPECT_FALSE (plugin.isParameterAutomatable (index)) << index;
    }

    plugin.numHostSlots = 500; // limited to the table
    EXPECT_EQ (plugin.getNumParameters(), BasePlugin::maxHostParameters);
    EXPECT_EQ (plugin.getParameterName (127), "Parameter 128");
    EXPECT_EQ (plugin.getParameterName (128), "");
}

TEST_F (BasePluginTest, HostWriteDoesNotEchoButAGuiChangeDoes)
{
    // A parameter that moves another while the host writes it: the other one's change is news to the host.
    struct Coupling : public Parameter::Listener
    {
        void parameterChanged (Parameter* p) override
        {
            other->setValueNormalised (1.0f - p->getValueNormalised(), true);
        }
        Parameter* other;
    } coupling;
    coupling.other = &plugin.parameter (1);
    plugin.getParameterManager().addListener (0, &coupling);
    plugin.assignHostParameter (4, &plugin.parameter (0));
    plugin.assignHostParameter (1, &plugin.parameter (1));
    EXPECT_EQ (heard.take(), "display,display");

    plugin.setParameter (4, 0.25f);
    EXPECT_FLOAT_EQ (plugin.parameter (0).getValueNormalised(), 0.25f);
    EXPECT_EQ (heard.take(), "1=0.75");

    plugin.parameter (2).setValueNormalised (1.0f, true); // unbound: stays inside
    plugin.parameter (0).setValueNormalised (0.5f, true);
    plugin.parameter (0).beginChangeGesture();
    plugin.parameter (0).endChangeGesture();
    plugin.parameter (2).beginChangeGesture();
    EXPECT_EQ (heard.take(), "1=0.5,4=0.5,+4,-4");
    plugin.parameter (0).removeListener (&coupling);
}

// Only the host's own write stays at home: the editor moving the same parameter on its own thread while
// the host writes is news to the host.
TEST_F (BasePluginTest, AChangeOnAnotherThreadDuringAHostWriteReachesTheHost)
{
    struct EditorMeanwhile : public Parameter::Listener
    {
        void parameterChanged (Parameter* p) override
        {
            if (std::exchange (moved, true))
                return;
            std::thread editor ([p] { p->setValueNormalised (0.875f, true); });
            editor.join();
        }
        bool moved = false;
    } meanwhile;
    plugin.getParameterManager().addListener (0, &meanwhile);
    plugin.assignHostParameter (4, &plugin.parameter (0));
    heard.take();

    plugin.setParameter (4, 0.25f);
    EXPECT_EQ (heard.take(), "4=0.875");
    EXPECT_TRUE (meanwhile.moved);
    plugin.parameter (0).removeListener (&meanwhile);
}

TEST_F (BasePluginTest, SlotAssignmentFreesTheOldSlotAndRefusesWhatItCannotBind)
{
    auto& cutoff = plugin.parameter (0);
    plugin.assignHostParameter (3, &cutoff);
    plugin.assignHostParameter (7, &cutoff);
    plugin.assignHostParameter (2, &plugin.parameter (2));
    plugin.assignHostParameter (2, &plugin.parameter (3)); // not automatable
    EXPECT_EQ (plugin.slots(), "2:2 7:0");
    plugin.setParameter (3, 0.9f);
    EXPECT_FLOAT_EQ (cutoff.getValueNormalised(), 0.5f);

    // A parameter pushed out of its slot by another no longer reaches the host.
    plugin.assignHostParameter (7, &plugin.parameter (1));
    EXPECT_EQ (plugin.getHostParameterSlot (0), -1);
    heard.take();
    cutoff.setValueNormalised (0.9f, true);
    EXPECT_EQ (heard.take(), "");

    // Out of range slots place nothing but still free the old one; so does a parameter that lost its flag.
    plugin.assignHostParameter (1, &cutoff);
    for (const int slot : {-1, 36, 128, 1000})
        plugin.assignHostParameter (slot, &cutoff);
    EXPECT_EQ (plugin.slots(), "2:2 7:1");
    plugin.assignHostParameter (6, &cutoff);
    cutoff.setAutomatable (false);
    plugin.assignHostParameter (8, &cutoff);
    EXPECT_EQ (plugin.slots(), "2:2 7:1");
    EXPECT_EQ (plugin.getHostParameterSlot (0), -1);

    // The page hears every change of the table, the host only of assignments.
    struct : juce::ChangeListener
    {
        void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
        int count = 0;
    } page;
    plugin.getHostParametersChangedBroadcaster().addChangeListener (&page);
    pumpMessages();
    heard.take();
    plugin.assignHostParameter (2, &plugin.parameter (2)); // already there
    plugin.unassignHostParameter (5);                      // already free
    pumpMessages();
    plugin.unassignHostParameter (2);
    pumpMessages();
    plugin.clearHostParameters();
    pumpMessages();
    EXPECT_EQ (page.count, 2);
    EXPECT_EQ (plugin.slots(), "");
    EXPECT_EQ (heard.take(), "");
    plugin.getHostParametersChangedBroadcaster().removeChangeListener (&page);
}

TEST_F (BasePluginTest, HostMapRoundTripCountsSlotsFromOne)
{
    plugin.assignHostParameter (0, &plugin.parameter (1));
    plugin.assignHostParameter (35, &plugin.parameter (0));
    const auto file = dataFolder.getChildFile ("map" + plugin.getHostParametersMapFileExtension());
    ASSERT_TRUE (plugin.saveHostParametersMap (file));
    EXPECT_EQ (file.getFileName(), "map.tshpmap");
    EXPECT_EQ (XmlHelpers::toSingleLine (*XmlHelpers::parse (file)),
               "<HostParametersMap name=\"TestSynth\"><assign hostParam=\"1\" pluginParam=\"Resonance\"/>"
               "<assign hostParam=\"36\" pluginParam=\"Cutoff\"/></HostParametersMap>");

    TestPlugin other;
    other.assignHostParameter (5, &other.parameter (2));
    other.loadHostParametersMap (file);
    EXPECT_EQ (other.slots(), "0:1 35:0"); // an accepted map replaces the whole table
}

TEST_F (BasePluginTest, HostMapBadEntriesAreSkippedAndRefusedMapsKeepTheSlots)
{
    // An entry between "Drive in slot 2" and "Cutoff in slot 10", and the slots afterwards.
    // clang-format off
    const std::pair<const char*, const char*> cases[] { { "", "1:2 9:0" },
        { "<assign hostParam='0' pluginParam='Resonance'/>", "1:2 9:0" }, { "<assign pluginParam='Resonance'/>", "1:2 9:0" },
        { "<assign hostParam='abc' pluginParam='Resonance'/>", "1:2 9:0" },
        { "<assign hostParam='-2147483648' pluginParam='Resonance'/>", "1:2 9:0" },
        { "<assign hostParam='99999999999999' pluginParam='Resonance'/>", "1:2 9:0" },
        { "<assign hostParam='18446744073709551621' pluginParam='Resonance'/>", "1:2 9:0" },
        { "<assign hostParam='5' pluginParam='No Such Parameter'/>", "1:2 9:0" },
        { "<assign hostParam='5' pluginParam='Mode'/>", "1:2 9:0" }, { "<assign hostParam='5' pluginParam='drive'/>", "1:2 9:0" },
        { "<other hostParam='5' pluginParam='Drive'/>", "1:2 9:0" },
        { "<assign hostParam='36' pluginParam='Resonance'/>", "1:2 9:0 35:1" },
        // The same parameter again: it ends in the later slot, or in none when that one is bad.
        { "<ASSIGN hostParam='7' pluginParam='Drive'/>", "6:2 9:0" }, { "<assign hostParam='37' pluginParam='Drive'/>", "9:0" },
        { "<assign hostParam='2' pluginParam=''/>", "9:0" }, { "<assign hostParam='2' pluginParam='Nothing'/>", "9:0" } };
    // clang-format on
    for (const auto& [entry, slots] : cases)
    {
        const auto xml = XmlHelpers::parse (
            "<hostparametersmap name='TESTSYNTH'><assign hostParam='2' pluginParam='Drive'/>" +
            juce::String (entry) + "<assign hostParam='10' pluginParam='Cutoff'/></hostparametersmap>");
        plugin.loadHostParametersMapFromXml (xml.get());
        EXPECT_EQ (plugin.slots(), slots) << entry;
    }

    const auto file = dataFolder.getChildFile ("bad.tshpmap");
    for (const auto* text :
         {"<HostParametersMap name='OtherSynth'/>", "<HostParametersMap/>",
          "<HostParameterMap name='TestSynth'/>",
          "<HostParametersMap name='TestSynth'><assign hostParam='1' pluginParam='Drive'/>"})
    {
        ASSERT_TRUE (file.replaceWithText (text));
        plugin.loadHostParametersMap (file);
        EXPECT_EQ (plugin.slots(), "9:0") << text;
    }
    plugin.loadHostParametersMap (dataFolder.getChildFile ("missing.tshpmap"));
    plugin.loadHostParametersMapFromXml (nullptr);
    EXPECT_EQ (plugin.slots(), "9:0");
    plugin.loadHostParametersMapFromXml (
        XmlHelpers::parse (juce::String ("<HostParametersMap name='TestSynth'/>")).get());
    EXPECT_EQ (plugin.slots(), "");
}

//==============================================================================
TEST_F (BasePluginTest, StateRoundTripAndRestoredNoticesAlsoForUnreadableData)
{
    juce::MemoryBlock chunk;
    plugin.getStateInformation (chunk);
    plugin.setStateInformation (chunk.getData(), (int) chunk.getSize());
    EXPECT_EQ (plugin.takeLog(), "apply <PluginState application=\"TestSynth\"/>");
    EXPECT_EQ (heard.take(), ""); // delivered on the message thread only
    pumpMessages();
    EXPECT_EQ (heard.take(), "restored,saved");

    // A listener may remove itself during a notice; null and duplicates are ignored.
    struct OneShot : public BasePlugin::Listener
    {
        void stateRestored (BasePlugin* p) override
        {
            ++calls;
            p->removeListener (this);
        }
        int calls = 0;
    } oneShot;
    plugin.addListener (&oneShot);
    plugin.addListener (&oneShot);
    plugin.addListener (static_cast<BasePlugin::Listener*> (nullptr));

    const char garbage[] = "VC2!\xff\xff\xff\xffnot xml at all";
    for (int i = 0; i < 2; ++i)
    {
        plugin.setStateInformation (garbage, (int) sizeof (garbage));
        plugin.setStateInformation (nullptr, 0);
        plugin.setStateInformation (garbage, 3);
        pumpMessages();
    }
    EXPECT_EQ (plugin.takeLog(), "");
    EXPECT_EQ (heard.take(), "restored,restored"); // three restores, one notice
    EXPECT_EQ (oneShot.calls, 1);

    EXPECT_TRUE (
        plugin.isStateXml (*XmlHelpers::parse (juce::String ("<pluginstate application='TESTSYNTH'/>"))));
    for (const auto* text : {"<PluginState application='Other'/>", "<PluginState/>"})
        EXPECT_FALSE (plugin.isStateXml (*XmlHelpers::parse (juce::String (text)))) << text;
    EXPECT_FALSE (plugin.isOwnXmlElement (nullptr, "PluginState"));
}

TEST_F (BasePluginTest, PreparingAndOfflineChangesAreNotified)
{
    plugin.prepareToPlay (44100.0, 512);
    EXPECT_TRUE (plugin.isPlaybackPrepared());
    juce::AudioSampleBuffer buffer (2, 16);
    juce::MidiBuffer midi;
    plugin.setNonRealtime (true);
    plugin.processBlock (buffer, midi);
    plugin.processBlock (buffer, midi);
    pumpMessages();
    plugin.setNonRealtime (false);
    plugin.processBlock (buffer, midi);
    plugin.releaseResources();
    pumpMessages();
    EXPECT_EQ (heard.take(), "prepared,mode 2,mode 1");
    EXPECT_EQ (plugin.takeLog(), "offline,realtime");
    EXPECT_FALSE (plugin.isPlaybackPrepared());

    // The host is recognised by its executable's name, case counting.
    for (const auto& [name, isFruityLoops] : {std::pair{"FL64.exe", true},
                                              {"FL Studio", true},
                                              {"fl64.exe", false},
                                              {"ardour-7", false},
                                              {"", false}})
        EXPECT_EQ (BasePlugin::isFruityLoopsHostName (name), isFruityLoops) << name;
}

TEST_F (BasePluginTest, BuiltInEventsAndDebugParameters)
{
    EXPECT_EQ (plugin.getEventsMap().getEventNameForId (1000), "Options");
    EXPECT_EQ (plugin.getEventsMap().getEventNameForId (1010), "Toggle Midi Learn");
    plugin.addDebugParameters();
    const auto* last = plugin.getParameterManager().getParameter (300011);
    ASSERT_NE (last, nullptr);
    EXPECT_EQ (last->getName(), "Debug Parameter 11");
    EXPECT_FALSE (last->isAutomatable());
    EXPECT_EQ (plugin.getEventsMap().getEventNameForId (10011), "Debug Event 11");
}

TEST_F (BasePluginTest, HostWindowsComeAndGoWhileTheEditorStays)
{
    EXPECT_EQ (plugin.createEditor(), nullptr); // no editor yet
    plugin.makesEditor = true;
    plugin.initialiseGuiController();
    auto* editor = plugin.getGuiController();
    ASSERT_NE (editor, nullptr);
    EXPECT_TRUE (dynamic_cast<juce::Timer&> (*editor).isTimerRunning());
    plugin.initialiseGuiController();

    for (int i = 0; i < 2; ++i)
    {
        std::unique_ptr<juce::AudioProcessorEditor> window (plugin.createEditor());
        EXPECT_TRUE (editor->getParentComponent() == window.get() && editor->isVisible());
        EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (320, 200));
        window.reset();
        EXPECT_TRUE (editor->getParentComponent() == nullptr && !editor->isVisible());
        EXPECT_EQ (plugin.getGuiController(), editor);
    }
}

//==============================================================================
TEST_F (BasePluginTest, SettingsSectionsAreReadIgnoringCaseAndOnlyYesMeansYes)
{
    EXPECT_EQ (plugin.getUserSettingsFile(),
               dataFolder.getChildFile ("user/Zeb Group/TestSynth/TestSynth.ini"));
    EXPECT_EQ (plugin.getCommonDataDirectory(), dataFolder.getChildFile ("common/Zeb Group/TestSynth"));
    EXPECT_FALSE (plugin.getUserDataDirectory().exists());

    writeSettings (
        "<usersettings application='testsynth'><PRESETS><author name='Jo Maker'/><Author name='Second'/>"
        "</PRESETS><midicontrolmap default='YES' file='" +
        path ("map.tsccmap") + "'/><HostParametersMap default='Yes' file='" + path ("map.tshpmap") +
        "'/></usersettings>");
    plugin.loadUserSettings();
    EXPECT_EQ (plugin.settings(), "Jo Maker|yes|map.tsccmap|yes|" + path ("map.tshpmap") + "|1");
    EXPECT_EQ (plugin.takeLog(), "read usersettings,quality");

    writeSettings ("<UserSettings application='TestSynth'><MidiControlMap default='true'/>"
                   "<HostParametersMap default='no' file='relative.tshpmap'/></UserSettings>");
    plugin.loadUserSettings();
    EXPECT_EQ (plugin.settings(), "Jo Maker|no||no|relative.tshpmap|1"); // no "file": cleared
}

TEST_F (BasePluginTest, ForeignOrBrokenSettingsAreIgnoredWholeButQualityDefaultsApply)
{
    for (const auto* text :
         {"<UserSettings application='OtherSynth'><Presets><Author name='X'/></Presets></UserSettings>",
          "<Settings application='TestSynth'><Presets><Author name='X'/></Presets></Settings>",
          "<UserSettings application='TestSynth'><Presets><Author name='X'", "", "not xml at all"})
    {
        plugin.setAuthorName ("Kept");
        plugin.parameter (10).setValueInt (3, false);
        writeSettings (text);
        plugin.loadUserSettings();
        EXPECT_EQ (plugin.settings(), "Kept|no||no||1") << text;
        EXPECT_EQ (plugin.takeLog(), "quality") << text;
    }

    // Only the default quality of the "DefaultProcessingQuality" preset is taken, then copied to the one in
    // use.
    writeSettings ("<UserSettings application='TestSynth'>"
                   "<Preset name='DefaultProcessingQuality'><param name='Default Quality' value='2'/>"
                   "<param name='Cutoff' value='0.9'/></Preset>"
                   "<Preset name='Other'><param name='Default Quality' value='3'/></Preset></UserSettings>");
    plugin.loadUserSettings();
    EXPECT_EQ (plugin.parameter (11).getValueInt(), 2);
    EXPECT_EQ (plugin.parameter (10).getValueInt(), 2);
    EXPECT_FLOAT_EQ (plugin.parameter (0).getValue(), 0.5f);
}

TEST_F (BasePluginTest, SettingsAreWrittenInOrderAndReadBack)
{
    plugin.setAuthorName ("Jo Maker");
    plugin.setHostMapDefault (true);
    plugin.saveUserSettings();
    const auto written = XmlHelpers::parse (plugin.getUserSettingsFile());
    ASSERT_NE (written, nullptr);
    EXPECT_TRUE (plugin.isUserSettingsXml (*written));
    EXPECT_EQ (childTags (*written), "Presets,MidiControlMap,HostParametersMap,Preset,Layer");
    EXPECT_FALSE (written->getChildByName ("MidiControlMap")->hasAttribute ("file"));
    EXPECT_FALSE (written->getChildByName ("HostParametersMap")->hasAttribute ("file"));
    EXPECT_TRUE (plugin.getUserSettingsFile().loadFileAsString().startsWith (
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    plugin.getMidiControl().setDefaultMapInUse (true);
    plugin.getMidiControl().setDefaultMapFile (dataFolder.getChildFile ("a.tsccmap"));
    plugin.setHostMapFile (path ("b.tshpmap"));
    plugin.parameter (11).setValueInt (3, false);
    plugin.saveUserSettings();
    TestPlugin fresh;
    fresh.loadUserSettings();
    EXPECT_EQ (fresh.settings(), "Jo Maker|yes|a.tsccmap|yes|" + path ("b.tshpmap") + "|3");
}

TEST_F (BasePluginTest, ASettingsFileThatCannotBeWrittenKeepsTheOldOne)
{
    plugin.settingsFile = dataFolder.getChildFile ("Settings.ini");
    const juce::String oldText =
        "<UserSettings application='TestSynth'><Presets><Author name='Old'/></Presets></UserSettings>";
    ASSERT_TRUE (plugin.settingsFile.replaceWithText (oldText));
    plugin.setAuthorName ("New");

    // A disk that fills up halfway through the new text, for root too: the write fails instead of ending
    // the process.
    rlimit limit{};
    ::getrlimit (RLIMIT_FSIZE, &limit);
    const rlimit small{64, limit.rlim_max};
    const auto handler = std::signal (SIGXFSZ, SIG_IGN);
    ::setrlimit (RLIMIT_FSIZE, &small);
    plugin.saveUserSettings();
    ::setrlimit (RLIMIT_FSIZE, &limit);
    std::signal (SIGXFSZ, handler);

    EXPECT_EQ (plugin.settingsFile.loadFileAsString(), oldText);
    EXPECT_EQ (dataFolder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
    EXPECT_TRUE (plugin.getReportedProblems().strings.getLast().endsWith (
        ": the file could not be written. The changes of this session are lost."));
}

TEST_F (BasePluginTest, StartUpReadsSettingsTheChosenMapAndTheDumpWhenAskedFor)
{
    plugin.assignHostParameter (0, &plugin.parameter (0));
    plugin.initialise(); // without a chosen map the slots stay
    EXPECT_EQ (plugin.slots(), "0:0");

    const auto mapFile = dataFolder.getChildFile ("start.tshpmap");
    ASSERT_TRUE (mapFile.replaceWithText ("<HostParametersMap name='TestSynth'>"
                                          "<assign hostParam='3' pluginParam='Drive'/></HostParametersMap>"));
    writeSettings ("<UserSettings application='TestSynth'><HostParametersMap default='yes' file='" +
                   mapFile.getFullPathName() + "'/></UserSettings>");
    ASSERT_TRUE (plugin.getDumpFile().replaceWithText ("<PluginState application='TestSynth'/>"));

    for (const bool dump : {false, true})
    {
        TestPlugin starting;
        starting.loadsDump = dump;
        starting.runLateInitialisation();
        EXPECT_EQ (starting.slots(), "2:2");
        EXPECT_EQ (starting.getMidiControl().getName(), "TestSynth");
        EXPECT_EQ (starting.takeLog(), juce::String ("read UserSettings,quality") +
                                           (dump ? ",apply <PluginState application=\"TestSynth\"/>" : ""));
    }
}

//==============================================================================
class BasePluginPresetTest : public BasePluginTest
{
protected:
    void SetUp() override
    {
        BasePluginTest::SetUp();
        for (const int number : {10, 2, 1})
            writePreset (file ("Bass " + juce::String (number)), 0.1f * (float) number);
        auto collection = std::make_unique<PresetCollection> ("Presets", folder.getFolder(), ".tsprs");
        collection->rescan();
        presets = collection.get();
        plugin.setCurrentPresetCollection (std::move (collection));
        pumpMessages();
    }

    juce::File file (const juce::String& name) const { return folder.getChildFile (name + ".tsprs"); }

    static void writePreset (const juce::File& target, float cutoff, const juce::String& author = "Old Name")
    {
        ASSERT_TRUE (target.replaceWithText ("<Preset author='" + author + "'><param name='Cutoff' value='" +
                                             juce::String (cutoff) + "'/></Preset>"));
    }

    juce::String currentName() const
    {
        return juce::File (plugin.getCurrentPresetName (presets)).getFileNameWithoutExtension();
    }

    TemporaryFolder folder;
    PresetCollection* presets = nullptr;
};

TEST_F (BasePluginPresetTest, NextAndPreviousWrapAroundInNaturalOrder)
{
    const std::pair<bool, int> steps[] = {{true, 1}, {true, 2}, {true, 10}, {true, 1}, {false, 10}};
    for (const auto& [next, number] : steps)
    {
        next ? plugin.selectNextPreset (presets) : plugin.selectPreviousPreset (presets);
        EXPECT_EQ (currentName(), "Bass " + juce::String (number));
        EXPECT_NEAR (plugin.parameter (0).getValue(), 0.1f * (float) number, 1e-6);
    }
    pumpMessages();
    EXPECT_EQ (heard.take(), "preset,preset,preset,preset,preset");

    // A vanished current file restarts in its own folder.
    const auto sub = folder.getChildFile ("Leads");
    sub.createDirectory();
    writePreset (sub.getChildFile ("Lead 1.tsprs"), 0.3f);
    writePreset (sub.getChildFile ("Lead 2.tsprs"), 0.4f);
    presets->rescan();
    plugin.loadCollectionPreset (presets, sub.getChildFile ("Lead 2.tsprs"));
    sub.getChildFile ("Lead 2.tsprs").deleteFile();
    presets->rescan();
    plugin.selectNextPreset (presets);
    EXPECT_EQ (currentName(), "Lead 1");
}

TEST_F (BasePluginPresetTest, LoadingAndStoringSetTheRecordOfTheirCollectionOnly)
{
    plugin.setCurrentPresetModified (presets, true);
    plugin.setCurrentPresetFlag (presets, true);
    plugin.loadCollectionPreset (presets, file ("Bass 2"));
    EXPECT_EQ (plugin.getCurrentPresetName (presets), file ("Bass 2").getFullPathName());
    EXPECT_FALSE (plugin.isCurrentPresetModified (presets) || plugin.isCurrentPresetFlagSet (presets));
    PresetCollection other ("Other", folder.getFolder(), ".tsprs");
    plugin.setCurrentPresetModified (&other, true);
    plugin.setCurrentPresetName (&other, "x");
    EXPECT_EQ (plugin.getCurrentPresetName (&other) + plugin.getCurrentPresetName (nullptr), "");
    EXPECT_FALSE (plugin.isCurrentPresetModified (&other) || plugin.isCurrentPresetModified (presets));

    // The current file (whatever the case), a missing file and a folder load nothing.
    plugin.parameter (0).setValue (0.625f, false);
    for (const auto& f :
         {juce::File (file ("Bass 2").getFullPathName().toUpperCase()), file ("Gone"), folder.getFolder()})
        plugin.loadCollectionPreset (presets, f);
    EXPECT_FLOAT_EQ (plugin.parameter (0).getValue(), 0.625f);

    pumpMessages();
    heard.take();
    plugin.storePresetToFile (presets, file ("NoPresetObject")); // the product makes no preset
    plugin.makesPresets = true;
    plugin.storePresetToFile (presets, folder.getChildFile ("missing folder").getChildFile ("X.tsprs"));
    pumpMessages();
    EXPECT_EQ (heard.take(), "");
    EXPECT_FALSE (file ("NoPresetObject").exists());
    EXPECT_EQ (currentName(), "Bass 2");
    plugin.storePresetToFile (presets, file ("Stored"));
    EXPECT_EQ (currentName(), "Stored");
    juce::StringArray names;
    for (const auto& path : presets->getPresetFiles())
        names.add (juce::File (path).getFileNameWithoutExtension());
    EXPECT_EQ (names.joinIntoString (","), "Bass 1,Bass 2,Bass 10,Stored");
    EXPECT_EQ (XmlHelpers::toSingleLine (*XmlHelpers::parse (file ("Stored"))),
               "<Preset><param name=\"Cutoff\" value=\"0.625\"/></Preset>");
}

TEST_F (BasePluginPresetTest, AuthorRewriteKeepsTheValuesAndSkipsTheSameAuthor)
{
    plugin.setAuthorName ("New Name");
    plugin.updatePresetFileAuthor (file ("Bass 1"));
    EXPECT_EQ (XmlHelpers::toSingleLine (*XmlHelpers::parse (file ("Bass 1"))),
               "<Preset author=\"New Name\"><param name=\"Cutoff\" value=\"0.1\"/></Preset>");

    plugin.updatePresetFileAuthor (file ("Missing"));
    plugin.updatePresetFileAuthor (folder.getFolder());
    EXPECT_FALSE (file ("Missing").exists());

    const juce::String handWritten =
        "<Preset   author='New Name'><param name='Cutoff' value='0.50'/></Preset>";
    ASSERT_TRUE (file ("Bass 1").replaceWithText (handWritten));
    plugin.updatePresetFileAuthor (file ("Bass 1"));
    EXPECT_EQ (file ("Bass 1").loadFileAsString(), handWritten);
}
