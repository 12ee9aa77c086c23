# The movie player: a generated movie with Korean captions beside it, played
# from the movie browser with the remote's keys, sought and paused, then left
# with Exit so that the browser comes back. The shell starts the player from its client folder, so the
# real "Cinevane.exe" is linked in there.

ln -sf "$programs/Cinevane.exe" "${data}Cinevane.exe"
movies="$work/movies"
mkdir -p "$movies/Demo"
gst-launch-1.0 -q -e videotestsrc pattern=smpte num-buffers=750 \
  ! video/x-raw,width=640,height=360,framerate=25/1 ! jpegenc ! avimux name=m \
  ! filesink location="$movies/Demo/demo movie.avi" \
  audiotestsrc num-buffers=1300 ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! m.
# Its captions: a Korean and an English stream; the player picks the Korean one.
{
  printf '<SAMI>\n<HEAD>\n<STYLE TYPE="text/css">\n<!--\n'
  printf '.KRCC { Name:Korean; lang:ko-KR; }\n.ENCC { Name:English; lang:en-US; }\n-->\n</STYLE>\n</HEAD>\n<BODY>\n'
  lines=("안녕하세요<br>루미캐스터입니다" "리모콘 하나로<br>영화를 봅니다" "자막은 그림 속에<br>함께 그려집니다")
  for i in $(seq 0 14); do
    printf '<SYNC Start=%d><P Class=KRCC>%s\n' $((i * 2000 + 500)) "${lines[i % 3]}"
    printf '<SYNC Start=%d><P Class=ENCC>Caption %d\n' $((i * 2000 + 500)) "$i"
  done
  printf '</BODY>\n</SAMI>\n'
} > "$movies/Demo/demo movie.smi"

# Drive C: is the movie folder now; captions go into the picture (no overlay here).
cat >> "$LUMICASTER_REGISTRY_DIR/HKEY_CURRENT_USER.reg" <<REG

[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Drives]
"C"="$movies"

[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Cinevane]
"bOverlayMode"=dword:00000000
REG

start_shell builtin en_US.UTF-8 player-shell
key OK            # "My Computer"
key OK            # "Movies": the browser on C:
key Down          # "Scan"
key OK
sleep 1
key Right         # into the folder list
key OK            # "Demo"
sleep 0.5
key OK            # "demo movie.avi": the player starts with the browser's playlist
if wait_for "Lumicaster Movie Player"; then
  sleep 2
  screenshot "player-playing"
  key Right       # ten seconds on (the shell passes the keys to the player)
  key Pause
  sleep 0.5
  screenshot "player-paused"
  key Exit        # leave the player: the browser comes back
  for _ in $(seq 50); do "$lumictl" ping "Lumicaster Movie Player" >/dev/null 2>&1 || break; sleep 0.1; done
  sleep 1
  screenshot "player-back-to-browser"
else
  echo "demo: the player did not start from the browser" >&2
fi
stop_shell
