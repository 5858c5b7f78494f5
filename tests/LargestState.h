#pragma once

#include "framework/BasePluginOldStyle.h"
#include "framework/BoundedFileReader.h"

/** The largest state the plug-in can come to hold from files: writes into the folder a preset bank of as
    many groups as a bank may have and a pattern bank, each at the files' bound with a name of letters that
    take 2 bytes in a file and 7 in a state (&#1104;), and the settings file that loads both at start-up. */
inline bool writeLargestBanks (const juce::File& folder, const juce::File& settings)
{
    const auto atFileBound = [] (const juce::String& before, const juce::String& after)
    {
        const auto room =
            (int) (BoundedFileReader::maxBytes - before.getNumBytesAsUTF8() - after.getNumBytesAsUTF8());
        return before + juce::String::repeatedString (juce::String::charToString (0x450), room / 2) +
               (room % 2 == 1 ? "x" : "") + after;
    };
    const auto setting = [] (const juce::String& kind, const juce::File& file)
    { return "<" + kind + " default='userDefined" + kind + "' file='" + file.getFullPathName() + "'/>"; };
    const auto presets = folder.getChildFile ("largest.klprsb"),
               patterns = folder.getChildFile ("largest.klptrb");
    // The presets the groups leave go to one more, "Not used"; patterns a bank lacks would keep their names.
    const auto groups = juce::String::repeatedString ("<PresetGroup/>", BasePluginOldStyle::maxGroups - 1);
    const auto others = juce::String::repeatedString ("<Pattern application='Kelvanor' name='P'/>", 95);
    return folder.createDirectory() &&
           presets.replaceWithText (atFileBound ("<PresetBank name='", "'>" + groups + "</PresetBank>")) &&
           patterns.replaceWithText (atFileBound ("<PatternBank><Pattern application='Kelvanor' name='",
                                                  "'/>" + others + "</PatternBank>")) &&
           settings.getParentDirectory().createDirectory() &&
           settings.replaceWithText ("<UserSettings application='Kelvanor'><ResourcesSettings>" +
                                     setting ("Presets", presets) + setting ("Patterns", patterns) +
                                     "</ResourcesSettings></UserSettings>");
}
