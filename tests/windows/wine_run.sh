#!/bin/sh
# Runs a Windows program under Wine for CTest: wine_run.sh WINE PROGRAM [ARGUMENTS...]
# The program's output is passed on through a file. Wine's helper processes (explorer.exe
# /desktop, services.exe), started on behalf of whichever program needs them first, inherit
# its standard output and outlive it; were that CTest's pipe, CTest would wait for them to
# close it until the test timed out.
#
# Now and then (about one process in twenty) Wine kills a program linked with Zelvan.dll by a
# signal while it exits, after its work is done: listing its tests, or passing them. Such a
# run is made again, up to three times in all; a program whose tests fail, or that is killed
# before it is done, fails at once.
run_once() {
    output=$(mktemp) || exit 1
    "$@" >"$output" 2>&1
    status=$?
    cat "$output"
    killed_when_done=no
    if [ "$status" -ne 0 ] && { [ "$status" -gt 128 ] || grep -q 'Subprocess killed' "$output"; }; then
        case " $* " in
        *" --gtest_list_tests "*) killed_when_done=yes ;;
        *) grep -q '^\[  PASSED  \]' "$output" && killed_when_done=yes ;;
        esac
    fi
    rm -f "$output"
}
tries=1
run_once "$@"
while [ "$killed_when_done" = yes ] && [ "$tries" -lt 3 ]; do
    echo "wine_run.sh: Wine killed the program as it ended; running it again"
    tries=$((tries + 1))
    run_once "$@"
done
exit $status
