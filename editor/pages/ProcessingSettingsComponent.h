#pragma once

#include "skin/widgets/ComboBoxButton.h"
#include "skin/widgets/HardLabel.h"
#include "skin/windows/ComponentRow.h"
#include "skin/windows/PanelComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

class Parameter;

/** The "Processing" page: the processing quality used now and by default, each for real-time and offline
    rendering. The four choosers are bound to the processor's quality parameters, so the values live,
    notify and persist in the parameter model. Message thread only. */
class ProcessingSettingsComponent : public juce::Component
{
public:
    /** A titled panel with a "Real-time" and an "Offline" chooser. */
    class QualityPanel
    {
    public:
        explicit QualityPanel (const juce::String& title);

        /** Both labels as wide as the wider text, 20 high. */
        void updateLabelWidths();

        PanelComponent panel;
        ComponentRow content, realtimeRow, offlineRow;
        HardLabel realtimeLabel{{}, "Real-time"}, offlineLabel{{}, "Offline"};
        ComboBoxButton realtimeChooser, offlineChooser;
    };

    ProcessingSettingsComponent();
    ~ProcessingSettingsComponent() override;

    QualityPanel& getDefaultQuality() noexcept { return defaultQuality; }
    QualityPanel& getCurrentQuality() noexcept { return currentQuality; }

    /** Binds the four choosers ("Current quality" to the real-time and offline quality, "Default quality"
        to their defaults) when all four are enumerations; otherwise binds none and returns false. */
    bool bindQualityParameters (Parameter* realtime, Parameter* offline, Parameter* defaultRealtime,
                                Parameter* defaultOffline);

    void lookAndFeelChanged() override;
    void resized() override;

private:
    QualityPanel defaultQuality{"Default quality"}, currentQuality{"Current quality"};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProcessingSettingsComponent)
};
