#!/bin/bash
# Runs a Windows program under Wine in the project's own prefix, made on first use: the test
# driver's emulator for the Windows build (ctest --test-dir build-windows).
# Usage: wine-run.sh PROGRAM.exe [ARGUMENT...]
set -euo pipefail
export WINEPREFIX=${WINEPREFIX:-$HOME/.cache/kavr-im/wine-tests}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Qt (QtTest's results too) writes to the debugger's log unless told that a console reads it.
# Wine keeps the host's QT_* variables from Windows programs; WINEQT_* reach them as QT_*.
export WINEQT_FORCE_STDERR_LOGGING=1
# Widget-free programs: no display wanted.
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    # Tests run in parallel: one of them makes the prefix, the others wait for it.
    exec 9>"$WINEPREFIX.lock"
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
    exec 9>&-
fi
exec wine "$@"
