#!/usr/bin/env bash
# Renders the screenshot of the main window that the package ships
# (packaging/screenshots/main-window.png) from a built window program:
#   tools/make_screenshot.sh [BUILD_FOLDER] [OUTPUT.png]
# The program runs on a private Xvfb display in a scratch folder holding the
# sample EME directory and the default station, at the moment it is started;
# ImageMagick's import grabs the window without a frame. Needs xvfb,
# imagemagick and xdotool.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/packaging/screenshots/main-window.png}
scratch=$(mktemp -d)
xvfb_pid= kelvora_pid=
cleanup() {
  [[ -n $kelvora_pid ]] && kill "$kelvora_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
cp "$root/resources/EME.DTA" "$scratch/"
mkdir -m 700 "$scratch/runtime"
(cd "$scratch" && sleep 1 && DISPLAY=$display XDG_RUNTIME_DIR="$scratch/runtime" \
  XDG_CONFIG_HOME="$scratch/config" exec "$build/gui/kelvora") >"$scratch/kelvora.log" 2>&1 &
kelvora_pid=$!
window=
for _ in $(seq 100); do
  window=$(DISPLAY=$display xdotool search --name '^Kelvora Win$' 2>/dev/null | head -n 1 || true)
  [[ -n $window ]] && break
  sleep 0.1
done
[[ -n $window ]] || { echo "make_screenshot: no window: $(cat "$scratch/kelvora.log")" >&2; exit 1; }
sleep 3  # the first ticks draw the figures and the maps
DISPLAY=$display import -window "$window" -strip "png:$out"
echo "$out"
