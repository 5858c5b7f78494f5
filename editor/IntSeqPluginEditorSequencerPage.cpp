#include "editor/IntSeqPluginEditor.h"

namespace
{
constexpr int boxHeight = 20;
constexpr int panelGap = 3;    // between the two panels
constexpr int sectionGap = 10; // above the radio group

const char* const boxTexts[] = {"Use internal sequencer", "Use internal clock", "Host Mode", "Note Off Mode"};

/** The state parameter each current box shows. */
constexpr int boxStateIds[] = {IntSeqPlugin::internalSequencerStateId, IntSeqPlugin::internalSyncStateId,
                               IntSeqPlugin::hostModeStateId, IntSeqPlugin::noteOffStateId};
} // namespace

IntSeqPluginEditor::SequencerSettingsComponent::SequencerSettingsComponent (IntSeqPlugin& p)
    : processor (p)
    , playDetectionGroup (std::make_unique<RadioButtons_V2> (
          "Host play detection", juce::StringArray{"By transport change", "By lowest C note"}))
{
    for (auto* row : {&currentRow, &defaultRow})
    {
        row->setOrientation (ComponentRow::vertical);
        row->setAlignment (ComponentRow::alignStart);
        row->setSpacing (2);
    }

    for (int i = 0; i < numBoxes; ++i)
    {
        for (auto* boxes : {&currentBoxes, &defaultBoxes})
        {
            auto* box = boxes->add (std::make_unique<CheckBox_V2>());
            box->setButtonText (boxTexts[i]);
            box->setSize (100, boxHeight);
            box->changeWidthToFitText (boxHeight);
            box->addListener (this);
        }
        currentRow.addAndMakeVisible (currentBoxes[i]);
        defaultRow.addAndMakeVisible (defaultBoxes[i]);
    }

    currentPanel.setContentComponent (&currentRow, true);
    defaultPanel.setContentComponent (&defaultRow, true);
    addAndMakeVisible (currentPanel);
    addAndMakeVisible (defaultPanel);

    playDetectionGroup->addListener (this);
    addAndMakeVisible (*playDetectionGroup);

    auto& manager = processor.getParameterManager();
    for (const int id : boxStateIds)
        manager.addAsyncListener (id, this);

    refresh();
    fitPanels();
}

IntSeqPluginEditor::SequencerSettingsComponent::~SequencerSettingsComponent()
{
    auto& manager = processor.getParameterManager();
    for (const int id : boxStateIds)
        manager.removeAsyncListener (id, this);

    playDetectionGroup->removeListener (this);
    for (auto* boxes : {&currentBoxes, &defaultBoxes})
        for (auto* box : *boxes)
            box->removeListener (this);

    currentPanel.setContentComponent (nullptr, false);
    defaultPanel.setContentComponent (nullptr, false);
}

void IntSeqPluginEditor::SequencerSettingsComponent::refresh()
{
    const auto& manager = processor.getParameterManager();
    for (int i = 0; i < numBoxes; ++i)
        currentBoxes[i]->setToggleState (manager.getParameterValue (boxStateIds[i]) >= 0.5f,
                                         juce::dontSendNotification);

    defaultBoxes[internalSequencerBox]->setToggleState (processor.getDefaultInternalSequencer(),
                                                        juce::dontSendNotification);
    defaultBoxes[internalClockBox]->setToggleState (processor.getDefaultInternalSync(),
                                                    juce::dontSendNotification);
    defaultBoxes[hostModeBox]->setToggleState (processor.getDefaultHostMode(), juce::dontSendNotification);
    defaultBoxes[noteOffModeBox]->setToggleState (processor.getDefaultNoteOffMode(),
                                                  juce::dontSendNotification);

    playDetectionGroup->setSelectedIndex (processor.getHostPlayDetection(), false);
    updateEnablement();
}

void IntSeqPluginEditor::SequencerSettingsComponent::updateEnablement()
{
    const bool currentOn = processor.isInternalSequencerOn();
    const bool defaultOn = processor.getDefaultInternalSequencer();
    for (int i = internalClockBox; i < numBoxes; ++i)
    {
        currentBoxes[i]->setEnabled (currentOn);
        defaultBoxes[i]->setEnabled (defaultOn);
    }
}

void IntSeqPluginEditor::SequencerSettingsComponent::buttonClicked (juce::Button* button)
{
    const bool on = button->getToggleState();

    if (button == currentBoxes[internalSequencerBox])
    {
        processor.setInternalSequencer (on);
        updateEnablement();
    }
    else if (button == defaultBoxes[internalSequencerBox])
    {
        processor.setDefaultInternalSequencer (on);
        updateEnablement();
    }
    else if (currentBoxes.contains (static_cast<CheckBox_V2*> (button)))
    {
        // The modes mean nothing while the sequencer is off; its parameters then read off as well.
        if (!processor.isInternalSequencerOn())
            return;
        if (button == currentBoxes[internalClockBox])
            processor.setInternalSync (on);
        else if (button == currentBoxes[hostModeBox])
            processor.setHostMode (on);
        else
            processor.setNoteOffMode (on);
    }
    else if (defaultBoxes.contains (static_cast<CheckBox_V2*> (button)))
    {
        if (!processor.getDefaultInternalSequencer())
            return;
        if (button == defaultBoxes[internalClockBox])
            processor.setDefaultInternalSync (on);
        else if (button == defaultBoxes[hostModeBox])
            processor.setDefaultHostMode (on);
        else
            processor.setDefaultNoteOffMode (on);
    }
}

void IntSeqPluginEditor::SequencerSettingsComponent::radioButtonsChanged (RadioButtons_V2* group)
{
    if (group == playDetectionGroup.get())
        processor.setHostPlayDetection (group->getSelectedIndex());
}

void IntSeqPluginEditor::SequencerSettingsComponent::parameterChanged (Parameter* parameter)
{
    for (int i = 0; i < numBoxes; ++i)
    {
        if (parameter->getId() != boxStateIds[i])
            continue;
        currentBoxes[i]->setToggleState (parameter->getValueBool(), juce::dontSendNotification);
        if (i == internalSequencerBox)
            updateEnablement();
    }
}

void IntSeqPluginEditor::SequencerSettingsComponent::addCurrentSettingsItem (juce::Component& item)
{
    currentRow.addAndMakeVisible (item);
    fitPanels();
}

void IntSeqPluginEditor::SequencerSettingsComponent::addDefaultSettingsItem (juce::Component& item)
{
    defaultRow.addAndMakeVisible (item);
    fitPanels();
}

void IntSeqPluginEditor::SequencerSettingsComponent::fitPanels()
{
    currentRow.updateLayout();
    defaultRow.updateLayout();
    currentPanel.fitToContent (-1, -1);
    defaultPanel.fitToContent (-1, -1);
    resized();
}

void IntSeqPluginEditor::SequencerSettingsComponent::lookAndFeelChanged()
{
    for (auto* boxes : {&currentBoxes, &defaultBoxes})
        for (auto* box : *boxes)
            box->changeWidthToFitText (box->getHeight());
    fitPanels();
}

void IntSeqPluginEditor::SequencerSettingsComponent::resized()
{
    currentPanel.setTopLeftPosition (0, 0);
    defaultPanel.setTopLeftPosition (currentPanel.getRight() + panelGap, 0);
    const int bottom = juce::jmax (currentPanel.getBottom(), defaultPanel.getBottom());
    playDetectionGroup->setButtonWidth (defaultPanel.getRight());
    playDetectionGroup->setTopLeftPosition (0, bottom + sectionGap);
}
