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

juce::String panelSizeProblem (GFXPanel::SizeProblem problem)
{
    using Problem = GFXPanel::SizeProblem;
    const auto pixels = " more than " + juce::String (GFXPanel::maxSkinPanelPixels) + " pixels";
    const auto window = " than " + juce::String (GFXPanel::maxWindowSide) + " pixels, the most X allows";
    switch (problem)
    {
        case Problem::none: return {};
        case Problem::noSize: return "its main panel has no size";
        case Problem::tooManyPixels: return "its main panel has" + pixels;
        case Problem::noSizeAtScale: return "its main panel has no size at the display's scale";
        case Problem::tooManyPixelsAtScale: return "its main panel has" + pixels + " at the display's scale";
        case Problem::windowTooWide: return "its window would be wider" + window;
        case Problem::windowTooHigh: return "its window, with the status bar, would be higher" + window;
    }
    return {};
}
} // namespace EditorStatusTexts
