#include "framework/ParameterManager.h"
#include "TestSupport.h"
#include "framework/XmlHelpers.h"

#include <atomic>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <typeinfo>
#include <vector>

namespace
{
void loadTable (ParameterManager& manager, const juce::String& params,
                const juce::String& root = "PluginParameters")
{
    const auto xml =
        XmlHelpers::parse ("<" + root + " application=\"Kelvanor\">" + params + "</" + root + ">");
    ASSERT_NE (xml, nullptr);
    manager.loadFromXml (*xml);
}

// The embedded table, in identifier order: ids 0 to 35 are automatable with these first values, the rest
// start at 0.
// clang-format off
const char* const embeddedNames = "Tuning;Slide Time;Cutoff;Resonance;Sweep Time;Env Mod;Env Attack;Env Decay;"
    "Accent Decay;Env Accent;Accent Volume;Step Length;Distortion Preamp;Distortion Size;Distortion Density;"
    "Distortion Clip;Distortion Wetness;Distortion Brightness;Waveform;Accent Mode;Sweep Mode;Distortion State;"
    "Distortion Route;Main Volume;Arpe Chord;Arpe Mode;Arpe Shuffle;Arpe Range Sub 1;Arpe Range Zero;"
    "Arpe Range Add 1;Arpe Range Add 2;Arpe Multiplier;Arpe Repeater;Gate Threshold;Accent Threshold;"
    "Slide Threshold;Self Reset State;Arpe Shuffle Value;Arpe State;Arpe Mult/Repeat Mode;Note C State;"
    "Note Cis State;Note D State;Note Dis State;Note E State;Note F State;Note Fis State;Note G State;"
    "Note Gis State;Note A State;Note Ais State;Note B State;Note C1 State;Note C Blinking;Note Cis Blinking;"
    "Note D Blinking;Note Dis Blinking;Note E Blinking;Note F Blinking;Note Fis Blinking;Note G Blinking;"
    "Note Gis Blinking;Note A Blinking;Note Ais Blinking;Note B Blinking;Note C1 Blinking;Gate State;"
    "Accent State;Slide State;Gate Blinking;Accent Blinking;Slide Blinking;Gate Level;Accent Level;Slide Level;"
    "Lower Octave State;Upper Octave State;Lower Octave Blinking;Upper Octave Blinking;Randomizer Chord;"
    "Rand Notes State;Rand Notes Blinking;Threshold Mode State;Step Values Edition State;Accent Velocity Level;"
    "Oscillator Tuning Type";
const float automatableValues[36] = { 0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 0.5f, 1.0f, 0.5f,
    0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f,
    1.0f, 0.0f, 0.0f, 1.0f, 0.5f, 0.5f };
// clang-format on
} // namespace

TEST (EmbeddedParameters, TheEightySixEntriesWithTypesRangesValuesAndFlags)
{
    ParameterManager manager;
    manager.loadFromResource ("parameters.xml");
    const auto names = juce::StringArray::fromTokens (embeddedNames, ";", "");
    ASSERT_EQ (names.size(), 86);
    EXPECT_EQ (manager.getNumParameters(), 86);
    EXPECT_EQ (manager.getApplicationName(), "Kelvanor");

    for (int id = 0; id < 86; ++id)
    {
        const auto* p = manager.getParameter (id);
        ASSERT_NE (p, nullptr) << id;
        EXPECT_EQ (p->getName(), names[id]);
        EXPECT_EQ (manager.getParameterIdByName (names[id]), id);
        EXPECT_EQ (p->isAutomatable(), id < 36) << id;
        EXPECT_EQ (p->getValue(), id < 36 ? automatableValues[id] : 0.0f) << id;
        if (id == 38)
        {
            EXPECT_EQ (typeid (*p), typeid (BoolParameter));
            continue;
        }
        ASSERT_EQ (typeid (*p), typeid (FloatParameter)) << id;
        EXPECT_EQ (static_cast<const FloatParameter*> (p)->getMinimum(), 0.0f);
        EXPECT_EQ (static_cast<const FloatParameter*> (p)->getMaximum(), id == 37 ? 100.0f : 1.0f) << id;
    }
}

TEST (EmbeddedParameters, AccessorsByIdentifierAndAbsentOnes)
{
    ParameterManager manager;
    manager.loadFromResource ("parameters.xml");
    manager.setParameterValue (37, 25.0f);
    manager.setParameterString (38, "on");
    EXPECT_EQ (manager.getParameterText (37) + " " + manager.getParameterText (38), "25 true");
    EXPECT_FLOAT_EQ (manager.getParameterNormalised (37), 0.25f);
    manager.setParameterNormalised (0, 0.75f);
    manager.copyParameterValue (37, 0); // 0.75 within 0..100
    EXPECT_EQ (manager.getParameterValue (37), 0.75f);

    for (const int id : {-1, 86, 110000, std::numeric_limits<int>::min()})
    {
        manager.setParameterValue (id, 1.0f);
        manager.setParameterString (id, "x");
        manager.copyParameterValue (id, 0);
        manager.copyParameterValue (0, id);
        manager.notifyParameter (id);
        EXPECT_EQ (manager.getParameter (id), nullptr);
        EXPECT_EQ (manager.getParameterValue (id) + manager.getParameterNormalised (id), 0.0f);
        EXPECT_EQ (manager.getParameterText (id) + manager.getParameterName (id), "");
    }
    EXPECT_EQ (manager.getParameterValue (0), 0.75f);
    EXPECT_EQ (manager.getParameterIdByName ("tuning") + manager.getParameterIdByName (""), -2);
}

TEST (ParameterTable, EntryTypesAndDefaults)
{
    ParameterManager manager;
    loadTable (manager, "<param index='1' name='NoType' value='1.7'/>"
                        "<param index='2' name='Int' type='int' value='5'/>"
                        "<param index='3' name='IntRange' type='int' min='-3' max='9' value='-8'/>"
                        "<param index='4' name='Str' type='string' value='hello world'/>"
                        "<param index='5' name='State' type='state' value='ON'/>"
                        "<param index='6' name='Logic' type='logic' value='1'/>"
                        "<param index='7' name='Answer' type='answer' value='yes'/>"
                        "<param index='8' name='Enum' type='enum' enum='Low;Mid;High' value='High'/>"
                        "<param index='9' name='Note' type='note' value='C-5'/>"
                        "<param index='10' name='NumericNote' type='note' value='60'/>"
                        "<param index='11' name='EmptyBool' type='bool'/>"
                        "<PARAM index='12' name='UpperTag' value='0.25' auto='1'/>"
                        "<param index='13' name='Float' type='float' min='-1' max='1'/>");

    // clang-format off
    const std::tuple<int, const std::type_info&, const char*> cases[] { { 1, typeid (FloatParameter), "1" },
        { 2, typeid (IntParameter), "1" }, { 3, typeid (IntParameter), "-3" },
        { 4, typeid (StringParameter), "hello world" }, { 5, typeid (StateParameter), "on" },
        { 6, typeid (LogicParameter), "1" }, { 7, typeid (AnswerParameter), "yes" }, { 8, typeid (EnumParameter), "High" },
        { 9, typeid (NoteParameter), "C-5" }, { 10, typeid (NoteParameter), "C-0" },
        { 11, typeid (BoolParameter), "false" }, { 12, typeid (FloatParameter), "0.25" },
        { 13, typeid (FloatParameter), "0" } };
    // clang-format on
    for (const auto& [id, type, text] : cases)
    {
        const auto* p = manager.getParameter (id);
        ASSERT_NE (p, nullptr) << id;
        EXPECT_EQ (typeid (*p), type) << id;
        EXPECT_EQ (p->getValueText(), juce::String (text)) << id;
        EXPECT_EQ (p->isAutomatable(), id == 12) << id;
    }
    EXPECT_EQ (dynamic_cast<IntParameter*> (manager.getParameter (2))->getMaximum(), 1);
    EXPECT_EQ (dynamic_cast<FloatParameter*> (manager.getParameter (13))->getMinimum(), -1.0f);
}

TEST (ParameterTable, BadEntriesAreDroppedOneByOne)
{
    ParameterManager manager;
    loadTable (manager,
               "<param index='1' name='First' value='0.1'/>"
               "<param index='1' name='SameId'/>"
               "<param index='2' name='First'/>"
               "<param index='3' name='first'/>"
               "<param name='NoIndex'/><param index='4'/><param index='5' name=''/>"
               "<param index='-1' name='MinusOne'/><param index='6' name='Unknown' type='double'/>"
               "<param index='7' name='WrongCaseType' type='Float'/><param index='8' name='E' type=''/>"
               "<other index='9' name='OtherTag'/><param INDEX='10' name='UpperAttribute'/>"
               "<param index='abc' name='TextIndexIsZero'/>");
    EXPECT_EQ (manager.getNumParameters(), 3);
    EXPECT_EQ (manager.getParameterValue (1), 0.1f);
    EXPECT_EQ (manager.getParameterIdByName ("first"), 3);
    EXPECT_EQ (manager.getParameterIdByName ("TextIndexIsZero"), 0);

    // Absurd numbers: never a NaN stored, never an inverted range.
    loadTable (manager, "<param index='1' name='NaNValue' value='nan'/>"
                        "<param index='2' name='InfValue' min='-5' max='5' value='inf'/>"
                        "<param index='3' name='NaNBounds' min='nan' max='inf' value='0.5'/>"
                        "<param index='4' name='HugeBounds' min='-1e300' max='1e300' value='0.5'/>"
                        "<param index='5' name='InvertedFloat' min='2' max='1'/>"
                        "<param index='6' name='InvertedInt' type='int' min='9' max='3'/>"
                        "<param index='7' name='HugeInt' type='int' min='-99999999999' max='99999999999' "
                        "value='99999999999'/>"
                        "<param index='-2147483648' name='LowestId'/>"
                        "<param index='99999999999' name='SaturatedId'/>");
    for (int id : {1, 2, 3, 4})
    {
        const auto* p = dynamic_cast<const FloatParameter*> (manager.getParameter (id));
        ASSERT_NE (p, nullptr) << id;
        EXPECT_TRUE (std::isfinite (p->getValue()) && std::isfinite (p->getValueNormalised())) << id;
        EXPECT_EQ (p->getMinimum(), id == 2 ? -5.0f : 0.0f) << id; // bounds that are no number fall back
    }
    EXPECT_EQ (manager.getParameterValue (1), 0.0f);
    EXPECT_EQ (manager.getParameterValue (2), 5.0f);
    EXPECT_EQ (manager.getParameter (5), nullptr);
    EXPECT_EQ (manager.getParameter (6), nullptr);
    EXPECT_EQ (manager.getParameterValue (7), (float) std::numeric_limits<int>::max());
    EXPECT_NE (manager.getParameter (std::numeric_limits<int>::min()), nullptr);
    EXPECT_EQ (manager.getParameterIdByName ("SaturatedId"), std::numeric_limits<int>::max());
}

TEST (ParameterTable, WrongRootOrMissingResourceLeavesTheManagerEmpty)
{
    ParameterManager manager;
    manager.loadFromResource ("parameters.xml");
    loadTable (manager, "<param index='1' name='A'/>", "Parameters");
    EXPECT_EQ (manager.getNumParameters(), 0);
    EXPECT_EQ (manager.getApplicationName(), "Kelvanor"); // read before the tag is compared

    manager.loadFromResource ("parameters.xml");
    manager.loadFromResource ("missing.xml");
    EXPECT_EQ (manager.getNumParameters(), 0);
    EXPECT_EQ (manager.getParameterIdByName ("Tuning"), -1);

    loadTable (manager, "<param index='1' name='A'/>", "pluginparameters");
    EXPECT_EQ (manager.getParameterIdByName ("A"), 1);
    loadTable (manager, "<param index='2' name='A'/>");
    EXPECT_EQ (manager.getParameter (1), nullptr);
    EXPECT_EQ (manager.getParameterIdByName ("A"), 2);

    juce::StringArray many; // a large table stays findable by identifier and name
    for (int i = 0; i < 20000; ++i)
        many.add ("<param index='" + juce::String (i * 7) + "' name='P" + juce::String (i) + "'/>");
    loadTable (manager, many.joinIntoString (""));
    EXPECT_EQ (manager.getNumParameters(), 20000);
    for (int i = 0; i < 20000; i += 997)
        EXPECT_EQ (manager.getParameterName (manager.getParameterIdByName ("P" + juce::String (i))),
                   "P" + juce::String (i));
}

TEST (ParameterManager, AddRefusesClashesAndDeletesTheRefused)
{
    ParameterManager manager;
    auto* first = new FloatParameter (1, "One");
    EXPECT_TRUE (manager.addParameter (first));
    EXPECT_FALSE (manager.addParameter (first)); // the same pointer stays held
    EXPECT_EQ (manager.getParameter (1), first);

    EXPECT_FALSE (manager.addParameter (std::make_unique<IntParameter> (1, "Other")));
    EXPECT_FALSE (manager.addParameter (std::make_unique<IntParameter> (2, "One")));
    EXPECT_FALSE (manager.addParameter (static_cast<Parameter*> (nullptr)));
    EXPECT_TRUE (manager.addParameter (std::make_unique<StringParameter> (110001, "Current Preset Name")));
    EXPECT_EQ (manager.getNumParameters(), 2);

    manager.clear();
    EXPECT_EQ (manager.getParameter (1), nullptr);
    EXPECT_TRUE (manager.addParameter (std::make_unique<FloatParameter> (1, "One")));
}

TEST (ParameterManager, ListenerRegistrationNotifyAllAndReentrantAccessors)
{
    struct CountingListener : Parameter::Listener
    {
        void parameterChanged (Parameter* p) override
        {
            ids.push_back (p->getId());
            if (onChange)
                onChange (p);
        }
        std::vector<int> ids;
        std::function<void (Parameter*)> onChange;
    } sync, async, single, follower;

    ParameterManager manager;
    loadTable (manager, "<param index='5' name='A'/><param index='1' name='B'/><param index='3' name='C'/>");
    manager.addListenerToAll (&sync);
    manager.addListenerToAll (&sync);
    manager.addListenerToAll (nullptr);
    manager.addAsyncListenerToAll (&async);
    manager.addListener (1, &single);
    manager.addAsyncListener (3, &single);
    manager.addListener (99, &single);

    manager.notifyAll();
    EXPECT_EQ (sync.ids, (std::vector<int>{5, 1, 3}));
    EXPECT_EQ (single.ids, (std::vector<int>{1}));
    pumpMessages();
    EXPECT_EQ (async.ids.size(), 3u);
    EXPECT_EQ (single.ids, (std::vector<int>{1, 3}));

    manager.removeAsyncListenerFromAll (&async);
    manager.removeAsyncListener (3, &single);
    manager.setParameterValue (3, 0.9f);
    manager.notifyParameter (5);
    pumpMessages();
    EXPECT_EQ (sync.ids, (std::vector<int>{5, 1, 3, 3, 5}));
    EXPECT_EQ (async.ids.size(), 3u);
    EXPECT_EQ (single.ids.size(), 2u);

    // A synchronous listener may use the accessors (the read lock nests).
    follower.onChange = [&] (Parameter*)
    { manager.setParameterValue (1, manager.getParameterValue (5) / 2.0f); };
    manager.addListener (5, &follower);
    manager.setParameterValue (5, 0.8f);
    EXPECT_EQ (manager.getParameterValue (1), 0.4f);
}

TEST (ParameterManager, ConcurrentSettersAndReadersSeeOnlyRangeValues)
{
    ParameterManager manager;
    manager.loadFromResource ("parameters.xml");
    std::atomic<bool> stop{false};
    std::atomic<int> outOfRange{0};

    std::thread writer (
        [&]
        {
            for (int i = 0; i < 20000; ++i)
                manager.setParameterNormalised (i % 36, (float) (i % 101) / 100.0f);
            stop = true;
        });
    std::thread reader (
        [&]
        {
            while (!stop)
                for (int id = 0; id < 36; ++id)
                    if (const float v = manager.getParameterNormalised (id); !(v >= 0.0f && v <= 1.0f))
                        ++outOfRange;
        });
    writer.join();
    reader.join();
    EXPECT_EQ (outOfRange.load(), 0);
}
