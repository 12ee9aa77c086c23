# The shell: the main menu, "내 컴퓨터" and the exit dialog, in the built-in
# and the user's design, in Korean and English.

# The user design's background: a picture made here.
gst-launch-1.0 -q videotestsrc num-buffers=1 pattern=gradient foreground-color=0xff183048 background-color=0xff6890b0 ! video/x-raw,width=800,height=600 \
  ! videoconvert ! jpegenc ! filesink location="$data/back.jpg"

for tour in $(tours builtin:ko_KR.UTF-8 user:en_US.UTF-8); do
  design=${tour%%:*}
  lang=${tour#*:}
  tag="${lang%%_*}-$design"
  start_shell "$design" "$lang" "shell-$tag"
  key Down
  screenshot "main-menu-$tag"
  key Up
  key OK
  screenshot "my-computer-$tag"
  key Exit
  key Exit
  screenshot "message-dialog-$tag"
  key Exit
  stop_shell
done
echo "demo: the shell answered lumictl on $DISPLAY"
