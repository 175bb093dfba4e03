#!/usr/bin/env bash
# Runs the Windows test programs of a build (build/win64 unless told) under Wine, in a private
# prefix, on a 24-bit virtual screen, with a temporary folder as removable drive E: and a
# removable F: without media (a program may make the missing folder behind F:,
# KX_NO_MEDIA_FOLDER, and must remove it), all under one Wine server. A 32-bit build's programs
# (build/win32, the product's width) run in the 32-bit Wine of scripts/wine32.sh, made on first use.
# Builds nothing: build the preset first. Ends with "N passed, N failed"; exit 1 on any failure.
#
# Usage: scripts/wine-tests.sh [program ...]   (default: every tests/win/*_test.exe of the build)
# Environment: KX_WIN_BUILD (build folder: build/win64, build/win64-debug, build/win32),
#              KX_DPI (every program at this screen dpi instead of its own list),
#              KX_WINEPREFIX (prefix, default build/wineprefix, or build/wineprefix32 for 32-bit;
#              another prefix's logs go to wine-logs/<its name>/ of the build),
#              KX_WIN_TIMEOUT (seconds per program, default 300, or 900 for 32-bit).
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KX_WIN_BUILD:-$root/build/win64}
[ -d "$build" ] && build=$(cd "$build" && pwd)  # Wine's Z: paths and the chroot need it absolute
tests_dir=$build/tests/win
# Each prefix's runs log apart: two runs of one build side by side (two prefixes) never write
# one file, which made a program that was still running look as if it had died.
logs=$build/wine-logs${KX_WINEPREFIX:+/$(basename "$KX_WINEPREFIX")}
card_letter=e
no_media_letter=f

# The machine field of a PE file's header: 014c for 32-bit x86, 8664 for x86-64.
pe_machine() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$header" ] && od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' '
}
if [ "${KX_WINEARCH:-}" = win32 ] || { [ -z "${KX_WINEARCH:-}" ] && [ "$(pe_machine "$build/kxcard.dll")" = 014c ]; }; then
  export KX_WINEARCH=win32 WINEARCH=win32
  export WINEPREFIX=${KX_WINEPREFIX:-$root/build/wineprefix32}
  timeout_s=${KX_WIN_TIMEOUT:-900}
else
  export KX_WINEARCH=win64 WINEARCH=win64
  export WINEPREFIX=${KX_WINEPREFIX:-$root/build/wineprefix}
  timeout_s=${KX_WIN_TIMEOUT:-300}
fi
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

# The code pages a program runs under, as "Unix locale:ANSI code page" (Wine takes the code
# page from the locale): the names' program runs under Japanese users' 932 and Western 1252,
# every other program once, in the caller's locale.
code_pages_of() {
  case $1 in
    code_page_test) echo "ja_JP.UTF-8:932 en_US.UTF-8:1252" ;;
    *) echo "-" ;;
  esac
}

# The screen dpis a program runs at: the geometry programs (classic and version 6 common
# controls) at 100, 150 and 200 %, every other program at 96 dpi only, or all at KX_DPI when set.
dpis_of() {
  if [ -n "${KX_DPI:-}" ]; then echo "$KX_DPI"; return; fi
  case $1 in
    dialog_geometry_test|dialog_geometry_v6_test) echo "96 144 192" ;;
    *) echo 96 ;;
  esac
}

# The prefix's dpi (HKCU\Control Panel\Desktop LogPixels), taken by a restarted server.
current_dpi=
set_dpi() {
  [ "$1" = "$current_dpi" ] && return
  run_quiet wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f
  run_quiet wineserver -k
  run_quiet wineserver -w
  run_quiet wineserver -p
  current_dpi=$1
}

# One program on a fresh card folder, once per code page and dpi it runs under; its output goes
# to a file (Wine's helpers keep pipes open).
run_program() {
  local exe=$1 name run log card code_page dpi
  name=$(basename "$exe" .exe)
  for code_page in $(code_pages_of "$name"); do
  for dpi in $(dpis_of "$name"); do
    set_dpi "$dpi"
    run=$name
    local env=(KX_EXPECT_DPI="$dpi")
    if [ "$code_page" != - ]; then
      run=$name-${code_page#*:}
      env+=(LC_ALL="${code_page%%:*}" KX_EXPECT_ACP="${code_page#*:}")
    fi
    [ "$dpi" = 96 ] || run=$run-$dpi
    log=$logs/$run.log
    card=$(mktemp -d "${TMPDIR:-/tmp}/kx-card-XXXXXX")
    ln -sfn "$card" "$WINEPREFIX/dosdevices/$card_letter:"
    env "${env[@]}" KX_CARD_DRIVE=${card_letter^^} KX_NO_MEDIA_DRIVE=${no_media_letter^^} \
      KX_NO_MEDIA_FOLDER="Z:$(tr / '\\' <<<"$WINEPREFIX/no-media-behind-$no_media_letter")" \
      timeout --kill-after=10 "$timeout_s" wine "$exe" --gtest_color=no >"$log" 2>&1
    local rc=$?
    rm -rf "$card"
    report "$run" "$log" "$rc"
  done
  done
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
  # What failed, from each failure to the next test line: CI keeps only this output, and a
  # failure seen once must be readable without the log.
  awk '/: Failure$|: error: / { on = 1 } /^\[ / { on = 0 } on' "$log" | head -60 | sed 's/^/   | /'
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
  prepare_prefix
  # One server for every program: each then starts in a few seconds, also under emulation.
  run_quiet wineserver -p
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
  echo "wine-tests: no test programs or no kxcard.dll in $build (build its preset first)" >&2
  echo "0 passed, 1 failed"
  exit 1
fi
for exe in "${programs[@]}"; do
  [ -f "$exe" ] || { echo "wine-tests: $exe not found" >&2; echo "0 passed, 1 failed"; exit 1; }
done

mkdir -p "$logs"
: >"$logs/wine-setup.log"
# Big enough for a dialog at 200 %: a window off the screen would be captured black.
screen=(-a -s "-screen 0 2560x1600x24")
inside=(bash "$root/scripts/wine-tests.sh" --inside-x "${programs[@]}")
if [ "$KX_WINEARCH" = win32 ]; then
  # The 32-bit side runs in the chroot as a whole, so Wine's helpers share its mounts; the
  # host's X server serves it, or the chroot's where the host has none.
  bash "$root/scripts/wine32.sh" --setup || { echo "0 passed, 1 failed"; exit 1; }
  if command -v xvfb-run >/dev/null; then
    exec xvfb-run "${screen[@]}" "$root/scripts/wine32.sh" "${inside[@]}"
  fi
  exec "$root/scripts/wine32.sh" xvfb-run "${screen[@]}" "${inside[@]}"
fi
exec xvfb-run "${screen[@]}" "${inside[@]}"
