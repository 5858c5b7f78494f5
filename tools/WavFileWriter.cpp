#include "tools/WavFileWriter.h"

#include <sndfile.h>

void WavFileWriter::SndFileCloser::operator() (void* file) const
{
    sf_close (static_cast<SNDFILE*> (file));
}

WavFileWriter::WavFileWriter() = default;

WavFileWriter::~WavFileWriter() = default;

juce::Result WavFileWriter::open (const juce::File& file, int channels, double sampleRate,
                                  SampleFormat format)
{
    sndFile.reset();

    if (channels < 1)
        return juce::Result::fail ("a WAV file needs at least one channel");
    if (sampleRate < 1.0)
        return juce::Result::fail ("bad sample rate " + juce::String (sampleRate));

    SF_INFO info{};
    info.samplerate = juce::roundToInt (sampleRate);
    info.channels = channels;
    info.format = SF_FORMAT_WAV;
    switch (format)
    {
        case SampleFormat::float32: info.format |= SF_FORMAT_FLOAT; break;
        case SampleFormat::pcm16: info.format |= SF_FORMAT_PCM_16; break;
        case SampleFormat::pcm24: info.format |= SF_FORMAT_PCM_24; break;
    }

    SNDFILE* const opened = sf_open (file.getFullPathName().toRawUTF8(), SFM_WRITE, &info);
    if (opened == nullptr)
        return juce::Result::fail ("cannot write " + file.getFullPathName() + ": " + sf_strerror (nullptr));

    // Without clipping, libsndfile wraps a sample above full scale around to the other extreme.
    sf_command (opened, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    // Its peak chunk of float files carries the time of writing: identical renders would differ.
    sf_command (opened, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);

    sndFile.reset (opened);
    numChannels = channels;
    return juce::Result::ok();
}

juce::Result WavFileWriter::write (const juce::AudioBuffer<float>& block)
{
    if (sndFile == nullptr)
        return juce::Result::fail ("no WAV file open");
    if (block.getNumChannels() != numChannels)
        return juce::Result::fail ("block has " + juce::String (block.getNumChannels()) +
                                   " channels, file has " + juce::String (numChannels));

    const int numSamples = block.getNumSamples();
    interleaved.resize ((size_t) numSamples * (size_t) numChannels);
    for (int channel = 0; channel < numChannels; ++channel)
    {
        const float* const source = block.getReadPointer (channel);
        for (int i = 0; i < numSamples; ++i)
            interleaved[(size_t) i * (size_t) numChannels + (size_t) channel] = source[i];
    }

    auto* const file = static_cast<SNDFILE*> (sndFile.get());
    if (sf_writef_float (file, interleaved.data(), numSamples) != numSamples)
        return juce::Result::fail (juce::String ("WAV write failed: ") + sf_strerror (file));

    return juce::Result::ok();
}

juce::Result WavFileWriter::close()
{
    if (sndFile == nullptr)
        return juce::Result::ok();

    const int error = sf_close (static_cast<SNDFILE*> (sndFile.release()));
    return error == 0 ? juce::Result::ok()
                      : juce::Result::fail (juce::String ("WAV close failed: ") + sf_error_number (error));
}
