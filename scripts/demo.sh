#!/usr/bin/env bash
# The suite's main job: the suite on this display (or on a virtual one with
# openbox when there is none), driven from outside with lumictl key codes as
# the remote would, and screenshots of its screens saved into demo-output/.
# Settings, catalogues and locks stay in a private folder; the shell uses
# recording stand-ins for the display settings, power-off and the browser.
#
# The parts live in scripts/demo/NN-name.sh and run in name order, sourced
# into this script, so they share what is set up here:
#   $programs $lumictl $out $work $data $LUMICASTER_REGISTRY_DIR
#   wait_for TITLE, key CODE, screenshot NAME, start_bg COMMAND... (killed at exit),
#   start_shell DESIGN LANG LOG / stop_shell, tours [QUICK-TOURS...]
#   $LUMI_DEMO_QUICK  1 when the demo runs as a quick test: fewer screens
#
# Environment: LUMI_BUILD_DIR (build folder, relative or absolute),
# LUMI_DEMO_OUTPUT (screenshots folder, default demo-output/),
# LUMI_DEMO_QUICK=1, LUMI_DEMO_OWN_DISPLAY=1 (a virtual display even when
# $DISPLAY is set).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${LUMI_BUILD_DIR:-build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
programs="$build/programs"
lumictl="$programs/lumictl"
out=${LUMI_DEMO_OUTPUT:-$root/demo-output}
LUMI_DEMO_QUICK=${LUMI_DEMO_QUICK:-0}
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
# Every process the demo starts, and whatever those start in turn, carries
# this mark in its environment, so that the demo can end all of them.
export LUMI_DEMO_RUN=${LUMI_DEMO_RUN:-$work}
end_marked() {  # signal
  local e pid
  for e in /proc/[0-9]*/environ; do
    pid=${e#/proc/}; pid=${pid%/environ}
    [ "$pid" = $$ ] && continue
    if grep -qxzF "LUMI_DEMO_RUN=$LUMI_DEMO_RUN" "$e" 2>/dev/null; then kill "-$1" "$pid" 2>/dev/null || true; fi
  done
  return 0
}
any_marked() {
  local e
  for e in /proc/[0-9]*/environ; do
    [ "$e" = "/proc/$$/environ" ] && continue
    if grep -qxzF "LUMI_DEMO_RUN=$LUMI_DEMO_RUN" "$e" 2>/dev/null; then return 0; fi
  done
  return 1
}
cleanup() {
  end_marked TERM
  for _ in $(seq 30); do any_marked || break; sleep 0.1; done
  end_marked KILL
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

start_bg() {  # command...; ended when the demo ends, like everything it starts
  "$@" &
}

export LUMICASTER_REGISTRY_DIR="$work/registry"
export XDG_RUNTIME_DIR="$work/runtime"
export XDG_CONFIG_HOME="$work/config"
export LUMICASTER_PORTS=recording
export LUMICASTER_AUDIO_SINK=fakeaudiosink
export QT_QPA_PLATFORM=xcb
data="$work/data/"
mkdir -p "$LUMICASTER_REGISTRY_DIR" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$data"
chmod 700 "$XDG_RUNTIME_DIR"

if [ -z "${DISPLAY:-}" ] || [ "${LUMI_DEMO_OWN_DISPLAY:-0}" = 1 ]; then
  exec 3< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  read -r number <&3
  export DISPLAY=":$number"
  start_bg openbox --sm-disable >/dev/null 2>&1
  echo "demo: started a virtual display $DISPLAY"
fi

# A session bus of the demo's own: without one, Qt would autolaunch a bus
# daemon that outlives the demo.
bus=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
# (It carries the mark like every other process started here.)

# The registry is a text file a person can write: the data folder and
# windowed mode (the window is centred; the display is left as it is).
cat > "$LUMICASTER_REGISTRY_DIR/HKEY_CURRENT_USER.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Client]
"Path"="$data"
"Resolution"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Server]
"URL0"="127.0.0.1"
REG

# The reference server on the suite's own port, where the shell sends its
# usage reports; every use the demo makes lands in usage.log.
start_bg "$programs/lumicaster-server" --stats-file "$out/usage.log" >/dev/null 2>"$work/server.err"
for _ in $(seq 50); do grep -q listening "$work/server.err" && break; sleep 0.1; done
if ! grep -q listening "$work/server.err"; then
  echo "demo: the reference server did not start (is port 32542 taken?):" >&2
  cat "$work/server.err" >&2
  exit 1
fi

wait_for() {  # title
  for _ in $(seq 300); do "$lumictl" ping "$1" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "demo: \"$1\" did not come up" >&2
  return 1
}
key() { "$lumictl" key LUMICASTER "$1"; sleep 0.4; }
screenshot() { "$lumictl" screenshot "$out/$1.png"; }

# The shell in a design ("builtin" or "user", whose background is back.jpg in
# the data folder) and a language; $shell holds its pid until stop_shell.
start_shell() {  # design LANG log-name
  local change=0
  [ "$1" = user ] && change=1
  printf '[MAIN]\nChange=%s\nBackgroundImage=%s\n' "$change" "$data/back.jpg" > "$data/Skin.ini"
  LANG=$2 "$programs/Lumicaster.exe" >"$work/$3.log" 2>&1 &
  shell=$!
  wait_for LUMICASTER
  sleep 0.5
}
stop_shell() {
  "$lumictl" close LUMICASTER || kill "$shell" 2>/dev/null || true
  wait "$shell" 2>/dev/null || true
}
# Design:language pairs a part walks through: all four, or in a quick run the
# ones given (the built-in design in Korean when none is).
tours() {
  if [ "$LUMI_DEMO_QUICK" = 1 ]; then echo "${@:-builtin:ko_KR.UTF-8}"
  else echo builtin:ko_KR.UTF-8 builtin:en_US.UTF-8 user:ko_KR.UTF-8 user:en_US.UTF-8; fi
}

for part in "$root"/scripts/demo/[0-9]*.sh; do
  echo "demo: $(basename "$part" .sh)"
  # shellcheck source=/dev/null
  source "$part"
done

echo "demo: screenshots in $out:"
ls "$out" | sed 's/^/  /'
