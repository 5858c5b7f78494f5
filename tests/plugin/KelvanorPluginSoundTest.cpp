#include "KelvanorPluginTestSupport.h"

#include <algorithm>
#include <map>
#include <set>

namespace
{
constexpr double rate = 44100.0;

double noteFrequency (int note)
{
    return 440.0 * std::pow (2.0, (note - 69) / 12.0);
}

/** A plain voice for measurements: sawtooth, open filter, no distortion, medium volume. */
void setMeasuringVoice (HostedPlugin& plugin)
{
    const std::pair<int, float> values[] = {{0, 0.5f},  {1, 0.5f},  {2, 0.8f},  {3, 0.1f},  {5, 0.2f},
                                            {7, 0.8f},  {9, 1.0f},  {10, 1.0f}, {18, 1.0f}, {19, 1.0f},
                                            {21, 0.0f}, {23, 0.6f}, {25, 0.0f}};
    for (const auto& [slot, value] : values)
        plugin.setParameter (slot, value);
}

/** The phrase every factory preset plays: sixteenths at 120 bpm, with accents (velocity 127) and slides
    (notes overlapping the next one). */
std::vector<TimedNote> phrase()
{
    struct PhraseNote
    {
        int note, velocity;
        double step, length; // sixteenths
    };
    const PhraseNote notes[] = {{36, 90, 0, 0.5},  {48, 127, 1, 0.5}, {39, 90, 2, 1.3}, {41, 90, 3, 0.5},
                                {43, 127, 4, 1.2}, {46, 90, 5, 0.5},  {36, 90, 6, 0.5}, {31, 127, 7, 0.6}};
    const double step = rate * 60.0 / 120.0 / 4.0;

    std::vector<TimedNote> result;
    for (const auto& n : notes)
    {
        result.push_back ({(juce::int64) (n.step * step) + 64, n.note, n.velocity});
        result.push_back ({(juce::int64) ((n.step + n.length) * step) + 64, n.note, 0});
    }
    std::stable_sort (result.begin(), result.end(),
                      [] (const auto& a, const auto& b) { return a.sample < b.sample; });
    return result;
}
} // namespace

TEST (KelvanorPluginSound, ANoteSoundsAtItsFundamental)
{
    ScopedPluginHome home (false);
    const auto plugin = openKelvanor (rate);
    setMeasuringVoice (*plugin);

    for (const int note : {33, 45, 57})
    {
        const auto start = plugin->getRenderPosition();
        const auto out = render (*plugin, (juce::int64) rate,
                                 {{start, note, 100}, {start + (juce::int64) (0.8 * rate), note, 0}});
        const double measured = fundamentalOf (out, rate, (size_t) (0.1 * rate), (size_t) (0.6 * rate));
        EXPECT_NEAR (measured / noteFrequency (note), 1.0, 0.005)
            << "note " << note << " measured " << measured;
    }
}

TEST (KelvanorPluginSound, AccentedNotesAreLouderAndBrighter)
{
    ScopedPluginHome home (false);
    const auto plugin = openKelvanor (rate);
    setMeasuringVoice (*plugin);
    plugin->setParameter (2, 0.3f); // a closed filter leaves room for the accent's sweep
    plugin->setParameter (3, 0.5f);
    plugin->setParameter (5, 0.5f);

    const auto length = (juce::int64) (0.4 * rate);
    auto start = plugin->getRenderPosition();
    const auto plain =
        render (*plugin, length, {{start, 40, 40}, {start + length / 2, 40, 0}}); // below 64/127
    render (*plugin, (juce::int64) rate);
    start = plugin->getRenderPosition();
    const auto accented = render (*plugin, length, {{start, 40, 127}, {start + length / 2, 40, 0}});

    const auto window = (size_t) (0.15 * rate);
    EXPECT_GT (rmsOf (accented, 0, window), 1.2 * rmsOf (plain, 0, window));
    EXPECT_GT (brightnessOf (accented, 0, window), 1.1 * brightnessOf (plain, 0, window));
}

TEST (KelvanorPluginSound, OverlappingNotesGlideWithoutRetrigger)
{
    ScopedPluginHome home (false);
    const auto plugin = openKelvanor (rate);
    setMeasuringVoice (*plugin);
    plugin->setParameter (1, 0.9f);               // about a tenth of a second to slide
    render (*plugin, (juce::int64) (0.5 * rate)); // the voice's smoothed tuning settles from its start-up 0

    const auto start = plugin->getRenderPosition();
    const auto second = start + (juce::int64) (0.5 * rate);
    const auto out = render (*plugin, (juce::int64) (1.5 * rate),
                             {{start, 36, 100},
                              {second, 48, 100},
                              {start + (juce::int64) (1.4 * rate), 36, 0},
                              {start + (juce::int64) (1.45 * rate), 48, 0}});

    const auto at = [&] (double seconds) { return (size_t) ((double) (second - start) + seconds * rate); };
    const double before = fundamentalOf (out, rate, at (-0.35), at (-0.05));
    const double sliding = fundamentalOf (out, rate, at (0.02), at (0.07));
    const double after = fundamentalOf (out, rate, at (0.5), at (0.8));

    EXPECT_NEAR (before / noteFrequency (36), 1.0, 0.01);
    EXPECT_NEAR (after / noteFrequency (48), 1.0, 0.01);
    EXPECT_GT (sliding, noteFrequency (36) * 1.05) << "the pitch has begun to move";
    EXPECT_LT (sliding, noteFrequency (48) * 0.95) << "but has not arrived";

    auto midi = plugin->getMidiOutput();
    ASSERT_EQ (midi.size(), 4u);
    EXPECT_TRUE (midi[1].isNoteOn());
    EXPECT_EQ ((juce::int64) midi[1].getTimeStamp(), second);
}

//==============================================================================
/** Every factory preset of the embedded bank, with its parameter values by slot. */
struct FactoryPreset
{
    juce::String name;
    std::map<int, float> values;
};

std::vector<FactoryPreset> readFactoryPresets (HostedPlugin& plugin)
{
    std::map<juce::String, int> slots;
    for (int slot = 0; slot < plugin.getNumParameters(); ++slot)
        slots[plugin.getParameterName (slot)] = slot;

    std::vector<FactoryPreset> presets;
    const auto bank =
        juce::XmlDocument::parse (juce::File (KELVANOR_RESOURCES_DIR).getChildFile ("DEFAULT.KLPRSB"));
    if (bank == nullptr)
        return presets;

    for (auto* group : bank->getChildIterator())
        for (auto* preset : group->getChildWithTagNameIterator ("Preset"))
        {
            FactoryPreset p{preset->getStringAttribute ("name"), {}};
            for (auto* param : preset->getChildWithTagNameIterator ("param"))
            {
                // The host sees names cut to its field width.
                const auto name = param->getStringAttribute ("name");
                for (const auto& [hostName, slot] : slots)
                    if (name.startsWith (hostName) && hostName.length() >= std::min (name.length(), 16))
                        p.values[slot] = (float) param->getDoubleAttribute ("value");
            }
            presets.push_back (p);
        }

    return presets;
}

TEST (KelvanorPluginSound, EveryFactoryPresetPlaysThePhraseWithinLevelBoundsAndSoundsItsOwn)
{
    ScopedPluginHome home (false);
    const auto plugin = openKelvanor (rate);
    const auto presets = readFactoryPresets (*plugin);
    ASSERT_EQ (presets.size(), 40u);

    std::vector<std::vector<float>> renders;
    for (const auto& preset : presets)
    {
        EXPECT_GE (preset.values.size(), 33u) << preset.name;
        for (const auto& [slot, value] : preset.values)
            plugin->setParameter (slot, value);

        render (*plugin, (juce::int64) (0.5 * rate)); // the previous preset dies away
        plugin->clearRecordings();
        const auto start = plugin->getRenderPosition();
        auto notes = phrase();
        for (auto& n : notes)
            n.sample += start;
        auto out = render (*plugin, (juce::int64) (1.6 * rate), notes);

        const float peak = peakOf (out);
        EXPECT_GT (peak, 0.02f) << preset.name << " is (nearly) silent";
        EXPECT_LE (peak, 1.0f) << preset.name << " clips above 0 dBFS";
        EXPECT_TRUE (std::all_of (out.begin(), out.end(), [] (float x) { return std::isfinite (x); }))
            << preset.name;
        renders.push_back (std::move (out));
    }

    // Two presets sound alike when the difference of their renders is small beside either of them.
    for (size_t a = 0; a < renders.size(); ++a)
        for (size_t b = a + 1; b < renders.size(); ++b)
        {
            double difference = 0.0, energy = 0.0;
            for (size_t i = 0; i < renders[a].size(); ++i)
            {
                const double d = (double) renders[a][i] - renders[b][i];
                difference += d * d;
                energy +=
                    std::max ((double) renders[a][i] * renders[a][i], (double) renders[b][i] * renders[b][i]);
            }
            EXPECT_GT (difference, 0.01 * energy)
                << presets[a].name << " and " << presets[b].name << " sound alike";
        }
}

//==============================================================================
TEST (KelvanorPluginSound, FactoryPatternsFollowTheHostTransportSampleExactly)
{
    ScopedPluginHome home;
    const auto plugin = openKelvanor (rate, 512, true);
    plugin->getTransport().setTempo (120.0);
    const float stepLength = 0.5f;
    plugin->setParameter (11, stepLength);
    plugin->getTransport().rewind();
    plugin->resetRenderPosition();
    plugin->clearRecordings();

    const juce::int64 stopAt = 4 * (juce::int64) rate; // two bars
    plugin->getTransport().addPlayingChange (stopAt, false);
    const auto out = render (*plugin, 5 * (juce::int64) rate);

    // A sixteenth lasts 5512.5 samples; its gate ends half a step (step length 0.5) after it starts.
    const double step = rate * 60.0 / 120.0 / 4.0;
    const double gate = (stepLength * 0.92 + 0.04) * step;
    // Where a boundary falls exactly on a sample, the clock's rounding up may land one sample later.
    std::set<juce::int64> starts, gateEnds;
    const auto addBoundary = [] (std::set<juce::int64>& set, double position)
    {
        set.insert ((juce::int64) std::ceil (position - 1.0e-6));
        set.insert ((juce::int64) std::ceil (position + 1.0e-6));
    };
    for (int k = 0; k * step < (double) stopAt; ++k)
    {
        addBoundary (starts, k * step);
        addBoundary (gateEnds, k * step + gate);
    }

    int noteOns = 0, noteOffs = 0;
    for (const auto& m : plugin->getMidiOutput())
    {
        const auto sample = (juce::int64) m.getTimeStamp();
        ASSERT_EQ (m.getChannel(), 1);
        if (m.isNoteOn())
        {
            ++noteOns;
            EXPECT_LT (sample, stopAt);
            EXPECT_TRUE (starts.count (sample) == 1) << "note-on " << m.getNoteNumber() << " at " << sample;
            EXPECT_TRUE (m.getNoteNumber() >= 24 && m.getNoteNumber() <= 72);
        }
        else if (m.isNoteOff())
        {
            ++noteOffs;
            EXPECT_TRUE (gateEnds.count (sample) == 1 || sample == stopAt) << "note-off at " << sample;
        }
    }

    EXPECT_GT (noteOns, 8);
    EXPECT_EQ (noteOns, noteOffs) << "stopping the transport releases every note";
    EXPECT_GT (peakOf (out, 0, (size_t) stopAt), 0.05f);
    EXPECT_LT (peakOf (out, (size_t) stopAt + (size_t) (0.5 * rate)), 1.0e-3f) << "silence after the stop";
}
