#!/usr/bin/env bash
# Runs kx_dialog_timing under Wine in the test rig's prefix (made by scripts/wine-tests.sh) on a
# fresh card folder as E:, on a screen large enough for the dialog and the plain list beside it.
# Usage: bench/win/dialog_timing.sh [SIZES] [RUNS] [PARTS]   (defaults 1000,2000,10000,50000, 3,
#        pc,card,files). One run at a time: runs share the PC folders.
# KX_WIN_BUILD=build/win32 times the 32-bit DLL with the 32-bit Wine of scripts/wine32.sh;
# KX_WINEPREFIX names another prefix; KX_TIMING_LOG=FILE keeps the program's whole output there.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KX_WIN_BUILD:-$root/build/win64}
case $build in /*) ;; *) build=$root/$build ;; esac
run=()
if grep -q "i686" "$build/CMakeCache.txt" 2>/dev/null; then
  [ -x "$root/scripts/wine32.sh" ] || [ -f "$root/scripts/wine32.sh" ] ||
    { echo "a 32-bit build needs the 32-bit Wine of scripts/wine32.sh, which this checkout lacks" >&2; exit 1; }
  run=(bash "$root/scripts/wine32.sh")
  export WINEARCH=win32 WINEPREFIX=${KX_WINEPREFIX:-$root/build/wineprefix32}
else
  export WINEARCH=win64 WINEPREFIX=${KX_WINEPREFIX:-$root/build/wineprefix}
fi
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree=d;mshtml=d" WINEPATH="Z:${build//\//\\}"
[ -f "$WINEPREFIX/system.reg" ] || { echo "run scripts/wine-tests.sh once first (it makes the prefix $WINEPREFIX)" >&2; exit 1; }
# The card and the PC folders live in memory where there is a tmpfs: the figures are then the
# code's and Wine's, not the disk's. The PC folders (drive P:) are kept for the next run.
memory=/dev/shm
[ -d "$memory" ] && [ -w "$memory" ] || memory=${TMPDIR:-/tmp}
card=$(mktemp -d "$memory/kx-card-XXXXXX")
pc=$memory/kx-timing-pc
mkdir -p "$pc"
out=${KX_TIMING_LOG:-$(mktemp "${TMPDIR:-/tmp}/kx-timing-XXXXXX")}
trap 'rm -rf "$card"; [ -n "${KX_TIMING_LOG:-}" ] || rm -f "$out"' EXIT
ln -sfn "$card" "$WINEPREFIX/dosdevices/e:"
ln -sfn "$pc" "$WINEPREFIX/dosdevices/p:"
# Wine's output goes to a file: its helpers keep inherited pipes open.
KX_CARD_DRIVE=E KX_PC_DRIVE=P "${run[@]}" xvfb-run -a -s "-screen 0 1600x1200x24" \
  sh -c 'wine "$0" "$@" >"'"$out"'" 2>&1; wineserver -k' "$build/bench/kx_dialog_timing.exe" \
  "${1:-1000,2000,10000,50000}" "${2:-3}" "${3:-pc,card,files}" || true
grep -v -e '^\[' -e '^$' -e 'fixme' -e '^err:' "$out" || true
