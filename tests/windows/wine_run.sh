#!/bin/sh
# Runs a Windows program under Wine for CTest: wine_run.sh WINE PROGRAM [ARGUMENTS...]
# The program's output is passed on through a file. Wine's helper processes (explorer.exe
# /desktop, services.exe), started on behalf of whichever program needs them first, inherit
# its standard output and outlive it; were that CTest's pipe, CTest would wait for them to
# close it until the test timed out.
output=$(mktemp) || exit 1
"$@" >"$output" 2>&1
status=$?
cat "$output"
rm -f "$output"
exit $status
