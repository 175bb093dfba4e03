#!/usr/bin/env bash
# Checks that the shipped files build to the same bytes twice: builds the win32 and linux presets'
# shipped targets again, clean, in build/win32-again and build/linux-again (other absolute paths,
# another hour), packages both pairs (scripts/package.sh) and compares kxcard.dll, kxhost.exe,
# kxcard.lib, libkxcard.dll.a, the kit's .zip and the tool's .deb byte for byte, naming each that
# differs and where. Build the win32 and linux presets first.
# Usage: scripts/check-reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."

rebuild() {  # rebuild PRESET TARGET...: the targets alone, in a fresh build/PRESET-again
  local preset=$1 dir=build/$1-again log=build/$1-again.log
  shift
  rm -rf "$dir"
  # The preset's settings; the install step (so cpack) then builds nothing beyond the targets.
  if ! { cmake --preset "$preset" -B "$dir" -DKX_WERROR=ON -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON &&
         cmake --build "$dir" -j2 --target "$@"; } >"$log" 2>&1; then
    tail -n 30 "$log" >&2; echo "check-reproducible: the second build of $preset failed" >&2; exit 1
  fi
}

for preset in win32 linux; do
  [ -f "build/$preset/CMakeCache.txt" ] || { echo "check-reproducible: build the $preset preset first" >&2; exit 1; }
done
rebuild win32 kxcard kxhost kxcard_msvc_import_lib
rebuild linux kxcard
for pair in "build/linux build/win32" "build/linux-again build/win32-again"; do
  # shellcheck disable=SC2086
  bash scripts/package.sh $pair >/dev/null
done

differ=0
compare() {  # compare PRESET FILE: FILE (a pattern) of build/PRESET against build/PRESET-again's
  local first second
  first=$(echo build/"$1"/$2) second=$(echo build/"$1"-again/$2)
  if cmp -s "$first" "$second"; then
    echo "same:   $first"
  else
    echo "DIFFER: $first $second ($(cmp -l "$first" "$second" 2>/dev/null | wc -l) bytes differ, the first at $(cmp "$first" "$second" 2>&1 | sed -nE 's/.*byte ([0-9]+).*/\1/p'))"
    differ=$((differ + 1))
  fi
}
for file in kxcard.dll kxhost.exe lib/kxcard.lib lib/libkxcard.dll.a 'packages/kxcard-kit-*.zip'; do
  compare win32 "$file"
done
compare linux 'packages/kxcard_*.deb'

if [ "$differ" -ne 0 ]; then
  echo "check-reproducible: $differ of 6 files differ between two builds of one commit" >&2
  exit 1
fi
echo "check-reproducible: the 6 shipped files are the same bytes in both builds"
