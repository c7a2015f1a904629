#!/bin/bash
# Opens one of the program's windows under Xvfb + openbox at a given screen
# size and says whether its frame lies wholly on the screen; a screenshot of
# the whole screen goes beside it.
#   tools/window_fit_check.sh WIDTH HEIGHT DISPLAY_NUMBER "KEYS" "WINDOW TITLE" [KELVORA]
# e.g. tools/window_fit_check.sh 1024 768 93 "alt+s k" "Plan skeds"
#      tools/window_fit_check.sh 1024 768 93 "alt+s c" "Station control"
#      tools/window_fit_check.sh 1024 768 93 "alt+h h" "Kelvora Win Help"
# Needs Xvfb, openbox, xdotool, xwininfo, xprop and ImageMagick's import.
set -u
W=$1; H=$2; D=:$3; KEYS=$4; NAME=$5
PROGRAM=${6:-$(dirname "$0")/../build/gui/kelvora}
PROGRAM=$(realpath "$PROGRAM")
RESOURCES=$(realpath "$(dirname "$0")/../resources")
export DISPLAY=$D
Xvfb "$D" -screen 0 "${W}x${H}x24" >/dev/null 2>&1 & XPID=$!
sleep 1.5
openbox >/dev/null 2>&1 & OPID=$!
sleep 1.5
work=$(mktemp -d)
cp "$RESOURCES/EME.DTA" "$work/"
export XDG_CONFIG_HOME=$work/config  # the user's own settings stay untouched
(cd "$work" && exec "$PROGRAM" >/dev/null 2>&1) & KPID=$!
sleep 3
main=$(timeout 5 xdotool search --name "^Kelvora Win$" | head -1)
timeout 5 xdotool windowactivate --sync "$main"
sleep 0.5
timeout 5 xdotool key --delay 300 $KEYS
sleep 2
id=$(timeout 5 xdotool search --name "^$NAME\$" | head -1)
status=1
if [ -z "$id" ]; then
  echo "$NAME: not found"
else
  info=$(timeout 5 xwininfo -id "$id")
  X=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
  Y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
  WIDTH=$(awk '/^ *Width:/ {print $NF}' <<<"$info")
  HEIGHT=$(awk '/^ *Height:/ {print $NF}' <<<"$info")
  read -r l r t b <<<"$(timeout 5 xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //;s/,//g')"
  fx=$((X - l)); fy=$((Y - t)); fw=$((WIDTH + l + r)); fh=$((HEIGHT + t + b))
  on=yes; status=0
  if [ $fx -lt 0 ] || [ $fy -lt 0 ] || [ $((fx + fw)) -gt "$W" ] || [ $((fy + fh)) -gt "$H" ]; then
    on=NO; status=1
  fi
  echo "$NAME: frame ${fw}x${fh} at $fx,$fy (client ${WIDTH}x${HEIGHT} at $X,$Y) on a ${W}x${H} screen: on screen $on"
fi
timeout 10 import -window root "$work/screen.png" && echo "screenshot: $work/screen.png"
# The program, the window manager and the server, each by its own id.
for pid in "$KPID" "$OPID" "$XPID"; do
  kill "$pid" 2>/dev/null
  for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
done
exit $status
