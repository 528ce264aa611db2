#!/usr/bin/env bash
# Frames shown per second on an X server: a new 1280x720 picture a frame, put with ZVPutPixels
# and shown with ZVPresent, against SDL2's software window surface, each watched by a second
# X client that counts the distinct frames the window really showed (bench/present/).
#   bench/present.sh [FRAMES]          (default 220; BUILD_DIR as for bench/run.sh)
# Starts its own Xvfb; needs Xvfb, libsdl2-dev and the Xlib headers.
set -euo pipefail
. "$(dirname "$0")/present/build_programs.sh"
trap 'kill "${xvfb:-0}" 2>/dev/null || true; rm -rf "$out"' EXIT
cc -O2 -o "$out/observer" "$src/present_observer.c" $(pkg-config --cflags --libs x11)
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display
for program in zelvan sdl; do
  "$out/observer" "present-bench $program" "$frames" >"$out/$program.seen" &
  watcher=$!
  "$out/$program" "$frames"
  wait "$watcher"
  echo "$program: $(cat "$out/$program.seen")"
done
