#include "framework/Preset.h"
#include "TestSupport.h"
#include "framework/Parameter.h"
#include "framework/ParameterManager.h"
#include "framework/XmlHelpers.h"

#include <gtest/gtest.h>

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

    bool load (Preset& preset, const juce::String& text, bool headerOnly = false)
    {
        return preset.loadFromXml (XmlHelpers::parse (text).get(), manager, headerOnly);
    }

    /** The header (rating with "*" when set), the tags, the values "id=text" and the extra data's tag. */
    static juce::String describe (const Preset& preset)
    {
        juce::StringArray parts{preset.getName(),
                                preset.getApplication(),
                                preset.getCategory(),
                                preset.getVersion(),
                                preset.getAuthor(),
                                preset.getId(),
                                juce::String (preset.getRating()) + (preset.isRatingSet() ? "*" : ""),
                                preset.getTagsText()};
        for (int i = 0; i < preset.getNumValues(); ++i)
            parts.add (juce::String (preset.getValueRecord (i)->parameterId) + "=" +
                       preset.getValueRecord (i)->value);
        parts.add (preset.getExtraData() != nullptr ? preset.getExtraData()->getTagName() : "-");
        return parts.joinIntoString ("|");
    }

    juce::String written (const Preset& preset) const
    {
        return XmlHelpers::toSingleLine (*preset.createXml (manager));
    }

    ParameterManager manager;
    TemporaryFolder folder;
};

TEST_F (PresetTest, ReadsHeaderKnownValuesAndExtraData)
{
    const juce::String text =
        "<preset name='Acid' application='Kelvanor' category='Bass' version='1.9' author='Me'"
        " id='x-1' rating='4' tags='a:x|y;b:z'>"
        "<param name='Cutoff' value='0.75'/><PARAM name='Nothing' value='1'/>"
        "<param name='Distortion State' value='on'/><param name='Cutoff' value='0.1'/>"
        "<extradata><Arp mode='up'><Step/></Arp><Second/></extradata></preset>";
    Preset preset;
    preset.setExtraData (std::make_unique<juce::XmlElement> ("Old"));
    ASSERT_TRUE (load (preset, text, true));
    EXPECT_EQ (describe (preset), "Acid|Kelvanor|Bass|1.9|Me|x-1|4*|a:x|y;b:z|Old");

    ASSERT_TRUE (load (preset, text));
    EXPECT_EQ (describe (preset), "Acid|Kelvanor|Bass|1.9|Me|x-1|4*|a:x|y;b:z|2=0.75|21=on|2=0.1|Arp");
    EXPECT_TRUE (preset.holdsParameter (21) && !preset.holdsParameter (0));
    EXPECT_NE (preset.getExtraData()->getChildByName ("Step"), nullptr);

    // A full read drops earlier extra data, also when the new extra data is empty.
    ASSERT_TRUE (load (preset, "<Preset><ExtraData/></Preset>"));
    EXPECT_EQ (preset.getExtraData(), nullptr);
    preset.setExtraData (std::make_unique<juce::XmlElement> ("Old"));
    ASSERT_TRUE (load (preset, "<Preset/>"));
    EXPECT_EQ (preset.getExtraData(), nullptr);
}

TEST_F (PresetTest, ForeignRootsAndUnreadableFilesEmptyTheValuesAndKeepTheHeader)
{
    const auto broken = folder.getChildFile ("broken.klprs");
    ASSERT_TRUE (broken.replaceWithText ("<Preset name='x'><param name='Cutoff' value="));
    const auto empty = folder.getChildFile ("empty.klprs");
    ASSERT_TRUE (empty.create());
    const auto bank = folder.getChildFile ("bank.klprs");
    ASSERT_TRUE (
        bank.replaceWithText ("<PresetBank name='Other'><param name='Cutoff' value='1'/></PresetBank>"));

    for (const auto& file : {broken, empty, bank, folder.getChildFile ("missing.klprs"), folder.getFolder()})
    {
        Preset preset;
        preset.setName ("Kept");
        preset.addParameterValue (manager.getParameter (2));
        EXPECT_FALSE (preset.loadFromFile (file, manager, false)) << file.getFullPathName();
        EXPECT_EQ (describe (preset), "Kept||||||3||-");
        EXPECT_FALSE (preset.holdsParameter (2));
    }
    Preset preset;
    EXPECT_FALSE (preset.loadFromXml (nullptr, manager, false));
}

TEST_F (PresetTest, RatingsAndTags)
{
    // clang-format off
    const std::pair<const char*, const char*> ratings[] { { "1", "1*" }, { "5", "5*" }, { "0", "3" }, { "6", "3" },
        { "-2", "3" }, { "NaN", "3" }, { "", "3" }, { "99999999999", "3" } };
    const std::pair<const char*, const char*> tags[] { { "a:x|y;b:z", "a:x|y;b:z" }, { "", "" }, { "x|y", ":x|y" },
        { "a:", "a:" }, { "a:x;;b:y;", "a:x;b:y" }, { "a:b:c|d", "a:b:c|d" } };
    // clang-format on
    for (const auto& [text, rating] : ratings)
    {
        Preset preset;
        ASSERT_TRUE (load (preset, "<Preset rating='" + juce::String (text) + "'/>", true));
        EXPECT_EQ (describe (preset), "||||||" + juce::String (rating) + "||-") << text;
        EXPECT_EQ (preset.createXml (manager)->hasAttribute ("rating"), preset.isRatingSet()) << text;
    }
    for (const auto& [text, back] : tags)
    {
        Preset preset;
        preset.setTagsFromText (text);
        EXPECT_EQ (preset.getTagsText(), juce::String (back)) << text;
    }

    Preset preset;
    preset.setTagsFromText ("a:x|y;b:z");
    ASSERT_EQ (preset.getNumTagGroups(), 2);
    EXPECT_EQ (preset.getTagGroupName (0), "a");
    EXPECT_EQ (preset.getTags (0).joinIntoString ("+") + "," + preset.getTags (1).joinIntoString ("+"),
               "x+y,z");
    EXPECT_TRUE (preset.getTags (2).isEmpty());
    preset.setTags ("a", {"w"});
    preset.setTags ("c", {"v", "u"});
    EXPECT_EQ (preset.getTagsText(), "a:w;b:z;c:v|u");
    preset.clearTags();
    EXPECT_FALSE (preset.createXml (manager)->hasAttribute ("tags"));
}

TEST_F (PresetTest, WritesAttributesInOrderAndValuesByName)
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
    preset.addParameterValue (manager.getParameter (21));
    preset.addParameterValue (nullptr);
    preset.addValueRecord (std::make_unique<Preset::ValueRecord> (Preset::ValueRecord{999, "1"}));
    preset.addValueRecord (nullptr);
    preset.addParameterValue (manager.getParameter (0));
    preset.setExtraData (std::make_unique<juce::XmlElement> ("Arp"));

    EXPECT_EQ (written (preset),
               "<Preset name=\"Acid\" application=\"Kelvanor\" category=\"Bass\" version=\"2\" "
               "author=\"Me\" id=\"7\" rating=\"5\" tags=\"mood:dark\">"
               "<param name=\"Distortion State\" value=\"on\"/><param name=\"Tuning\" value=\"0.5\"/>"
               "<ExtraData><Arp/></ExtraData></Preset>");
    EXPECT_EQ (preset.getNumValues(), 3) << "the unknown record stays in the preset";
    EXPECT_EQ (written (Preset()), "<Preset/>");

    Preset base, other;
    base.addValueRecord (std::make_unique<Preset::ValueRecord> (Preset::ValueRecord{2, "0.1"}));
    for (const auto& [id, value] : {std::pair{2, "0.9"}, {0, "0.3"}, {0, "0.4"}})
        other.addValueRecord (std::make_unique<Preset::ValueRecord> (Preset::ValueRecord{id, value}));
    base.addMissingValuesFrom (other);
    EXPECT_EQ (describe (base), "||||||3||2=0.1|0=0.3|0=0.4|-");
    EXPECT_EQ (other.getNumValues(), 3);
}

TEST_F (PresetTest, FilesRoundTripHugeAndOddTextAndFilePresetsTakeTheFileName)
{
    const auto file = folder.getChildFile ("odd.klprs");
    const auto huge = juce::String::repeatedString ("x", 1 << 20);
    const auto oddText = juce::String::fromUTF8 ("\"<&>' \xc3\xa9\t;|:");
    Preset preset;
    preset.setName (huge);
    preset.setAuthor (oddText);
    preset.addValueRecord (std::make_unique<Preset::ValueRecord> (Preset::ValueRecord{2, huge}));
    ASSERT_TRUE (preset.saveToFile (file, manager));
    EXPECT_TRUE (file.loadFileAsString().startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    Preset read;
    ASSERT_TRUE (read.loadFromFile (file, manager, false));
    EXPECT_EQ (describe (read), describe (preset));

    FilePreset filePreset (folder.getChildFile ("Other.klprs"));
    EXPECT_EQ (describe (filePreset), "Other||||||3||-");
    filePreset.setAuthor ("Me");
    const auto bass = folder.getChildFile ("Bass 1.klprs");
    ASSERT_TRUE (filePreset.saveToFile (bass, manager));
    EXPECT_EQ (filePreset.getName(), "Bass 1");
    EXPECT_EQ (filePreset.getFile(), bass);
    EXPECT_FALSE (XmlHelpers::parse (bass)->hasAttribute ("name"));
    FilePreset back (juce::File{});
    ASSERT_TRUE (back.loadFromFile (bass, manager, true));
    EXPECT_EQ (describe (back), "Bass 1||||Me||3||-");
}

TEST_F (PresetTest, AuthorRewriteTouchesOnlyAuthorAndIdOfOwnFiles)
{
    const auto file = folder.getChildFile ("Acid.klprs");
    ASSERT_TRUE (
        file.replaceWithText ("<Preset name='Acid' author='Old' category='Bass' id='old-id' rating='2'>"
                              "<param name='Cutoff' value='0.7'/><param name='Gone' value='1'/>"
                              "<ExtraData><Arp mode='up'/></ExtraData></Preset>"));
    Preset update;
    update.setId ("new-id");
    ASSERT_TRUE (update.setFileAuthor (file));
    EXPECT_EQ (XmlHelpers::toSingleLine (*XmlHelpers::parse (file)),
               "<Preset name=\"Acid\" category=\"Bass\" id=\"new-id\" rating=\"2\"><param name=\"Cutoff\" "
               "value=\"0.7\"/><param name=\"Gone\" value=\"1\"/><ExtraData><Arp "
               "mode=\"up\"/></ExtraData></Preset>");
    update.setAuthor ("New");
    update.setId ({});
    ASSERT_TRUE (update.setFileAuthor (file));
    const auto again = XmlHelpers::parse (file);
    EXPECT_EQ (again->getStringAttribute ("author"), "New");
    EXPECT_FALSE (again->hasAttribute ("id"));

    for (const juce::String text : {"<Preset author='Old'><param", "<PresetBank author='Old'/>"})
    {
        ASSERT_TRUE (file.replaceWithText (text));
        EXPECT_FALSE (update.setFileAuthor (file)) << text;
        EXPECT_EQ (file.loadFileAsString(), text);
    }
    EXPECT_FALSE (update.setFileAuthor (folder.getChildFile ("missing.klprs")));
    EXPECT_FALSE (folder.getChildFile ("missing.klprs").exists());
}
} // namespace
