#include "PanelLayout.h"

#include "PanelArtwork.h"

namespace PanelLayout
{
namespace
{
using namespace PanelArtwork;

constexpr int knobFrames = 65; // a step of 1/64: the pointer moves at every visible change
constexpr int fontFirst = 32, fontLast = 127, glyphWidth = 9, glyphHeight = 16;

const juce::StringArray arpModes{"OFF", "RANDOM", "UP", "DOWN", "UP-DOWN"};
const juce::StringArray chords{"CUSTOM", "MAJOR", "MINOR", "7TH", "m7TH", "MAJ7", "m7b5", "DIM"};
const juce::StringArray multipliers{"x1", "x1.5", "x2", "x3", "x4", "x6"};
const juce::StringArray repeats{"RPT 1", "RPT 2", "RPT 3", "RPT 4", "RPT 6"};

Strip knobStrip (const juce::String& resource, int side, juce::Colour hue, bool bipolar = false)
{
    return {resource, side, side, knobFrames,
            [=] (juce::Graphics& g, int frame)
            {
                paintKnob (g, juce::Rectangle<float> ((float) side, (float) side),
                           (float) frame / (knobFrames - 1), hue, bipolar);
            }};
}

Strip selectorStrip (const juce::String& resource, const juce::StringArray& texts, juce::Colour hue)
{
    return {resource, 64, 72, texts.size(), [=] (juce::Graphics& g, int frame) {
                paintSelector (g, {64.0f, 72.0f}, frame, texts, hue);
            }};
}

/** Keys of the multi-state and toggle buttons: frame 2 x lit + pressed. */
Strip ledKeyStrip (const juce::String& resource, int width, int height, CapColour colour)
{
    return {resource, width, height, 4,
            [=] (juce::Graphics& g, int frame)
            {
                paintKey (g, {(float) width, (float) height}, colour, (frame & 1) != 0,
                          frame >= 2 ? CapLight::on : CapLight::off);
            }};
}

/** Plain buttons: frame 0 up, 1 pressed; an optional arrow printed on the cap (-1 left, 1 right). */
Strip plainKeyStrip (const juce::String& resource, int width, int height, int arrow)
{
    return {resource, width, height, 2,
            [=] (juce::Graphics& g, int frame)
            {
                const auto area = juce::Rectangle<float> ((float) width, (float) height);
                paintKey (g, area, CapColour::grey, frame == 1, CapLight::none);
                if (arrow == 0)
                    return;
                const auto c =
                    area.withTrimmedBottom (3.0f).getCentre().translated (0.0f, frame == 1 ? 1.0f : 0.0f);
                juce::Path p;
                const float s = 4.0f * (float) arrow;
                p.addTriangle (c.x + s, c.y, c.x - s * 0.8f, c.y - 4.0f, c.x - s * 0.8f, c.y + 4.0f);
                g.setColour (juce::Colour (0xff1e1f22));
                g.fillPath (p);
            }};
}

Strip digitStrip (const juce::String& resource, const juce::String& characters, int pointAt = -1,
                  int sharpAt = -1)
{
    // Frame 0 is blank, then one frame per character.
    return {resource, 16, 28, characters.length() + 1,
            [=] (juce::Graphics& g, int frame)
            {
                const auto cell = juce::Rectangle<float> (16.0f, 28.0f);
                if (frame == 0)
                    return paintSegments (g, cell, 0);
                const auto c = characters[frame - 1];
                int segments = segmentsOfCharacter (c);
                if (frame - 1 == pointAt || (pointAt == -2 && c != ' '))
                    segments |= 128;
                paintSegments (g, cell, segments, frame - 1 == sharpAt);
            }};
}

const Strip knobOsc = knobStrip ("KnobOscillator.png", 56, Palette::oscillator);
const Strip knobOscBipolar = knobStrip ("KnobTuning.png", 56, Palette::oscillator, true);
const Strip knobFilter = knobStrip ("KnobFilter.png", 56, Palette::filter);
const Strip knobEnvelope = knobStrip ("KnobEnvelope.png", 56, Palette::envelope);
const Strip knobDistortion = knobStrip ("KnobDistortion.png", 56, Palette::distortion);
const Strip knobOutput = knobStrip ("KnobOutput.png", 56, Palette::output);
const Strip knobArp = knobStrip ("KnobSmallArpeggiator.png", 40, Palette::arpeggiator);
const Strip knobSeq = knobStrip ("KnobSmallSequencer.png", 40, Palette::sequencer);

const Strip selMode = selectorStrip ("SelectorArpMode.png", arpModes, Palette::arpeggiator);
const Strip selChord = selectorStrip ("SelectorArpChord.png", chords, Palette::arpeggiator);
const Strip selRandChord = selectorStrip ("SelectorRandomChord.png", chords, Palette::sequencer);
const Strip selMultiplier = selectorStrip ("SelectorMultiplier.png", multipliers, Palette::arpeggiator);
const Strip selRepeater = selectorStrip ("SelectorRepeater.png", repeats, Palette::arpeggiator);

const Strip slideSwitch{"SlideSwitch.png", 40, 20, 2, [] (juce::Graphics& g, int frame) {
                            paintSlideSwitch (g, {40.0f, 20.0f}, frame);
                        }};

const Strip keyLed = ledKeyStrip ("KeyLight.png", 36, 24, CapColour::grey);
const Strip keyRun = ledKeyStrip ("KeyRun.png", 48, 24, CapColour::accent);
const Strip keyWhite = ledKeyStrip ("KeyWhite.png", 40, 44, CapColour::light);
const Strip keyBlack = ledKeyStrip ("KeyBlack.png", 40, 32, CapColour::dark);
const Strip keyPlain = plainKeyStrip ("KeyPlain.png", 36, 24, 0);
const Strip keyLeft = plainKeyStrip ("KeyLeft.png", 28, 24, -1);
const Strip keyRight = plainKeyStrip ("KeyRight.png", 28, 24, 1);

const Strip rocker{"Rocker.png", 56, 24, 3, [] (juce::Graphics& g, int frame) {
                       paintRocker (g, {56.0f, 24.0f}, frame);
                   }};
const Strip led{"Led.png", 14, 14, 2, [] (juce::Graphics& g, int frame) {
                    paintLed (g, {14.0f, 14.0f}, frame == 1);
                }};
const Strip barLed{"LedBar.png", 28, 10, 2, [] (juce::Graphics& g, int frame) {
                       paintBarLed (g, {28.0f, 10.0f}, frame == 1);
                   }};

const Strip digit = digitStrip ("Digit.png", "0123456789");
const Strip digitPoint = digitStrip ("DigitPoint.png", "0123456789", -2);
// The pattern number's four places: the note-mode mark "P.", note letters and the bank separator, the
// sharp and natural signs, the octave or slot digit.
const Strip patternFirst = digitStrip ("PatternDigit1.png", "0123456789P", 10);
const Strip patternSecond = digitStrip ("PatternDigit2.png", "0123456789CDEFGAB-");
const Strip patternThird = digitStrip ("PatternDigit3.png", "0123456789#-", -1, 10);
const Strip patternFourth = digitStrip ("PatternDigit4.png", "0123456789");

const Strip font{"DisplayFont.png", glyphWidth, glyphHeight, 2 * (fontLast - fontFirst + 1),
                 [] (juce::Graphics& g, int frame)
                 {
                     constexpr int count = fontLast - fontFirst + 1;
                     paintGlyph (g, {(float) glyphWidth, (float) glyphHeight},
                                 (juce::juce_wchar) (fontFirst + frame % count), frame >= count, 12.0f);
                 }};

//==============================================================================
/** Builds the control list; every control's size comes from its strip. */
class Builder
{
public:
    explicit Builder (Design& d)
        : design (d)
    {
    }

    Control& add (const juce::String& tag, const juce::String& name, int x, int y, const Strip& strip,
                  const juce::String& label, const juce::String& parameter = {})
    {
        Control c;
        c.tag = tag;
        c.name = name;
        c.bounds = {x, y, strip.width, strip.frameHeight};
        c.resource = strip.resource;
        c.framesNum = strip.framesNum;
        c.parameter = parameter;
        c.label = label;
        design.controls.push_back (std::move (c));
        return design.controls.back();
    }

    Control& knob (const juce::String& name, int x, int y, const Strip& strip, const juce::String& label,
                   const juce::String& parameter)
    {
        return add ("Knob", name, x, y, strip, label, parameter);
    }

    Control& selector (const juce::String& name, int x, int y, const Strip& strip, const juce::String& label,
                       const juce::String& parameter)
    {
        auto& c = add ("Switch", name, x, y, strip, label, parameter);
        c.attributes.push_back ({"style", "Rotary"});
        return c;
    }

    /** A two-position slide switch, its lower position (lever left, the parameter at 0) at the left. What
        each end does is printed under it, or as a symbol beside it. */
    Control& slide (const juce::String& name, int x, int y, const juce::String& label,
                    const juce::String& parameter, const juce::String& lower, const juce::String& upper,
                    Legend::Symbol lowerSymbol = Legend::Symbol::none,
                    Legend::Symbol upperSymbol = Legend::Symbol::none)
    {
        auto& c = add ("Switch", name, x, y, slideSwitch, label, parameter);
        c.attributes.push_back ({"style", "Horizontal"});
        const auto place = [&] (const juce::String& word, Legend::Symbol symbol, bool atUpper)
        {
            Legend end;
            end.word = word;
            end.symbol = symbol;
            if (symbol != Legend::Symbol::none)
                end.area = {atUpper ? x + slideSwitch.width + 4 : x - 16, y + 3, 12, 14};
            else
                end.area = {atUpper ? x + 20 : x - 12, y + slideSwitch.frameHeight + 2, 32, labelHeight};
            return end;
        };
        c.ends = {place (lower, lowerSymbol, false), place (upper, upperSymbol, true)};
        return c;
    }

    /** A key with a light that shows a state parameter and fires events. */
    Control& stateKey (const juce::String& name, int x, int y, const Strip& strip, const juce::String& label,
                       const juce::String& parameter, const juce::String& onClick,
                       const juce::String& onCtrlClick = {})
    {
        auto& c = add ("MultiStateButton", name, x, y, strip, label, parameter);
        c.attributes.push_back ({"style", "3D"});
        c.attributes.push_back ({"states", "2"});
        if (onClick.isNotEmpty())
            c.actions.push_back ({"onClick", onClick});
        if (onCtrlClick.isNotEmpty())
            c.actions.push_back ({"onClickWithCtrl", onCtrlClick});
        return c;
    }

    Control& toggle (const juce::String& name, int x, int y, const juce::String& label,
                     const juce::String& parameter)
    {
        auto& c = add ("ToggleButton", name, x, y, keyLed, label, parameter);
        c.attributes.push_back ({"style", "3D"});
        return c;
    }

    Control& button (const juce::String& name, int x, int y, const Strip& strip, const juce::String& label,
                     const juce::String& onClick, const juce::String& onCtrlClick = {})
    {
        auto& c = add ("Button", name, x, y, strip, label);
        c.actions.push_back ({"onClick", onClick});
        if (onCtrlClick.isNotEmpty())
            c.actions.push_back ({"onClickWithCtrl", onCtrlClick});
        return c;
    }

    Control& rocker (const juce::String& name, int x, int y, const juce::String& label,
                     const juce::String& less, const juce::String& more)
    {
        auto& c = add ("Rocker", name, x, y, PanelLayout::rocker, label);
        c.attributes.push_back ({"type", "horizontal"});
        c.actions.push_back ({"onLessClick", less});
        c.actions.push_back ({"onMoreClick", more});
        return c;
    }

    /** A row of seven-segment digits sharing one strip, or the tempo's with its point. */
    Control& digits (const juce::String& name, int x, int y, int count, double firstDigitOrder,
                     double minimum, double maximum, const juce::String& parameter, const juce::String& label,
                     int pointDigit = -1)
    {
        Control c;
        c.tag = "NumericDisplay";
        c.name = name;
        c.bounds = {x, y, count * digit.width, digit.frameHeight};
        c.parameter = parameter;
        c.label = label;
        c.writeSize = true;
        c.attributes = {{"digitsNum", juce::String (count)},
                        {"firstDigitOrder", juce::String (firstDigitOrder)},
                        {"minValue", juce::String (minimum)},
                        {"maxValue", juce::String (maximum)}};
        c.addChildren = [count, pointDigit] (juce::XmlElement& element)
        {
            auto* list = element.createNewChildElement ("digits");
            if (pointDigit < 0)
            {
                list->setAttribute ("resource", digit.resource);
                return;
            }
            for (int i = 0; i < count; ++i)
                list->createNewChildElement ("gfx")->setAttribute (
                    "resource", i == pointDigit ? digitPoint.resource : digit.resource);
        };
        design.controls.push_back (std::move (c));
        return design.controls.back();
    }

    /** A text display of `cells` characters in the display font. */
    Control& textDisplay (const juce::String& name, int x, int y, int cells, const juce::String& parameter,
                          const juce::String& label)
    {
        Control c;
        c.tag = "Display";
        c.name = name;
        c.bounds = {x, y, cells * glyphWidth, glyphHeight + 8};
        c.parameter = parameter;
        c.label = label;
        c.writeSize = true;
        c.attributes = {{"backgroundColour", Palette::window.toDisplayString (true)},
                        {"caretColour", Palette::segmentOn.toDisplayString (true)}};
        c.addChildren = [] (juce::XmlElement& element)
        {
            auto* gfx = element.createNewChildElement ("gfx");
            gfx->setAttribute ("resource", font.resource);
            gfx->setAttribute ("fontHeight", glyphHeight);
            gfx->setAttribute ("firstASCII", juce::String::charToString ((juce::juce_wchar) fontFirst));
        };
        design.controls.push_back (std::move (c));
        return design.controls.back();
    }

    void text (const juce::String& t, juce::Rectangle<int> area, bool bold = true, bool dim = false,
               juce::Justification j = juce::Justification::centred)
    {
        design.texts.push_back ({t, area, j, bold, dim});
    }

    void section (const juce::String& title, juce::Rectangle<int> bounds, juce::Colour hue)
    {
        design.sections.push_back ({title, bounds, hue});
    }

    void window (juce::Rectangle<int> area) { design.windows.push_back (area); }

    Design& design;
};

juce::String twoDigits (int n)
{
    return juce::String (n).paddedLeft ('0', 2);
}
} // namespace

//==============================================================================
std::vector<Strip> getStrips()
{
    return {knobOsc,      knobOscBipolar, knobFilter,    knobEnvelope, knobDistortion,
            knobOutput,   knobArp,        knobSeq,       selMode,      selChord,
            selRandChord, selMultiplier,  selRepeater,   slideSwitch,  keyLed,
            keyRun,       keyWhite,       keyBlack,      keyPlain,     keyLeft,
            keyRight,     rocker,         led,           barLed,       digit,
            digitPoint,   patternFirst,   patternSecond, patternThird, patternFourth,
            font};
}

Design makeDesign()
{
    Design design;
    design.width = 1104;
    design.height = 720;
    Builder b (design);

    //==========================================================================
    // Header: name plate, presets, options.
    b.window ({381, 19, 222, 30});
    b.textDisplay ("PresetNameDisplay", 384, 22, 24, "Current Preset Name", "PRESET");
    b.button ("PresetPrevButton", 616, 22, keyLeft, {}, "Select previous preset");
    b.button ("PresetNextButton", 648, 22, keyRight, {}, "Select next preset");
    b.text ("SELECT", {612, 8, 68, labelHeight});
    b.button ("PresetBrowseButton", 692, 22, keyPlain, "BROWSE", "Browse presets");
    b.button ("PresetCopyButton", 740, 22, keyPlain, "COPY", "Copy current preset");
    b.button ("PresetPasteButton", 784, 22, keyPlain, "PASTE", "Paste copied preset");
    b.button ("PresetStoreButton", 828, 22, keyPlain, "STORE", "Store current preset");
    b.button ("OptionsButton", 972, 22, keyPlain, "OPTIONS", "Options");
    b.button ("AboutButton", 1028, 22, keyPlain, "ABOUT", "About");

    //==========================================================================
    // Synthesis row: two rows of knobs per section.
    constexpr int top = 64, bottom = 264, row1 = 104, row2 = 188;
    const auto col = [] (int sectionX, int sectionWidth, int columns, int index, int gap = 8)
    {
        const int used = columns * 56 + (columns - 1) * gap;
        return sectionX + (sectionWidth - used) / 2 + index * (56 + gap);
    };

    b.section ("OSCILLATOR", {16, top, 176, bottom - top}, Palette::oscillator);
    b.knob ("TuningKnob", col (16, 176, 2, 0), row1, knobOscBipolar, "TUNE", "Tuning");
    b.knob ("SlideTimeKnob", col (16, 176, 2, 1), row1, knobOsc, "SLIDE", "Slide Time");
    b.slide ("WaveformSwitch", 84, row2 + 18, "WAVEFORM", "Waveform", "SQUARE", "SAW", Legend::Symbol::square,
             Legend::Symbol::sawtooth);

    // RESONANCE is the panel's longest knob label: its neighbours stand further off so that the three read
    // as separate words.
    b.section ("FILTER", {200, top, 208, bottom - top}, Palette::filter);
    const auto filterCol = [&col] (int index) { return col (200, 208, 3, index, 14); };
    b.knob ("CutoffKnob", filterCol (0), row1, knobFilter, "CUTOFF", "Cutoff");
    b.knob ("ResonanceKnob", filterCol (1), row1, knobFilter, "RESONANCE", "Resonance");
    b.knob ("EnvModKnob", filterCol (2), row1, knobFilter, "ENV MOD", "Env Mod");
    b.knob ("SweepTimeKnob", filterCol (0), row2, knobFilter, "SWEEP", "Sweep Time");
    b.slide ("SweepModeSwitch", (filterCol (1) + filterCol (2)) / 2 + 8, row2 + 18, "SWEEP MODE",
             "Sweep Mode", "FREE", "LINK");

    b.section ("ENVELOPE & ACCENT", {416, top, 208, bottom - top}, Palette::envelope);
    b.knob ("EnvAttackKnob", col (416, 208, 3, 0), row1, knobEnvelope, "ATTACK", "Env Attack");
    b.knob ("EnvDecayKnob", col (416, 208, 3, 1), row1, knobEnvelope, "DECAY", "Env Decay");
    b.knob ("AccentDecayKnob", col (416, 208, 3, 2), row1, knobEnvelope, "ACC DECAY", "Accent Decay");
    b.knob ("EnvAccentKnob", col (416, 208, 3, 0), row2, knobEnvelope, "ENV ACC", "Env Accent");
    b.knob ("AccentVolumeKnob", col (416, 208, 3, 1), row2, knobEnvelope, "ACC LEVEL", "Accent Volume");
    b.slide ("AccentModeSwitch", col (416, 208, 3, 2) + 8, row2 + 18, "ACC MODE", "Accent Mode", "FREE",
             "LINK");

    b.section ("DISTORTION", {632, top, 272, bottom - top}, Palette::distortion);
    b.slide ("DistortionSwitch", col (632, 272, 4, 0) + 8, row1 + 18, "DIST", "Distortion State", "OFF",
             "ON");
    b.knob ("DistPreampKnob", col (632, 272, 4, 1), row1, knobDistortion, "PREAMP", "Distortion Preamp");
    b.knob ("DistClipKnob", col (632, 272, 4, 2), row1, knobDistortion, "CLIP", "Distortion Clip");
    // "Brightness" blends the three tone filters with the dry signal, and "Wetness" sets how sharply those
    // filters peak: the legends say what each does, and the filters' knobs share the lower row.
    b.knob ("DistBrightnessKnob", col (632, 272, 4, 3), row1, knobDistortion, "MIX", "Distortion Brightness");
    b.slide ("DistRouteSwitch", col (632, 272, 4, 0) + 8, row2 + 18, "ROUTE", "Distortion Route", "POST",
             "PRE");
    b.knob ("DistSizeKnob", col (632, 272, 4, 1), row2, knobDistortion, "SIZE", "Distortion Size");
    b.knob ("DistDensityKnob", col (632, 272, 4, 2), row2, knobDistortion, "DENSITY", "Distortion Density");
    b.knob ("DistWetnessKnob", col (632, 272, 4, 3), row2, knobDistortion, "PEAK", "Distortion Wetness");

    b.section ("OUTPUT", {912, top, 176, bottom - top}, Palette::output);
    b.knob ("VolumeKnob", 972, row1, knobOutput, "VOLUME", "Main Volume");
    b.stateKey ("MidiLearnButton", 950, row2 + 16, keyLed, "LEARN", {}, "Toggle Midi Learn");
    b.add ("Animation", "MidiActivityLed", 1020, row2 + 20, led, "MIDI IN");

    //==========================================================================
    // Arpeggiator and the sequencer's modes.
    constexpr int top2 = 272, bottom2 = 388, selectorY = 308;
    b.section ("ARPEGGIATOR", {16, top2, 584, bottom2 - top2}, Palette::arpeggiator);
    b.text ("ACTIVE", {516, top2 + 6, 48, labelHeight}, true, false, juce::Justification::centredRight);
    b.add ("Animation", "ArpeStateLed", 572, top2 + 4, led, {}, "Arpe State");
    b.selector ("ArpeModeSwitch", 28, selectorY, selMode, "MODE", "Arpe Mode");
    b.selector ("ArpeChordSwitch", 100, selectorY, selChord, "CHORD", "Arpe Chord");
    b.selector ("RandChordSwitch", 100, selectorY, selRandChord, {}, "Randomizer Chord");
    b.selector ("ArpeMultiplierSwitch", 172, selectorY, selMultiplier, "RATE", "Arpe Multiplier");
    b.selector ("ArpeRepeaterSwitch", 172, selectorY, selRepeater, {}, "Arpe Repeater");
    b.toggle ("ArpeMultRepeatButton", 248, 332, "REPEAT", "Arpe Mult/Repeat Mode");
    b.text ("OCTAVE RANGE", {300, 296, 156, labelHeight});
    const char* const ranges[] = {"-1", "0", "+1", "+2"};
    const char* const rangeParameters[] = {"Arpe Range Sub 1", "Arpe Range Zero", "Arpe Range Add 1",
                                           "Arpe Range Add 2"};
    for (int i = 0; i < 4; ++i)
        b.toggle ("ArpeRange" + juce::String (i) + "Button", 300 + 40 * i, 332, ranges[i],
                  rangeParameters[i]);
    b.knob ("ArpeShuffleKnob", 476, 324, knobArp, "SHUFFLE", "Arpe Shuffle");
    b.window ({528, 328, 56, 32});
    b.digits ("ArpeShuffleDisplay", 532, 330, 3, 100.0, 0.0, 100.0, "Arpe Shuffle Value", {});

    b.section ("SEQUENCER MODE", {608, top2, 480, bottom2 - top2}, Palette::sequencer);
    struct ModeKey
    {
        const char* name;
        const char* label;
        const char* parameter;
        const char* event;
    };
    const ModeKey modeKeys[] = {
        {"SequencerOnButton", "SEQ ON", "Internal Sequencer State", "Toggle Internal Sequencer"},
        {"InternalSyncButton", "CLOCK", "Internal Sync State", "Toggle Internal Sync"},
        {"HostModeButton", "HOST", "Host Mode State", "Toggle Host Mode"},
        {"NoteOffButton", "NOTE OFF", "Note Off State", "Toggle Note Off Mode"},
        {"WriteModeButton", "WRITE", "Write Mode State", "Toggle Pattern Write Mode"},
        {"AutoFollowButton", "FOLLOW", "Auto Follow State", "Toggle Auto Follow Mode"},
        {"PattRandModeButton", "RANDOM", "Randomizer State", "Toggle Randomizer"},
        {"PattLengthButton", "LENGTH", "Length Mode State", "Toggle Length Mode"}};
    for (int i = 0; i < 8; ++i)
        b.stateKey (modeKeys[i].name, 634 + 56 * i, 332, keyLed, modeKeys[i].label, modeKeys[i].parameter,
                    modeKeys[i].event);
    b.text ("PLAY MODE", {626, 296, 212, labelHeight}, true, true);
    b.text ("EDIT MODE", {850, 296, 212, labelHeight}, true, true);

    //==========================================================================
    // The sequencer: displays, pattern keys, the note keyboard, step keys and lights.
    constexpr int top3 = 396, bottom3 = 708;
    b.section ("SEQUENCER", {16, top3, 1072, bottom3 - top3}, Palette::sequencer);

    b.window ({28, 424, 408, 56});
    // Their names are printed on the window above them.
    auto& number =
        b.add ("PatternNumberDisplay", "PatternNumberDisplay", 40, 446, patternFirst, {}, "Pattern Number");
    number.resource = {};
    number.bounds.setWidth (4 * patternFirst.width);
    number.writeSize = true;
    // The bank and slot read as the keys choose a pattern: GATE, ACCENT or SLIDE, then one of eight keys.
    number.attributes.push_back ({"slotMax", "8"});
    number.addChildren = [] (juce::XmlElement& element)
    {
        auto* gfx = element.createNewChildElement ("gfx");
        gfx->setAttribute ("firstDigit", patternFirst.resource);
        gfx->setAttribute ("secondDigit", patternSecond.resource);
        gfx->setAttribute ("thirdDigit", patternThird.resource);
        gfx->setAttribute ("fourthDigit", patternFourth.resource);
    };
    b.digits ("TempoDisplay", 124, 446, 4, 100.0, 30.0, 300.0, "Pattern Tempo", {}, 2);
    b.digits ("ShuffleDisplay", 208, 446, 3, 100.0, 0.0, 100.0, "Pattern Shuffle", {});
    b.textDisplay ("PatternNameDisplay", 276, 448, 16, "Pattern Name", {});
    b.text ("PATTERN", {40, 430, 64, 10}, true, true);
    b.text ("TEMPO", {124, 430, 64, 10}, true, true);
    b.text ("SHUFFLE", {200, 430, 64, 10}, true, true);
    b.text ("NAME", {276, 430, 144, 10}, true, true);

    // The pattern file menus open under the arrows, so LOAD sits beside the left arrow and SAVE beside the
    // right one.
    b.button ("PattLoadButton", 40, 512, keyPlain, "LOAD", "Load Patterns");
    b.button ("PattPrevButton", 84, 512, keyLeft, {}, "Prev");
    b.button ("PattNextButton", 120, 512, keyRight, {}, "Next");
    b.button ("PattSaveButton", 156, 512, keyPlain, "SAVE", "Save Patterns");
    b.text ("PATTERN", {80, 498, 72, labelHeight});
    b.knob ("TempoKnob", 224, 506, knobSeq, "TEMPO", "Pattern Tempo");
    b.knob ("ShuffleKnob", 296, 506, knobSeq, "SHUFFLE", "Pattern Shuffle");
    b.knob ("StepLengthKnob", 368, 506, knobSeq, "GATE TIME", "Step Length");

    b.stateKey ("RunStopButton", 40, 572, keyRun, "RUN/STOP", "Play State", "Start/Stop");
    b.button ("StartButton", 104, 572, keyPlain, "START", "Start");
    b.button ("StopButton", 148, 572, keyPlain, "STOP", "Stop");
    b.stateKey ("PattCopyButton", 200, 572, keyLed, "COPY", "Clipboard State", "Copy");
    b.button ("PattPasteButton", 244, 572, keyPlain, "PASTE", "Paste");
    b.button ("PattClearButton", 288, 572, keyPlain, "CLEAR", "Clear", "Clear 2nd");
    b.button ("PattUndoButton", 348, 572, keyPlain, "UNDO", "Undo");
    b.button ("PattAcceptButton", 392, 572, keyPlain, "ACCEPT", "Accept");

    // One octave of note keys; the sharps ride above between their neighbours.
    struct NoteKey
    {
        const char* name;
        const char* label;
        const char* note; // event and parameter stem
        int x;
        bool black;
    };
    const NoteKey noteKeys[] = {
        {"NoteCButton", "C", "C", 452, false},    {"NoteC_Button", "C#", "Cis", 476, true},
        {"NoteDButton", "D", "D", 500, false},    {"NoteD_Button", "D#", "Dis", 524, true},
        {"NoteEButton", "E", "E", 548, false},    {"NoteFButton", "F", "F", 596, false},
        {"NoteF_Button", "F#", "Fis", 620, true}, {"NoteGButton", "G", "G", 644, false},
        {"NoteG_Button", "G#", "Gis", 668, true}, {"NoteAButton", "A", "A", 692, false},
        {"NoteA_Button", "A#", "Ais", 716, true}, {"NoteBButton", "B", "B", 740, false},
        {"NoteC1Button", "C", "C1", 788, false}};
    for (const auto& k : noteKeys)
    {
        const juce::String note (k.note);
        auto& c =
            b.stateKey (k.name, k.x, k.black ? 432 : 472, k.black ? keyBlack : keyWhite, k.label,
                        "Note " + note + " State", "Press Note " + note, "Press Note " + note + " With Ctrl");
        c.labelPlace = k.black ? LabelPlace::above : LabelPlace::below;
    }
    b.rocker ("TransposeRocker", 452, 572, "TRANSPOSE", "Transpose Down", "Transpose Up");
    b.rocker ("ShiftRocker", 524, 572, "SHIFT", "Shift Left", "Shift Right");

    b.stateKey ("OctaveDownButton", 860, 432, keyLed, "DOWN", "Lower Octave State", "Press Lower Octave",
                "Press Lower Octave With Ctrl");
    b.stateKey ("OctaveUpButton", 904, 432, keyLed, "UP", "Upper Octave State", "Press Upper Octave",
                "Press Upper Octave With Ctrl");
    b.text ("OCTAVE", {860, 404, 80, labelHeight}, true, true);
    const char* const stepFlags[] = {"Gate", "Accent", "Slide"};
    const char* const stepLabels[] = {"GATE", "ACCENT", "SLIDE"};
    for (int i = 0; i < 3; ++i)
    {
        const juce::String flag (stepFlags[i]);
        b.stateKey (flag + "Button", 860 + 44 * i, 484, keyLed, stepLabels[i], flag + " State",
                    "Press " + flag, "Press " + flag + " With Ctrl");
        b.knob (flag + "ThresholdKnob", 858 + 44 * i, 524, knobSeq, {}, flag + " Threshold");
        b.knob (flag + "LevelKnob", 858 + 44 * i, 524, knobSeq, {}, flag + " Level");
    }
    b.text ("THRESHOLD / LEVEL", {852, 566, 140, labelHeight}, true, true);

    b.stateKey ("StepValuesButton", 1008, 484, keyLed, "VALUES", "Step Values Edition State",
                "Toggle Step Values Edition");
    b.stateKey ("RandNotesButton", 1008, 432, keyLed, "RND NOTES", "Rand Notes State", "Toggle Rand Notes");
    b.button ("FlattenButton", 1008, 532, keyPlain, "FLATTEN", "Flatten");

    // Sixteen steps: the length light over each step key, the step's number under it.
    b.text ("LENGTH", {28, 614, 60, labelHeight}, true, false, juce::Justification::centredLeft);
    b.text ("STEP", {28, 638, 60, labelHeight}, true, false, juce::Justification::centredLeft);
    for (int i = 0; i < 16; ++i)
    {
        const int x = 100 + 44 * i;
        auto& length = b.stateKey ("PattLen" + twoDigits (i + 1) + "Led", x + 4, 614, barLed, {},
                                   "Step " + twoDigits (i + 1) + " Length State",
                                   "Set Pattern Length To " + twoDigits (i + 1));
        length.attributes = {{"style", "2D"}, {"states", "2"}};
        b.stateKey ("PattStepNum" + twoDigits (i + 1) + "Led", x, 632, keyLed, juce::String (i + 1),
                    "Step " + twoDigits (i + 1) + " State", "Set Step " + twoDigits (i + 1) + " Edition")
            .labelPlace = LabelPlace::below;
    }
    // Brackets under each group of four steps, as on a hardware sequencer's face.
    for (int group = 0; group < 4; ++group)
    {
        const float x0 = 100.0f + 176.0f * (float) group, x1 = x0 + 168.0f;
        design.rules.push_back ({x0, 677.0f, x1, 677.0f});
        design.rules.push_back ({x0, 673.0f, x0, 677.0f});
        design.rules.push_back ({x1, 673.0f, x1, 677.0f});
    }

    b.button ("PrevStepButton", 836, 632, keyLeft, {}, "Prev Step");
    b.button ("NextStepButton", 868, 632, keyRight, {}, "Next Step");
    b.text ("STEP", {832, 616, 68, labelHeight});

    return design;
}

//==============================================================================
juce::Rectangle<float> labelBox (const Control& c)
{
    if (c.label.isEmpty() || c.labelPlace == LabelPlace::none)
        return {};
    const int y = c.labelPlace == LabelPlace::above ? c.bounds.getY() - labelGap - labelHeight
                                                    : c.bounds.getBottom() + labelGap - 2;
    return {(float) c.bounds.getCentreX() - 40.0f, (float) y, 80.0f, (float) labelHeight};
}

std::unique_ptr<juce::XmlElement> makeSkinXml (const Design& design, const juce::String& backgroundResource)
{
    auto root = std::make_unique<juce::XmlElement> ("PluginEditor");
    root->setAttribute ("application", "Kelvanor");

    auto* panel = root->createNewChildElement ("Panel");
    panel->setAttribute ("name", "MainPanel");
    auto* gfx = panel->createNewChildElement ("gfx");
    gfx->setAttribute ("resource", backgroundResource);
    gfx->setAttribute ("framesNum", 1);
    auto* pos = panel->createNewChildElement ("pos");
    pos->setAttribute ("left", 0);
    pos->setAttribute ("top", 0);

    auto* list = panel->createNewChildElement ("controls");
    for (const auto& c : design.controls)
    {
        auto* e = list->createNewChildElement (c.tag);
        e->setAttribute ("name", c.name);
        for (const auto& [key, value] : c.attributes)
            e->setAttribute (key, value);

        if (c.parameter.isNotEmpty())
        {
            auto* link = e->createNewChildElement ("links")->createNewChildElement ("link");
            link->setAttribute ("as", "connectedTo");
            link->setAttribute ("param", c.parameter);
        }
        if (!c.actions.empty())
        {
            auto* actions = e->createNewChildElement ("actions");
            for (const auto& [kind, event] : c.actions)
            {
                auto* action = actions->createNewChildElement ("action");
                action->setAttribute ("type", kind);
                action->setAttribute ("event", event);
            }
        }
        if (c.resource.isNotEmpty())
        {
            auto* image = e->createNewChildElement ("gfx");
            image->setAttribute ("resource", c.resource);
            image->setAttribute ("framesNum", c.framesNum);
        }
        if (c.addChildren)
            c.addChildren (*e);
        if (c.writeSize)
        {
            auto* size = e->createNewChildElement ("size");
            size->setAttribute ("width", c.bounds.getWidth());
            size->setAttribute ("height", c.bounds.getHeight());
        }
        auto* where = e->createNewChildElement ("pos");
        where->setAttribute ("left", c.bounds.getX());
        where->setAttribute ("top", c.bounds.getY());
    }
    return root;
}
} // namespace PanelLayout
