#include "PageTestFixture.h"
#include "editor/pages/HostParametersComponent.h"
#include "editor/pages/MidiControlComponent.h"

namespace
{
//==============================================================================
// A map saved through its page's chooser reads back. The names typed and the files written are the save
// choosers' table (SaveChooserOverwriteTest).

class SavedMapFile : public PageTest::PageFixture
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
        window->getBrowser().setFileName ("Bass");
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

TEST_F (SavedMapFile, MidiControlMap)
{
    product->getMidiControl().assign (5, &product->automatable (0), false);
    MidiControlComponent page (product->getMidiControl(), ".pgccmap", "*.pgccmap");
    saveThroughChooser (page, page.getSaveButton(), page.getChooser());
    EXPECT_EQ (savedNames(), juce::StringArray ("Bass.pgccmap"));

    product->getMidiControl().clearAll (false);
    EXPECT_TRUE (product->getMidiControl().loadFromFile (mapsFolder.getChildFile (savedNames()[0])));
    EXPECT_EQ (product->getMidiControl().getParameterOfController (5), &product->automatable (0));
}

TEST_F (SavedMapFile, HostParametersMap)
{
    product->assignHostParameter (3, &product->automatable (1));
    HostParametersComponent page (*product);
    saveThroughChooser (page, page.getSaveButton(), page.getChooser());
    EXPECT_EQ (savedNames(), juce::StringArray ("Bass.pghpmap"));

    product->clearHostParameters();
    product->loadHostParametersMap (mapsFolder.getChildFile (savedNames()[0]));
    EXPECT_EQ (product->getHostParameter (3), &product->automatable (1));
}

} // namespace
