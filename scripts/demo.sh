#!/usr/bin/env bash
# The suite's main job: the shell on this display (or on a virtual one with
# openbox when there is none), driven from outside with lumictl key codes as
# the remote would, and screenshots of its screens in both designs (built-in
# and the user's picture) and both languages, saved into demo-output/.
# Settings, catalogues and locks stay in a private folder; the shell uses
# recording stand-ins for the display settings, power-off and the browser.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LUMI_BUILD_DIR:-build}
programs="$PWD/$build/programs"
lumictl="$programs/lumictl"
out="$PWD/demo-output"
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

export LUMICASTER_REGISTRY_DIR="$work/registry"
export XDG_RUNTIME_DIR="$work/runtime"
export LUMICASTER_PORTS=recording
export LUMICASTER_AUDIO_SINK=fakeaudiosink
export QT_QPA_PLATFORM=xcb
data="$work/data/"
mkdir -p "$LUMICASTER_REGISTRY_DIR" "$XDG_RUNTIME_DIR" "$data"
chmod 700 "$XDG_RUNTIME_DIR"

if [ -z "${DISPLAY:-}" ]; then
  exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  read -r number <&3
  export DISPLAY=":$number"
  openbox --sm-disable >/dev/null 2>&1 &
  pids+=($!)
  echo "demo: started a virtual display $DISPLAY"
fi

# The registry is a text file a person can write: the data folder and
# windowed mode (the window is centred; the display is left as it is).
cat > "$LUMICASTER_REGISTRY_DIR/HKEY_CURRENT_USER.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Client]
"Path"="$data"
"Resolution"=dword:00000000
REG

# The user design's background: a picture made here.
gst-launch-1.0 -q videotestsrc num-buffers=1 pattern=gradient foreground-color=0xff183048 background-color=0xff6890b0 ! video/x-raw,width=800,height=600 \
  ! videoconvert ! jpegenc ! filesink location="$data/back.jpg"

"$programs/lumicaster-server" --port 0 --stats-file "$out/usage.log" >/dev/null 2>"$work/server.err" &
pids+=($!)

wait_for() {  # title
  for _ in $(seq 100); do "$lumictl" ping "$1" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "demo: \"$1\" did not come up" >&2
  return 1
}
key() { "$lumictl" key LUMICASTER "$1"; sleep 0.4; }

for design in builtin user; do
  change=0
  [ "$design" = user ] && change=1
  printf '[MAIN]\nChange=%s\nBackgroundImage=%s\n' "$change" "$data/back.jpg" > "$data/Skin.ini"
  for lang in ko_KR.UTF-8 en_US.UTF-8; do
    tag="${lang%%_*}-$design"
    LANG=$lang "$programs/Lumicaster.exe" >"$work/shell-$tag.log" 2>&1 &
    shell=$!
    wait_for LUMICASTER
    sleep 0.5
    key Down
    "$lumictl" screenshot "$out/main-menu-$tag.png"
    key Up
    key OK
    "$lumictl" screenshot "$out/my-computer-$tag.png"
    key Exit
    key Exit
    "$lumictl" screenshot "$out/message-dialog-$tag.png"
    key Exit
    "$lumictl" close LUMICASTER || kill "$shell" 2>/dev/null || true
    wait "$shell" 2>/dev/null || true
  done
done

echo "demo: the shell answered lumictl on $DISPLAY; screenshots in $out:"
ls "$out" | sed 's/^/  /'
