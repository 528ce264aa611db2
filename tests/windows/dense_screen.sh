#!/bin/sh
# Runs a Windows program under Wine in a prefix of its own whose desktop states DPI dots per
# inch (Wine reads it from LogPixels when a process starts), then stops that prefix's server:
#   dense_screen.sh WINE PREFIX ARCH DPI PROGRAM [ARGUMENTS...]
wine=$1 prefix=$2 arch=$3 dpi=$4
shift 4
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
server="$(dirname "$wine")/wineserver"
[ -x "$server" ] || server=wineserver
"$wine" reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f &&
  "$wine" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f || exit 1
"$server" -w
"$wine" "$@"
status=$?
"$server" -k 2>/dev/null
exit $status
