#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

/** Writes audio blocks to a WAV file through libsndfile, as they are rendered.

    Samples beyond -1..1 are clipped in the integer formats and kept in the float one.
*/
class WavFileWriter
{
public:
    enum class SampleFormat
    {
        float32,
        pcm16,
        pcm24
    };

    WavFileWriter();
    ~WavFileWriter();

    WavFileWriter (const WavFileWriter&) = delete;
    WavFileWriter& operator= (const WavFileWriter&) = delete;

    /** Creates or replaces the file; closes any file open before. */
    juce::Result open (const juce::File& file, int numChannels, double sampleRate, SampleFormat format);

    /** Appends a block; its channel count must be the one given to open(). */
    juce::Result write (const juce::AudioBuffer<float>& block);

    /** Finishes the header; the file is complete only after this (or the destructor). */
    juce::Result close();

    bool isOpen() const { return sndFile != nullptr; }

private:
    struct SndFileCloser
    {
        void operator() (void* file) const;
    };

    std::unique_ptr<void, SndFileCloser> sndFile;
    int numChannels = 0;
    std::vector<float> interleaved;
};
