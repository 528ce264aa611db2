# Sourced by regenerate.sh and bench.sh: builds the reference GDI programs with MinGW-w64
# and runs them under Wine without a display.
#   REFERENCE_GDI_BUILD   where the programs and their Wine prefix go (default build-reference/)

reference_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
reference_build=${REFERENCE_GDI_BUILD:-$reference_root/build-reference}
reference_cxx=x86_64-w64-mingw32-g++
reference_wine=$(command -v wine || command -v wine64 || true)
[ -n "$reference_wine" ] || [ ! -x /usr/lib/wine/wine64 ] || reference_wine=/usr/lib/wine/wine64
reference_wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

# Prints why the reference programs cannot run here, and fails; silent when they can.
reference_missing() {
  if ! command -v "$reference_cxx" >/dev/null; then
    echo "$reference_cxx (MinGW-w64) is not installed; scripts/install-deps.sh --dev installs it"
  elif [ -z "$reference_wine" ]; then
    echo "Wine is not installed; scripts/install-deps.sh --dev installs it"
  else
    return 1
  fi
}

# Builds NAME.exe from tools/reference-gdi/NAME.cpp when it is missing or older than a source.
reference_build_program() {
  local name=$1 exe="$reference_build/$1.exe" source
  mkdir -p "$reference_build"
  if [ -f "$exe" ]; then
    local stale=0
    for source in "$reference_root/tools/reference-gdi/$name.cpp" \
      "$reference_root"/tools/reference-gdi/*.h "$reference_root"/tests/scene/*.h \
      "$reference_root/tests/platform/dib_transfer_case.h" "$reference_root/platform/win32.h"; do
      [ "$source" -nt "$exe" ] && stale=1
    done
    ((stale)) || return 0
  fi
  "$reference_cxx" -std=c++17 -O2 -Wall -Wextra -Werror -static -I"$reference_root" \
    -o "$exe" "$reference_root/tools/reference-gdi/$name.cpp" -lgdi32 -luser32
}

# Runs a Windows program under Wine, headless, in the build's own prefix (made on first use:
# Mono and Gecko are never needed, so Wine does not offer to install them). The Wine server
# is stopped afterwards, so nothing outlives the run.
reference_run() {
  local status=0
  export WINEPREFIX="$reference_build/wine-prefix" WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    env -u DISPLAY "$reference_wine" wineboot -u >/dev/null 2>&1 || true
    "$reference_wineserver" -w || true
  fi
  env -u DISPLAY "$reference_wine" "$@" || status=$?
  "$reference_wineserver" -k 2>/dev/null || true
  return $status
}
