#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh
kavr_install_packages
kavr_build build
ctest --test-dir build --output-on-failure -j 2
