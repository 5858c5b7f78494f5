#include "tools/PluginLibrary.h"

#include <dlfcn.h>
#include <link.h>

namespace
{
juce::String lastDlError()
{
    const char* const text = dlerror();
    return text != nullptr ? juce::String (text) : juce::String ("unknown dynamic loader error");
}

// dlsym on a library handle also searches the libraries it depends on; a "main" found there is not a
// plug-in entry, so only a symbol defined by the library itself counts.
bool isDefinedIn (void* handle, void* symbol)
{
    link_map* map = nullptr;
    if (dlinfo (handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr)
        return false;

    Dl_info info{};
    if (dladdr (symbol, &info) == 0 || info.dli_fname == nullptr || map->l_name == nullptr)
        return false;

    return juce::File (info.dli_fname) == juce::File (map->l_name);
}

PluginLibrary::EntryPoint findEntryPoint (void* handle)
{
    if (void* const symbol = dlsym (handle, "VSTPluginMain"))
        return reinterpret_cast<PluginLibrary::EntryPoint> (symbol);

    if (void* const symbol = dlsym (handle, "main"); symbol != nullptr && isDefinedIn (handle, symbol))
        return reinterpret_cast<PluginLibrary::EntryPoint> (symbol);

    return nullptr;
}
} // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::open (const juce::File& path, juce::String& errorText)
{
    if (path.isDirectory())
    {
        errorText = path.getFullPathName() + " is a folder, not a plug-in library";
        return nullptr;
    }

    if (!path.existsAsFile())
    {
        errorText = "no such file: " + path.getFullPathName();
        return nullptr;
    }

    // RTLD_LOCAL keeps the plug-in's symbols from resolving another plug-in's; RTLD_NOW reports a missing
    // library or symbol here instead of as a crash in the middle of a render.
    void* const handle = dlopen (path.getFullPathName().toRawUTF8(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        errorText = "cannot load " + path.getFullPathName() + ": " + lastDlError();
        return nullptr;
    }

    const EntryPoint entryPoint = findEntryPoint (handle);
    if (entryPoint == nullptr)
    {
        dlclose (handle);
        errorText =
            path.getFullPathName() + " is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main";
        return nullptr;
    }

    errorText.clear();
    return std::unique_ptr<PluginLibrary> (new PluginLibrary (handle, path, entryPoint));
}

PluginLibrary::PluginLibrary (void* libraryHandle, const juce::File& libraryFile, EntryPoint entry)
    : handle (libraryHandle)
    , file (libraryFile)
    , entryPoint (entry)
{
}

PluginLibrary::~PluginLibrary()
{
    dlclose (handle);
}
