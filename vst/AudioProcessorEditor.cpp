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

//==============================================================================
AudioProcessor::EditorPointer::EditorPointer() noexcept = default;
AudioProcessor::EditorPointer::~EditorPointer() = default;

AudioProcessor::EditorPointer& AudioProcessor::EditorPointer::operator= (AudioProcessorEditor* editor) noexcept
{
    editorComponent = editor;
    return *this;
}

AudioProcessorEditor* AudioProcessor::EditorPointer::getComponent() const noexcept
{
    // Only editors are ever stored here.
    return static_cast<AudioProcessorEditor*> (editorComponent.get());
}

} // namespace juce
