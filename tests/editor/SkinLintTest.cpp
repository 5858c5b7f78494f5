// The built-in skin as the editors meet it: the panel built from the embedded description on a real,
// fully initialised processor, the description itself read element by element, and every embedded file of
// it what its generator makes.

#include "TestSupport.h"
#include "engine/Kelvanor.h"
#include "framework/ResourceLoader.h"
#include "framework/XmlHelpers.h"
#include "skin/controls/GFXAnimation.h"
#include "skin/controls/GFXButton.h"
#include "skin/controls/GFXKnob.h"
#include "skin/controls/GFXMultiStateButton.h"
#include "skin/controls/GFXSwitch.h"
#include "skin/displays/GFXDisplay.h"
#include "skin/displays/NumericDisplay.h"
#include "skin/displays/PatternNumberDisplay.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/SkinSource.h"
#include "tools/PanelSkin.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace
{
juce::String twoDigits (int n)
{
    return juce::String (n).paddedLeft ('0', 2);
}

template <typename Control>
bool isA (GUIController* control)
{
    return dynamic_cast<Control*> (control) != nullptr;
}

struct NamedControl
{
    juce::String name;
    bool (*hasClass) (GUIController*);
    const char* className;
};

/** Every control an editor layer looks up by name, with the class it takes the control as. */
std::vector<NamedControl> controlsTheEditorsLookUp()
{
    std::vector<NamedControl> table{
        {"MidiLearnButton", isA<GFXMultiStateButton>, "GFXMultiStateButton"},
        {"MidiActivityLed", isA<GFXAnimation>, "GFXAnimation"},
        {"PresetNameDisplay", isA<GFXDisplay>, "GFXDisplay"},
        {"PatternNumberDisplay", isA<PatternNumberDisplay>, "PatternNumberDisplay"},
        {"PatternNameDisplay", isA<GFXDisplay>, "GFXDisplay"},
        {"TempoDisplay", isA<NumericDisplay>, "NumericDisplay"},
        {"TempoKnob", isA<GFXKnob>, "GFXKnob"},
        {"ShuffleKnob", isA<GFXKnob>, "GFXKnob"},
        {"ShuffleDisplay", isA<NumericDisplay>, "NumericDisplay"},
        {"PattRandModeButton", isA<GFXMultiStateButton>, "GFXMultiStateButton"},
        {"PattLengthButton", isA<GFXMultiStateButton>, "GFXMultiStateButton"},
        {"PattPrevButton", isA<GFXButton>, "GFXButton"},
        {"PattNextButton", isA<GFXButton>, "GFXButton"},
        {"ArpeShuffleDisplay", isA<NumericDisplay>, "NumericDisplay"},
    };
    for (const char* name :
         {"ArpeRepeaterSwitch", "ArpeMultiplierSwitch", "ArpeChordSwitch", "RandChordSwitch"})
        table.push_back ({name, isA<GFXSwitch>, "GFXSwitch"});
    for (const char* name : {"OctaveDownButton", "OctaveUpButton", "GateButton", "AccentButton",
                             "SlideButton", "RandNotesButton", "NoteCButton", "NoteC_Button", "NoteDButton",
                             "NoteD_Button", "NoteEButton", "NoteFButton", "NoteF_Button", "NoteGButton",
                             "NoteG_Button", "NoteAButton", "NoteA_Button", "NoteBButton", "NoteC1Button"})
        table.push_back ({name, isA<GFXMultiStateButton>, "GFXMultiStateButton"});
    for (const char* name : {"GateLevelKnob", "AccentLevelKnob", "SlideLevelKnob", "GateThresholdKnob",
                             "AccentThresholdKnob", "SlideThresholdKnob"})
        table.push_back ({name, isA<GFXKnob>, "GFXKnob"});
    for (int step = 1; step <= 16; ++step)
    {
        table.push_back (
            {"PattLen" + twoDigits (step) + "Led", isA<GFXMultiStateButton>, "GFXMultiStateButton"});
        table.push_back (
            {"PattStepNum" + twoDigits (step) + "Led", isA<GFXMultiStateButton>, "GFXMultiStateButton"});
    }
    return table;
}

/** Controls the editors show one at a time in the same place (their visible-while rules). */
const std::vector<std::set<juce::String>> deliberateStacks{{"ArpeRepeaterSwitch", "ArpeMultiplierSwitch"},
                                                           {"ArpeChordSwitch", "RandChordSwitch"},
                                                           {"GateLevelKnob", "GateThresholdKnob"},
                                                           {"AccentLevelKnob", "AccentThresholdKnob"},
                                                           {"SlideLevelKnob", "SlideThresholdKnob"}};

/** The action kinds each clickable tag registers; an action of another kind is silently dropped. */
const std::map<juce::String, std::set<juce::String>> actionKinds{
    {"Button", {"onClick", "onClickWithCtrl", "onRightClick"}},
    {"MultiStateButton", {"onClick", "onClickWithCtrl", "onClickWithShift", "onRightClick"}},
    {"Rocker", {"onLessClick", "onMoreClick", "onLessClickWithCtrl", "onMoreClickWithCtrl"}}};

/** The windows the editor opens over its panel: options, about, preset browser. */
const juce::Rectangle<int> editorWindows[] = {{800, 600}, {640, 480}, {639, 350}};

class SkinLint : public ::testing::Test
{
protected:
    SkinLint()
    {
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));
        processor = std::make_unique<Kelvanor>();
        processor->runLateInitialisation();

        source = std::make_unique<SkinSource> (*processor, juce::String());
        source->setKeyboardState (&keyboard);
        panel = source->createEditorPanel();
        document = juce::parseXML (getResourceAsString (SkinSource::skinDescriptionName));
        if (document != nullptr)
            collectControls (*document);
    }

    ~SkinLint() override
    {
        panel.reset();
        source.reset();
        processor.reset();
        BasePlugin::overrideApplicationDataFolders ({}, {});
    }

    void collectControls (const juce::XmlElement& element)
    {
        for (const auto* child : element.getChildIterator())
        {
            if (const auto* list = XmlHelpers::findChild (*child, "controls");
                list != nullptr && XmlHelpers::tagIs (*child, "Panel"))
                for (const auto* control : list->getChildIterator())
                {
                    controls.push_back (control);
                    collectControls (*control);
                }
            else if (XmlHelpers::tagIs (*child, "Panel"))
                collectControls (*child);
        }
    }

    /** Every event name some control of the skin fires. */
    std::set<juce::String> firedEvents() const
    {
        std::set<juce::String> names;
        for (const auto* control : controls)
            if (const auto* actions = XmlHelpers::findChild (*control, "actions"))
                for (const auto* action : actions->getChildIterator())
                    names.insert (action->getStringAttribute ("event"));
        return names;
    }

    std::set<juce::String> linkedParameters() const
    {
        std::set<juce::String> names;
        for (const auto* control : controls)
            if (const auto* links = XmlHelpers::findChild (*control, "links"))
                for (const auto* link : links->getChildIterator())
                    names.insert (link->getStringAttribute ("param"));
        return names;
    }

    /** The image of a "gfx"-like element's attribute, checked to split into whole frames. */
    void expectStrip (const juce::String& controlName, const juce::String& resource, int framesNum)
    {
        SCOPED_TRACE ((controlName + ": " + resource).toStdString());
        const auto image = source->getImage (resource);
        ASSERT_TRUE (image.isValid());
        ASSERT_GT (framesNum, 0);
        EXPECT_GT (image.getWidth(), 0);
        EXPECT_EQ (image.getHeight() % framesNum, 0)
            << image.getHeight() << " rows for " << framesNum << " frames";
        EXPECT_GE (image.getHeight() / framesNum, 1);
    }

    TemporaryFolder folder;
    juce::MidiKeyboardState keyboard;
    std::unique_ptr<Kelvanor> processor;
    std::unique_ptr<SkinSource> source;
    std::unique_ptr<GFXPanel> panel;
    std::unique_ptr<juce::XmlElement> document;
    std::vector<const juce::XmlElement*> controls;
};

TEST_F (SkinLint, BuildsAMainPanelThatHoldsEveryEditorWindow)
{
    ASSERT_NE (panel, nullptr);
    ASSERT_NE (document, nullptr);
    EXPECT_GE (panel->getWidth(), 820);
    EXPECT_GE (panel->getHeight(), 620);
    for (const auto& window : editorWindows)
        EXPECT_TRUE (
            panel->getLocalBounds().contains (window.withCentre (panel->getLocalBounds().getCentre())))
            << window.toString();
    EXPECT_EQ (panel->getNumControls(), (int) controls.size()) << "every element of the description is built";
}

TEST_F (SkinLint, EditorsFindEveryControlWithItsClassUnderAUniqueName)
{
    ASSERT_NE (panel, nullptr);
    for (const auto& expected : controlsTheEditorsLookUp())
    {
        auto* control = panel->findControl (expected.name);
        ASSERT_NE (control, nullptr) << expected.name;
        EXPECT_TRUE (expected.hasClass (control)) << expected.name << " is not a " << expected.className;
    }

    std::map<juce::String, int> uses;
    for (const auto* control : controls)
        ++uses[control->getStringAttribute ("name")];
    for (const auto& [name, count] : uses)
    {
        EXPECT_FALSE (name.isEmpty()) << "a control without a name";
        EXPECT_EQ (count, 1) << name << " names more than one control: lookups find only the first";
    }
}

TEST_F (SkinLint, EveryLinkNamesAParameterAndConnectsItsControl)
{
    ASSERT_NE (panel, nullptr);
    int index = 0;
    for (const auto* control : controls)
    {
        const auto name = control->getStringAttribute ("name");
        const auto* links = XmlHelpers::findChild (*control, "links");
        auto* built = panel->getControl (index++);
        ASSERT_NE (built, nullptr) << name;
        if (links == nullptr)
            continue;
        for (const auto* link : links->getChildIterator())
        {
            EXPECT_EQ (link->getStringAttribute ("as"), "connectedTo") << name;
            auto* parameter = source->findParameter (link->getStringAttribute ("param"));
            ASSERT_NE (parameter, nullptr)
                << name << " links to '" << link->getStringAttribute ("param") << "'";
            EXPECT_EQ (built->getParameter(), parameter) << name;
        }
    }
}

TEST_F (SkinLint, EveryActionNamesAnEventOfAKindItsControlFires)
{
    for (const auto* control : controls)
    {
        const auto name = control->getStringAttribute ("name");
        const auto* actions = XmlHelpers::findChild (*control, "actions");
        if (actions == nullptr)
            continue;
        const auto kinds = actionKinds.find (control->getTagName());
        ASSERT_NE (kinds, actionKinds.end()) << name << ": a " << control->getTagName() << " fires no events";
        for (const auto* action : actions->getChildIterator())
        {
            EXPECT_TRUE (kinds->second.count (action->getStringAttribute ("type")) == 1)
                << name << ": kind '" << action->getStringAttribute ("type") << "'";
            EXPECT_NE (source->findEventId (action->getStringAttribute ("event")), -1)
                << name << ": event '" << action->getStringAttribute ("event") << "'";
        }
    }
}

TEST_F (SkinLint, EveryHostParameterHasAControl)
{
    const auto linked = linkedParameters();
    ASSERT_EQ (processor->getNumHostParameters(), 36);
    for (int id = 0; id < processor->getNumHostParameters(); ++id)
    {
        auto* parameter = processor->getParameterManager().getParameter (id);
        ASSERT_NE (parameter, nullptr) << id;
        EXPECT_EQ (linked.count (parameter->getName()), 1u) << id << " " << parameter->getName();
    }
}

TEST_F (SkinLint, EveryEventFiresFromSomeControl)
{
    const auto fired = firedEvents();
    std::vector<juce::String> expected;

    const auto table = juce::parseXML (getResourceAsString ("events.xml"));
    ASSERT_NE (table, nullptr);
    for (const auto* event : table->getChildIterator())
        expected.push_back (event->getStringAttribute ("name"));
    ASSERT_EQ (expected.size(), 59u);

    // The framework's events the product's editors act on (saving to the processor base's preset folder,
    // 1005 and 1006, has no place in the product's bank flow).
    for (const char* name :
         {"Options", "About", "Select next preset", "Select previous preset", "Browse presets",
          "Copy current preset", "Paste copied preset", "Store current preset", "Toggle Midi Learn"})
        expected.push_back (name);
    for (int uid = 2000; uid <= 2038; ++uid)
    {
        const auto name = processor->getEventsMap().getEventNameForId (uid);
        ASSERT_FALSE (name.isEmpty()) << uid;
        expected.push_back (name);
    }

    for (const auto& name : expected)
        EXPECT_EQ (fired.count (name), 1u) << "no control fires '" << name << "'";
}

TEST_F (SkinLint, EveryImageLoadsAndSplitsIntoWholeFrames)
{
    for (const auto* control : controls)
    {
        const auto name = control->getStringAttribute ("name");
        const auto tag = control->getTagName();
        const auto* gfx = XmlHelpers::findChild (*control, "gfx");

        if (tag == "ToggleButton" || tag == "MultiStateButton")
        {
            ASSERT_NE (gfx, nullptr) << name;
            const int states =
                tag == "ToggleButton" ? 2 : juce::jmax (2, control->getIntAttribute ("states"));
            const int frames = control->getStringAttribute ("style", "2D") == "3D" ? 2 * states : states;
            expectStrip (name, gfx->getStringAttribute ("resource"), frames);
        }
        else if (tag == "NumericDisplay")
        {
            const auto* digits = XmlHelpers::findChild (*control, "digits");
            ASSERT_NE (digits, nullptr) << name;
            if (digits->hasAttribute ("resource"))
                expectStrip (name, digits->getStringAttribute ("resource"), 11);
            int count = 0;
            for (const auto* digit : digits->getChildIterator())
                expectStrip (name, digit->getStringAttribute ("resource"), 11), ++count;
            EXPECT_TRUE (digits->hasAttribute ("resource") || count == control->getIntAttribute ("digitsNum"))
                << name;
        }
        else if (tag == "PatternNumberDisplay")
        {
            ASSERT_NE (gfx, nullptr) << name;
            const std::pair<const char*, int> places[] = {
                {"firstDigit", 12}, {"secondDigit", 19}, {"thirdDigit", 13}, {"fourthDigit", 11}};
            for (const auto& [place, frames] : places)
                expectStrip (name, gfx->getStringAttribute (place), frames);
        }
        else if (tag == "Display")
        {
            ASSERT_NE (gfx, nullptr) << name;
            const int fontHeight = gfx->getIntAttribute ("fontHeight");
            ASSERT_GT (fontHeight, 0) << name;
            expectStrip (name, gfx->getStringAttribute ("resource"), 2 * fontHeight);
            const auto image = source->getImage (gfx->getStringAttribute ("resource"));
            EXPECT_GE (image.getHeight() / (2 * fontHeight), 127 - 32 + 1) << name << ": printable ASCII";
        }
        else
        {
            ASSERT_NE (gfx, nullptr) << name;
            const int frames = gfx->getIntAttribute ("framesNum", 1);
            expectStrip (name, gfx->getStringAttribute ("resource"), frames);
            // Knobs move visibly at every step; rockers show less, rest and more; buttons and lights a
            // pressed or lit frame.
            const int fewest = tag == "Knob"                             ? 64
                               : tag == "Rocker"                         ? 3
                               : (tag == "Button" || tag == "Animation") ? 2
                                                                         : 1;
            const int most = tag == "Knob" ? 128 : tag == "Rocker" ? 3 : 1024;
            EXPECT_TRUE (frames >= fewest && frames <= most) << name << ": " << frames << " frames";
        }
    }
}

TEST_F (SkinLint, ControlsLieInsideThePanelAndOverlapOnlyInDeliberateStacks)
{
    ASSERT_NE (panel, nullptr);
    const auto stackOf = [] (const juce::String& a, const juce::String& b)
    {
        for (const auto& stack : deliberateStacks)
            if (stack.count (a) == 1 && stack.count (b) == 1)
                return true;
        return false;
    };

    for (int i = 0; i < panel->getNumControls(); ++i)
    {
        const auto* a = panel->getControlComponent (i);
        EXPECT_FALSE (a->getBounds().isEmpty()) << a->getName();
        EXPECT_TRUE (panel->getLocalBounds().contains (a->getBounds()))
            << a->getName() << " at " << a->getBounds().toString();

        for (int j = i + 1; j < panel->getNumControls(); ++j)
        {
            const auto* b = panel->getControlComponent (j);
            if (!a->getBounds().intersects (b->getBounds()))
                continue;
            EXPECT_TRUE (stackOf (a->getName(), b->getName()))
                << a->getName() << " " << a->getBounds().toString() << " overlaps " << b->getName() << " "
                << b->getBounds().toString();
            EXPECT_EQ (a->getBounds(), b->getBounds()) << "a stack shows its controls in one place";
        }
    }

    for (const auto& stack : deliberateStacks)
        for (const auto& name : stack)
            EXPECT_NE (panel->findControl (name), nullptr) << name;
}
//==============================================================================
// The tests of the panel read its layout (tools/PanelLayout.cpp); the plug-in shows the files of resources/.
// Both are one skin only while those files are what the generator makes of the layout.
TEST (ShippedSkin, IsWhatItsGeneratorMakes)
{
    const char* regenerate =
        "; regenerate resources/ with\n"
        "  scripts/build.sh kelvanor_skin_artwork && build/tools/kelvanor_skin_artwork resources";
    std::set<juce::String> generated;
    for (const auto& file : PanelSkin::makeFiles())
    {
        const auto name = file.path.fromLastOccurrenceOf ("/", false, false);
        generated.insert (name);
        const auto shipped = getResourceData (name);
        EXPECT_TRUE (shipped != nullptr && *shipped == file.bytes)
            << file.path << " is not as generated" << regenerate;
    }
    for (const auto& image : juce::File (KELVANOR_SOURCE_DIR)
                                 .getChildFile ("resources/skin")
                                 .findChildFiles (juce::File::findFiles, false))
        EXPECT_EQ (generated.count (image.getFileName()), 1u)
            << image.getFileName() << " in resources/skin is not generated" << regenerate;
}
} // namespace
