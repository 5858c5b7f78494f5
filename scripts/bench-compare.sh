#!/usr/bin/env bash
# Builds an earlier commit beside this checkout and runs every voice and plug-in benchmark case of both in
# turn, earlier then current, several rounds, printing the median nanoseconds per sample of each and their
# ratio (earlier / current: above 1 is faster now).
#
#   scripts/bench-compare.sh <commit> [rounds] [case regex]
#
# The earlier commit is built from a worktree with this checkout's voice and plug-in benchmark sources
# copied in, so that both run the same cases (the benchmarks use only the voice's and the VST entry's
# public calls). Build folders: $KELVANOR_BUILD_DIR (default build/) for this checkout, and beside it
# <that>-base with the worktree in <that>-base-src ($KELVANOR_BASE_BUILD_DIR and $KELVANOR_BASE_SOURCE_DIR
# choose others).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ $# -lt 1 ]]; then
    echo "usage: $0 <commit> [rounds] [case regex]" >&2
    exit 2
fi
base_commit=$(git -C "$root" rev-parse --verify "$1^{commit}")
rounds="${2:-3}"
filter="${3:-^(sawtooth|square|distortionPre|distortionPost|renderPlugin/.*)\$}"
build="${KELVANOR_BUILD_DIR:-$root/build}"
base_src="${KELVANOR_BASE_SOURCE_DIR:-$build-base-src}"
base_build="${KELVANOR_BASE_BUILD_DIR:-$build-base}"
bench_files=(bench/KelvanorCoreBench.cpp bench/KelvanorPluginBench.cpp)

# The earlier commit's tree, with the current benchmark sources.
if [[ -d "$base_src" ]]; then
    git -C "$base_src" checkout --quiet --force --detach "$base_commit"
else
    git -C "$root" worktree add --quiet --force --detach "$base_src" "$base_commit"
fi
for file in "${bench_files[@]}"; do
    cp "$root/$file" "$base_src/$file"
done

KELVANOR_BUILD_DIR="$base_build" "$base_src/scripts/build.sh" kelvanor_bench >/dev/null
KELVANOR_BUILD_DIR="$build" "$root/scripts/build.sh" kelvanor_bench >/dev/null

cases=$("$build/bench/kelvanor_bench" --benchmark_list_tests | grep -E "$filter")

# ns per sample of one case in one binary: the benchmark's own counter (seconds per sample) from its CSV.
measure() {
    "$1" --benchmark_filter="^$2\$" --benchmark_format=csv --benchmark_min_time=0.5 2>/dev/null |
        awk -F, '/^name,/ { for (i = 1; i <= NF; ++i) if ($i ~ /^"?ns_per_sample"?$/) c = i; next }
                 c && NF >= c { printf "%.3f\n", $c * 1e9 }'
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

printf "earlier %s, current %s, %s rounds each, alternating\n" "${base_commit:0:10}" \
    "$(git -C "$root" rev-parse --short=10 HEAD)$(git -C "$root" diff --quiet HEAD -- engine bench || echo +)" \
    "$rounds"
printf "%-36s %12s %12s %8s\n" "case" "earlier ns" "current ns" "ratio"
for name in $cases; do
    earlier=()
    current=()
    for ((round = 0; round < rounds; ++round)); do
        earlier+=("$(measure "$base_build/bench/kelvanor_bench" "$name")")
        current+=("$(measure "$build/bench/kelvanor_bench" "$name")")
    done
    a=$(printf "%s\n" "${earlier[@]}" | median)
    b=$(printf "%s\n" "${current[@]}" | median)
    printf "%-36s %12.2f %12.2f %8.3f\n" "$name" "$a" "$b" "$(awk -v a="$a" -v b="$b" 'BEGIN { print a / b }')"
done
