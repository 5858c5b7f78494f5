#include "editor/pages/FileType.h"

void FileType::setMapFileExtension (const juce::String& extension)
{
    mapFileExtension = extension.toLowerCase();
    setMapFileWildcard ("*" + mapFileExtension);
}

juce::File FileType::withMapFileExtension (const juce::File& chosen) const
{
    if (mapFileExtension.isEmpty() || chosen == juce::File())
        return chosen;
    return chosen.withFileExtension (mapFileExtension);
}
