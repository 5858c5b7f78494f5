#include "framework/NoteNames.h"

namespace
{
int pitchClassOf (int note)
{
    return ((note % 12) + 12) % 12;
}

// Letter index per pitch class: a sharp shares the letter of the natural note below it.
constexpr int letterIndexOfPitch[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
constexpr char letters[] = "CDEFGAB";
constexpr bool naturalPitch[12] = {true,  false, true,  false, true,  true,
                                   false, true,  false, true,  false, true};
} // namespace

juce::String getNoteName (int note)
{
    if (note < 0 || note > 127)
        return {};

    const int octave = note / 12;
    const char name[] = {letters[letterIndexOfPitch[pitchClassOf (note)]], isNaturalNote (note) ? '-' : '#',
                         octave == 10 ? 'H' : (char) ('0' + octave), 0};
    return juce::String (name);
}

juce::String getNoteLetter (int note)
{
    return juce::String::charToString ((juce::juce_wchar) letters[getNoteLetterIndex (note)]);
}

int getNoteLetterIndex (int note)
{
    return letterIndexOfPitch[pitchClassOf (note)];
}

bool isNaturalNote (int note)
{
    return naturalPitch[pitchClassOf (note)];
}

int getNoteNumberFromName (const juce::String& name)
{
    if (name.length() != 3)
        return -1;

    const auto letter = name[0];
    const auto sign = name[1];
    const auto octaveChar = name[2];

    if (sign != '-' && sign != '#')
        return -1;

    int octave = 0;
    if (octaveChar >= '0' && octaveChar <= '9')
        octave = (int) (octaveChar - '0');
    else if (octaveChar == 'H')
        octave = 10;
    else
        return -1;

    const int sharp = sign == '-' ? 0 : 1;
    int pitch = 0;
    switch (letter)
    {
        case 'C': pitch = 0 + sharp; break;
        case 'D': pitch = 2 + sharp; break;
        case 'E': pitch = 4; break; // no E sharp: it reads as E
        case 'F': pitch = 5 + sharp; break;
        case 'G': pitch = 7 + sharp; break;
        case 'A': pitch = 9 + sharp; break;
        case 'B': pitch = 11; break; // no B sharp: it reads as B
        default: return -1;
    }

    return juce::jmin (127, pitch + 12 * octave);
}
