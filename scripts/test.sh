#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DVZ_WERROR=ON -DVZ_BUILD_TESTS=ON
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j"$(nproc)"
