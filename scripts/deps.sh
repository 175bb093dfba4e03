#!/usr/bin/env bash
# Installs with apt-get whatever the build and the tests need and this machine lacks.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for pkg in cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev \
           libcli11-dev libpng-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 \
           wine wine64 xvfb xauth binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 python3; do
  have_pkg "$pkg" || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
fi
