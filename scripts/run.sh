#!/usr/bin/env bash
# Sets up, builds and runs the main job: installs the plug-in into ~/.vst and renders a demo through our
# command-line host: the factory patterns chained 0..3, played by the sequencer with the host transport at
# 120 bpm (slides, accents, rests and octave jumps as the patterns hold them) after half a second of
# pre-roll, into build/.
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
trap 'rm -rf "$demo_home"' EXIT

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
