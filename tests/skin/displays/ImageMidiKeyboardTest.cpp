#include "skin/displays/ImageMidiKeyboard.h"
#include "skin/SkinTestSupport.h"
#include "skin/displays/GFXDisplay.h"
#include "skin/displays/NoteDisplay.h"
#include "skin/displays/NumericDisplay.h"
#include "skin/displays/PatternNumberDisplay.h"
#include "skin/displays/TextInput.h"
#include "skin/panel/GFXPanel.h"
#include "vst/XWindowManagerAtoms.h"

using namespace SkinTest;

namespace
{
/** Every note-on the state hears, as note and velocity. */
struct NoteOnLog : public juce::MidiKeyboardState::Listener
{
    void handleNoteOn (juce::MidiKeyboardState*, int, int note, float velocity) override
    {
        notes.push_back ({note, velocity});
    }
    void handleNoteOff (juce::MidiKeyboardState*, int, int, float) override {}

    std::vector<std::pair<int, float>> notes;
};

class Keyboards : public SourceTest
{
protected:
    Keyboards()
    {
        embed ({{"key.png", makeStrip (8, 10, 30)}});
        // JUCE's hit test asks the window whether a point is on screen: on the desktop, even headless (on
        // a bare X server, once the window-manager atoms exist).
        XWindowManagerAtoms::ensureExist();
        window.setBounds (0, 0, 400, 200);
        window.addToDesktop (0);
        window.setVisible (true);
    }

    ~Keyboards() override
    {
        window.removeFromDesktop();
        state.allNotesOff (0);
    }

    /** A keyboard 120 x 30 at (100, 50) whose keys, from the first of the range, are imaged 10 pixels apart
        from firstLeft on, in the panel's coordinates like the keyboard. */
    static juce::String keyboardXml (int first, int last, int imagedKeys, const juce::String& neighbours,
                                     int firstLeft = 100)
    {
        juce::String keys;
        for (int i = 0; i < imagedKeys; ++i)
            keys << "<Key " << neighbours
                 << "><gfx resource='key.png' framesNum='8'/><size width='10' height='30'/>"
                 << "<pos left='" << (firstLeft + 10 * i) << "' top='50'/></Key>";
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

    static juce::Point<float> centreOf (ImageMidiKeyboard& keyboard, int note)
    {
        return keyboard.getKeyBounds (note).getCentre().toFloat();
    }

    /** Loaded into the window, visible as a panel makes it. */
    using SourceTest::load;
    void load (ImageMidiKeyboard& keyboard, const juce::String& xml)
    {
        window.addAndMakeVisible (keyboard);
        SourceTest::load (keyboard, xml);
    }

    juce::MidiKeyboardState& state = plugin.keyboardState;
    juce::Component window;
};

TEST_F (Keyboards, KeyFramesFollowTheStateFromTheNextTick)
{
    const struct
    {
        std::vector<int> held;
        std::vector<int> frames; // keys 60, 61, 62 (left 1, right 1, 8 frames)
    } cases[] = {
        {{}, {0, 0, 0}},
        {{61}, {2, 4, 1}},
        {{60, 61}, {6, 5, 1}},
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
        keyboard.timerCallback();
        ASSERT_EQ (keyboard.getBounds(), juce::Rectangle<int> (100, 50, 120, 30));
        ASSERT_EQ (keyboard.getKeyBounds (61), juce::Rectangle<int> (10, 0, 10, 30));

        for (const int n : c.held)
            state.noteOn (3, n, 0.8f); // another source, another channel
        EXPECT_EQ (keyFrames (keyboard, 60, 3), (std::vector<int>{0, 0, 0})) << "before the tick";
        keyboard.timerCallback();
        EXPECT_EQ (keyFrames (keyboard, 60, 3), c.frames) << c.held.size() << " held";

        // Built while the notes are held: the same picture from its first tick.
        ImageMidiKeyboard later ("kb", state);
        load (later, keyboardXml (60, 62, 3, "left='1' right='1'"));
        later.timerCallback();
        EXPECT_EQ (keyFrames (later, 60, 3), c.frames) << c.held.size() << " held at build";
    }
}

TEST_F (Keyboards, MousePlaysIntoTheStateAndShowsItsKeyAtOnce)
{
    ImageMidiKeyboard keyboard ("kb", state);
    load (keyboard, keyboardXml (60, 62, 3, "left='1' right='1'"));
    keyboard.timerCallback();

    keyboard.mouseDown (mouseAt (keyboard, centreOf (keyboard, 61)));
    EXPECT_TRUE (state.isNoteOn (1, 61));
    EXPECT_EQ (keyFrames (keyboard, 60, 3), (std::vector<int>{2, 4, 1}));

    // The key dragged to shows held at once; the one left shows up at the next tick.
    keyboard.mouseDrag (dragEvent (keyboard, centreOf (keyboard, 61), centreOf (keyboard, 62)));
    EXPECT_FALSE (state.isNoteOn (1, 61));
    EXPECT_TRUE (state.isNoteOn (1, 62));
    EXPECT_EQ (keyFrames (keyboard, 60, 3), (std::vector<int>{2, 6, 5}));
    keyboard.timerCallback();
    EXPECT_EQ (keyFrames (keyboard, 60, 3), (std::vector<int>{0, 2, 4}));

    keyboard.mouseUp (dragEvent (keyboard, centreOf (keyboard, 61), centreOf (keyboard, 62)));
    keyboard.timerCallback();
    for (int n = 0; n < 128; ++n)
        EXPECT_FALSE (state.isNoteOnForChannels (0xffff, n)) << n;
    EXPECT_EQ (keyFrames (keyboard, 60, 3), (std::vector<int>{0, 0, 0}));

    // A keyboard destroyed with a key held lets it go.
    {
        ImageMidiKeyboard gone ("kb", state);
        load (gone, keyboardXml (60, 62, 3, ""));
        gone.mouseDown (mouseAt (gone, centreOf (gone, 60)));
        EXPECT_TRUE (state.isNoteOn (1, 60));
    }
    EXPECT_FALSE (state.isNoteOn (1, 60));
}

TEST_F (Keyboards, KeysWithoutAnImageKeepJucesGeometryDrawingAndVelocity)
{
    // Only the lowest key has an image, 3 pixels in from the keyboard's edge.
    ImageMidiKeyboard keyboard ("kb", state);
    load (keyboard, keyboardXml (60, 71, 1, "", 103));
    juce::MidiKeyboardComponent plain (state, juce::KeyboardComponentBase::horizontalKeyboard);
    plain.setAvailableRange (60, 71);
    plain.setSize (120, 30);

    EXPECT_EQ (keyboard.getKeyBounds (60), juce::Rectangle<int> (3, 0, 10, 30));
    EXPECT_TRUE (keyboard.getKeyBounds (72).isEmpty());
    for (int n = 61; n <= 71; ++n)
        EXPECT_EQ (keyboard.getKeyBounds (n), plain.getRectangleForKey (n).getSmallestIntegerContainer())
            << n;

    const auto pixelsOfPlainKeys = [] (juce::Component& c, const ImageMidiKeyboard& shape)
    {
        const auto snapshot = c.createComponentSnapshot (c.getLocalBounds(), false, 1.0f);
        std::vector<juce::uint32> pixels;
        for (int n = 62; n <= 71; ++n)
        {
            const auto at = shape.getKeyBounds (n).getCentre();
            pixels.push_back (snapshot.getPixelAt (at.x, at.y).getARGB());
        }
        return pixels;
    };
    const auto upPixels = pixelsOfPlainKeys (keyboard, keyboard);
    EXPECT_EQ (upPixels, pixelsOfPlainKeys (plain, keyboard));
    state.noteOn (2, 64, 1.0f);
    state.noteOn (2, 66, 1.0f);
    const auto heldPixels = pixelsOfPlainKeys (keyboard, keyboard);
    EXPECT_EQ (heldPixels, pixelsOfPlainKeys (plain, keyboard));
    EXPECT_NE (heldPixels[2], upPixels[2]) << "a held plain key looks held";
    EXPECT_NE (heldPixels[4], upPixels[4]);

    // JUCE's velocity: how far down the key the click lands. The imaged key plays where its image lies.
    NoteOnLog log;
    state.addListener (&log);
    const float eX = (float) keyboard.getKeyBounds (64).getCentreX();
    for (const auto at : {juce::Point<float> (eX, 7.5f), juce::Point<float> (eX, 22.5f), {5.0f, 15.0f}})
    {
        keyboard.mouseDown (mouseAt (keyboard, at));
        keyboard.mouseUp (mouseAt (keyboard, at));
    }
    state.removeListener (&log);
    EXPECT_EQ (log.notes, (std::vector<std::pair<int, float>>{{64, 0.25f}, {64, 0.75f}, {60, 0.5f}}));
}

TEST_F (Keyboards, SkinRangesAreKeptWithinTheNotesAndKeysBeyondThemIgnored)
{
    {
        ImageMidiKeyboard keyboard ("kb", state);
        load (keyboard, keyboardXml (126, 127, 5, "left='1' right='1'"));
        EXPECT_TRUE (keyboard.getKey (127).image.isValid());
        state.noteOn (1, 127, 1.0f);
        keyboard.timerCallback();
        EXPECT_EQ (keyFrames (keyboard, 126, 2), (std::vector<int>{2, 4}));
    }
    {
        ImageMidiKeyboard keyboard ("kb", state);
        load (keyboard, "<MidiKeyboard name='kb' firstKey='70' lastKey='20'><size width='50' "
                        "height='20'/></MidiKeyboard>");
        EXPECT_EQ (keyboard.getRangeStart(), 0); // a reversed range is refused
        EXPECT_EQ (keyboard.getRangeEnd(), 127);
        load (keyboard, "<MidiKeyboard name='kb' firstKey='-5' lastKey='30'/>");
        EXPECT_EQ (keyboard.getRangeStart(), 0);
        EXPECT_EQ (keyboard.getRangeEnd(), 30);
        load (keyboard, "<MidiKeyboard name='kb' firstKey='100' lastKey='300'/>");
        EXPECT_EQ (keyboard.getRangeStart(), 100);
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
