#pragma once

#include "framework/XmlHelpers.h"
#include "skin/SkinTestSupport.h"
#include "skin/source/SkinSource.h"

#include <gtest/gtest.h>
#include <map>

/** A processor with the skin test parameters plus a few wide-range ones, a skin source whose embedded
    images are the ones a test hands it, and element loading from text. */
class DisplayTest : public ::testing::Test
{
protected:
    DisplayTest()
    {
        auto& manager = plugin.getParameterManager();
        manager.addParameter (std::make_unique<FloatParameter> (100, "Tempo", -99999.0f, 99999.0f, 0.0f));
        manager.addParameter (std::make_unique<NoteParameter> (101, "Note", 61));
        manager.addParameter (std::make_unique<IntParameter> (102, "Pattern", 0, 127, 1));
    }

    void TearDown() override { SkinSource::overrideEmbeddedImages ({}); }

    /** Serves the named images as if embedded. */
    void embed (std::map<juce::String, juce::Image> images)
    {
        SkinSource::overrideEmbeddedImages (
            [images] (const juce::String& name)
            {
                const auto found = images.find (name);
                return found != images.end() ? found->second : juce::Image();
            });
    }

    template <typename Control>
    void load (Control& control, const juce::String& xml)
    {
        const auto element = XmlHelpers::parse (xml);
        ASSERT_NE (element, nullptr) << xml;
        control.loadFromXml (*element, source);
    }

    Parameter& parameter (const juce::String& name) { return plugin.parameter (name); }

    /** The flat-colour frame under a point of the component; -1 when none. */
    static int frameAt (juce::Component& component, juce::Point<int> point)
    {
        return SkinTest::frameOfColour (SkinTest::pixelAt (component, point));
    }

    SkinTest::Plugin plugin;
    SkinSource source{plugin, {}};
};
