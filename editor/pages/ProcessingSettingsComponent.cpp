#include "editor/pages/ProcessingSettingsComponent.h"

#include "framework/Parameter.h"

ProcessingSettingsComponent::QualityPanel::QualityPanel (const juce::String& title)
    : panel (title)
{
    content.setOrientation (ComponentRow::vertical);
    content.setAlignment (ComponentRow::alignStart);
    content.setSpacing (6);

    const std::tuple<ComponentRow*, HardLabel*, ComboBoxButton*> rows[] = {
        {&realtimeRow, &realtimeLabel, &realtimeChooser}, {&offlineRow, &offlineLabel, &offlineChooser}};
    for (const auto& [row, label, chooser] : rows)
    {
        row->setOrientation (ComponentRow::horizontal);
        row->setAlignment (ComponentRow::alignCentre);
        row->setSpacing (6);
        label->setBorderSize ({});
        chooser->setName (label->getText());
        chooser->setSize (200, 20);
        row->addAndMakeVisible (label);
        row->addAndMakeVisible (chooser);
        content.addAndMakeVisible (row);
    }
    updateLabelWidths();
    panel.setContentComponent (&content, false);
}

void ProcessingSettingsComponent::QualityPanel::updateLabelWidths()
{
    const int width = juce::jmax (realtimeLabel.getTextWidth(), offlineLabel.getTextWidth());
    realtimeLabel.setSize (width, 20);
    offlineLabel.setSize (width, 20);
}

//==============================================================================
ProcessingSettingsComponent::ProcessingSettingsComponent()
{
    addAndMakeVisible (defaultQuality.panel);
    addAndMakeVisible (currentQuality.panel);
}

ProcessingSettingsComponent::~ProcessingSettingsComponent()
{
    // The panels do not own their content, which is destroyed before them.
    for (auto* q : {&defaultQuality, &currentQuality})
        q->panel.setContentComponent (nullptr, false);
}

bool ProcessingSettingsComponent::bindQualityParameters (Parameter* realtime, Parameter* offline,
                                                         Parameter* defaultRealtime,
                                                         Parameter* defaultOffline)
{
    for (auto* p : {realtime, offline, defaultRealtime, defaultOffline})
        if (dynamic_cast<EnumParameter*> (p) == nullptr)
            return false;

    currentQuality.realtimeChooser.setParameter (realtime);
    currentQuality.offlineChooser.setParameter (offline);
    defaultQuality.realtimeChooser.setParameter (defaultRealtime);
    defaultQuality.offlineChooser.setParameter (defaultOffline);
    return true;
}

void ProcessingSettingsComponent::lookAndFeelChanged()
{
    defaultQuality.updateLabelWidths();
    currentQuality.updateLabelWidths();
}

void ProcessingSettingsComponent::resized()
{
    const int halfWidth = getWidth() / 2 - 3;
    int x = 0;
    for (auto* q : {&defaultQuality, &currentQuality})
    {
        q->content.updateLayout();
        q->panel.fitToContent (halfWidth, -1);
        q->panel.setTopLeftPosition (x, 0);
        x = q->panel.getRight() + 6;
    }
}
