#include "editor/IntSeqPluginEditor.h"

namespace
{
/** A path from a chooser or the settings; anything that is not a full path stands for no file. */
juce::File fileFromPath (const juce::String& path)
{
    return juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File();
}
} // namespace

IntSeqPluginEditor::PatternsSettingsComponent::PatternsSettingsComponent (IntSeqPlugin& p)
    : processor (p)
    , group (std::make_unique<DefaultResourcesRadioButtons> (
          "Default patterns", juce::StringArray{"Factory patterns", "Clear patterns", "User defined"}))
{
    group->getPathComponent().setFilePatterns (processor.getPatternBankFileWildcards());
    group->getPathComponent().addListener (this);
    group->addListener (this);
    addAndMakeVisible (*group);
    refresh();
}

IntSeqPluginEditor::PatternsSettingsComponent::~PatternsSettingsComponent()
{
    group->getPathComponent().removeListener (this);
    group->removeListener (this);
}

void IntSeqPluginEditor::PatternsSettingsComponent::refresh()
{
    group->setSelectedIndex (processor.getDefaultPatternsChoice(), false);
    group->getPathComponent().setPath (processor.getUserDefinedPatternsFile().getFullPathName(), false);
}

void IntSeqPluginEditor::PatternsSettingsComponent::radioButtonsChanged (RadioButtons_V2* changed)
{
    if (changed == group.get())
        processor.setDefaultPatternsChoice (changed->getSelectedIndex());
}

void IntSeqPluginEditor::PatternsSettingsComponent::pathChanged (PathComponent* path)
{
    if (path != &group->getPathComponent())
        return;
    // A bank of the user's own is the user-defined choice: the group shows it before it tells anyone.
    processor.setUserDefinedPatternsFile (fileFromPath (path->getPath()));
    group->setSelectedIndex (processor.getDefaultPatternsChoice(), false);
}

void IntSeqPluginEditor::PatternsSettingsComponent::resized()
{
    group->setButtonWidth (getWidth());
    group->setTopLeftPosition (0, 0);
}

void IntSeqPluginEditor::PatternsSettingsComponent::lookAndFeelChanged()
{
    resized();
}
