#!/usr/bin/env bash
# Remakes the pictures of docs/ from the examples: runs each one without a display, then
# converts the BMP it saves to PNG.
#   scripts/make-doc-pictures.sh [build folder]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
pictures="$(mktemp -d)"
trap 'rm -rf "$pictures"' EXIT
for example in hello shapes text animation sketchpad viewer threads game mandelbrot sprites walk plot; do
    (cd "$pictures" && env -u DISPLAY "$OLDPWD/$build/examples/$example" >/dev/null)
done
# Every example saves one picture named after it, but for plot, which saves its two windows.
for picture in hello shapes text animation sketchpad viewer threads game mandelbrot sprites walk \
    plot-exact plot-smooth; do
    scripts/bmp-to-png.py "$pictures/$picture.bmp" -o docs
done
