#include "editor/EditorStatusTexts.h"

namespace EditorStatusTexts
{
std::optional<juce::String> parameterStatus (const juce::String& name, const juce::String& text)
{
    // "@" is how a parameter says its name alone tells the whole story (a button with no value).
    if (text == "@")
        return name;
    if (text.isEmpty())
        return std::nullopt;
    return name + ": " + text;
}

juce::String midiLearnProgress (int controller, bool hasParameter, const juce::String& parameterName)
{
    const bool hasController = controller >= 0;

    if (!hasController && !hasParameter)
        return "Waiting for a controller or parameter movement...";
    if (!hasController)
        return "'" + parameterName + "' parameter is free. Waiting for a free controller now...";
    if (hasParameter)
        return "CC# " + juce::String (controller) + " is assigned to parameter '" + parameterName + "'.";
    return "CC# " + juce::String (controller) + " is free. Waiting for a parameter now...";
}

juce::String processingMode (int mode, const juce::String& qualityText)
{
    return juce::String (mode == 2 ? "Offline processing" : "Realtime processing") + ": " + qualityText;
}

juce::String defaultMapNotice()
{
    return juce::String ("Default Map") + " settings will be affected when plugin is loaded.";
}

juce::String skinsNotFound (const juce::String& skinsFolderPath)
{
    return "Plugin skins not found in directory: '" + skinsFolderPath + "'. Please reinstall to repair.";
}

juce::String saveFailed (const juce::File& file, const juce::String& what)
{
    const auto quoted = "'" + file.getFullPathName() + "'.";
    return what.isEmpty() ? "Could not save " + quoted : "Could not save " + what + " to " + quoted;
}

juce::String loadFailed (const juce::File& file, const juce::String& what)
{
    const auto quoted = "'" + file.getFullPathName() + "'.";
    return what.isEmpty() ? "Could not load " + quoted : "Could not load " + what + " from " + quoted;
}
} // namespace EditorStatusTexts
