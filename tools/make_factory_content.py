#!/usr/bin/env python3
"""Writes the factory content of Kelvanor into resources/:

  DEFAULT.KLPRS   the default preset (the parameters table's first values)
  DEFAULT.KLPRSB  the factory preset bank (3 groups, 40 presets)
  DEFAULT.KLPTRB  the factory pattern bank (96 patterns)

Run from anywhere: python3 tools/make_factory_content.py
The outputs are plain XML and are committed; this script only keeps them consistent.
"""

import os
from xml.sax.saxutils import quoteattr

APP = "Kelvanor"
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")

# ---------------------------------------------------------------------------
# Presets
# ---------------------------------------------------------------------------

# The 33 presetable parameters (ids 0..32) with their first values.
PARAMETERS = [
    ("Tuning", 0.5), ("Slide Time", 0.5), ("Cutoff", 0.5), ("Resonance", 0.5),
    ("Sweep Time", 1.0), ("Env Mod", 0.5), ("Env Attack", 0.0), ("Env Decay", 0.5),
    ("Accent Decay", 0.0), ("Env Accent", 0.5), ("Accent Volume", 1.0), ("Step Length", 0.5),
    ("Distortion Preamp", 0.0), ("Distortion Size", 0.0), ("Distortion Density", 0.0),
    ("Distortion Clip", 0.0), ("Distortion Wetness", 0.0), ("Distortion Brightness", 0.0),
    ("Waveform", 1.0), ("Accent Mode", 1.0), ("Sweep Mode", 1.0), ("Distortion State", 0.0),
    ("Distortion Route", 1.0), ("Main Volume", 1.0), ("Arpe Chord", 0.0), ("Arpe Mode", 0.0),
    ("Arpe Shuffle", 0.0), ("Arpe Range Sub 1", 1.0), ("Arpe Range Zero", 1.0),
    ("Arpe Range Add 1", 1.0), ("Arpe Range Add 2", 1.0), ("Arpe Multiplier", 0.0),
    ("Arpe Repeater", 0.0),
]
NAMES = [n for n, _ in PARAMETERS]

# Shorthands for the switch-like parameters.
SQUARE, SAW = 0.0, 1.0
POST, PRE = 0.0, 1.0          # "Distortion Route": <= 0.5 filters after the clipper
OCTAVE_UP = 0.75              # "Tuning": +12 semitones
CHORD = {"major": 1 / 7, "minor": 2 / 7, "7th": 3 / 7, "m7": 4 / 7,
         "M7": 5 / 7, "m7b5": 6 / 7, "dim": 1.0}
ARP_MODE = {"random": 0.25, "up": 0.5, "down": 0.75, "updown": 1.0}

# A standby distortion for the clean sounds, so that switching it on gives a usable drive.
STANDBY_DRIVE = {"Distortion Preamp": 0.3, "Distortion Size": 0.5, "Distortion Density": 0.5,
                 "Distortion Clip": 0.8, "Distortion Wetness": 0.2, "Distortion Brightness": 0.3}


def drive(pre, size, dens, clip, wet, bright, route):
    return {"Distortion State": 1.0, "Distortion Preamp": pre, "Distortion Size": size,
            "Distortion Density": dens, "Distortion Clip": clip, "Distortion Wetness": wet,
            "Distortion Brightness": bright, "Distortion Route": route}


def arp(chord, mode, ranges, mult=0.0, rep=0.0, shuffle=0.0):
    sub, zero, add1, add2 = ranges
    return {"Arpe Chord": CHORD[chord], "Arpe Mode": ARP_MODE[mode], "Arpe Shuffle": shuffle,
            "Arpe Range Sub 1": sub, "Arpe Range Zero": zero, "Arpe Range Add 1": add1,
            "Arpe Range Add 2": add2, "Arpe Multiplier": mult, "Arpe Repeater": rep}


def P(name, wave, cut, res, env, decay, vol, **more):
    values = {"Waveform": wave, "Cutoff": cut, "Resonance": res, "Env Mod": env,
              "Env Decay": decay, "Main Volume": vol}
    for key, value in more.items():
        values[key.replace("_", " ")] = value
    return name, values


# Keyword names use "_" for spaces: Slide_Time=0.7 sets "Slide Time".
CLEAN = [
    P("Pure Square", SQUARE, 0.45, 0.35, 0.4, 0.45, 0.9, **STANDBY_DRIVE),
    P("Bare Sawtooth", SAW, 0.55, 0.25, 0.35, 0.5, 0.9, **STANDBY_DRIVE),
    P("Rubber Band", SQUARE, 0.35, 0.6, 0.6, 0.35, 0.9, Slide_Time=0.6, Env_Accent=0.6, **STANDBY_DRIVE),
    P("Wet Pebbles", SAW, 0.3, 0.8, 0.75, 0.15, 0.9, Accent_Decay=0.1, Env_Accent=0.7,
      Step_Length=0.3, **STANDBY_DRIVE),
    P("Lazy Frog", SAW, 0.4, 0.85, 0.55, 0.6, 0.9, Slide_Time=0.85, Env_Accent=0.65,
      Step_Length=0.7, **STANDBY_DRIVE),
    P("Velvet Floor", SQUARE, 0.2, 0.15, 0.2, 0.8, 0.9, Env_Accent=0.3, Step_Length=0.75,
      **STANDBY_DRIVE),
    P("Glass Tongue", SQUARE, 0.6, 0.9, 0.3, 0.25, 0.9, Env_Accent=0.4, **STANDBY_DRIVE),
    P("Marsh Gas", SAW, 0.25, 0.9, 0.85, 0.4, 0.86, Accent_Decay=0.3, Env_Accent=0.85,
      Slide_Time=0.55, **STANDBY_DRIVE),
    P("Slow Tide", SAW, 0.35, 0.55, 0.5, 0.9, 0.9, Env_Attack=0.7, Accent_Decay=0.7,
      Step_Length=0.9, Slide_Time=0.7, **STANDBY_DRIVE),
    P("Copper Wire", SAW, 0.8, 0.2, 0.2, 0.55, 0.9, Env_Accent=0.35, Step_Length=0.35, Slide_Time=0.3, **STANDBY_DRIVE),
    P("Night Bus", SAW, 0.18, 0.4, 0.45, 0.7, 0.9, Slide_Time=0.45, Step_Length=0.6,
      **STANDBY_DRIVE),
    P("Chewing Gum", SQUARE, 0.3, 0.75, 0.7, 0.45, 0.9, Accent_Mode=0.0, Accent_Volume=0.7,
      Env_Accent=0.8, Sweep_Mode=0.0, Sweep_Time=0.3, Accent_Decay=0.2, **STANDBY_DRIVE),
    P("Hollow Reed", SQUARE, 0.5, 0.5, 0.25, 0.75, 0.9, Tuning=OCTAVE_UP, Env_Attack=0.35,
      Slide_Time=0.6, Step_Length=0.8, **STANDBY_DRIVE),
]

DISTORTED = [
    P("Burnt Toast", SAW, 0.35, 0.7, 0.6, 0.4, 0.58, **drive(0.45, 0.5, 0.5, 0.75, 0.2, 0.3, PRE)),
    P("Rust Bucket", SQUARE, 0.3, 0.6, 0.55, 0.5, 0.47, **drive(0.6, 0.4, 0.3, 0.7, 0.4, 0.5, POST)),
    P("Iron Lung", SAW, 0.2, 0.85, 0.8, 0.35, 0.46, **drive(0.7, 0.55, 0.7, 0.65, 0.3, 0.6, PRE)),
    P("Gravel Road", SQUARE, 0.45, 0.4, 0.45, 0.55, 0.4, **drive(0.8, 0.62, 0.4, 0.6, 0.1, 0.25, POST)),
    P("Hornet Nest", SAW, 0.5, 0.8, 0.6, 0.3, 0.53, Tuning=OCTAVE_UP,
      **drive(0.55, 0.7, 0.8, 0.7, 0.55, 0.45, PRE)),
    P("Broken Radio", SQUARE, 0.4, 0.7, 0.5, 0.5, 0.61, **drive(0.5, 0.75, 0.2, 0.55, 0.7, 0.8, PRE)),
    P("Tar Pit", SAW, 0.12, 0.5, 0.4, 0.75, 0.38, Slide_Time=0.75,
      **drive(0.65, 0.3, 0.6, 0.8, 0.15, 0.35, POST)),
    P("Blown Fuse", SQUARE, 0.55, 0.55, 0.65, 0.25, 0.49, Accent_Decay=0.15,
      **drive(1.0, 0.5, 0.5, 0.5, 0.0, 0.0, PRE)),
    P("Furnace Mouth", SAW, 0.3, 0.92, 0.9, 0.45, 0.39, Env_Accent=0.8,
      **drive(0.75, 0.45, 0.55, 0.7, 0.25, 0.5, POST)),
    P("Cinder Snake", SAW, 0.38, 0.78, 0.7, 0.5, 0.69, Slide_Time=0.7,
      **drive(0.4, 0.58, 0.65, 0.85, 0.35, 0.4, PRE)),
    P("Sandpaper Lead", SAW, 0.65, 0.45, 0.3, 0.8, 0.41, Tuning=OCTAVE_UP, Env_Attack=0.2,
      Step_Length=0.8, Slide_Time=0.65, **drive(0.6, 0.8, 0.3, 0.6, 0.2, 0.55, POST)),
    P("Chrome Teeth", SQUARE, 0.6, 0.65, 0.4, 0.3, 0.44, **drive(0.85, 0.68, 0.85, 0.55, 0.5, 0.7, PRE)),
    P("Smoke Signal", SQUARE, 0.25, 0.5, 0.6, 0.85, 0.72, Env_Attack=0.5, Step_Length=0.85,
      **drive(0.35, 0.35, 0.45, 0.9, 0.3, 0.2, POST)),
    P("Wasp Choir", SAW, 0.45, 0.88, 0.5, 0.5, 0.43, Tuning=OCTAVE_UP,
      **drive(0.7, 0.72, 0.9, 0.65, 0.65, 0.75, POST)),
    P("Fried Circuit", SQUARE, 0.5, 0.95, 0.75, 0.2, 0.55, Accent_Decay=0.1, Env_Accent=0.9,
      **drive(0.9, 0.52, 0.1, 0.45, 0.45, 0.6, PRE)),
    P("Crushed Velvet", SAW, 0.22, 0.3, 0.35, 0.7, 0.82, **drive(0.3, 0.42, 0.5, 0.95, 0.1, 0.15, POST)),
    P("Angry Kettle", SQUARE, 0.55, 0.85, 0.65, 0.5, 0.46, Sweep_Mode=0.0, Sweep_Time=0.6,
      Accent_Mode=0.0, Accent_Volume=0.8, **drive(0.6, 0.78, 0.75, 0.7, 0.6, 0.5, PRE)),
    P("Steel Wool", SAW, 0.7, 0.35, 0.25, 0.5, 0.67, **drive(0.95, 0.85, 0.35, 0.4, 0.15, 0.65, POST)),
    P("Magma Drip", SAW, 0.15, 0.9, 0.95, 0.6, 0.46, Slide_Time=0.8, Env_Accent=0.75,
      Accent_Decay=0.5, **drive(0.55, 0.38, 0.6, 0.75, 0.4, 0.45, PRE)),
    P("Diesel Heart", SQUARE, 0.28, 0.45, 0.5, 0.6, 0.37, **drive(0.75, 0.46, 0.25, 0.7, 0.2, 0.3, POST)),
    P("Sour Battery", SAW, 0.42, 0.72, 0.58, 0.5, 0.49, **drive(0.5, 0.6, 0.0, 0.6, 0.8, 0.9, PRE)),
    P("Scrap Yard Howl", SAW, 0.35, 0.97, 0.7, 0.55, 0.44, Slide_Time=0.6,
      **drive(0.8, 0.66, 1.0, 0.55, 0.55, 0.85, POST)),
    P("Hot Asphalt", SQUARE, 0.4, 0.62, 0.62, 0.38, 0.43, Step_Length=0.4,
      **drive(0.65, 0.56, 0.42, 0.72, 0.3, 0.4, PRE)),
]

ARPEGGIATORS = [
    P("Clockwork Minor", SAW, 0.4, 0.65, 0.5, 0.3, 0.9, Step_Length=0.45,
      **arp("minor", "up", (0.0, 1.0, 1.0, 0.0))),
    P("Glass Elevator", SQUARE, 0.5, 0.55, 0.4, 0.35, 0.9, Step_Length=0.4,
      **arp("M7", "updown", (1.0, 1.0, 1.0, 0.0), mult=0.4)),
    P("Dice Garden", SAW, 0.35, 0.75, 0.6, 0.25, 0.68, Step_Length=0.5,
      **arp("m7", "random", (1.0, 1.0, 1.0, 1.0), mult=0.2, rep=0.25, shuffle=0.3),
      **drive(0.4, 0.55, 0.5, 0.8, 0.25, 0.35, PRE)),
    P("Falling Lanterns", SQUARE, 0.45, 0.7, 0.45, 0.2, 0.9, Step_Length=0.35,
      **arp("dim", "down", (0.0, 1.0, 1.0, 1.0), mult=0.6)),
]

GROUPS = [("_Clean", CLEAN), ("_Distorted", DISTORTED), ("_Arpeggiators", ARPEGGIATORS)]


def fmt(value):
    """At most 6 decimals, at most 6 significant digits: 0.5, 0.285714, 1."""
    return format(round(value, 6), ".6g")


def preset_values(overrides):
    unknown = set(overrides) - set(NAMES)
    assert not unknown, unknown
    return [(name, overrides.get(name, first)) for name, first in PARAMETERS]


def preset_xml(name, values, indent):
    pad = " " * indent
    lines = ["%s<Preset application=%s name=%s>" % (pad, quoteattr(APP), quoteattr(name))]
    for pname, value in values:
        assert 0.0 <= value <= 1.0, (name, pname, value)
        lines.append('%s  <param name=%s value="%s"/>' % (pad, quoteattr(pname), fmt(value)))
    lines.append("%s</Preset>" % pad)
    return lines


HEADER = '<?xml version="1.0" encoding="UTF-8"?>\n\n'


def default_preset():
    return HEADER + "\n".join(preset_xml("default", PARAMETERS, 0)) + "\n"


def factory_bank():
    lines = ['<PresetBank name="Factory Preset Bank">']
    for group, presets in GROUPS:
        lines.append("  <PresetGroup name=%s>" % quoteattr(group))
        for name, overrides in presets:
            lines += preset_xml(name, preset_values(overrides), 4)
        lines.append("  </PresetGroup>")
    lines.append("</PresetBank>")
    return HEADER + "\n".join(lines) + "\n"


# ---------------------------------------------------------------------------
# Patterns
# ---------------------------------------------------------------------------
#
# One token per step:
#   .      rest (gate off; keeps the previous pitch so nothing sounds)
#   -      tie: the previous step slides into this one on the same pitch
#   NOTE   C C# D D# E F F# G G# A A# B, or c for the upper C (note 12),
#          then an optional octave mark: ^ up, _ down, ^^ both (two octaves above _),
#          then flags: ! accent, ~ slide into the next step,
#          ? ghost note (high gate level: the first to drop when "Gate Threshold" is lowered),
#          * optional accent, % optional slide (levels above the first "Accent Threshold"
#            and "Slide Threshold" values: they count only when those knobs are turned up).
#
# A flag counts while its threshold is at or above its level, so designed accents and slides
# carry levels below 0.5 (the first threshold values), and ties the lowest slide levels.

NOTE_NAMES = {"C": 0, "C#": 1, "D": 2, "D#": 3, "E": 4, "F": 5, "F#": 6, "G": 7,
              "G#": 8, "A": 9, "A#": 10, "B": 11, "c": 12}

# Index: (shuffle, steps). Patterns 0..23 are the three chainable banks of eight keys
# (bank 1: C minor, bank 2: A minor, bank 3: E phrygian / F minor); 24..95 are reached in host mode.
PATTERNS = [
    # --- bank 1, C minor -------------------------------------------------------------
    (0, "C! . C^ C    . C D#~ F    C! . C^ .    G~ F D# C^?"),
    (0, "C! C* C^~ C  . C! D# .    C C^ . C!    A#_~ C . G_?"),
    (0, "C! - - .     D# . F~ G    C! - . C^*   . A# G~ F"),
    (0, "C C^! C .    C C^! C .    C C^! D#~ F  . D# C^! ."),
    (0, "F_! . F F_   . G#_ A#_~ C  F_! . F .   D#~ F G# F?"),
    (0, "G_! . G .    G_ A#_~ C D#  G_! . G~ F  D# . D~ G_"),
    (0, "C! . . C^    . . C! .     D#~ F . C^   . G F D#"),
    (0, "C! C^ C C^   D#! D#^ F F^  G! G^ A# A#^%  c! B A#~ G"),
    # --- bank 2, A minor -------------------------------------------------------------
    (0, "A_! . A .    A_ A_ c~ A   . A_! G .    A_ E~ G A_"),
    (0, "A_! A_ A^~ A  . E G! A    A_ . c! A    G~ E D E"),
    (0, "A_! - - -    . . E~ G     A - c! .     D~ E . ."),
    (0, "A_ A! A_ G!  A_ A! A_ c!  A_ A! A_ E!  G~ A . E"),
    (0, "D! . D^ D    . F~ G A     D! . D^ .    c~ A G F"),
    (0, "E_! . E E_   . G_ B_~ D   E! . E_ .    G#_~ B_ D E_?"),
    (0, "A_! . . A    . . A_ .     A_! . . A    E~ G A% c"),
    (0, "A^! G^ E^ D^  c! A G E    D! C A_ G_   A_! - A^~ A"),
    # --- bank 3, E phrygian and F minor ----------------------------------------------
    (0, "E_! . E_ F_  E_ . E! .    E_ F_~ E_ .  G_ . F_ E?"),
    (0, "E_! E E_ E   F_! F F_ F*  E_! E G_ E   D~ E_ F_ G_"),
    (0, "E_! - - F_   - - E_ .     C! - B_ -    A_~ G_ F_ ."),
    (0, "E_! . E^ .   E_ D^! . E_? . E^! D^ B   G~ A B E^"),
    (50, "E_! . G_ A_  . E_! B_ .   E_ . D! E_   G_~ A_ . E_"),
    (0, "F_! . F C    F_ . D# F_!  . F_ F~ G#   F_ . C! D#"),
    (0, "C! . C^ A#   . G C! .     G#_ . C~ D#  C . G_! A#_%"),
    (0, "E_! E^ E_ E^  F_! F^ F_ F^  G_! G^ A_ A^  B_! B c~ E^"),
    # --- host mode: G, D and B flat ---------------------------------------------------
    (33, "G_! . G_ G   . G_ A#_~ C  G_! . D G_   . F~ G G_"),
    (0, "D! D D^ D    C! C C^ C    A#_! A#_ A# A#_  A_! A_ A A_~"),
    (0, "G_! . . .    G! . . .     A#_~ C . .   F_~ G_ . ."),
    (0, "A#_! A#_ F A#_  A#! A#_ G# F  D#! D#_ A#_ D#  F! F_ C^~ F_"),
    (0, "D! . D^ .    D C^! A F~   G . D D^"),
    (0, "G_! G_ . G_  A#_ . G_! C  . G_ D! .    F . D# D?"),
    (0, "D! - - -     - - - .      F! - - -     G~ A - ."),
    (0, "G! G# A A#   B c! B A#    A G# G! F#   F E D#~ D"),
    # --- dark, sparse, tied ----------------------------------------------------------
    (0, "A_! - - -    . . . .      A_ - E_~ G_  - - . ."),
    (0, "C! . . .     . . C^ .     . . D#~ F    . . C? ."),
    (0, "F_! - - F    . G#_~ A#_ -  C! - A#_ G#_  . F_ . ."),
    (0, "D! . . D^~   C^ - A# .    F! . . G~    A - . ."),
    (66, "E_! . E .    G_ . E_! .   B_ . D! .    E_* . G~ A"),
    (0, "A_! . E A    . c~ B"),
    (0, "B_! - - -    D! - - -     F#! - - -    E~ D C# B_?"),
    (0, "G_! - . G_   - . A#_~ C   - . D# .     C - A#_ ."),
    (0, "C#! . . C#^  . . G#* .     B! . . C#^   A~ G# F# E"),
    (0, "F#_! . F#^ -  . F#_ A_ .   C#! . B_~ A_  . . E_ F#_"),
    (0, "D! . D_ F    . A D! .     C~ A_"),
    (0, "G#_! - - .   G#_ . G#! -  D#_! - - .   F#_~ G#_ - ."),
    (0, "A_! . . E_   A_ . . G_    A_! . . E_?   c_! B_ G_~ A_"),
    (0, "E! - E_ -    . . B_! -    C - . .      B_~ A_ B_ ."),
    (0, "C_! . . .    . . . .      C! . . .     . . G_~ C_"),
    (0, "D#! - - -    - - - -      D! - - -     C~ A#_ - -"),
    (0, "F_! . F . C F_ .   G#_! . F_ . D#_~ F_ ."),
    (0, "B_! B_ . B_%  D! . B_ .    F#_ . A_~ B_  . . E! D"),
    (0, "A_! - A -    A_ - E! -    G - A_ -     c! - B_~ A_"),
    (0, "G! . . G_    . . G! .     . A#_ . .    C~ D - ."),
    (0, "E_! E . E_ G~ E"),
    (0, "C_! - - -    C! - - -     G_! - - -    A#_~ C - ."),
    (0, "F! . F_ .    . F! . G#_   A#_ . . C*   . D#~ F ."),
    (0, "D_! . . D    - . D_ .     F_! . . A_~  D - . ."),
    (0, "G#_! . G# .  . D#_ . G#_!  . . F#_~ G#_  . . . ."),
    (0, "A_! . . A    . . A_! .    . c? . .      B~ A - ."),
    (0, "C#! . G#_ . C#^ . B_~ C# ."),
    (0, "E_! - - -    G_! - - -    A_! - - -    B_~ c_ - -"),
    (0, "D#! . . D#_  . . A#_! .   . D#_? . .    F#_~ G#_ A#_ ."),
    (0, "F#_! . . .   F# . E! .    . C#~ D .    . . F#_ ."),
    (0, "A_! . E_ A_ . c_! B_ .    A_ . G_~ E_ ."),
    (0, "G_! - - -    - - - -      A#_! - - -   D~ C - -"),
    # --- busy: octave bounce, chromatic, odd lengths ---------------------------------
    (0, "C_! C C_ C^~  C_ C! C_ C^  D#_ D# D#_! D#^%  F_ F F_~ G_"),
    (0, "A_ A^ A_ A^!  A_ A^ G~ A^!  A_ A^ A_* E^!  D^ c~ A G"),
    (0, "E_! E E_ E   E_ E! E_ E?  G_ G G_! G~  A_ A B_~ C#"),
    (0, "C! C^ G"),
    (0, "D! D^ C^~ D  A# D^! D C^  F D^ D! A#   G~ A A# D^"),
    (0, "F_! F F_ F^  . F F_ F^!   D#_ D# D#_ D#^  . C~ D# F"),
    (0, "G! G^ F? G   A#! G^ F D#  D! D^ C D    D#! F G~ A#"),
    (0, "B_! B B_ D   B_ B! F# B_  A_ A A_! E   F#~ G A"),
    (0, "C#! C# C#^% C#  B_! B_ B B_  A_! A_ A A_  G#_! G#_ G#~ A"),
    (0, "E! E E^~ D^  B! A G E     D! E E^ D^   B~ A G F#"),
    (0, "A_! A c A^   G A_ E! A_   c A_ D^! A_  E^~ D^ c A"),
    (0, "D! A D^ C^~ A"),
    (0, "F#! F#_ F# F#^~  E! E_ E E^  D! D_ D D^  C#! C#_ C#~ E"),
    (0, "G#_! G# G#_ F#  G#_ . B! G#_  C#^ G#_ B G#_!  F#~ E D# C#"),
    (0, "C! D# C F    C! G C F#*   C! F C D#    C! A#_ C~ G_"),
    (0, "A#_! A# A#_ A#^  A#_ . F! A#_  . G# A#_ F  D#~ F A# c"),
    (0, "E_! E G_ E_ A_ E_! B_ E_ D? E_~ G_"),
    (0, "B_! B . B_   A! A_ . A    G_! G . G_   A_~ B_ D F#"),
    (0, "D_! D_ D D_  F_ D_! G_ D_  A_ D_ c_!~ D_  A_~ G_ F_ E_"),
    (0, "F! F^ D# F^  C^!~ F^ G# F^  G! F^ A# F^  c~ A# G# G"),
    (0, "A_! E A_ E^  A_ E A! E    G_ D G_! D^  G_ D~ E G"),
    (0, "C#_! C# C#_ E  F# C#_ G#! C#_  B_ B_ C# D#~  E F# G#% A"),
    (0, "G_! G . G^   G_ G! . F    G_ G . G^!   A#~ A G F"),
    (0, "E! E^ B G E^~ D^ B"),
    (0, "D#_! D# D#_ D#~  F#_! F# F#_ F#  G#_! G# G#_ G#  A#_! B_ A#_~ G#_"),
    (0, "A! A^ G A^   E! A^ D A^*  C! A^ B_ A^   A_~ A A^ A"),
    (0, "F_! . F . F_ F^! . F    D#_! . D# . D#_ D#^! C~ D#"),
    (0, "B_! D F# B~  A! C# E A    G! B_ D G    F#~ A# C# F#"),
    (0, "C! C G_ A#_ C^! C . G~ A# c! C D#~ F C G_"),
    (0, "G#! G#^ G# G#^^~  F#! F#^ F# F#^  E! E^ E E^  F#~ G# B G#^"),
    (0, "A#_! A#_ A#^ A#_  G#_! G#^ G#_ G#_  F#_! F#^ F#_ F#_  F_! F^ F_~ G#_"),
    (0, "C! C^ B A#   A G# G F#    F E D# D     C#! C B_~ C"),
]


def vary(pattern, step, spread):
    """A small, repeatable offset in 0..spread, so that levels are not all alike."""
    return ((pattern * 37 + step * 11) % 7) / 6.0 * spread


def position_weight(step, strong, mid, weak):
    return strong if step % 4 == 0 else mid if step % 2 == 0 else weak


def parse_token(token):
    """Returns (note, up, down, flags) for a note token."""
    name = token[:2] if token[:2] in NOTE_NAMES else token[:1]
    assert name in NOTE_NAMES, token
    rest = token[len(name):]
    up = down = 0
    if rest.startswith("^^"):
        up, down, rest = 1, 1, rest[2:]
    elif rest.startswith("^"):
        up, rest = 1, rest[1:]
    elif rest.startswith("_"):
        down, rest = 1, rest[1:]
    assert set(rest) <= set("!~?*%"), token
    return NOTE_NAMES[name], up, down, rest


def make_steps(index, text):
    tokens = text.split()
    assert 3 <= len(tokens) <= 16, (index, len(tokens))
    first_note = next(t for t in tokens if t not in ".-")
    pitch = parse_token(first_note)[:3]
    steps = []
    for i, token in enumerate(tokens):
        step = {"note": pitch[0], "octaveUp": pitch[1], "octaveDown": pitch[2], "gate": 0,
                "accent": 0, "slide": 0, "gateLevel": 0.0, "accentLevel": 0.0, "slideLevel": 0.0}
        if token == "-":
            assert i > 0 and steps[-1]["gate"] == 1, (index, i, "tie needs a sounding note")
            prev = steps[-1]
            if not prev["slide"]:
                prev["slide"] = 1
                prev["slideLevel"] = 0.05 + vary(index, i - 1, 0.06)
            step["gate"] = 1
            step["gateLevel"] = 0.05 + vary(index, i, 0.05)
        elif token != ".":
            note, up, down, flags = parse_token(token)
            pitch = (note, up, down)
            step.update(note=note, octaveUp=up, octaveDown=down, gate=1)
            if "?" in flags:
                step["gateLevel"] = 0.8 + vary(index, i, 0.15)
            else:
                step["gateLevel"] = position_weight(i, 0.1, 0.28, 0.42) + vary(index, i, 0.06)
            if "!" in flags:
                step["accent"] = 1
                step["accentLevel"] = position_weight(i, 0.12, 0.25, 0.36) + vary(index, i, 0.07)
            elif "*" in flags:
                step["accent"] = 1
                step["accentLevel"] = 0.65 + vary(index, i, 0.2)
            if "~" in flags:
                step["slide"] = 1
                step["slideLevel"] = 0.2 + vary(index, i, 0.22)
            elif "%" in flags:
                step["slide"] = 1
                step["slideLevel"] = 0.62 + vary(index, i, 0.18)
        else:
            assert i == 0 or not steps[-1]["slide"], (index, i, "slide into a rest")
        steps.append(step)
    return steps


STEP_ATTRIBUTES = ["note", "octaveUp", "octaveDown", "gate", "accent", "slide",
                   "gateLevel", "accentLevel", "slideLevel"]


def pattern_bank():
    assert len(PATTERNS) == 96
    lines = ["<PatternBank>"]
    for index, (shuffle, text) in enumerate(PATTERNS):
        steps = make_steps(index, text)
        lines.append('  <Pattern application="%s" name="Pattern %d" length="%d" shuffle="%d" tempo="120">'
                     % (APP, index, len(steps), shuffle))
        for step in steps:
            attrs = " ".join('%s="%s"' % (key, fmt(step[key]) if key.endswith("Level") else step[key])
                             for key in STEP_ATTRIBUTES)
            lines.append("    <Step %s/>" % attrs)
        lines.append("  </Pattern>")
    lines.append("</PatternBank>")
    return HEADER + "\n".join(lines) + "\n"


def write(name, text):
    with open(os.path.join(OUT, name), "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


if __name__ == "__main__":
    write("DEFAULT.KLPRS", default_preset())
    write("DEFAULT.KLPRSB", factory_bank())
    write("DEFAULT.KLPTRB", pattern_bank())
