#!/usr/bin/env bash
# Configures (once) and builds the whole suite into build/ with Ninja and ccache.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LUMI_BUILD_DIR:-build}
# CI builds in a fresh clone in another folder each time: relative paths and
# no working folder in the hash let ccache reuse what earlier builds made.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "$(nproc)"
