#!/usr/bin/env bash
# Frames presented per second under a Wayland compositor: a new 1280x720 picture a frame, put
# with ZVPutPixels and shown with ZVPresent, against SDL2's Wayland window surface
# (SDL_VIDEODRIVER=wayland), both under the same private headless sway, one after the other.
# A frame counts when the compositor answered its frame callback: each program runs with
# WAYLAND_DEBUG=client, and the callbacks asked for by wl_surface.frame and answered (done)
# between the program's start and end marks are counted.
#   bench/present_wayland.sh [FRAMES]   (default 220; BUILD_DIR as for bench/run.sh)
# Needs sway, libsdl2-dev and the Wayland driver's packages; sway runs as nobody under root.
set -euo pipefail
. "$(dirname "$0")/present/build_programs.sh"
trap 'kill "${sway:-0}" 2>/dev/null || true; rm -rf "$out"' EXIT
chmod 755 "$out"
runtime=$out/runtime
mkdir -m 700 "$runtime"
printf 'output HEADLESS-1 resolution 1920x1080\nfor_window [title="present-bench"] floating enable\n' \
  >"$runtime/config"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody:nogroup "$runtime"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$runtime" HOME="$runtime" \
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  "${as_user[@]}" sway -c "$runtime/config" >/dev/null 2>&1 &
sway=$!
for _ in $(seq 300); do ls "$runtime"/wayland-* >/dev/null 2>&1 && break; sleep 0.1; done
socket=$(basename "$(ls "$runtime"/wayland-? | head -1)")
# Frame callbacks answered between the marks, from a WAYLAND_DEBUG=client log.
count_answered() {
  awk '/present-bench start/ { on = 1 } /present-bench end/ { on = 0 }
       match($0, /wl_surface@[0-9]+\.frame\(new id wl_callback@[0-9]+\)/) {
         s = substr($0, RSTART, RLENGTH); sub(/.*wl_callback@/, "", s); sub(/\)/, "", s); asked[s] = 1 }
       match($0, /wl_callback@[0-9]+\.done\(/) {
         s = substr($0, RSTART, RLENGTH); sub(/wl_callback@/, "", s); sub(/\.done\(/, "", s)
         if (s in asked) { if (on) n++; delete asked[s] } }
       END { print n + 0 }' "$1"
}
for program in zelvan sdl; do
  result=$(env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" ZELVAN_DISPLAY=wayland \
    SDL_VIDEODRIVER=wayland WAYLAND_DEBUG=client "$out/$program" "$frames" 2>"$out/$program.log")
  ms=$(echo "$result" | sed -n 's/.* in \([0-9]*\) ms/\1/p')
  answered=$(count_answered "$out/$program.log")
  echo "$program: $frames frames in $ms ms, $answered frame callbacks answered in that time:" \
    "$(awk -v n="$answered" -v ms="$ms" 'BEGIN { printf "%.1f", n * 1000 / ms }') answered frames/s"
done
