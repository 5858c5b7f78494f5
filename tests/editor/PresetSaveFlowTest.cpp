#include "EditorTestFixture.h"

#include "editor/PresetSaveFlow.h"

using namespace EditorTest;

namespace
{
/** The file prompt seam: records each request and answers only when the test says so. */
struct RecordingPrompt
{
    struct Asked
    {
        PresetSaveFlow::SaveRequest request;
        PresetSaveFlow::OnChosen answer;
    };

    PresetSaveFlow::FilePrompt function()
    {
        return [this] (const PresetSaveFlow::SaveRequest& r, PresetSaveFlow::OnChosen a) {
            asked.push_back ({r, a});
        };
    }

    std::vector<Asked> asked;
};

class PresetSaveFlowTest : public PlainEditorTest
{
protected:
    void SetUp() override
    {
        start (false);
        flow().setFilePrompt (prompt.function());
        collection = plugin->getCurrentPresetCollection ("Presets");
        ASSERT_NE (collection, nullptr);
    }

    PresetSaveFlow& flow() { return editor().getPresetSaveFlow(); }
    juce::File presetFile (const juce::String& name) const
    {
        return folders.getPresetFolder().getChildFile (name);
    }

    /** A preset file written with the Cutoff value given, made the current one. */
    void writePreset (const juce::String& name, float cutoff)
    {
        parameter ("Cutoff").setValueNormalised (cutoff, true);
        plugin->storePresetToFile (collection, presetFile (name));
        ASSERT_TRUE (presetFile (name).existsAsFile());
    }

    /** Answers the question shown with the given result, the way its button does. */
    void clickAnswer (Zeb::AlertWindow* question, int result)
    {
        ASSERT_NE (question, nullptr);
        ASSERT_TRUE (question->isVisible());
        for (int i = 0; i < question->getNumButtons(); ++i)
            if (question->getResultCode (i) == result)
            {
                question->getButton (i)->triggerClick();
                pumpMessages(); // the click is posted
                return;
            }
        FAIL() << "no button for result " << result;
    }

    juce::String current() { return plugin->getCurrentPresetName (collection); }

    RecordingPrompt prompt;
    PresetCollection* collection = nullptr;
};
} // namespace

//==============================================================================
TEST_F (PresetSaveFlowTest, TheNewPresetFileLiesBesideTheCurrentOneWithALowerCaseExtension)
{
    EXPECT_EQ (flow().makePresetFile (collection), presetFile ("New Bass.pspreset"));

    presetFile ("sub").createDirectory();
    writePreset ("sub/a.pspreset", 0.1f);
    EXPECT_EQ (flow().makePresetFile (collection), presetFile ("sub/New Bass.pspreset"));

    // A current preset whose folder has gone falls back to the collection's folder.
    plugin->setCurrentPresetName (collection, presetFile ("gone/x.pspreset").getFullPathName());
    EXPECT_EQ (flow().makePresetFile (collection), presetFile ("New Bass.pspreset"));
    EXPECT_EQ (flow().makePresetFile (nullptr), juce::File());
}

TEST_F (PresetSaveFlowTest, SaveOverAnExistingFileAsksAndOnlyYesWrites)
{
    writePreset ("New Bass.pspreset", 0.2f);
    const auto before = presetFile ("New Bass.pspreset").loadFileAsString();
    parameter ("Cutoff").setValueNormalised (0.9f, true);

    for (int result : {Zeb::AlertWindow::cancelResult, Zeb::AlertWindow::yesResult})
    {
        flow().savePreset ("Presets");
        auto* question = flow().getOverwriteQuestion();
        ASSERT_NE (question, nullptr);
        EXPECT_EQ (question->getMessage(), "Do you want to overwrite preset 'New Bass' ?");
        EXPECT_EQ (question->getTitle(), "Presets");
        clickAnswer (question, result);
        EXPECT_EQ (presetFile ("New Bass.pspreset").loadFileAsString() == before,
                   result == Zeb::AlertWindow::cancelResult);
    }
    EXPECT_TRUE (prompt.asked.empty());
}

TEST_F (PresetSaveFlowTest, SaveWithoutAFilePromptsAndWritesTheChoice)
{
    flow().savePreset ("Presets");
    ASSERT_EQ (prompt.asked.size(), 1u);
    EXPECT_EQ (prompt.asked[0].request.title, "Save current presets");
    EXPECT_EQ (prompt.asked[0].request.pattern, "*.pspreset");
    EXPECT_EQ (prompt.asked[0].request.initialFile, presetFile ("New Bass.pspreset"));

    prompt.asked[0].answer (presetFile ("Chosen"));
    EXPECT_TRUE (presetFile ("Chosen.pspreset").existsAsFile());
    EXPECT_EQ (current(), presetFile ("Chosen.pspreset").getFullPathName());
}

TEST_F (PresetSaveFlowTest, ANameWithoutItsExtensionIsAskedAboutWhenThatFileExists)
{
    writePreset ("Taken.pspreset", 0.3f);
    const auto before = presetFile ("Taken.pspreset").loadFileAsString();
    parameter ("Cutoff").setValueNormalised (0.7f, true);

    flow().savePresetAs ("Presets");
    prompt.asked.back().answer (presetFile ("Taken"));
    ASSERT_NE (flow().getOverwriteQuestion(), nullptr);
    EXPECT_TRUE (flow().getOverwriteQuestion()->isVisible());
    EXPECT_EQ (presetFile ("Taken.pspreset").loadFileAsString(), before);

    // Chosen with its extension, the chooser has warned already: written at once.
    flow().getOverwriteQuestion()->hideWindow();
    flow().savePresetAs ("Presets");
    prompt.asked.back().answer (presetFile ("Taken.pspreset"));
    EXPECT_FALSE (flow().getOverwriteQuestion()->isVisible());
    EXPECT_NE (presetFile ("Taken.pspreset").loadFileAsString(), before);
}

TEST_F (PresetSaveFlowTest, WithoutANameSaveAsksForOneAndNeverWritesANamelessFile)
{
    plugin->newPresetName = {};
    // Even with a file named only by the extension in place, "Save" asks rather than overwriting it.
    presetFile (".pspreset").replaceWithText ("old");
    flow().savePreset ("Presets");
    ASSERT_EQ (prompt.asked.size(), 1u);
    EXPECT_EQ (flow().getOverwriteQuestion(), nullptr);
    EXPECT_EQ (prompt.asked[0].request.initialFile, folders.getPresetFolder());

    // A choice that is only the extension is no name: asked again, nothing written.
    prompt.asked[0].answer (presetFile (".pspreset"));
    EXPECT_EQ (prompt.asked.size(), 2u);
    EXPECT_EQ (presetFile (".pspreset").loadFileAsString(), "old");
    EXPECT_EQ (current(), "");

    prompt.asked[1].answer (presetFile ("Named"));
    EXPECT_TRUE (presetFile ("Named.pspreset").existsAsFile());
}

TEST_F (PresetSaveFlowTest, ChangedPresetQuestionDecisionTable)
{
    writePreset ("a.pspreset", 0.1f);
    writePreset ("b.pspreset", 0.2f);

    struct Case
    {
        int result;
        bool newNameFileExists;
        const char* expectedCurrent; // after the answer
        size_t prompts;
        bool newNameWritten;
    };
    const Case cases[] = {
        {Zeb::AlertWindow::discardResult, false, "a.pspreset", 0, false}, // moved on (b -> a)
        {Zeb::AlertWindow::saveAsResult, false, "b.pspreset", 1, false},  // prompt, no move
        {Zeb::AlertWindow::overwriteResult, true, "New Bass.pspreset", 0, true},
        {Zeb::AlertWindow::overwriteResult, false, "b.pspreset", 1, false}, // nothing to overwrite: prompt
        {Zeb::AlertWindow::cancelResult, false, "b.pspreset", 0, false},
    };

    for (const auto& c : cases)
    {
        presetFile ("New Bass.pspreset").deleteFile();
        if (c.newNameFileExists)
            presetFile ("New Bass.pspreset").replaceWithText ("<old/>");
        plugin->setCurrentPresetName (collection, presetFile ("b.pspreset").getFullPathName());
        plugin->setCurrentPresetModified (collection, true);
        prompt.asked.clear();

        editor().controllerActionTriggered (nullptr, 1002);
        auto* question = flow().getSaveQuestion();
        ASSERT_NE (question, nullptr);
        EXPECT_EQ (question->getTitle(), productName);
        EXPECT_EQ (question->getMessage(),
                   "Changes have been made to current preset. Do you want to save them or discard?");
        if (c.result == Zeb::AlertWindow::cancelResult)
            editor().alertWindowClosed (question, c.result); // closed without a button: no button says it
        else
            clickAnswer (question, c.result);

        EXPECT_EQ (current(), presetFile (c.expectedCurrent).getFullPathName()) << c.result;
        EXPECT_EQ (prompt.asked.size(), c.prompts) << c.result;
        EXPECT_EQ (presetFile ("New Bass.pspreset").loadFileAsString() != "<old/>" &&
                       presetFile ("New Bass.pspreset").existsAsFile(),
                   c.newNameWritten)
            << c.result;
    }
}

TEST_F (PresetSaveFlowTest, CancelledPromptAndFailingWriteLeaveEverythingAsItWas)
{
    writePreset ("a.pspreset", 0.1f);

    // The prompt never answers (cancelled): nothing happens.
    flow().savePresetAs ("Presets");
    EXPECT_EQ (current(), presetFile ("a.pspreset").getFullPathName());

    // A file that cannot be written (its folder is a file) is not made the current preset.
    presetFile ("blocked").replaceWithText ("a file, not a folder");
    prompt.asked.back().answer (presetFile ("blocked/inside"));
    EXPECT_FALSE (presetFile ("blocked/inside.pspreset").existsAsFile());
    EXPECT_EQ (current(), presetFile ("a.pspreset").getFullPathName());

    // An answer after the editor has gone is dropped.
    flow().savePresetAs ("Presets");
    auto late = prompt.asked.back().answer;
    plugin.reset();
    late (presetFile ("late"));
    EXPECT_FALSE (presetFile ("late.pspreset").existsAsFile());
}

TEST_F (PresetSaveFlowTest, AnswersOfOtherAlertsAreNotTheFlows)
{
    Zeb::AlertWindow foreign;
    EXPECT_FALSE (flow().handleAlertClosed (nullptr, Zeb::AlertWindow::yesResult));
    EXPECT_FALSE (flow().handleAlertClosed (&foreign, Zeb::AlertWindow::yesResult));
}
