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

//==============================================================================
/** An editor stand-in that asks its yes/no questions in a plain window and remembers the last one. */
class AskingDesktop : public TestDesktop
{
public:
    AskingDesktop()
        : TestDesktop (800, 600)
    {
    }

    std::unique_ptr<ModalComponent> createYesNoQuestion (const juce::String&, const juce::String& message,
                                                         std::function<void (bool)> answer) override
    {
        asked = message;
        lastAnswer = std::move (answer);
        return std::make_unique<SizedWindow> (300, 100);
    }

    juce::String asked;
    std::function<void (bool)> lastAnswer;
};

/** A desktop chooser program of the test's own, alone on the PATH (with "which", which JUCE looks it up
    with): it writes its arguments, one a line, beside itself and prints the file named there in
    "choice", as the real one prints the user's choice. */
class FakeDesktopChooser
{
public:
    explicit FakeDesktopChooser (const juce::String& program)
    {
        const auto script = bin.getChildFile (program);
        const auto choice = bin.getChildFile ("choice").getFullPathName();
        // Built-ins only: nothing else is on the PATH.
        script.replaceWithText ("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + argumentsFile().getFullPathName() +
                                    "'\nif [ -f '" + choice + "' ]; then read -r c < '" + choice +
                                    "'; printf '%s\\n' \"$c\"; fi\n",
                                false, false, "\n");
        script.setExecutePermission (true);
        for (const auto& folder : juce::StringArray::fromTokens (previousPath, ":", ""))
            if (const juce::File which (folder + "/which"); which.existsAsFile())
            {
                which.createSymbolicLink (bin.getChildFile ("which"), false);
                break;
            }
        ::setenv ("PATH", bin.getFolder().getFullPathName().toRawUTF8(), 1);
    }

    ~FakeDesktopChooser() { ::setenv ("PATH", previousPath.toRawUTF8(), 1); }

    void willChoose (const juce::File& file) const
    {
        bin.getChildFile ("choice").replaceWithText (file.getFullPathName() + "\n", false, false, "\n");
    }

    juce::StringArray arguments() const
    {
        return juce::StringArray::fromLines (argumentsFile().loadFileAsString());
    }

    /** How often zenity has been started: each run begins with this argument. */
    int runs() const
    {
        auto lines = arguments();
        const int all = lines.size();
        lines.removeString ("--file-selection");
        return all - lines.size();
    }

private:
    juce::File argumentsFile() const { return bin.getChildFile ("arguments"); }

    juce::String previousPath = juce::SystemStats::getEnvironmentVariable ("PATH", {});
    TemporaryFolder bin;
};

/** The desktop chooser as JUCE runs it, with a program of the test's own in its place. JUCE decides once per
    process whether there is one: a test process that decided without it skips. */
class DesktopSaveChooser : public ::testing::Test
{
protected:
    void SetUp() override { FileChooserPolicy::setMode (FileChooserPolicy::Mode::desktop); }
    void TearDown() override { FileChooserPolicy::setMode (FileChooserPolicy::Mode::automatic); }

    bool launch (FileChooserPolicy& policy)
    {
        editor.addAndMakeVisible (owner);
        FileChooserPolicy::Request request;
        request.title = "Save map";
        request.initialLocation = folder.getFolder();
        request.patterns = "*.kmap";
        request.saving = true;
        request.savedExtension = ".kmap";
        return policy.launch (request, [this] (const juce::File& f) { answers.add (f); });
    }

    TemporaryFolder folder;
    AskingDesktop editor;
    juce::Component owner;
    juce::Array<juce::File> answers;
};

struct ConfirmingProgram
{
    const char* program;
    const char* asksToConfirm; // the argument that makes it ask before replacing a file
};

class DesktopChooserProgram : public DesktopSaveChooser,
                              public ::testing::WithParamInterface<ConfirmingProgram>
{
};

TEST_P (DesktopChooserProgram, IsToldToAskBeforeASaveReplacesAFile)
{
    const FakeDesktopChooser program (GetParam().program);
    if (!juce::FileChooser::isPlatformDialogAvailable())
        GTEST_SKIP() << "this process decided earlier that there is no desktop chooser";
    FileChooserPolicy policy (owner);
    ASSERT_TRUE (launch (policy));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return !policy.isOpen(); }, 30000)) << "the chooser did not end";
    EXPECT_TRUE (program.arguments().contains (GetParam().asksToConfirm))
        << program.arguments().joinIntoString (" ");
    EXPECT_TRUE (answers.isEmpty()) << "it chose nothing";
}

// kdialog has no such argument: its save dialog asks by itself.
INSTANTIATE_TEST_SUITE_P (Programs, DesktopChooserProgram,
                          ::testing::Values (ConfirmingProgram{"zenity", "--confirm-overwrite"},
                                             ConfirmingProgram{"kdialog", "--getsavefilename"}),
                          [] (const auto& each) { return std::string (each.param.program); });

struct DesktopChoice
{
    const char* name;
    const char* chosen; // what the program answers, in the test's folder
    bool editorAsks;    // the file written ("old.kmap") is not the one the program asked about
    bool yes;           // the editor's answer
};

class DesktopChoiceOfExistingFile : public DesktopSaveChooser,
                                    public ::testing::WithParamInterface<DesktopChoice>
{
};

TEST_P (DesktopChoiceOfExistingFile, IsAskedAboutOnlyWhenTheProgramWasNot)
{
    const FakeDesktopChooser program ("zenity");
    if (!juce::FileChooser::isPlatformDialogAvailable())
        GTEST_SKIP() << "this process decided earlier that there is no desktop chooser";
    const auto existing = folder.getChildFile ("old.kmap");
    existing.replaceWithText ("x");
    program.willChoose (folder.getChildFile (GetParam().chosen));
    FileChooserPolicy policy (owner);
    ASSERT_TRUE (launch (policy));
    ASSERT_TRUE (
        runMessageLoopUntil ([&] { return !policy.isOpen() || editor.lastAnswer != nullptr; }, 30000));

    if (!GetParam().editorAsks)
    {
        pumpMessages();
        EXPECT_EQ (answers, juce::Array<juce::File> (existing));
        EXPECT_TRUE (editor.asked.isEmpty());
        return;
    }
    EXPECT_EQ (editor.asked, FileChooserPolicy::overwriteMessage (existing));
    EXPECT_TRUE (answers.isEmpty()) << "nothing is handed on before the answer";
    editor.lastAnswer (GetParam().yes);
    if (GetParam().yes)
        EXPECT_TRUE (
            runMessageLoopUntil ([&] { return answers == juce::Array<juce::File> (existing); }, 30000));
    else
        EXPECT_TRUE (runMessageLoopUntil ([&] { return program.runs() == 2; }, 30000))
            << "the program was not opened again for another name";
    EXPECT_EQ (answers.isEmpty(), !GetParam().yes);
}

INSTANTIATE_TEST_SUITE_P (Choices, DesktopChoiceOfExistingFile,
                          ::testing::Values (DesktopChoice{"NameWithItsExtension", "old.kmap", false, false},
                                             DesktopChoice{"BareNameThenYes", "old", true, true},
                                             DesktopChoice{"BareNameThenNo", "old", true, false}),
                          [] (const auto& each) { return std::string (each.param.name); });
} // namespace
