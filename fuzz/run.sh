#!/bin/bash
# Builds the fuzz preset and runs each libFuzzer target for SECONDS (default
# 60) on its committed seed corpus, one target at a time. New inputs go to
# build/fuzz/corpus/<target>, crash files to build/fuzz/artifacts/<target>.
# Prints executions and crashes per target; exits non-zero on any crash.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j2 >/dev/null

status=0
for target in gif_fuzzer saver_data_fuzzer picture_fuzzer; do
  seeds=fuzz/corpus/${target%_fuzzer}
  work=build/fuzz/corpus/$target
  artifacts=build/fuzz/artifacts/$target
  log=build/fuzz/$target.log
  mkdir -p "$work" "$artifacts"
  rm -f "$artifacts"/*
  rc=0
  "build/fuzz/fuzz/$target" "$work" "$seeds" -max_total_time="$seconds" -timeout=10 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 >"$log" 2>&1 || rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  crashes=$(find "$artifacts" -type f | wc -l)
  echo "$target: ${runs:-0} executions, $crashes crashes in ${seconds} s (exit $rc, log $log)"
  if [ "$rc" -ne 0 ] || [ "$crashes" -ne 0 ]; then status=1; fi
done
exit $status
