#!/usr/bin/env bash
# End-to-end timing: `kxcard write` and `kxcard read` of 100 generated designs beside cp of the
# same bytes followed by `sync -f`, runs alternating, the median ratios printed last.
#
#   bash bench/end_to_end.sh [--sizes RECORDS,...] [--fat] [BUILD_DIR] [RUNS]   (defaults: build/linux, 7)
#
# The designs have 1 000 to 65 535 records, evenly spread; with --sizes, the listed counts in turn.
#
# Everything happens in a new folder under BUILD_DIR, so the card folders, the PC folders, the
# cp targets and the conversion's temporary folder share one file system. With --fat that
# folder is on a FAT16 card image mounted by the kernel's own driver (tests/fat/fatcard.py boots
# user-mode Linux over it), and the whole comparison runs there.
set -euo pipefail
cd "$(dirname "$0")/.."

sizes=
if [ "${1:-}" = --sizes ]; then
  sizes=$2
  shift 2
fi
if [ "${1:-}" = --fat ]; then
  shift
  build=$(realpath "${1:-build/linux}")
  exec python3 tests/fat/fatcard.py --size 384 -- \
    "E2E_DIR=\$CARD bash $PWD/bench/end_to_end.sh ${sizes:+--sizes $sizes} $build ${2:-7} 2>&1"
fi
build=${1:-build/linux}
runs=${2:-7}
kxcard=$build/kxcard
maker=$build/kx_make_designs
for tool in "$kxcard" "$maker"; do
  [ -x "$tool" ] || { echo "missing $tool: cmake --build --preset linux" >&2; exit 1; }
done

work=$(mktemp -d "${E2E_DIR:-$build}/e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
designs=$work/designs thumbs=$work/thumbnails
mkdir -p "$designs" "$thumbs" "$work/tmp"
"$maker" 100 "$designs" "$thumbs" $sizes
export TMPDIR=$work/tmp
names=()
for f in "$designs"/*.kxd; do names+=("$(basename "$f")"); done

# Each round has folders of its own, made beforehand: nothing is deleted between runs, so no run
# pays for an earlier one's deletions (ext4 passes over recently freed inodes when it makes a
# file) and every write goes into an empty card folder.
prepare_round() {  # prepare_round N: a card with its layout made, empty PC-side folders
  local round=$work/round$1
  mkdir -p "$round/card" "$round/cp-write" "$round/pc-read" "$round/cp-read"
  "$kxcard" --card "$round/card" --yes check >/dev/null 2>&1 || true
  [ -d "$round/card/EmbF5" ] || { echo "no card layout made in $round/card" >&2; exit 1; }
}

kx_write() { "$kxcard" --card "$work/round$1/card" --yes write EmbF5 "$designs"/*.kxd; }
cp_write() {
  cp "$designs"/*.kxd "$thumbs"/*.kxt "$work/round$1/cp-write/" && sync -f "$work/round$1/cp-write"
}
# Reads take the designs the first round wrote.
kx_read() { "$kxcard" --card "$work/round1/card" read EmbF5 "${names[@]}" --to "$work/round$1/pc-read"; }
cp_read() { cp "$work/round1/card/EmbF5/"*.kxd "$work/round$1/cp-read/" && sync -f "$work/round$1/cp-read"; }

# micros FUNCTION ROUND: runs it once and prints its wall time in microseconds.
micros() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# compare NAME KX_FUNCTION CP_FUNCTION: RUNS rounds, the first mover alternating, each run after
# a sync so that none pays for another's writes; prints each round and leaves the median of the
# rounds' ratios in $ratio.
compare() {
  local name=$1 kx_run=$2 cp_run=$3 i kx cp ratios=() kxs=() cps=()
  echo "== $name: $runs rounds (microseconds)"
  for ((i = 1; i <= runs; i++)); do
    if ((i % 2)); then
      sync; kx=$(micros "$kx_run" "$i"); sync; cp=$(micros "$cp_run" "$i")
    else
      sync; cp=$(micros "$cp_run" "$i"); sync; kx=$(micros "$kx_run" "$i")
    fi
    kxs+=("$kx"); cps+=("$cp")
    ratios+=("$(awk -v a="$kx" -v b="$cp" 'BEGIN { printf "%.3f", a / b }')")
    printf '  round %d: kxcard %8d  cp+sync %8d  ratio %s\n' "$i" "$kx" "$cp" "${ratios[-1]}"
  done
  printf '  median: kxcard %d  cp+sync %d\n' "$(printf '%s\n' "${kxs[@]}" | median)" \
    "$(printf '%s\n' "${cps[@]}" | median)"
  ratio=$(printf '%s\n' "${ratios[@]}" | median)
}

echo "100 designs of ${sizes:-1000 to 65535} records: $(du -sk "$designs" | cut -f1) KiB," \
  "thumbnails $(du -sk "$thumbs" | cut -f1) KiB; in $work"
for ((i = 1; i <= runs; i++)); do prepare_round "$i"; done
compare write kx_write cp_write
write_ratio=$ratio
compare read kx_read cp_read
read_ratio=$ratio
# The whole `kxcard list` of the folder the first round filled, process start included.
kx_list() { "$kxcard" --card "$work/round1/card" list EmbF5; }
lists=()
for ((i = 1; i <= runs; i++)); do lists+=("$(micros kx_list)"); done
echo "write: median ratio kxcard / (cp + sync -f) = $write_ratio (target <= 1.3)"
echo "read: median ratio kxcard / (cp + sync -f) = $read_ratio (target <= 1.1)"
echo "list of 100 designs: median $(printf '%s\n' "${lists[@]}" | median) microseconds"
