#include "editor/IntSeqPluginEditor.h"

#include "editor/EditorStatusTexts.h"
#include "editor/OptionsWindow.h"
#include "editor/StatusBar.h"
#include "skin/controls/GFXButton.h"
#include "skin/controls/GFXKnob.h"
#include "skin/controls/GFXMultiStateButton.h"
#include "skin/displays/NumericDisplay.h"
#include "skin/displays/PatternNumberDisplay.h"

namespace
{
constexpr int noticePriority = 4;
constexpr int menuBelowTarget = 16;

/** The state parameters this layer shows, in the order a new panel is brought up to date. */
constexpr int shownStates[] = {IntSeqPlugin::internalSequencerStateId,  IntSeqPlugin::internalSyncStateId,
                               IntSeqPlugin::hostModeStateId,           IntSeqPlugin::writeModeStateId,
                               IntSeqPlugin::randomizerStateId,         IntSeqPlugin::lengthModeStateId,
                               IntSeqPlugin::clipboardStateId,          IntSeqPlugin::nativeModeReadyStateId,
                               IntSeqPlugin::patternNameEditionStateId, IntSeqPlugin::patternTempoStateId};

bool isShownState (int id)
{
    for (const int shown : shownStates)
        if (shown == id)
            return true;
    return false;
}

void setControlEnabled (juce::Component* control, bool enabled)
{
    if (control != nullptr)
        control->setEnabled (enabled);
}
} // namespace

IntSeqPluginEditor::IntSeqPluginEditor (IntSeqPlugin& p)
    : BasePluginEditorOldStyle (p)
    , processor (p)
{
    findSequencerControls();

    loadMenu.addItem (singlePatternItem, "Load pattern");
    loadMenu.addItem (patternBankItem, "Load pattern bank");
    saveMenu.addItem (singlePatternItem, "Save pattern");
    saveMenu.addItem (patternBankItem, "Save pattern bank");
    loadMenu.addListener (this);
    saveMenu.addListener (this);

    patternsPage = std::make_unique<PatternsSettingsComponent> (processor);
    sequencerPage = std::make_unique<SequencerSettingsComponent> (processor);

    auto& tabs = getOptionsWindow().getTabs();
    tabs.addTab ("Sequencer", juce::Colour (tabColour), sequencerPage.get(), false, 0);
    tabs.setCurrentTabIndex (-1, false);
    tabs.setCurrentTabIndex (0, false);
    tabs.addTab ("Patterns", juce::Colour (tabColour), patternsPage.get(), false, 1);

    processor.getSequencerClock().addListener (this);
    showSequencerStates();
}

IntSeqPluginEditor::~IntSeqPluginEditor()
{
    processor.getSequencerClock().removeListener (this);
    if (patternNameDisplay != nullptr)
        patternNameDisplay->removeListener (static_cast<GFXDisplayListener*> (this));
    loadMenu.removeListener (this);
    saveMenu.removeListener (this);
    chooser.cancel();

    auto& tabs = getOptionsWindow().getTabs();
    for (int i = tabs.getNumTabs(); --i >= 0;)
        if (auto* page = tabs.getTabContentComponent (i);
            page == sequencerPage.get() || page == patternsPage.get())
            tabs.removeTab (i);

    sequencerPage.reset();
    patternsPage.reset();
}

void IntSeqPluginEditor::findSequencerControls()
{
    patternNumberDisplay = findControl<PatternNumberDisplay> ("PatternNumberDisplay");
    patternNameDisplay = findControl<GFXDisplay> ("PatternNameDisplay");
    tempoDisplay = findControl<NumericDisplay> ("TempoDisplay");
    tempoKnob = findControl<GFXKnob> ("TempoKnob");
    shuffleKnob = findControl<GFXKnob> ("ShuffleKnob");
    shuffleDisplay = findControl<NumericDisplay> ("ShuffleDisplay");
    randModeButton = findControl<GFXMultiStateButton> ("PattRandModeButton");
    lengthButton = findControl<GFXMultiStateButton> ("PattLengthButton");
    prevButton = findControl<GFXButton> ("PattPrevButton");
    nextButton = findControl<GFXButton> ("PattNextButton");

    if (patternNameDisplay != nullptr)
        patternNameDisplay->addListener (static_cast<GFXDisplayListener*> (this));
}

void IntSeqPluginEditor::skinApplied()
{
    BasePluginEditorOldStyle::skinApplied();
    findSequencerControls();
    showSequencerStates();
}

void IntSeqPluginEditor::setControlBlinking (BlinkingComponent* control, bool shouldBlink)
{
    if (control == nullptr)
        return;
    control->setBlinking (shouldBlink);
    control->blinkStateChanged();
}

void IntSeqPluginEditor::showSequencerStates()
{
    auto& manager = processor.getParameterManager();
    for (const int id : shownStates)
        if (const auto* parameter = manager.getParameter (id))
            showSequencerState (id, parameter->getValueBool(), false);
}

void IntSeqPluginEditor::showSequencerState (int id, bool on, bool isChange)
{
    switch (id)
    {
        case IntSeqPlugin::internalSequencerStateId:
            setControlEnabled (patternNumberDisplay, on);
            setControlEnabled (patternNameDisplay, on);
            setControlEnabled (shuffleDisplay, on);
            break;

        case IntSeqPlugin::internalSyncStateId: setControlEnabled (tempoDisplay, on); break;

        case IntSeqPlugin::hostModeStateId:
            if (patternNumberDisplay != nullptr)
            {
                // Host mode picks patterns by MIDI note, so the number reads as the note that selects it.
                patternNumberDisplay->setDisplayMode (
                    (int) (on ? DisplayArithmetic::PatternMode::note
                              : DisplayArithmetic::PatternMode::bankAndSlot));
                patternNumberDisplay->clampToModeRange();
                patternNumberDisplay->updateDigits();
            }
            break;

        case IntSeqPlugin::writeModeStateId:
            if (shuffleDisplay != nullptr)
                shuffleDisplay->setInteractive (on);
            setControlEnabled (shuffleKnob, on);
            break;

        case IntSeqPlugin::randomizerStateId:
            setControlBlinking (randModeButton, on);
            if (isChange && !on)
                getStatusBar().clearText (noticePriority);
            break;

        case IntSeqPlugin::lengthModeStateId:
            setControlBlinking (lengthButton, on);
            if (isChange)
                showNoticeWhileOn ("Set pattern length.", on);
            break;

        case IntSeqPlugin::clipboardStateId:
            if (isChange)
                showNoticeWhileOn ("Pattern has been copied to clipboard.", on);
            break;

        case IntSeqPlugin::nativeModeReadyStateId:
            if (patternNameDisplay != nullptr)
                patternNameDisplay->setBlinkPeriod (nameBlinkPeriodMs);
            setControlBlinking (patternNameDisplay, on);
            break;

        case IntSeqPlugin::patternNameEditionStateId:
            // Clicks start an edit: without them the name only shows.
            if (patternNameDisplay != nullptr)
                patternNameDisplay->setInterceptsMouseClicks (on, false);
            break;

        case IntSeqPlugin::patternTempoStateId:
            if (tempoDisplay != nullptr)
                tempoDisplay->setInteractive (on);
            setControlEnabled (tempoKnob, on);
            break;

        default: break;
    }
}

void IntSeqPluginEditor::showNoticeWhileOn (const juce::String& notice, bool on)
{
    auto& bar = getStatusBar();
    if (on)
        bar.showText (notice, noticePriority);
    else if (bar.getText() == notice) // a text shown since then stays
        bar.clearText (noticePriority);
}

void IntSeqPluginEditor::parameterChanged (Parameter* parameter)
{
    if (parameter == nullptr)
        return;

    const int id = parameter->getId();
    if (isShownState (id))
        showSequencerState (id, parameter->getValueBool(), true);
    else
        BasePluginEditorOldStyle::parameterChanged (parameter);
}

void IntSeqPluginEditor::controllerActionTriggered (GUIController* control, int eventUid)
{
    switch (eventUid)
    {
        case IntSeqPlugin::loadPatternsEvent: openMenu (loadMenu, prevButton); return;
        case IntSeqPlugin::savePatternsEvent: openMenu (saveMenu, nextButton); return;
        default: BasePluginEditorOldStyle::controllerActionTriggered (control, eventUid); return;
    }
}

void IntSeqPluginEditor::openMenu (PopupMenuEx& menu, GFXButton* anchor)
{
    if (!processor.isInternalSequencerOn() || anchor == nullptr)
        return;
    menu.showAt (this, getLocalArea (anchor, anchor->getLocalBounds()), menuBelowTarget);
}

void IntSeqPluginEditor::popupMenuItemSelected (PopupMenuEx* menu, int itemId, bool)
{
    if (menu != &loadMenu && menu != &saveMenu)
        return;
    if (itemId != singlePatternItem && itemId != patternBankItem)
        return;
    choosePatternFile (menu == &saveMenu, itemId == patternBankItem);
}

void IntSeqPluginEditor::choosePatternFile (bool saving, bool bank)
{
    FileChooserPolicy::Request request;
    request.saving = saving;
    request.initialLocation = processor.getRecentlyUsedDirectory();
    if (saving)
    {
        request.title = bank ? "Save pattern bank" : "Save current pattern";
        request.patterns = bank ? processor.getPatternBankFileWildcard() : processor.getPatternFileWildcard();
        request.savedExtension =
            bank ? processor.getPatternBankFileExtension() : processor.getPatternFileExtension();
    }
    else
    {
        request.title = bank ? "Load pattern bank" : "Load single pattern";
        request.patterns =
            bank ? processor.getPatternBankFileWildcards() : processor.getPatternFileWildcards();
    }

    juce::Component::SafePointer<IntSeqPluginEditor> safeThis (this);
    auto callback = [safeThis, saving, bank] (const juce::File& chosen)
    {
        if (safeThis != nullptr)
            safeThis->runPatternFileAction (saving, bank, chosen);
    };

    if (chooserFunction)
        chooserFunction (request, std::move (callback));
    else
        chooser.launch (request, std::move (callback));
}

void IntSeqPluginEditor::runPatternFileAction (bool saving, bool bank, const juce::File& file)
{
    if (file == juce::File())
        return;
    processor.setRecentlyUsedDirectory (file.getParentDirectory());

    const int edited = processor.getEditedPattern();
    bool done = false;

    // A save's file comes from the chooser with its extension already added (choosePatternFile).
    if (saving)
        done = bank ? processor.savePatternBankFile (file) : processor.savePatternFile (file, edited);
    else
    {
        done = bank ? processor.loadPatternBankFile (file) : processor.loadPatternFile (file, edited);
        processor.updatePatternStates();
    }

    // The processor keeps what it had when a file fails; the user has to hear that nothing happened.
    if (done)
        return;
    if (saving)
        showSaveFailed (&getStatusBar(), file);
    else
        getStatusBar().showText (EditorStatusTexts::loadFailed (file), noticePriority);
}

void IntSeqPluginEditor::displayTextEdited (GFXDisplay* display)
{
    if (display != nullptr && display == patternNameDisplay)
        processor.setPatternName (processor.getEditedPattern(), display->getText());
    BasePluginEditorOldStyle::displayTextEdited (display);
}

void IntSeqPluginEditor::clockStarted()
{
    processor.updateNativeModeReadyState();
    processor.updateStepInverseStates();
}

void IntSeqPluginEditor::clockStateChanged (Clock&)
{
    processor.updateStepInverseStates();
}
