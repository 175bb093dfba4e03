#!/usr/bin/env bash
# Checks kxcard.lib, the import library in Microsoft's format for hosts built with MSVC: it names
# exactly the three exports as C functions (symbols _Name and __imp__Name, imported by the
# undecorated name, as MSVC's own import library of a __cdecl export does), and the sample host
# links against it, alone, with GNU ld and with LLVM's COFF linker, each program then importing
# exactly those three names from kxcard.dll.
# Usage: scripts/check-import-lib.sh [build folder]   (default build/win32; builds nothing)
set -euo pipefail

cd "$(dirname "$0")/.."
build=${1:-build/win32}
lib=$build/lib/kxcard.lib
expected=(ConnectCardDlg DirectFilesWrite DirectWriteCard)
wanted=$(printf '%s\n' "${expected[@]}" | sort | tr '\n' ' ')

failures=0
fail() { echo "check-import-lib: $*" >&2; failures=$((failures + 1)); }
tool() { command -v "$1" || command -v "$1-14" || { echo "check-import-lib: no $1" >&2; exit 1; }; }

[ -f "$lib" ] || { echo "check-import-lib: $lib not found (build the win32 preset first)" >&2; exit 1; }

# One line a short import member: "<type> <name type> <symbol> <symbol>".
members=$("$(tool llvm-readobj)" "$lib" | awk '
  /^File: / { if (import) print line; import = 0; line = "" }
  /^Format: COFF-import-file/ { import = 1 }
  import && /^Type: / { line = $2 }
  import && /^Name type: / { line = line " " $3 }
  import && /^Symbol: / { line = line " " $2 }
  END { if (import) print line }')
[ "$(wc -l <<<"$members")" -eq ${#expected[@]} ] || fail "$(wc -l <<<"$members") import members, expected ${#expected[@]}"
for name in "${expected[@]}"; do
  grep -qx "code noprefix __imp__$name _$name" <<<"$members" ||
    fail "$name is not a code import named undecorated with symbols __imp__$name and _$name"
done
defined=$("$(tool llvm-nm)" "$lib" | awk '$2 == "T" { print $3 }' | sort | tr '\n' ' ')
[ "$defined" = "$(printf '%s\n' "${expected[@]/#/_}" "${expected[@]/#/__imp__}" | sort | tr '\n' ' ')" ] ||
  fail "llvm-nm lists the symbols '$defined'"

# The names a linked program imports from kxcard.dll.
imports_of() {
  i686-w64-mingw32-objdump -p "$1" |
    awk '/DLL Name: / { on = ($3 == "kxcard.dll"); next } on && NF == 0 { on = 0 } on && $1 ~ /^[0-9a-f]+$/ { print $3 }' |
    sort | tr '\n' ' '
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
link() {  # link LINKER-NAME COMPILER-COMMAND...
  local name=$1 exe=$work/kxhost-$1.exe
  shift
  if ! "$@" -std=c99 -Iinclude examples/kxhost/kxhost.c "$lib" -o "$exe" >"$work/$name.log" 2>&1; then
    fail "kxhost does not link against kxcard.lib with $name: $(head -n 5 "$work/$name.log")"
    return
  fi
  local got
  got=$(imports_of "$exe")
  [ "$got" = "$wanted" ] || fail "kxhost linked by $name imports '$got' from kxcard.dll, expected '$wanted'"
}
link "GNU ld" i686-w64-mingw32-gcc
link lld "$(tool clang)" --target=i686-w64-mingw32 -fuse-ld=lld -L"$(dirname "$(i686-w64-mingw32-gcc -print-libgcc-file-name)")"

if [ "$failures" -ne 0 ]; then
  echo "check-import-lib: FAILED ($failures)" >&2
  exit 1
fi
echo "check-import-lib: $lib imports ${expected[*]} undecorated; kxhost links against it with GNU ld and lld"
