#pragma once

#include "skin/controller/GUIController.h"
#include "skin/displays/DisplayArithmetic.h"

#include <array>
#include <atomic>
#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>

/** The skin's on-screen piano keyboard, playing into and showing a juce::MidiKeyboardState (normally the
    processor's). Every key may have an image of its own whose frame tells whether the key and a number of
    its neighbours are held: frames stacked vertically, the first half for the key up and the second for
    the key held, the index within each half the neighbours' held states as bits. Keys without an image are
    drawn plainly, the white keys of the range sharing the width.

    Threads: the keyboard state may change on any thread (the processor's audio thread included); its
    callbacks only raise a flag. A timer on the message thread, running while the keyboard is showing,
    reads the state when the flag is up. Everything else is message thread only. The state outlives the
    keyboard. */
class ImageMidiKeyboard : public GUIController,
                          public juce::Component,
                          private juce::MidiKeyboardState::Listener,
                          private juce::Timer
{
public:
    struct Key
    {
        int note = 0;
        bool down = false;
        int framesNum = 1;
        int width = 0, height = 0; // also the height of one frame
        int leftNeighbours = 0, rightNeighbours = 0;
        int downOffset = 0;
        int frame = 0;
        juce::Image image; // shared, read only; null: drawn plainly
        int x = 0, y = 0;  // relative to the keyboard
    };

    /** The notes the mouse plays go out on this channel at full velocity. */
    static constexpr int midiChannel = 1;
    static constexpr int statePollMs = 30;

    ImageMidiKeyboard (const juce::String& name, juce::MidiKeyboardState& state);
    ~ImageMidiKeyboard() override;

    /** Links and actions; the rest only for the tag "MidiKeyboard": "size", "pos", the range "firstKey" ..
        "lastKey" (both present), and the "Keys" > "Key" children, given in order to the notes from the
        lowest of the range up to 127 (further ones are ignored): "left", "right", "gfx" ("resource",
        "framesNum"), "size", "pos" (in the panel's coordinates, like the keyboard's). */
    void loadFromXml (const juce::XmlElement& element, SkinSource& skinSource) override;

    /** Kept within 0..127; a range whose ends are the wrong way round is refused. */
    void setAvailableRange (int lowest, int highest);
    int getRangeStart() const noexcept { return lowestNote; }
    int getRangeEnd() const noexcept { return highestNote; }

    const Key& getKey (int note) const { return keys[(size_t) juce::jlimit (0, 127, note)]; }

    /** The key's place in the keyboard: its own for an imaged key, else the plain layout; empty outside the
        range. */
    juce::Rectangle<int> getKeyBounds (int note) const;

    /** The key under a point of the keyboard (black keys over white ones); -1 for none. */
    int getNoteAt (juce::Point<float> position) const;

    /** Reads every key of the range from the keyboard state (keys outside it count as up), refreshing the
        frames around each key that changed (the timer's work when the state reported a change). */
    void updateFromKeyboardState();

    void paint (juce::Graphics& g) override;
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void visibilityChanged() override;
    void parentHierarchyChanged() override;

private:
    void handleNoteOn (juce::MidiKeyboardState*, int, int, float) override;
    void handleNoteOff (juce::MidiKeyboardState*, int, int, float) override;
    void timerCallback() override;

    void setKeyDown (int note, bool down);
    void refreshFramesAround (int changedNote);
    void pressMouseNote (int note);
    void releaseMouseNote();
    void updatePolling();
    bool isNoteOnInState (int note) const;

    juce::MidiKeyboardState& state;
    std::array<Key, 128> keys;
    int lowestNote = 0, highestNote = 127;
    int mouseNote = -1;
    std::atomic<bool> stateChanged{true};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImageMidiKeyboard)
};
