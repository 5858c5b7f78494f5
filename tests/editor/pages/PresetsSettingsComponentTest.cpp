#include "editor/pages/PresetsSettingsComponent.h"
#include "PageTestFixture.h"
#include "TestNames.h"
#include "skin/displays/TextInput.h"

namespace
{
using Window = PresetsSettingsComponent::UpdateAuthorWindow;

/** count presets by "Old Author" in the first collection and one in the second; the plug-in's author is
    "New Author". */
class PresetsPage : public PageTest::PageFixture
{
protected:
    void makePresets (int count)
    {
        start().setAuthorName ("New Author");
        for (int i = 0; i <= count; ++i)
            PageTest::writePreset (product->collections[i < count ? 0 : 1]->getFolder().getChildFile (
                                       "Bass " + juce::String (i) + ".pgpreset"),
                                   "Old Author", product->getParameterManager());
        for (auto* c : product->collections)
            c->rescan();
        page = std::make_unique<PresetsSettingsComponent> (*product);
        page->setLookAndFeel (&lookAndFeel);
    }

    Window& window() { return page->getUpdateWindow(); }

    /** Lets the run end and the window's timer report it. */
    void runToEnd()
    {
        ASSERT_TRUE (runMessageLoopUntil ([this] { return !window().isThreadRunning(); }, 30000));
        window().timerCallback();
    }

    /** Every file under the preset folders, as "name: author"; an author is "<unreadable>" for a file that
        no longer parses. */
    juce::StringArray presetFiles()
    {
        juce::StringArray files;
        for (const auto& f : folder.getChildFile ("presets").findChildFiles (juce::File::findFiles, true))
            files.add (f.getFileName() + ": " + PageTest::authorOf (f));
        files.sort (true);
        return files;
    }

    std::unique_ptr<PresetsSettingsComponent> page;
};

TEST_F (PresetsPage, ACommittedAuthorBecomesThePluginsAuthor)
{
    makePresets (0);
    auto& field = page->getAuthorField();
    EXPECT_EQ (field.getText(), "New Author");
    EXPECT_EQ (page->getFolderLabel().getText(),
               "Presets directory: " + product->getUserDataDirectory().getFullPathName());

    for (const bool keep : {true, false})
    {
        field.showEditor();
        ASSERT_NE (field.getEditor(), nullptr);
        field.getEditor()->setText (keep ? "Jane Doe" : "Not kept");
        field.getEditor()->endEditing (keep);
        EXPECT_EQ (product->getAuthorName(), "Jane Doe");
    }
}

struct ProgressCase
{
    int count, total, percent;
};

class AuthorUpdateProgress : public ::testing::TestWithParam<ProgressCase>
{
};

TEST_P (AuthorUpdateProgress, IsAPercentageOfTheFiles)
{
    EXPECT_EQ (Window::progressPercent (GetParam().count, GetParam().total), GetParam().percent);
}

INSTANTIATE_TEST_SUITE_P (
    Table, AuthorUpdateProgress,
    ::testing::Values (ProgressCase{1, 4, 25}, ProgressCase{3, 4, 75}, ProgressCase{1, 3, 33},
                       ProgressCase{0, 0, 100}, ProgressCase{5, 4, 100}),
    [] (const auto& each)
    { return testName (juce::String (each.param.count) + " of " + juce::String (each.param.total)); });

TEST_F (PresetsPage, UpdateRewritesEveryAuthorAndReportsCompletion)
{
    makePresets (3);
    page->buttonClicked (&page->getUpdateButton());
    EXPECT_TRUE (window().isVisible());
    EXPECT_FALSE (window().getOkButton().isEnabled());
    runToEnd();

    EXPECT_EQ (window().getMessageLabel().getText(), "Operation completed.");
    EXPECT_TRUE (window().getOkButton().isEnabled());
    EXPECT_FALSE (window().getCancelButton().isEnabled());
    EXPECT_FALSE (window().getProgressLabel().isVisible());
    EXPECT_EQ (window().getCurrentFile(), "User" + juce::File::getSeparatorString() + "Bass 3");
    EXPECT_EQ (presetFiles().size(), 4);
    for (const auto& line : presetFiles())
        EXPECT_TRUE (line.endsWith (": New Author")) << line;

    window().buttonClicked (&window().getOkButton());
    EXPECT_FALSE (window().isVisible());
}

//==============================================================================
// Stopping a run at any point leaves every preset whole: the old file or the rewritten one.

enum class Stop
{
    cancel,
    closeWindow,
    destroyPage,
    destroyProcessor
};

class AuthorUpdateStopped : public PresetsPage, public ::testing::WithParamInterface<Stop>
{
};

TEST_P (AuthorUpdateStopped, LosesNoFile)
{
    makePresets (200);
    auto before = presetFiles();
    window().startUpdate();
    ASSERT_TRUE (
        runMessageLoopUntil ([this] { return window().getProgress() > 0 || !window().isThreadRunning(); }));

    switch (GetParam())
    {
        case Stop::cancel: window().buttonClicked (&window().getCancelButton()); break;
        case Stop::closeWindow: window().buttonClicked (&window().getCloseButton()); break;
        case Stop::destroyPage: page.reset(); break;
        case Stop::destroyProcessor:
            page.reset();
            product.reset();
            break;
    }

    if (page != nullptr)
    {
        runToEnd();
        EXPECT_EQ (window().getMessageLabel().getText(),
                   window().hasFinished() ? "Operation completed." : "Operation has been cancelled.");
        EXPECT_TRUE (window().getOkButton().isEnabled());
        EXPECT_EQ (product->collections[0]->getNumPresets(), 200) << "scanned again";
    }

    const auto after = presetFiles();
    ASSERT_EQ (after.size(), before.size()) << after.joinIntoString ("\n");
    for (int i = 0; i < after.size(); ++i)
        EXPECT_TRUE (after[i] == before[i] || after[i] == before[i].replace ("Old Author", "New Author"))
            << after[i];

    // A new run after a closed window starts only once the old one has ended, and completes.
    if (GetParam() == Stop::closeWindow)
    {
        page->buttonClicked (&page->getUpdateButton());
        runToEnd();
        EXPECT_TRUE (window().hasFinished());
        EXPECT_FALSE (presetFiles().joinIntoString ("\n").contains ("Old Author"));
    }
}

INSTANTIATE_TEST_SUITE_P (Table, AuthorUpdateStopped,
                          ::testing::Values (Stop::cancel, Stop::closeWindow, Stop::destroyPage,
                                             Stop::destroyProcessor),
                          [] (const auto& each)
                          {
                              return juce::StringArray ("Cancel", "CloseWindow", "DestroyPage",
                                                        "DestroyProcessor")[(int) each.param]
                                  .toStdString();
                          });
} // namespace
