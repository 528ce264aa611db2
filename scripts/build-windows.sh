#!/usr/bin/env bash
# Builds Zelvan.dll for 64-bit and 32-bit Windows with MinGW-w64 and checks both DLLs' export
# and import tables.
#   scripts/build-windows.sh          build-win64/bin/ and build-win32/bin/: Zelvan.dll, the
#                                     test programs and the examples; the import libraries are
#                                     build-win64/libZelvan.dll.a and build-win32/libZelvan.dll.a
#   scripts/build-windows.sh --test   also runs the Windows test suite of both builds under
#                                     Wine, inside Xvfb: the 64-bit programs with wine64, the
#                                     32-bit ones with wine32, each build in a Wine prefix of
#                                     its own; where the kernel runs no 32-bit programs or
#                                     wine32 is missing, the 32-bit suite is skipped with a
#                                     line saying why
# The packages come from scripts/install-deps.sh --dev.
set -euo pipefail
cd "$(dirname "$0")/.."
run_wine=0
case "${1:-}" in
--test) run_wine=1 ;;
"") ;;
*)
  echo "usage: $0 [--test]" >&2
  exit 2
  ;;
esac

# Debian's wine64 and wine32 put their loaders (wine64, and wine for 32-bit programs) and
# wineserver in /usr/lib/wine only. ZELVAN_WINE_DIR names another folder, for the script's tests.
wine_dir=${ZELVAN_WINE_DIR:-/usr/lib/wine}

# Runs the test suite of build folder $1 with the Wine loader $2 in a prefix of architecture
# $3 (win64 or win32).
run_suite() {
  local dir=$1 loader=$2 arch=$3
  echo "== $dir: the Windows test suite under Wine ($arch)"
  # A 24-bit screen, so that Wine's screen-compatible bitmaps are 32 bits deep as on Windows.
  # The Wine server is stopped before Xvfb goes, so no Wine process outlives its display.
  # The prefix is made (or brought up to date) and settled first, so no test runs while Wine
  # is still setting it up; Debian has no wineboot command, so wineboot.exe does that.
  PATH="$wine_dir:$PATH" WINEPREFIX="$PWD/$dir/wine-prefix" WINEARCH="$arch" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=" xvfb-run -a -s "-screen 0 1280x1024x24" sh -c \
    '"$0" wineboot -u && wineserver -w;
     ctest --test-dir "$1" --output-on-failure -j2 --timeout 300; result=$?;
     wineserver -k 2>/dev/null; exit $result' "$loader" "$dir"
}

fail() {
  echo "$0: $*" >&2
  exit 1
}

# A missing tool stops the script here: a build or a test run that was asked for never
# turns into a warning and a green result.
for triplet in x86_64-w64-mingw32 i686-w64-mingw32; do
  for tool in gcc-posix g++-posix windres dlltool objdump; do
    command -v "$triplet-$tool" >/dev/null ||
      fail "$triplet-$tool not found: install MinGW-w64 (scripts/install-deps.sh --dev)"
  done
done
if ((run_wine)); then
  [ -x "$wine_dir/wine64" ] ||
    fail "$wine_dir/wine64 not found: install wine64 (scripts/install-deps.sh --dev)"
  command -v xvfb-run >/dev/null ||
    fail "xvfb-run not found: install xvfb (scripts/install-deps.sh --dev)"
fi

# Why the 32-bit programs cannot run here, or nothing when they can. A kernel without 32-bit
# support excuses them, and so does a missing wine32 (install-deps.sh goes on without it when
# it cannot be had); an installed wine32 that does not start stops a --test run.
wine32_missing_reason() {
  if ! scripts/kernel-runs-32-bit.sh; then
    echo "this kernel does not run 32-bit programs"
  elif [ ! -x "$wine_dir/wine" ]; then
    echo "wine32 is not installed ($wine_dir/wine; scripts/install-deps.sh --dev installs it)"
  elif ! "$wine_dir/wine" --version >/dev/null 2>&1; then
    ((run_wine)) && fail "$wine_dir/wine does not start"
    echo "$wine_dir/wine does not start"
  fi
}

status=0
wine32_reason=$(wine32_missing_reason) || exit 1
for target in x86_64:win64 i686:win32; do
  triplet="${target%%:*}-w64-mingw32"
  arch="${target#*:}"
  dir="build-$arch"
  wine_tests=()
  if ((run_wine)); then
    # Registers the suite with CTest only where a Wine can run it.
    if [ "$arch" = win32 ] && [ -n "$wine32_reason" ]; then
      wine_tests=(-DZELVAN_WINE_TESTS=OFF)
    else
      wine_tests=(-DZELVAN_WINE_TESTS=ON)
    fi
  fi
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-${target%%:*}.cmake" \
    -DZELVAN_TESTS=ON -DZELVAN_WERROR=ON "${wine_tests[@]}" >/dev/null
  cmake --build "$dir" -j2
  echo "== $dir/bin/Zelvan.dll: export and import tables"
  cmake -DOBJDUMP="$triplet-objdump" -DDLL="$dir/bin/Zelvan.dll" -DDEF=zelvan.def \
    -P tests/windows/check_dll.cmake || status=1
done

if ((run_wine)); then
  run_suite build-win64 "$wine_dir/wine64" win64 || status=1
  if [ -z "$wine32_reason" ]; then
    run_suite build-win32 "$wine_dir/wine" win32 || status=1
  else
    echo "== build-win32: the Windows test suite is SKIPPED: $wine32_reason"
  fi
fi
exit $status
