#!/usr/bin/env bash
# The main job as a quick test: the demo on a virtual display of its own,
# with a few of its screens. It must finish, save its screenshots, have the
# shell's usage reports reach the demo's server, and leave no process behind.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mark="lumi-demo-test-$$-$RANDOM"
unset DBUS_SESSION_BUS_ADDRESS
LUMI_DEMO_QUICK=1 LUMI_DEMO_OWN_DISPLAY=1 LUMI_DEMO_OUTPUT="$out/shots" LUMI_DEMO_RUN="$mark" \
  "$here/../../scripts/demo.sh"

fail() { echo "demo test: $*" >&2; exit 1; }
shots=$(find "$out/shots" -name '*.png' -size +2k | wc -l)
[ "$shots" -ge 6 ] || fail "only $shots screenshots"
[ -s "$out/shots/usage.log" ] || fail "the server logged no usage report"
for e in /proc/[0-9]*/environ; do
  if grep -qxzF "LUMI_DEMO_RUN=$mark" "$e" 2>/dev/null; then
    pid=${e#/proc/}; pid=${pid%/environ}
    fail "process $pid ($(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)) outlived the demo"
  fi
done
echo "demo test: $shots screenshots, $(wc -l <"$out/shots/usage.log") usage reports, nothing left running"
