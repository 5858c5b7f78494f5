#pragma once

#include <juce_core/juce_core.h>

/** Note names of MIDI notes 0 to 127 as the panel and stored files write them: three characters, the
    letter, "-" for a natural note or "#" for a sharp, and the octave note / 12 as "0" to "9", with
    octave 10 written "H" (60 is "C-5", 61 "C#5", 127 "G-H"). Any thread; no state. */

/** The three-character name of a note 0 to 127; empty for any other number. */
juce::String getNoteName (int note);

/** "C" to "B" by pitch class; a sharp takes the letter below it. */
juce::String getNoteLetter (int note);

/** The letter as an index: C 0, D 1, E 2, F 3, G 4, A 5, B 6. */
int getNoteLetterIndex (int note);

/** True for pitch classes 0, 2, 4, 5, 7, 9 and 11. */
bool isNaturalNote (int note);

/** The note named by a three-character name, capped at 127; -1 when the text is no note name. Only the
    exact form is accepted: upper-case letter, "-" or "#", digit or "H". */
int getNoteNumberFromName (const juce::String& name);
