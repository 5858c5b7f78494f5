#pragma once

#include "SilentTestPlugin.h"
#include "TestSupport.h"
#include "framework/BasePlugin.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>

/** Shared fixtures of the option page tests: a product on the plain start-up order whose folders live in a
    temporary folder, started as a host starts it, with two preset folders. */
namespace PageTest
{
inline constexpr const char* productName = "PageSynth";

/** The embedded parameters; presets are files with the extension ".pgpreset" in two collections. */
class Product : public SilentTestPlugin
{
public:
    explicit Product (const juce::File& presetRoot);
    ~Product() override;

    juce::String getProductName() const override { return productName; }
    juce::String getFilePrefix() const override { return "PG"; }
    int getNumHostParameters() const override { return 36; }

    int getNumPresetCollections() const override { return 2; }
    PresetCollection* getPresetCollection (int index) override;

    /** The first automatable parameters of the table, in order. */
    Parameter& automatable (int index);

    juce::OwnedArray<PresetCollection> collections;
};

/** Writes a preset file with that author. */
void writePreset (const juce::File& file, const juce::String& author, ParameterManager& manager);
/** The author a preset file holds; "<unreadable>" when it does not parse as a preset. */
juce::String authorOf (const juce::File& file);

/** "<name>.zebskin" in the folder with a background of that size and a thumbnail (either may be left out
    with a width of 0). */
void writeUserSkin (const juce::File& skinsFolder, const juce::String& name, int backgroundWidth,
                    int backgroundHeight, int thumbnailWidth);

/** Folders, the look and feel and the product; pages are built by the tests. */
class PageFixture : public ::testing::Test
{
protected:
    PageFixture();
    ~PageFixture() override;

    /** Builds the product and runs its late initialisation (the user settings are read here). */
    Product& start();

    /** The user settings file the product reads and writes. */
    juce::File settingsFile() const;

    TemporaryFolder folder;
    DefaultLookAndFeel lookAndFeel;
    std::unique_ptr<Product> product;
};
} // namespace PageTest
