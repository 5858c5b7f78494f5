#pragma once

#include "framework/ListenerArray.h"
#include "framework/Preset.h"

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

class ParameterManager;

/** A folder of preset files: a tree of sub-folders scanned from disk, sorted in natural order
    (naturalCompare of the names without extension), flattened into one list of preset file paths in tree
    order, with presets loaded on demand and cached until the next rebuild.

    Used on the message thread (the author update rescans it from its own thread while the editor is
    blocked); the change notice is delivered on the message thread. */
class PresetCollection : private juce::AsyncUpdater
{
public:
    /** Called on the message thread after each rebuild. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void presetCollectionChanged (PresetCollection* collection) = 0;
    };

    /** One folder of the tree: its children sorted, its preset files sorted, no two equal ignoring case. */
    struct Folder
    {
        juce::String path;
        juce::OwnedArray<Folder> children;
        juce::StringArray presetFiles;
    };

    /** Empty until scanned. The extension (with its dot) selects the preset files, ignoring case. */
    PresetCollection (const juce::String& name, const juce::File& folder, const juce::String& extension);
    ~PresetCollection() override;

    const juce::String& getName() const noexcept { return name; }
    juce::File getFolder() const { return juce::File (root.path); }
    const juce::String& getExtension() const noexcept { return extension; }

    //==============================================================================
    /** Drops the tree, scans the folder again and rebuilds. */
    void rescan();

    /** Adds the preset files and sub-folders (depth first) under the node's folder, when it is an existing
        folder, then sorts the node's files and children. Folders reached twice through links are skipped. */
    void scanDirectory (Folder& folder);

    /** Adds one file (a preset just saved) to the tree, creating the folders between; nothing for an empty
        path, a folder, a missing file or a file outside the collection's folder. */
    void addPresetFile (const juce::File& file);

    /** Drops the loaded presets, rebuilds the flat lists from the tree and sends the change notice. */
    void clear();

    /** Drops the whole tree below the root (the flat lists keep their paths until the next clear). */
    void clearFolderTree();

    //==============================================================================
    int getNumPresets() const { return presets.size(); }
    const juce::StringArray& getPresetFiles() const noexcept { return presets; }

    /** Empty out of range. */
    juce::String getPresetFile (int index) const { return presets[index]; }

    /** The index of a preset file path, ignoring case; -1 when absent. */
    int indexOfName (const juce::String& path) const { return presets.indexOf (path, true); }

    /** The preset at the index, loaded in full on first use and cached; null when the index has no path.
        A file that cannot be read gives an empty preset. */
    FilePreset* getPreset (int index, ParameterManager& manager);

    /** The collection folder's own name, a separator and the file's path relative to the collection folder.
     */
    juce::String getPresetFilePath (const juce::File& file) const;

    //==============================================================================
    const Folder& getRoot() const noexcept { return root; }
    /** All folders below the root in tree order. */
    const juce::Array<Folder*>& getFolders() const noexcept { return folders; }

    /** The root or a folder below it whose path equals the given one ignoring case; null when none. */
    const Folder* findFolder (const juce::String& path) const;

    //==============================================================================
    /** Message thread. Null and duplicates are ignored. */
    void addListener (Listener* listener);
    void removeListener (Listener* listener);

private:
    void handleAsyncUpdate() override;

    void scanDirectory (Folder& folder, juce::StringArray& visitedFolders);
    void flatten (const Folder& folder);

    juce::String name;
    juce::String extension;
    juce::StringArray presets;                      // flat list of preset file paths, tree order
    juce::OwnedArray<FilePreset> loadedPresets;     // the cache's storage
    juce::HashMap<juce::String, FilePreset*> cache; // path to preset; not owning
    juce::Array<Folder*> folders;                   // every folder below the root, tree order; not owning
    Folder root;
    ListenerArray<Listener> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetCollection)
};
