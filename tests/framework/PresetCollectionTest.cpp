#include "framework/PresetCollection.h"
#include "TestSupport.h"
#include "framework/NaturalCompare.h"
#include "framework/Parameter.h"
#include "framework/ParameterManager.h"

#include <gtest/gtest.h>
#include <random>

TEST (NaturalCompare, ExamplesGiveTheExpectedSignBothWays)
{
    // clang-format off
    const std::tuple<const char*, const char*, int> cases[] { { "Preset 2", "Preset 10", -1 },
        { "Preset 02", "Preset 2", 0 }, { "Bass", "bass2", 0 }, { "x1", "xa", -1 }, { "abc", "abcd", -1 }, { "", "", 0 },
        { "", "a", -1 }, { "same", "same", 0 }, { "a-b", "a b", 1 } /* punctuation by code */,
        { "a_", "aa", -1 } /* punctuation first */, { "x0", "x00", 1 } /* more zeros first */, { "x0", "x5", -1 },
        { "x9", "x10", -1 }, { "x123", "x124", -1 }, { "x2a", "x2b", 0 } /* after equal numbers */,
        { "99999999999999999999999", "100000000000000000000000", -1 }, { "B", "a", 1 }, { "b", "A", 1 } };
    // clang-format on
    const auto sign = [] (int value) { return (value > 0) - (value < 0); };
    for (const auto& [a, b, expected] : cases)
    {
        EXPECT_EQ (sign (naturalCompare (a, b)), expected) << a << " vs " << b;
        EXPECT_EQ (sign (naturalCompare (b, a)), -expected) << b << " vs " << a;
    }

    const juce::StringArray names{"Preset 10", "preset 1", "Preset 2", "Preset", "Acid", "Preset 02"};
    juce::StringArray sorted;
    for (const int index : naturalOrder (names))
        sorted.add (names[index]);
    EXPECT_EQ (sorted.joinIntoString ("|"), "Acid|Preset|preset 1|Preset 02|Preset 2|Preset 10");
}

TEST (NaturalCompare, AdversarialNamesStillSortIntoAPermutation)
{
    // Letters in both cases, digits with leading zeros and punctuation make the comparison intransitive
    // and full of ties; the sort must still end, stay in bounds and keep every name.
    std::mt19937 random (1234);
    const juce::String alphabet ("aAbB0012 _-.~\xc3\xa9");
    for (int round = 0; round < 50; ++round)
    {
        juce::StringArray names;
        for (int i = (int) (random() % 300); --i >= 0;)
        {
            juce::String name;
            for (int length = (int) (random() % 8); --length >= 0;)
                name +=
                    juce::String::charToString (alphabet[(int) (random() % (unsigned) alphabet.length())]);
            names.add (name);
        }
        auto order = naturalOrder (names);
        ASSERT_EQ (order.size(), names.size());
        order.sort();
        for (int i = 0; i < order.size(); ++i)
            ASSERT_EQ (order[i], i);
    }
}

namespace
{
class PresetCollectionTest : public ::testing::Test, public PresetCollection::Listener
{
protected:
    PresetCollectionTest()
    {
        manager.addParameter (std::make_unique<FloatParameter> (2, "Cutoff"));
        collection.addListener (this);
    }
    ~PresetCollectionTest() override { collection.removeListener (this); }
    void presetCollectionChanged (PresetCollection*) override { ++changes; }

    juce::File write (const juce::String& relativePath, const juce::String& text = "<Preset/>")
    {
        const auto file = root.getChildFile (relativePath);
        EXPECT_TRUE (file.getParentDirectory().createDirectory() && file.replaceWithText (text));
        return file;
    }

    /** The preset files, then the folders, relative to the collection's folder. */
    juce::String entries() const
    {
        juce::StringArray files, folders;
        for (const auto& path : collection.getPresetFiles())
            files.add (juce::File (path).getRelativePathFrom (root));
        for (const auto* folder : collection.getFolders())
            folders.add (juce::File (folder->path).getRelativePathFrom (root));
        return files.joinIntoString (", ") + " | " + folders.joinIntoString (", ");
    }

    TemporaryFolder temporary;
    juce::File root{temporary.getChildFile ("Presets")};
    ParameterManager manager;
    PresetCollection collection{"Presets", root, ".klprs"};
    int changes = 0;
};
} // namespace

TEST_F (PresetCollectionTest, ScansTheTreeInNaturalOrderAndFindsIgnoringCase)
{
    for (const auto* path :
         {"Preset 10.klprs", "Preset 2.klprs", "acid.KLPRS", "notes.txt", "Bass/Sub 3.klprs",
          "Bass/Sub 1.klprs", "Bass/Deep/Low.klprs", "Arp 10/Up.klprs", "Arp 9/Down.klprs"})
        write (path);
    ASSERT_TRUE (root.getChildFile ("Empty").createDirectory());

    collection.rescan();
    EXPECT_EQ (
        entries(),
        "acid.KLPRS, Preset 2.klprs, Preset 10.klprs, Arp 9/Down.klprs, Arp 10/Up.klprs, "
        "Bass/Sub 1.klprs, Bass/Sub 3.klprs, Bass/Deep/Low.klprs | Arp 9, Arp 10, Bass, Empty, Bass/Deep");
    pumpMessages();
    EXPECT_EQ (changes, 1);

    const auto scanned = entries().upToFirstOccurrenceOf (" | ", false, false);
    // A link back to an upper folder must not loop.
    ASSERT_TRUE (root.createSymbolicLink (root.getChildFile ("Bass/Loop"), true));
    collection.rescan();
    EXPECT_EQ (entries().upToFirstOccurrenceOf (" | ", false, false), scanned);

    const auto low = root.getChildFile ("Bass/Deep/Low.klprs");
    EXPECT_EQ (collection.findFolder (root.getFullPathName().toUpperCase()), &collection.getRoot());
    const auto* deep = collection.findFolder (root.getChildFile ("BASS/deep").getFullPathName());
    ASSERT_NE (deep, nullptr);
    EXPECT_EQ (deep->presetFiles, juce::StringArray (low.getFullPathName()));
    EXPECT_EQ (collection.findFolder (root.getChildFile ("Lead").getFullPathName()), nullptr);
    EXPECT_EQ (collection.indexOfName (low.getFullPathName().toLowerCase()), 7);
    EXPECT_EQ (collection.indexOfName ("elsewhere"), -1);
    EXPECT_EQ (
        collection.getPresetFilePath (low),
        juce::String ("Presets/Bass/Deep/Low.klprs").replaceCharacter ('/', juce::File::getSeparatorChar()));

    PresetCollection missing ("Presets", temporary.getChildFile ("nothing here"), ".klprs");
    missing.rescan();
    EXPECT_EQ (missing.getNumPresets(), 0);
    EXPECT_EQ (missing.getPreset (0, manager), nullptr);
    PresetCollection unnamed ("Presets", juce::File(), ".klprs");
    unnamed.rescan();
    EXPECT_EQ (unnamed.getNumPresets(), 0);
}

TEST_F (PresetCollectionTest, LoadsPresetsOnDemandAndCachesThem)
{
    write ("Acid.klprs", "<Preset name='ignored' author='Me'><param name='Cutoff' value='0.7'/></Preset>");
    write ("Broken.klprs", "<Preset");
    collection.rescan();

    auto* acid = collection.getPreset (0, manager);
    ASSERT_NE (acid, nullptr);
    EXPECT_EQ (acid->getName() + "|" + acid->getAuthor(), "Acid|Me");
    ASSERT_EQ (acid->getNumValues(), 1);
    EXPECT_EQ (acid->getValueRecord (0)->value, "0.7");
    EXPECT_EQ (collection.getPreset (0, manager), acid);
    ASSERT_NE (collection.getPreset (1, manager), nullptr);
    EXPECT_EQ (collection.getPreset (1, manager)->getNumValues(), 0);
    EXPECT_EQ (collection.getPreset (2, manager), nullptr);
    EXPECT_EQ (collection.getPreset (-1, manager), nullptr);
}

TEST_F (PresetCollectionTest, AddsASavedFileWithItsFoldersAndIgnoresFilesItCannotHold)
{
    write ("Preset 10.klprs");
    collection.rescan();
    pumpMessages();
    changes = 0;

    const auto outside = temporary.getChildFile ("Outside.klprs");
    const auto sibling = temporary.getChildFile ("Presets2/Near.klprs");
    ASSERT_TRUE (outside.replaceWithText ("<Preset/>"));
    ASSERT_TRUE (sibling.getParentDirectory().createDirectory() && sibling.replaceWithText ("<Preset/>"));
    for (const auto& file : {outside, sibling, root.getChildFile ("Missing.klprs"), root, juce::File()})
        collection.addPresetFile (file);
    pumpMessages();
    EXPECT_EQ (changes, 0);
    EXPECT_EQ (entries(), "Preset 10.klprs | ");

    const auto first = write ("Preset 1.klprs");
    collection.addPresetFile (write ("Lead/Hard/Preset 2.klprs"));
    collection.addPresetFile (first);
    collection.addPresetFile (first); // already there
    EXPECT_EQ (entries(), "Preset 1.klprs, Preset 10.klprs, Lead/Hard/Preset 2.klprs | Lead, Lead/Hard");
    pumpMessages();
    EXPECT_EQ (changes, 1);
}
