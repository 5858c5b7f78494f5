#include "framework/Parameter.h"
#include "TestSupport.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <typeinfo>
#include <vector>

namespace
{
constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();

/** Records its calls (its tag into a shared order) and can act inside its callback. */
struct RecordingListener : Parameter::Listener
{
    explicit RecordingListener (std::vector<int>* sharedOrder = nullptr, int tagToRecord = 0)
        : order (sharedOrder)
        , tag (tagToRecord)
    {
    }

    void parameterChanged (Parameter* p) override
    {
        ++calls;
        lastValue = p->getValue();
        if (order != nullptr)
            order->push_back (tag);
        if (onChange)
            onChange (p);
    }
    void parameterChangeGestureBegin (Parameter*) override { ++gestures; }
    void parameterChangeGestureEnd (Parameter*) override { ++gestures; }

    std::vector<int>* order;
    int tag, calls = 0, gestures = 0;
    float lastValue = -1.0f;
    std::function<void (Parameter*)> onChange;
};

std::unique_ptr<Parameter> makeBool (const juce::String& type, bool value)
{
    if (type == "state")
        return std::make_unique<StateParameter> (1, "b", value);
    if (type == "answer")
        return std::make_unique<AnswerParameter> (1, "b", value);
    if (type == "logic")
        return std::make_unique<LogicParameter> (1, "b", value);
    return std::make_unique<BoolParameter> (1, "b", value);
}
} // namespace

TEST (NoteNames, NamesNumbersAndLetters)
{
    // clang-format off
    const std::pair<int, const char*> names[] { { 0, "C-0" }, { 1, "C#0" }, { 60, "C-5" }, { 66, "F#5" },
        { 119, "B-9" }, { 120, "C-H" }, { 127, "G-H" }, { 128, "" }, { -1, "" } };
    const std::pair<const char*, int> numbers[] { { "C-5", 60 }, { "E#5", 64 }, { "B#H", 127 }, { "A#H", 127 },
        { "c-5", -1 }, { "C5", -1 }, { "C-10", -1 }, { "H-5", -1 }, { "C+5", -1 }, { "C-h", -1 }, { "", -1 } };
    // clang-format on
    for (const auto& [note, name] : names)
        EXPECT_EQ (getNoteName (note), juce::String (name)) << note;
    for (const auto& [name, note] : numbers)
        EXPECT_EQ (getNoteNumberFromName (name), note) << name;
    for (int note = 0; note < 128; ++note)
        EXPECT_EQ (getNoteNumberFromName (getNoteName (note)), note);

    for (const auto& [note, letter, index, natural] : {std::tuple{0, "C", 0, true},
                                                       {61, "C", 0, false},
                                                       {64, "E", 2, true},
                                                       {70, "A", 5, false},
                                                       {127, "G", 4, true}})
    {
        EXPECT_EQ (getNoteLetter (note) + juce::String (getNoteLetterIndex (note)),
                   letter + juce::String (index));
        EXPECT_EQ (isNaturalNote (note), natural) << note;
    }
}

TEST (FloatParameter, ConversionsAtTheRangeEdges)
{
    for (const auto& [normalised, stored] :
         {std::pair{1.5f, 100.0f}, {-0.5f, 0.0f}, {0.25f, 25.0f}, {infinity, 100.0f}, {-infinity, 0.0f}})
    {
        FloatParameter p (1, "f", 0.0f, 100.0f, 50.0f);
        p.setValueNormalised (normalised, false);
        EXPECT_EQ (p.getValue(), stored) << normalised;
    }

    FloatParameter p (1, "f", 0.0f, 100.0f, 25.0f);
    EXPECT_FLOAT_EQ (p.getValueNormalised(), 0.25f);
    p.setValue (50.0f, false);
    EXPECT_TRUE (p.getValueBool());
    p.setValue (49.9f, false);
    EXPECT_FALSE (p.getValueBool());
    p.setValueBool (true, false);
    EXPECT_EQ (p.getValue(), 100.0f);
    p.setValueInt (-7, false);
    EXPECT_EQ (p.getValue(), 0.0f);
    p.setValueText ("  7.25xyz", false);
    EXPECT_EQ (p.getValue(), 7.25f);
    p.setValueText ("-1e300", false);
    EXPECT_EQ (p.getValue(), 0.0f);

    EXPECT_EQ (FloatParameter (2, "s", -10.0f, 10.0f, -2.7f).getValueInt(), -2);
    EXPECT_EQ (FloatParameter (3, "h", 0.0f, 1.0e30f, 1.0e30f).getValueInt(),
               std::numeric_limits<int>::max());

    const float big = std::numeric_limits<float>::max();
    FloatParameter wide (4, "w", -big, big, 0.0f); // max - min overflows float
    wide.setValueNormalised (1.0f, false);
    EXPECT_EQ (wide.getValue(), big);
    wide.setValueNormalised (0.5f, false);
    EXPECT_EQ (wide.getValue(), 0.0f);
    EXPECT_EQ (FloatParameter (5, "e", 5.0f, 5.0f, 5.0f).getValueNormalised(), 0.0f);
    FloatParameter inverted (6, "i", 5.0f, 1.0f, 3.0f);
    EXPECT_EQ (inverted.getMaximum(), 5.0f);
    EXPECT_EQ (inverted.getValue(), 5.0f);

    // clang-format off
    const std::pair<float, const char*> texts[] { { 0.5f, "0.5" }, { 100.0f, "100" }, { 1.0f / 3.0f, "0.333333343" },
        { 0.0f, "0" }, { -2.25f, "-2.25" }, { 1.0e20f, "1.00000002e+20" } };
    // clang-format on
    for (const auto& [value, text] : texts)
        EXPECT_EQ (FloatParameter (1, "f", -1.0e30f, 1.0e30f, value).getValueText(), juce::String (text));
}

TEST (FloatParameter, NaNNeverReplacesTheValue)
{
    FloatParameter p (1, "f", 0.0f, 1.0f, 0.3f);
    RecordingListener listener;
    p.addListener (&listener);

    p.setValue (notANumber, true);
    p.setValueNormalised (notANumber, true);
    p.setValueText ("nan", true);
    p.setValueText ("-NaN", true);

    EXPECT_FLOAT_EQ (p.getValue(), 0.3f);
    EXPECT_EQ (listener.calls, 0);
    EXPECT_FALSE (std::isnan (FloatParameter (2, "g", 0.0f, 1.0f, notANumber).getValue()));
}

TEST (IntParameter, NormalisedFloatAndTextLandInTheRange)
{
    // 'n': normalised, 'f': float.
    // clang-format off
    const std::tuple<char, float, int> cases[] { { 'n', 0.3f, 1 }, { 'n', 0.375f, 2 }, { 'n', 0.124f, 0 },
        { 'n', 0.125f, 1 }, { 'n', 1.0f, 4 }, { 'n', -3.0f, 0 }, { 'n', infinity, 4 }, { 'n', notANumber, 3 },
        { 'f', 3.9f, 3 }, { 'f', -0.9f, 0 }, { 'f', 1.0e30f, 4 }, { 'f', -infinity, 0 }, { 'f', notANumber, 3 } };
    const std::pair<const char*, int> texts[] { { "3abc", 3 }, { "  -2", -2 }, { "+7", 7 }, { "x5", 0 },
        { "2.9", 2 }, { "99999999999999", 1000 }, { "-99999999999999", -1000 } };
    // clang-format on
    for (const auto& [how, x, stored] : cases)
    {
        IntParameter p (1, "i", 0, 4, 3);
        how == 'n' ? p.setValueNormalised (x, false) : p.setValue (x, false);
        EXPECT_EQ (p.getValueInt(), stored) << how << " " << x;
    }
    for (const auto& [text, stored] : texts)
    {
        IntParameter p (1, "i", -1000, 1000, 1);
        p.setValueText (text, false);
        EXPECT_EQ (p.getValueInt(), stored) << text;
    }

    IntParameter p (1, "i", -2, 6, -2);
    EXPECT_FALSE (p.getValueBool());
    p.setValueInt (6, false);
    EXPECT_EQ (p.getValueNormalised(), 1.0f);
    EXPECT_TRUE (p.getValueBool());

    constexpr int lowest = std::numeric_limits<int>::min(), highest = std::numeric_limits<int>::max();
    IntParameter full (2, "full", lowest, highest, 0);
    full.setValueNormalised (1.0f, false);
    EXPECT_EQ (full.getValueInt(), highest);
    full.setValueNormalised (0.0f, false);
    EXPECT_EQ (full.getValueInt(), lowest);
    EXPECT_EQ (IntParameter (3, "one", 4, 4, 4).getValueNormalised(), 0.0f);
}

TEST (IntParameter, RangeChangesClampAndNotifyOnlyWhenTheValueMoves)
{
    IntParameter p (1, "i", 0, 10, 8);
    RecordingListener listener;
    p.addListener (&listener);

    p.setMaximum (9);
    EXPECT_EQ (listener.calls, 0);
    p.setMaximum (5);
    EXPECT_EQ (p.getValueInt(), 5);
    EXPECT_EQ (listener.calls, 1);

    p.setMinimum (6);  // above the maximum
    p.setMaximum (-1); // below the minimum
    EXPECT_EQ (p.getMinimum(), 0);
    EXPECT_EQ (p.getMaximum(), 5);

    p.setValueInt (1, false);
    p.setMinimum (3);
    EXPECT_EQ (p.getValueInt(), 3);
    EXPECT_EQ (listener.calls, 2);
}

TEST (BoolParameter, TextAndNumbersPerType)
{
    // clang-format off
    const std::tuple<const char*, const char*, int> cases[] { { "bool", "yes", 1 }, { "bool", "YES", 0 },
        { "bool", "True", 0 }, { "bool", "on", 1 }, { "bool", "off", 0 }, { "bool", "1", 1 }, { "bool", "0.7", 1 },
        { "bool", "0.2", 0 }, { "bool", "0.5", 1 }, { "bool", "", 0 }, { "bool", "nan", 0 }, { "bool", "1e300", 1 },
        { "state", "ON", 1 }, { "state", "Off", 0 }, { "state", "yes", 1 }, { "answer", "yes", 1 },
        { "answer", "Yes", 0 }, { "answer", "no", 0 }, { "logic", "1", 1 }, { "logic", "0", 0 }, { "logic", "on", 1 } };
    // clang-format on
    for (const auto& [type, text, stored] : cases)
        for (const bool start : {false, true})
        {
            auto p = makeBool (type, start);
            p->setValueText (text, false);
            EXPECT_EQ (p->getValueInt(), stored) << type << " \"" << text << "\" from " << start;
        }

    const std::tuple<const char*, const char*, const char*> forms[]{
        {"bool", "true", "false"}, {"state", "on", "off"}, {"answer", "yes", "no"}, {"logic", "1", "0"}};
    for (const auto& [type, on, off] : forms)
    {
        EXPECT_EQ (makeBool (type, true)->getValueText(), juce::String (on));
        EXPECT_EQ (makeBool (type, false)->getValueText(), juce::String (off));
    }

    // Any non-zero float is on; a normalised value is on from 0.5.
    BoolParameter p (1, "b");
    // clang-format off
    for (const auto& [x, fromFloat, fromNormalised] : { std::tuple{ 0.0f, 0, 0 }, { 0.2f, 1, 0 }, { 0.5f, 1, 1 },
        { -1.0f, 1, 0 }, { notANumber, 0, 0 }, { infinity, 1, 1 } })
    // clang-format on
    {
        p.setValue (x, false);
        EXPECT_EQ (p.getValueInt(), fromFloat) << x;
        p.setValueNormalised (x, false);
        EXPECT_EQ (p.getValueInt(), fromNormalised) << x;
    }
    p.setValueInt (-5, false);
    EXPECT_EQ (p.getValueNormalised(), 1.0f);
}

TEST (EnumParameter, ItemsGiveRangeAndText)
{
    EnumParameter p (1, "e");
    p.setItems ("Low;Mid;High");
    EXPECT_EQ (p.getMaximum(), 2);
    p.setValueText ("Mid", false);
    EXPECT_EQ (p.getValueInt(), 1);
    p.setValueInt (2, false);
    EXPECT_EQ (p.getValueText(), "High");
    p.setValueText ("mid", false); // no item (case counts): the number 0
    EXPECT_EQ (p.getValueInt(), 0);
    p.setValueText ("1", false); // a number, not an item: normalised 1.0
    EXPECT_EQ (p.getValueInt(), 2);

    RecordingListener listener;
    p.addListener (&listener);
    p.setItems ("Low;Mid"); // the value moves down with the shorter list
    EXPECT_EQ (p.getValueInt(), 1);
    p.setItems ("Low;Mid");
    EXPECT_EQ (listener.calls, 1);

    for (const auto& [list, items, maximum] :
         {std::tuple{"A;;C", 3, 2}, {"A;B;", 3, 2}, {"Only", 1, 0}, {"", 0, 1}, {"\"A;B\"", 2, 1}})
    {
        EnumParameter e (1, "e");
        e.setItems (list);
        EXPECT_EQ (e.getItemNames().size(), items) << list;
        EXPECT_EQ (e.getMaximum(), maximum) << list;
        EXPECT_EQ (e.getValueText(), e.getItemNames()[0]) << list;
    }
}

TEST (NoteParameter, TextIsTheNoteName)
{
    NoteParameter p (1, "n", 60);
    EXPECT_EQ (p.getValueText(), "C-5");
    EXPECT_EQ (p.getMaximum(), 127);
    // clang-format off
    const std::pair<const char*, int> cases[] { { "C#5", 61 }, { "G-H", 127 }, { "0.5", 64 }, { "c-5", 0 },
        { "C5", 0 }, { "C-10", 0 }, { "60", 127 } };
    // clang-format on
    for (const auto& [text, stored] : cases)
    {
        p.setValueInt (10, false);
        p.setValueText (text, false);
        EXPECT_EQ (p.getValueInt(), stored) << text;
    }
}

TEST (StringParameter, NumbersBecomeTextAndBack)
{
    StringParameter p (1, "s", "start");
    p.setValue (1.0f / 3.0f, false);
    EXPECT_EQ (p.getValueText(), "0.333333");
    p.setValueInt (-42, false);
    EXPECT_EQ (p.getValueText(), "-42");
    p.setValueFrom (NoteParameter (2, "n", 61), false);
    EXPECT_EQ (p.getValueText(), "C#5");

    // text, value, normalised, int, bool
    // clang-format off
    const std::tuple<const char*, float, float, int, bool> reads[] { { "0.25", 0.25f, 0.25f, 0, false },
        { "7.9 volts", 7.9f, 1.0f, 7, true }, { "abc", 0.0f, 0.0f, 0, false }, { "-3", -3.0f, 0.0f, -3, true },
        { "nan", 0.0f, 0.0f, 0, false }, { "true", 0.0f, 0.0f, 0, true }, { "false", 0.0f, 0.0f, 0, false } };
    // clang-format on
    for (const auto& [text, value, normalised, integer, boolean] : reads)
    {
        p.setValueText (text, false);
        EXPECT_FLOAT_EQ (p.getValue(), value) << text;
        EXPECT_FLOAT_EQ (p.getValueNormalised(), normalised) << text;
        EXPECT_EQ (p.getValueInt(), integer) << text;
        EXPECT_EQ (p.getValueBool(), boolean) << text;
    }

    // Case counts, and a listener may read the new text (a lock still held would deadlock).
    StringParameter named (2, "s", "Name");
    RecordingListener listener;
    listener.onChange = [] (Parameter* changed) { EXPECT_EQ (changed->getValueText(), "name"); };
    named.addListener (&listener);
    named.setValueText ("Name", true);
    named.setValueText ("name", true);
    EXPECT_EQ (listener.calls, 1);
}

TEST (ParameterClone, TakesRangeValueItemsAndFlagButNoListeners)
{
    RecordingListener listener;
    EnumParameter e (1, "e");
    e.setItems ("a;b;c");
    e.setValueInt (2, false);
    e.setAutomatable (true);
    e.addListener (&listener);
    e.addAsyncListener (&listener);
    const auto copy = e.clone (9, "copy");
    EXPECT_EQ (typeid (*copy), typeid (EnumParameter));
    EXPECT_EQ (juce::String (copy->getId()) + copy->getName() + copy->getValueText(), "9copyc");
    EXPECT_TRUE (copy->isAutomatable());
    EXPECT_FALSE (copy->hasListener (&listener) || copy->hasAsyncListener (&listener));

    const auto floatCopy = FloatParameter (2, "f", -5.0f, 5.0f, 2.0f).clone (3, "g");
    floatCopy->setValueNormalised (1.0f, false);
    EXPECT_EQ (floatCopy->getValue(), 5.0f);
    EXPECT_FALSE (floatCopy->isAutomatable());
}

TEST (ParameterNotification, StoringTheSameValueNotifiesNobody)
{
    FloatParameter f (1, "f", 0.0f, 1.0f, 0.5f);
    StateParameter st (4, "st", true);
    NoteParameter n (5, "n", 60);
    StringParameter text (6, "s", "text");
    for (auto* p : std::initializer_list<Parameter*>{&f, &st, &n, &text})
    {
        RecordingListener listener;
        p->addListener (&listener);
        p->addAsyncListener (&listener);
        p->setValueText (p->getValueText(), true);
        p->setValueFrom (*p, true);
        if (p != &text) // its normalised form is other text
            p->setValueNormalised (p->getValueNormalised(), true);
        pumpMessages();
        EXPECT_EQ (listener.calls, 0) << p->getName();
        p->removeAsyncListener (&listener);
    }
}

TEST (ParameterNotification, SynchronousNowAsynchronousLaterAndNothingWithoutNotify)
{
    IntParameter p (1, "i", 0, 10, 0);
    RecordingListener sync, async;
    p.addListener (&sync);
    p.addAsyncListener (&async);

    p.setValueInt (5, false);
    pumpMessages();
    EXPECT_EQ (sync.calls + async.calls, 0);

    p.setValueInt (6, true);
    EXPECT_EQ (sync.calls, 1);
    EXPECT_EQ (async.calls, 0);
    pumpMessages();
    EXPECT_EQ (async.calls, 1);

    p.notifyListeners(); // without a change
    p.beginChangeGesture();
    p.endChangeGesture();
    pumpMessages();
    EXPECT_EQ (sync.calls, 2);
    EXPECT_EQ (async.calls, 2);
    EXPECT_EQ (sync.gestures, 2);
    EXPECT_EQ (async.gestures, 0);
    p.removeAsyncListener (&async);

    RecordingListener late; // a parameter destroyed with a notice pending calls nobody
    {
        FloatParameter doomed (1, "f");
        doomed.addAsyncListener (&late);
        doomed.setValue (1.0f, true);
    }
    pumpMessages();
    EXPECT_EQ (late.calls, 0);
}

TEST (ParameterNotification, LastAddedFirstNoDuplicatesAndRemovalDuringNotification)
{
    for (const bool async : {false, true})
    {
        std::vector<int> order;
        RecordingListener first (&order, 1), remover (&order, 2), last (&order, 3);
        FloatParameter p (1, "f");
        const auto add = [&] (Parameter::Listener* l) { async ? p.addAsyncListener (l) : p.addListener (l); };
        const auto remove = [&] (Parameter::Listener* l)
        { async ? p.removeAsyncListener (l) : p.removeListener (l); };
        for (auto* l : {&first, &remover, &last, &first})
            add (l);
        add (nullptr);
        remover.onChange = [&] (Parameter*) { remove (&remover); };

        p.setValue (0.2f, true);
        p.setValue (0.5f, true); // asynchronous changes coalesce into one call reading the last value
        pumpMessages();
        EXPECT_EQ (order, (async ? std::vector<int>{3, 2, 1} : std::vector<int>{3, 2, 1, 3, 1})) << async;
        EXPECT_EQ (first.lastValue, 0.5f);

        // The last listener removes itself and the one before it: only the first is still called.
        remove (&last);
        add (&remover);
        add (&last);
        remover.onChange = nullptr;
        last.onChange = [&] (Parameter*)
        {
            remove (&last);
            remove (&remover);
        };
        order.clear();
        p.setValue (0.9f, true);
        pumpMessages();
        EXPECT_EQ (order, (std::vector<int>{3, 1})) << async;
        remove (&first);
    }
}
