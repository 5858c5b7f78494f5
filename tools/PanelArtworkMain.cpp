// Draws the product's front panel: every film strip, the panel's background with its silk-screened labels,
// and the skin description that places the controls on it.
//
//   kelvanor_skin_artwork <resources folder>
//
// writes <folder>/skin.xml and <folder>/skin/*.png. The output depends on nothing but this source and the
// embedded font, so running it again gives the same files.

#include "PanelArtwork.h"
#include "PanelLayout.h"

#include <cstdio>
#include <juce_events/juce_events.h>

namespace
{
const char* const backgroundResource = "PanelBackground.png";

bool writePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    return out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out);
}

void paintSymbol (juce::Graphics& g, PanelLayout::Legend::Symbol symbol, juce::Rectangle<int> area)
{
    const auto r = area.toFloat().reduced (1.0f, 2.0f);
    juce::Path p;
    if (symbol == PanelLayout::Legend::Symbol::sawtooth)
    {
        p.startNewSubPath (r.getX(), r.getBottom());
        p.lineTo (r.getCentreX(), r.getY());
        p.lineTo (r.getCentreX(), r.getBottom());
        p.lineTo (r.getRight(), r.getY());
        p.lineTo (r.getRight(), r.getBottom());
    }
    else
    {
        p.startNewSubPath (r.getX(), r.getBottom());
        p.lineTo (r.getX(), r.getY());
        p.lineTo (r.getCentreX(), r.getY());
        p.lineTo (r.getCentreX(), r.getBottom());
        p.lineTo (r.getRight(), r.getBottom());
        p.lineTo (r.getRight(), r.getY());
    }
    g.setColour (PanelArtwork::Palette::silk);
    g.strokePath (p,
                  juce::PathStrokeType (1.3f, juce::PathStrokeType::mitered, juce::PathStrokeType::square));
}

juce::Image paintBackground (const PanelLayout::Design& design)
{
    using namespace PanelArtwork;
    juce::Image big (juce::Image::ARGB, 2 * design.width, 2 * design.height, true);
    {
        juce::Graphics g (big);
        g.addTransform (juce::AffineTransform::scale (2.0f));
        paintFace (g, {0, 0, design.width, design.height});

        g.setColour (Palette::faceDark.withAlpha (0.55f));
        g.fillRect (0.0f, 0.0f, (float) design.width, 56.0f);
        g.setColour (Palette::engraveDark);
        g.fillRect (0.0f, 56.0f, (float) design.width, 1.0f);
        g.setColour (Palette::engraveLight);
        g.fillRect (0.0f, 57.0f, (float) design.width, 1.0f);

        paintLogo (g, {24.0f, 10.0f, 320.0f, 40.0f});
        for (auto p :
             {juce::Point<float> (9.0f, 9.0f), juce::Point<float> ((float) design.width - 9.0f, 9.0f),
              juce::Point<float> (9.0f, (float) design.height - 7.0f),
              juce::Point<float> ((float) design.width - 9.0f, (float) design.height - 7.0f)})
            paintScrew (g, p);

        for (const auto& s : design.sections)
            paintSection (g, s.bounds.toFloat(), s.title, s.hue);
        for (const auto& w : design.windows)
            paintWindow (g, w.toFloat());
        g.setColour (Palette::silkDim);
        for (const auto& rule : design.rules)
            g.drawLine (rule, 1.0f);

        for (const auto& t : design.texts)
            paintSilk (g, t.text, t.area.toFloat(), t.justification, 10.0f, t.bold,
                       t.dim ? Palette::silkDim : Palette::silk);

        for (const auto& c : design.controls)
            for (const auto& end : c.ends)
                if (end.symbol != PanelLayout::Legend::Symbol::none)
                    paintSymbol (g, end.symbol, end.area);
                else
                    paintSilk (g, end.word, end.area.toFloat(), juce::Justification::centred, 10.0f, false,
                               Palette::silk);

        for (const auto& c : design.controls)
            if (const auto area = PanelLayout::labelBox (c); !area.isEmpty())
                paintSilk (g, c.label, area, juce::Justification::centred, PanelLayout::labelTextHeight, true,
                           Palette::silk);
    }
    return PanelArtwork::halve (big).convertedToFormat (juce::Image::RGB);
}

int run (const juce::File& folder)
{
    const auto images = folder.getChildFile ("skin");
    if (!images.createDirectory())
    {
        std::fprintf (stderr, "kelvanor_skin_artwork: cannot create %s\n",
                      images.getFullPathName().toRawUTF8());
        return 1;
    }

    juce::int64 total = 0;
    for (const auto& strip : PanelLayout::getStrips())
    {
        const auto file = images.getChildFile (strip.resource);
        if (!writePng (PanelArtwork::makeStrip (strip.width, strip.frameHeight, strip.framesNum, strip.paint),
                       file))
        {
            std::fprintf (stderr, "kelvanor_skin_artwork: cannot write %s\n",
                          file.getFullPathName().toRawUTF8());
            return 1;
        }
        total += file.getSize();
    }

    const auto design = PanelLayout::makeDesign();
    const auto background = images.getChildFile (backgroundResource);
    if (!writePng (paintBackground (design), background))
    {
        std::fprintf (stderr, "kelvanor_skin_artwork: cannot write %s\n",
                      background.getFullPathName().toRawUTF8());
        return 1;
    }
    total += background.getSize();

    const auto skin = folder.getChildFile ("skin.xml");
    if (!PanelLayout::makeSkinXml (design, backgroundResource)->writeTo (skin))
    {
        std::fprintf (stderr, "kelvanor_skin_artwork: cannot write %s\n", skin.getFullPathName().toRawUTF8());
        return 1;
    }

    std::printf ("%s: %d controls on %d x %d; images %lld bytes\n", skin.getFullPathName().toRawUTF8(),
                 (int) design.controls.size(), design.width, design.height, (long long) total);
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
