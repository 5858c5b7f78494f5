#include "KelvanorTestHarness.h"

#include <gtest/gtest.h>

namespace
{
/** The lines of a ".kl" text bank: per pattern a header line, 16 step lines and an empty line. Pattern p has
    length (p % 16) + 1; its step s has note (p + s) % 13, both octave flags on odd steps, gate on even steps,
    accent every third, slide every fourth, and levels s, 2s and 127 - s (of 127). */
juce::StringArray makeTextBank (int numPatterns = 96)
{
    juce::StringArray lines;
    for (int p = 0; p < numPatterns; ++p)
    {
        lines.add (juce::String ((p % 16) + 1) + " 5 7");
        for (int s = 0; s < 16; ++s)
            lines.add (juce::StringArray{juce::String ((p + s) % 13), juce::String (s % 2),
                                         juce::String (s % 2), juce::String (s % 2 == 0 ? 1 : 0),
                                         juce::String (s % 3 == 0 ? 1 : 0), juce::String (s % 4 == 0 ? 1 : 0),
                                         juce::String (s), juce::String (2 * s), juce::String (127 - s)}
                           .joinIntoString (" "));
        lines.add ({});
    }
    return lines;
}

constexpr int linesPerPattern = 18;

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

    juce::String xmlOf (int pattern) { return processor().createPatternXml (pattern)->toString(); }

    KelvanorHarness h;
};

TEST_F (KelvanorPatternStore, ImportsAWholeTextBankWithinTheRanges)
{
    EXPECT_EQ (processor().getPatternBankFileWildcards(), "*.klptrb; *.kl");

    auto lines = makeTextBank();
    lines.set (0, "0 0 0");                   // length 0 -> 1
    lines.set (1, "40 0 0 1 0 0 300 -5 127"); // note 40 -> 12, levels 300 -> 1 and -5 -> 0
    lines.set (linesPerPattern, "20 5 7");    // length 20 -> 16
    ASSERT_TRUE (processor().loadPatternBankFile (writeFile ("bank.KL", lines.joinIntoString ("\n"))));

    const auto& first = processor().getPattern (0);
    EXPECT_EQ (first.getLength(), 1);
    EXPECT_EQ ((int) first.getStep (0).note, 12);
    EXPECT_DOUBLE_EQ (first.getStep (0).gateLevel, 1.0);
    EXPECT_DOUBLE_EQ (first.getStep (0).accentLevel, 0.0);
    EXPECT_EQ (processor().getPattern (1).getLength(), 16);
    EXPECT_EQ (processor().getPattern (94).getLength(), 15);
    EXPECT_EQ (processor().getPatternName (95), "Pattern 95");

    const auto& pattern = processor().getPattern (30);
    EXPECT_DOUBLE_EQ (pattern.getTempo(), 120.0);
    EXPECT_EQ (pattern.getShuffle(), 0);
    const auto& step = pattern.getStep (3);
    EXPECT_EQ ((int) step.note, (30 + 3) % 13);
    EXPECT_EQ (step.octaveUp + step.octaveDown + step.accent, 3);
    EXPECT_EQ (step.gate + step.slide, 0);
    EXPECT_DOUBLE_EQ (step.gateLevel, 3.0 / 127.0);
    EXPECT_DOUBLE_EQ (step.accentLevel, 6.0 / 127.0);
    EXPECT_DOUBLE_EQ (step.slideLevel, 124.0 / 127.0);
}

// Nothing is half-imported: the bank is read whole first.
TEST_F (KelvanorPatternStore, BrokenTextBanksChangeNothing)
{
    const auto bank = makeTextBank().joinIntoString ("\n");
    const std::pair<const char*, juce::String> cases[] = {
        {"empty", ""},
        {"95 patterns", makeTextBank (95).joinIntoString ("\n")},
        {"cut inside the last pattern", bank.dropLastCharacters (40)},
        {"a word among the numbers", bank.replaceFirstOccurrenceOf ("5 7", "5 x")},
        {"a number glued to letters", bank.replaceFirstOccurrenceOf (" 7\n", " 7abc\n")},
        {"binary junk", juce::String::repeatedString ("\x01\x7f", 500)}};

    const auto before = bankText (processor());
    for (const auto& [what, text] : cases)
    {
        EXPECT_FALSE (processor().loadPatternBankFile (writeFile ("broken.kl", text))) << what;
        EXPECT_EQ (bankText (processor()), before) << what;
    }
    EXPECT_FALSE (processor().loadPatternBankFile (h.folder.getChildFile ("missing.kl")));
    EXPECT_EQ (bankText (processor()), before);
}

TEST_F (KelvanorPatternStore, XmlBankRoundTripsThroughAFile)
{
    ASSERT_TRUE (
        processor().loadPatternBankFile (writeFile ("bank.kl", makeTextBank().joinIntoString ("\n"))));
    const auto file = h.folder.getChildFile ("bank.klptrb");
    ASSERT_TRUE (processor().savePatternBankFile (file));
    const auto saved = processor().createPatternBankXml();

    ASSERT_TRUE (processor().loadPatternBankByPath ("default.klptrb"));
    ASSERT_NE (bankText (processor()), saved->toString());
    ASSERT_TRUE (processor().loadPatternBankFile (file));
    expectSameContent (*processor().createPatternBankXml(), *saved);
}

TEST_F (KelvanorPatternStore, PatternXmlOfAnotherProductOrIndexIsRefused)
{
    auto xml = processor().createPatternXml (0);
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (processor().loadPatternFromXml (*xml, 9));
    expectSameContent (*processor().createPatternXml (9), *xml);

    const auto before = xmlOf (10);
    xml->setAttribute ("application", "Other");
    EXPECT_FALSE (processor().loadPatternFromXml (*xml, 10));
    EXPECT_FALSE (processor().loadPatternFromXml (*processor().createPatternXml (0), 96));
    EXPECT_EQ (xmlOf (10), before);
    EXPECT_EQ (processor().createPatternXml (96), nullptr);
}

TEST_F (KelvanorPatternStore, CopyAndPasteGiveTheStepsAndANameWithCopy)
{
    processor().setWriteMode (true);
    processor().selectEditedPattern (2);
    const auto source = processor().createPatternXml (2);
    processor().copyPattern();
    EXPECT_EQ (h.parameter (IntSeqPlugin::clipboardStateId), 1.0f);

    processor().selectEditedPattern (7);
    processor().pastePattern();
    EXPECT_EQ (processor().getPatternName (7), processor().getPatternName (2) + " copy");
    auto pasted = processor().createPatternXml (7);
    pasted->setAttribute ("name", processor().getPatternName (2));
    expectSameContent (*pasted, *source);
    EXPECT_EQ (h.parameter (IntSeqPlugin::clipboardStateId), 0.0f);

    // An empty clipboard pastes nothing.
    processor().selectEditedPattern (8);
    const auto before = xmlOf (8);
    processor().pastePattern();
    EXPECT_EQ (xmlOf (8), before);
}

TEST_F (KelvanorPatternStore, UndoRestoresOnlyTheClearedPatternWhileItIsEdited)
{
    processor().setWriteMode (true);
    processor().selectEditedPattern (3);
    const auto original = xmlOf (3);

    processor().clearPattern();
    ASSERT_NE (xmlOf (3), original);
    EXPECT_EQ (processor().getPatternName (3),
               juce::XmlDocument::parse (original)->getStringAttribute ("name"));

    processor().selectEditedPattern (4);
    const auto four = xmlOf (4);
    processor().undoClearPattern();
    EXPECT_EQ (xmlOf (4), four);

    processor().selectEditedPattern (3);
    processor().undoClearPattern();
    EXPECT_EQ (xmlOf (3), original);

    processor().clearPattern();
    processor().undoClearPattern();
    processor().undoClearPattern(); // only once
    EXPECT_EQ (xmlOf (3), original);
}

// Whatever patterns the plug-in holds fit in a state it reads back: no bank, rename or paste takes the
// patterns' names beyond their bound, counted as they are written (a quote as &quot;).
TEST_F (KelvanorPatternStore, NothingTakesThePatternNamesBeyondTheirBound)
{
    auto& p = processor();
    const auto room = IntSeqPlugin::maxPatternNameBytes - p.getPatternNameBytes() + 9; // "Pattern 5"
    const auto full = juce::String::repeatedString ("\"", (int) room / 6) +
                      juce::String ("xxxxx").substring (0, (int) room % 6);
    const auto bank = p.createPatternBankXml();
    bank->getChildElement (0)->setAttribute ("length", 3);
    bank->getChildElement (5)->setAttribute ("name", full + "x");
    const auto before = bankText (p);
    EXPECT_EQ (p.readPatternBankXml (*bank), -1);
    EXPECT_EQ (bankText (p), before);
    bank->getChildElement (5)->setAttribute ("name", full);
    ASSERT_EQ (p.readPatternBankXml (*bank), 96);

    // Full, the name display shows the name kept.
    p.setWriteMode (true);
    p.selectEditedPattern (2);
    p.setPatternName (2, "Pattern 2x");
    EXPECT_EQ (p.getParameterManager().getParameterText (IntSeqPlugin::patternNameId), "Pattern 2");
    p.copyPattern();
    p.selectEditedPattern (3);
    p.pastePattern(); // would be "Pattern 2 copy"
    EXPECT_EQ (p.getPatternName (2) + "," + p.getPatternName (3), "Pattern 2,Pattern 3");
}

TEST_F (KelvanorPatternStore, EditedPatternAndStepStayWithinWhatTheModeAddresses)
{
    // clang-format off
    for (const auto& [hostMode, requested, expected] :
         {std::tuple{false, 30, 23}, {false, -5, 0}, {false, 23, 23}, {true, 30, 30}, {true, 95, 95}, {true, 200, 95}})
    // clang-format on
    {
        processor().setHostMode (hostMode);
        processor().selectEditedPattern (requested);
        EXPECT_EQ (processor().getEditedPattern(), expected)
            << requested << (hostMode ? " in host mode" : "");
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

    // Shortening the edited pattern moves the edited step inside it.
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

// The pattern's own limits are tested with the pattern; here the store's indices and the shown shuffle.
TEST_F (KelvanorPatternStore, EditsOutsideThePatternsChangeNothingAndTheShuffleShows)
{
    const auto before = bankText (processor());
    processor().shiftPatternLeft (-1);
    processor().shiftPatternRight (96);
    processor().setPatternTempo (96, 90.0);
    EXPECT_EQ (bankText (processor()), before);
    EXPECT_EQ (processor().getPatternTempo (-1), 120.0);
    EXPECT_EQ (processor().getPatternName (96), "");

    processor().selectEditedPattern (4);
    processor().setPatternShuffle (4, 140);
    EXPECT_EQ (processor().getPatternShuffle (4), 100);
    EXPECT_EQ (h.parameter (IntSeqPlugin::patternShuffleId), 100.0f);
}
} // namespace
