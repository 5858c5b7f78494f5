#pragma once

#include "skin/controller/GUIController.h"

#include <array>
#include <atomic>
#include <juce_midi_keyboard/juce_midi_keyboard.h>

/** The skin's on-screen piano keyboard: JUCE's MidiKeyboardComponent (horizontal) playing into and showing
    a juce::MidiKeyboardState, normally the processor's.

    A key may have an image of its own, placed by the skin, whose frame tells whether the key and a number
    of its neighbours are held: frames stacked vertically, the first half for the key up and the second for
    the key held, the index within each half the neighbours' held states as bits. Keys without an image keep
    JUCE's drawing and geometry. JUCE's hit test and velocity serve every key; for an imaged key the hit
    test takes the key's horizontal extent from its image's place.

    Threads: the keyboard state may change on any thread; JUCE's listener callbacks only raise a flag, and
    the component's timer reads the state on the message thread when it is up. Everything else is message
    thread only. The state outlives the keyboard. */
class ImageMidiKeyboard : public GUIController, public juce::MidiKeyboardComponent
{
public:
    struct Key
    {
        int note = 0;
        bool down = false; // held by the mouse or in the keyboard state
        int framesNum = 1;
        int width = 0, height = 0; // also the height of one frame
        int leftNeighbours = 0, rightNeighbours = 0;
        int downOffset = 0; // first frame of the held half
        int frame = 0;
        juce::Image image; // shared, read only; null: JUCE draws the key
        int x = 0, y = 0;  // relative to the keyboard
    };

    ImageMidiKeyboard (const juce::String& name, juce::MidiKeyboardState& state);
    ~ImageMidiKeyboard() override;

    /** Links and actions; the rest only for the tag "MidiKeyboard": "size", "pos", the range "firstKey" ..
        "lastKey" (both present, within 0..127, the first not above the last), and the "Keys" > "Key"
        children, given in order to the notes from the lowest of the range up to 127 (further ones are
        ignored): "left", "right", "gfx" ("resource", "framesNum"), "size", "pos" (in the panel's
        coordinates, like the keyboard's). */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    const Key& getKey (int note) const { return keys[(size_t) juce::jlimit (0, 127, note)]; }

    /** Where the key is drawn: an imaged key's own rectangle, else JUCE's; empty outside the range. */
    juce::Rectangle<int> getKeyBounds (int note) const;

    //==============================================================================
    // juce::MidiKeyboardComponent

    /** An imaged key draws its current frame at its own place and size; the others are JUCE's. */
    void drawWhiteNote (int midiNoteNumber, juce::Graphics& g, juce::Rectangle<float> area, bool isDown,
                        bool isOver, juce::Colour lineColour, juce::Colour textColour) override;
    void drawBlackNote (int midiNoteNumber, juce::Graphics& g, juce::Rectangle<float> area, bool isDown,
                        bool isOver, juce::Colour noteFillColour) override;

    /** An imaged key's horizontal extent, in JUCE's measure; JUCE's geometry for the others. */
    juce::Range<float> getKeyPosition (int midiNoteNumber, float keyWidth) const override;

    /** The key shows held at once; true, so that JUCE plays the note. */
    bool mouseDownOnKey (int midiNoteNumber, const juce::MouseEvent& e) override;
    bool mouseDraggedToKey (int midiNoteNumber, const juce::MouseEvent& e) override;

    /** When the state changed since the last tick: every key of the range follows it (held when on for one
        of the channels the keyboard shows), the frames around each key that changed are refreshed; then
        JUCE's own tick. */
    void timerCallback() override;

private:
    /** Raises a flag whenever the state switches a note, on whatever thread switched it. */
    struct StateWatcher : public juce::MidiKeyboardState::Listener
    {
        void handleNoteOn (juce::MidiKeyboardState*, int, int, float) override { changed = true; }
        void handleNoteOff (juce::MidiKeyboardState*, int, int, float) override { changed = true; }

        std::atomic<bool> changed{true};
    };

    void setKeyDown (int note, bool down);
    void refreshFramesAround (int changedNote);
    bool isImaged (int note) const noexcept;
    void drawKeyImage (int note, juce::Graphics& g) const;

    juce::MidiKeyboardState& keyboardState;
    std::array<Key, 128> keys;
    StateWatcher watcher;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImageMidiKeyboard)
};
