#include "editor/BasePluginEditorOldStyle.h"

#include "editor/OldStylePresetBrowserWindow.h"
#include "editor/OptionsWindow.h"
#include "editor/StatusBar.h"
#include "editor/pages/MidiControlComponent.h"

namespace
{
// Event uids of the framework that this layer carries out on the bank.
enum PresetEvent
{
    selectNextPresetEvent = 1002,
    selectPreviousPresetEvent = 1003,
    browsePresetsEvent = 1004,
    copyCurrentPresetEvent = 1007,
    pasteCopiedPresetEvent = 1008,
    storeCurrentPresetEvent = 1009
};

constexpr int noticePriority = 4;
} // namespace

BasePluginEditorOldStyle::BasePluginEditorOldStyle (BasePluginOldStyle& p)
    : BasePluginEditor (p)
    , processor (p)
{
    findPresetNameDisplay();

    auto& midiPage = getMidiControlPage();
    midiPage.setMapFileExtension (processor.getMidiCCMapFileExtension());
    midiPage.setMapFileWildcard (processor.getMidiCCMapFileWildcards());
    midiPage.setRecentFolder ({[this] { return processor.getRecentlyUsedDirectory(); },
                               [this] (const juce::File& folder)
                               { processor.setRecentlyUsedDirectory (folder); }});

    presetBrowser = std::make_unique<OldStylePresetBrowserWindow> (processor);
    presetBrowser->setStatusBar (&getStatusBar());
    addChildComponent (*presetBrowser);
    presetBrowser->setBounds (presetBrowser->getX(), presetBrowser->getY(), presetBrowserWidth,
                              presetBrowserHeight);

    presetsPage = std::make_unique<PresetsSettingsComponent> (processor);
    presetsPage->getDefaultPresetsGroup().addListener (this);

    auto& tabs = getOptionsWindow().getTabs();
    tabs.addTab ("Presets", juce::Colour (tabColour), presetsPage.get(), false, 0);
    tabs.setCurrentTabIndex (-1, false);
    tabs.setCurrentTabIndex (0, false);
}

BasePluginEditorOldStyle::~BasePluginEditorOldStyle()
{
    if (presetNameDisplay != nullptr)
        presetNameDisplay->removeListener (static_cast<GFXDisplayListener*> (this));
    presetsPage->getDefaultPresetsGroup().removeListener (this);

    // The tabs hold the page without owning it: take it out before it goes.
    auto& tabs = getOptionsWindow().getTabs();
    for (int i = tabs.getNumTabs(); --i >= 0;)
        if (tabs.getTabContentComponent (i) == presetsPage.get())
            tabs.removeTab (i);

    presetsPage.reset();
    presetBrowser.reset();
}

juce::Component* BasePluginEditorOldStyle::getPresetBrowser() const noexcept
{
    return presetBrowser.get();
}

void BasePluginEditorOldStyle::findPresetNameDisplay()
{
    presetNameDisplay = findControl<GFXDisplay> ("PresetNameDisplay");
    if (presetNameDisplay != nullptr)
        presetNameDisplay->addListener (static_cast<GFXDisplayListener*> (this));
}

void BasePluginEditorOldStyle::skinApplied()
{
    BasePluginEditor::skinApplied();
    // The old display went with the old panel, and with it its list of listeners.
    findPresetNameDisplay();
}

void BasePluginEditorOldStyle::controllerActionTriggered (GUIController* control, int eventUid)
{
    switch (eventUid)
    {
        case selectNextPresetEvent: processor.selectNextPreset(); return;
        case selectPreviousPresetEvent: processor.selectPreviousPreset(); return;
        case browsePresetsEvent:
            if (presetBrowser != nullptr)
                presetBrowser->show();
            return;
        case copyCurrentPresetEvent: processor.copyCurrentPreset(); return;
        case pasteCopiedPresetEvent: processor.pasteCopiedPreset(); return;
        case storeCurrentPresetEvent: processor.storePreset (processor.getCurrentPresetIndex()); return;
        default: BasePluginEditor::controllerActionTriggered (control, eventUid); return;
    }
}

void BasePluginEditorOldStyle::radioButtonsChanged (RadioButtons_V2* group)
{
    if (group == &presetsPage->getDefaultPresetsGroup())
        getStatusBar().showText ("Default Presets settings will be affected when plugin is loaded.",
                                 noticePriority);
}

void BasePluginEditorOldStyle::displayTextEdited (GFXDisplay* display)
{
    if (display == nullptr || display != presetNameDisplay)
        return;

    // A preset without a name could not be told apart in the browser or saved under a file name: the
    // display goes back to the name the preset has.
    const int index = processor.getCurrentPresetIndex();
    if (display->getText().trim().isEmpty())
        display->setText (processor.getPresetName (index));
    else
        processor.setPresetName (index, display->getText());
}
