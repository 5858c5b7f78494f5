#include "PageTestFixture.h"
#include "TestNames.h"
#include "editor/pages/HostParametersComponent.h"
#include "editor/pages/MidiControlComponent.h"

namespace
{
//==============================================================================
// A file chosen for saving gets the map extension, lower-case, whatever the user typed.

struct SavedNameCase
{
    const char* typed;
    const char* saved;
};

class SavedMapFile : public PageTest::PageFixture, public ::testing::WithParamInterface<SavedNameCase>
{
protected:
    void SetUp() override
    {
        FileChooserPolicy::setMode (FileChooserPolicy::Mode::editorWindow);
        start();
    }

    void TearDown() override { FileChooserPolicy::setMode (FileChooserPolicy::Mode::automatic); }

    /** Clicks the page's save button, types the name into the chooser in mapsFolder and accepts it. */
    void saveThroughChooser (juce::Component& page, juce::Button& saveButton, FileChooserPolicy& chooser)
    {
        mapsFolder.createDirectory();
        dynamic_cast<juce::Button::Listener&> (page).buttonClicked (&saveButton);
        auto* window = chooser.getBrowserWindow();
        ASSERT_NE (window, nullptr);
        window->getBrowser().setRoot (mapsFolder);
        window->getBrowser().setFileName (GetParam().typed);
        window->buttonClicked (&window->getOkButton());
        pumpMessages();
        EXPECT_FALSE (chooser.isOpen());
    }

    juce::StringArray savedNames() const
    {
        juce::StringArray names;
        for (const auto& f : mapsFolder.findChildFiles (juce::File::findFiles, false))
            names.add (f.getFileName());
        return names;
    }

    juce::File mapsFolder = folder.getChildFile ("maps");
};

TEST_P (SavedMapFile, MidiControlMap)
{
    product->getMidiControl().assign (5, &product->automatable (0), false);
    MidiControlComponent page (product->getMidiControl(), ".pgccmap", "*.pgccmap");
    saveThroughChooser (page, page.getSaveButton(), page.getChooser());
    EXPECT_EQ (savedNames(), juce::StringArray (juce::String (GetParam().saved) + "ccmap"));

    product->getMidiControl().clearAll (false);
    EXPECT_TRUE (product->getMidiControl().loadFromFile (mapsFolder.getChildFile (savedNames()[0])));
    EXPECT_EQ (product->getMidiControl().getParameterOfController (5), &product->automatable (0));
}

TEST_P (SavedMapFile, HostParametersMap)
{
    product->assignHostParameter (3, &product->automatable (1));
    HostParametersComponent page (*product);
    saveThroughChooser (page, page.getSaveButton(), page.getChooser());
    EXPECT_EQ (savedNames(), juce::StringArray (juce::String (GetParam().saved) + "hpmap"));

    product->clearHostParameters();
    product->loadHostParametersMap (mapsFolder.getChildFile (savedNames()[0]));
    EXPECT_EQ (product->getHostParameter (3), &product->automatable (1));
}

INSTANTIATE_TEST_SUITE_P (
    Table, SavedMapFile,
    ::testing::Values (SavedNameCase{"Bass", "Bass.pg"}, SavedNameCase{"Bass.PGCCMAP", "Bass.pg"},
                       SavedNameCase{"Bass.PGHPMAP", "Bass.pg"}, SavedNameCase{"Bass.txt", "Bass.pg"},
                       SavedNameCase{"Live.Set", "Live.pg"}),
    [] (const auto& each) { return testName (juce::String (each.param.typed).replace (".", " dot ")); });
} // namespace
