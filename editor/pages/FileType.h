#pragma once

#include <juce_core/juce_core.h>

/** The kind of file a map page loads and saves: its extension (with the dot, always lower-case) and the
    pattern its file choosers show. Message thread only. */
class FileType
{
public:
    virtual ~FileType() = default;

    /** Stores the extension lower-cased and sets the pattern "*" + the extension. */
    void setMapFileExtension (const juce::String& extension);
    const juce::String& getMapFileExtension() const noexcept { return mapFileExtension; }

    /** Pages also hand the pattern to their path field. */
    virtual void setMapFileWildcard (const juce::String& wildcard) { mapFileWildcard = wildcard; }
    const juce::String& getMapFileWildcard() const noexcept { return mapFileWildcard; }

private:
    juce::String mapFileExtension;
    juce::String mapFileWildcard;
};
