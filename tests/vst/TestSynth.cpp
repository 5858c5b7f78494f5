#include "TestSynth.h"

#include "vst/PluginEntry.h"

// The factory the entry point calls: the vst tests stand in for the product.
juce::AudioProcessor* createPluginFilter()
{
    if (factoryConfig.returnNull)
        return nullptr;

    auto* synth = new TestSynth();
    ++factoryConfig.numCreated;
    return synth;
}
