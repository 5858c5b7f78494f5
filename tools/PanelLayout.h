#pragma once

#include <functional>
#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>
#include <vector>

/** The front panel as data: sections, controls with their film strips, parameters and events, the
    silk-screened texts and the display windows. The artwork tool paints the background from it and writes
    the skin description from it, so a label always sits where its control is. */
namespace PanelLayout
{
/** A film strip the panel uses: its file, the size of one frame and its number of frames. */
struct Strip
{
    juce::String resource;
    int width = 0;
    int frameHeight = 0;
    int framesNum = 1;
    std::function<void (juce::Graphics&, int frame)> paint; // one frame in 1x coordinates
};

enum class LabelPlace
{
    above,
    below,
    none
};

/** What is printed at one end of a two-position switch: the word for what that end does, drawn as text or
    as a symbol standing for it (the waveforms). */
struct Legend
{
    enum class Symbol
    {
        none,
        sawtooth,
        square
    };

    juce::String word;
    juce::Rectangle<int> area;
    Symbol symbol = Symbol::none;
};

/** One element of the skin's main panel. */
struct Control
{
    juce::String tag;
    juce::String name;
    juce::Rectangle<int> bounds;
    juce::String resource; // the "gfx" image, empty for controls that name their images themselves
    int framesNum = 1;
    juce::String parameter; // display name of the linked parameter, or empty
    std::vector<std::pair<juce::String, juce::String>> actions;    // (action kind, event name)
    std::vector<std::pair<juce::String, juce::String>> attributes; // extra attributes of the element
    std::function<void (juce::XmlElement&)> addChildren;           // children beyond links/actions/gfx/pos
    bool writeSize = false;                                        // a "size" element with the bounds' size
    juce::String label;
    LabelPlace labelPlace = LabelPlace::above;
    std::vector<Legend> ends; // a two-position switch's: [0] at its lower position, [1] at its upper
};

struct Section
{
    juce::String title;
    juce::Rectangle<int> bounds;
    juce::Colour hue;
};

struct Silk
{
    juce::String text;
    juce::Rectangle<int> area;
    juce::Justification justification = juce::Justification::centred;
    bool bold = true;
    bool dim = false;
};

struct Design
{
    int width = 0;
    int height = 0;
    std::vector<Section> sections;
    std::vector<juce::Rectangle<int>> windows;
    std::vector<Control> controls;
    std::vector<Silk> texts;
    std::vector<juce::Line<float>> rules; // thin printed lines
};

/** The product's panel. */
Design makeDesign();

/** The film strips of the panel, each once, in a fixed order. */
std::vector<Strip> getStrips();

/** The skin description of the design: root "PluginEditor" for "Kelvanor", one "MainPanel" drawn from
    backgroundResource. */
std::unique_ptr<juce::XmlElement> makeSkinXml (const Design& design, const juce::String& backgroundResource);

/** Height of a control label and its gap to the control, in pixels. */
constexpr int labelHeight = 11;
constexpr int labelGap = 3;
/** The labels' text height, in pixels. */
constexpr float labelTextHeight = 10.0f;

/** Where a control's label is printed, centred: a box wider than any label, on the control's centre, above
    or below it. Empty for a control without a printed label. */
juce::Rectangle<float> labelBox (const Control& control);
} // namespace PanelLayout
