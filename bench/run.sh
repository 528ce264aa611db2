#!/usr/bin/env bash
# Builds the benchmark program (Release) and runs it as bench/README.md records: every
# benchmark repeated (the summary uses the medians), then the reference GDI's own figures
# (tools/reference-gdi/bench.sh, when MinGW-w64 and Wine are installed).
#   bench/run.sh [extra Google Benchmark flags, e.g. --benchmark_filter=line]
# REPETITIONS (default 5) and BUILD_DIR (default build-bench) can be set in the environment.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZELVAN_BENCH=ON -DZELVAN_TESTS=OFF \
  -DZELVAN_EXAMPLES=OFF >/dev/null
cmake --build "$build" -j2 --target zelvan_bench >/dev/null
args=(--benchmark_repetitions="${REPETITIONS:-5}" --benchmark_report_aggregates_only=true)
# The reference GDI's figures come from the project's own program under Wine.
reference=$root/tools/reference-gdi/bench.sh
if reason=$("$reference" --build 2>&1); then
  args+=(--gdi_reference="$reference")
else
  echo "reference GDI figures skipped: ${reason##*$'\n'}"
fi
exec "$build/bench/zelvan_bench" "${args[@]}" "$@"
