#!/usr/bin/env bash
# Holds src/ to its layers: a folder includes only headers of its own folder and of the folders
# its row names (lower layers), and a portable folder includes no Windows header. A folder of
# src/ that has no row fails too, so a new folder takes its place in the table before it builds.
# Usage: scripts/check-layers.sh [SRC_DIR]   (default src)
set -euo pipefail
cd "$(dirname "$0")/.."
src=${1:-src}

# folder          kind      may include headers of (a folder, or one header by its path)
layers='
platform          portable
platform/posix    portable  platform
platform/win32    windows   platform
design            portable  platform
card              portable  platform
render            portable  design platform
samples           portable  design platform
transfer          portable  card render design platform
verify            portable  transfer card render design platform
cli               portable  verify transfer card render design samples platform platform/posix
ui/win            windows   platform platform/win32
ui                windows   ui/win transfer card render design platform platform/win32
entry             windows   ui ui/win transfer card render design platform platform/win32
'
# Headers only Windows has; a portable folder reaches the system through platform/ alone.
windows_headers='windows|win[a-z0-9_]*|commctrl|commdlg|shlobj|shellapi|shlwapi|objbase|ole2|olectl|uxtheme|mmsystem|tchar'

mapfile -t files < <(find "$src" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' \) | sort)
[ ${#files[@]} -gt 0 ] || { echo "check-layers: no sources under $src" >&2; exit 1; }

awk -v layers="$layers" -v winre="^<($windows_headers)\\.h>$" -v src="$src/" '
BEGIN {
    n = split(layers, rows, "\n")
    for (i = 1; i <= n; i++) {
        if (split(rows[i], f, " ") < 2) continue
        kind[f[1]] = f[2]
        allowed[f[1]] = " " f[1] " "
        for (j = 3; j in f; j++) allowed[f[1]] = allowed[f[1]] f[j] " "
    }
}
FNR == 1 {
    folder = substr(FILENAME, length(src) + 1)
    sub(/\/[^\/]*$/, "", folder)
    if (!(folder in kind)) { report(FILENAME ": folder " folder " has no row in the layer table"); nextfile }
}
/^[ \t]*#[ \t]*include[ \t]*[<"]/ {
    line = $0
    sub(/^[ \t]*#[ \t]*include[ \t]*/, "", line)
    if (line ~ /^</) {
        header = line; sub(/>.*/, ">", header)
        if (kind[folder] == "portable" && tolower(header) ~ winre)
            report(FILENAME ":" FNR ": includes " header ", a Windows header, in the portable folder " folder)
        next
    }
    header = substr(line, 2); sub(/".*/, "", header)
    if (header ~ /(^|\/)\.\.\//) { report(FILENAME ":" FNR ": includes \"" header "\" by a relative path; name it from src/"); next }
    if (header !~ /\//) next    # beside the file, or from outside src/ (resource ids)
    dir = header; sub(/\/[^\/]*$/, "", dir)
    if (!index(allowed[folder], " " dir " ") && !index(allowed[folder], " " header " ")) {
        may = allowed[folder]; gsub(/^ | $/, "", may)
        report(FILENAME ":" FNR ": includes \"" header "\"; " folder " may include only " may)
    }
}
function report(text) { print "check-layers: " text > "/dev/stderr"; failures++ }
END {
    if (failures) { print "check-layers: FAILED (" failures ")" > "/dev/stderr"; exit 1 }
}
' "${files[@]}" || exit 1
echo "check-layers: ${#files[@]} files under $src keep to their layers"
