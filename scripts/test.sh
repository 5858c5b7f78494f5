#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${KELVANOR_BUILD_DIR:-$root/build}"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
count=$(ctest --test-dir "$build" -N | sed -n 's/^Total Tests: \([0-9]*\)$/\1/p')
if [[ -z "$count" || "$count" -eq 0 ]]; then
    echo "test: no tests were built" >&2
    exit 1
fi
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
