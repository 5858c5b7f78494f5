#pragma once

#include <juce_core/juce_core.h>
#include <optional>

/** What the editor writes into its status bar, and how important each kind of message is. Pure
    functions, so the wording and the priorities are checked without building an editor. */
namespace EditorStatusTexts
{
/** A higher priority wins; a message never replaces a more important one. */
enum Priority
{
    skinNoticePriority = 0,       // "Loading skin...", skins not found (lasting)
    processingModePriority = 4,   // temporary
    defaultMapNoticePriority = 4, // lasting
    midiMovedPriority = 5,        // a parameter moved by a MIDI controller (temporary)
    controlMovedPriority = 6,     // a parameter moved or an event fired from a skin control (temporary)
    failurePriority = 6,          // a file that could not be saved (temporary): a moved control's text
                                  // showing at that moment must not swallow it
    midiLearnPriority = 7         // lasting while learning
};

inline constexpr const char* loadingSkin = "Loading skin...";

/** The line of a parameter: "name: text"; the name alone when the text is exactly "@"; nothing when the
    text is empty. */
std::optional<juce::String> parameterStatus (const juce::String& name, const juce::String& text);

/** The MIDI learn progress while learning is on. controller -1 = none chosen yet. */
juce::String midiLearnProgress (int controller, bool hasParameter, const juce::String& parameterName);

/** mode 2 = offline, anything else realtime. */
juce::String processingMode (int mode, const juce::String& qualityText);

/** Shown when the MIDI page's "Default map" box changes. */
juce::String defaultMapNotice();

juce::String skinsNotFound (const juce::String& skinsFolderPath);

/** Every save that fails says so in these words, at failurePriority: "Could not save '<path>'.", or
    naming what the file was to hold, "Could not save <what> to '<path>'.". */
juce::String saveFailed (const juce::File& file, const juce::String& what = {});

/** Every load that fails says so in these words: "Could not load '<path>'.", or naming what the file was
    to hold, "Could not load <what> from '<path>'.". */
juce::String loadFailed (const juce::File& file, const juce::String& what = {});
} // namespace EditorStatusTexts
