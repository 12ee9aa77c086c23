# The media library: a small library of its own (movies in series folders, a
# DVD folder mapped as a CD-ROM drive), scanned through the movie browser;
# the screens saved: folder list, file list, a scan under way and the DVD
# chooser, in both designs and languages.

library="$work/library"
for f in "Film CD1.avi" "Film CD2.avi" "Film CD3.avi" "Other.avi"; do
  mkdir -p "$library/Film"; truncate -s 700M "$library/Film/$f"
done
for n in 01 02 03 04 05 06 07 08 09 10 11 12; do
  mkdir -p "$library/드라마 시즌 1"; truncate -s 350M "$library/드라마 시즌 1/드라마 제$n화.avi"
done
for d in "Documentaries/the long journey through the northern mountains in winter" Kids Concerts Travel; do
  mkdir -p "$library/$d"; truncate -s 200M "$library/$d/part1.mpg"
done
truncate -s 1G "$library/home video.wmv"
for disc in dvd1 dvd2; do
  mkdir -p "$work/$disc/VIDEO_TS"; : > "$work/$disc/VIDEO_TS/VIDEO_TS.IFO"
done

# Drives by the registry: the library as C:, a big system folder as D: (a
# scan there lasts long enough to be seen), two DVDs as CD-ROM drives.
hive="$LUMICASTER_REGISTRY_DIR/HKEY_CURRENT_USER.reg"
cat >> "$hive" <<REG

[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Drives]
"C"="$library"
"D"="/usr/share"
"E"="$work/dvd1"
"F"="$work/dvd2"

[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Drives\\Types]
"E"="cdrom"
"F"="cdrom"

[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Drives\\Labels]
"C"="MEDIA"
"E"="HOLIDAY"
"F"="CONCERT"
REG

for tour in $(tours); do
  design=${tour%%:*}
  lang=${tour#*:}
  tag="${lang%%_*}-$design"
  start_shell "$design" "$lang" "library-$tag"
  key OK            # "내 컴퓨터"
  key OK            # "영 화": the browser on C:, focus on the side menu
  key Down          # "검 색"
  key OK
  sleep 1
  key Right         # into the folder list
  screenshot "movie-folders-$tag"
  key OK            # the first folder
  sleep 0.5
  screenshot "movie-files-$tag"
  key Exit          # back to the folders
  key Left          # the side menu ("검 색")
  key Up            # "정 렬"
  key Right         # the next drive, D:
  key Down          # "검 색"
  "$lumictl" key LUMICASTER OK
  sleep 0.3
  screenshot "movie-scanning-$tag"
  key OK            # stop
  key Up
  key Left          # back to C:
  key Exit          # leave the browser
  key Down; key Down; key Down
  key OK            # "DVD": two discs, the chooser
  sleep 0.5
  screenshot "dvd-chooser-$tag"
  key Exit
  stop_shell
done
