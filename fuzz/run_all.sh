#!/usr/bin/env bash
# Runs every fuzz harness for the given number of seconds on its committed
# corpus. New inputs collect in the build directory, so the committed corpus
# only changes by hand; a finding is saved there too and fails the run.
# Usage: fuzz/run_all.sh BUILD_DIR SECONDS [HARNESS...]
set -euo pipefail
build=$1
seconds=$2
shift 2
here="$(cd "$(dirname "$0")" && pwd)"
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(free_input_fuzz edited_output_fuzz number_fields_fuzz run_fuzz)

passed=0
failed=0
for h in "${harnesses[@]}"; do
  work="$build/fuzz-work/$h"
  mkdir -p "$work/corpus" "$work/artifacts"
  echo "== $h: ${seconds}s"
  if ! "$build/fuzz/$h" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
       -max_len=16384 -print_final_stats=1 \
       -artifact_prefix="$work/artifacts/" "$work/corpus" "$here/corpus/$h" \
       >"$work/log" 2>&1; then
    echo "!! $h found a failure; see $work/log and $work/artifacts/"
    tail -n 40 "$work/log"
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
  fi
  grep -E 'DONE|stat::number_of_executed_units|stat::peak_rss_mb' "$work/log" || true
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
