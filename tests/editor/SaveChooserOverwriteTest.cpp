#include "EditorTestFixture.h"
#include "KelvanorEditorFixture.h"
#include "TestNames.h"
#include "editor/AlertWindow.h"
#include "editor/OldStylePresetBrowserWindow.h"
#include "editor/OptionsWindow.h"
#include "editor/pages/HostParametersComponent.h"
#include "editor/pages/MidiControlComponent.h"

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

/** A save in the editor's own chooser (open, showing its start folder) onto "old" + extension, which exists,
    with the name typed with or without its extension: the file stays byte-identical through the question
    and a "No", after which the chooser is still open for another name; "Yes" replaces it. */
void expectReplacedOnlyAfterYes (FileChooserPolicy& policy, const juce::File& existing, bool typedExtension)
{
    ASSERT_TRUE (existing.replaceWithText (oldContent));
    auto* window = policy.getBrowserWindow();
    ASSERT_NE (window, nullptr) << "no chooser in the editor";
    window->getBrowser().setRoot (existing.getParentDirectory());
    window->getBrowser().setFileName (typedExtension ? existing.getFileName()
                                                     : existing.getFileNameWithoutExtension());
    const auto askedAfterSave = [&]
    {
        window->buttonClicked (&window->getOkButton());
        pumpMessages();
        return dynamic_cast<Zeb::AlertWindow*> (policy.getOverwriteQuestion());
    };

    auto* question = askedAfterSave();
    EXPECT_EQ (existing.loadFileAsString(), oldContent) << "replaced before anybody was asked";
    ASSERT_NE (question, nullptr) << "nobody was asked";
    EXPECT_TRUE (question->isShowing());
    EXPECT_TRUE (question->getMessage().contains ("'" + existing.getFileName() + "'"))
        << question->getMessage();
    ASSERT_NO_FATAL_FAILURE (answer (*question, Zeb::AlertWindow::noResult));
    EXPECT_EQ (existing.loadFileAsString(), oldContent);
    ASSERT_TRUE (policy.isOpen() && window->isShowing()) << "the chooser closed on no";

    question = askedAfterSave();
    ASSERT_NE (question, nullptr);
    ASSERT_NO_FATAL_FAILURE (answer (*question, Zeb::AlertWindow::yesResult));
    EXPECT_NE (existing.loadFileAsString(), oldContent) << "yes did not replace the file";
    EXPECT_FALSE (policy.isOpen());
}

/** Names each case after its chooser (the names in the order of the enum) and how the name was typed. */
template <typename Chooser>
auto caseNames (std::vector<const char*> choosers)
{
    return [choosers] (const ::testing::TestParamInfo<std::tuple<Chooser, bool>>& info)
    {
        return testName (juce::String (choosers[(size_t) std::get<0> (info.param)]) +
                         (std::get<1> (info.param) ? " typed with extension" : " typed bare"));
    };
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
                           public ::testing::WithParamInterface<std::tuple<ProductChooser, bool>>
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

TEST_P (ProductSaveChooser, ReplacesAnExistingFileOnlyAfterYes)
{
    const auto [kind, typedExtension] = GetParam();
    juce::String extension;
    auto& policy = open (kind, extension);
    expectReplacedOnlyAfterYes (policy, folder.getChildFile ("old" + extension), typedExtension);
}

INSTANTIATE_TEST_SUITE_P (
    Choosers, ProductSaveChooser,
    ::testing::Combine (::testing::Values (ProductChooser::pattern, ProductChooser::patternBank,
                                           ProductChooser::preset, ProductChooser::presetBank),
                        ::testing::Bool()),
    caseNames<ProductChooser> ({"pattern", "pattern bank", "preset", "preset bank"}));

//==============================================================================
enum class FrameworkChooser
{
    midiMap,
    hostMap,
    presetFile
};

class FrameworkSaveChooser : public EditorTest::PlainEditorTest,
                             public ::testing::WithParamInterface<std::tuple<FrameworkChooser, bool>>
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

TEST_P (FrameworkSaveChooser, ReplacesAnExistingFileOnlyAfterYes)
{
    const auto [kind, typedExtension] = GetParam();
    juce::String extension;
    auto& policy = open (kind, extension);
    ASSERT_FALSE (HasFatalFailure());
    expectReplacedOnlyAfterYes (policy, folders.getPresetFolder().getChildFile ("old" + extension),
                                typedExtension);
}

INSTANTIATE_TEST_SUITE_P (Choosers, FrameworkSaveChooser,
                          ::testing::Combine (::testing::Values (FrameworkChooser::midiMap,
                                                                 FrameworkChooser::hostMap,
                                                                 FrameworkChooser::presetFile),
                                              ::testing::Bool()),
                          caseNames<FrameworkChooser> ({"MIDI map", "host map", "preset file"}));
} // namespace
