#include "PanelArtwork.h"

#include "skin/lookandfeel/EmbeddedFonts.h"

#include <cmath>

namespace PanelArtwork
{
namespace
{
constexpr float pi = juce::MathConstants<float>::pi;

/** The knob's sweep: 270 degrees centred on 12 o'clock, in JUCE's clockwise-from-top radians. */
constexpr float sweepStart = -0.75f * pi;
constexpr float sweepEnd = 0.75f * pi;

juce::Point<float> onCircle (juce::Point<float> centre, float radius, float angle)
{
    return centre.translated (radius * std::sin (angle), -radius * std::cos (angle));
}

void strokeArc (juce::Graphics& g, juce::Point<float> centre, float radius, float from, float to, float width)
{
    if (std::abs (to - from) < 1.0e-4f)
        return;
    juce::Path arc;
    arc.addCentredArc (centre.x, centre.y, radius, radius, 0.0f, juce::jmin (from, to), juce::jmax (from, to),
                       true);
    g.strokePath (arc,
                  juce::PathStrokeType (width, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}

void fillGradient (juce::Graphics& g, const juce::Path& shape, juce::Colour top, juce::Colour bottom,
                   juce::Rectangle<float> bounds)
{
    g.setGradientFill (juce::ColourGradient (top, bounds.getX(), bounds.getY(), bottom, bounds.getX(),
                                             bounds.getBottom(), false));
    g.fillPath (shape);
}

/** A light's glow: a radial fade of the glow colour from the centre to the radius. */
void paintGlow (juce::Graphics& g, juce::Point<float> centre, float radius, float alpha)
{
    juce::ColourGradient glow (Palette::ledGlow.withAlpha (alpha), centre.x, centre.y,
                               Palette::ledGlow.withAlpha (0.0f), centre.x + radius, centre.y, true);
    g.setGradientFill (glow);
    g.fillEllipse (juce::Rectangle<float> (2.0f * radius, 2.0f * radius).withCentre (centre));
}

/** A black knob cap with its shadow and rim, of radius r. */
void paintCap (juce::Graphics& g, juce::Point<float> c, float r)
{
    g.setColour (juce::Colours::black.withAlpha (0.45f));
    g.fillEllipse (
        juce::Rectangle<float> (2.0f * r + 2.0f, 2.0f * r + 2.0f).withCentre (c.translated (0.0f, 1.6f)));

    const auto outer = juce::Rectangle<float> (2.0f * r, 2.0f * r).withCentre (c);
    juce::Path body;
    body.addEllipse (outer);
    fillGradient (g, body, juce::Colour (0xff4a4d53), juce::Colour (0xff0c0d0f), outer);

    const auto inner = outer.reduced (r * 0.16f);
    juce::Path face;
    face.addEllipse (inner);
    fillGradient (g, face, juce::Colour (0xff17181b), juce::Colour (0xff2c2e33), inner);

    g.setColour (juce::Colours::black.withAlpha (0.8f));
    g.drawEllipse (outer, 0.7f);
}
} // namespace

//==============================================================================
juce::Image halve (const juce::Image& source)
{
    const int width = source.getWidth() / 2, height = source.getHeight() / 2;
    const auto input = source.convertedToFormat (juce::Image::ARGB);
    juce::Image result (juce::Image::ARGB, juce::jmax (1, width), juce::jmax (1, height), true);

    const juce::Image::BitmapData in (input, juce::Image::BitmapData::readOnly);
    juce::Image::BitmapData out (result, juce::Image::BitmapData::writeOnly);

    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            // Premultiplied channels average correctly; + 2 rounds the sum of four to nearest.
            int sum[4] = {};
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                {
                    const auto* p = reinterpret_cast<const juce::PixelARGB*> (
                        in.getPixelPointer (2 * x + dx, 2 * y + dy));
                    sum[0] += p->getAlpha();
                    sum[1] += p->getRed();
                    sum[2] += p->getGreen();
                    sum[3] += p->getBlue();
                }
            auto* q = reinterpret_cast<juce::PixelARGB*> (out.getPixelPointer (x, y));
            q->setARGB ((juce::uint8) ((sum[0] + 2) / 4), (juce::uint8) ((sum[1] + 2) / 4),
                        (juce::uint8) ((sum[2] + 2) / 4), (juce::uint8) ((sum[3] + 2) / 4));
        }
    return result;
}

juce::Image makeStrip (int width, int frameHeight, int framesNum, const FramePainter& paint)
{
    juce::Image strip (juce::Image::ARGB, width, frameHeight * framesNum, true);
    juce::Graphics out (strip);

    for (int frame = 0; frame < framesNum; ++frame)
    {
        juce::Image big (juce::Image::ARGB, 2 * width, 2 * frameHeight, true);
        {
            juce::Graphics g (big);
            g.addTransform (juce::AffineTransform::scale (2.0f));
            paint (g, frame);
        }
        out.drawImageAt (halve (big), 0, frame * frameHeight);
    }
    return strip;
}

//==============================================================================
void paintKnob (juce::Graphics& g, juce::Rectangle<float> area, float proportion, juce::Colour hue,
                bool bipolar)
{
    const auto c = area.getCentre();
    const float r = 0.5f * juce::jmin (area.getWidth(), area.getHeight());
    const float angle = sweepStart + juce::jlimit (0.0f, 1.0f, proportion) * (sweepEnd - sweepStart);

    // Scale: eleven dots, the ends and the centre a little larger.
    for (int i = 0; i <= 10; ++i)
    {
        const float a = sweepStart + (float) i * (sweepEnd - sweepStart) / 10.0f;
        const float d = (i == 0 || i == 5 || i == 10) ? r * 0.085f : r * 0.06f;
        g.setColour (Palette::silkDim);
        g.fillEllipse (juce::Rectangle<float> (d, d).withCentre (onCircle (c, r - r * 0.07f, a)));
    }

    const float grooveRadius = r * 0.80f, grooveWidth = r * 0.13f;
    g.setColour (Palette::engraveDark);
    strokeArc (g, c, grooveRadius, sweepStart, sweepEnd, grooveWidth);
    g.setColour (hue);
    strokeArc (g, c, grooveRadius, bipolar ? 0.0f : sweepStart, angle, grooveWidth * 0.62f);

    const float capRadius = r * 0.62f;
    paintCap (g, c, capRadius);

    juce::Path pointer;
    pointer.startNewSubPath (onCircle (c, capRadius * 0.22f, angle));
    pointer.lineTo (onCircle (c, capRadius * 0.94f, angle));
    g.setColour (juce::Colour (0xfff6f1e4));
    g.strokePath (pointer, juce::PathStrokeType (juce::jmax (1.4f, r * 0.09f), juce::PathStrokeType::curved,
                                                 juce::PathStrokeType::rounded));
}

void paintSelector (juce::Graphics& g, juce::Rectangle<float> area, int position,
                    const juce::StringArray& texts, juce::Colour hue)
{
    const int count = juce::jmax (1, texts.size());
    const auto readout = area.removeFromTop (16.0f).reduced (2.0f, 0.0f);
    paintWindow (g, readout);
    g.setColour (Palette::segmentOn);
    g.setFont (EmbeddedFonts::makeFont (10.5f, juce::Font::bold));
    g.drawFittedText (texts[position], readout.toNearestInt().reduced (2, 0), juce::Justification::centred, 1,
                      0.6f);

    area.removeFromTop (2.0f);
    const auto c = area.getCentre();
    const float r = 0.5f * juce::jmin (area.getWidth(), area.getHeight());
    const auto angleOf = [count] (int i)
    { return count == 1 ? 0.0f : -0.65f * pi + 1.3f * pi * (float) i / (float) (count - 1); };

    for (int i = 0; i < count; ++i)
    {
        const auto p = onCircle (c, r - 2.5f, angleOf (i));
        if (i == position)
        {
            paintGlow (g, p, 4.0f, 0.55f);
            g.setColour (Palette::ledOn);
        }
        else
            g.setColour (Palette::ledOff.brighter (0.4f));
        g.fillEllipse (juce::Rectangle<float> (3.2f, 3.2f).withCentre (p));
    }

    const float capRadius = r * 0.66f;
    g.setColour (hue.withAlpha (0.9f));
    g.drawEllipse (juce::Rectangle<float> (2.0f * capRadius + 4.0f, 2.0f * capRadius + 4.0f).withCentre (c),
                   1.6f);
    paintCap (g, c, capRadius);

    const float angle = angleOf (juce::jlimit (0, count - 1, position));
    juce::Path pointer;
    pointer.startNewSubPath (onCircle (c, capRadius * 0.15f, angle));
    pointer.lineTo (onCircle (c, capRadius * 0.95f, angle));
    g.setColour (juce::Colour (0xfff6f1e4));
    g.strokePath (pointer,
                  juce::PathStrokeType (2.2f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}

void paintSlideSwitch (juce::Graphics& g, juce::Rectangle<float> area, int position)
{
    const auto slot = area.withSizeKeepingCentre (area.getWidth() - 2.0f, area.getHeight() * 0.5f);
    g.setColour (Palette::engraveLight);
    g.fillRoundedRectangle (slot.translated (0.0f, 0.8f), slot.getHeight() * 0.5f);
    g.setColour (juce::Colour (0xff0d0e10));
    g.fillRoundedRectangle (slot, slot.getHeight() * 0.5f);

    const float side = area.getHeight() - 2.0f;
    const auto lever = juce::Rectangle<float> (side * 1.15f, side)
                           .withCentre ({position == 0 ? area.getX() + 1.0f + side * 0.575f
                                                       : area.getRight() - 1.0f - side * 0.575f,
                                         area.getCentreY()});
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillRoundedRectangle (lever.translated (0.0f, 1.2f), 3.0f);
    juce::Path body;
    body.addRoundedRectangle (lever, 3.0f);
    fillGradient (g, body, juce::Colour (0xffd8d4ca), juce::Colour (0xff8e8a82), lever);
    g.setColour (juce::Colour (0xff5d5a54));
    for (int i = -1; i <= 1; ++i)
    {
        const float x = lever.getCentreX() + 3.0f * (float) i;
        g.drawLine (x, lever.getY() + 3.5f, x, lever.getBottom() - 3.5f, 1.0f);
    }
    g.setColour (juce::Colours::black.withAlpha (0.7f));
    g.drawRoundedRectangle (lever, 3.0f, 0.7f);
}

void paintKey (juce::Graphics& g, juce::Rectangle<float> area, CapColour colour, bool pressed, CapLight light)
{
    juce::Colour top, bottom;
    switch (colour)
    {
        case CapColour::light: top = juce::Colour (0xffe4e0d6), bottom = juce::Colour (0xffb9b4aa); break;
        case CapColour::dark: top = juce::Colour (0xff45484d), bottom = juce::Colour (0xff1b1c1f); break;
        case CapColour::grey: top = juce::Colour (0xff8d9096), bottom = juce::Colour (0xff5f6268); break;
        case CapColour::accent: top = juce::Colour (0xffd9863f), bottom = juce::Colour (0xffa5561f); break;
    }
    if (pressed)
        top = top.darker (0.25f), bottom = bottom.darker (0.2f);

    auto cap = area.reduced (1.0f).withTrimmedBottom (2.0f);
    g.setColour (juce::Colours::black.withAlpha (0.55f));
    g.fillRoundedRectangle (cap.translated (0.0f, pressed ? 1.0f : 2.0f), 3.5f);
    if (pressed)
        cap = cap.translated (0.0f, 1.0f);

    juce::Path body;
    body.addRoundedRectangle (cap, 3.5f);
    fillGradient (g, body, top, bottom, cap);
    g.setColour (juce::Colours::white.withAlpha (pressed ? 0.12f : 0.28f));
    g.drawLine (cap.getX() + 3.0f, cap.getY() + 0.9f, cap.getRight() - 3.0f, cap.getY() + 0.9f, 0.9f);
    g.setColour (juce::Colours::black.withAlpha (0.75f));
    g.drawRoundedRectangle (cap, 3.5f, 0.8f);

    if (light == CapLight::none)
        return;

    const auto lens = juce::Rectangle<float> (juce::jmin (12.0f, cap.getWidth() * 0.4f), 4.0f)
                          .withCentre ({cap.getCentreX(), cap.getY() + 5.5f});
    if (light == CapLight::on)
    {
        paintGlow (g, lens.getCentre(), 9.0f, 0.5f);
        g.setColour (Palette::ledOn);
        g.fillRoundedRectangle (lens, 2.0f);
        g.setColour (juce::Colour (0xffffd9b0).withAlpha (0.8f));
        g.fillRoundedRectangle (lens.reduced (2.5f, 1.2f), 1.0f);
    }
    else
    {
        g.setColour (Palette::ledOff);
        g.fillRoundedRectangle (lens, 2.0f);
        g.setColour (juce::Colours::black.withAlpha (0.6f));
        g.drawRoundedRectangle (lens, 2.0f, 0.6f);
    }
}

void paintLed (juce::Graphics& g, juce::Rectangle<float> area, bool on)
{
    const auto c = area.getCentre();
    const float r = 0.5f * juce::jmin (area.getWidth(), area.getHeight());
    const float lens = r * 0.55f;

    g.setColour (juce::Colour (0xff0b0b0c));
    g.fillEllipse (juce::Rectangle<float> (2.0f * lens + 2.4f, 2.0f * lens + 2.4f).withCentre (c));
    if (on)
    {
        paintGlow (g, c, r, 0.55f);
        juce::ColourGradient fill (juce::Colour (0xffffe0c0), c.x, c.y, Palette::ledOn, c.x + lens, c.y,
                                   true);
        g.setGradientFill (fill);
    }
    else
    {
        juce::ColourGradient fill (juce::Colour (0xff5a2a1a), c.x - lens * 0.3f, c.y - lens * 0.3f,
                                   juce::Colour (0xff200a05), c.x + lens, c.y, true);
        g.setGradientFill (fill);
    }
    g.fillEllipse (juce::Rectangle<float> (2.0f * lens, 2.0f * lens).withCentre (c));
    g.setColour (juce::Colours::white.withAlpha (on ? 0.55f : 0.18f));
    g.fillEllipse (juce::Rectangle<float> (lens * 0.7f, lens * 0.5f)
                       .withCentre (c.translated (-lens * 0.3f, -lens * 0.4f)));
}

void paintBarLed (juce::Graphics& g, juce::Rectangle<float> area, bool on)
{
    const auto bar = area.reduced (2.0f, area.getHeight() * 0.25f);
    g.setColour (juce::Colour (0xff0b0b0c));
    g.fillRoundedRectangle (bar.expanded (1.0f), 2.0f);
    if (on)
    {
        g.setColour (Palette::ledGlow.withAlpha (0.25f));
        g.fillRoundedRectangle (area.reduced (0.5f), 3.0f);
        g.setColour (Palette::ledOn);
        g.fillRoundedRectangle (bar, 1.5f);
        g.setColour (juce::Colour (0xffffd9b0).withAlpha (0.75f));
        g.fillRoundedRectangle (bar.reduced (bar.getWidth() * 0.2f, bar.getHeight() * 0.3f), 1.0f);
    }
    else
    {
        g.setColour (Palette::ledOff);
        g.fillRoundedRectangle (bar, 1.5f);
    }
}

void paintRocker (juce::Graphics& g, juce::Rectangle<float> area, int position)
{
    auto body = area.reduced (1.0f).withTrimmedBottom (2.0f);
    g.setColour (juce::Colours::black.withAlpha (0.55f));
    g.fillRoundedRectangle (body.translated (0.0f, 2.0f), 4.0f);
    g.setColour (juce::Colour (0xff0e0f11));
    g.fillRoundedRectangle (body, 4.0f);

    const float half = (body.getWidth() - 2.0f) * 0.5f;
    for (int side = 0; side < 2; ++side)
    {
        const bool held = (side == 0 && position == 0) || (side == 1 && position == 2);
        auto part = juce::Rectangle<float> (body.getX() + (float) side * (half + 2.0f), body.getY(), half,
                                            body.getHeight())
                        .reduced (1.0f);
        if (held)
            part = part.translated (0.0f, 1.0f);
        juce::Path p;
        p.addRoundedRectangle (part, 3.0f);
        fillGradient (g, p, held ? juce::Colour (0xff35373b) : juce::Colour (0xff4a4d52),
                      held ? juce::Colour (0xff17181a) : juce::Colour (0xff222327), part);

        const auto c = part.getCentre();
        juce::Path arrow;
        const float s = 3.5f;
        if (side == 0)
            arrow.addTriangle (c.x - s, c.y, c.x + s * 0.8f, c.y - s, c.x + s * 0.8f, c.y + s);
        else
            arrow.addTriangle (c.x + s, c.y, c.x - s * 0.8f, c.y - s, c.x - s * 0.8f, c.y + s);
        g.setColour (Palette::silk.withAlpha (held ? 0.7f : 0.95f));
        g.fillPath (arrow);
    }
}

//==============================================================================
int segmentsOfCharacter (juce::juce_wchar character) noexcept
{
    switch (character)
    {
        case '0': return 0x3f;
        case '1': return 0x06;
        case '2': return 0x5b;
        case '3': return 0x4f;
        case '4': return 0x66;
        case '5': return 0x6d;
        case '6': return 0x7d;
        case '7': return 0x07;
        case '8': return 0x7f;
        case '9': return 0x6f;
        case 'A': return 0x77;
        case 'B':
        case 'b': return 0x7c;
        case 'C': return 0x39;
        case 'D':
        case 'd': return 0x5e;
        case 'E': return 0x79;
        case 'F': return 0x71;
        case 'G': return 0x3d;
        case 'P': return 0x73;
        case '-': return 0x40;
        default: return 0;
    }
}

void paintSegments (juce::Graphics& g, juce::Rectangle<float> area, int segments, bool sharp)
{
    g.setColour (Palette::window);
    g.fillRect (area);

    // A cell of 7 x 12 units, slanted a little forwards.
    const auto cell = area.reduced (area.getWidth() * 0.16f, area.getHeight() * 0.1f)
                          .translated (-area.getWidth() * 0.04f, 0.0f);
    const float u = cell.getWidth() / 7.0f, v = cell.getHeight() / 12.0f;
    const float t = juce::jmin (u, v) * 1.05f; // segment thickness
    const auto at = [&] (float x, float y)
    {
        // slant: x moves right as y goes up
        return juce::Point<float> (cell.getX() + x * u + (12.0f - y) * v * 0.09f, cell.getY() + y * v);
    };
    const auto horizontal = [&] (float y)
    {
        juce::Path p;
        const auto a = at (1.0f, y), b = at (6.0f, y);
        p.startNewSubPath (a.translated (0.15f * t, 0.0f));
        p.lineTo (a.translated (0.65f * t, -0.5f * t));
        p.lineTo (b.translated (-0.65f * t, -0.5f * t));
        p.lineTo (b.translated (-0.15f * t, 0.0f));
        p.lineTo (b.translated (-0.65f * t, 0.5f * t));
        p.lineTo (a.translated (0.65f * t, 0.5f * t));
        p.closeSubPath();
        return p;
    };
    const auto vertical = [&] (float x, float y0, float y1)
    {
        juce::Path p;
        const auto a = at (x, y0), b = at (x, y1);
        p.startNewSubPath (a.translated (0.0f, 0.15f * t));
        p.lineTo (a.translated (0.5f * t, 0.65f * t));
        p.lineTo (b.translated (0.5f * t, -0.65f * t));
        p.lineTo (b.translated (0.0f, -0.15f * t));
        p.lineTo (b.translated (-0.5f * t, -0.65f * t));
        p.lineTo (a.translated (-0.5f * t, 0.65f * t));
        p.closeSubPath();
        return p;
    };

    const juce::Path parts[7] = {
        horizontal (0.6f),  vertical (6.2f, 0.6f, 6.0f),  vertical (6.2f, 6.0f, 11.4f),
        horizontal (11.4f), vertical (0.8f, 6.0f, 11.4f), vertical (0.8f, 0.6f, 6.0f),
        horizontal (6.0f)};
    const bool lit[7] = {(segments & 1) != 0,  (segments & 2) != 0,  (segments & 4) != 0, (segments & 8) != 0,
                         (segments & 16) != 0, (segments & 32) != 0, (segments & 64) != 0};

    for (int i = 0; i < 7; ++i)
        if (!lit[i] || sharp)
        {
            g.setColour (Palette::segmentGhost);
            g.fillPath (parts[i]);
        }
    for (int i = 0; i < 7; ++i)
        if (lit[i] && !sharp)
        {
            g.setColour (Palette::segmentOn);
            g.fillPath (parts[i]);
        }

    const auto dot = juce::Rectangle<float> (t * 1.1f, t * 1.1f).withCentre (at (7.3f, 11.4f));
    g.setColour ((segments & 128) != 0 ? Palette::segmentOn : Palette::segmentGhost);
    g.fillEllipse (dot);

    if (sharp)
    {
        g.setColour (Palette::segmentOn);
        const float w = t * 0.8f;
        for (float x : {2.6f, 4.6f})
            g.drawLine (juce::Line<float> (at (x + 0.3f, 2.2f), at (x - 0.3f, 9.8f)), w);
        for (float y : {4.4f, 7.6f})
            g.drawLine (juce::Line<float> (at (1.2f, y), at (6.0f, y)), w);
    }
}

void paintGlyph (juce::Graphics& g, juce::Rectangle<float> cell, juce::juce_wchar character, bool highlighted,
                 float pointHeight)
{
    g.setColour (highlighted ? Palette::segmentOn : Palette::window);
    g.fillRect (cell);
    g.setColour (highlighted ? Palette::window : Palette::segmentOn);
    g.setFont (EmbeddedFonts::makeFont (pointHeight, juce::Font::bold));
    g.drawFittedText (juce::String::charToString (character), cell.toNearestInt(),
                      juce::Justification::centred, 1, 0.55f);
}

//==============================================================================
void paintFace (juce::Graphics& g, juce::Rectangle<int> area)
{
    const auto bounds = area.toFloat();
    g.setGradientFill (juce::ColourGradient (Palette::face.brighter (0.06f), bounds.getX(), bounds.getY(),
                                             Palette::face.darker (0.12f), bounds.getX(), bounds.getBottom(),
                                             false));
    g.fillRect (bounds);

    // Brushed grain: every row a fixed-seed shade lighter or darker, so the texture is the same on every
    // run and compresses well.
    juce::Random random (0x6b656c76);
    for (int y = area.getY(); y < area.getBottom(); ++y)
    {
        const float shade = (random.nextFloat() - 0.5f) * 0.05f;
        g.setColour (shade > 0.0f ? juce::Colours::white.withAlpha (shade)
                                  : juce::Colours::black.withAlpha (-shade));
        g.fillRect ((float) area.getX(), (float) y, (float) area.getWidth(), 1.0f);
    }

    // A soft vignette towards the edges.
    juce::ColourGradient vignette (juce::Colours::transparentBlack, bounds.getCentreX(), bounds.getCentreY(),
                                   juce::Colours::black.withAlpha (0.22f), bounds.getX(), bounds.getY(),
                                   true);
    g.setGradientFill (vignette);
    g.fillRect (bounds);
}

void paintSection (juce::Graphics& g, juce::Rectangle<float> area, const juce::String& title,
                   juce::Colour hue)
{
    g.setColour (juce::Colours::black.withAlpha (0.13f));
    g.fillRoundedRectangle (area, 6.0f);
    g.setColour (Palette::engraveLight);
    g.drawRoundedRectangle (area.translated (0.5f, 1.0f), 6.0f, 1.0f);
    g.setColour (Palette::engraveDark);
    g.drawRoundedRectangle (area, 6.0f, 1.0f);

    const auto stripe = juce::Rectangle<float> (area.getX() + 10.0f, area.getY() + 7.0f, 3.0f, 11.0f);
    g.setColour (hue);
    g.fillRoundedRectangle (stripe, 1.0f);
    paintSilk (g, title, {stripe.getRight() + 5.0f, area.getY() + 5.0f, area.getWidth() - 30.0f, 15.0f},
               juce::Justification::centredLeft, 12.0f, true, Palette::silk);
}

void paintWindow (juce::Graphics& g, juce::Rectangle<float> area)
{
    g.setColour (Palette::engraveLight);
    g.fillRoundedRectangle (area.expanded (1.0f).translated (0.0f, 0.8f), 4.0f);
    g.setColour (juce::Colours::black);
    g.fillRoundedRectangle (area.expanded (1.0f), 4.0f);
    g.setColour (Palette::window);
    g.fillRoundedRectangle (area, 3.0f);
    g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.5f), 0.0f, area.getY(),
                                             juce::Colours::transparentBlack, 0.0f, area.getY() + 5.0f,
                                             false));
    g.fillRoundedRectangle (area, 3.0f);
}

juce::Font silkFont (float height, bool bold)
{
    auto font = EmbeddedFonts::makeFont (height, bold ? juce::Font::bold : juce::Font::plain);
    font.setExtraKerningFactor (0.06f);
    return font;
}

void paintSilk (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area,
                juce::Justification justification, float height, bool bold, juce::Colour colour)
{
    g.setFont (silkFont (height, bold));
    g.setColour (colour);
    g.drawText (text, area, justification, false);
}

void paintLogo (juce::Graphics& g, juce::Rectangle<float> area)
{
    auto font = EmbeddedFonts::makeFont (26.0f, juce::Font::bold);
    font.setExtraKerningFactor (0.22f);
    g.setFont (font);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.drawText ("KELVANOR", area.translated (0.0f, 1.0f).removeFromTop (28.0f),
                juce::Justification::centredLeft, false);
    g.setColour (Palette::silk);
    g.drawText ("KELVANOR", area.removeFromTop (28.0f), juce::Justification::centredLeft, false);

    auto small = EmbeddedFonts::makeFont (9.0f, juce::Font::bold);
    small.setExtraKerningFactor (0.3f);
    g.setFont (small);
    g.setColour (Palette::sequencer);
    g.drawText ("MONOPHONIC BASSLINE SYNTHESIZER", area.removeFromTop (12.0f),
                juce::Justification::centredLeft, false);
}

void paintScrew (juce::Graphics& g, juce::Point<float> centre)
{
    const auto head = juce::Rectangle<float> (9.0f, 9.0f).withCentre (centre);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillEllipse (head.expanded (1.0f).translated (0.0f, 0.8f));
    juce::Path p;
    p.addEllipse (head);
    fillGradient (g, p, juce::Colour (0xff9a9ca0), juce::Colour (0xff4a4c50), head);
    g.setColour (juce::Colour (0xff26272a));
    g.drawLine (juce::Line<float> (centre.translated (-3.0f, -1.5f), centre.translated (3.0f, 1.5f)), 1.3f);
}
} // namespace PanelArtwork
