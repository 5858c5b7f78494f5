#!/usr/bin/env bash
# Builds everything under a sanitizer and runs the tests there; for developers, not part of CI.
#   scripts/sanitize.sh [address|thread] [ctest arguments...]
# "address" (the default) also checks undefined behaviour. Each kind has its own build folder
# (build-address, build-thread; KELVANOR_BUILD_DIR overrides it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind="${1:-address}"
[[ $# -gt 0 ]] && shift
case "$kind" in
    address | thread) ;;
    *)
        echo "sanitize: the kind is address or thread, not '$kind'" >&2
        exit 2
        ;;
esac
build="${KELVANOR_BUILD_DIR:-$root/build-$kind}"
"$root/scripts/setup.sh"
if [[ ! -f "$build/build.ninja" ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANOR_SANITIZE="$kind" \
        -DKELVANOR_BUILD_BENCHMARKS=OFF
fi
cmake --build "$build"
# The X libraries JUCE loads at run time and unloads again leave allocations that the leak checker
# cannot attribute to any module: leaks are not checked.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}"
# The allocation counter of the real-time tests replaces malloc, which the sanitizers' own allocators
# bypass: its self-check cannot pass here.
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -E 'EveryKindOfHeapCallIsSeenWhileCounting' "$@"
