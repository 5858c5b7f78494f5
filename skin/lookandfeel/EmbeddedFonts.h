#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The sans-serif faces compiled into the library, metric compatible with the face the layouts were made
    for, so that text has the same widths on every machine, with or without fonts installed: the regular
    face is "tahoma.ttf" in resources/; the bold one is drawn from "DejaVuSansCondensed-Bold.ttf" (a bold of
    the same lineage whose advances match the layouts' bold widths once scaled), scaled to the regular
    face's capital height and named like it.

    JUCE resolves a font's typeface through the process's default look and feel. install() makes that one
    map "Tahoma", the default sans-serif name and any face the machine lacks onto the embedded faces, so
    that a font derived from ours (made bold or italic, resized) still finds a face and never measures 0
    wide. Message thread.
*/
class EmbeddedFonts
{
public:
    /** The family name the embedded faces carry and the layouts ask for. */
    static constexpr const char* familyName = "Tahoma";

    /** The embedded faces, loaded once per process; never null while the resources are there. */
    static juce::Typeface::Ptr getRegular();
    static juce::Typeface::Ptr getBold();

    /** A font on the embedded face with that height and style flags. */
    static juce::Font makeFont (float height, int styleFlags);

    /** The typeface for a font: the embedded face for "Tahoma" and the default sans-serif name (bold when
        the style asks for it); for other names the machine's face, unless the machine has no such face
        (it would have no glyphs), in which case the embedded face stands in. */
    static juce::Typeface::Ptr resolve (const juce::Font& font);

    /** Once per process: makes the default look and feel resolve fonts as above. Called by every
        DefaultLookAndFeel; harmless to call again. */
    static void install();
};
