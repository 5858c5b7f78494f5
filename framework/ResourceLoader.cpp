#include "framework/ResourceLoader.h"

#include <limits>

namespace
{
struct ResourceName
{
    juce::String name;
    juce::String type;
};

/** Split at the last dot: "skin.v2.png" is name "skin.v2", type "png"; no dot leaves the type empty. */
ResourceName splitResourceName (const juce::String& fileName)
{
    const int dot = fileName.lastIndexOfChar ('.');
    if (dot < 0)
        return {fileName, {}};

    return {fileName.substring (0, dot), fileName.substring (dot + 1)};
}

const EmbeddedResourceEntry* findUsableEntry (const juce::String& name)
{
    const auto* entry = findResourceEntry (embeddedResourceTable, embeddedResourceCount, name);

    // JUCE sizes its buffers and strings with int: anything larger is treated as missing.
    if (entry == nullptr || entry->data == nullptr || entry->size == 0 ||
        entry->size > (std::size_t) std::numeric_limits<int>::max())
        return nullptr;

    return entry;
}
} // namespace

const EmbeddedResourceEntry* findResourceEntry (const EmbeddedResourceEntry* table, int count,
                                                const juce::String& name)
{
    if (table == nullptr)
        return nullptr;

    const auto wanted = splitResourceName (name);

    for (int i = 0; i < count && table[i].fileName != nullptr; ++i)
    {
        const auto candidate = splitResourceName (juce::String::fromUTF8 (table[i].fileName));
        if (candidate.name.equalsIgnoreCase (wanted.name) && candidate.type.equalsIgnoreCase (wanted.type))
            return table + i;
    }

    return nullptr;
}

std::unique_ptr<juce::MemoryBlock> getResourceData (const juce::String& name)
{
    if (const auto* entry = findUsableEntry (name))
        return std::make_unique<juce::MemoryBlock> (entry->data, entry->size);

    return nullptr;
}

juce::String getResourceAsString (const juce::String& name)
{
    if (const auto* entry = findUsableEntry (name))
        return juce::String::fromUTF8 (reinterpret_cast<const char*> (entry->data), (int) entry->size);

    return {};
}

juce::Image getResourceAsImage (const juce::String& name)
{
    if (const auto* entry = findUsableEntry (name))
        return juce::ImageFileFormat::loadFrom (entry->data, entry->size);

    return {};
}
