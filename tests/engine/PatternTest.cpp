#include "engine/Pattern.h"

#include "framework/XmlHelpers.h"

#include <climits>
#include <gtest/gtest.h>

namespace
{
Step makeStep (int note, int up, int down, int seed = 0)
{
    Step s;
    s.note = note;
    s.octaveUp = (juce::uint8) up;
    s.octaveDown = (juce::uint8) down;
    if (seed > 0) // every other field set, differently per seed; binary fractions survive the six-decimal cut
    {
        s.gate = 1;
        s.accent = (juce::uint8) (seed % 2);
        s.slide = (juce::uint8) ((seed + 1) % 2);
        s.gateLevel = seed / 16.0;
        s.accentLevel = 0.5;
        s.slideLevel = 1.0 - seed / 32.0;
    }
    return s;
}

juce::String text (const Step& s)
{
    return XmlHelpers::toSingleLine (*s.createXml());
}

void expectSameStep (const Step& a, const Step& b, int index)
{
    EXPECT_EQ (text (a), text (b)) << "step " << index;
}

Pattern makeFullPattern()
{
    Pattern p;
    p.setName ("Acid & <Line>");
    p.setLength (5);
    p.setShuffle (37);
    p.setTempo (133.3);
    for (int i = 0; i < Pattern::numSteps; ++i)
        p.setStep (i, makeStep (i % 13, i % 2, (i / 2) % 2, i + 1));
    return p;
}

void expectSamePattern (const Pattern& a, const Pattern& b)
{
    EXPECT_EQ (a.getName(), b.getName());
    EXPECT_EQ (a.getLength(), b.getLength());
    EXPECT_EQ (a.getShuffle(), b.getShuffle());
    EXPECT_EQ (a.getTempo(), b.getTempo());
    for (int i = 0; i < Pattern::numSteps; ++i)
        expectSameStep (a.getStep (i), b.getStep (i), i);
}

Pattern readPattern (const char* xml, const Pattern& start = {})
{
    Pattern p = start;
    if (auto element = XmlHelpers::parse (juce::String (xml)))
        p.readXml (*element);
    else
        ADD_FAILURE() << "does not parse: " << xml;
    return p;
}

TEST (Step, MidiNoteFromOctaveFlags)
{
    EXPECT_EQ (Step{}.getMidiNote(), 36);
    EXPECT_EQ (makeStep (5, 0, 1).getMidiNote(), 29);
    EXPECT_EQ (makeStep (5, 1, 0).getMidiNote(), 53);
    EXPECT_EQ (makeStep (5, 1, 1).getMidiNote(), 65);
    EXPECT_EQ (makeStep (12, 1, 1).getMidiNote(), 72);
}

TEST (Pattern, TransposeMovesAllStepsAndWraps)
{
    // note, up, down, semitones, then the expected note, up, down
    // clang-format off
    const int cases[][7] = {
        {12, 1, 1, 1, 1, 0, 1},  // 72 + 1 wraps to 25
        {0, 0, 1, -1, 11, 1, 1}, // 24 - 1 wraps to 71
        {11, 0, 0, 1, 12, 0, 0}, // 48 upwards: note 12
        {1, 1, 0, -1, 0, 1, 0},  // 48 downwards: note 0
        {11, 1, 1, 1, 12, 1, 1}, // 71 + 1 = 72
        {3, 1, 0, -24, 3, 0, 1},
        {12, 1, 1, 0, 12, 1, 1}, // 72 by 0 stays 72
        {0, 0, 0, INT_MAX, 1, 0, 1},
        {0, 0, 0, -INT_MAX, 11, 1, 1}};
    // clang-format on
    for (const auto& c : cases)
    {
        Pattern p;
        for (int i = 0; i < Pattern::numSteps; ++i)
            p.setStep (i, makeStep (c[0], c[1], c[2], 3));

        p.transpose (c[3]);
        SCOPED_TRACE (testing::Message() << "note " << c[0] << " " << c[1] << c[2] << " by " << c[3]);
        for (int i = 0; i < Pattern::numSteps; ++i) // all 16, beyond the length too; other fields kept
            expectSameStep (p.getStep (i), makeStep (c[4], c[5], c[6], 3), i);
    }
}

TEST (Pattern, SettersLimitTheirValues)
{
    Pattern p;
    p.setLength (0);
    EXPECT_EQ (p.getLength(), 1);
    p.setShuffle (101);
    EXPECT_EQ (p.getShuffle(), 100);
    p.setStep (16, makeStep (3, 1, 1, 1));
    p.setStep (-1, makeStep (3, 1, 1, 1));
    expectSameStep (p.getStep (0), Step{}, 0);
    expectSameStep (p.getStep (99), Step{}, 99);

    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& [in, out] : std::vector<std::pair<double, double>>{
             {29.97, 30.0}, {123.45, 123.5}, {123.44, 123.4}, {300.04, 300.0}, {-inf, 30.0}, {inf, 300.0}})
    {
        p.setTempo (in);
        EXPECT_EQ (p.getTempo(), out) << in;
    }
    p.setTempo (std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ (p.getTempo(), 300.0);
}

TEST (Pattern, RotationMovesWholeStepsWithinTheLength)
{
    Pattern p = makeFullPattern();
    p.setLength (4);
    const Pattern original = p;

    p.shiftLeft();
    for (int i = 0; i < Pattern::numSteps; ++i)
        expectSameStep (p.getStep (i), original.getStep (i < 4 ? (i + 1) % 4 : i), i);

    p.shiftRight();
    p.shiftRight();
    expectSameStep (p.getStep (0), original.getStep (3), 0);
    expectSameStep (p.getStep (1), original.getStep (0), 1);

    p.setLength (1);
    p.shiftLeft();
    expectSameStep (p.getStep (0), original.getStep (3), 0);
}

TEST (Pattern, ToggleFlagSetsAllStepsToTheOppositeOfOne)
{
    Pattern p;
    p.setStep (7, makeStep (0, 1, 0));

    p.toggleFlagOnAllSteps (3, Pattern::octaveUpFlag); // off on step 3: all on
    p.toggleFlagOnAllSteps (0, Pattern::slideFlag);
    for (int i = 0; i < Pattern::numSteps; ++i)
        EXPECT_TRUE (p.getStep (i).octaveUp == 1 && p.getStep (i).slide == 1 && p.getStep (i).gate == 0) << i;

    p.toggleFlagOnAllSteps (16, Pattern::gateFlag); // out of range: nothing
    p.toggleFlagOnAllSteps (0, 5);
    p.toggleFlagOnAllSteps (9, Pattern::octaveUpFlag);
    for (int i = 0; i < Pattern::numSteps; ++i)
        EXPECT_TRUE (p.getStep (i).octaveUp == 0 && p.getStep (i).gate == 0) << i;
}

TEST (Pattern, CopiesAreWholeAndIndependent)
{
    const Pattern source = makeFullPattern();
    Pattern target;
    target = source;
    Pattern copy (source);
    copy.setStep (2, Step{});
    copy.setName ("Other");

    expectSamePattern (target, source); // also the steps beyond the length
    EXPECT_EQ (target.getTempo(), 133.3);
    EXPECT_EQ (source.getStep (2).gate, 1);
}

TEST (PatternXml, RoundTripKeepsThePlayedStepsInOrderAndZeroesTheRest)
{
    juce::XmlElement element ("Pattern");
    element.setAttribute ("application", "Kelvanor");
    makeFullPattern().writeXml (element);

    const juce::StringArray names{"application", "name", "length", "shuffle", "tempo"};
    ASSERT_EQ (element.getNumAttributes(), names.size());
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ (element.getAttributeName (i), names[i]);
    EXPECT_EQ (element.getNumChildElements(), 5);

    Pattern start;
    start.setStep (10, makeStep (1, 1, 1, 1));
    Pattern expected = makeFullPattern();
    for (int i = 5; i < Pattern::numSteps; ++i)
        expected.setStep (i, Step{});
    expectSamePattern (readPattern (XmlHelpers::toSingleLine (element).toRawUTF8(), start), expected);
}

TEST (PatternXml, StepAttributesInOrderWithLevelsCutToSixDecimalsThatSurviveEveryCycle)
{
    Step s = makeStep (7, 1, 0);
    s.gateLevel = 0.1234567;
    s.accentLevel = 0.9999999;
    EXPECT_EQ (text (s),
               "<Step note=\"7\" octaveUp=\"1\" octaveDown=\"0\" gate=\"0\" accent=\"0\" slide=\"0\" "
               "gateLevel=\"0.123456\" accentLevel=\"0.999999\" slideLevel=\"0\"/>");

    for (const double level : {0.1, 0.3, 0.7, 0.000001, 0.123456, 0.999999, 1.0})
    {
        s.gateLevel = level;
        const auto first = text (s);
        Step back = s;
        for (int cycle = 0; cycle < 4; ++cycle)
        {
            Step again;
            again.readXml (*back.createXml());
            back = again;
        }
        EXPECT_EQ (text (back), first) << level;
    }
}

TEST (PatternXml, ReadingLimitsOrDefaultsEachValue)
{
    const std::tuple<const char*, int, int, double> cases[] = {
        {"<Pattern length='0' shuffle='-5' tempo='29.97'/>", 1, 0, 30.0},
        {"<Pattern length='40' shuffle='150' tempo='123.45'/>", 16, 100, 123.5},
        {"<Pattern/>", 16, 0, 120.0},
        {"<pattern length='7' shuffle='12' tempo='301'/>", 7, 12, 300.0},
        {"<PATTERN length='nan' shuffle='inf' tempo='NaN'/>", 16, 0, 120.0},
        {"<Pattern length='' shuffle='abc' tempo='1e999'/>", 16, 0, 120.0},
        {"<Pattern length='99999999999' shuffle='-99999999999' tempo='-1e300'/>", 16, 0, 30.0}};
    for (const auto& [xml, length, shuffle, tempo] : cases)
    {
        const Pattern p = readPattern (xml);
        EXPECT_EQ (p.getLength(), length) << xml;
        EXPECT_EQ (p.getShuffle(), shuffle) << xml;
        EXPECT_EQ (p.getTempo(), tempo) << xml;
    }
}

TEST (PatternXml, StepChildrenFillThePlayedStepsAndOtherElementsAreIgnored)
{
    const Pattern p =
        readPattern ("<Pattern name='x' length='4'><Step note='1' gate='1'/><Other note='9'/>"
                     "<STEP note='2'/><step note='3'/><Step note='4'/><Step note='5'/></Pattern>",
                     makeFullPattern());
    EXPECT_EQ (p.getName(), "x");
    for (int i = 0; i < Pattern::numSteps; ++i)
        EXPECT_EQ (p.getStep (i).note, i < 4 ? i + 1 : 0) << i;

    const Pattern q = readPattern ("<Pattern><Step note='1'/><Step note='2'/><Step note='3'/></Pattern>",
                                   makeFullPattern());
    EXPECT_EQ (q.getName(), ""); // taken as it stands, also when missing
    for (int i = 3; i < Pattern::numSteps; ++i)
        expectSameStep (q.getStep (i), Step{}, i);

    EXPECT_EQ (readPattern ("<PatternBank length='3'/>", makeFullPattern()).getLength(), 5);
    Step s = makeStep (4, 1, 1, 4);
    s.readXml (*XmlHelpers::parse (juce::String ("<Note note='1'/>")));
    expectSameStep (s, makeStep (4, 1, 1, 4), 0);
}

TEST (StepXml, ReadsFlagsAsBooleansAndLimitsNoteAndLevels)
{
    Step flagged = makeStep (12, 1, 0);
    flagged.gate = 1;
    flagged.gateLevel = 0.5;
    Step limited = makeStep (12, 0, 1);
    limited.gateLevel = 1.0;

    for (const auto& [xml, expected] : std::vector<std::pair<const char*, Step>>{
             {"<Step note='12' octaveUp='true' gate='yes' gateLevel='0.5'/>", flagged},
             {"<STEP note='99' octaveDown='1' gateLevel='5' accentLevel='-1'/>", limited},
             {"<step note='-4' octaveUp='no' gate='banana' gateLevel='nan' slideLevel='inf'/>", Step{}}})
    {
        Step s = makeStep (3, 1, 1, 5);
        s.readXml (*XmlHelpers::parse (juce::String (xml)));
        expectSameStep (s, expected, 0);
    }
}
} // namespace
