#include "KelvanorEditorFixture.h"

#include "editor/pages/MidiControlComponent.h"
#include "skin/controls/GFXButton.h"
#include "skin/controls/GFXKnob.h"
#include "skin/controls/GFXMultiStateButton.h"
#include "skin/controls/GFXSwitch.h"
#include "skin/displays/NumericDisplay.h"
#include "skin/displays/PatternNumberDisplay.h"
#include "skin/panel/GFXPanel.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace KelvanorEditorTest
{
namespace
{
using Getter = std::function<juce::Component*(KelvanorEditor&)>;

/** Every control an editor layer keeps, by its skin name. */
std::vector<std::pair<juce::String, Getter>> keptControls()
{
    std::vector<std::pair<juce::String, Getter>> kept{
        {"PresetNameDisplay", [] (KelvanorEditor& e) { return e.getPresetNameDisplay(); }},
        {"PatternNumberDisplay", [] (KelvanorEditor& e) { return e.getPatternNumberDisplay(); }},
        {"PatternNameDisplay", [] (KelvanorEditor& e) { return e.getPatternNameDisplay(); }},
        {"TempoDisplay", [] (KelvanorEditor& e) { return e.getTempoDisplay(); }},
        {"TempoKnob", [] (KelvanorEditor& e) { return e.getTempoKnob(); }},
        {"ShuffleKnob", [] (KelvanorEditor& e) { return e.getShuffleKnob(); }},
        {"ShuffleDisplay", [] (KelvanorEditor& e) { return e.getShuffleDisplay(); }},
        {"PattRandModeButton", [] (KelvanorEditor& e) { return e.getRandomizerButton(); }},
        {"PattLengthButton", [] (KelvanorEditor& e) { return e.getLengthButton(); }},
        {"PattPrevButton", [] (KelvanorEditor& e) { return e.getPreviousPatternButton(); }},
        {"PattNextButton", [] (KelvanorEditor& e) { return e.getNextPatternButton(); }},
        {"ArpeShuffleDisplay", [] (KelvanorEditor& e) { return e.getArpeShuffleDisplay(); }},
        {"ArpeRepeaterSwitch", [] (KelvanorEditor& e) { return e.getArpeRepeaterSwitch(); }},
        {"ArpeMultiplierSwitch", [] (KelvanorEditor& e) { return e.getArpeMultiplierSwitch(); }},
        {"ArpeChordSwitch", [] (KelvanorEditor& e) { return e.getArpeChordSwitch(); }},
        {"RandChordSwitch", [] (KelvanorEditor& e) { return e.getRandChordSwitch(); }},
        {"OctaveDownButton", [] (KelvanorEditor& e) { return e.getOctaveDownButton(); }},
        {"OctaveUpButton", [] (KelvanorEditor& e) { return e.getOctaveUpButton(); }},
        {"GateButton", [] (KelvanorEditor& e) { return e.getGateButton(); }},
        {"AccentButton", [] (KelvanorEditor& e) { return e.getAccentButton(); }},
        {"SlideButton", [] (KelvanorEditor& e) { return e.getSlideButton(); }},
        {"RandNotesButton", [] (KelvanorEditor& e) { return e.getRandNotesButton(); }},
        {"MidiLearnButton", [] (KelvanorEditor& e) { return e.getMidiLearnButton(); }},
    };
    const char* const kinds[] = {"Gate", "Accent", "Slide"};
    for (int i = 0; i < 3; ++i)
    {
        kept.push_back (
            {juce::String (kinds[i]) + "LevelKnob", [i] (KelvanorEditor& e) { return e.getLevelKnob (i); }});
        kept.push_back ({juce::String (kinds[i]) + "ThresholdKnob",
                         [i] (KelvanorEditor& e) { return e.getThresholdKnob (i); }});
    }
    for (int k = 0; k < KelvanorEditor::numNoteKeys; ++k)
        kept.push_back ({KelvanorEditor::noteKeyNames[(size_t) k],
                         [k] (KelvanorEditor& e) { return e.getNoteButton (k); }});
    for (int s = 0; s < KelvanorEditor::numSteps; ++s)
    {
        const auto nn = juce::String (s + 1).paddedLeft ('0', 2);
        kept.push_back ({"PattLen" + nn + "Led", [s] (KelvanorEditor& e) { return e.getLengthLight (s); }});
        kept.push_back ({"PattStepNum" + nn + "Led", [s] (KelvanorEditor& e) { return e.getStepLight (s); }});
    }
    return kept;
}

class EditorBehaviour : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        applySkin ("Full", fullSkinControls());
    }

    /** Every state the panel shows and every event the editors handle themselves, once each way. */
    void exerciseEverything()
    {
        for (int id = Kelvanor::selfResetStateId; id <= Kelvanor::oscillatorTuningTypeId; ++id)
            for (const float v : {1.0f, 0.0f})
                setParameter (id, v);
        for (int id = IntSeqPlugin::internalSequencerStateId; id <= IntSeqPlugin::lastSequencerParameterId;
             ++id)
            if (id != IntSeqPlugin::patternNameId && id != IntSeqPlugin::patternTempoId &&
                id != IntSeqPlugin::patternShuffleId)
                for (const float v : {1.0f, 0.0f})
                    setParameter (id, v);
        for (const int uid : {IntSeqPlugin::loadPatternsEvent, IntSeqPlugin::savePatternsEvent})
            fire (uid);
        editor().getLoadMenu().showAt (nullptr, {}, 16);
    }

    /** Types into a display as the user does: a click's edit, backspaces, the text, Return. */
    static void type (GFXDisplay& display, const juce::String& text)
    {
        display.beginEditing();
        for (int i = display.getText().length(); --i >= 0;)
            display.keyPressed (juce::KeyPress (juce::KeyPress::backspaceKey));
        for (auto c : text)
            display.keyPressed (juce::KeyPress ((int) c, {}, c));
        display.keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
        pumpMessages();
    }
};

TEST_F (EditorBehaviour, ASkinChangeFindsEveryControlInTheNewPanel)
{
    for (const int offset : {5, 0})
    {
        applySkin ("Panel" + juce::String (offset), fullSkinControls(), offset);
        for (const auto& [name, get] : keptControls())
        {
            auto* kept = get (editor());
            EXPECT_NE (kept, nullptr) << name;
            EXPECT_EQ (kept, control (name)) << name;
            EXPECT_TRUE (editor().getSkinPanel()->isParentOf (kept)) << name;
        }
    }
}

TEST_F (EditorBehaviour, ASkinWithoutTheControlsLeavesNoPointerIntoTheOldPanel)
{
    // Same names, other classes: none may be taken as what the editors expect.
    std::vector<SkinControl> wrongClasses;
    for (const auto& [name, get] : keptControls())
        wrongClasses.push_back ({name.contains ("Knob") ? "Display" : "Knob", name, {}});

    for (const auto& [skin, controls] : {std::pair{juce::String ("Bare"), std::vector<SkinControl>{}},
                                         std::pair{juce::String ("WrongClasses"), wrongClasses}})
    {
        SCOPED_TRACE (skin);
        applySkin (skin, controls);
        for (const auto& [name, get] : keptControls())
            EXPECT_EQ (get (editor()), nullptr) << name;
        exerciseEverything();
        EXPECT_FALSE (editor().getLoadMenu().isOpen());
        applySkin ("Full", fullSkinControls());
    }
}

TEST_F (EditorBehaviour, DisplaysOfANewPanelRenameThePatternAndThePreset)
{
    applySkin ("Again", fullSkinControls(), 2);
    processor().setWriteMode (true);
    pumpMessages();

    type (*editor().getPatternNameDisplay(), "Acid Line");
    EXPECT_EQ (processor().getPatternName (processor().getEditedPattern()), "Acid Line");

    const int preset = processor().getCurrentPresetIndex();
    type (*editor().getPresetNameDisplay(), "Squelch");
    EXPECT_EQ (processor().getPresetName (preset), "Squelch");

    // An empty name is refused: the preset keeps its name and the display shows it again.
    type (*editor().getPresetNameDisplay(), "");
    EXPECT_EQ (processor().getPresetName (preset), "Squelch");
    EXPECT_EQ (editor().getPresetNameDisplay()->getText(), "Squelch");
}

TEST_F (EditorBehaviour, PresetEventsWorkOnTheBank)
{
    const int first = processor().getCurrentPresetIndex();
    fire (1002);
    EXPECT_EQ (processor().getCurrentPresetIndex(), first + 1);
    fire (1003);
    EXPECT_EQ (processor().getCurrentPresetIndex(), first);

    processor().setPresetStoringMode (BasePluginOldStyle::onDemandStoring);
    const float edited = parameterValue (Kelvanor::resonanceId) < 0.5f ? 0.8f : 0.2f;
    setParameter (Kelvanor::resonanceId, edited);
    fire (1009);
    EXPECT_FLOAT_EQ (processor().getBankPreset (first)->getValue (Kelvanor::resonanceId), edited);

    fire (1007);
    EXPECT_TRUE (processor().isCopyBufferFull());
    fire (1002);
    fire (1008);
    EXPECT_FLOAT_EQ (processor().getBankPreset (first + 1)->getValue (Kelvanor::resonanceId), edited);

    ASSERT_NE (editor().getPresetBrowser(), nullptr);
    EXPECT_FALSE (editor().getPresetBrowser()->isVisible());
    fire (1004);
    EXPECT_TRUE (editor().getPresetBrowser()->isVisible());
    EXPECT_EQ (editor().getPresetBrowser()->getWidth(), BasePluginEditorOldStyle::presetBrowserWidth);
    EXPECT_EQ (editor().getPresetBrowser()->getHeight(), BasePluginEditorOldStyle::presetBrowserHeight);
}

TEST_F (EditorBehaviour, PatternMenusOpenUnderTheirKeysOnlyWhileTheSequencerIsOn)
{
    struct Case
    {
        int uid;
        PopupMenuEx& menu;
        juce::Component* key;
    };
    const Case cases[] = {
        {IntSeqPlugin::loadPatternsEvent, editor().getLoadMenu(), editor().getPreviousPatternButton()},
        {IntSeqPlugin::savePatternsEvent, editor().getSaveMenu(), editor().getNextPatternButton()}};
    for (const auto& c : cases)
    {
        processor().setInternalSequencer (false);
        fire (c.uid);
        EXPECT_FALSE (c.menu.isOpen()) << c.uid;

        processor().setInternalSequencer (true);
        fire (c.uid);
        ASSERT_TRUE (c.menu.isOpen()) << c.uid;
        EXPECT_EQ (c.menu.getParentComponent(), &editor());
        EXPECT_EQ (c.menu.getTargetArea(), editor().getLocalArea (c.key, c.key->getLocalBounds()));
        EXPECT_EQ (c.menu.getPlacement(), 16);
        EXPECT_EQ (c.menu.getItem (0)->text,
                   c.uid == IntSeqPlugin::loadPatternsEvent ? "Load pattern" : "Save pattern");
        c.menu.showAt (nullptr, {}, 16); // closed again by the next open or the fixture
        pumpMessages();
    }
}

class PatternFiles : public EditorBehaviour
{
protected:
    void SetUp() override
    {
        EditorBehaviour::SetUp();
        editor().setFileChooserFunction (
            [this] (const FileChooserPolicy::Request& request, FileChooserPolicy::Callback done)
            {
                requests.push_back (request);
                if (answer != juce::File())
                    done (request.handedFile (answer));
            });
    }

    void choose (bool saving, bool bank, const juce::File& file)
    {
        answer = file;
        editor().popupMenuItemSelected (
            saving ? &editor().getSaveMenu() : &editor().getLoadMenu(),
            bank ? IntSeqPluginEditor::patternBankItem : IntSeqPluginEditor::singlePatternItem, false);
        pumpMessages();
    }

    std::vector<FileChooserPolicy::Request> requests;
    juce::File answer;
};

TEST_F (PatternFiles, EachMenuItemAsksWithItsTitleAndFilter)
{
    struct Case
    {
        bool saving, bank;
        juce::String title, patterns;
    };
    const Case cases[] = {{false, false, "Load single pattern", processor().getPatternFileWildcards()},
                          {false, true, "Load pattern bank", processor().getPatternBankFileWildcards()},
                          {true, false, "Save current pattern", processor().getPatternFileWildcard()},
                          {true, true, "Save pattern bank", processor().getPatternBankFileWildcard()}};
    processor().setRecentlyUsedDirectory (folder.getFolder());
    for (const auto& c : cases)
    {
        choose (c.saving, c.bank, {});
        ASSERT_FALSE (requests.empty());
        EXPECT_EQ (requests.back().title, c.title);
        EXPECT_EQ (requests.back().patterns, c.patterns);
        EXPECT_EQ (requests.back().saving, c.saving);
        EXPECT_EQ (requests.back().initialLocation, folder.getFolder());
    }
}

TEST_F (PatternFiles, SavedFilesGetTheirExtensionAndLoadBack)
{
    const auto saved = folder.getChildFile ("songs");
    ASSERT_TRUE (saved.createDirectory());
    const int edited = processor().getEditedPattern();
    processor().setPatternName (edited, "Before");

    choose (true, false, saved.getChildFile ("one"));
    choose (true, true, saved.getChildFile ("all.klptrb"));
    EXPECT_TRUE (saved.getChildFile ("one" + processor().getPatternFileExtension()).existsAsFile());
    EXPECT_TRUE (saved.getChildFile ("all.klptrb").existsAsFile());
    EXPECT_FALSE (saved.getChildFile ("all.klptrb" + processor().getPatternBankFileExtension()).exists());
    EXPECT_EQ (processor().getRecentlyUsedDirectory(), saved);

    processor().setPatternName (edited, "After");
    choose (false, false, saved.getChildFile ("one" + processor().getPatternFileExtension()));
    EXPECT_EQ (processor().getPatternName (edited), "Before");
    processor().setPatternName (edited, "Again");
    choose (false, true, saved.getChildFile ("all.klptrb"));
    EXPECT_EQ (processor().getPatternName (edited), "Before");
}

TEST_F (PatternFiles, AFileThatFailsSaysSoAndChangesNothing)
{
    const auto blocker = folder.getChildFile ("not-a-folder");
    ASSERT_TRUE (blocker.replaceWithText ("x"));
    const int edited = processor().getEditedPattern();
    processor().setPatternName (edited, "Kept");

    statusBar().clearText (-1);
    choose (true, true, blocker.getChildFile ("bank"));
    EXPECT_TRUE (statusBar().getText().startsWith ("Could not save")) << statusBar().getText();

    statusBar().clearText (-1);
    const auto garbage = folder.getChildFile ("garbage.klptr");
    ASSERT_TRUE (garbage.replaceWithText ("<Pattern application='SomethingElse'/>"));
    choose (false, false, garbage);
    EXPECT_TRUE (statusBar().getText().startsWith ("Could not load")) << statusBar().getText();
    EXPECT_EQ (processor().getPatternName (edited), "Kept");
}

TEST_F (EditorBehaviour, MidiMapChoosersStartInTheRecentFolderAndAFailedLoadSaysSo)
{
    const struct InTheEditor
    {
        InTheEditor() { FileChooserPolicy::setMode (FileChooserPolicy::Mode::editorWindow); }
        ~InTheEditor() { FileChooserPolicy::setMode (FileChooserPolicy::Mode::automatic); }
    } choosers;
    auto& page = editor().getMidiControlPage();
    auto* cutoff = processor().getParameterManager().getParameter (2);
    processor().getMidiControl().assign (7, cutoff, false);
    const auto recent = [this] { return processor().getRecentlyUsedDirectory().getFullPathName(); };
    const auto choose = [&] (juce::Button& button, const juce::File& file)
    {
        page.buttonClicked (&button);
        auto* window = page.getChooser().getBrowserWindow();
        ASSERT_NE (window, nullptr);
        EXPECT_EQ (window->getBrowser().getRoot().getFullPathName(), recent());
        window->getBrowser().setRoot (file.getParentDirectory());
        window->getBrowser().setFileName (file.getFileName());
        window->buttonClicked (&window->getOkButton());
        pumpMessages();
        EXPECT_EQ (recent(), file.getParentDirectory().getFullPathName());
    };
    const auto maps = folder.getChildFile ("maps");
    ASSERT_TRUE (maps.createDirectory());
    choose (page.getSaveButton(), maps.getChildFile ("Bass.klccmap"));

    // Text that does not parse, and another product's map, each in the other folder than the last file.
    const char* texts[] = {"CC 7 = Cutoff",
                           "<MidiControlMap name='Other'><assign CC='1' param='Cutoff'/></MidiControlMap>"};
    for (const auto* dir : {&folder.getFolder(), &maps})
    {
        const auto file = dir->getChildFile ("bad.klccmap");
        ASSERT_TRUE (file.replaceWithText (texts[dir == &maps]));
        choose (page.getLoadButton(), file);
        EXPECT_EQ (statusBar().getText(),
                   "Could not load the MIDI control map from '" + file.getFullPathName() + "'.");
        EXPECT_EQ (processor().getMidiControl().getParameterOfController (7), cutoff);
    }
}

TEST_F (EditorBehaviour, StepLightsFollowThePlayingSequencer)
{
    processor().prepareToPlay (44100.0, 512);
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    auto render = [&] (int blocks)
    {
        for (int i = 0; i < blocks; ++i)
        {
            buffer.clear();
            midi.clear();
            processor().processBlock (buffer, midi);
        }
        pumpMessages();
    };

    fire (IntSeqPlugin::startEvent);
    std::vector<int> seen;
    for (int round = 0; round < 40; ++round)
    {
        render (4);
        int lit = -1, count = 0;
        for (int s = 0; s < KelvanorEditor::numSteps; ++s)
            if (editor().getStepLight (s)->isInverted())
                lit = s, ++count;
        ASSERT_EQ (count, 1) << "round " << round;
        EXPECT_EQ (lit, processor().getPlayingStep());
        if (seen.empty() || seen.back() != lit)
            seen.push_back (lit);
    }
    EXPECT_GE (seen.size(), 4u) << "the light moved with the steps";
    EXPECT_FLOAT_EQ (parameterValue (IntSeqPlugin::nativeModeReadyStateId), 0.0f);

    fire (IntSeqPlugin::stopEvent);
    render (2);
    for (int s = 0; s < KelvanorEditor::numSteps; ++s)
        EXPECT_FALSE (editor().getStepLight (s)->isInverted()) << s;
}
} // namespace
} // namespace KelvanorEditorTest
