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
    # The end-to-end tests on a private X server; xvfb-run needs xauth; XFixes shows them the
    # cursor.
    xvfb xauth xdotool xclip openbox libxfixes-dev
    # The end-to-end tests under a private headless sway, and its tools.
    sway grim wtype wl-clipboard
    # Formatting, and the fuzzers (clang with libFuzzer).
    clang-format clang libclang-rt-14-dev
    # The benchmarks and their baselines; cairo is also the smooth shapes' reference in a test.
    libbenchmark-dev libsdl2-dev libsdl2-gfx-dev libcairo2-dev
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
apt_log=$(mktemp)
trap 'rm -f "$apt_log"' EXIT

# Prints those of the named packages that are not installed.
not_installed() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

# Installs the named packages. The package lists are updated first, and a failed update is
# tried once more (a mirror in the middle of a sync fails for a while); lists that stay broken
# leave the install to the lists at hand, which may still hold the packages. With `quiet`
# first, apt-get's messages go to $apt_log only. Returns apt-get install's status.
install_packages() {
  local out=/dev/stderr
  [ "$1" = quiet ] && out=$apt_log && shift
  : >"$apt_log"
  lists_updated=1
  $sudo_cmd apt-get update -qq >>"$out" 2>&1 || $sudo_cmd apt-get update -qq >>"$out" 2>&1 ||
    lists_updated=0
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "$@" \
    >>"$out" 2>&1
}

# Why the quiet install failed, in one line: the lists' first error when they did not update,
# else the install's last.
install_failure() {
  local line
  if ((lists_updated)); then
    line=$(grep '^E: ' "$apt_log" | tail -n 1) || true
    echo "${line:-apt-get install failed}"
  else
    line=$(grep '^E: ' "$apt_log" | head -n 1) || true
    echo "the package lists did not update: ${line:-apt-get update failed}"
  fi
}

# What the build and the suite need: the command fails unless all of it is installed.
mapfile -t missing < <(not_installed "${packages[@]}")
if ((${#missing[@]})); then
  install_packages "${missing[@]}" || true
  mapfile -t missing < <(not_installed "${missing[@]}")
  if ((${#missing[@]})); then
    echo "install-deps: not installed: ${missing[*]} (apt-get's messages are above)" >&2
    exit 1
  fi
  ((lists_updated)) || echo "install-deps: the package lists could not be updated (apt-get's" \
    "messages are above), but every package needed is installed; going on" >&2
fi

# wine32, from the i386 architecture, runs the 32-bit Windows test programs: the suite can do
# without it, so when it cannot be had one line says so and the command still succeeds.
if ((dev)) && [ -n "$(not_installed wine32:i386)" ]; then
  # wine32's loader would take over the `wine` command from wine64 and break it where the
  # kernel cannot run it.
  if "$(dirname "$0")/kernel-runs-32-bit.sh"; then
    # The architecture comes first, so that the package lists read next include i386.
    added_i386=0
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      $sudo_cmd dpkg --add-architecture i386 && added_i386=1
    fi
    if ! install_packages quiet wine32:i386 || [ -n "$(not_installed wine32:i386)" ]; then
      # An i386 architecture that brought nothing is taken away again, so that its lists, when
      # they are what is broken, do not fail every later update of the machine.
      if ((added_i386)); then $sudo_cmd dpkg --remove-architecture i386 2>/dev/null || true; fi
      echo "install-deps: wine32:i386 cannot be installed ($(install_failure)), so the 32-bit" \
        "Windows tests will be skipped; everything else is installed" >&2
    fi
  else
    echo "install-deps: this kernel does not run 32-bit programs, so wine32 is not installed" \
      "and the 32-bit Windows tests cannot run here" >&2
  fi
fi
