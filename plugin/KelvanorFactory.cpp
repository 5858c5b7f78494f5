#include "engine/Kelvanor.h"
#include "vst/PluginEntry.h"

#include <new>

juce::AudioProcessor* createPluginFilter()
{
    std::unique_ptr<Kelvanor> processor (new (std::nothrow) Kelvanor());
    if (processor == nullptr)
        return nullptr;

    // Every layer's initialise, the persistent editor, then one notification of every parameter so the
    // voice, the sequencer and the host start from the loaded values.
    processor->runLateInitialisation();
    return processor.release();
}
