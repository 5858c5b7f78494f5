#!/usr/bin/env bash
# Runs one of Debian's Ardour programs (ardour, its plug-in scanner) with the address sanitizer's runtime
# preloaded, so that it can load an ASan build of the plug-in, which only loads into a process that has
# that runtime first in its list of libraries:
#
#   scripts/ardour-asan-run.sh SHIM_DIR REPORT_DIR PROGRAM [ARGUMENTS...]
#
# SHIM_DIR receives the library built from ardour-asan-shim.c (without it, under the runtime, Ardour
# hangs at start-up and the scanner at exit; that file says why); REPORT_DIR receives what the sanitizer
# writes, asan.PID and ubsan.PID, and nothing else: keep the two folders apart.
# The program replaces this script (exec): its process id and exit status are the program's own. An
# error the sanitizer finds ends it with SIGABRT, as a crash would, after the report is written.
# Leak checking is off: Ardour leaves much allocated at exit on purpose. ASAN_OPTIONS and UBSAN_OPTIONS
# from the caller are appended, so they win.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
[[ $# -ge 3 ]] || { echo "usage: ardour-asan-run.sh SHIM_DIR REPORT_DIR PROGRAM [ARGUMENTS...]" >&2; exit 3; }
shim_dir=$1 report_dir=$2
shift 2

runtime=$(gcc -print-file-name=libasan.so)
[[ "$runtime" == /* && -e "$runtime" ]] || { echo "ardour-asan-run: gcc knows no libasan.so (Debian: libasan8)" >&2; exit 3; }
mkdir -p "$shim_dir" "$report_dir"
shim="$shim_dir/ardour-asan-shim.so"
if [[ ! "$shim" -nt "$here/ardour-asan-shim.c" ]]; then
    gcc -std=c11 -O2 -Wall -Wextra -shared -fPIC -o "$shim" "$here/ardour-asan-shim.c" -ldl ||
        { echo "ardour-asan-run: could not build the shim" >&2; exit 3; }
fi

export LD_PRELOAD="$runtime $shim${LD_PRELOAD:+ $LD_PRELOAD}"
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:log_path=$report_dir/asan${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:abort_on_error=1:log_path=$report_dir/ubsan${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
exec "$@"
