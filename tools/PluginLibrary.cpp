#include "tools/PluginLibrary.h"

#include <cstring>
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

    return std::strcmp (info.dli_fname, map->l_name) == 0;
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

juce::String PluginLibrary::describe (const std::filesystem::path& path)
{
    return juce::String (path.native());
}

std::unique_ptr<PluginLibrary> PluginLibrary::open (const std::filesystem::path& given,
                                                    juce::String& errorText)
{
    namespace fs = std::filesystem;

    // A name without a slash would send dlopen through the loader's search path.
    std::error_code error;
    const auto path = fs::absolute (given, error).lexically_normal();
    const auto status = fs::status (path, error);

    if (fs::is_directory (status))
    {
        errorText = describe (path) + " is a folder, not a plug-in library";
        return nullptr;
    }

    if (!fs::exists (status))
    {
        errorText = "no such file: " + describe (path);
        return nullptr;
    }

    // Opening a FIFO would wait for a writer forever.
    if (!fs::is_regular_file (status))
    {
        errorText = describe (path) + " is not a regular file, not a plug-in library";
        return nullptr;
    }

    // RTLD_LOCAL keeps the plug-in's symbols from resolving another plug-in's; RTLD_NOW reports a missing
    // library or symbol here instead of as a crash in the middle of a render.
    void* const handle = dlopen (path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        errorText = "cannot load " + describe (path) + ": " + lastDlError();
        return nullptr;
    }

    const EntryPoint entryPoint = findEntryPoint (handle);
    if (entryPoint == nullptr)
    {
        dlclose (handle);
        errorText = describe (path) + " is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main";
        return nullptr;
    }

    errorText.clear();
    return std::unique_ptr<PluginLibrary> (new PluginLibrary (handle, path, entryPoint));
}

PluginLibrary::PluginLibrary (void* libraryHandle, std::filesystem::path libraryPath, EntryPoint entry)
    : handle (libraryHandle)
    , path (std::move (libraryPath))
    , entryPoint (entry)
{
}

PluginLibrary::~PluginLibrary()
{
    dlclose (handle);
}
