#!/usr/bin/env bash
# Builds the fuzz preset and runs the fuzz target (tests/fuzz/fuzz_inputs.cpp) for ${FUZZ_SECONDS:-60} s,
# starting from the seeds it makes itself and the corpus of earlier runs. Logs and findings stay
# under build/fuzz/runs/fuzz_inputs/; one summary line. Exits non-zero on any finding.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
runs=build/fuzz/runs
mkdir -p build
if ! { cmake --preset fuzz -DKX_WERROR=ON && cmake --build --preset fuzz -j2; } >build/fuzz-build.log 2>&1; then
  tail -n 40 build/fuzz-build.log
  echo "fuzz build failed (build/fuzz-build.log)"
  exit 1
fi

name=fuzz_inputs
binary=build/fuzz/tests/fuzz/$name
dir=$runs/$name
rm -rf "$dir/artifacts"
mkdir -p "$dir/corpus" "$dir/artifacts"
"$binary" -kx_seed_dir="$dir/corpus" >"$dir/seeds.log" 2>&1
# -timeout turns a hang into a finding; the corpus grows from run to run.
"$binary" "$dir/corpus" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$dir/artifacts/" >"$dir/fuzz.log" 2>&1
rc=$?
units=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$dir/fuzz.log" | tail -n1)
findings=$(find "$dir/artifacts" -type f | wc -l)
if [ $rc -eq 0 ] && [ "$findings" -eq 0 ]; then
  echo "$name: ok, ${units:-0} inputs in ${seconds} s"
else
  echo "$name: FINDING (exit $rc, $findings artifacts in $dir/artifacts, log $dir/fuzz.log)"
  exit 1
fi
