#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest; then the unit and GUI
# tests once more under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/).
# The ten-minute storm of the real program is not part of it: tests/storm/long-storm.sh.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh
kavr_install_packages "${KAVR_BUILD_PACKAGES[@]}" "${KAVR_TEST_PACKAGES[@]}"
kavr_build build
ctest --test-dir build --output-on-failure -j 2
kavr_sanitizer_tests build-asan
