#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test. X11 tests
# start their own Xvfb (and openbox where a window manager is needed).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
build=${LUMI_BUILD_DIR:-build}
cd "$build"
ctest -j "$(nproc)" --output-on-failure --timeout 600
