#!/usr/bin/env bash
# Configures (once) and builds everything into build/, or only the targets named as arguments.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${KELVANOR_BUILD_DIR:-$root/build}"
if [[ ! -f "$build/build.ninja" ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build "$build" "${targets[@]}"
