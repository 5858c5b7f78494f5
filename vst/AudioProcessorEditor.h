#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{
class AudioProcessor;

/** The component that a processor's createEditor returns; the wrapper shows it in the host's window.
    It holds the processor it belongs to, which always outlives it, and tells it when it goes. Created
    and deleted on the message thread (or with the message manager locked). */
class AudioProcessorEditor : public Component
{
protected:
    explicit AudioProcessorEditor (AudioProcessor& owner) noexcept;
    explicit AudioProcessorEditor (AudioProcessor* owner) noexcept;

public:
    ~AudioProcessorEditor() override;

    AudioProcessor* getAudioProcessor() const noexcept { return &processor; }

    AudioProcessor& processor;

private:
    JUCE_DECLARE_NON_COPYABLE (AudioProcessorEditor)
};

} // namespace juce
