#!/bin/bash
# Runs a command on a private Xvfb server (display number chosen by Xvfb itself), which is
# stopped however the command ends. -noreset: the server would otherwise forget its keyboard
# layout whenever its last client leaves.
# Usage: run-under-xvfb.sh <command> [arguments]
set -u
work=$(mktemp -d)
xvfb=
cleanup() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    if ! kill -0 "$xvfb" 2>/dev/null; then
        echo "Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
display=$(tr -d '[:space:]' <"$work/display")
if [ -z "$display" ]; then
    echo "Xvfb gave no display number" >&2
    exit 1
fi

DISPLAY=":$display" "$@"
