#!/usr/bin/env bash
# Unattended rounds of a musician's session in Debian's Ardour 7 GUI: a MIDI learn in the plug-in's
# editor, then round after round of preset selection, the preset browser, the options window and
# Session > Export, reporting every round and any abort of Ardour.
#
#   scripts/ardour-export-rounds.sh [options] [path/to/Kelvanor.so]      (default: build/Kelvanor.so)
#
# Everything happens in a fresh folder under /tmp with HOME pointing there: a private Xvfb with openbox,
# Ardour configured for its "None (Dummy)" backend at 44.1 kHz / 1024 samples, the plug-in copied into a
# private LXVST folder and indexed by Ardour's scanner. ardour7-lua makes an empty session and a MIDI file
# (a controller 74 ramp 0 -> 127 -> 0 over 16 s, a note on every beat); in the GUI, Ardour's Lua window
# imports it as a new MIDI track with the instrument and sets the session range to those 16 s, and that
# Ardour saves and quits. A second Ardour process (the one --run applies to) opens the saved session; the
# plug-in's editor is opened from the editor mixer strip, then:
#   learn   LEARN, nudge CUTOFF, controller 74 arrives, LEARN off; the same for ENV MOD and controller 8
#           (the controllers are sent to the track as Ardour's virtual keyboard would, through its Lua
#           window); the session is saved and its plug-in state must hold both assignments;
#   rounds  SELECT right x3 and left x3; BROWSE, "Not used", "_Clean", close; OPTIONS, "Midi Control",
#           close; Session > Export > Export to Audio File(s) > Export, waiting for the export report, and
#           checking the WAV file's length.
# Clicks into the plug-in's editor use the skin's coordinates relative to its X window.
#
# Options:
#   --rounds N         export rounds (default 20)
#   --no-learn         skip the learn (control run)
#   --skip LIST        leave steps out of each round: select,browse,options (control runs)
#   --no-editor        do not open the plug-in's editor (implies --no-learn and --skip select,browse,options)
#   --instrument NAME  use another instrument Ardour knows, by name (e.g. "ACE Reasonable Synth"): a
#                      control run without Kelvanor; implies --no-learn and --skip select,browse,options
#   --no-analysis      untick the export dialog's "Analyze Exported Audio" (no export report: the round
#                      waits for the dialog to close instead)
#   --cancel-export    open the export dialog and cancel it instead of exporting (control run)
#   --dsp-threads N    Ardour's "processor-usage" (number of DSP threads; default: all cores)
#   --backend jack     Ardour on JACK (a private jackd with its dummy driver) instead of its Dummy backend
#   --block N          the Dummy backend's buffer size (default 1024)
#   --probe            use scripts/ardour-automate-probe.cpp (built here with g++) as the instrument: a bare
#                      VST of our own without JUCE that answers each controller with audioMasterAutomate from
#                      the processing thread (PROBE_* variables, see its source); implies --instrument
#   --run MODE         plain (default); gdb: Ardour under gdb, a backtrace of every thread on a crash;
#                      asan: for an ASan build of the plug-in (e.g. build-address/Kelvanor.so): every Ardour
#                      process that loads it (the scanner, the one that prepares the session, the one that
#                      runs the rounds) runs through scripts/ardour-asan-run.sh, which preloads the sanitizer's
#                      runtime and ardour-asan-shim.c's shim; a sanitizer error aborts Ardour, and its
#                      reports are listed at the end;
#                      valgrind: memcheck (slow: timeouts are multiplied)
#   --malloc-check     preload glibc's malloc debugging library with MALLOC_CHECK_=3 (not with --run asan)
#   --keep             keep the temporary folder (always kept after an abort or failure)
#
# Output: a "ROUND i/N ok|SHORT|ABORT ..." line for every round begun, then Ardour's exit, glibc's message
# and gdb's backtrace when it died, the sanitizer's reports (--run asan: "sanitizer reports: none" when
# none was written) and a last "RESULT rounds=.. exported=.. abort=yes|no" line, also after an abort.
# An abort is Ardour killed by a signal (SIGABRT, SIGSEGV, ...; under gdb the signal that stopped Ardour,
# and the status reported is always Ardour's, never gdb's). It is charged to the round in which Ardour
# was found dead: each round ends by checking that Ardour outlived the export's report and dialog.
# Exit status: 0 all rounds exported, Ardour quit normally and no sanitizer report was written; 1 Ardour
# died or exited with an error, an export came out short or a sanitizer report was written; 2 the GUI
# could not be driven (a window or state did not appear); 3 usage/environment.
# Not part of CI: Ardour and a GUI session are far too large for it.
#
# Measured with Debian's Ardour 7.3.0~ds0-1 (Dummy, 44.1 kHz / 1024): Ardour corrupts its heap in its own
# export, whatever the instrument. glibc then aborts within a few rounds (free(): invalid next size,
# double free or corruption, munmap_chunk() or mremap_chunk(): invalid pointer, corrupted size vs.
# prev_size), mostly in the GUI thread when Session > Export destroys the previous dialog's export
# profile (under gdb: ~PortExportChannel or the format list, from ~ExportProfileManager), sometimes in
# the export itself (the WAV file cut short) or at quit. It does so with Kelvanor with and without a learn, with --probe
# (host calls from the export thread, from a thread of its own, or none at all), and with Ardour's own
# "ACE Reasonable Synth" with no plug-in window open, on the Dummy backend and on JACK; not with
# --cancel-export (80 rounds). One DSP thread or a 256-sample buffer do not avoid it; under valgrind, which
# runs one thread at a time, 15 exports showed no memory error and no abort.
# shellcheck disable=SC2317 # cleanup and the wait predicates are called indirectly (trap, wait_for)
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
rounds=20 learn=1 editor=1 analysis=1 export=1 dsp_threads="" probe=0 backend=dummy jack_pid="" skip="" instrument="" run_mode=plain malloc_check=0 keep=0 plugin=""
rate=44100 block=1024 seconds=16

usage() { awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; exit "${1:-3}"; }

while [[ $# -gt 0 ]]; do
    case "$1" in
        --rounds) rounds="${2:?--rounds needs a number}"; shift ;;
        --no-learn) learn=0 ;;
        --skip) skip="${2:?--skip needs a list}"; shift ;;
        --no-editor) editor=0 learn=0 skip="select,browse,options" ;;
        --instrument) instrument="${2:?--instrument needs a name}"; learn=0; skip="select,browse,options"; shift ;;
        --run) run_mode="${2:?--run needs a mode}"; shift ;;
        --malloc-check) malloc_check=1 ;;
        --no-analysis) analysis=0 ;;
        --cancel-export) export=0 ;;
        --dsp-threads) dsp_threads="${2:?--dsp-threads needs a number}"; shift ;;
        --block) block="${2:?--block needs a number}"; shift ;;
        --keep) keep=1 ;;
        --backend) backend="${2:?--backend needs dummy or jack}"; shift ;;
        --probe) probe=1; instrument=AutomateProbe; learn=0; skip="select,browse,options" ;;
        -h | --help) usage 0 ;;
        -*) echo "unknown option $1" >&2; usage ;;
        *) [[ -z "$plugin" ]] || usage; plugin="$1" ;;
    esac
    shift
done
[[ "$rounds" =~ ^[0-9]+$ && "$block" =~ ^[0-9]+$ ]] || { echo "--rounds and --block take numbers" >&2; exit 3; }
case "$backend" in dummy | jack) ;; *) echo "--backend: dummy or jack" >&2; exit 3 ;; esac
case "$run_mode" in plain | gdb | asan | valgrind) ;; *) echo "--run: plain, gdb, asan or valgrind" >&2; exit 3 ;; esac
if [[ $probe -eq 1 ]]; then
    probe_dir=$(mktemp -d /tmp/ardour-automate-probe.XXXXXX)
    g++ -std=c++20 -O2 -shared -fPIC -fvisibility=hidden -Wall -Wextra -I"$root" -o "$probe_dir/AutomateProbe.so" \
        "$here/ardour-automate-probe.cpp" -Wl,--no-undefined -lpthread || { echo "could not build the probe" >&2; exit 3; }
    plugin="$probe_dir/AutomateProbe.so"
fi
plugin=${plugin:-$root/build/Kelvanor.so}
[[ -f "$plugin" ]] || { echo "no such file: $plugin" >&2; exit 3; }
plugin=$(realpath "$plugin")
for tool in ardour ardour7-lua Xvfb openbox xdotool xwininfo xprop import; do
    command -v "$tool" >/dev/null || { echo "missing $tool (Debian: ardour xvfb openbox xdotool x11-utils imagemagick)" >&2; exit 3; }
done
ardour_lib=/usr/lib/ardour7
ardour_bin=$(compgen -G "$ardour_lib/ardour-[0-9]*" | sort -V | tail -n 1)
[[ -x "$ardour_bin" ]] || { echo "no Ardour 7 binary in $ardour_lib" >&2; exit 3; }
[[ "$run_mode" != asan || $malloc_check -eq 0 ]] || { echo "--malloc-check and --run asan exclude each other" >&2; exit 3; }
skipping() { [[ ",$skip," == *",$1,"* ]]; }

# Ardour and the Dummy backend run at real-time speed at most; valgrind and ASan are far slower.
slow=1
[[ "$run_mode" == valgrind ]] && slow=20
[[ "$run_mode" == asan ]] && slow=4

work=$(mktemp -d /tmp/ardour-export-rounds.XXXXXX)
home="$work/home" vst="$work/vst" session_name=rounds
session_dir="$work/$session_name"
mkdir -p "$home/.config/ardour7" "$vst"
xvfb_pid="" openbox_pid="" ardour_pid="" ardour_log="" status=0 aborted=0 exported=0
# Every Ardour process that may load the plug-in starts through this prefix: an ASan build of it loads
# only where the sanitizer's runtime came first. The shim is built outside the reports' folder, which
# then holds nothing but reports.
launch=()
[[ "$run_mode" == asan ]] && launch=("$here/ardour-asan-run.sh" "$work/asan-shim" "$work/asan")

say() { echo "$*" | tee -a "$work/report.txt"; }

cleanup() {
    if [[ -n "$ardour_pid" ]] && kill -0 "$ardour_pid" 2>/dev/null; then
        kill "$ardour_pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$ardour_pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$ardour_pid" 2>/dev/null
    fi
    [[ -n "$openbox_pid" ]] && kill "$openbox_pid" 2>/dev/null
    [[ -n "$jack_pid" ]] && kill "$jack_pid" 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    [[ -n "${probe_dir:-}" ]] && rm -rf "$probe_dir"
    wait 2>/dev/null
    if [[ $keep -eq 1 || $status -ne 0 ]]; then echo "files kept in $work (ardour.*.log, report.txt, screenshots)"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'status=3; exit 3' INT TERM

fail() {  # $1 = exit status, $2 = reason; a screenshot of the screen is kept
    status=$1
    DISPLAY=$display import -window root "$work/failure.png" 2>/dev/null
    say "FAIL $2 (screenshot $work/failure.png)"
    exit "$1"
}

# -- X server and window manager ---------------------------------------------------------------------
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1600x1000x24 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
display=":$(head -n 1 "$work/display" 2>/dev/null)"
[[ "$display" != ":" ]] || { status=3; echo "Xvfb did not start" >&2; exit 3; }
export DISPLAY=$display
openbox >"$work/openbox.log" 2>&1 &
openbox_pid=$!
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

# -- Ardour's configuration, the plug-in, the session --------------------------------------------------
cp "$plugin" "$vst/"
# Ardour trusts the scanner's cache only when it is newer than the library (see ardour-check.sh).
touch -d "@$(($(date +%s) - 60))" "$vst/$(basename "$plugin")"
run_env=(env -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache"
         LXVST_PATH="$vst" VST_PATH="$vst" LC_ALL=C)
"${run_env[@]}" LD_LIBRARY_PATH="$ardour_lib" timeout -k 5 $((60 * slow)) "${launch[@]}" "$ardour_lib/ardour-vst-scanner" -f "$vst/$(basename "$plugin")" \
    >"$work/scan.log" 2>&1
grep -q 'Found Plugin' "$work/scan.log" || { status=3; echo "Ardour's scanner rejected the plug-in (see $work/scan.log)" >&2; exit 3; }
engine_state() {
    if [[ "$backend" == jack ]]; then
        echo "<State backend=\"JACK\" driver=\"Dummy\" device=\"Dummy\" input-device=\"\" output-device=\"\" sample-rate=\"$rate\" buffer-size=\"$block\" n-periods=\"2\" input-latency=\"0\" output-latency=\"0\" lm-input=\"\" lm-output=\"\" active=\"1\" use-buffered-io=\"0\" midi-option=\"\" lru=\"1\">"
    else
        echo "<State backend=\"None (Dummy)\" driver=\"Normal Speed\" device=\"Silence\" input-device=\"\" output-device=\"\" sample-rate=\"$rate\" buffer-size=\"$block\" n-periods=\"0\" input-latency=\"0\" output-latency=\"0\" lm-input=\"\" lm-output=\"\" active=\"1\" use-buffered-io=\"0\" midi-option=\"1 in, 1 out, Silence\" lru=\"1\">"
    fi
}
# Been here before (no welcome wizard); the Dummy backend shown and set up (no Audio/MIDI setup dialog).
touch "$home/.config/ardour7/.a7" "$home/.config/ardour7/.nevernag" # and no plea for donations after an export
cat >"$home/.config/ardour7/config" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="plugin-path-lxvst" value="$vst"/>
    <Option name="plugin-path-vst" value="$vst"/>
$([[ -n "$dsp_threads" ]] && echo "    <Option name=\"processor-usage\" value=\"$dsp_threads\"/>")
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        $(engine_state)
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
EOF
# Ardour's own key bindings plus one for its Lua window (Window > Scripting), which has none.
sed 's|^\( *\)<Binding key="Secondary-k" action="Window/toggle-virtual-keyboard".*|&\n\1<Binding key="Secondary-F9" action="Window/toggle-luawindow" group="Global Window Visibility"/>|' \
    /etc/ardour7/ardour.keys >"$home/.config/ardour7/ardour.keys"
grep -q toggle-luawindow "$home/.config/ardour7/ardour.keys" || { status=3; echo "could not bind Ardour's Lua window" >&2; exit 3; }

midi_file="$work/ramp.mid"
"${run_env[@]}" timeout -k 5 120 ardour7-lua "$here/ardour-export-rounds.lua" "$session_dir" "$session_name" \
    "$rate" "$seconds" "$midi_file" >"$work/create.log" 2>&1
if ! grep -q '^ROUNDS SESSION' "$work/create.log" || [[ ! -s "$midi_file" ]]; then
    status=3
    echo "ardour7-lua could not make the session (see $work/create.log)" >&2
    exit 3
fi

# -- Ardour ---------------------------------------------------------------------------------------------
if [[ "$backend" == jack ]]; then
    # A server of our own name, so that no other JACK user on the machine is touched.
    export JACK_DEFAULT_SERVER="ardour-rounds-$$"
    jackd --no-realtime -d dummy -r "$rate" -p "$block" >"$work/jackd.log" 2>&1 &
    jack_pid=$!
    for _ in $(seq 100); do grep -q 'Dummy\|started' "$work/jackd.log" && JACK_NO_START_SERVER=1 jack_lsp >/dev/null 2>&1 && break; sleep 0.1; done
    JACK_NO_START_SERVER=1 jack_lsp >/dev/null 2>&1 || { status=3; echo "jackd did not start (see $work/jackd.log)" >&2; exit 3; }
fi
ardour_env=("${run_env[@]}" "GTK_PATH=/etc/ardour7:$ardour_lib" "LD_LIBRARY_PATH=$ardour_lib" ARDOUR_DATA_PATH=/usr/share/ardour7
            ARDOUR_CONFIG_PATH=/etc/ardour7 "ARDOUR_DLL_PATH=$ardour_lib" "VAMP_PATH=$ardour_lib/vamp" UBUNTU_MENUPROXY=)
[[ $malloc_check -eq 1 ]] && ardour_env+=(LD_PRELOAD=libc_malloc_debug.so.0 MALLOC_CHECK_=3)
session_file="$session_dir/$session_name.ardour"
case "$run_mode" in
    plain) command=("$ardour_bin" "$session_file") ;;
    gdb)
        # gdb's own exit status tells nothing of Ardour's: it prints Ardour's as an "== ardour exited:" line
        # first, then, when a signal stopped Ardour, the backtraces (and ends it on quitting).
        cat >"$work/gdb.commands" <<'EOF'
set pagination off
handle SIGPIPE SIGUSR1 SIGUSR2 SIG32 SIG33 SIG34 SIG35 nostop noprint pass
run
if !$_isvoid($_exitcode)
  printf "== ardour exited: status %d\n", $_exitcode
else
  if !$_isvoid($_exitsignal)
    printf "== ardour exited: signal %d\n", $_exitsignal
  else
    printf "== ardour exited: signal %d\n", $_siginfo.si_signo
    echo \n== crashing thread\n
    bt
    echo \n== all threads\n
    thread apply all bt
    info sharedlibrary
  end
end
EOF
        command=(gdb -q -batch -x "$work/gdb.commands" --args "$ardour_bin" "$session_file") ;;
    asan) command=("${launch[@]}" "$ardour_bin" "$session_file") ;;
    valgrind)
        command=(valgrind --tool=memcheck --fair-sched=yes --error-limit=no --num-callers=40 --track-origins=no --log-file="$work/valgrind.%p.log"
                 "$ardour_bin" "$session_file") ;;
esac
say "== Ardour export rounds: $("${ardour_env[@]}" "$ardour_bin" --version 2>/dev/null | grep -m 1 -i 'ardour.*built'), run=$run_mode$([[ $malloc_check -eq 1 ]] && echo ", MALLOC_CHECK_=3")"
say "   plug-in $plugin ($(sha256sum "$plugin" | cut -c1-12)), instrument ${instrument:-Kelvanor}, learn=$learn, editor=$editor, analysis=$analysis, export=$export, block=$block, dsp-threads=${dsp_threads:-all}, backend=$backend, skip=${skip:-none}, rounds=$rounds"
under_gdb=0
start_ardour() {  # $1 = a name for its log, $work/ardour.NAME.log; the rest = the command
    ardour_log="$work/ardour.$1.log"
    shift
    under_gdb=0
    [[ "$1" == gdb ]] && under_gdb=1
    echo "== $*" >"$ardour_log"
    "${ardour_env[@]}" "$@" >>"$ardour_log" 2>&1 &
    ardour_pid=$!
}

# A process that has ended but is not yet reaped still answers kill -0.
running() { [[ -n "$ardour_pid" ]] && kill -0 "$ardour_pid" 2>/dev/null && ! grep -q '^State:[[:space:]]*Z' "/proc/$ardour_pid/status" 2>/dev/null; }
# Under gdb Ardour has ended (or a signal stopped it for good) once gdb said so; gdb itself may then
# still be printing backtraces.
alive() { running && ! { [[ $under_gdb -eq 1 ]] && grep -q '^== ardour exited: ' "$ardour_log"; }; }
dead() { ! alive; }

# Reaps Ardour and describes how it ended: exit_text ("status N" or "signal N (SIGNAME)") and exit_signal
# (0 unless a signal ended it). Under gdb the wait status is gdb's; Ardour's is the line gdb printed.
reap_ardour() {
    local code line
    for _ in $(seq 1200); do running || break; sleep 0.1; done # gdb's backtraces
    running && kill "$ardour_pid"
    wait "$ardour_pid"
    code=$?
    ardour_pid=""
    if [[ $under_gdb -eq 1 ]]; then
        line=$(sed -n 's/^== ardour exited: //p' "$ardour_log" | tail -n 1)
        case "$line" in
            "status "[0-9]*) code=${line#status } ;;
            "signal "[0-9]*) code=$((128 + ${line#signal })) ;;
            *)
                exit_signal=0
                exit_text="unknown (gdb ended with status $code before it could tell Ardour's)"
                return ;;
        esac
    fi
    if ((code > 128)); then
        exit_signal=$((code - 128))
        exit_text="signal $exit_signal (SIG$(kill -l "$exit_signal" 2>/dev/null))"
    else
        exit_signal=0
        exit_text="status $code"
    fi
}

# What Ardour said when it ended: glibc's message (as information: the exit tells an abort), a sanitizer's
# first words, gdb's backtrace of the thread that crashed.
death_details() {
    grep -a -m 5 -E '^([a-z_]+\(\)|double free|corrupted|Fatal glibc error)|ERROR: AddressSanitizer|runtime error| received signal |^Program terminated with signal' \
        "$ardour_log" | sed 's/^/   | /' | tee -a "$work/report.txt"
    if [[ $under_gdb -eq 1 ]]; then
        sed -n '/^== crashing thread/,/^== all threads/p' "$ardour_log" | head -n 40 | sed 's/^/   | /' | tee -a "$work/report.txt"
    fi
}

# The closing report, after the quit or an abort: the sanitizer's and valgrind's reports, the RESULT line.
# Only what the sanitizer wrote as an error counts as a report.
finish() {
    local file reports=() notes=()
    if [[ "$run_mode" == asan ]]; then
        for file in "$work"/asan/asan.* "$work"/asan/ubsan.*; do
            [[ -f "$file" ]] || continue
            if grep -q -E '^==[0-9]+==ERROR|runtime error' "$file"; then reports+=("$file"); else notes+=("$file"); fi
        done
        if [[ ${#reports[@]} -eq 0 ]]; then
            say "   sanitizer reports: none"
        else
            say "   sanitizer reports: ${#reports[@]}"
            for file in "${reports[@]}"; do
                say "   $file:"
                grep -h -A 12 -E '^==[0-9]+==ERROR|runtime error' "$file" | sed 's/^/   | /' | head -n 30 | tee -a "$work/report.txt"
            done
            status=1
        fi
        [[ ${#notes[@]} -eq 0 ]] || say "   sanitizer output without an error (not counted): ${notes[*]}"
    fi
    if compgen -G "$work/valgrind.*.log" >/dev/null; then
        say "   valgrind: $(grep -h 'ERROR SUMMARY' "$work"/valgrind.*.log | tr '\n' ' ')"
        keep=1
    fi
    say "RESULT rounds=$rounds exported=$exported abort=$([[ $aborted -eq 1 ]] && echo yes || echo no)"
    exit "$status"
}

# Ardour was found dead while the script waited for something ($1): the round under way is charged with
# it, and the run ends with the usual closing report.
round=0
died_while() {
    reap_ardour
    ((exit_signal > 0)) && aborted=1
    if ((round > 0)); then
        say "ROUND $round/$rounds ABORT: Ardour ended ($exit_text) while $1"
    else
        say "ABORT before the rounds: Ardour ended ($exit_text) while $1"
    fi
    death_details
    status=1
    finish
}

# Waits until "$@" succeeds, Ardour dies or $timeout seconds (scaled by $slow) pass: 0, 2 or 1. What
# Ardour's death brings about (a window gone) is no success, unless its death is what is awaited.
wait_for() {
    local timeout=$1 deadline
    shift
    echo "$(date +%T.%N | cut -c1-12) wait $*" >>"$work/trace.txt"
    deadline=$(($(date +%s) + timeout * slow))
    until "$@"; do
        alive || return 2
        (($(date +%s) < deadline)) || return 1
        sleep 0.1
    done
    [[ "$1" == dead ]] || alive || return 2
}

window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
has_window() { [[ -n "$(window "$1")" ]]; }
no_window() { [[ -z "$(window "$1")" ]]; }
# For waiting on a window by name ($1): it is there once the search finds an id, which is then in $found.
found=""
find_window() { found=$(window "$1"); [[ -n "$found" ]]; }
# xwininfo without a window waits for a click: never call it with an empty id.
origin() { [[ -n "$1" ]] && timeout 10 xwininfo -int -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } END { print x, y }'; }
size() { [[ -n "$1" ]] && timeout 10 xwininfo -int -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }'; }
# No --sync: xdotool then waits for a motion that never comes when the pointer is already there.
click() { xdotool mousemove "$1" "$2" click 1; }
# --sync waits for the window to become active, which a window that has just gone never does.
activate() { [[ -n "$1" ]] && timeout 5 xdotool windowactivate --sync "$1" >/dev/null 2>&1; }
# Mean of the three channels of one pixel of the screen.
brightness() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | awk -F'[(),]' 'NR == 2 { print int(($3 + $4 + $5) / 3) }'; }
light() { local b; b=$(brightness "$1" "$2"); [[ -n "$b" && $b -gt 170 ]]; }
light_key() { local b; b=$(brightness "$1" "$2"); [[ -n "$b" && $b -gt 90 ]]; }
# Whether a 10x10 box around a point holds a light pixel (a check box's tick).
ticked() { import -window root -crop "10x10+$(($1 - 5))+$(($2 - 5))" -depth 8 txt:- 2>/dev/null |
    awk -F'[(),]' 'NR > 1 { b = ($3 + $4 + $5) / 3; if (b > m) m = b } END { exit !(m > 150) }'; }
untick() { ! ticked "$@"; }
dark() { local b; b=$(brightness "$1" "$2"); [[ -n "$b" && $b -lt 120 ]]; }

must() {  # $1 = what is awaited; the rest is wait_for's arguments
    local what=$1 rc
    shift
    wait_for "$@"
    rc=$?
    [[ $rc -eq 2 ]] && died_while "waiting for $what"
    [[ $rc -eq 0 ]] || fail 2 "$what did not happen"
}

main_title="^$session_name - Ardour\$"
# Ardour's editor window; a message box about the engine on the way (a session made on another backend:
# "Engine I/O device has changed") is acknowledged.
main_or_notice() {
    local w
    find_window "$main_title" && return 0
    for w in $(xdotool search --onlyvisible --class Ardour 2>/dev/null); do
        if [[ -z "$(xprop -id "$w" _NET_WM_NAME 2>/dev/null | sed -n 's/.* = "\(.*\)"$/\1/p')" ]] &&
            [[ "$(size "$w" | cut -d' ' -f1)" -lt 600 ]] 2>/dev/null; then
            activate "$w"
            xdotool key --clearmodifiers Return
        fi
    done
    return 1
}
wait_for_main() {
    must "Ardour's editor window" 120 main_or_notice
    main=$found
    say "   Ardour is up (pid $ardour_pid)"
}

# Runs Lua in Ardour's GUI through its Lua window; the code ends by writing $work/lua.done.
lua_count=0
run_lua() {
    local code=${1//$'\n'/ } lua x y # the window takes no typed line breaks
    lua_count=$((lua_count + 1))
    rm -f "$work/lua.done"
    activate "$main"
    xdotool key --clearmodifiers alt+F9
    must "Ardour's Lua window" 20 find_window ' - Lua - Ardour$'
    lua=$found
    activate "$lua"
    read -r x y < <(origin "$lua")
    click $((x + 200)) $((y + 100))
    xdotool key --clearmodifiers ctrl+a
    printf '%s' "$code local f = io.open(\"$work/lua.done\", \"w\"); f:write(\"done\"); f:close()" >"$work/lua.$lua_count.lua"
    xdotool type --delay 1 --file "$work/lua.$lua_count.lua"
    click $((x + 18)) $((y + 348)) # Run
    must "Lua script $lua_count to finish ($work/lua.$lua_count.lua)" 30 test -s "$work/lua.done"
    activate "$main"
    xdotool key --clearmodifiers alt+F9
    must "Ardour's Lua window to close" 10 no_window ' - Lua - Ardour$'
}

# -- The track, its region and the session range ---------------------------------------------------------
# Made in an Ardour process of its own, which saves the session and quits, as a musician's session exists
# before the evening it is exported: nothing of the import is left in the process that runs the rounds.
start_ardour prepare "${launch[@]}" "$ardour_bin" "$session_file"
wait_for_main
if [[ -n "$instrument" ]]; then
    match="c.name == \"$instrument\""
else
    match="c.type == ARDOUR.PluginType.LXVST and c.path == \"$vst/$(basename "$plugin")\""
fi
run_lua "local info; for c in ARDOUR.LuaAPI.list_plugins():iter() do if $match then info = c end end; assert(info, \"instrument not found\");
local files = C.StringVector(); files:push_back(\"$midi_file\");
Editor:do_import(files, Editing.ImportDistinctFiles, Editing.ImportAsTrack, ARDOUR.SrcQuality.SrcBest, ARDOUR.MidiTrackNameSource.SMFTrackName, ARDOUR.MidiTempoMapDisposition.SMFTempoIgnore, Temporal.timepos_t(0), info, ARDOUR.Track(), false);
Session:locations():session_range_location():set(Temporal.timepos_t(0), Temporal.timepos_t($((seconds * rate))));
assert(Session:save_state(\"\", false, false, false, false, false) == 0);"
grep -q '<Region name="ramp' "$session_file" || fail 2 "the MIDI file was not imported as a region"
say "   track with the instrument and the controller ramp imported; session range 0..$seconds s"
activate "$main"
xdotool key --clearmodifiers ctrl+q
must "the preparing Ardour to quit" 60 dead
reap_ardour
if [[ "$exit_text" != "status 0" ]]; then
    say "   the preparing Ardour ended with $exit_text (it had saved the session)"
    death_details
fi
start_ardour run "${command[@]}"
wait_for_main

# -- The plug-in's editor ---------------------------------------------------------------------------------
editor_window="" ex=0 ey=0
if [[ $editor -eq 1 ]]; then
    activate "$main"
    xdotool key --clearmodifiers shift+e # the editor mixer strip of the selected (new) track
    read -r mx my < <(origin "$main")
    # The instrument is the first entry of the strip's processor box; a double click opens its editor
    # (again while the strip is still being drawn).
    for _ in 1 2 3 4 5; do
        xdotool mousemove $((mx + 55)) $((my + 169)) click --repeat 2 --delay 80 1
        wait_for 3 has_window ': .* \(by .*\)' && break
    done
    must "the plug-in's editor window" 10 find_window ': .* \(by .*\)'
    editor_window=$found
    # The plug-in's own X window is the deepest one inside the host's window.
    read -r ex ey < <(timeout 10 xwininfo -int -tree -id "$editor_window" | awk '/^ +[0-9]+ / { match($0, /^ +/); if (RLENGTH >= depth) { depth = RLENGTH; pos = $NF } }
        END { split(pos, p, "+"); print p[2], p[3] }')
    [[ -n "$ex" && -n "$ey" ]] || fail 2 "the plug-in's X window was not found"
    # Painted: the OPTIONS key is lighter than the panel's black before its first paint.
    [[ -n "$instrument" ]] || must "the plug-in's panel to be painted" 20 light_key $((ex + 990)) $((ey + 34))
    say "   plug-in editor open: \"$(xprop -id "$editor_window" _NET_WM_NAME | sed 's/.* = //')\", panel at +$ex+$ey"
fi
at() { click $((ex + $1)) $((ey + $2)); }  # a point of the plug-in's panel, in skin coordinates

# -- MIDI learn -------------------------------------------------------------------------------------------
send_controller() {  # $1 = controller, $2 = value: to every MIDI track's input, as the virtual keyboard does
    run_lua "for r in Session:get_routes():iter() do local t = r:to_track(); local m = t:isnil() and t or t:to_midi_track(); if not m:isnil() then
local parser = ARDOUR.RawMidiParser(); for _, b in ipairs({0xb0, $1, $2}) do if parser:process_byte(b) then
assert(m:write_immediate_event(Evoral.EventType.MIDI_EVENT, parser:buffer_size(), parser:midi_buffer())) end end end end;"
}
nudge() {  # $1 $2 = a knob's centre in skin coordinates: a short vertical drag
    xdotool mousemove $((ex + $1)) $((ey + $2)) mousedown 1
    for step in 1 2 3 4 5; do xdotool mousemove $((ex + $1)) $((ey + $2 - 2 * step)); done
    xdotool mouseup 1
}
learn_one() {  # $1 $2 = knob, $3 = controller
    activate "$editor_window"
    at 968 216 # LEARN on
    nudge "$1" "$2"
    send_controller "$3" 64
    activate "$editor_window"
    at 968 216 # LEARN off
}
if [[ $learn -eq 1 ]]; then
    learn_one 234 132 74 # CUTOFF
    learn_one 374 132 8  # ENV MOD
    # The assignments are part of the plug-in's state, which Ardour saves with the session.
    before=$(stat -c %Y.%s "$session_file")
    saved() { [[ "$(stat -c %Y.%s "$session_file")" != "$before" ]]; }
    activate "$main"
    xdotool key --clearmodifiers ctrl+s
    must "the session to be saved" 20 saved
    chunk=$(grep -o '<chunk[^>]*>[^<]*</chunk>' "$session_file" | tail -n 1 | sed 's/<[^>]*>//g' | base64 -d 2>/dev/null | tr -d '\0' | grep -ao '<MidiControlMap.*</MidiControlMap>')
    learned=$(grep -o '<assign [^>]*>' <<<"$chunk" | tr '\n' ' ')
    say "   learned: ${learned:-nothing}"
    [[ "$learned" == *'CC="74" param="Cutoff"'* && "$learned" == *'CC="8" param="Env Mod"'* ]] ||
        fail 2 "the learn did not assign controller 74 to Cutoff and 8 to Env Mod"
fi

# The export dialog's window and geometry, once the window manager has placed it (it may still move it,
# or map a window of that name twice, right after it appears).
dialog_placed() {
    local before
    dialog=$(window '^Export$')
    [[ -n "$dialog" ]] || return 1
    read -r dx dy < <(origin "$dialog")
    read -r dw dh < <(size "$dialog")
    [[ -n "$dx" && -n "$dy" && -n "$dw" && -n "$dh" ]] || return 1
    before="$dx $dy"
    sleep 0.2
    [[ "$(origin "$dialog")" == "$before" ]]
}

# Ardour destroys the export dialog after it has closed (after its report, when there is one), and has
# been seen to die right then: a round is over once Ardour has outlived that for a moment.
outlived_dialog() {
    if wait_for 2 dead; then died_while "destroying the export dialog"; fi
}

# -- Rounds -----------------------------------------------------------------------------------------------
wav="$session_dir/export/session.wav"
expected_bytes=$((seconds * rate * 2 * 2 + 44)) # 16-bit stereo WAV
for round in $(seq "$rounds"); do
    started=$(date +%s.%N)
    if [[ $editor -eq 1 ]] && ! skipping select; then
        activate "$editor_window"
        for _ in 1 2 3; do at 662 34; done # SELECT right
        for _ in 1 2 3; do at 630 34; done # SELECT left
    fi
    if [[ $editor -eq 1 ]] && ! skipping browse; then
        activate "$editor_window"
        at 710 34 # BROWSE
        must "the preset browser (round $round)" 10 light $((ex + 400)) $((ey + 260))
        at 328 295 # Not used
        at 320 235 # _Clean
        at 856 200 # close
        must "the preset browser to close (round $round)" 10 dark $((ex + 400)) $((ey + 260))
    fi
    if [[ $editor -eq 1 ]] && ! skipping options; then
        activate "$editor_window"
        at 990 34 # OPTIONS
        must "the options window (round $round)" 10 light $((ex + 600)) $((ey + 400))
        at 557 107 # Midi Control
        at 935 75  # close
        must "the options window to close (round $round)" 10 dark $((ex + 600)) $((ey + 400))
    fi
    rm -f "$wav"
    activate "$main"
    xdotool key --clearmodifiers alt+e # Session > Export > Export to Audio File(s)
    must "the export dialog (round $round)" 30 dialog_placed
    if [[ $export -eq 0 ]]; then
        click $((dx + dw - 252)) $((dy + dh - 31)) # Cancel
        must "the export dialog to close (round $round)" 20 no_window '^Export$'
        outlived_dialog
        say "ROUND $round/$rounds ok: export dialog opened and cancelled"
        continue
    fi
    if [[ $analysis -eq 0 ]] && ticked $((dx + 36)) $((dy + 345)); then
        click $((dx + 36)) $((dy + 345)) # Analyze Exported Audio off (the dialog keeps it for the next round)
        must "the analysis check box to clear (round $round)" 10 untick $((dx + 36)) $((dy + 345))
    fi
    click $((dx + dw - 62)) $((dy + dh - 31)) # Export
    if [[ $analysis -eq 1 ]]; then
        must "the export report (round $round)" 120 find_window '^Export Report'
        bytes=$(stat -c %s "$wav" 2>/dev/null || echo 0)
        report=$found
        activate "$report"
        xdotool key --clearmodifiers alt+F4
        must "the export report to close (round $round)" 20 no_window '^Export Report'
    else
        must "the export dialog to close after the export (round $round)" 120 no_window '^Export$'
        bytes=$(stat -c %s "$wav" 2>/dev/null || echo 0)
    fi
    outlived_dialog
    seconds_taken=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
    if [[ "$bytes" -ne "$expected_bytes" ]]; then
        say "ROUND $round/$rounds SHORT export: $bytes bytes, expected $expected_bytes (${seconds_taken} s)"
        status=1
    else
        exported=$((exported + 1))
        say "ROUND $round/$rounds ok: exported $bytes bytes (${seconds_taken} s)"
    fi
done

# -- Quit -------------------------------------------------------------------------------------------------
round=0 # what Ardour does from here on is no round's
activate "$main"
xdotool key --clearmodifiers ctrl+s
sleep 1
xdotool key --clearmodifiers ctrl+q
wait_for 60 dead
if alive; then
    say "   Ardour did not quit within $((60 * slow)) s; ended"
    kill "$ardour_pid"
    wait "$ardour_pid" 2>/dev/null
    ardour_pid=""
    status=1
else
    reap_ardour
    if [[ "$exit_text" == "status 0" ]]; then
        say "   Ardour quit normally"
    else
        say "   Ardour's quit ended with $exit_text"
        death_details
        ((exit_signal > 0)) && aborted=1
        status=1
    fi
fi
finish
