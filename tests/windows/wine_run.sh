#!/bin/sh
# Runs a Windows program under Wine for CTest: wine_run.sh WINE PROGRAM [ARGUMENTS...]
# The program's output is passed on through a file. Wine's helper processes (explorer.exe
# /desktop, services.exe), started on behalf of whichever program needs them first, inherit
# its standard output and outlive it; were that CTest's pipe, CTest would wait for them to
# close it until the test timed out.
output=$(mktemp) || exit 1
"$@" >"$output" 2>&1
status=$?
# A test program prints its filter before it runs a case, so one that failed with no output at
# all never got that far: once in a CI run Wine did not start one. It gets a second start.
if [ $status -ne 0 ] && [ ! -s "$output" ]; then
  "$@" >"$output" 2>&1
  status=$?
fi
cat "$output"
rm -f "$output"
exit $status
