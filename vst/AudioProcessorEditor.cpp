#include "vst/AudioProcessorEditor.h"

#include "vst/AudioProcessor.h"

namespace juce
{
AudioProcessorEditor::AudioProcessorEditor (AudioProcessor& owner) noexcept
    : processor (owner)
{
}

AudioProcessorEditor::AudioProcessorEditor (AudioProcessor* owner) noexcept
    : processor (*owner)
{
    // An editor always belongs to a processor.
    jassert (owner != nullptr);
}

AudioProcessorEditor::~AudioProcessorEditor()
{
    // Whoever deletes an editor, the processor must not keep handing it out.
    processor.editorBeingDeleted (this);
}

} // namespace juce
