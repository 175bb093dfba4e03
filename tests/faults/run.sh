#!/usr/bin/env bash
# Injects the faults of faults.txt one at a time into a scratch copy of the tree, rebuilds only
# the suites that must catch each one in the copy's own build folder, runs them and records
# "caught", "NOT caught" or "no build". The working tree is never touched.
#
# Usage: tests/faults/run.sh [--check] [NAME ...]
#   NAME     a fault's name or a shell pattern over names (default: every native fault;
#            wine and fat faults run only when named, e.g. 'entry-*')
#   --check  only check that every fault's snippet occurs exactly once in its file
# Environment: KX_FAULT_DIR (scratch folder, default build/faults), KX_FAULT_JOBS (default 1).
# Run it under `nice -n 19`: the first run builds the copy whole, later runs only what changed.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=${KX_FAULT_DIR:-$root/build/faults}
copy=$scratch/src
logs=$scratch/logs
jobs=${KX_FAULT_JOBS:-1}

check_only=false
patterns=()
for arg in "$@"; do
  if [ "$arg" = "--check" ]; then check_only=true; else patterns+=("$arg"); fi
done

# ---- the fault list: "key value" lines, a blank line ends a fault
names=() files=() finds=() puts=() bys=()
add_fault() {
  [ -n "${f_name:-}" ] || return 0
  names+=("$f_name") files+=("$f_file") finds+=("$f_find") puts+=("${f_put-}") bys+=("$f_by")
  unset f_name f_file f_find f_put f_by
}
while IFS= read -r line || [ -n "$line" ]; do
  case $line in '#'*) continue ;; esac
  if [ -z "${line//[[:space:]]/}" ]; then add_fault; continue; fi
  key=${line%%[[:space:]]*}
  value=${line#"$key"}
  value=${value#"${value%%[![:space:]]*}"}
  case $key in
    fault) f_name=$value ;; file) f_file=$value ;; find) f_find=$value ;;
    put) f_put=$value ;; by) f_by=$value ;;
    *) echo "faults.txt: unknown key '$key'" >&2; exit 2 ;;
  esac
done <"$root/tests/faults/faults.txt"
add_fault

selected() {  # selected INDEX
  local name=${names[$1]} p
  if [ ${#patterns[@]} -eq 0 ]; then
    # Unnamed, a fault runs by its native suites only (the FAT tests take minutes a fault).
    bys[$1]=$(tr ' ' '\n' <<<"${bys[$1]}" | grep -v '^fat:' | tr '\n' ' ')
    [[ ${bys[$1]} != *wine*:* && -n ${bys[$1]// /} ]]
    return
  fi
  for p in "${patterns[@]}"; do [[ $name == $p ]] && return 0; done
  return 1
}

# Prints the file with the fault's snippet replaced; fails unless it occurs exactly once.
mutated() {  # mutated INDEX
  local content rest find=${finds[$1]}
  content=$(cat "$root/${files[$1]}" 2>/dev/null; printf x) || return 1
  content=${content%x}
  rest=${content#*"$find"}
  [ "$rest" != "$content" ] && [ "${rest#*"$find"}" = "$rest" ] || return 1
  printf '%s' "${content%%"$find"*}${puts[$1]}$rest"
}

todo=() bad=0
for i in "${!names[@]}"; do
  selected "$i" || continue
  if mutated "$i" >/dev/null; then todo+=("$i"); else echo "bad fault   ${names[$i]}: snippet not once in ${files[$i]}"; bad=$((bad + 1)); fi
done
if $check_only; then echo "${#todo[@]} faults apply, $bad do not"; [ $bad -eq 0 ]; exit; fi
[ ${#todo[@]} -gt 0 ] || { echo "no fault selected"; exit 2; }

# ---- the scratch copy: the tree's files (tracked and new), each rewritten only when it differs,
# so that the build folder rebuilds only what changed
sync_copy() {
  mkdir -p "$copy"
  (cd "$root" && git ls-files -co --exclude-standard) | while IFS= read -r f; do
    [ -f "$root/$f" ] || continue
    cmp -s "$root/$f" "$copy/$f" || { mkdir -p "$copy/$(dirname "$f")"; cp "$root/$f" "$copy/$f"; }
  done
  # Files gone from the tree go from the copy too (the build globs its folders).
  comm -13 <(cd "$root" && git ls-files -co --exclude-standard | sort) <(cd "$copy" && find . -type f | sed 's|^\./||' | sort) |
    while IFS= read -r f; do rm -f "$copy/$f"; done
}

# A suite is a native folder suite (design, card, ...), "cli", "wine:<program>", or
# "wine-debug:<program>" (the program of a Debug build, its asserts on), "fat:<script>"
# (tests/fat/<script>.py on the built tool: the FAT card suite, the power cuts).
build_dir() {
  case $1 in wine:*) echo "$scratch/win64" ;; wine-debug:*) echo "$scratch/win64-debug" ;; *) echo "$scratch/linux" ;; esac
}
target() {
  case $1 in wine*:*) echo "${1#*:}" ;; fat:*) echo "kxcard kx_make_designs" ;; *) echo "kx_test_$1" ;; esac
}

configure() {  # configure BUILD_DIR
  [ -f "$1/build.ninja" ] && return 0
  local args=(-DCMAKE_BUILD_TYPE=Release -DKX_BENCH=OFF)
  [[ $1 == */win64* ]] && args+=(-DCMAKE_TOOLCHAIN_FILE="$copy/cmake/mingw-x86_64.cmake")
  [[ $1 == */win64-debug ]] && args+=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g -D_GLIBCXX_ASSERTIONS")
  cmake -S "$copy" -B "$1" -G Ninja "${args[@]}" >"$logs/configure-$(basename "$1").log" 2>&1
}

build_suites() {  # build_suites LOG SUITE... : each suite's program, in its build folder
  local log=$1 s
  shift
  for s in "$@"; do
    # The FAT tests make their designs with the benchmarks' design maker.
    [[ $s == fat:* ]] && { cmake -DKX_BENCH=ON "$(build_dir "$s")" >>"$log" 2>&1 || return 1; }
    cmake --build "$(build_dir "$s")" -j"$jobs" --target $(target "$s") >>"$log" 2>&1 || return 1
  done
}

run_suite() {  # run_suite LOG SUITE : true when the suite passes
  local log=$1 s=$2 exe
  if [[ $s == wine*:* ]]; then
    KX_WIN_BUILD=$(build_dir "$s") bash "$root/scripts/wine-tests.sh" "${s#*:}" >>"$log" 2>&1
    return
  fi
  if [[ $s == fat:* ]]; then
    (cd "$copy" && timeout --kill-after=10 1200 python3 "tests/fat/${s#fat:}.py" "$scratch/linux") >>"$log" 2>&1
    return
  fi
  exe=$scratch/linux/tests/kx_test_$s
  [ "$s" = cli ] && exe=$scratch/linux/tests/cli/kx_test_cli
  (cd "$(dirname "$exe")" && timeout --kill-after=10 300 "$exe" --gtest_brief=1) >>"$log" 2>&1
}

restore() { [ -n "${current:-}" ] && cp "$root/$current" "$copy/$current"; current=; }
trap restore EXIT
trap 'exit 130' INT TERM

mkdir -p "$logs"
sync_copy
all_suites=$(for i in "${todo[@]}"; do tr ' ' '\n' <<<"${bys[$i]}"; done | sort -u)
for dir in $(for s in $all_suites; do build_dir "$s"; done | sort -u); do
  configure "$dir" || { echo "cannot configure $dir; see $logs"; exit 2; }
done

# The unchanged tree must pass every suite used, or no verdict means anything.
echo "== baseline: $(echo $all_suites)"
: >"$logs/baseline.log"
build_suites "$logs/baseline.log" $all_suites || { echo "the unchanged copy does not build; see $logs/baseline.log"; exit 2; }
for s in $all_suites; do
  run_suite "$logs/baseline.log" "$s" || { echo "suite $s fails on the unchanged copy; see $logs/baseline.log"; exit 2; }
done

caught=0 missed=0 broken=0 missed_names=()
for i in "${todo[@]}"; do
  name=${names[$i]} log=$logs/${names[$i]}.log
  : >"$log"
  current=${files[$i]}
  mutated "$i" >"$copy/$current.fault" && mv "$copy/$current.fault" "$copy/$current"
  by=()
  if build_suites "$log" ${bys[$i]}; then
    for s in ${bys[$i]}; do run_suite "$log" "$s" || by+=("$s"); done
    if [ ${#by[@]} -gt 0 ]; then
      caught=$((caught + 1)); echo "caught      $name (by ${by[*]})"
    else
      missed=$((missed + 1)); missed_names+=("$name"); echo "NOT caught  $name (${bys[$i]})"
    fi
  else
    broken=$((broken + 1)); echo "no build    $name; see $log"
  fi
  restore
done

[ ${#missed_names[@]} -eq 0 ] || echo "not caught: ${missed_names[*]}"
[ $broken -eq 0 ] || echo "$broken faults did not build (fix their snippets)"
echo "$caught caught, $missed not caught"
[ $missed -eq 0 ] && [ $broken -eq 0 ] && [ $bad -eq 0 ]
