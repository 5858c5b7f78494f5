#pragma once

#include "SilentTestPlugin.h"
#include "TestSupport.h"
#include "editor/BasePluginEditor.h"
#include "editor/StatusBar.h"
#include "framework/BasePlugin.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>
#include <vector>

/** Shared fixtures of the editor tests: a product on the plain start-up order, its editor with skin files
    switched on, and user skins written into the product's skins folder. */
namespace EditorTest
{
inline constexpr const char* productName = "PlainSynth";

/** The embedded parameters plus four quality enumerations (ids 500-503), a plain bool (504) and an
    integer (505). Presets are real files in a folder of its own, with a mixed-case extension so that the
    lower-casing shows. Events the editor hands on are logged. */
class PlainProduct : public SilentTestPlugin
{
public:
    static constexpr int realtimeQualityId = 500, offlineQualityId = 501, defaultRealtimeQualityId = 502,
                         defaultOfflineQualityId = 503, boolId = 504, intId = 505;

    explicit PlainProduct (const juce::File& presetFolder);

    juce::String getProductName() const override { return productName; }
    juce::String getFilePrefix() const override { return "PS"; }

    int getRealtimeQualityParameterId() const override { return qualityIds[0]; }
    int getOfflineQualityParameterId() const override { return qualityIds[1]; }
    int getDefaultRealtimeQualityParameterId() const override { return qualityIds[2]; }
    int getDefaultOfflineQualityParameterId() const override { return qualityIds[3]; }

    void handleEvent (int uid) override { handledEvents.push_back (uid); }
    /** A preset holding the current values of the host parameters. */
    std::unique_ptr<Preset> createPresetForFile (PresetCollection*, const juce::File& file) override;
    juce::String getNewPresetName (PresetCollection*) override { return newPresetName; }

    int qualityIds[4] = {realtimeQualityId, offlineQualityId, defaultRealtimeQualityId,
                         defaultOfflineQualityId};
    juce::String newPresetName = "New Bass";
    std::vector<int> handledEvents;
    juce::String presetExtension = ".PSpreset";
};

/** The base editor with skin files on, optionally with generic controls; counts skinApplied. */
class SkinFilesEditor : public BasePluginEditor
{
public:
    SkinFilesEditor (BasePlugin& owner, bool skinFiles, bool useGeneric)
        : BasePluginEditor (owner)
        , generic (useGeneric)
    {
        skinFilesEnabled = skinFiles;
    }

    bool usesGenericControls() override { return generic; }
    void skinApplied() override { ++skinsApplied; }

    bool generic;
    int skinsApplied = 0;
};

/** One user skin: a panel of the given size holding a "MidiLearnButton", a "MidiActivityLed" and a knob
    "Cutoff Knob" linked to "Cutoff", written as "<name>.zebskin" into the folder. */
void writeUserSkin (const juce::File& skinsFolder, const juce::String& name, int width, int height,
                    const juce::String& application = productName);
/** The same with the size as the skin's text gives it, any number a skin may hold. */
void writeUserSkin (const juce::File& skinsFolder, const juce::String& name, const juce::String& width,
                    const juce::String& height, const juce::String& application = productName);

/** A temporary folder standing for the application-data folders, for the fixture's whole life. */
class DataFolders
{
public:
    DataFolders();
    ~DataFolders();

    juce::File getSkinsFolder() const;
    juce::File getPresetFolder() const { return folder.getChildFile ("presets"); }
    juce::File getUserFolder() const { return folder.getChildFile ("user"); }

private:
    TemporaryFolder folder;
};

/** A plain product started the way a host starts one, with its editor. */
class PlainEditorTest : public ::testing::Test
{
protected:
    /** Builds the product and runs the late initialisation. */
    void start (bool skinFiles = true, bool generic = false);
    void TearDown() override;

    PlainProduct& product() { return *plugin; }
    SkinFilesEditor& editor() { return *static_cast<SkinFilesEditor*> (plugin->getGuiController()); }
    StatusBar& statusBar() { return editor().getStatusBar(); }
    juce::StringArray tabNames();
    Parameter& parameter (const juce::String& name);

    /** Writes text as the product's user settings file, its folder made first. */
    void writeSettingsFile (const juce::String& text);
    /** The state chunk of an element, as a host would hand it back. */
    static juce::MemoryBlock chunkOf (const juce::XmlElement& state);
    void setState (const juce::MemoryBlock& chunk);

    DataFolders folders;
    std::unique_ptr<PlainProduct> plugin;
};
} // namespace EditorTest
