#include "TestSupport.h"
#include "WindowsTestSupport.h"
#include "skin/SkinTestSupport.h"

#include "skin/windows/FileChooserPolicy.h"

#include <gtest/gtest.h>

namespace
{
// The chooser a machine without zenity or kdialog gets: the browser inside one of the editor's windows,
// drawn by the editor's look and feel, opened on a folder whose contents the test knows.
class FileChooserRows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FileChooserPolicy::setMode (FileChooserPolicy::Mode::editorWindow);
        editor.addAndMakeVisible (owner);
        for (const auto* name : fileNames)
            folder.getChildFile (name).replaceWithText ("x");
        folder.getChildFile (folderName).createDirectory();
        folder.getChildFile ("notes.txt").replaceWithText ("not a map");

        FileChooserPolicy::Request request;
        request.title = "Load map";
        request.initialLocation = folder.getFolder();
        request.patterns = "*.kmap";
        ASSERT_TRUE (policy.launch (request, [this] (const juce::File& f) { answers.add (f); }));
        window = policy.getBrowserWindow();
        ASSERT_NE (window, nullptr);
        list = dynamic_cast<juce::FileListComponent*> (window->getBrowser().getDisplayComponent());
        ASSERT_NE (list, nullptr);
        // The folder is read on the browser's own thread; its rows, then their components, arrive as
        // messages.
        const auto rowsShown = [this]
        {
            if (list->getModel()->getNumRows() != numRows)
                return false;
            for (int i = 0; i < numRows; ++i)
                if (list->getComponentForRowNumber (i) == nullptr)
                    return false;
            return true;
        };
        ASSERT_TRUE (runMessageLoopUntil (rowsShown, 20000)) << list->getModel()->getNumRows() << " rows";
    }

    void TearDown() override
    {
        policy.cancel();
        FileChooserPolicy::setMode (FileChooserPolicy::Mode::automatic);
    }

    int rowOf (const juce::String& name)
    {
        for (int i = 0; i < list->getModel()->getNumRows(); ++i)
            if (list->getModel()->getNameForRow (i) == name)
                return i;
        ADD_FAILURE() << "no row for " << name;
        return 0;
    }

    /** The row's area in the window, clipped to what the list shows (its scroll bar excluded). */
    juce::Rectangle<int> areaOf (int row)
    {
        const auto shown =
            list->getViewport()->getBounds().withWidth (list->getViewport()->getMaximumVisibleWidth());
        return window->getLocalArea (list, list->getRowPosition (row, true).getIntersection (shown));
    }

    /** The window as the user sees it. */
    juce::Image snapshot() { return window->createComponentSnapshot (window->getLocalBounds(), true); }

    /** Pixels of an area far from the background (the rightmost pixel of its row), and their extent. */
    struct Ink
    {
        int count = 0;
        int left = -1, right = -1;
    };

    Ink inkIn (const juce::Image& image, juce::Rectangle<int> area)
    {
        const auto background = image.getPixelAt (areaOf (0).getRight() - 2, area.getCentreY());
        Ink ink;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (std::abs (image.getPixelAt (x, y).getBrightness() - background.getBrightness()) > 0.35f)
                {
                    ++ink.count;
                    ink.left = ink.left < 0 ? x : juce::jmin (ink.left, x);
                    ink.right = juce::jmax (ink.right, x);
                }
        return ink;
    }

    static constexpr const char* fileNames[] = {"a.kmap", "bass line for the second verse.kmap", "mm.kmap"};
    static constexpr const char* folderName = "presets";
    static constexpr int numRows = 4; // the three maps and the folder; "notes.txt" is filtered out

    TemporaryFolder folder;
    StyledDesktop editor{800, 600};
    juce::Component owner;
    FileChooserPolicy policy{owner};
    juce::Array<juce::File> answers;
    FileChooserPolicy::BrowserWindow* window = nullptr;
    juce::FileListComponent* list = nullptr;
};

TEST_F (FileChooserRows, EachRowShowsItsIconAndItsNameInTheDefaultFont)
{
    const auto image = snapshot();
    const auto font = editor.lf.getDefaultFont();
    const auto iconOf = [&] (const juce::String& name)
    {
        const auto row = areaOf (rowOf (name));
        return row.withWidth (row.getHeight()); // the square at the row's left
    };

    for (const auto& name : {juce::String (folderName), juce::String (fileNames[0]),
                             juce::String (fileNames[1]), juce::String (fileNames[2])})
    {
        const auto row = areaOf (rowOf (name));
        EXPECT_GT (inkIn (image, iconOf (name)).count, 20) << name << ": no icon";
        const auto text = inkIn (image, row.withTrimmedLeft (row.getHeight()));
        ASSERT_GT (text.count, 20) << name << ": no name";
        EXPECT_NEAR (text.right - text.left, font.getStringWidthFloat (name), 4.0f) << name;
    }

    // A folder is told from a file at a glance.
    const auto folderIcon = image.getClippedImage (iconOf (folderName));
    const auto fileIcon = image.getClippedImage (iconOf (fileNames[2]));
    int differing = 0;
    for (int y = 0; y < folderIcon.getHeight(); ++y)
        for (int x = 0; x < folderIcon.getWidth(); ++x)
            differing += std::abs (folderIcon.getPixelAt (x, y).getBrightness() -
                                   fileIcon.getPixelAt (x, y).getBrightness()) > 0.35f;
    EXPECT_GT (differing, 20);
}

TEST_F (FileChooserRows, AClickedRowIsHighlightedAndOkChoosesItsFile)
{
    const auto chosen = juce::String (fileNames[1]);
    auto& chosenRow = *list->getComponentForRowNumber (rowOf (chosen));
    const auto centre = chosenRow.getLocalPoint (window, areaOf (rowOf (chosen)).getCentre()).toFloat();
    chosenRow.mouseDown (SkinTest::mouseAt (chosenRow, centre, juce::ModifierKeys::leftButtonModifier));
    chosenRow.mouseUp (SkinTest::mouseAt (chosenRow, centre, juce::ModifierKeys::leftButtonModifier));
    pumpMessages();
    ASSERT_TRUE (list->isRowSelected (rowOf (chosen)));

    const auto image = snapshot();
    const auto highlight = editor.lf.findColour (juce::DirectoryContentsDisplayComponent::highlightColourId);
    const auto background = [&] (const juce::String& name)
    {
        const auto row = areaOf (rowOf (name));
        return image.getPixelAt (row.getRight() - 2, row.getCentreY());
    };
    EXPECT_EQ (background (chosen), highlight);
    EXPECT_NE (background ("mm.kmap"), highlight);
    EXPECT_NE (background (folderName), highlight);
    EXPECT_GT (inkIn (image, areaOf (rowOf (chosen))).count, 40) << "the name stays legible on the highlight";

    ASSERT_TRUE (window->getOkButton().isEnabled());
    window->buttonClicked (&window->getOkButton());
    pumpMessages();
    ASSERT_EQ (answers.size(), 1);
    EXPECT_EQ (answers[0], folder.getChildFile (chosen));
}
} // namespace
