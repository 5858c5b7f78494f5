#pragma once

// JUCE's on-screen MIDI keyboard on its own. Its module, juce_audio_utils, cannot be linked here: it needs
// juce_audio_processors, which defines a juce::AudioProcessor of its own. The two keyboard classes need
// nothing beyond the modules below, so they are compiled alone (juce_midi_keyboard.cpp) into the JUCE
// library.

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <juce_audio_utils/gui/juce_KeyboardComponentBase.h>
#include <juce_audio_utils/gui/juce_MidiKeyboardComponent.h>
