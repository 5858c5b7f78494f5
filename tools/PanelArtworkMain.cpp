// Draws the product's front panel: every film strip, the panel's background with its silk-screened labels,
// and the skin description that places the controls on it.
//
//   kelvanor_skin_artwork <resources folder>
//
// writes <folder>/skin.xml and <folder>/skin/*.png. The output depends on nothing but this source and the
// embedded font, so running it again gives the same files; the skin lint test fails when the files in
// resources/ are not these.

#include "PanelSkin.h"

#include <cstdio>
#include <juce_events/juce_events.h>

namespace
{
int run (const juce::File& folder)
{
    if (!folder.getChildFile ("skin").createDirectory())
    {
        std::fprintf (stderr, "kelvanor_skin_artwork: cannot create %s\n",
                      folder.getChildFile ("skin").getFullPathName().toRawUTF8());
        return 1;
    }

    const auto files = PanelSkin::makeFiles();
    size_t total = 0;
    for (const auto& f : files)
    {
        const auto file = folder.getChildFile (f.path);
        if (!file.replaceWithData (f.bytes.getData(), f.bytes.getSize()))
        {
            std::fprintf (stderr, "kelvanor_skin_artwork: cannot write %s\n",
                          file.getFullPathName().toRawUTF8());
            return 1;
        }
        total += f.bytes.getSize();
    }

    std::printf ("%s: %d files, %zu bytes\n", folder.getFullPathName().toRawUTF8(), (int) files.size(),
                 total);
    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: kelvanor_skin_artwork <resources folder>\n");
        return 2;
    }
    const juce::ScopedJuceInitialiser_GUI juce;
    return run (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
}
