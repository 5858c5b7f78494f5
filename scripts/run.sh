#!/usr/bin/env bash
# Sets up, builds and runs the main job.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${KELVANOR_BUILD_DIR:-$root/build}"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
"$build/tools/kelvanor_smoke"
