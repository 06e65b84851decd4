#!/usr/bin/env bash
# The timing bench in one command, from anywhere in the tree:
#   bench/timing/run.sh [--build DIR] [bench_timing options: --runs N --peer-runs N ...]
# Installs what it needs when missing (Chromium, Node.js and npm from Debian; jsPsych from the
# npm registry into DIR/bench-timing-peer, never into the source tree), builds the program and
# the bench into DIR (default build/), then runs them under a private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/common.sh

build=build
if [ "${1:-}" = "--build" ]; then
    build=$2
    shift 2
fi

kavr_install_packages "${KAVR_BUILD_PACKAGES[@]}" "${KAVR_TEST_PACKAGES[@]}"
missing=()
command -v chromium >/dev/null || missing+=(chromium)
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target kavr-im bench_timing -j "$(nproc)"

# The peer's page, its pictures (the program's own, exposure and answer set A) and jsPsych.
peer="$build/bench-timing-peer"
mkdir -p "$peer/pictures"
cp bench/timing/peer/index.html bench/timing/peer/experiment.js bench/timing/peer/server.mjs "$peer/"
for n in $(seq -w 1 24); do cp "assets/pictures/00$n.jpg" "$peer/pictures/"; done
if [ ! -d "$peer/node_modules/@jspsych/plugin-image-button-response" ]; then
    (cd "$peer" && npm install --no-audit --no-fund --loglevel=error --no-save \
        jspsych@8 @jspsych/plugin-html-keyboard-response@2 @jspsych/plugin-image-button-response@2)
fi

exec "$build/bench_timing" --program "$build/kavr-im" --peer-folder "$peer" "$@"
