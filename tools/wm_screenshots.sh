#!/bin/sh
# Opens the window program's dialogs and message boxes under a real X server
# with a window manager and saves a screenshot of each, for a person to look
# at the title bars: a title that fits, no minimise or maximise button on a
# dialog, a close button only where the dialog has one. Two rules of the
# managers themselves stay whatever the program asks: openbox 3.6 keeps a
# minimise button, and an inert maximise beside it, on every dialog (see
# gui/ui/window_decorations.h), and fluxbox 1.3 a close button on every window.
#
#   tools/wm_screenshots.sh [KELVORA_BINARY] [OUTPUT_FOLDER] [WINDOW_MANAGER...]
#
# Defaults: build/gui/kelvora, build/wm-screenshots, "openbox fluxbox". Each
# window manager runs on its own Xvfb display, with its settings and the
# program's data and settings in a scratch folder (so no file of the user is
# touched and the managers keep their defaults). Besides MANAGER_NAME.png
# (the whole screen) it saves MANAGER_NAME_frame.png (the window in front,
# with its frame, at twice the size) and MANAGER_hints.txt (the hints each
# window carries and the actions the manager allows it).
# Needs Xvfb, xdotool, xwininfo, xprop and ImageMagick; a window manager that
# is not installed is skipped with a note. Everything started here is stopped
# by its process id.
set -eu

binary=$(realpath "${1:-build/gui/kelvora}")
out=$(realpath -m "${2:-build/wm-screenshots}")
shift 2 2>/dev/null || shift $#
managers=${*:-openbox fluxbox}
mkdir -p "$out"

display_number=91
for manager in $managers; do
  if ! command -v "$manager" >/dev/null 2>&1; then
    echo "wm_screenshots: $manager is not installed; skipped" >&2
    continue
  fi
  display=":$display_number"
  display_number=$((display_number + 1))
  scratch=$(mktemp -d)
  rm -f "$out/${manager}_hints.txt"
  Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  # Wait until the server answers.
  for _ in $(seq 50); do
    DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
  done
  # The manager with its own default settings, written to the scratch folder.
  HOME="$scratch" XDG_CONFIG_HOME="$scratch/wm" DISPLAY=$display "$manager" >/dev/null 2>&1 &
  wm=$!
  sleep 1.5
  (cd "$scratch" && DISPLAY=$display QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$scratch/config" \
      XDG_DATA_HOME="$scratch/data" "$binary") >/dev/null 2>&1 &
  program=$!
  window=""
  for _ in $(seq 50); do
    window=$(DISPLAY=$display xdotool search --onlyvisible --name '^Kelvora Win$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  if [ -z "$window" ]; then
    echo "wm_screenshots: the window did not appear under $manager" >&2
  else
    # The window that has the focus, cut out with its frame at twice the
    # size into NAME_frame.png, and what the window manager made of it
    # (its type, its owner, the actions it allows) added to hints.txt.
    frame() {
      active=$(DISPLAY=$display xdotool getactivewindow 2>/dev/null || true)
      [ -n "$active" ] || return 0
      set -- "$1" $(DISPLAY=$display xwininfo -id "$active" | awk '
          /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
          /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} END {print x, y, w, h}') \
          $(DISPLAY=$display xprop -id "$active" _NET_FRAME_EXTENTS |
            sed -n 's/.*= //p' | tr -d ,)
      [ $# -eq 9 ] || set -- "$1" "$2" "$3" "$4" "$5" 0 0 0 0
      convert "$out/${manager}_$1.png" \
          -crop "$(($4 + $6 + $7))x$(($5 + $8 + $9))+$(($2 - $6))+$(($3 - $8))" \
          +repage -scale 200% "$out/${manager}_$1_frame.png"
      {
        echo "== $1"
        DISPLAY=$display xprop -id "$active" WM_NAME _NET_WM_WINDOW_TYPE WM_TRANSIENT_FOR \
            _MOTIF_WM_HINTS _NET_WM_ALLOWED_ACTIONS | sed 's/_NET_WM_ACTION_//g'
      } >>"$out/${manager}_hints.txt"
    }
    shoot() {  # name, keys to open it, keys to close it
      DISPLAY=$display xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
      sleep 0.3
      # shellcheck disable=SC2086
      [ -z "$2" ] || DISPLAY=$display xdotool key --delay 150 $2
      sleep 1
      DISPLAY=$display import -window root "$out/${manager}_$1.png"
      frame "$1"
      # shellcheck disable=SC2086
      [ -z "$3" ] || DISPLAY=$display xdotool key --delay 150 $3
      sleep 0.5
    }
    shoot main_window "" ""
    shoot setup "alt+f p" "Escape"
    shoot station2 "alt+s 2" "Escape"
    shoot eme_dir "alt+s e" "Escape"
    shoot star_data "alt+f t o" "Escape"
    shoot about "alt+h a" "Escape"
    # A refused value: the message box stands over the setup dialog.
    shoot message_box "alt+f p ctrl+a n o Tab" "Return Escape"
  fi
  kill "$program" "$wm" "$xvfb" 2>/dev/null || true
  wait "$program" "$wm" "$xvfb" 2>/dev/null || true
  rm -rf "$scratch"
done
echo "wm_screenshots: screenshots in $out"
