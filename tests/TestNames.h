#pragma once

#include <juce_core/juce_core.h>
#include <string>

/** A test-case name made from words, so a table row reads as a name in the test list
    ("knob at -0.5" gives "KnobAtMinus0p5"). GoogleTest names hold letters, digits and underscores only. */
inline std::string testName (const juce::String& words)
{
    juce::String name;
    for (auto word :
         juce::StringArray::fromTokens (words.replace ("-", " minus ").replace ("+", " plus "), false))
    {
        word = word.replaceCharacter ('.', 'p').retainCharacters (
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_");
        name << word.substring (0, 1).toUpperCase() << word.substring (1);
    }
    return name.isEmpty() ? std::string ("Empty") : name.toStdString();
}

/** The name generator for a table whose rows carry a `what` text. */
struct NameFromWhat
{
    template <typename Info>
    std::string operator() (const Info& info) const
    {
        return testName (info.param.what);
    }
};
