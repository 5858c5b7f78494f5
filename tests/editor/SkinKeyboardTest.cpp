#include "EditorTestFixture.h"

#include "skin/displays/ImageMidiKeyboard.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/SkinSource.h"
#include "vst/XWindowManagerAtoms.h"

using namespace EditorTest;

namespace
{
const juce::Colour upColour = juce::Colours::blue, heldColour = juce::Colours::red;

/** "Keys": a keyboard of notes 48..59 whose lowest key has a two-frame image (up blue, held red); the
    other keys are JUCE's. */
void writeKeyboardSkin (const juce::File& skinsFolder)
{
    juce::Image strip (juce::Image::RGB, 16, 120, true);
    strip.clear ({0, 0, 16, 60}, upColour);
    strip.clear ({0, 60, 16, 60}, heldColour);
    juce::MemoryBlock png;
    {
        juce::MemoryOutputStream out (png, false);
        juce::PNGImageFormat().writeImageToStream (strip, out);
    }

    const juce::String xml =
        juce::String ("<PluginEditor application='") + productName +
        "'><Panel name='MainPanel'><size width='300' height='120'/><controls>"
        "<MidiKeyboard name='Keyboard' firstKey='48' lastKey='59'><pos left='20' top='30'/>"
        "<size width='200' height='60'/><Keys><Key><gfx resource='key.png' framesNum='2'/>"
        "<size width='16' height='60'/><pos left='20' top='30'/></Key></Keys></MidiKeyboard>"
        "</controls></Panel></PluginEditor>";
    const auto inner = makeZip ({{"skin.xml", textBlock (xml)}, {"key.png", png}});
    const auto outer =
        makeZip ({{"Keys.md5", textBlock (SkinSource::digestOf (inner))}, {"Keys.skin", inner}});
    skinsFolder.createDirectory();
    skinsFolder.getChildFile ("Keys.zebskin").replaceWithData (outer.getData(), outer.getSize());
}

/** The mouse button pressed (or released) at a point of the component, as its window's peer hears it
    from the window system. */
void mouseButton (juce::Component& component, juce::Point<int> position, bool down)
{
    auto* peer = component.getPeer();
    ASSERT_NE (peer, nullptr);
    const auto local = peer->getComponent().getLocalPoint (&component, position).toFloat();
    peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, local,
                            down ? juce::ModifierKeys::leftButtonModifier : juce::ModifierKeys(), 1.0f, 0.0f,
                            juce::Time::currentTimeMillis());
}

/** One block of the product; what its MIDI output holds, as "position: description" lines. */
std::vector<std::string> outputOfABlock (BasePlugin& product)
{
    juce::AudioBuffer<float> buffer (2, 64);
    juce::MidiBuffer midi;
    product.processBlock (buffer, midi);
    std::vector<std::string> lines;
    for (const auto event : midi)
        lines.push_back (std::to_string (event.samplePosition) + ": " +
                         event.getMessage().getDescription().toStdString());
    return lines;
}

juce::Colour centrePixel (ImageMidiKeyboard& keyboard, int note)
{
    const auto snapshot = keyboard.createComponentSnapshot (keyboard.getLocalBounds(), false, 1.0f);
    const auto at = keyboard.getKeyBounds (note).getCentre();
    return snapshot.getPixelAt (at.x, at.y);
}
} // namespace

TEST_F (PlainEditorTest, SkinKeyboardPlaysIntoTheProductAndShowsTheKeysOthersHold)
{
    writeKeyboardSkin (folders.getSkinsFolder());
    start();
    ASSERT_EQ (editor().getCurrentSkinName(), "Keys");
    auto* keyboard = dynamic_cast<ImageMidiKeyboard*> (editor().getSkinPanel()->findControl ("Keyboard"));
    ASSERT_NE (keyboard, nullptr);
    EXPECT_EQ (keyboard->getBounds(), juce::Rectangle<int> (20, 30, 200, 60));

    // A click half way down a key, on the imaged key and on one of JUCE's, plays its note at half velocity
    // from the next block; the release ends it. The window system's clicks reach the editor's window
    // (headless, a window without a handle; on a bare X server, once the window-manager atoms exist).
    XWindowManagerAtoms::ensureExist();
    editor().addToDesktop (0);
    editor().setVisible (true);
    for (const int note : {48, 52})
    {
        const auto name = juce::MidiMessage::getMidiNoteName (note, true, true, 3).toStdString();
        const auto at = keyboard->getKeyBounds (note).getCentre();
        mouseButton (*keyboard, at, true);
        EXPECT_EQ (outputOfABlock (product()),
                   std::vector<std::string>{"0: Note on " + name + " Velocity 64 Channel 1"});
        mouseButton (*keyboard, at, false);
        EXPECT_EQ (outputOfABlock (product()),
                   std::vector<std::string>{"0: Note off " + name + " Velocity 0 Channel 1"});
    }
    EXPECT_TRUE (outputOfABlock (product()).empty());

    // Held by another source, on another channel: the key shows held from the keyboard's next tick.
    auto& state = product().getKeyboardState();
    ASSERT_TRUE (runMessageLoopUntil ([&] { return centrePixel (*keyboard, 48) == upColour; }, 10000));
    state.noteOn (7, 48, 1.0f);
    EXPECT_TRUE (runMessageLoopUntil ([&] { return centrePixel (*keyboard, 48) == heldColour; }, 10000));
    state.noteOff (7, 48, 0.0f);
    EXPECT_TRUE (runMessageLoopUntil ([&] { return centrePixel (*keyboard, 48) == upColour; }, 10000));
    editor().removeFromDesktop();
}
