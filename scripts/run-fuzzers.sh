#!/usr/bin/env bash
# Runs every libFuzzer program of a fuzz build for a number of seconds each, starting
# from the stored corpus. New interesting inputs go to the build folder, not to the
# repository. A finding stops the run and names the reproducer: the file this run wrote,
# in a folder of its own, never one left by an earlier run.
# Usage: scripts/run-fuzzers.sh <fuzz build folder> <seconds per target>
set -euo pipefail
build=${1:?fuzz build folder}
seconds=${2:?seconds per target}
source_dir=$(cd "$(dirname "$0")/.." && pwd)

shopt -s nullglob
programs=("$build"/fuzz/fuzz_*)
[ ${#programs[@]} -gt 0 ] || { echo "no fuzz programs in $build/fuzz" >&2; exit 1; }

export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$source_dir/tests/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for program in "${programs[@]}"; do
  target=${program##*/fuzz_}
  work="$build/corpus/$target"
  mkdir -p "$work" "$build/findings/$target"
  findings=$(mktemp -d "$build/findings/$target/$(date +%Y%m%d-%H%M%S)-XXXX")
  echo "== $target: $seconds s"
  if ! "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$findings/" "$work" "$source_dir/fuzz/corpus/$target" >"$build/$target.log" 2>&1; then
    tail -n 40 "$build/$target.log" >&2
    # libFuzzer names the input that stopped it last ("Test unit written to ...").
    reproducer=$(sed -n 's/^.*Test unit written to //p' "$build/$target.log" | tail -n 1)
    echo >&2
    echo "fuzz_$target found a problem; reproducer: ${reproducer:-see $build/$target.log}" >&2
    echo "Once fixed, copy it into fuzz/corpus/$target/ so that 'make test' replays it." >&2
    exit 1
  fi
  rmdir "$findings" 2>/dev/null || true  # kept only when it holds something, a slow unit say
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$build/$target.log" | tr '\n' ' '
  echo
done
