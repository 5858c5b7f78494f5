#pragma once

#include "TestSupport.h"
#include "editor/KelvanorEditor.h"
#include "editor/StatusBar.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>
#include <vector>

/** The product's editor on a real Kelvanor processor started as the plug-in starts it, with its settings
    in a temporary folder and a panel from a small test skin that holds every control the editors look up. */
namespace KelvanorEditorTest
{
/** One control of a test skin: its tag, its name and what goes inside its element (links, actions). */
struct SkinControl
{
    juce::String tag, name, inner;
};

/** Every control the three editor layers look up, with the class each is taken as; the name displays,
    the number and the tempo/shuffle displays are linked to their parameters, the pattern menu keys fire
    their events, and a "Cutoff" knob stands for the synthesis controls. */
std::vector<SkinControl> fullSkinControls();

class EditorFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    /** The processor the editor is built for; fixtures may give it a different answer to a hook. */
    virtual std::unique_ptr<Kelvanor> makeProcessor() { return std::make_unique<Kelvanor>(); }

    /** Writes the controls as the user skin of that name (panel 820 x 620, controls on a grid starting at
        the offset) and makes it the editor's panel. */
    void applySkin (const juce::String& name, const std::vector<SkinControl>& controls, int offset = 0);

    /** Sets the parameter (with notification) and delivers the notices to the editor. */
    void setParameter (int id, float normalised);
    void fire (int eventUid);

    Kelvanor& processor() { return *plugin; }
    KelvanorEditor& editor() { return *static_cast<KelvanorEditor*> (plugin->getGuiController()); }
    StatusBar& statusBar() { return editor().getStatusBar(); }
    float parameterValue (int id) { return plugin->getParameterManager().getParameterNormalised (id); }
    juce::Component* control (const juce::String& name)
    {
        return BasePluginEditor::findControlByName (&editor(), name);
    }

    /** A button clicked as the user clicks it: the click arrives through the message queue. */
    static void click (juce::Button& button);

    TemporaryFolder folder;
    std::unique_ptr<Kelvanor> plugin;
};
} // namespace KelvanorEditorTest
