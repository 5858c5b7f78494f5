#pragma once

#include "skin/windows/TabbedComponentEx.h"
#include "skin/windows/WindowComponent.h"

/** The window of the option pages. The editor adds the pages, the title "Options" and its size. */
class OptionsWindow : public WindowComponent
{
public:
    OptionsWindow();
    ~OptionsWindow() override;

    TabbedComponentEx& getTabs() { return *tabs; }

    bool shouldDimBackground() const override { return true; }
    void resized() override;

private:
    std::unique_ptr<TabbedComponentEx> tabs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OptionsWindow)
};
