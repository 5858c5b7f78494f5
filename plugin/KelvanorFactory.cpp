#include "editor/KelvanorEditor.h"
#include "engine/Kelvanor.h"
#include "vst/PluginEntry.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <new>

namespace
{
/** The product's persistent editor, built and initialised once; host windows only show and hide it. */
std::unique_ptr<juce::Component> createKelvanorEditor (BasePlugin& processor)
{
    // Only createPluginFilter hands this function over, and only to a Kelvanor.
    auto* kelvanor = dynamic_cast<Kelvanor*> (&processor);
    if (kelvanor == nullptr)
        return nullptr;
    return BasePluginEditor::initialised (std::make_unique<KelvanorEditor> (*kelvanor));
}
} // namespace

juce::AudioProcessor* createPluginFilter()
{
    std::unique_ptr<Kelvanor> processor (new (std::nothrow) Kelvanor());
    if (processor == nullptr)
        return nullptr;

    // Handed over before the late initialisation, which builds the editor between the layers' initialise
    // and the one notification of every parameter; the processor itself never names its editor.
    processor->setEditorFactory (createKelvanorEditor);

    // Every layer's initialise, the persistent editor, then one notification of every parameter so the
    // voice, the sequencer and the host start from the loaded values.
    processor->runLateInitialisation();
    return processor.release();
}
