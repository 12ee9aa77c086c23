# The shell: the main menu, "내 컴퓨터" and the exit dialog, in the built-in
# and the user's design, in Korean and English.

# The user design's background: a picture made here.
gst-launch-1.0 -q videotestsrc num-buffers=1 pattern=gradient foreground-color=0xff183048 background-color=0xff6890b0 ! video/x-raw,width=800,height=600 \
  ! videoconvert ! jpegenc ! filesink location="$data/back.jpg"

shell_tours=(builtin:ko_KR.UTF-8 builtin:en_US.UTF-8 user:ko_KR.UTF-8 user:en_US.UTF-8)
[ "$LUMI_DEMO_QUICK" = 1 ] && shell_tours=(builtin:ko_KR.UTF-8 user:en_US.UTF-8)
for tour in "${shell_tours[@]}"; do
  design=${tour%%:*}
  lang=${tour#*:}
  change=0
  [ "$design" = user ] && change=1
  printf '[MAIN]\nChange=%s\nBackgroundImage=%s\n' "$change" "$data/back.jpg" > "$data/Skin.ini"
  tag="${lang%%_*}-$design"
  LANG=$lang "$programs/Lumicaster.exe" >"$work/shell-$tag.log" 2>&1 &
  shell=$!
  wait_for LUMICASTER
  sleep 0.5
  key Down
  screenshot "main-menu-$tag"
  key Up
  key OK
  screenshot "my-computer-$tag"
  key Exit
  key Exit
  screenshot "message-dialog-$tag"
  key Exit
  "$lumictl" close LUMICASTER || kill "$shell" 2>/dev/null || true
  wait "$shell" 2>/dev/null || true
done
echo "demo: the shell answered lumictl on $DISPLAY"
