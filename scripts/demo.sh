#!/usr/bin/env bash
# The suite's main job on a desktop: starts the reference server and a suite
# window, then drives them from outside with lumictl as a TV PC script would.
# Without DISPLAY it starts its own Xvfb with openbox.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LUMI_BUILD_DIR:-build}
programs="$PWD/$build/programs"
out="$PWD/demo-output"
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Everything this demo writes stays in its own folders.
export LUMICASTER_REGISTRY_DIR="$work/registry"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$LUMICASTER_REGISTRY_DIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

if [ -z "${DISPLAY:-}" ]; then
  exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  read -r number <&3
  export DISPLAY=":$number"
  openbox --sm-disable >/dev/null 2>&1 &
  pids+=($!)
  echo "demo: started a virtual display $DISPLAY"
fi

"$programs/lumicaster-server" --port 0 --stats-file "$out/usage.log" >/dev/null 2>"$work/server.err" &
pids+=($!)
for _ in $(seq 50); do grep -q listening "$work/server.err" && break; sleep 0.1; done
echo "demo: $(grep listening "$work/server.err")"

QT_QPA_PLATFORM=xcb "$build/tests/suite-test-window" --window-title LUMICASTER --log "$out/messages.log" >/dev/null &
pids+=($!)
for _ in $(seq 50); do "$programs/lumictl" ping LUMICASTER >/dev/null 2>&1 && break; sleep 0.1; done

echo "demo: suite windows on $DISPLAY:"
"$programs/lumictl" list
echo "demo: identity query of \"LUMICASTER\": $("$programs/lumictl" ping LUMICASTER)"
for key in Down Down OK Exit; do "$programs/lumictl" key LUMICASTER "$key"; done
"$programs/lumictl" copydata LUMICASTER 12 >/dev/null
sleep 0.5
echo "demo: the window received (messages.log):"
sed 's/^/  /' "$out/messages.log"
"$programs/lumictl" close LUMICASTER && echo "demo: closed the window's program"
echo "demo: output in $out"
