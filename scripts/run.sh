#!/usr/bin/env bash
# Sets up, builds and runs the main job: installs the plug-in into ~/.vst and renders a demo through our
# command-line host: the factory patterns chained 0..3, played by the sequencer with the host transport at
# 120 bpm (slides, accents, rests and octave jumps as the patterns hold them) after half a second of
# pre-roll, into build/. Then screenshots of the editor in the host's window, on an X server of its own,
# into build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${KELVANOR_BUILD_DIR:-$root/build}"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
"$build/tools/kelvanor_smoke"

plugin="$build/Kelvanor.so"
# Replaces the file by renaming, so that a host which has the plug-in loaded keeps running.
"$root/scripts/install-plugin.sh" "$plugin" "$HOME/.vst/Kelvanor.so"
echo "Installed $HOME/.vst/Kelvanor.so"

# The demo runs with settings of its own, so the user's settings neither change it nor are changed by it.
demo_home=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [[ -n "$xvfb_pid" ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$demo_home"
}
trap cleanup EXIT

# Pattern key C0 (note 12) held while F0 (key 3) is pressed chains patterns 0..3 of the first bank.
# The transport starts after half a second of pre-roll, as a host's playback does: a voice just created
# fades in, and a first note at once would fall into that fade. Keys, start and stop follow the pre-roll.
notes="$demo_home/chain.txt"
printf '0.5   12  100  4\n0.51  17  100  0.2\n' > "$notes"

wav="$build/kelvanor-demo.wav"
HOME="$demo_home" "$build/tools/kelvanor_host" "$plugin" --tempo 120 --notes "$notes" \
    --stopped --play 0.5 --stop 8.5 --length 9 \
    --out "$wav" --midi-out "$build/kelvanor-demo-midi.txt"

# Peak of the 32-bit float samples after the "data" chunk header, in dBFS.
data_offset=$(LC_ALL=C grep -obUa 'data' "$wav" | head -n 1 | cut -d: -f1)
peak=$(LC_ALL=C od -An -v -t f4 -j $((data_offset + 8)) "$wav" |
    LC_ALL=C awk '{ for (i = 1; i <= NF; ++i) { v = $i < 0 ? -$i : $i; if (v > p) p = v } }
                  END { if (p > 0) printf "%.4f (%.1f dBFS)", p, 20 * log(p) / log(10); else print "0 (silent)" }')
echo "Demo: $wav"
echo "Peak level: $peak"

# Screenshots of the editor as a host shows it: the host tool's editor mode on a private X server, with
# clicks where the built-in skin puts the options and browse keys and where the options window puts its
# tabs (the panel is 1104 x 736; windows open centred over it).
screenshots="$build/screenshots"
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "Screenshots skipped: Xvfb is not installed (Debian package xvfb)"
    exit 0
fi
mkdir -p "$screenshots"
rm -f "$screenshots"/*.png

# Xvfb picks a free display itself and writes its number once it accepts connections.
display_file="$demo_home/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s "$display_file" ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
if [[ ! -s "$display_file" ]]; then
    echo "Screenshots skipped: Xvfb did not start"
    exit 0
fi
export DISPLAY=":$(head -n 1 "$display_file")"

host_editor() {
    HOME="$demo_home" "$build/tools/kelvanor_host" "$plugin" --editor --idle 0.5 "$@" >/dev/null
}
options_key=989,32
browse_key=709,32
clock_key=708,348

host_editor --screenshot "$screenshots/panel-idle.png"
# The sequencer follows the host's transport: the step lights run while the host renders.
host_editor --editor-play --tempo 120 --idle 1.3 --screenshot "$screenshots/panel-playing.png"
# The sequencer on its own clock: the TEMPO display lights up as the key is pressed.
host_editor --click "$clock_key" --screenshot "$screenshots/panel-clock.png"
host_editor --click "$options_key" \
    --click 210,108 --screenshot "$screenshots/options-sequencer.png" \
    --click 301,108 --screenshot "$screenshots/options-synthesis.png" \
    --click 386,108 --screenshot "$screenshots/options-patterns.png" \
    --click 463,108 --screenshot "$screenshots/options-presets.png" \
    --click 552,108 --screenshot "$screenshots/options-midi-control.png"
host_editor --click "$browse_key" --screenshot "$screenshots/preset-browser.png"
echo "Screenshots: $screenshots/"
