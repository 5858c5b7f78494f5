#include "framework/PresetCollection.h"
#include "TestSupport.h"
#include "framework/NaturalCompare.h"
#include "framework/Parameter.h"
#include "framework/ParameterManager.h"

#include <gtest/gtest.h>
#include <random>

namespace juce
{
// Readable failure messages for lists of names.
static void PrintTo (const StringArray& strings, std::ostream* stream)
{
    *stream << "{" << strings.joinIntoString (" | ") << "}";
}
} // namespace juce

namespace
{
int signOf (int value)
{
    return (value > 0) - (value < 0);
}

struct CompareCase
{
    const char* a;
    const char* b;
    int expected; // sign
};

class NaturalCompareCases : public ::testing::TestWithParam<CompareCase>
{
};

TEST_P (NaturalCompareCases, GivesTheExpectedSignBothWays)
{
    const auto c = GetParam();
    const auto a = juce::String::fromUTF8 (c.a), b = juce::String::fromUTF8 (c.b);

    EXPECT_EQ (signOf (naturalCompare (a, b)), c.expected) << c.a << " vs " << c.b;
    EXPECT_EQ (signOf (naturalCompare (b, a)), -c.expected) << c.b << " vs " << c.a;
}

INSTANTIATE_TEST_SUITE_P (
    Examples, NaturalCompareCases,
    ::testing::Values (CompareCase{"Preset 2", "Preset 10", -1}, CompareCase{"Preset 02", "Preset 2", 0},
                       CompareCase{"Bass", "bass2", 0}, CompareCase{"x1", "xa", -1},
                       CompareCase{"abc", "abcd", -1}, CompareCase{"", "", 0}, CompareCase{"", "a", -1},
                       CompareCase{"same", "same", 0}, CompareCase{"a-b", "a b", 1}, // punctuation by code
                       CompareCase{"a_", "aa", -1},                                  // punctuation first
                       CompareCase{"x0", "x00", 1},                                  // more zeros first
                       CompareCase{"x0", "x5", -1}, CompareCase{"x9", "x10", -1},
                       CompareCase{"x123", "x124", -1}, CompareCase{"x2a", "x2b", 0}, // after equal numbers
                       CompareCase{"99999999999999999999999", "100000000000000000000000", -1},
                       CompareCase{"B", "a", 1}, CompareCase{"b", "A", 1}));

TEST (NaturalOrder, SortsNamesAsPeopleCount)
{
    const juce::StringArray names{"Preset 10", "preset 1", "Preset 2", "Preset", "Acid", "Preset 02"};
    const auto order = naturalOrder (names);

    juce::StringArray sorted;
    for (const int index : order)
        sorted.add (names[index]);

    EXPECT_EQ (sorted,
               juce::StringArray ({"Acid", "Preset", "preset 1", "Preset 02", "Preset 2", "Preset 10"}));
}

TEST (NaturalOrder, AdversarialNamesGiveAPermutation)
{
    // Letters in both cases, digits with leading zeros and punctuation make the comparison intransitive
    // and full of ties; the sort must still end, stay in bounds and keep every name.
    std::mt19937 random (1234);
    const juce::String alphabet ("aAbB0012 _-.~\xc3\xa9");

    for (int round = 0; round < 50; ++round)
    {
        juce::StringArray names;
        const int count = (int) (random() % 300);

        for (int i = 0; i < count; ++i)
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

//==============================================================================
struct CountingListener : public PresetCollection::Listener
{
    void presetCollectionChanged (PresetCollection*) override { ++changes; }
    int changes = 0;
};

class PresetCollectionTest : public ::testing::Test
{
protected:
    PresetCollectionTest()
    {
        manager.addParameter (std::make_unique<FloatParameter> (2, "Cutoff"));
        collection.addListener (&listener);
    }

    ~PresetCollectionTest() override { collection.removeListener (&listener); }

    juce::File write (const juce::String& relativePath, const juce::String& text = "<Preset/>")
    {
        const auto file = root.getChildFile (relativePath);
        EXPECT_TRUE (file.getParentDirectory().createDirectory());
        EXPECT_TRUE (file.replaceWithText (text));
        return file;
    }

    juce::StringArray relativeEntries() const
    {
        juce::StringArray entries;
        for (const auto& path : collection.getPresetFiles())
            entries.add (juce::File (path).getRelativePathFrom (root));
        return entries;
    }

    TemporaryFolder temporary;
    juce::File root{temporary.getChildFile ("Presets")};
    ParameterManager manager;
    PresetCollection collection{"Presets", root, ".klprs"};
    CountingListener listener;
};

TEST_F (PresetCollectionTest, ScansTheTreeInNaturalOrder)
{
    write ("Preset 10.klprs");
    write ("Preset 2.klprs");
    write ("acid.KLPRS");
    write ("notes.txt");
    write ("Bass/Sub 3.klprs");
    write ("Bass/Sub 1.klprs");
    write ("Bass/Deep/Low.klprs");
    write ("Arp 10/Up.klprs");
    write ("Arp 9/Down.klprs");
    ASSERT_TRUE (root.getChildFile ("Empty").createDirectory());

    collection.rescan();

    EXPECT_EQ (relativeEntries(),
               juce::StringArray ({"acid.KLPRS", "Preset 2.klprs", "Preset 10.klprs", "Arp 9/Down.klprs",
                                   "Arp 10/Up.klprs", "Bass/Sub 1.klprs", "Bass/Sub 3.klprs",
                                   "Bass/Deep/Low.klprs"}));

    juce::StringArray folders;
    for (const auto* folder : collection.getFolders())
        folders.add (juce::File (folder->path).getRelativePathFrom (root));
    EXPECT_EQ (folders, juce::StringArray ({"Arp 9", "Arp 10", "Bass", "Empty", "Bass/Deep"}));

    pumpMessages();
    EXPECT_EQ (listener.changes, 1);
}

TEST_F (PresetCollectionTest, FindsFoldersAndEntriesIgnoringCase)
{
    const auto low = write ("Bass/Deep/Low.klprs");
    collection.rescan();

    EXPECT_EQ (collection.findFolder (root.getFullPathName().toUpperCase()), &collection.getRoot());
    const auto* deep = collection.findFolder (root.getChildFile ("BASS/deep").getFullPathName());
    ASSERT_NE (deep, nullptr);
    EXPECT_EQ (deep->presetFiles, juce::StringArray ({low.getFullPathName()}));
    EXPECT_EQ (collection.findFolder (root.getChildFile ("Lead").getFullPathName()), nullptr);

    EXPECT_EQ (collection.indexOfName (low.getFullPathName().toLowerCase()), 0);
    EXPECT_EQ (collection.indexOfName ("elsewhere"), -1);
    EXPECT_EQ (collection.getPresetFilePath (low), "Presets" + juce::File::getSeparatorString() + "Bass" +
                                                       juce::File::getSeparatorString() + "Deep" +
                                                       juce::File::getSeparatorString() + "Low.klprs");
}

TEST_F (PresetCollectionTest, MissingFolderGivesAnEmptyCollection)
{
    PresetCollection missing ("Presets", temporary.getChildFile ("nothing here"), ".klprs");
    missing.rescan();
    EXPECT_EQ (missing.getNumPresets(), 0);
    EXPECT_EQ (missing.getPreset (0, manager), nullptr);
    EXPECT_TRUE (missing.getPresetFile (-1).isEmpty());

    PresetCollection unnamed ("Presets", juce::File(), ".klprs");
    unnamed.rescan();
    EXPECT_EQ (unnamed.getNumPresets(), 0);
}

TEST_F (PresetCollectionTest, LinkBackToAnUpperFolderDoesNotLoop)
{
    write ("Bass/Sub.klprs");
    ASSERT_TRUE (root.getChildFile ("Bass/Loop").getFullPathName().isNotEmpty());
    ASSERT_TRUE (root.createSymbolicLink (root.getChildFile ("Bass/Loop"), true));

    collection.rescan();

    EXPECT_EQ (relativeEntries(), juce::StringArray ({"Bass/Sub.klprs"}));
}

TEST_F (PresetCollectionTest, LoadsPresetsOnDemandAndCachesThem)
{
    write ("Acid.klprs", "<Preset name='ignored' author='Me'><param name='Cutoff' value='0.7'/></Preset>");
    write ("Broken.klprs", "<Preset");
    collection.rescan();

    auto* acid = collection.getPreset (0, manager);
    ASSERT_NE (acid, nullptr);
    EXPECT_EQ (acid->getName(), "Acid");
    EXPECT_EQ (acid->getAuthor(), "Me");
    ASSERT_EQ (acid->getNumValues(), 1);
    EXPECT_EQ (acid->getValueRecord (0)->value, "0.7");
    EXPECT_EQ (collection.getPreset (0, manager), acid);

    auto* broken = collection.getPreset (1, manager);
    ASSERT_NE (broken, nullptr);
    EXPECT_EQ (broken->getNumValues(), 0);

    EXPECT_EQ (collection.getPreset (2, manager), nullptr);
    EXPECT_EQ (collection.getPreset (-1, manager), nullptr);
}

TEST_F (PresetCollectionTest, AddsASavedFileWithItsFolders)
{
    write ("Preset 10.klprs");
    collection.rescan();
    pumpMessages();
    listener.changes = 0;

    const auto added = write ("Lead/Hard/Preset 2.klprs");
    const auto first = write ("Preset 1.klprs");
    collection.addPresetFile (added);
    collection.addPresetFile (first);
    collection.addPresetFile (first); // already there

    EXPECT_EQ (relativeEntries(),
               juce::StringArray ({"Preset 1.klprs", "Preset 10.klprs", "Lead/Hard/Preset 2.klprs"}));
    EXPECT_NE (collection.findFolder (root.getChildFile ("Lead/Hard").getFullPathName()), nullptr);
    pumpMessages();
    EXPECT_EQ (listener.changes, 1);
}

TEST_F (PresetCollectionTest, IgnoresFilesItCannotHold)
{
    write ("Preset.klprs");
    collection.rescan();
    pumpMessages();
    listener.changes = 0;

    const auto outside = temporary.getChildFile ("Outside.klprs");
    ASSERT_TRUE (outside.replaceWithText ("<Preset/>"));
    const auto sibling = temporary.getChildFile ("Presets2/Near.klprs");
    ASSERT_TRUE (sibling.getParentDirectory().createDirectory());
    ASSERT_TRUE (sibling.replaceWithText ("<Preset/>"));

    for (const auto& file : {outside, sibling, root.getChildFile ("Missing.klprs"), root, juce::File()})
        collection.addPresetFile (file);

    EXPECT_EQ (relativeEntries(), juce::StringArray ({"Preset.klprs"}));
    pumpMessages();
    EXPECT_EQ (listener.changes, 0);
}
} // namespace
