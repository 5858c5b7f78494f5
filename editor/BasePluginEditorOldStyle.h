#pragma once

#include "editor/BasePluginEditor.h"
#include "framework/BasePluginOldStyle.h"
#include "skin/displays/GFXDisplay.h"
#include "skin/widgets/RadioButtons_V2.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>

class OldStylePresetBrowserWindow;

/** The editor layer of a processor with a preset bank: it shows and renames the current preset through the
    skin's "PresetNameDisplay", owns the preset browser window and the "Presets" page of the options
    window, and carries out the preset events of the skin on the bank.

    Message thread only. The processor outlives the editor. */
class BasePluginEditorOldStyle : public BasePluginEditor,
                                 public RadioButtons_V2::Listener,
                                 public GFXDisplayListener
{
public:
    class PresetsSettingsComponent;

    static constexpr int presetBrowserWidth = 639;
    static constexpr int presetBrowserHeight = 350;

    explicit BasePluginEditorOldStyle (BasePluginOldStyle& processor);
    ~BasePluginEditorOldStyle() override;

    /** Next, previous, browse, copy, paste and store work on the bank; the rest goes to the base. */
    void controllerActionTriggered (GUIController* control, int eventUid) override;
    /** The "Default presets" group: a notice that the choice counts from the next start. */
    void radioButtonsChanged (RadioButtons_V2* group) override;
    /** The preset name display renames the current preset. */
    void displayTextEdited (GFXDisplay* display) override;
    /** Finds the preset name display of the new panel. Derived editors call this first. */
    void skinApplied() override;

    BasePluginOldStyle& getOldStyleProcessor() const noexcept { return processor; }
    /** Null when the skin has no "PresetNameDisplay" (or has one of another class). */
    GFXDisplay* getPresetNameDisplay() const noexcept { return presetNameDisplay; }
    PresetsSettingsComponent& getOldStylePresetsPage() const noexcept { return *presetsPage; }
    /** Null until a browser window is made. */
    juce::Component* getPresetBrowser() const noexcept;

    /** The control of that name in the editor's tree when it is of the class asked for, else null. */
    template <typename ControlClass>
    ControlClass* findControl (const juce::String& name)
    {
        return dynamic_cast<ControlClass*> (findControlByName (this, name));
    }

private:
    void findPresetNameDisplay();

    BasePluginOldStyle& processor;
    std::unique_ptr<OldStylePresetBrowserWindow> presetBrowser;
    std::unique_ptr<PresetsSettingsComponent> presetsPage;
    GFXDisplay* presetNameDisplay = nullptr; // in the skin panel

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BasePluginEditorOldStyle)
};

/** The "Presets" page: how edits reach the current preset ("Preset storing"), how presets change
    ("Changing type", only for processors that let it be chosen) and which bank a new instance starts with
    ("Default presets", with the path of a bank of the user's own). Message thread only. */
class BasePluginEditorOldStyle::PresetsSettingsComponent : public juce::Component,
                                                           public RadioButtons_V2::Listener,
                                                           public PathComponent::Listener
{
public:
    explicit PresetsSettingsComponent (BasePluginOldStyle& processor);
    ~PresetsSettingsComponent() override;

    /** Every group shows the processor's current choice; the path field its user bank. */
    void refresh();

    RadioButtons_V2& getStoringGroup() noexcept { return *storingGroup; }
    RadioButtons_V2& getChangingGroup() noexcept { return *changingGroup; }
    DefaultResourcesRadioButtons& getDefaultPresetsGroup() noexcept { return *defaultPresetsGroup; }

    void radioButtonsChanged (RadioButtons_V2* group) override;
    void pathChanged (PathComponent* path) override;
    void resized() override;
    void lookAndFeelChanged() override;

private:
    std::unique_ptr<RadioButtons_V2> storingGroup;
    std::unique_ptr<RadioButtons_V2> changingGroup;
    std::unique_ptr<DefaultResourcesRadioButtons> defaultPresetsGroup;
    BasePluginOldStyle& processor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetsSettingsComponent)
};
