#include "TestSupport.h"
#include "WindowsTestSupport.h"

#include "skin/windows/FileChooserPolicy.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
juce::StringArray namesOnRows (juce::FileListComponent& list)
{
    juce::StringArray names;
    for (int i = 0; i < list.getModel()->getNumRows(); ++i)
        names.add (list.getModel()->getNameForRow (i));
    return names;
}

/** The names in natural order, as a user expects them (Pattern 2 before Pattern 10). */
juce::StringArray naturallySorted (juce::StringArray names)
{
    std::stable_sort (names.begin(), names.end(),
                      [] (const juce::String& a, const juce::String& b) { return a.compareNatural (b) < 0; });
    return names;
}

void makePatterns (const juce::File& folder, int count)
{
    for (int i = 0; i < count; ++i)
        folder.getChildFile ("Pattern " + juce::String (i) + ".klpat").replaceWithText ("<Pattern/>");
}

// The editor's own chooser, as on a machine without a desktop chooser, on a folder of many pattern files.
class LargeFolderChooser : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder = std::make_unique<TemporaryFolder>();
        makePatterns (folder->getFolder(), numPatterns);
        for (int i = 0; i < 20; ++i)
            folder->getChildFile ("notes " + juce::String (i) + ".txt").replaceWithText ("not a pattern");
        for (const auto* name : {"Bank 10", "bank 2", "Zoo"})
            folder->getChildFile (name).createDirectory();
    }

    static void TearDownTestSuite() { folder.reset(); }

    void SetUp() override
    {
        FileChooserPolicy::setMode (FileChooserPolicy::Mode::editorWindow);
        editor.addAndMakeVisible (owner);
    }

    void TearDown() override
    {
        policy.cancel();
        FileChooserPolicy::setMode (FileChooserPolicy::Mode::automatic);
    }

    /** The rows of a "Load pattern" chooser opened on the folder. */
    juce::FileListComponent* open (const juce::File& where)
    {
        FileChooserPolicy::Request request;
        request.title = "Load pattern";
        request.initialLocation = where;
        request.patterns = "*.klpat";
        if (!policy.launch (request, [] (const juce::File&) {}))
            return nullptr;
        return dynamic_cast<juce::FileListComponent*> (
            policy.getBrowserWindow()->getBrowser().getDisplayComponent());
    }

    static constexpr int numPatterns = 3000;
    static constexpr int numFolders = 3;
    static inline std::unique_ptr<TemporaryFolder> folder;

    StyledDesktop editor{800, 600};
    juce::Component owner;
    FileChooserPolicy policy{owner};
};

TEST_F (LargeFolderChooser, ListsEveryPatternFileAndFolderInNaturalOrder)
{
    auto* list = open (folder->getFolder());
    ASSERT_NE (list, nullptr);
    // A bound for a hung listing, not for its speed (see bench/ChooserBench.cpp).
    ASSERT_TRUE (runMessageLoopUntil (
        [&] { return list->getModel()->getNumRows() == numPatterns + numFolders; }, 60000))
        << list->getModel()->getNumRows() << " rows";
    pumpMessages();

    const auto shown = namesOnRows (*list);
    juce::StringArray expected;
    for (int i = 0; i < numPatterns; ++i)
        expected.add ("Pattern " + juce::String (i) + ".klpat");
    expected.addArray ({"Bank 10", "bank 2", "Zoo"});
    EXPECT_EQ (naturallySorted (shown), naturallySorted (expected))
        << "each file and folder once, nothing else";
    EXPECT_EQ (shown, naturallySorted (shown));
}

TEST_F (LargeFolderChooser, KeepsFoldersAmongTheFilesByName)
{
    const TemporaryFolder small;
    for (const auto* name : {"Pattern 10.klpat", "pattern 3.klpat", "Pattern 2.klpat", "a.klpat", "x1.klpat",
                             "xa.klpat", "a.txt"})
        small.getChildFile (name).replaceWithText ("<Pattern/>");
    for (const auto* name : {"b", "Presets"})
        small.getChildFile (name).createDirectory();

    auto* list = open (small.getFolder());
    ASSERT_NE (list, nullptr);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return list->getModel()->getNumRows() == 8; }));
    EXPECT_EQ (namesOnRows (*list),
               juce::StringArray ({"a.klpat", "b", "Pattern 2.klpat", "pattern 3.klpat", "Pattern 10.klpat",
                                   "Presets", "x1.klpat", "xa.klpat"}));
    policy.cancel(); // before its folder goes
}

/** A filter standing in for a disk that stalls: the listing thread stops inside it at one file until the
    test lets it go on. Without a release it gives up after a long while and says so, so that a listing
    waited on by the message thread fails the test instead of hanging it. */
class StallingFilter : public juce::FileFilter
{
public:
    explicit StallingFilter (int stallAtFile)
        : juce::FileFilter ("patterns")
        , stallAt (stallAtFile)
    {
    }

    bool isFileSuitable (const juce::File& file) const override
    {
        if (++examined == stallAt)
        {
            stalled.signal();
            if (!released.wait (20000))
                gaveUp = true;
        }
        return file.hasFileExtension ("klpat");
    }

    bool isDirectorySuitable (const juce::File&) const override { return true; }

    bool waitUntilStalled() const { return stalled.wait (20000); }
    void release() const { released.signal(); }

    const int stallAt;
    mutable std::atomic<int> examined{0};
    mutable std::atomic<bool> gaveUp{false};

private:
    mutable juce::WaitableEvent stalled, released{true};
};

// A folder's list and the list box showing it, as the chooser has them, with the listing stalled halfway.
class StalledListing : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder = std::make_unique<TemporaryFolder>();
        makePatterns (folder->getFolder(), numFiles);
    }

    static void TearDownTestSuite() { folder.reset(); }

    void SetUp() override
    {
        thread.startThread();
        list->setDirectory (folder->getFolder(), true, true);
        ASSERT_TRUE (filter.waitUntilStalled());
    }

    ~StalledListing() override
    {
        filter.release(); // a failed test must not leave the listing stuck
        view.reset();
        list.reset();
        thread.stopThread (10000);
    }

    int rowsShown() const { return view->getModel()->getNumRows(); }

    static constexpr int numFiles = 4000;
    static inline std::unique_ptr<TemporaryFolder> folder;

    StallingFilter filter{numFiles / 2};
    juce::TimeSliceThread thread{"listing"};
    std::unique_ptr<juce::DirectoryContentsList> list =
        std::make_unique<juce::DirectoryContentsList> (&filter, thread);
    std::unique_ptr<juce::FileListComponent> view = std::make_unique<juce::FileListComponent> (*list);
};

TEST_F (StalledListing, ShowsTheFilesFoundSoFarWhileTheRestIsRead)
{
    // The message thread reads the list while the listing thread is stuck in the middle of the folder.
    ASSERT_TRUE (runMessageLoopUntil ([this] { return rowsShown() > 0; }));
    EXPECT_FALSE (filter.gaveUp) << "the message thread waited for the stalled listing";
    EXPECT_TRUE (list->isStillLoading());
    EXPECT_LT (rowsShown(), numFiles);
    const auto shown = namesOnRows (*view);
    EXPECT_EQ (shown, naturallySorted (shown));

    filter.release();
    ASSERT_TRUE (
        runMessageLoopUntil ([this] { return !list->isStillLoading() && rowsShown() == numFiles; }, 60000));
    const auto all = namesOnRows (*view);
    EXPECT_EQ (all, naturallySorted (all));
}

TEST_F (StalledListing, TheSelectionStaysWithItsFileAsTheListFills)
{
    ASSERT_TRUE (runMessageLoopUntil ([this] { return rowsShown() > 0; }));
    // The middle file of those found so far: files found later sort before it.
    view->selectRow (rowsShown() / 2);
    const auto chosen = view->getSelectedFile (0);
    ASSERT_TRUE (chosen.existsAsFile());

    filter.release();
    ASSERT_TRUE (
        runMessageLoopUntil ([this] { return !list->isStillLoading() && rowsShown() == numFiles; }, 60000));
    pumpMessages();
    EXPECT_EQ (view->getSelectedFile (0), chosen);
    EXPECT_EQ (view->getModel()->getNameForRow (view->getSelectedRow()), chosen.getFileName());
}

TEST_F (StalledListing, AViewMadeAfterTheListIsCompleteSelectsItsRowsAtOnce)
{
    filter.release();
    ASSERT_TRUE (runMessageLoopUntil ([this] { return !list->isStillLoading(); }, 60000));
    juce::FileListComponent late (*list);
    late.selectRow (1);
    ASSERT_EQ (late.getNumSelectedFiles(), 1);
    EXPECT_EQ (late.getSelectedFile (0).getFileName(), late.getModel()->getNameForRow (1));
}

TEST_F (StalledListing, ClosingStopsTheListingWithoutWaitingForTheRestOfTheFolder)
{
    // Closed as the disk comes back: the stop is asked for at once, when thousands of files remain.
    filter.release();
    view.reset();
    list.reset();
    EXPECT_LT (filter.examined, numFiles) << "closing waited for the whole folder";
    EXPECT_EQ (thread.getNumClients(), 0) << "the listing goes on without its list";
}
} // namespace
