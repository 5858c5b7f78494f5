#!/usr/bin/env bash
# Manual check of a Linux VST 2.4 plug-in in a real, headless Ardour 7 (Debian's `ardour`).
#
#   scripts/ardour-check.sh [options] path/to/Plugin.so
#
# Steps, all inside a fresh folder under /tmp (HOME points there, so the user's Ardour settings and
# plug-in cache are neither read nor touched):
#   1. copy the .so into a private VST folder (LXVST_PATH) and index it with Ardour's own out-of-process
#      scanner (ardour-vst-scanner), as Ardour does before it ever loads a VST;
#   2. ardour7-lua (Ardour's session engine without GUI, "None (Dummy)" audio backend) runs
#      scripts/ardour-check.lua: new session, MIDI track with the plug-in as instrument, parameter list,
#      output peak with no notes, with one held note and with the transport rolling (a step sequencer
#      may play then; reported only), one parameter changed, session saved, closed
#      and reopened in the same process, every parameter compared;
#   3. a second ardour7-lua process reopens the saved session, compares every parameter again and
#      saves it once more, and the plug-in's state chunk in both saved files is compared;
#   4. a third one exports the first 2 seconds of the saved session (no notes, transport rolling, as
#      any export) to a 32-bit float WAV file, offline, and reports its peak.
#
# Options:
#   --install            apt-get install ardour when ardour7-lua is missing (otherwise nothing is installed)
#   --xvfb               run Ardour with DISPLAY set to a private Xvfb (as under a desktop session)
#   --param N            parameter index changed before saving (default 0)
#   --note N             MIDI note held for the render with a note (default 48)
#   --expect-params N    fail unless Ardour lists exactly N parameters
#   --expect-sound       fail unless the held note makes sound
#   --keep               keep the temporary folder (it is always kept when a check fails)
#
# Exit status: 0 all checks passed; 1 the plug-in does not load (scanner rejects it, Ardour does not
# index or instantiate it, or Ardour dies before it is loaded); 2 it loads but a later check fails
# (sound with no notes and the transport stopped, NaN/infinite samples, parameters or state chunk
# not restored, crash or hang later); 3 usage or environment problem.
# Not part of CI: Ardour is far too large for a fresh machine.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
lua_script="$here/ardour-check.lua"
install=0 use_xvfb=0 keep=0 param=0 note=48 expect_params="" expect_sound=0 plugin=""

usage() { awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; exit "${1:-3}"; }

while [[ $# -gt 0 ]]; do
    case "$1" in
        --install) install=1 ;;
        --xvfb) use_xvfb=1 ;;
        --keep) keep=1 ;;
        --param) param="${2:?--param needs a value}"; shift ;;
        --note) note="${2:?--note needs a value}"; shift ;;
        --expect-params) expect_params="${2:?--expect-params needs a value}"; shift ;;
        --expect-sound) expect_sound=1 ;;
        -h|--help) usage 0 ;;
        -*) echo "unknown option $1" >&2; usage ;;
        *) [[ -z "$plugin" ]] || usage; plugin="$1" ;;
    esac
    shift
done
[[ -n "$plugin" ]] || usage
[[ "$param" =~ ^[0-9]+$ && "$note" =~ ^[0-9]+$ && "$note" -le 127 ]] || { echo "--param and --note take numbers (note 0..127)" >&2; exit 3; }
[[ -z "$expect_params" || "$expect_params" =~ ^[0-9]+$ ]] || { echo "--expect-params takes a number" >&2; exit 3; }
[[ -f "$plugin" ]] || { echo "no such file: $plugin" >&2; exit 3; }
plugin=$(realpath "$plugin")

find_ardour() { compgen -G '/usr/bin/ardour[0-9]*-lua' | sort -V | tail -n 1; }
ardour_lua=$(find_ardour)
if [[ -z "$ardour_lua" && $install -eq 1 ]]; then
    echo "installing Debian's ardour (large) ..."
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y ardour >/dev/null || { echo "apt-get install ardour failed" >&2; exit 3; }
    ardour_lua=$(find_ardour)
fi
if [[ -z "$ardour_lua" ]]; then
    echo "Ardour's Lua session tool (ardour7-lua) is missing: install Debian's ardour, or rerun with --install" >&2
    exit 3
fi
series=$(basename "$ardour_lua" -lua)              # e.g. ardour7
ardour_lib="/usr/lib/$series"
scanner="$ardour_lib/ardour-vst-scanner"
[[ -x "$scanner" ]] || { echo "missing $scanner" >&2; exit 3; }

work=$(mktemp -d /tmp/ardour-check.XXXXXX)
mkdir -p "$work/home" "$work/vst"
xvfb_pid=""
status=0
cleanup() {
    if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
    if [[ $keep -eq 1 || $status -ne 0 ]]; then
        echo "files kept in $work (session, logs)"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

run_env=(env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
         XDG_CACHE_HOME="$work/home/.cache" LXVST_PATH="$work/vst" VST_PATH="$work/vst")
if [[ $use_xvfb -eq 1 ]]; then
    command -v Xvfb >/dev/null && command -v xprop >/dev/null || { echo "--xvfb needs Xvfb and xprop" >&2; status=3; exit 3; }
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x800x24 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 50); do [[ -s "$work/display" ]] && break; sleep 0.1; done
    display=":$(head -n 1 "$work/display" 2>/dev/null)"
    [[ "$display" != ":" ]] || { echo "Xvfb did not start" >&2; status=3; exit 3; }
    # Without a window manager the atoms JUCE asks for must exist before it asks.
    for atom in WM_PROTOCOLS WM_STATE; do
        DISPLAY=$display xprop -root -f "$atom" 32a -set "$atom" "$atom" || { echo "xprop failed on $display" >&2; status=3; exit 3; }
    done
    run_env=(env -u WAYLAND_DISPLAY DISPLAY="$display" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
             XDG_CACHE_HOME="$work/home/.cache" LXVST_PATH="$work/vst" VST_PATH="$work/vst")
fi

copy="$work/vst/$(basename "$plugin")"
cp "$plugin" "$copy"
# Ardour trusts the scanner's cache only when it is newer than the library; the scanner stamps it
# with the current second, so a copy made within that second would count as changed and be skipped.
touch -d "@$(( $(date +%s) - 60 ))" "$copy"
echo "== Ardour check of $plugin"
echo "   $("$ardour_lua" --version 2>/dev/null | head -n 1)${display:+, DISPLAY=$display (Xvfb)}"

describe_exit() {  # $1 = exit status of a timeout-wrapped command
    if [[ $1 -eq 124 || $1 -eq 137 ]]; then echo "timed out (hang)"
    elif [[ $1 -gt 128 ]]; then echo "killed by signal $(( $1 - 128 )) ($(kill -l $(( $1 - 128 )) 2>/dev/null))"
    else echo "exit status $1"; fi
}

# Lines Ardour printed that are not the check's own, verbatim, repeated lines counted once.
ardour_said() {
    grep -v '^CHECK ' "$1" | awk 'NF { n[$0]++; if (n[$0] == 1) order[++k] = $0 }
        END { for (i = 1; i <= k; i++) printf "   | %s%s\n", order[i], (n[order[i]] > 1 ? "  (x" n[order[i]] ")" : "") }'
}

# 1. Index with Ardour's scanner.
"${run_env[@]}" LD_LIBRARY_PATH="$ardour_lib" timeout -k 5 60 "$scanner" -f -v "$copy" >"$work/scan.log" 2>&1
scan_rc=$?
echo "-- scan (ardour-vst-scanner, separate process): $(describe_exit $scan_rc)"
sed 's/^/   | /' "$work/scan.log"
if [[ $scan_rc -ne 0 ]] || ! grep -q 'Found Plugin' "$work/scan.log"; then
    echo "RESULT: FAIL - Ardour's scanner did not accept the plug-in"
    status=1; exit 1
fi

# 2. Session in this process: load, list, render, save, reopen.
session_dir="$work/session"
state_file="$work/state.txt"
"${run_env[@]}" timeout -k 5 90 "$ardour_lua" "$lua_script" create "$copy" "$session_dir" check "$state_file" "$param" "$note" \
    >"$work/create.log" 2>&1
create_rc=$?
echo "-- session (ardour7-lua, dummy backend): $(describe_exit $create_rc)"
sed -n 's/^CHECK /   /p' "$work/create.log"
echo "   Ardour printed:"
ardour_said "$work/create.log"

loaded=0
grep -q '^CHECK LOADED ' "$work/create.log" && loaded=1
if [[ $loaded -eq 0 ]]; then
    echo "RESULT: FAIL - the plug-in did not load in Ardour"
    status=1; exit 1
fi

failures=()
run_failures() {  # $1 = log, $2 = exit status, $3 = what ran
    local reasons
    reasons=$(sed -n 's/^CHECK FAIL //p' "$1")
    if [[ -n "$reasons" ]]; then
        while IFS= read -r line; do failures+=("$3: $line"); done <<<"$reasons"
    elif [[ $2 -ne 0 ]]; then
        failures+=("$3: ardour7-lua $(describe_exit "$2")")
    elif ! grep -q '^CHECK DONE' "$1"; then
        failures+=("$3: stopped before the end")
    fi
}
run_failures "$work/create.log" "$create_rc" "session"
count=$(sed -n 's/^CHECK PARAMETERS //p' "$work/create.log")
if [[ -n "$expect_params" && "$count" != "$expect_params" ]]; then
    failures+=("Ardour lists ${count:-no} parameters, expected $expect_params")
fi
silent=$(sed -n 's/^CHECK RENDER no-notes peak_dBFS=//p' "$work/create.log")
if [[ -n "$silent" && "$silent" != "-inf" ]] && awk -v p="$silent" 'BEGIN { exit !(p > -120) }'; then
    failures+=("output is not silent without notes (peak $silent dBFS)")
fi
sound=$(sed -n 's/^CHECK RENDER note=.* peak_dBFS=//p' "$work/create.log")
if [[ $expect_sound -eq 1 && ( -z "$sound" || "$sound" == "-inf" ) ]]; then
    failures+=("no sound from the held note")
fi
chunk_of() {  # the plug-in's base64 state chunk in a saved session file, decoded into $2
    grep -o '<chunk[^>]*>[^<]*</chunk>' "$1" 2>/dev/null | head -n 1 | sed 's/<[^>]*>//g' | base64 -d >"$2" 2>/dev/null
}
saved_chunk=0
if grep -q '^CHECK SAVED ' "$work/create.log"; then
    chunk_of "$session_dir/check.ardour" "$work/chunk.saved"
    if [[ -s "$work/chunk.saved" ]]; then
        saved_chunk=1
        echo "   saved session holds the plug-in's state chunk: $(wc -c <"$work/chunk.saved") bytes"
    else
        echo "   saved session holds no state chunk (parameters only)"
    fi
fi

# 3. Reopen the saved session in a new process.
if [[ -f "$state_file" ]]; then
    "${run_env[@]}" timeout -k 5 60 "$ardour_lua" "$lua_script" reload "$copy" "$session_dir" check "$state_file" "$param" \
        >"$work/reload.log" 2>&1
    reload_rc=$?
    echo "-- reload in a new process: $(describe_exit $reload_rc)"
    sed -n 's/^CHECK /   /p' "$work/reload.log"
    echo "   Ardour printed:"
    ardour_said "$work/reload.log"
    run_failures "$work/reload.log" "$reload_rc" "reload"
    if [[ $saved_chunk -eq 1 ]] && grep -q '^CHECK SAVED ' "$work/reload.log"; then
        chunk_of "$session_dir/reloaded.ardour" "$work/chunk.reloaded"
        if cmp -s "$work/chunk.saved" "$work/chunk.reloaded"; then
            echo "   state chunk saved after the reload is identical ($(wc -c <"$work/chunk.reloaded") bytes)"
        else
            difference=$(cmp "$work/chunk.saved" "$work/chunk.reloaded" 2>&1 | head -n 1)
            echo "   state chunk saved after the reload differs: $difference"
            failures+=("state chunk does not survive save and reload ($(wc -c <"$work/chunk.saved") -> $(wc -c <"$work/chunk.reloaded") bytes)")
        fi
    fi
else
    failures+=("no saved state to reload")
fi

# 4. Offline render: Ardour exports the saved session (no notes) to a WAV file.
if grep -q '^CHECK SAVED ' "$work/create.log"; then
    mkdir -p "$work/export"
    "${run_env[@]}" timeout -k 5 60 "$ardour_lua" "$lua_script" export "$copy" "$session_dir" check "$work/export" \
        >"$work/export.log" 2>&1
    export_rc=$?
    echo "-- export in a new process: $(describe_exit $export_rc)"
    sed -n 's/^CHECK /   /p' "$work/export.log"
    echo "   Ardour printed:"
    ardour_said "$work/export.log"
    if [[ $export_rc -eq 134 || $export_rc -eq 139 ]] && grep -q '^CHECK EXPORT ' "$work/export.log" \
        && ! grep -q '^CHECK FAIL' "$work/export.log"; then
        # Ardour 7.3 corrupts its heap now and then in an export and dies afterwards ("corrupted
        # size vs. prev_size", "double free" in PortExportChannel while destroying the session),
        # with its own plug-ins as well; the plug-in's teardown is checked by the two runs above.
        echo "   (NOTE: ardour7-lua $(describe_exit $export_rc) after the export was written: Ardour's own"
        echo "    fault after exports, not counted; the two runs above check the plug-in's teardown)"
        export_rc=0
        echo "CHECK DONE" >>"$work/export.log"
    fi
    run_failures "$work/export.log" "$export_rc" "export"
    exported=$(sed -n 's/^CHECK EXPORT .*peak_dBFS=//p' "$work/export.log")
    if [[ "$exported" == "inf" || "$exported" == "nan" ]]; then
        failures+=("exported audio holds NaN or infinite samples")
    fi
fi

if [[ ${#failures[@]} -gt 0 ]]; then
    for f in "${failures[@]}"; do echo "RESULT: FAIL - $f"; done
    status=2; exit 2
fi
echo "RESULT: PASS - loads, ${count} parameters listed, silent with no notes and transport stopped (note peak ${sound:-?} dBFS, exported peak ${exported:-?} dBFS), state restored after reload"
