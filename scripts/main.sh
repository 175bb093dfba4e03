#!/usr/bin/env bash
# The main job: builds the Linux tool and runs its demo, which makes a card folder and sample
# designs, writes them to the card and renders thumbnails and previews beside them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh linux
mkdir -p build
cmake --preset linux >build/main-configure.log 2>&1 || { cat build/main-configure.log; exit 1; }
cmake --build --preset linux -j2 --target kxcard >build/main-build.log 2>&1 || { tail -n 40 build/main-build.log; exit 1; }
exec build/linux/kxcard demo "$@"
