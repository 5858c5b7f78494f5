#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

namespace
{
/** A ".kl" text bank: 96 patterns, pattern p of length (p % 16) + 1 whose step s has note (p + s) % 13,
    both octave flags on odd steps, gate on even steps, accent every third, slide every fourth, and levels
    s, 2s and 127 - s (of 127). */
juce::String makeTextBank (int numPatterns = 96)
{
    juce::String text;
    for (int p = 0; p < numPatterns; ++p)
    {
        text << ((p % 16) + 1) << " 5 7\n";
        for (int s = 0; s < 16; ++s)
            text << (p + s) % 13 << " " << s % 2 << " " << s % 2 << " " << (s % 2 == 0 ? 1 : 0) << " "
                 << (s % 3 == 0 ? 1 : 0) << " " << (s % 4 == 0 ? 1 : 0) << " " << s << " " << 2 * s << " "
                 << 127 - s << "\n";
        text << "\n";
    }
    return text;
}

/** The whole bank as XML, to compare the patterns before and after. */
juce::String bankText (const Kelvanor& processor)
{
    return processor.createPatternBankXml()->toString();
}

/** Two pattern or bank elements hold the same values; levels may differ by the six-decimal cut that every
    write applies. */
void expectSameContent (const juce::XmlElement& a, const juce::XmlElement& b)
{
    ASSERT_EQ (a.getTagName(), b.getTagName());
    ASSERT_EQ (a.getNumAttributes(), b.getNumAttributes()) << a.toString();
    for (int i = 0; i < a.getNumAttributes(); ++i)
    {
        const auto name = a.getAttributeName (i);
        if (name.endsWith ("Level"))
            EXPECT_NEAR (a.getDoubleAttribute (name), b.getDoubleAttribute (name), 2.0e-6) << name;
        else
            EXPECT_EQ (a.getAttributeValue (i), b.getStringAttribute (name)) << name;
    }

    ASSERT_EQ (a.getNumChildElements(), b.getNumChildElements());
    for (int i = 0; i < a.getNumChildElements(); ++i)
        expectSameContent (*a.getChildElement (i), *b.getChildElement (i));
}

class KelvanorPatternStore : public ::testing::Test
{
protected:
    Kelvanor& processor() { return *h.processor; }

    juce::File writeFile (const juce::String& name, const juce::String& text)
    {
        const auto file = h.folder.getChildFile (name);
        EXPECT_TRUE (file.replaceWithText (text));
        return file;
    }

    /** Write mode, so the edited pattern is the one shown and edited. */
    void startEditing()
    {
        processor().setWriteMode (true);
        ASSERT_TRUE (processor().isEditing());
    }

    KelvanorHarness h;
};
} // namespace

TEST_F (KelvanorPatternStore, ImportsAWholeTextBank)
{
    auto text = makeTextBank();
    text = "20 5 7" + text.fromFirstOccurrenceOf ("\n", true, false); // pattern 0: length 20 -> 16

    ASSERT_TRUE (processor().loadPatternBankFile (writeFile ("bank.kl", text)));

    const auto& first = processor().getPattern (0);
    EXPECT_EQ (first.getLength(), 16);
    EXPECT_EQ (processor().getPatternName (0), "Pattern 0");
    EXPECT_EQ (processor().getPatternName (95), "Pattern 95");
    EXPECT_EQ (processor().getPattern (94).getLength(), 15);

    const auto& pattern = processor().getPattern (30);
    EXPECT_DOUBLE_EQ (pattern.getTempo(), 120.0);
    EXPECT_EQ (pattern.getShuffle(), 0);
    const auto& step = pattern.getStep (3);
    EXPECT_EQ ((int) step.note, (30 + 3) % 13);
    EXPECT_EQ ((int) step.octaveUp, 1);
    EXPECT_EQ ((int) step.octaveDown, 1);
    EXPECT_EQ ((int) step.gate, 0);
    EXPECT_EQ ((int) step.accent, 1);
    EXPECT_EQ ((int) step.slide, 0);
    EXPECT_DOUBLE_EQ (step.gateLevel, 3.0 / 127.0);
    EXPECT_DOUBLE_EQ (step.accentLevel, 6.0 / 127.0);
    EXPECT_DOUBLE_EQ (step.slideLevel, 124.0 / 127.0);
}

TEST_F (KelvanorPatternStore, ImportLimitsOutOfRangeValues)
{
    auto text = makeTextBank();
    // Pattern 0, step 0: note 40, level 300, negative level; header length 0.
    const auto rest =
        text.fromFirstOccurrenceOf ("\n", false, false).fromFirstOccurrenceOf ("\n", true, false);
    text = "0 0 0\n40 0 0 1 0 0 300 -5 127" + rest;

    ASSERT_TRUE (processor().loadPatternBankFile (writeFile ("limits.KL", text)));

    const auto& pattern = processor().getPattern (0);
    EXPECT_EQ (pattern.getLength(), 1);
    EXPECT_EQ ((int) pattern.getStep (0).note, 12);
    EXPECT_DOUBLE_EQ (pattern.getStep (0).gateLevel, 1.0);
    EXPECT_DOUBLE_EQ (pattern.getStep (0).accentLevel, 0.0);
}

struct BrokenBankCase
{
    const char* description;
    juce::String text;
};

class KelvanorBrokenTextBank : public ::testing::TestWithParam<BrokenBankCase>
{
};

TEST_P (KelvanorBrokenTextBank, ChangesNothing)
{
    KelvanorHarness h;
    const auto before = bankText (*h.processor);
    const auto file = h.folder.getChildFile ("broken.kl");
    ASSERT_TRUE (file.replaceWithText (GetParam().text));

    EXPECT_FALSE (h.processor->loadPatternBankFile (file));
    EXPECT_EQ (bankText (*h.processor), before);
}

INSTANTIATE_TEST_SUITE_P (
    Files, KelvanorBrokenTextBank,
    ::testing::Values (BrokenBankCase{"empty", ""}, BrokenBankCase{"95 patterns", makeTextBank (95)},
                       BrokenBankCase{"cut inside the last pattern", makeTextBank().dropLastCharacters (40)},
                       BrokenBankCase{"a word among the numbers",
                                      makeTextBank().replaceFirstOccurrenceOf ("5 7", "5 x")},
                       BrokenBankCase{"a number glued to letters",
                                      makeTextBank().replaceFirstOccurrenceOf (" 7\n", " 7abc\n")},
                       BrokenBankCase{"binary junk", juce::String::repeatedString ("\x01\x7f", 500)}),
    [] (const auto& info)
    { return juce::String (info.param.description).replaceCharacter (' ', '_').toStdString(); });

TEST_F (KelvanorPatternStore, MissingTextBankChangesNothing)
{
    const auto before = bankText (processor());
    EXPECT_FALSE (processor().loadPatternBankFile (h.folder.getChildFile ("missing.kl")));
    EXPECT_EQ (bankText (processor()), before);
}

TEST_F (KelvanorPatternStore, OffersTheTextBankExtension)
{
    EXPECT_EQ (processor().getNumExtraPatternBankFileExtensions(), 1);
    EXPECT_EQ (processor().getExtraPatternBankFileExtension (0), ".kl");
    EXPECT_EQ (processor().getPatternBankFileWildcards(), "*.klptrb; *.kl");
}

TEST_F (KelvanorPatternStore, XmlBankRoundTripsThroughAFile)
{
    ASSERT_TRUE (processor().loadPatternBankFile (writeFile ("bank.kl", makeTextBank())));
    const auto file = h.folder.getChildFile ("bank.klptrb");
    ASSERT_TRUE (processor().savePatternBankFile (file));
    const auto saved = processor().createPatternBankXml();

    ASSERT_TRUE (processor().loadPatternBankByPath ("default.klptrb"));
    ASSERT_NE (bankText (processor()), saved->toString());
    ASSERT_TRUE (processor().loadPatternBankFile (file));
    expectSameContent (*processor().createPatternBankXml(), *saved);
}

TEST_F (KelvanorPatternStore, CopyAndPasteGiveTheStepsAndANameWithCopy)
{
    startEditing();
    processor().selectEditedPattern (2);
    const auto source = processor().createPatternXml (2);
    processor().copyPattern();
    EXPECT_FLOAT_EQ (processor().getParameterManager().getParameterValue (IntSeqPlugin::clipboardStateId),
                     1.0f);

    processor().selectEditedPattern (7);
    processor().pastePattern();

    EXPECT_EQ (processor().getPatternName (7), processor().getPatternName (2) + " copy");
    auto pasted = processor().createPatternXml (7);
    pasted->setAttribute ("name", processor().getPatternName (2));
    expectSameContent (*pasted, *source);
    EXPECT_FLOAT_EQ (processor().getParameterManager().getParameterValue (IntSeqPlugin::clipboardStateId),
                     0.0f);

    // An empty clipboard pastes nothing.
    processor().selectEditedPattern (8);
    const auto before = processor().createPatternXml (8)->toString();
    processor().pastePattern();
    EXPECT_EQ (processor().createPatternXml (8)->toString(), before);
}

TEST_F (KelvanorPatternStore, UndoRestoresOnlyTheClearedPatternWhileItIsEdited)
{
    startEditing();
    processor().selectEditedPattern (3);
    const auto original = processor().createPatternXml (3)->toString();

    processor().clearPattern();
    ASSERT_NE (processor().createPatternXml (3)->toString(), original);
    EXPECT_EQ (processor().getPatternName (3),
               juce::XmlDocument::parse (original)->getStringAttribute ("name"));

    processor().selectEditedPattern (4);
    const auto four = processor().createPatternXml (4)->toString();
    processor().undoClearPattern();
    EXPECT_EQ (processor().createPatternXml (4)->toString(), four);

    processor().selectEditedPattern (3);
    processor().undoClearPattern();
    EXPECT_EQ (processor().createPatternXml (3)->toString(), original);

    processor().clearPattern();
    processor().undoClearPattern();
    processor().undoClearPattern(); // only once
    EXPECT_EQ (processor().createPatternXml (3)->toString(), original);
}

TEST_F (KelvanorPatternStore, ShortenedEditedPatternMovesTheEditedStepInside)
{
    processor().selectEditedPattern (1);
    processor().setPatternLength (1, 16);
    processor().selectEditedStep (9);

    processor().setPatternLength (1, 4);
    EXPECT_EQ (processor().getEditedStep(), 3);

    processor().setPatternLength (1, 0);
    EXPECT_EQ (processor().getPatternLength (1), 1);
    EXPECT_EQ (processor().getEditedStep(), 0);

    processor().setPatternLength (1, 99);
    EXPECT_EQ (processor().getPatternLength (1), 16);
}

TEST_F (KelvanorPatternStore, EditedPatternStaysWithinWhatTheModeAddresses)
{
    struct Case
    {
        bool hostMode;
        int requested, expected;
    };

    for (const auto c : {Case{false, 30, 23}, Case{false, -5, 0}, Case{false, 23, 23}, Case{true, 30, 30},
                         Case{true, 95, 95}, Case{true, 200, 95}})
    {
        processor().setHostMode (c.hostMode);
        processor().selectEditedPattern (c.requested);
        EXPECT_EQ (processor().getEditedPattern(), c.expected)
            << c.requested << (c.hostMode ? " in host mode" : "");
    }

    processor().setHostMode (false);
    processor().selectEditedPattern (23);
    processor().selectNextPattern();
    EXPECT_EQ (processor().getEditedPattern(), 23);
    processor().selectEditedPattern (0);
    processor().selectPreviousPattern();
    EXPECT_EQ (processor().getEditedPattern(), 0);
    processor().selectEditedStep (40);
    EXPECT_EQ (processor().getEditedStep(), 15);
    processor().selectEditedStep (-3);
    EXPECT_EQ (processor().getEditedStep(), 0);
}

TEST_F (KelvanorPatternStore, RotationMovesThePlayedStepsOnly)
{
    ASSERT_TRUE (processor().loadPatternBankFile (writeFile ("bank.kl", makeTextBank())));
    processor().setPatternLength (19, 4); // notes (19 + s) % 13: 6, 7, 8, 9, then 10.. beyond the length

    processor().shiftPatternLeft (19);
    const auto& pattern = processor().getPattern (19);
    EXPECT_EQ ((int) pattern.getStep (0).note, 7);
    EXPECT_EQ ((int) pattern.getStep (3).note, 6);
    EXPECT_EQ ((int) pattern.getStep (4).note, 10);

    processor().shiftPatternRight (19);
    processor().shiftPatternRight (19);
    EXPECT_EQ ((int) pattern.getStep (0).note, 9);
    EXPECT_EQ ((int) pattern.getStep (1).note, 6);
    EXPECT_DOUBLE_EQ (pattern.getStep (1).gateLevel, 0.0);
    EXPECT_EQ ((int) pattern.getStep (4).note, 10);

    processor().shiftPatternLeft (-1); // out of range: nothing
    processor().shiftPatternRight (96);
}

TEST_F (KelvanorPatternStore, TemposAndShufflesAreLimited)
{
    processor().setPatternTempo (4, 29.97);
    EXPECT_DOUBLE_EQ (processor().getPatternTempo (4), 30.0);
    processor().setPatternTempo (4, 123.45);
    EXPECT_DOUBLE_EQ (processor().getPatternTempo (4), 123.5);
    processor().setPatternTempo (4, std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ (processor().getPatternTempo (4), 123.5);

    processor().selectEditedPattern (4);
    processor().setPatternShuffle (4, 140);
    EXPECT_EQ (processor().getPatternShuffle (4), 100);
    EXPECT_FLOAT_EQ (processor().getParameterManager().getParameterValue (IntSeqPlugin::patternShuffleId),
                     100.0f);

    EXPECT_EQ (processor().getPatternTempo (-1), 120.0);
    EXPECT_EQ (processor().getPatternName (96), "");
}

TEST_F (KelvanorPatternStore, PatternXmlOfAnotherProductIsRefused)
{
    auto xml = processor().createPatternXml (0);
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (processor().loadPatternFromXml (*xml, 9));
    expectSameContent (*processor().createPatternXml (9), *xml);

    const auto before = processor().createPatternXml (10)->toString();
    xml->setAttribute ("application", "Other");
    EXPECT_FALSE (processor().loadPatternFromXml (*xml, 10));
    EXPECT_FALSE (processor().loadPatternFromXml (*processor().createPatternXml (0), 96));
    EXPECT_EQ (processor().createPatternXml (10)->toString(), before);
    EXPECT_EQ (processor().createPatternXml (96), nullptr);
}

TEST_F (KelvanorPatternStore, FactoryBankIsLoadedAtStartUp)
{
    EXPECT_EQ (processor().getNumPatterns(), 96);
    EXPECT_EQ (processor().getPatternName (0), "Pattern 0");
    EXPECT_EQ (processor().getPatternName (95), "Pattern 95");

    int withGates = 0;
    for (int p = 0; p < 96; ++p)
        for (int s = 0; s < processor().getPatternLength (p); ++s)
            withGates += processor().getPattern (p).getStep (s).gate;
    EXPECT_GT (withGates, 96 * 4);
}
