#include "tools/Transport.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int midiClocksPerQuarterNote = 24;
}

Transport::Transport()
{
    rewind();
}

void Transport::setSampleRate (double newSampleRate)
{
    if (newSampleRate > 0.0)
        sampleRate = newSampleRate;
}

void Transport::setTempo (double beatsPerMinute)
{
    if (beatsPerMinute > 0.0)
        tempo = beatsPerMinute;
}

void Transport::setTimeSignature (int numerator, int denominator)
{
    if (numerator >= 1 && denominator >= 1 && denominator <= 64 && juce::isPowerOfTwo (denominator))
    {
        timeSigNumerator = numerator;
        timeSigDenominator = denominator;
    }
}

void Transport::setStartPosition (double quarterNotes)
{
    startPosition = quarterNotes;
    rewindIfNothingRendered();
}

void Transport::setPlayingAtStart (bool shouldPlay)
{
    playingAtStart = shouldPlay;
    rewindIfNothingRendered();
}

void Transport::addPlayingChange (juce::int64 renderSample, bool shouldPlay)
{
    const PlayingChange change{std::max<juce::int64> (0, renderSample), shouldPlay};
    const auto later = std::upper_bound (playingChanges.begin(), playingChanges.end(), change.renderSample,
                                         [] (juce::int64 sample, const PlayingChange& c)
                                         { return sample < c.renderSample; });
    playingChanges.insert (later, change);
    rewindIfNothingRendered();
}

void Transport::clearPlayingChanges()
{
    playingChanges.clear();
    rewindIfNothingRendered();
}

void Transport::rewind()
{
    renderPosition = 0;
    samplesPlayed = 0.0;
    playing = playingAtStart;
    changed = true;
    nextChange = 0;
    applyDueChanges();
}

void Transport::rewindIfNothingRendered()
{
    if (renderPosition == 0)
        rewind();
}

void Transport::advance (int numSamples)
{
    if (numSamples <= 0)
        return;

    // A change scheduled inside the block (a caller that did not cut there) counts from the block's end.
    if (playing)
        samplesPlayed += numSamples;

    renderPosition += numSamples;
    changed = false;
    applyDueChanges();
}

void Transport::applyDueChanges()
{
    for (; nextChange < playingChanges.size() && playingChanges[nextChange].renderSample <= renderPosition;
         ++nextChange)
    {
        if (playing != playingChanges[nextChange].shouldPlay)
        {
            playing = playingChanges[nextChange].shouldPlay;
            changed = true;
        }
    }
}

juce::int64 Transport::getSamplesToNextChange() const
{
    return nextChange < playingChanges.size() ? playingChanges[nextChange].renderSample - renderPosition : -1;
}

double Transport::getSongPositionInSamples() const
{
    return startPosition * samplesPerQuarterNote() + samplesPlayed;
}

double Transport::getSongPositionInQuarterNotes() const
{
    return startPosition + samplesPlayed / samplesPerQuarterNote();
}

double Transport::getBarStartInQuarterNotes() const
{
    const double quarterNotesPerBar = timeSigNumerator * 4.0 / timeSigDenominator;
    // The small allowance keeps a position that lands on a bar line through rounding in that bar.
    const double bars = std::floor (getSongPositionInQuarterNotes() / quarterNotesPerBar + 1.0e-9);
    return bars * quarterNotesPerBar;
}

void Transport::fillTimeInfo (VstTimeInfo& info, VstIntPtr requestMask) const
{
    info = {};
    info.samplePos = getSongPositionInSamples();
    info.sampleRate = sampleRate;
    info.nanoSeconds = juce::Time::getMillisecondCounterHiRes() * 1.0e6;
    info.ppqPos = getSongPositionInQuarterNotes();
    info.tempo = tempo;
    info.barStartPos = getBarStartInQuarterNotes();
    info.timeSigNumerator = timeSigNumerator;
    info.timeSigDenominator = timeSigDenominator;
    // The song starts at SMPTE 00:00:00:00, counted at 25 frames per second.
    info.smpteOffset = 0;
    info.smpteFrameRate = kVstSmpte25fps;

    const double clocks = info.ppqPos * midiClocksPerQuarterNote;
    info.samplesToNextClock = (VstInt32) std::lround ((std::round (clocks) - clocks) *
                                                      samplesPerQuarterNote() / midiClocksPerQuarterNote);

    VstInt32 flags = 0;
    if (changed)
        flags |= kVstTransportChanged;
    if (playing)
        flags |= kVstTransportPlaying;

    constexpr VstInt32 available = kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                                   kVstTimeSigValid | kVstSmpteValid | kVstClockValid;
    flags |= (VstInt32) requestMask & available;
    info.flags = flags;
}
