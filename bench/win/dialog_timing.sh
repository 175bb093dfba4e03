#!/usr/bin/env bash
# Runs kx_dialog_timing under Wine in the test rig's prefix (made by scripts/wine-tests.sh) on a
# fresh card folder as E:. Usage: bench/win/dialog_timing.sh [DESIGNS] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KX_WIN_BUILD:-$root/build/win64}
export WINEPREFIX=${KX_WINEPREFIX:-$root/build/wineprefix} WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d" WINEPATH="Z:${build//\//\\}"
[ -f "$WINEPREFIX/system.reg" ] || { echo "run scripts/wine-tests.sh once first (it makes the prefix)" >&2; exit 1; }
card=$(mktemp -d "${TMPDIR:-/tmp}/kx-card-XXXXXX")
trap 'rm -rf "$card"' EXIT
ln -sfn "$card" "$WINEPREFIX/dosdevices/e:"
out=$(mktemp)
KX_CARD_DRIVE=E xvfb-run -a -s "-screen 0 1024x768x24" \
  sh -c 'wine "$0" "$@" >"'"$out"'" 2>&1; wineserver -k' "$build/bench/kx_dialog_timing.exe" "${1:-10000}" "${2:-5}" || true
grep -E "^(designs|fill)" "$out"
rm -f "$out"
