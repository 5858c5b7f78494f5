#include "PanelSkin.h"

#include "PanelArtwork.h"
#include "PanelLayout.h"

namespace
{
const char* const backgroundResource = "PanelBackground.png";

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

PanelSkin::File pngFile (const juce::String& resource, const juce::Image& image)
{
    juce::MemoryOutputStream out;
    juce::PNGImageFormat().writeImageToStream (image, out);
    return {"skin/" + resource, out.getMemoryBlock()};
}
} // namespace

namespace PanelSkin
{
std::vector<File> makeFiles()
{
    const auto design = PanelLayout::makeDesign();
    std::vector<File> files;

    juce::MemoryOutputStream description;
    PanelLayout::makeSkinXml (design, backgroundResource)->writeTo (description);
    files.push_back ({"skin.xml", description.getMemoryBlock()});

    for (const auto& strip : PanelLayout::getStrips())
        files.push_back (pngFile (strip.resource, PanelArtwork::makeStrip (strip.width, strip.frameHeight,
                                                                           strip.framesNum, strip.paint)));
    files.push_back (pngFile (backgroundResource, paintBackground (design)));
    return files;
}
} // namespace PanelSkin
