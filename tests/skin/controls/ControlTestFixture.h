#pragma once

#include "skin/SkinTestSupport.h"
#include "skin/panel/GFXPanel.h"

/** Builds controls as a skin does (through the panel builder's tags) over flat-colour strips served as
    embedded images ("s<frames>.png": 12 x 10 frames), and drives them with synthetic mouse events. */
class ControlTest : public SkinTest::SourceTest
{
protected:
    using Mods = juce::ModifierKeys;

    void SetUp() override
    {
        SkinSource::overrideEmbeddedImages (
            [] (const juce::String& name)
            {
                return name.startsWith ("s") ? SkinTest::makeStrip (name.substring (1).getIntValue(), 12, 10)
                                             : juce::Image();
            });
    }

    GFXPanel& buildPanel (const juce::String& body)
    {
        const auto root = XmlHelpers::parse (SkinTest::skinDocument ("<controls>" + body + "</controls>"));
        panel = source.createMainPanel (*root);
        panel->addListener (&log);
        log.lines.clear();
        return *panel;
    }

    /** The control of a skin holding one element, as its class (null when it is another). */
    template <typename Control>
    Control* build (const juce::String& element)
    {
        auto& built = buildPanel (element);
        return built.getNumControls() > 0 ? dynamic_cast<Control*> (built.getControl (0)) : nullptr;
    }

    static void press (juce::Component& c, juce::Point<float> at, Mods mods = Mods::leftButtonModifier)
    {
        c.mouseDown (SkinTest::mouseAt (c, at, mods));
    }
    static void release (juce::Component& c, juce::Point<float> at, Mods mods = Mods::leftButtonModifier)
    {
        c.mouseUp (SkinTest::mouseAt (c, at, mods));
    }

    /** What a host does: sets the parameter with notification, and the notice arrives. */
    static void hostSets (Parameter& p, float normalised)
    {
        p.setValueNormalised (normalised, true);
        p.handleUpdateNowIfNeeded();
    }

    std::unique_ptr<GFXPanel> panel;
    SkinTest::ControllerLog log;
};

/** A control element named "c" at (4, 6), linked to the parameter, over a strip of that many frames. */
inline juce::String element (const juce::String& tag, const juce::String& param, int frames,
                             const juce::String& attributes = {}, const juce::String& children = {})
{
    const auto link =
        param.isEmpty() ? juce::String() : "<links><link as='connectedTo' param='" + param + "'/></links>";
    return "<" + tag + " name='c' " + attributes + ">" + link + "<gfx resource='s" + juce::String (frames) +
           ".png' framesNum='" + juce::String (frames) + "'/><pos left='4' top='6'/>" + children + "</" +
           tag + ">";
}
