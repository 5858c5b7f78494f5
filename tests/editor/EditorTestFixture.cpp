#include "EditorTestFixture.h"

#include "editor/OptionsWindow.h"
#include "skin/source/SkinSource.h"

namespace EditorTest
{
PlainProduct::PlainProduct (const juce::File& presetFolder)
{
    auto& manager = getParameterManager();
    const char* qualityNames[] = {"Realtime Quality", "Offline Quality", "Default Realtime Quality",
                                  "Default Offline Quality"};
    for (int i = 0; i < 4; ++i)
    {
        auto quality = std::make_unique<EnumParameter> (realtimeQualityId + i, qualityNames[i]);
        quality->setItems ("Draft;Good;Best");
        manager.addParameter (std::move (quality));
    }
    manager.addParameter (std::make_unique<BoolParameter> (boolId, "Plain Switch"));
    manager.addParameter (std::make_unique<IntParameter> (intId, "Plain Steps", 0, 7, 3));

    presetFolder.createDirectory();
    setCurrentPresetCollection (
        std::make_unique<PresetCollection> ("Presets", presetFolder, presetExtension));
}

std::unique_ptr<Preset> PlainProduct::createPresetForFile (PresetCollection*, const juce::File& file)
{
    auto preset = std::make_unique<FilePreset> (file);
    for (int id = 0; id < getNumHostParameters(); ++id)
        if (const auto* p = getParameterManager().getParameter (id))
            preset->addParameterValue (p);
    return preset;
}

namespace
{
} // namespace

void writeUserSkin (const juce::File& skinsFolder, const juce::String& name, int width, int height,
                    const juce::String& application)
{
    writeUserSkin (skinsFolder, name, juce::String (width), juce::String (height), application);
}

void writeUserSkin (const juce::File& skinsFolder, const juce::String& name, const juce::String& width,
                    const juce::String& height, const juce::String& application)
{
    const juce::String xml =
        "<PluginEditor application='" + application + "'><Panel name='MainPanel'><size width='" + width +
        "' height='" + height +
        "'/><controls>"
        "<MultiStateButton name='MidiLearnButton'><pos left='10' top='10'/><size width='20' height='20'/>"
        "</MultiStateButton>"
        "<Animation name='MidiActivityLed'><pos left='40' top='10'/><size width='10' height='10'/>"
        "</Animation>"
        "<Knob name='Cutoff Knob'><pos left='60' top='10'/><size width='30' height='30'/>"
        "<links><link as='connectedTo' param='Cutoff'/></links></Knob>"
        "</controls></Panel></PluginEditor>";

    const auto inner = makeZip ({{"skin.xml", textBlock (xml)}});
    const auto outer =
        makeZip ({{name + ".md5", textBlock (SkinSource::digestOf (inner))}, {name + ".skin", inner}});
    skinsFolder.createDirectory();
    skinsFolder.getChildFile (name + SkinSource::skinFileExtension)
        .replaceWithData (outer.getData(), outer.getSize());
}

//==============================================================================
DataFolders::DataFolders()
{
    BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"), folder.getChildFile ("common"));
}

DataFolders::~DataFolders()
{
    BasePlugin::overrideApplicationDataFolders ({}, {});
}

juce::File DataFolders::getSkinsFolder() const
{
    // The folder the skin source looks in: the all-users folder / "Zeb Group" / product / "Skins".
    return folder.getChildFile ("common")
        .getChildFile ("Zeb Group")
        .getChildFile (productName)
        .getChildFile ("Skins");
}

//==============================================================================
void PlainEditorTest::start (bool skinFiles, bool generic)
{
    plugin = std::make_unique<PlainProduct> (folders.getPresetFolder());
    plugin->setEditorFactory (
        [skinFiles, generic] (BasePlugin& owner) {
            return BasePluginEditor::initialised (
                std::make_unique<SkinFilesEditor> (owner, skinFiles, generic));
        });
    plugin->runLateInitialisation();
    ASSERT_NE (dynamic_cast<SkinFilesEditor*> (plugin->getGuiController()), nullptr);
}

void PlainEditorTest::TearDown()
{
    plugin.reset();
    pumpMessages();
}

juce::StringArray PlainEditorTest::tabNames()
{
    return editor().getOptionsWindow().getTabs().getTabNames();
}

Parameter& PlainEditorTest::parameter (const juce::String& name)
{
    auto& manager = plugin->getParameterManager();
    auto* p = manager.getParameter (manager.getParameterIdByName (name));
    EXPECT_NE (p, nullptr) << name;
    return *p;
}

void PlainEditorTest::writeSettingsFile (const juce::String& text)
{
    const auto file = folders.getUserFolder()
                          .getChildFile ("Zeb Group")
                          .getChildFile (productName)
                          .getChildFile (juce::String (productName) + ".ini");
    file.getParentDirectory().createDirectory();
    ASSERT_TRUE (file.replaceWithText (text));
}

juce::MemoryBlock PlainEditorTest::chunkOf (const juce::XmlElement& state)
{
    juce::MemoryBlock chunk;
    BasePlugin::copyXmlToBinary (state, chunk);
    return chunk;
}

void PlainEditorTest::setState (const juce::MemoryBlock& chunk)
{
    plugin->setStateInformation (chunk.getData(), (int) chunk.getSize());
}
} // namespace EditorTest
