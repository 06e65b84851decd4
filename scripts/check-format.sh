#!/usr/bin/env bash
# Checks the C++ lines a commit changed against .clang-format (the house style and CODING.md's
# include order); lines nobody touched are left as they are.
#
#   scripts/check-format.sh            the last commit against its parent (what CI checks)
#   scripts/check-format.sh BASE       the working tree's lines changed since BASE
#                                      (e.g. origin/main for a whole branch)
#   scripts/check-format.sh --includes every file whose includes are out of order, whole tree
#
# A failed check prints the change clang-format wants; `git clang-format HEAD^` makes it in the
# working tree (then `git commit --amend`). Needs the package clang-format (test.sh installs it).
set -euo pipefail
cd "$(dirname "$0")/.."

extensions=c,cc,cpp,cxx,h,hpp

if ! command -v git-clang-format >/dev/null || ! command -v clang-format >/dev/null; then
    echo "check-format: clang-format is not installed (apt-get install clang-format)" >&2
    exit 1
fi
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "check-format: not a git work tree, nothing to check"
    exit 0
fi

if [ "${1:-}" = --includes ]; then
    # Formatting with and without include sorting differs exactly where the includes are out of
    # order or not grouped.
    status=0
    while IFS= read -r -d '' file; do
        if ! cmp -s <(clang-format --style=file --sort-includes=0 "$file") \
                    <(clang-format --style=file "$file"); then
            echo "$file"
            status=1
        fi
    done < <(git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.cxx' '*.h' '*.hpp')
    exit $status
fi

if [ $# -gt 0 ]; then
    commits=("$1")
    what="lines changed since $1"
elif git rev-parse -q --verify 'HEAD^' >/dev/null; then
    commits=(HEAD^ HEAD)
    what="lines changed by $(git rev-parse --short HEAD)"
elif [ "$(git rev-parse --is-shallow-repository)" = true ]; then
    # A shallow clone holds no parent to compare with: the commit's own changes are unknown.
    echo "check-format: shallow clone without HEAD's parent, nothing checked (fetch with --depth 2 or more)"
    exit 0
else
    echo "check-format: HEAD has no parent, nothing checked"
    exit 0
fi

out=$(git clang-format --diff --extensions "$extensions" "${commits[@]}")
if grep -q '^diff --git' <<<"$out"; then
    printf '%s\n' "$out"
    echo "check-format: $what do not follow .clang-format (see the change above)" >&2
    exit 1
fi
echo "check-format: $what follow .clang-format"
