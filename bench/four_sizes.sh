#!/usr/bin/env bash
# The second end-to-end bench: 100 designs of 1 000, 5 000, 20 000 and 65 000 records in turn
# (5.1 MiB), 11 rounds by default; the rest as end_to_end.sh (the card's layout made first, a
# `sync` before every run, kxcard and cp + sync -f taking turns to go first).
#
#   bash bench/four_sizes.sh [--fat] [BUILD_DIR] [RUNS]     (defaults: build/linux, 11)
set -euo pipefail
cd "$(dirname "$0")/.."
fat=()
if [ "${1:-}" = --fat ]; then fat=(--fat); shift; fi
exec bash bench/end_to_end.sh --sizes 1000,5000,20000,65000 "${fat[@]}" "${1:-build/linux}" "${2:-11}"
