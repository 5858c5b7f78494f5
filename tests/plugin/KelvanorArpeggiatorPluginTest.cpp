#include "KelvanorPluginTestSupport.h"

namespace
{
constexpr double rate = 44100.0;

struct PlayedNote
{
    juce::int64 sample;
    int note;
};

std::vector<PlayedNote> noteOnsFrom (const HostedPlugin& plugin, juce::int64 from)
{
    std::vector<PlayedNote> notes;
    for (const auto& m : plugin.getMidiOutput())
        if (m.isNoteOn() && (juce::int64) m.getTimeStamp() >= from)
            notes.push_back ({(juce::int64) m.getTimeStamp(), m.getNoteNumber()});
    return notes;
}
} // namespace

TEST (KelvanorArpeggiatorPlugin, HeldChordPlaysItsTonesOnTheStepGrid)
{
    ScopedPluginHome home (false);
    const auto plugin = openKelvanor (rate, 256);
    ASSERT_TRUE (plugin->isOpen());
    plugin->getTransport().setTempo (100.0);

    // Major chord, up, only the played octave, one repeat, two steps per beat at multiplier 1.5 x 4 = 6.
    const std::pair<int, float> values[] = {{24, 1.0f / 7.0f}, {25, 0.5f}, {26, 0.0f}, {27, 0.0f}, {28, 1.0f},
                                            {29, 0.0f},        {30, 0.0f}, {31, 0.2f}, {32, 0.0f}};
    for (const auto& [slot, value] : values)
        plugin->setParameter (slot, value);

    render (*plugin, 1024); // the arpeggiator switches on between blocks
    plugin->clearRecordings();

    const auto start = plugin->getRenderPosition() + 300;
    const double samplesPerStep = rate * 60.0 / 100.0 / 6.0;
    render (*plugin, (juce::int64) (7.5 * samplesPerStep) + 300,
            {{start, 43, 100}, {start, 47, 100}, {start + (juce::int64) (5.2 * samplesPerStep), 47, 0}});

    // The latest key is the root: 47, 54, 51, ...; after its release 43 is.
    const auto notes = noteOnsFrom (*plugin, 0);
    const int expected[] = {47, 54, 51, 47, 54, 51, 43, 50};
    ASSERT_EQ (notes.size(), std::size (expected));

    for (size_t i = 0; i < notes.size(); ++i)
    {
        EXPECT_EQ (notes[i].note, expected[i]) << i;
        EXPECT_NEAR ((double) (notes[i].sample - start), (double) i * samplesPerStep, 1.0) << i;
    }
}
