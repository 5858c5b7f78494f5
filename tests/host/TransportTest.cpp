#include "tools/Transport.h"

#include <gtest/gtest.h>

namespace
{
Transport makeTransport (double sampleRate, double tempo)
{
    Transport transport;
    transport.setSampleRate (sampleRate);
    transport.setTempo (tempo);
    return transport;
}

TEST (Transport, AdvancesTheSongOnlyWhilePlaying)
{
    Transport transport = makeTransport (48000.0, 120.0); // 24000 samples per quarter note
    transport.setStartPosition (2.0);
    transport.addPlayingChange (12000, false);
    transport.addPlayingChange (36000, true);

    const struct
    {
        int block;
        juce::int64 renderPosition;
        double quarterNotes;
        bool playing;
    } steps[] = {{12000, 12000, 2.5, false},
                 {12000, 24000, 2.5, false},
                 {12000, 36000, 2.5, true},
                 {24000, 60000, 3.5, true}};

    EXPECT_DOUBLE_EQ (transport.getSongPositionInSamples(), 48000.0);
    for (const auto& step : steps)
    {
        transport.advance (step.block);
        SCOPED_TRACE (step.renderPosition);
        EXPECT_EQ (transport.getRenderPosition(), step.renderPosition);
        EXPECT_DOUBLE_EQ (transport.getSongPositionInQuarterNotes(), step.quarterNotes);
        EXPECT_EQ (transport.isPlaying(), step.playing);
    }

    transport.rewind();
    EXPECT_EQ (transport.getRenderPosition(), 0);
    EXPECT_DOUBLE_EQ (transport.getSongPositionInQuarterNotes(), 2.0);
    EXPECT_TRUE (transport.isPlaying());
}

TEST (Transport, CountsToTheNextStartOrStopAndFlagsOnlyTheBlockWhereItChanges)
{
    Transport transport = makeTransport (44100.0, 120.0);
    transport.addPlayingChange (1000, false);
    transport.addPlayingChange (300, true); // already playing: no change, still a cut

    const struct
    {
        int advanceBy;
        juce::int64 samplesToNextChange;
        bool changed, playing;
    } steps[] = {{0, 300, true, true},
                 {300, 700, false, true},
                 {500, 200, false, true},
                 {200, -1, true, false},
                 {100, -1, false, false}};

    VstTimeInfo info{};
    for (const auto& step : steps)
    {
        transport.advance (step.advanceBy);
        SCOPED_TRACE (transport.getRenderPosition());
        transport.fillTimeInfo (info, 0);
        EXPECT_EQ (transport.getSamplesToNextChange(), step.samplesToNextChange);
        EXPECT_EQ ((info.flags & kVstTransportChanged) != 0, step.changed);
        EXPECT_EQ (transport.isPlaying(), step.playing);
    }
}

TEST (Transport, FindsTheBarStartForTheTimeSignature)
{
    const struct
    {
        int numerator;
        int denominator;
        double position;
        double barStart;
    } cases[] = {{4, 4, 0.0, 0.0}, {4, 4, 3.99, 0.0}, {4, 4, 4.0, 4.0},   {3, 4, 8.0, 6.0},
                 {6, 8, 7.0, 6.0}, {7, 8, 3.5, 3.5},  {5, 4, 14.9, 10.0}, {2, 2, 4.0, 4.0}};

    for (const auto& c : cases)
    {
        Transport transport = makeTransport (44100.0, 120.0);
        transport.setTimeSignature (c.numerator, c.denominator);
        transport.setStartPosition (c.position);
        EXPECT_DOUBLE_EQ (transport.getBarStartInQuarterNotes(), c.barStart)
            << c.numerator << "/" << c.denominator << " at " << c.position;
    }
}

TEST (Transport, SetsValidityFlagsForWhatIsAskedOnly)
{
    const struct
    {
        VstIntPtr mask;
        VstInt32 valid;
    } cases[] = {
        {0, 0},
        {kVstPpqPosValid, kVstPpqPosValid},
        {kVstTimeInfoRequestAll, kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid |
                                     kVstSmpteValid | kVstClockValid},
        {kVstNanosValid | kVstTempoValid, kVstNanosValid | kVstTempoValid},
        {kVstCyclePosValid, 0}, // no loop in this host
    };

    Transport transport = makeTransport (44100.0, 120.0);
    transport.advance (10);
    for (const auto& c : cases)
    {
        VstTimeInfo info{};
        transport.fillTimeInfo (info, c.mask);
        EXPECT_EQ (info.flags, kVstTransportPlaying | c.valid) << std::hex << c.mask;
    }
}

TEST (Transport, CountsSamplesToTheNearestMidiClock)
{
    const struct
    {
        double position; // quarter notes
        VstInt32 samples;
    } cases[] = {{0.0, 0}, {0.01, -240}, {1.0 / 24.0 - 0.01, 240}, {1.0, 0}};

    for (const auto& c : cases)
    {
        Transport transport = makeTransport (48000.0, 120.0); // 1000 samples per clock
        transport.setStartPosition (c.position);
        VstTimeInfo info{};
        transport.fillTimeInfo (info, kVstClockValid);
        EXPECT_EQ (info.samplesToNextClock, c.samples) << c.position;
    }
}
} // namespace
