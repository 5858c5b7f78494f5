#pragma once

#include <array>
#include <atomic>
#include <juce_core/juce_core.h>

/** One value of pattern data. Patterns are edited on the message thread while the audio thread plays the
    same records, each value written whole and read at the next block: a relaxed atomic gives that defined
    behaviour at the cost of a plain access. Copying copies the value, so the records stay plain values. */
template <typename Type>
class PatternValue
{
public:
    constexpr PatternValue (Type initialValue = Type{}) noexcept
        : value (initialValue)
    {
    }

    PatternValue (const PatternValue& other) noexcept
        : value (other.get())
    {
    }

    PatternValue& operator= (const PatternValue& other) noexcept
    {
        set (other.get());
        return *this;
    }

    PatternValue& operator= (Type newValue) noexcept
    {
        set (newValue);
        return *this;
    }

    operator Type() const noexcept { return get(); }

    Type get() const noexcept { return value.load (std::memory_order_relaxed); }
    void set (Type newValue) noexcept { value.store (newValue, std::memory_order_relaxed); }

private:
    std::atomic<Type> value;
};

/** One step of a pattern; a new step is all zero (note 0, every flag off, every level 0). */
struct Step
{
    /** The MIDI note played: 36 + note, 24 + note with octaveDown only, 48 + note with octaveUp only, 60 +
       note with both, so 24..72. */
    int getMidiNote() const;

    /** The MIDI note of semitone 0 for a combination of octave flags: 36, 24 down, 48 up, 60 both. */
    static int getOctaveBase (bool down, bool up) noexcept;

    /** Reads a "Step" element (tag in any letter case); any other element is ignored. Missing or unreadable
        values read as 0; the note is limited to 0..12 and the levels to 0..1, so a file cannot produce a note
        outside the playable range. */
    void readXml (const juce::XmlElement& element);

    /** A new "Step" element; levels are written to six decimals, cut rather than rounded. */
    std::unique_ptr<juce::XmlElement> createXml() const;

    PatternValue<int> note;               // semitone within the step's octave, 0..12
    PatternValue<juce::uint8> octaveUp;   // 0 or 1
    PatternValue<juce::uint8> octaveDown; // 0 or 1
    PatternValue<juce::uint8> gate;       // 0 or 1
    PatternValue<juce::uint8> accent;     // 0 or 1
    PatternValue<juce::uint8> slide;      // 0 or 1
    PatternValue<double> gateLevel;       // 0..1, compared with the gate threshold at play time
    PatternValue<double> accentLevel;     // 0..1
    PatternValue<double> slideLevel;      // 0..1
};

/** A sequencer pattern: name, length, shuffle, tempo and 16 steps. A plain value record without a lock.

    Threads: everything is edited on the message thread; the audio thread reads length, shuffle, tempo and
    steps while they change (each value whole). The name is for the message thread only. */
class Pattern
{
public:
    static constexpr int numSteps = 16;
    static constexpr double minTempo = 30.0;  // beats per minute
    static constexpr double maxTempo = 300.0; // beats per minute

    /** The flags of toggleFlagOnAllSteps. */
    enum StepFlag
    {
        octaveUpFlag = 0,
        octaveDownFlag = 1,
        gateFlag = 2,
        accentFlag = 3,
        slideFlag = 4
    };

    /** Named "Empty", 16 steps, shuffle 0, tempo 120, every step zero. */
    Pattern();
    Pattern (const Pattern&);
    ~Pattern();

    /** Copies name, length, shuffle, tempo and all 16 steps (copy and paste, backups). */
    Pattern& operator= (const Pattern&);

    juce::String getName() const { return name; }
    void setName (const juce::String& newName) { name = newName; }

    /** Steps played, 1..16; steps at and above it stay in memory but are neither played nor written. */
    int getLength() const { return length; }
    void setLength (int newLength);

    /** 0..100. */
    int getShuffle() const { return shuffle; }
    void setShuffle (int newShuffle);

    /** Beats per minute, 30..300, always a multiple of 0.1. */
    double getTempo() const { return tempo; }

    /** Limited to 30..300 and rounded to one decimal, half away from zero. NaN leaves the tempo unchanged. */
    void setTempo (double newTempo);

    /** An index outside 0..15 gives an empty step. */
    const Step& getStep (int index) const;

    /** An index outside 0..15 does nothing. */
    void setStep (int index, const Step& newStep);

    /** All 16 steps become zero; name, length, shuffle and tempo stay. */
    void clearSteps();

    /** Rotate the first length steps by one place; the others stay. */
    void shiftLeft();
    void shiftRight();

    /** Moves all 16 steps by semitones, wrapping below 24 to 71 and above 72 to 25. */
    void transpose (int semitones);

    /** Sets the flag on all 16 steps to the opposite of its value on the given step. */
    void toggleFlagOnAllSteps (int step, int flag);

    /** Reads a "Pattern" element (tag in any letter case; any other element is ignored). All steps are zeroed
        first; length, shuffle and tempo are limited to their ranges, missing or unreadable ones take the
        defaults; "Step" children fill the first length steps in order. */
    void readXml (const juce::XmlElement& element);

    /** Adds name, length, shuffle, tempo and one "Step" child per played step to the element, which the
        caller created with its "application" attribute. */
    void writeXml (juce::XmlElement& element) const;

private:
    juce::String name{"Empty"};
    PatternValue<int> length{numSteps};
    PatternValue<int> shuffle{0};
    PatternValue<double> tempo{120.0};
    std::array<Step, numSteps> steps;
};
