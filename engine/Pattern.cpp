#include "engine/Pattern.h"

#include "framework/NumberText.h"
#include "framework/XmlHelpers.h"

#include <cmath>

namespace
{
// Lowest MIDI note of each octave-flag combination: none, octave down, octave up, both.
constexpr int bareBase = 36;
constexpr int downBase = 24;
constexpr int upBase = 48;
constexpr int bothBase = 60;
constexpr int lowestNote = 24;
constexpr int highestNote = 72;

// What an index out of range reads; constant-initialised, so the audio thread never meets a guard.
const Step emptyStep;

// Whole numbers from files go through a double so that any text reads safely: a missing, empty or
// non-finite value gives the fallback, and the result is limited before it becomes an int.
int readLimitedInt (const juce::XmlElement& element, juce::StringRef attribute, int fallback, int minimum,
                    int maximum)
{
    const double value = XmlHelpers::getFiniteDouble (element, attribute, fallback);
    return (int) juce::jlimit ((double) minimum, (double) maximum, value);
}

double readLevel (const juce::XmlElement& element, juce::StringRef attribute)
{
    return juce::jlimit (0.0, 1.0, XmlHelpers::getFiniteDouble (element, attribute, 0.0));
}

// Stored files carry levels cut to six decimals. A level read back from such a file is the nearest
// double to its text, which may sit a hair below the six-decimal value it came from (0.1 x 1e6 gives
// 99999.99999999999): the guard keeps a save of a loaded pattern from losing a millionth each time.
juce::String quantiseLevel (double level)
{
    return NumberText::formatGeneral (std::trunc (level * 1000000.0 + 1.0e-7) * 0.000001, 6);
}

PatternValue<juce::uint8>* findFlag (Step& step, int flag)
{
    switch (flag)
    {
        case Pattern::octaveUpFlag: return &step.octaveUp;
        case Pattern::octaveDownFlag: return &step.octaveDown;
        case Pattern::gateFlag: return &step.gate;
        case Pattern::accentFlag: return &step.accent;
        case Pattern::slideFlag: return &step.slide;
        default: return nullptr;
    }
}
} // namespace

//==============================================================================
int Step::getOctaveBase (bool down, bool up) noexcept
{
    return up ? (down ? bothBase : upBase) : (down ? downBase : bareBase);
}

int Step::getMidiNote() const
{
    return note + getOctaveBase (octaveDown != 0, octaveUp != 0);
}

void Step::readXml (const juce::XmlElement& element)
{
    if (!XmlHelpers::tagIs (element, "Step"))
        return;

    note = readLimitedInt (element, "note", 0, 0, 12);
    octaveUp = element.getBoolAttribute ("octaveUp") ? 1 : 0;
    octaveDown = element.getBoolAttribute ("octaveDown") ? 1 : 0;
    gate = element.getBoolAttribute ("gate") ? 1 : 0;
    accent = element.getBoolAttribute ("accent") ? 1 : 0;
    slide = element.getBoolAttribute ("slide") ? 1 : 0;
    gateLevel = readLevel (element, "gateLevel");
    accentLevel = readLevel (element, "accentLevel");
    slideLevel = readLevel (element, "slideLevel");
}

std::unique_ptr<juce::XmlElement> Step::createXml() const
{
    auto element = std::make_unique<juce::XmlElement> ("Step");
    element->setAttribute ("note", note.get());
    element->setAttribute ("octaveUp", octaveUp != 0 ? 1 : 0);
    element->setAttribute ("octaveDown", octaveDown != 0 ? 1 : 0);
    element->setAttribute ("gate", gate != 0 ? 1 : 0);
    element->setAttribute ("accent", accent != 0 ? 1 : 0);
    element->setAttribute ("slide", slide != 0 ? 1 : 0);
    element->setAttribute ("gateLevel", quantiseLevel (gateLevel));
    element->setAttribute ("accentLevel", quantiseLevel (accentLevel));
    element->setAttribute ("slideLevel", quantiseLevel (slideLevel));
    return element;
}

//==============================================================================
Pattern::Pattern() = default;
Pattern::Pattern (const Pattern&) = default;
Pattern::~Pattern() = default;
Pattern& Pattern::operator= (const Pattern&) = default;

void Pattern::setLength (int newLength)
{
    length = juce::jlimit (1, numSteps, newLength);
}

void Pattern::setShuffle (int newShuffle)
{
    shuffle = juce::jlimit (0, 100, newShuffle);
}

void Pattern::setTempo (double newTempo)
{
    if (std::isnan (newTempo))
        return;

    // std::round rounds half away from zero: 123.45 becomes 123.5.
    tempo = std::round (juce::jlimit (minTempo, maxTempo, newTempo) * 10.0) / 10.0;
}

const Step& Pattern::getStep (int index) const
{
    return juce::isPositiveAndBelow (index, numSteps) ? steps[(size_t) index] : emptyStep;
}

void Pattern::setStep (int index, const Step& newStep)
{
    if (juce::isPositiveAndBelow (index, numSteps))
        steps[(size_t) index] = newStep;
}

void Pattern::clearSteps()
{
    steps.fill (Step{});
}

void Pattern::shiftLeft()
{
    const int played = length;
    const auto copy = steps;

    for (int i = 0; i < played; ++i)
        steps[(size_t) i] = copy[(size_t) ((i + 1) % played)];
}

void Pattern::shiftRight()
{
    const int played = length;
    const auto copy = steps;

    steps[0] = copy[(size_t) (played - 1)];
    for (int i = 1; i < played; ++i)
        steps[(size_t) i] = copy[(size_t) (i - 1)];
}

void Pattern::transpose (int semitones)
{
    for (auto& step : steps)
    {
        // 64 bits: any int count of semitones stays exact before the wrap.
        juce::int64 midiNote = (juce::int64) step.getMidiNote() + semitones;

        if (midiNote < lowestNote)
            midiNote = highestNote - 1;
        else if (midiNote > highestNote)
            midiNote = lowestNote + 1;

        int octave = (int) ((midiNote - lowestNote) / 12);
        int newNote = (int) (midiNote % 12);

        // Upwards a C is kept as note 12 of the octave below, so a rising line stays in its octave. The top
        // note 72 has no octave of its own either way: it is note 12 with both flags.
        if ((semitones >= 1 && newNote == 0) || octave > 3)
        {
            octave -= 1;
            newNote = 12;
        }

        step.note = newNote;
        step.octaveDown = (octave == 0 || octave == 3) ? 1 : 0;
        step.octaveUp = (octave == 2 || octave == 3) ? 1 : 0;
    }
}

void Pattern::toggleFlagOnAllSteps (int step, int flag)
{
    if (!juce::isPositiveAndBelow (step, numSteps))
        return;

    const auto* source = findFlag (steps[(size_t) step], flag);
    if (source == nullptr)
        return;

    const juce::uint8 value = *source != 0 ? 0 : 1;
    for (auto& s : steps)
        *findFlag (s, flag) = value;
}

void Pattern::readXml (const juce::XmlElement& element)
{
    if (!XmlHelpers::tagIs (element, "Pattern"))
        return;

    clearSteps();
    name = element.getStringAttribute ("name");
    setLength (readLimitedInt (element, "length", numSteps, 1, numSteps));
    setShuffle (readLimitedInt (element, "shuffle", 0, 0, 100));
    setTempo (XmlHelpers::getFiniteDouble (element, "tempo", 120.0));

    const int played = length;
    int filled = 0;
    for (auto* child : element.getChildIterator())
    {
        if (filled >= played)
            break;

        if (XmlHelpers::tagIs (*child, "Step"))
            steps[(size_t) filled++].readXml (*child);
    }
}

void Pattern::writeXml (juce::XmlElement& element) const
{
    element.setAttribute ("name", name);
    element.setAttribute ("length", length.get());
    element.setAttribute ("shuffle", shuffle.get());
    element.setAttribute ("tempo", tempo.get());

    const int played = length;
    for (int i = 0; i < played; ++i)
        element.addChildElement (steps[(size_t) i].createXml().release());
}
