#include "engine/Kelvanor.h"
#include "engine/KelvanorChordTable.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double stepsPerBeatChoices[] = {4.0, 6.0, 8.0, 12.0, 16.0, 24.0};
constexpr int repeatCountChoices[] = {1, 2, 3, 4, 6};

/** The enabled octave ranges (0..3 for -1, 0, +1, +2 octaves), lowest first. */
struct EnabledRanges
{
    int ranges[Kelvanor::numOctaveRanges];
    int count = 0;
};
} // namespace

//==============================================================================
bool Kelvanor::isArpeggiatorOn() const
{
    return arpMode.load (relaxed) != arpeggiatorOff;
}

double Kelvanor::getArpeggiatorStepsPerBeat() const
{
    return arpStepsPerBeat.load (relaxed);
}

int Kelvanor::getArpeggiatorShuffle() const
{
    return arpShuffle.load (relaxed);
}

bool Kelvanor::isOctaveRangeEnabled (int range) const noexcept
{
    return range >= 0 && range < numOctaveRanges && octaveRanges[(size_t) range].load (relaxed);
}

int Kelvanor::getHeldNote (int index) const noexcept
{
    return index >= 0 && index < numHeldNotes ? heldNotes[(size_t) index].note : -1;
}

//==============================================================================
void Kelvanor::arpeggiatorParameterChanged (int id, float normalisedValue)
{
    if (!std::isfinite (normalisedValue))
        return;

    const float value = juce::jlimit (0.0f, 1.0f, normalisedValue);

    switch (id)
    {
        case arpeChordId:
        {
            const int chord = juce::jlimit (0, KelvanorChordTable::numChords - 1, nearestInt (value * 7.0f));

            // A new chord starts from its root, going up, in the first octave of the mode.
            if (arpChord.exchange (chord, relaxed) != chord)
            {
                arpAdvance.store (false, relaxed);
                arpPosition.store (0, relaxed);
                arpRepeatCounter.store (0, relaxed);
                arpDirection.store (0, relaxed);
                chooseInitialOctave();
            }
            break;
        }

        case arpeModeId:
        {
            const int mode = juce::jlimit (0, (int) arpeggiatorUpDown, nearestInt (value * 4.0f));
            const int previous = arpMode.exchange (mode, relaxed);

            // Notes held by the voice or by the arpeggiator would hang when the other one takes over.
            if ((previous == arpeggiatorOff) != (mode == arpeggiatorOff))
            {
                arpeggiatorResetRequest.store (true, relaxed);
                releaseRequest.store (true, relaxed);
            }

            getParameterManager().setParameterBool (arpeStateId, mode != arpeggiatorOff);
            break;
        }

        case arpeShuffleId:
        {
            const int shuffle = juce::jlimit (0, 100, nearestInt (value * 100.0f));
            arpShuffle.store (shuffle, relaxed);
            getParameterManager().setParameterValue (arpeShuffleValueId, (float) shuffle);
            break;
        }

        case arpeRangeSub1Id:
        case arpeRangeZeroId:
        case arpeRangeAdd1Id:
        case arpeRangeAdd2Id:
            octaveRanges[(size_t) (id - arpeRangeSub1Id)].store (value >= 0.5f, relaxed);
            break;

        case arpeMultiplierId:
            arpStepsPerBeat.store (stepsPerBeatChoices[juce::jlimit (0, 5, nearestInt (value * 5.0f))],
                                   relaxed);
            break;

        case arpeRepeaterId:
            arpRepeatCount.store (repeatCountChoices[juce::jlimit (0, 4, nearestInt (value * 4.0f))],
                                  relaxed);
            break;

        default: break;
    }
}

//==============================================================================
// Octave offsets. Ranges are re-read at every choice: a host may switch them while notes play.

namespace
{
EnabledRanges getEnabledRanges (const Kelvanor& processor)
{
    EnabledRanges enabled;
    for (int range = 0; range < Kelvanor::numOctaveRanges; ++range)
        if (processor.isOctaveRangeEnabled (range))
            enabled.ranges[enabled.count++] = range;
    return enabled;
}

/** The runtime library's classic generator (0..32767), never seeded, but one per instance: the shared
    rand() made renders of the same notes differ with whatever other instances or threads had drawn, and
    took the library's lock on the audio thread. */
int randomRange (const EnabledRanges& enabled, std::atomic<juce::uint32>& generatorState)
{
    const auto state = generatorState.load (std::memory_order_relaxed) * 214013u + 2531011u;
    generatorState.store (state, std::memory_order_relaxed);
    return enabled.ranges[(int) ((state >> 16) & 0x7fff) % enabled.count];
}
} // namespace

void Kelvanor::chooseInitialOctave()
{
    const auto enabled = getEnabledRanges (*this);

    if (enabled.count == 0)
    {
        arpOctaveOffset.store (0, relaxed);
        return;
    }

    int range = 0;

    switch (arpMode.load (relaxed))
    {
        case arpeggiatorRandom: range = randomRange (enabled, arpRandomState); break;
        case arpeggiatorDown: range = enabled.ranges[enabled.count - 1]; break;
        case arpeggiatorUp:
        case arpeggiatorUpDown: range = enabled.ranges[0]; break;
        default: return; // off: the offset stays
    }

    arpOctaveOffset.store (range - 1, relaxed);
}

void Kelvanor::chooseNextOctave()
{
    const auto enabled = getEnabledRanges (*this);

    if (enabled.count == 0)
    {
        arpOctaveOffset.store (0, relaxed);
        return;
    }

    if (enabled.count == 1)
    {
        arpOctaveOffset.store (enabled.ranges[0] - 1, relaxed);
        return;
    }

    const int current = arpOctaveOffset.load (relaxed) + 1;

    // The nearest enabled range above / below the current one, or -1.
    int above = -1, below = -1;
    for (int i = 0; i < enabled.count; ++i)
    {
        const int range = enabled.ranges[i];
        if (range > current && above < 0)
            above = range;
        if (range < current)
            below = range;
    }

    const int lowest = enabled.ranges[0];
    const int highest = enabled.ranges[enabled.count - 1];
    int range = current;

    switch (arpMode.load (relaxed))
    {
        case arpeggiatorRandom: range = randomRange (enabled, arpRandomState); break;
        case arpeggiatorUp: range = above >= 0 ? above : lowest; break;
        case arpeggiatorDown: range = below >= 0 ? below : highest; break;

        case arpeggiatorUpDown:
        {
            // The end ranges turn the direction without being played twice.
            const bool upwards = arpDirection.load (relaxed) == 0;
            const int ahead = upwards ? above : below;

            if (ahead >= 0)
            {
                range = ahead;
            }
            else
            {
                arpDirection.store (upwards ? 1 : 0, relaxed);
                range = upwards ? below : above;
            }
            break;
        }

        default: return;
    }

    arpOctaveOffset.store (range - 1, relaxed);
}

//==============================================================================
// Held notes and steps (audio thread)

void Kelvanor::startArpeggioNote (int note, float velocity)
{
    // A full list makes room the way the voice's note stack does: the oldest note goes.
    if (numHeldNotes == maxHeldNotes)
    {
        std::move (heldNotes.begin() + 1, heldNotes.end(), heldNotes.begin());
        --numHeldNotes;
    }

    heldNotes[(size_t) numHeldNotes++] = {note, velocity};

    if (numHeldNotes == 1)
        restartArpeggio();
}

void Kelvanor::restartArpeggio()
{
    stopArpeggiatorNote();
    arpAdvance.store (false, relaxed);
    arpPosition.store (0, relaxed);
    arpRepeatCounter.store (0, relaxed);
    arpDirection.store (0, relaxed);
    chooseInitialOctave();

    // From a stopped clock its first tick, in this very sample, plays the note.
    arpeggiatorClock.stop();
    arpeggiatorClock.start();
}

void Kelvanor::releaseArpeggioNote (int note)
{
    const auto end = heldNotes.begin() + numHeldNotes;
    const auto found =
        std::find_if (heldNotes.begin(), end, [note] (const HeldNote& h) { return h.note == note; });

    if (found == end)
        return;

    std::move (found + 1, end, found);
    --numHeldNotes;
}

void Kelvanor::stopArpeggiatorNote()
{
    if (!arpNoteSounding)
        return;

    arpNoteSounding = false;
    stopVoiceNote (arpNote.note);
}

void Kelvanor::stopArpeggiator()
{
    stopArpeggiatorNote();
    numHeldNotes = 0;
    arpeggiatorClock.stop();
}

void Kelvanor::arpeggiatorGateEnded()
{
    stopArpeggiatorNote();

    if (numHeldNotes == 0)
        stopArpeggiator();
    else
        arpAdvance.store (true, relaxed);
}

void Kelvanor::arpeggiatorStep()
{
    stopArpeggiatorNote();

    if (numHeldNotes == 0)
        return;

    const int chord = arpChord.load (relaxed);
    const int length =
        chord == KelvanorChordTable::customChord ? numHeldNotes : KelvanorChordTable::getNumIntervals (chord);
    int position = arpPosition.load (relaxed);

    if (arpAdvance.load (relaxed))
    {
        int repeats = arpRepeatCounter.load (relaxed) + 1;

        if (repeats >= arpRepeatCount.load (relaxed))
        {
            ++position;
            repeats = 0;

            // Only a step that moves on ends the cycle and moves to the next octave range.
            if (position >= length)
            {
                position = 0;
                chooseNextOctave();
            }
        }

        arpRepeatCounter.store (repeats, relaxed);
    }

    // A held list that shrank since the last step (or a chord switched meanwhile) may leave a repeating
    // step's position past the end: it plays the first note, and the octave range stays.
    if (position >= length || position < 0)
        position = 0;

    arpPosition.store (position, relaxed);

    if (chord == KelvanorChordTable::customChord)
    {
        arpNote = heldNotes[(size_t) position];
    }
    else
    {
        const auto& root = heldNotes[(size_t) (numHeldNotes - 1)];
        arpNote = {root.note + KelvanorChordTable::getInterval (chord, position), root.velocity};
    }

    if (getEnabledRanges (*this).count > 0)
        arpNote.note += 12 * arpOctaveOffset.load (relaxed);

    startVoiceNote (arpNote.note, arpNote.velocity);
    arpNoteSounding = true;
}
