#include "TestSupport.h"
#include "WindowsTestSupport.h"

#include "skin/windows/FileChooserPolicy.h"

#include <gtest/gtest.h>

namespace
{
class FileChooserPolicyWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FileChooserPolicy::setMode (FileChooserPolicy::Mode::editorWindow);
        editor.addAndMakeVisible (owner);
        folder.getChildFile ("bass.kmap").replaceWithText ("x");
        request.title = "Load map";
        request.initialLocation = folder.getFolder();
        request.patterns = "*.kmap";
    }
    void TearDown() override { FileChooserPolicy::setMode (FileChooserPolicy::Mode::automatic); }

    TemporaryFolder folder;
    TestDesktop editor{800, 600};
    juce::Component owner;
    FileChooserPolicy::Request request;
    juce::Array<juce::File> answers;
    FileChooserPolicy::Callback record = [this] (const juce::File& f) { answers.add (f); };
};

TEST_F (FileChooserPolicyWindow, ShowsOneBrowserWindowInsideTheEditor)
{
    FileChooserPolicy policy (owner);
    ASSERT_TRUE (policy.launch (request, record));
    EXPECT_FALSE (policy.launch (request, record)) << "one chooser at a time";
    auto* window = policy.getBrowserWindow();
    ASSERT_NE (window, nullptr);
    EXPECT_TRUE (window->isInCoveringWindow());
    EXPECT_EQ (window->getCoveringWindow().getParentComponent(), &editor);
    EXPECT_TRUE (window->isShowing());
    EXPECT_EQ (window->getTopLevelComponent(), &editor) << "never a desktop window";
    EXPECT_EQ (FileChooserPolicy::chooserFlags (request) & juce::FileBrowserComponent::canSelectFiles,
               juce::FileBrowserComponent::canSelectFiles);
}

TEST_F (FileChooserPolicyWindow, CancelAnswersNobodyAndFreesThePolicy)
{
    FileChooserPolicy policy (owner);
    ASSERT_TRUE (policy.launch (request, record));
    auto* window = policy.getBrowserWindow();
    window->buttonClicked (&window->getCancelButton());
    pumpMessages();
    EXPECT_TRUE (answers.isEmpty());
    EXPECT_FALSE (policy.isOpen());
    EXPECT_EQ (editor.getNumChildComponents(), 1) << "the window and its veil are gone";
    EXPECT_TRUE (policy.launch (request, record));
}

TEST_F (FileChooserPolicyWindow, OkAnswersTheChosenFile)
{
    FileChooserPolicy policy (owner);
    ASSERT_TRUE (policy.launch (request, record));
    auto* window = policy.getBrowserWindow();
    window->getBrowser().setFileName ("bass.kmap");
    ASSERT_TRUE (window->getBrowser().currentFileIsValid());
    window->buttonClicked (&window->getOkButton());
    pumpMessages();
    ASSERT_EQ (answers.size(), 1);
    EXPECT_EQ (answers[0], folder.getChildFile ("bass.kmap"));
    EXPECT_FALSE (policy.isOpen());
}

TEST_F (FileChooserPolicyWindow, AnOwnerThatGoesCancelsTheChooser)
{
    auto policy = std::make_unique<FileChooserPolicy> (owner);
    ASSERT_TRUE (policy->launch (request, record));
    auto* window = policy->getBrowserWindow();
    window->getBrowser().setFileName ("bass.kmap");
    window->buttonClicked (&window->getOkButton()); // the answer is posted...
    policy.reset();                                 // ...and its owner goes before it arrives
    pumpMessages();
    EXPECT_TRUE (answers.isEmpty());
    EXPECT_EQ (editor.getNumChildComponents(), 1);
}
} // namespace
