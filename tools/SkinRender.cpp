// Renders a skin's panel to a PNG, headless, for eyes: the built-in skin, or any user skin archive.
//
//   kelvanor_skin_render [--skin <file.zebskin>] [--scale <factor>] <output.png>
//
// The panel is built exactly as the editor builds it, bound to a fresh processor (default values), and
// drawn with createComponentSnapshot, so no display is needed. A user skin is read from a private copy
// of the skins folder: the real application-data folders are never touched.

#include "engine/Kelvanor.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/SkinSource.h"

#include <cstdio>
#include <juce_events/juce_events.h>

namespace
{
int usage()
{
    std::fprintf (stderr,
                  "usage: kelvanor_skin_render [--skin <file.zebskin>] [--scale <factor>] <output.png>\n");
    return 2;
}

int fail (const juce::String& message)
{
    std::fprintf (stderr, "kelvanor_skin_render: %s\n", message.toRawUTF8());
    return 1;
}

/** The panel's picture at that scale as a PNG file. The panel's size is checked as the editor checks it,
    for the editor's window with its status bar below the panel (the rows of the look and feel's status
    bar), so that a skin the tool refuses is one the plug-in refuses; then the picture's size after
    scaling, as the snapshot rounds it: a small panel scaled down may have none left, which libpng refuses
    by aborting, and a picture is no window, so only its pixels count at the scale. */
int write (GFXPanel& panel, float scale, const juce::File& output)
{
    const int rowsBelow = DefaultLookAndFeel().getStatusBarHeight();
    using Problem = GFXPanel::SizeProblem;
    if (const auto problem = GFXPanel::findSizeProblem (panel.getWidth(), panel.getHeight(), rowsBelow, 1.0f);
        problem != Problem::none)
        return fail ("the plug-in would refuse the skin: " + GFXPanel::describeSizeProblem (problem));

    const auto atScale = "at scale " + juce::String (scale) + " ";
    switch (const auto problem =
                GFXPanel::findSizeProblem (panel.getWidth(), panel.getHeight(), rowsBelow, scale))
    {
        case Problem::noSizeAtScale:
        case Problem::tooManyPixelsAtScale:
            return fail (atScale +
                         "the panel's picture cannot be drawn: " + GFXPanel::describeSizeProblem (problem));
        case Problem::none:
        case Problem::noSize:        // found at the panel's own size above
        case Problem::tooManyPixels: // the same
        case Problem::windowTooWide: // a picture is no window
        case Problem::windowTooHigh: break;
    }

    const int width = juce::roundToInt (scale * (float) panel.getWidth());
    const int height = juce::roundToInt (scale * (float) panel.getHeight());
    const auto image = panel.createComponentSnapshot (panel.getLocalBounds(), true, scale);
    if (image.getWidth() != width || image.getHeight() != height)
        return fail (atScale + "the panel's picture could not be drawn");

    output.deleteFile();
    juce::FileOutputStream out (output);
    if (!out.openedOk() || !juce::PNGImageFormat().writeImageToStream (image, out))
        return fail ("cannot write " + output.getFullPathName());

    std::printf ("%s: %d x %d, %d controls\n", output.getFullPathName().toRawUTF8(), image.getWidth(),
                 image.getHeight(), panel.getNumControls());
    return 0;
}

int render (const juce::File& skinFile, float scale, const juce::File& output)
{
    // A private application-data folder: the processor reads no settings of the user's, and a user skin is
    // copied into its skins folder, the one place a skin source looks.
    const auto folders = juce::File::createTempFile ("kelvanor-skin-render");
    folders.createDirectory();
    BasePlugin::overrideApplicationDataFolders (folders.getChildFile ("user"),
                                                folders.getChildFile ("common"));

    int result = 0;
    {
        Kelvanor processor;
        juce::String skinName;
        if (skinFile != juce::File())
        {
            skinName = skinFile.getFileNameWithoutExtension();
            const auto copy = SkinSource::getSkinsDirectory (processor).getChildFile (skinFile.getFileName());
            if (!copy.getParentDirectory().createDirectory() || !skinFile.copyFileTo (copy))
                result = fail ("cannot copy " + skinFile.getFullPathName());
        }

        if (result == 0)
        {
            SkinSource source (processor, skinName);
            juce::MidiKeyboardState keyboard;
            source.setKeyboardState (&keyboard);
            const auto panel = source.createEditorPanel();

            if (panel == nullptr)
                result = fail (skinName.isEmpty() ? juce::String ("the built-in skin cannot be read")
                                                  : "the skin cannot be read, its checksum does not match or "
                                                    "its images have more pixels than a skin may have");
            else
                result = write (*panel, scale, output);
        }
    }

    BasePlugin::overrideApplicationDataFolders ({}, {});
    folders.deleteRecursively();
    return result;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::File skinFile, output;
    float scale = 1.0f;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);
        if (arg == "--skin" && i + 1 < argc)
            skinFile = juce::File::getCurrentWorkingDirectory().getChildFile (argv[++i]);
        else if (arg == "--scale" && i + 1 < argc)
            scale = juce::String (argv[++i]).getFloatValue();
        else if (arg.startsWith ("-") || output != juce::File())
            return usage();
        else
            output = juce::File::getCurrentWorkingDirectory().getChildFile (arg);
    }

    if (output == juce::File() || !(scale > 0.0f && scale <= 8.0f))
        return usage();
    if (skinFile != juce::File() && !skinFile.existsAsFile())
        return fail ("no such file: " + skinFile.getFullPathName());

    const juce::ScopedJuceInitialiser_GUI juce;
    return render (skinFile, scale, output);
}
