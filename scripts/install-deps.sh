#!/usr/bin/env bash
# Installs the Debian 12 packages that Zelvan needs and that are missing (as root, or through
# sudo).
#   scripts/install-deps.sh         what building the library and the examples needs
#   scripts/install-deps.sh --dev   also what the tests, sanitizers, benchmarks, formatting,
#                                   fuzzers and the Windows build with its Wine tests need
set -euo pipefail
dev=0
case "${1:-}" in
--dev) dev=1 ;;
"") ;;
*)
  echo "usage: $0 [--dev]" >&2
  exit 2
  ;;
esac

# The library and the examples. Without Xlib, Xext and libpng the library builds without the
# X11 display, and without libwayland, wayland-protocols, xkbcommon and libpng without the
# Wayland one (the headless display is always there); without libdecor and its cairo plugin,
# Wayland windows have no title bar where the compositor draws none (GNOME). The fonts are what
# text is drawn with. Liberation, Carlito and Caladea are the faces metric-compatible with
# Arial, Times New Roman, Courier New, Calibri and Cambria: recommended, not required (the
# tests that compare with them skip).
packages=(
  build-essential cmake pkg-config
  libfreetype-dev libfontconfig-dev
  libx11-dev libxext-dev libpng-dev
  libwayland-dev libwayland-bin wayland-protocols libxkbcommon-dev
  libdecor-0-dev libdecor-0-plugin-1-cairo
  fonts-dejavu-core fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea
)
if ((dev)); then
  packages+=(
    # The test suite (scripts/test.sh); GCC brings the sanitizer runtimes.
    libgtest-dev libgmock-dev python3
    # The install test builds the Python module into a virtual environment, offline.
    python3-venv python3-setuptools-whl python3-wheel-whl
    # The end-to-end tests on a private X server; xvfb-run needs xauth.
    xvfb xauth xdotool xclip openbox
    # The end-to-end tests under a private headless sway, and its tools.
    sway grim wtype wl-clipboard
    # Formatting, and the fuzzers (clang with libFuzzer).
    clang-format clang libclang-rt-14-dev
    # The benchmarks and their baselines.
    libbenchmark-dev libsdl2-dev libsdl2-gfx-dev
    # Zelvan.dll, its tests under Wine, and the reference GDI programs of tools/reference-gdi/.
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest wine64 wine
    # scripts/valgrind.sh
    valgrind
    # .ci/run keeps compiled objects between runs.
    ccache
  )
fi

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"

# Installs those of the named packages that are not installed yet.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

install_missing "${packages[@]}"

# wine32, from the i386 architecture, runs the 32-bit Windows test programs.
if ((dev)) && ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
  # wine32's loader would take over the `wine` command from wine64 and break it where the
  # kernel cannot run it.
  if "$(dirname "$0")/kernel-runs-32-bit.sh"; then
    # The architecture comes first, so that the package lists read next include i386.
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo_cmd dpkg --add-architecture i386
    install_missing wine32:i386
  else
    echo "install-deps: this kernel does not run 32-bit programs, so wine32 is not installed" \
      "and the 32-bit Windows tests cannot run here" >&2
  fi
fi
