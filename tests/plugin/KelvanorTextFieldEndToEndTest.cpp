#include "KelvanorEditorInHostWindow.h"

#include <X11/keysym.h>

#include <cstring>

namespace
{
constexpr int statusBarHeight = 16;

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

/** The editor's own file chooser as it lies over the editor: a 560 x 380 content area in a window
    centred over the panel (the status bar left out); the browser above a row with Save and Cancel. */
struct ChooserLayout
{
    // Content 560 x 380 plus frame 3, title bar 31, margins 6 and 9.
    static constexpr int width = 578, height = 432;
    static constexpr int contentX = 9, contentY = 37, contentWidth = 560, contentHeight = 383;

    explicit ChooserLayout (juce::Rectangle<int> editor)
        : origin (editor.getWidth() / 2 - width / 2, (editor.getHeight() - statusBarHeight) / 2 - height / 2)
    {
    }

    juce::Rectangle<int> area() const { return {origin.x, origin.y, width, height}; }
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
    /** "Save": left of "Cancel" at the bottom right, both 80 x 22, 6 apart. */
    juce::Point<int> saveButton() const
    {
        return origin.translated (contentX + contentWidth - 80 - 6 - 40, contentY + contentHeight - 11);
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

    void click (juce::Point<int> where)
    {
        ASSERT_TRUE (window->click (where));
        session->idle (0.05);
    }

    void press (const juce::String& control)
    {
        const auto bounds = skinControlNamed (control);
        ASSERT_FALSE (bounds.isEmpty()) << control;
        click (bounds.getCentre());
    }

    juce::Image captureOf (juce::Rectangle<int> area) const
    {
        return window->capture().getClippedImage (area);
    }

    static bool samePicture (const juce::Image& a, const juce::Image& b)
    {
        if (!a.isValid() || a.getBounds() != b.getBounds())
            return false;
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return false;
        return true;
    }

    /** Runs the action and waits until the chooser's title bar has appeared over what was there. */
    void openChooser (const std::function<void()>& action)
    {
        const ChooserLayout chooser (session->getEditorRect());
        const auto titleBar = chooser.area().withHeight (31);
        const auto before = captureOf (titleBar);
        action();
        ASSERT_TRUE (idleUntil ([&] { return !samePicture (captureOf (titleBar), before); }))
            << "no chooser opened";
        // Drawn once and then left alone: the window has settled.
        auto settled = captureOf (chooser.area());
        ASSERT_TRUE (idleUntil (
            [&]
            {
                const auto now = captureOf (chooser.area());
                const bool same = samePicture (now, settled);
                settled = now;
                return same;
            }));
        greySave = captureOf (saveButtonArea (chooser));
    }

    /** Clicks a text field, waits until it shows that it has the keyboard (its caret or its selected text
        appears) and types into it with the pointer moved off the window: keys go where the X input focus
        is, not where the pointer happens to be. */
    void typeInto (juce::Rectangle<int> field, const juce::String& text)
    {
        const auto before = captureOf (field);
        click (field.getCentre());
        ASSERT_TRUE (idleUntil ([&] { return !samePicture (captureOf (field), before); }))
            << "the clicked field did not take the keyboard";
        ASSERT_TRUE (window->movePointerAway());
        ASSERT_TRUE (window->typeText (text));
    }

    /** Clicks "Save" once it has turned from grey: the chooser enables it when it has heard the typed name,
        after the keys. */
    void clickSave (const ChooserLayout& chooser)
    {
        ASSERT_TRUE (
            idleUntil ([&] { return !samePicture (captureOf (saveButtonArea (chooser)), greySave); }))
            << "Save stays grey: the typed name did not reach the chooser";
        click (chooser.saveButton());
    }

    static juce::Rectangle<int> saveButtonArea (const ChooserLayout& chooser)
    {
        return juce::Rectangle<int> (70, 16).withCentre (chooser.saveButton());
    }

    /** The name in the current program's chunk: "VC2!", the text length, the "Preset" document. */
    juce::String currentPresetName()
    {
        void* data = nullptr;
        const auto size = plugin->dispatch (effGetChunk, 1, 0, &data);
        const auto* bytes = static_cast<const char*> (data);
        if (bytes == nullptr || size < 8 || std::memcmp (bytes, "VC2!", 4) != 0)
            return {};
        const auto length = juce::jmin ((int) size - 8, (int) juce::ByteOrder::littleEndianInt (bytes + 4));
        const auto preset = juce::XmlDocument::parse (juce::String::fromUTF8 (bytes + 8, length));
        return preset != nullptr ? preset->getStringAttribute ("name") : juce::String();
    }

    /** The preset browser, 639 x 350, centred over the panel like the chooser. */
    juce::Point<int> presetBrowserOrigin() const
    {
        const auto editor = session->getEditorRect();
        return {editor.getWidth() / 2 - 639 / 2, (editor.getHeight() - statusBarHeight) / 2 - 350 / 2};
    }

    /** The preset browser's "Save" of a single preset, in the row of file buttons at its bottom right:
        "Preset", Load, Save, "Bank", Load, Save, 6 apart, 6 in from the content's right edge. Buttons are as
        wide as their text in the panel's face plus their height (20), labels their text plus 20. */
    juce::Point<int> presetSaveButton() const
    {
        const auto browser = presetBrowserOrigin();
        const auto font = panelFont();
        const int save = font.getStringWidth ("Save") + 20, load = font.getStringWidth ("Load") + 20,
                  bank = font.getStringWidth ("Bank") + 20;
        // Content: x 9, 621 wide; its bottom at 338, where the 20-pixel row ends.
        const int rowRight = 9 + 621 - 6;
        return browser.translated (rowRight - save - 6 - load - 6 - bank - 6 - save / 2, 338 - 10);
    }

    static juce::Font panelFont()
    {
        static const auto typeface = []
        {
            juce::MemoryBlock data;
            juce::File (KELVANOR_RESOURCES_DIR).getChildFile ("tahoma.ttf").loadFileAsData (data);
            return juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());
        }();
        return juce::Font (typeface).withHeight (13.0f);
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
    const ChooserLayout chooser (session->getEditorRect());
    ASSERT_NO_FATAL_FAILURE (typeInto (chooser.fileNameField(), "abc"));
    ASSERT_NO_FATAL_FAILURE (clickSave (chooser));

    EXPECT_TRUE (idleUntil ([&] { return homeFolder().getChildFile ("abc.klptr").existsAsFile(); }))
        << "the typed name did not reach the chooser's file field";
}

TEST_F (TextFieldEndToEnd, AFolderTypedIntoTheChoosersPathBoxIsWhereThePresetIsSaved)
{
    const auto folder = homeFolder().getChildFile ("presets");
    ASSERT_TRUE (folder.createDirectory());
    const auto saved = folder.getChildFile ("Deep Acid.klprs");

    press ("PresetBrowseButton");
    ASSERT_NO_FATAL_FAILURE (openChooser ([&] { click (presetSaveButton()); }));
    const ChooserLayout chooser (session->getEditorRect());
    // The box selects its whole text when clicked: the typed path replaces it.
    ASSERT_NO_FATAL_FAILURE (typeInto (chooser.pathBox(), folder.getFullPathName()));
    ASSERT_TRUE (window->pressKey (XK_Return));
    ASSERT_NO_FATAL_FAILURE (typeInto (chooser.fileNameField(), "Deep Acid"));
    ASSERT_NO_FATAL_FAILURE (clickSave (chooser));

    EXPECT_TRUE (idleUntil ([&] { return saved.existsAsFile(); }))
        << "no preset file in " << folder.getFullPathName();
}

TEST_F (TextFieldEndToEnd, ANameTypedIntoThePresetBrowsersListRenamesThePreset)
{
    // The first row of the list of presets: right of the toolbar (24 + 5) and the group column (241), below
    // the title bar, in a frame of 3 and a margin of 6, the list's inset 4; rows 20 high.
    const auto firstPreset =
        presetBrowserOrigin().translated (3 + 6 + 24 + 5 + 241 + 4 + 60, 31 + 6 + 4 + 10);
    const auto row = juce::Rectangle<int> (100, 16).withCentre (firstPreset);
    const auto panel = captureOf (row);
    press ("PresetBrowseButton");
    ASSERT_TRUE (idleUntil ([&] { return !samePicture (captureOf (row), panel); }))
        << "the browser did not open";

    // A double click on the current preset's row renames it; the field selects the whole name.
    const auto listed = captureOf (row);
    click (firstPreset);
    click (firstPreset);
    ASSERT_TRUE (idleUntil ([&] { return !samePicture (captureOf (row), listed); })) << "no rename began";
    ASSERT_TRUE (window->movePointerAway());
    ASSERT_TRUE (window->typeText ("Rubber Duck"));
    ASSERT_TRUE (window->pressKey (XK_Return));

    EXPECT_TRUE (idleUntil ([&] { return currentPresetName() == "Rubber Duck"; }))
        << "the preset is called " << currentPresetName();
}
} // namespace
