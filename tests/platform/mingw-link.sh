#!/bin/bash
# Links a Windows executable from the Win32 desktop services and the program's resource script,
# then reads the resources back out of it: both sounds as Russian WAVE resources, and the icon.
# Usage: mingw-link.sh <mingw g++> <mingw windres> <source root> <work folder>
set -euo pipefail
cxx=$1 windres=$2 root=$3 out=$4
mkdir -p "$out"

"$windres" -I "$root" "$root/platform/desktop/kavr-im.rc" -O coff -o "$out/kavr-im.res.o"
"$cxx" -std=c++20 -Wall -Wextra -Werror -I "$root" \
    "$root/platform/desktop/Win32DesktopServices.cpp" "$root/platform/desktop/CreateDesktopServices.cpp" \
    "$root/platform/priority/TimedPriorityWin32.cpp" "$root/tests/platform/win32_probe.cpp" \
    "$out/kavr-im.res.o" -lwinmm -lavrt -lgdi32 -lshcore -o "$out/probe.exe"

"$windres" -J coff -i "$out/probe.exe" -O rc -o "$out/probe.rc"
# windres writes a LANGUAGE line only where the language changes: Russian must be the only one.
[ "$(grep '^LANGUAGE' "$out/probe.rc" | sort -u)" = "LANGUAGE 25, 1" ] \
    || { echo "resources not all in Russian (LANGUAGE 25, 1)"; exit 1; }
for name in ID_START ID_FINISH; do
    grep -q "^\"$name\" \"WAVE\"" "$out/probe.rc" || { echo "$name: no WAVE resource"; exit 1; }
done
grep -q "RT_GROUP_ICON" "$out/probe.rc" || { echo "no icon"; exit 1; }
echo "probe.exe links and carries ID_START, ID_FINISH and the icon"
