#!/usr/bin/env bash
# Makes the packages from the built linux and win32 presets with cpack: the .deb of the tool and
# the .zip of the host developer's kit, and checks that each holds what its users look for.
# Builds nothing: build both presets first. Packages land in build/linux/packages and
# build/win32/packages (or the packages folders of the two build folders given).
# Usage: scripts/package.sh [linux build folder] [win32 build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
linux=${1:-build/linux}
win32=${2:-build/win32}

failures=0
check() {  # check PACKAGE LISTING ENTRY...
  local package=$1 listing=$2 entry
  shift 2
  for entry in "$@"; do
    grep -qE "$entry\$" <<<"$listing" || { echo "package: $package lacks $entry" >&2; failures=$((failures + 1)); }
  done
}

for dir in "$linux" "$win32"; do
  [ -f "$dir/CPackConfig.cmake" ] || { echo "package: build $dir first" >&2; exit 1; }
  rm -rf "$dir/packages"
  (cd "$dir" && cpack >cpack.log 2>&1) || { tail -n 20 "$dir/cpack.log" >&2; exit 1; }
done

deb=$(ls "$linux"/packages/*.deb)
check "$deb" "$(dpkg-deb -c "$deb")" ./usr/bin/kxcard ./usr/share/man/man1/kxcard.1
zip=$(ls "$win32"/packages/*.zip)
check "$zip" "$(python3 -m zipfile -l "$zip" | awk '{ print $1 }')" /bin/kxcard.dll /bin/kxhost.exe \
  /include/kxcard.h /lib/libkxcard.dll.a /lib/kxcard.lib /lib/kxcard.def /examples/kxhost/kxhost.c \
  /examples/kxhost/kxhost.rc /examples/kxhost/kxhost.manifest

[ "$failures" -eq 0 ] || exit 1
echo "package: $deb $zip"
