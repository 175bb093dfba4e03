#!/usr/bin/env bash
# Runs every test: checks the layering of src/, builds the six presets, runs the native suites
# as 64-bit and as 32-bit code, the tool on a real FAT16 card with power cuts (user-mode Linux),
# checks the product DLL's exports, its MSVC import library and the packages, builds what ships
# a second time and compares the bytes, runs the Windows
# programs under Wine three times (32-bit as shipped, 64-bit, 64-bit Debug with asserts on) and
# the fuzz target for a bounded time. Ends with one line: "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh || exit 1
mkdir -p build

# The 32-bit Wine's chroot takes minutes to make on a fresh machine: make it while the builds run.
bash scripts/wine32.sh --setup >build/wine32-setup.log 2>&1 &
wine32_setup=$!

passed=0
failed=0
stage_failed=()
count() {  # count NAME PASSED FAILED
  passed=$((passed + $2)); failed=$((failed + $3))
  [ "$3" -eq 0 ] || stage_failed+=("$1")
}
result_line() { grep -E '^[0-9]+ passed, [0-9]+ failed' "$1" | tail -n1; }  # result_line LOG
count_log() {  # count_log STAGE LOG: counts the log's result line; a log without one is a failure
  local line p f
  line=$(result_line "$2")
  p=$(echo "$line" | sed -nE 's/^([0-9]+) passed.*/\1/p'); f=$(echo "$line" | sed -nE 's/.* ([0-9]+) failed.*/\1/p')
  count "$1" "${p:-0}" "${f:-1}"
}
build() {  # build PRESET
  echo "== build $1"; mkdir -p build
  cmake --preset "$1" -DKX_WERROR=ON >"build/$1.log" 2>&1 && cmake --build --preset "$1" -j2 >>"build/$1.log" 2>&1
  local rc=$?
  if [ $rc -ne 0 ]; then tail -n 40 "build/$1.log"; echo "build of $1 failed"; fi
  rm -f "build/$1.log"
  return $rc
}

wine_stage() {  # wine_stage STAGE BUILD-FOLDER
  echo "== $1"
  local log=build/wine-$(basename "$2").log
  KX_WIN_BUILD=$2 bash scripts/wine-tests.sh >"$log" 2>&1
  cat "$log"
  count_log "$1" "$log"
}

run_ctest() {  # run_ctest PRESET STAGE
  echo "== $2"
  ctest --test-dir "build/$1" --output-on-failure -j2 >"build/ctest-$1.log" 2>&1
  grep -E 'tests passed|\*\*\*|Not Run' "build/ctest-$1.log" | tail -n 40
  local total bad
  total=$(sed -nE 's/.* tests failed out of ([0-9]+).*/\1/p' "build/ctest-$1.log" | tail -n1)
  bad=$(sed -nE 's/.*, ([0-9]+) tests failed out of.*/\1/p' "build/ctest-$1.log" | tail -n1)
  count "$2" "$(( ${total:-0} - ${bad:-0} ))" "${bad:-1}"
}

echo "== layers"
if bash scripts/check-layers.sh; then count layers 1 0; else count layers 0 1; fi

linux_built=0
if build linux; then linux_built=1; run_ctest linux native; else count "linux build" 0 1; fi

# The card commands on the kernel's own FAT16 driver, and power cuts in the middle of them
# (KX_POWER_CUTS cuts a command, default 10; 40 or more for the full run).
fat_stage() {  # fat_stage NAME SCRIPT [ARGS]
  local name=$1 log=build/$1.log
  shift
  echo "== $name"
  nice python3 "$@" >"$log" 2>&1
  grep -E '^(FAIL|[a-z]+, (a)?sync:|[0-9]+ cuts)' "$log" | head -n 40
  local line
  line=$(result_line "$log")
  [ -n "$line" ] || tail -n 20 "$log"
  echo "${line:-no result}"
  count_log "$name" "$log"
}
if [ "$linux_built" -eq 1 ]; then
  fat_stage "FAT card" tests/fat/suite.py build/linux
  fat_stage "power cuts" tests/fat/power_cut.py build/linux --cuts "${KX_POWER_CUTS:-10}"
fi
if build linux32; then run_ctest linux32 "native 32-bit"; else count "linux32 build" 0 1; fi

if build win32; then
  echo "== product DLL exports"
  if bash scripts/check-exports.sh; then count exports 1 0; else count exports 0 1; fi
  echo "== MSVC import library"
  if bash scripts/check-import-lib.sh; then count "import library" 1 0; else count "import library" 0 1; fi
  if [ "$linux_built" -eq 1 ]; then
    echo "== packages"
    if bash scripts/package.sh; then count packages 1 0; else count packages 0 1; fi
    echo "== the same bytes twice"
    if bash scripts/check-reproducible.sh; then count "reproducible build" 1 0; else count "reproducible build" 0 1; fi
  fi
  echo "== 32-bit Wine (chroot, log: build/wine32-setup.log)"
  if wait "$wine32_setup"; then
    wine_stage "Windows programs as 32-bit code" build/win32
  else
    tail -n 20 build/wine32-setup.log; count "32-bit Wine" 0 1
  fi
else
  count "win32 build" 0 1
fi

if build win64; then wine_stage "Windows programs under Wine" build/win64; else count "win64 build" 0 1; fi
if build win64-debug; then
  wine_stage "Windows programs, Debug build" build/win64-debug
else
  count "win64-debug build" 0 1
fi

echo "== fuzz target (${FUZZ_SECONDS:=45} s)"
if FUZZ_SECONDS=$FUZZ_SECONDS bash scripts/fuzz.sh; then count fuzz 1 0; else count fuzz 0 1; fi

[ ${#stage_failed[@]} -eq 0 ] || echo "failed stages: ${stage_failed[*]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
