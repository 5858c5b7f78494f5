#include "PageTestFixture.h"

#include "framework/Preset.h"
#include "skin/source/SkinSource.h"

namespace PageTest
{
Product::Product (const juce::File& presetRoot)
{
    for (const auto* name : {"Factory", "User"})
    {
        const auto folder = presetRoot.getChildFile (name);
        folder.createDirectory();
        collections.add (new PresetCollection (name, folder, ".pgpreset"));
    }
}

Product::~Product() = default;

PresetCollection* Product::getPresetCollection (int index)
{
    return collections[index];
}

Parameter& Product::automatable (int index)
{
    auto& manager = getParameterManager();
    for (int i = 0; i < manager.getNumParameters(); ++i)
        if (auto* p = manager.getParameterAtIndex (i); p != nullptr && p->isAutomatable() && index-- == 0)
            return *p;
    throw std::out_of_range ("not so many automatable parameters");
}

void writePreset (const juce::File& file, const juce::String& author, ParameterManager& manager)
{
    FilePreset preset (file);
    preset.setAuthor (author);
    preset.setApplication (productName);
    preset.addParameterValue (manager.getParameterAtIndex (0));
    ASSERT_TRUE (preset.saveToFile (file, manager)) << file.getFullPathName();
}

juce::String authorOf (const juce::File& file)
{
    // The header alone names no parameter: any manager reads it.
    ParameterManager manager;
    FilePreset preset (file);
    return preset.loadFromFile (file, manager, true) ? preset.getAuthor() : juce::String ("<unreadable>");
}

namespace
{
juce::MemoryBlock png (int width, int height, juce::Colour colour)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    image.clear (image.getBounds(), colour);
    juce::MemoryOutputStream out;
    juce::PNGImageFormat().writeImageToStream (image, out);
    return out.getMemoryBlock();
}
} // namespace

void writeUserSkin (const juce::File& skinsFolder, const juce::String& name, int backgroundWidth,
                    int backgroundHeight, int thumbnailWidth)
{
    Entries inner;
    const juce::String description = "<PluginEditor application='" + juce::String (productName) +
                                     "'><Panel name='MainPanel'/></PluginEditor>";
    inner.push_back ({"skin.xml", textBlock (description)});
    if (backgroundWidth > 0)
        inner.push_back ({"Background.png", png (backgroundWidth, backgroundHeight, juce::Colours::grey)});
    if (thumbnailWidth > 0)
        inner.push_back ({"Thumbnail.png", png (thumbnailWidth, thumbnailWidth / 2, juce::Colours::red)});

    const auto skin = makeZip (inner);
    const auto digest = SkinSource::digestOf (skin);
    skinsFolder.createDirectory();
    const auto outer = makeZip ({{name + ".skin", skin}, {name + ".md5", textBlock (digest)}});
    ASSERT_TRUE (skinsFolder.getChildFile (name + SkinSource::skinFileExtension)
                     .replaceWithData (outer.getData(), outer.getSize()));
}

//==============================================================================
PageFixture::PageFixture()
{
    BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"), folder.getChildFile ("common"));
}

PageFixture::~PageFixture()
{
    product.reset();
    pumpMessages();
    BasePlugin::overrideApplicationDataFolders ({}, {});
}

Product& PageFixture::start()
{
    product = std::make_unique<Product> (folder.getChildFile ("presets"));
    product->runLateInitialisation();
    return *product;
}

juce::File PageFixture::settingsFile() const
{
    return folder.getChildFile ("user/Zeb Group")
        .getChildFile (productName)
        .getChildFile (juce::String (productName) + ".ini");
}
} // namespace PageTest
