#pragma once

#include "vst/VstAbi.h"

#include <juce_core/juce_core.h>

#include <vector>

/** The host's song transport: tempo, time signature, song position and whether it plays.

    Time is counted in render samples from the start of the render (render sample 0 is where the song
    position equals the start position). The song position advances only while the transport plays;
    starts and stops are scheduled at render samples. The render loop calls advance() after every block,
    and cuts its blocks at getSamplesToNextChange() so that a start or stop falls on a block boundary, the
    only place a VST 2.4 plug-in can see it. Not thread-safe: the render thread owns it.
*/
class Transport
{
public:
    Transport();

    void setSampleRate (double newSampleRate);
    double getSampleRate() const { return sampleRate; }

    /** Beats per minute; values of 0 or less are ignored. */
    void setTempo (double beatsPerMinute);
    double getTempo() const { return tempo; }

    /** Ignores a numerator below 1 and a denominator that is not a power of two up to 64. */
    void setTimeSignature (int numerator, int denominator);
    int getTimeSignatureNumerator() const { return timeSigNumerator; }
    int getTimeSignatureDenominator() const { return timeSigDenominator; }

    // The start settings below act at once while nothing has been rendered, else at the next rewind().

    /** Song position at render sample 0, in quarter notes. */
    void setStartPosition (double quarterNotes);

    /** Whether the transport plays at render sample 0. */
    void setPlayingAtStart (bool shouldPlay);

    /** Schedules a start or a stop at a render sample. */
    void addPlayingChange (juce::int64 renderSample, bool shouldPlay);
    void clearPlayingChanges();

    /** Back to render sample 0 with the start position, the playing state and the scheduled changes. */
    void rewind();

    /** Moves on by a processed block. */
    void advance (int numSamples);

    /** Render samples until the next scheduled start or stop, or -1 when none is left. */
    juce::int64 getSamplesToNextChange() const;

    juce::int64 getRenderPosition() const { return renderPosition; }
    bool isPlaying() const { return playing; }

    /** Song position, in samples and in quarter notes. */
    double getSongPositionInSamples() const;
    double getSongPositionInQuarterNotes() const;

    /** Start of the bar holding the song position, in quarter notes. */
    double getBarStartInQuarterNotes() const;

    /** The answer to audioMasterGetTime: every field filled, validity flags only for what the mask asks. */
    void fillTimeInfo (VstTimeInfo& info, VstIntPtr requestMask) const;

private:
    struct PlayingChange
    {
        juce::int64 renderSample;
        bool shouldPlay;
    };

    void applyDueChanges();
    void rewindIfNothingRendered();
    double samplesPerQuarterNote() const { return sampleRate * 60.0 / tempo; }

    // Settings
    double sampleRate = 44100.0;
    double tempo = 120.0; // quarter notes per minute
    int timeSigNumerator = 4;
    int timeSigDenominator = 4;
    double startPosition = 0.0; // quarter notes
    bool playingAtStart = true;
    std::vector<PlayingChange> playingChanges; // sorted by render sample

    // Running state
    juce::int64 renderPosition = 0;
    double samplesPlayed = 0.0; // song samples since render sample 0
    bool playing = true;
    bool changed = true; // a start, stop or rewind happened at the current block's start
    size_t nextChange = 0;
};
