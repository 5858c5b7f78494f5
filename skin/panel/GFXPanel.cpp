#include "skin/panel/GFXPanel.h"

#include "framework/XmlHelpers.h"
#include "skin/controls/GFXAnimation.h"
#include "skin/controls/GFXButton.h"
#include "skin/controls/GFXKnob.h"
#include "skin/controls/GFXMidiChannelDisplay.h"
#include "skin/controls/GFXMultiStateButton.h"
#include "skin/controls/GFXRocker.h"
#include "skin/controls/GFXSwitch.h"
#include "skin/controls/GFXToggleButton.h"
#include "skin/displays/GFXDisplay.h"
#include "skin/displays/ImageMidiKeyboard.h"
#include "skin/displays/NoteDisplay.h"
#include "skin/displays/NumericDisplay.h"
#include "skin/displays/PatternNumberDisplay.h"
#include "skin/displays/TextInput.h"
#include "skin/modmatrix/ModulationMatrixComponent.h"
#include "skin/source/SkinSource.h"

const std::vector<GFXPanel::ControlKind>& GFXPanel::getControlKinds()
{
    // One line per tag, in the order the builder tests them. The control classes of the other folders
    // add their lines here (with their include above) as they arrive:
    //   "Knob" "Switch" "Animation" "Button" "ToggleButton" "MultiStateButton" "Display" "DisplayFloat"
    //   "Rocker" | "NumericDisplay" "NoteDisplay" "PatternNumberDisplay" "MidiKeyboard" (through
    //   makeSkinKeyboardControl) "PitchBender" "ModWheel" "ModulationMatrix" "MidiChannelDisplay"
    //   "TextInput".
    static const std::vector<ControlKind> kinds{
        {"Knob", makeSkinControl<GFXKnob>},
        {"Switch", makeSkinControl<GFXSwitch>},
        {"Animation", makeSkinControl<GFXAnimation>},
        {"Button", makeSkinControl<GFXButton>},
        {"ToggleButton", makeSkinControl<GFXToggleButton>},
        {"MultiStateButton", makeSkinControl<GFXMultiStateButton>},
        {"Display", makeSkinControl<GFXDisplay>},
        {"DisplayFloat", makeSkinControl<GFXDisplayFloat>},
        {"Rocker", makeSkinControl<GFXRocker>},
        {"Panel", makeSkinControl<GFXPanel>},
        {"NumericDisplay", makeSkinControl<NumericDisplay>},
        {"NoteDisplay", makeSkinControl<NoteDisplay>},
        {"PatternNumberDisplay", makeSkinControl<PatternNumberDisplay>},
        {"MidiKeyboard", makeSkinKeyboardControl<ImageMidiKeyboard>},
        {"PitchBender", makeSkinControl<PitchBender>},
        {"ModWheel", makeSkinControl<ModWheel>},
        {"ModulationMatrix", makeSkinControl<ModulationMatrixComponent>},
        {"MidiChannelDisplay", makeSkinControl<GFXMidiChannelDisplay>},
        {"TextInput", makeSkinControl<TextInput>},
    };
    return kinds;
}

GFXPanel::GFXPanel (const juce::String& name)
    : juce::Component (name)
{
    setInterceptsMouseClicks (true, true);
}

GFXPanel::~GFXPanel()
{
    removeAllChildren();
    while (!controls.empty())
        controls.pop_back();
}

bool GFXPanel::readSkinBool (const juce::String& text) noexcept
{
    const auto first = text.trimStart()[0];
    return first == '1' || first == 't' || first == 'T' || first == 'y' || first == 'Y';
}

void GFXPanel::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    BaseGFXController::loadFromXml (element, skinSource);

    if (const auto* gfx = XmlHelpers::findChild (element, "gfx"))
    {
        const bool newTransparent = readSkinBool (gfx->getStringAttribute ("transparent"));
        if (newTransparent != transparent)
        {
            transparent = newTransparent;
            repaint();
        }
    }

    if (const auto* list = XmlHelpers::findChild (element, "controls"))
    {
        const int offsetX = list->getIntAttribute ("ofsX");
        const int offsetY = list->getIntAttribute ("ofsY");

        for (const auto* child : list->getChildIterator())
        {
            const auto& kinds = getControlKinds();
            const auto kind =
                std::find_if (kinds.begin(), kinds.end(),
                              [child] (const ControlKind& k) { return XmlHelpers::tagIs (*child, k.tag); });
            if (kind == kinds.end())
                continue;

            auto built = kind->create (child->getStringAttribute ("name"), skinSource);
            if (built.controller == nullptr || built.component == nullptr)
                continue;

            built.controller->loadFromXml (*child, skinSource);
            if (auto* bound = built.controller->getParameter())
                built.controller->updateFromParameter (bound);

            built.component->setVisible (true);
            addChildComponent (built.component);
            controls.push_back (std::move (built));
        }

        if (offsetX != 0 || offsetY != 0)
            for (auto* child : getChildren())
                child->setTopLeftPosition (child->getPosition().translated (offsetX, offsetY));
    }

    setBounds (left, top, getWidth(), getHeight());
    setBounds (left, top, frameWidth, frameHeight);
    repaint();
}

void GFXPanel::addListener (GUIController::Listener* listener)
{
    GUIController::addListener (listener);
    for (auto& control : controls)
        control.controller->addListener (listener);
}

void GFXPanel::removeListener (GUIController::Listener* listener)
{
    GUIController::removeListener (listener);
    for (auto& control : controls)
        control.controller->removeListener (listener);
}

void GFXPanel::paint (juce::Graphics& g)
{
    if (transparent)
        return;

    if (image.isValid())
        drawFrame (g, 0, {0, 0, frameWidth, frameHeight});
    else
        g.fillAll (juce::Colour::greyLevel (0.9f));
}

GUIController* GFXPanel::getControl (int index) const noexcept
{
    return juce::isPositiveAndBelow (index, (int) controls.size()) ? controls[(size_t) index].controller.get()
                                                                   : nullptr;
}

juce::Component* GFXPanel::getControlComponent (int index) const noexcept
{
    return juce::isPositiveAndBelow (index, (int) controls.size()) ? controls[(size_t) index].component
                                                                   : nullptr;
}

GUIController* GFXPanel::findControl (const juce::String& name) const
{
    for (const auto& control : controls)
        if (control.component->getName() == name)
            return control.controller.get();

    for (const auto& control : controls)
        if (auto* nested = dynamic_cast<GFXPanel*> (control.controller.get()))
            if (auto* found = nested->findControl (name))
                return found;

    return nullptr;
}
