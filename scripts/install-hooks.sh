#!/usr/bin/env bash
# Installs the repository's git hooks for this clone and all its worktrees: commit-msg, which
# refuses a commit subject over 72 characters or without a blank line before the body. The
# installed hook runs scripts/commit-msg of the worktree committing, so it follows the branch.
set -euo pipefail
cd "$(dirname "$0")/.."

hooks=$(git rev-parse --path-format=absolute --git-common-dir)/hooks
hook=$hooks/commit-msg
marker='# KAVR.IM: runs scripts/commit-msg'
if [ -e "$hook" ] && ! grep -qF "$marker" "$hook"; then
    echo "install-hooks: $hook exists and is not ours; move it away first" >&2
    exit 1
fi
if [ -n "$(git config core.hooksPath || true)" ]; then
    echo "install-hooks: core.hooksPath is set; git does not look in $hooks" >&2
    exit 1
fi
mkdir -p "$hooks"
cat >"$hook" <<HOOK
#!/bin/sh
$marker
# Hooks run at the top of the worktree; a branch without the script commits unchecked.
[ -x scripts/commit-msg ] || exit 0
exec scripts/commit-msg "\$@"
HOOK
chmod +x "$hook"
echo "install-hooks: commit-msg installed in $hooks"
