// kelvanor_host: renders a VST 2.4 plug-in for Linux from the command line, as a host would drive it.
#include "tools/ExactNumber.h"
#include "tools/HostEditor.h"
#include "tools/HostedPlugin.h"
#include "tools/NoteListReader.h"
#include "tools/Renderer.h"
#include "tools/StandardMidiFile.h"
#include "tools/WavFileWriter.h"

#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace
{
constexpr const char* usageText = R"(Usage: kelvanor_host PLUGIN.so [options]

Loads a VST 2.4 plug-in for Linux (entry VSTPluginMain, or main) and drives it as a host does:
open, sample rate, block size, program, chunk, parameters, mains on, for every block the MIDI
events (also when there are none) then processReplacing, mains off, close.

Information
  --info                  print name, vendor, product, versions, unique id, channel, program and
                          parameter counts, flags, can-do answers, programs and every parameter
                          (name, display, label, value), after program, chunk and parameters are set.
                          With --info, audio is rendered only when an output option is given.

Audio
  --rate HZ               sample rate (44100)
  --block N               block size announced to the plug-in (512)
  --process-block N       samples per process call; may exceed --block (default: --block)
  --offline               tell the plug-in it renders offline (default: realtime)
  --length SECONDS        render length (default: last MIDI event or parameter change plus --tail,
                          or 2 seconds when there is neither)
  --tail SECONDS          render time after the last MIDI event or parameter change (1)
  --out FILE.wav          write the audio, one channel per plug-in output
  --format F              float (32-bit float, default), pcm16 or pcm24

Transport (answered to the plug-in's time info requests)
  --tempo BPM             tempo (120)
  --time-sig N/D          time signature (4/4)
  --position BEATS        song position at the start of the render, in quarter notes (0)
  --stopped               the transport is stopped at the start (default: playing)
  --play SECONDS          start the transport at this time of the render (repeatable)
  --stop SECONDS          stop the transport at this time of the render (repeatable)

MIDI
  --midi FILE.mid         play a standard MIDI file, timed by its own tempo map
  --notes FILE.txt        play a note list (format below); --midi and --notes may be combined
  --program-change N      send MIDI program change N (0..127) on channel 1 at the start of the
                          render, ahead of any note there (a plug-in's presets are often chosen so)
  --midi-out FILE.txt     write the MIDI the plug-in sends, one event per line:
                          SAMPLE SECONDS HEX-BYTES DESCRIPTION (SAMPLE counts from the render start)

State
  --program N             select program N (from 0) before rendering
  --load-chunk FILE       give the file to the plug-in as its bank chunk before rendering
  --param I=V             set parameter I (from 0) to V (0..1) before rendering (repeatable)
  --param-at T:I=V        set parameter I to V at T seconds into the render (repeatable)
  --save-chunk FILE       write the plug-in's bank chunk after rendering
  --automation-out FILE   write the parameter changes the plug-in reports, one per line:
                          SAMPLE SECONDS INDEX VALUE

Editor (needs an X display in DISPLAY; runs after program, chunk and parameters are set, and instead of
rendering unless an output option is given)
  --editor                open the editor in an X window of the host's own: print its size
                          (effEditGetRect), the milliseconds to its first painted frame, then idle
  --idle SECONDS          how long the editor stays open, effEditIdle every 10 ms (0.5); also the
                          wait before each --screenshot
  --editor-play           render audio in real time while the editor is open, with the transport
                          playing at --tempo, so that a sequencer in the plug-in runs (output dropped)
  --editor-cycles N       then close and reopen it N times, checking its size each time
  --click X,Y             a left click at X,Y of the editor through XTest (repeatable, in order)
  --drag X1,Y1:X2,Y2      press at X1,Y1, move to X2,Y2, release (repeatable, in order with --click)
  --screenshot FILE.png   save what the window shows after the --idle time (repeatable, in order with
                          --click and --drag: each is taken after the pointer actions before it)
  --close-with-editor-open
                          close the plug-in while its editor is open, as a host that quits may
  The parameters the editor changed (index, name, old and new value) and the automation the plug-in
  sent (index, value) are printed at the end.

Note list (--notes): one note or program change per line; '#' at the start of a line or after a
space starts a comment.
      START  NOTE  VELOCITY  LENGTH  [CHANNEL]
      START  program  NUMBER  [CHANNEL]
  START and LENGTH are seconds, or quarter notes at --tempo when written with a 'b' suffix.
  NOTE is a MIDI note number 0..127 or a name such as C4, F#2, Bb1 (C4 = 60, middle C).
  VELOCITY is 1..127, CHANNEL 1..16 (default 1). NUMBER is a program 0..127, sent ahead of the
  list's notes that start at the same time. Example:
      0b    program 3
      0b    C2  100  0.5b
      0.5b  C3   64  0.5b
      1b    Eb2 127  0.25b  1

Exit status: 0 done, 1 bad command line, 2 the plug-in did not load, 3 a file could not be read
or written, 4 the editor could not be shown (no display, no editor, a wrong size, no painted frame).
)";

enum ExitCode
{
    exitOk = 0,
    exitUsage = 1,
    exitLoad = 2,
    exitFile = 3,
    exitEditor = 4
};

/** One step of the editor mode, in command-line order. */
struct EditorAction
{
    enum class Kind
    {
        click,
        drag,
        screenshot
    };

    Kind kind;
    juce::Point<int> from, to; // pointer actions
    juce::File file;           // screenshots
};

struct ParameterSetting
{
    double seconds;
    int index;
    float value;
};

struct Options
{
    std::filesystem::path plugin;
    bool info = false;
    double sampleRate = 44100.0;
    int blockSize = 512;
    std::optional<int> processBlockSize;
    bool offline = false;
    std::optional<double> length;
    double tail = 1.0;
    std::optional<juce::File> audioOut;
    WavFileWriter::SampleFormat format = WavFileWriter::SampleFormat::float32;

    double tempo = 120.0;
    int timeSigNumerator = 4;
    int timeSigDenominator = 4;
    double startPosition = 0.0;
    bool playing = true;
    std::vector<std::pair<double, bool>> playingChanges;

    std::vector<juce::File> midiFiles;
    std::vector<juce::File> noteLists;
    std::optional<int> programChange;
    std::optional<juce::File> midiOut;

    std::optional<int> program;
    std::optional<juce::File> loadChunk;
    std::vector<ParameterSetting> parameters; // seconds < 0: before rendering
    std::optional<juce::File> saveChunk;
    std::optional<juce::File> automationOut;

    bool editor = false;
    double editorIdle = 0.5;
    int editorCycles = 0;
    bool editorPlay = false;
    std::vector<EditorAction> editorActions;
    bool closeWithEditorOpen = false;

    bool wantsOutput() const { return audioOut || midiOut || saveChunk || automationOut; }
};

//==============================================================================
/** A command-line number; blanks around it are allowed. */
template <typename Number>
std::optional<Number> parseNumber (const juce::String& text)
{
    return readExactNumber<Number> (text.trim());
}

/** "X,Y" into a point of non-negative coordinates. */
std::optional<juce::Point<int>> parsePoint (const juce::String& text)
{
    const auto x = parseNumber<int> (text.upToFirstOccurrenceOf (",", false, false));
    const auto y = parseNumber<int> (text.fromFirstOccurrenceOf (",", false, false));
    if (!text.containsChar (',') || !x || !y || *x < 0 || *y < 0 || *x > 32767 || *y > 32767)
        return std::nullopt;
    return juce::Point<int> (*x, *y);
}

/** "I=V" into an index and a value; the value is checked by the caller. */
std::optional<std::pair<int, float>> parseAssignment (const juce::String& text)
{
    const auto index = parseNumber<int> (text.upToFirstOccurrenceOf ("=", false, false));
    const auto value = parseNumber<float> (text.fromFirstOccurrenceOf ("=", false, false));
    if (!text.containsChar ('=') || !index || !value || *index < 0)
        return std::nullopt;
    return std::make_pair (*index, *value);
}

/** Parameter values are normalised; a plug-in given more may clamp, wrap or misbehave. */
bool isNormalised (float value)
{
    return value >= 0.0f && value <= 1.0f;
}

/** A file argument. A path that is not UTF-8 (a MIDI file in a folder named in Latin-1, say) has no
    juce::String that names it: an existing file is named through a descriptor of it. */
juce::File fileArgument (const std::string& bytes)
{
    const juce::String text (bytes);
    if (text.toStdString() != bytes)
        if (const int descriptor = ::open (bytes.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
            descriptor >= 0)
            return juce::File ("/proc/self/fd/" + juce::String (descriptor));

    return juce::File::getCurrentWorkingDirectory().getChildFile (text);
}

/** Fills options from the command line; answers an error text, empty on success. */
juce::String parseCommandLine (const std::vector<std::string>& arguments, Options& options, bool& showHelp)
{
    std::optional<std::string> pluginPath;
    const auto count = (int) arguments.size();

    for (int i = 0; i < count; ++i)
    {
        const juce::String arg (arguments[(size_t) i]);
        if (arg == "--help" || arg == "-h")
        {
            showHelp = true;
            return {};
        }

        if (!arg.startsWith ("--"))
        {
            if (pluginPath)
                return "more than one plug-in given: " + juce::String (*pluginPath) + " and " + arg;
            pluginPath = arguments[(size_t) i];
            continue;
        }

        // Flags without a value
        if (arg == "--info")
            options.info = true;
        else if (arg == "--offline")
            options.offline = true;
        else if (arg == "--stopped")
            options.playing = false;
        else if (arg == "--editor")
            options.editor = true;
        else if (arg == "--close-with-editor-open")
            options.closeWithEditorOpen = true;
        else if (arg == "--editor-play")
            options.editorPlay = true;
        else
        {
            static const juce::StringArray valueOptions{
                "--rate",           "--block",      "--process-block",
                "--length",         "--tail",       "--out",
                "--format",         "--tempo",      "--time-sig",
                "--position",       "--play",       "--stop",
                "--midi",           "--notes",      "--midi-out",
                "--program",        "--load-chunk", "--save-chunk",
                "--param",          "--param-at",   "--automation-out",
                "--program-change", "--idle",       "--editor-cycles",
                "--click",          "--drag",       "--screenshot"};
            if (!valueOptions.contains (arg))
                return "unknown option " + arg;
            if (i + 1 >= count)
                return arg + " needs a value";
            const std::string& valueBytes = arguments[(size_t) ++i];
            const juce::String value (valueBytes);
            const juce::String bad = "bad value for " + arg + ": " + value;

            if (arg == "--rate")
            {
                const auto rate = parseNumber<double> (value);
                if (!rate || *rate < 1000.0 || *rate > 1536000.0)
                    return bad;
                options.sampleRate = *rate;
            }
            else if (arg == "--block" || arg == "--process-block")
            {
                const auto size = parseNumber<int> (value);
                if (!size || *size < 1 || *size > (1 << 20))
                    return bad;
                if (arg == "--block")
                    options.blockSize = *size;
                else
                    options.processBlockSize = *size;
            }
            else if (arg == "--length" || arg == "--tail")
            {
                const auto seconds = parseNumber<double> (value);
                if (!seconds || *seconds < 0.0 || *seconds > 24.0 * 3600.0)
                    return bad;
                if (arg == "--length")
                    options.length = *seconds;
                else
                    options.tail = *seconds;
            }
            else if (arg == "--out")
                options.audioOut = fileArgument (valueBytes);
            else if (arg == "--format")
            {
                if (value == "float")
                    options.format = WavFileWriter::SampleFormat::float32;
                else if (value == "pcm16")
                    options.format = WavFileWriter::SampleFormat::pcm16;
                else if (value == "pcm24")
                    options.format = WavFileWriter::SampleFormat::pcm24;
                else
                    return bad;
            }
            else if (arg == "--tempo")
            {
                const auto tempo = parseNumber<double> (value);
                if (!tempo || *tempo < 1.0 || *tempo > 999.0)
                    return bad;
                options.tempo = *tempo;
            }
            else if (arg == "--time-sig")
            {
                const auto numerator = parseNumber<int> (value.upToFirstOccurrenceOf ("/", false, false));
                const auto denominator = parseNumber<int> (value.fromFirstOccurrenceOf ("/", false, false));
                if (!numerator || !denominator || *numerator < 1 || *numerator > 64 || *denominator < 1 ||
                    *denominator > 64 || !juce::isPowerOfTwo (*denominator))
                    return bad;
                options.timeSigNumerator = *numerator;
                options.timeSigDenominator = *denominator;
            }
            else if (arg == "--position")
            {
                const auto beats = parseNumber<double> (value);
                if (!beats)
                    return bad;
                options.startPosition = *beats;
            }
            else if (arg == "--play" || arg == "--stop")
            {
                const auto seconds = parseNumber<double> (value);
                if (!seconds || *seconds < 0.0)
                    return bad;
                options.playingChanges.emplace_back (*seconds, arg == "--play");
            }
            else if (arg == "--midi")
                options.midiFiles.push_back (fileArgument (valueBytes));
            else if (arg == "--notes")
                options.noteLists.push_back (fileArgument (valueBytes));
            else if (arg == "--midi-out")
                options.midiOut = fileArgument (valueBytes);
            else if (arg == "--program-change")
            {
                const auto program = parseNumber<int> (value);
                if (!program || *program < 0 || *program > 127)
                    return "--program-change takes a program 0..127, got " + value;
                options.programChange = *program;
            }
            else if (arg == "--program")
            {
                const auto program = parseNumber<int> (value);
                if (!program || *program < 0)
                    return bad;
                options.program = *program;
            }
            else if (arg == "--load-chunk")
                options.loadChunk = fileArgument (valueBytes);
            else if (arg == "--save-chunk")
                options.saveChunk = fileArgument (valueBytes);
            else if (arg == "--automation-out")
                options.automationOut = fileArgument (valueBytes);
            else if (arg == "--param")
            {
                const auto assignment = parseAssignment (value);
                if (!assignment)
                    return bad;
                if (!isNormalised (assignment->second))
                    return "parameter values are 0..1: --param " + value;
                options.parameters.push_back ({-1.0, assignment->first, assignment->second});
            }
            else if (arg == "--idle")
            {
                const auto seconds = parseNumber<double> (value);
                if (!seconds || *seconds < 0.0 || *seconds > 3600.0)
                    return bad;
                options.editorIdle = *seconds;
            }
            else if (arg == "--editor-cycles")
            {
                const auto cycles = parseNumber<int> (value);
                if (!cycles || *cycles < 0 || *cycles > 100000)
                    return bad;
                options.editorCycles = *cycles;
            }
            else if (arg == "--click")
            {
                const auto point = parsePoint (value);
                if (!point)
                    return bad;
                options.editorActions.push_back ({EditorAction::Kind::click, *point, *point, {}});
            }
            else if (arg == "--drag")
            {
                const auto from = parsePoint (value.upToFirstOccurrenceOf (":", false, false));
                const auto to = parsePoint (value.fromFirstOccurrenceOf (":", false, false));
                if (!value.containsChar (':') || !from || !to)
                    return bad;
                options.editorActions.push_back ({EditorAction::Kind::drag, *from, *to, {}});
            }
            else if (arg == "--screenshot")
                options.editorActions.push_back (
                    {EditorAction::Kind::screenshot, {}, {}, fileArgument (valueBytes)});
            else if (arg == "--param-at")
            {
                const auto seconds = parseNumber<double> (value.upToFirstOccurrenceOf (":", false, false));
                const auto assignment = parseAssignment (value.fromFirstOccurrenceOf (":", false, false));
                if (!value.containsChar (':') || !seconds || *seconds < 0.0 || !assignment)
                    return bad;
                if (!isNormalised (assignment->second))
                    return "parameter values are 0..1: --param-at " + value;
                options.parameters.push_back ({*seconds, assignment->first, assignment->second});
            }
        }
    }

    if (!pluginPath || pluginPath->empty())
        return "no plug-in given";
    if (!options.editor && (options.editorCycles > 0 || !options.editorActions.empty() ||
                            options.editorPlay || options.closeWithEditorOpen))
        return "the editor options need --editor";
    // Loaded by its bytes as they are, as hosts load what they find in their plug-in folders: the plug-in
    // then finds its own folder, whatever the folder's name.
    options.plugin = *pluginPath;
    return {};
}

//==============================================================================
juce::String fourCharacters (VstInt32 code)
{
    juce::String text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto c = (char) ((juce::uint32) code >> shift);
        if (c < 0x20 || c > 0x7e)
            return "????";
        text += juce::String::charToString ((juce::juce_wchar) c);
    }
    return text;
}

juce::String flagNames (VstInt32 flags)
{
    static constexpr std::pair<VstInt32, const char*> names[] = {
        {effFlagsHasEditor, "HasEditor"},
        {effFlagsHasClip, "HasClip"},
        {effFlagsHasVu, "HasVu"},
        {effFlagsCanMono, "CanMono"},
        {effFlagsCanReplacing, "CanReplacing"},
        {effFlagsProgramChunks, "ProgramChunks"},
        {effFlagsIsSynth, "IsSynth"},
        {effFlagsNoSoundInStop, "NoSoundInStop"},
        {effFlagsExtIsAsync, "ExtIsAsync"},
        {effFlagsExtHasBuffer, "ExtHasBuffer"},
        {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
    };

    juce::StringArray set;
    for (const auto& [flag, name] : names)
        if ((flags & flag) != 0)
            set.add (name);
    return set.joinIntoString (" ");
}

void printInfo (HostedPlugin& plugin)
{
    std::cout << "Name:            " << plugin.getEffectName() << "\n"
              << "Vendor:          " << plugin.getVendorString() << "\n"
              << "Product:         " << plugin.getProductString() << "\n"
              << "Vendor version:  " << plugin.getVendorVersion() << "\n"
              << "Version:         0x" << juce::String::toHexString (plugin.getVersion()) << " ("
              << plugin.getVersion() << ")\n"
              << "Unique id:       " << fourCharacters (plugin.getUniqueId()) << " (0x"
              << juce::String::toHexString (plugin.getUniqueId()) << ")\n"
              << "VST version:     " << plugin.getVstVersion() << "\n"
              << "Category:        " << plugin.getPlugCategory() << "\n"
              << "Inputs:          " << plugin.getNumInputs() << "\n"
              << "Outputs:         " << plugin.getNumOutputs() << "\n"
              << "Programs:        " << plugin.getNumPrograms() << "\n"
              << "Parameters:      " << plugin.getNumParameters() << "\n"
              << "Initial delay:   " << plugin.getInitialDelay() << "\n"
              << "Flags:           0x" << juce::String::toHexString (plugin.getFlags()) << " "
              << flagNames (plugin.getFlags()) << "\n";

    std::cout << "Can do:\n";
    for (const char* feature : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",
                                "sendVstEvents", "sendVstMidiEvent", "offline", "bypass", "midiProgramNames"})
        std::cout << "  " << feature << ": " << plugin.canDo (feature) << "\n";

    std::cout << "Current program: " << plugin.getProgram() << " \"" << plugin.getProgramName() << "\"\n";
    std::cout << "Programs:\n";
    for (int i = 0; i < plugin.getNumPrograms(); ++i)
        std::cout << "  " << i << " \"" << plugin.getProgramNameIndexed (i) << "\"\n";

    std::cout << "Parameters (index, name, display, label, value):\n";
    for (int i = 0; i < plugin.getNumParameters(); ++i)
        std::cout << "  " << i << " \"" << plugin.getParameterName (i) << "\" \""
                  << plugin.getParameterDisplay (i) << "\" \"" << plugin.getParameterLabel (i) << "\" "
                  << juce::String (plugin.getParameter (i), 6) << "\n";
}

//==============================================================================
/** Note names as the note list reads them (C4 = 60), not JUCE's default octave numbering; program
    changes in the same words as notes. */
juce::String describe (const juce::MidiMessage& message)
{
    if (message.isProgramChange())
        return "Program change " + juce::String (message.getProgramChangeNumber()) + " channel " +
               juce::String (message.getChannel());

    if (!message.isNoteOnOrOff())
        return message.getDescription();

    return juce::String (message.isNoteOn() ? "Note on " : "Note off ") +
           juce::MidiMessage::getMidiNoteName (message.getNoteNumber(), true, true, 4) + " velocity " +
           juce::String (message.getVelocity()) + " channel " + juce::String (message.getChannel());
}

juce::Result writeMidiOutput (const juce::File& file, const std::vector<juce::MidiMessage>& events,
                              double sampleRate)
{
    juce::String text;
    text << "# MIDI sent by the plug-in at " << juce::String (sampleRate, 0)
         << " Hz: SAMPLE SECONDS HEX-BYTES DESCRIPTION\n";
    for (const auto& event : events)
    {
        const auto sample = (juce::int64) event.getTimeStamp();
        text << juce::String (sample) << " " << juce::String (event.getTimeStamp() / sampleRate, 6) << " "
             << juce::String::toHexString (event.getRawData(), event.getRawDataSize()) << " "
             << describe (event) << "\n";
    }
    return file.replaceWithText (text) ? juce::Result::ok()
                                       : juce::Result::fail ("cannot write " + file.getFullPathName());
}

juce::Result writeAutomation (const juce::File& file,
                              const std::vector<HostedPlugin::AutomationEvent>& events, double sampleRate)
{
    juce::String text;
    text << "# Parameter changes reported by the plug-in: SAMPLE SECONDS INDEX VALUE\n";
    for (const auto& event : events)
        text << juce::String (event.renderSample) << " "
             << juce::String ((double) event.renderSample / sampleRate, 6) << " " << event.index << " "
             << juce::String (event.value, 6) << "\n";
    return file.replaceWithText (text) ? juce::Result::ok()
                                       : juce::Result::fail ("cannot write " + file.getFullPathName());
}

int fail (const juce::String& message, int code)
{
    std::cerr << "kelvanor_host: " << message << "\n";
    return code;
}

juce::Result writeScreenshot (const HostEditorWindow& window, const juce::File& file)
{
    const auto image = window.capture();
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    if (!image.isValid() || !out.openedOk() || !png.writeImageToStream (image, out))
        return juce::Result::fail ("cannot write " + file.getFullPathName());
    return juce::Result::ok();
}

/** The editor mode. Leaves the editor open when the plug-in is to be closed with it open. */
int runEditor (const Options& options, HostedPlugin& plugin, std::unique_ptr<HostEditorSession>& session,
               std::unique_ptr<HostEditorWindow>& window)
{
    if ((plugin.getFlags() & effFlagsHasEditor) == 0)
        return fail ("the plug-in has no editor", exitEditor);

    std::vector<float> before;
    for (int i = 0; i < plugin.getNumParameters(); ++i)
        before.push_back (plugin.getParameter (i));

    window = std::make_unique<HostEditorWindow> (400, 300);
    if (!window->isValid())
        return fail (window->getError(), exitEditor);
    session = std::make_unique<HostEditorSession> (plugin, *window);

    if (options.editorPlay)
    {
        Transport& transport = plugin.getTransport();
        transport.setTempo (options.tempo);
        transport.setTimeSignature (options.timeSigNumerator, options.timeSigDenominator);
        transport.setStartPosition (options.startPosition);
        transport.setPlayingAtStart (true);
        plugin.resetRenderPosition();
        plugin.resume();
        session->setRendersAudio (true);
    }

    const auto rect = session->getEditorRect();
    std::cout << "Editor size:     " << rect.getWidth() << " x " << rect.getHeight() << "\n";
    if (rect.isEmpty())
        return fail ("the plug-in gives no editor size", exitEditor);

    if (!session->open())
        return fail ("the plug-in did not open its editor", exitEditor);
    const double firstPaint = session->waitForFirstPaint (10.0);
    if (firstPaint < 0.0)
        return fail ("the editor painted nothing within 10 seconds", exitEditor);
    std::cout << "First paint:     " << juce::String (firstPaint, 1) << " ms\n";

    bool idledSinceLastAction = false;
    for (const auto& action : options.editorActions)
    {
        if (action.kind == EditorAction::Kind::screenshot)
        {
            session->idle (options.editorIdle);
            idledSinceLastAction = true;
            if (const auto result = writeScreenshot (*window, action.file); result.failed())
                return fail (result.getErrorMessage(), exitFile);
            continue;
        }

        const bool sent = action.kind == EditorAction::Kind::drag ? window->drag (action.from, action.to)
                                                                  : window->click (action.from);
        if (!sent)
            return fail ("the X server has no XTest extension: no pointer events can be sent", exitEditor);
        session->idle (0.1);
        idledSinceLastAction = false;
    }
    if (!idledSinceLastAction)
        session->idle (options.editorIdle);

    if (options.editorPlay)
    {
        session->setRendersAudio (false);
        plugin.suspend();
    }

    for (int cycle = 0; cycle < options.editorCycles; ++cycle)
    {
        session->close();
        plugin.dispatch (effEditIdle);
        if (session->getEditorRect() != rect)
            return fail ("the editor's size changed in cycle " + juce::String (cycle + 1), exitEditor);
        if (!session->open())
            return fail ("the editor did not open again in cycle " + juce::String (cycle + 1), exitEditor);
        plugin.dispatch (effEditIdle);
    }
    if (options.editorCycles > 0)
        std::cout << "Editor cycles:   " << options.editorCycles << "\n";

    if (!options.closeWithEditorOpen)
        session->close();

    std::cout << "Parameter changes (index, name, old, new):\n";
    for (int i = 0; i < plugin.getNumParameters(); ++i)
        if (const float now = plugin.getParameter (i); now != before[(size_t) i])
            std::cout << "  " << i << " \"" << plugin.getParameterName (i) << "\" "
                      << juce::String (before[(size_t) i], 6) << " " << juce::String (now, 6) << "\n";
    std::cout << "Automation (index, value):\n";
    for (const auto& event : plugin.getAutomation())
        std::cout << "  " << event.index << " " << juce::String (event.value, 6) << "\n";
    return exitOk;
}

int run (const Options& options)
{
    juce::MidiMessageSequence midiInput;
    // First in the sequence, so that it stays ahead of everything else at the start.
    if (options.programChange)
        midiInput.addEvent (juce::MidiMessage::programChange (1, *options.programChange), 0.0);
    for (const auto& file : options.midiFiles)
        if (const auto result = StandardMidiFile::read (file, midiInput); result.failed())
            return fail (result.getErrorMessage(), exitFile);
    for (const auto& file : options.noteLists)
        if (const auto result = NoteListReader::read (file, options.tempo, midiInput); result.failed())
            return fail (result.getErrorMessage(), exitFile);

    juce::MemoryBlock chunkToLoad;
    if (options.loadChunk && !HostedPlugin::readChunkFile (*options.loadChunk, chunkToLoad))
        return fail ("cannot read " + options.loadChunk->getFullPathName(), exitFile);

    HostedPlugin plugin;
    plugin.setProcessLevel (options.offline ? HostedPlugin::ProcessLevel::offline
                                            : HostedPlugin::ProcessLevel::realtime);
    if (const juce::String error = plugin.open (options.plugin); error.isNotEmpty())
        return fail (error, exitLoad);

    plugin.setSampleRate (options.sampleRate);
    plugin.setBlockSize (options.blockSize);

    if (options.program)
    {
        if (*options.program >= plugin.getNumPrograms())
            std::cerr << "kelvanor_host: warning: the plug-in has no program " << *options.program << "\n";
        plugin.setProgram (*options.program);
    }
    // The plug-in's answer to a chunk means nothing in VST 2.4, and hosts ignore it.
    if (options.loadChunk)
        plugin.setChunk (chunkToLoad);

    Renderer renderer (plugin);
    renderer.setMidiInput (midiInput);
    for (const auto& setting : options.parameters)
    {
        if (setting.index >= plugin.getNumParameters())
            std::cerr << "kelvanor_host: warning: the plug-in has no parameter " << setting.index << "\n";
        if (setting.seconds < 0.0)
            plugin.setParameter (setting.index, setting.value);
        else
            renderer.addParameterChange (setting.seconds, setting.index, setting.value);
    }

    if (options.info)
        printInfo (plugin);

    // Declared before anything that may return early: the session closes the editor before the window
    // goes, and both go after the plug-in is closed when it is closed with the editor open.
    std::unique_ptr<HostEditorWindow> editorWindow;
    std::unique_ptr<HostEditorSession> editorSession;
    if (options.editor)
    {
        plugin.clearRecordings();
        if (const int code = runEditor (options, plugin, editorSession, editorWindow); code != exitOk)
            return code;
        if (options.closeWithEditorOpen)
        {
            plugin.close();
            std::cout << "Closed with the editor open\n";
            editorSession.reset();
            return exitOk;
        }
        if (!options.wantsOutput())
            return exitOk;
    }

    Transport& transport = plugin.getTransport();
    transport.setTempo (options.tempo);
    transport.setTimeSignature (options.timeSigNumerator, options.timeSigDenominator);
    transport.setStartPosition (options.startPosition);
    transport.setPlayingAtStart (options.playing);
    for (const auto& [seconds, play] : options.playingChanges)
        transport.addPlayingChange ((juce::int64) std::llround (seconds * options.sampleRate), play);
    plugin.resetRenderPosition();

    if (options.info && !options.wantsOutput() && !options.editor)
        return exitOk;

    WavFileWriter writer;
    if (options.audioOut)
    {
        if (plugin.getNumOutputs() < 1)
            return fail ("the plug-in has no audio outputs to write", exitFile);
        if (const auto result =
                writer.open (*options.audioOut, plugin.getNumOutputs(), options.sampleRate, options.format);
            result.failed())
            return fail (result.getErrorMessage(), exitFile);
    }

    const double endOfInput = renderer.getEndTimeInSeconds();
    const double seconds = options.length.value_or (endOfInput > 0.0 ? endOfInput + options.tail : 2.0);
    const auto numSamples = (juce::int64) std::llround (seconds * options.sampleRate);

    juce::Result writeResult = juce::Result::ok();
    plugin.resume();
    renderer.render (numSamples, options.processBlockSize.value_or (options.blockSize),
                     [&] (const juce::AudioBuffer<float>& block)
                     {
                         if (writer.isOpen())
                             writeResult = writer.write (block);
                         return writeResult.wasOk();
                     });
    plugin.suspend();

    if (writeResult.failed())
        return fail (writeResult.getErrorMessage(), exitFile);
    if (const auto result = writer.close(); result.failed())
        return fail (result.getErrorMessage(), exitFile);

    int exitCode = exitOk;
    if (options.saveChunk)
    {
        const juce::MemoryBlock chunk = plugin.getChunk();
        if (chunk.isEmpty())
            std::cerr << "kelvanor_host: warning: the plug-in gave an empty chunk\n";
        if (!options.saveChunk->replaceWithData (chunk.getData(), chunk.getSize()))
            exitCode = fail ("cannot write " + options.saveChunk->getFullPathName(), exitFile);
    }
    if (options.midiOut)
        if (const auto result =
                writeMidiOutput (*options.midiOut, plugin.getMidiOutput(), options.sampleRate);
            result.failed())
            exitCode = fail (result.getErrorMessage(), exitFile);
    if (options.automationOut)
        if (const auto result =
                writeAutomation (*options.automationOut, plugin.getAutomation(), options.sampleRate);
            result.failed())
            exitCode = fail (result.getErrorMessage(), exitFile);

    plugin.close();
    return exitCode;
}

} // namespace

int main (int argc, char** argv)
{
    const std::vector<std::string> arguments (argv + 1, argv + argc);

    Options options;
    bool showHelp = false;
    if (const juce::String error = parseCommandLine (arguments, options, showHelp); error.isNotEmpty())
    {
        std::cerr << "kelvanor_host: " << error << " (see --help)\n";
        return exitUsage;
    }
    if (showHelp)
    {
        std::cout << usageText;
        return exitOk;
    }
    return run (options);
}
