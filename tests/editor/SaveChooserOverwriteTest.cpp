#include "EditorTestFixture.h"
#include "KelvanorEditorFixture.h"
#include "TestNames.h"
#include "editor/AlertWindow.h"
#include "editor/EditorStatusTexts.h"
#include "editor/OldStylePresetBrowserWindow.h"
#include "editor/OptionsWindow.h"
#include "editor/pages/HostParametersComponent.h"
#include "editor/pages/MidiControlComponent.h"

#include <fcntl.h>
#include <iostream>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace
{
const juce::String oldContent ("kept until the user says yes");

void answer (Zeb::AlertWindow& question, int result)
{
    for (int i = 0; i < question.getNumButtons(); ++i)
        if (question.getResultCode (i) == result)
        {
            question.getButton (i)->triggerClick();
            pumpMessages(); // the click is posted, the answer handled after it
            return;
        }
    FAIL() << "no button for result " << result;
}

/** Types the name into the editor's own chooser (open) in the folder, presses OK and gives the question
    asked then, if any. */
Zeb::AlertWindow* typeAndSave (FileChooserPolicy& policy, const juce::File& folder, const juce::String& name)
{
    auto* window = policy.getBrowserWindow();
    if (window == nullptr)
    {
        ADD_FAILURE() << "no chooser in the editor";
        return nullptr;
    }
    window->getBrowser().setRoot (folder);
    window->getBrowser().setFileName (name);
    window->buttonClicked (&window->getOkButton());
    pumpMessages();
    return dynamic_cast<Zeb::AlertWindow*> (policy.getOverwriteQuestion());
}

using Rule = FileChooserPolicy::ExtensionRule;

/** A name typed into a save's chooser and the file written for it by each rule of giving it the extension:
    "%e" stands for the save's extension, "%E" for it upper-case and "%x" for another save's extension. */
struct TypedName
{
    const char* typed;
    const char* appended;
    const char* replaced;

    const char* written (Rule rule) const { return rule == Rule::appended ? appended : replaced; }
};

const TypedName typedNames[] = {
    {"Bass", "Bass%e", "Bass%e"},
    {"Bass.v2", "Bass.v2%e", "Bass%e"},
    {"Bass v1.2", "Bass v1.2%e", "Bass v1%e"},
    {"p1%x", "p1%x%e", "p1%e"},
    {".hidden", ".hidden%e", "%e"},
    {"Bass%e", "Bass%e", "Bass%e"},
    {"Bass%E", "Bass%E", "Bass%e"},
    {"Bass%e.txt", "Bass%e.txt%e", "Bass%e%e"},
};

/** Opens a save's chooser the way the user does and gives the extension of the files it saves. */
using OpenSave = std::function<FileChooserPolicy&(juce::String& extension)>;

/** Saves each typed name of the table twice, each row in a folder of its own under folder. The first save
    writes the table's file and nothing else. The second finds that file and asks about it by its name; the
    file stays byte-identical through the question and a "No", after which the chooser is still open for
    another name; "Yes" replaces it. */
void expectTypedNamesWritten (const OpenSave& open, const juce::File& folder, Rule rule)
{
    for (const auto& row : typedNames)
    {
        const auto rowFolder = folder.getChildFile ("row " + juce::String (&row - typedNames));
        ASSERT_TRUE (rowFolder.createDirectory());
        for (const bool existing : {false, true})
        {
            juce::String extension;
            auto& policy = open (extension);
            const auto expand = [&] (const char* text)
            {
                return juce::String (text)
                    .replace ("%e", extension)
                    .replace ("%E", extension.toUpperCase())
                    .replace ("%x", extension == ".klprs" ? ".klptr" : ".klprs");
            };
            const auto typed = expand (row.typed);
            const auto written = rowFolder.getChildFile (expand (row.written (rule)));
            SCOPED_TRACE ((existing ? "onto the file written, typed " : "typed ") + typed);
            if (existing)
            {
                ASSERT_TRUE (written.replaceWithText (oldContent));
            }

            auto* question = typeAndSave (policy, rowFolder, typed);
            if (existing)
            {
                EXPECT_EQ (written.loadFileAsString(), oldContent) << "replaced before anybody was asked";
                ASSERT_NE (question, nullptr) << "nobody was asked";
                EXPECT_TRUE (question->isShowing());
                EXPECT_TRUE (question->getMessage().contains ("'" + written.getFileName() + "'"))
                    << question->getMessage();
                ASSERT_NO_FATAL_FAILURE (answer (*question, Zeb::AlertWindow::noResult));
                EXPECT_EQ (written.loadFileAsString(), oldContent);
                ASSERT_TRUE (policy.isOpen() && policy.getBrowserWindow()->isShowing())
                    << "the chooser closed on no";

                question = typeAndSave (policy, rowFolder, typed);
                ASSERT_NE (question, nullptr);
                ASSERT_NO_FATAL_FAILURE (answer (*question, Zeb::AlertWindow::yesResult));
                EXPECT_NE (written.loadFileAsString(), oldContent) << "yes did not replace the file";
            }
            EXPECT_EQ (question == nullptr, !existing);
            EXPECT_FALSE (policy.isOpen());
            juce::StringArray files;
            for (const auto& f : rowFolder.findChildFiles (juce::File::findFilesAndDirectories, false))
                files.add (f.getFileName());
            EXPECT_EQ (files.joinIntoString (" | "), written.getFileName()) << "the files in the folder";
        }
    }
}

/** Locks the folder against new files (read-only, or immutable for root, who writes anyway) or unlocks it;
    false when the file system or a missing capability refuses. */
bool lock (const juce::File& folder, bool on)
{
    if (geteuid() != 0)
        return folder.setReadOnly (on);
    const int fd = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = ioctl (fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl (fd, FS_IOC_SETFLAGS, &flags) == 0;
    close (fd);
    return done;
}

/** The folder's files and folders below it, each file with its bytes. */
juce::String contentsOf (const juce::File& folder)
{
    juce::StringArray entries;
    for (const auto& f : folder.findChildFiles (juce::File::findFilesAndDirectories, true))
        entries.add (f.getRelativePathFrom (folder) + (f.isDirectory() ? "/" : ": " + f.loadFileAsString()));
    entries.sort (false);
    return entries.joinIntoString (" | ");
}

/** A write that fails: the name typed, the file the save would write ("%e" its extension, "%L" a name of
    256 bytes in 128 characters) and what stands in its way (0 nothing, 1 an earlier file in a locked
    folder, 2 a folder). */
const struct
{
    const char *cause, *typed, *written;
    int inTheWay;
} failingWrites[] = {{"a missing folder", "missing/Bass", "missing/Bass%e", 0},
                     {"a read-only folder", "Bass%e", "Bass%e", 1},
                     {"a folder at the file's name", "Bass", "Bass%e", 2},
                     {"a name over 255 bytes", "%L", "%L%e", 0}};

/** Saves into each failing write, each in a folder of its own: the status bar says so in the save's message
    ("%p" the file's path), over the text of a control moved just before, and the folder is as it was. */
void expectFailedWritesReported (const OpenSave& open, StatusBar& bar, const juce::File& folder,
                                 const char* message)
{
    const auto name = juce::String::repeatedString (juce::CharPointer_UTF8 ("\xc3\xa9"), 128);
    for (const auto& row : failingWrites)
    {
        SCOPED_TRACE (row.cause);
        const auto rowFolder = folder.getChildFile (row.cause);
        juce::String extension;
        auto& policy = open (extension);
        const auto expand = [&] (const char* text)
        { return juce::String (text).replace ("%e", extension).replace ("%L", name); };
        const auto written = rowFolder.getChildFile (expand (row.written));
        ASSERT_TRUE (rowFolder.createDirectory());
        ASSERT_TRUE (row.inTheWay != 1 || written.replaceWithText (oldContent));
        ASSERT_TRUE (row.inTheWay != 2 || written.createDirectory());
        const auto before = contentsOf (rowFolder);
        if (row.inTheWay == 1 && !lock (rowFolder, true))
        {
            std::cout << "[ SKIPPED  ] " << row.cause << ": the folder cannot be locked here\n";
            policy.cancel();
            continue;
        }

        bar.showTemporaryText ("Cutoff: 50%", EditorStatusTexts::controlMovedPriority);
        if (auto* question = typeAndSave (policy, rowFolder, expand (row.typed)))
            answer (*question, Zeb::AlertWindow::yesResult);
        EXPECT_EQ (bar.getText(), juce::String (message).replace ("%p", written.getFullPathName()));
        EXPECT_EQ (contentsOf (rowFolder), before);
        EXPECT_TRUE (row.inTheWay != 1 || lock (rowFolder, false));
    }
}

/** Names each case after its chooser (the names in the order of the enum). */
template <typename Chooser>
auto chooserNames (std::vector<const char*> choosers)
{
    return [choosers] (const ::testing::TestParamInfo<Chooser>& info)
    { return testName (choosers[(size_t) info.param]); };
}

/** Every chooser opened while it lives is the editor's own window. */
struct ChoosersInTheEditor
{
    ChoosersInTheEditor() { FileChooserPolicy::setMode (FileChooserPolicy::Mode::editorWindow); }
    ~ChoosersInTheEditor() { FileChooserPolicy::setMode (FileChooserPolicy::Mode::automatic); }
};

//==============================================================================
enum class ProductChooser
{
    pattern,
    patternBank,
    preset,
    presetBank
};

class ProductSaveChooser : public KelvanorEditorTest::EditorFixture,
                           public ::testing::WithParamInterface<ProductChooser>
{
protected:
    /** Opens the chooser the way the user does; the file it saves, by its extension. */
    FileChooserPolicy& open (ProductChooser kind, juce::String& extension)
    {
        if (kind == ProductChooser::pattern || kind == ProductChooser::patternBank)
        {
            const bool bank = kind == ProductChooser::patternBank;
            extension =
                bank ? processor().getPatternBankFileExtension() : processor().getPatternFileExtension();
            editor().popupMenuItemSelected (
                &editor().getSaveMenu(),
                bank ? IntSeqPluginEditor::patternBankItem : IntSeqPluginEditor::singlePatternItem, false);
            return editor().getChooser();
        }
        auto& browser = dynamic_cast<OldStylePresetBrowserWindow&> (*editor().getPresetBrowser());
        const bool bank = kind == ProductChooser::presetBank;
        extension = bank ? processor().getPresetBankFileExtension() : processor().getPresetFileExtension();
        click (bank ? browser.getSaveBankButton() : browser.getSavePresetButton());
        return browser.getChooser();
    }

    const ChoosersInTheEditor choosers;
};

TEST_P (ProductSaveChooser, WritesTheWholeTypedNameAndReplacesAFileOnlyAfterYes)
{
    expectTypedNamesWritten ([this] (juce::String& extension) -> FileChooserPolicy&
                             { return open (GetParam(), extension); },
                             folder.getFolder(), Rule::appended);
}

TEST_P (ProductSaveChooser, AFailedWriteSaysSoAndLeavesTheFolderAsItWas)
{
    const char* messages[] = {"Could not save '%p'.", "Could not save '%p'.",
                              "Could not save the preset to '%p'.",
                              "Could not save the preset bank to '%p'."};
    expectFailedWritesReported ([this] (juce::String& extension) -> FileChooserPolicy&
                                { return open (GetParam(), extension); },
                                statusBar(), folder.getFolder(), messages[(size_t) GetParam()]);
}

INSTANTIATE_TEST_SUITE_P (Choosers, ProductSaveChooser,
                          ::testing::Values (ProductChooser::pattern, ProductChooser::patternBank,
                                             ProductChooser::preset, ProductChooser::presetBank),
                          chooserNames<ProductChooser> ({"pattern", "pattern bank", "preset",
                                                         "preset bank"}));

//==============================================================================
enum class FrameworkChooser
{
    midiMap,
    hostMap,
    presetFile
};

class FrameworkSaveChooser : public EditorTest::PlainEditorTest,
                             public ::testing::WithParamInterface<FrameworkChooser>
{
protected:
    // The plain start-up, whose options show the host parameters page.
    void SetUp() override { start (false); }

    /** Shows the options page holding the component, as the user does before clicking its button. */
    void showPageOf (juce::Component& page)
    {
        auto& options = editor().getOptionsWindow();
        options.show();
        auto& tabs = options.getTabs();
        for (int i = 0; i < tabs.getNumTabs(); ++i)
            if (tabs.getTabContentComponent (i) == &page)
                tabs.setCurrentTabIndex (i);
        ASSERT_EQ (tabs.getCurrentContentComponent(), &page) << "the page is not in the options";
    }

    FileChooserPolicy& open (FrameworkChooser kind, juce::String& extension)
    {
        if (kind == FrameworkChooser::presetFile)
        {
            extension = product().getCurrentPresetCollection ("Presets")->getExtension().toLowerCase();
            editor().getPresetSaveFlow().savePresetAs ("Presets");
            return editor().getPresetSaveFlow().getChooserPolicy();
        }
        const auto saveMap = [&] (auto& page) -> FileChooserPolicy&
        {
            showPageOf (page);
            extension = page.getMapFileExtension();
            page.buttonClicked (&page.getSaveButton());
            return page.getChooser();
        };
        return kind == FrameworkChooser::midiMap ? saveMap (editor().getMidiControlPage())
                                                 : saveMap (editor().getHostParametersPage());
    }

    const ChoosersInTheEditor choosers;
};

TEST_P (FrameworkSaveChooser, WritesTheWholeTypedNameAndReplacesAFileOnlyAfterYes)
{
    expectTypedNamesWritten ([this] (juce::String& extension) -> FileChooserPolicy&
                             { return open (GetParam(), extension); },
                             folders.getPresetFolder(),
                             GetParam() == FrameworkChooser::presetFile ? Rule::appended : Rule::replaced);
}

TEST_P (FrameworkSaveChooser, AFailedWriteSaysSoAndLeavesTheFolderAsItWas)
{
    const char* messages[] = {"Could not save the MIDI control map to '%p'.",
                              "Could not save the host parameters map to '%p'.",
                              "Could not save the preset to '%p'."};
    expectFailedWritesReported ([this] (juce::String& extension) -> FileChooserPolicy&
                                { return open (GetParam(), extension); },
                                statusBar(), folders.getPresetFolder(), messages[(size_t) GetParam()]);
}

INSTANTIATE_TEST_SUITE_P (Choosers, FrameworkSaveChooser,
                          ::testing::Values (FrameworkChooser::midiMap, FrameworkChooser::hostMap,
                                             FrameworkChooser::presetFile),
                          chooserNames<FrameworkChooser> ({"MIDI map", "host map", "preset file"}));
} // namespace
