#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Protocols go to build/Result/.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh
kavr_install_packages "${KAVR_BUILD_PACKAGES[@]}"
kavr_build build kavr-im kavr-im-report
mkdir -p build/Result
exec build/kavr-im
