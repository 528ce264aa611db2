#!/usr/bin/env bash
# Idle windows' CPU: 8,192 windows on the headless screen, then 2,048 on an X server (Xvfb)
# under a window manager (openbox), each measured by bench/idle/idle_windows.c over SECONDS
# (bench/README.md records the figures).
#   bench/idle.sh [SECONDS]          (default 10; BUILD_DIR as for bench/run.sh)
# Starts its own Xvfb and openbox; needs both, and the library's X11 driver.
set -euo pipefail
seconds=${1:-10}
source "$(dirname "$0")/library_build.sh"
trap 'kill "${wm:-0}" "${xvfb:-0}" 2>/dev/null || true; rm -rf "$out"' EXIT
cc -O2 -o "$out/idle_windows" "$root/bench/idle/idle_windows.c" -I"$root/include" \
  -L"$build" -lzelvan -Wl,-rpath,"$build"
echo "headless: $(ZELVAN_DISPLAY=headless "$out/idle_windows" 8192 "$seconds")"
# Xvfb picks a free display and names it on the descriptor it is given.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$out/display")
openbox >/dev/null 2>&1 &
wm=$!
sleep 2
# Measured once openbox has placed and drawn every window (its CPU time still for 2 s).
echo "X11 under openbox: $(ZELVAN_DISPLAY=x11 "$out/idle_windows" 2048 "$seconds" "$wm")"
