#pragma once

#include "vst/VstAbi.h"

namespace juce
{
class AudioProcessor;
}

/** The product's one factory: a new, fully initialised processor, or null when it could not be made.
    Defined by the product; the wrapper code never names the product class. Called on the host's
    thread with the message manager locked. */
juce::AudioProcessor* createPluginFilter();

/** Builds one plug-in instance for the host: null when the host is no VST 2 host (it answers 0 to the
    version query), when no processor could be made, or when anything on the way throws. */
AEffect* pluginEntryPoint (audioMasterCallback audioMaster);

/** The library's export, called by the host once per instance. Hosts that look for "main" instead
    find the same function under that name (the shared library's link defines the alias). */
extern "C" __attribute__ ((visibility ("default"))) AEffect* VSTPluginMain (audioMasterCallback audioMaster);
