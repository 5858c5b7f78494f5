#include "KelvanorEditorFixture.h"

#include "skin/source/SkinSource.h"

namespace KelvanorEditorTest
{
namespace
{
juce::String linkTo (const juce::String& parameter)
{
    return "<links><link as='connectedTo' param='" + parameter + "'/></links>";
}

juce::String onClick (const juce::String& event)
{
    return "<actions><action type='onClick' event='" + event + "'/></actions>";
}

juce::String twoDigits (int n)
{
    return juce::String (n).paddedLeft ('0', 2);
}

/** A bitmap font for the text displays: 96 glyphs from the space, each 4 rows high, plain then highlighted.
 */
constexpr const char* fontElement = "<gfx resource='font.png' fontHeight='4' firstASCII=' '/>";

juce::MemoryBlock fontImage()
{
    juce::Image image (juce::Image::ARGB, 8, 96 * 2 * 4, true);
    juce::Graphics (image).fillAll (juce::Colours::white);
    juce::MemoryBlock png;
    juce::MemoryOutputStream out (png, false);
    juce::PNGImageFormat().writeImageToStream (image, out);
    out.flush();
    return png;
}

} // namespace

std::vector<SkinControl> fullSkinControls()
{
    std::vector<SkinControl> c{
        {"MultiStateButton", "MidiLearnButton", onClick ("Toggle Midi Learn")},
        {"Animation", "MidiActivityLed", {}},
        {"Display", "PresetNameDisplay", linkTo ("Current Preset Name") + fontElement},
        {"PatternNumberDisplay", "PatternNumberDisplay", linkTo ("Pattern Number")},
        {"Display", "PatternNameDisplay", linkTo ("Pattern Name") + fontElement},
        {"NumericDisplay", "TempoDisplay", linkTo ("Pattern Tempo")},
        {"Knob", "TempoKnob", linkTo ("Pattern Tempo")},
        {"Knob", "ShuffleKnob", linkTo ("Pattern Shuffle")},
        {"NumericDisplay", "ShuffleDisplay", linkTo ("Pattern Shuffle")},
        {"MultiStateButton", "PattRandModeButton", onClick ("Toggle Randomizer")},
        {"MultiStateButton", "PattLengthButton", onClick ("Toggle Length Mode")},
        {"Button", "PattPrevButton", onClick ("Prev")},
        {"Button", "PattNextButton", onClick ("Next")},
        {"NumericDisplay", "ArpeShuffleDisplay", linkTo ("Arpe Shuffle Value")},
        {"Switch", "ArpeRepeaterSwitch", linkTo ("Arpe Repeater")},
        {"Switch", "ArpeMultiplierSwitch", linkTo ("Arpe Multiplier")},
        {"Switch", "ArpeChordSwitch", linkTo ("Arpe Chord")},
        {"Switch", "RandChordSwitch", linkTo ("Randomizer Chord")},
        {"MultiStateButton", "OctaveDownButton", onClick ("Press Lower Octave")},
        {"MultiStateButton", "OctaveUpButton", onClick ("Press Upper Octave")},
        {"MultiStateButton", "GateButton", onClick ("Press Gate")},
        {"MultiStateButton", "AccentButton", onClick ("Press Accent")},
        {"MultiStateButton", "SlideButton", onClick ("Press Slide")},
        {"MultiStateButton", "RandNotesButton", onClick ("Toggle Rand Notes")},
        {"Knob", "GateLevelKnob", linkTo ("Gate Level")},
        {"Knob", "AccentLevelKnob", linkTo ("Accent Level")},
        {"Knob", "SlideLevelKnob", linkTo ("Slide Level")},
        {"Knob", "GateThresholdKnob", linkTo ("Gate Threshold")},
        {"Knob", "AccentThresholdKnob", linkTo ("Accent Threshold")},
        {"Knob", "SlideThresholdKnob", linkTo ("Slide Threshold")},
        {"Knob", "Cutoff Knob", linkTo ("Cutoff")},
    };

    const char* const noteEvents[] = {"C", "Cis", "D", "Dis", "E", "F", "Fis",
                                      "G", "Gis", "A", "Ais", "B", "C1"};
    for (int key = 0; key < KelvanorEditor::numNoteKeys; ++key)
        c.push_back ({"MultiStateButton", KelvanorEditor::noteKeyNames[(size_t) key],
                      onClick (juce::String ("Press Note ") + noteEvents[key])});

    for (int step = 1; step <= KelvanorEditor::numSteps; ++step)
    {
        c.push_back ({"MultiStateButton", "PattLen" + twoDigits (step) + "Led",
                      onClick ("Set Pattern Length To " + twoDigits (step))});
        c.push_back ({"MultiStateButton", "PattStepNum" + twoDigits (step) + "Led",
                      onClick ("Set Step " + twoDigits (step) + " Edition")});
    }
    return c;
}

void EditorFixture::SetUp()
{
    BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"), folder.getChildFile ("common"));
    plugin = makeProcessor();
    plugin->setEditorFactory (
        [] (BasePlugin& owner)
        {
            return BasePluginEditor::initialised (
                std::make_unique<KelvanorEditor> (dynamic_cast<Kelvanor&> (owner)));
        });
    plugin->runLateInitialisation();
    pumpMessages();
    ASSERT_NE (dynamic_cast<KelvanorEditor*> (plugin->getGuiController()), nullptr);
}

void EditorFixture::TearDown()
{
    plugin.reset();
    pumpMessages();
    BasePlugin::overrideApplicationDataFolders ({}, {});
}

void EditorFixture::applySkin (const juce::String& name, const std::vector<SkinControl>& controls, int offset)
{
    juce::String xml = "<PluginEditor application='Kelvanor'><Panel name='MainPanel'>"
                       "<size width='820' height='620'/><controls>";
    for (size_t i = 0; i < controls.size(); ++i)
    {
        const int x = offset + (int) (i % 20) * 40, y = offset + (int) (i / 20) * 40;
        const auto& c = controls[i];
        const juce::String digits = c.tag == "NumericDisplay" ? " digitsNum='3'" : "";
        xml << "<" << c.tag << " name='" << c.name << "'" << digits << "><pos left='" << x << "' top='" << y
            << "'/><size width='30' height='30'/>" << c.inner << "</" << c.tag << ">";
    }
    xml << "</controls></Panel></PluginEditor>";

    const auto inner = makeZip ({{"skin.xml", textBlock (xml)}, {"font.png", fontImage()}});
    const auto outer =
        makeZip ({{name + ".md5", textBlock (SkinSource::digestOf (inner))}, {name + ".skin", inner}});
    const auto skinsFolder = SkinSource::getSkinsDirectory (*plugin);
    skinsFolder.createDirectory();
    ASSERT_TRUE (skinsFolder.getChildFile (name + SkinSource::skinFileExtension)
                     .replaceWithData (outer.getData(), outer.getSize()));

    editor().applySkin (name);
    ASSERT_EQ (editor().getCurrentSkinName(), name);
    pumpMessages();
}

void EditorFixture::setParameter (int id, float normalised)
{
    plugin->getParameterManager().setParameterNormalised (id, normalised);
    pumpMessages();
}

void EditorFixture::fire (int eventUid)
{
    editor().controllerActionTriggered (nullptr, eventUid);
    pumpMessages();
}

void EditorFixture::click (juce::Button& button)
{
    button.triggerClick();
    pumpMessages();
}
} // namespace KelvanorEditorTest
