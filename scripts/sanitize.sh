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
if [[ "$kind" == address ]]; then
    # JUCE opens the X libraries at run time and closes them again when it shuts down: what they keep for
    # the life of the process is then pointed to from nowhere mapped, and the leak checker reports it
    # from no module at all. Preloaded, they stay, and so do their pointers. They come before the
    # sanitizer's runtime in the list of libraries, which it accepts when told to.
    export LD_PRELOAD="libX11.so.6 libXext.so.6 libXcursor.so.1 libXinerama.so.1 libXrandr.so.2 libXrender.so.1${LD_PRELOAD:+ $LD_PRELOAD}"
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:verify_asan_link_order=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}"
# The allocation counter of the real-time tests replaces malloc, which the sanitizers' own allocators
# bypass: its self-check cannot pass here. A test that ends its process from inside itself leaves all it
# allocated behind on purpose: it runs on its own, without the leak check.
exits_on_purpose='ProcessExit\.'
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -E "EveryKindOfHeapCallIsSeenWhileCounting|$exits_on_purpose" "$@"
if [[ $# -eq 0 ]]; then
    ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" ctest --test-dir "$build" --output-on-failure -R "$exits_on_purpose"
fi
