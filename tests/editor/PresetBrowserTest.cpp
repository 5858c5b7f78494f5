#include "TestNames.h"
#include "editor/OldStylePresetBrowserWindow.h"
#include "editor/StatusBar.h"
#include "engine/KelvanorTestHarness.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
using Column = ColumnBrowser::ListColumn;
using Bank = std::vector<juce::StringArray>;              // the preset names of each group, in order
constexpr int beforeRow = 2, afterRow = 18, ontoRow = 10; // pointer offsets inside a 20-pixel row

/** The window on a real processor with the factory bank ("_Clean" 13, "_Distorted" 23, "_Arpeggiators" 4,
    "Not used" 88), as the editor shows it; file prompts are recorded and answered by the test with what a
   chooser hands for the choice. */
class PresetBrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.setLookAndFeel (&lookAndFeel);
        window.setSize (639, 350);
        window.setStatusBar (&statusBar);
        window.setFilePrompt (
            [this] (const FileChooserPolicy::Request& r, FileChooserPolicy::Callback cb) {
                prompts.push_back ({r, std::move (cb)});
            });
        pumpMessages(); // the notices of the processor's start-up
    }
    void TearDown() override { window.setLookAndFeel (nullptr); }

    BasePluginOldStyle& plugin() { return *harness.processor; }
    Column& groups() { return *window.getBrowser().getGroupColumn(); }
    OldStylePresetsBrowser::PresetListColumn& presets() { return *window.getBrowser().getPresetColumn(); }
    juce::String currentName() { return plugin().getPresetName (plugin().getCurrentPresetIndex()); }

    Bank bank()
    {
        Bank names (juce::jmax (0, plugin().getNumGroups()));
        for (int g = 0; g < (int) names.size(); ++g)
            for (int r = 0; r < plugin().getGroupSize (g); ++r)
                names[(size_t) g].add (plugin().getGroupPresetName (g, r));
        return names;
    }

    /** A click (or a double click) on a row, as the list's row receives it. */
    void click (Column& column, int row, juce::ModifierKeys mods = {}, bool twice = false)
    {
        column.getList().scrollToEnsureRowIsOnscreen (row);
        auto* item = column.getItemComponent (row);
        ASSERT_NE (item, nullptr) << "row " << row;
        auto& c = *item->getParentComponent();
        const auto at = c.getLocalBounds().getCentre().toFloat();
        const auto now = juce::Time::getCurrentTime();
        const juce::MouseEvent e (juce::Desktop::getInstance().getMainMouseSource(), at, mods, 1.0f, 0.0f,
                                  0.0f, 0.0f, 0.0f, &c, &c, now, at, now, 1, false);
        c.mouseDown (e);
        c.mouseUp (e);
        if (twice)
            c.mouseDoubleClick (e);
    }

    /** The selected rows of a column dragged to a point of a target row (-1: below the rows). With a hover
        group, the drag first rests on that group's row, which opens its presets: they are the target. */
    void drag (Column& from, Column* to, int row, int offset, int hoverGroup = -1)
    {
        const auto description = from.describeDrag (from.getSelectedRows());
        auto over = [&] (Column& target, int r, int y) -> juce::DragAndDropTarget::SourceDetails
        {
            auto& list = target.getList();
            if (r >= 0)
                list.scrollToEnsureRowIsOnscreen (r);
            const juce::Point<int> p (20, r < 0 ? list.getHeight() - 2
                                                : list.getRowPosition (r, true).getY() + y);
            return {description, &from.getList(), target.getLocalPoint (&list, p)};
        };
        if (hoverGroup >= 0)
        {
            groups().itemDragMove (over (groups(), hoverGroup, ontoRow));
            groups().openHoveredRow();
            groups().itemDragExit (over (groups(), hoverGroup, ontoRow));
            to = &presets();
        }
        const auto details = over (*to, row, offset);
        ASSERT_TRUE (to->isInterestedInDragSource (details));
        to->itemDragEnter (details);
        to->itemDropped (details);
    }

    void press (juce::Button& b)
    {
        b.triggerClick();
        pumpMessages();
    }

    /** Presses the button and answers its prompt with the file, as a chooser hands it (a save's with its
        extension). */
    void choose (juce::Button& b, const juce::File& file)
    {
        press (b);
        ASSERT_FALSE (prompts.empty());
        prompts.back().second (prompts.back().first.handedFile (file));
        pumpMessages();
    }

    KelvanorHarness harness;
    DefaultLookAndFeel lookAndFeel;
    StatusBar statusBar;
    OldStylePresetBrowserWindow window{*harness.processor};
    std::vector<std::pair<FileChooserPolicy::Request, FileChooserPolicy::Callback>> prompts;
};

TEST_F (PresetBrowserTest, OpensOnTheCurrentPresetAndFollowsIt)
{
    EXPECT_EQ (window.getBrowser().getSelectedGroup(), 0);
    EXPECT_TRUE (presets().getList().isRowSelected (0));
    EXPECT_GE (window.getBrowser().getWidth(), window.getBrowser().getTotalWidth()) << "both columns fit";

    plugin().setCurrentPresetIndex (15, true); // "_Distorted" row 2, as a program change shows it
    pumpMessages();
    EXPECT_EQ (window.getBrowser().getSelectedGroup(), 1);
    EXPECT_EQ (presets().getGroup(), 1);
    EXPECT_TRUE (presets().getList().isRowSelected (2));
}

TEST_F (PresetBrowserTest, AClickedPresetLoadsAndEveryListenerOfTheNameHearsIt)
{
    struct NameListener : Parameter::Listener
    {
        void parameterChanged (Parameter* p) override { heard.add (p->getValueText()); }
        juce::StringArray heard;
    } listener;
    auto& manager = plugin().getParameterManager();
    manager.addAsyncListener (BasePluginOldStyle::currentPresetNameId, &listener);
    click (presets(), 2);
    pumpMessages();
    manager.removeAsyncListener (BasePluginOldStyle::currentPresetNameId, &listener);

    EXPECT_EQ (plugin().getCurrentPresetIndex(), 2);
    EXPECT_EQ (listener.heard.joinIntoString ("|"), plugin().getPresetName (2)) << "heard once, the new name";
    for (int id = 0; id < BasePluginOldStyle::numPresetableParameters; ++id)
        EXPECT_EQ (manager.getParameterNormalised (id), plugin().getBankPreset (2)->getValue (id)) << id;
}

constexpr int noHover = -1, ontoGroupRow = -2;

struct DragCase
{
    const char* what;
    int fromRow;    // in "_Clean", the current group
    int hoverGroup; // the group whose presets open under the drag, or noHover / ontoGroupRow
    int targetRow, offset;
    int toGroup, landedRow; // where the dragged preset ends
};

class PresetBrowserDrags : public PresetBrowserTest, public ::testing::WithParamInterface<DragCase>
{
};

TEST_P (PresetBrowserDrags, MoveOnlyThatPresetAndKeepItCurrentWithItsEdits)
{
    const auto& c = GetParam();
    click (presets(), c.fromRow);
    const auto dragged = currentName();
    harness.set (2, 0.123f); // an edit not stored in the bank
    auto expected = bank();
    expected[0].remove (c.fromRow);
    expected[(size_t) c.toGroup].insert (c.landedRow, dragged);

    if (c.hoverGroup == ontoGroupRow)
        drag (presets(), &groups(), c.toGroup, ontoRow);
    else
        drag (presets(), &presets(), c.targetRow, c.offset, c.hoverGroup);

    EXPECT_EQ (bank(), expected) << c.what;
    EXPECT_EQ (plugin().getCurrentPresetIndex(), plugin().getPresetIndex (c.toGroup, c.landedRow)) << c.what;
    EXPECT_EQ (currentName(), dragged) << c.what;
    EXPECT_FLOAT_EQ (harness.parameter (2), 0.123f) << c.what << ": not reloaded";
    const auto shown = presets().getGroup() == c.toGroup ? juce::Range<int> (c.landedRow, c.landedRow + 1)
                                                         : juce::Range<int>();
    EXPECT_EQ (presets().getSelectedRows().getTotalRange(), shown) << c.what;
    EXPECT_EQ (window.getBrowser().getClosedColumn(), nullptr) << c.what;
}

INSTANTIATE_TEST_SUITE_P (
    Table, PresetBrowserDrags,
    ::testing::Values (DragCase{"first after the last", 0, noHover, 12, afterRow, 0, 12},
                       DragCase{"last before the first", 12, noHover, 0, beforeRow, 0, 0},
                       DragCase{"onto itself, before", 5, noHover, 5, beforeRow, 0, 5},
                       DragCase{"onto itself, after", 5, noHover, 5, afterRow, 0, 5},
                       DragCase{"down, before a row", 2, noHover, 6, beforeRow, 0, 5},
                       DragCase{"down, after a row", 2, noHover, 6, afterRow, 0, 6},
                       DragCase{"up, before a row", 8, noHover, 3, beforeRow, 0, 3},
                       DragCase{"up, after a row", 8, noHover, 3, afterRow, 0, 4},
                       DragCase{"onto a group row", 4, ontoGroupRow, 0, 0, 2, 4},
                       DragCase{"before the first of a later group", 4, 1, 0, beforeRow, 1, 0},
                       DragCase{"after the last of a later group", 4, 2, 3, afterRow, 2, 4},
                       DragCase{"after a middle row of a later group", 4, 1, 6, afterRow, 1, 7},
                       DragCase{"below the rows of a later group", 4, 2, -1, 0, 2, 4}),
    NameFromWhat());

TEST_F (PresetBrowserTest, GroupsReorderWithTheirPresetsAndGroupButtonsRemoveOnlyEmptyOnes)
{
    click (presets(), 2);
    pumpMessages(); // the chosen preset's notices, before the groups are touched
    const auto current = currentName();
    const auto before = bank();
    const Bank reordered{before[1], before[0], before[2], before[3]};
    click (groups(), 0);
    drag (groups(), &groups(), 2, beforeRow); // "_Clean" before "_Arpeggiators"
    EXPECT_EQ (bank(), reordered);
    EXPECT_EQ (currentName(), current);
    EXPECT_EQ (presets().getGroup(), 1) << "the moved group's presets show";

    click (groups(), 3);
    EXPECT_TRUE (window.getAddGroupButton().isEnabled());
    EXPECT_FALSE (window.getRemoveGroupButton().isEnabled()) << "the group holds presets";
    press (window.getAddGroupButton());
    EXPECT_EQ (plugin().getGroupName (3), "New Group");
    EXPECT_TRUE (window.getRemoveGroupButton().isEnabled());
    press (window.getRemoveGroupButton());
    EXPECT_EQ (bank(), reordered);
    EXPECT_EQ (presets().getGroup(), 1) << "back on the current preset";
    EXPECT_TRUE (presets().getList().isRowSelected (2));
}

TEST_F (PresetBrowserTest, GroupKeysTurnOffAtOnceWhenTheGroupSelectionIsClickedAway)
{
    click (groups(), 3);
    ASSERT_TRUE (window.getAddGroupButton().isEnabled());
    auto& list = groups().getList();
    const juce::Point<float> below (20.0f, (float) list.getHeight() - 5.0f);
    const auto now = juce::Time::getCurrentTime();
    const juce::MouseEvent e (juce::Desktop::getInstance().getMainMouseSource(), below, {}, 1.0f, 0.0f, 0.0f,
                              0.0f, 0.0f, &list, &list, now, below, now, 1, false);
    list.backgroundClicked (e);
    EXPECT_EQ (window.getBrowser().getSelectedGroup(), -1);
    EXPECT_FALSE (window.getAddGroupButton().isEnabled());
    EXPECT_FALSE (window.getRemoveGroupButton().isEnabled());
}

TEST_F (PresetBrowserTest, EmptyNamesAreRefusedInBothColumns)
{
    for (const juce::String typed : {"", "   ", "Rubber Bass"})
        for (Column* column : {(Column*) &presets(), &groups()})
        {
            const auto old = column->getItemText (0);
            click (*column, 0, {}, true);
            auto* editor = column->getItemComponent (0)->getTextInput().getEditor();
            ASSERT_NE (editor, nullptr);
            editor->setText (typed);
            editor->endEditing (true);
            pumpMessages();
            EXPECT_EQ (column->getItemText (0), typed.trim().isEmpty() ? old : typed) << "'" << typed << "'";
            EXPECT_EQ (column->getItemComponent (0)->getTextInput().getText(), column->getItemText (0));
        }
    EXPECT_EQ (plugin().getParameterManager().getParameter (110001)->getValueText(), "Rubber Bass");
}

TEST_F (PresetBrowserTest, FileChoosersSelectFilesInTheRecentFolder)
{
    for (auto* button : {&window.getLoadPresetButton(), &window.getSavePresetButton(),
                         &window.getLoadBankButton(), &window.getSaveBankButton()})
    {
        press (*button);
        ASSERT_FALSE (prompts.empty());
        const auto& r = prompts.back().first;
        const int flags = FileChooserPolicy::chooserFlags (r);
        const bool saving = button->getButtonText() == "Save";
        EXPECT_EQ (r.initialLocation, plugin().getRecentlyUsedDirectory()) << r.title;
        EXPECT_NE (flags & juce::FileBrowserComponent::canSelectFiles, 0) << r.title;
        EXPECT_EQ (flags & juce::FileBrowserComponent::canSelectDirectories, 0) << r.title;
        EXPECT_EQ ((flags & juce::FileBrowserComponent::saveMode) != 0, saving) << r.title;
    }
    EXPECT_EQ (prompts.size(), 4u);
}

TEST_F (PresetBrowserTest, ASavedBankLoadsBackAndACorruptOneChangesNothing)
{
    TemporaryFolder folder;
    choose (window.getSaveBankButton(), folder.getChildFile ("mine")); // the extension is added
    const auto saved = folder.getChildFile ("mine.klprsb");
    EXPECT_EQ (plugin().getRecentlyUsedDirectory(), folder.getFolder());
    const auto original = bank();
    plugin().setPresetName (20, "Changed");
    choose (window.getLoadBankButton(), saved);
    EXPECT_EQ (bank(), original) << "the saved bank is back";
    EXPECT_TRUE (statusBar.getText().isEmpty());

    const auto text = saved.loadFileAsString().toStdString();
    const std::string corrupt[] = {"", "not xml at all", text.substr (0, text.size() / 2),
                                   juce::String (text).replace ("PresetBank", "PresetBunk").toStdString(),
                                   std::string (4096, '\xff')};
    plugin().setPresetName (20, "Changed");
    plugin().setCurrentPresetIndex (7, true);
    const auto changed = plugin().createPresetBankXml()->toString();
    const auto broken = folder.getChildFile ("broken.klprsb");
    for (const auto& content : corrupt)
    {
        ASSERT_TRUE (broken.replaceWithData (content.data(), content.size()));
        statusBar.clearText (-1);
        choose (window.getLoadBankButton(), broken);
        EXPECT_EQ (plugin().createPresetBankXml()->toString(), changed) << content.substr (0, 40);
        EXPECT_EQ (plugin().getCurrentPresetIndex(), 7);
        EXPECT_TRUE (statusBar.getText().contains (broken.getFullPathName())) << content.substr (0, 40);
    }
}

TEST_F (PresetBrowserTest, PresetSaveWritesWhatThePanelPlaysAndStoresNothing)
{
    TemporaryFolder folder;
    const auto file = folder.getChildFile ("played.klprs");
    for (const int storing : {BasePluginOldStyle::onDemandStoring, BasePluginOldStyle::automaticStoring})
    {
        plugin().setPresetStoringMode (storing);
        harness.set (2, 0.3f + 0.3f * (float) storing); // a change the panel plays
        const auto bank = plugin().createPresetBankXml()->toString();
        choose (window.getSavePresetButton(), file);
        EXPECT_EQ (plugin().createPresetBankXml()->toString(), bank) << "storing mode " << storing;
        plugin().storePreset (plugin().getCurrentPresetIndex());
        EXPECT_EQ (juce::parseXML (file)->toString(),
                   plugin().createPresetXml (plugin().getCurrentPresetIndex())->toString())
            << "storing mode " << storing << ": the file holds what a store keeps";
    }
}

TEST_F (PresetBrowserTest, AFailingSaveSaysSoAndChangesNothing)
{
    TemporaryFolder folder;
    const auto occupied = folder.getChildFile ("taken.klprsb"); // a folder where the file would go
    ASSERT_TRUE (occupied.getChildFile ("inside.txt").create());
    const auto recent = plugin().getRecentlyUsedDirectory();
    for (const auto& target :
         {folder.getChildFile ("missing/bank"), occupied, folder.getChildFile ("missing/preset.klprs")})
    {
        statusBar.clearText (-1);
        choose (target.hasFileExtension (".klprs") ? window.getSavePresetButton()
                                                   : window.getSaveBankButton(),
                target);
        EXPECT_TRUE (statusBar.getText().startsWith ("Could not save")) << target.getFullPathName();
        EXPECT_EQ (plugin().getRecentlyUsedDirectory(), recent);
    }
    EXPECT_TRUE (occupied.getChildFile ("inside.txt").existsAsFile());
    EXPECT_EQ (folder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}
} // namespace
