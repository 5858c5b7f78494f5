#include "KelvanorEditorInHostWindow.h"
#include "KelvanorEditorLayout.h"

#include <X11/keysym.h>

namespace
{
/** A PATH with nothing on it while it lives: the plug-in finds no desktop chooser (zenity, kdialog) and
    shows its own inside the editor, as on a fresh machine. */
class ScopedEmptyPath
{
public:
    ScopedEmptyPath() { ::setenv ("PATH", folder.getFolder().getFullPathName().toRawUTF8(), 1); }
    ~ScopedEmptyPath() { ::setenv ("PATH", previous.toRawUTF8(), 1); }

private:
    juce::String previous = juce::SystemStats::getEnvironmentVariable ("PATH", {});
    TemporaryFolder folder;
};

/** The editor's own file chooser as it lies over the editor: a 560 x 380 content area in a window over the
    panel; the browser above a row with Save and Cancel. */
struct ChooserLayout
{
    // Content 560 x 380 plus frame 3, title bar 31, margins 6 and 9.
    static constexpr int width = 578, height = 432;
    static constexpr int contentX = 9, contentY = 37, contentWidth = 560, contentHeight = 383;

    explicit ChooserLayout (juce::Rectangle<int> editor)
        : origin (originOfWindowOverPanel (editor, width, height))
    {
    }

    juce::Rectangle<int> area() const { return {origin.x, origin.y, width, height}; }
    juce::Rectangle<int> titleBar() const { return area().withHeight (31); }
    /** The folder box at the browser's top, left of its "up" button. */
    juce::Rectangle<int> pathBox() const
    {
        return {origin.x + contentX + 8, origin.y + contentY + 4, 488, 22};
    }
    /** The file name field at the browser's bottom, right of its label. */
    juce::Rectangle<int> fileNameField() const
    {
        return {origin.x + contentX + 8 + 50, origin.y + contentY + contentHeight - 30 - 30 + 4, 494, 22};
    }
    /** "Save" within its edges: left of "Cancel" at the bottom right, both 80 x 22, 6 apart. */
    juce::Rectangle<int> saveButton() const
    {
        return juce::Rectangle<int> (70, 16).withCentre (
            origin.translated (contentX + contentWidth - 80 - 6 - 40, contentY + contentHeight - 11));
    }

    juce::Point<int> origin;
};

/** The editor in a host window with no desktop chooser on the PATH and the settings' home as the start
    folder of every chooser: its text fields, clicked and typed into with real X events. */
class TextFieldEndToEnd : public KelvanorEditorInHostWindow
{
protected:
    void SetUp() override
    {
        KELVANOR_REQUIRE_XVFB();
        // After the X server and its window manager have started, before the plug-in asks for a chooser.
        path = std::make_unique<ScopedEmptyPath>();
        KelvanorEditorInHostWindow::SetUp();
    }

    void TearDown() override
    {
        KelvanorEditorInHostWindow::TearDown();
        path.reset();
    }

    juce::File homeFolder() const { return juce::File::getSpecialLocation (juce::File::userHomeDirectory); }
    ChooserLayout chooser() const { return ChooserLayout (session->getEditorRect()); }
    PresetBrowserLayout browser() const { return PresetBrowserLayout (session->getEditorRect()); }

    /** Runs the action and waits until the chooser's title bar has appeared over what was there and the
        chooser has been drawn once and then left alone. */
    void openChooser (const std::function<void()>& action)
    {
        const auto before = captureOf (chooser().titleBar());
        action();
        ASSERT_TRUE (waitUntilChanges (chooser().titleBar(), before)) << "no chooser opened";
        ASSERT_TRUE (settledCaptureOf (chooser().area()).isValid());
        greySave = captureOf (chooser().saveButton());
    }

    /** Clicks a text field, waits until it shows that it has the keyboard (its caret or its selected text
        appears) and types into it with the pointer moved off the window: keys go where the X input focus
        is, not where the pointer happens to be. */
    void typeInto (juce::Rectangle<int> field, const juce::String& text)
    {
        const auto before = captureOf (field);
        click (field.getCentre());
        ASSERT_TRUE (waitUntilChanges (field, before)) << "the clicked field did not take the keyboard";
        ASSERT_TRUE (window->movePointerAway());
        ASSERT_TRUE (window->typeText (text));
    }

    /** Types the name into the chooser's file name field and clicks "Save" once it has turned from grey:
        the chooser enables it when it has heard the typed name, after the keys. */
    void saveAs (const juce::String& name)
    {
        ASSERT_NO_FATAL_FAILURE (typeInto (chooser().fileNameField(), name));
        ASSERT_TRUE (waitUntilChanges (chooser().saveButton(), greySave))
            << "Save stays grey: the typed name did not reach the chooser";
        clickOn (chooser().saveButton());
    }

    std::unique_ptr<ScopedEmptyPath> path;
    juce::Image greySave; // "Save" as the chooser opens, before a name is typed
};

TEST_F (TextFieldEndToEnd, ANameTypedIntoThePatternChooserSavesThePatternFile)
{
    ASSERT_FALSE (homeFolder().getChildFile ("abc.klptr").exists());
    const auto saveKey = skinControlNamed ("PattNextButton");
    ASSERT_FALSE (saveKey.isEmpty());

    ASSERT_NO_FATAL_FAILURE (openChooser (
        [&]
        {
            press ("PattSaveButton");
            // The menu's first row, "Save pattern", opens below the key beside it.
            click (saveKey.getBottomLeft().translated (20, 4 + 8));
        }));
    ASSERT_NO_FATAL_FAILURE (saveAs ("abc"));

    EXPECT_TRUE (idleUntil ([&] { return homeFolder().getChildFile ("abc.klptr").existsAsFile(); }))
        << "the typed name did not reach the chooser's file field";
}

TEST_F (TextFieldEndToEnd, AFolderTypedIntoTheChoosersPathBoxIsWhereThePresetIsSaved)
{
    const auto folder = homeFolder().getChildFile ("presets");
    ASSERT_TRUE (folder.createDirectory());

    press ("PresetBrowseButton");
    ASSERT_NO_FATAL_FAILURE (openChooser ([&] { click (browser().presetSaveButton()); }));
    // The box selects its whole text when clicked: the typed path replaces it.
    ASSERT_NO_FATAL_FAILURE (typeInto (chooser().pathBox(), folder.getFullPathName()));
    ASSERT_TRUE (window->pressKey (XK_Return));
    ASSERT_NO_FATAL_FAILURE (saveAs ("Deep Acid"));

    EXPECT_TRUE (idleUntil ([&] { return folder.getChildFile ("Deep Acid.klprs").existsAsFile(); }))
        << "no preset file in " << folder.getFullPathName();
}

TEST_F (TextFieldEndToEnd, ANameTypedIntoThePresetBrowsersListRenamesThePreset)
{
    const auto firstPreset = browser().presetRow (0);
    const auto row = juce::Rectangle<int> (100, 16).withCentre (firstPreset);
    const auto panel = captureOf (row);
    press ("PresetBrowseButton");
    ASSERT_TRUE (waitUntilChanges (row, panel)) << "the browser did not open";

    // A double click on the current preset's row renames it; the field selects the whole name.
    const auto listed = captureOf (row);
    click (firstPreset);
    click (firstPreset);
    ASSERT_TRUE (waitUntilChanges (row, listed)) << "no rename began";
    ASSERT_TRUE (window->movePointerAway());
    ASSERT_TRUE (window->typeText ("Rubber Duck"));
    ASSERT_TRUE (window->pressKey (XK_Return));

    // The name in the current program's chunk.
    const auto presetName = [this]
    {
        const auto preset = chunkDocumentAt (1);
        return preset != nullptr ? preset->getStringAttribute ("name") : juce::String();
    };
    EXPECT_TRUE (idleUntil ([&] { return presetName() == "Rubber Duck"; }))
        << "the preset is called " << presetName();
}
} // namespace
