#include "editor/EditorStatusTexts.h"

#include <gtest/gtest.h>

namespace
{
struct ParameterCase
{
    const char* name;
    const char* text;
    const char* expected; // nullptr: nothing is shown
};

struct LearnCase
{
    int controller;
    bool hasParameter;
    const char* expected;
};
} // namespace

TEST (EditorStatusTexts, ParameterLine)
{
    for (const auto& c : {ParameterCase{"Cutoff", "0.50", "Cutoff: 0.50"}, ParameterCase{"Play", "@", "Play"},
                          ParameterCase{"Mute", "", nullptr}, ParameterCase{"At", "@@", "At: @@"},
                          ParameterCase{"", "1", ": 1"}})
    {
        const auto line = EditorStatusTexts::parameterStatus (c.name, c.text);
        if (c.expected == nullptr)
            EXPECT_FALSE (line.has_value()) << c.name;
        else
            EXPECT_EQ (line.value_or ("<none>"), juce::String (c.expected)) << c.name;
    }
}

TEST (EditorStatusTexts, MidiLearnProgressInEveryState)
{
    for (const auto& c :
         {LearnCase{-1, false, "Waiting for a controller or parameter movement..."},
          LearnCase{-1, true, "'Cutoff' parameter is free. Waiting for a free controller now..."},
          LearnCase{0, true, "CC# 0 is assigned to parameter 'Cutoff'."},
          LearnCase{127, false, "CC# 127 is free. Waiting for a parameter now..."}})
        EXPECT_EQ (EditorStatusTexts::midiLearnProgress (c.controller, c.hasParameter, "Cutoff"), c.expected)
            << c.controller << " " << c.hasParameter;
}

TEST (EditorStatusTexts, Notices)
{
    EXPECT_EQ (EditorStatusTexts::processingMode (2, "High"), "Offline processing: High");
    for (int mode : {0, 1, 3})
        EXPECT_EQ (EditorStatusTexts::processingMode (mode, "Low"), "Realtime processing: Low");
    EXPECT_EQ (EditorStatusTexts::defaultMapNotice(),
               "Default Map settings will be affected when plugin is loaded.");
    EXPECT_EQ (EditorStatusTexts::skinsNotFound ("/x/Skins"),
               "Plugin skins not found in directory: '/x/Skins'. Please reinstall to repair.");
}
