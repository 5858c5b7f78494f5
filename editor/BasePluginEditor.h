#pragma once

#include "editor/AlertWindow.h"
#include "editor/PresetSaveFlow.h"
#include "editor/pages/GUISettingsComponent.h"
#include "framework/BasePlugin.h"
#include "framework/MidiControl.h"
#include "framework/Parameter.h"
#include "skin/controller/GUIController.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/widgets/DefaultResourceCheckBox.h"
#include "skin/windows/ModalComponent.h"
#include "skin/windows/TabbedComponentEx.h"

#include <atomic>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>

class AboutWindow;
class GFXAnimation;
class GFXMultiStateButton;
class GFXPanel;
class HostParametersComponent;
class MidiControlComponent;
class OptionsWindow;
class PresetsSettingsComponent;
class StatusBar;

/** The base of every editor: the persistent component that the processor builds once at start-up and
    keeps until it dies, while host windows only show and hide it.

    It builds the front panel from the skin (again when another skin is chosen), owns the status line under
    the panel, the options window and its pages, the about window, the preset questions and a tooltip
    window; it carries out the built-in events 1000-1010 and hands every other event to the processor.

    Its 25 ms timer applies a pending skin change and lights the MIDI activity light. It runs only while the
    editor is visible (a host window shows it): a closed editor costs no message-thread time.

    Message thread only, the timer and the asynchronous parameter notices included. The processor outlives
    the editor. */
class BasePluginEditor : public juce::Component,
                         public Parameter::Listener,
                         public GUIController::Listener,
                         public MidiControl::Listener,
                         public DefaultResourceCheckBox::Listener,
                         public TabbedComponentEx::Listener,
                         public ModalComponent::Desktop,
                         public juce::Timer,
                         public Zeb::AlertWindow::Caller,
                         public BasePlugin::Listener,
                         public BasePlugin::EditorSettings,
                         public GUISettingsComponent::Listener
{
public:
    static constexpr int timerIntervalMilliseconds = 25;
    static constexpr int tooltipDelayMilliseconds = 850;
    static constexpr int midiLightMilliseconds = 175;
    static constexpr int learnBlinkMilliseconds = 100;
    static constexpr juce::uint32 tabColour = 0xFFC5C5C5;

    /** The pages, windows, status bar and the built-in skin. The timer does not run yet. */
    explicit BasePluginEditor (BasePlugin& plugin);
    ~BasePluginEditor() override;

    /** Second phase, once, by the processor: the saved editor settings, the pages of the start-up order,
        the user's skin when skin files are enabled, the generic controls, then controlsCreated. */
    virtual void initialise();

    /** Builds an editor, then runs the steps the processor runs after creating it (initialise,
        afterInitialise and, with debug parameters, the debug panel): what a product's editor factory
        returns. */
    static std::unique_ptr<juce::Component> initialised (std::unique_ptr<BasePluginEditor> editor);

    //==============================================================================
    // Hooks of the derived editors

    /** Generic controls: an empty column after this parameter. */
    virtual bool hasSpaceAfterParameter (int /*parameterIndex*/) { return false; }
    /** Generic controls: a new row after this parameter. */
    virtual bool hasRowBreakAfterParameter (int /*parameterIndex*/) { return false; }
    virtual std::unique_ptr<juce::Component> createProcessingSettingsPage();
    virtual std::unique_ptr<GUISettingsComponent> createGUISettingsPage();
    /** At the end of initialise. */
    virtual void controlsCreated() {}
    /** One timer tick while the editor is visible; derived editors call this first. */
    virtual void timerUpdate();
    /** Whether the status bar is laid out under the panel. */
    virtual bool hasStatusBar() { return true; }
    virtual void createDebugPanel();
    /** Right after initialise. */
    virtual void afterInitialise() {}

    // The editor's element of the user settings and of the state: the processor writes them with its own
    // sections and hands them back (the layered product writes neither).
    juce::String getSettingsXmlTag() const override { return "Editor"; }
    virtual bool isSettingsXml (const juce::XmlElement& element) const;
    /** "Editor"; with skin files on, its "Skin" child names the default skin. */
    std::unique_ptr<juce::XmlElement> createSettingsXml() override;
    /** Reads only the default skin's name; another element changes nothing. */
    void restoreSettingsXml (const juce::XmlElement& element) override;
    juce::String getStateXmlTag() const override { return "Editor"; }
    virtual bool isStateXml (const juce::XmlElement& element) const;
    /** "Editor"; with skin files on, its "Skin" child names the skin showing. */
    std::unique_ptr<juce::XmlElement> createStateXml() override;
    /** With skin files on, applies the named skin at once when it is valid; else changes nothing. */
    void restoreStateXml (const juce::XmlElement& element) override;

    /** Once a new panel is in place: every layer finds its controls again here. Pointers into the old
        panel are dangling by now. */
    virtual void skinApplied() {}
    /** One control per host parameter when there is no skin panel. */
    virtual bool usesGenericControls() { return false; }

    //==============================================================================
    juce::File getSkinsDirectory() const;
    juce::File getSkinFile (const juce::String& name) const;

    void setDefaultSkinName (const juce::String& name) { defaultSkinName = name; }
    const juce::String& getDefaultSkinName() const noexcept { return defaultSkinName; }
    const juce::String& getCurrentSkinName() const noexcept { return currentSkinName; }

    /** Hides the panel and the options window, says "Loading skin..." and leaves the work to the next
        timer tick, so the notice is painted before the work starts. When the skin then cannot be applied,
        the panel that was showing is shown again and the status bar says so (skinNotLoadedText). */
    void requestSkinChange (const juce::String& name);
    /** Builds the skin's panel and puts it in place of the current one; a skin that cannot be built, or
        whose main panel cannot be shown (fitsWindow), leaves everything as it was and gives false. Then
        why receives the reason when it is the panel's size (GFXPanel::describeSizeProblem), else nothing.
        The empty name is the built-in skin. */
    bool applySkin (const juce::String& name, juce::String* why = nullptr);
    /** The lasting notice of a requested skin that could not be applied, with why when it is known. */
    static juce::String skinNotLoadedText (const juce::String& name, const juce::String& why = {});
    bool isSkinChangePending() const noexcept { return skinChangePending.load() != 0; }

    void setEditorSize (int width, int contentHeight);
    void layoutStatusBar();
    int getContentHeight() const noexcept { return contentHeight; }
    /** The rows of the editor's window below the panel: the status bar's height, none without one. */
    int getRowsBelowPanel();
    /** The X window's pixels per pixel of the editor: JUCE's desktop scale of the window the editor shows in
        (1 unless someone sets one), times what the window's peer adds for its display (1 for a plug-in on
        Linux: JUCE gives a plug-in's displays no scale beyond the desktop's). */
    float getWindowScale() const;
    /** Whether a panel of that size can be shown in the editor's window: GFXPanel::findSizeProblem for the
        panel with the rows below it, at the window's scale. When not, why receives the reason. Every size
        the editor asks for its window with a skin's panel in it is checked here first. */
    bool fitsWindow (int panelWidth, int panelHeight, juce::String* why = nullptr);

    /** The first direct child of that name, else the first match depth first in child order; null. */
    static juce::Component* findControlByName (juce::Component* root, const juce::String& name);

    /** Offers the parameter to MIDI learn when learning is on and the parameter is automatable. */
    void passToMidiLearn (Parameter* parameter);
    /** The parameter's name and text on the status bar, for three seconds. */
    void showParameterStatus (Parameter* parameter, int priority);

    // The preset questions and prompts (the collection name is "Presets" throughout).
    juce::File makePresetFile (PresetCollection* collection) const
    {
        return saveFlow.makePresetFile (collection);
    }
    void savePreset (const juce::String& collectionName) { saveFlow.savePreset (collectionName); }
    void savePresetAs (const juce::String& collectionName) { saveFlow.savePresetAs (collectionName); }
    void askToOverwritePreset (const juce::String& collectionName, const juce::File& file)
    {
        saveFlow.askToOverwritePreset (collectionName, file);
    }
    void askToSaveChangedPreset (const juce::String& collectionName, int direction)
    {
        saveFlow.askToSaveChangedPreset (collectionName, direction);
    }

    //==============================================================================
    // Accessors

    BasePlugin& getPlugin() const noexcept { return plugin; }
    StatusBar& getStatusBar() const noexcept { return *statusBar; }
    OptionsWindow& getOptionsWindow() const noexcept { return *optionsWindow; }
    AboutWindow& getAboutWindow() const noexcept { return *aboutWindow; }
    MidiControlComponent& getMidiControlPage() const noexcept { return *midiControlPage; }
    HostParametersComponent& getHostParametersPage() const noexcept { return *hostParametersPage; }
    PresetsSettingsComponent& getPresetsPage() const noexcept { return *presetsPage; }
    GUISettingsComponent* getGUISettingsPage() const noexcept { return guiPage.get(); }
    juce::Component* getProcessingSettingsPage() const noexcept { return processingPage.get(); }
    GFXPanel* getSkinPanel() const noexcept { return skinPanel.get(); }
    GFXMultiStateButton* getMidiLearnButton() const noexcept { return midiLearnButton; }
    GFXAnimation* getMidiActivityLight() const noexcept { return midiActivityLight; }
    juce::TooltipWindow* getTooltipWindow() const noexcept { return tooltipWindow.get(); }
    PresetSaveFlow& getPresetSaveFlow() noexcept { return saveFlow; }
    int getNumGenericControls() const noexcept { return genericControls.size(); }
    GUIController* getGenericControl (int index) const noexcept { return genericControls[index]; }
    bool areSkinFilesEnabled() const noexcept { return skinFilesEnabled; }

    /** Shown by event 1004 when set (owned). */
    void setPresetBrowserWindow (std::unique_ptr<ModalComponent> window);

    //==============================================================================
    // Listener callbacks

    void parameterChanged (Parameter*) override {}
    void parameterChangeGestureBegin (Parameter*) override {}
    void parameterChangeGestureEnd (Parameter*) override {}

    void controllerValueChanged (GUIController* control) override;
    void controllerActionTriggered (GUIController* control, int eventUid) override;

    void midiLearnStateChanged (MidiControl* map) override;
    void parameterMovedByMidi (MidiControl* map) override;

    void defaultResourceChanged (DefaultResourceCheckBox* box) override;
    void tabChanged (TabbedComponentEx* tabs) override;
    juce::Rectangle<int> getModalArea() override;
    std::unique_ptr<ModalComponent> createYesNoQuestion (const juce::String& title,
                                                         const juce::String& message,
                                                         std::function<void (bool yes)> answer) override;
    void timerCallback() override;
    void alertWindowClosed (Zeb::AlertWindow* alert, int result) override;
    void processingModeChanged (BasePlugin* plugin, int mode) override;
    void defaultSkinChanged (GUISettingsComponent* page) override;
    void currentSkinChanged (GUISettingsComponent* page) override;

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;
    void childBoundsChanged (juce::Component* child) override;
    void visibilityChanged() override;

protected:
    /** Off in every product; a derived editor's constructor may switch it on (the GUI page, the skin names
        in the settings and the state). */
    bool skinFilesEnabled = false;

private:
    void buildGenericControls();
    void showLearnButtonState (bool learning);

    // The look and feel outlives every child that uses it.
    DefaultLookAndFeel lookAndFeel;

    BasePlugin& plugin;

    std::unique_ptr<OptionsWindow> optionsWindow;
    std::unique_ptr<MidiControlComponent> midiControlPage;
    std::unique_ptr<HostParametersComponent> hostParametersPage;
    std::unique_ptr<PresetsSettingsComponent> presetsPage;
    std::unique_ptr<GUISettingsComponent> guiPage;
    std::unique_ptr<juce::Component> processingPage;
    std::unique_ptr<AboutWindow> aboutWindow;

    GFXAnimation* midiActivityLight = nullptr;      // in the skin panel
    GFXMultiStateButton* midiLearnButton = nullptr; // in the skin panel
    juce::Image zebLogo, pluginLogo;

    PresetSaveFlow saveFlow;
    std::unique_ptr<ModalComponent> presetBrowserWindow;
    juce::OwnedArray<GUIController> genericControls;
    std::unique_ptr<juce::TooltipWindow> tooltipWindow;
    std::unique_ptr<StatusBar> statusBar;
    int contentHeight = 0;

    std::unique_ptr<GFXPanel> debugPanel;
    juce::OwnedArray<GUIController> debugKnobs, debugButtons;

    juce::String defaultSkinName, currentSkinName, requestedSkinName;
    std::atomic<int> skinChangePending{0};

    std::unique_ptr<GFXPanel> skinPanel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BasePluginEditor)
};
