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

#include <cmath>
#include <cstring>

namespace
{
enum class Reading
{
    whole, // juce::String::getIntValue
    real   // XmlHelpers::getFiniteDouble
};

struct BoundedNumber
{
    const char* elementTag; // null: on any element
    const char* attribute;  // as the controls read it, case counting
    Reading reading;
    int limit;
};

// Every number a control reads from its element, the first line that matches an attribute counting.
const BoundedNumber boundedNumbers[] = {
    {"font", "height", Reading::real, GFXPanel::maxSkinFontHeight},
    {"font", "extraKerning", Reading::real, GFXPanel::maxSkinKerning},
    {nullptr, "fontHeight", Reading::whole, GFXPanel::maxSkinFontHeight},
    {nullptr, "left", Reading::whole, GFXPanel::maxSkinCoordinate},
    {nullptr, "top", Reading::whole, GFXPanel::maxSkinCoordinate},
    {nullptr, "right", Reading::whole, GFXPanel::maxSkinCoordinate},
    {nullptr, "width", Reading::whole, GFXPanel::maxSkinCoordinate},
    {nullptr, "height", Reading::whole, GFXPanel::maxSkinCoordinate},
    {nullptr, "ofsX", Reading::whole, GFXPanel::maxSkinCoordinate},
    {nullptr, "ofsY", Reading::whole, GFXPanel::maxSkinCoordinate},
    {nullptr, "framesNum", Reading::whole, GFXPanel::maxSkinCount},
    {nullptr, "states", Reading::whole, GFXPanel::maxSkinCount},
    {nullptr, "digitsNum", Reading::whole, GFXPanel::maxSkinCount},
    {nullptr, "slotMax", Reading::whole, GFXPanel::maxSkinCount},
    {nullptr, "radioGroupId", Reading::whole, GFXPanel::maxSkinValue},
    {nullptr, "firstKey", Reading::whole, GFXPanel::maxSkinValue},
    {nullptr, "lastKey", Reading::whole, GFXPanel::maxSkinValue},
    {nullptr, "notePatternMin", Reading::whole, GFXPanel::maxSkinValue},
    {nullptr, "notePatternMax", Reading::whole, GFXPanel::maxSkinValue},
    {nullptr, "numericPatternMin", Reading::whole, GFXPanel::maxSkinValue},
    {nullptr, "numericPatternMax", Reading::whole, GFXPanel::maxSkinValue},
    {nullptr, "bankAndSlotPatternMin", Reading::whole, GFXPanel::maxSkinValue},
    {nullptr, "bankAndSlotPatternMax", Reading::whole, GFXPanel::maxSkinValue},
};

/** The line that bounds that attribute of the element, or null. */
const BoundedNumber* findBound (const juce::XmlElement& element, const char* attribute)
{
    for (const auto& bound : boundedNumbers)
        if (std::strcmp (attribute, bound.attribute) == 0 &&
            (bound.elementTag == nullptr || XmlHelpers::tagIs (element, bound.elementTag)))
            return &bound;
    return nullptr;
}

/** The text read as juce::String::getIntValue reads it (blanks, an optional minus, the leading digits),
    but saturating beyond the limit instead of wrapping; +-(limit + 1) stands for anything beyond. */
juce::int64 readWhole (const juce::String& text, int limit)
{
    auto p = text.getCharPointer().findEndOfWhitespace();
    const bool negative = *p == '-';
    if (negative)
        ++p;

    juce::int64 magnitude = 0;
    for (auto c = p.getAndAdvance(); c >= '0' && c <= '9'; c = p.getAndAdvance())
        magnitude = juce::jmin ((juce::int64) limit + 1, magnitude * 10 + (c - '0'));
    return negative ? -magnitude : magnitude;
}

/** The bounded text of a number beyond its limit; empty when the number is within it. */
juce::String boundedText (const juce::String& text, const BoundedNumber& bound)
{
    if (bound.reading == Reading::whole)
    {
        const auto value = readWhole (text, bound.limit);
        return value > bound.limit ? juce::String (bound.limit)
                                   : (value < -bound.limit ? juce::String (-bound.limit) : juce::String());
    }

    const auto trimmed = text.trim();
    if (!trimmed.containsAnyOf ("0123456789"))
        return {};
    const double value = trimmed.getDoubleValue();
    if (!std::isfinite (value) || std::abs (value) <= (double) bound.limit)
        return {}; // the control falls back on a number that is not finite
    return juce::String (value < 0.0 ? -bound.limit : bound.limit);
}
} // namespace

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

void GFXPanel::boundSkinNumbers (juce::XmlElement& root)
{
    // Without recursion: the tree may come from anywhere, not only from the depth-bounded reader.
    std::vector<juce::XmlElement*> pending{&root};
    while (!pending.empty())
    {
        auto* element = pending.back();
        pending.pop_back();

        // By the table, not by the element's attributes: an element may carry any number of them.
        for (const auto& bound : boundedNumbers)
        {
            if (!element->hasAttribute (bound.attribute) || findBound (*element, bound.attribute) != &bound)
                continue;
            if (const auto text = boundedText (element->getStringAttribute (bound.attribute), bound);
                text.isNotEmpty())
                element->setAttribute (bound.attribute, text);
        }

        for (auto* child : element->getChildIterator())
            pending.push_back (child);
    }
}

namespace
{
/** So many pixels at the scale, rounded as JUCE rounds a scaled window's and a snapshot's size; a count
    beyond every limit where that would leave the int range. */
juce::int64 scaledPixels (juce::int64 pixels, float scale) noexcept
{
    constexpr juce::int64 beyondEveryLimit = 1 << 30;
    if (!((double) scale * (double) pixels < (double) beyondEveryLimit))
        return beyondEveryLimit;
    return juce::roundToInt (scale * (float) pixels);
}
} // namespace

GFXPanel::SizeProblem GFXPanel::findSizeProblem (int width, int height, int rowsBelow, float scale) noexcept
{
    if (width < 1 || height < 1)
        return SizeProblem::noSize;
    if ((juce::int64) width * height > maxSkinPanelPixels)
        return SizeProblem::tooManyPixels;

    if (!(scale > 0.0f && std::isfinite (scale)))
        return SizeProblem::noSizeAtScale;
    const auto scaledWidth = scaledPixels (width, scale), scaledHeight = scaledPixels (height, scale);
    if (scaledWidth < 1 || scaledHeight < 1)
        return SizeProblem::noSizeAtScale;
    if (scaledWidth * scaledHeight > maxSkinPanelPixels)
        return SizeProblem::tooManyPixelsAtScale;

    if (scaledWidth > maxWindowSide)
        return SizeProblem::windowTooWide;
    if (scaledPixels ((juce::int64) height + juce::jmax (0, rowsBelow), scale) > maxWindowSide)
        return SizeProblem::windowTooHigh;
    return SizeProblem::none;
}

bool GFXPanel::isShowableSize (int width, int height, int rowsBelow, float scale) noexcept
{
    return findSizeProblem (width, height, rowsBelow, scale) == SizeProblem::none;
}

juce::String GFXPanel::describeSizeProblem (SizeProblem problem)
{
    const auto pixels = " more than " + juce::String (maxSkinPanelPixels) + " pixels";
    const auto window = " than " + juce::String (maxWindowSide) + " pixels, the most X allows";
    switch (problem)
    {
        case SizeProblem::none: return {};
        case SizeProblem::noSize: return "its main panel has no size";
        case SizeProblem::tooManyPixels: return "its main panel has" + pixels;
        case SizeProblem::noSizeAtScale: return "its main panel has no size at the display's scale";
        case SizeProblem::tooManyPixelsAtScale:
            return "its main panel has" + pixels + " at the display's scale";
        case SizeProblem::windowTooWide: return "its window would be wider" + window;
        case SizeProblem::windowTooHigh: return "its window, with the status bar, would be higher" + window;
    }
    return {};
}

bool GFXPanel::readSkinBool (const juce::String& text) noexcept
{
    const auto first = text.trimStart()[0];
    return first == '1' || first == 't' || first == 'T' || first == 'y' || first == 'Y';
}

void GFXPanel::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    // Bounded once for the whole tree: nested panels are handed their part of this copy.
    juce::XmlElement bounded (element);
    boundSkinNumbers (bounded);
    loadBoundedXml (bounded, skinSource);
}

void GFXPanel::loadBoundedXml (const juce::XmlElement& element, SkinSource& skinSource)
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

            if (auto* nested = dynamic_cast<GFXPanel*> (built.controller.get()))
                nested->loadBoundedXml (*child, skinSource);
            else
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
