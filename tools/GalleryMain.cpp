// kelvanor_gallery: renders every picture of the look and feel, the widgets and the editor's windows to
// PNG files, headless (no display needed).
//
//   kelvanor_gallery OUTPUT_FOLDER            every scene, as OUTPUT_FOLDER/<name>.png
//   kelvanor_gallery --update-golden FOLDER   only the text-free reference scenes (tests/golden)

#include "tools/GalleryScenes.h"

#include <iostream>

namespace
{
bool writePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    return out.openedOk() && png.writeImageToStream (image, out);
}

int run (const juce::StringArray& args)
{
    const bool golden = args.size() == 2 && args[0] == "--update-golden";
    if (!(golden || (args.size() == 1 && !args[0].startsWith ("-"))))
    {
        std::cerr << "usage: kelvanor_gallery OUTPUT_FOLDER | --update-golden FOLDER\n";
        return 2;
    }

    const juce::File folder = juce::File::getCurrentWorkingDirectory().getChildFile (args[args.size() - 1]);
    if (!folder.createDirectory())
    {
        std::cerr << "cannot create " << folder.getFullPathName() << "\n";
        return 1;
    }

    auto scenes = skinGalleryScenes();
    if (!golden)
        for (const auto& source : GalleryRegistry::sources())
            for (auto& scene : source())
                scenes.push_back (std::move (scene));

    int written = 0;
    for (const auto& scene : scenes)
    {
        if (golden && !scene.reference)
            continue;
        const auto file = folder.getChildFile (scene.name + ".png");
        if (!writePng (scene.render(), file))
        {
            std::cerr << "cannot write " << file.getFullPathName() << "\n";
            return 1;
        }
        ++written;
    }
    std::cout << written << " pictures in " << folder.getFullPathName() << "\n";
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));
    return run (args);
}
