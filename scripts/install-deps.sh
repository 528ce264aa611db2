#!/usr/bin/env bash
# Installs what building and testing Zelvan needs on Debian 12 (run as root, or with sudo);
# libsdl2-gfx-dev only serves the benchmarks (-DZELVAN_BENCH=ON); MinGW-w64 and Wine serve the
# Windows build and its tests, and the reference GDI programs of tools/reference-gdi/.
# fonts-liberation2 and the Carlito and Caladea fonts are the faces metric-compatible with
# Arial, Times New Roman, Courier New, Calibri and Cambria; the library works without them,
# and the tests that compare with them skip.
set -euo pipefail
packages=(
  build-essential cmake pkg-config clang-format
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libsdl2-gfx-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea
  libx11-dev libxext-dev libpng-dev
  xvfb xdotool xclip x11-utils openbox
  python3
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest wine64 wine
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
