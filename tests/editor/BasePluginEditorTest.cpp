#include "EditorTestFixture.h"

#include "editor/AboutWindow.h"
#include "editor/EditorStatusTexts.h"
#include "editor/OptionsWindow.h"
#include "editor/pages/MidiControlComponent.h"
#include "editor/pages/ProcessingSettingsComponent.h"
#include "engine/Kelvanor.h"
#include "skin/controls/GFXAnimation.h"
#include "skin/controls/GFXKnob.h"
#include "skin/controls/GFXMultiStateButton.h"
#include "skin/controls/GFXSwitch.h"
#include "skin/controls/GFXToggleButton.h"
#include "skin/panel/GFXPanel.h"

#include <thread>

using namespace EditorTest;

namespace
{
/** A control of the editor's tree that fires events, linked to a parameter or not. */
struct FiringControl : public GUIController
{
};

bool isInside (juce::Component* component, juce::Component* ancestor)
{
    return component != nullptr && ancestor != nullptr && ancestor->isParentOf (component);
}
} // namespace

//==============================================================================
// Pages and tabs per start-up order

TEST_F (PlainEditorTest, PlainOrderShowsEveryFrameworkPageAndTheGuiPageAfterTheOthers)
{
    struct Case
    {
        bool skinFiles;
        juce::StringArray tabs;
    };
    for (const auto& c : {Case{true, {"Processing", "Presets", "Parameters", "Midi Control", "GUI"}},
                          Case{false, {"Processing", "Presets", "Parameters", "Midi Control"}}})
    {
        start (c.skinFiles);
        EXPECT_EQ (tabNames(), c.tabs) << "skin files " << c.skinFiles;
        EXPECT_EQ (editor().getOptionsWindow().getTabs().getCurrentTabIndex(), 0);
        EXPECT_EQ (editor().getGUISettingsPage() != nullptr, c.skinFiles);
        EXPECT_NE (editor().getProcessingSettingsPage(), nullptr);
        plugin.reset();
    }
}

TEST_F (PlainEditorTest, BindsTheProcessingChoosersOnlyWhenAllFourQualitiesAreEnumerations)
{
    start (false);
    auto* page = dynamic_cast<ProcessingSettingsComponent*> (editor().getProcessingSettingsPage());
    ASSERT_NE (page, nullptr);
    page->getCurrentQuality().offlineChooser.setSelectedId (2, true);
    EXPECT_EQ (plugin->getParameterManager().getParameterText (PlainProduct::offlineQualityId), "Best");
    EXPECT_EQ (plugin->getParameterManager().getParameterText (PlainProduct::realtimeQualityId), "Draft");
}

TEST (LayeredEditor, TheProductShowsOnlyMidiControlAndBuildsNoProcessingOrGuiPage)
{
    DataFolders folders;
    auto processor = std::make_unique<Kelvanor>();
    processor->setEditorFactory (
        [] (BasePlugin& owner)
        { return BasePluginEditor::initialised (std::make_unique<BasePluginEditor> (owner)); });
    processor->runLateInitialisation();

    auto* editor = dynamic_cast<BasePluginEditor*> (processor->getGuiController());
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->getOptionsWindow().getTabs().getTabNames(), juce::StringArray ("Midi Control"));
    EXPECT_EQ (editor->getProcessingSettingsPage(), nullptr);
    EXPECT_EQ (editor->getGUISettingsPage(), nullptr);
    EXPECT_TRUE (processor->hasEditor());

    // The embedded skin makes the panel; the status bar lies under it.
    const auto* panel = editor->getSkinPanel();
    ASSERT_NE (panel, nullptr);
    EXPECT_EQ (editor->getWidth(), panel->getWidth());
    EXPECT_EQ (editor->getHeight(), panel->getHeight() + editor->getStatusBar().getHeight());

    // The editor element of the settings carries nothing while skin files are off.
    const auto settings = editor->createSettingsXml();
    EXPECT_EQ (settings->getTagName(), "Editor");
    EXPECT_EQ (settings->getNumChildElements(), 0);

    // The layers write the product's settings and state whole: neither holds the editor's element.
    EXPECT_EQ (processor->getEditorSettings(), editor);
    processor->saveUserSettings();
    const auto saved = juce::parseXML (processor->getUserSettingsFile());
    ASSERT_NE (saved, nullptr);
    EXPECT_EQ (saved->getChildByName ("Editor"), nullptr);
    EXPECT_EQ (processor->createStateXml()->getChildByName ("Editor"), nullptr);
    processor.reset();
    pumpMessages();
}

//==============================================================================
// Events 1000..1010

TEST_F (PlainEditorTest, BuiltInEventsActAndEveryOtherEventReachesTheProcessorWithItsParameterStatus)
{
    start();
    auto& e = editor();
    auto& collection = *plugin->getCurrentPresetCollection ("Presets");
    const auto a = folders.getPresetFolder().getChildFile ("a.pspreset");
    const auto b = folders.getPresetFolder().getChildFile ("b.pspreset");
    plugin->storePresetToFile (&collection, a);
    plugin->storePresetToFile (&collection, b);
    ASSERT_EQ (plugin->getCurrentPresetName (&collection), b.getFullPathName());

    juce::StringArray prompts;
    e.getPresetSaveFlow().setFilePrompt ([&] (const PresetSaveFlow::SaveRequest& r, PresetSaveFlow::OnChosen)
                                         { prompts.add (r.title); });

    FiringControl linked;
    linked.connectToParameter (&parameter ("Cutoff"));

    // 1000: options shows and clears the bar.
    statusBar().showText ("notice", 3);
    e.controllerActionTriggered (nullptr, 1000);
    EXPECT_TRUE (e.getOptionsWindow().isVisible());
    EXPECT_EQ (statusBar().getText(), "");

    // 1001
    e.controllerActionTriggered (nullptr, 1001);
    EXPECT_TRUE (e.getAboutWindow().isVisible());

    // 1002 / 1003 with an unchanged preset move at once (b -> a wraps, a -> b back).
    e.controllerActionTriggered (nullptr, 1002);
    EXPECT_EQ (plugin->getCurrentPresetName (&collection), a.getFullPathName());
    e.controllerActionTriggered (nullptr, 1003);
    EXPECT_EQ (plugin->getCurrentPresetName (&collection), b.getFullPathName());

    // ... and with a changed one they ask first and stay.
    plugin->setCurrentPresetModified (&collection, true);
    e.controllerActionTriggered (nullptr, 1002);
    EXPECT_EQ (plugin->getCurrentPresetName (&collection), b.getFullPathName());
    ASSERT_NE (e.getPresetSaveFlow().getSaveQuestion(), nullptr);
    EXPECT_TRUE (e.getPresetSaveFlow().getSaveQuestion()->isVisible());

    // 1004 shows the browser only when there is one.
    e.controllerActionTriggered (nullptr, 1004);
    auto browser = std::make_unique<ModalComponent>();
    auto* browserWindow = browser.get();
    e.setPresetBrowserWindow (std::move (browser));
    e.controllerActionTriggered (nullptr, 1004);
    EXPECT_TRUE (browserWindow->isVisible());

    // 1005 (no file of the new name yet) and 1006 both prompt.
    e.controllerActionTriggered (nullptr, 1005);
    e.controllerActionTriggered (nullptr, 1006);
    EXPECT_EQ (prompts, juce::StringArray ({"Save current presets", "Save current presets"}));

    // 1010 twice returns learning to where it was.
    e.controllerActionTriggered (nullptr, 1010);
    EXPECT_TRUE (plugin->getMidiControl().isLearnMode());
    e.controllerActionTriggered (nullptr, 1010);
    EXPECT_FALSE (plugin->getMidiControl().isLearnMode());

    // None of the handled ones reached the processor.
    EXPECT_TRUE (plugin->handledEvents.empty());

    // 1007-1009 and unknown uids go to the processor, then show the control's parameter.
    for (int uid : {1007, 1008, 1009, 42})
    {
        statusBar().clearText (-1);
        e.controllerActionTriggered (&linked, uid);
        EXPECT_EQ (plugin->handledEvents.back(), uid);
        EXPECT_TRUE (statusBar().getText().startsWith ("Cutoff: ")) << uid << " " << statusBar().getText();
        EXPECT_EQ (statusBar().getPriority(), EditorStatusTexts::controlMovedPriority);
    }
    e.controllerActionTriggered (nullptr, 43); // no control, no parameter: handed on all the same
    EXPECT_EQ (plugin->handledEvents, (std::vector<int>{1007, 1008, 1009, 42, 43}));
}

//==============================================================================
// Status texts

TEST_F (PlainEditorTest, MidiLearnTextsFollowEveryStateAndOutrankParameterTexts)
{
    start();
    auto& map = plugin->getMidiControl();
    auto& cutoff = parameter ("Cutoff");
    const auto text = [this] { return statusBar().getText(); };

    map.setLearnMode (true);
    pumpMessages();
    EXPECT_EQ (text(), "Waiting for a controller or parameter movement...");
    EXPECT_EQ (statusBar().getPriority(), EditorStatusTexts::midiLearnPriority);

    // A moved control offers its parameter to learning; its own status (6) cannot replace the learn text.
    FiringControl control;
    control.connectToParameter (&cutoff);
    editor().controllerValueChanged (&control);
    pumpMessages();
    EXPECT_EQ (text(), "'Cutoff' parameter is free. Waiting for a free controller now...");

    map.processMidiMessage (juce::MidiMessage::controllerEvent (1, 74, 10));
    pumpMessages();
    EXPECT_EQ (text(), "CC# 74 is assigned to parameter 'Cutoff'.");

    // A controller first, then waiting for a parameter.
    map.setLearnMode (false);
    pumpMessages();
    EXPECT_EQ (text(), "");
    map.setLearnMode (true);
    map.processMidiMessage (juce::MidiMessage::controllerEvent (1, 20, 10));
    pumpMessages();
    EXPECT_EQ (text(), "CC# 20 is free. Waiting for a parameter now...");

    // Parameter texts of MIDI (5) and of controls (6) wait until learning stops.
    editor().parameterMovedByMidi (&map);
    editor().showParameterStatus (&cutoff, EditorStatusTexts::controlMovedPriority);
    EXPECT_EQ (text(), "CC# 20 is free. Waiting for a parameter now...");

    map.setLearnMode (false);
    pumpMessages();
    EXPECT_EQ (text(), "");
    editor().showParameterStatus (&cutoff, EditorStatusTexts::controlMovedPriority);
    EXPECT_TRUE (text().startsWith ("Cutoff: "));
}

TEST_F (PlainEditorTest, StatusPrioritiesOfModeMapNoticeAndParameters)
{
    start();
    auto& cutoff = parameter ("Cutoff");

    // A parameter moved by a control (6) keeps out the processing mode (4) and a MIDI move (5).
    editor().showParameterStatus (&cutoff, EditorStatusTexts::controlMovedPriority);
    const auto shown = statusBar().getText();
    editor().processingModeChanged (plugin.get(), 2);
    plugin->getMidiControl().assign (7, &cutoff, false);
    plugin->getMidiControl().processMidiMessage (juce::MidiMessage::controllerEvent (1, 7, 127));
    pumpMessages();
    EXPECT_EQ (statusBar().getText(), shown);

    // Once it has expired, the mode text shows with its quality.
    statusBar().expire();
    editor().processingModeChanged (plugin.get(), 2);
    EXPECT_EQ (statusBar().getText(), "Offline processing: Draft");
    editor().processingModeChanged (plugin.get(), 1); // equal priority replaces
    EXPECT_EQ (statusBar().getText(), "Realtime processing: Draft");

    // The default-map notice is lasting; the options tabs clear it.
    statusBar().expire();
    editor().defaultResourceChanged (&editor().getMidiControlPage().getDefaultMapBox());
    EXPECT_EQ (statusBar().getText(), "Default Map settings will be affected when plugin is loaded.");
    EXPECT_FALSE (statusBar().isTemporary());
    editor().tabChanged (&editor().getOptionsWindow().getTabs());
    EXPECT_EQ (statusBar().getText(), "");

    // A box of another page leaves the bar alone.
    DefaultResourceCheckBox otherBox;
    editor().defaultResourceChanged (&otherBox);
    EXPECT_EQ (statusBar().getText(), "");
}

//==============================================================================
// Skins

TEST_F (PlainEditorTest, SkinChangeWaitsForATickAndLeavesNoPointerIntoTheOldPanel)
{
    writeUserSkin (folders.getSkinsFolder(), "Small", 300, 200);
    writeUserSkin (folders.getSkinsFolder(), "Large", 500, 320);
    start();
    auto& e = editor();

    // No saved choice: the first skin of the page is applied at start-up.
    ASSERT_NE (e.getSkinPanel(), nullptr);
    ASSERT_EQ (e.getGUISettingsPage()->getSkinEntries().size(), 2u);
    const juce::String first = e.getGUISettingsPage()->getSkinEntries().front().name;
    EXPECT_EQ (e.getCurrentSkinName(), first);
    EXPECT_EQ (e.getDefaultSkinName(), first);
    EXPECT_EQ (e.getWidth(), first == "Small" ? 300 : 500);
    EXPECT_EQ (e.getContentHeight(), first == "Small" ? 200 : 320);
    EXPECT_EQ (e.getStatusBar().getY(), e.getContentHeight());
    EXPECT_TRUE (isInside (e.getMidiLearnButton(), e.getSkinPanel()));
    const int appliedAtStart = e.skinsApplied;

    if (first == "Large")
    {
        e.applySkin ("Small");
        ASSERT_EQ (e.getCurrentSkinName(), "Small");
    }
    const int appliedBefore = e.skinsApplied;
    EXPECT_GE (appliedBefore, appliedAtStart);
    auto* oldPanel = e.getSkinPanel();

    e.currentSkinChanged (nullptr); // ignored
    e.requestSkinChange ("Large");
    EXPECT_TRUE (e.isSkinChangePending());
    EXPECT_FALSE (oldPanel->isVisible());
    EXPECT_EQ (e.getStatusBar().getText(), EditorStatusTexts::loadingSkin);
    EXPECT_EQ (e.getSkinPanel(), oldPanel);

    // Learning switched on while the skin loads.
    plugin->getMidiControl().setLearnMode (true);

    e.timerUpdate();
    ASSERT_NE (e.getSkinPanel(), nullptr);
    EXPECT_FALSE (e.isSkinChangePending());
    EXPECT_EQ (e.getCurrentSkinName(), "Large");
    EXPECT_EQ (e.skinsApplied, appliedBefore + 1);
    EXPECT_EQ (e.getWidth(), 500);
    EXPECT_EQ (e.getStatusBar().getText(), "");
    EXPECT_TRUE (e.getSkinPanel()->isVisible());
    EXPECT_TRUE (isInside (e.getMidiLearnButton(), e.getSkinPanel()));
    EXPECT_TRUE (isInside (e.getMidiActivityLight(), e.getSkinPanel()));
    EXPECT_EQ (e.getGUISettingsPage()->getCurrentSkinName(), "Large");
    // The new learn button shows learning that was on before the change.
    EXPECT_EQ (e.getMidiLearnButton()->getState(), 1);
    EXPECT_TRUE (e.getMidiLearnButton()->isBlinking());

    // A skin that is not valid leaves the old panel in place and showing (see SkinChangeFailureTest).
    auto* largePanel = e.getSkinPanel();
    e.requestSkinChange ("Missing");
    e.timerUpdate();
    EXPECT_EQ (e.getSkinPanel(), largePanel);
    EXPECT_TRUE (largePanel->isVisible());
    EXPECT_EQ (e.getCurrentSkinName(), "Large");
}

TEST_F (PlainEditorTest, SkinNamesInSettingsAndStateAndTheNotFoundNotice)
{
    start();
    // An empty skins folder: the notice names it.
    EXPECT_EQ (statusBar().getText(),
               EditorStatusTexts::skinsNotFound (editor().getSkinsDirectory().getFullPathName()));
    EXPECT_EQ (statusBar().getPriority(), 0);
    plugin.reset();

    writeUserSkin (folders.getSkinsFolder(), "Small", 300, 200);
    writeUserSkin (folders.getSkinsFolder(), "Large", 500, 320);

    // A saved default skin is read from the user settings file and applied.
    juce::XmlElement settings ("UserSettings");
    settings.setAttribute ("application", productName);
    settings.createNewChildElement ("EDITOR")->createNewChildElement ("skin")->setAttribute ("name", "Large");
    folders.getUserFolder().getChildFile ("Zeb Group").getChildFile (productName).createDirectory();
    start();
    ASSERT_TRUE (settings.writeTo (plugin->getUserSettingsFile()));
    plugin.reset();
    start();
    EXPECT_EQ (editor().getDefaultSkinName(), "Large");
    EXPECT_EQ (editor().getCurrentSkinName(), "Large");

    const auto written = editor().createSettingsXml();
    ASSERT_NE (written->getChildByName ("Skin"), nullptr);
    EXPECT_EQ (written->getChildByName ("Skin")->getStringAttribute ("name"), "Large");

    juce::XmlElement state ("editor");
    state.createNewChildElement ("Skin")->setAttribute ("name", "Small");
    editor().restoreStateXml (state);
    EXPECT_EQ (editor().getCurrentSkinName(), "Small");
    EXPECT_EQ (editor().createStateXml()->getChildByName ("Skin")->getStringAttribute ("name"), "Small");

    // A state naming a skin that is not there changes nothing.
    state.getChildByName ("Skin")->setAttribute ("name", "Gone");
    editor().restoreStateXml (state);
    EXPECT_EQ (editor().getCurrentSkinName(), "Small");
}

TEST_F (PlainEditorTest, MidiActivityLightsForAMomentAndTheLearnButtonBlinks)
{
    writeUserSkin (folders.getSkinsFolder(), "Small", 300, 200);
    start();
    auto& e = editor();
    auto* light = e.getMidiActivityLight();
    auto* button = e.getMidiLearnButton();
    ASSERT_NE (light, nullptr);
    ASSERT_NE (button, nullptr);

    e.timerUpdate();
    EXPECT_EQ (light->getFrame(), 0);
    plugin->getMidiActivityFlag().store (1);
    e.timerUpdate();
    EXPECT_EQ (light->getFrame(), 1);
    EXPECT_EQ (plugin->getMidiActivityFlag().load(), 0);
    light->timerCallback(); // 175 ms later
    EXPECT_EQ (light->getFrame(), 0);

    plugin->getMidiControl().setLearnMode (true);
    EXPECT_EQ (button->getState(), 1);
    EXPECT_TRUE (button->isBlinking());
    EXPECT_EQ (button->getBlinkPeriod(), BasePluginEditor::learnBlinkMilliseconds);
    plugin->getMidiControl().setLearnMode (false);
    EXPECT_EQ (button->getState(), 0);
    EXPECT_FALSE (button->isBlinking());
}

//==============================================================================
// Timer, tooltip, layout, paint

TEST_F (PlainEditorTest, TimerAndTooltipRunOnlyWhileTheEditorShows)
{
    start();
    auto& e = editor();
    e.timerCallback(); // the first tick of a hidden editor stops its timer
    EXPECT_FALSE (e.isTimerRunning());
    EXPECT_EQ (e.getTooltipWindow(), nullptr);

    e.setVisible (true);
    EXPECT_TRUE (e.isTimerRunning());
    EXPECT_EQ (e.getTimerInterval(), BasePluginEditor::timerIntervalMilliseconds);
    ASSERT_NE (e.getTooltipWindow(), nullptr);
    EXPECT_EQ (e.getTooltipWindow()->getParentComponent(), &e);

    e.setVisible (false);
    EXPECT_FALSE (e.isTimerRunning());
    EXPECT_EQ (e.getTooltipWindow(), nullptr);
}

TEST_F (PlainEditorTest, GenericControlsFillRowsOfSixtyFourPixelColumns)
{
    start (false, true);
    auto& e = editor();
    int expected = 0; // one control per existing parameter among the host slots' ids
    for (int id = 0; id < plugin->getNumHostParameters(); ++id)
        expected += plugin->getParameterManager().getParameter (id) != nullptr ? 1 : 0;
    ASSERT_EQ (e.getNumGenericControls(), expected);
    ASSERT_GT (expected, 13);

    // 800 wide: 12 columns from x = 5, rows 120 apart from y = 30.
    for (int i = 0; i < 13; ++i)
    {
        auto* component = dynamic_cast<juce::Component*> (e.getGenericControl (i));
        ASSERT_NE (component, nullptr);
        EXPECT_EQ (component->getBounds(),
                   juce::Rectangle<int> ((i % 12) * 64 + 5, 30 + (i / 12) * 120, 50, 80))
            << i;
        EXPECT_EQ (e.getGenericControl (i)->getParameter(), plugin->getParameterManager().getParameter (i));
    }

    // The kind follows the parameter.
    const auto kindOf = [&] (int id) -> juce::String
    {
        for (int i = 0; i < e.getNumGenericControls(); ++i)
            if (auto* c = e.getGenericControl (i);
                c->getParameter() != nullptr && c->getParameter()->getId() == id)
                return dynamic_cast<GFXToggleButton*> (c) != nullptr ? "toggle"
                       : dynamic_cast<GFXSwitch*> (c) != nullptr     ? "switch"
                       : dynamic_cast<GFXKnob*> (c) != nullptr       ? "knob"
                                                                     : "?";
        return "none";
    };
    EXPECT_EQ (kindOf (0), "knob");
    EXPECT_EQ (kindOf (38), "toggle"); // "Arpe State", a bool
}

TEST_F (PlainEditorTest, FallbackPaintWithoutPanel)
{
    for (bool generic : {false, true})
    {
        start (false, generic);
        const auto image = editor().createComponentSnapshot (editor().getLocalBounds());
        // The top-right corner: away from the product name whichever way it is placed.
        const auto corner = image.getPixelAt (editor().getWidth() - 3, 3);
        EXPECT_EQ (corner, generic ? juce::Colour (0xFFD3D3D3) : juce::Colours::black) << generic;

        // The product name is drawn: some pixel of the content area differs from the background.
        bool drawn = false;
        for (int y = 0; y < editor().getContentHeight() && !drawn; y += 2)
            for (int x = 0; x < editor().getWidth() && !drawn; x += 2)
                drawn = image.getPixelAt (x, y) != corner;
        EXPECT_TRUE (drawn) << generic;
        plugin.reset();
    }
}

TEST_F (PlainEditorTest, ModalAreaLeavesOutTheStatusBarAndControlsAreFoundDepthFirst)
{
    start (false);
    EXPECT_EQ (editor().getModalArea(), juce::Rectangle<int> (0, 0, 800, 600));

    juce::Component outer, nested, deep, direct;
    outer.setName ("outer");
    nested.setName ("target");
    deep.setName ("target");
    direct.setName ("target");
    outer.addChildComponent (nested);
    nested.addChildComponent (deep);
    juce::Component root;
    root.addChildComponent (outer);
    EXPECT_EQ (BasePluginEditor::findControlByName (&root, "target"), &nested);
    root.addChildComponent (direct); // a direct child wins over a deeper match found first
    EXPECT_EQ (BasePluginEditor::findControlByName (&root, "target"), &direct);
    EXPECT_EQ (BasePluginEditor::findControlByName (&root, "none"), nullptr);
    EXPECT_EQ (BasePluginEditor::findControlByName (nullptr, "target"), nullptr);
}

TEST_F (PlainEditorTest, OnlyAutomatableParametersAreLearnedFromTheEditor)
{
    start();
    auto& map = plugin->getMidiControl();
    map.setLearnMode (true);
    auto& state = parameter ("Self Reset State"); // not automatable
    editor().passToMidiLearn (&state);
    EXPECT_EQ (map.getLearnParameter(), nullptr);
    editor().passToMidiLearn (&parameter ("Cutoff"));
    EXPECT_EQ (map.getLearnParameter(), &parameter ("Cutoff"));

    map.setLearnMode (false);
    editor().passToMidiLearn (&parameter ("Resonance"));
    EXPECT_EQ (map.getLearnParameter(), nullptr);
}

//==============================================================================
// The editor's element in the user settings file and in the state chunk

namespace
{
juce::StringArray childTags (const juce::XmlElement& xml)
{
    juce::StringArray tags;
    for (const auto* child : xml.getChildIterator())
        tags.add (child->getTagName());
    return tags;
}

juce::String skinNameIn (const juce::XmlElement* editorElement)
{
    const auto* skin = editorElement != nullptr ? editorElement->getChildByName ("Skin") : nullptr;
    return skin != nullptr ? skin->getStringAttribute ("name") : "<none>";
}

/** Two user skins: "Large" is the first entry, so it is what an editor shows when nothing says otherwise. */
void writeLargeAndSmall (const DataFolders& folders)
{
    writeUserSkin (folders.getSkinsFolder(), "Large", 500, 320);
    writeUserSkin (folders.getSkinsFolder(), "Small", 300, 200);
}
} // namespace

TEST_F (PlainEditorTest, SettingsFileCarriesTheEditorElementAfterTheFrameworkSectionsAndGivesItBack)
{
    writeLargeAndSmall (folders);
    start();
    EXPECT_EQ (editor().getDefaultSkinName(), "Large");
    editor().setDefaultSkinName ("Small");
    plugin->saveUserSettings();

    const auto saved = juce::parseXML (plugin->getUserSettingsFile());
    ASSERT_NE (saved, nullptr);
    EXPECT_EQ (childTags (*saved),
               juce::StringArray ({"Presets", "MidiControlMap", "HostParametersMap", "Preset", "Editor"}));
    EXPECT_EQ (skinNameIn (saved->getChildByName ("Editor")), "Small");

    plugin.reset();
    start();
    EXPECT_EQ (editor().getDefaultSkinName(), "Small");
    EXPECT_EQ (editor().getCurrentSkinName(), "Small");

    // Skin files off: the element is written, empty.
    plugin.reset();
    start (false);
    plugin->saveUserSettings();
    const auto plain = juce::parseXML (plugin->getUserSettingsFile());
    ASSERT_NE (plain, nullptr);
    ASSERT_NE (plain->getChildByName ("Editor"), nullptr);
    EXPECT_EQ (plain->getChildByName ("Editor")->getNumChildElements(), 0);
}

TEST_F (PlainEditorTest, SettingsWithoutAnEditorElementOfTheirOwnLeaveTheDefaultSkin)
{
    writeLargeAndSmall (folders);
    const char* const files[] = {
        "<UserSettings application='PlainSynth'/>",
        "<UserSettings application='PlainSynth'><Editr><Skin name='Small'/></Editr></UserSettings>",
        "<UserSettings application='PlainSynth'><Editor><Skn name='Small'/></Editor></UserSettings>",
        "<UserSettings application='OtherSynth'><Editor><Skin name='Small'/></Editor></UserSettings>",
        "<Settings application='PlainSynth'><Editor><Skin name='Small'/></Editor></Settings>",
        "<UserSettings application='PlainSynth'><Editor><Skin name='Small'/>",
    };
    for (const auto* text : files)
    {
        writeSettingsFile (text);
        start();
        EXPECT_EQ (editor().getDefaultSkinName(), "Large") << text;
        EXPECT_EQ (editor().getCurrentSkinName(), "Large") << text;
        plugin.reset();
        pumpMessages();
    }
}

TEST_F (PlainEditorTest, StateChunkCarriesTheSkinShowingAndRestoresItOnTheMessageThreadOnly)
{
    writeLargeAndSmall (folders);
    start();
    editor().applySkin ("Small");

    juce::MemoryBlock chunk;
    plugin->getStateInformation (chunk);
    const auto state = BasePlugin::getXmlFromBinary (chunk.getData(), (int) chunk.getSize());
    ASSERT_NE (state, nullptr);
    EXPECT_EQ (state->getTagName(), "PluginState");
    EXPECT_EQ (childTags (*state), juce::StringArray ("Editor"));
    EXPECT_EQ (skinNameIn (state->getChildByName ("Editor")), "Small");

    editor().applySkin ("Large");
    setState (chunk);
    EXPECT_EQ (editor().getCurrentSkinName(), "Small");

    // A host thread's state waits for the message thread: the editor builds components.
    editor().applySkin ("Large");
    std::thread host ([&] { setState (chunk); });
    host.join();
    EXPECT_EQ (editor().getCurrentSkinName(), "Large");
    plugin->handleUpdateNowIfNeeded();
    EXPECT_EQ (editor().getCurrentSkinName(), "Small");
}

TEST_F (PlainEditorTest, StatesWithoutAUsableEditorElementLeaveTheSkinShowing)
{
    writeLargeAndSmall (folders);
    start();
    ASSERT_EQ (editor().getCurrentSkinName(), "Large");

    auto state = [] (const char* application, const char* tag, const char* skin)
    {
        juce::XmlElement xml ("PluginState");
        xml.setAttribute ("application", application);
        if (tag != nullptr)
            xml.createNewChildElement (tag)->createNewChildElement ("Skin")->setAttribute ("name", skin);
        return chunkOf (xml);
    };
    struct Case
    {
        const char* name;
        juce::MemoryBlock chunk;
    };
    const Case cases[] = {
        {"no editor element", state (productName, nullptr, "")},
        {"another element", state (productName, "Editr", "Small")},
        {"a skin that is not there", state (productName, "Editor", "Gone")},
        {"an empty skin name", state (productName, "Editor", "")},
        {"another product's state", state ("OtherSynth", "Editor", "Small")},
        {"bytes that are no chunk", juce::MemoryBlock ("<Editor><Skin name='Small'/></Editor>", 36)},
    };
    for (const auto& c : cases)
    {
        setState (c.chunk);
        plugin->handleUpdateNowIfNeeded();
        EXPECT_EQ (editor().getCurrentSkinName(), "Large") << c.name;
        EXPECT_TRUE (editor().getSkinPanel()->isVisible()) << c.name;
    }
}
