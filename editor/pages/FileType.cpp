#include "editor/pages/FileType.h"

void FileType::setMapFileExtension (const juce::String& extension)
{
    mapFileExtension = extension.toLowerCase();
    setMapFileWildcard ("*" + mapFileExtension);
}
