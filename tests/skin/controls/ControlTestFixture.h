#pragma once

#include "../SkinTestSupport.h"
#include "framework/XmlHelpers.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/SkinSource.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

/** Builds controls the way a skin does (through the panel builder's tag table) over flat-colour strips
    served as embedded images, and drives them with synthetic mouse events. */
class ControlTest : public ::testing::Test
{
protected:
    void TearDown() override { SkinSource::overrideEmbeddedImages ({}); }

    /** Serves "s<frames>.png" as a strip of that many 12 x 10 frames, for any frame count. */
    void SetUp() override
    {
        SkinSource::overrideEmbeddedImages (
            [] (const juce::String& name)
            {
                if (name.startsWith ("s") && name.endsWith (".png"))
                    return SkinTest::makeStrip (name.substring (1).getIntValue(), 12, 10);
                return juce::Image();
            });
    }

    /** The main panel of a skin holding the given control elements. */
    GFXPanel& buildPanel (const juce::String& body)
    {
        const auto root = XmlHelpers::parse (SkinTest::skinDocument ("<controls>" + body + "</controls>"));
        panel = source.createMainPanel (*root);
        jassert (panel != nullptr);
        panel->addListener (&log);
        return *panel;
    }

    /** The first control of a skin holding one element, as its class (null when it is another). */
    template <typename Control>
    Control* build (const juce::String& element)
    {
        auto& built = buildPanel (element);
        return built.getNumControls() > 0 ? dynamic_cast<Control*> (built.getControl (0)) : nullptr;
    }

    /** Press, move through the vertical offsets, release: one whole drag. */
    static void drag (juce::Component& c, const std::vector<int>& offsetsY, juce::ModifierKeys mods = {})
    {
        const auto start = c.getLocalBounds().getCentre().toFloat();
        const auto held = mods.withFlags (juce::ModifierKeys::leftButtonModifier);
        c.mouseDown (SkinTest::mouseAt (c, start, held));
        float last = 0.0f;
        for (const int dy : offsetsY)
        {
            last = (float) dy;
            c.mouseDrag (SkinTest::mouseAt (c, start.translated (0.0f, last), held));
        }
        c.mouseUp (SkinTest::mouseAt (c, start.translated (0.0f, last), held));
    }

    /** One half of a click at a point, through the component's public face. */
    static void press (juce::Component& c, juce::Point<float> at,
                       juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
    {
        c.mouseDown (SkinTest::mouseAt (c, at, mods));
    }

    static void release (juce::Component& c, juce::Point<float> at,
                         juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
    {
        c.mouseUp (SkinTest::mouseAt (c, at, mods));
    }

    /** Press and release at a point with the given button and modifiers. */
    static void click (juce::Component& c, juce::Point<float> at, juce::ModifierKeys mods)
    {
        c.mouseDown (SkinTest::mouseAt (c, at, mods));
        c.mouseUp (SkinTest::mouseAt (c, at, mods));
    }

    static void click (juce::Component& c, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
    {
        click (c, c.getLocalBounds().getCentre().toFloat(), mods);
    }

    /** What a host does: sets the parameter with notification; the asynchronous notice is delivered. */
    static void hostSets (Parameter& p, float normalised)
    {
        p.setValueNormalised (normalised, true);
        p.handleUpdateNowIfNeeded();
    }

    SkinTest::Plugin plugin;
    SkinSource source{plugin, {}};
    std::unique_ptr<GFXPanel> panel;
    SkinTest::ControllerLog log;
};

/** A control element of the tag linked to a parameter, with a strip of that many frames. */
inline juce::String element (const juce::String& tag, const juce::String& param, int frames,
                             const juce::String& attributes = {}, const juce::String& children = {})
{
    juce::String links =
        param.isEmpty() ? juce::String() : "<links><link as='connectedTo' param='" + param + "'/></links>";
    return "<" + tag + " name='c' " + attributes + ">" + links + "<gfx resource='s" + juce::String (frames) +
           ".png' framesNum='" + juce::String (frames) + "'/><pos left='4' top='6'/>" + children + "</" +
           tag + ">";
}
