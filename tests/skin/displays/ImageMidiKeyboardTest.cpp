#include "skin/displays/ImageMidiKeyboard.h"
#include "skin/SkinTestSupport.h"
#include "skin/displays/GFXDisplay.h"
#include "skin/displays/NoteDisplay.h"
#include "skin/displays/NumericDisplay.h"
#include "skin/displays/PatternNumberDisplay.h"
#include "skin/displays/TextInput.h"
#include "skin/panel/GFXPanel.h"

using namespace SkinTest;

namespace
{
class Keyboards : public SourceTest
{
protected:
    Keyboards() { embed ({{"key.png", makeStrip (8, 10, 30)}}); }

    /** Keys imaged from the first of the range, 10 pixels apart, in the panel's coordinates like the
        keyboard at (100, 50). */
    static juce::String keyboardXml (int first, int last, int imagedKeys, const juce::String& neighbours)
    {
        juce::String keys;
        for (int i = 0; i < imagedKeys; ++i)
            keys << "<Key " << neighbours
                 << "><gfx resource='key.png' framesNum='8'/><size width='10' height='30'/>"
                 << "<pos left='" << (100 + 10 * i) << "' top='50'/></Key>";
        return "<MidiKeyboard name='kb' firstKey='" + juce::String (first) + "' lastKey='" +
               juce::String (last) + "'><size width='120' height='30'/><pos left='100' top='50'/><Keys>" +
               keys + "</Keys></MidiKeyboard>";
    }

    std::vector<int> keyFrames (ImageMidiKeyboard& keyboard, int first, int count)
    {
        std::vector<int> frames;
        for (int n = first; n < first + count; ++n)
            frames.push_back (frameAt (keyboard, keyboard.getKeyBounds (n).getCentre()));
        return frames;
    }

    juce::MidiKeyboardState& state = plugin.keyboardState;
};

TEST_F (Keyboards, KeyFramesFollowTheHeldNotesOfTheState)
{
    const struct
    {
        std::vector<int> held;
        std::vector<int> frames; // keys 60, 61, 62 (left 1, right 1, 8 frames)
    } cases[] = {
        {{}, {0, 0, 0}},
        {{61}, {2, 4, 1}},
        {{60, 62}, {4, 3, 4}},
        {{60, 61, 62}, {6, 7, 5}},
        {{59, 60, 61, 62, 63}, {6, 7, 5}}, // keys outside the range are not shown, so never held

        {{58, 64}, {0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        state.allNotesOff (0);
        ImageMidiKeyboard keyboard ("kb", state);
        load (keyboard, keyboardXml (60, 62, 3, "left='1' right='1'"));
        ASSERT_EQ (keyboard.getBounds(), juce::Rectangle<int> (100, 50, 120, 30));
        ASSERT_EQ (keyboard.getKeyBounds (61), juce::Rectangle<int> (10, 0, 10, 30));

        for (const int n : c.held)
            state.noteOn (3, n, 0.8f); // another source, another channel
        keyboard.updateFromKeyboardState();
        EXPECT_EQ (keyFrames (keyboard, 60, 3), c.frames) << c.held.size() << " held";

        // Built while the notes are held: the same picture from the start.
        ImageMidiKeyboard later ("kb", state);
        load (later, keyboardXml (60, 62, 3, "left='1' right='1'"));
        EXPECT_EQ (keyFrames (later, 60, 3), c.frames) << c.held.size() << " held at build";
    }
    state.allNotesOff (0);
}

TEST_F (Keyboards, MousePlaysIntoTheStateOneNoteAtATime)
{
    ImageMidiKeyboard keyboard ("kb", state);
    load (keyboard, keyboardXml (60, 62, 3, "left='1' right='1'"));
    const auto centreOf = [&keyboard] (int note)
    { return keyboard.getKeyBounds (note).getCentre().toFloat(); };

    keyboard.mouseDown (mouseAt (keyboard, centreOf (61)));
    EXPECT_TRUE (state.isNoteOn (ImageMidiKeyboard::midiChannel, 61));
    EXPECT_EQ (keyFrames (keyboard, 60, 3), (std::vector<int>{2, 4, 1}));

    keyboard.mouseDrag (dragEvent (keyboard, centreOf (61), centreOf (62)));
    EXPECT_FALSE (state.isNoteOn (ImageMidiKeyboard::midiChannel, 61));
    EXPECT_TRUE (state.isNoteOn (ImageMidiKeyboard::midiChannel, 62));
    EXPECT_EQ (keyFrames (keyboard, 60, 3), (std::vector<int>{0, 2, 4}));

    keyboard.mouseDrag (dragEvent (keyboard, centreOf (61), {500.0f, 10.0f})); // off the keys
    EXPECT_FALSE (state.isNoteOnForChannels (0xffff, 62));
    keyboard.mouseDrag (dragEvent (keyboard, centreOf (61), centreOf (60)));
    keyboard.mouseUp (dragEvent (keyboard, centreOf (61), centreOf (60)));
    for (int n = 0; n < 128; ++n)
        EXPECT_FALSE (state.isNoteOnForChannels (0xffff, n)) << n;
    EXPECT_EQ (keyFrames (keyboard, 60, 3), (std::vector<int>{0, 0, 0}));

    // A keyboard destroyed with a key held lets it go.
    {
        ImageMidiKeyboard gone ("kb", state);
        load (gone, keyboardXml (60, 62, 3, ""));
        gone.mouseDown (mouseAt (gone, centreOf (60)));
        EXPECT_TRUE (state.isNoteOn (ImageMidiKeyboard::midiChannel, 60));
    }
    EXPECT_FALSE (state.isNoteOn (ImageMidiKeyboard::midiChannel, 60));
}

TEST_F (Keyboards, RangesNeighboursAndKeysWithoutImages)
{
    {
        // Keys listed beyond note 127 are ignored.
        ImageMidiKeyboard keyboard ("kb", state);
        load (keyboard, keyboardXml (126, 127, 5, "left='1' right='1'"));
        EXPECT_TRUE (keyboard.getKey (127).image.isValid());
        state.noteOn (1, 127, 1.0f);
        keyboard.updateFromKeyboardState();
        EXPECT_EQ (keyFrames (keyboard, 126, 2), (std::vector<int>{2, 4}));
        state.allNotesOff (0);
    }
    {
        // One imaged key: the others keep the plain layout over the keyboard's width.
        ImageMidiKeyboard keyboard ("kb", state);
        load (keyboard, keyboardXml (60, 71, 1, ""));
        EXPECT_FALSE (keyboard.getKey (61).image.isValid());
        EXPECT_EQ (
            keyboard.getKeyBounds (62),
            DisplayArithmetic::defaultKeyBounds (62, 60, 71, 120.0f, 30.0f).getSmallestIntegerContainer());
        EXPECT_EQ (keyboard.getNoteAt (keyboard.getKeyBounds (61).getCentre().toFloat()), 61);
        EXPECT_EQ (keyboard.getNoteAt ({119.0f, 29.0f}), 71);
        EXPECT_TRUE (keyboard.getKeyBounds (72).isEmpty());
    }
    {
        ImageMidiKeyboard keyboard ("kb", state);
        load (keyboard, "<MidiKeyboard name='kb' firstKey='70' lastKey='20'><size width='50' "
                        "height='20'/></MidiKeyboard>");
        EXPECT_EQ (keyboard.getRangeStart(), 0); // a reversed range is refused
        EXPECT_EQ (keyboard.getRangeEnd(), 127);
        load (keyboard, "<MidiKeyboard name='kb' firstKey='-5' lastKey='300'/>");
        EXPECT_EQ (keyboard.getRangeStart(), 0);
        EXPECT_EQ (keyboard.getRangeEnd(), 127);

        ImageMidiKeyboard other ("kb", state);
        other.setBounds (1, 2, 3, 4);
        load (other, "<Knob name='kb' firstKey='60' lastKey='61'><size width='50' height='20'/></Knob>");
        EXPECT_EQ (other.getBounds(), juce::Rectangle<int> (1, 2, 3, 4));
        EXPECT_EQ (other.getRangeStart(), 0);
    }
}

//==============================================================================
TEST_F (Keyboards, PanelBuildsEveryDisplayTagOnlyWithAKeyboardStateForTheKeyboard)
{
    const juce::String body =
        "<controls>"
        "<Display name='a'/><displayfloat name='b'/><NumericDisplay name='c'/>"
        "<NOTEDISPLAY name='d'/><PatternNumberDisplay name='e'/><MidiKeyboard name='f'/>"
        "<TextInput name='g'/><Unknown name='h'/></controls>";
    for (const bool withState : {true, false})
    {
        source.setKeyboardState (withState ? &state : nullptr);
        GFXPanel panel ("MainEditorPanel");
        load (panel, "<Panel name='MainPanel'>" + body + "</Panel>");

        EXPECT_NE (dynamic_cast<GFXDisplayFloat*> (panel.findControl ("b")), nullptr);
        EXPECT_NE (dynamic_cast<GFXDisplay*> (panel.findControl ("a")), nullptr);
        EXPECT_EQ (dynamic_cast<GFXDisplayFloat*> (panel.findControl ("a")), nullptr);
        EXPECT_NE (dynamic_cast<NumericDisplay*> (panel.findControl ("c")), nullptr);
        EXPECT_NE (dynamic_cast<NoteDisplay*> (panel.findControl ("d")), nullptr);
        EXPECT_NE (dynamic_cast<PatternNumberDisplay*> (panel.findControl ("e")), nullptr);
        EXPECT_NE (dynamic_cast<TextInput*> (panel.findControl ("g")), nullptr);
        EXPECT_EQ (panel.findControl ("h"), nullptr);
        EXPECT_EQ (dynamic_cast<ImageMidiKeyboard*> (panel.findControl ("f")) != nullptr, withState);
        EXPECT_EQ (panel.getNumControls(), withState ? 7 : 6);
    }
}
} // namespace
