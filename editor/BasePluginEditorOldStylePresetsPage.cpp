#include "editor/BasePluginEditorOldStyle.h"

namespace
{
constexpr int groupGap = 3;    // between two groups side by side
constexpr int sectionGap = 10; // above the "Default presets" group

/** A path from a chooser or the settings; anything that is not a full path stands for no file. */
juce::File fileFromPath (const juce::String& path)
{
    return juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File();
}
} // namespace

BasePluginEditorOldStyle::PresetsSettingsComponent::PresetsSettingsComponent (BasePluginOldStyle& p)
    : storingGroup (
          std::make_unique<RadioButtons_V2> ("Preset storing", juce::StringArray{"Automatic", "On demand"}))
    , changingGroup (
          std::make_unique<RadioButtons_V2> ("Changing type", juce::StringArray{"Normal", "Silent"}))
    , defaultPresetsGroup (std::make_unique<DefaultResourcesRadioButtons> (
          "Default presets", juce::StringArray{"Factory presets", "Clear presets", "User defined"}))
    , processor (p)
{
    addAndMakeVisible (*storingGroup);
    addChildComponent (*changingGroup);
    changingGroup->setVisible (processor.isPresetChangingConfigurable());
    addAndMakeVisible (*defaultPresetsGroup);

    auto& path = defaultPresetsGroup->getPathComponent();
    path.setFilePatterns (processor.getPresetBankFileWildcards());
    path.addListener (this);

    for (auto* group :
         {storingGroup.get(), changingGroup.get(), static_cast<RadioButtons_V2*> (defaultPresetsGroup.get())})
        group->addListener (this);

    refresh();
}

BasePluginEditorOldStyle::PresetsSettingsComponent::~PresetsSettingsComponent()
{
    defaultPresetsGroup->getPathComponent().removeListener (this);
    for (auto* group :
         {storingGroup.get(), changingGroup.get(), static_cast<RadioButtons_V2*> (defaultPresetsGroup.get())})
        group->removeListener (this);
}

void BasePluginEditorOldStyle::PresetsSettingsComponent::refresh()
{
    storingGroup->setSelectedIndex (processor.getPresetStoringMode(), false);
    changingGroup->setSelectedIndex (processor.getPresetChangingMode(), false);
    defaultPresetsGroup->setSelectedIndex (processor.getDefaultPresetsMode(), false);
    defaultPresetsGroup->getPathComponent().setPath (processor.getUserDefinedPresetsFile().getFullPathName(),
                                                     false);
}

void BasePluginEditorOldStyle::PresetsSettingsComponent::radioButtonsChanged (RadioButtons_V2* group)
{
    const int index = group->getSelectedIndex();
    if (group == storingGroup.get())
    {
        processor.setPresetStoringMode (index);
        // Automatic storing starts from what the panel shows now, not from the preset as last stored.
        if (index == BasePluginOldStyle::automaticStoring)
            processor.storePreset (processor.getCurrentPresetIndex());
    }
    else if (group == changingGroup.get())
    {
        processor.setPresetChangingMode (index);
    }
    else if (group == defaultPresetsGroup.get())
    {
        processor.setDefaultPresetsMode (index);
    }
}

void BasePluginEditorOldStyle::PresetsSettingsComponent::pathChanged (PathComponent* path)
{
    if (path == &defaultPresetsGroup->getPathComponent())
        processor.setUserDefinedPresetsFile (fileFromPath (path->getPath()));
}

void BasePluginEditorOldStyle::PresetsSettingsComponent::resized()
{
    const int width = getWidth();
    const bool changingShown = changingGroup->isVisible();
    const int storingWidth = changingShown ? width / 2 - groupGap : width;

    storingGroup->setButtonWidth (storingWidth);
    storingGroup->setTopLeftPosition (0, 0);
    int bottom = storingGroup->getBottom();

    if (changingShown)
    {
        changingGroup->setButtonWidth (width - width / 2);
        changingGroup->setTopLeftPosition (width / 2, 0);
        bottom = juce::jmax (bottom, changingGroup->getBottom());
    }

    defaultPresetsGroup->setButtonWidth (width);
    defaultPresetsGroup->setTopLeftPosition (0, bottom + sectionGap);
}

void BasePluginEditorOldStyle::PresetsSettingsComponent::lookAndFeelChanged()
{
    resized();
}
