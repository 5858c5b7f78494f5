#include "framework/PresetCollection.h"

#include "framework/NaturalCompare.h"

#include <filesystem>

namespace
{
/** Orders the items by naturalCompare of their keys; the ranking tolerates the comparison's ties. */
template <typename Item, typename KeyFunction>
void sortNaturally (juce::Array<Item>& items, KeyFunction keyOf)
{
    juce::StringArray keys;

    for (const auto& item : items)
        keys.add (keyOf (item));

    const auto order = naturalOrder (keys);
    juce::Array<Item> sorted;
    sorted.ensureStorageAllocated (items.size());

    for (const int index : order)
        sorted.add (items.getReference (index));

    items.swapWith (sorted);
}

juce::String nameWithoutExtension (const juce::String& path)
{
    return juce::File (path).getFileNameWithoutExtension();
}

void sortFiles (juce::StringArray& files)
{
    sortNaturally (files.strings, nameWithoutExtension);
}

void sortChildren (juce::OwnedArray<PresetCollection::Folder>& children)
{
    // The pointers are reordered in place; ownership stays with the array.
    juce::Array<PresetCollection::Folder*> order (children.begin(), children.size());
    sortNaturally (order, [] (const PresetCollection::Folder* f) { return nameWithoutExtension (f->path); });

    for (int i = 0; i < order.size(); ++i)
        children.getRawDataPointer()[i] = order.getUnchecked (i);
}

/** The folder's real path, so that a link back to a folder already scanned is recognised. */
juce::String realPath (const juce::File& folder)
{
    std::error_code error;
    const auto canonical = std::filesystem::canonical (folder.getFullPathName().toStdString(), error);
    return error ? folder.getFullPathName() : juce::String (canonical.string());
}
} // namespace

PresetCollection::PresetCollection (const juce::String& collectionName, const juce::File& folder,
                                    const juce::String& fileExtension)
    : name (collectionName)
    , extension (fileExtension)
{
    root.path = folder.getFullPathName();
}

PresetCollection::~PresetCollection()
{
    cancelPendingUpdate();
}

//==============================================================================
void PresetCollection::rescan()
{
    clearFolderTree();
    scanDirectory (root);
    clear();
}

void PresetCollection::scanDirectory (Folder& folder)
{
    juce::StringArray visited;
    scanDirectory (folder, visited);
}

void PresetCollection::scanDirectory (Folder& folder, juce::StringArray& visitedFolders)
{
    const juce::File directory (folder.path);

    if (folder.path.isEmpty() || !directory.isDirectory())
        return;

    // A link to a folder above this one would otherwise recurse until the stack runs out.
    const auto real = realPath (directory);

    if (visitedFolders.contains (real))
        return;

    visitedFolders.add (real);

    // Matched ignoring case, so "Bass.KLPRS" counts on case-sensitive file systems too.
    const auto pattern = "*" + extension;

    for (const auto& entry : juce::RangedDirectoryIterator (directory, false, "*", juce::File::findFiles))
    {
        const auto& file = entry.getFile();

        if (file.getFileName().matchesWildcard (pattern, true) &&
            !folder.presetFiles.contains (file.getFullPathName(), true))
            folder.presetFiles.add (file.getFullPathName());
    }

    for (const auto& entry :
         juce::RangedDirectoryIterator (directory, false, "*", juce::File::findDirectories))
    {
        auto child = std::make_unique<Folder>();
        child->path = entry.getFile().getFullPathName();
        scanDirectory (*child, visitedFolders);
        folder.children.add (child.release());
    }

    sortFiles (folder.presetFiles);
    sortChildren (folder.children);
}

void PresetCollection::addPresetFile (const juce::File& file)
{
    const juce::File rootFolder (root.path);

    if (file.getFullPathName().isEmpty() || !file.existsAsFile() || root.path.isEmpty() ||
        !file.isAChildOf (rootFolder))
        return;

    juce::Array<juce::File> chain;

    for (auto folder = file.getParentDirectory(); folder != rootFolder; folder = folder.getParentDirectory())
        chain.insert (0, folder);

    Folder* node = &root;

    for (const auto& folder : chain)
    {
        const auto path = folder.getFullPathName();
        Folder* next = nullptr;

        for (auto* child : node->children)
            if (child->path.equalsIgnoreCase (path))
                next = child;

        if (next == nullptr)
        {
            next = node->children.add (new Folder());
            next->path = path;
            sortChildren (node->children);
        }

        node = next;
    }

    if (!node->presetFiles.contains (file.getFullPathName(), true))
    {
        node->presetFiles.add (file.getFullPathName());
        sortFiles (node->presetFiles);
    }

    clear();
}

void PresetCollection::clear()
{
    cache.clear();
    loadedPresets.clear();
    presets.clear();
    folders.clear();
    flatten (root);
    triggerAsyncUpdate();
}

void PresetCollection::flatten (const Folder& folder)
{
    presets.addArray (folder.presetFiles);

    for (auto* child : folder.children)
        folders.add (child);

    for (const auto* child : folder.children)
        flatten (*child);
}

void PresetCollection::clearFolderTree()
{
    // The folder list points into the tree: empty it with the tree.
    folders.clear();
    root.children.clear();
    root.presetFiles.clear();
}

//==============================================================================
FilePreset* PresetCollection::getPreset (int index, ParameterManager& manager)
{
    const auto path = getPresetFile (index);

    if (path.isEmpty())
        return nullptr;

    if (auto* cached = cache[path])
        return cached;

    auto* preset = loadedPresets.add (new FilePreset (juce::File (path)));
    preset->loadFromFile (juce::File (path), manager, false);
    cache.set (path, preset);
    return preset;
}

juce::String PresetCollection::getPresetFilePath (const juce::File& file) const
{
    const juce::File rootFolder (root.path);
    return rootFolder.getFileName() + juce::File::getSeparatorString() +
           file.getRelativePathFrom (rootFolder);
}

const PresetCollection::Folder* PresetCollection::findFolder (const juce::String& path) const
{
    if (path.equalsIgnoreCase (root.path))
        return &root;

    for (const auto* folder : folders)
        if (folder->path.equalsIgnoreCase (path))
            return folder;

    return nullptr;
}

//==============================================================================
void PresetCollection::addListener (Listener* listener)
{
    listeners.add (listener);
}

void PresetCollection::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

void PresetCollection::handleAsyncUpdate()
{
    listeners.call ([this] (Listener& l) { l.presetCollectionChanged (this); });
}
