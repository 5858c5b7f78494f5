#include "editor/OptionsWindow.h"

OptionsWindow::OptionsWindow()
    : tabs (std::make_unique<TabbedComponentEx>())
{
    addAndMakeVisible (*tabs);
    resized();
}

OptionsWindow::~OptionsWindow() = default;

void OptionsWindow::resized()
{
    WindowComponent::resized();
    if (tabs != nullptr)
        tabs->setBounds (getContentArea());
}
