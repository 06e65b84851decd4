#!/usr/bin/env bash
# The long storm: random clicks and keys over the real program in every stage of test after
# test for ten minutes (or the minutes given), under a private X server. Builds what it needs
# into build/ unless another build folder is given.
# Usage: tests/storm/long-storm.sh [minutes] [build folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
minutes=${1:-10}
build=${2:-build}
. scripts/common.sh
kavr_install_packages "${KAVR_BUILD_PACKAGES[@]}" "${KAVR_TEST_PACKAGES[@]}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target test_storm kavr-im
report="$build/long-storm-report.txt"
: >"$report"
# QtTest's watchdog would end a test function after five minutes.
KAVR_STORM_MINUTES=$minutes KAVR_STORM_STAGE_SECONDS=${KAVR_STORM_STAGE_SECONDS:-20} \
KAVR_STORM_REPORT=$report KAVR_STORM_SHOTS=$build \
QTEST_FUNCTION_TIMEOUT=$(((minutes + 10) * 60000)) \
    "$build/test_storm" stormThroughEveryStage
echo "Summary in $report:"
cat "$report"
