#!/usr/bin/env bash
# Builds Zelvan.dll for 64-bit and 32-bit Windows with MinGW-w64 and checks both DLLs' export
# and import tables.
#   scripts/build-windows.sh          build-win64/bin/ and build-win32/bin/: Zelvan.dll, the
#                                     test programs and the examples; the import libraries are
#                                     build-win64/libZelvan.dll.a and build-win32/libZelvan.dll.a
#   scripts/build-windows.sh --test   also runs the Windows test suite: the 64-bit programs
#                                     under Wine (wine64), inside Xvfb
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

status=0
for target in x86_64:win64 i686:win32; do
  triplet="${target%%:*}-w64-mingw32"
  dir="build-${target#*:}"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-${target%%:*}.cmake" \
    -DZELVAN_TESTS=ON -DZELVAN_WERROR=ON >/dev/null
  cmake --build "$dir" -j2
  echo "== $dir/bin/Zelvan.dll: export and import tables"
  cmake -DOBJDUMP="$triplet-objdump" -DDLL="$dir/bin/Zelvan.dll" -DDEF=zelvan.def \
    -P tests/windows/check_dll.cmake || status=1
done

# Debian's wine64 runs 64-bit programs only; the 32-bit ones are built, not run.
if ((run_wine)); then
  echo "== build-win64: the Windows test suite under Wine"
  # A 24-bit screen, so that Wine's screen-compatible bitmaps are 32 bits deep as on Windows.
  # The Wine server is stopped before Xvfb goes, so no Wine process outlives its display.
  # The prefix is made (or brought up to date) and settled first, so no test runs while Wine
  # is still setting it up.
  # Debian's wine64 puts wine64 and wineserver in /usr/lib/wine only, and has no wineboot
  # command: the prefix is set up by running wineboot.exe.
  PATH="/usr/lib/wine:$PATH" WINEPREFIX="$PWD/build-win64/wine-prefix" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=" xvfb-run -a -s "-screen 0 1280x1024x24" sh -c \
    'wine64 wineboot -u && wineserver -w;
     ctest --test-dir build-win64 --output-on-failure -j2 --timeout 300; result=$?;
     wineserver -k 2>/dev/null; exit $result' || status=1
fi
exit $status
