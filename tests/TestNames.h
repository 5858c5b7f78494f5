#pragma once

#include <juce_core/juce_core.h>
#include <string>

/** A test-case name made from words, so a table row reads as a name in the test list.
    "knob at -0.5" gives "KnobAtMinus0p5" and "time-out" gives "TimeOut": letters and digits only. */
inline std::string testName (const juce::String& words)
{
    juce::String spaced; // a minus sign becomes a word; other punctuation separates words
    for (auto p = words.getCharPointer(); !p.isEmpty(); ++p)
    {
        const auto c = *p;
        if (c == '-' && juce::CharacterFunctions::isDigit (*(p + 1)))
            spaced << " minus ";
        else if (c == '+')
            spaced << " plus ";
        else
            spaced << (juce::CharacterFunctions::isLetterOrDigit (c) ||
                               (c == '.' && juce::CharacterFunctions::isDigit (*(p + 1)))
                           ? juce::String::charToString (c)
                           : juce::String (" "));
    }
    juce::String name;
    for (const auto& word : juce::StringArray::fromTokens (spaced, false))
    {
        const auto kept = word.replaceCharacter ('.', 'p').retainCharacters (
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
        name << kept.substring (0, 1).toUpperCase() << kept.substring (1);
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
