#include "framework/BasePlugin.h"
#include "framework/XmlHelpers.h"
#include "vst/AudioProcessorEditor.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace
{
const char* const parameterTable = R"(
<PluginParameters application="TestSynth">
  <param index="0" name="Cutoff" value="0.5" auto="true"/>
  <param index="1" name="Resonance" value="0.5" auto="true"/>
  <param index="2" name="Drive" value="0" auto="true"/>
  <param index="3" name="Mode" value="0"/>
</PluginParameters>)";

/** A plug-in with a small table of its own, 36 host slots and a state holding three children. */
class TestPlugin : public BasePlugin
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

    juce::String getInputChannelName (int) const override { return {}; }
    juce::String getOutputChannelName (int) const override { return {}; }
    bool isInputChannelStereoPair (int) const override { return false; }
    bool isOutputChannelStereoPair (int) const override { return false; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }

    std::unique_ptr<juce::XmlElement> createStateXml() override
    {
        auto xml = BasePlugin::createStateXml();
        for (const auto* tag : {"InternalSettings", "InternalSequencer", "ParametersState"})
            xml->createNewChildElement (tag);
        return xml;
    }

    void applyStateXml (const juce::XmlElement& xml) override
    {
        appliedStates.push_back (XmlHelpers::toSingleLine (xml));
    }

    void nonRealtimeModeChanged (bool isNonRealtime) override { reportedModes.push_back (isNonRealtime); }

    std::unique_ptr<Preset> createPresetForFile (PresetCollection*, const juce::File&) override
    {
        if (!makesPresets)
            return nullptr;

        auto preset = std::make_unique<Preset>();
        preset->addParameterValue (getParameterManager().getParameter (0));
        return preset;
    }

    std::unique_ptr<juce::Component> createGuiController() override;

    using BasePlugin::checkNonRealtime;
    using BasePlugin::setCurrentPresetCollection;

    Parameter& parameter (int id) { return *getParameterManager().getParameter (id); }

    int numHostSlots = 36;
    bool makesPresets = false;
    bool makesEditor = false;
    std::vector<juce::String> appliedStates;
    std::vector<bool> reportedModes;
};

class TestEditor : public juce::Component, public juce::Timer
{
public:
    TestEditor() { setSize (320, 200); }
    void timerCallback() override {}
};

std::unique_ptr<juce::Component> TestPlugin::createGuiController()
{
    return makesEditor ? std::make_unique<TestEditor>() : nullptr;
}

/** What the host wrapper would hear. */
struct HostRecorder : public juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
    {
        changes.push_back ({index, value});
    }
    void audioProcessorChanged (juce::AudioProcessor*) override { ++displayUpdates; }
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override
    {
        gestures.push_back (index + 1);
    }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override
    {
        gestures.push_back (-(index + 1));
    }

    std::vector<std::pair<int, float>> changes;
    std::vector<int> gestures; // slot + 1 for begin, -(slot + 1) for end
    int displayUpdates = 0;
};

struct NoticeRecorder : public BasePlugin::Listener
{
    void stateRestored (BasePlugin*) override { notices.add ("restored"); }
    void stateSaved (BasePlugin*) override { notices.add ("saved"); }
    void playbackPrepared (BasePlugin*) override { notices.add ("prepared"); }
    void processingModeChanged (BasePlugin*, int mode) override
    {
        notices.add ("mode " + juce::String (mode));
    }
    void currentPresetChanged (PresetCollection*) override { notices.add ("preset"); }

    juce::StringArray notices;
};

struct ChangeCounter : public juce::ChangeListener
{
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};

class BasePluginTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pumpMessages();
        BasePlugin::overrideApplicationDataFolders (dataFolder.getChildFile ("user"),
                                                    dataFolder.getChildFile ("common"));
        plugin.addListener (&host);
        plugin.addListener (&notices);
    }

    void TearDown() override
    {
        pumpMessages();
        BasePlugin::overrideApplicationDataFolders ({}, {});
    }

    TemporaryFolder dataFolder; // start-up reads the settings folder: never the user's own
    TestPlugin plugin;
    HostRecorder host;
    NoticeRecorder notices;
};
} // namespace

//==============================================================================
TEST_F (BasePluginTest, SlotsShowTheirParameterOrTheHostsValue)
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
    EXPECT_EQ (plugin.getParameterName (0), "Parameter 1");
    EXPECT_FLOAT_EQ (plugin.getParameterDefaultValue (35), 0.0f);
}

TEST_F (BasePluginTest, IndexesOutsideTheSlotsGiveNeutralAnswers)
{
    for (const int index : {-1, 36, 37, 128, std::numeric_limits<int>::min()})
    {
        plugin.setParameter (index, 0.75f);
        EXPECT_EQ (plugin.getParameterName (index), "") << index;
        EXPECT_EQ (plugin.getParameterText (index), "") << index;
        EXPECT_FLOAT_EQ (plugin.getParameter (index), 0.0f) << index;
        EXPECT_FALSE (plugin.isParameterAutomatable (index)) << index;
    }
    EXPECT_EQ (plugin.getNumParameters(), 36);
}

TEST_F (BasePluginTest, SlotCountIsLimitedToTheTable)
{
    plugin.numHostSlots = 500;
    EXPECT_EQ (plugin.getNumParameters(), BasePlugin::maxHostParameters);
    EXPECT_EQ (plugin.getParameterName (128), "");
    EXPECT_EQ (plugin.getParameterName (127), "Parameter 128");
}

TEST_F (BasePluginTest, NonFiniteHostValuesAreIgnored)
{
    plugin.assignHostParameter (0, &plugin.parameter (0));
    plugin.setParameter (0, 0.2f);
    plugin.setParameter (1, 0.4f);

    plugin.setParameter (0, std::numeric_limits<float>::quiet_NaN());
    plugin.setParameter (1, std::numeric_limits<float>::infinity());

    EXPECT_FLOAT_EQ (plugin.getParameter (0), 0.2f);
    EXPECT_FLOAT_EQ (plugin.getParameter (1), 0.4f);
}

TEST_F (BasePluginTest, HostWriteDoesNotEchoButAGuiChangeDoes)
{
    plugin.assignHostParameter (4, &plugin.parameter (0));

    plugin.setParameter (4, 0.7f);
    EXPECT_FLOAT_EQ (plugin.parameter (0).getValueNormalised(), 0.7f);
    EXPECT_TRUE (host.changes.empty());

    plugin.parameter (0).setValueNormalised (0.3f, true);
    plugin.parameter (3).setValueNormalised (1.0f, true); // unbound: stays inside
    ASSERT_EQ (host.changes.size(), 1u);
    EXPECT_EQ (host.changes[0].first, 4);
    EXPECT_FLOAT_EQ (host.changes[0].second, 0.3f);
}

TEST_F (BasePluginTest, EchoGuardCoversOnlyTheWrittenSlot)
{
    // A parameter that moves another while the host writes it: the other one's change is news to the host.
    struct Coupling : public Parameter::Listener
    {
        explicit Coupling (Parameter& target)
            : other (target)
        {
        }
        void parameterChanged (Parameter* p) override
        {
            other.setValueNormalised (1.0f - p->getValueNormalised(), true);
        }
        Parameter& other;
    } coupling (plugin.parameter (1));

    plugin.getParameterManager().addListener (0, &coupling);
    plugin.assignHostParameter (0, &plugin.parameter (0));
    plugin.assignHostParameter (1, &plugin.parameter (1));

    plugin.setParameter (0, 0.25f);

    ASSERT_EQ (host.changes.size(), 1u);
    EXPECT_EQ (host.changes[0].first, 1);
    EXPECT_FLOAT_EQ (host.changes[0].second, 0.75f);
}

TEST_F (BasePluginTest, GesturesOfBoundParametersReachTheHost)
{
    plugin.assignHostParameter (2, &plugin.parameter (1));

    plugin.parameter (1).beginChangeGesture();
    plugin.parameter (1).endChangeGesture();
    plugin.parameter (0).beginChangeGesture(); // unbound

    EXPECT_EQ (host.gestures, (std::vector<int>{3, -3}));
}

TEST_F (BasePluginTest, ReassigningAParameterFreesItsOldSlot)
{
    auto& cutoff = plugin.parameter (0);
    plugin.assignHostParameter (3, &cutoff);
    plugin.assignHostParameter (7, &cutoff);

    EXPECT_EQ (plugin.getHostParameter (3), nullptr);
    EXPECT_EQ (plugin.getHostParameter (7), &cutoff);
    EXPECT_EQ (plugin.getHostParameterSlot (0), 7);

    plugin.setParameter (3, 0.9f);
    EXPECT_FLOAT_EQ (cutoff.getValueNormalised(), 0.5f);

    // A parameter pushed out of its slot by another no longer reaches the host.
    plugin.assignHostParameter (7, &plugin.parameter (1));
    EXPECT_EQ (plugin.getHostParameterSlot (0), -1);
    cutoff.setValueNormalised (0.9f, true);
    EXPECT_TRUE (host.changes.empty());
}

TEST_F (BasePluginTest, NonAutomatableParametersAreRefused)
{
    plugin.assignHostParameter (2, &plugin.parameter (2));
    plugin.assignHostParameter (2, &plugin.parameter (3));
    EXPECT_EQ (plugin.getHostParameter (2), &plugin.parameter (2));
    EXPECT_EQ (plugin.getHostParameterSlot (3), -1);

    // A parameter that lost its flag is refused its new slot but still leaves the old one.
    plugin.assignHostParameter (6, &plugin.parameter (0));
    plugin.parameter (0).setAutomatable (false);
    plugin.assignHostParameter (8, &plugin.parameter (0));
    EXPECT_EQ (plugin.getHostParameter (6), nullptr);
    EXPECT_EQ (plugin.getHostParameter (8), nullptr);
}

TEST_F (BasePluginTest, SlotsOutsideTheRangePlaceNothing)
{
    plugin.assignHostParameter (1, &plugin.parameter (0));

    for (const int slot : {-1, 36, 128, 1000})
        plugin.assignHostParameter (slot, &plugin.parameter (0));

    EXPECT_EQ (plugin.getHostParameter (1), nullptr);
    EXPECT_EQ (plugin.getHostParameterSlot (0), -1);
    EXPECT_EQ (plugin.getHostParameter (36), nullptr);
}

TEST_F (BasePluginTest, SlotChangesTellTheHostAndThePage)
{
    ChangeCounter page;
    plugin.getHostParametersChangedBroadcaster().addChangeListener (&page);

    plugin.assignHostParameter (0, &plugin.parameter (0));
    EXPECT_EQ (host.displayUpdates, 1);
    pumpMessages();
    EXPECT_EQ (page.count, 1);

    plugin.assignHostParameter (0, &plugin.parameter (0)); // already there
    plugin.unassignHostParameter (5);                      // already free
    pumpMessages();
    EXPECT_EQ (page.count, 1);

    plugin.unassignHostParameter (0);
    pumpMessages();
    EXPECT_EQ (page.count, 2);
    EXPECT_EQ (plugin.getHostParameterSlot (0), -1);

    plugin.assignHostParameter (1, &plugin.parameter (1));
    plugin.clearHostParameters();
    pumpMessages();
    EXPECT_EQ (plugin.getHostParameter (1), nullptr);
    EXPECT_EQ (plugin.getHostParameterSlot (1), -1);
    EXPECT_EQ (host.displayUpdates, 2); // unassigning and clearing do not tell the host

    plugin.getHostParametersChangedBroadcaster().removeChangeListener (&page);
}

//==============================================================================
TEST_F (BasePluginTest, StateRoundTripKeepsTheChildOrder)
{
    juce::MemoryBlock chunk;
    plugin.getStateInformation (chunk);
    plugin.setStateInformation (chunk.getData(), (int) chunk.getSize());

    ASSERT_EQ (plugin.appliedStates.size(), 1u);
    const auto state = XmlHelpers::parse (plugin.appliedStates[0]);
    ASSERT_NE (state, nullptr);
    EXPECT_TRUE (plugin.isStateXml (*state));

    juce::StringArray tags;
    for (const auto* child : state->getChildIterator())
        tags.add (child->getTagName());
    EXPECT_EQ (tags.joinIntoString (","), "InternalSettings,InternalSequencer,ParametersState");

    EXPECT_TRUE (notices.notices.isEmpty()); // delivered on the message thread only
    pumpMessages();
    EXPECT_EQ (notices.notices.joinIntoString (","), "restored,saved");
}

TEST_F (BasePluginTest, UnreadableStateStillNotifiesRestored)
{
    const char garbage[] = "VC2!\xff\xff\xff\xffnot xml at all";
    plugin.setStateInformation (garbage, (int) sizeof (garbage));
    plugin.setStateInformation (nullptr, 0);
    plugin.setStateInformation (garbage, 3);

    EXPECT_TRUE (plugin.appliedStates.empty());
    pumpMessages();
    EXPECT_EQ (notices.notices.joinIntoString (","), "restored"); // three restores, one notice
}

TEST_F (BasePluginTest, OwnStateElementIsRecognisedIgnoringCase)
{
    const auto own = XmlHelpers::parse (juce::String ("<pluginstate application=\"TESTSYNTH\"/>"));
    const auto foreign = XmlHelpers::parse (juce::String ("<PluginState application=\"Other\"/>"));
    const auto unnamed = XmlHelpers::parse (juce::String ("<PluginState/>"));

    EXPECT_TRUE (plugin.isStateXml (*own));
    EXPECT_FALSE (plugin.isStateXml (*foreign));
    EXPECT_FALSE (plugin.isStateXml (*unnamed));
    EXPECT_FALSE (plugin.isOwnXmlElement (nullptr, "PluginState"));
    EXPECT_FALSE (plugin.isOwnXmlElement (own.get(), "UserSettings"));
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
    EXPECT_EQ (notices.notices.joinIntoString (","), "prepared,mode 2");

    plugin.setNonRealtime (false);
    plugin.processBlock (buffer, midi);
    plugin.releaseResources();
    pumpMessages();
    EXPECT_EQ (notices.notices.joinIntoString (","), "prepared,mode 2,mode 1");
    EXPECT_EQ (plugin.reportedModes, (std::vector<bool>{true, false}));
    EXPECT_FALSE (plugin.isPlaybackPrepared());
}

TEST_F (BasePluginTest, ListenerMayRemoveItselfDuringANotice)
{
    struct OneShot : public BasePlugin::Listener
    {
        explicit OneShot (BasePlugin& p)
            : plugin (p)
        {
        }
        void stateRestored (BasePlugin*) override
        {
            ++calls;
            plugin.removeListener (this);
        }
        BasePlugin& plugin;
        int calls = 0;
    } oneShot (plugin);

    plugin.addListener (&oneShot);
    plugin.addListener (&oneShot);
    plugin.addListener (static_cast<BasePlugin::Listener*> (nullptr));

    for (int i = 0; i < 2; ++i)
    {
        plugin.setStateInformation (nullptr, 0);
        pumpMessages();
    }

    EXPECT_EQ (oneShot.calls, 1);
    EXPECT_EQ (notices.notices.joinIntoString (","), "restored,restored");
}

//==============================================================================
TEST_F (BasePluginTest, XmlUtilities)
{
    const auto on = BasePlugin::createStateElement ("IntSeq", true);
    const auto off = BasePlugin::createStateElement ("IntSeq", false);
    EXPECT_EQ (XmlHelpers::toSingleLine (*on), "<IntSeq state=\"on\"/>");
    EXPECT_TRUE (BasePlugin::isStateOn (*on));
    EXPECT_FALSE (BasePlugin::isStateOn (*off));
    EXPECT_TRUE (BasePlugin::isStateOn (*XmlHelpers::parse (juce::String ("<X state=\"ON\"/>"))));

    EXPECT_EQ (XmlHelpers::toSingleLine (*plugin.createApplicationElement ("UserSettings")),
               "<UserSettings application=\"TestSynth\"/>");
    EXPECT_EQ (BasePlugin::makeFileWildcard (".tshpmap"), "*.tshpmap");
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

TEST (BasePluginHost, FruityLoopsIsRecognisedByItsExecutableName)
{
    EXPECT_TRUE (BasePlugin::isFruityLoopsHostName ("FL64.exe"));
    EXPECT_TRUE (BasePlugin::isFruityLoopsHostName ("FL Studio"));
    EXPECT_FALSE (BasePlugin::isFruityLoopsHostName ("fl64.exe"));
    EXPECT_FALSE (BasePlugin::isFruityLoopsHostName ("ardour-7"));
    EXPECT_FALSE (BasePlugin::isFruityLoopsHostName (""));
}

//==============================================================================
TEST_F (BasePluginTest, HostWindowsComeAndGoWhileTheEditorStays)
{
    EXPECT_EQ (plugin.createEditor(), nullptr); // no editor yet

    plugin.makesEditor = true;
    plugin.initialiseGuiController();
    auto* editor = plugin.getGuiController();
    ASSERT_NE (editor, nullptr);
    EXPECT_TRUE (dynamic_cast<juce::Timer&> (*editor).isTimerRunning());

    plugin.initialiseGuiController();
    EXPECT_EQ (plugin.getGuiController(), editor);

    for (int i = 0; i < 2; ++i)
    {
        std::unique_ptr<juce::AudioProcessorEditor> window (plugin.createEditor());
        ASSERT_NE (window, nullptr);
        EXPECT_EQ (editor->getParentComponent(), window.get());
        EXPECT_TRUE (editor->isVisible());
        EXPECT_EQ (window->getWidth(), 320);
        EXPECT_EQ (window->getHeight(), 200);
        window.reset();

        EXPECT_EQ (editor->getParentComponent(), nullptr);
        EXPECT_FALSE (editor->isVisible());
        EXPECT_EQ (plugin.getGuiController(), editor);
    }
}

//==============================================================================
class BasePluginPresetTest : public BasePluginTest
{
protected:
    void SetUp() override
    {
        BasePluginTest::SetUp();
        for (const auto* name : {"Bass 10", "Bass 2", "Bass 1"})
            writePreset (folder.getChildFile (juce::String (name) + ".tsprs"),
                         0.1f * (float) juce::String (name).getTrailingIntValue());

        auto collection = std::make_unique<PresetCollection> ("Presets", folder.getFolder(), ".tsprs");
        collection->rescan();
        presets = collection.get();
        plugin.setCurrentPresetCollection (std::move (collection));
        pumpMessages();
    }

    void writePreset (const juce::File& file, float cutoff, const juce::String& author = {})
    {
        juce::XmlElement xml ("Preset");
        if (author.isNotEmpty())
            xml.setAttribute ("author", author);
        auto* param = xml.createNewChildElement ("param");
        param->setAttribute ("name", "Cutoff");
        param->setAttribute ("value", juce::String (cutoff));
        ASSERT_TRUE (XmlHelpers::writeToFile (xml, file));
    }

    juce::String currentName() const
    {
        return juce::File (plugin.getCurrentPresetName (presets)).getFileNameWithoutExtension();
    }

    TemporaryFolder folder;
    PresetCollection* presets = nullptr;
};

TEST_F (BasePluginPresetTest, NextAndPreviousWrapAroundTheCollection)
{
    plugin.selectNextPreset (presets);
    EXPECT_EQ (currentName(), "Bass 1");
    EXPECT_NEAR (plugin.parameter (0).getValue(), 0.1f, 1e-6);

    plugin.selectNextPreset (presets);
    plugin.selectNextPreset (presets);
    EXPECT_EQ (currentName(), "Bass 10");
    plugin.selectNextPreset (presets);
    EXPECT_EQ (currentName(), "Bass 1");
    plugin.selectPreviousPreset (presets);
    EXPECT_EQ (currentName(), "Bass 10");
    EXPECT_NEAR (plugin.parameter (0).getValue(), 1.0f, 1e-6);

    pumpMessages();
    EXPECT_EQ (notices.notices.size(), 5);
    EXPECT_TRUE (notices.notices.contains ("preset"));
}

TEST_F (BasePluginPresetTest, LoadingSetsTheRecordOfItsCollectionOnly)
{
    plugin.setCurrentPresetModified (presets, true);
    plugin.setCurrentPresetFlag (presets, true);
    const auto file = folder.getChildFile ("Bass 2.tsprs");
    plugin.loadCollectionPreset (presets, file);

    EXPECT_EQ (plugin.getCurrentPresetName (presets), file.getFullPathName());
    EXPECT_FALSE (plugin.isCurrentPresetModified (presets));
    EXPECT_FALSE (plugin.isCurrentPresetFlagSet (presets));

    PresetCollection other ("Other", folder.getFolder(), ".tsprs");
    plugin.setCurrentPresetModified (&other, true);
    plugin.setCurrentPresetName (&other, "x");
    EXPECT_EQ (plugin.getCurrentPresetName (&other), "");
    EXPECT_FALSE (plugin.isCurrentPresetModified (&other));
    EXPECT_FALSE (plugin.isCurrentPresetModified (presets));
    EXPECT_EQ (plugin.getCurrentPresetName (nullptr), "");
}

TEST_F (BasePluginPresetTest, LoadingTheCurrentFileOrAMissingOneDoesNothing)
{
    const auto file = folder.getChildFile ("Bass 2.tsprs");
    plugin.loadCollectionPreset (presets, file);
    plugin.parameter (0).setValue (0.9f, false);

    plugin.loadCollectionPreset (presets, juce::File (file.getFullPathName().toUpperCase()));
    plugin.loadCollectionPreset (presets, folder.getChildFile ("Gone.tsprs"));
    plugin.loadCollectionPreset (presets, folder.getFolder());

    EXPECT_FLOAT_EQ (plugin.parameter (0).getValue(), 0.9f);
    EXPECT_EQ (plugin.getCurrentPresetName (presets), file.getFullPathName());
}

TEST_F (BasePluginPresetTest, AVanishedCurrentFileRestartsInItsFolder)
{
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

TEST_F (BasePluginPresetTest, StoringWritesTheFileAndMakesItCurrent)
{
    plugin.makesPresets = true;
    plugin.parameter (0).setValue (0.625f, false);
    const auto file = folder.getChildFile ("Stored.tsprs");

    plugin.storePresetToFile (presets, file);

    ASSERT_TRUE (file.existsAsFile());
    EXPECT_EQ (plugin.getCurrentPresetName (presets), file.getFullPathName());
    EXPECT_EQ (presets->indexOfName (file.getFullPathName()), 3);
    const auto stored = XmlHelpers::parse (file);
    ASSERT_NE (stored, nullptr);
    EXPECT_EQ (stored->getChildByName ("param")->getStringAttribute ("value"), "0.625");
}

TEST_F (BasePluginPresetTest, AStoreThatCannotBeWrittenChangesNothing)
{
    plugin.storePresetToFile (presets, folder.getChildFile ("NoPresetObject.tsprs"));
    EXPECT_FALSE (folder.getChildFile ("NoPresetObject.tsprs").exists());

    plugin.makesPresets = true;
    plugin.loadCollectionPreset (presets, folder.getChildFile ("Bass 1.tsprs"));
    pumpMessages();
    notices.notices.clear();

    plugin.storePresetToFile (presets, folder.getChildFile ("missing folder").getChildFile ("X.tsprs"));
    pumpMessages();

    EXPECT_EQ (currentName(), "Bass 1");
    EXPECT_EQ (presets->getNumPresets(), 3);
    EXPECT_TRUE (notices.notices.isEmpty());
}

TEST_F (BasePluginPresetTest, AuthorRewriteKeepsTheValues)
{
    const auto file = folder.getChildFile ("Bass 1.tsprs");
    writePreset (file, 0.5f, "Old Name");
    plugin.setAuthorName ("New Name");

    plugin.updatePresetFileAuthor (file);

    const auto rewritten = XmlHelpers::parse (file);
    ASSERT_NE (rewritten, nullptr);
    EXPECT_EQ (rewritten->getStringAttribute ("author"), "New Name");
    EXPECT_EQ (rewritten->getChildByName ("param")->getStringAttribute ("value"), "0.5");

    plugin.updatePresetFileAuthor (folder.getChildFile ("Missing.tsprs"));
    plugin.updatePresetFileAuthor (folder.getFolder());
    EXPECT_FALSE (folder.getChildFile ("Missing.tsprs").exists());

    // The same author: the file is not rewritten at all.
    const juce::String handWritten =
        "<Preset   author='New Name'><param name='Cutoff' value='0.50'/></Preset>";
    ASSERT_TRUE (file.replaceWithText (handWritten));
    plugin.updatePresetFileAuthor (file);
    EXPECT_EQ (file.loadFileAsString(), handWritten);
}
