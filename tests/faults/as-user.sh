#!/bin/bash
# Runs a test program with the rights of an ordinary user, as a lab runs KAVR.IM. As root (who
# ignores permission bits) the functions named before the program run as root first (what only
# root may do, such as mounting a full disk); then the other functions run in a copy of the
# program, with kavr_journal_tool beside it, by nobody: real and effective ids alike (setpriv),
# never only the effective one. As anyone else the program runs as it is.
#   as-user.sh [ROOT_FUNCTION...] PROGRAM
set -euo pipefail
program=${!#}
set -- "${@:1:$#-1}"
if [ "$(id -u)" -ne 0 ]; then
    exec "$program"
fi
status=0
if [ $# -gt 0 ]; then
    "$program" "$@" || status=$?
fi
mapfile -t others < <("$program" -functions | sed 's/()$//' | grep -vxF -f <(printf '%s\n' "$@" ""))
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
chmod 755 "$copy"
cp "$program" "$(dirname "$program")/kavr_journal_tool" "$copy/"
cd "$copy"
setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$copy" \
    "$copy/$(basename "$program")" "${others[@]}" || status=$?
exit $status
