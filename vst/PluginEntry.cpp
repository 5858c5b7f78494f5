#include "vst/PluginEntry.h"

#include "vst/AudioProcessor.h"
#include "vst/JuceVSTWrapper.h"
#include "vst/MessageThread.h"

#include <juce_events/juce_events.h>

#include <memory>

namespace
{
/** Sets the wrapper type that the processor's constructor records, and undefined again afterwards. */
struct ScopedWrapperType
{
    ScopedWrapperType()
    {
        juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_VST);
    }
    ~ScopedWrapperType()
    {
        juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
    }
};
} // namespace

AEffect* pluginEntryPoint (audioMasterCallback audioMaster)
{
    if (audioMaster == nullptr)
        return nullptr;

    try
    {
        // Keeps the message loop alive while the instance is built; when the entry fails this is the
        // only user, so the loop ends again and a scanning host is left with no thread of ours.
        const MessageThread::ScopedUser messageThreadUser;

        if (audioMaster (nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
            return nullptr;

        // The processor builds its editor's components here, beside the running message loop.
        const juce::MessageManagerLock mmLock;

        std::unique_ptr<juce::AudioProcessor> filter;

        {
            const ScopedWrapperType wrapperType;
            filter.reset (createPluginFilter());
        }

        if (filter == nullptr)
            return nullptr;

        auto wrapper = std::make_unique<JuceVSTWrapper> (audioMaster, filter.release());
        return wrapper.release()->getAeffect();
    }
    catch (...)
    {
        return nullptr;
    }
}

extern "C" __attribute__ ((visibility ("default"))) AEffect* VSTPluginMain (audioMasterCallback audioMaster)
{
    return pluginEntryPoint (audioMaster);
}
