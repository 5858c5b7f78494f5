#pragma once

#include <juce_core/juce_core.h>
#include <vector>

/** The product's built-in skin as its generator makes it: the description and every picture, drawn from
    the panel's layout (PanelLayout) by its painters (PanelArtwork). The artwork tool writes these files
    into resources/; the tests compare them with what the plug-in embeds. Message thread (fonts). */
namespace PanelSkin
{
/** One file of the skin, by its path below the resources folder ("skin.xml", "skin/Led.png"). */
struct File
{
    juce::String path;
    juce::MemoryBlock bytes;
};

/** Every file of the skin: the description first, then the film strips and the panel's background. The
    same source and embedded font always give the same bytes. */
std::vector<File> makeFiles();
} // namespace PanelSkin
