#include "framework/BasePlugin.h"

#include <juce_gui_basics/juce_gui_basics.h>

void BasePlugin::setEditorFactory (EditorFactory factory)
{
    editorFactory = std::move (factory);
}

std::unique_ptr<juce::Component> BasePlugin::createGuiController()
{
    return editorFactory != nullptr ? editorFactory (*this) : nullptr;
}

void BasePlugin::deleteGuiController()
{
    editorSettings = nullptr;
    guiController.reset();
}
