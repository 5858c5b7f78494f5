#pragma once

#include "editor/BasePluginEditorOldStyle.h"
#include "engine/Clock.h"
#include "engine/IntSeqPlugin.h"
#include "skin/widgets/CheckBox_V2.h"
#include "skin/widgets/PopupMenuEx.h"
#include "skin/windows/FileChooserPolicy.h"

#include <functional>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>

class GFXButton;
class GFXKnob;
class GFXMultiStateButton;
class NumericDisplay;
class PatternNumberDisplay;

/** The editor layer of a processor with the internal step sequencer: the pattern section of the panel
    (number, name, tempo, shuffle, randomizer and length keys), the menus that load and save pattern files,
    the step lights that follow the playing sequencer, and the "Sequencer" and "Patterns" pages.

    The sequencer reaches the panel only through its state parameters (this editor's asynchronous
    parameterChanged) and through the clock's notices, both on the message thread. The editor stays a
    listener of the clock for its whole life: both live as long as the processor. Message thread only. */
class IntSeqPluginEditor : public BasePluginEditorOldStyle,
                           public Clock::Listener,
                           public PopupMenuEx::Listener
{
public:
    class SequencerSettingsComponent;
    class PatternsSettingsComponent;

    /** The file dialog: the request and what to do with the chosen file (not called on cancel). */
    using FileChooserFunction =
        std::function<void (const FileChooserPolicy::Request&, FileChooserPolicy::Callback)>;

    enum MenuItem
    {
        singlePatternItem = 0,
        patternBankItem = 1
    };

    static constexpr int nameBlinkPeriodMs = 200;

    explicit IntSeqPluginEditor (IntSeqPlugin& processor);
    ~IntSeqPluginEditor() override;

    /** "Load Patterns" and "Save Patterns" open their menus; the rest goes to the layer below. */
    void controllerActionTriggered (GUIController* control, int eventUid) override;
    void popupMenuItemSelected (PopupMenuEx* menu, int itemId, bool wasTicked) override;
    /** The pattern name display renames the edited pattern. */
    void displayTextEdited (GFXDisplay* display) override;
    /** The sequencer's state parameters onto the pattern section. */
    void parameterChanged (Parameter* parameter) override;
    void skinApplied() override;

    void clockStarted() override;
    void clockStateChanged (Clock& clock) override;

    /** Replaces the file dialog of the pattern menus (an empty function restores the usual one). */
    void setFileChooserFunction (FileChooserFunction function) { chooserFunction = std::move (function); }

    IntSeqPlugin& getSequencerProcessor() const noexcept { return processor; }
    PopupMenuEx& getLoadMenu() noexcept { return loadMenu; }
    PopupMenuEx& getSaveMenu() noexcept { return saveMenu; }
    FileChooserPolicy& getChooser() noexcept { return chooser; }
    SequencerSettingsComponent& getSequencerPage() const noexcept { return *sequencerPage; }
    PatternsSettingsComponent& getPatternsPage() const noexcept { return *patternsPage; }

    // The pattern section of the current panel; each null when the skin lacks it.
    PatternNumberDisplay* getPatternNumberDisplay() const noexcept { return patternNumberDisplay; }
    GFXDisplay* getPatternNameDisplay() const noexcept { return patternNameDisplay; }
    NumericDisplay* getTempoDisplay() const noexcept { return tempoDisplay; }
    GFXKnob* getTempoKnob() const noexcept { return tempoKnob; }
    GFXKnob* getShuffleKnob() const noexcept { return shuffleKnob; }
    NumericDisplay* getShuffleDisplay() const noexcept { return shuffleDisplay; }
    GFXMultiStateButton* getRandomizerButton() const noexcept { return randModeButton; }
    GFXMultiStateButton* getLengthButton() const noexcept { return lengthButton; }
    GFXButton* getPreviousPatternButton() const noexcept { return prevButton; }
    GFXButton* getNextPatternButton() const noexcept { return nextButton; }

protected:
    /** Switches a control's blinking and lets it redraw; null is ignored. */
    static void setControlBlinking (BlinkingComponent* control, bool shouldBlink);
    /** Shows the current state parameters on the controls found, with no status text: what a new panel
        needs, since its controls start from their defaults. */
    void showSequencerStates();

private:
    void findSequencerControls();
    /** What one state parameter shows; notices go to the status bar only for changes, not for refreshes. */
    void showSequencerState (int id, bool on, bool isChange);
    /** A mode's notice: shown when the mode goes on, taken away when it goes off unless another text has
        replaced it. */
    void showNoticeWhileOn (const juce::String& notice, bool on);
    void openMenu (PopupMenuEx& menu, GFXButton* anchor);
    void choosePatternFile (bool saving, bool bank);
    void runPatternFileAction (bool saving, bool bank, const juce::File& file);

    IntSeqPlugin& processor;

    PatternNumberDisplay* patternNumberDisplay = nullptr; // the controls live in the skin panel
    GFXDisplay* patternNameDisplay = nullptr;
    NumericDisplay* tempoDisplay = nullptr;
    GFXKnob* tempoKnob = nullptr;
    GFXKnob* shuffleKnob = nullptr;
    NumericDisplay* shuffleDisplay = nullptr;
    GFXMultiStateButton* randModeButton = nullptr;
    GFXMultiStateButton* lengthButton = nullptr;
    GFXButton* prevButton = nullptr;
    GFXButton* nextButton = nullptr;

    PopupMenuEx loadMenu, saveMenu;
    std::unique_ptr<PatternsSettingsComponent> patternsPage;
    std::unique_ptr<SequencerSettingsComponent> sequencerPage;

    FileChooserPolicy chooser{*this};
    FileChooserFunction chooserFunction;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (IntSeqPluginEditor)
};

/** The "Sequencer" page: the sequencer's modes now ("Current settings") and for new instances ("Default
    settings"), and how the host's transport starts it. The product appends boxes of its own to both
    panels. Message thread only. */
class IntSeqPluginEditor::SequencerSettingsComponent : public juce::Component,
                                                       public juce::Button::Listener,
                                                       public RadioButtons_V2::Listener,
                                                       public Parameter::Listener
{
public:
    enum Box
    {
        internalSequencerBox = 0,
        internalClockBox = 1,
        hostModeBox = 2,
        noteOffModeBox = 3,
        numBoxes = 4
    };

    explicit SequencerSettingsComponent (IntSeqPlugin& processor);
    ~SequencerSettingsComponent() override;

    CheckBox_V2& getCurrentBox (int box) noexcept { return *currentBoxes[box]; }
    CheckBox_V2& getDefaultBox (int box) noexcept { return *defaultBoxes[box]; }
    RadioButtons_V2& getHostPlayDetectionGroup() noexcept { return *playDetectionGroup; }

    /** A further box at the end of a panel (not owned). */
    void addCurrentSettingsItem (juce::Component& item);
    void addDefaultSettingsItem (juce::Component& item);

    /** The boxes from the processor; the dependent ones enabled only while their sequencer box is on. */
    void refresh();

    void buttonClicked (juce::Button* button) override;
    void radioButtonsChanged (RadioButtons_V2* group) override;
    void parameterChanged (Parameter* parameter) override;
    void lookAndFeelChanged() override;
    void resized() override;

private:
    void updateEnablement();
    void fitPanels();

    IntSeqPlugin& processor;
    PanelComponent currentPanel{"Current settings"}, defaultPanel{"Default settings"};
    ComponentRow currentRow, defaultRow;
    juce::OwnedArray<CheckBox_V2> currentBoxes, defaultBoxes;
    std::unique_ptr<RadioButtons_V2> playDetectionGroup;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SequencerSettingsComponent)
};

/** The "Patterns" page: the patterns a new instance starts with. Message thread only. */
class IntSeqPluginEditor::PatternsSettingsComponent : public juce::Component,
                                                      public RadioButtons_V2::Listener,
                                                      public PathComponent::Listener
{
public:
    explicit PatternsSettingsComponent (IntSeqPlugin& processor);
    ~PatternsSettingsComponent() override;

    DefaultResourcesRadioButtons& getDefaultPatternsGroup() noexcept { return *group; }

    void refresh();

    void radioButtonsChanged (RadioButtons_V2* changed) override;
    void pathChanged (PathComponent* path) override;
    void resized() override;
    void lookAndFeelChanged() override;

private:
    IntSeqPlugin& processor;
    std::unique_ptr<DefaultResourcesRadioButtons> group;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PatternsSettingsComponent)
};
