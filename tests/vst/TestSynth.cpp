#include "TestSynth.h"

#include "vst/PluginEntry.h"

FactoryConfig& factoryConfig()
{
    static FactoryConfig config;
    return config;
}

// The factory the entry point calls: the vst tests stand in for the product.
juce::AudioProcessor* createPluginFilter()
{
    auto& config = factoryConfig();

    if (config.returnNull)
        return nullptr;

    auto* synth = new TestSynth();
    ++config.numCreated;
    return synth;
}
