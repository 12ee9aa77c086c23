#!/usr/bin/env bash
# Installs what is missing, builds the suite and runs its main job on this
# display (or on a virtual one when there is none). Output goes to demo-output/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
exec ./scripts/demo.sh "$@"
