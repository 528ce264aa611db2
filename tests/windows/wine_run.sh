#!/bin/sh
# Runs a Windows program under Wine for CTest: wine_run.sh WINE PROGRAM [ARGUMENTS...]
# The program's output is passed on through a file. Wine's helper processes (explorer.exe
# /desktop, services.exe), started on behalf of whichever program needs them first, inherit
# its standard output and outlive it; were that CTest's pipe, CTest would wait for them to
# close it until the test timed out.
#
# Now and then (about one process in twenty) Wine kills a program linked with Zelvan.dll by a
# signal while it exits, after its tests have all passed. Such a run is made once more, so
# that only a program that fails twice, or fails its tests, fails.
run_once() {
    output=$(mktemp) || exit 1
    "$@" >"$output" 2>&1
    status=$?
    cat "$output"
    passed=no
    grep -q '^\[  PASSED  \]' "$output" && passed=yes
    rm -f "$output"
}
run_once "$@"
if [ "$status" -gt 128 ] && [ "$passed" = yes ]; then
    echo "wine_run.sh: killed by signal $((status - 128)) after passing; running once more"
    run_once "$@"
fi
exit $status
