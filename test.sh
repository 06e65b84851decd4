#!/usr/bin/env bash
# Installs what is missing, checks the last commit's C++ lines against .clang-format
# (scripts/check-format.sh), builds, and runs every test through ctest; then the unit and GUI
# tests once more under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/).
# First the Windows package (packaging/windows/build.sh: its libraries built once into
# ~/.cache/kavr-im, its widget-free tests run under Wine); ctest then runs it under Wine from
# end to end. KAVR_SKIP_WINDOWS=1 leaves Windows out.
# The ten-minute storm of the real program is not part of it: tests/storm/long-storm.sh.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh
kavr_install_packages "${KAVR_BUILD_PACKAGES[@]}" "${KAVR_TEST_PACKAGES[@]}"
scripts/check-format.sh
if [ "${KAVR_SKIP_WINDOWS:-0}" = 1 ]; then
    KAVR_CONFIGURE=(-DKAVR_WINDOWS_BUILD_DIR=)
else
    packaging/windows/build.sh --tests
    KAVR_CONFIGURE=(-DKAVR_WINDOWS_BUILD_DIR="$PWD/build-windows")
fi
kavr_build build
ctest --test-dir build --output-on-failure -j 2
kavr_sanitizer_tests build-asan
