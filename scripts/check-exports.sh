#!/usr/bin/env bash
# Checks the export table of the 32-bit DLL: exactly the three undecorated names, each a
# function that returns with a plain `ret` (the caller removes the arguments). And what it takes
# from outside: it imports system DLLs only (its runtime linked in), and holds none of the
# runtime's machinery that a load would leave behind at unload (winpthreads' thread records and
# mutexes, libgcc's emulated TLS, libstdc++'s static-init guards; src/entry/README.md).
# Usage: scripts/check-exports.sh [path/to/kxcard.dll]   (default build/win32/kxcard.dll)
set -euo pipefail

cd "$(dirname "$0")/.."
dll=${1:-build/win32/kxcard.dll}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
expected=(ConnectCardDlg DirectFilesWrite DirectWriteCard)

if [ ! -f "$dll" ]; then
  echo "check-exports: $dll not found (build the win32 preset first)" >&2
  exit 1
fi

headers=$("$objdump" -p "$dll")
image_base=$(awk '$1 == "ImageBase" { print $2; exit }' <<<"$headers")
# "[   0] Name" under the name pointer table: index into the address table, and the name.
names=$(awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { on = 0 }
             on { gsub(/[][]/, " "); print $1, $2 }' <<<"$headers")
# "[   0] +base[   1] 1540 Export RVA": index and RVA.
rvas=$(awk '/^Export Address Table -- / { on = 1; next } on && NF == 0 { on = 0 }
            on { gsub(/[][]/, " "); print $1, $4 }' <<<"$headers")

failures=0
fail() { echo "check-exports: $*" >&2; failures=$((failures + 1)); }

actual=$(awk '{ print $2 }' <<<"$names" | sort | tr '\n' ' ')
wanted=$(printf '%s\n' "${expected[@]}" | sort | tr '\n' ' ')
[ "$actual" = "$wanted" ] || fail "exported names are '$actual', expected '$wanted'"

# The disassembly of one export up to the next function, or up to its first return when the
# file carries no symbols.
function_body() {
  local start=$1 listing
  listing=$("$objdump" -d --no-show-raw-insn --start-address="$start" --stop-address=$((start + 0x4000)) "$dll")
  awk '/^[0-9a-f]+ <.*>:$/ { if (started++) exit; named = ($0 !~ /\+0x/); next }
       /:\t/ { print; if (!named && $2 ~ /^ret/) exit }' <<<"$listing"
}

for name in "${expected[@]}"; do
  index=$(awk -v n="$name" '$2 == n { print $1 }' <<<"$names")
  [ -n "$index" ] || continue
  rva=$(awk -v i="$index" '$1 == i { print $2 }' <<<"$rvas")
  [ -n "$rva" ] || { fail "$name has no address"; continue; }
  body=$(function_body $((0x$image_base + 0x$rva)))
  rets=$(grep -E $'\tret' <<<"$body" || true)
  if [ -z "$rets" ]; then
    fail "$name: no return instruction found"
  elif grep -qE $'\tret[lw]?[[:space:]]+\\$' <<<"$rets"; then
    fail "$name removes its own arguments: $(grep -E $'\tret[lw]?[[:space:]]+\\$' <<<"$rets" | head -1)"
  fi
done

# Windows' own DLLs only: no mingw runtime DLL beside the product.
imports=$(awk '/DLL Name: / { print $3 }' <<<"$headers")
foreign=$(grep -viE '^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|advapi32|ole32|oleaut32|shlwapi|version|msvcrt)\.dll$' <<<"$imports" || true)
[ -z "$foreign" ] || fail "imports non-system DLLs: $(tr '\n' ' ' <<<"$foreign")"

# Code that takes per-thread or per-load state the DLL would not give back: winpthreads' thread
# records (pthread_self, its keys, its thread callback) and mutexes (allocated on first lock:
# pthread_mutex_timedlock comes with them), libgcc's emulated TLS, libstdc++'s guards. The DLL's
# own stand-ins (src/entry/runtime_tls.cpp, runtime_sync.cpp) take their place.
nm=${NM:-${objdump%objdump}nm}
symbols=$("$nm" "$dll" 2>/dev/null | awk '{ print $NF }')
if [ -z "$symbols" ]; then
  fail "no symbol table to look for the runtime's per-thread code in"
else
  for symbol in pthread_self pthread_key_create pthread_getspecific __xl_f pthread_mutex_timedlock __cxa_guard_acquire __emutls_register_common; do
    grep -qx "_\{0,1\}$symbol" <<<"$symbols" && fail "links $symbol: per-thread state a load would leave behind"
  done
fi

if [ "$failures" -ne 0 ]; then
  echo "check-exports: FAILED ($failures)" >&2
  exit 1
fi
echo "check-exports: $dll exports ${expected[*]}, each returning with a plain ret; imports system DLLs only; no per-thread runtime code"
