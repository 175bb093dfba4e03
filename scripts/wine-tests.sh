#!/usr/bin/env bash
# Runs the Windows test programs of build/win64 under Wine, in a private prefix, on a 24-bit
# virtual screen, with a temporary folder as removable drive E: and a removable F: without media
# (a program may make the missing folder behind F:, KX_NO_MEDIA_FOLDER, and must remove it).
# Builds nothing: build the win64 preset first. Ends with "N passed, N failed"; exit 1 on any failure.
#
# Usage: scripts/wine-tests.sh [program ...]   (default: every build/win64/tests/win/*_test.exe)
# Environment: KX_WIN_BUILD (build folder), KX_WINEPREFIX (prefix, default build/wineprefix),
#              KX_WIN_TIMEOUT (seconds per program, default 300).
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KX_WIN_BUILD:-$root/build/win64}
tests_dir=$build/tests/win
logs=$build/wine-logs
timeout_s=${KX_WIN_TIMEOUT:-300}
card_letter=e
no_media_letter=f

export WINEPREFIX=${KX_WINEPREFIX:-$root/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=-all
# No installer prompts for the .NET and HTML runtimes the tests never use.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"

run_quiet() { "$@" >>"$logs/wine-setup.log" 2>&1; }

# The prefix once: made by wineboot, with unmanaged windows (no window manager waits on hide).
prepare_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-tests: making the Wine prefix $WINEPREFIX (first run only)"
    mkdir -p "$WINEPREFIX"
    run_quiet wine wineboot -i
    run_quiet wineserver -w
  fi
  if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null ||
     ! grep -q "\"$card_letter:\"=\"floppy\"" "$WINEPREFIX/system.reg" 2>/dev/null ||
     ! grep -q "\"$no_media_letter:\"=\"floppy\"" "$WINEPREFIX/system.reg" 2>/dev/null ||
     ! grep -q '"COM1"="/dev/zero"' "$WINEPREFIX/system.reg" 2>/dev/null; then
    run_quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
    run_quiet wine reg add 'HKLM\Software\Wine\Drives' /v "$card_letter:" /t REG_SZ /d floppy /f
    run_quiet wine reg add 'HKLM\Software\Wine\Drives' /v "$no_media_letter:" /t REG_SZ /d floppy /f
    # COM1 a device that answers every read at once: a test that opened it as a file ends
    # (and fails) instead of waiting for good on a serial port.
    run_quiet wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d /dev/zero /f
    # The mount manager reads the drive types when it starts.
    run_quiet wineserver -k
    run_quiet wineserver -w
  fi
  ln -sfn "$WINEPREFIX/no-media-behind-$no_media_letter" "$WINEPREFIX/dosdevices/$no_media_letter:"
  rm -rf "$WINEPREFIX/no-media-behind-$no_media_letter"
}

# One program on a fresh card folder; its output goes to a file (Wine's helpers keep pipes open).
run_program() {
  local exe=$1 name log card
  name=$(basename "$exe" .exe)
  log=$logs/$name.log
  card=$(mktemp -d "${TMPDIR:-/tmp}/kx-card-XXXXXX")
  ln -sfn "$card" "$WINEPREFIX/dosdevices/$card_letter:"
  KX_CARD_DRIVE=${card_letter^^} KX_NO_MEDIA_DRIVE=${no_media_letter^^} \
    KX_NO_MEDIA_FOLDER="Z:$(tr / '\\' <<<"$WINEPREFIX/no-media-behind-$no_media_letter")" \
    timeout --kill-after=10 "$timeout_s" wine "$exe" --gtest_color=no >"$log" 2>&1
  local rc=$?
  rm -rf "$card"
  report "$name" "$log" "$rc"
}

passed=0
failed=0
# Prints the program's GoogleTest summary and adds up its counts; a program that did not get
# to its summary counts as one failure.
report() {
  local name=$1 log=$2 rc=$3 p f
  echo "== $name"
  grep -E '^\[==========\] .* ran\.|^\[  PASSED  \]|^\[  (FAILED  |SKIPPED )\] [0-9]' "$log" | sed 's/^/   /'
  # The failed tests' names, once each, from the list after the summary.
  grep -E '^\[  FAILED  \] [A-Za-z_][^ ]*$' "$log" | sed 's/^/   /'
  p=$(sed -nE 's/^\[  PASSED  \] ([0-9]+) tests?\..*/\1/p' "$log" | tail -1)
  f=$(sed -nE 's/^\[  FAILED  \] ([0-9]+) tests?, listed below:.*/\1/p' "$log" | tail -1)
  if ! grep -q '^\[==========\] .* ran\.' "$log"; then
    echo "   $name ended without a summary (exit $rc); see $log"
    f=$(( ${f:-0} + 1 ))
  elif [ "$rc" -ne 0 ] && [ -z "$f" ]; then
    echo "   $name exited with $rc; see $log"
    f=1
  fi
  passed=$(( passed + ${p:-0} ))
  failed=$(( failed + ${f:-0} ))
}

inside_x() {
  local programs=("$@")
  export WINEPATH="Z:${build//\//\\}"
  for exe in "${programs[@]}"; do run_program "$exe"; done
  # Wine's helpers hold the display: end them before the virtual screen goes.
  run_quiet wineserver -k
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}

if [ "${1:-}" = "--inside-x" ]; then
  shift
  mkdir -p "$logs"
  inside_x "$@"
  exit $?
fi

programs=()
if [ $# -gt 0 ]; then
  for name in "$@"; do programs+=("$tests_dir/${name%.exe}.exe"); done
else
  shopt -s nullglob
  programs=("$tests_dir"/*_test.exe)
fi
if [ ${#programs[@]} -eq 0 ] || [ ! -f "$build/kxcard.dll" ]; then
  echo "wine-tests: no test programs or no kxcard.dll in $build (build the win64 preset first)" >&2
  echo "0 passed, 1 failed"
  exit 1
fi
for exe in "${programs[@]}"; do
  [ -f "$exe" ] || { echo "wine-tests: $exe not found" >&2; echo "0 passed, 1 failed"; exit 1; }
done

mkdir -p "$logs"
: >"$logs/wine-setup.log"
prepare_prefix
exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside-x "${programs[@]}"
