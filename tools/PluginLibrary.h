#pragma once

#include "vst/VstAbi.h"

#include <juce_core/juce_core.h>

#include <filesystem>
#include <memory>

/** A VST 2.4 plug-in's shared library, open for as long as the object lives.

    Holds the dlopen handle and finds the entry point; creating and deleting effects is HostedPlugin's
    job. Every effect made from the library must be closed before the library is destroyed.
*/
class PluginLibrary
{
public:
    using EntryPoint = AEffect* (*) (audioMasterCallback);

    /** Opens the library at path, whose bytes need not be UTF-8: it is loaded by them as they are, so the
        plug-in finds its own file where it lies. A path without a folder is taken from the current one,
        never from the loader's search path. On failure gives null and a reason in errorText. */
    static std::unique_ptr<PluginLibrary> open (const std::filesystem::path& path, juce::String& errorText);

    static std::unique_ptr<PluginLibrary> open (const juce::File& path, juce::String& errorText)
    {
        return open (std::filesystem::path (path.getFullPathName().toStdString()), errorText);
    }

    ~PluginLibrary();

    PluginLibrary (const PluginLibrary&) = delete;
    PluginLibrary& operator= (const PluginLibrary&) = delete;

    /** VSTPluginMain, or the older name main; null when the library exports neither. */
    EntryPoint getEntryPoint() const { return entryPoint; }

    /** The path the library was loaded by, absolute. */
    const std::filesystem::path& getPath() const { return path; }

    /** A path as text for messages: what is not UTF-8 in it shows as replacement characters. */
    static juce::String describe (const std::filesystem::path& path);

private:
    PluginLibrary (void* handle, std::filesystem::path path, EntryPoint entryPoint);

    void* handle;
    std::filesystem::path path;
    EntryPoint entryPoint;
};
