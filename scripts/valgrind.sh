#!/usr/bin/env bash
# Runs the test suite under valgrind memcheck, in build-valgrind/. Fails on memory errors and
# on definite leaks from the library (fontconfig's own caches are suppressed: tests/valgrind.supp).
# Slow (about ten times the plain run), so not part of CI; the stress test is left out, and so
# are the checks that run cmake or python rather than the library.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-valgrind
valgrind_command="valgrind;--quiet;--error-exitcode=99;--leak-check=full"
valgrind_command+=";--show-leak-kinds=definite;--errors-for-leak-kinds=definite"
valgrind_command+=";--keep-debuginfo=yes;--suppressions=$PWD/tests/valgrind.supp"
cmake -S . -B "$dir" -DZELVAN_WERROR=ON "-DCMAKE_CROSSCOMPILING_EMULATOR=$valgrind_command" >/dev/null
cmake --build "$dir" -j2
ctest --test-dir "$dir" --output-on-failure -j2 --timeout 1200 --label-exclude stress \
    --exclude-regex '^(python_module|installed_library_builds_programs|exports_only_zv_functions|library_includes_only_win32_h|api_reference_.*)$'
