#include "framework/Preset.h"
#include "TestSupport.h"
#include "framework/Parameter.h"
#include "framework/ParameterManager.h"
#include "framework/XmlHelpers.h"

#include <gtest/gtest.h>

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
class PresetTest : public ::testing::Test
{
protected:
    PresetTest()
    {
        manager.addParameter (std::make_unique<FloatParameter> (0, "Tuning", 0.0f, 1.0f, 0.5f));
        manager.addParameter (std::make_unique<FloatParameter> (2, "Cutoff", 0.0f, 1.0f, 0.25f));
        manager.addParameter (std::make_unique<StateParameter> (21, "Distortion State", true));
    }

    std::unique_ptr<juce::XmlElement> parse (const juce::String& text)
    {
        auto root = XmlHelpers::parse (text);
        EXPECT_NE (root, nullptr) << text;
        return root;
    }

    static juce::StringArray attributeNames (const juce::XmlElement& element)
    {
        juce::StringArray names;
        for (int i = 0; i < element.getNumAttributes(); ++i)
            names.add (element.getAttributeName (i));
        return names;
    }

    static juce::StringArray valuesOf (const Preset& preset)
    {
        juce::StringArray texts;
        for (int i = 0; i < preset.getNumValues(); ++i)
            texts.add (juce::String (preset.getValueRecord (i)->parameterId) + "=" +
                       preset.getValueRecord (i)->value);
        return texts;
    }

    ParameterManager manager;
    TemporaryFolder folder;
};

//==============================================================================
TEST_F (PresetTest, ReadsHeaderValuesAndExtraData)
{
    const auto root =
        parse ("<preset name='Acid' application='Kelvanor' category='Bass' version='1.9' author='Me'"
               " id='x-1' rating='4' tags='a:x|y;b:z'>"
               "<param name='Cutoff' value='0.75'/><PARAM name='Nothing' value='1'/>"
               "<param name='Distortion State' value='on'/><param name='Cutoff' value='0.1'/>"
               "<extradata><Arp mode='up'><Step/></Arp><Second/></extradata></preset>");
    Preset preset;

    ASSERT_TRUE (preset.loadFromXml (root.get(), manager, false));

    EXPECT_EQ (preset.getName(), "Acid");
    EXPECT_EQ (preset.getApplication(), "Kelvanor");
    EXPECT_EQ (preset.getCategory(), "Bass");
    EXPECT_EQ (preset.getVersion(), "1.9");
    EXPECT_EQ (preset.getAuthor(), "Me");
    EXPECT_EQ (preset.getId(), "x-1");
    EXPECT_EQ (preset.getRating(), 4);
    EXPECT_TRUE (preset.isRatingSet());
    EXPECT_EQ (valuesOf (preset), juce::StringArray ({"2=0.75", "21=on", "2=0.1"}));
    EXPECT_TRUE (preset.holdsParameter (21));
    EXPECT_FALSE (preset.holdsParameter (0));
    ASSERT_NE (preset.getExtraData(), nullptr);
    EXPECT_EQ (preset.getExtraData()->getTagName(), "Arp");
    EXPECT_NE (preset.getExtraData()->getChildByName ("Step"), nullptr);
}

TEST_F (PresetTest, HeaderOnlyReadsNoValues)
{
    const auto root = parse ("<Preset name='Acid' rating='2'><param name='Cutoff' value='0.75'/>"
                             "<ExtraData><Arp/></ExtraData></Preset>");
    Preset preset;

    ASSERT_TRUE (preset.loadFromXml (root.get(), manager, true));

    EXPECT_EQ (preset.getName(), "Acid");
    EXPECT_EQ (preset.getRating(), 2);
    EXPECT_EQ (preset.getNumValues(), 0);
    EXPECT_EQ (preset.getExtraData(), nullptr);
}

TEST_F (PresetTest, ForeignRootEmptiesValuesAndKeepsHeader)
{
    Preset preset;
    preset.setName ("Kept");
    preset.addParameterValue (manager.getParameter (0));

    const auto foreign = parse ("<PresetBank name='Other'><param name='Cutoff' value='1'/></PresetBank>");
    EXPECT_FALSE (preset.loadFromXml (foreign.get(), manager, false));
    EXPECT_FALSE (preset.loadFromXml (nullptr, manager, false));

    EXPECT_EQ (preset.getName(), "Kept");
    EXPECT_EQ (preset.getNumValues(), 0);
    EXPECT_FALSE (preset.holdsParameter (0));
}

TEST_F (PresetTest, UnreadableFilesGiveAnEmptyPreset)
{
    const auto broken = folder.getChildFile ("broken.klprs");
    ASSERT_TRUE (broken.replaceWithText ("<Preset name='x'><param name='Cutoff' value="));
    const auto empty = folder.getChildFile ("empty.klprs");
    ASSERT_TRUE (empty.create());

    for (const auto& file : {broken, empty, folder.getChildFile ("missing.klprs"), folder.getFolder()})
    {
        Preset preset;
        preset.setName ("Kept");
        preset.addParameterValue (manager.getParameter (2));

        EXPECT_FALSE (preset.loadFromFile (file, manager, false)) << file.getFullPathName();
        EXPECT_EQ (preset.getNumValues(), 0);
        EXPECT_EQ (preset.getName(), "Kept");
    }
}

TEST_F (PresetTest, AFullReadDropsEarlierExtraData)
{
    Preset preset;
    preset.setExtraData (std::make_unique<juce::XmlElement> ("Old"));

    const auto emptyExtra = parse ("<Preset><ExtraData/></Preset>");
    ASSERT_TRUE (preset.loadFromXml (emptyExtra.get(), manager, false));
    EXPECT_EQ (preset.getExtraData(), nullptr);

    preset.setExtraData (std::make_unique<juce::XmlElement> ("Old"));
    const auto noExtra = parse ("<Preset/>");
    ASSERT_TRUE (preset.loadFromXml (noExtra.get(), manager, false));
    EXPECT_EQ (preset.getExtraData(), nullptr);
}

//==============================================================================
struct RatingCase
{
    const char* text;
    int rating;
    bool set;
};

class PresetRatings : public PresetTest, public ::testing::WithParamInterface<RatingCase>
{
};

TEST_P (PresetRatings, OnlyOneToFiveAreTaken)
{
    const auto root = parse (juce::String ("<Preset rating='") + GetParam().text + "'/>");
    Preset preset;

    ASSERT_TRUE (preset.loadFromXml (root.get(), manager, true));
    EXPECT_EQ (preset.getRating(), GetParam().rating);
    EXPECT_EQ (preset.isRatingSet(), GetParam().set);
    EXPECT_EQ (preset.createXml (manager)->hasAttribute ("rating"), GetParam().set);
}

INSTANTIATE_TEST_SUITE_P (Ratings, PresetRatings,
                          ::testing::Values (RatingCase{"1", 1, true}, RatingCase{"5", 5, true},
                                             RatingCase{"0", 3, false}, RatingCase{"6", 3, false},
                                             RatingCase{"-2", 3, false}, RatingCase{"NaN", 3, false},
                                             RatingCase{"", 3, false}, RatingCase{"99999999999", 3, false}));

//==============================================================================
struct TagCase
{
    const char* text;
    int groups;
    const char* written;
};

class PresetTags : public PresetTest, public ::testing::WithParamInterface<TagCase>
{
};

TEST_P (PresetTags, ParseAndWriteBack)
{
    Preset preset;
    preset.setTagsFromText (GetParam().text);

    EXPECT_EQ (preset.getNumTagGroups(), GetParam().groups);
    EXPECT_EQ (preset.getTagsText(), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P (Tags, PresetTags,
                          ::testing::Values (TagCase{"a:x|y;b:z", 2, "a:x|y;b:z"}, TagCase{"", 0, ""},
                                             TagCase{"x|y", 1, ":x|y"}, TagCase{"a:", 1, "a:"},
                                             TagCase{"a:x;;b:y;", 2, "a:x;b:y"},
                                             TagCase{"a:b:c|d", 1, "a:b:c|d"}));

TEST_F (PresetTest, TagGroupsKeepTheirTags)
{
    const auto root = parse ("<Preset tags='a:x|y;b:z'/>");
    Preset preset;
    ASSERT_TRUE (preset.loadFromXml (root.get(), manager, true));

    ASSERT_EQ (preset.getNumTagGroups(), 2);
    EXPECT_EQ (preset.getTagGroupName (0), "a");
    EXPECT_EQ (preset.getTags (0), juce::StringArray ({"x", "y"}));
    EXPECT_EQ (preset.getTags (1), juce::StringArray ({"z"}));
    EXPECT_TRUE (preset.getTags (2).isEmpty());
    EXPECT_EQ (preset.createXml (manager)->getStringAttribute ("tags"), "a:x|y;b:z");

    preset.setTags ("a", {"w"});
    preset.setTags ("c", {"v", "u"});
    EXPECT_EQ (preset.getTagsText(), "a:w;b:z;c:v|u");

    preset.clearTags();
    EXPECT_FALSE (preset.createXml (manager)->hasAttribute ("tags"));
}

//==============================================================================
TEST_F (PresetTest, WritesAttributesInOrderAndOnlyWhenPresent)
{
    Preset preset;
    preset.setName ("Acid");
    preset.setApplication ("Kelvanor");
    preset.setCategory ("Bass");
    preset.setVersion ("2");
    preset.setAuthor ("Me");
    preset.setId ("7");
    preset.setRating (5);
    preset.setTags ("mood", {"dark"});

    EXPECT_EQ (
        attributeNames (*preset.createXml (manager)),
        juce::StringArray ({"name", "application", "category", "version", "author", "id", "rating", "tags"}));

    Preset bare;
    const auto xml = bare.createXml (manager);
    EXPECT_EQ (xml->getTagName(), "Preset");
    EXPECT_EQ (xml->getNumAttributes(), 0);
    EXPECT_EQ (xml->getNumChildElements(), 0);
}

TEST_F (PresetTest, WritesValuesByNameAndSkipsUnknownIdentifiers)
{
    Preset preset;
    preset.addParameterValue (manager.getParameter (21));
    preset.addParameterValue (nullptr);
    preset.addValueRecord (std::make_unique<Preset::ValueRecord> (Preset::ValueRecord{999, "1"}));
    preset.addValueRecord (nullptr);
    preset.addParameterValue (manager.getParameter (0));
    preset.setExtraData (std::make_unique<juce::XmlElement> ("Arp"));

    const auto xml = preset.createXml (manager);

    ASSERT_EQ (xml->getNumChildElements(), 3);
    EXPECT_EQ (xml->getChildElement (0)->getStringAttribute ("name"), "Distortion State");
    EXPECT_EQ (xml->getChildElement (0)->getStringAttribute ("value"), "on");
    EXPECT_EQ (xml->getChildElement (1)->getStringAttribute ("name"), "Tuning");
    EXPECT_EQ (xml->getChildElement (1)->getStringAttribute ("value"), "0.5");
    EXPECT_EQ (xml->getChildElement (2)->getTagName(), "ExtraData");
    EXPECT_EQ (xml->getChildElement (2)->getFirstChildElement()->getTagName(), "Arp");
    EXPECT_EQ (preset.getNumValues(), 3) << "the unknown record stays in the preset";
}

TEST_F (PresetTest, AddsOnlyMissingValues)
{
    Preset base, other;
    base.addValueRecord (std::make_unique<Preset::ValueRecord> (Preset::ValueRecord{2, "0.1"}));
    other.addValueRecord (std::make_unique<Preset::ValueRecord> (Preset::ValueRecord{2, "0.9"}));
    other.addValueRecord (std::make_unique<Preset::ValueRecord> (Preset::ValueRecord{0, "0.3"}));
    other.addValueRecord (std::make_unique<Preset::ValueRecord> (Preset::ValueRecord{0, "0.4"}));

    base.addMissingValuesFrom (other);

    EXPECT_EQ (valuesOf (base), juce::StringArray ({"2=0.1", "0=0.3", "0=0.4"}));
    EXPECT_EQ (valuesOf (other).size(), 3);
}

TEST_F (PresetTest, RoundTripsThroughAFileWithHugeAndOddText)
{
    const auto file = folder.getChildFile ("odd.klprs");
    const auto huge = juce::String::repeatedString ("x", 1 << 20);
    Preset preset;
    preset.setName (huge);
    const auto oddText = juce::String::fromUTF8 ("\"<&>' \xc3\xa9\t;|:");
    preset.setAuthor (oddText);
    preset.addValueRecord (std::make_unique<Preset::ValueRecord> (Preset::ValueRecord{2, huge}));

    ASSERT_TRUE (preset.saveToFile (file, manager));
    EXPECT_TRUE (file.loadFileAsString().startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    Preset read;
    ASSERT_TRUE (read.loadFromFile (file, manager, false));
    EXPECT_EQ (read.getName(), huge);
    EXPECT_EQ (read.getAuthor(), oddText);
    EXPECT_EQ (valuesOf (read), juce::StringArray ({"2=" + huge}));
}

TEST_F (PresetTest, FilePresetTakesItsNameFromTheFile)
{
    const auto file = folder.getChildFile ("Bass 1.klprs");
    FilePreset preset (folder.getChildFile ("Other.klprs"));
    EXPECT_EQ (preset.getName(), "Other");
    EXPECT_EQ (preset.getRating(), 3);
    preset.setAuthor ("Me");

    ASSERT_TRUE (preset.saveToFile (file, manager));

    EXPECT_EQ (preset.getName(), "Bass 1");
    EXPECT_EQ (preset.getFile(), file);
    const auto written = XmlHelpers::parse (file);
    ASSERT_NE (written, nullptr);
    EXPECT_FALSE (written->hasAttribute ("name"));

    FilePreset read (juce::File{});
    ASSERT_TRUE (read.loadFromFile (file, manager, true));
    EXPECT_EQ (read.getName(), "Bass 1");
    EXPECT_EQ (read.getAuthor(), "Me");
}

//==============================================================================
TEST_F (PresetTest, AuthorRewriteTouchesOnlyAuthorAndId)
{
    const auto file = folder.getChildFile ("Acid.klprs");
    ASSERT_TRUE (
        file.replaceWithText ("<Preset name='Acid' author='Old' category='Bass' id='old-id' rating='2'>"
                              "<param name='Cutoff' value='0.7'/><param name='Gone' value='1'/>"
                              "<ExtraData><Arp mode='up'/></ExtraData></Preset>"));
    Preset update;
    update.setId ("new-id");

    ASSERT_TRUE (update.setFileAuthor (file));

    const auto rewritten = XmlHelpers::parse (file);
    ASSERT_NE (rewritten, nullptr);
    EXPECT_FALSE (rewritten->hasAttribute ("author"));
    EXPECT_EQ (rewritten->getStringAttribute ("id"), "new-id");
    EXPECT_EQ (rewritten->getStringAttribute ("category"), "Bass");
    EXPECT_EQ (rewritten->getStringAttribute ("rating"), "2");
    ASSERT_EQ (rewritten->getNumChildElements(), 3);
    EXPECT_EQ (rewritten->getChildElement (1)->getStringAttribute ("name"), "Gone");
    EXPECT_EQ (rewritten->getChildElement (2)->getFirstChildElement()->getStringAttribute ("mode"), "up");

    update.setAuthor ("New");
    update.setId ({});
    ASSERT_TRUE (update.setFileAuthor (file));
    const auto again = XmlHelpers::parse (file);
    EXPECT_EQ (again->getStringAttribute ("author"), "New");
    EXPECT_FALSE (again->hasAttribute ("id"));
}

TEST_F (PresetTest, AuthorRewriteLeavesForeignFilesUntouched)
{
    const juce::String brokenText ("<Preset author='Old'><param");
    const juce::String bankText ("<PresetBank author='Old'/>");
    const auto broken = folder.getChildFile ("broken.klprs");
    const auto bank = folder.getChildFile ("bank.klprs");
    ASSERT_TRUE (broken.replaceWithText (brokenText));
    ASSERT_TRUE (bank.replaceWithText (bankText));
    Preset update;
    update.setAuthor ("New");

    EXPECT_FALSE (update.setFileAuthor (broken));
    EXPECT_FALSE (update.setFileAuthor (bank));
    EXPECT_FALSE (update.setFileAuthor (folder.getChildFile ("missing.klprs")));

    EXPECT_EQ (broken.loadFileAsString(), brokenText);
    EXPECT_EQ (bank.loadFileAsString(), bankText);
    EXPECT_FALSE (folder.getChildFile ("missing.klprs").exists());
}
} // namespace
