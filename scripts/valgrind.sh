#!/usr/bin/env bash
# Runs the test suite under valgrind memcheck, on the normal build in build/. A test fails on
# memory errors and on definite leaks (fontconfig's own caches are suppressed: see
# tests/valgrind.supp). Slow (each test takes seconds), so not part of CI; the stress test is
# left out, and so are the checks that run cmake or python rather than the library.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build
cmake -S . -B "$dir" -DZELVAN_TESTS=ON -DZELVAN_WERROR=ON >/dev/null
cmake --build "$dir" -j2
options="--leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite"
options+=" --error-exitcode=99 --keep-debuginfo=yes"
ctest --test-dir "$dir" -T memcheck -j2 --timeout 1200 --output-on-failure \
    --overwrite MemoryCheckCommand="$(command -v valgrind)" \
    --overwrite MemoryCheckCommandOptions="$options" \
    --overwrite MemoryCheckSuppressionFile="$PWD/tests/valgrind.supp" \
    --label-exclude stress \
    --exclude-regex '^(python_module|installed_library_builds_programs|exports_only_zv_functions|library_layers_include_downward|api_reference_.*|doc_.*)$'
