#!/usr/bin/env bash
# Installs with apt-get whatever the build and the tests need and this machine lacks.
# `deps.sh linux` asks only for what the Linux tool's build needs; no argument, for everything.
set -euo pipefail

linux=(cmake ninja-build g++ libgtest-dev libbenchmark-dev libcli11-dev libpng-dev python3)
# g++-multilib and qemu-user: the 32-bit build of the core and a way to run it on a kernel
# without 32-bit support. llvm-14 and lld-14: kxcard.lib for MSVC hosts (llvm-dlltool), and
# the tools and linker that check it. user-mode-linux, kmod and dosfstools: a real FAT16 card
# (tests/fat).
everything=("${linux[@]}" g++-multilib qemu-user clang libclang-rt-14-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64
            binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine wine64 xvfb xauth help2man
            llvm-14 lld-14 user-mode-linux kmod dosfstools locales)
if [ "${1:-}" = linux ]; then wanted=("${linux[@]}"); else wanted=("${everything[@]}"); fi

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for pkg in "${wanted[@]}"; do
  have_pkg "$pkg" || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
fi

# The Windows programs run under Japanese users' code page 932 and Western 1252, which Wine takes
# from these Unix locales; one that is not made falls back to 1252 without a word.
if [ "${1:-}" != linux ]; then
  for locale in ja_JP en_US; do
    locale -a 2>/dev/null | grep -qix "$locale.utf8" || localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
  done
fi
