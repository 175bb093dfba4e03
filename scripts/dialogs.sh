#!/usr/bin/env bash
# Shows the library's real dialogs under Wine: builds the win64 preset and the Linux tool, makes
# the demo's card folder and sample designs, maps the card folder as removable drive E: of a
# private Wine prefix and opens the main dialog through kxhost on the sample designs.
#
# Usage: scripts/dialogs.sh [--win32] [--direct-write | --direct-files] [--screenshots DIR [--dpi N]]
#   --win32             the product's own 32-bit DLL (win32 preset) in the 32-bit Wine of
#                       scripts/wine32.sh, instead of the 64-bit one
#   --direct-write      open the write dialog on one sample design held in memory instead
#   --direct-files      open the write dialog on a list file naming every sample design instead
#   --screenshots DIR   run the dialog scenarios of tests/win under Xvfb instead, on the sample
#                       designs, and save a PNG of each window they picture in DIR (docs/screens)
#   --dpi N             the screenshots at N dpi (144 is 150 %), named NAME-PERCENT.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

mode=connect
shots=
dpi=96
preset=win64
while [ $# -gt 0 ]; do
  case $1 in
    --win32) preset=win32 ;;
    --direct-write) mode=write ;;
    --direct-files) mode=files ;;
    --screenshots) [ $# -ge 2 ] || { echo "dialogs.sh: --screenshots needs a folder" >&2; exit 64; }
                   shots=$2; shift ;;
    --dpi) [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || { echo "dialogs.sh: --dpi needs a number of dots per inch" >&2; exit 64; }
           dpi=$2; shift ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "dialogs.sh: unknown option $1 (see --help)" >&2; exit 64 ;;
  esac
  shift
done

if [ -z "$shots" ] && [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<'EOF'
dialogs.sh: no display to show the dialogs on (DISPLAY is not set).
Run it from a desktop session, or over ssh with X forwarding (ssh -X), or save pictures
of the dialogs instead:  scripts/dialogs.sh --screenshots DIR
EOF
  exit 1
fi

work=$root/build/dialogs
mkdir -p "$work"
log=$work/dialogs.log
: >"$log"
quiet() { "$@" >>"$log" 2>&1 || { echo "dialogs.sh: '$*' failed; see $log" >&2; tail -n 20 "$log" >&2; exit 1; }; }

windows_path() { local p=${1//\//\\}; echo "Z:$p"; }
bash scripts/deps.sh
quiet cmake --preset $preset
prefix_suffix=
if [ $preset = win32 ]; then
  # Wine's 32-bit side lives in a chroot: every wine and wineserver call goes through it.
  wine() { "$root/scripts/wine32.sh" wine "$@"; }
  wineserver() { "$root/scripts/wine32.sh" wineserver "$@"; }
  export WINEARCH=win32
  prefix_suffix=32
fi

if [ -n "$shots" ]; then
  # The scenarios that walk the main dialog and the write dialog save their windows on the way.
  echo "dialogs.sh: building the dialog scenarios (log: $log)"
  quiet cmake --build --preset $preset -j2 --target kxcard kxhost main_dialog_test write_design_dialog_test
  export KX_WINEPREFIX=$work/screens-wineprefix$prefix_suffix
  if [ ! -f "$KX_WINEPREFIX/system.reg" ]; then
    echo "dialogs.sh: making the Wine prefix $KX_WINEPREFIX (first run only)"
    WINEPREFIX=$KX_WINEPREFIX WINEDEBUG=-all quiet wine wineboot -i
    WINEPREFIX=$KX_WINEPREFIX quiet wineserver -w
    # Wine's own TrueType faces (Marlett draws the caption buttons) where the prefix finds them.
    cp /usr/share/wine/fonts/*.ttf "$KX_WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  bmp=$work/bmp
  rm -rf "$bmp" && mkdir -p "$bmp" "$shots"
  echo "dialogs.sh: walking the dialogs under Xvfb"
  set +e
  KX_SCREENSHOTS=$(windows_path "$bmp") KX_WIN_BUILD=build/$preset KX_DPI=$dpi \
    bash scripts/wine-tests.sh main_dialog_test write_design_dialog_test |
    sed 's/^/  /'
  walked=${PIPESTATUS[0]}
  set -e
  for name in main-dialog main-dialog-designs write-design design-name rename-folder; do
    [ -f "$bmp/$name.bmp" ] || { echo "dialogs.sh: no picture of $name" >&2; exit 1; }
    # Pictures at another dpi than 96 say its percentage in their names.
    [ "$dpi" = 96 ] || mv "$bmp/$name.bmp" "$bmp/$name-$((dpi * 100 / 96)).bmp"
  done
  # The pictures decide: none, or a blank one, fails here; a state left out fails above.
  python3 tools/screenshots.py "$bmp" "$shots" || exit 1
  [ "$walked" -eq 0 ] || { echo "dialogs.sh: a scenario failed (see build/$preset/wine-logs)" >&2; exit 1; }
  exit 0
fi

echo "dialogs.sh: building the Linux tool and the $preset preset (log: $log)"
quiet cmake --preset linux
quiet cmake --build --preset linux -j2 --target kxcard
quiet cmake --build --preset $preset -j2 --target kxcard kxhost

# A fresh demo each run: the card as the tool leaves it after writing the samples.
rm -rf "$work/demo"
quiet build/linux/kxcard demo --dir "$work/demo"
designs=$work/demo/designs

export WINEPREFIX=$work/wineprefix$prefix_suffix WINEARCH=${WINEARCH:-win64} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
export WINEPATH
WINEPATH=$(windows_path "$root/build/$preset")
if [ $preset = win32 ]; then
  # The chroot sees the checkout and the temporary folder only: the display's cookie goes there.
  cookie=${XAUTHORITY:-$HOME/.Xauthority}
  if [ -f "$cookie" ]; then cp "$cookie" "$work/Xauthority"; export XAUTHORITY=$work/Xauthority; fi
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "dialogs.sh: making the Wine prefix $WINEPREFIX (first run only)"
  quiet wine wineboot -i
  # Wine's own TrueType faces (Marlett draws the caption buttons) where the prefix finds them.
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  quiet wine reg add 'HKLM\Software\Wine\Drives' /v e: /t REG_SZ /d floppy /f
  # The mount manager reads the drive types when it starts (a 32-bit call's server ends with it).
  [ $preset = win32 ] || quiet wineserver -k
fi
ln -sfn "$work/demo/card" "$WINEPREFIX/dosdevices/e:"

# On the user's display the window manager manages Wine's windows as usual.
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >>"$log" 2>&1 || true
kxhost=$root/build/$preset/kxhost.exe
first_design=$(ls "$designs"/*.kxd | head -n 1)
case $mode in
  connect) args=(connect "$(windows_path "$designs/")") ;;
  write) args=(write "$(windows_path "$first_design")") ;;
  files)
    list_args=()
    for f in "$designs"/*.kxd; do list_args+=("$(windows_path "$f")"); done
    wine "$kxhost" makelist "${list_args[@]}" -o "$(windows_path "$work/designs.lst")" 2>>"$log"
    args=(files "$(windows_path "$work/designs.lst")") ;;
esac
echo "dialogs.sh: kxhost ${args[*]}   (the card is drive E:, $work/demo/card)"
[ $preset = win32 ] && exec "$root/scripts/wine32.sh" wine "$kxhost" "${args[@]}"
exec wine "$kxhost" "${args[@]}"
