#pragma once

#include "vst/VstAbi.h"

#include <juce_core/juce_core.h>

#include <memory>

/** A VST 2.4 plug-in's shared library, open for as long as the object lives.

    Holds the dlopen handle and finds the entry point; creating and deleting effects is HostedPlugin's
    job. Every effect made from the library must be closed before the library is destroyed.
*/
class PluginLibrary
{
public:
    using EntryPoint = AEffect* (*) (audioMasterCallback);

    /** Opens the library at path; on failure gives null and a reason in errorText. */
    static std::unique_ptr<PluginLibrary> open (const juce::File& path, juce::String& errorText);

    ~PluginLibrary();

    PluginLibrary (const PluginLibrary&) = delete;
    PluginLibrary& operator= (const PluginLibrary&) = delete;

    /** VSTPluginMain, or the older name main; null when the library exports neither. */
    EntryPoint getEntryPoint() const { return entryPoint; }

    const juce::File& getFile() const { return file; }

private:
    PluginLibrary (void* handle, const juce::File& file, EntryPoint entryPoint);

    void* handle;
    juce::File file;
    EntryPoint entryPoint;
};
