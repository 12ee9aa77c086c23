#!/usr/bin/env bash
# Configures (once) and builds the whole suite into build/ with Ninja and ccache.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LUMI_BUILD_DIR:-build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "$(nproc)"
