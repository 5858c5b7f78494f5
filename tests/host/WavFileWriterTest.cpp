#include "host/HostTestSupport.h"

#include "tools/WavFileWriter.h"

#include "TestSupport.h"

#include <sndfile.h>

namespace
{
TEST (WavFileWriter, FileHoldsTheRenderedSamplesInEachFormat)
{
    // The integer formats clip at full scale and round to their step.
    const struct
    {
        WavFileWriter::SampleFormat format;
        int subtype;
        float tolerance;
    } cases[] = {{WavFileWriter::SampleFormat::float32, SF_FORMAT_FLOAT, 0.0f},
                 {WavFileWriter::SampleFormat::pcm24, SF_FORMAT_PCM_24, 2.0e-7f},
                 {WavFileWriter::SampleFormat::pcm16, SF_FORMAT_PCM_16, 4.0e-5f}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.subtype);
        TemporaryFolder folder;
        const juce::File file = folder.getChildFile ("render.wav");

        auto plugin = openTestSynth (48000.0, 256);
        plugin->addMidiEvent (juce::MidiMessage::noteOn (1, 64, (juce::uint8) 127), 17);
        plugin->addMidiEvent (juce::MidiMessage::noteOn (1, 71, (juce::uint8) 127), 40);

        juce::AudioBuffer<float> rendered (2, 1000);
        WavFileWriter writer;
        ASSERT_TRUE (writer.open (file, 2, 48000.0, c.format).wasOk());
        for (int start = 0; start < 1000; start += 250)
        {
            const juce::AudioBuffer<float>& block = plugin->process (250);
            for (int channel = 0; channel < 2; ++channel)
                rendered.copyFrom (channel, start, block, channel, 0, 250);
            ASSERT_TRUE (writer.write (block).wasOk());
        }
        ASSERT_TRUE (writer.close().wasOk());
        EXPECT_GT (rendered.getMagnitude (0, 1000), 1.0f) << "two notes at full velocity exceed full scale";

        SF_INFO info{};
        SNDFILE* const sound = sf_open (file.getFullPathName().toRawUTF8(), SFM_READ, &info);
        ASSERT_NE (sound, nullptr) << sf_strerror (nullptr);
        std::vector<float> interleaved (2000);
        const sf_count_t framesRead = sf_readf_float (sound, interleaved.data(), 1000);
        sf_close (sound);

        EXPECT_EQ (info.samplerate, 48000);
        EXPECT_EQ (info.channels, 2);
        EXPECT_EQ (info.frames, 1000);
        EXPECT_EQ (info.format, SF_FORMAT_WAV | c.subtype);
        ASSERT_EQ (framesRead, 1000);
        for (int i = 0; i < 2000; ++i)
        {
            const float sample = rendered.getSample (i % 2, i / 2);
            ASSERT_NEAR (interleaved[(size_t) i],
                         c.tolerance > 0.0f ? juce::jlimit (-1.0f, 1.0f, sample) : sample, c.tolerance)
                << "frame " << i / 2 << " channel " << i % 2;
        }
    }
}

TEST (WavFileWriter, ReportsFailuresInsteadOfWriting)
{
    TemporaryFolder folder;
    WavFileWriter writer;
    const juce::AudioBuffer<float> stereo (2, 16);

    EXPECT_TRUE (writer.write (stereo).failed()) << "nothing open";
    EXPECT_TRUE (writer
                     .open (folder.getChildFile ("missing/folder/x.wav"), 2, 44100.0,
                            WavFileWriter::SampleFormat::float32)
                     .failed());
    EXPECT_TRUE (writer.open (folder.getChildFile ("x.wav"), 0, 44100.0, WavFileWriter::SampleFormat::float32)
                     .failed());

    ASSERT_TRUE (writer.open (folder.getChildFile ("x.wav"), 1, 44100.0, WavFileWriter::SampleFormat::float32)
                     .wasOk());
    EXPECT_TRUE (writer.write (stereo).failed()) << "channel count differs";
    EXPECT_TRUE (writer.close().wasOk());
    EXPECT_FALSE (writer.isOpen());
}
} // namespace
